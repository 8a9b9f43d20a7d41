// Every file writer on a disk that fills up: the write fails, says so, and
// the previous file stays as it was. Replaced files keep owner, group and
// mode; new ones are private; links are not written through where a
// neighbour could plant them.
#include "SmallTmpfs.h"

#include "model/AtomicFile.h"
#include "registry/AppFolder.h"
#include "registry/IniFile.h"
#include "registry/Servers.h"
#include "transfer/ConfigTransfer.h"
#include "transfer/LineEndGuard.h"
#include "transfer/ServerWorkArea.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using corvane::test::SmallTmpfs;
using namespace corvane;

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run corvanectl(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(CORVANE_BINARY_DIR "/src/cli/corvanectl"), args);
    if (!p.waitForStarted(10000))
        return {};
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
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

std::string local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// A configuration of about `lines` * 40 bytes.
QByteArray config(const QByteArray& admin, int lines = 200)
{
    QByteArray text = "ServerName www.example.test\nServerAdmin " + admin + "\n";
    for (int i = 0; i < lines; ++i)
        text += "# padding line " + QByteArray::number(i) + " to give the file some size\n";
    return text;
}

QByteArray iniText()
{
    QByteArray text;
    for (const char* name : {"web", "shop", "mail"}) {
        text +=
            QByteArray("[") + name + "]\nSERVER_NAME=" + name + "\nAPACHE_VERSION=2.4.62\nCONNECT_TYPE=0\n";
        text +=
            "LOCAL_CONF=/nonexistent/" + QByteArray(name) + "/httpd.conf\nIS_SFTP=0\nOS_TYPE=Linux / Unix\n";
        for (int i = 0; i < 40; ++i)
            text += "; note " + QByteArray::number(i) + " kept by the administrator about this server\n";
    }
    return text;
}

// Files a writer left behind beside its target (temporary files).
QStringList strays(const QString& folder, const QStringList& expected)
{
    QStringList left;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!expected.contains(name) && name != QLatin1String(".filler"))
            left << name;
    }
    return left;
}

struct Stat
{
    uid_t uid = 0;
    gid_t gid = 0;
    mode_t mode = 0;
};

Stat statOf(const QString& path)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    return {st.st_uid, st.st_gid, mode_t(st.st_mode & 07777)};
}

} // namespace

class TestFileWrites : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void fullDisk_data();
    void fullDisk();
    void replacedFileKeepsOwnerGroupMode_data();
    void replacedFileKeepsOwnerGroupMode();
    void newFilesArePrivate();
    void linkToFileIsWrittenThrough();
    void localUploadIgnoresPlantedLink();
    void linkedWorkAreaRefused_data();
    void linkedWorkAreaRefused();
};

// Each row: one writer, the file it replaces, what it must leave there.
void TestFileWrites::fullDisk_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("target"); // relative to the tmpfs
    for (const char* w :
         {"AtomicFile::write", "AtomicFile::copy", "IniFile::writeValue", "IniFile::removeSection",
          "AppFolder::installFile", "ServerWorkArea::installFetched", "LineEndGuard::convert",
          "Servers::DeleteServerFolders", "corvanectl set", "corvanectl fetch", "corvanectl server remove"}) {
        QString target = QStringLiteral("app/web/WorkArea/httpd.conf");
        const QString name = QString::fromLatin1(w);
        if (name.startsWith("IniFile") || name == QLatin1String("corvanectl server remove"))
            target = QStringLiteral("app/Corvane.ini");
        else if (name == QLatin1String("AppFolder::installFile"))
            target = QStringLiteral("app/Corvane.dll");
        else if (name == QLatin1String("corvanectl set"))
            target = QStringLiteral("small.conf");
        QTest::newRow(w) << name << target;
    }
}

void TestFileWrites::fullDisk()
{
    QFETCH(QString, writer);
    QFETCH(QString, target);
    SmallTmpfs fs(512 * 1024);
    if (!fs.available())
        QSKIP(qPrintable(fs.why()));
    QTemporaryDir elsewhere;
    const QString root = fs.path();
    const QString appDir = root + "/app";
    const AppFolder app(appDir);
    QVERIFY(writeFile(app.iniPath(), iniText()));
    QVERIFY(writeFile(app.cataloguePath(), config("catalogue@example.test")));
    QVERIFY(writeFile(appDir + "/Sample/WorkArea/httpd.conf", config("sample@example.test")));
    QVERIFY(writeFile(appDir + "/web/WorkArea/httpd.conf", config("old@example.test")));
    QVERIFY(writeFile(appDir + "/web/Backup/httpd.conf", config("old@example.test")));
    QVERIFY(writeFile(root + "/small.conf", config("old@example.test")));
    const QString fetched = elsewhere.filePath("httpd.conf");
    QVERIFY(writeFile(fetched, config("new@example.test", 300)));
    // The local server "web" fetches from `fetched`.
    QVERIFY(IniFile(app.iniPath()).writeValue("web", "LOCAL_CONF", local(fetched)));

    const QString path = root + "/" + target;
    const QByteArray before = readFile(path);
    const QByteArray backupBefore = readFile(appDir + "/web/Backup/httpd.conf");
    const QStringList namesBefore = QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden);
    QVERIFY(fs.fill(4096));

    bool ok = true;
    QString message;
    const QByteArray big = config("new@example.test", 300);
    if (writer == QLatin1String("AtomicFile::write")) {
        std::string why;
        ok = AtomicFile::write(local(path), big.toStdString(), &why);
        message = QString::fromStdString(why);
    } else if (writer == QLatin1String("AtomicFile::copy")) {
        std::string why;
        ok = AtomicFile::copy(local(fetched), local(path), &why);
        message = QString::fromStdString(why);
    } else if (writer == QLatin1String("IniFile::writeValue")) {
        IniFile ini(app.iniPath());
        ok = ini.writeValue("shop", "REMOTE_FOLDER", std::string(6000, 'f'));
        message = ini.errorString();
    } else if (writer == QLatin1String("IniFile::removeSection")) {
        // Removing makes the file smaller: a full disk must still not empty it.
        IniFile ini(app.iniPath());
        ok = ini.removeSection("shop");
        message = ini.errorString();
    } else if (writer == QLatin1String("AppFolder::installFile")) {
        ok = app.installFile("Corvane.dll", big, true, &message);
    } else if (writer == QLatin1String("ServerWorkArea::installFetched")) {
        const QString copy = elsewhere.filePath("download");
        QVERIFY(QFile::copy(fetched, copy));
        ok = ServerWorkArea(app, "web").installFetched(copy, &message);
    } else if (writer == QLatin1String("LineEndGuard::convert")) {
        // A working copy with CR LF that is as large as the free space.
        fs.unfill();
        QVERIFY(writeFile(path, QByteArray(before).replace("\n", "\r\n")));
        QVERIFY(fs.fill(4096));
        const QByteArray crlf = readFile(path);
        {
            LineEndGuard guard(path, appDir + "/web/WorkArea/httpd_bak.conf");
            ok = guard.convert(&message);
        }
        QCOMPARE(readFile(path), crlf);
        QVERIFY(!ok);
        QVERIFY(!message.isEmpty());
        return;
    } else if (writer == QLatin1String("Servers::DeleteServerFolders")) {
        Servers servers(app);
        ok = servers.DeleteServerFolders("web");
        message = servers.lastError();
        QVERIFY(QFileInfo::exists(appDir + "/web/Backup/httpd.conf"));
    } else {
        Run r;
        if (writer == QLatin1String("corvanectl set"))
            r = corvanectl({"set", path, "-1", "ServerAdmin", "ops@example.org" + QString(5000, 'x')});
        else if (writer == QLatin1String("corvanectl fetch"))
            r = corvanectl({"--app-dir", appDir, "fetch", "web"});
        else
            r = corvanectl({"--app-dir", appDir, "server", "remove", "shop"});
        ok = r.code == 0;
        QCOMPARE(r.code, 1);
        message = r.err;
    }
    QVERIFY2(!ok, qPrintable(writer + " reported success on a full disk"));
    QVERIFY2(!message.isEmpty(), "no reason given");
    QCOMPARE(readFile(path), before);
    QCOMPARE(readFile(appDir + "/web/Backup/httpd.conf"), backupBefore);
    if (writer == QLatin1String("corvanectl set"))
        QVERIFY(!QFileInfo::exists(path + ".bak") || readFile(path + ".bak") == before);
    QStringList expected = namesBefore;
    expected << "small.conf.bak"
             << "httpd_bak.conf";
    QCOMPARE(strays(QFileInfo(path).path(), expected), QStringList());
}

void TestFileWrites::replacedFileKeepsOwnerGroupMode_data()
{
    QTest::addColumn<QString>("writer");
    QTest::newRow("AtomicFile::write") << "AtomicFile::write";
    QTest::newRow("AtomicFile::copy") << "AtomicFile::copy";
    QTest::newRow("corvanectl set") << "corvanectl set";
}

void TestFileWrites::replacedFileKeepsOwnerGroupMode()
{
    QFETCH(QString, writer);
    if (::geteuid() != 0)
        QSKIP("giving a file to another user needs root");
    const passwd* nobody = ::getpwnam("nobody");
    const group* www = ::getgrnam("www-data");
    if (!nobody || !www)
        QSKIP("no user nobody or group www-data");
    QTemporaryDir dir;
    const QString path = dir.filePath("small.conf");
    QVERIFY(writeFile(path, config("old@example.test", 3)));
    QCOMPARE(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, www->gr_gid), 0);
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const QString source = dir.filePath("source.conf");
    QVERIFY(writeFile(source, config("new@example.test", 3)));
    if (writer == QLatin1String("AtomicFile::write")) {
        QVERIFY(AtomicFile::write(local(path), config("new@example.test", 3).toStdString()));
    } else if (writer == QLatin1String("AtomicFile::copy")) {
        QVERIFY(AtomicFile::copy(local(source), local(path)));
    } else {
        const Run r = corvanectl({"set", path, "-1", "ServerAdmin", "ops@example.org"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(readFile(path).contains("ops@example.org"));
    }
    const Stat st = statOf(path);
    QCOMPARE(st.uid, nobody->pw_uid);
    QCOMPARE(st.gid, www->gr_gid);
    QCOMPARE(st.mode, mode_t(0640));
}

void TestFileWrites::newFilesArePrivate()
{
    QTemporaryDir dir, server;
    const AppFolder app(dir.path());
    QVERIFY(AtomicFile::write(local(dir.filePath("new.conf")), "x\n"));
    QCOMPARE(statOf(dir.filePath("new.conf")).mode, mode_t(0600));
    QVERIFY(IniFile(app.iniPath()).writeValue("web", "SERVER_NAME", "web"));
    QCOMPARE(statOf(app.iniPath()).mode, mode_t(0600));
    const QString conf = server.filePath("httpd.conf");
    QVERIFY(writeFile(conf, config("a@example.test", 3)));
    QFile::setPermissions(conf, QFile::permissions(conf) | QFile::ReadOther | QFile::ReadGroup);
    const QString download = dir.filePath("download");
    QVERIFY(QFile::copy(conf, download));
    const ServerWorkArea area(app, "web");
    QString why;
    QVERIFY2(area.installFetched(download, &why), qPrintable(why));
    QCOMPARE(statOf(area.workingCopy()).mode, mode_t(0600));
    QCOMPARE(statOf(area.backupFile()).mode, mode_t(0600));
}

void TestFileWrites::linkToFileIsWrittenThrough()
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real.conf");
    const QString link = dir.filePath("link.conf");
    QVERIFY(writeFile(real, "old\n"));
    QVERIFY(QFile::link(real, link));
    QVERIFY(AtomicFile::write(local(link), "new\n"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(real), QByteArray("new\n"));
}

// A neighbour who can write the server's folder plants a link under the name
// a temporary file would get; the upload must neither follow nor remove it.
void TestFileWrites::localUploadIgnoresPlantedLink()
{
    QTemporaryDir app, server, victimDir;
    const QString conf = server.filePath("httpd.conf");
    QVERIFY(writeFile(conf, config("old@example.test", 3)));
    QCOMPARE(::chmod(QFile::encodeName(conf).constData(), 0640), 0);
    const QString victim = victimDir.filePath("shadow");
    QVERIFY(writeFile(victim, "root:secret\n"));
    for (const char* name : {"httpd.conf.corvane-new", ".httpd.conf.corvane-new", "httpd.conf.tmp"})
        QVERIFY(QFile::link(victim, server.filePath(QString::fromLatin1(name))));

    Run r = corvanectl({"--app-dir", app.path(), "add", "web", "--apache-version", "2.4.62", "--os", "unix",
                        "--local", conf});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QString work = app.filePath("web/WorkArea/httpd.conf");
    QVERIFY(writeFile(work, config("new@example.test", 3)));
    r = corvanectl({"--app-dir", app.path(), "upload", "web", "--no-check"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(readFile(victim), QByteArray("root:secret\n"));
    QCOMPARE(readFile(conf), config("new@example.test", 3));
    QCOMPARE(statOf(conf).mode, mode_t(0640));
    for (const char* name : {"httpd.conf.corvane-new", ".httpd.conf.corvane-new", "httpd.conf.tmp"})
        QVERIFY(QFileInfo(server.filePath(QString::fromLatin1(name))).isSymLink());
    const QStringList dated = QDir(server.path()).entryList({"httpd*-*.conf"}, QDir::Files);
    QCOMPARE(dated.size(), 1);
    QCOMPARE(readFile(server.filePath(dated.first())), config("old@example.test", 3));
}

void TestFileWrites::linkedWorkAreaRefused_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("WorkArea") << "WorkArea";
    QTest::newRow("Backup") << "Backup";
}

void TestFileWrites::linkedWorkAreaRefused()
{
    QFETCH(QString, folder);
    QTemporaryDir app, elsewhere, server;
    const QString conf = server.filePath("httpd.conf");
    QVERIFY(writeFile(conf, config("old@example.test", 3)));
    QVERIFY(QDir().mkpath(app.filePath("web")));
    QVERIFY(QFile::link(elsewhere.path(), app.filePath("web/" + folder)));
    QVERIFY(IniFile(app.filePath("Corvane.ini"))
                .writeSection("web", {{"SERVER_NAME", "web"},
                                      {"APACHE_VERSION", "2.4.62"},
                                      {"CONNECT_TYPE", "0"},
                                      {"LOCAL_CONF", local(conf)},
                                      {"IS_SFTP", "0"},
                                      {"OS_TYPE", "Linux / Unix"}}));
    const AppFolder folderOfApp(app.path());
    QString why;
    QVERIFY(!folderOfApp.checkServerName("web", &why));
    QVERIFY2(why.contains(folder), qPrintable(why));
    QVERIFY(folderOfApp.workingCopyPath("web").isEmpty());
    const Run r = corvanectl({"--app-dir", app.path(), "fetch", "web", "--discard-changes"});
    QCOMPARE(r.code, 1);
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestFileWrites)
#include "tst_filewrites.moc"
