// The console window: tree, result list, menus, toolbar and verbs, driven
// through the real widgets found by objectName.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>
#include <memory>

#include "HostTestSnapIn.h"
#include "host/ConsoleWindow.h"
#include "host/HelpViewer.h"
#include "host/ResultListModel.h"
#include "host/ScopeTreeModel.h"

using namespace corvane;
using namespace hosttest;

class TestHostWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ConsoleHost> host;
    std::unique_ptr<HostTestSnapIn> snapIn;
    std::unique_ptr<ConsoleWindow> window;
    QTreeView* tree = nullptr;
    QTreeView* list = nullptr;

    QModelIndex indexOf(const QString& path)
    {
        ScopeTreeModel* model = host->scopeModel();
        QModelIndex index = model->index(0, 0);
        if (path.isEmpty())
            return index;
        for (const QString& part : path.split(QLatin1Char('/'))) {
            tree->expand(index);
            index = model->index(part.toInt(), 0, index);
        }
        return index;
    }

    // Clicks a tree row like a user does.
    void clickTree(const QString& path)
    {
        const QModelIndex index = indexOf(path);
        QVERIFY(index.isValid());
        tree->scrollTo(index);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
        QCOMPARE(tree->currentIndex(), index);
    }

    void clickList(int row)
    {
        const QModelIndex index = list->model()->index(row, 0);
        QVERIFY(index.isValid());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    }

    QAction* action(const QString& name) { return window->findChild<QAction*>(name); }

    // Top items and New items of the Action menu as "name|caption|enabled".
    QStringList actionMenuEntries(QMenu** newMenu = nullptr)
    {
        QMenu* menu = window->findChild<QMenu*>(QStringLiteral("menuAction"));
        emit menu->aboutToShow();
        QStringList entries;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator())
                break; // the snap-in's items come before the first separator
            if (QMenu* sub = a->menu()) {
                if (newMenu)
                    *newMenu = sub;
                for (QAction* n : sub->actions())
                    entries
                        << QStringLiteral("New/%1|%2|%3").arg(n->objectName(), n->text()).arg(n->isEnabled());
                continue;
            }
            entries << QStringLiteral("%1|%2|%3").arg(a->objectName(), a->text()).arg(a->isEnabled());
        }
        return entries;
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        host = std::make_unique<ConsoleHost>();
        snapIn = std::make_unique<HostTestSnapIn>();
        snapIn->filesPerView = 2;
        host->attachSnapIn(snapIn.get());
        window = std::make_unique<ConsoleWindow>(*host);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        tree = window->findChild<QTreeView*>(QStringLiteral("treeScope"));
        list = window->findChild<QTreeView*>(QStringLiteral("lstResult"));
        QVERIFY(tree && list);
    }

    void cleanup()
    {
        window.reset();
        host.reset();
        snapIn.reset();
        env.reset();
    }

    void expandingInTheTreeAsksTheSnapInOnce()
    {
        const QModelIndex root = tree->model()->index(0, 0);
        QVERIFY(tree->model()->hasChildren(root));
        tree->expand(root);
        QCOMPARE(snapIn->eventsStartingWith("Expand"), QStringList{"Expand:root"});
        QCOMPARE(tree->model()->rowCount(root), 3);
        tree->collapse(root);
        tree->expand(root);
        QCOMPARE(snapIn->eventsStartingWith("Expand").size(), 1);
    }

    void selectingANodeListsItsChildrenAndFiles()
    {
        clickTree("0/0/1");
        ScopeItem* item = host->selectedScopeItem();
        QVERIFY(item);
        QVERIFY(snapIn->events.contains(QStringLiteral("Select:%1:1").arg(item->key())));
        QCOMPARE(list->model()->rowCount(), item->childCount() + 2);
        QCOMPARE(list->model()->index(0, 0).data().toString(), item->child(0)->displayName());
        QCOMPARE(list->model()->index(item->childCount(), 1).data().toString(), QStringLiteral("File"));
        QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Type"));
    }

    void verbsFollowTheSelection_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<int>("listRow"); // -1: the node itself
        QTest::addColumn<bool>("properties");
        QTest::addColumn<bool>("remove");
        QTest::addColumn<bool>("refresh");
        QTest::newRow("root") << "" << -1 << false << false << false;
        QTest::newRow("server") << "0" << -1 << true << false << false;
        QTest::newRow("main server") << "0/0" << -1 << true << false << false;
        QTest::newRow("section") << "0/0/2" << -1 << true << true << true;
        QTest::newRow("files item") << "0/0/2" << 3 << true << true << true;
        QTest::newRow("server row in the root's list") << "" << 1 << true << false << false;
    }

    void verbsFollowTheSelection()
    {
        QFETCH(QString, node);
        QFETCH(int, listRow);
        QFETCH(bool, properties);
        QFETCH(bool, remove);
        QFETCH(bool, refresh);
        clickTree(node);
        if (listRow >= 0)
            clickList(listRow);
        QCOMPARE(action("actionProperties")->isEnabled(), properties);
        QCOMPARE(action("actionDelete")->isEnabled(), remove);
        QCOMPARE(action("actionRefresh")->isEnabled(), refresh);
    }

    void actionMenuIsBuiltForTheSelection_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("root") << "" << QStringList{"mnuConnect|Connect|1", "mnuAboutC|About|1"};
        QTest::newRow("server") << "1" << QStringList{"mnuDisConnect|Disconnect|1", "mnuGetConfig|Get|1"};
        QTest::newRow("server with greyed item")
            << "0" << QStringList{"mnuDisConnect|Disconnect|1", "mnuGetConfig|Get|0"};
        QTest::newRow("main server") << "0/0"
                                     << QStringList{"New/mnuVHost|Virtual Host|1",
                                                    "New/mnuDirectory|Directory|1", "New/mnuFile|File|1"};
        QTest::newRow("section") << "0/0/0"
                                 << QStringList{"New/mnuVHost|Virtual Host|0", "New/mnuDirectory|Directory|1",
                                                "New/mnuFile|File|1"};
    }

    void actionMenuIsBuiltForTheSelection()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, entries);
        clickTree(node);
        QCOMPARE(actionMenuEntries(), entries);
        // Built again each time it opens, never doubled.
        QCOMPARE(actionMenuEntries(), entries);
    }

    void menuClicksReachTheSnapInWithTheSelection()
    {
        clickTree("0/0");
        ScopeItem* main = host->selectedScopeItem();
        const int before = main->childCount();
        QMenu* newMenu = nullptr;
        actionMenuEntries(&newMenu);
        QVERIFY(newMenu);
        QAction* directory = newMenu->findChild<QAction*>(QStringLiteral("mnuDirectory"));
        QVERIFY(directory);
        directory->trigger();
        QCOMPARE(snapIn->eventsStartingWith("Click"),
                 QStringList{QStringLiteral("Click:mnuDirectory:1:") + main->key()});
        // The new node is in the tree and in the list at once.
        QCOMPARE(main->childCount(), before + 1);
        const QModelIndex mainIndex = host->scopeModel()->indexFromItem(main);
        QCOMPARE(tree->model()->rowCount(mainIndex), before + 1);
        QCOMPARE(tree->model()->index(before, 0, mainIndex).data().toString(), QStringLiteral("new dir"));
        QCOMPARE(list->model()->index(before, 0).data().toString(), QStringLiteral("new dir"));
    }

    void newFileRedisplaysTheList()
    {
        clickTree("0/0/0");
        ScopeItem* section = host->selectedScopeItem();
        const int rows = list->model()->rowCount();
        QMenu* newMenu = nullptr;
        actionMenuEntries(&newMenu);
        newMenu->findChild<QAction*>(QStringLiteral("mnuFile"))->trigger();
        QCOMPARE(snapIn->events.count(QStringLiteral("Init:") + section->key()), 2);
        QCOMPARE(list->model()->rowCount(), rows + 1);
        QCOMPARE(list->model()->index(rows, 0).data().toString(), QStringLiteral("new.cgi"));
    }

    void contextMenuSelectsTheClickedNode()
    {
        clickTree("0");
        const QModelIndex section = indexOf("0/0/1");
        tree->scrollTo(section);
        emit tree->customContextMenuRequested(tree->visualRect(section).center());
        QMenu* menu = window->findChild<QMenu*>(QStringLiteral("contextMenu"));
        QVERIFY(menu);
        QCOMPARE(host->selectedScopeItem(), host->scopeModel()->itemFromIndex(section));
        QVERIFY(menu->findChild<QMenu*>(QStringLiteral("menuNew")));
        QVERIFY(menu->actions().contains(action("actionProperties")));
        QVERIFY(menu->actions().contains(action("actionDelete")));
        QVERIFY(action("actionDelete")->isEnabled());
        menu->close();
    }

    void toolbarButtonsFollowTheSelection_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("root") << "" << false;
        QTest::newRow("server") << "2" << true;
        QTest::newRow("main server") << "2/0" << false;
        QTest::newRow("section") << "2/0/1" << false;
    }

    void toolbarButtonsFollowTheSelection()
    {
        QFETCH(QString, node);
        QFETCH(bool, enabled);
        clickTree(node);
        QToolBar* bar = window->findChild<QToolBar*>(QStringLiteral("tblNew"));
        QVERIFY(bar);
        QAction* get = bar->findChild<QAction*>(QStringLiteral("tblNew_Get"));
        QAction* put = bar->findChild<QAction*>(QStringLiteral("tblNew_Put"));
        QVERIFY(get && put);
        QCOMPARE(get->toolTip(), QStringLiteral("Get Conf File"));
        QCOMPARE(get->isEnabled(), enabled);
        QCOMPARE(put->isEnabled(), enabled);
        QWidget* button = bar->findChild<QWidget*>(QStringLiteral("tblNew_Put"), Qt::FindDirectChildrenOnly);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        const QString key = node.isEmpty() ? QStringLiteral("root") : host->selectedScopeItem()->key();
        QCOMPARE(snapIn->eventsStartingWith("Button"),
                 enabled ? QStringList{QStringLiteral("Button:tblNew:Put:") + key} : QStringList{});
    }

    void deleteRemovesTheNodeAndSelectsItsParent()
    {
        clickTree("0/0/1");
        ScopeItem* doomed = host->selectedScopeItem();
        ScopeItem* parent = doomed->parent();
        const QString key = doomed->key();
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Delete);
        QCOMPARE(snapIn->eventsStartingWith("Delete"), QStringList{QStringLiteral("Delete:") + key});
        QVERIFY(!host->findScopeItem(key));
        QCOMPARE(host->selectedScopeItem(), parent);
        QCOMPARE(tree->currentIndex(), host->scopeModel()->indexFromItem(parent));
        QCOMPARE(list->model()->rowCount(), parent->childCount()); // main server: no files listed
        QVERIFY(!action("actionDelete")->isEnabled());
    }

    void deleteOfAFilesItem()
    {
        clickTree("0/0/0");
        QMenu* newMenu = nullptr;
        actionMenuEntries(&newMenu);
        newMenu->findChild<QAction*>(QStringLiteral("mnuFile"))->trigger();
        const int rows = list->model()->rowCount();
        clickList(rows - 1);
        QCOMPARE(host->selectedListItem()->text(), QStringLiteral("new.cgi"));
        action("actionDelete")->trigger();
        QCOMPARE(list->model()->rowCount(), rows - 1);
        QVERIFY(!host->selectedListItem());
    }

    void renameInPlace_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("new name") << "htdocs"
                                  << "htdocs";
        QTest::newRow("blanks only keep the old name") << "   "
                                                       << "n.0.0.1";
    }

    void renameInPlace()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        clickTree("0/0/1");
        QVERIFY(action("actionRename")->isEnabled());
        action("actionRename")->trigger();
        auto* editor = tree->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        const QString key = host->selectedScopeItem()->key();
        // The item delegate commits on the next turn of the event loop.
        QTRY_COMPARE(snapIn->eventsStartingWith("Rename"),
                     QStringList{QStringLiteral("Rename:%1:%2").arg(key, typed)});
        QCOMPARE(tree->currentIndex().data().toString(), shown);
        QCOMPARE(host->selectedScopeItem()->displayName(), shown);
    }

    void renameIsOffWhenTheSnapInDoesNotEnableIt()
    {
        clickTree("0/0");
        QVERIFY(!action("actionRename")->isEnabled());
        QVERIFY(!(tree->model()->flags(tree->currentIndex()) & Qt::ItemIsEditable));
        QVERIFY(!host->rename(QStringLiteral("x")));
        QVERIFY(snapIn->eventsStartingWith("Rename").isEmpty());
    }

    void listSelectionAndOpeningAChild()
    {
        clickTree("1");
        clickList(0);
        ScopeItem* child = host->resultModel()->scopeItemAt(0);
        QVERIFY(snapIn->events.contains(QStringLiteral("Select:%1:1").arg(child->key())));
        QCOMPARE(host->currentSelection().firstScopeItem(), child);
        const QModelIndex index = list->model()->index(0, 0);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
        QCOMPARE(host->selectedScopeItem(), child);
        QCOMPARE(tree->currentIndex(), host->scopeModel()->indexFromItem(child));
    }

    void helpOpensTheTopicOfTheSelection_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<int>("listRow");
        QTest::addColumn<QString>("page");
        QTest::newRow("nothing selected") << "-" << -1 << "overview.html";
        QTest::newRow("root") << "" << -1 << "node-root.html";
        QTest::newRow("server") << "0" << -1 << "node-server.html";
        QTest::newRow("main server") << "0/0" << -1 << "node-mainserver.html";
        QTest::newRow("section") << "0/0/0" << -1 << "node-directory.html";
        QTest::newRow("files item") << "0/0/0" << 3 << "node-files.html";
    }

    void helpOpensTheTopicOfTheSelection()
    {
        QFETCH(QString, node);
        QFETCH(int, listRow);
        QFETCH(QString, page);
        if (node != QLatin1String("-"))
            clickTree(node);
        else
            host->selectScopeItem(nullptr);
        if (listRow >= 0)
            clickList(listRow);
        QTest::keyClick(window.get(), Qt::Key_F1);
        HelpViewer* viewer = host->existingHelpViewer();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->currentUrl().fileName(), page);
        auto* browser = viewer->findChild<QTextBrowser*>(QStringLiteral("txtHelp"));
        QVERIFY(browser);
        QVERIFY(browser->toPlainText().size() > 200);
    }

    void theProgramWritesAScreenshot()
    {
        const QString program = QStringLiteral(CORVANE_BINARY_DIR "/src/app/corvane");
        if (!QFile::exists(program))
            QSKIP("the corvane program is not built in this tree");
        const QString shot = env->appDir.filePath(QStringLiteral("shot.png"));
        QProcess process;
        process.start(program, {QStringLiteral("--app-dir"), env->appDir.filePath(QStringLiteral("app")),
                                QStringLiteral("--screenshot"), shot});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QImage image(shot);
        QVERIFY(!image.isNull());
        QVERIFY(image.width() >= 600 && image.height() >= 400);
    }
};

QTEST_MAIN(TestHostWindow)
#include "tst_host_window.moc"
