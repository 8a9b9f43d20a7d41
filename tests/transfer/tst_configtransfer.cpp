// Fetching and sending httpd.conf against real servers on 127.0.0.1: a local
// folder, vsftpd and OpenSSH's sshd, each started by the test.
#include "ProcessTree.h"
#include "SshAgent.h"
#include "SshdServer.h"
#include "VsftpdServer.h"

#include "model/ConfigFile.h"
#include "registry/AppFolder.h"
#include "registry/IniFile.h"
#include "transfer/ConfigTransfer.h"
#include "transfer/LineEndGuard.h"
#include "transfer/ServerWorkArea.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <unistd.h>

using namespace corvane;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A real-shaped configuration, version n, with LF line ends as a Unix server keeps it.
QByteArray serverConfig(int n)
{
    return "# Apache configuration, revision " + QByteArray::number(n) +
           "\n"
           "ServerRoot \"/etc/apache2\"\n"
           "Listen 80\n"
           "ServerName www" +
           QByteArray::number(n) +
           ".example.test\n"
           "DocumentRoot \"/srv/www\"\n"
           "<Directory \"/srv/www\">\n"
           "    Options Indexes FollowSymLinks\n"
           "    AllowOverride None\n"
           "</Directory>\n"
           "<VirtualHost *:80>\n"
           "    ServerName shop.example.test\n"
           "    DocumentRoot \"/srv/shop\"\n"
           "</VirtualHost>\n";
}

// What a window would have seen.
struct Seen
{
    QStringList statuses;
    QStringList logs;
    int hostKeyQuestions = 0;
    QString fingerprint;
    bool acceptKey = true;
    QStringList prompts;
    std::optional<QString> promptAnswer;
    QStringList passphraseQuestions;
    std::optional<QString> passphraseAnswer;
    std::function<void()> onFirstProgress;
    bool progressed = false;
    QString authUsed;

    QString all() const { return (statuses + logs).join('\n'); }
};

TransferCallbacks callbacksFor(Seen& seen)
{
    TransferCallbacks cb;
    cb.status = [&seen](const QString& t) { seen.statuses << t; };
    cb.log = [&seen](const QString& t) { seen.logs << t; };
    cb.acceptHostKey = [&seen](const QString&, const QString& fp) {
        ++seen.hostKeyQuestions;
        seen.fingerprint = fp;
        return seen.acceptKey;
    };
    cb.prompt = [&seen](const QString& p, bool) {
        seen.prompts << p;
        return seen.promptAnswer;
    };
    cb.passphrase = [&seen](const QString& f) {
        seen.passphraseQuestions << f;
        return seen.passphraseAnswer;
    };
    cb.authenticated = [&seen](const QString& how) { seen.authUsed = how; };
    cb.progress = [&seen](qint64, qint64) {
        if (!seen.progressed && seen.onFirstProgress) {
            seen.progressed = true;
            seen.onFirstProgress();
        }
    };
    return cb;
}

const char* kServer = "web";

} // namespace

class TestConfigTransfer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void roundTrip_data();
    void roundTrip();
    void faults_data();
    void faults();
    void serverKilledDuringUpload_data();
    void serverKilledDuringUpload();
    void sftpAuthentication_data();
    void sftpAuthentication();
    void unknownHostKeyRefused();
    void changedHostKeyRefused();
    void agentKeyOnly();
    void sshConfigAlias_data();
    void sshConfigAlias();
    void proxyJump();
    void administratorKnownHosts_data();
    void administratorKnownHosts();
    void readOnlyApplicationFolder_data();
    void readOnlyApplicationFolder();

private:
    // The server side of one method: where its httpd.conf lives.
    void putOnServer(const QString& method, const QString& name, const QByteArray& bytes);
    QByteArray onServer(const QString& method, const QString& name) const;
    QStringList serverFiles(const QString& method) const;
    TransferState newServerState(const QString& method) const;
    bool runTransfer(TransferState& state, Seen& seen, bool finish = true);
    bool fetch(Seen& seen);
    bool upload(Seen& seen, QString* datedName = nullptr);
    void killFtpSessions();
    // The administrator's ~/.ssh of one test (HOME points above it).
    QString sshDir() const { return m_home->filePath(".ssh"); }
    TransferState aliasState(const QString& alias) const;

    std::unique_ptr<VsftpdServer> m_ftp;
    std::unique_ptr<SshdServer> m_sshd;
    QString m_ftpSkip, m_sshSkip;
    std::unique_ptr<QTemporaryDir> m_app;   // the application folder of one test
    std::unique_ptr<QTemporaryDir> m_local; // the "local server" of one test
    std::unique_ptr<QTemporaryDir> m_home;  // HOME of one test: no ~/.ssh of the machine's user
    QByteArray m_savedHome, m_savedAgent;
};

void TestConfigTransfer::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_savedHome = qgetenv("HOME");
    m_savedAgent = qgetenv("SSH_AUTH_SOCK");
    m_ftpSkip = VsftpdServer::skipReason();
    if (m_ftpSkip.isEmpty()) {
        m_ftp = std::make_unique<VsftpdServer>();
        if (!m_ftp->start())
            m_ftpSkip = "vsftpd did not start: " + m_ftp->error();
    }
    m_sshSkip = SshdServer::skipReason();
    if (m_sshSkip.isEmpty()) {
        m_sshd = std::make_unique<SshdServer>();
        if (!m_sshd->start())
            QFAIL(qPrintable("sshd did not start: " + m_sshd->error()));
    }
}

void TestConfigTransfer::cleanupTestCase()
{
    m_ftp.reset();
    m_sshd.reset();
    qputenv("HOME", m_savedHome);
    if (!m_savedAgent.isEmpty())
        qputenv("SSH_AUTH_SOCK", m_savedAgent);
}

void TestConfigTransfer::init()
{
    m_app = std::make_unique<QTemporaryDir>();
    m_local = std::make_unique<QTemporaryDir>();
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_app->isValid() && m_local->isValid() && m_home->isValid());
    QVERIFY(QDir().mkpath(sshDir()));
    qputenv("HOME", m_home->path().toLocal8Bit());
    qunsetenv("SSH_AUTH_SOCK");
    if (m_ftp) {
        QDir(m_ftp->path("conf")).removeRecursively();
        m_ftp->makeFolder("conf");
        m_ftp->makeFolder("empty");
    }
    if (m_sshd) {
        QDir(m_sshd->path("conf")).removeRecursively();
        m_sshd->makeFolder("conf");
        m_sshd->makeFolder("empty");
    }
}

void TestConfigTransfer::putOnServer(const QString& method, const QString& name, const QByteArray& bytes)
{
    if (method == "local")
        QVERIFY(writeFile(m_local->filePath("conf/" + name), bytes));
    else if (method == "ftp")
        QVERIFY(m_ftp->writeFile("conf/" + name, bytes));
    else
        QVERIFY(m_sshd->writeFile("conf/" + name, bytes));
}

QByteArray TestConfigTransfer::onServer(const QString& method, const QString& name) const
{
    if (method == "local")
        return readFile(m_local->filePath("conf/" + name));
    if (method == "ftp")
        return readFile(m_ftp->path("conf/" + name));
    return readFile(m_sshd->path("conf/" + name));
}

QStringList TestConfigTransfer::serverFiles(const QString& method) const
{
    const QString dir = method == "local" ? m_local->filePath("conf")
                        : method == "ftp" ? m_ftp->path("conf")
                                          : m_sshd->path("conf");
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

TransferState TestConfigTransfer::newServerState(const QString& method) const
{
    TransferState s;
    s.WizardServerName = kServer;
    s.WizardApacheVersion = "2.4.62";
    // No keychain runs here: the later transfers read the password from Corvane.ini.
    s.WizardStorePasswordInIni = true;
    s.WizardPasswordKnown = true;
    s.WizardOsType = "Linux / Unix";
    if (method == "local") {
        s.WizardLocalConf = m_local->filePath("conf/httpd.conf");
        return s;
    }
    s.WizardIsRemote = true;
    if (method == "ftp") {
        s.WizardRemoteHost = m_ftp->host();
        s.WizardPort = QString::number(m_ftp->port());
        s.WizardUserName = VsftpdServer::user();
        s.WizardPassword = VsftpdServer::password();
        s.WizardRemoteFolder = "/conf";
    } else {
        s.WizardIsSftp = true;
        s.WizardSftpAuthType = kSftpAuthPassword;
        s.WizardRemoteHost = m_sshd->host();
        s.WizardPort = QString::number(m_sshd->port());
        s.WizardUserName = SshdServer::user();
        s.WizardPassword = SshdServer::password();
        s.WizardRemoteFolder = m_sshd->path("conf");
    }
    return s;
}

bool TestConfigTransfer::runTransfer(TransferState& state, Seen& seen, bool finish)
{
    ConfigTransfer transfer(AppFolder(m_app->path()), state, callbacksFor(seen));
    transfer.setFtpTimeout(20);
    transfer.setSftpTimeout(20);
    transfer.StartTransfer();
    const bool ok = !state.TransferFailed;
    if (finish)
        transfer.Finish();
    return ok;
}

bool TestConfigTransfer::fetch(Seen& seen)
{
    TransferState s;
    ConfigTransfer::loadServerIntoState(AppFolder(m_app->path()), kServer, s);
    s.GetConfigMode = true;
    return runTransfer(s, seen);
}

bool TestConfigTransfer::upload(Seen& seen, QString* datedName)
{
    TransferState s;
    s.UploadMode = true;
    s.SyncServerName = kServer;
    ConfigTransfer transfer(AppFolder(m_app->path()), s, callbacksFor(seen));
    transfer.setFtpTimeout(20);
    transfer.setSftpTimeout(20);
    transfer.StartTransfer();
    if (datedName)
        *datedName = transfer.datedName();
    const bool ok = !s.TransferFailed;
    transfer.Finish();
    return ok;
}

void TestConfigTransfer::killFtpSessions()
{
    for (qint64 listener : ProcessTree::childrenRunning(::getpid(), "vsftpd"))
        ProcessTree::killDescendants(listener);
}

void TestConfigTransfer::roundTrip_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("os");
    QTest::newRow("local unix") << "local"
                                << "Linux / Unix";
    QTest::newRow("local windows") << "local"
                                   << "Windows";
    QTest::newRow("ftp unix") << "ftp"
                              << "Linux / Unix";
    QTest::newRow("sftp unix") << "sftp"
                               << "Linux / Unix";
    QTest::newRow("sftp windows") << "sftp"
                                  << "Windows";
}

void TestConfigTransfer::roundTrip()
{
    QFETCH(QString, method);
    QFETCH(QString, os);
    if (method == "ftp" && !m_ftpSkip.isEmpty())
        QSKIP(qPrintable(m_ftpSkip));
    if (method == "sftp" && !m_sshSkip.isEmpty())
        QSKIP(qPrintable(m_sshSkip));
    const AppFolder folder(m_app->path());
    const ServerWorkArea area(folder, kServer);

    // Add the server: the first fetch, then Finish registers it.
    putOnServer(method, "httpd.conf", serverConfig(1));
    TransferState add = newServerState(method);
    add.WizardOsType = os;
    Seen seen;
    seen.acceptKey = true;
    QVERIFY2(runTransfer(add, seen), qPrintable(seen.all()));
    QCOMPARE(seen.statuses.last(), QStringLiteral("Connection To Server web established."));
    QVERIFY(IniFile(folder.iniPath()).hasSection(kServer));
    QCOMPARE(readFile(area.backupFile()), serverConfig(1));
    QCOMPARE(readFile(area.workingCopy()), serverConfig(1));
    if (method == "sftp")
        QCOMPARE(seen.hostKeyQuestions, 1);

    // Two more fetches keep the earlier ones as httpd1.conf and httpd2.conf.
    for (int n = 2; n <= 3; ++n) {
        putOnServer(method, "httpd.conf", serverConfig(n));
        Seen again;
        QVERIFY2(fetch(again), qPrintable(again.all()));
        QCOMPARE(again.hostKeyQuestions, 0);
    }
    QCOMPARE(readFile(area.backupFolder() + "/httpd1.conf"), serverConfig(1));
    QCOMPARE(readFile(area.backupFolder() + "/httpd2.conf"), serverConfig(2));
    QCOMPARE(readFile(area.backupFile()), serverConfig(3));
    QCOMPARE(readFile(area.workingCopy()), serverConfig(3));

    // Edit through the model; only the edited line changes, in the server's line ends.
    ConfigFile cf(m_app->path().toStdString());
    cf.SetFileName(area.workingCopy().toStdString());
    QVERIFY(cf.ReadFile());
    QCOMPARE(cf.UpdateDirective("ServerAdmin", "webmaster@example.test", -1), 1);
    QVERIFY(cf.WriteFile());
    const QByteArray working = readFile(area.workingCopy());
    const QByteArray line = "ServerAdmin webmaster@example.test\n";
    QVERIFY(working.contains("\n" + line));
    QCOMPARE(QByteArray(working).replace(line, ""), serverConfig(3));

    Seen up;
    QString dated;
    QVERIFY2(upload(up, &dated), qPrintable(up.all()));
    QCOMPARE(up.statuses.last(), QStringLiteral("File synchronized successfully"));
    const QByteArray expected = os == "Windows" ? LineEndGuard::toCrLf(working) : LineEndGuard::toLf(working);
    QCOMPARE(onServer(method, "httpd.conf"), expected);
    QVERIFY(!onServer(method, "httpd.conf").contains('\r') || os == "Windows");
    QVERIFY2(QRegularExpression("^httpd\\d{6}-\\d{6}\\.conf$").match(dated).hasMatch(), qPrintable(dated));
    QCOMPARE(onServer(method, dated), serverConfig(3));
    QCOMPARE(serverFiles(method), QStringList({"httpd.conf", dated}));
    // The working copy keeps its own line ends, and nothing is left over.
    QCOMPARE(readFile(area.workingCopy()), working);
    QVERIFY(!QFile::exists(area.workingCopyBak()));
}

void TestConfigTransfer::faults_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("expectedText");
    QTest::newRow("local: missing file") << "local"
                                         << "missing file"
                                         << "Cannot read";
    QTest::newRow("ftp: wrong password") << "ftp"
                                         << "wrong password"
                                         << "16530";
    QTest::newRow("ftp: unknown host") << "ftp"
                                       << "unknown host"
                                       << "Connection To Server web failed.";
    QTest::newRow("ftp: nothing listening")
        << "ftp"
        << "closed port"
        << "Connection refused: nothing accepts connections on 127.0.0.1 port 1.";
    QTest::newRow("ftp: missing folder") << "ftp"
                                         << "missing folder"
                                         << "16550";
    QTest::newRow("ftp: no httpd.conf") << "ftp"
                                        << "no httpd.conf"
                                        << "Connection To Server web failed.";
    QTest::newRow("sftp: wrong password") << "sftp"
                                          << "wrong password"
                                          << "Password authentication failed.";
    QTest::newRow("sftp: unknown host") << "sftp"
                                        << "unknown host"
                                        << "Socket error 11001";
    QTest::newRow("sftp: nothing listening") << "sftp"
                                             << "closed port"
                                             << "Socket error 10061";
    QTest::newRow("sftp: missing folder") << "sftp"
                                          << "missing folder"
                                          << "does not exists!";
    QTest::newRow("sftp: no httpd.conf") << "sftp"
                                         << "no httpd.conf"
                                         << "Conf file does not exists!";
}

void TestConfigTransfer::faults()
{
    QFETCH(QString, method);
    QFETCH(QString, fault);
    QFETCH(QString, expectedText);
    if (method == "ftp" && !m_ftpSkip.isEmpty())
        QSKIP(qPrintable(m_ftpSkip));
    if (method == "sftp" && !m_sshSkip.isEmpty())
        QSKIP(qPrintable(m_sshSkip));
    putOnServer(method, "httpd.conf", serverConfig(1));
    TransferState s = newServerState(method);
    if (fault == "missing file")
        s.WizardLocalConf = m_local->filePath("elsewhere/httpd.conf");
    else if (fault == "wrong password")
        s.WizardPassword = "not-the-password";
    else if (fault == "unknown host")
        s.WizardRemoteHost = "no-such-host.invalid";
    else if (fault == "closed port")
        s.WizardPort = "1";
    else if (fault == "missing folder")
        s.WizardRemoteFolder = method == "ftp" ? "/no/such/folder" : m_sshd->path("no/such/folder");
    else if (fault == "no httpd.conf")
        s.WizardRemoteFolder = method == "ftp" ? "/empty" : m_sshd->path("empty");

    Seen seen;
    runTransfer(s, seen, false);
    QVERIFY2(s.TransferFailed, qPrintable(seen.all()));
    QVERIFY2(seen.all().contains(expectedText), qPrintable(seen.all()));
    // Finish after a failure registers nothing and leaves no folder behind.
    ConfigTransfer(AppFolder(m_app->path()), s, {}).Finish();
    const AppFolder folder(m_app->path());
    QVERIFY(!IniFile(folder.iniPath()).hasSection(kServer));
    QVERIFY(!QFileInfo::exists(folder.serverFolder(kServer)));
    // The server's file is untouched.
    QCOMPARE(onServer(method, "httpd.conf"), serverConfig(1));
}

void TestConfigTransfer::serverKilledDuringUpload_data()
{
    QTest::addColumn<QString>("method");
    QTest::newRow("ftp") << "ftp";
    QTest::newRow("sftp") << "sftp";
}

void TestConfigTransfer::serverKilledDuringUpload()
{
    QFETCH(QString, method);
    if (method == "ftp" && !m_ftpSkip.isEmpty())
        QSKIP(qPrintable(m_ftpSkip));
    if (method == "sftp" && !m_sshSkip.isEmpty())
        QSKIP(qPrintable(m_sshSkip));
    putOnServer(method, "httpd.conf", serverConfig(1));
    TransferState add = newServerState(method);
    Seen seen;
    QVERIFY2(runTransfer(add, seen), qPrintable(seen.all()));

    // A working copy large enough that the upload is still running when the
    // server process serving it dies.
    const ServerWorkArea area(AppFolder(m_app->path()), kServer);
    QByteArray big;
    for (int i = 0; big.size() < 4 * 1024 * 1024; ++i)
        big += "# filler line " + QByteArray::number(i) + " of a long comment block\r\n";
    QVERIFY(writeFile(area.workingCopy(), serverConfig(2) + big));

    Seen up;
    up.onFirstProgress = [&] {
        if (method == "ftp")
            killFtpSessions();
        else
            m_sshd->killSessions();
    };
    QVERIFY(!upload(up));
    QVERIFY(up.progressed);
    QVERIFY2(up.all().contains("put back in place"), qPrintable(up.all()));
    // The server has its previous file back, and only that.
    QCOMPARE(onServer(method, "httpd.conf"), serverConfig(1));
    QCOMPARE(serverFiles(method), QStringList{"httpd.conf"});
    // The working copy is as it was.
    QCOMPARE(readFile(area.workingCopy()), serverConfig(2) + big);
}

void TestConfigTransfer::sftpAuthentication_data()
{
    QTest::addColumn<int>("authType");
    QTest::addColumn<QString>("key");          // "", "plain", "locked", "missing"
    QTest::addColumn<QString>("password");     // stored in the wizard
    QTest::addColumn<QString>("promptAnswer"); // answer to keyboard questions / pass phrase ("" none)
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("expectedText");
    const QString pw = SshdServer::password(), phrase = SshdServer::passphrase();
    QTest::newRow("password") << 4 << "" << pw << "" << true << "Authentication type : PASSWORD ...";
    QTest::newRow("keyboard, stored password")
        << 16 << "" << pw << "" << true << "Passing keyboard authentication string for prompt - ";
    QTest::newRow("keyboard, asked") << 16 << ""
                                     << "" << pw << true << "Authentication succeeded";
    QTest::newRow("keyboard, wrong answer") << 16 << ""
                                            << ""
                                            << "nope" << false << "Keyboard authentication failed.";
    QTest::newRow("public key") << 2 << "plain"
                                << ""
                                << "" << true << "Authentication type : PUBLICKEY ...";
    QTest::newRow("locked key, stored pass phrase")
        << 2 << "locked" << phrase << "" << true << "Authentication succeeded";
    QTest::newRow("locked key, asked") << 2 << "locked"
                                       << "" << phrase << true << "Authentication succeeded";
    QTest::newRow("locked key, wrong pass phrase")
        << 2 << "locked"
        << ""
        << "wrong" << false << "SSH key error: Wrong password for private key.";
    QTest::newRow("missing key falls back to password")
        << 2 << "missing" << pw << "" << true
        << "Failed to add key file, disabling public key authentication...";
}

void TestConfigTransfer::sftpAuthentication()
{
    QFETCH(int, authType);
    QFETCH(QString, key);
    QFETCH(QString, password);
    QFETCH(QString, promptAnswer);
    QFETCH(bool, ok);
    QFETCH(QString, expectedText);
    if (!m_sshSkip.isEmpty())
        QSKIP(qPrintable(m_sshSkip));
    putOnServer("sftp", "httpd.conf", serverConfig(4));
    TransferState s = newServerState("sftp");
    s.WizardSftpAuthType = static_cast<std::int16_t>(authType);
    s.WizardPassword = password;
    s.WizardKeyFile = key == "plain"    ? m_sshd->keyFile()
                      : key == "locked" ? m_sshd->encryptedKeyFile()
                                        : m_local->filePath("no-such-key");
    Seen seen;
    if (!promptAnswer.isEmpty()) {
        seen.promptAnswer = promptAnswer;
        seen.passphraseAnswer = promptAnswer;
    }
    const bool result = runTransfer(s, seen);
    QVERIFY2(result == ok, qPrintable(seen.all() + "\n" + QString::fromLocal8Bit(m_sshd->log().right(1500))));
    QVERIFY2(seen.all().contains(expectedText), qPrintable(seen.all()));
    if (authType == 16 && password.isEmpty())
        QVERIFY(!seen.prompts.isEmpty() && seen.prompts.first().contains("assword"));
    if (key == "locked" && password.isEmpty())
        QCOMPARE(seen.passphraseQuestions, QStringList{m_sshd->encryptedKeyFile()});
    const ServerWorkArea area(AppFolder(m_app->path()), kServer);
    QCOMPARE(readFile(area.workingCopy()), ok ? serverConfig(4) : QByteArray("<missing>"));
}

void TestConfigTransfer::unknownHostKeyRefused()
{
    if (!m_sshSkip.isEmpty())
        QSKIP(qPrintable(m_sshSkip));
    putOnServer("sftp", "httpd.conf", serverConfig(1));
    TransferState s = newServerState("sftp");
    Seen seen;
    seen.acceptKey = false;
    QVERIFY(!runTransfer(s, seen));
    QCOMPARE(seen.hostKeyQuestions, 1);
    QCOMPARE(seen.fingerprint, m_sshd->hostKeyFingerprint());
    QVERIFY2(
        seen.all().contains("Error connecting to server web with the given parameters. Please try again."),
        qPrintable(seen.all()));
    const AppFolder folder(m_app->path());
    QVERIFY(readFile(folder.path() + "/known_hosts").isEmpty() ||
            !QFile::exists(folder.path() + "/known_hosts"));
    QVERIFY(!IniFile(folder.iniPath()).hasSection(kServer));
}

void TestConfigTransfer::changedHostKeyRefused()
{
    if (!m_sshSkip.isEmpty())
        QSKIP(qPrintable(m_sshSkip));
    putOnServer("sftp", "httpd.conf", serverConfig(1));
    TransferState s = newServerState("sftp");
    Seen seen;
    QVERIFY2(runTransfer(s, seen), qPrintable(seen.all()));
    QCOMPARE(seen.hostKeyQuestions, 1);
    const QString knownHosts = m_app->filePath("known_hosts");
    const QByteArray known = readFile(knownHosts);
    QVERIFY(known.contains(m_sshd->host().toLatin1()));

    QVERIFY2(m_sshd->replaceHostKey(), qPrintable(m_sshd->error()));
    putOnServer("sftp", "httpd.conf", serverConfig(2));
    Seen again;
    QVERIFY(!fetch(again));
    QCOMPARE(again.hostKeyQuestions, 0);
    QVERIFY2(again.all().contains("has changed"), qPrintable(again.all()));
    QVERIFY(again.all().contains(m_sshd->hostKeyFingerprint()));
    QVERIFY2(again.all().contains("line 1 of " + knownHosts), qPrintable(again.all()));
    // Nothing was taken from the impostor, and its key was not learnt.
    QCOMPARE(readFile(knownHosts), known);
    const ServerWorkArea area(AppFolder(m_app->path()), kServer);
    QCOMPARE(readFile(area.workingCopy()), serverConfig(1));
    QCOMPARE(readFile(area.backupFile()), serverConfig(1));
    QVERIFY(!QFile::exists(area.backupFolder() + "/httpd1.conf"));
}

TransferState TestConfigTransfer::aliasState(const QString& alias) const
{
    TransferState s = newServerState("sftp");
    s.WizardRemoteHost = alias;
    s.WizardPort.clear();
    s.WizardUserName.clear();
    s.WizardPassword.clear();
    s.WizardSftpAuthType = kSftpAuthPublicKey;
    return s;
}

void TestConfigTransfer::agentKeyOnly()
{
    if (!m_sshSkip.isEmpty())
        QSKIP(qPrintable(m_sshSkip));
    if (const QString why = SshAgent::skipReason(); !why.isEmpty())
        QSKIP(qPrintable(why));
    // A server that takes nothing but public keys, and the key only in the agent.
    SshdServer keysOnly;
    keysOnly.setPublicKeyOnly(true);
    QVERIFY2(keysOnly.start(), qPrintable(keysOnly.error()));
    QDir(keysOnly.path("conf")).removeRecursively();
    QVERIFY(keysOnly.writeFile("conf/httpd.conf", serverConfig(7)));
    SshAgent agent;
    QVERIFY2(agent.start(), qPrintable(agent.error()));
    QVERIFY2(agent.add(keysOnly.keyFile()), qPrintable(agent.error()));
    qputenv("SSH_AUTH_SOCK", agent.socketPath().toLocal8Bit());

    TransferState s = newServerState("sftp");
    s.WizardPort = QString::number(keysOnly.port());
    s.WizardRemoteFolder = keysOnly.path("conf");
    s.WizardSftpAuthType = kSftpAuthPublicKey;
    s.WizardPassword.clear();
    s.WizardKeyFile.clear();
    Seen seen;
    QVERIFY2(runTransfer(s, seen),
             qPrintable(seen.all() + "\n" + QString::fromLocal8Bit(keysOnly.log().right(1500))));
    QCOMPARE(seen.authUsed, QStringLiteral("Public key from ssh-agent"));
    QVERIFY(seen.prompts.isEmpty() && seen.passphraseQuestions.isEmpty());
    const AppFolder folder(m_app->path());
    QCOMPARE(readFile(ServerWorkArea(folder, kServer).workingCopy()), serverConfig(7));
    // The page's answer is kept with the server.
    QCOMPARE(IniFile(folder.iniPath()).readValue(kServer, "SFTP_AUTH_USED"),
             std::string("Public key from ssh-agent"));
}

void TestConfigTransfer::sshConfigAlias_data()
{
    QTest::addColumn<QString>("configPort"); // "right", "closed"
    QTest::addColumn<QString>("configUser"); // "right", "wrong"
    QTest::addColumn<QString>("typedPort");  // "", "right", "closed"
    QTest::addColumn<QString>("typedUser");  // "", "right"
    QTest::addColumn<bool>("ok");
    QTest::newRow("all from ~/.ssh/config") << "right"
                                            << "right"
                                            << ""
                                            << "" << true;
    QTest::newRow("typed port and user win") << "closed"
                                             << "wrong"
                                             << "right"
                                             << "right" << true;
    QTest::newRow("a typed wrong port wins too") << "right"
                                                 << "right"
                                                 << "closed"
                                                 << "" << false;
}

void TestConfigTransfer::sshConfigAlias()
{
    QFETCH(QString, configPort);
    QFETCH(QString, configUser);
    QFETCH(QString, typedPort);
    QFETCH(QString, typedUser);
    QFETCH(bool, ok);
    if (!m_sshSkip.isEmpty())
        QSKIP(qPrintable(m_sshSkip));
    putOnServer("sftp", "httpd.conf", serverConfig(5));
    const QString right = QString::number(m_sshd->port());
    QVERIFY(writeFile(sshDir() + "/config",
                      QStringLiteral("# the administrator's own settings\n"
                                     "Host webalias\n"
                                     "    HostName %1\n"
                                     "    Port %2\n"
                                     "    User %3\n"
                                     "    IdentityFile %4\n"
                                     "Host *\n"
                                     "    ServerAliveInterval 60\n")
                          .arg(m_sshd->host(), configPort == "right" ? right : "1",
                               configUser == "right" ? SshdServer::user() : "nosuchuser", m_sshd->keyFile())
                          .toUtf8()));
    TransferState s = aliasState("webalias");
    s.WizardPort = typedPort == "right" ? right : typedPort == "closed" ? "1" : "";
    s.WizardUserName = typedUser == "right" ? SshdServer::user() : "";
    Seen seen;
    const bool result = runTransfer(s, seen);
    QVERIFY2(result == ok, qPrintable(seen.all()));
    const AppFolder folder(m_app->path());
    if (ok) {
        QCOMPARE(seen.hostKeyQuestions, 1);
        QVERIFY2(seen.authUsed.startsWith("Public key"), qPrintable(seen.authUsed));
        QCOMPARE(readFile(ServerWorkArea(folder, kServer).workingCopy()), serverConfig(5));
        // The alias is what is registered: ~/.ssh/config stays the place to change it.
        QCOMPARE(IniFile(folder.iniPath()).readValue(kServer, "REMOTE_HOST"), std::string("webalias"));
    } else {
        QVERIFY2(seen.all().contains("Socket error 10061"), qPrintable(seen.all()));
    }
}

void TestConfigTransfer::proxyJump()
{
    if (!m_sshSkip.isEmpty())
        QSKIP(qPrintable(m_sshSkip));
    SshdServer jump;
    QVERIFY2(jump.start(), qPrintable(jump.error()));
    putOnServer("sftp", "httpd.conf", serverConfig(6));
    QVERIFY(writeFile(sshDir() + "/config", QStringLiteral("Host jumpbox\n"
                                                           "    HostName %1\n"
                                                           "    Port %2\n"
                                                           "    User %3\n"
                                                           "    IdentityFile %4\n"
                                                           "Host inside\n"
                                                           "    HostName %1\n"
                                                           "    Port %5\n"
                                                           "    User %3\n"
                                                           "    IdentityFile %6\n"
                                                           "    ProxyJump jumpbox\n")
                                                .arg(jump.host())
                                                .arg(jump.port())
                                                .arg(SshdServer::user(), jump.keyFile())
                                                .arg(m_sshd->port())
                                                .arg(m_sshd->keyFile())
                                                .toUtf8()));
    TransferState s = aliasState("inside");
    Seen seen;
    QVERIFY2(runTransfer(s, seen),
             qPrintable(seen.all() + "\n" + QString::fromLocal8Bit(jump.log().right(1500))));
    // Both host keys were asked about, the jump host's first.
    QCOMPARE(seen.hostKeyQuestions, 2);
    QCOMPARE(seen.fingerprint, m_sshd->hostKeyFingerprint());
    QVERIFY2(jump.log().contains("Accepted publickey for " + SshdServer::user().toLatin1()),
             jump.log().right(1500).constData());
    QVERIFY2(seen.all().contains("jump host"), qPrintable(seen.all()));
    QCOMPARE(readFile(ServerWorkArea(AppFolder(m_app->path()), kServer).workingCopy()), serverConfig(6));
    // The next connection knows both keys.
    Seen again;
    QVERIFY2(fetch(again), qPrintable(again.all()));
    QCOMPARE(again.hostKeyQuestions, 0);
}

void TestConfigTransfer::administratorKnownHosts_data()
{
    QTest::addColumn<QString>("entry"); // the line for the server in ~/.ssh/known_hosts
    QTest::addColumn<bool>("hashed");
    QTest::addColumn<bool>("ok");
    QTest::newRow("known") << "server" << false << true;
    QTest::newRow("known, hashed") << "server" << true << true;
    QTest::newRow("changed") << "other" << false << false;
    QTest::newRow("changed, hashed") << "other" << true << false;
}

void TestConfigTransfer::administratorKnownHosts()
{
    QFETCH(QString, entry);
    QFETCH(bool, hashed);
    QFETCH(bool, ok);
    if (!m_sshSkip.isEmpty())
        QSKIP(qPrintable(m_sshSkip));
    putOnServer("sftp", "httpd.conf", serverConfig(8));
    const QString file = sshDir() + "/known_hosts";
    const QString name = QStringLiteral("[%1]:%2").arg(m_sshd->host()).arg(m_sshd->port());
    QVERIFY(writeFile(file, ("elsewhere.example.test " + m_sshd->clientPublicKey() + "\n" +
                             "# the server on the test port\n" + name + " " +
                             (entry == "server" ? m_sshd->hostPublicKey() : m_sshd->clientPublicKey()) + "\n")
                                .toUtf8()));
    if (hashed) {
        QProcess keygen;
        keygen.start("ssh-keygen", {"-H", "-f", file});
        QVERIFY(keygen.waitForFinished(10000) && keygen.exitCode() == 0);
        QVERIFY(!readFile(file).contains(name.toLatin1()));
    }
    TransferState s = newServerState("sftp");
    Seen seen;
    QCOMPARE(runTransfer(s, seen), ok);
    QCOMPARE(seen.hostKeyQuestions, 0);
    // Nothing new is learnt either way.
    QVERIFY(!QFile::exists(m_app->filePath("known_hosts")) ||
            readFile(m_app->filePath("known_hosts")).isEmpty());
    if (ok) {
        QVERIFY2(seen.all().contains("found in " + file + ", line 3"), qPrintable(seen.all()));
        QCOMPARE(readFile(ServerWorkArea(AppFolder(m_app->path()), kServer).workingCopy()), serverConfig(8));
    } else {
        QVERIFY2(seen.all().contains("has changed"), qPrintable(seen.all()));
        QVERIFY2(seen.all().contains("line 3 of " + file), qPrintable(seen.all()));
    }
}

void TestConfigTransfer::readOnlyApplicationFolder_data()
{
    QTest::addColumn<QString>("method");
    QTest::newRow("local") << "local";
    QTest::newRow("ftp") << "ftp";
    QTest::newRow("sftp") << "sftp";
}

// A fetch into an application folder that cannot be written says so, and
// does not blame the connection.
void TestConfigTransfer::readOnlyApplicationFolder()
{
    QFETCH(QString, method);
    if (method == "ftp" && !m_ftpSkip.isEmpty())
        QSKIP(qPrintable(m_ftpSkip));
    if (method == "sftp" && !m_sshSkip.isEmpty())
        QSKIP(qPrintable(m_sshSkip));
    if (::geteuid() != 0)
        QSKIP("needs root to mount a read-only folder");
    putOnServer(method, "httpd.conf", serverConfig(1));
    QTemporaryDir mountPoint;
    const auto mount = [&](const QStringList& args) {
        QProcess p;
        p.start("mount", args);
        return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };
    if (!mount({"-t", "tmpfs", "-o", "size=1m", "tmpfs", mountPoint.path()}))
        QSKIP("cannot mount a tmpfs here");
    struct Unmount
    {
        QString path;
        ~Unmount() { QProcess::execute("umount", {path}); }
    } unmount{mountPoint.path()};
    QVERIFY(writeFile(mountPoint.filePath("Corvane.ini"), QByteArray()));
    QVERIFY(mount({"-o", "remount,ro", mountPoint.path()}));

    TransferState s = newServerState(method);
    Seen seen;
    ConfigTransfer transfer(AppFolder(mountPoint.path()), s, callbacksFor(seen));
    transfer.setFtpTimeout(20);
    transfer.setSftpTimeout(20);
    transfer.StartTransfer();
    QVERIFY(s.TransferFailed);
    QVERIFY2(transfer.lastStatus().startsWith("The application folder is not writable"),
             qPrintable(seen.all()));
    QVERIFY2(!seen.all().contains("Connection To Server"), qPrintable(seen.all()));
    QCOMPARE(transfer.failureCause(), transfer.lastStatus());
    QVERIFY(!transfer.Finish());
}

// The cases are split over two test programs built from this file (see
// CMakeLists.txt), so each stays short; arguments pick cases as usual.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestConfigTransfer test;
    QStringList args = app.arguments();
    if (args.size() == 1)
        args += QStringLiteral(CORVANE_TRANSFER_CASES).split(QLatin1Char(' '));
    return QTest::qExec(&test, args);
}

#include "tst_configtransfer.moc"
