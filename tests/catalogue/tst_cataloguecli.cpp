// corvanectl catalogue DIRECTIVE [VERSION] on a temporary application folder.
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestCatalogueCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_app;

    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };

    Run corvanectl(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(CORVANE_BINARY_DIR "/src/cli/corvanectl"),
                QStringList{"--app-dir", m_app.path()} + args);
        Run r;
        if (!p.waitForFinished(30000))
            return r;
        r.code = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_app.isValid());
    }

    void show_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("entry")
            << QStringList{"catalogue", " serverroot "} << 0
            << QStringList{"Directive:   ServerRoot", "Module:      core",
                           "Versions:    1.3.26-1.3.42, 2.0.44-2.0.65, 2.2.0-2.2.34, 2.4.1-2.4.71"};
        QTest::newRow("known") << QStringList{"catalogue", "RequestReadTimeout", "2.2.15"} << 0
                               << QStringList{"Versions:    2.2.15-2.2.34, 2.4.1-2.4.71",
                                              "Known to 2.2.15: yes"};
        QTest::newRow("not known") << QStringList{"catalogue", "AddModule", "2.0.49"} << 0
                                   << QStringList{"Versions:    1.3.26-1.3.42", "Known to 2.0.49: no"};
        QTest::newRow("unsupported entries shown too")
            << QStringList{"catalogue", "Mutex"} << 0 << QStringList{"Supported:   no (Extended Properties)"};
        QTest::newRow("unknown directive") << QStringList{"catalogue", "NoSuchThing", "2.4.71"} << 1
                                           << QStringList{"NoSuchThing: not in the catalogue"};
        QTest::newRow("no directive") << QStringList{"catalogue"} << 1 << QStringList{};
    }

    void show()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QStringList, lines);
        const Run r = corvanectl(args);
        QCOMPARE(r.code, code);
        for (const QString& line : lines)
            QVERIFY2(r.out.contains(line), qPrintable(r.out + r.err));
    }

    void damagedCatalogueIsReplaced()
    {
        // The command prepares the folder like every executable: a damaged
        // catalogue is replaced before it is read.
        QFile f(m_app.path() + "/Corvane.dll");
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("<broken");
        f.close();
        const Run r = corvanectl({"catalogue", "Listen", "2.0.49"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("Known to 2.0.49: yes"));
        QVERIFY(r.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCatalogueCli)
#include "tst_cataloguecli.moc"
