// Properties through the real property sheet: which registered pages a node
// gets, what the pages receive, and how the tree follows a page's Apply.
#include "SnapinFixture.h"
#include "TestFiles.h"

#include "host/MessageBox.h"
#include "host/PageFactory.h"
#include "host/PropertyPage.h"
#include "host/PropertySheet.h"
#include "host/ResultView.h"
#include "host/ScopeItem.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "snapin/SectionEditor.h"

#include <QFile>
#include <QTest>

#include <functional>

using namespace corvane;
using namespace corvane::test;

namespace {

const QStringList kAllPages{"ppgGlobalProperties", "ppgGlobalProperties_1", "ppgUnSupportedDirectives",
                            "ppgConnections",      "ppgServerSettings",     "ppgCustomErrors",
                            "ppgDocuments",        "ppgHomeDirectory",      "ppgISAPIExtensions",
                            "ppgHTTPHeaders",      "ppgDirectorySecurity",  "ppgDirectoryMimeMap"};

// A page that edits the model on Apply the way every page does: reload the
// snapshot, change, write the file and the snapshot, notify the console.
class EditingPage : public PropertyPage
{
public:
    explicit EditingPage(const QString& name, std::function<void(ConfigFile&)>* edit) : m_edit(edit)
    {
        setCaption(name);
    }
    void PropertyPage_ApplyChanges() override
    {
        // Only the first page of the sheet changes something.
        if (!m_edit || !*m_edit || sheet()->page(0) != this)
            return;
        ConfigFile config(context().appDir.toStdString());
        config.SetFileName(selectedControl().itemName.toStdString());
        config.DeSerialize();
        (*m_edit)(config);
        config.WriteFile();
        config.Serialize();
        propertyChanged(QStringLiteral("RefreshTreeView"));
    }

private:
    std::function<void(ConfigFile&)>* m_edit;
};

QByteArray shapes()
{
    return corvane::test::readTestData(QStringLiteral(CORVANE_GUI_TEST_DATA "/shapes.conf"));
}

void registerPages(SnapinFixture& fx, const QStringList& names,
                   std::function<void(ConfigFile&)>* edit = nullptr)
{
    for (const QString& name : names)
        fx.host().pageFactory().registerPage(name, [name, edit] { return new EditingPage(name, edit); });
}

std::int32_t numberOf(ConfigFile& config, const std::string& headText)
{
    for (int i = 1; i <= config.GetDirectiveCount(); ++i) {
        Directive* d = config.GetDirective(i);
        if (d && d->GetType() == 0 && d->GetCurrentScopeDirective()->DirScopeString() == headText)
            return d->DirectiveNo();
    }
    return -1;
}

// Closes a sheet and waits until the host has let it go.
void closeSheet(SnapinFixture& fx, PropertySheet* sheet)
{
    sheet->reject();
    QTRY_VERIFY(!fx.host().openSheet());
}

} // namespace

class tst_dispatch_sheet : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::resetRecord(); }
    void sheetPages_data();
    void sheetPages();
    void onlyRegisteredPagesAreShown();
    void pagesReceiveTheContext();
    void movedWorkingCopyOpensNoSheet();
    void treeFollowsAnApply_data();
    void treeFollowsAnApply();
    void filesListFollowsAnApply();
};

void tst_dispatch_sheet::sheetPages_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("filesItem");
    QTest::addColumn<QString>("os");
    QTest::addColumn<QStringList>("tabs");

    const QStringList main{"alpha", "Main Server"};
    QTest::newRow("server") << QStringList{"alpha"} << ""
                            << "Linux"
                            << QStringList{"ppgGlobalProperties", "ppgGlobalProperties_1",
                                           "ppgUnSupportedDirectives", "ppgConnections"};
    QTest::newRow("main server, linux")
        << main << ""
        << "Linux / Unix" << QStringList{"ppgServerSettings", "ppgCustomErrors", "ppgDocuments",
                                         "ppgHomeDirectory",  "ppgHTTPHeaders",  "ppgUnSupportedDirectives"};
    QTest::newRow("main server, windows")
        << main << ""
        << "Windows" << QStringList{"ppgServerSettings",       "ppgCustomErrors",    "ppgDocuments",
                                    "ppgHomeDirectory",        "ppgISAPIExtensions", "ppgHTTPHeaders",
                                    "ppgUnSupportedDirectives"};
    QTest::newRow("virtual host on windows")
        << main + QStringList{"site1.example.org (*)"} << ""
        << "Windows" << QStringList{"ppgServerSettings", "ppgCustomErrors", "ppgDocuments",
                                    "ppgHomeDirectory",  "ppgHTTPHeaders",  "ppgUnSupportedDirectives"};
    QTest::newRow("directory uses the page's caption")
        << main + QStringList{"/"} << ""
        << "Linux" << QStringList{"ppgDirectorySecurity", "ppgDirectoryMimeMap", "ppgUnSupportedDirectives"};
    QTest::newRow("location") << main + QStringList{"/server-status"} << ""
                              << "Linux"
                              << QStringList{"Location Security", "ppgDirectoryMimeMap",
                                             "ppgUnSupportedDirectives"};
    QTest::newRow("ifmodule") << main + QStringList{"mod_ssl.c"} << ""
                              << "Linux" << QStringList{"ppgUnSupportedDirectives"};
    QTest::newRow("files item") << main << "index.html"
                                << "Linux" << QStringList{"File Security", "ppgUnSupportedDirectives"};
}

void tst_dispatch_sheet::sheetPages()
{
    QFETCH(QStringList, path);
    QFETCH(QString, filesItem);
    QFETCH(QString, os);
    QFETCH(QStringList, tabs);

    SnapinFixture fx;
    fx.addServer("alpha", shapes(), false, os);
    fx.start();
    registerPages(fx, kAllPages);
    ScopeItem* item = fx.node(path);
    QVERIFY(item);
    fx.select(item);
    if (!filesItem.isEmpty())
        QVERIFY(fx.selectFilesItem(filesItem));
    QVERIFY(fx.host().isVerbEnabled(Verb::Properties));
    PropertySheet* sheet = fx.host().properties();
    QVERIFY(sheet);
    QCOMPARE(sheet->tabCaptions(), tabs);
    closeSheet(fx, sheet);
}

void tst_dispatch_sheet::onlyRegisteredPagesAreShown()
{
    SnapinFixture fx;
    fx.addServer("alpha", shapes());
    fx.start();
    fx.select(fx.node({"alpha", "Main Server"}));
    // No page at all: no sheet.
    QVERIFY(!fx.host().properties());
    registerPages(fx, {"ppgDocuments", "ppgUnSupportedDirectives", "ppgConnections"});
    PropertySheet* sheet = fx.host().properties();
    QVERIFY(sheet);
    QCOMPARE(sheet->pageClassNames(), (QStringList{"ppgDocuments", "ppgUnSupportedDirectives"}));
    closeSheet(fx, sheet);
}

void tst_dispatch_sheet::pagesReceiveTheContext()
{
    SnapinFixture fx;
    fx.addServer("alpha", shapes());
    fx.addServer("beta", shapes(), true);
    fx.start();
    registerPages(fx, kAllPages);
    // The modules the checking Apache has built in are asked for the sheet's server.
    QStringList askedFor;
    fx.snapIn().serverCommands().compiledInModules = [&](const QString& server) {
        askedFor << server;
        return QStringList{"core.c", "mod_logio.c"};
    };
    ScopeItem* item = fx.node({"beta", "Main Server", "site1.example.org (*)"});
    fx.select(item);
    PropertySheet* sheet = fx.host().properties();
    QVERIFY(sheet);
    const PageContext& ctx = sheet->context();
    QCOMPARE(ctx.currentServerName, QStringLiteral("beta"));
    QVERIFY(!ctx.isLocalServer);
    QCOMPARE(ctx.appDir, fx.appDir());
    QCOMPARE(ctx.cataloguePath, fx.folder().cataloguePath());
    QVERIFY(ctx.propertySheetItem.has_value());
    QCOMPARE(ctx.propertySheetItem->key, item->key());
    QCOMPARE(sheet->page(0)->selectedControl().itemName, fx.workingCopy("beta"));
    QCOMPARE(sheet->page(0)->selectedControl().nodeTag(), item->nodeTag());
    QCOMPARE(ctx.compiledInModules, (QStringList{"core.c", "mod_logio.c"}));
    QCOMPARE(askedFor, QStringList{"beta"});
    closeSheet(fx, sheet);

    // A second sheet for another server has its own context.
    fx.select(fx.node({"alpha", "Main Server"}));
    PropertySheet* other = fx.host().properties();
    QVERIFY(other);
    QCOMPARE(other->context().currentServerName, QStringLiteral("alpha"));
    QVERIFY(other->context().isLocalServer);
    closeSheet(fx, other);
}

void tst_dispatch_sheet::movedWorkingCopyOpensNoSheet()
{
    SnapinFixture fx;
    fx.addServer("alpha", shapes());
    fx.start();
    registerPages(fx, kAllPages);
    fx.select(fx.node({"alpha", "Main Server", "/"}));
    QVERIFY(QFile::remove(fx.workingCopy("alpha")));
    QVERIFY(!fx.host().properties());
    QCOMPARE(MessageBox::lastText(),
             QStringLiteral("Config file for the specified server has been moved/removed. Please restart the "
                            "application"));
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Critical);
}

void tst_dispatch_sheet::treeFollowsAnApply_data()
{
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<bool>("selectionKept");
    const QStringList main{"alpha", "Main Server"};
    QTest::newRow("selected node stays") << main + QStringList{"/var/www/html"} << true;
    QTest::newRow("renamed node stays selected") << main + QStringList{"site1.example.org (*)"} << true;
    QTest::newRow("deleted node loses the selection") << main + QStringList{"/server-status"} << false;
}

void tst_dispatch_sheet::treeFollowsAnApply()
{
    QFETCH(QStringList, selected);
    QFETCH(bool, selectionKept);

    SnapinFixture fx;
    fx.addServer("alpha", shapes());
    fx.start();
    std::function<void(ConfigFile&)> edit = [](ConfigFile& config) {
        const std::int32_t site1 = numberOf(config, "<VirtualHost *>");
        QVERIFY(site1 > 0);
        QCOMPARE(config.UpdateDirective("ServerName", "site9.example.org", site1), 1);
        config.DeleteDirective(numberOf(config, "<Location /server-status>"));
        QVERIFY(snapin::SectionEditor::AddDirectorySection(config, "/srv/new", -1) > 0);
        QVERIFY(snapin::SectionEditor::AddLocationSection(config, "/deep",
                                                          numberOf(config, "<Location /secure>")) > 0);
    };
    registerPages(fx, kAllPages, &edit);

    ScopeItem* secure = fx.node({"alpha", "Main Server", "mod_ssl.c", "/secure"});
    QVERIFY(secure);
    ScopeItem* item = fx.node(selected);
    QVERIFY(item);
    const QString key = item->key();
    fx.select(item);
    PropertySheet* sheet = fx.host().properties();
    QVERIFY(sheet);
    sheet->apply();
    closeSheet(fx, sheet);

    ScopeItem* main = fx.node({"alpha", "Main Server"});
    QCOMPARE(SnapinFixture::childNodes(*main),
             (QStringList{"Section:Proxy *", "Directory:/", "Directory:/var/www/html",
                          "Section:DirectoryMatch ^/var/www/.*/private", "Section:FilesMatch \\.bak$",
                          "Section:LocationMatch ^/old", "IfModule:mod_ssl.c", "Section:IfDefine SSL",
                          "VHost:site9.example.org (*)", "VHost:*", "VHost:quoted.example.org (10.0.0.1:80)",
                          "Directory:/srv/new"}));
    // Nodes below an expanded node follow too, and keep their items.
    QVERIFY(fx.host().contains(secure));
    QCOMPARE(SnapinFixture::childNodes(*secure), QStringList{"Location:/deep"});
    QCOMPARE(fx.host().findScopeItem(key), selectionKept ? item : nullptr);
    if (selectionKept)
        QCOMPARE(fx.host().selectedScopeItem(), item);
    else
        QVERIFY(fx.host().selectedScopeItem() && fx.host().selectedScopeItem()->key() != key);

    // The shell's own model saw the change: a command now works on it.
    const QStringList disk = SnapinFixture::fileLines(fx.workingCopy("alpha"));
    QVERIFY(disk.contains("ServerName site9.example.org"));
    QCOMPARE(fx.snapshotLines("alpha"), disk);
    fx.select(main);
    fx.answerNewNode({{"/after", "ok"}});
    QVERIFY(fx.triggerMenu("mnuLocation"));
    const QStringList after = SnapinFixture::fileLines(fx.workingCopy("alpha"));
    QVERIFY(after.contains("ServerName site9.example.org"));
    QVERIFY(after.contains("<Location \"/after\">"));
    QVERIFY(!after.contains("<Location /server-status>"));
}

void tst_dispatch_sheet::filesListFollowsAnApply()
{
    SnapinFixture fx;
    fx.addServer("alpha", shapes());
    fx.start();
    std::function<void(ConfigFile&)> edit = [](ConfigFile& config) {
        QVERIFY(snapin::SectionEditor::AddFilesSection(config, "\"new.txt\"", -1) > 0);
    };
    registerPages(fx, kAllPages, &edit);
    fx.select(fx.node({"alpha", "Main Server"}));
    QVERIFY(fx.selectFilesItem("\\.(gif|jpe?g)$"));
    const int tag = fx.host().selectedListItem()->nodeTag();
    PropertySheet* sheet = fx.host().properties();
    QVERIFY(sheet);
    QCOMPARE(sheet->tabCaptions().value(0), QStringLiteral("File Security"));
    sheet->apply();
    closeSheet(fx, sheet);
    QCOMPARE(fx.filesItems(), (QStringList{"index.html", "\\.(gif|jpe?g)$", "new.txt"}));
    QTRY_VERIFY(fx.host().selectedListItem());
    QCOMPARE(fx.host().selectedListItem()->nodeTag(), tag);
}

QTEST_MAIN(tst_dispatch_sheet)
#include "tst_dispatch_sheet.moc"
