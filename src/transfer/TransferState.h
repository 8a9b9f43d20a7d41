#pragma once
// The state the connection wizard, the upload wizard, the server commands and
// the connecting page share while one of them runs. The wizard that owns it
// hands it to its pages; nothing here is global.
#include <QString>

#include <cstdint>

namespace corvane {

struct TransferState
{
    QString WizardServerName;
    QString WizardApacheVersion;
    QString WizardOsType; // "Windows" marks a Windows host
    bool WizardIsRemote = false;
    bool WizardIsSftp = false;
    std::int16_t WizardSftpAuthType = 0; // 2 public key, 4 password, 16 keyboard
    QString WizardRemoteHost;
    QString WizardUserName;
    QString WizardPassword; // plain text while the wizard runs
    // The password was typed in the wizard or found stored; when false a
    // transfer that needs it asks for it.
    bool WizardPasswordKnown = false;
    // Without a keychain: keep the password in Corvane.ini (obfuscated, not
    // encrypted) instead of asking for it each time.
    bool WizardStorePasswordInIni = false;
    QString WizardPort = QStringLiteral("22");
    QString WizardRemoteFolder;
    QString WizardLocalConf;
    QString WizardKeyFile;
    int WizardConnectTimeout = 0; // seconds for connecting and the greeting; 0: the default
    QString WizardFtpTls;         // "required", "optional" or "never"; "" is "optional"
    QString WizardMainFile;       // name of the main file in the remote folder; "" is httpd.conf
                                  // (else apache2.conf when only that one is there)
    QString WizardServerRoot;     // "": the main file's own ServerRoot, else its folder
    QString WizardAccountRoot;    // server folder an FTP/SFTP account sees as "/"; "" is "/"

    QString SyncServerName; // server whose work copy is uploaded
    bool UploadMode = false;
    bool GetConfigMode = false;
    bool TransferFailed = false;
    QString IniPath;

    // What Finish does on the connecting page after a transfer: everything
    // back to its starting values.
    void reset() { *this = TransferState(); }
};

// Authentication types of an SFTP server's SFTP_AUTHTYPE.
enum SftpAuthType : std::int16_t
{
    kSftpAuthPublicKey = 2,
    kSftpAuthPassword = 4,
    kSftpAuthKeyboard = 16,
};

} // namespace corvane
