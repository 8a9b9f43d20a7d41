// The scope tree and the Files lists the console builds from real-shaped
// configurations, with one or several registered servers.
#include "SnapinFixture.h"
#include "TestFiles.h"

#include "host/ResultView.h"
#include "host/ScopeItem.h"
#include "model/ConfigFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

QByteArray readData(const QString& name)
{
    return corvane::test::readTestData(QStringLiteral(CORVANE_GUI_TEST_DATA "/") + name);
}

// Checks every node below `item` (expanding it) against the oracle, and the
// Files list of every node that has one.
void compareWithOracle(SnapinFixture& fx, ScopeItem* item, const ConfOracle& oracle, const QString& prefix,
                       int headLine, QStringList& seen)
{
    fx.host().expand(*item);
    const QStringList expected =
        headLine < 0 ? oracle.mainServerChildren() : oracle.sectionChildren(headLine);
    QCOMPARE(SnapinFixture::childNodes(*item), expected);
    fx.select(item);
    QCOMPARE(fx.filesItems(), headLine < 0 ? oracle.mainServerFiles() : oracle.sectionFiles(headLine));
    for (int i = 0; i < item->childCount(); ++i) {
        ScopeItem* child = item->child(i);
        const QString entry = SnapinFixture::childNodes(*item).at(i);
        seen << prefix + u'/' + entry;
        // Lines are numbered 1, 2, 3 over the non-blank lines of the file
        // (the files compared here have no continuation lines).
        compareWithOracle(fx, child, oracle, prefix + u'/' + entry, child->nodeTag() - 1, seen);
    }
}

} // namespace

class tst_snapin_tree : public QObject
{
    Q_OBJECT
private slots:
    void shapes_data();
    void shapes();
    void keysTagsAndRows();
    void sampleServerMatchesItsFile();
    void severalServers();
    void longLinesOpen();
    void quotedAndStarVirtualHosts_data();
    void quotedAndStarVirtualHosts();
    void selectionPublishesContext_data();
    void selectionPublishesContext();
};

void tst_snapin_tree::shapes_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QStringList>("children");
    QTest::addColumn<QStringList>("files");

    const QStringList main{"alpha", "Main Server"};
    QTest::newRow("server") << QStringList{"alpha"} << QStringList{"DefaultVHost:Main Server"}
                            << QStringList{};
    QTest::newRow("main server") << main
                                 << QStringList{"Section:Proxy *",
                                                "Directory:/",
                                                "Directory:/var/www/html",
                                                "Section:DirectoryMatch ^/var/www/.*/private",
                                                "Section:FilesMatch \\.bak$",
                                                "Location:/server-status",
                                                "Section:LocationMatch ^/old",
                                                "IfModule:mod_ssl.c",
                                                "Section:IfDefine SSL",
                                                "VHost:site1.example.org (*)",
                                                "VHost:*",
                                                "VHost:quoted.example.org (10.0.0.1:80)"}
                                 << QStringList{"index.html", "\\.(gif|jpe?g)$"};
    QTest::newRow("directory with a Files ~ section")
        << main + QStringList{"/var/www/html"} << QStringList{} << QStringList{"\\.cgi$"};
    QTest::newRow("ifmodule shows its nested virtual host")
        << main + QStringList{"mod_ssl.c"}
        << QStringList{"Location:/secure", "VHost:nested.example.org (_default_:443)"} << QStringList{};
    QTest::newRow("IfDefine shows its directory")
        << main + QStringList{"IfDefine SSL"} << QStringList{"Directory:/srv/ssl"} << QStringList{};
    QTest::newRow("virtual host named by its ServerName")
        << main + QStringList{"site1.example.org (*)"} << QStringList{"Directory:/var/www/site1"}
        << QStringList{"secret.txt"};
    QTest::newRow("virtual host without ServerName keeps *")
        << main + QStringList{"*"} << QStringList{} << QStringList{};
    QTest::newRow("quoted address") << main + QStringList{"quoted.example.org (10.0.0.1:80)"}
                                    << QStringList{"Location:/app", "IfModule:mod_rewrite.c"}
                                    << QStringList{};
    QTest::newRow("nested location") << main + QStringList{"mod_ssl.c", "/secure"} << QStringList{}
                                     << QStringList{};
}

void tst_snapin_tree::shapes()
{
    QFETCH(QStringList, path);
    QFETCH(QStringList, children);
    QFETCH(QStringList, files);

    SnapinFixture fx;
    fx.addServer("alpha", readData("shapes.conf"));
    fx.start();
    ScopeItem* item = fx.node(path);
    QVERIFY2(item, qPrintable(path.join(" > ")));
    QCOMPARE(SnapinFixture::childNodes(*item), children);
    fx.select(item);
    QCOMPARE(fx.filesItems(), files);

    // Our own reading of the file says the same.
    const ConfOracle oracle = ConfOracle::fromFile(fx.workingCopy("alpha"));
    if (path.size() == 2) {
        QCOMPARE(oracle.mainServerChildren(), children);
        QCOMPARE(oracle.mainServerFiles(), files);
    }
}

void tst_snapin_tree::keysTagsAndRows()
{
    SnapinFixture fx;
    fx.addServer("alpha", readData("shapes.conf"));
    fx.start();
    const QString path = fx.workingCopy("alpha");
    // Directive numbers run 1, 2, 3 over the non-blank lines of the file.
    const QStringList lines = SnapinFixture::fileLines(path);
    auto numberOf = [&](const QString& line) { return int(lines.indexOf(line)) + 1; };

    ScopeItem* server = fx.node({"alpha"});
    QVERIFY(server);
    QCOMPARE(server->nodeType(), QStringLiteral("Server"));
    QCOMPARE(server->key(), QStringLiteral("Server-0-") + path);
    QCOMPARE(server->nodeTag(), -2);
    QCOMPARE(server->itemName(), path);
    QCOMPARE(server->columnHeaders().value(1).text, QStringLiteral("Server Name"));
    QCOMPARE(server->rowText(1), QStringLiteral("alpha"));

    ScopeItem* main = fx.node({"alpha", "Main Server"});
    QCOMPARE(main->nodeType(), QStringLiteral("DefaultVHost"));
    QCOMPARE(main->key(), QStringLiteral("MainServer-0"));
    QCOMPARE(main->nodeTag(), -1);
    QCOMPARE(main->itemName(), path);
    QCOMPARE(main->columnHeaders().value(1).text, QStringLiteral("Name"));
    QCOMPARE(main->columnHeaders().value(2).text, QStringLiteral("Type"));
    QCOMPARE(main->rowText(1), QStringLiteral("Main Server"));
    QCOMPARE(main->rowText(2), QStringLiteral("Default Virtual Host"));

    struct Expect
    {
        int child;
        const char* type;
        const char* prefix;
        const char* headLine;
        const char* rowType;
    };
    const Expect expected[] = {
        {0, "Section", "Section-0-", "<Proxy *>", "Proxy"},
        {1, "Directory", "Directory-0-", "<Directory />", "Directory"},
        {2, "Directory", "Directory-1-", "<Directory \"/var/www/html\">", "Directory"},
        {3, "Section", "Section-1-", "<DirectoryMatch \"^/var/www/.*/private\">", "DirectoryMatch"},
        {5, "Location", "Location-0-", "<Location /server-status>", "Location"},
        {7, "IfModule", "IfModule-0-", "<IfModule mod_ssl.c>", "IfModule"},
        {9, "VHosts", "VHost-0-", "<VirtualHost *>", "Virtual Host"},
        {11, "VHosts", "VHost-2-", "<VirtualHost \"10.0.0.1:80\">", "Virtual Host"},
    };
    for (const Expect& e : expected) {
        ScopeItem* c = main->child(e.child);
        const int number = numberOf(QString::fromLatin1(e.headLine));
        QVERIFY(number > 0);
        QCOMPARE(c->nodeType(), QString::fromLatin1(e.type));
        QCOMPARE(c->key(), QString::fromLatin1(e.prefix) + QString::number(number));
        QCOMPARE(c->nodeTag(), number);
        QCOMPARE(c->itemName(), path);
        QCOMPARE(c->rowText(1), c->displayName());
        QCOMPARE(c->rowText(2), QString::fromLatin1(e.rowType));
        QCOMPARE(c->columnHeaders().value(1).text, QStringLiteral("Name"));
    }

    fx.select(main);
    ResultView* view = fx.host().currentResultView();
    QVERIFY(view);
    QCOMPARE(view->listItemCount(), 2);
    ResultItem* first = view->listItem(0);
    const int filesNo = numberOf("<Files index.html>");
    QCOMPARE(first->key(), QStringLiteral("File-0-") + QString::number(filesNo));
    QCOMPARE(first->text(), QStringLiteral("index.html"));
    QCOMPARE(first->icon(), 1);
    QCOMPARE(first->nodeTag(), filesNo);
    QCOMPARE(first->itemName(), path);
    QCOMPARE(first->rowText(1), QStringLiteral("index.html"));
    QCOMPARE(first->rowText(2), QStringLiteral("File"));
    QCOMPARE(view->listItem(1)->key(),
             QStringLiteral("File-1-") + QString::number(numberOf("<Files ~ \"\\.(gif|jpe?g)$\">")));

    // Showing the view again makes new items with new keys: keys are never reused.
    fx.select(main->child(0));
    fx.select(main);
    QCOMPARE(fx.host().currentResultView()->listItem(0)->key(),
             QStringLiteral("File-2-") + QString::number(filesNo));
}

void tst_snapin_tree::sampleServerMatchesItsFile()
{
    SnapinFixture fx;
    fx.installSample();
    fx.start();
    QCOMPARE(SnapinFixture::childNodes(fx.host().root()), QStringList{"Server:Sample"});
    ScopeItem* main = fx.node({"Sample", "Main Server"});
    QVERIFY(main);
    const ConfOracle oracle = ConfOracle::fromFile(fx.workingCopy("Sample"));
    QVERIFY2(oracle.mainServerChildren().size() >= 3, "the Sample server shows a real configuration");
    QStringList seen;
    compareWithOracle(fx, main, oracle, QString(), -1, seen);
    QCOMPARE(seen, oracle.allNodes());
}

void tst_snapin_tree::severalServers()
{
    SnapinFixture fx;
    fx.installSample();
    fx.addServer("alpha", readData("shapes.conf"));
    fx.addServerWithoutWorkingCopy("broken");
    fx.addServer("beta", readData("small.conf"), true);
    fx.addServerWithoutWorkingCopy("folder");
    QDir().mkpath(fx.workingCopy("folder")); // httpd.conf is a folder: cannot be read
    fx.addServer("gamma", readData("small.conf"));
    fx.start();

    ScopeItem& root = fx.host().root();
    QCOMPARE(SnapinFixture::childNodes(root),
             (QStringList{"Server:Sample", "Server:alpha", "Server:beta", "Server:gamma"}));
    // Keys count only the servers that loaded.
    QCOMPARE(root.child(2)->key(), QStringLiteral("Server-2-") + fx.workingCopy("beta"));
    QCOMPARE(root.child(3)->key(), QStringLiteral("Server-3-") + fx.workingCopy("gamma"));
    QCOMPARE(fx.snapIn().configs().count(), 4);
    // A path is found whatever its letter case and surrounding blanks.
    ConfigFile* alpha = fx.snapIn().configs().FindConfigFile(fx.workingCopy("alpha"));
    QVERIFY(alpha);
    QCOMPARE(fx.snapIn().configs().FindConfigFile(" " + fx.workingCopy("alpha").toUpper() + " "), alpha);
    QVERIFY(!fx.snapIn().configs().FindConfigFile(fx.workingCopy("broken")));

    // Every loaded server left its snapshot; the failed ones none.
    for (const char* name : {"Sample", "alpha", "beta", "gamma"})
        QVERIFY2(QFile::exists(fx.snapshot(name)), qPrintable(name));
    QVERIFY(!QFile::exists(fx.snapshot("broken")));

    // Each server's nodes lead to its own model.
    QCOMPARE(SnapinFixture::childNodes(*fx.node({"beta", "Main Server"})),
             (QStringList{"Directory:/srv/small", "VHost:www.small.example.org (*:8080)"}));
    QCOMPARE(SnapinFixture::childNodes(*fx.node({"gamma", "Main Server"})),
             (QStringList{"Directory:/srv/small", "VHost:www.small.example.org (*:8080)"}));
    QCOMPARE(SnapinFixture::childNodes(*fx.node({"alpha", "Main Server"})).size(), 12);
}

// Apache takes logical lines far over 64 KiB: a server whose file holds one
// opens in the console like any other, and its snapshot keeps the line.
void tst_snapin_tree::longLinesOpen()
{
    SnapinFixture fx;
    const QByteArray longLine = "Header set X-Long \"" + QByteArray(70000, 'v') + "\"\n";
    fx.addServer("long", "Listen 80\n<VirtualHost *:80>\nServerName long.example.org\n" + longLine +
                             "</VirtualHost>\n");
    fx.start();
    QCOMPARE(SnapinFixture::childNodes(*fx.node({"long", "Main Server"})),
             QStringList{"VHost:long.example.org (*:80)"});
    QVERIFY(fx.snapshotLines("long").join('\n').contains(QString(70000, 'v')));
}

void tst_snapin_tree::quotedAndStarVirtualHosts_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QStringList>("children");
    QTest::newRow("star with ServerName") << QByteArray("<VirtualHost *>\nServerName site1\n</VirtualHost>\n")
                                          << QStringList{"VHost:site1 (*)"};
    QTest::newRow("star without ServerName")
        << QByteArray("<VirtualHost *>\nDocumentRoot /x\n</VirtualHost>\n") << QStringList{"VHost:*"};
    QTest::newRow("star:port is not replaced")
        << QByteArray("<VirtualHost *:80>\nServerName site1\n</VirtualHost>\n")
        << QStringList{"VHost:site1 (*:80)"};
    QTest::newRow("quoted address") << QByteArray("<VirtualHost \"10.0.0.1:80\">\n</VirtualHost>\n")
                                    << QStringList{"VHost:10.0.0.1:80"};
    QTest::newRow("quoted server name")
        << QByteArray("<VirtualHost *>\nServerName \"www.example.org\"\n</VirtualHost>\n")
        << QStringList{"VHost:www.example.org (*)"};
    QTest::newRow("match sections, IfDefine and unknown sections are nodes")
        << QByteArray("<DirectoryMatch ^/x>\n</DirectoryMatch>\n<LocationMatch ^/y>\n</LocationMatch>\n"
                      "<FilesMatch z>\n</FilesMatch>\n<IfDefine X>\n<Directory /in-ifdefine>\n</Directory>\n"
                      "</IfDefine>\n<Proxy *>\n</Proxy>\n<Location /kept>\n</Location>\n")
        << QStringList{"Section:DirectoryMatch ^/x", "Section:LocationMatch ^/y", "Section:FilesMatch z",
                       "Section:IfDefine X",         "Section:Proxy *",           "Location:/kept"};
    QTest::newRow("sections the model does not nest pair heads with ends")
        << QByteArray("<IfVersion >= 2.4>\n<RequireAll>\nRequire all granted\n<RequireAny>\n</RequireAny>\n"
                      "</RequireAll>\n</IfVersion>\n<If \"-f /x\">\n</If>\n<Else>\n</Else>\n"
                      "</Limit>\n<Location /after>\n</Location>\n")
        << QStringList{"Section:IfVersion >= 2.4", "Section:If -f /x", "Section:Else", "Location:/after"};
    QTest::newRow("section without argument")
        << QByteArray("<Directory>\n</Directory>\n<IfModule \"mod_a.c\">\n</IfModule>\n")
        << QStringList{"IfModule:mod_a.c"};
    QTest::newRow("tabs, CR LF and continuation lines")
        << QByteArray("\t<Directory \\\r\n  /var/www>\r\n\t</Directory>\r\n")
        << QStringList{"Directory:/var/www"};
    QTest::newRow("Latin-1 bytes shown as Latin-1") << QByteArray("<Directory /caf\xe9>\n</Directory>\n")
                                                    << QStringList{QStringLiteral("Directory:/caf\u00e9")};
    QTest::newRow("UTF-8 shown as UTF-8") << QByteArray("<Location /caf\xc3\xa9>\n</Location>\n")
                                          << QStringList{QStringLiteral("Location:/caf\u00e9")};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void tst_snapin_tree::quotedAndStarVirtualHosts()
{
    QFETCH(QByteArray, config);
    QFETCH(QStringList, children);
    SnapinFixture fx;
    fx.addServer("s", config);
    fx.start();
    ScopeItem* main = fx.node({"s", "Main Server"});
    QVERIFY(main);
    QCOMPARE(SnapinFixture::childNodes(*main), children);
}

void tst_snapin_tree::selectionPublishesContext_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("filesItem");
    QTest::addColumn<bool>("local");
    QTest::addColumn<QString>("verbs"); // P(roperties) D(elete) R(efresh) N (rename)

    // Refresh on the root reads the registry again.
    QTest::newRow("root") << "" << QStringList{} << "" << true << "R";
    QTest::newRow("local server") << "alpha" << QStringList{"alpha"} << "" << true << "P";
    QTest::newRow("remote server") << "beta" << QStringList{"beta"} << "" << false << "P";
    QTest::newRow("main server") << "alpha" << QStringList{"alpha", "Main Server"} << "" << true << "P";
    QTest::newRow("directory") << "alpha" << QStringList{"alpha", "Main Server", "/"} << "" << true << "PDRN";
    QTest::newRow("virtual host cannot be renamed")
        << "beta" << QStringList{"beta", "Main Server", "site1.example.org (*)"} << "" << false << "PDR";
    QTest::newRow("ifmodule") << "alpha" << QStringList{"alpha", "Main Server", "mod_ssl.c"} << "" << true
                              << "PDRN";
    QTest::newRow("files item") << "beta" << QStringList{"beta", "Main Server"} << "index.html" << false
                                << "PDRN";
}

void tst_snapin_tree::selectionPublishesContext()
{
    QFETCH(QString, server);
    QFETCH(QStringList, path);
    QFETCH(QString, filesItem);
    QFETCH(bool, local);
    QFETCH(QString, verbs);

    SnapinFixture fx;
    fx.addServer("alpha", readData("shapes.conf"));
    fx.addServer("beta", readData("shapes.conf"), true);
    fx.start();
    ScopeItem* item = fx.node(path);
    QVERIFY(item);
    fx.select(item);
    if (!filesItem.isEmpty())
        QVERIFY(fx.selectFilesItem(filesItem));

    const PageContext& ctx = fx.snapIn().pageContext();
    if (!server.isEmpty()) {
        QCOMPARE(ctx.currentServerName, server);
        QCOMPARE(ctx.isLocalServer, local);
        QCOMPARE(fx.snapIn().CurrentConfig(), fx.snapIn().configs().FindConfigFile(fx.workingCopy(server)));
    }
    QCOMPARE(ctx.appDir, fx.appDir());
    if (filesItem.isEmpty()) {
        QVERIFY(ctx.propertySheetItem.has_value());
        QCOMPARE(ctx.propertySheetItem->key, item->key());
        QCOMPARE(ctx.propertySheetItem->itemName, item->itemName());
        QCOMPARE(ctx.propertySheetItem->nodeTag(), item->nodeTag());
    } else {
        QVERIFY(!ctx.propertySheetItem.has_value());
    }
    QString enabled;
    if (fx.host().isVerbEnabled(Verb::Properties))
        enabled += u'P';
    if (fx.host().isVerbEnabled(Verb::Delete))
        enabled += u'D';
    if (fx.host().isVerbEnabled(Verb::Refresh))
        enabled += u'R';
    if (fx.host().isVerbEnabled(Verb::Rename))
        enabled += u'N';
    QCOMPARE(enabled, verbs);
}

QTEST_MAIN(tst_snapin_tree)
#include "tst_snapin_tree.moc"
