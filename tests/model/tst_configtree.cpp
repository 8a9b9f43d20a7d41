// Configurations split over files: reading order, scopes, include
// expansion, edits that change only the file they concern (directly and
// through the snapshot), and the lines of a scope as they stand.
#include "ModelTestUtil.h"
#include "model/ConfigFile.h"
#include "model/EditSession.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <set>
#include <unordered_set>

using namespace corvane;
using namespace modeltest;

namespace {

// The server's files under a folder of the test: server path /etc/web/x is
// <root>/etc/web/x.
class FolderSource : public TreeSource
{
public:
    explicit FolderSource(QString root) : m_root(std::move(root)) {}
    std::string local(const std::string& serverPath) const { return m_root.toStdString() + serverPath; }
    bool read(const std::string& serverPath, std::string& bytes, std::string& error) override
    {
        QFile f(QString::fromStdString(local(serverPath)));
        if (!QFileInfo(f).isFile() || !f.open(QIODevice::ReadOnly)) {
            error = "cannot be read";
            return false;
        }
        bytes = f.readAll().toStdString();
        return true;
    }
    bool list(const std::string& serverFolder, std::vector<std::string>& names, std::string&) override
    {
        const QDir dir(QString::fromStdString(local(serverFolder)));
        if (!dir.exists())
            return false;
        for (const QString& n : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            names.push_back(n.toStdString());
        return true;
    }
    bool isFolder(const std::string& serverPath) override
    {
        return QFileInfo(QString::fromStdString(local(serverPath))).isDir();
    }

private:
    QString m_root;
};

struct Tree
{
    QTemporaryDir dir;
    FolderSource source{dir.path()};
    bool put(const QString& serverPath, const QByteArray& bytes)
    {
        const QString path = dir.path() + serverPath;
        QDir().mkpath(QFileInfo(path).absolutePath());
        return writeBytes(path, bytes);
    }
    QByteArray get(const QString& serverPath) { return readBytes(dir.path() + serverPath); }
    // Reads the tree with /etc/web/httpd.conf as the main file; its local
    // copy is the file itself, as every other file is.
    bool read(ConfigFile& cf, TreeReport& report, const std::string& version = "2.4.58")
    {
        cf.SetFileName(source.local("/etc/web/httpd.conf"));
        TreeSettings settings;
        settings.mainFile = "/etc/web/httpd.conf";
        settings.apacheVersion = version;
        settings.variables["APACHE_LOG_DIR"] = "/var/log/web";
        return cf.ReadTree(source, settings, report,
                           [this](const std::string& p) { return source.local(p); });
    }
};

const QByteArray kMain = "ServerRoot \"/etc/web\"\n"
                         "Define SITES sites-enabled\n"
                         "Timeout 300\n"
                         "Include ports.conf\n"
                         "IncludeOptional mods-enabled/*.load\n"
                         "<Directory />\n"
                         "\tRequire all denied\n"
                         "</Directory>\n"
                         "IncludeOptional ${SITES}/*.conf\n"
                         "# end\n";

void putDebianLike(Tree& t)
{
    t.put("/etc/web/httpd.conf", kMain);
    t.put("/etc/web/ports.conf", "Listen 80\n\n<IfModule ssl_module>\n\tListen 443\n</IfModule>\n");
    t.put("/etc/web/mods-enabled/b.load", "LoadModule b_module b.so\n");
    t.put("/etc/web/mods-enabled/a.load", "LoadModule a_module a.so\n");
    t.put("/etc/web/mods-enabled/.hidden.load", "LoadModule hidden x.so\n");
    t.put("/etc/web/sites-enabled/001-shop.conf",
          "<VirtualHost *:80>\n\tServerName shop.example.com\n\tInclude inc/common.conf\n</VirtualHost>\n");
    t.put("/etc/web/sites-enabled/000-default.conf",
          "<VirtualHost *:80>\n\tServerName www.example.com\n\tDocumentRoot /var/www\n</VirtualHost>\n");
    t.put("/etc/web/inc/common.conf", "ErrorLog ${APACHE_LOG_DIR}/error.log\n");
}

QStringList readingOrder(const ConfigFile& cf)
{
    QStringList out;
    for (int i = 1; i <= cf.GetDirectiveCount(); ++i)
        if (const Directive* d = cf.GetDirective(i))
            out << QStringLiteral("%1 %2 %3")
                       .arg(d->DirectiveNo())
                       .arg(d->ParentDirective()->DirectiveNo())
                       .arg(QString::fromStdString(d->SectionText()));
    return out;
}

} // namespace

class TestConfigTree : public QObject
{
    Q_OBJECT
private slots:
    void readsInApacheOrder();
    void includeProblems_data();
    void includeProblems();
    void editChangesOnlyItsFile();
    void editThroughTheSnapshot();
    void newLinesGoToTheScopesFile();
    void sourceAndPlace();
    void placesOfManyLines();
    void appliedLineOfASplitScope_data();
    void appliedLineOfASplitScope();
};

void TestConfigTree::readsInApacheOrder()
{
    Tree t;
    putDebianLike(t);
    ConfigFile cf;
    TreeReport report;
    QVERIFY(t.read(cf, report));
    QVERIFY2(report.ok(), report.errors.empty() ? "" : report.errors.front().c_str());
    QVERIFY(report.warnings.empty());
    // Included lines stand at their Include line, in its scope; files in
    // sorted order, hidden ones left out; a variable from Define.
    QCOMPARE(readingOrder(cf), (QStringList{"1 -1 ServerRoot \"/etc/web\"",
                                            "2 -1 Define SITES sites-enabled",
                                            "3 -1 Timeout 300",
                                            "4 -1 Include ports.conf",
                                            "5 -1 Listen 80",
                                            "6 -1 <IfModule ssl_module>",
                                            "7 6 Listen 443",
                                            "8 6 </IfModule>",
                                            "9 -1 IncludeOptional mods-enabled/*.load",
                                            "10 -1 LoadModule a_module a.so",
                                            "11 -1 LoadModule b_module b.so",
                                            "12 -1 <Directory />",
                                            "13 12 Require all denied",
                                            "14 12 </Directory>",
                                            "15 -1 IncludeOptional ${SITES}/*.conf",
                                            "16 -1 <VirtualHost *:80>",
                                            "17 16 ServerName www.example.com",
                                            "18 16 DocumentRoot /var/www",
                                            "19 16 </VirtualHost>",
                                            "20 -1 <VirtualHost *:80>",
                                            "21 20 ServerName shop.example.com",
                                            "22 20 Include inc/common.conf",
                                            "23 20 ErrorLog ${APACHE_LOG_DIR}/error.log",
                                            "24 20 </VirtualHost>",
                                            "25 -1 # end"}));
    QCOMPARE(cf.GetScopeSections(-1).size(), std::size_t(4));
    const std::vector<TreeFile> files = cf.Files();
    QCOMPARE(files.size(), std::size_t(7));
    QCOMPARE(files[5].serverPath, std::string("/etc/web/sites-enabled/001-shop.conf"));
    QCOMPARE(files[6].serverPath, std::string("/etc/web/inc/common.conf"));
    QCOMPARE(files[6].includedBy, 22);
    // Nothing was changed by reading, and writing changes nothing.
    bool changed = true;
    QVERIFY(cf.WriteFile(&changed));
    QVERIFY(!changed);
    QCOMPARE(t.get("/etc/web/httpd.conf"), kMain);
}

void TestConfigTree::includeProblems_data()
{
    QTest::addColumn<QByteArray>("main");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("error"); // part of the first error, "" none
    QTest::newRow("missing Include") << QByteArray("Include nope.conf\nA 1\n") << "2.4.58" << 2
                                     << "nope.conf";
    QTest::newRow("IncludeOptional matching nothing")
        << QByteArray("IncludeOptional none/*.conf\nA 1\n") << "2.4.58" << 2 << "";
    QTest::newRow("Include with a wildcard matching nothing")
        << QByteArray("Include none/*.conf\n") << "2.4.58" << 1 << "no file matches";
    QTest::newRow("cycle read once") << QByteArray("Include loop/a.conf\n") << "2.4.58" << 3
                                     << "includes itself";
    QTest::newRow("a folder includes its files, sorted, below it too")
        << QByteArray("Include conf.d\n") << "2.4.58" << 4 << "";
    QTest::newRow("wildcard folder part on 2.4")
        << QByteArray("Include c*.d/*.conf\n") << "2.4.58" << 3 << "";
    QTest::newRow("wildcard folder part on 2.2")
        << QByteArray("Include c*.d/*.conf\n") << "2.2.34" << 1 << "not accepted";
}

void TestConfigTree::includeProblems()
{
    QFETCH(QByteArray, main);
    QFETCH(QString, version);
    QFETCH(int, lines);
    QFETCH(QString, error);
    Tree t;
    t.put("/etc/web/httpd.conf", main);
    t.put("/etc/web/loop/a.conf", "Include loop/b.conf\n");
    t.put("/etc/web/loop/b.conf", "Include loop/a.conf\n");
    t.put("/etc/web/conf.d/b.conf", "B 2\n");
    t.put("/etc/web/conf.d/a.conf", "A 1\n");
    t.put("/etc/web/conf.d/sub/c.conf", "C 3\n");
    ConfigFile cf;
    TreeReport report;
    QVERIFY(t.read(cf, report, version.toStdString()));
    QCOMPARE(cf.GetDirectiveCount(), lines);
    if (error.isEmpty()) {
        QVERIFY2(report.ok(), report.errors.empty() ? "" : report.errors.front().c_str());
    } else {
        QVERIFY(!report.ok());
        QVERIFY2(QString::fromStdString(report.errors.front()).contains(error),
                 report.errors.front().c_str());
        QVERIFY2(QString::fromStdString(report.errors.front()).startsWith("/etc/web/"),
                 report.errors.front().c_str()); // names the file and line
    }
}

void TestConfigTree::editChangesOnlyItsFile()
{
    Tree t;
    putDebianLike(t);
    ConfigFile cf;
    TreeReport report;
    QVERIFY(t.read(cf, report));
    // ServerName of the host from sites-enabled/001-shop.conf, and a line of
    // the file that host includes.
    QCOMPARE(cf.UpdateDirective("ServerName", "shop.example.org", 20), 1);
    QCOMPARE(cf.UpdateDirective("ErrorLog", "/var/log/shop.log", 20), 1);
    QVERIFY(cf.WriteFile());
    QCOMPARE(t.get("/etc/web/httpd.conf"), kMain);
    QCOMPARE(t.get("/etc/web/sites-enabled/001-shop.conf"),
             QByteArray("<VirtualHost *:80>\n\tServerName shop.example.org\n\tInclude "
                        "inc/common.conf\n</VirtualHost>\n"));
    // ErrorLog is not a line of the host's own file: it stays where it is.
    QCOMPARE(t.get("/etc/web/inc/common.conf"), QByteArray("ErrorLog /var/log/shop.log\n"));
    QCOMPARE(
        t.get("/etc/web/sites-enabled/000-default.conf"),
        QByteArray(
            "<VirtualHost *:80>\n\tServerName www.example.com\n\tDocumentRoot /var/www\n</VirtualHost>\n"));
}

void TestConfigTree::editThroughTheSnapshot()
{
    Tree t;
    putDebianLike(t);
    ConfigFile loader;
    TreeReport report;
    QVERIFY(t.read(loader, report));
    QVERIFY(loader.Serialize());
    const QByteArray ports = t.get("/etc/web/ports.conf");
    // A page's model: from the snapshot only.
    for (int round = 0; round < 2; ++round) {
        ConfigFile page;
        page.SetFileName(loader.FileName());
        const EditOutcome out = commitEdit(page, [&](ConfigFile& cf, std::string&) {
            return cf.UpdateDirective("DocumentRoot", round ? "/srv/two" : "/srv/one", 16) == 1;
        });
        QCOMPARE(out.status, EditOutcome::Written);
        QCOMPARE(t.get("/etc/web/sites-enabled/000-default.conf"),
                 "<VirtualHost *:80>\n\tServerName www.example.com\n\tDocumentRoot " +
                     QByteArray(round ? "/srv/two" : "/srv/one") + "\n</VirtualHost>\n");
        QCOMPARE(t.get("/etc/web/httpd.conf"), kMain);
        QCOMPARE(t.get("/etc/web/ports.conf"), ports);
        QCOMPARE(page.Files().size(), std::size_t(7));
    }
    // A file of the tree changed by hand: the next change writes nothing.
    QVERIFY(t.put("/etc/web/ports.conf", "Listen 8080\n"));
    ConfigFile page;
    page.SetFileName(loader.FileName());
    QCOMPARE(commitEdit(page, [](ConfigFile& cf,
                                 std::string&) { return cf.UpdateDirective("Timeout", "5", -1) == 1; })
                 .status,
             EditOutcome::Failed);
    QCOMPARE(t.get("/etc/web/httpd.conf"), kMain);
}

void TestConfigTree::newLinesGoToTheScopesFile()
{
    Tree t;
    putDebianLike(t);
    ConfigFile cf;
    TreeReport report;
    QVERIFY(t.read(cf, report));
    // The last top-level simple line is in a site file; a new main-server
    // line still goes into the main file.
    QCOMPARE(cf.SaveAsNewDirective("KeepAlive", "On", -1), 1);
    QCOMPARE(cf.SaveAsNewDirective("ServerAlias", "shop", 20), 1);
    QVERIFY(cf.WriteFile());
    QCOMPARE(t.get("/etc/web/httpd.conf"),
             QByteArray(kMain).replace("IncludeOptional ${SITES}/*.conf\n",
                                       "IncludeOptional ${SITES}/*.conf\nKeepAlive On\n"));
    QCOMPARE(
        t.get("/etc/web/sites-enabled/001-shop.conf"),
        QByteArray(
            "<VirtualHost *:80>\n\tServerName shop.example.com\n\tInclude inc/common.conf\n\tServerAlias "
            "shop\n</VirtualHost>\n"));
}

void TestConfigTree::sourceAndPlace()
{
    Tree t;
    putDebianLike(t);
    ConfigFile cf;
    TreeReport report;
    QVERIFY(t.read(cf, report));
    const auto lines = cf.SourceLines(20);
    QCOMPARE(lines.size(), std::size_t(4));
    QCOMPARE(lines[0].file, std::string("/etc/web/sites-enabled/001-shop.conf"));
    QCOMPARE(lines[0].line, 1);
    QCOMPARE(lines[3].bytes, std::string("</VirtualHost>\n"));
    QCOMPARE(cf.SourceLines(6).size(), std::size_t(3)); // <IfModule> of ports.conf, from line 3
    QCOMPARE(cf.SourceLines(6)[0].line, 3);
    const ConfigFile::LinePlace place = cf.PlaceOf(cf.FindDirective(13));
    QCOMPARE(place.file, std::string("/etc/web/httpd.conf"));
    QCOMPARE(place.line, 7);
    // The main server is its whole file.
    QCOMPARE(cf.SourceLines(-1).size(), std::size_t(10));
}

// Many lines placed in one pass land where PlaceOf puts each of them, in
// every file; a file's lines together are its bytes.
void TestConfigTree::placesOfManyLines()
{
    Tree t;
    putDebianLike(t);
    ConfigFile cf;
    TreeReport report;
    QVERIFY(t.read(cf, report));
    std::unordered_set<const Directive*> all;
    for (int i = 1; i <= cf.GetDirectiveCount(); ++i)
        if (const Directive* d = cf.GetDirective(i))
            all.insert(d);
    const auto places = cf.PlacesOf(all);
    QCOMPARE(places.size(), all.size());
    std::set<std::string> files;
    for (const Directive* d : all) {
        const ConfigFile::LinePlace one = cf.PlaceOf(d);
        const ConfigFile::LinePlace& many = places.at(d);
        QCOMPARE(many.file, one.file);
        QCOMPARE(many.line, one.line);
        files.insert(one.file);
    }
    QVERIFY(files.size() > 2);
    for (const std::string& file : files) {
        std::string joined;
        int line = 0;
        for (const ConfigFile::SourceLine& l : cf.FileSourceLines(file)) {
            QCOMPARE(l.line, ++line);
            joined += l.bytes;
        }
        QCOMPARE(QByteArray::fromStdString(joined), t.get(QString::fromStdString(file)));
    }
    QVERIFY(cf.FileSourceLines("/no/such/file").empty());
    QVERIFY(cf.PlacesOf({}).empty());
}

void TestConfigTree::appliedLineOfASplitScope_data()
{
    QTest::addColumn<QByteArray>("main");
    QTest::addColumn<QByteArray>("conf"); // /etc/web/conf-enabled/z.conf, read at main-server scope
    QTest::addColumn<QString>("applied"); // file:line of the line a page shows and edits
    QTest::addColumn<QByteArray>("mainAfter");
    QTest::addColumn<QByteArray>("confAfter");
    const QByteArray head = "ServerRoot \"/etc/web\"\n";
    QTest::newRow("a later file overrides") << head + "Timeout 300\nIncludeOptional conf-enabled/*.conf\n"
                                            << QByteArray("# z\r\nTimeout 60\r\n") << "conf-enabled/z.conf:2"
                                            << head + "Timeout 300\nIncludeOptional conf-enabled/*.conf\n"
                                            << QByteArray("# z\r\nTimeout 90\r\n");
    QTest::newRow("the main file read last")
        << head + "IncludeOptional conf-enabled/*.conf\n\n  Timeout 300\n"
        << QByteArray("Timeout 60\n") << "httpd.conf:4"
        << head + "IncludeOptional conf-enabled/*.conf\n\n  Timeout 90\n"
        << QByteArray("Timeout 60\n");
    QTest::newRow("twice in one file: the first")
        << head + "Timeout 300\nTimeout 30\nIncludeOptional conf-enabled/*.conf\n"
        << QByteArray("# z\n") << "httpd.conf:2"
        << head + "Timeout 90\nTimeout 30\nIncludeOptional conf-enabled/*.conf\n"
        << QByteArray("# z\n");
}

void TestConfigTree::appliedLineOfASplitScope()
{
    QFETCH(QByteArray, main);
    QFETCH(QByteArray, conf);
    QFETCH(QString, applied);
    QFETCH(QByteArray, mainAfter);
    QFETCH(QByteArray, confAfter);
    Tree t;
    QVERIFY(t.put("/etc/web/httpd.conf", main));
    QVERIFY(t.put("/etc/web/conf-enabled/z.conf", conf));
    ConfigFile loader;
    TreeReport report;
    QVERIFY(t.read(loader, report));
    QVERIFY(report.ok());
    QVERIFY(loader.Serialize());
    auto placeText = [](ConfigFile& cf, const Directive* d) {
        const ConfigFile::LinePlace p = cf.PlaceOf(d);
        return QString::fromStdString(PathBelowRoot(p.file, cf.ServerRoot())) + ':' + QString::number(p.line);
    };
    QCOMPARE(placeText(loader, loader.FindAppliedSubDirective("timeout", -1)), applied);

    // A page's model, from the snapshot: the same line, the same place, and
    // the edit changes that line alone.
    ConfigFile page;
    page.SetFileName(loader.FileName());
    const EditOutcome out = commitEdit(page, [&](ConfigFile& cf, std::string&) {
        if (cf.ServerRoot() != "/etc/web" ||
            placeText(cf, cf.FindAppliedSubDirective("Timeout", -1)) != applied)
            return false;
        return cf.UpdateDirective("Timeout", "90", -1) == 1;
    });
    QCOMPARE(out.status, EditOutcome::Written);
    QCOMPARE(t.get("/etc/web/httpd.conf"), mainAfter);
    QCOMPARE(t.get("/etc/web/conf-enabled/z.conf"), confAfter);

    // A file changed by hand: looking for the applied line does not hide
    // that from the write, which refuses.
    QVERIFY(t.put("/etc/web/conf-enabled/z.conf", conf + "# by hand\n"));
    ConfigFile stale;
    stale.SetFileName(loader.FileName());
    QCOMPARE(commitEdit(stale, [](ConfigFile& cf,
                                  std::string&) { return cf.UpdateDirective("Timeout", "5", -1) == 1; })
                 .status,
             EditOutcome::Failed);
    QCOMPARE(t.get("/etc/web/httpd.conf"), mainAfter);
}

QTEST_GUILESS_MAIN(TestConfigTree)
#include "tst_configtree.moc"
