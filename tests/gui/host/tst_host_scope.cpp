// The console host's scope tree and result list, driven through its API.
#include <QAbstractItemModelTester>
#include <QtTest>
#include <memory>
#include <stdexcept>

#include "HostTestSnapIn.h"
#include "host/ResultListModel.h"
#include "host/ScopeTreeModel.h"

using namespace corvane;
using namespace hosttest;

class TestHostScope : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ConsoleHost> host;
    std::unique_ptr<HostTestSnapIn> snapIn;

    // "0/1" = second child of the first child of the root; expands on the way.
    ScopeItem* at(const QString& path)
    {
        ScopeItem* item = &host->root();
        if (path.isEmpty())
            return item;
        for (const QString& part : path.split(QLatin1Char('/'))) {
            host->expand(*item);
            item = item->child(part.toInt());
            if (!item)
                return nullptr;
        }
        return item;
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        QVERIFY(env->appDir.isValid());
        host = std::make_unique<ConsoleHost>();
        snapIn = std::make_unique<HostTestSnapIn>();
        host->attachSnapIn(snapIn.get());
    }

    void cleanup()
    {
        host.reset();
        snapIn.reset();
        env.reset();
    }

    void loadsAndAttachesWithoutReadingTheTree()
    {
        QCOMPARE(snapIn->events, (QStringList{"Load", "SetControlbar"}));
        QCOMPARE(host->root().displayName(), QStringLiteral("Corvane"));
        QCOMPARE(host->root().itemName(), QStringLiteral("Static Node"));
        QCOMPARE(host->root().nodeType(), QStringLiteral("Corvane"));
        QCOMPARE(host->root().childCount(), 0);
    }

    void uniqueKeys_data()
    {
        QTest::addColumn<QString>("firstParent");
        QTest::addColumn<QString>("secondParent");
        QTest::addColumn<bool>("removeFirst");
        QTest::addColumn<bool>("secondAccepted");
        QTest::newRow("siblings") << "0"
                                  << "0" << false << false;
        QTest::newRow("other branch") << "0"
                                      << "1/0" << false << false;
        QTest::newRow("under the root") << ""
                                        << "0/0/0" << false << false;
        QTest::newRow("after the first was removed") << "0"
                                                     << "1" << true << true;
    }

    void uniqueKeys()
    {
        QFETCH(QString, firstParent);
        QFETCH(QString, secondParent);
        QFETCH(bool, removeFirst);
        QFETCH(bool, secondAccepted);
        ScopeItem* p1 = at(firstParent);
        QVERIFY(p1);
        ScopeItem* first =
            host->addScopeItem(*p1, QStringLiteral("Directory"), QStringLiteral("Directory-99-7"));
        QVERIFY(first);
        QCOMPARE(host->findScopeItem(QStringLiteral("Directory-99-7")), first);
        if (removeFirst)
            host->removeScopeItem(*first);
        ScopeItem* p2 = at(secondParent);
        QVERIFY(p2);
        const int before = p2->childCount();
        ScopeItem* second =
            host->addScopeItem(*p2, QStringLiteral("Location"), QStringLiteral("Directory-99-7"));
        QCOMPARE(second != nullptr, secondAccepted);
        QCOMPARE(p2->childCount(), before + (secondAccepted ? 1 : 0));
        if (!secondAccepted)
            QCOMPARE(host->findScopeItem(QStringLiteral("Directory-99-7")), first);
    }

    void readBack_data()
    {
        QTest::addColumn<QString>("displayName");
        QTest::addColumn<QString>("itemName");
        QTest::addColumn<QVariant>("tag");
        QTest::newRow("server") << "Sample"
                                << "/app/Sample/WorkArea/httpd.conf" << QVariant(-2);
        QTest::newRow("main server") << "Main Server"
                                     << "/app/Sample/WorkArea/httpd.conf" << QVariant(-1);
        QTest::newRow("largest number") << "x"
                                        << "y" << QVariant(2147483647);
        QTest::newRow("blanks kept") << "  my dir  "
                                     << " /app/a b/WorkArea/httpd.conf " << QVariant(57);
        QTest::newRow("quotes and backslashes") << "\"C:\\www\""
                                                << "C:\\app\\s\\WorkArea\\httpd.conf" << QVariant(3);
        QTest::newRow("non-ASCII") << QString::fromUtf8("répertoire ü") << QString::fromUtf8("/äpp/ß")
                                   << QVariant(12);
        QTest::newRow("empty") << ""
                               << "" << QVariant();
        QTest::newRow("text tag") << "t"
                                  << "n" << QVariant(QStringLiteral("12abc"));
    }

    void readBack()
    {
        QFETCH(QString, displayName);
        QFETCH(QString, itemName);
        QFETCH(QVariant, tag);
        ScopeItem* item =
            host->addScopeItem(host->root(), QStringLiteral("Server"), QStringLiteral("Server-0-x"));
        QVERIFY(item);
        item->setDisplayName(displayName);
        item->setItemName(itemName);
        item->setTag(tag);
        ScopeItem* found = host->findScopeItem(QStringLiteral("Server-0-x"));
        QCOMPARE(found, item);
        QCOMPARE(found->displayName(), displayName);
        QCOMPARE(found->itemName(), itemName);
        QCOMPARE(found->tag(), tag);
        QCOMPARE(found->nodeTag(), tag.toInt());
        const QModelIndex index = host->scopeModel()->indexFromItem(found);
        QVERIFY(index.isValid());
        QCOMPARE(index.data(Qt::DisplayRole).toString(), displayName);
    }

    void defaultDisplayNameComesFromTheNodeType()
    {
        ScopeItem* item = host->addScopeItem(host->root(), QStringLiteral("Server"), QStringLiteral("k"));
        QCOMPARE(item->displayName(), QStringLiteral("Server Name"));
        ScopeItem* unknown =
            host->addScopeItem(host->root(), QStringLiteral("Nothing"), QStringLiteral("k2"));
        QCOMPARE(unknown->displayName(), QString());
    }

    void lazyExpansion()
    {
        ScopeTreeModel* model = host->scopeModel();
        const QModelIndex root = model->index(0, 0);
        QVERIFY(model->hasChildren(root)); // an expander before anything is read
        QCOMPARE(model->rowCount(root), 0);
        QVERIFY(snapIn->eventsStartingWith("Expand").isEmpty());

        host->expand(host->root());
        QCOMPARE(snapIn->eventsStartingWith("Expand"), QStringList{"Expand:root"});
        QCOMPARE(model->rowCount(root), 3);
        const QModelIndex server = model->index(0, 0, root);
        QVERIFY(model->hasChildren(server));
        QCOMPARE(model->rowCount(server), 0);

        host->expand(host->root()); // only the first expansion asks the snap-in
        QCOMPARE(snapIn->eventsStartingWith("Expand").size(), 1);

        ScopeItem* leaf = at("0/0/0/0");
        QVERIFY(leaf);
        host->expand(*leaf);
        const QModelIndex leafIndex = model->indexFromItem(leaf);
        QVERIFY(!model->hasChildren(leafIndex)); // expanded and empty: no expander any more
    }

    void childrenExistAtOnceInsideTheEvent()
    {
        QStringList seen;
        snapIn->onExpand = [&](ScopeItem& item) {
            for (int i = 0; i < 5; ++i) {
                ScopeItem* child = snapIn->addChild(item, QStringLiteral("c%1").arg(i));
                seen << (host->findScopeItem(child->key()) == child ? "found" : "missing");
                seen << QString::number(item.childCount());
            }
        };
        host->expand(host->root());
        QCOMPARE(seen, (QStringList{"found", "1", "found", "2", "found", "3", "found", "4", "found", "5"}));
        QCOMPARE(host->scopeModel()->rowCount(host->scopeModel()->index(0, 0)), 5);
    }

    void modelStaysConsistent()
    {
        QAbstractItemModelTester scopeTester(host->scopeModel(),
                                             QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester listTester(host->resultModel(),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
        snapIn->filesPerView = 2;
        host->selectScopeItem(&host->root());
        ScopeItem* main = at("1/0");
        host->selectScopeItem(main);
        ScopeItem* section = at("1/0/1");
        host->selectScopeItem(section);
        section->setDisplayName(QStringLiteral("renamed"));
        host->selectScopeItem(main);
        main->child(0)->setRowText(2, QStringLiteral("Changed"));
        host->addScopeItem(*main, QStringLiteral("Directory"), QStringLiteral("extra"));
        host->removeScopeItem(*main->child(1));
        host->removeChildren(*main);
        host->expand(*at("2"));
        host->removeChildren(host->root());
        QCOMPARE(host->root().childCount(), 0);
    }

    void removingTheSelectionMovesItToTheParent_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<bool>("childrenOnly");
        QTest::addColumn<QString>("newSelection");
        QTest::newRow("the selected item") << "0/0/1"
                                           << "0/0/1" << false << "0/0";
        QTest::newRow("an ancestor") << "0/0/1/2"
                                     << "0/0" << false << "0";
        QTest::newRow("children of the parent") << "0/0/1"
                                                << "0/0" << true << "0/0";
        QTest::newRow("everything") << "2/0"
                                    << "" << true << "";
        QTest::newRow("a sibling") << "0/0/1"
                                   << "0/0/2" << false << "0/0/1";
    }

    void removingTheSelectionMovesItToTheParent()
    {
        QFETCH(QString, selected);
        QFETCH(QString, removed);
        QFETCH(bool, childrenOnly);
        QFETCH(QString, newSelection);
        ScopeItem* sel = at(selected);
        ScopeItem* target = at(removed);
        ScopeItem* expected = at(newSelection);
        QVERIFY(sel && target && expected);
        host->selectScopeItem(sel);
        const QString removedKey = childrenOnly ? QString() : target->key();
        snapIn->events.clear();
        if (childrenOnly)
            host->removeChildren(*target);
        else
            host->removeScopeItem(*target);
        QCOMPARE(host->selectedScopeItem(), expected);
        QVERIFY(host->currentResultView());
        QCOMPARE(host->currentResultView()->scopeItem(), expected);
        if (!removedKey.isEmpty())
            QVERIFY(!host->findScopeItem(removedKey));
        if (sel != expected) {
            // The view of the new selection was shown and the snap-in told.
            const QString key = expected->isRoot() ? QStringLiteral("root") : expected->key();
            QVERIFY(snapIn->events.contains(QStringLiteral("Select:%1:1").arg(key)));
            QVERIFY(snapIn->events.contains(QStringLiteral("Init:%1").arg(key)));
        }
    }

    void resultRows_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QStringList>("firstRow");
        QTest::addColumn<int>("rows");
        // Root: children with (name, type) rows; headers from its node type (none registered) -> "Name".
        QTest::newRow("root") << "" << QStringList{"Name"} << QStringList{"n.0"} << 3;
        QTest::newRow("server") << "0" << QStringList{"Name", "Type"} << QStringList{"n.0.0", "DefaultVHost"}
                                << 3;
        QTest::newRow("section with files")
            << "0/0/0" << QStringList{"Name", "Type"} << QStringList{"n.0.0.0.0", "Directory"} << 5;
        QTest::newRow("leaf with files")
            << "0/0/0/0" << QStringList{"Name", "Type"} << QStringList{"file0.html", "File"} << 2;
    }

    void resultRows()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, headers);
        QFETCH(QStringList, firstRow);
        QFETCH(int, rows);
        snapIn->filesPerView = 2;
        ScopeItem* item = at(node);
        QVERIFY(item);
        host->selectScopeItem(item);
        ResultListModel* list = host->resultModel();
        QStringList shownHeaders;
        for (int c = 0; c < list->columnCount(); ++c)
            shownHeaders << list->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        QCOMPARE(shownHeaders, headers);
        QCOMPARE(list->rowCount(), rows);
        QStringList shownRow;
        for (int c = 0; c < list->columnCount(); ++c)
            shownRow << list->index(0, c).data().toString();
        QCOMPARE(shownRow, firstRow);
        // Children come first, list items after them.
        if (item->childCount() > 0 && rows > item->childCount()) {
            QVERIFY(list->scopeItemAt(item->childCount() - 1));
            QVERIFY(list->listItemAt(item->childCount()));
        }
    }

    void nodeTypeColumnsWhenTheNodeSetsNone()
    {
        ScopeItem* server = host->addScopeItem(host->root(), QStringLiteral("Server"), QStringLiteral("s"));
        host->addScopeItem(*server, QStringLiteral("Directory"), QStringLiteral("c"))
            ->setDisplayName("child");
        host->selectScopeItem(server);
        QCOMPARE(host->resultModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Server Name"));
        QCOMPARE(host->resultModel()->columns().first().width, 200);
        // Without row texts the Name column shows the display name.
        QCOMPARE(host->resultModel()->index(0, 0).data().toString(), QStringLiteral("child"));
    }

    void listItemsReadBackAndKeysAreUniquePerView()
    {
        ScopeItem* section = at("0/0/0");
        host->selectScopeItem(section);
        ResultView* view = host->currentResultView();
        QVERIFY(view);
        ResultItem* item = view->addListItem(QStringLiteral("File-x"), QStringLiteral("\\.cgi$"), 1);
        QVERIFY(item);
        QVERIFY(!view->addListItem(QStringLiteral("File-x"), QStringLiteral("other")));
        item->setTag(42);
        item->setItemName(QStringLiteral("/srv/a/WorkArea/httpd.conf"));
        QCOMPARE(view->findListItem(QStringLiteral("File-x"))->tag(), QVariant(42));
        QCOMPARE(view->findListItem(QStringLiteral("File-x"))->itemName(),
                 QStringLiteral("/srv/a/WorkArea/httpd.conf"));
        QCOMPARE(view->findListItem(QStringLiteral("File-x"))->text(), QStringLiteral("\\.cgi$"));
        const int row = host->resultModel()->rowOf(item);
        QCOMPARE(host->resultModel()->index(row, 0).data().toString(), QStringLiteral("\\.cgi$"));
        view->removeListItem(item);
        QCOMPARE(host->resultModel()->rowCount(), section->childCount());
    }

    void redisplayRunsInitializeAgain()
    {
        snapIn->filesPerView = 1;
        ScopeItem* section = at("0/0/0");
        host->selectScopeItem(section);
        const QString init = QStringLiteral("Init:") + section->key();
        QCOMPARE(snapIn->events.count(init), 1);
        const QString firstKey = host->currentResultView()->listItem(0)->key();
        host->redisplayResultView();
        QCOMPARE(snapIn->events.count(init), 2);
        QCOMPARE(host->currentResultView()->listItemCount(), 1);
        QVERIFY(host->currentResultView()->listItem(0)->key() != firstKey);
        QCOMPARE(host->resultModel()->rowCount(), section->childCount() + 1);
    }

    void aFailingHandlerDoesNotStopTheConsole()
    {
        snapIn->onExpand = [](ScopeItem&) { throw std::runtime_error("broken server"); };
        host->expand(host->root());
        QCOMPARE(host->root().childCount(), 0);
        snapIn->onExpand = nullptr;
        ScopeItem* item = host->addScopeItem(host->root(), QStringLiteral("Server"), QStringLiteral("s"));
        host->expand(*item);
        QCOMPARE(item->childCount(), 3);
    }

    void detachUnloadsAndEmptiesTheTree()
    {
        host->selectScopeItem(at("0/0"));
        host->detachSnapIn();
        QCOMPARE(snapIn->events.last(), QStringLiteral("Unload"));
        QCOMPARE(host->root().childCount(), 0);
        QVERIFY(!host->selectedScopeItem());
        QVERIFY(!host->currentResultView());
        QVERIFY(!snapIn->hasHost());
    }
};

QTEST_MAIN(TestHostScope)
#include "tst_host_scope.moc"
