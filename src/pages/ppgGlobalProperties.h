#pragma once
// "Global Properties (Basic)" of a server node: ServerRoot, ServerType,
// CoreDumpDirectory, Timeout and the Listen list (kept in the page's own
// frmPortConfiguration).
#include "pages/CorvanePage.h"

#include <QMap>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace corvane {

class UpDown;
class frmPortConfiguration;

class ppgGlobalProperties : public CorvanePage
{
    Q_OBJECT
public:
    explicit ppgGlobalProperties(QWidget* parent = nullptr);

    frmPortConfiguration* portDialog() const { return m_ports; }

protected:
    void ResetControls() override;
    void LoadControls() override;
    bool SaveDirectivesFromGUI() override;

private:
    QLineEdit* m_txtServerRoot;
    QComboBox* m_cmbServerType;
    QLineEdit* m_txtCoreDumpDir;
    QLineEdit* m_txtTimeOut;
    UpDown* m_udTimeOut;
    QPushButton* m_cmdPortConfig;
    frmPortConfiguration* m_ports;
    QStringList m_loadedPorts;
    QMap<QString, QString> m_fullListen; // first parameter -> whole parameter list as loaded
    std::string m_timeoutOriginal;
    QString m_timeoutShown;
};

} // namespace corvane
