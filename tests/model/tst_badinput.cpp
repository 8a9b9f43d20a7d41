// corvanectl on broken and hostile input: a clear error or the model's
// behaviour, never a crash or a hang, and the input file untouched.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

Run corvanectl(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(CORVANECTL_PATH), args);
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.err = "timeout";
        return r;
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void readOnlyCommands_data();
    void readOnlyCommands();
    void hugeLineThroughSnapshot();
    void editCommands_data();
    void editCommands();
    void usageErrors_data();
    void usageErrors();
};

void TestBadInput::readOnlyCommands_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("stdoutStart");
    QTest::addColumn<QByteArray>("stderrHas");

    for (const char* cmd : {"dump", "rewrite"}) {
        const QByteArray c(cmd);
        QTest::newRow(c + " missing") << "missing" << cmd << 1 << QByteArray() << QByteArray("no such file");
        QTest::newRow(c + " folder") << "folder" << cmd << 1 << QByteArray()
                                     << QByteArray("not a regular file");
        QTest::newRow(c + " unreadable")
            << "unreadable" << cmd << 1 << QByteArray() << QByteArray("Permission denied");
        QTest::newRow(c + " empty") << "empty" << cmd << 0 << QByteArray() << QByteArray();
        QTest::newRow(c + " bare LF untouched") << "unix" << cmd << 0
                                                << (c == "dump" ? QByteArray("1\t-1\t3\t-\t-\tListen\t80\n")
                                                                : QByteArray("Listen 80\n\tServerName a\n"))
                                                << QByteArray();
        QTest::newRow(c + " NUL bytes") << "binary" << cmd << 0 << QByteArray() << QByteArray();
        QTest::newRow(c + " 5 MB line") << "hugeline" << cmd << 0
                                        << (c == "dump" ? QByteArray("1\t-1\t3\t-\t-\tHeader\tset\tX\t")
                                                        : QByteArray("Header set X vvvv"))
                                        << QByteArray();
        QTest::newRow(c + " deep nesting")
            << "deep" << cmd << 0
            << (c == "dump" ? QByteArray("1\t-1\t0\t0\t0\tDirectory\t/x>\n2\t1\t")
                            : QByteArray("<Directory /x>\n<Directory /x>\n"))
            << QByteArray();
    }
    QTest::newRow("rewrite via snapshot NUL bytes")
        << "binary"
        << "rewrite --via-snapshot" << 0 << QByteArray() << QByteArray();
}

void TestBadInput::readOnlyCommands()
{
    QFETCH(QString, kind);
    QFETCH(QString, command);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, stdoutStart);
    QFETCH(QByteArray, stderrHas);

    QTemporaryDir dir;
    const QString file = dir.filePath("httpd.conf");
    QByteArray content;
    if (kind == "folder") {
        QVERIFY(QDir(dir.path()).mkdir("httpd.conf"));
    } else if (kind != "missing") {
        if (kind == "unix" || kind == "unreadable")
            content = "Listen 80\n\tServerName a\n";
        else if (kind == "binary") {
            static const char chunk[] = "\x7f"
                                        "ELF\x02\x01\x01\x00\x00\x00<\x00\r\n#\\\n\xff\xfe";
            content = QByteArray(chunk, sizeof chunk - 1).repeated(5000);
        } else if (kind == "hugeline")
            content = "Header set X " + QByteArray(5 * 1024 * 1024, 'v') + "\n";
        else if (kind == "deep")
            content = QByteArray("<Directory /x>\n").repeated(100000);
        QVERIFY(writeBytes(file, content));
    }
    if (kind == "unreadable") {
        if (geteuid() == 0)
            QSKIP("root reads every file");
        QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
    }
    const QDateTime before = QFileInfo(file).lastModified();

    QStringList args = command.split(' ');
    args.insert(1, file);
    const Run r = corvanectl(args);
    QVERIFY2(!r.crashed && r.err != "timeout", r.err.constData());
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.out.startsWith(stdoutStart), r.out.left(200).constData());
    QVERIFY2(r.err.contains(stderrHas), r.err.constData());
    if (exitCode != 0)
        QVERIFY(r.err.startsWith("corvanectl: "));
    if (kind == "empty")
        QCOMPARE(r.out, QByteArray());
    if (kind == "binary")
        QVERIFY(!r.out.isEmpty());

    // The input is exactly as it was, and nothing was left beside it.
    if (kind != "missing" && kind != "folder") {
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(readBytes(file), content);
        QCOMPARE(QFileInfo(file).lastModified(), before);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             kind == "missing" ? QStringList{} : QStringList{"httpd.conf"});
}

void TestBadInput::hugeLineThroughSnapshot()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("httpd.conf");
    const QByteArray content = "Listen 80\r\nHeader set X " + QByteArray(70000, 'v') + "\r\n";
    QVERIFY(writeBytes(file, content));
    const Run r = corvanectl({"rewrite", file, "--via-snapshot", "-o", dir.filePath("out.conf")});
    QVERIFY(!r.crashed);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(readBytes(dir.filePath("out.conf")), content);
    QCOMPARE(readBytes(file), content);
}

void TestBadInput::editCommands_data()
{
    QTest::addColumn<QStringList>("args"); // after the file name
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("newFile"); // empty: file unchanged, no backup

    // Only the concerned line changes; the file keeps its LF and its tab.
    QTest::newRow("set main server") << QStringList{"set", "-1", "ServerAdmin", "a@b.example"} << 0
                                     << QByteArray("1\n")
                                     << QByteArray("Listen 80\nServerAdmin a@b.example\n<VirtualHost *:80>\n"
                                                   "\tServerName a\n</VirtualHost>\n");
    QTest::newRow("set in host by head")
        << QStringList{"set", "<virtualhost  *:80>", "ServerName", "b", "c"} << 0 << QByteArray("1\n")
        << QByteArray("Listen 80\n<VirtualHost *:80>\n\tServerName b c\n</VirtualHost>\n");
    QTest::newRow("value with blanks is quoted")
        << QStringList{"set", "-1", "DocumentRoot", "/var/www/my site"} << 0 << QByteArray("1\n")
        << QByteArray("Listen 80\nDocumentRoot \"/var/www/my site\"\n<VirtualHost *:80>\n\tServerName a\n"
                      "</VirtualHost>\n");
    QTest::newRow("delete by number") << QStringList{"delete", "2", "ServerName"} << 0 << QByteArray("1\n")
                                      << QByteArray("Listen 80\n<VirtualHost *:80>\n</VirtualHost>\n");
    QTest::newRow("scope that is no section")
        << QStringList{"set", "1", "ServerName", "x"} << 1 << QByteArray() << QByteArray();
    QTest::newRow("value with a line feed")
        << QStringList{"set", "-1", "DocumentRoot", "/www\nInclude /etc/shadow"} << 1 << QByteArray()
        << QByteArray();
    QTest::newRow("value ending in a backslash")
        << QStringList{"set", "2", "DocumentRoot", "C:\\www\\"} << 1 << QByteArray() << QByteArray();
    QTest::newRow("delete absent") << QStringList{"delete", "-1", "ServerAdmin"} << 1 << QByteArray()
                                   << QByteArray();
    QTest::newRow("unknown head") << QStringList{"set", "<VirtualHost *:81>", "ServerName", "x"} << 1
                                  << QByteArray() << QByteArray();
    QTest::newRow("unknown number") << QStringList{"set", "77", "ServerName", "x"} << 1 << QByteArray()
                                    << QByteArray();
    QTest::newRow("scope 0") << QStringList{"set", "0", "ServerName", "x"} << 1 << QByteArray()
                             << QByteArray();
    QTest::newRow("set without value")
        << QStringList{"set", "-1", "Listen"} << 1 << QByteArray() << QByteArray();
    QTest::newRow("get") << QStringList{"get", "<VirtualHost *:80>", "servername"} << 0 << QByteArray("a\n")
                         << QByteArray();
    QTest::newRow("get absent") << QStringList{"get", "-1", "ServerName"} << 1 << QByteArray()
                                << QByteArray();
}

void TestBadInput::editCommands()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, newFile);

    QTemporaryDir dir;
    const QString file = dir.filePath("site.conf");
    const QByteArray content = "Listen 80\n<VirtualHost *:80>\n\tServerName a\n</VirtualHost>\n";
    QVERIFY(writeBytes(file, content));
    args.insert(1, file);
    const Run r = corvanectl(args);
    QVERIFY(!r.crashed);
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, out);
    if (exitCode != 0)
        QVERIFY(!r.err.isEmpty());
    if (newFile.isEmpty()) {
        QCOMPARE(readBytes(file), content);
        QVERIFY(!QFile::exists(file + ".bak"));
    } else {
        QCOMPARE(readBytes(file), newFile);
        QCOMPARE(readBytes(file + ".bak"), content);
    }
}

void TestBadInput::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("dump without file") << QStringList{"dump"};
    QTest::newRow("rewrite two files") << QStringList{"rewrite", "a", "b"};
    QTest::newRow("get missing name") << QStringList{"get", "a", "-1"};
    QTest::newRow("delete with value") << QStringList{"delete", "a", "-1", "Listen", "80"};
    QTest::newRow("bad scope text") << QStringList{"get", CORVANE_SOURCE_DIR "/CMakeLists.txt", "main",
                                                   "Listen"};
}

void TestBadInput::usageErrors()
{
    QFETCH(QStringList, args);
    const Run r = corvanectl(args);
    QVERIFY(!r.crashed);
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.startsWith("corvanectl: "));
}

QTEST_GUILESS_MAIN(TestBadInput)
#include "tst_badinput.moc"
