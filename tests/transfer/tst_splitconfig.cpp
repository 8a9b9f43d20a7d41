// A Debian tree (the local machine's stock /etc/apache2 with two sites of our
// own, one enabled through a symbolic link, one disabled) registered, fetched,
// edited in one included file, checked with the real apache2 and uploaded,
// over a local path, vsftpd and sshd: only that file changes on the server,
// the link stays a link and apache2 -S lists the same virtual hosts.
#include "CorvanectlRun.h"
#include "SshdServer.h"
#include "VsftpdServer.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

namespace {

using Run = corvane::test::CtlRun;

Run corvanectl(const QString& app, const QStringList& args, const QByteArray& input = QByteArray())
{
    return corvane::test::runCorvanectl(app, args, input, 180000);
}

bool run(const QString& program, const QStringList& args, QString* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return ok;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The stock tree with our sites: one enabled through a link, one disabled.
bool makeDebianTree(const QString& root)
{
    if (!run("cp", {"-a", "/etc/apache2/.", root}))
        return false;
    QDir(root + "/sites-enabled").removeRecursively();
    QDir().mkpath(root + "/sites-enabled");
    return writeFile(root + "/sites-available/one.conf",
                     "<VirtualHost *:80>\n    ServerName one.example.test\n    DocumentRoot /var/www\n"
                     "</VirtualHost>\n") &&
           writeFile(root + "/sites-available/two.conf",
                     "<VirtualHost *:80>\n    ServerName two.example.test\n</VirtualHost>\n") &&
           writeFile(root + "/sites-available/three.conf",
                     "<VirtualHost *:80>\n    ServerName three.example.test\n</VirtualHost>\n") &&
           QFile::link("../sites-available/one.conf", root + "/sites-enabled/one.conf") &&
           QFile::link("../sites-available/three.conf", root + "/sites-enabled/three.conf");
}

// What apache2 -S says about the tree's name-based virtual hosts, sorted.
QStringList virtualHosts(const QString& root)
{
    QTemporaryDir runDir;
    const QString script = QStringLiteral(". '%1/envvars'; export APACHE_RUN_DIR='%2' APACHE_LOCK_DIR='%2' "
                                          "APACHE_LOG_DIR='%2' APACHE_PID_FILE='%2/pid'; "
                                          "exec apache2 -d '%1' -f '%1/apache2.conf' -S")
                               .arg(root, runDir.path());
    QString out;
    run("/bin/sh", {"-c", script}, &out);
    QStringList names;
    static const QRegularExpression vhost(QStringLiteral("namevhost (\\S+) \\((\\S+)\\)"));
    for (auto it = vhost.globalMatch(out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        names << m.captured(1) + " " + QFileInfo(m.captured(2).section(':', 0, 0)).fileName();
    }
    names.sort();
    return names;
}

// Every file of a tree: its bytes, or "-> target" for a link.
std::map<QString, QByteArray> snapshot(const QString& root)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        files[path.mid(root.size() + 1)] =
            info.isSymLink() ? "-> " + QFile::encodeName(info.symLinkTarget()) : readFile(path);
    }
    return files;
}

} // namespace

class TestSplitConfig : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void debianTree_data();
    void debianTree();
    void redHatTree();
    void failedFilePutsBackTheOthers();
};

void TestSplitConfig::debianTree_data()
{
    QTest::addColumn<QString>("method");
    QTest::newRow("local") << "local";
    QTest::newRow("ftp") << "ftp";
    QTest::newRow("sftp") << "sftp";
}

void TestSplitConfig::debianTree()
{
    QFETCH(QString, method);
    if (!QFileInfo("/etc/apache2/apache2.conf").isFile() ||
        QStandardPaths::findExecutable("apache2", {"/usr/sbin"}).isEmpty())
        QSKIP("needs the local machine's apache2 and /etc/apache2");
    std::unique_ptr<VsftpdServer> ftp;
    std::unique_ptr<SshdServer> sshd;
    QTemporaryDir local;
    QString root; // the tree on the server
    QStringList where;
    QByteArray password;
    QString owner;
    if (method == "local") {
        root = QFileInfo(local.path()).canonicalFilePath() + "/apache2";
        where = {"--local", root};
    } else if (method == "ftp") {
        if (const QString why = VsftpdServer::skipReason(); !why.isEmpty())
            QSKIP(qPrintable(why));
        ftp = std::make_unique<VsftpdServer>();
        QVERIFY2(ftp->start(), qPrintable(ftp->error()));
        root = ftp->path("apache2");
        // The account sees its home as "/".
        where = {"--ftp",
                 QStringLiteral("%1:%2").arg(ftp->host()).arg(ftp->port()),
                 "--user",
                 VsftpdServer::user(),
                 "--folder",
                 "/apache2",
                 "--account-root",
                 ftp->root(),
                 "--store-password-in-ini"};
        password = VsftpdServer::password().toUtf8() + "\n";
        owner = VsftpdServer::user();
    } else {
        if (const QString why = SshdServer::skipReason(); !why.isEmpty())
            QSKIP(qPrintable(why));
        sshd = std::make_unique<SshdServer>();
        QVERIFY2(sshd->start(), qPrintable(sshd->error()));
        root = sshd->path("apache2");
        where = {"--sftp",
                 QStringLiteral("%1:%2").arg(sshd->host()).arg(sshd->port()),
                 "--user",
                 SshdServer::user(),
                 "--folder",
                 root,
                 "--accept-new-host-key",
                 "--store-password-in-ini"};
        password = SshdServer::password().toUtf8() + "\n";
        owner = SshdServer::user();
    }
    QVERIFY(QDir().mkpath(root));
    QVERIFY(makeDebianTree(root));
    if (!owner.isEmpty())
        QVERIFY(run("chown", {"-R", owner + ":", root}));
    const QStringList hostsBefore = virtualHosts(root);
    QVERIFY2(hostsBefore.contains("one.example.test one.conf") && !hostsBefore.join(' ').contains("two."),
             qPrintable(hostsBefore.join('\n')));

    QTemporaryDir app;
    Run r =
        corvanectl(app.path(),
                   QStringList{"add", "deb", "--apache-version", "2.4.62", "--os", "unix"} + where, password);
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    QVERIFY2(!r.err.contains("error:"), qPrintable(r.err));

    // Every enabled file is there, each under its path below the server root;
    // the disabled site is not, the enabled ones name the file they lead to.
    r = corvanectl(app.path(), {"server", "files", "deb"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY2(r.out.startsWith("apache2.conf\tunchanged\t-\n"), qPrintable(r.out));
    QVERIFY2(r.out.contains("ports.conf\tunchanged\t-\n"), qPrintable(r.out));
    QVERIFY2(r.out.contains("sites-enabled/one.conf\tunchanged\t" + root + "/sites-available/one.conf\n"),
             qPrintable(r.out));
    QVERIFY(r.out.contains("mods-enabled/mpm_event.load\t") ||
            r.out.contains("mods-enabled/mpm_prefork.load\t"));
    QVERIFY(!r.out.contains("two.conf"));
    const QString work = app.filePath("deb/WorkArea");
    QCOMPARE(readFile(work + "/tree/sites-enabled/one.conf"), readFile(root + "/sites-available/one.conf"));
    QCOMPARE(readFile(work + "/httpd.conf"), readFile(root + "/apache2.conf"));

    r = corvanectl(app.path(), {"check", "deb"});
    QVERIFY2(r.code == 0 && r.out.contains("Syntax OK"), qPrintable(r.out + r.err));

    // The console's tree shows the virtual hosts apache2 -S sees, at their files.
    r = corvanectl(app.path(), {"server", "tree", "deb"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QStringList treeHosts;
    QString oneScope;
    for (const QString& line : r.out.split('\n')) {
        const QStringList f = line.trimmed().split('\t');
        if (f.size() != 4 || f[0] != "VirtualHost")
            continue;
        treeHosts << QFileInfo(f[3].section(':', 0, 0)).fileName();
        if (f[3] == "sites-enabled/one.conf:1")
            oneScope = f[2];
    }
    QStringList hostFiles;
    for (const QString& h : hostsBefore)
        hostFiles << h.section(' ', 1);
    treeHosts.sort();
    hostFiles.sort();
    QCOMPARE(treeHosts, hostFiles);
    QVERIFY2(!oneScope.isEmpty(), qPrintable(r.out));

    // One line of one included file changes, through the server's whole model.
    r = corvanectl(app.path(), {"server", "set", "deb", oneScope, "ServerName", "uno.example.test"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    r = corvanectl(app.path(), {"server", "get", "deb", oneScope, "ServerName"});
    QCOMPARE(r.out, QString("uno.example.test\tsites-enabled/one.conf:2\n"));
    const QString site = work + "/tree/sites-enabled/one.conf";
    QCOMPARE(readFile(site), QByteArray(readFile(root + "/sites-available/one.conf"))
                                 .replace("one.example.test", "uno.example.test"));
    QCOMPARE(readFile(work + "/httpd.conf"), readFile(root + "/apache2.conf"));
    r = corvanectl(app.path(), {"diff", "deb"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.startsWith("--- " + root + "/sites-enabled/one.conf\t(server)\n+++ " + root +
                              "/sites-enabled/one.conf\t(working copy)\n"),
             qPrintable(r.out));
    QCOMPARE(r.out.count("\n-    "), 1);
    QCOMPARE(r.out.count("--- "), 1);
    r = corvanectl(app.path(), {"server", "files", "deb"});
    QVERIFY2(r.out.contains("sites-enabled/one.conf\tchanged\t"), qPrintable(r.out));
    QCOMPARE(r.out.count("\tchanged\t"), 1);

    // A broken line names the file and line as on the server.
    const QByteArray edited = readFile(site);
    QVERIFY(writeFile(site, QByteArray(edited).replace("DocumentRoot /var/www", "DocumentRut /var/www")));
    r = corvanectl(app.path(), {"check", "deb"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.contains("line 3 of " + root + "/sites-enabled/one.conf"), qPrintable(r.out));
    QVERIFY(writeFile(site, edited));
    r = corvanectl(app.path(), {"check", "deb"});
    QVERIFY2(r.code == 0 && r.out.contains("Syntax OK"), qPrintable(r.out + r.err));

    const std::map<QString, QByteArray> before = snapshot(root);
    r = corvanectl(app.path(), {"upload", "deb"}, password);
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    QVERIFY2(r.out.contains("Sent " + root + "/sites-enabled/one.conf"), qPrintable(r.out));

    // Only the file the link leads to changed; its previous version is kept
    // under a name no Include reads; the link is still a link.
    std::map<QString, QByteArray> after = snapshot(root);
    QCOMPARE(after["sites-enabled/one.conf"],
             QByteArray("-> ") + QFile::encodeName(root) + "/sites-available/one.conf");
    QCOMPARE(after["sites-available/one.conf"], QByteArray(edited));
    QString kept;
    for (const auto& [path, bytes] : after) {
        if (!before.count(path)) {
            QVERIFY2(kept.isEmpty(), qPrintable(path));
            kept = path;
        }
    }
    QVERIFY2(kept.startsWith("sites-available/one.conf.") && kept.endsWith(".corvane-backup"),
             qPrintable(kept));
    QCOMPARE(after[kept], before.at("sites-available/one.conf"));
    after.erase(kept);
    after["sites-available/one.conf"] = before.at("sites-available/one.conf");
    QVERIFY(after == before);

    QStringList expected = hostsBefore;
    expected.replaceInStrings("one.example.test", "uno.example.test");
    expected.sort();
    QCOMPARE(virtualHosts(root), expected);

    // Nothing is left to send.
    r = corvanectl(app.path(), {"diff", "deb"});
    QCOMPARE(r.out, QString());
}

// A Red Hat-style tree of our own (conf/httpd.conf with conf.modules.d and
// conf.d) with an upstream-style conf/extra include and an Include inside a
// virtual host, checked with the real apache2 and uploaded; a missing Include
// is reported, a missing IncludeOptional is not.
void TestSplitConfig::redHatTree()
{
    const QString modules = "/usr/lib/apache2/modules";
    if (!QFileInfo(modules + "/mod_mpm_event.so").isFile())
        QSKIP("needs the local machine's apache2 modules");
    QTemporaryDir server, app, runDir;
    const QString root = QFileInfo(server.path()).canonicalFilePath() + "/httpd";
    QVERIFY(QDir().mkpath(root + "/conf/extra") && QDir().mkpath(root + "/conf.d") &&
            QDir().mkpath(root + "/conf.modules.d"));
    QVERIFY(writeFile(root + "/conf/httpd.conf",
                      "ServerRoot \"" + root.toUtf8() + "\"\nListen 127.0.0.1:18089\nPidFile " +
                          runDir.path().toUtf8() +
                          "/pid\nServerName main.example.test\n"
                          "Include conf.modules.d/*.conf\nIncludeOptional conf.d/*.conf\n"
                          "IncludeOptional nothing.d/*.conf\nInclude conf/extra/httpd-vhosts.conf\n"));
    QVERIFY(writeFile(root + "/conf.modules.d/00-mpm.conf",
                      "LoadModule mpm_event_module " + modules.toUtf8() + "/mod_mpm_event.so\n"));
    QVERIFY(writeFile(root + "/conf.modules.d/01-base.conf",
                      "LoadModule authz_core_module " + modules.toUtf8() + "/mod_authz_core.so\n"));
    QVERIFY(writeFile(root + "/conf.d/a.conf", "<VirtualHost *:18089>\n    ServerName a.example.test\n"
                                               "    Include conf/inner.conf\n</VirtualHost>\n"));
    QVERIFY(writeFile(root + "/conf/inner.conf", "ServerAlias www.a.example.test\n"));
    QVERIFY(writeFile(root + "/conf/extra/httpd-vhosts.conf",
                      "<VirtualHost *:18089>\n    ServerName b.example.test\n</VirtualHost>\n"));

    Run r = corvanectl(app.path(), {"add", "rh", "--apache-version", "2.4.62", "--os", "unix", "--local",
                                    root + "/conf/httpd.conf"});
    QVERIFY2(r.code == 0 && r.err.isEmpty(), qPrintable(r.out + r.err));
    r = corvanectl(app.path(), {"server", "files", "rh"});
    QCOMPARE(r.out, QString("conf/httpd.conf\tunchanged\t-\nconf.modules.d/00-mpm.conf\tunchanged\t-\n"
                            "conf.modules.d/01-base.conf\tunchanged\t-\nconf.d/a.conf\tunchanged\t-\n"
                            "conf/inner.conf\tunchanged\t-\nconf/extra/httpd-vhosts.conf\tunchanged\t-\n"));
    r = corvanectl(app.path(), {"check", "rh"});
    QVERIFY2(r.code == 0 && r.out.contains("Syntax OK"), qPrintable(r.out + r.err));

    const QString inner = app.filePath("rh/WorkArea/tree/conf/inner.conf");
    QVERIFY(writeFile(inner, "ServerAlias www.a.example.test a2.example.test\n"));
    // A fetch does not replace an included file's unsent change...
    r = corvanectl(app.path(), {"fetch", "rh"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("not sent"), qPrintable(r.err));
    QCOMPARE(readFile(inner), QByteArray("ServerAlias www.a.example.test a2.example.test\n"));
    // ...unless told to, and then it is kept in Backup.
    r = corvanectl(app.path(), {"fetch", "rh", "--discard-changes"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QStringList kept = QDir(app.filePath("rh/Backup")).entryList({"httpd-unsent-*"}, QDir::Dirs);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(readFile(app.filePath("rh/Backup/" + kept.first() + "/tree/conf/inner.conf")),
             QByteArray("ServerAlias www.a.example.test a2.example.test\n"));
    QCOMPARE(readFile(inner), readFile(root + "/conf/inner.conf"));
    QVERIFY(QFileInfo(app.filePath("rh/Backup/fetch1/tree/conf/inner.conf")).isFile()); // the older fetch
    QVERIFY(writeFile(inner, "ServerAlias www.a.example.test a2.example.test\n"));
    const std::map<QString, QByteArray> before = snapshot(root);
    r = corvanectl(app.path(), {"upload", "rh"});
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    const std::map<QString, QByteArray> after = snapshot(root);
    QCOMPARE(after.size(), before.size() + 1);
    QCOMPARE(after.at("conf/inner.conf"), QByteArray("ServerAlias www.a.example.test a2.example.test\n"));
    for (const auto& [path, bytes] : before) {
        if (path != "conf/inner.conf")
            QCOMPARE(after.at(path), bytes);
    }

    // An Include that matches nothing would stop Apache: the administrator is told.
    QVERIFY(writeFile(root + "/conf/extra/httpd-vhosts.conf", "Include missing/*.conf\n"));
    r = corvanectl(app.path(), {"fetch", "rh"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("error:") && r.err.contains("missing/*.conf") && !r.err.contains("nothing.d"),
             qPrintable(r.err));
}

// Over SFTP, the second changed file cannot be replaced (its folder is not
// the account's to write): the first is put back, the server keeps all its
// old files, and the status names each file.
void TestSplitConfig::failedFilePutsBackTheOthers()
{
    if (const QString why = SshdServer::skipReason(); !why.isEmpty())
        QSKIP(qPrintable(why));
    SshdServer sshd;
    QVERIFY2(sshd.start(), qPrintable(sshd.error()));
    const QString root = sshd.path("httpd");
    QVERIFY(QDir().mkpath(root + "/a") && QDir().mkpath(root + "/b"));
    QVERIFY(writeFile(root + "/httpd.conf", "Include a/*.conf\nInclude b/*.conf\n"));
    QVERIFY(writeFile(root + "/a/one.conf", "# one\n"));
    QVERIFY(writeFile(root + "/b/two.conf", "# two\n"));
    QVERIFY(run("chown", {"-R", SshdServer::user() + ":", root}));
    QVERIFY(run("chown", {"root:", root + "/b"})); // readable, not writable by the account
    QVERIFY(QFile::setPermissions(root + "/b", QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                   QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                   QFileDevice::ExeOther));
    QTemporaryDir app;
    Run r =
        corvanectl(app.path(),
                   {"add", "web", "--apache-version", "2.4.62", "--os", "unix", "--sftp",
                    QStringLiteral("%1:%2").arg(sshd.host()).arg(sshd.port()), "--user", SshdServer::user(),
                    "--folder", root, "--accept-new-host-key", "--store-password-in-ini"},
                   SshdServer::password().toUtf8() + "\n");
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    const QString work = app.filePath("web/WorkArea/tree");
    QVERIFY(writeFile(work + "/a/one.conf", "# one changed\n"));
    QVERIFY(writeFile(work + "/b/two.conf", "# two changed\n"));
    const std::map<QString, QByteArray> before = snapshot(root);
    r = corvanectl(app.path(), {"upload", "web", "--no-check"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("Put back " + root + "/a/one.conf") && r.err.contains(root + "/b/two.conf"),
             qPrintable(r.err));
    QVERIFY(snapshot(root) == before);
    r = corvanectl(app.path(), {"server", "files", "web"});
    QCOMPARE(r.out.count("\tchanged\t"), 2); // nothing counts as sent

    // Once the folder is the account's again, both go.
    QVERIFY(run("chown", {SshdServer::user() + ":", root + "/b"}));
    r = corvanectl(app.path(), {"upload", "web", "--no-check"});
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    QCOMPARE(readFile(root + "/a/one.conf"), QByteArray("# one changed\n"));
    QCOMPARE(readFile(root + "/b/two.conf"), QByteArray("# two changed\n"));
}

QTEST_GUILESS_MAIN(TestSplitConfig)
#include "tst_splitconfig.moc"
