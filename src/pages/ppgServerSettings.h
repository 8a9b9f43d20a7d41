#pragma once
// "Server Settings" of the Main Server and of a virtual host: ServerName,
// ServerAdmin, the virtual host's address and description, and the buttons of
// the alias, environment, logging and other-settings editors.
#include "pages/CorvanePage.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class ppgServerSettings : public CorvanePage
{
    Q_OBJECT
public:
    explicit ppgServerSettings(QWidget* parent = nullptr);

    // The description kept in the virtual host's marker comment, "" when none.
    QString GetVHostDescription(std::int32_t vhostNo) const;

protected:
    void ResetControls() override;
    void LoadControls() override;
    bool SaveDirectivesFromGUI() override;

private:
    void saveAddress();

    QLabel* m_lblDescription;
    QLabel* m_lblVirtualHost;
    QLineEdit* m_txtDescription;
    QLineEdit* m_txtVirtualHost;
    QLineEdit* m_txtServerName;
    QLineEdit* m_txtServerAdmin;
    QPushButton* m_cmdEditSrvrAlias;
    QComboBox* m_cmbLogs;
    QString m_loadedAddress;
};

} // namespace corvane
