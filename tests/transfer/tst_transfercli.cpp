// corvanectl add / fetch / check / diff / upload end to end, against a local
// folder, vsftpd and sshd on 127.0.0.1.
#include "CorvanectlRun.h"
#include "SshdServer.h"
#include "VsftpdServer.h"

#include "registry/IniFile.h"
#include "registry/RegistryProcedures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

using Run = corvane::test::CtlRun;

Run corvanectl(const QString& app, const QStringList& args, const QByteArray& input = QByteArray())
{
    return corvane::test::runCorvanectl(app, args, input, 120000);
}

// Runs corvanectl with its standard output (or `fd`) on a terminal (a
// pseudo-terminal whose other end the test reads).
QByteArray corvanectlOnTerminal(const QString& app, const QStringList& args, int fd = STDOUT_FILENO)
{
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return "<no pty>";
    QProcess p;
    p.setChildProcessModifier([slave, fd] { ::dup2(slave, fd); });
    p.start(QStringLiteral(CORVANE_BINARY_DIR "/src/cli/corvanectl"), QStringList{"--app-dir", app} + args);
    p.waitForFinished(60000);
    ::close(slave);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    QByteArray out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    ::close(master);
    return out;
}

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

// A configuration the installed apache2 accepts, with LF line ends.
QByteArray config(const QString& dir, const QByteArray& serverName)
{
    return "ServerRoot \"/etc/apache2\"\n"
           "Include /etc/apache2/mods-enabled/*.load\n"
           "Include /etc/apache2/mods-enabled/*.conf\n"
           "PidFile " +
           dir.toUtf8() +
           "/httpd.pid\n"
           "ErrorLog " +
           dir.toUtf8() +
           "/error.log\n"
           "Listen 127.0.0.1:18081\n"
           "ServerName " +
           serverName +
           "\n"
           "DocumentRoot " +
           dir.toUtf8() + "\n";
}

QString datedIn(const QString& folder)
{
    const QStringList names = QDir(folder).entryList({"httpd*-*.conf"}, QDir::Files);
    return names.size() == 1 ? names.first() : QString();
}

} // namespace

class TestTransferCli : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void localEndToEnd();
    void revertKeepsTheChanges();
    void diffOnTerminalShowsEscapes();
    void progressLineOnlyOnTerminal();
    void interruptedUploadPutsBack();
    void caseOnlyNameRefused();
    void refusals_data();
    void refusals();
    void remoteEndToEnd_data();
    void remoteEndToEnd();
    void ftpOverTls();
    void silentServer_data();
    void silentServer();
};

// revert puts the working copy back to what the server has and keeps the
// changes in Backup; a second revert has nothing to do.
void TestTransferCli::revertKeepsTheChanges()
{
    QTemporaryDir app, server;
    const QString conf = server.filePath("httpd.conf");
    const QByteArray original = config(server.path(), "www.example.test");
    QVERIFY(writeFile(conf, original));
    Run r =
        corvanectl(app.path(), {"add", "web", "--apache-version", "2.4.62", "--os", "unix", "--local", conf});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QString work = app.filePath("web/WorkArea/httpd.conf");
    const QByteArray edited = QByteArray(original).replace("www.example.test", "shop.example.test");
    QVERIFY(writeFile(work, edited));
    r = corvanectl(app.path(), {"revert", "WEB"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(readFile(work), original);
    const QStringList kept =
        QDir(app.filePath("web/Backup")).entryList({"httpd-unsent-*.conf"}, QDir::Files, QDir::Name);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(readFile(app.filePath("web/Backup/" + kept.first())), edited);
    QVERIFY2(r.out.contains(kept.first()), qPrintable(r.out));
    r = corvanectl(app.path(), {"revert", "web"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("no changes"), qPrintable(r.out));
    QCOMPARE(corvanectl(app.path(), {"revert", "nosuch"}).code, 1);
}

void TestTransferCli::localEndToEnd()
{
    QTemporaryDir app, server;
    const QString conf = server.filePath("httpd.conf");
    QVERIFY(writeFile(conf, config(server.path(), "www.example.test")));

    Run r =
        corvanectl(app.path(), {"add", "web", "--apache-version", "2.4.62", "--os", "unix", "--local", conf});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(corvane::IniFile(app.filePath("Corvane.ini")).hasSection("web"));
    const QString work = app.filePath("web/WorkArea/httpd.conf");
    QCOMPARE(readFile(work), readFile(conf));

    r = corvanectl(app.path(), {"diff", "web"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QString());

    // The administrator edits the working copy (CR LF as the program writes it).
    QByteArray edited = readFile(work).replace("www.example.test", "shop.example.test").replace("\n", "\r\n");
    QVERIFY(writeFile(work, edited));
    r = corvanectl(app.path(), {"diff", "web"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("-ServerName www.example.test\n+ServerName shop.example.test\n"),
             qPrintable(r.out));
    QCOMPARE(r.out.count("\n-"), 1);

    r = corvanectl(app.path(), {"check", "web"});
    QVERIFY2(r.code == 0 && r.out.contains("Syntax OK"), qPrintable(r.out + r.err));

    r = corvanectl(app.path(), {"upload", "web"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(readFile(conf), QByteArray(edited).replace("\r\n", "\n"));
    const QString dated = datedIn(server.path());
    QVERIFY(!dated.isEmpty());
    QVERIFY(r.out.contains(dated));
    QCOMPARE(readFile(server.filePath(dated)), config(server.path(), "www.example.test"));

    // A broken working copy is not sent without --no-check.
    QVERIFY(writeFile(work, edited + "KeepAlive perhaps\r\n"));
    r = corvanectl(app.path(), {"upload", "web"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("KeepAlive") && r.err.contains("Continue with Upload ?"), qPrintable(r.err));
    QCOMPARE(readFile(conf), QByteArray(edited).replace("\r\n", "\n"));
    r = corvanectl(app.path(), {"check", "web"});
    QCOMPARE(r.code, 1);

    // A fetch does not replace changes that were never sent...
    const QByteArray unsent = readFile(work);
    r = corvanectl(app.path(), {"fetch", "web"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("not sent") && r.err.contains("--discard-changes"), qPrintable(r.err));
    QCOMPARE(readFile(work), unsent);
    QCOMPARE(QDir(app.filePath("web/Backup")).entryList({"httpd-unsent-*"}), QStringList());

    // ...unless told to, and then they are kept in Backup. Fetching again
    // keeps the first fetch as httpd1.conf.
    r = corvanectl(app.path(), {"fetch", "web", "--discard-changes"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QStringList kept = QDir(app.filePath("web/Backup")).entryList({"httpd-unsent-*.conf"});
    QCOMPARE(kept.size(), 1);
    QVERIFY2(r.out.contains(kept.first()), qPrintable(r.out));
    QCOMPARE(readFile(app.filePath("web/Backup/" + kept.first())), unsent);
    QCOMPARE(readFile(app.filePath("web/Backup/httpd1.conf")), config(server.path(), "www.example.test"));
    QCOMPARE(readFile(work), readFile(conf));

    // What was uploaded counts as sent: the next fetch needs no question.
    QVERIFY(writeFile(work, readFile(work).replace("shop.example.test", "mail.example.test")));
    QTest::qWait(1100); // the server's previous file gets a name dated to the second
    r = corvanectl(app.path(), {"upload", "web", "--no-check"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    r = corvanectl(app.path(), {"fetch", "web"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(readFile(work).contains("mail.example.test"));
    QCOMPARE(QDir(app.filePath("web/Backup")).entryList({"httpd-unsent-*.conf"}).size(), 1);
}

// A hostile server's file must not drive the administrator's terminal.
void TestTransferCli::diffOnTerminalShowsEscapes()
{
    QTemporaryDir app;
    const QByteArray fetched = "ServerName www.example.test\n";
    const QByteArray hostile = "ServerName \x1b]0;owned\x07www.example.test\x1b[2J\xc2\x9b\n";
    QVERIFY(writeFile(app.filePath("web/Backup/httpd.conf"), fetched));
    QVERIFY(writeFile(app.filePath("web/WorkArea/httpd.conf"), hostile));
    const QByteArray shown = corvanectlOnTerminal(app.path(), {"diff", "web"});
    QVERIFY2(shown.contains("+ServerName \\x1b]0;owned\\x07www.example.test\\x1b[2J\\xc2\\x9b"),
             shown.constData());
    QVERIFY(!shown.contains('\x1b'));
    QVERIFY(!shown.contains('\x07'));
    // Into a file or a pipe the diff stays a patch, byte for byte.
    const Run r = corvanectl(app.path(), {"diff", "web"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.toUtf8().contains(hostile.chopped(1)));
}

// Fetch and upload draw one progress line on a terminal's standard error;
// into a pipe nothing of it goes.
void TestTransferCli::progressLineOnlyOnTerminal()
{
    QTemporaryDir app, server;
    QVERIFY(writeFile(server.filePath("httpd.conf"), "Listen 80\nInclude sites/*.conf\n"));
    for (int i = 1; i <= 5; ++i)
        QVERIFY(writeFile(server.filePath(QStringLiteral("sites/%1.conf").arg(i)),
                          "<VirtualHost *:80>\n</VirtualHost>\n" + QByteArray(2000, '#') + "\n"));
    Run r = corvanectl(app.path(), {"add", "web", "--apache-version", "2.4.62", "--os", "unix", "--local",
                                    server.filePath("httpd.conf")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY2(!r.err.contains('\r') && !r.err.contains("files"), qPrintable(r.err));

    const QByteArray fetched = corvanectlOnTerminal(app.path(), {"fetch", "web"}, STDERR_FILENO);
    QVERIFY2(fetched.contains("\r6/6 files, 10.0 KiB of 10.0 KiB"), fetched.constData());
    r = corvanectl(app.path(), {"fetch", "web"});
    QVERIFY2(r.code == 0 && r.err.isEmpty(), qPrintable(r.err));

    const QString site = app.filePath("web/WorkArea/tree/sites/3.conf");
    QVERIFY(writeFile(site, readFile(site).replace("*:80", "*:8080")));
    const QByteArray sent = corvanectlOnTerminal(app.path(), {"upload", "web", "--no-check"}, STDERR_FILENO);
    QVERIFY2(sent.contains("\r1/1 file, 2.0 KiB of 2.0 KiB"), sent.constData());
    QVERIFY(readFile(server.filePath("sites/3.conf")).contains("*:8080"));
}

// Ctrl-C during an upload is its Cancel: the server keeps every old file
// (or, when the upload was already through, has every new one).
void TestTransferCli::interruptedUploadPutsBack()
{
    QTemporaryDir app, server;
    constexpr int kSites = 300;
    QVERIFY(writeFile(server.filePath("httpd.conf"), "Listen 80\nInclude sites/*.conf\n"));
    for (int i = 1; i <= kSites; ++i)
        QVERIFY(writeFile(server.filePath(QStringLiteral("sites/%1.conf").arg(i)), "# old\n"));
    Run r = corvanectl(app.path(), {"add", "web", "--apache-version", "2.4.62", "--os", "unix", "--local",
                                    server.filePath("httpd.conf")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    for (int i = 1; i <= kSites; ++i)
        QVERIFY(writeFile(app.filePath(QStringLiteral("web/WorkArea/tree/sites/%1.conf").arg(i)), "# new\n"));

    // Interrupted once the progress line shows files moving.
    int master = -1, slave = -1;
    QVERIFY(::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    QProcess p;
    p.setChildProcessModifier([slave] { ::dup2(slave, STDERR_FILENO); });
    p.start(QStringLiteral(CORVANE_BINARY_DIR "/src/cli/corvanectl"),
            {"--app-dir", app.path(), "upload", "web", "--no-check"});
    QByteArray terminal;
    bool interrupted = false;
    while (!p.waitForFinished(10)) {
        char buffer[4096];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            terminal.append(buffer, n);
        if (!interrupted && terminal.contains('\r')) {
            ::kill(pid_t(p.processId()), SIGINT);
            interrupted = true;
        }
    }
    ::close(slave);
    char buffer[4096];
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
        terminal.append(buffer, n);
    ::close(master);
    int olds = 0, news = 0;
    for (int i = 1; i <= kSites; ++i) {
        const QByteArray bytes = readFile(server.filePath(QStringLiteral("sites/%1.conf").arg(i)));
        olds += bytes == "# old\n";
        news += bytes == "# new\n";
    }
    QVERIFY2(olds == kSites || news == kSites,
             qPrintable(QStringLiteral("%1 old, %2 new").arg(olds).arg(news)));
    QCOMPARE(QDir(server.filePath("sites")).count(), uint(kSites + 2)); // nothing left beside them
    if (olds == kSites) {
        QCOMPARE(p.exitCode(), 1);
        QVERIFY2(terminal.contains("Cancelled: nothing was sent"), terminal.constData());
    }
}

// The registry compares names without regard to case: "web" beside "Web"
// would take over Web's entry.
void TestTransferCli::caseOnlyNameRefused()
{
    QTemporaryDir app, server;
    const QString conf = server.filePath("httpd.conf");
    QVERIFY(writeFile(conf, config(server.path(), "www.example.test")));
    Run r =
        corvanectl(app.path(), {"add", "Web", "--apache-version", "2.4.62", "--os", "unix", "--local", conf});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    for (const QString& name : {QStringLiteral("web"), QStringLiteral("WEB"), QStringLiteral(" wEb ")}) {
        r = corvanectl(app.path(),
                       {"add", name, "--apache-version", "2.2.34", "--os", "windows", "--local", conf});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("Server name already exists."), qPrintable(r.err));
    }
    QCOMPARE(QString::fromStdString(
                 corvane::IniFile(app.filePath("Corvane.ini")).readValue("Web", "APACHE_VERSION")),
             QStringLiteral("2.4.62"));
    QCOMPARE(QDir(app.path()).entryList({"web", "WEB", "Web"}, QDir::Dirs), QStringList{"Web"});
    // Commands find the server under any spelling, in its own folder.
    r = corvanectl(app.path(), {"fetch", "web"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(r.out.contains("/Web/WorkArea/httpd.conf"));
    QCOMPARE(QDir(app.path()).entryList({"web", "WEB", "Web"}, QDir::Dirs), QStringList{"Web"});
    r = corvanectl(app.path(),
                   {"add", "a\"b", "--apache-version", "2.4.62", "--os", "unix", "--local", conf});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("double quote"), qPrintable(r.err));
}

void TestTransferCli::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("sample") << QStringList{"add",  "sAmPlE", "--apache-version", "2.0.49",
                                           "--os", "unix",   "--local",          "/etc/hostname"}
                            << "Sorry Server Name Sample Already Assigned By System";
    QTest::newRow("missing local file") << QStringList{"add",  "web",  "--apache-version", "2.0.49",
                                                       "--os", "unix", "--local",          "/no/httpd.conf"}
                                        << "File Not Found! Please verify the path you entered.";
    QTest::newRow("bad os") << QStringList{"add",  "web",  "--apache-version", "2.0.49",
                                           "--os", "beos", "--local",          "/etc/hostname"}
                            << "--os must be windows or unix";
    QTest::newRow("two places") << QStringList{"add",  "web",     "--apache-version", "2.0.49", "--os",
                                               "unix", "--local", "/etc/hostname",    "--ftp",  "h"}
                                << "exactly one";
    QTest::newRow("key file missing")
        << QStringList{"add",    "web", "--apache-version", "2.4.1", "--os",  "unix",        "--sftp", "h",
                       "--user", "u",   "--folder",         "/",     "--key", "/no/such/key"}
        << "Please select a valid key file.";
    QTest::newRow("fetch unknown") << QStringList{"fetch", "nope"} << "no server named nope";
    QTest::newRow("upload unknown") << QStringList{"upload", "nope", "--no-check"} << "no server named nope";
    QTest::newRow("timeout not a number")
        << QStringList{"fetch", "web", "--timeout", "soon"} << "--timeout needs";
    QTest::newRow("timeout zero") << QStringList{"fetch", "web", "--timeout", "0"} << "--timeout needs";
}

void TestTransferCli::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir app;
    const Run r = corvanectl(app.path(), args);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!corvane::IniFile(app.filePath("Corvane.ini")).hasSection("web"));
}

void TestTransferCli::remoteEndToEnd_data()
{
    QTest::addColumn<QString>("method");
    QTest::newRow("ftp") << "ftp";
    QTest::newRow("sftp") << "sftp";
}

void TestTransferCli::remoteEndToEnd()
{
    QFETCH(QString, method);
    std::unique_ptr<VsftpdServer> ftp;
    std::unique_ptr<SshdServer> sshd;
    QStringList where;
    QString serverConf;
    QByteArray password;
    if (method == "ftp") {
        if (const QString why = VsftpdServer::skipReason(); !why.isEmpty())
            QSKIP(qPrintable(why));
        ftp = std::make_unique<VsftpdServer>();
        QVERIFY2(ftp->start(), qPrintable(ftp->error()));
        QVERIFY(ftp->writeFile("conf/httpd.conf", config("/srv/www", "www.example.test")));
        where = {"--ftp",    QStringLiteral("%1:%2").arg(ftp->host()).arg(ftp->port()),
                 "--user",   VsftpdServer::user(),
                 "--folder", "/conf"};
        serverConf = ftp->path("conf/httpd.conf");
        password = VsftpdServer::password().toUtf8() + "\n";
    } else {
        if (const QString why = SshdServer::skipReason(); !why.isEmpty())
            QSKIP(qPrintable(why));
        sshd = std::make_unique<SshdServer>();
        QVERIFY2(sshd->start(), qPrintable(sshd->error()));
        QVERIFY(sshd->writeFile("conf/httpd.conf", config("/srv/www", "www.example.test")));
        where = {"--sftp",   QStringLiteral("%1:%2").arg(sshd->host()).arg(sshd->port()),
                 "--user",   SshdServer::user(),
                 "--folder", sshd->path("conf")};
        serverConf = sshd->path("conf/httpd.conf");
        password = SshdServer::password().toUtf8() + "\n";
    }
    QTemporaryDir app;
    // No keychain runs here: the password is kept in Corvane.ini as asked.
    const QStringList add =
        QStringList{"add", "web", "--apache-version", "2.4.62", "--os", "unix", "--store-password-in-ini"} +
        where;

    Run r;
    if (method == "sftp") {
        // An unknown host key is refused unless accepted on the command line.
        r = corvanectl(app.path(), add, password);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("--accept-new-host-key"), qPrintable(r.err));
        QVERIFY(!corvane::IniFile(app.filePath("Corvane.ini")).hasSection("web"));
    }

    // A wrong password: exit 1 with the status, nothing registered.
    r = corvanectl(app.path(), add + QStringList{"--accept-new-host-key"}, "wrong\n");
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("failed") || r.err.contains("Error"), qPrintable(r.err));
    QVERIFY(!corvane::IniFile(app.filePath("Corvane.ini")).hasSection("web"));
    QVERIFY(!QFileInfo::exists(app.filePath("web")));

    r = corvanectl(app.path(), add + QStringList{"--accept-new-host-key"}, password);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    // Keys come first; with none to offer, the stored password answers the server's question.
    if (method == "sftp")
        QVERIFY2(r.out.contains("Authentication used: Keyboard-interactive"), qPrintable(r.out));
    // The password is kept scrambled, never as typed.
    const QByteArray ini = readFile(app.filePath("Corvane.ini"));
    QVERIFY(!ini.contains(password.trimmed()));
    QCOMPARE(readFile(app.filePath("web/WorkArea/httpd.conf")), readFile(serverConf));

    r = corvanectl(app.path(), {"fetch", "web"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(QFile::exists(app.filePath("web/Backup/httpd1.conf")));

    const QByteArray edited = readFile(app.filePath("web/WorkArea/httpd.conf")).replace("\n", "\r\n") +
                              "ServerAdmin root@example.test\r\n";
    QVERIFY(writeFile(app.filePath("web/WorkArea/httpd.conf"), edited));
    r = corvanectl(app.path(), {"upload", "web", "--no-check"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(readFile(serverConf), QByteArray(edited).replace("\r\n", "\n"));
    const QString dated = datedIn(QFileInfo(serverConf).path());
    QVERIFY(!dated.isEmpty());
    QCOMPARE(readFile(QFileInfo(serverConf).path() + "/" + dated), config("/srv/www", "www.example.test"));
    QCOMPARE(readFile(app.filePath("web/WorkArea/httpd.conf")), edited);

    // A password that is kept nowhere is asked for when needed: without a
    // terminal to ask on, nothing is sent.
    QVERIFY(corvane::IniFile(app.filePath("Corvane.ini")).removeKey("web", "PASSWORD"));
    QVERIFY(writeFile(app.filePath("web/WorkArea/httpd.conf"), edited + "ServerAdmin ops@example.test\r\n"));
    r = corvanectl(app.path(), {"upload", "web", "--no-check"});
    QCOMPARE(r.code, 1);
    // SFTP tries keys and keyboard-interactive first; FTP has only the password to ask for.
    QVERIFY2(r.err.contains("No password for") || (method == "sftp" && r.err.contains("failed")),
             qPrintable(r.err));
    QCOMPARE(readFile(serverConf), QByteArray(edited).replace("\r\n", "\n"));
}

// add / fetch / upload against a vsftpd that requires TLS with a self-signed
// certificate: the fingerprint question, the pin, a changed certificate, and
// "required" refusing a server without TLS.
void TestTransferCli::ftpOverTls()
{
    if (const QString why = VsftpdServer::skipReason(); !why.isEmpty())
        QSKIP(qPrintable(why));
    if (QStandardPaths::findExecutable("openssl").isEmpty())
        QSKIP("openssl is not installed");
    VsftpdServer::Options options;
    options.tls = true;
    VsftpdServer ftp(options);
    QVERIFY2(ftp.start(), qPrintable(ftp.error()));
    QVERIFY(ftp.writeFile("conf/httpd.conf", config("/srv/www", "www.example.test")));
    QTemporaryDir app;
    // No keychain runs here: the password is kept in Corvane.ini.
    const QStringList add{"add",
                          "web",
                          "--apache-version",
                          "2.4.62",
                          "--os",
                          "unix",
                          "--store-password-in-ini",
                          "--ftp",
                          QStringLiteral("%1:%2").arg(ftp.host()).arg(ftp.port()),
                          "--user",
                          VsftpdServer::user(),
                          "--folder",
                          "/conf"};
    const QByteArray password = VsftpdServer::password().toUtf8() + "\n";

    Run r = corvanectl(app.path(), add, password);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(ftp.certificateFingerprint()) && r.err.contains("--accept-new-certificate"),
             qPrintable(r.err));
    QVERIFY(!QFile::exists(app.filePath("web")));

    r = corvanectl(app.path(), add + QStringList{"--accept-new-certificate", "--verbose"}, password);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains("Protection: TLS 1.2, certificate accepted by the administrator"),
             qPrintable(r.out));
    QCOMPARE(readFile(app.filePath("web/WorkArea/httpd.conf")), readFile(ftp.path("conf/httpd.conf")));
    QCOMPARE(corvane::IniFile(app.filePath("Corvane.ini")).readValue("web", "FTP_TLS"),
             std::string("required"));
    QVERIFY(readFile(app.filePath("known_certificates")).contains(ftp.certificateFingerprint().toUtf8()));

    // Pinned: no question the next time, and an upload over TLS.
    r = corvanectl(app.path(), {"fetch", "web"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(writeFile(app.filePath("web/WorkArea/httpd.conf"), config("/srv/www", "shop.example.test")));
    r = corvanectl(app.path(), {"upload", "web", "--no-check"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(readFile(ftp.path("conf/httpd.conf")), config("/srv/www", "shop.example.test"));

    // The server's certificate changes: refused, whatever the flag says.
    ftp.stop();
    QVERIFY(ftp.newCertificate());
    QVERIFY2(ftp.start(), qPrintable(ftp.error()));
    const QString oldPin = QString::fromUtf8(readFile(app.filePath("known_certificates")))
                               .replace(QRegularExpression(":\\d+ "), QStringLiteral(":%1 ").arg(ftp.port()));
    QVERIFY(writeFile(app.filePath("known_certificates"), oldPin.toUtf8())); // the restart chose a new port
    QVERIFY(corvane::IniFile(app.filePath("Corvane.ini"))
                .writeValue("web", "PORT_NUMBER", std::to_string(ftp.port())));
    r = corvanectl(app.path(), {"fetch", "web", "--accept-new-certificate"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("has changed"), qPrintable(r.err));

    // "required" refuses a server without TLS before the password is sent.
    VsftpdServer plain;
    QVERIFY2(plain.start(), qPrintable(plain.error()));
    QTemporaryDir app2;
    r = corvanectl(app2.path(),
                   {"add", "web", "--apache-version", "2.4.62", "--os", "unix", "--ftp",
                    QStringLiteral("%1:%2").arg(plain.host()).arg(plain.port()), "--user",
                    VsftpdServer::user(), "--folder", "/", "--tls", "required"},
                   password);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("TLS is required"), qPrintable(r.err));
}

void TestTransferCli::silentServer_data()
{
    QTest::addColumn<QStringList>("args");         // %1 stands for the port
    QTest::addColumn<QByteArray>("storedTimeout"); // CONNECT_TIMEOUT of a registered "web"; "" none
    QTest::newRow("add --timeout") << QStringList{"add",      "web",   "--apache-version", "2.4.62", "--os",
                                                  "unix",     "--ftp", "127.0.0.1:%1",     "--user", "u",
                                                  "--folder", "/",     "--timeout",        "2"}
                                   << QByteArray();
    QTest::newRow("registry setting") << QStringList{"fetch", "web"} << QByteArray("2");
    QTest::newRow("--timeout over the registry")
        << QStringList{"fetch", "web", "--timeout", "2"} << QByteArray("400");
}

// A server that accepts the connection and never greets: the command gives
// up after the configured seconds and says there was no answer.
void TestTransferCli::silentServer()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, storedTimeout);
    QTcpServer silent; // the kernel accepts; nobody ever writes
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QTemporaryDir app;
    if (!storedTimeout.isEmpty()) {
        corvane::IniFile ini(app.filePath("Corvane.ini"));
        QVERIFY(ini.writeSection("web", {{"SERVER_NAME", "web"},
                                         {"APACHE_VERSION", "2.4.62"},
                                         {"CONNECT_TYPE", "1"},
                                         {"REMOTE_HOST", "127.0.0.1"},
                                         {"USERNAME", "u"},
                                         {"PASSWORD", corvane::EncodePassword("secret")},
                                         {"REMOTE_FOLDER", "/"},
                                         {"PORT_NUMBER", std::to_string(silent.serverPort())},
                                         {"CONNECT_TIMEOUT", storedTimeout.toStdString()},
                                         {"IS_SFTP", "0"},
                                         {"OS_TYPE", "Linux / Unix"}}));
    }
    for (QString& a : args)
        a.replace("%1", QString::number(silent.serverPort()));
    QElapsedTimer clock;
    clock.start();
    const Run r = corvanectl(app.path(), args, "secret\n");
    QCOMPARE(r.code, 1);
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(r.err.contains("No answer: 127.0.0.1 port " + QString::number(silent.serverPort()) +
                            " accepted the connection but sent no complete greeting within 2 seconds."),
             qPrintable(r.err));
}

QTEST_GUILESS_MAIN(TestTransferCli)
#include "tst_transfercli.moc"
