// Work-area backups, dated names, line-end conversion, the diff and the
// Debian Apache environment, on real files in a temporary application folder.
#include "TestFiles.h"

#include "registry/AppFolder.h"
#include "transfer/ApacheEnvironment.h"
#include "transfer/KnownHosts.h"
#include "transfer/LineEndGuard.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/UnifiedDiff.h"

#include <QDir>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using corvane::test::readFile;
using corvane::test::writeFile;

namespace {

// Length of the longest common subsequence, the measure a shortest edit script must meet.
int lcsLength(const std::vector<QByteArray>& a, const std::vector<QByteArray>& b)
{
    std::vector<std::vector<int>> t(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j)
            t[i][j] = a[i - 1] == b[j - 1] ? t[i - 1][j - 1] + 1 : std::max(t[i - 1][j], t[i][j - 1]);
    return t[a.size()][b.size()];
}

} // namespace

class TestTransferPieces : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void rotateBackup_data();
    void rotateBackup();
    void datedName();
    void lineEnds_data();
    void lineEnds();
    void lineEndGuardRestoresWorkingCopy();
    void diff_data();
    void diff();
    void diffIsShortest();
    void lineMarks_data();
    void lineMarks();
    void diffAgreesWithPatch();
    void knownHostsPatterns_data();
    void knownHostsPatterns();
    void envvarsOfDebian();
    void envvarsSuffix();
};

void TestTransferPieces::rotateBackup_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expectedNew");
    QTest::newRow("first fetch kept") << QStringList{"httpd.conf"} << "httpd1.conf";
    QTest::newRow("after two") << QStringList{"httpd.conf", "httpd1.conf", "httpd2.conf"} << "httpd3.conf";
    QTest::newRow("gap uses highest")
        << QStringList{"httpd.conf", "httpd1.conf", "httpd7.conf"} << "httpd8.conf";
    QTest::newRow("foreign names ignored")
        << QStringList{"httpd.conf", "httpd1.conf", "notes.txt", "httpdx.conf", "httpd.conf.orig"}
        << "httpd2.conf";
    QTest::newRow("nothing to rotate") << QStringList{"httpd3.conf"} << QString();
}

void TestTransferPieces::rotateBackup()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, expectedNew);
    QTemporaryDir app;
    const ServerWorkArea area(AppFolder(app.path()), QStringLiteral("web1"));
    QVERIFY(area.ensureFolders());
    for (const QString& name : existing)
        QVERIFY(writeFile(area.backupFolder() + '/' + name, name.toLatin1()));
    QVERIFY(area.RotateBackup());
    QVERIFY(!QFile::exists(area.backupFile()));
    if (!expectedNew.isEmpty())
        QCOMPARE(readFile(area.backupFolder() + '/' + expectedNew), QByteArray("httpd.conf"));
    // A rename, never a copy or a loss.
    QCOMPARE(QDir(area.backupFolder()).entryList(QDir::Files).size(), existing.size());
}

void TestTransferPieces::datedName()
{
    // 15:30:12 on 5 December 2012.
    const QDateTime when(QDate(2012, 12, 5), QTime(15, 30, 12));
    QCOMPARE(ServerWorkArea::datedConfName(when), QStringLiteral("httpd120512-153012.conf"));
    QCOMPARE(ServerWorkArea::datedConfName(QDateTime(QDate(2026, 1, 9), QTime(7, 5, 3))),
             QStringLiteral("httpd010926-070503.conf"));
}

void TestTransferPieces::lineEnds_data()
{
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("windows");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QByteArray("a\nb\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lf") << QByteArray("a\nb\n") << QByteArray("a\nb\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("mixed") << QByteArray("a\nb\r\n\n") << QByteArray("a\nb\n\n")
                           << QByteArray("a\r\nb\r\n\r\n");
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << QByteArray("a\nb") << QByteArray("a\r\nb");
    QTest::newRow("lone cr kept") << QByteArray("a\rb\r\n") << QByteArray("a\rb\n") << QByteArray("a\rb\r\n");
    QTest::newRow("cr cr lf") << QByteArray("a\r\r\n") << QByteArray("a\r\n") << QByteArray("a\r\r\n");
    QTest::newRow("trailing cr") << QByteArray("a\r") << QByteArray("a\r") << QByteArray("a\r");
    QTest::newRow("8-bit bytes") << QByteArray("\xe9\xff\r\n\x00x", 6) << QByteArray("\xe9\xff\n\x00x", 5)
                                 << QByteArray("\xe9\xff\r\n\x00x", 6);
    QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray();
}

void TestTransferPieces::lineEnds()
{
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, windows);
    QCOMPARE(LineEndGuard::toLf(in), out);
    QCOMPARE(LineEndGuard::toCrLf(in), windows);
}

void TestTransferPieces::lineEndGuardRestoresWorkingCopy()
{
    QTemporaryDir dir;
    const QString work = dir.filePath("httpd.conf"), bak = dir.filePath("httpd_bak.conf");
    const QByteArray crlf("Listen 80\r\nServerName x\r\n");
    QVERIFY(writeFile(work, crlf));
    {
        LineEndGuard guard(work, bak);
        QVERIFY(guard.convert());
        QCOMPARE(readFile(work), QByteArray("Listen 80\nServerName x\n"));
        QCOMPARE(readFile(bak), crlf);
        // Leaving the scope puts the working copy back, whatever happened meanwhile.
    }
    QCOMPARE(readFile(work), crlf);
    QVERIFY(!QFile::exists(bak));
}

void TestTransferPieces::diff_data()
{
    QTest::addColumn<QByteArray>("oldText");
    QTest::addColumn<QByteArray>("newText");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("same") << QByteArray("a\nb\n") << QByteArray("a\nb\n") << QByteArray();
    QTest::newRow("only line ends differ")
        << QByteArray("a\nb\n") << QByteArray("a\r\nb\r\n") << QByteArray();
    QTest::newRow("one changed line")
        << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n9\n") << QByteArray("1\n2\n3\n4\nfive\n6\n7\n8\n9\n")
        << QByteArray("--- old\n+++ new\n@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n 7\n 8\n");
    QTest::newRow("insert at start") << QByteArray("a\nb\n") << QByteArray("x\na\nb\n")
                                     << QByteArray("--- old\n+++ new\n@@ -1,2 +1,3 @@\n+x\n a\n b\n");
    QTest::newRow("into empty file") << QByteArray() << QByteArray("x\n")
                                     << QByteArray("--- old\n+++ new\n@@ -0,0 +1,1 @@\n+x\n");
    QTest::newRow("delete at end") << QByteArray("a\nb\nc\n") << QByteArray("a\nb\n")
                                   << QByteArray("--- old\n+++ new\n@@ -1,3 +1,2 @@\n a\n b\n-c\n");
    QTest::newRow("two hunks") << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n")
                               << QByteArray("X\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\nY\n")
                               << QByteArray("--- old\n+++ new\n@@ -1,4 +1,4 @@\n-1\n+X\n 2\n 3\n 4\n@@ -9,4 "
                                             "+9,4 @@\n 9\n 10\n 11\n-12\n+Y\n");
    QTest::newRow("close changes share a hunk")
        << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n") << QByteArray("X\n2\n3\n4\n5\n6\n7\nY\n")
        << QByteArray("--- old\n+++ new\n@@ -1,8 +1,8 @@\n-1\n+X\n 2\n 3\n 4\n 5\n 6\n 7\n-8\n+Y\n");
}

void TestTransferPieces::diff()
{
    QFETCH(QByteArray, oldText);
    QFETCH(QByteArray, newText);
    QFETCH(QByteArray, expected);
    QCOMPARE(UnifiedDiff::diff(oldText, newText, "old", "new"), expected);
}

void TestTransferPieces::lineMarks_data()
{
    QTest::addColumn<QByteArray>("oldText");
    QTest::addColumn<QByteArray>("newText");
    QTest::addColumn<QByteArray>("marks"); // one per line of newText
    QTest::newRow("same") << QByteArray("a\nb\n") << QByteArray("a\nb\n") << QByteArray("  ");
    QTest::newRow("only line ends differ")
        << QByteArray("a\nb\n") << QByteArray("a\r\nb\r\n") << QByteArray("  ");
    QTest::newRow("one changed") << QByteArray("a\nb\nc\n") << QByteArray("a\nB\nc\n") << QByteArray(" ~ ");
    QTest::newRow("one added") << QByteArray("a\nc\n") << QByteArray("a\nb\nc\n") << QByteArray(" + ");
    QTest::newRow("removed only") << QByteArray("a\nb\nc\n") << QByteArray("a\nc\n") << QByteArray("  ");
    QTest::newRow("one replaced by two")
        << QByteArray("a\nb\nc\n") << QByteArray("a\nB1\nB2\nc\n") << QByteArray(" ~+ ");
    QTest::newRow("never fetched") << QByteArray() << QByteArray("a\nb") << QByteArray("++");
    QTest::newRow("two places") << QByteArray("1\n2\n3\n4\n") << QByteArray("0\n1\n2\nthree\n4\n")
                                << QByteArray("+  ~ ");
}

void TestTransferPieces::lineMarks()
{
    QFETCH(QByteArray, oldText);
    QFETCH(QByteArray, newText);
    QFETCH(QByteArray, marks);
    QCOMPARE(UnifiedDiff::lineMarks(oldText, newText), marks);
}

void TestTransferPieces::diffIsShortest()
{
    // Random small texts over a tiny alphabet have many equal lines: the
    // script must rebuild both texts and keep as many lines as an LCS does.
    QRandomGenerator rng(20261206);
    for (int round = 0; round < 400; ++round) {
        std::vector<QByteArray> a, b;
        for (int i = int(rng.bounded(12)); i > 0; --i)
            a.push_back(QByteArray(1, char('a' + rng.bounded(3))));
        for (int i = int(rng.bounded(12)); i > 0; --i)
            b.push_back(QByteArray(1, char('a' + rng.bounded(3))));
        const std::vector<UnifiedDiff::Edit> script = UnifiedDiff::diffLines(a, b);
        std::vector<QByteArray> oldBack, newBack;
        int kept = 0;
        for (const UnifiedDiff::Edit& e : script) {
            if (e.op != UnifiedDiff::Op::Insert)
                oldBack.push_back(a[e.oldLine]);
            if (e.op != UnifiedDiff::Op::Delete)
                newBack.push_back(b[e.newLine]);
            kept += e.op == UnifiedDiff::Op::Equal;
        }
        QCOMPARE(oldBack, a);
        QCOMPARE(newBack, b);
        QCOMPARE(kept, lcsLength(a, b));
    }
}

void TestTransferPieces::diffAgreesWithPatch()
{
    // GNU patch applies our diff of an edited configuration and gets the new file.
    if (QStandardPaths::findExecutable("patch").isEmpty())
        QSKIP("no patch program");
    QByteArray oldText, newText;
    for (int i = 1; i <= 300; ++i) {
        oldText += "Line " + QByteArray::number(i) + "\n";
        if (i % 37 == 0)
            newText += "Changed " + QByteArray::number(i) + "\n";
        else if (i % 53 != 0)
            newText += "Line " + QByteArray::number(i) + "\n";
        if (i % 71 == 0)
            newText += "Added after " + QByteArray::number(i) + "\n";
    }
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("httpd.conf"), oldText));
    QVERIFY(writeFile(dir.filePath("change.diff"),
                      UnifiedDiff::diff(oldText, newText, "a/httpd.conf", "b/httpd.conf")));
    QProcess patch;
    patch.setWorkingDirectory(dir.path());
    patch.setStandardInputFile(dir.filePath("change.diff"));
    patch.start("patch", {"-s", "httpd.conf"});
    QVERIFY(patch.waitForFinished(20000));
    QCOMPARE(patch.exitCode(), 0);
    QCOMPARE(readFile(dir.filePath("httpd.conf")), newText);
}

void TestTransferPieces::knownHostsPatterns_data()
{
    QTest::addColumn<QString>("patterns");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("matches");
    QTest::newRow("plain") << "web.example.test"
                           << "web.example.test" << 22 << true;
    QTest::newRow("case") << "Web.Example.TEST"
                          << "web.example.test" << 22 << true;
    QTest::newRow("list") << "other,web.example.test,10.0.0.1"
                          << "10.0.0.1" << 22 << true;
    QTest::newRow("port needs brackets") << "web.example.test"
                                         << "web.example.test" << 2222 << false;
    QTest::newRow("bracketed port") << "[web.example.test]:2222"
                                    << "web.example.test" << 2222 << true;
    QTest::newRow("other port") << "[web.example.test]:2223"
                                << "web.example.test" << 2222 << false;
    QTest::newRow("star") << "*.example.test"
                          << "web.example.test" << 22 << true;
    QTest::newRow("star, port") << "[*.example.test]:*"
                                << "web.example.test" << 2222 << true;
    QTest::newRow("question mark") << "web?.example.test"
                                   << "web1.example.test" << 22 << true;
    QTest::newRow("negated wins") << "*.example.test,!web.example.test"
                                  << "web.example.test" << 22 << false;
    QTest::newRow("negation alone") << "!db.example.test"
                                    << "web.example.test" << 22 << false;
    QTest::newRow("prefix only") << "web"
                                 << "web.example.test" << 22 << false;
}

void TestTransferPieces::knownHostsPatterns()
{
    QFETCH(QString, patterns);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(bool, matches);
    const QString name = KnownHosts::hostEntryName(host, port);
    QCOMPARE(KnownHosts::hostMatches(patterns, name), matches);
    // The same name hashed as ssh-keygen -H writes it: |1|salt|HMAC-SHA1(salt, name).
    if (!patterns.contains(',') && !patterns.contains('*') && !patterns.contains('?') &&
        !patterns.contains('!')) {
        const QByteArray salt = QByteArray::fromHex("00112233445566778899aabbccddeeff00112233");
        const QByteArray hash =
            QMessageAuthenticationCode::hash(patterns.toLower().toUtf8(), salt, QCryptographicHash::Sha1);
        const QString hashed =
            "|1|" + QString::fromLatin1(salt.toBase64()) + "|" + QString::fromLatin1(hash.toBase64());
        QCOMPARE(KnownHosts::hostMatches(hashed, name), matches);
    }
}

void TestTransferPieces::envvarsOfDebian()
{
    const QString path = ApacheEnvironment::defaultEnvvarsPath();
    if (!QFile::exists(path))
        QSKIP("no /etc/apache2/envvars");
    QProcessEnvironment base;
    base.insert("PATH", "/usr/bin:/bin");
    const QProcessEnvironment env = ApacheEnvironment::fromEnvvars(path, base);
    QCOMPARE(env.value("APACHE_RUN_DIR"), QStringLiteral("/var/run/apache2"));
    QCOMPARE(env.value("APACHE_LOG_DIR"), QStringLiteral("/var/log/apache2"));
    QVERIFY(!env.value("APACHE_RUN_USER").isEmpty());
    // Reading the script directly gives the same values as running it.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QProcessEnvironment parsed = ApacheEnvironment::parseEnvvars(f.readAll(), base);
    for (const char* name : {"APACHE_RUN_USER", "APACHE_RUN_GROUP", "APACHE_PID_FILE", "APACHE_RUN_DIR",
                             "APACHE_LOCK_DIR", "APACHE_LOG_DIR"})
        QCOMPARE(parsed.value(name), env.value(name));
}

void TestTransferPieces::envvarsSuffix()
{
    QProcessEnvironment base;
    base.insert("APACHE_CONFDIR", "/etc/apache2-blue");
    const QByteArray script = "export APACHE_RUN_DIR=/var/run/apache2$SUFFIX\n"
                              "export APACHE_PID_FILE=\"${APACHE_RUN_DIR}/apache2.pid\"\n"
                              "# export IGNORED=1\n"
                              "APACHE_NOT_EXPORTED=x\n";
    const QProcessEnvironment env = ApacheEnvironment::parseEnvvars(script, base);
    QCOMPARE(env.value("APACHE_RUN_DIR"), QStringLiteral("/var/run/apache2-blue"));
    QCOMPARE(env.value("APACHE_PID_FILE"), QStringLiteral("/var/run/apache2-blue/apache2.pid"));
    QVERIFY(!env.contains("IGNORED"));
    QVERIFY(!env.contains("APACHE_NOT_EXPORTED"));
}

QTEST_GUILESS_MAIN(TestTransferPieces)
#include "tst_transferpieces.moc"
