// The build-time generator: a table becomes a catalogue the reader loads
// with the expected fields; malformed tables stop the build with the line.
#include "CatalogueXml.h"
#include "catalogue/CatalogueChecksum.h"
#include "catalogue/DirbaseParser.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

namespace {

const QByteArray kBranches = "%branch 1.3 26 42\n%branch 2.0 44 65\n%branch 2.2 0 34\n%branch 2.4 1 71\n";

QByteArray row(const QByteArray& name, const QByteArray& context, const QByteArray& versions,
               const QByteArray& supported = "yes")
{
    return name + "\tcore\t" + context + "\t" + versions + "\t" + supported + "\t" + name +
           " value\tOn, Off\tOff\tDoes something.\n";
}

} // namespace

class TestCatgen : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // Runs the generator; returns its exit code and stderr.
    int generate(const QByteArray& table, QString* errors = nullptr)
    {
        cataloguetest::writeFile(m_dir.path() + "/t.tsv", table);
        QProcess p;
        p.start(QStringLiteral(CORVANE_CATGEN), {m_dir.path() + "/t.tsv", m_dir.path() + "/Corvane.dll",
                                                  m_dir.path() + "/crc.h"});
        if (!p.waitForFinished(30000))
            return -1;
        if (errors)
            *errors = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    DirbaseParser loaded()
    {
        DirbaseParser parser;
        parser.setFileName((m_dir.path() + "/Corvane.dll").toStdString());
        parser.setNeedNonSupportedDirectives(true);
        parser.GetDirectiveList();
        return parser;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void versionsExpanded_data()
    {
        QTest::addColumn<QByteArray>("spec");
        QTest::addColumn<QString>("expected");
        QTest::newRow("open range") << QByteArray("2.2.33+") << "2.2.33|2.2.34";
        QTest::newRow("closed range") << QByteArray("2.4.69-2.4.71") << "2.4.69|2.4.70|2.4.71";
        QTest::newRow("release and branch order kept") << QByteArray("2.4.71 1.3.42") << "1.3.42|2.4.71";
        QTest::newRow("overlap listed once") << QByteArray("2.0.64+ 2.0.65") << "2.0.64|2.0.65";
        QTest::newRow("whole branch")
            << QByteArray("1.3") << "1.3.26|1.3.27|1.3.28|1.3.29|1.3.30|1.3.31|1.3.32|1.3.33|1.3.34|1.3.35|1.3.36|"
                                    "1.3.37|1.3.38|1.3.39|1.3.40|1.3.41|1.3.42";
    }

    void versionsExpanded()
    {
        QFETCH(QByteArray, spec);
        QFETCH(QString, expected);
        QCOMPARE(generate(kBranches + row("Probe", "s", spec)), 0);
        const DirbaseParser parser = loaded();
        QVERIFY(parser.findDirective("Probe"));
        QCOMPARE(QString::fromStdString(parser.findDirective("Probe")->Version()), expected);
    }

    void contextsMapped_data()
    {
        QTest::addColumn<QByteArray>("context");
        QTest::addColumn<QString>("flags"); // server, main, vhost, directory
        QTest::newRow("server only") << QByteArray("s") << "1000";
        QTest::newRow("server and vhost") << QByteArray("sv") << "1110";
        QTest::newRow("everywhere") << QByteArray("svdh") << "1111";
        QTest::newRow("htaccess only") << QByteArray("h") << "0001";
        QTest::newRow("vhost only") << QByteArray("v") << "0010";
        QTest::newRow("none") << QByteArray("-") << "0000";
    }

    void contextsMapped()
    {
        QFETCH(QByteArray, context);
        QFETCH(QString, flags);
        QCOMPARE(generate(kBranches + row("Probe", context, "2.4")), 0);
        const DirbaseParser parser = loaded();
        const xmldirective* d = parser.findDirective("Probe");
        QVERIFY(d);
        const QString actual = QString("%1%2%3%4")
                                   .arg(int(d->ServerScope()))
                                   .arg(int(d->MainServerScope()))
                                   .arg(int(d->VirtualHostScope()))
                                   .arg(int(d->DirectoryScope()));
        QCOMPARE(actual, flags);
    }

    void fieldsAndChecksum()
    {
        QCOMPARE(generate(kBranches + "# comment\n\n" + row("A&B<C>", "s", "2.0.49", "no") +
                          row("Second", "s", "2.0", "yes")),
                 0);
        const DirbaseParser parser = loaded();
        QCOMPARE(parser.GetAllDirectives().Count(), 2);
        const xmldirective* d = parser.GetAllDirectives().Item(1);
        QCOMPARE(d->Name(), std::string("A&B<C>"));
        QVERIFY(!d->Supported());
        QCOMPARE(d->Syntax(), std::string("A&B<C> value"));
        QCOMPARE(d->Values(), std::string("On, Off"));
        QCOMPARE(d->DefaultValue(), std::string("Off"));
        QCOMPARE(d->Description(), std::string("Does something."));
        QVERIFY(parser.GetAllDirectives().Item(2)->Supported());

        QFile header(m_dir.path() + "/crc.h");
        QVERIFY(header.open(QIODevice::ReadOnly));
        const QByteArray text = header.readAll();
        const std::string crc = catalogueCrc32Text((m_dir.path() + "/Corvane.dll").toStdString());
        QVERIFY(text.contains("\"" + QByteArray::fromStdString(crc) + "\""));
    }

    void malformedTables_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QString>("message");
        QTest::newRow("too few fields") << kBranches + "Probe\tcore\ts\n" << ":5: expected 9";
        QTest::newRow("duplicate, other case") << kBranches + row("Probe", "s", "2.4") + row("PROBE", "s", "2.4")
                                               << ":6: directive listed twice";
        QTest::newRow("unknown branch") << kBranches + row("Probe", "s", "3.0.1") << ":5: unknown branch";
        QTest::newRow("release outside branch") << kBranches + row("Probe", "s", "2.4.72") << "outside its branch";
        QTest::newRow("range across branches") << kBranches + row("Probe", "s", "2.2.30-2.4.2") << "bad range";
        QTest::newRow("no versions") << kBranches + row("Probe", "s", " ") << "no versions";
        QTest::newRow("bad context") << kBranches + row("Probe", "x", "2.4") << "bad context";
        QTest::newRow("bad supported") << kBranches + row("Probe", "s", "2.4", "maybe") << "supported";
        QTest::newRow("empty table") << kBranches << "no directives";
    }

    void malformedTables()
    {
        QFETCH(QByteArray, table);
        QFETCH(QString, message);
        QString errors;
        QCOMPARE(generate(table, &errors), 1);
        QVERIFY2(errors.contains(message), qPrintable(errors));
    }
};

QTEST_GUILESS_MAIN(TestCatgen)
#include "tst_catgen.moc"
