// The snapshot file: record layout, round trips, invalid records, and the
// failures that must leave the previous snapshot in place.
#include "ModelTestUtil.h"

#include "model/ConfigFile.h"
#include "model/CorvaneError.h"
#include "model/SnapshotRecord.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace corvane;
using namespace modeltest;

namespace {

QByteArray record(qint32 no, qint32 parent, const QByteArray& text)
{
    std::string out;
    SnapshotRecord::append(out, no, parent, text.toStdString());
    return bytes(out);
}

const QByteArray kNested = "ServerRoot /etc/apache2\n"
                           "<VirtualHost *:80>\n"
                           "ServerName a\n"
                           "<Directory /x>\n"
                           "<Limit GET>\n"
                           "Require all granted\n"
                           "</Limit>\n"
                           "</Directory>\n"
                           "# end of host\n"
                           "</VirtualHost>\n"
                           "<IfVersion >= 2.4>\n"
                           "Listen 80\n"
                           "</IfVersion>\n";

} // namespace

class TestSnapshot : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void recordLayout_data();
    void recordLayout();
    void roundTrip();
    void consoleLoadSequence();
    void deletedAndEditedLines();
    void invalidRecords_data();
    void invalidRecords();
    void emptyAndMissing();
    void longLineRoundTrips();
    void lineWithoutScopeFails();
    void unreadableSnapshotFails();
    void deepNesting();
};

void TestSnapshot::recordLayout_data()
{
    QTest::addColumn<int>("no");
    QTest::addColumn<int>("parent");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("top level") << 1 << -1 << QByteArray("Listen 80")
                               << QByteArray("\x01\x00\x00\x00\xff\xff\xff\xff\x09\x00Listen 80", 19);
    QTest::newRow("large numbers") << 70000 << 65536 << QByteArray("A")
                                   << QByteArray("\x70\x11\x01\x00\x00\x00\x01\x00\x01\x00"
                                                 "A",
                                                 11);
    QTest::newRow("300 bytes") << 2 << 1 << QByteArray(300, 'x')
                               << QByteArray("\x02\x00\x00\x00\x01\x00\x00\x00\x2c\x01", 10) +
                                      QByteArray(300, 'x');
    QTest::newRow("longest short form")
        << 3 << -1 << QByteArray(65534, 'y')
        << QByteArray("\x03\x00\x00\x00\xff\xff\xff\xff\xfe\xff", 10) + QByteArray(65534, 'y');
    // From 65,535 bytes on, the length field says 65,535 and a 32-bit length follows.
    QTest::newRow("long form") << 4 << 3 << QByteArray(70000, 'z')
                               << QByteArray("\x04\x00\x00\x00\x03\x00\x00\x00\xff\xff\x70\x11\x01\x00", 14) +
                                      QByteArray(70000, 'z');
    QTest::newRow("65535 takes the long form")
        << 5 << -1 << QByteArray(65535, 'w')
        << QByteArray("\x05\x00\x00\x00\xff\xff\xff\xff\xff\xff\xff\xff\x00\x00", 14) +
               QByteArray(65535, 'w');
}

void TestSnapshot::recordLayout()
{
    QFETCH(int, no);
    QFETCH(int, parent);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    const QByteArray r = record(no, parent, text);
    QCOMPARE(r, expected);
    SnapshotRecord back;
    std::size_t pos = 0;
    const std::string data = r.toStdString() + "\x05"; // a partial record follows
    QVERIFY(SnapshotRecord::readNext(data, pos, back));
    QCOMPARE(back.number, no);
    QCOMPARE(back.parentNumber, parent);
    QCOMPARE(bytes(back.text), text);
    QVERIFY(!SnapshotRecord::readNext(data, pos, back));
}

void TestSnapshot::roundTrip()
{
    QTemporaryDir dir;
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), kNested));
    QVERIFY(cf.Serialize());
    QVERIFY(QFile::exists(dir.filePath("Serialize.srl")));
    ConfigFile back;
    back.SetFileName(cf.FileName());
    QVERIFY(back.DeSerialize());
    QCOMPARE(dump(back), dump(cf));
    QCOMPARE(back.WriteToString(), cf.WriteToString());
    QCOMPARE(back.GetNextDirectiveNo(), cf.GetNextDirectiveNo());
    // The layout: one record per line, nothing else.
    QByteArray expected;
    for (int i = 1; i <= cf.GetDirectiveCount(); ++i) {
        const Directive* d = cf.GetDirective(i);
        expected += record(d->DirectiveNo(), d->ParentDirective()->DirectiveNo(), bytes(d->SectionText()));
    }
    QCOMPARE(readBytes(dir.filePath("Serialize.srl")), expected);
}

void TestSnapshot::consoleLoadSequence()
{
    // The application folder layout: <app>/<server>/WorkArea/{httpd.conf,Serialize.srl}.
    QTemporaryDir app;
    QVERIFY(QDir(app.path()).mkpath("web one/WorkArea"));
    const QString conf = app.filePath("web one/WorkArea/httpd.conf");
    QVERIFY(writeBytes(conf, kNested));
    ConfigFile cf(app.path().toStdString());
    cf.SetFileName(conf.toStdString());
    QVERIFY(cf.ReadFile());
    QVERIFY(cf.Serialize());
    QVERIFY(cf.DeSerialize());
    QCOMPARE(cf.GetDirectiveCount(), 13);
    QVERIFY(QFile::exists(app.filePath("web one/WorkArea/Serialize.srl")));
    // A page's model: its own object from the snapshot, an edit, then both files again.
    ConfigFile page(app.path().toStdString());
    page.SetFileName(conf.toStdString());
    QVERIFY(page.DeSerialize());
    QCOMPARE(page.UpdateDirective("ServerName", "b.example", 2), 1);
    QVERIFY(page.WriteFile());
    QVERIFY(page.Serialize());
    QVERIFY(cf.DeSerialize());
    QCOMPARE(cf.FindServerNameOfVirtualHost(2), std::string("b.example"));
    QVERIFY(readBytes(conf).contains("\nServerName b.example\n"));
}

void TestSnapshot::deletedAndEditedLines()
{
    QTemporaryDir dir;
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), kNested));
    QVERIFY(cf.DeleteDirective(4)); // the Directory section
    QCOMPARE(cf.UpdateScopeDirectiveParameterList("10.0.0.1:8080", 2), 1);
    QCOMPARE(cf.SaveAsNewDirective("ServerAlias", "c", 2), 1); // number 14
    // Every change writes the working copy before the snapshot; the records
    // then follow the file's order.
    QVERIFY(cf.WriteFile());
    QVERIFY(cf.Serialize());
    ConfigFile back;
    back.SetFileName(cf.FileName());
    QVERIFY(back.DeSerialize());
    QCOMPARE(dump(back), (QStringList{"1 -1 3 ServerRoot /etc/apache2", "2 -1 0 <VirtualHost 10.0.0.1:8080>",
                                      "3 2 3 ServerName a", "14 2 3 ServerAlias c", "9 2 1 # end of host",
                                      "10 2 0 </VirtualHost>", "11 -1 0 <IfVersion >= 2.4>",
                                      "12 -1 3 Listen 80", "13 -1 0 </IfVersion>"}));
    // The new address is now the line's own text.
    QCOMPARE(back.FindDirective(2)->DirectiveString(), std::string("<VirtualHost 10.0.0.1:8080>"));
    QCOMPARE(back.GetDirectiveCount(), 9);
    QCOMPARE(back.GetNextDirectiveNo(), 15);
    QCOMPARE(back.WriteToString(), cf.WriteToString());
}

void TestSnapshot::invalidRecords_data()
{
    QTest::addColumn<QByteArray>("snapshot");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("number 0 skipped")
        << record(0, -1, "A 1") + record(1, -1, "B 2") << QStringList{"1 -1 3 B 2"};
    QTest::newRow("parent -2 skipped")
        << record(5, -2, "A 1") + record(6, -1, "B 2") << QStringList{"6 -1 3 B 2"};
    QTest::newRow("blank text skipped")
        << record(1, -1, "   ") + record(2, -1, "B 2") << QStringList{"2 -1 3 B 2"};
    QTest::newRow("unknown parent becomes top level") << record(7, 999, "A 1") << QStringList{"7 -1 3 A 1"};
    QTest::newRow("parent after child") << record(3, 4, "A 1") + record(4, -1, "<Directory /x>")
                                        << QStringList{"3 4 3 A 1", "4 -1 0 <Directory /x>"};
    QTest::newRow("first of equal numbers is found")
        << record(2, -1, "<IfModule a>") + record(2, -1, "<IfModule b>") + record(3, 2, "X 1")
        << QStringList{"2 -1 0 <IfModule a>", "2 -1 0 <IfModule b>", "3 2 3 X 1"};
    QTest::newRow("truncated last record ignored")
        << record(1, -1, "A 1") + QByteArray("\x02\x00\x00", 3) << QStringList{"1 -1 3 A 1"};
    QTest::newRow("own parent") << record(4, 4, "<Directory /x>") << QStringList{"4 4 0 <Directory /x>"};
}

void TestSnapshot::invalidRecords()
{
    QFETCH(QByteArray, snapshot);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QVERIFY(writeBytes(dir.filePath("Serialize.srl"), snapshot));
    ConfigFile cf;
    cf.SetFileName(dir.filePath("httpd.conf").toStdString());
    QVERIFY(cf.DeSerialize());
    QCOMPARE(dump(cf), expected);
    // Whatever the records say, the model can be written and deleted without looping.
    cf.WriteToString();
    for (const QString& line : expected)
        cf.DeleteDirective(line.section(' ', 0, 0).toInt());
    cf.WriteToString();
}

void TestSnapshot::emptyAndMissing()
{
    QTemporaryDir dir;
    ConfigFile cf;
    cf.SetFileName(dir.filePath("httpd.conf").toStdString());
    QVERIFY(cf.DeSerialize()); // creates an empty snapshot
    QVERIFY(QFile::exists(dir.filePath("Serialize.srl")));
    QCOMPARE(cf.GetDirectiveCount(), 0);
    QVERIFY(cf.Serialize());
    QCOMPARE(readBytes(dir.filePath("Serialize.srl")), QByteArray());
    QVERIFY(load(cf, dir.path(), "A 1\r\n"));
    QVERIFY(cf.DeSerialize()); // an empty snapshot empties the model
    QCOMPARE(cf.GetDirectiveCount(), 0);
}

void TestSnapshot::longLineRoundTrips()
{
    // Apache takes logical lines far over 64 KiB; the snapshot carries them.
    QTemporaryDir dir;
    const QByteArray input = "A 1\n\tHeader set X " + QByteArray(70000, 'v') + " \\\n   tail\r\nB 2\n";
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), input));
    QVERIFY(cf.Serialize());
    ConfigFile back;
    back.SetFileName(cf.FileName());
    QVERIFY(back.DeSerialize());
    QCOMPARE(dump(back), dump(cf));
    QCOMPARE(bytes(back.WriteToString()), input);
    QCOMPARE(back.UpdateDirective("B", "3", -1), 1);
    QVERIFY(back.WriteFile());
    QCOMPARE(readBytes(dir.filePath("httpd.conf")), QByteArray(input).replace("B 2", "B 3"));
}

void TestSnapshot::lineWithoutScopeFails()
{
    QTemporaryDir dir;
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), "A 1\r\n"));
    QVERIFY(cf.AddDirective(std::make_unique<Directive>("Orphan 1")));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, cf.Serialize());
    QVERIFY(!QFile::exists(dir.filePath("Serialize.srl")));
}

void TestSnapshot::unreadableSnapshotFails()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Serialize.srl")); // a folder where the file should be
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), "A 1\r\n"));
    try {
        cf.DeSerialize();
        QFAIL("no error");
    } catch (const CorvaneError& e) {
        QCOMPARE(e.number(), 0x80040004LL);
        QCOMPARE(e.source(), std::string("Vuvovov.ConfigFile"));
        QCOMPARE(e.description(), std::string("Error while DeSerializing configuration file object"));
    }
    QVERIFY_THROWS_EXCEPTION(CorvaneError, cf.Serialize());
}

void TestSnapshot::deepNesting()
{
    // Nesting as deep as a hostile file makes it: nothing may recurse per level.
    const int depth = 50000;
    QTemporaryDir dir;
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), QByteArray("<Directory /x>\n").repeated(depth) + "Options None\n"));
    QCOMPARE(cf.FindDirective(depth + 1)->ParentDirective()->DirectiveNo(), depth);
    QVERIFY(cf.Serialize());
    ConfigFile back;
    back.SetFileName(cf.FileName());
    QVERIFY(back.DeSerialize());
    const std::string written = back.WriteToString();
    QCOMPARE(written, cf.WriteToString());
    QVERIFY(QByteArray::fromStdString(written).endsWith("<Directory /x>\nOptions None\n"));
    QVERIFY(back.DeleteDirective(1));
    QCOMPARE(back.WriteToString(), std::string());
}

QTEST_GUILESS_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
