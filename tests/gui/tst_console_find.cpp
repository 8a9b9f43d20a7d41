// The console on a server fetched by corvanectl from a local tree split over
// two files: the source view marks what an edit changed against the fetched
// copy, Find lists hits across both files and leads to their nodes, and the
// real apache2 checks each change in the background.
#include "CorvanectlRun.h"
#include "Screenshot.h"
#include "SnapinFixture.h"
#include "TestFiles.h"

#include "host/ScopeItem.h"
#include "model/ConfigFile.h"
#include "model/EditSession.h"
#include "model/ModelProcedures.h"
#include "registry/Servers.h"
#include "snapin/FindDialog.h"
#include "snapin/SyntaxWatch.h"
#include "transfer/ServerModel.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/SyntaxCheck.h"
#include "transfer/UnifiedDiff.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>

using namespace corvane;
using namespace corvane::test;

namespace {

const QString kModules = QStringLiteral("/usr/lib/apache2/modules");

// The 1-based number of the line of `file` that holds `text`; 0 when none does.
int lineHolding(const QByteArray& file, const QByteArray& text)
{
    const QList<QByteArray> lines = file.split('\n');
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].contains(text))
            return i + 1;
    return 0;
}

template <typename T> T* visibleTopLevel(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return qobject_cast<T*>(w);
    return nullptr;
}

// What the console's main installs: the reader of split configurations, the
// marks against the fetched copy and the background syntax check.
void installConsoleHooks(snapin::CorvaneSnapIn& snapIn, const AppFolder& folder)
{
    snapIn.configs().setReader([folder](ConfigFile& config, const QString& path) {
        TreeReport report;
        std::string why;
        const std::string server =
            GetServerNameFromConfigPath(folder.path().toStdString(), path.toStdString());
        return ReadServerModel(folder, server, config, report, why);
    });
    snapin::ServerCommandHooks& hooks = snapIn.serverCommands();
    hooks.changedLines = [folder](const QString& server, const QString& serverPath) {
        return UnifiedDiff::workingCopyMarks(ServerWorkArea(folder, server), serverPath.toStdString());
    };
    hooks.checkSyntax = [folder](const QString& server) {
        const SyntaxCheck::Verdict found = SyntaxCheck(folder).check(server);
        using State = snapin::SyntaxVerdict::State;
        const State state = found.state == SyntaxCheck::Verdict::State::Ok      ? State::Ok
                            : found.state == SyntaxCheck::Verdict::State::Error ? State::Error
                                                                                : State::NoChecker;
        return snapin::SyntaxVerdict{state, found.apacheVersion, found.output};
    };
}

// A change made as a property page makes it: on a model of its own read from
// the snapshot, then "RefreshTreeView" to the shell for the node.
bool applyAsPage(SnapinFixture& fx, ScopeItem* node, const EditChange& change)
{
    ConfigFile page(fx.appDir().toStdString());
    page.SetFileName(node->itemName().toStdString());
    if (!commitEdit(page, change).written())
        return false;
    fx.snapIn().ScopeItems_PropertyChanged(*node, QStringLiteral("RefreshTreeView"));
    return true;
}

} // namespace

class tst_console_find : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void sourceViewMarksWhatChanged_data();
    void sourceViewMarksWhatChanged();
    void noFetchedCopyNoMarks();
    void findListsHitsAndLeadsToThem_data();
    void findListsHitsAndLeadsToThem();
    void backgroundCheckVerdict_data();
    void backgroundCheckVerdict();

private:
    // The server "web": conf/httpd.conf includes conf/vhosts.conf, fetched
    // by corvanectl into the console's application folder; registered with
    // another Apache version when one is given.
    void fetchedServer(SnapinFixture& fx, const QString& version = {});

    std::unique_ptr<QTemporaryDir> m_server;
    QString m_root;
};

void tst_console_find::init()
{
    if (!QFileInfo(kModules + "/mod_mpm_event.so").isFile())
        QSKIP("needs the local machine's apache2 modules");
    m_server = std::make_unique<QTemporaryDir>();
    m_root = QFileInfo(m_server->path()).canonicalFilePath() + "/httpd";
}

void tst_console_find::fetchedServer(SnapinFixture& fx, const QString& version)
{
    const QByteArray root = m_root.toUtf8();
    QVERIFY(writeFile(m_root + "/conf/httpd.conf",
                      "ServerRoot \"" + root +
                          "\"\n"                     // 1
                          "Listen 127.0.0.1:18091\n" // 2
                          "PidFile " +
                          root +
                          "/pid\n"                         // 3
                          "ServerName main.example.test\n" // 4
                          "LoadModule mpm_event_module " +
                          kModules.toUtf8() +                                               //
                          "/mod_mpm_event.so\n"                                             // 5
                          "\n"                                                              // 6
                          "<Directory \"/var/www\">\n"                                      // 7
                          "    Options None\n"                                              // 8
                          "</Directory>\n"                                                  // 9
                          "Include conf/vhosts.conf\n"));                                   // 10
    QVERIFY(writeFile(m_root + "/conf/vhosts.conf", "<VirtualHost *:18091>\n"               // 1
                                                    "    ServerName a.example.test\n"       // 2
                                                    "    DocumentRoot /var/www\n"           // 3
                                                    "</VirtualHost>\n"                      // 4
                                                    "<VirtualHost *:18091>\n"               // 5
                                                    "    ServerName b.example.test\n"       // 6
                                                    "    ServerAlias findme.example.test\n" // 7
                                                    "</VirtualHost>\n"));                   // 8
    const CtlRun r = runCorvanectl(
        fx.appDir(),
        {"add", "web", "--apache-version", "2.4.62", "--os", "unix", "--local", m_root + "/conf/httpd.conf"},
        {}, 120000);
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    if (!version.isEmpty())
        Servers(fx.folder()).WriteDataToInI("web", "APACHE_VERSION", version.toStdString());
    fx.beforeLoad = [&fx](snapin::CorvaneSnapIn& snapIn) { installConsoleHooks(snapIn, fx.folder()); };
    fx.start();
}

// ---- source view marks ---------------------------------------------------------------

void tst_console_find::sourceViewMarksWhatChanged_data()
{
    QTest::addColumn<QStringList>("node");  // below the server
    QTest::addColumn<QString>("file");      // the work-area file the edit goes to
    QTest::addColumn<QString>("directive"); // set (or added) in the node's section
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("add");
    QTest::addColumn<char>("mark");
    QTest::newRow("changed in the main file")
        << QStringList{"Main Server", "/var/www"} << "WorkArea/httpd.conf"
        << "Options"
        << "FollowSymLinks" << false << '~';
    QTest::newRow("changed in an included file")
        << QStringList{"Main Server", "b.example.test (*:18091)"} << "WorkArea/tree/conf/vhosts.conf"
        << "ServerAlias"
        << "other.example.test" << false << '~';
    QTest::newRow("added in an included file")
        << QStringList{"Main Server", "a.example.test (*:18091)"} << "WorkArea/tree/conf/vhosts.conf"
        << "ServerAdmin"
        << "admin@example.test" << true << '+';
}

// Only the edited line is marked; every other row has a blank gutter, and the
// bytes shown are exactly the file's.
void tst_console_find::sourceViewMarksWhatChanged()
{
    QFETCH(QStringList, node);
    QFETCH(QString, file);
    QFETCH(QString, directive);
    QFETCH(QString, value);
    QFETCH(bool, add);
    QFETCH(char, mark);
    SnapinFixture fx;
    fetchedServer(fx);
    if (QTest::currentTestFailed())
        return;
    ScopeItem* item = fx.node(QStringList{"web"} + node);
    QVERIFY(item);
    const int scope = item->nodeTag();
    QVERIFY(applyAsPage(fx, item, [&](ConfigFile& config, std::string&) {
        const std::string name = directive.toStdString(), param = value.toStdString();
        return (add ? config.SaveAsNewDirective(name, param, scope)
                    : config.UpdateDirective(name, param, scope)) == 1;
    }));

    fx.select(item);
    QVERIFY(fx.triggerMenu("mnuViewSource"));
    auto* view = visibleTopLevel<QWidget>("frmSource");
    QVERIFY(view);
    const QByteArray working = readFile(fx.appDir() + "/web/" + file);
    const QByteArray shown = view->property("sourceBytes").toByteArray();
    QVERIFY2(working.contains(shown) && !shown.isEmpty(), shown.constData());
    const int line = lineHolding(working, (directive + " " + value).toUtf8());
    QVERIFY(line > 0);
    QCOMPARE(view->property("markedLines").value<QList<int>>(), QList<int>{line});
    QVERIFY(view->findChild<QLabel*>("lblSourceLegend"));
    const QStringList rows = view->findChild<QPlainTextEdit*>("txtSource")->toPlainText().split('\n');
    for (const QString& row : rows) {
        const bool edited = row.mid(2).trimmed().startsWith(QString::number(line) + "  ");
        QCOMPARE(row.at(0), edited ? QChar::fromLatin1(mark) : QChar(' '));
    }
    if (QByteArray(QTest::currentDataTag()) == "changed in an included file")
        QVERIFY(corvane::test::saveScreenshot(view, QStringLiteral("source-view")));
    view->close();
}

// A server that was never fetched has nothing to compare with.
void tst_console_find::noFetchedCopyNoMarks()
{
    SnapinFixture fx;
    fx.addServer("plain",
                 "ServerName plain.example.test\n<Directory /srv>\n    Options None\n</Directory>\n");
    fx.beforeLoad = [&fx](snapin::CorvaneSnapIn& snapIn) { installConsoleHooks(snapIn, fx.folder()); };
    fx.start();
    ScopeItem* item = fx.node({"plain", "Main Server", "/srv"});
    QVERIFY(item);
    QVERIFY(applyAsPage(fx, item, [&](ConfigFile& config, std::string&) {
        return config.UpdateDirective("Options", "Indexes", item->nodeTag()) == 1;
    }));
    fx.select(item);
    QVERIFY(fx.triggerMenu("mnuViewSource"));
    auto* view = visibleTopLevel<QWidget>("frmSource");
    QVERIFY(view);
    QVERIFY(view->property("markedLines").value<QList<int>>().isEmpty());
    QVERIFY(!view->findChild<QLabel*>("lblSourceLegend"));
    QCOMPARE(view->findChild<QPlainTextEdit*>("txtSource")->toPlainText().section('\n', 0, 0),
             QStringLiteral("2  <Directory /srv>"));
    view->close();
}

// ---- find --------------------------------------------------------------------------------

void tst_console_find::findListsHitsAndLeadsToThem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("namesOnly");
    QTest::addColumn<QStringList>("rows"); // node | file below the server root | line
    QTest::addColumn<int>("choose");       // the row activated
    QTest::newRow("directive name") << "servername" << true
                                    << QStringList{"Main Server|conf/httpd.conf|4",
                                                   "a.example.test (*:18091)|conf/vhosts.conf|2",
                                                   "b.example.test (*:18091)|conf/vhosts.conf|6"}
                                    << 2;
    QTest::newRow("section name") << "Directory" << true << QStringList{"/var/www|conf/httpd.conf|7"} << 0;
    QTest::newRow("text in a value") << "FINDME.example" << false
                                     << QStringList{"b.example.test (*:18091)|conf/vhosts.conf|7"} << 0;
    QTest::newRow("text in the main file")
        << "None" << false << QStringList{"/var/www|conf/httpd.conf|8"} << 0;
    QTest::newRow("a value is no name") << "findme" << true << QStringList{} << -1;
}

void tst_console_find::findListsHitsAndLeadsToThem()
{
    QFETCH(QString, text);
    QFETCH(bool, namesOnly);
    QFETCH(QStringList, rows);
    QFETCH(int, choose);
    SnapinFixture fx;
    fetchedServer(fx);
    if (QTest::currentTestFailed())
        return;
    fx.select(fx.node({"web"}));
    // Ctrl+F on the console: the toolbar's Find.
    QAction* find = fx.window().findChild<QAction*>("tblNew_Find");
    QVERIFY(find);
    QCOMPARE(find->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
    QTRY_VERIFY(find->isEnabled());
    fx.window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&fx.window()));
    QTest::keyClick(fx.window().scopeTree(), Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(visibleTopLevel<QWidget>("frmFind"));
    auto* dialog = visibleTopLevel<QWidget>("frmFind");

    dialog->findChild<QLineEdit*>("txtFind")->setText(text);
    dialog->findChild<QCheckBox*>("chkDirectiveNamesOnly")->setChecked(namesOnly);
    QTest::mouseClick(dialog->findChild<QPushButton*>("cmdFindNow"), Qt::LeftButton);
    auto* list = dialog->findChild<QTreeWidget*>("lstFindResults");
    QStringList got;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list->topLevelItem(i);
        got << row->text(0) + "|" + row->text(1) + "|" + row->text(2);
    }
    QCOMPARE(got, rows);
    if (choose < 0) {
        QCOMPARE(dialog->findChild<QLabel*>("lblFindCount")->text(), QStringLiteral("Not found"));
        return;
    }

    // Choosing a hit selects its node and shows its line in the source view.
    QTreeWidgetItem* row = list->topLevelItem(choose);
    list->setCurrentItem(row);
    QTest::keyClick(list, Qt::Key_Return);
    const QStringList expected = rows[choose].split('|');
    QVERIFY(fx.host().selectedScopeItem());
    QCOMPARE(fx.host().selectedScopeItem()->displayName(), expected[0]);
    QCOMPARE(fx.window().scopeTree()->currentIndex().data().toString(), expected[0]);
    auto* view = visibleTopLevel<QWidget>("frmSource");
    QVERIFY(view);
    QCOMPARE(view->property("currentLine").toInt(), expected[2].toInt());
    // The line shown there is the file's line.
    // The main file is named as its working copy is: httpd.conf.
    const QString relative = expected[1] == "httpd.conf" ? QStringLiteral("conf/httpd.conf") : expected[1];
    const QByteArray file = readFile(m_root + "/" + relative);
    const QByteArray line = file.split('\n').at(expected[2].toInt() - 1);
    auto* source = view->findChild<QPlainTextEdit*>("txtSource");
    QVERIFY2(source->textCursor().block().text().endsWith(QString::fromUtf8(line)),
             qPrintable(source->textCursor().block().text()));
}

// ---- background syntax check -------------------------------------------------------------

void tst_console_find::backgroundCheckVerdict_data()
{
    QTest::addColumn<QStringList>("values"); // ServerAdmin values set one right after the other
    QTest::addColumn<bool>("broken");        // the last change also adds an unknown directive
    QTest::addColumn<QString>("version");    // the server's Apache version, "" as fetched
    QTest::addColumn<QString>("status");     // the status text starts with
    QTest::addColumn<QString>("details");    // the checker's output holds
    QTest::newRow("valid") << QStringList{"a@example.test"} << false << ""
                           << "Syntax OK"
                           << "Syntax OK";
    QTest::newRow("broken") << QStringList{"a@example.test"} << true << ""
                            << "Syntax error: AH00526: Syntax error on line"
                            << "Frobnicate";
    QTest::newRow("a later change supersedes")
        << QStringList{"a@example.test", "b@example.test"} << false << ""
        << "Syntax OK"
        << "Syntax OK";
    QTest::newRow("no checker") << QStringList{"a@example.test"} << false << "1.2"
                                << "No syntax checker for Apache 1.2"
                                << "Syntax checking not supported with current Apache Server 1.2";
}

void tst_console_find::backgroundCheckVerdict()
{
    QFETCH(QStringList, values);
    QFETCH(bool, broken);
    QFETCH(QString, version);
    QFETCH(QString, status);
    QFETCH(QString, details);
    SnapinFixture fx;
    fetchedServer(fx, version);
    if (QTest::currentTestFailed())
        return;
    ScopeItem* mainServer = fx.node({"web", "Main Server"});
    QVERIFY(mainServer);
    QSignalSpy verdicts(&fx.snapIn().syntaxWatch(), &snapin::SyntaxWatch::finished);
    auto* indicator = fx.window().findChild<QPushButton*>("cmdStatusIndicator");
    QVERIFY(indicator);
    for (int i = 0; i < values.size(); ++i) {
        const bool last = i + 1 == values.size();
        QVERIFY(applyAsPage(fx, mainServer, [&](ConfigFile& config, std::string&) {
            if (last && broken && config.SaveAsNewDirective("Frobnicate", "On", -1) != 1)
                return false;
            return config.UpdateDirective("ServerAdmin", values[i].toStdString(), -1) == 1;
        }));
        // The change returned at once; its check runs meanwhile.
        QVERIFY(fx.snapIn().syntaxWatch().isRunning());
        QCOMPARE(indicator->text(), snapin::SyntaxWatch::checkingText());
    }
    QTRY_VERIFY_WITH_TIMEOUT(indicator->text().startsWith(status), 60000);
    QCOMPARE(verdicts.count(), 1); // a superseded check says nothing
    QVERIFY(!fx.snapIn().syntaxWatch().isRunning());
    QVERIFY(indicator->isVisible());

    QTest::mouseClick(indicator, Qt::LeftButton);
    auto* shown = fx.window().findChild<QWidget*>("frmStatusDetails");
    QVERIFY(shown && shown->isVisible());
    const QString output = shown->findChild<QPlainTextEdit*>("txtStatusDetails")->toPlainText();
    QVERIFY2(output.contains(details), qPrintable(output));
}

QTEST_MAIN(tst_console_find)
#include "tst_console_find.moc"
