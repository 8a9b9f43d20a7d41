#include "transfer/gui/RemotePage.h"

#include "registry/PasswordStore.h"

#include "host/FileDialog.h"
#include "host/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

template <typename W> W* named(W* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace

RemotePage::RemotePage(TransferState& state, QWidget* parent) : CheckedPage(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmRemote"));
    setTitle(QStringLiteral("FTP Server Properties"));
    setSubTitle(QStringLiteral(
        "FTP Server Properties determine the connection parameters and config file location of "
        "the remote host."));
    txtRemoteHost = named(new QLineEdit(this), "txtRemoteHost");
    txtPort = named(new QLineEdit(this), "txtPort");
    txtUsername = named(new QLineEdit(this), "txtUsername");
    txtPassword = named(new QLineEdit(this), "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    txtFolder = named(new QLineEdit(this), "txtFolder");
    txtMainFile = named(new QLineEdit(this), "txtMainFile");
    txtMainFile->setPlaceholderText(QStringLiteral("httpd.conf, else apache2.conf"));
    chkStorePassword = named(
        new QCheckBox(QStringLiteral("Store the password in Corvane.ini (obfuscated, not encrypted)"), this),
        "chkStorePassword");
    chkStorePassword->setToolTip(
        QStringLiteral("No keychain runs on this desktop. Without this choice the password is asked for "
                       "whenever Corvane connects to the server."));
    chkSFTP = named(new QCheckBox(QStringLiteral("Secure Authentication"), this), "chkSFTP");
    // Keys first: ssh-agent, the key file below, and the identity files of
    // ~/.ssh/config, with keyboard-interactive and password as fallbacks.
    optAuthType_PublicKey = named(
        new QRadioButton(QStringLiteral("SSH keys (ssh-agent, ~/.ssh/config or the key file below), then "
                                        "password - recommended"),
                         this),
        "optAuthType_PublicKey");
    optAuthType_Keyboard =
        named(new QRadioButton(QStringLiteral("SFTP - SSH2 keyboard-interactive, then password"), this),
              "optAuthType_Keyboard");
    optAuthType_PASSWORD =
        named(new QRadioButton(QStringLiteral("Password only"), this), "optAuthType_PASSWORD");
    txtPrivateKeyFile = named(new QLineEdit(this), "txtPrivateKeyFile");
    btnOpenFile = named(new QPushButton(QStringLiteral("Select key file..."), this), "btnOpenFile");

    auto* intro =
        new QLabel(QStringLiteral("Specify the FTP/SFTP server host name, port, user name, password and "
                                  "remote directory path where the httpd.conf file is located:"),
                   this);
    intro->setWordWrap(true);
    lblPassword = new QLabel(QStringLiteral("Password :"), this);
    lblPrivateKeyFile = new QLabel(QStringLiteral("Private key file (optional):"), this);
    auto* sshNote =
        new QLabel(QStringLiteral("For SFTP the host may be an alias of ~/.ssh/config; an empty port "
                                  "or user name is taken from there."),
                   this);
    sshNote->setObjectName(QStringLiteral("lblSshConfig"));
    sshNote->setWordWrap(true);
    txtPort->setPlaceholderText(QStringLiteral("22 or from ~/.ssh/config"));
    txtUsername->setPlaceholderText(QStringLiteral("from ~/.ssh/config"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Remote Host :"), txtRemoteHost);
    form->addRow(QStringLiteral("Port Number :"), txtPort);
    form->addRow(QStringLiteral("User Name :"), txtUsername);
    form->addRow(lblPassword, txtPassword);
    form->addRow(QString(), chkStorePassword);
    form->addRow(QStringLiteral("Remote Directory:"), txtFolder);
    form->addRow(QStringLiteral("Main file:"), txtMainFile);
    auto* auth = new QVBoxLayout;
    auth->addWidget(optAuthType_PublicKey);
    auth->addWidget(optAuthType_Keyboard);
    auth->addWidget(optAuthType_PASSWORD);
    auto* key = new QHBoxLayout;
    key->addWidget(txtPrivateKeyFile, 1);
    key->addWidget(btnOpenFile);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(chkSFTP);
    layout->addWidget(sshNote);
    layout->addLayout(auth);
    layout->addWidget(lblPrivateKeyFile);
    layout->addLayout(key);

    // Plain FTP sends the password and the file in clear text: TLS is the
    // first choice. A new server left at "If offered" is kept to TLS once it
    // has offered it; an entry chosen here is stored as it is.
    lblFtpTls = new QLabel(QStringLiteral("Use TLS (FTP) :"), this);
    cmbFtpTls = named(new QComboBox(this), "cmbFtpTls");
    cmbFtpTls->addItem(QStringLiteral("Required - recommended"), QStringLiteral("required"));
    cmbFtpTls->addItem(QStringLiteral("If offered"), QStringLiteral("optional"));
    cmbFtpTls->addItem(QStringLiteral("Never - password and configuration in clear text"),
                       QStringLiteral("never"));
    lblFtpTls->setBuddy(cmbFtpTls);
    lblFtpTlsNote = named(new QLabel(QStringLiteral("FTP should be protected by TLS (AUTH TLS). A new server "
                                                    "that offers TLS is held to it from then on unless "
                                                    "another choice is made here."),
                                     this),
                          "lblFtpTlsNote");
    lblFtpTlsNote->setWordWrap(true);
    auto* tls = new QHBoxLayout;
    tls->addWidget(lblFtpTls);
    tls->addWidget(cmbFtpTls, 1);
    layout->addLayout(tls);
    layout->addWidget(lblFtpTlsNote);
    connect(cmbFtpTls, &QComboBox::activated, this,
            [this](int index) { m_state.WizardFtpTls = cmbFtpTls->itemData(index).toString(); });
    layout->addStretch();
    addWhyNotLabel(layout);

    for (QLineEdit* e : {txtRemoteHost, txtPort, txtUsername, txtFolder})
        connect(e, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
    connect(chkSFTP, &QCheckBox::toggled, this, &RemotePage::sftpToggled);
    connect(chkSFTP, &QCheckBox::toggled, this, &QWizardPage::completeChanged);
    for (QRadioButton* r : {optAuthType_Keyboard, optAuthType_PublicKey, optAuthType_PASSWORD})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                authChosen();
        });
    connect(txtUsername, &QLineEdit::editingFinished, this, &RemotePage::userNameLeft);
    connect(btnOpenFile, &QPushButton::clicked, this, [this] {
        const QString chosen = FileDialog::getOpenFileName(this, QStringLiteral("Select private key file"));
        if (!chosen.isEmpty())
            txtPrivateKeyFile->setText(chosen);
    });
}

void RemotePage::initializePage()
{
    // With a keychain the password goes there; the choice is offered only without one.
    chkStorePassword->setVisible(!PasswordStore::keychainAvailable());
    chkStorePassword->setChecked(m_state.WizardStorePasswordInIni);
    if (m_state.WizardRemoteFolder.trimmed().isEmpty())
        m_state.WizardRemoteFolder = QStringLiteral("/");
    if (!m_state.WizardRemoteHost.isEmpty()) {
        // Back on this page: what was typed before.
        txtRemoteHost->setText(m_state.WizardRemoteHost);
        txtMainFile->setText(m_state.WizardMainFile);
        txtUsername->setText(m_state.WizardUserName);
        txtPassword->setText(m_state.WizardPassword);
        chkSFTP->setChecked(m_state.WizardIsSftp);
        switch (m_state.WizardSftpAuthType) {
        case kSftpAuthPassword:
            optAuthType_PASSWORD->setChecked(true);
            break;
        case kSftpAuthPublicKey:
            optAuthType_PublicKey->setChecked(true);
            txtPrivateKeyFile->setText(m_state.WizardKeyFile);
            break;
        default:
            optAuthType_Keyboard->setChecked(true);
        }
    } else {
        // A new server: SFTP with keys; port and user as ~/.ssh/config says, else 22.
        m_state.WizardIsSftp = true;
        m_state.WizardPort.clear();
        chkSFTP->setChecked(true);
        optAuthType_PublicKey->setChecked(true);
    }
    txtPort->setText(m_state.WizardPort);
    txtFolder->setText(m_state.WizardRemoteFolder);
    const int tls = cmbFtpTls->findData(m_state.WizardFtpTls.trimmed().toLower());
    cmbFtpTls->setCurrentIndex(tls >= 0 ? tls : cmbFtpTls->findData(QStringLiteral("optional")));
    sftpToggled(chkSFTP->isChecked());
}

void RemotePage::sftpToggled(bool on)
{
    m_state.WizardIsSftp = on;
    for (QWidget* w :
         std::initializer_list<QWidget*>{optAuthType_Keyboard, optAuthType_PublicKey, optAuthType_PASSWORD,
                                         btnOpenFile, txtPrivateKeyFile, lblPrivateKeyFile})
        w->setEnabled(on);
    for (QWidget* w : std::initializer_list<QWidget*>{lblFtpTls, cmbFtpTls, lblFtpTlsNote})
        w->setEnabled(!on);
    // The usual port of the protocol, unless another one was typed; for SFTP
    // an empty port lets ~/.ssh/config decide.
    if (on && txtPort->text().trimmed() == QLatin1String("21"))
        txtPort->clear();
    if (!on && (txtPort->text().trimmed().isEmpty() || txtPort->text().trimmed() == QLatin1String("22")))
        txtPort->setText(QStringLiteral("21"));
    if (on) {
        authChosen();
    } else {
        txtPassword->setEnabled(true);
        lblPassword->setEnabled(true);
    }
}

void RemotePage::authChosen()
{
    if (!chkSFTP->isChecked())
        return;
    const bool key = optAuthType_PublicKey->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{btnOpenFile, txtPrivateKeyFile, lblPrivateKeyFile})
        w->setEnabled(key);
    txtPassword->setEnabled(true);
    lblPassword->setEnabled(true);
}

void RemotePage::userNameLeft()
{
    const QString folder = txtFolder->text().trimmed();
    if (m_state.WizardOsType != QLatin1String("Windows") &&
        (folder == QLatin1String("/") || folder == QLatin1String("/usr/home/")))
        txtFolder->setText(QStringLiteral("/usr/home/") + txtUsername->text().trimmed());
}

QString RemotePage::whyNot() const
{
    // SFTP may leave port and user to ~/.ssh/config.
    const bool sftp = chkSFTP->isChecked();
    if (txtRemoteHost->text().trimmed().isEmpty())
        return QStringLiteral("Enter the remote host");
    if (txtPort->text().trimmed().isEmpty() && !sftp)
        return QStringLiteral("Enter the port number");
    if (txtUsername->text().trimmed().isEmpty() && !sftp)
        return QStringLiteral("Enter the user name");
    if (txtFolder->text().trimmed().isEmpty())
        return QStringLiteral("Enter the remote directory");
    return QString();
}

std::int16_t RemotePage::GetAuthentificationType() const
{
    if (optAuthType_PublicKey->isChecked())
        return kSftpAuthPublicKey;
    if (optAuthType_PASSWORD->isChecked())
        return kSftpAuthPassword;
    return kSftpAuthKeyboard;
}

void RemotePage::storeFields()
{
    m_state.WizardRemoteHost = txtRemoteHost->text().trimmed();
    m_state.WizardUserName = txtUsername->text().trimmed();
    m_state.WizardPassword = txtPassword->text();
    m_state.WizardPasswordKnown = true;
    m_state.WizardStorePasswordInIni = !chkStorePassword->isHidden() && chkStorePassword->isChecked();
    m_state.WizardPort = txtPort->text().trimmed();
    QString folder = txtFolder->text().trimmed();
    QString mainFile = txtMainFile->text().trimmed();
    // A path to the file itself is taken as its folder and the file's name.
    if (folder.contains(QLatin1String(".conf"), Qt::CaseInsensitive)) {
        if (mainFile.isEmpty())
            mainFile = QFileInfo(folder).fileName();
        folder = QFileInfo(folder).path();
    }
    m_state.WizardRemoteFolder = folder;
    m_state.WizardMainFile = mainFile;
    m_state.WizardIsSftp = chkSFTP->isChecked();
    if (m_state.WizardIsSftp) {
        m_state.WizardSftpAuthType = GetAuthentificationType();
        m_state.WizardKeyFile = txtPrivateKeyFile->text().trimmed();
    }
}

void RemotePage::cleanupPage()
{
    storeFields();
}

bool RemotePage::validatePage()
{
    storeFields();
    // Keys need no key file here: ssh-agent and ~/.ssh/config may hold them.
    // A key file that was named must exist, though.
    if (m_state.WizardIsSftp && m_state.WizardSftpAuthType == kSftpAuthPublicKey &&
        !m_state.WizardKeyFile.isEmpty() && !QFileInfo(m_state.WizardKeyFile).isFile()) {
        MessageBox::information(this, QStringLiteral("Please select a valid key file."));
        btnOpenFile->click();
        return false;
    }
    m_state.WizardIsRemote = true;
    m_state.WizardLocalConf.clear();
    return true;
}

} // namespace corvane
