// corvanectl servers / server show / server remove on a temporary
// application folder, run as the real executable.
#include "registry/AppFolder.h"
#include "registry/RegistryProcedures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

namespace {

struct Run
{
    int code = -1;
    QString out, err;
};

Run corvanectl(const QString& app, const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(CORVANE_BINARY_DIR "/src/cli/corvanectl"), QStringList{"--app-dir", app} + args);
    Run r;
    if (!p.waitForFinished(30000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestRegistryCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_app = m_dir->filePath("app");
        const AppFolder app(m_app);
        QVERIFY(app.ensureCreated());
        const QByteArray ini =
            "[shop]\r\nSERVER_NAME=shop\r\nAPACHE_VERSION=2.0.52\r\nCONNECT_TYPE=1\r\n"
            "REMOTE_HOST=ftp.example.org\r\nPORT_NUMBER=2121\r\nIS_SFTP=0\r\nPASSWORD=" +
            QByteArray::fromStdString(EncodePassword("hunter2")) +
            "\r\n[docs]\r\nCONNECT_TYPE=1\r\nIS_SFTP=1\r\nREMOTE_HOST=docs.example.org\r\n"
            "APACHE_VERSION=2.2.34\r\n[local]\r\nCONNECT_TYPE=0\r\nAPACHE_VERSION=2.4.66\r\n"
            "LOCAL_CONF=/etc/apache2/apache2.conf\r\n";
        writeFile(app.iniPath(), ini);
        writeFile(app.workingCopyPath("shop"), "Listen 80\r\n");
    }

    void listsServers()
    {
        const Run r = corvanectl(m_app, {"servers"});
        QCOMPARE(r.code, 0);
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines[0].startsWith("NAME"));
        QCOMPARE(lines[1].simplified(), QString("Sample 2.0.49 local -"));
        QCOMPARE(lines[2].simplified(), QString("shop 2.0.52 FTP ftp.example.org:2121"));
        QCOMPARE(lines[3].simplified(), QString("docs 2.2.34 SFTP docs.example.org"));
        QCOMPARE(lines[4].simplified(), QString("local 2.4.66 local /etc/apache2/apache2.conf"));
    }

    void firstStartShowsSample()
    {
        const QString fresh = m_dir->filePath("fresh/corvane");
        const Run r = corvanectl(fresh, {"servers"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.split('\n', Qt::SkipEmptyParts).value(1).simplified(),
                 QString("Sample 2.0.49 local -"));
        QVERIFY(QFileInfo::exists(fresh + "/Sample/WorkArea/httpd.conf"));
        // The directive catalogue comes with the folder, as in the console.
        QVERIFY(QFileInfo(fresh + "/Corvane.dll").size() > 0);
    }

    void showHidesPassword()
    {
        // Server names compare without regard to case, as the registry compares them.
        const Run r = corvanectl(m_app, {"server", "show", "SHOP"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(m_app + "/shop/WorkArea/httpd.conf"));
        const Run ok = corvanectl(m_app, {"server", "show", "shop"});
        QCOMPARE(ok.code, 0);
        QVERIFY(ok.out.contains("2.0.52"));
        QVERIFY(ok.out.contains("PASSWORD=(set)"));
        QVERIFY2(ok.out.contains("Password:      in Corvane.ini (obfuscated, not encrypted)"),
                 qPrintable(ok.out));
        QVERIFY(!ok.out.contains(QString::fromStdString(EncodePassword("hunter2"))));
        QVERIFY(ok.out.contains(m_app + "/shop/WorkArea/httpd.conf"));
    }

    void commandErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("escape") << QStringList{"server", "remove", "../app"} << "\"/\"";
        QTest::newRow("dot dot") << QStringList{"server", "remove", ".."} << "folder of its own";
        QTest::newRow("unknown") << QStringList{"server", "remove", "nope"} << "no server named 'nope'";
        QTest::newRow("no subcommand") << QStringList{"server"} << "usage";
        QTest::newRow("registry only, no working copy") << QStringList{"server", "remove", "docs"} << "";
    }

    void commandErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = corvanectl(m_app, args);
        if (message.isEmpty()) {
            // A server without folders loses only its registry entry.
            QCOMPARE(r.code, 0);
            QVERIFY(!corvanectl(m_app, {"servers"}).out.contains("docs"));
            return;
        }
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(QFileInfo::exists(AppFolder(m_app).workingCopyPath("shop")));
        QVERIFY(corvanectl(m_app, {"servers"}).out.contains("shop"));
    }

    void removeKeepsBackup()
    {
        const AppFolder app(m_app);
        const Run r = corvanectl(m_app, {"server", "remove", "shop"});
        QCOMPARE(r.code, 0);
        QVERIFY(!QFileInfo::exists(m_app + "/shop"));
        const QStringList copies = QDir(app.backupFolder()).entryList(QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY(copies[0].startsWith("shop-"));
        QVERIFY(r.out.contains(copies[0]));
        const Run list = corvanectl(m_app, {"servers"});
        QVERIFY(!list.out.contains("shop"));
        QVERIFY(list.out.contains("docs"));
    }

    void removeRefusedKeepsRegistry()
    {
        // A foreign file in the server folder stops the removal; the registry
        // entry stays as well.
        const AppFolder app(m_app);
        writeFile(app.serverFolder("shop") + "/keep-me.txt", "x");
        const Run r = corvanectl(m_app, {"server", "remove", "shop"});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains("keep-me.txt"));
        QVERIFY(QFileInfo::exists(app.workingCopyPath("shop")));
        QVERIFY(corvanectl(m_app, {"servers"}).out.contains("shop"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;
};

QTEST_GUILESS_MAIN(TestRegistryCli)
#include "tst_registrycli.moc"
