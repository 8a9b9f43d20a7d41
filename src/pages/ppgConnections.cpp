#include "pages/ppgConnections.h"

#include "forms/FormSupport.h"
#include "forms/PageWidgets.h"
#include "forms/TextCodec.h"
#include "host/FileDialog.h"
#include "host/MessageBox.h"
#include "registry/AppFolder.h"
#include "registry/PasswordStore.h"
#include "registry/RegistryKeys.h"
#include "registry/RegistryProcedures.h"
#include "registry/Servers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace corvane {

namespace {

std::string trimmed(const QString& s)
{
    return TrimBlanks(TextCodec::fromQ(s));
}

} // namespace

ppgConnections::ppgConnections(QWidget* parent)
    : CorvanePage(QStringLiteral("Connection"), 103, ServerNode, parent)
{
    setObjectName(QStringLiteral("ppgConnections"));
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(QStringLiteral("Settings"), this);
    auto* grid = new QGridLayout(frame);
    int row = 0;
    auto add = [&](const QString& caption, QWidget* control, const QString& tipTitle, const QString& tipText,
                   QWidget* extra = nullptr) {
        auto* label = new QLabel(caption, frame);
        label->setBuddy(control);
        grid->addWidget(label, row, 0);
        grid->addWidget(control, row, 1, 1, extra ? 1 : 2);
        if (extra)
            grid->addWidget(extra, row, 2);
        if (!tipTitle.isEmpty())
            FormSupport::setFixedTip(control, tipTitle, tipText);
        ++row;
        return label;
    };
    auto combo = [&](const char* name, const QStringList& entries, bool editable) {
        auto* c = new QComboBox(frame);
        c->setObjectName(QString::fromLatin1(name));
        c->setEditable(editable);
        c->addItems(entries);
        connect(c, &QComboBox::activated, this, [this] { setChanged(); });
        return c;
    };

    m_txtServer = PageWidgets::lineEdit(frame, "txtServer");
    m_txtServer->setReadOnly(true);
    add(QStringLiteral("Server Name :"), m_txtServer, QStringLiteral("Server Name"),
        QStringLiteral("Server to which currently connected"));
    m_cmbVersion = combo("cmbVersion", versionEntries(), true);
    add(QStringLiteral("Apache Version :"), m_cmbVersion, QStringLiteral("Apache Version"),
        QStringLiteral("Version of the Apache Server"));
    m_cmbOS = combo("CmbOS", {QStringLiteral("Windows"), QStringLiteral("Linux / Unix")}, false);
    add(QStringLiteral("Operating System :"), m_cmbOS, QStringLiteral("Operating System"),
        QStringLiteral("Operating System Type"));
    m_txtRemoteHost = PageWidgets::lineEdit(frame, "txtRemoteHost");
    m_remoteLabels << add(QStringLiteral("FTP Remote Host :"), m_txtRemoteHost, QStringLiteral("Remote Host"),
                          QStringLiteral("Host Name"));
    m_txtUsername = PageWidgets::lineEdit(frame, "txtUsername");
    m_remoteLabels << add(QStringLiteral("User Name :"), m_txtUsername, QStringLiteral("Username"),
                          QStringLiteral("Username used to connect to the server"));
    m_txtPassword = PageWidgets::lineEdit(frame, "txtPassword");
    m_txtPassword->setEchoMode(QLineEdit::Password);
    m_remoteLabels << add(QStringLiteral("Password :"), m_txtPassword, QStringLiteral("Password"),
                          QStringLiteral("Password used to connect to the server"));
    m_txtPort = PageWidgets::lineEdit(frame, "txtPort");
    m_txtPort->setReadOnly(true);
    m_remoteLabels << add(QStringLiteral("Port Number :"), m_txtPort, QStringLiteral("Port Number"),
                          QStringLiteral("Port to connect to"));
    m_txtFolder = PageWidgets::lineEdit(frame, "txtFolder");
    m_remoteLabels << add(QStringLiteral("Remote Folder Name :"), m_txtFolder,
                          QStringLiteral("Remote Folder Name"),
                          QStringLiteral("Remote Folder to which connection is established"));
    // Where the configuration's files are: read by the next Get.
    m_txtMainFile = PageWidgets::lineEdit(frame, "txtMainFile");
    m_txtMainFile->setPlaceholderText(QStringLiteral("httpd.conf"));
    add(QStringLiteral("Main File :"), m_txtMainFile, QStringLiteral("Main File"),
        QStringLiteral("Name of the server's main configuration file, without a folder; blank: httpd.conf"));
    m_txtServerRoot = PageWidgets::lineEdit(frame, "txtServerRoot");
    m_txtServerRoot->setPlaceholderText(QStringLiteral("ServerRoot of the main file, else its folder"));
    add(QStringLiteral("Server Root :"), m_txtServerRoot, QStringLiteral("Server Root"),
        QStringLiteral("Absolute folder on the server where relative Include paths start; blank: the main "
                       "file's ServerRoot, else the main file's folder"));
    m_txtAccountRoot = PageWidgets::lineEdit(frame, "txtAccountRoot");
    m_txtAccountRoot->setPlaceholderText(QStringLiteral("/"));
    m_accountRootWidgets << m_txtAccountRoot
                         << add(QStringLiteral("Account Root :"), m_txtAccountRoot,
                                QStringLiteral("Account Root"),
                                QStringLiteral("Absolute folder on the server that the FTP or SFTP account "
                                               "sees as \"/\"; blank: /"));
    m_cmbAuthType =
        combo("CmbAuthType",
              {QStringLiteral("Keyboard"), QStringLiteral("Password"), QStringLiteral("PublicKey")}, false);
    m_lblAuthType = add(QStringLiteral("Secure Authentication:"), m_cmbAuthType, {}, {});
    m_txtPrivateKey = PageWidgets::lineEdit(frame, "txtPrivateKey");
    m_cmdBrowsePrivateKey = PageWidgets::button(frame, "cmdBrowsePrivateKey", "Browse...");
    m_lblPrivateKey = add(QStringLiteral("Privatekey file:"), m_txtPrivateKey, {}, {}, m_cmdBrowsePrivateKey);
    m_txtAuthUsed = PageWidgets::lineEdit(frame, "txtAuthUsed");
    m_txtAuthUsed->setReadOnly(true);
    m_sftpUsedWidgets << m_txtAuthUsed
                      << add(QStringLiteral("Authentication used :"), m_txtAuthUsed,
                             QStringLiteral("Authentication used"),
                             QStringLiteral("How the last SFTP connection logged in"));
    // Plain FTP sends the password and httpd.conf in clear text.
    m_cmbFtpTls = new QComboBox(frame);
    m_cmbFtpTls->setObjectName(QStringLiteral("cmbFtpTls"));
    m_cmbFtpTls->addItem(QStringLiteral("Required"), QStringLiteral("required"));
    m_cmbFtpTls->addItem(QStringLiteral("If offered"), QStringLiteral("optional"));
    m_cmbFtpTls->addItem(QStringLiteral("Never"), QStringLiteral("never"));
    connect(m_cmbFtpTls, &QComboBox::activated, this, [this] { setChanged(); });
    m_ftpWidgets << m_cmbFtpTls
                 << add(QStringLiteral("Use TLS :"), m_cmbFtpTls, QStringLiteral("Use TLS"),
                        QStringLiteral("FTP over TLS (AUTH TLS): Required refuses a server that does not "
                                       "offer it; Never sends the password and the configuration in clear "
                                       "text"));
    m_txtProtectionUsed = PageWidgets::lineEdit(frame, "txtProtectionUsed");
    m_txtProtectionUsed->setReadOnly(true);
    m_ftpWidgets << m_txtProtectionUsed
                 << add(QStringLiteral("Protection used :"), m_txtProtectionUsed,
                        QStringLiteral("Protection used"),
                        QStringLiteral("How the last FTP connection was protected"));
    layout->addWidget(frame);
    m_chkNormalizeLayout = new QCheckBox(QStringLiteral("Normalize layout when saving"), this);
    m_chkNormalizeLayout->setObjectName(QStringLiteral("chkNormalizeLayout"));
    FormSupport::setFixedTip(
        m_chkNormalizeLayout, QStringLiteral("Normalize layout when saving"),
        QStringLiteral("When ticked, every save rewrites httpd.conf scope by scope: lines in "
                       "column 1, blank lines and indentation gone, sections after the "
                       "directives of their scope. When clear, only edited lines change."));
    connect(m_chkNormalizeLayout, &QCheckBox::toggled, this, [this] { setChanged(); });
    layout->addWidget(m_chkNormalizeLayout);
    layout->addStretch(1);

    for (QLineEdit* e : {m_txtRemoteHost, m_txtUsername, m_txtPassword, m_txtFolder, m_txtPrivateKey,
                         m_txtMainFile, m_txtServerRoot, m_txtAccountRoot})
        connect(e, &QLineEdit::textEdited, this, [this] { setChanged(); });
    connect(m_cmbAuthType, &QComboBox::currentIndexChanged, this, [this] { updatePrivateKeyState(); });
    connect(m_cmdBrowsePrivateKey, &QPushButton::clicked, this, [this] {
        const QString chosen = FileDialog::getOpenFileName(this, QStringLiteral("Private key file"));
        if (!chosen.isEmpty()) {
            m_txtPrivateKey->setText(chosen);
            setChanged();
        }
    });
}

QStringList ppgConnections::versionEntries()
{
    QStringList out;
    const struct
    {
        const char* branch;
        int first, last;
    } ranges[] = {{"1.3", 26, 34}, {"2.0", 44, 55}, {"2.2", 0, 34}, {"2.4", 1, 71}};
    for (const auto& r : ranges)
        for (int p = r.first; p <= r.last; ++p)
            out << QStringLiteral("%1.%2").arg(QString::fromLatin1(r.branch)).arg(p);
    return out;
}

int ppgConnections::authCode(const QString& entry)
{
    if (entry == QLatin1String("PublicKey"))
        return 2;
    if (entry == QLatin1String("Password"))
        return 4;
    if (entry == QLatin1String("Keyboard"))
        return 16;
    return 0;
}

QString ppgConnections::authEntry(int code)
{
    switch (code) {
    case 2:
        return QStringLiteral("PublicKey");
    case 4:
        return QStringLiteral("Password");
    case 16:
        return QStringLiteral("Keyboard");
    default:
        return {};
    }
}

void ppgConnections::ResetControls()
{
    for (QLineEdit* e :
         {m_txtServer, m_txtRemoteHost, m_txtUsername, m_txtPassword, m_txtPort, m_txtFolder, m_txtPrivateKey,
          m_txtAuthUsed, m_txtProtectionUsed, m_txtMainFile, m_txtServerRoot, m_txtAccountRoot})
        e->clear();
    m_loadedMainFile.clear();
    m_loadedServerRoot.clear();
    m_loadedAccountRoot.clear();
    m_cmbFtpTls->setCurrentIndex(-1);
    m_loadedTls.clear();
    m_ftp = false;
    m_cmbVersion->setEditText({});
    m_cmbOS->setCurrentIndex(-1);
    m_cmbAuthType->setCurrentIndex(-1);
    m_chkNormalizeLayout->setChecked(false);
    m_sftp = false;
}

void ppgConnections::setRemoteEnabled(bool enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(m_txtRemoteHost), static_cast<QWidget*>(m_txtUsername),
                       static_cast<QWidget*>(m_txtPassword), static_cast<QWidget*>(m_txtPort),
                       static_cast<QWidget*>(m_txtFolder)})
        w->setEnabled(enabled);
    for (QLabel* l : m_remoteLabels)
        l->setEnabled(enabled);
}

void ppgConnections::updatePrivateKeyState()
{
    const bool key = m_cmbAuthType->isEnabled() && m_cmbAuthType->currentText() == QLatin1String("PublicKey");
    for (QWidget* w : {static_cast<QWidget*>(m_txtPrivateKey), static_cast<QWidget*>(m_lblPrivateKey),
                       static_cast<QWidget*>(m_cmdBrowsePrivateKey)})
        w->setEnabled(key);
}

void ppgConnections::LoadControls()
{
    const std::string server = serverName().toStdString();
    const Servers servers{AppFolder(appDir())};
    auto value = [&](const char* key) { return TextCodec::toQ(servers.GetDataFromInI(server, key)); };
    m_txtServer->setText(serverName());
    // What the registry holds for the server; the Sample server has no section
    // there and shows its built-in version and system.
    const AppFolder folder(appDir());
    m_cmbVersion->setEditText(QString::fromStdString(GetServerApacheVersion(server, folder.iniPath())));
    std::string os = TrimBlanks(GetServerOsType(folder, server));
    if (os.empty() && TrimBlanks(server) == registry::kSampleServerName)
        os = registry::kSampleOsType;
    m_cmbOS->setCurrentIndex(m_cmbOS->findText(TextCodec::toQ(os), Qt::MatchFixedString));
    {
        const QSignalBlocker quiet(m_chkNormalizeLayout);
        m_chkNormalizeLayout->setChecked(value(registry::NORMALIZE_LAYOUT).trimmed() == QLatin1String("1"));
    }

    m_loadedMainFile = value(registry::MAIN_FILE).trimmed();
    m_txtMainFile->setText(m_loadedMainFile);
    m_loadedServerRoot = value(registry::SERVER_ROOT).trimmed();
    m_txtServerRoot->setText(m_loadedServerRoot);

    const bool remote = servers.IsRemoteServer(server);
    m_sftp = remote && value("IS_SFTP").trimmed() == QLatin1String("1");
    if (remote) {
        m_loadedAccountRoot = value(registry::ACCOUNT_ROOT).trimmed();
        m_txtAccountRoot->setText(m_loadedAccountRoot);
    }
    for (QWidget* w : m_accountRootWidgets)
        w->setEnabled(remote);
    if (remote) {
        m_txtRemoteHost->setText(value("REMOTE_HOST"));
        m_txtUsername->setText(value("USERNAME"));
        const PasswordStore passwords{AppFolder(appDir())};
        m_passwordInRegistry = passwords.location(server) == PasswordStore::Where::Registry;
        m_txtPassword->setText(TextCodec::toQ(passwords.read(server).value_or(std::string())));
        m_loadedPassword = m_txtPassword->text();
        m_txtPort->setText(value("PORT_NUMBER"));
        m_txtFolder->setText(value("REMOTE_FOLDER"));
    }
    m_ftp = remote && !m_sftp;
    if (m_sftp)
        m_txtAuthUsed->setText(value(registry::SFTP_AUTH_USED));
    if (m_ftp) {
        m_loadedTls = value(registry::FTP_TLS).trimmed().toLower();
        if (m_cmbFtpTls->findData(m_loadedTls) < 0)
            m_loadedTls = QStringLiteral("optional");
        m_cmbFtpTls->setCurrentIndex(m_cmbFtpTls->findData(m_loadedTls));
        m_txtProtectionUsed->setText(value(registry::FTP_PROTECTION_USED));
    }
    setRemoteEnabled(remote);
    for (QWidget* w : m_sftpUsedWidgets)
        w->setEnabled(m_sftp);
    for (QWidget* w : m_ftpWidgets)
        w->setEnabled(m_ftp);
    m_cmbAuthType->setEnabled(m_sftp);
    m_lblAuthType->setEnabled(m_sftp);
    if (m_sftp) {
        const int code = value("SFTP_AUTHTYPE").trimmed().toInt();
        m_cmbAuthType->setCurrentIndex(m_cmbAuthType->findText(authEntry(code)));
        if (code == 2)
            m_txtPrivateKey->setText(value("SFTP_PVTKEYFILE"));
    }
    updatePrivateKeyState();
}

bool ppgConnections::SaveDirectivesFromGUI()
{
    const std::string server = serverName().toStdString();
    if (server.empty() || TrimBlanks(server) == "Sample" || !hasNode())
        return false;
    Servers servers{AppFolder(appDir())};
    // Every registry write is checked; the first failure is shown once.
    QString failure;
    auto write = [&](const char* key, const std::string& value) {
        if (!servers.WriteDataToInI(server, key, value) && failure.isEmpty())
            failure = servers.lastError();
    };
    const QString version = m_cmbVersion->currentText().trimmed();
    if (!version.isEmpty() &&
        !QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(version).hasMatch()) {
        MessageBox::information(this, QStringLiteral("The Apache version must be written as three numbers, "
                                                     "for example 2.4.58; it was not changed."));
    } else {
        write("APACHE_VERSION", trimmed(version));
    }
    write("OS_TYPE", trimmed(m_cmbOS->currentText()));
    // Where the files are: checked as the connection wizard checks them; a
    // value that cannot be right is not written.
    auto writeChanged = [&](const char* key, const QLineEdit* box, QString& loaded, const QString& refusal) {
        const QString text = box->text().trimmed();
        if (!isWritable(box) || text == loaded)
            return;
        if (!refusal.isEmpty()) {
            MessageBox::information(this, refusal);
            return;
        }
        write(key, trimmed(text));
        loaded = text;
    };
    const QString mainFile = m_txtMainFile->text().trimmed();
    writeChanged(registry::MAIN_FILE, m_txtMainFile, m_loadedMainFile,
                 mainFile.contains(u'/') || mainFile.contains(u'\\')
                     ? QStringLiteral("The main file is a file name without a folder, for example "
                                      "apache2.conf; it was not changed.")
                     : QString());
    auto absolute = [](const QLineEdit* box) {
        const QString t = box->text().trimmed();
        return t.isEmpty() || t.startsWith(u'/');
    };
    writeChanged(registry::SERVER_ROOT, m_txtServerRoot, m_loadedServerRoot,
                 absolute(m_txtServerRoot) ? QString()
                                           : QStringLiteral("The server root must be an absolute folder, for "
                                                            "example /etc/apache2; it was not changed."));
    writeChanged(registry::ACCOUNT_ROOT, m_txtAccountRoot, m_loadedAccountRoot,
                 absolute(m_txtAccountRoot) ? QString()
                                            : QStringLiteral("The account root must be an absolute folder, "
                                                             "for example /home/web; it was not changed."));
    write(registry::NORMALIZE_LAYOUT, m_chkNormalizeLayout->isChecked() ? "1" : "0");
    if (isWritable(m_txtUsername))
        write("USERNAME", trimmed(m_txtUsername->text()));
    if (isWritable(m_txtPassword) && m_txtPassword->text() != m_loadedPassword) {
        // The keychain when one runs; Corvane.ini only where the password was kept before.
        PasswordStore passwords{AppFolder(appDir())};
        PasswordStore::Where where = PasswordStore::Where::NotStored;
        if (!passwords.store(server, trimmed(m_txtPassword->text()), m_passwordInRegistry, &where)) {
            if (failure.isEmpty())
                failure = passwords.errorString();
        } else {
            m_loadedPassword = m_txtPassword->text();
            if (where == PasswordStore::Where::NotStored && !m_txtPassword->text().trimmed().isEmpty())
                MessageBox::information(this,
                                        QStringLiteral("No keychain runs on this desktop, so the password "
                                                       "is not kept: Corvane asks for it when it connects "
                                                       "to the server."));
        }
    }
    if (isWritable(m_txtRemoteHost))
        write("REMOTE_HOST", trimmed(m_txtRemoteHost->text()));
    if (isWritable(m_txtFolder))
        write("REMOTE_FOLDER", trimmed(m_txtFolder->text()));
    // Written only when the administrator chose another mode.
    if (const QString tls = m_cmbFtpTls->currentData().toString();
        m_ftp && !tls.isEmpty() && tls != m_loadedTls) {
        write(registry::FTP_TLS, tls.toStdString());
        m_loadedTls = tls;
    }
    if (m_sftp) {
        const int code = authCode(m_cmbAuthType->currentText());
        if (code != 0)
            write("SFTP_AUTHTYPE", std::to_string(code));
        if (code == 2)
            write("SFTP_PVTKEYFILE", TextCodec::fromQ(m_txtPrivateKey->text()));
    }
    if (!failure.isEmpty()) {
        MessageBox::critical(this, QStringLiteral("The connection settings were not all saved: ") + failure);
        return false;
    }
    return true;
}

} // namespace corvane
