// The syntax check with the real Apache of the system, the choice of the
// checker per version, and the output runner.
#include "registry/AppFolder.h"
#include "registry/IniFile.h"
#include "transfer/DOSOutputs.h"
#include "transfer/SyntaxCheck.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    if (executable)
        f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
    return true;
}

QString systemApache()
{
    for (const char* name : {"apache2", "httpd"}) {
        QString found = QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/local/sbin"});
        if (found.isEmpty())
            found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

// A small configuration the Debian apache2 accepts as it is.
QByteArray validConfig(const QString& dir)
{
    return QByteArray("# test server\r\n"
                      "ServerRoot \"/etc/apache2\"\r\n"
                      "Include /etc/apache2/mods-enabled/*.load\r\n"
                      "Include /etc/apache2/mods-enabled/*.conf\r\n"
                      "PidFile ") +
           dir.toUtf8() + "/httpd.pid\r\n" + "ErrorLog " + dir.toUtf8() + "/error.log\r\n" +
           "Listen 127.0.0.1:18080\r\n"
           "ServerName www.example.test\r\n"
           "DocumentRoot " +
           dir.toUtf8() +
           "\r\n"
           "<VirtualHost 127.0.0.1:18080>\r\n"
           "    ServerName vhost.example.test\r\n"
           "    <Directory " +
           dir.toUtf8() +
           ">\r\n"
           "        Options None\r\n"
           "    </Directory>\r\n"
           "</VirtualHost>\r\n";
}

} // namespace

class TestSyntaxCheck : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void realApache_data();
    void realApache();
    void checkerPerVersion_data();
    void checkerPerVersion();
    void outputArrivesInBlocks();
    void runnerFailures_data();
    void runnerFailures();
    void hostileConfiguration_data();
    void hostileConfiguration();
    void argumentsStayApart();
    void compiledInModules_data();
    void compiledInModules();
};

void TestSyntaxCheck::realApache_data()
{
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("valid") << QByteArray() << true << QString();
    QTest::newRow("unknown directive")
        << QByteArray("ServerFoo on\r\n") << false << QStringLiteral("ServerFoo");
    QTest::newRow("unclosed section")
        << QByteArray("<Directory /tmp>\r\nOptions None\r\n") << false << QStringLiteral("<Directory");
    QTest::newRow("bad argument") << QByteArray("KeepAlive perhaps\r\n") << false
                                  << QStringLiteral("KeepAlive");
}

void TestSyntaxCheck::realApache()
{
    QFETCH(QByteArray, extra);
    QFETCH(bool, ok);
    QFETCH(QString, errorPart);
    if (systemApache().isEmpty())
        QSKIP("no apache2 or httpd installed");
    QTemporaryDir app;
    const AppFolder folder(app.path());
    IniFile(folder.iniPath()).writeValue("web1", "APACHE_VERSION", "2.4.62");
    QVERIFY(writeFile(folder.workingCopyPath("web1"), validConfig(app.path()) + extra));

    SyntaxCheck check(folder);
    DOSOutputs runner;
    QString shown;
    connect(&runner, &DOSOutputs::ReceiveOutputs, this, [&](const QString& t) { shown += t; });
    const QString out = check.run("web1", runner);
    QCOMPARE(shown, out);
    QVERIFY2(SyntaxCheck::syntaxOk(out) == ok, qPrintable(out));
    if (!errorPart.isEmpty())
        QVERIFY2(out.contains(errorPart), qPrintable(out));
}

void TestSyntaxCheck::checkerPerVersion_data()
{
    QTest::addColumn<QStringList>("installed"); // executables under ApacheServer/
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("expected"); // relative to the app folder; "PATH" for the system's; "" none
    QTest::newRow("1.3 folder") << QStringList{"1.3/httpd", "2.0/httpd"} << "1.3.29"
                                << "ApacheServer/1.3/httpd";
    QTest::newRow("2.0 folder") << QStringList{"1.3/httpd", "2.0/httpd"} << "2.0.49"
                                << "ApacheServer/2.0/httpd";
    QTest::newRow("apache2 name") << QStringList{"2.0/apache2"} << "2.0.55"
                                  << "ApacheServer/2.0/apache2";
    QTest::newRow("2.4 own folder") << QStringList{"2.0/httpd", "2.4/httpd"} << "2.4.62"
                                    << "ApacheServer/2.4/httpd";
    QTest::newRow("2.2 falls back to 2.0") << QStringList{"2.0/httpd"} << "2.2.34"
                                           << "ApacheServer/2.0/httpd";
    QTest::newRow("no folder: system") << QStringList{} << "2.4.62"
                                       << "PATH";
    QTest::newRow("1.3 without folder: system") << QStringList{"2.0/httpd"} << "1.3.33"
                                                << "PATH";
    QTest::newRow("1.2 not supported") << QStringList{"1.3/httpd"} << "1.2.0"
                                       << "";
    QTest::newRow("not a version") << QStringList{"2.0/httpd"} << "abc"
                                   << "";
}

void TestSyntaxCheck::checkerPerVersion()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, version);
    QFETCH(QString, expected);
    QTemporaryDir app;
    for (const QString& exe : installed)
        QVERIFY(writeFile(app.filePath("ApacheServer/" + exe), "#!/bin/sh\necho Syntax OK\n", true));
    // A file that is not executable is not a checker.
    QVERIFY(writeFile(app.filePath("ApacheServer/1.3/apache2"), "not a program"));
    SyntaxCheck check{AppFolder(app.path())};
    const QString found = check.checkerFor(version);
    if (expected == "PATH") {
        if (systemApache().isEmpty())
            QVERIFY(found.isEmpty());
        else
            QVERIFY2(!found.startsWith(app.path()) && !found.isEmpty(), qPrintable(found));
    } else if (expected.isEmpty()) {
        QVERIFY(found.isEmpty());
        QVERIFY(!SyntaxCheck::isSupportedVersion(version));
    } else {
        QCOMPARE(found, app.filePath(expected));
    }
}

void TestSyntaxCheck::outputArrivesInBlocks()
{
    // 2000 bytes on stdout and stderr: several pieces of at most 256 bytes, whole in the end.
    DOSOutputs runner;
    QStringList pieces;
    connect(&runner, &DOSOutputs::ReceiveOutputs, this, [&](const QString& t) { pieces << t; });
    const QString out = runner.ExecuteCommand(
        "/bin/sh -c \"i=0; while [ $i -lt 40 ]; do echo 0123456789012345678901234567890123456789012345678 ; "
        "i=$((i+1)); done; echo 'Syntax OK' >&2\"");
    QCOMPARE(runner.errorText(), QString());
    QCOMPARE(out.size(), 40 * 50 + 10);
    QVERIFY(out.endsWith("Syntax OK\n"));
    QVERIFY(pieces.size() >= 8);
    for (const QString& p : pieces)
        QVERIFY(p.toLocal8Bit().size() <= 256);
    QCOMPARE(pieces.join(QString()), out);
    QCOMPARE(runner.Outputs(), out);
}

void TestSyntaxCheck::runnerFailures_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty") << "   "
                           << "Command Line empty";
    QTest::newRow("missing program") << "\"/nonexistent/ApacheServer/2.0/httpd\" -f \"/x/httpd.conf\" -t"
                                     << "File or command not found";
}

void TestSyntaxCheck::runnerFailures()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, error);
    DOSOutputs runner;
    QCOMPARE(runner.ExecuteCommand(commandLine), QString());
    QCOMPARE(runner.errorText(), error);
}

void TestSyntaxCheck::hostileConfiguration_data()
{
    // %A is the application folder, %B the server's Backup folder.
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<int>("line"); // the line the check names; 0: the check runs
    QTest::newRow("LoadFile of a fetched file") << QByteArray("LoadFile %B/httpd1.conf\n") << 1;
    QTest::newRow("quoted, CR LF") << QByteArray("# fetched\r\nLoadFile \"%B/httpd1.conf\"\r\n") << 2;
    QTest::newRow("LoadModule in the work area")
        << QByteArray("LoadModule evil_module %A/web/WorkArea/mod_evil.so\n") << 1;
    QTest::newRow("guarded by IfFile")
        << QByteArray("<IfFile %B/httpd1.conf>\n    LoadFile %B/httpd1.conf\n</IfFile>\n") << 2;
    QTest::newRow("continued line") << QByteArray("LoadFile \\\n  %B/httpd1.conf\n") << 1;
    QTest::newRow("ServerRoot in the application folder")
        << QByteArray("ServerRoot %A/web\nLoadFile Backup/httpd1.conf\n") << 1;
    QTest::newRow("relative path, no such module")
        << QByteArray("LoadFile ../../%A/web/Backup/httpd1.conf\n") << 1;
    QTest::newRow("Include of a fetched file") << QByteArray("Include %B/evil.conf\n") << 1;
    QTest::newRow("IncludeOptional glob") << QByteArray("IncludeOptional %B/*.conf\n") << 1;
    QTest::newRow("variable") << QByteArray("Define X %A\nLoadFile ${X}/web/Backup/httpd1.conf\n") << 2;
    QTest::newRow("odd module name")
        << QByteArray("LoadModule 'a %B/httpd1.conf' /usr/lib/apache2/modules/mod_info.so\n") << 1;
    QTest::newRow("module elsewhere, mapped by name")
        << QByteArray("LoadModule info_module /opt/remote/modules/mod_info.so\n") << 0;
    QTest::newRow("relative module path, mapped by name")
        << QByteArray("LoadModule info_module modules/mod_info.so\n") << 0;
}

// A fetched configuration names a shared library that the fetch brought in
// (it would create a marker file when loaded): the check never loads it and
// says which line it refused.
void TestSyntaxCheck::hostileConfiguration()
{
    QFETCH(QByteArray, lines);
    QFETCH(int, line);
    if (systemApache().isEmpty() || !QFileInfo("/usr/lib/apache2/modules/mod_info.so").isFile())
        QSKIP("needs Debian's apache2 with mod_info");
    const QString cc = QStandardPaths::findExecutable("cc");
    if (cc.isEmpty())
        QSKIP("needs a C compiler to build the hostile library");
    QTemporaryDir app, markers;
    const AppFolder folder(app.path());
    const QString backup = app.filePath("web/Backup");
    const QString marker = markers.filePath("loaded");
    QVERIFY(writeFile(app.filePath("evil.c"), "#include <fcntl.h>\n#include <unistd.h>\n"
                                              "__attribute__((constructor)) static void mark(void) {\n"
                                              "    int fd = open(\"" +
                                                  marker.toUtf8() +
                                                  "\", O_CREAT | O_WRONLY, 0666);\n"
                                                  "    if (fd >= 0) close(fd);\n}\n"));
    QDir().mkpath(backup);
    QDir().mkpath(app.filePath("web/WorkArea"));
    QCOMPARE(
        QProcess::execute(cc, {"-shared", "-fPIC", "-o", backup + "/httpd1.conf", app.filePath("evil.c")}),
        0);
    QVERIFY(QFile::copy(backup + "/httpd1.conf", app.filePath("web/WorkArea/mod_evil.so")));
    QVERIFY(writeFile(backup + "/evil.conf", "LoadFile " + backup.toUtf8() + "/httpd1.conf\n"));
    // Everything is readable to any user, so only the check itself can keep the library out.
    for (const QString& dir : {app.path(), app.filePath("web"), backup, app.filePath("web/WorkArea")})
        QFile::setPermissions(dir, QFile::Permissions(0x7755));
    QFile::setPermissions(markers.path(), QFile::Permissions(0x7777));

    IniFile(folder.iniPath()).writeValue("web", "APACHE_VERSION", "2.4.62");
    const QByteArray hostile =
        QByteArray(lines).replace("%B", backup.toUtf8()).replace("%A", app.path().toUtf8());
    QVERIFY(writeFile(folder.workingCopyPath("web"), hostile + validConfig(app.path())));
    QVERIFY(writeFile(app.filePath("web/Backup/httpd.conf"), hostile + validConfig(app.path())));

    SyntaxCheck check(folder);
    DOSOutputs runner;
    QString shown;
    connect(&runner, &DOSOutputs::ReceiveOutputs, this, [&](const QString& t) { shown += t; });
    const QString out = check.run("web", runner);
    QCOMPARE(shown, out);
    QVERIFY2(!QFile::exists(marker), qPrintable(out));
    if (line == 0) {
        QVERIFY2(SyntaxCheck::syntaxOk(out), qPrintable(out));
        return;
    }
    QVERIFY2(!SyntaxCheck::syntaxOk(out), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("line %1 of %2").arg(line).arg(folder.workingCopyPath("web"))),
             qPrintable(out));
}

// Blanks, quotes and shell characters in a server name reach the checker
// inside one argument (double quotes are refused in names altogether).
void TestSyntaxCheck::argumentsStayApart()
{
    QTemporaryDir app;
    const AppFolder folder(app.path());
    const std::string name = "we'b -t $(x) 'x";
    QVERIFY(writeFile(app.filePath("ApacheServer/2.4/httpd"),
                      "#!/bin/sh\nfor a in \"$@\"; do echo \"arg:$a\"; done\necho Syntax OK\n", true));
    for (const QString& dir : {app.path(), app.filePath("ApacheServer"), app.filePath("ApacheServer/2.4")})
        QFile::setPermissions(dir, QFile::Permissions(0x7755));
    QFile::setPermissions(app.filePath("ApacheServer/2.4/httpd"), QFile::Permissions(0x7755));
    IniFile(folder.iniPath()).writeValue(name, "APACHE_VERSION", "2.4.1");
    QVERIFY(writeFile(folder.workingCopyPath(name), "ServerName www.example.test\n"));
    SyntaxCheck check(folder);
    DOSOutputs runner;
    const QString out = check.run(QString::fromStdString(name), runner);
    const QStringList args = out.split('\n').filter(QRegularExpression("^arg:"));
    QCOMPARE(args, QStringList({"arg:-f", "arg:" + folder.workingCopyPath(name), "arg:-t"}));
}

QTEST_GUILESS_MAIN(TestSyntaxCheck)
#include "tst_syntaxcheck.moc"

void TestSyntaxCheck::compiledInModules_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("modules");
    QTest::newRow("Debian") << QStringLiteral("Compiled in modules:\n  core.c\n  mod_so.c\n  mod_logio.c\n")
                            << QStringList{"core.c", "mod_so.c", "mod_logio.c"};
    QTest::newRow("tabs, CR LF") << QStringLiteral("Compiled in modules:\r\n\tcore.c\r\n  http_core.c\r\n")
                                 << QStringList{"core.c", "http_core.c"};
    QTest::newRow("an error, not a list")
        << QStringLiteral("apache2: bad user name ${APACHE_RUN_USER}\n  see the manual.c\n") << QStringList{};
}

void TestSyntaxCheck::compiledInModules()
{
    QFETCH(QString, output);
    QFETCH(QStringList, modules);
    QCOMPARE(SyntaxCheck::parseCompiledIn(output), modules);

    // The real checker's list: what it has built in, asked without a configuration.
    if (systemApache().isEmpty())
        QSKIP("no apache2 or httpd installed");
    QTemporaryDir app;
    const SyntaxCheck check{AppFolder(app.path())};
    const QStringList real = check.compiledInModules(QStringLiteral("2.4.62"));
    QVERIFY2(real.contains("core.c") && real.contains("mod_so.c"), qPrintable(real.join(' ')));
    QVERIFY(check.compiledInModules(QStringLiteral("1.2.9")).isEmpty()); // no checker for it
}
