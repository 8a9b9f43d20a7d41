// The file set of a split configuration, found on real folders as Apache
// finds it: wildcards and their order, folder includes, nested includes,
// Include inside a section, variables, a cycle, Include against
// IncludeOptional; and the names an upload may give previous versions.
#include "transfer/ServerTree.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/TreeSources.h"
#include "transfer/TreeUpload.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// "path=content" entries ("@ROOT@" stands for the tree's folder), "path->target" for a link.
bool buildTree(const QString& root, const QStringList& entries)
{
    for (const QString& entry : entries) {
        if (const qsizetype arrow = entry.indexOf("->"); arrow > 0) {
            const QString link = root + "/" + entry.left(arrow);
            QDir().mkpath(QFileInfo(link).path());
            if (!QFile::link(entry.mid(arrow + 2), link))
                return false;
            continue;
        }
        const qsizetype eq = entry.indexOf('=');
        QString content = entry.mid(eq + 1);
        content.replace("@ROOT@", root).replace("|", "\n");
        if (!writeFile(root + "/" + entry.left(eq), content.toUtf8()))
            return false;
    }
    return true;
}

} // namespace

class TestServerTree : public QObject
{
    Q_OBJECT
private slots:
    void fileSet_data();
    void fileSet();
    void linksAreRemembered();
    void keptNames_data();
    void keptNames();
    void uploadPutsBackOnFailure();
};

void TestServerTree::fileSet_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QStringList>("files");  // relative to the tree's folder, in reading order
    QTest::addColumn<QStringList>("errors"); // a part of each error, in order
    QTest::addColumn<int>("warnings");

    QTest::newRow("red hat: conf.modules.d, conf.d")
        << "2.4.57"
        << QStringList{"conf/httpd.conf=ServerRoot \"@ROOT@\"|Include conf.modules.d/*.conf|"
                       "IncludeOptional conf.d/*.conf",
                       "conf.modules.d/10-b.conf=LoadModule b_module modules/b.so",
                       "conf.modules.d/00-base.conf=LoadModule a_module modules/a.so",
                       "conf.modules.d/README=not read",
                       "conf.d/b.conf=# b",
                       "conf.d/a.conf=# a"}
        << QStringList{"conf/httpd.conf", "conf.modules.d/00-base.conf", "conf.modules.d/10-b.conf",
                       "conf.d/a.conf", "conf.d/b.conf"}
        << QStringList() << 0;
    QTest::newRow("upstream: conf/extra")
        << "2.4.62"
        << QStringList{"conf/httpd.conf=ServerRoot @ROOT@|#Include conf/extra/httpd-ssl.conf|"
                       "Include conf/extra/httpd-vhosts.conf",
                       "conf/extra/httpd-vhosts.conf=<VirtualHost *:80>|</VirtualHost>",
                       "conf/extra/httpd-ssl.conf=# commented out"}
        << QStringList{"conf/httpd.conf", "conf/extra/httpd-vhosts.conf"} << QStringList() << 0;
    QTest::newRow("1.3 folder include, subfolders read too")
        << "1.3.33"
        << QStringList{"httpd.conf=Include vhosts", "vhosts/b.conf=# b", "vhosts/a.conf=# a",
                       "vhosts/sub/c.conf=# c"}
        << QStringList{"httpd.conf", "vhosts/a.conf", "vhosts/b.conf", "vhosts/sub/c.conf"} << QStringList()
        << 0;
    QTest::newRow("nested, Include inside a virtual host, continued line")
        << "2.4.62"
        << QStringList{"httpd.conf=Include sites/*.conf",
                       "sites/a.conf=<VirtualHost *:80>|    Include \\|  inner/*.conf|</VirtualHost>",
                       "inner/x.conf=Include deeper.conf", "deeper.conf=# deepest"}
        << QStringList{"httpd.conf", "sites/a.conf", "inner/x.conf", "deeper.conf"} << QStringList() << 0;
    QTest::newRow("cycle refused") << "2.4.62"
                                   << QStringList{"httpd.conf=Include a.conf", "a.conf=Include b.conf",
                                                  "b.conf=Include a.conf"}
                                   << QStringList{"httpd.conf", "a.conf", "b.conf"}
                                   << QStringList{"include each other"} << 0;
    QTest::newRow("missing Include against missing IncludeOptional")
        << "2.4.62"
        << QStringList{"httpd.conf=IncludeOptional none/*.conf|IncludeOptional gone.conf|"
                       "Include missing/*.conf|Include absent.conf"}
        << QStringList{"httpd.conf"} << QStringList{"missing/*.conf", "absent.conf"} << 0;
    QTest::newRow("wildcard order is byte order")
        << "2.4.62" << QStringList{"httpd.conf=Include s/*.conf",
                                   "s/a.conf=#",
                                   "s/B.conf=#",
                                   "s/2.conf=#",
                                   "s/10.conf=#",
                                   "s/.hidden.conf=#"}
        << QStringList{"httpd.conf", "s/10.conf", "s/2.conf", "s/B.conf", "s/a.conf"} << QStringList() << 0;
    QTest::newRow("variables from Define; an unknown one is a warning")
        << "2.4.62"
        << QStringList{"httpd.conf=Define SITES s|Include ${SITES}/*.conf|Include ${NOWHERE}/x.conf",
                       "s/a.conf=#"}
        << QStringList{"httpd.conf", "s/a.conf"} << QStringList() << 1;
    QTest::newRow("folder wildcards: 2.4 follows them")
        << "2.4.62" << QStringList{"httpd.conf=Include */site.conf", "b/site.conf=#", "a/site.conf=#"}
        << QStringList{"httpd.conf", "a/site.conf", "b/site.conf"} << QStringList() << 0;
    QTest::newRow("folder wildcards: 2.2 refuses them")
        << "2.2.34" << QStringList{"httpd.conf=Include */site.conf", "a/site.conf=#"}
        << QStringList{"httpd.conf"} << QStringList{"wildcards in a folder"} << 0;
}

void TestServerTree::fileSet()
{
    QFETCH(QString, version);
    QFETCH(QStringList, tree);
    QFETCH(QStringList, files);
    QFETCH(QStringList, errors);
    QFETCH(int, warnings);
    QTemporaryDir dir;
    const QString root = QFileInfo(dir.path()).canonicalFilePath();
    QVERIFY(buildTree(root, tree));

    LocalTreeSource source;
    TreeSettings settings;
    settings.mainFile = (root + "/" + files.first()).toStdString();
    settings.apacheVersion = version.toStdString();
    // Relative includes start from the main file's ServerRoot, else its folder.
    TreeManifest manifest;
    TreeReport report;
    std::map<std::string, std::string> contents;
    ServerTree::collect(source, settings, manifest, report, contents);

    QStringList found;
    for (const TreeEntry& e : manifest.files)
        found << QString::fromStdString(e.serverPath).mid(root.size() + 1);
    QCOMPARE(found, files);
    QCOMPARE(int(report.errors.size()), errors.size());
    for (int i = 0; i < errors.size(); ++i)
        QVERIFY2(QString::fromStdString(report.errors[size_t(i)]).contains(errors[i]),
                 report.errors[size_t(i)].c_str());
    QCOMPARE(int(report.warnings.size()), warnings);
    QCOMPARE(contents.size(), size_t(files.size()));
    // Each file lies in the work area under its path below the server root.
    for (const TreeEntry& e : manifest.files) {
        if (e.kind == "file")
            QCOMPARE(QString::fromStdString(e.workPath),
                     "tree/" + QString::fromStdString(e.serverPath).mid(int(manifest.serverRoot.size()) + 1));
    }
}

void TestServerTree::linksAreRemembered()
{
    QTemporaryDir dir;
    const QString root = QFileInfo(dir.path()).canonicalFilePath();
    QVERIFY(buildTree(root, {"apache2.conf=IncludeOptional sites-enabled/*.conf|Include /OUT/x.conf",
                             "sites-available/one.conf=# one", "sites-available/two.conf=# two (disabled)",
                             "sites-enabled/one.conf->../sites-available/one.conf"}));
    QTemporaryDir outside;
    const QString out = QFileInfo(outside.path()).canonicalFilePath();
    QVERIFY(writeFile(out + "/x.conf", "# outside the root"));
    QVERIFY(writeFile(root + "/apache2.conf", QByteArray("IncludeOptional sites-enabled/*.conf\nInclude ") +
                                                  out.toUtf8() + "/x.conf\n"));

    LocalTreeSource source;
    TreeSettings settings;
    settings.mainFile = (root + "/apache2.conf").toStdString();
    TreeManifest manifest;
    TreeReport report;
    std::map<std::string, std::string> contents;
    ServerTree::collect(source, settings, manifest, report, contents);
    QVERIFY(report.ok());
    QCOMPARE(manifest.files.size(), size_t(3));
    const TreeEntry& site = manifest.files[1];
    QCOMPARE(QString::fromStdString(site.serverPath), root + "/sites-enabled/one.conf");
    QCOMPARE(QString::fromStdString(site.realPath), root + "/sites-available/one.conf");
    QCOMPARE(QString::fromStdString(site.writtenPath()), root + "/sites-available/one.conf");
    QCOMPARE(QString::fromStdString(manifest.files[2].workPath), "outside" + out + "/x.conf");

    // The list survives a save and a load.
    QTemporaryDir work;
    QVERIFY(manifest.save(work.filePath("files.list")));
    TreeManifest loaded;
    QVERIFY(loaded.load(work.filePath("files.list")));
    QCOMPARE(loaded.files.size(), manifest.files.size());
    QCOMPARE(loaded.files[1].realPath, site.realPath);
    QCOMPARE(loaded.patterns, manifest.patterns);
    QVERIFY(loaded.isSplit());
}

void TestServerTree::keptNames_data()
{
    QTest::addColumn<QStringList>("patterns");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("kept");

    const QString stamp = ".20240102-030405.corvane-backup";
    QTest::newRow("debian: beside the real file")
        << QStringList{"/etc/apache2/sites-enabled/*.conf", "/etc/apache2/mods-enabled/*.load"}
        << "/etc/apache2/sites-available/one.conf"
        << "/etc/apache2/sites-available/one.conf" + stamp;
    QTest::newRow("conf.d/*.conf does not read another ending")
        << QStringList{"/etc/httpd/conf.d/*.conf"} << "/etc/httpd/conf.d/ssl.conf"
        << "/etc/httpd/conf.d/ssl.conf" + stamp;
    QTest::newRow("conf.d/* reads everything there: a hidden name, unless .* is read too")
        << QStringList{"/etc/httpd/conf.d/*"} << "/etc/httpd/conf.d/ssl.conf"
        << "/etc/httpd/conf.d/.ssl.conf" + stamp;
    QTest::newRow("a whole folder included: the server root")
        << QStringList{"/etc/httpd/vhosts", "/etc/httpd/vhosts/.*"} << "/etc/httpd/vhosts/a.conf"
        << "/etc/httpd/a.conf" + stamp;
}

void TestServerTree::keptNames()
{
    QFETCH(QStringList, patterns);
    QFETCH(QString, file);
    QFETCH(QString, kept);
    TreeManifest manifest;
    manifest.serverRoot = "/etc/httpd";
    for (const QString& p : patterns)
        manifest.patterns.push_back(p.toStdString());
    const std::string name = ServerTree::backupNameFor(file.toStdString(), manifest, "20240102-030405");
    QCOMPARE(QString::fromStdString(name), kept);
    QVERIFY(!manifest.includes(name));
}

// A writer that fails on the second file: the first is put back.
class FailingWriter : public LocalTreeWriter
{
public:
    int writes = 0;
    bool write(const std::string& path, const std::string& bytes, const std::string& like,
               std::string& error) override
    {
        if (++writes == 2) {
            error = "disk full";
            return false;
        }
        return LocalTreeWriter::write(path, bytes, like, error);
    }
};

void TestServerTree::uploadPutsBackOnFailure()
{
    QTemporaryDir app, server;
    const QString root = QFileInfo(server.path()).canonicalFilePath();
    QVERIFY(buildTree(root, {"httpd.conf=Include a.conf|Include b.conf", "a.conf=# a", "b.conf=# b"}));
    LocalTreeSource source;
    TreeSettings settings;
    settings.mainFile = (root + "/httpd.conf").toStdString();
    TreeManifest manifest;
    TreeReport report;
    std::map<std::string, std::string> contents;
    ServerTree::collect(source, settings, manifest, report, contents);
    const ServerWorkArea area(AppFolder(app.path()), "web");
    QVERIFY(area.ensureFolders());
    QVERIFY(writeFile(area.downloadFile(), contents[settings.mainFile].c_str()));
    QVERIFY(area.installFetchedTree(area.downloadFile(), manifest, contents));
    QVERIFY(writeFile(area.workFile(manifest.files[1]), "# a changed"));
    QVERIFY(writeFile(area.workFile(manifest.files[2]), "# b changed"));
    const std::vector<TreeEntry> changed = area.changedFiles(manifest);
    QCOMPARE(changed.size(), size_t(2));

    FailingWriter writer;
    const TreeUploadResult failed = TreeUpload::run(writer, area, manifest, changed, false);
    QVERIFY(!failed.ok);
    QVERIFY2(failed.lines.join('\n').contains("Put back"), qPrintable(failed.lines.join('\n')));
    QVERIFY2(failed.lines.join('\n').contains("disk full"), qPrintable(failed.lines.join('\n')));
    // The server ends with all old files and nothing else.
    QFile a(root + "/a.conf"), b(root + "/b.conf");
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("# a"));
    QCOMPARE(b.readAll(), QByteArray("# b"));
    QCOMPARE(QDir(root).entryList(QDir::Files).size(), 3);

    LocalTreeWriter good;
    const TreeUploadResult sent = TreeUpload::run(good, area, manifest, changed, false);
    QVERIFY(sent.ok);
    QCOMPARE(sent.lines.size(), 2);
    QCOMPARE(QDir(root).entryList({"*.corvane-backup"}, QDir::Files).size(), 2);
    QVERIFY(area.recordSentFiles(sent.sent));
    QVERIFY(area.changedFiles(manifest).empty());
}

QTEST_GUILESS_MAIN(TestServerTree)
#include "tst_servertree.moc"
