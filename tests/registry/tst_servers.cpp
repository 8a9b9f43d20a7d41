// The server list, the application folder and server removal, on a real
// temporary application folder.
#include "registry/AppFolder.h"
#include "registry/IniFile.h"
#include "registry/RegistryKeys.h"
#include "registry/RegistryProcedures.h"
#include "registry/Servers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvane;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int fileMode(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// Every file and folder below `root`, relative, sorted.
QStringList tree(const QString& root)
{
    QStringList all;
    const QDir base(root);
    std::function<void(const QString&)> walk = [&](const QString& dir) {
        for (const QFileInfo& e :
             QDir(dir).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
            all << base.relativeFilePath(e.absoluteFilePath());
            if (e.isDir() && !e.isSymLink())
                walk(e.absoluteFilePath());
        }
    };
    walk(root);
    all.sort();
    return all;
}

const QByteArray kTwoServers = "[web1]\r\nSERVER_NAME=web1\r\nAPACHE_VERSION=2.0.52\r\nCONNECT_TYPE=1\r\n"
                               "[intranet]\r\nSERVER_NAME=intranet\r\nAPACHE_VERSION=1.3.33\r\nCONNECT_TYPE=0\r\n";

} // namespace

class TestServers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_app = m_dir->filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkpath(m_app));
    }

    void fillServerList_data()
    {
        QTest::addColumn<QByteArray>("ini"); // "none": no file
        QTest::addColumn<bool>("sample");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("nothing") << QByteArray("none") << false << false << QStringList();
        QTest::newRow("sample only") << QByteArray("none") << true << true << QStringList{"Sample"};
        QTest::newRow("empty ini") << QByteArray("") << false << true << QStringList();
        QTest::newRow("two sections") << kTwoServers << false << true << QStringList{"web1", "intranet"};
        QTest::newRow("sample first") << kTwoServers << true << true << QStringList{"Sample", "web1", "intranet"};
        QTest::newRow("sample section listed once")
            << QByteArray("[Sample]\nAPACHE_VERSION=9\n[b]\n") << true << true << QStringList{"Sample", "b"};
        QTest::newRow("sample section without sample folder")
            << QByteArray("[Sample]\n[b]\n") << false << true << QStringList{"Sample", "b"};
    }

    void fillServerList()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, sample);
        QFETCH(bool, result);
        QFETCH(QStringList, names);
        const AppFolder folder(m_app);
        if (ini != "none")
            writeFile(folder.iniPath(), ini);
        if (sample)
            QVERIFY(folder.ensureSample());
        QCOMPARE(SampleServerExists(folder), sample);
        Servers servers(folder);
        QCOMPARE(servers.iniFileName(), m_app + QStringLiteral("/Corvane.ini"));
        QCOMPARE(servers.FillServerListFromIni(), result);
        QStringList got;
        for (int i = 1; i <= servers.ServerCount(); ++i)
            got << QString::fromStdString(servers.GetServer(std::to_string(i)));
        QCOMPARE(got, names);
        QCOMPARE(int(servers.ServerCount()), names.size());
    }

    void getServerIndex_data()
    {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("name");
        QTest::newRow("1") << "1" << "Sample";
        QTest::newRow("2") << "2" << "web1";
        QTest::newRow("3") << "3" << "intranet";
        QTest::newRow("0") << "0" << "";
        QTest::newRow("4") << "4" << "";
        QTest::newRow("-1") << "-1" << "";
        QTest::newRow("blanks") << " 2 " << "web1";
        QTest::newRow("not a number") << "two" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("huge") << "99999999999999999999" << "";
    }

    void getServerIndex()
    {
        QFETCH(QString, index);
        QFETCH(QString, name);
        const AppFolder folder(m_app);
        writeFile(folder.iniPath(), kTwoServers);
        QVERIFY(folder.ensureSample());
        Servers servers(folder);
        QVERIFY(servers.FillServerListFromIni());
        QCOMPARE(QString::fromStdString(servers.GetServer(index.toStdString())), name);
    }

    void emptyIniFileName()
    {
        const AppFolder folder(m_app);
        writeFile(folder.iniPath(), kTwoServers);
        Servers servers(folder);
        servers.setIniFileName(QString());
        QVERIFY(!servers.FillServerListFromIni());
        QCOMPARE(servers.GetDataFromInI("web1", "SERVER_NAME"), std::string());
        QVERIFY(!servers.WriteDataToInI("web1", "OS_TYPE", "Linux"));
        QVERIFY(!servers.DeleteServer("web1"));
        QCOMPARE(readFile(folder.iniPath()), kTwoServers);
    }

    void serverValues_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<bool>("remote");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("os");
        const QByteArray ini = "[Sample]\nAPACHE_VERSION=1.3.26\nCONNECT_TYPE=1\n"
                               "[r]\nCONNECT_TYPE= 1 \nAPACHE_VERSION=2.0.52\nOS_TYPE=Linux\n"
                               "[l]\nCONNECT_TYPE=0\nAPACHE_VERSION=2.4.66\nOS_TYPE=Windows\n"
                               "[n]\nAPACHE_VERSION=\n[eleven]\nCONNECT_TYPE=11\n";
        m_valuesIni = ini;
        QTest::newRow("remote, trimmed") << QByteArray("r") << true << QByteArray("2.0.52") << QByteArray("Linux");
        QTest::newRow("blanks around the name") << QByteArray("  r ") << true << QByteArray("2.0.52")
                                                << QByteArray("Linux");
        QTest::newRow("local") << QByteArray("l") << false << QByteArray("2.4.66") << QByteArray("Windows");
        QTest::newRow("missing keys") << QByteArray("n") << false << QByteArray() << QByteArray();
        QTest::newRow("not exactly 1") << QByteArray("eleven") << false << QByteArray() << QByteArray();
        QTest::newRow("unknown server") << QByteArray("ghost") << false << QByteArray() << QByteArray();
        // The Sample's version never comes from the registry.
        QTest::newRow("sample") << QByteArray("Sample") << true << QByteArray("2.0.49") << QByteArray();
        QTest::newRow("sample with blanks") << QByteArray(" Sample  ") << true << QByteArray("2.0.49")
                                            << QByteArray();
    }

    void serverValues()
    {
        QFETCH(QByteArray, section);
        QFETCH(bool, remote);
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, os);
        const AppFolder folder(m_app);
        writeFile(folder.iniPath(), m_valuesIni);
        Servers servers(folder);
        const std::string name = section.toStdString();
        QCOMPARE(servers.IsRemoteServer(name), remote);
        QCOMPARE(QByteArray::fromStdString(GetServerApacheVersion(name, folder.iniPath(), "APACHE_VERSION")),
                 version);
        QCOMPARE(QByteArray::fromStdString(GetServerApacheVersion(name, "  " + folder.iniPath() + " ")), version);
        QCOMPARE(QByteArray::fromStdString(GetServerOsType(folder, name)), os);
    }

    void sampleVersionWithoutRegistry()
    {
        QCOMPARE(GetServerApacheVersion("Sample", QString()), std::string("2.0.49"));
        QCOMPARE(GetServerApacheVersion("Sample", m_dir->filePath("missing.ini")), std::string("2.0.49"));
        QCOMPARE(GetServerApacheVersion("sample", m_dir->filePath("missing.ini")), std::string());
    }

    void writeAndDeleteServer()
    {
        const AppFolder folder(m_app);
        Servers servers(folder);
        QVERIFY(!HasServerSections(folder));
        QVERIFY(servers.WriteDataToInI("web1", registry::SERVER_NAME, "web1"));
        QVERIFY(servers.WriteDataToInI("web1", registry::PASSWORD, EncodePassword("s3cr=t ;#")));
        QVERIFY(servers.WriteDataToInI("other", registry::SERVER_NAME, "other"));
        QVERIFY(HasServerSections(folder));
        QCOMPARE(DecodePassword(servers.GetDataFromInI("WEB1", "password")), std::string("s3cr=t ;#"));
        QVERIFY(servers.FillServerListFromIni());
        QCOMPARE(servers.ServerCount(), std::int16_t(2));
        QVERIFY(servers.DeleteServer("web1"));
        QCOMPARE(servers.ServerCount(), std::int16_t(1));
        QCOMPARE(servers.GetServer("1"), std::string("other"));
        QCOMPARE(readFile(folder.iniPath()), QByteArray("[other]\nSERVER_NAME=other\n"));
        QCOMPARE(fileMode(folder.iniPath()), 0600);
    }

    void serverNames_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("folder"); // relative to the application folder
        QTest::newRow("plain") << QByteArray("web1") << true << "web1";
        QTest::newRow("blanks trimmed") << QByteArray("  web 1 ") << true << "web 1";
        QTest::newRow("8-bit UTF-8") << QByteArray("M\xc3\xbcnchen") << true << QString::fromUtf8("M\xc3\xbcnchen");
        QTest::newRow("leading dots") << QByteArray("..web") << true << "..web";
        QTest::newRow("empty") << QByteArray("") << false << "";
        QTest::newRow("blanks only") << QByteArray("   ") << false << "";
        QTest::newRow("dot") << QByteArray(".") << false << "";
        QTest::newRow("dot dot") << QByteArray("..") << false << "";
        QTest::newRow("dot dot, blanks") << QByteArray(" .. ") << false << "";
        QTest::newRow("slash") << QByteArray("a/b") << false << "";
        QTest::newRow("escape") << QByteArray("../outside") << false << "";
        QTest::newRow("absolute") << QByteArray("/etc") << false << "";
        QTest::newRow("NUL") << QByteArray("a\0b", 3) << false << "";
        QTest::newRow("line break") << QByteArray("a\nb") << false << "";
        QTest::newRow("bracket") << QByteArray("a]b") << false << "";
        QTest::newRow("invalid UTF-8") << QByteArray("caf\xe9") << false << "";
    }

    void serverNames()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, valid);
        QFETCH(QString, folder);
        const AppFolder app(m_app);
        const std::string n = name.toStdString();
        QString error;
        QCOMPARE(app.checkServerName(n, &error), valid);
        QCOMPARE(error.isEmpty(), valid);
        QCOMPARE(app.serverFolder(n), valid ? m_app + "/" + folder : QString());
        QCOMPARE(app.workingCopyPath(n), valid ? m_app + "/" + folder + "/WorkArea/httpd.conf" : QString());
        QCOMPARE(app.snapshotPath(n), valid ? m_app + "/" + folder + "/WorkArea/Serialize.srl" : QString());
        QCOMPARE(app.serverBackupFolder(n), valid ? m_app + "/" + folder + "/Backup" : QString());
        if (!valid) {
            // Nothing is created or deleted for a refused name.
            writeFile(m_dir->filePath("outside/WorkArea/httpd.conf"), "keep");
            const QStringList before = tree(m_dir->path());
            Servers servers(app);
            QVERIFY(!servers.DeleteServerFolders(n));
            QVERIFY(!servers.lastError().isEmpty());
            QCOMPARE(tree(m_dir->path()), before);
        }
    }

    void symlinkOutsideRefused()
    {
        const AppFolder app(m_app);
        writeFile(m_dir->filePath("elsewhere/WorkArea/httpd.conf"), "precious");
        QVERIFY(QFile::link(m_dir->filePath("elsewhere"), m_app + "/linked"));
        QString error;
        QVERIFY(!app.checkServerName("linked", &error));
        QVERIFY(error.contains("outside"));
        QCOMPARE(app.workingCopyPath("linked"), QString());
        Servers servers(app);
        QVERIFY(!servers.DeleteServerFolders("linked"));
        QCOMPARE(readFile(m_dir->filePath("elsewhere/WorkArea/httpd.conf")), QByteArray("precious"));
        QVERIFY(!QFileInfo::exists(app.backupFolder()));
    }

    void deleteServerFolders()
    {
        const AppFolder app(m_app);
        writeFile(app.iniPath(), kTwoServers);
        const QByteArray conf = "ServerName web1.example.org\r\nListen 80\r\n";
        writeFile(app.workingCopyPath("web1"), conf);
        writeFile(app.snapshotPath("web1"), "snapshot");
        writeFile(app.serverBackupFolder("web1") + "/httpd.conf", "fetched");
        writeFile(app.serverBackupFolder("web1") + "/httpd1.conf", "older");
        writeFile(app.workingCopyPath("intranet"), "other server");
        writeFile(app.backupFolder() + "/earlier-01-01-2020-00-00-00.conf", "earlier removal");

        Servers servers(app);
        QVERIFY(servers.FillServerListFromIni());
        QVERIFY2(servers.DeleteServerFolders(" web1 "), qPrintable(servers.lastError()));

        QVERIFY(!QFileInfo::exists(m_app + "/web1"));
        const QStringList copies = QDir(app.backupFolder()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(copies.size(), 2);
        const QString copy = copies.filter(QRegularExpression("^web1-")).value(0);
        QVERIFY2(QRegularExpression("^web1-\\d\\d-\\d\\d-\\d{4}-\\d\\d-\\d\\d-\\d\\d\\.conf$").match(copy).hasMatch(),
                 qPrintable(copy));
        QCOMPARE(app.backupFolder() + "/" + copy, servers.lastBackupPath());
        QCOMPARE(readFile(servers.lastBackupPath()), conf);
        // The moment of removal is in the name.
        const QDateTime stamp = QDateTime::fromString(copy.mid(5, 19), "dd-MM-yyyy-hh-mm-ss");
        QVERIFY(stamp.isValid());
        QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 120);
        // The registry and the other server are untouched.
        QCOMPARE(readFile(app.iniPath()), kTwoServers);
        QCOMPARE(readFile(app.workingCopyPath("intranet")), QByteArray("other server"));
    }

    void deleteTwiceInOneSecondKeepsBoth()
    {
        const AppFolder app(m_app);
        Servers servers(app);
        writeFile(app.workingCopyPath("web1"), "first");
        QVERIFY(servers.DeleteServerFolders("web1"));
        const QString first = servers.lastBackupPath();
        writeFile(app.workingCopyPath("web1"), "second");
        QVERIFY(servers.DeleteServerFolders("web1"));
        QCOMPARE(readFile(first), QByteArray("first"));
        QCOMPARE(readFile(servers.lastBackupPath()), QByteArray("second"));
    }

    void deleteServerFoldersRefused_data()
    {
        QTest::addColumn<QStringList>("files"); // relative to the server folder; "dir/" makes a folder
        QTest::newRow("no working copy") << QStringList{"WorkArea/Serialize.srl", "Backup/httpd.conf"};
        QTest::newRow("subfolder in WorkArea") << QStringList{"WorkArea/httpd.conf", "WorkArea/old/"};
        QTest::newRow("subfolder in Backup") << QStringList{"WorkArea/httpd.conf", "Backup/2019/httpd.conf"};
        QTest::newRow("foreign file in server folder") << QStringList{"WorkArea/httpd.conf", "notes.txt"};
        QTest::newRow("foreign folder in server folder") << QStringList{"WorkArea/httpd.conf", "ssl/"};
        QTest::newRow("WorkArea is a file") << QStringList{"Backup/httpd.conf", "WorkArea"};
    }

    void deleteServerFoldersRefused()
    {
        QFETCH(QStringList, files);
        const AppFolder app(m_app);
        writeFile(app.iniPath(), kTwoServers);
        for (const QString& f : files) {
            const QString path = app.serverFolder("web1") + "/" + f;
            if (f.endsWith('/'))
                QVERIFY(QDir().mkpath(path));
            else
                writeFile(path, f.toUtf8());
        }
        const QStringList before = tree(m_app);
        Servers servers(app);
        QVERIFY(!servers.DeleteServerFolders("web1"));
        QVERIFY(!servers.lastError().isEmpty());
        QVERIFY(servers.lastBackupPath().isEmpty());
        // Nothing removed, no copy made, registry untouched.
        QStringList after = tree(m_app);
        after.removeAll("Backup");
        QCOMPARE(after, before);
        QCOMPARE(readFile(app.iniPath()), kTwoServers);
    }

    void deleteFailsMidwayKeepsCopy()
    {
        // A folder that cannot be removed (it is the current mount point of
        // nothing, but a non-empty folder created after the check) is hard to
        // arrange portably; instead the server folder is made unremovable by
        // turning the application folder read-only when not running as root.
        if (geteuid() == 0)
            QSKIP("root removes files from read-only folders");
        const AppFolder app(m_app);
        writeFile(app.workingCopyPath("web1"), "conf");
        QVERIFY(QDir().mkpath(app.backupFolder()));
        QFile::setPermissions(app.workAreaFolder("web1"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        Servers servers(app);
        QVERIFY(!servers.DeleteServerFolders("web1"));
        QFile::setPermissions(app.workAreaFolder("web1"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(servers.lastError().contains("kept as"));
        // Never neither: the working copy is in place and in Backup.
        QCOMPARE(readFile(app.workingCopyPath("web1")), QByteArray("conf"));
        QCOMPARE(QDir(app.backupFolder()).entryList(QDir::Files).size(), 1);
    }

    void firstStart()
    {
        const AppFolder app(m_dir->filePath("new/corvane"));
        QVERIFY(!app.exists());
        QString error;
        QVERIFY2(app.ensureCreated(&error), qPrintable(error));
        QCOMPARE(fileMode(app.path()), 0700);
        QVERIFY(SampleServerExists(app));
        const QByteArray sample = readFile(app.workingCopyPath("Sample"));
        QCOMPARE(sample, readFile(CORVANE_SOURCE_DIR "/data/sample/httpd.conf"));
        Servers servers(app);
        QVERIFY(servers.FillServerListFromIni());
        QCOMPARE(servers.GetServer("1"), std::string("Sample"));

        // A removed Sample stays removed on the next start.
        QVERIFY(servers.DeleteServerFolders("Sample"));
        QVERIFY(app.ensureCreated());
        QVERIFY(!SampleServerExists(app));
        QVERIFY(!servers.FillServerListFromIni());
        QVERIFY(app.ensureSample());
        QVERIFY(SampleServerExists(app));
    }

    void sampleIsARealConfiguration()
    {
        // Balanced sections, several virtual hosts and every section kind the
        // console shows.
        const QList<QByteArray> lines = AppFolder::sampleConfig().split('\n');
        QVERIFY(lines.size() > 200);
        QStringList stack;
        QMap<QString, int> opened;
        for (const QByteArray& raw : lines) {
            const QString line = QString::fromLatin1(raw).trimmed();
            static const QRegularExpression open("^<([A-Za-z]+)[\\s>]");
            static const QRegularExpression close("^</([A-Za-z]+)>$");
            if (const auto m = close.match(line); m.hasMatch()) {
                QVERIFY2(!stack.isEmpty() && stack.takeLast().compare(m.captured(1), Qt::CaseInsensitive) == 0,
                         qPrintable(line));
            } else if (const auto o = open.match(line); o.hasMatch()) {
                stack << o.captured(1);
                ++opened[o.captured(1)];
            }
        }
        QVERIFY(stack.isEmpty());
        QVERIFY(opened.value("VirtualHost") >= 3);
        for (const char* kind : {"Directory", "Location", "Files", "IfModule", "FilesMatch", "DirectoryMatch"})
            QVERIFY2(opened.value(kind) >= 1, kind);
    }

    void installFile_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("ok");
        QTest::newRow("top level") << "Corvane.dll" << true;
        QTest::newRow("nested, folders created") << "ApacheServer/2.0/notes.txt" << true;
        QTest::newRow("parent") << "../Corvane.dll" << false;
        QTest::newRow("inner parent") << "a/../../b" << false;
        QTest::newRow("absolute") << "/tmp/x" << false;
        QTest::newRow("dot") << "./x" << false;
        QTest::newRow("empty part") << "a//b" << false;
        QTest::newRow("empty") << "" << false;
    }

    void installFile()
    {
        QFETCH(QString, relative);
        QFETCH(bool, ok);
        const AppFolder app(m_app);
        const QStringList before = tree(m_dir->path());
        QString error;
        QCOMPARE(app.installFile(relative, "v1", false, &error), ok);
        QCOMPARE(error.isEmpty(), ok);
        if (!ok) {
            QCOMPARE(tree(m_dir->path()), before);
            return;
        }
        const QString target = m_app + "/" + relative;
        QCOMPARE(readFile(target), QByteArray("v1"));
        QVERIFY(app.installFile(relative, "v2"));
        QCOMPARE(readFile(target), QByteArray("v1"));
        QVERIFY(app.installFile(relative, "v2", true));
        QCOMPARE(readFile(target), QByteArray("v2"));
    }

    void appFolderPaths()
    {
        const AppFolder relative(QStringLiteral("some/../rel//dir/"));
        QVERIFY(QFileInfo(relative.path()).isAbsolute());
        QVERIFY(relative.path().endsWith("/rel/dir"));
        QCOMPARE(AppFolder(m_app + "/").iniPath(), m_app + "/Corvane.ini");
        QCOMPARE(AppFolder(m_app).cataloguePath(), m_app + "/Corvane.dll");
        QVERIFY(AppFolder().path().endsWith("/corvane"));
        QCOMPARE(AppFolder().path(), AppFolder::defaultPath());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;
    QByteArray m_valuesIni;
};

QTEST_GUILESS_MAIN(TestServers)
#include "tst_servers.moc"
