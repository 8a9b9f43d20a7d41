#pragma once
// frmRemote: host, port, user, password and folder of an FTP or SFTP server,
// for SFTP the authentication method and private key file, for FTP whether
// TLS is used.
#include "transfer/TransferState.h"

#include "transfer/gui/CheckedPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvane {

class RemotePage : public CheckedPage
{
    Q_OBJECT
public:
    explicit RemotePage(TransferState& state, QWidget* parent = nullptr);

    void initializePage() override;
    void cleanupPage() override; // Back keeps what was typed
    QString whyNot() const override;
    bool validatePage() override;

    // 2 public key, 4 password, 16 keyboard.
    std::int16_t GetAuthentificationType() const;

private:
    void storeFields();
    void sftpToggled(bool on);
    void authChosen();
    void userNameLeft();

    TransferState& m_state;
    QLineEdit* txtRemoteHost;
    QLineEdit* txtPort;
    QLineEdit* txtUsername;
    QLineEdit* txtPassword;
    QLabel* lblPassword;
    QLineEdit* txtFolder;
    QLineEdit* txtMainFile; // name of the main file in the folder; empty: httpd.conf, else apache2.conf
    QCheckBox* chkSFTP;
    // Without a keychain on the desktop: keep the password in Corvane.ini.
    QCheckBox* chkStorePassword;
    QRadioButton* optAuthType_Keyboard;
    QRadioButton* optAuthType_PublicKey;
    QRadioButton* optAuthType_PASSWORD;
    QLabel* lblPrivateKeyFile;
    QLineEdit* txtPrivateKeyFile;
    QPushButton* btnOpenFile;
    // FTP only: "Use TLS" required / if offered / never (WizardFtpTls).
    QLabel* lblFtpTls;
    QComboBox* cmbFtpTls;
    QLabel* lblFtpTlsNote;
};

} // namespace corvane
