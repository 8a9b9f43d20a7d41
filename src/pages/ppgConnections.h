#pragma once
// "Connection" of a server node: the server's registry entry (Apache version,
// operating system, FTP or SFTP connection settings, whether FTP uses TLS,
// where the configuration's files are found on the server), not its
// httpd.conf; and how the last connection was authenticated and protected.
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
    // MAIN_FILE, SERVER_ROOT and ACCOUNT_ROOT (FTP and SFTP only); blank is
    // the default. Each is written when it differs from what was loaded.
    QLineEdit* m_txtMainFile;
    QLineEdit* m_txtServerRoot;
    QLineEdit* m_txtAccountRoot;
    QList<QWidget*> m_accountRootWidgets;
    QString m_loadedMainFile;
    QString m_loadedServerRoot;
    QString m_loadedAccountRoot;
    QComboBox* m_cmbAuthType;
    QLineEdit* m_txtPrivateKey;
    QPushButton* m_cmdBrowsePrivateKey;
    QList<QLabel*> m_remoteLabels;
    QLabel* m_lblAuthType;
    QLabel* m_lblPrivateKey;
    QCheckBox* m_chkNormalizeLayout;
    QComboBox* m_cmbFtpTls;         // FTP_TLS: required / if offered / never
    QLineEdit* m_txtProtectionUsed; // FTP_PROTECTION_USED
    QLineEdit* m_txtAuthUsed;       // SFTP_AUTH_USED
    QList<QWidget*> m_ftpWidgets;
    QList<QWidget*> m_sftpUsedWidgets;
    QString m_loadedTls; // FTP_TLS as loaded, "optional" when absent
    bool m_sftp = false;
    bool m_ftp = false;
};

} // namespace corvane
