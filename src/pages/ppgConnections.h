#pragma once
// "Connection" of a server node: the server's registry entry (Apache version,
// operating system, FTP or SFTP connection settings), not its httpd.conf.
#include "pages/CorvanePage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class ppgConnections : public CorvanePage
{
    Q_OBJECT
public:
    explicit ppgConnections(QWidget* parent = nullptr);

    // "SFTP_AUTHTYPE" codes and the entries of CmbAuthType.
    static int authCode(const QString& entry);
    static QString authEntry(int code);
    static QStringList versionEntries();

protected:
    void ResetControls() override;
    void LoadControls() override;
    bool SaveDirectivesFromGUI() override;
    bool writesConfiguration() const override { return false; }

private:
    void updatePrivateKeyState();
    void setRemoteEnabled(bool enabled);

    QLineEdit* m_txtServer;
    QComboBox* m_cmbVersion;
    QComboBox* m_cmbOS;
    QLineEdit* m_txtRemoteHost;
    QLineEdit* m_txtUsername;
    QLineEdit* m_txtPassword;
    QString m_loadedPassword;          // what the page showed, to write only a changed password
    bool m_passwordInRegistry = false; // kept in Corvane.ini (older entries or the administrator's choice)
    QLineEdit* m_txtPort;
    QLineEdit* m_txtFolder;
    QComboBox* m_cmbAuthType;
    QLineEdit* m_txtPrivateKey;
    QPushButton* m_cmdBrowsePrivateKey;
    QList<QLabel*> m_remoteLabels;
    QLabel* m_lblAuthType;
    QLabel* m_lblPrivateKey;
    QCheckBox* m_chkNormalizeLayout;
    bool m_sftp = false;
};

} // namespace corvane
