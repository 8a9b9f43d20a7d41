#pragma once
// Who may reach a directory, location or file and how: host-based access
// (Order, Allow, Deny, with the access wizard), authentication (Require,
// Satisfy, AuthAuthoritative, AuthUserFile, AuthGroupFile), AllowOverride,
// SetHandler and Options (through the options dialog).
#include "forms/KeptValues.h"
#include "pages/CorvanePage.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvane {

class frmDirOptions;

class ppgDirectorySecurity : public CorvanePage
{
    Q_OBJECT
public:
    explicit ppgDirectorySecurity(QWidget* parent = nullptr);

    frmDirOptions* optionsDialog() const { return m_dirOptions; }
    // The first entry of an Allow / Deny host list that Apache would not
    // take as a host, network, "all" or "env=" test; "" when all are fine.
    static QString invalidHostEntry(const QString& hosts);

protected:
    void ResetControls() override;
    void LoadControls() override;
    bool SaveDirectivesFromGUI() override;

private:
    void runWizard();
    QString selectedOverrides() const;
    void browse(QLineEdit* box);
    QStringList paramsOf(const QString& directive, int* number = nullptr) const;
    void showCombo(QComboBox* combo, const QString& text);
    bool write(const QString& directive, const QString& value, bool writable, WriteAs how = WriteAs::Text);
    void writeHosts(const QString& directive, QLineEdit* box);

    QComboBox* m_cmbOrder;
    QLineEdit* m_txtAllow;
    QLineEdit* m_txtDeny;
    QComboBox* m_cmbRequire;
    QLineEdit* m_txtRequireFields;
    QComboBox* m_cmbSatisfy;
    QComboBox* m_cmbAuthenticationAuthoritative;
    QLineEdit* m_txtAuthenticationUserFile;
    QLineEdit* m_txtAuthenticationGroupFile;
    QListWidget* m_lstAllowOverride;
    QLabel* m_lblAllowOverride;
    QComboBox* m_cmbSetHandler;
    QLabel* m_lblSetHandler;
    QPushButton* m_cmdEditOptions;
    QPushButton* m_cmdWizard;
    frmDirOptions* m_dirOptions;
    KeptValues m_kept;
};

} // namespace corvane
