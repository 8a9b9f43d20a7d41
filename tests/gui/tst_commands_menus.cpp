// The context menus, the toolbar and the server commands of the console.
#include "SnapinFixture.h"
#include "TestFiles.h"

#include "host/ContextMenu.h"
#include "host/HelpTopics.h"
#include "host/HelpViewer.h"
#include "host/MessageBox.h"
#include "host/ScopeItem.h"
#include "host/Toolbar.h"
#include "registry/IniFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

QByteArray data(const char* name)
{
    return corvane::test::readTestData(QStringLiteral(CORVANE_GUI_TEST_DATA "/") + QLatin1String(name));
}

QStringList describe(const ContextMenu& menu)
{
    QStringList out;
    for (const auto& item : menu.items())
        out << item.name + u':' + item.caption + (item.enabled ? QString() : QStringLiteral(":grey"));
    return out;
}

void installHooks(SnapinFixture& fx, QStringList* calls)
{
    auto& hooks = fx.snapIn().serverCommands();
    hooks.get = [calls](const QString& s) { calls->append("get:" + s); };
    hooks.synchronize = [calls](const QString& s) { calls->append("sync:" + s); };
    hooks.showChanges = [calls](const QString& s) { calls->append("changes:" + s); };
    hooks.revertChanges = [calls](const QString& s) {
        calls->append("revert:" + s);
        return false;
    };
    hooks.connect = [calls] {
        calls->append("connect");
        return QString();
    };
}

// Sample, a local server alpha and a remote server beta.
void threeServers(SnapinFixture& fx)
{
    fx.installSample();
    fx.addServer("alpha", data("shapes.conf"));
    fx.addServer("beta", data("small.conf"), true);
}

} // namespace

class tst_commands_menus : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::resetRecord(); }
    void menus_data();
    void menus();
    void toolbar_data();
    void toolbar();
    void getRebuildsTheTree();
    void synchronizeLeavesTheTree();
    void missingWorkingCopyDropsTheServer_data();
    void missingWorkingCopyDropsTheServer();
    void disconnect_data();
    void disconnect();
    void connectLoadsTheNewServer();
    void viewSourceShowsTheLinesAsTheyStand_data();
    void viewSourceShowsTheLinesAsTheyStand();
    void firstStartOffersAConnection_data();
    void firstStartOffersAConnection();
    void aboutAndHelp();
    void virtualHostKeepsItsName();
};

void tst_commands_menus::menus_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<bool>("hooks");
    QTest::addColumn<QStringList>("top");
    QTest::addColumn<QStringList>("newItems");

    const QStringList allNew{"mnuVHost:Virtual Host", "mnuDirectory:Directory", "mnuFile:File",
                             "mnuLocation:Location", "mnuIfModule:IfModule"};
    const QStringList sectionNew{"mnuVHost:Virtual Host:grey", "mnuDirectory:Directory", "mnuFile:File",
                                 "mnuLocation:Location", "mnuIfModule:IfModule"};
    QTest::newRow("root without wizard")
        << QStringList{} << false << QStringList{"mnuConnect:Connect:grey", "mnuAboutC:About"}
        << QStringList{};
    QTest::newRow("root") << QStringList{} << true << QStringList{"mnuConnect:Connect", "mnuAboutC:About"}
                          << QStringList{};
    QTest::newRow("Sample is never fetched or sent")
        << QStringList{"Sample"} << true << QStringList{"mnuDisConnect:Disconnect", "mnuFind:Find..."}
        << QStringList{};
    QTest::newRow("local server") << QStringList{"alpha"} << true
                                  << QStringList{"mnuDisConnect:Disconnect", "mnuSynchronize:Synchronize",
                                                 "mnuShowChanges:Show Changes",
                                                 "mnuRevertChanges:Revert Changes", "mnuFind:Find..."}
                                  << QStringList{};
    QTest::newRow("remote server") << QStringList{"beta"} << true
                                   << QStringList{"mnuDisConnect:Disconnect",
                                                  "mnuGetConfig:Get",
                                                  "mnuSynchronize:Synchronize",
                                                  "mnuShowChanges:Show Changes",
                                                  "mnuRevertChanges:Revert Changes",
                                                  "mnuFind:Find..."}
                                   << QStringList{};
    QTest::newRow("remote server before the transfer is installed")
        << QStringList{"beta"} << false
        << QStringList{"mnuDisConnect:Disconnect",
                       "mnuGetConfig:Get:grey",
                       "mnuSynchronize:Synchronize:grey",
                       "mnuShowChanges:Show Changes:grey",
                       "mnuRevertChanges:Revert Changes:grey",
                       "mnuFind:Find..."}
        << QStringList{};
    const QStringList source{"mnuViewSource:View Source", "mnuFind:Find..."};
    QTest::newRow("main server") << QStringList{"alpha", "Main Server"} << true << source << allNew;
    QTest::newRow("directory") << QStringList{"alpha", "Main Server", "/"} << true << source << sectionNew;
    QTest::newRow("location") << QStringList{"alpha", "Main Server", "/server-status"} << true << source
                              << sectionNew;
    QTest::newRow("ifmodule") << QStringList{"alpha", "Main Server", "mod_ssl.c"} << true << source
                              << sectionNew;
    QTest::newRow("virtual host") << QStringList{"alpha", "Main Server", "*"} << true << source << sectionNew;
}

void tst_commands_menus::menus()
{
    QFETCH(QStringList, path);
    QFETCH(bool, hooks);
    QFETCH(QStringList, top);
    QFETCH(QStringList, newItems);

    SnapinFixture fx;
    threeServers(fx);
    fx.start();
    QStringList calls;
    if (hooks)
        installHooks(fx, &calls);
    ScopeItem* item = fx.node(path);
    QVERIFY(item);
    fx.select(item);
    ContextMenu topMenu, newMenu;
    fx.host().buildMenu(topMenu, newMenu);
    QCOMPARE(describe(topMenu), top);
    QCOMPARE(describe(newMenu), newItems);

    // The window's context menu carries the same actions, by name.
    for (const auto& entry : topMenu.items() + newMenu.items()) {
        QAction* action = fx.menuAction(entry.name);
        QVERIFY2(action, qPrintable(entry.name));
        QCOMPARE(action->isEnabled(), entry.enabled);
    }
}

void tst_commands_menus::toolbar_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<bool>("hooks");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("find"); // Find works on every node of a server
    QTest::newRow("root") << QStringList{} << true << false << false;
    QTest::newRow("local server") << QStringList{"alpha"} << true << false << true;
    QTest::newRow("remote server") << QStringList{"beta"} << true << true << true;
    QTest::newRow("remote server, no transfer yet") << QStringList{"beta"} << false << false << true;
    QTest::newRow("main server of a remote server")
        << QStringList{"beta", "Main Server"} << true << false << true;
    QTest::newRow("Sample") << QStringList{"Sample"} << true << false << true;
}

void tst_commands_menus::toolbar()
{
    QFETCH(QStringList, path);
    QFETCH(bool, hooks);
    QFETCH(bool, enabled);
    QFETCH(bool, find);

    SnapinFixture fx;
    threeServers(fx);
    fx.start();
    QStringList calls;
    if (hooks)
        installHooks(fx, &calls);
    fx.select(fx.node(path));
    Toolbar* toolbar = fx.host().controlbar().toolbar("tblNew");
    QVERIFY(toolbar);
    QCOMPARE(toolbar->buttons().size(), 3);
    QCOMPARE(toolbar->buttons().at(0).toolTip, QStringLiteral("Get Conf File"));
    QCOMPARE(toolbar->buttons().at(1).toolTip, QStringLiteral("Synchronize Conf File"));
    QCOMPARE(toolbar->buttons().at(2).shortcut, QStringLiteral("Ctrl+F"));
    QCOMPARE(toolbar->isButtonEnabled("Get"), enabled);
    QCOMPARE(toolbar->isButtonEnabled("Put"), enabled);
    QCOMPARE(toolbar->isButtonEnabled("Find"), find);
    auto* button = fx.window().findChild<QWidget*>("tblNew_Get");
    QVERIFY(button);
    QCOMPARE(button->isEnabled(), enabled);
}

void tst_commands_menus::getRebuildsTheTree()
{
    SnapinFixture fx;
    threeServers(fx);
    fx.start();
    QStringList calls;
    installHooks(fx, &calls);
    // The fetch brings a different file.
    fx.snapIn().serverCommands().get = [&](const QString& s) {
        calls << "get:" + s;
        QFile f(fx.workingCopy(s));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<Location /fetched>\n</Location>\n");
    };
    ScopeItem* beta = fx.node({"beta"});
    fx.node({"alpha", "Main Server"});
    fx.select(beta);
    fx.host().clickToolbarButton("tblNew", "Get");
    QCOMPARE(calls, QStringList{"get:beta"});

    ScopeItem& root = fx.host().root();
    QCOMPARE(SnapinFixture::childNodes(root), (QStringList{"Server:Sample", "Server:alpha", "Server:beta"}));
    // Every server node is new (new keys), and the new file is shown.
    QCOMPARE(root.child(0)->key(), QStringLiteral("Server-3-") + fx.workingCopy("Sample"));
    QCOMPARE(SnapinFixture::childNodes(*fx.node({"beta", "Main Server"})), QStringList{"Location:/fetched"});
    QCOMPARE(fx.snapIn().configs().count(), 3);
}

void tst_commands_menus::synchronizeLeavesTheTree()
{
    SnapinFixture fx;
    threeServers(fx);
    fx.start();
    QStringList calls;
    installHooks(fx, &calls);
    ScopeItem* beta = fx.node({"beta"});
    fx.select(beta);
    QVERIFY(fx.triggerMenu("mnuSynchronize"));
    fx.host().clickToolbarButton("tblNew", "Put");
    QCOMPARE(calls, (QStringList{"sync:beta", "sync:beta"}));
    QVERIFY(fx.host().contains(beta));
    QCOMPARE(beta->key(), QStringLiteral("Server-2-") + fx.workingCopy("beta"));
}

void tst_commands_menus::missingWorkingCopyDropsTheServer_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("get") << "mnuGetConfig";
    QTest::newRow("synchronize") << "mnuSynchronize";
}

void tst_commands_menus::missingWorkingCopyDropsTheServer()
{
    QFETCH(QString, command);
    SnapinFixture fx;
    threeServers(fx);
    fx.start();
    QStringList calls;
    installHooks(fx, &calls);
    ScopeItem* beta = fx.node({"beta"});
    fx.select(beta);
    QVERIFY(QFile::remove(fx.workingCopy("beta")));
    QVERIFY(fx.triggerMenu(command));
    QCOMPARE(MessageBox::lastText(),
             QStringLiteral("Config file for the specified server has been moved/removed."));
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Critical);
    QVERIFY(calls.isEmpty());
    QCOMPARE(SnapinFixture::childNodes(fx.host().root()), (QStringList{"Server:Sample", "Server:alpha"}));
    QVERIFY(!IniFile(fx.folder().iniPath()).hasSection("beta"));
    QCOMPARE(fx.snapIn().configs().count(), 2);
}

void tst_commands_menus::disconnect_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("yes") << int(QMessageBox::Yes);
    QTest::newRow("no") << int(QMessageBox::No);
}

void tst_commands_menus::disconnect()
{
    QFETCH(int, answer);
    const bool yes = answer == QMessageBox::Yes;
    SnapinFixture fx;
    threeServers(fx);
    fx.start();
    ScopeItem* alpha = fx.node({"alpha", "Main Server"})->parent();
    fx.select(alpha);
    MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
    QVERIFY(fx.triggerMenu("mnuDisConnect"));
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Do you really wish to disconnect the server"));
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Critical);

    const QStringList servers = yes ? QStringList{"Server:Sample", "Server:beta"}
                                    : QStringList{"Server:Sample", "Server:alpha", "Server:beta"};
    QCOMPARE(SnapinFixture::childNodes(fx.host().root()), servers);
    QCOMPARE(IniFile(fx.folder().iniPath()).hasSection("alpha"), !yes);
    QCOMPARE(QFile::exists(fx.workingCopy("alpha")), !yes);
    const QStringList backups =
        QDir(fx.folder().backupFolder()).entryList(QStringList{"alpha-*.conf"}, QDir::Files);
    QCOMPARE(backups.size(), yes ? 1 : 0);
    QCOMPARE(fx.snapIn().configs().count(), yes ? 2 : 3);

    // The other servers keep working.
    ScopeItem* betaMain = fx.node({"beta", "Main Server"});
    QVERIFY(betaMain);
    fx.select(betaMain);
    QCOMPARE(fx.snapIn().pageContext().currentServerName, QStringLiteral("beta"));
    QCOMPARE(SnapinFixture::childNodes(*betaMain),
             (QStringList{"Directory:/srv/small", "VHost:www.small.example.org (*:8080)"}));
}

void tst_commands_menus::connectLoadsTheNewServer()
{
    SnapinFixture fx;
    threeServers(fx);
    fx.start();
    QString answer;
    fx.snapIn().serverCommands().connect = [&] {
        if (!answer.isEmpty())
            fx.addServer(answer, data("small.conf"));
        return answer;
    };
    fx.select(&fx.host().root());
    QVERIFY(fx.triggerMenu("mnuConnect")); // cancelled
    QCOMPARE(fx.host().root().childCount(), 3);
    answer = "delta";
    QVERIFY(fx.triggerMenu("mnuConnect"));
    QCOMPARE(SnapinFixture::childNodes(fx.host().root()).last(), QStringLiteral("Server:delta"));
    QCOMPARE(SnapinFixture::childNodes(*fx.node({"delta", "Main Server"})).size(), 2);
}

void tst_commands_menus::firstStartOffersAConnection_data()
{
    QTest::addColumn<bool>("registered");
    QTest::newRow("only the Sample server") << false;
    QTest::newRow("a registered server") << true;
}

void tst_commands_menus::firstStartOffersAConnection()
{
    QFETCH(bool, registered);
    SnapinFixture fx;
    fx.installSample();
    if (registered)
        fx.addServer("alpha", data("small.conf"));
    ConsoleHost host;
    snapin::CorvaneSnapIn snapIn(fx.folder());
    int offered = 0;
    snapIn.serverCommands().offerFirstConnection = [&] { ++offered; };
    host.attachSnapIn(&snapIn);
    QCOMPARE(offered, registered ? 0 : 1);
    // Nothing is read before the root is expanded.
    QVERIFY(!QFile::exists(fx.snapshot("Sample")));
    host.expand(host.root());
    QVERIFY(QFile::exists(fx.snapshot("Sample")));
    host.detachSnapIn();
}

void tst_commands_menus::aboutAndHelp()
{
    SnapinFixture fx;
    threeServers(fx);
    fx.start();
    fx.select(&fx.host().root());
    QVERIFY(fx.triggerMenu("mnuAboutC"));
    QCOMPARE(MessageBox::shownCount(), 1);
    QVERIFY(MessageBox::lastText().startsWith("Corvane"));

    fx.select(fx.node({"alpha", "Main Server", "/"}));
    fx.host().help();
    QVERIFY(fx.host().helpViewer());
    QCOMPARE(fx.host().helpViewer()->currentUrl(),
             HelpTopics::resolveTopic(QString::fromLatin1(HelpTopics::overviewTopic())));
}

void tst_commands_menus::virtualHostKeepsItsName()
{
    SnapinFixture fx;
    fx.addServer("alpha", data("shapes.conf"));
    fx.start();
    ScopeItem* vhost = fx.node({"alpha", "Main Server", "site1.example.org (*)"});
    fx.select(vhost);
    const QStringList before = SnapinFixture::fileLines(fx.workingCopy("alpha"));
    QVERIFY(!fx.host().rename("other"));
    // Even a rename that arrives anyway changes nothing.
    fx.snapIn().ScopeItems_Rename(*vhost, "other");
    QCOMPARE(SnapinFixture::fileLines(fx.workingCopy("alpha")), before);
    QCOMPARE(vhost->displayName(), QStringLiteral("site1.example.org (*)"));
}

void tst_commands_menus::viewSourceShowsTheLinesAsTheyStand_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("first"); // the first line shown, trimmed
    QTest::newRow("main server") << QStringList{"alpha", "Main Server"} << QString();
    QTest::newRow("directory") << QStringList{"alpha", "Main Server", "/"} << "<Directory />";
    QTest::newRow("ifmodule") << QStringList{"alpha", "Main Server", "mod_ssl.c"} << "<IfModule mod_ssl.c>";
}

// The node's lines exactly as the file has them: the bytes are a piece of the
// working copy from the head to the end line (the whole file for the main
// server), each shown with its line number.
void tst_commands_menus::viewSourceShowsTheLinesAsTheyStand()
{
    QFETCH(QStringList, path);
    QFETCH(QString, first);
    SnapinFixture fx;
    threeServers(fx);
    fx.start();
    fx.select(fx.node(path));
    QVERIFY(fx.triggerMenu("mnuViewSource"));
    QWidget* view = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "frmSource" && w->isVisible())
            view = w;
    QVERIFY(view);
    const QByteArray shown = view->property("sourceBytes").toByteArray();
    const QByteArray file = readFile(fx.workingCopy("alpha"));
    if (first.isEmpty()) {
        QCOMPARE(shown, file);
    } else {
        QVERIFY(file.contains(shown));
        QVERIFY2(shown.trimmed().startsWith(first.toLatin1()), shown.constData());
        QVERIFY2(shown.trimmed().endsWith(first.startsWith("<Dir") ? "</Directory>" : "</IfModule>"),
                 shown.constData());
        // Line numbers are the file's own.
        const int line = int(file.left(file.indexOf(shown)).count('\n')) + 1;
        const QString text = view->findChild<QPlainTextEdit*>("txtSource")->toPlainText();
        QVERIFY2(text.startsWith(QString::number(line) + "  "), qPrintable(text.left(80)));
    }
    view->close();
}

QTEST_MAIN(tst_commands_menus)
#include "tst_commands_menus.moc"
