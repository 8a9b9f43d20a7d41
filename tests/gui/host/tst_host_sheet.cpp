// Property sheets: pages in call order, OK / Cancel / Apply, change
// notifications back to the snap-in, help from a page.
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "HostTestSnapIn.h"
#include "host/ConsoleWindow.h"
#include "host/HelpViewer.h"
#include "host/PropertySheet.h"
#include "host/ResultListModel.h"

using namespace corvane;
using namespace hosttest;

class TestHostSheet : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ConsoleHost> host;
    std::unique_ptr<HostTestSnapIn> snapIn;
    std::unique_ptr<ConsoleWindow> window;
    QStringList log;

    ScopeItem* at(const QString& path)
    {
        ScopeItem* item = &host->root();
        if (path.isEmpty())
            return item;
        for (const QString& part : path.split(QLatin1Char('/'))) {
            host->expand(*item);
            item = item->child(part.toInt());
        }
        return item;
    }

    PropertySheet* openFor(const QString& path, int listRow = -1)
    {
        host->selectScopeItem(at(path));
        if (listRow >= 0)
            host->selectResultRow(listRow);
        return host->properties();
    }

    QPushButton* button(PropertySheet* sheet, const char* name)
    {
        return sheet->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    QStringList logOf(const QString& event) const
    {
        QStringList found;
        for (const QString& line : log)
            if (line.section(QLatin1Char(':'), 1, 1) == event)
                found << line.section(QLatin1Char(':'), 0, 0);
        return found;
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        log.clear();
        host = std::make_unique<ConsoleHost>();
        snapIn = std::make_unique<HostTestSnapIn>();
        snapIn->filesPerView = 1;
        snapIn->pages = {"ppgAlpha", "ppgBeta"};
        registerRecordingPages(*host, &log);
        host->attachSnapIn(snapIn.get());
        window = std::make_unique<ConsoleWindow>(*host);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup()
    {
        window.reset();
        host.reset();
        snapIn.reset();
        env.reset();
    }

    void pagesInCallOrder_data()
    {
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("tabs");
        QTest::addColumn<QStringList>("classes");
        QTest::newRow("one page") << QStringList{"ppgGamma"} << QStringList{} << QStringList{"Gamma"}
                                  << QStringList{"ppgGamma"};
        QTest::newRow("order kept, caption given")
            << QStringList{"ppgGamma", "ppgAlpha", "ppgBeta"} << QStringList{"", "Location Security", ""}
            << QStringList{"Gamma", "Location Security", "Beta"}
            << QStringList{"ppgGamma", "ppgAlpha", "ppgBeta"};
        QTest::newRow("unknown page left out")
            << QStringList{"ppgAlpha", "ppgISAPIExtensions", "ppgBeta"} << QStringList{}
            << QStringList{"Alpha", "Beta"} << QStringList{"ppgAlpha", "ppgBeta"};
        QTest::newRow("same page twice")
            << QStringList{"ppgBeta", "ppgBeta"} << QStringList{"", "File Security"}
            << QStringList{"Beta", "File Security"} << QStringList{"ppgBeta", "ppgBeta"};
    }

    void pagesInCallOrder()
    {
        QFETCH(QStringList, pages);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, tabs);
        QFETCH(QStringList, classes);
        snapIn->pages = pages;
        snapIn->captions = captions;
        PropertySheet* sheet = openFor("0/0/0");
        QVERIFY(sheet);
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheet->objectName(), QStringLiteral("propertySheet"));
        QCOMPARE(sheet->tabCaptions(), tabs);
        QCOMPARE(sheet->pageClassNames(), classes);
        auto* tabWidget = sheet->findChild<QTabWidget*>(QStringLiteral("tabPages"));
        QVERIFY(tabWidget);
        QCOMPARE(tabWidget->count(), tabs.size());
        // Every page initialised, in order, before the user sees the sheet.
        QStringList expected;
        for (const QString& c : classes)
            expected << c;
        QCOMPARE(logOf("Initialize"), expected);
        QCOMPARE(logOf("SelectionChanged"), expected);
        QVERIFY(!button(sheet, "cmdSheetApply")->isEnabled());
        sheet->reject();
    }

    void noSheet_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("query");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("Properties not enabled") << "" << true << QStringList{"ppgAlpha"} << QStringList{};
        QTest::newRow("snap-in answers no")
            << "0" << false << QStringList{"ppgAlpha"} << QStringList{"Query"};
        QTest::newRow("no page exists")
            << "0" << true << QStringList{"ppgNothing"} << QStringList{"Query", "CreatePages"};
    }

    void noSheet()
    {
        QFETCH(QString, node);
        QFETCH(bool, query);
        QFETCH(QStringList, pages);
        QFETCH(QStringList, events);
        snapIn->queryPages = query;
        snapIn->pages = pages;
        host->selectScopeItem(at(node));
        snapIn->events.clear();
        window->findChild<QAction*>(QStringLiteral("actionProperties"))->trigger();
        QVERIFY(!host->openSheet());
        QStringList kinds;
        for (const QString& e : snapIn->events)
            kinds << e.section(QLatin1Char(':'), 0, 0);
        QCOMPARE(kinds, events);
        QVERIFY(log.isEmpty());
    }

    void okAppliesEveryPageThenEndsThem()
    {
        snapIn->pages = {"ppgAlpha", "ppgBeta", "ppgGamma"};
        PropertySheet* opened = openFor("0/0/1");
        QPointer<PropertySheet> sheet = opened;
        const QString key = host->selectedScopeItem()->key();
        log.clear();
        QTest::mouseClick(button(sheet, "cmdSheetOk"), Qt::LeftButton);
        QCOMPARE(log, (QStringList{"ppgAlpha:Apply:", "ppgBeta:Apply:", "ppgGamma:Apply:", "ppgAlpha:Close",
                                   "ppgBeta:Close", "ppgGamma:Close", "ppgAlpha:Terminate",
                                   "ppgBeta:Terminate", "ppgGamma:Terminate"}));
        QCOMPARE(snapIn->eventsStartingWith("PropertyChanged"),
                 QStringList(3, QStringLiteral("PropertyChanged:%1:RefreshTreeView").arg(key)));
        QTRY_VERIFY(!sheet);
        QVERIFY(!host->openSheet());
    }

    void cancelAsksEveryPageAndAVetoKeepsItOpen()
    {
        PropertySheet* sheet = openFor("0/0");
        auto* beta = qobject_cast<RecordingPage*>(sheet->page(1));
        QVERIFY(beta);
        beta->vetoCancel = true;
        log.clear();
        QTest::mouseClick(button(sheet, "cmdSheetCancel"), Qt::LeftButton);
        QVERIFY(sheet->isVisible());
        QCOMPARE(log, (QStringList{"ppgAlpha:QueryCancel", "ppgBeta:QueryCancel"}));
        beta->vetoCancel = false;
        log.clear();
        QTest::keyClick(sheet, Qt::Key_Escape);
        QCOMPARE(log, (QStringList{"ppgAlpha:QueryCancel", "ppgBeta:QueryCancel", "ppgAlpha:Cancel",
                                   "ppgBeta:Cancel", "ppgAlpha:Close", "ppgBeta:Close", "ppgAlpha:Terminate",
                                   "ppgBeta:Terminate"}));
        QVERIFY(snapIn->eventsStartingWith("PropertyChanged").isEmpty());
    }

    void applyIsEnabledByAChangeAndKeepsTheSheetOpen()
    {
        PropertySheet* sheet = openFor("0/0/0");
        QPushButton* apply = button(sheet, "cmdSheetApply");
        QVERIFY(!apply->isEnabled());
        auto* edit = sheet->findChild<QLineEdit*>(QStringLiteral("txtBeta"));
        QVERIFY(edit);
        QTest::keyClicks(edit, QStringLiteral("8080"));
        QVERIFY(apply->isEnabled());
        log.clear();
        QTest::mouseClick(apply, Qt::LeftButton);
        QCOMPARE(log, (QStringList{"ppgAlpha:Apply:", "ppgBeta:Apply:8080"}));
        QVERIFY(!apply->isEnabled());
        QVERIFY(sheet->isVisible());
        QCOMPARE(snapIn->eventsStartingWith("PropertyChanged").size(), 2);
        sheet->reject();
    }

    void propertyChangedReachesTheItem_data()
    {
        QTest::addColumn<int>("listRow");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("expected");
        QTest::newRow("scope node") << -1 << ""
                                    << "PropertyChanged:%1:RefreshTreeView";
        QTest::newRow("files item") << 3 << ""
                                    << "ListPropertyChanged:%1:RefreshTreeView";
        QTest::newRow("node removed meanwhile") << -1 << "remove"
                                                << "";
        QTest::newRow("list shown anew meanwhile") << 3 << "redisplay"
                                                   << "";
        QTest::newRow("selection moved meanwhile") << -1 << "select"
                                                   << "PropertyChanged:%1:RefreshTreeView";
    }

    void propertyChangedReachesTheItem()
    {
        QFETCH(int, listRow);
        QFETCH(QString, meanwhile);
        QFETCH(QString, expected);
        PropertySheet* sheet = openFor("1/0/2", listRow);
        QVERIFY(sheet);
        const QString key = sheet->selectedControl().key;
        QCOMPARE(sheet->selectedControl().isListItem(), listRow >= 0);
        // The dialog is window-modal; the snap-in may still change things from a timer or a page.
        if (meanwhile == QLatin1String("remove"))
            host->removeScopeItem(*host->findScopeItem(key));
        else if (meanwhile == QLatin1String("redisplay"))
            host->redisplayResultView();
        else if (meanwhile == QLatin1String("select"))
            host->selectScopeItem(at("0"));
        snapIn->events.clear();
        sheet->page(0)->propertyChanged(QStringLiteral("RefreshTreeView"));
        const QStringList got =
            snapIn->eventsStartingWith(listRow >= 0 ? "ListPropertyChanged" : "PropertyChanged");
        QCOMPARE(got, expected.isEmpty() ? QStringList{} : QStringList{expected.arg(key)});
        sheet->reject();
    }

    void pagesSeeTheItemTheSheetWasOpenedFor_data()
    {
        QTest::addColumn<int>("listRow");
        QTest::addColumn<QString>("itemName");
        QTest::addColumn<int>("tag");
        QTest::newRow("main server") << -1 << "/srv/n.0.0/WorkArea/httpd.conf" << -1;
        // The section n.0.0.0 lists its 3 children, then its one Files item.
        QTest::newRow("files item") << 3 << "/srv/n.0.0.0/WorkArea/httpd.conf" << 1001;
    }

    void pagesSeeTheItemTheSheetWasOpenedFor()
    {
        QFETCH(int, listRow);
        QFETCH(QString, itemName);
        QFETCH(int, tag);
        PropertySheet* sheet = listRow >= 0 ? openFor("0/0/0", listRow) : openFor("0/0");
        QVERIFY(sheet);
        QCOMPARE(log.filter(QStringLiteral("SelectionChanged")).first(),
                 QStringLiteral("ppgAlpha:SelectionChanged:%1:%2:srv").arg(itemName).arg(tag));
        host->selectScopeItem(at("1"));
        const QList<SelectedItem> controls = sheet->page(1)->selectedControls();
        QCOMPARE(controls.size(), 1);
        QCOMPARE(controls.first().itemName, itemName);
        QCOMPARE(controls.first().nodeTag(), tag);
        sheet->reject();
    }

    void f1OnAPageControlShowsItsHelp()
    {
        PropertySheet* sheet = openFor("0/0/0");
        auto* edit = sheet->findChild<QLineEdit*>(QStringLiteral("txtAlpha"));
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_F1);
        HelpViewer* viewer = host->existingHelpViewer();
        QVERIFY(viewer);
        QCOMPARE(viewer->currentUrl().fileName(), QStringLiteral("node-directory.html"));
        // A control without a help context: the page's own help event.
        edit->setProperty("helpContextId", QVariant());
        log.clear();
        QTest::keyClick(edit, Qt::Key_F1);
        QCOMPARE(log, QStringList{"ppgAlpha:Help"});
        sheet->reject();
    }

    void propertiesAgainShowsTheOpenSheet()
    {
        PropertySheet* first = openFor("0/0");
        QVERIFY(first);
        QCOMPARE(host->properties(), first);
        QCOMPARE(logOf("Initialize").size(), 2);
        first->reject();
        QTRY_VERIFY(!host->openSheet());
        QVERIFY(host->properties());
    }
};

QTEST_MAIN(TestHostSheet)
#include "tst_host_sheet.moc"
