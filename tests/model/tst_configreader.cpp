// Reading a configuration file: line ends, blanks, continuations, nesting,
// numbering, and the normalised file left on disk.
#include "ModelTestUtil.h"

#include "model/ConfigFile.h"
#include "model/CorvaneError.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace corvane;
using namespace modeltest;

class TestConfigReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void read_data();
    void read();
    void convertedFileOnDisk_data();
    void convertedFileOnDisk();
    void missingFileLeavesModel_data();
    void missingFileLeavesModel();
    void rereadNumbersAfresh();
    void deletedLinesStayCounted();
    void moreLinesThanSixteenBits();
    void unreadableFileRaises();
    void snapshotPathFollowsWorkingCopy_data();
    void snapshotPathFollowsWorkingCopy();
};

void TestConfigReader::read_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("bare LF") << QByteArray("Listen 80\nServerName a\n")
                             << QStringList{"1 -1 3 Listen 80", "2 -1 3 ServerName a"};
    QTest::newRow("CR only") << QByteArray("Listen 80\rServerName a")
                             << QStringList{"1 -1 3 Listen 80", "2 -1 3 ServerName a"};
    QTest::newRow("mixed ends") << QByteArray("A 1\r\nB 2\nC 3\rD 4")
                                << QStringList{"1 -1 3 A 1", "2 -1 3 B 2", "3 -1 3 C 3", "4 -1 3 D 4"};
    QTest::newRow("blanks and tabs") << QByteArray("\n\n\tListen 80\n   \n\t\tServerName  a \t\n")
                                     << QStringList{"1 -1 3 Listen 80", "2 -1 3 ServerName  a"};
    QTest::newRow("continuation with blank")
        << QByteArray("AddType text/html \\\n.shtml\n") << QStringList{"1 -1 3 AddType text/html .shtml"};
    QTest::newRow("continuation without blank") << QByteArray("Foo\\\nbar\n") << QStringList{"1 -1 3 Foobar"};
    QTest::newRow("continued comment")
        << QByteArray("# a \\\nListen 80\n") << QStringList{"1 -1 1 # a Listen 80"};
    QTest::newRow("continuation over three lines")
        << QByteArray("A \\\n  b \\\n\tc\n") << QStringList{"1 -1 3 A b c"};
    QTest::newRow("continuation dropped at end")
        << QByteArray("Listen 80\nFoo \\") << QStringList{"1 -1 3 Listen 80"};
    QTest::newRow("nesting") << QByteArray("<VirtualHost *>\nServerName a\n<Directory /x>\nOptions None\n"
                                           "</Directory>\nServerAlias b\n</VirtualHost>\nListen 80\n")
                             << QStringList{"1 -1 0 <VirtualHost *>", "2 1 3 ServerName a",
                                            "3 1 0 <Directory /x>",   "4 3 3 Options None",
                                            "5 3 0 </Directory>",     "6 1 3 ServerAlias b",
                                            "7 1 0 </VirtualHost>",   "8 -1 3 Listen 80"};
    QTest::newRow("end without head")
        << QByteArray("</Directory>\nListen 80\n") << QStringList{"1 -1 0 </Directory>", "2 -1 3 Listen 80"};
    QTest::newRow("head without end") << QByteArray("<Directory /x>\nOptions None\n")
                                      << QStringList{"1 -1 0 <Directory /x>", "2 1 3 Options None"};
    QTest::newRow("sections outside the table do not nest")
        << QByteArray("<Directory /x>\n<Limit GET>\nRequire all granted\n</Limit>\n</Directory>\n")
        << QStringList{"1 -1 0 <Directory /x>", "2 1 0 <Limit GET>", "3 1 3 Require all granted",
                       "4 1 0 </Limit>", "5 1 0 </Directory>"};
    QTest::newRow("comments are children")
        << QByteArray("<IfModule x>\n# inside\n</IfModule>\n# outside\n")
        << QStringList{"1 -1 0 <IfModule x>", "2 1 1 # inside", "3 1 0 </IfModule>", "4 -1 1 # outside"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("only blank lines") << QByteArray("\r\n  \r\n\t\r\n") << QStringList{};
    QTest::newRow("bytes above 127 and NUL")
        << QByteArray("ServerAdmin r\xe9my\x00x\xff\n", 20)
        << QStringList{QString::fromLatin1("1 -1 3 ServerAdmin r\xe9my\x00x\xff", 26)};
}

void TestConfigReader::read()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), input));
    QCOMPARE(dump(cf), expected);
    QCOMPARE(cf.GetDirectiveCount(), expected.size());
}

void TestConfigReader::convertedFileOnDisk_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("onDisk");

    // Bare LFs split a line after it was read; a final LF leaves an empty line.
    QTest::newRow("LF becomes CR LF") << QByteArray("A 1\nB 2\n") << QByteArray("A 1\r\nB 2\r\n\r\n");
    QTest::newRow("no end on last line") << QByteArray("A 1") << QByteArray("A 1\r\n");
    QTest::newRow("leading empty lines go, later ones stay")
        << QByteArray("\r\n\r\nA 1\r\n\r\nB 2\r\n") << QByteArray("A 1\r\n\r\nB 2\r\n");
    // Each line is trimmed first, then its tabs become blanks.
    QTest::newRow("tabs after trimming") << QByteArray(" \tA\t1 \r\n") << QByteArray(" A 1\r\n");
    QTest::newRow("LF inside a CR line") << QByteArray(" a \n b \r\n") << QByteArray("a \r\n b\r\n");
    QTest::newRow("empty stays empty") << QByteArray() << QByteArray();
    QTest::newRow("blank CR lines only") << QByteArray("\r\n  \r\n") << QByteArray();
    QTest::newRow("blank LF lines only") << QByteArray("\n\n") << QByteArray("\r\n\r\n\r\n");
    QTest::newRow("already normal") << QByteArray("A 1\r\n") << QByteArray("A 1\r\n");
}

void TestConfigReader::convertedFileOnDisk()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, onDisk);
    QTemporaryDir dir;
    const QString path = dir.filePath("httpd.conf");
    QVERIFY(writeBytes(path, input));
    ConfigFile cf;
    cf.SetFileName(path.toStdString());
    QVERIFY(cf.ConvertFile());
    QCOMPARE(readBytes(path), onDisk);
    // Reading never changes the file.
    QVERIFY(writeBytes(path, input));
    QVERIFY(cf.ReadFile());
    QCOMPARE(readBytes(path), input);
}

void TestConfigReader::missingFileLeavesModel_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << "nope.conf";
    QTest::newRow("folder") << "sub";
    QTest::newRow("empty name") << "";
}

void TestConfigReader::missingFileLeavesModel()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("sub"));
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), "Listen 80\nListen 81\n"));
    cf.SetFileName(name.isEmpty() ? std::string() : dir.filePath(name).toStdString());
    QVERIFY(!cf.ConvertFile());
    QVERIFY(!cf.ReadFile());
    QCOMPARE(cf.GetDirectiveCount(), 2);
    QVERIFY(!QFile::exists(dir.filePath("nope.conf")));
}

void TestConfigReader::rereadNumbersAfresh()
{
    QTemporaryDir dir;
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), "A 1\nB 2\n"));
    QCOMPARE(cf.UpdateDirective("C", "3", -1), 1);
    QCOMPARE(cf.GetDirectiveCount(), 3);
    QVERIFY(load(cf, dir.path(), "X 1\n"));
    QCOMPARE(dump(cf), QStringList{"1 -1 3 X 1"});
    QCOMPARE(cf.GetNextDirectiveNo(), 2);
}

void TestConfigReader::deletedLinesStayCounted()
{
    QTemporaryDir dir;
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), "A 1\nB 2\nC 3\n"));
    QVERIFY(cf.DeleteDirective(2));
    QCOMPARE(cf.GetDirectiveCount(), 3);
    QVERIFY(cf.GetDirective(2) == nullptr);
    QVERIFY(cf.FindDirective(2) == nullptr);
    QVERIFY(cf.GetDirective(3) != nullptr);
    QVERIFY(cf.GetDirective(0) == nullptr);
    QVERIFY(cf.GetDirective(4) == nullptr);
    QVERIFY(cf.FindDirective(-1) == nullptr); // the server line is not in the list
    QCOMPARE(cf.GetServerDirective()->DirectiveNo(), -1);
    QCOMPARE(cf.GetServerDirective()->GetCurrentScopeDirective()->GetType(), 7);
}

void TestConfigReader::moreLinesThanSixteenBits()
{
    QTemporaryDir dir;
    QByteArray text;
    const int hosts = 8000; // 40,000 lines
    for (int i = 0; i < hosts; ++i)
        text += "<VirtualHost *:80>\nServerName h" + QByteArray::number(i) +
                "\nDocumentRoot /w\n# c\n</VirtualHost>\n";
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), text));
    QCOMPARE(cf.GetDirectiveCount(), hosts * 5);
    const std::int32_t last = hosts * 5 - 4; // head of the last host
    QVERIFY(last > 32767);
    QCOMPARE(cf.FindDirective(last)->GetCurrentScopeDirective()->GetType(), 6);
    QCOMPARE(cf.FindServerNameOfVirtualHost(last), std::string("h7999"));
    QCOMPARE(cf.UpdateDirective("ServerName", "z", last), 1);
    QCOMPARE(cf.FindDirective(last + 1)->DirectiveString(), std::string("ServerName z"));
    QCOMPARE(cf.GetNextDirectiveNo(), hosts * 5 + 1);
    QCOMPARE(int(cf.GetScopeSections(-1).size()), hosts);
}

void TestConfigReader::unreadableFileRaises()
{
    // A file the model can read but not rewrite: a system file with tabs on a
    // read-only file system (also when the tests run as root).
    const std::string path = "/proc/self/status";
    if (!QFile::exists(QString::fromStdString(path)))
        QSKIP("no /proc");
    ConfigFile cf;
    cf.SetFileName(path);
    try {
        cf.ConvertFile();
        QFAIL("ConvertFile did not fail");
    } catch (const CorvaneError& e) {
        QCOMPARE(e.number(), 0x80040006LL);
        QCOMPARE(e.source(), std::string("Vuvovov.ConfigFile"));
        QCOMPARE(e.description(), std::string("Error while converting file"));
    }
    // Reading needs no write access: it never changes the file.
    QVERIFY(cf.ReadFile());
    QVERIFY(cf.GetDirectiveCount() > 0);
    cf.SetFileName("/proc/self/mem"); // a file that cannot be read whole
    try {
        cf.ReadFile();
        QFAIL("ReadFile did not fail");
    } catch (const CorvaneError& e) {
        QCOMPARE(e.number(), 0x80040001LL);
        QCOMPARE(e.source(), std::string("Vuvovov.ConfigFile"));
        QCOMPARE(e.description(), std::string("Error while reading configuration file contents"));
    }
}

void TestConfigReader::snapshotPathFollowsWorkingCopy_data()
{
    QTest::addColumn<QString>("appFolder");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("snapshot");

    QTest::newRow("work area") << "/data/corvane"
                               << "/data/corvane/web 1/WorkArea/httpd.conf"
                               << "/data/corvane/web 1/WorkArea/Serialize.srl";
    QTest::newRow("elsewhere") << "/data/corvane"
                               << "/tmp/x/site.conf"
                               << "/tmp/x/Serialize.srl";
    QTest::newRow("no folder") << ""
                               << "/tmp/y/httpd.conf"
                               << "/tmp/y/Serialize.srl";
}

void TestConfigReader::snapshotPathFollowsWorkingCopy()
{
    QFETCH(QString, appFolder);
    QFETCH(QString, path);
    QFETCH(QString, snapshot);
    ConfigFile cf(appFolder.toStdString());
    cf.SetFileName(path.toStdString());
    QCOMPARE(QString::fromStdString(cf.FileName()), path);
    QCOMPARE(QString::fromStdString(cf.SnapshotPath()), snapshot);
}

QTEST_GUILESS_MAIN(TestConfigReader)
#include "tst_configreader.moc"
