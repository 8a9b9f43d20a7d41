// Creating, deleting and renaming sections through the console's menus, the
// new-section dialog and the verbs: the working copy, the snapshot and the
// tree must all show exactly the change.
#include "SnapinFixture.h"
#include "TestFiles.h"

#include "host/MessageBox.h"
#include "host/ResultView.h"
#include "host/ScopeItem.h"
#include "model/ConfigFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

using Steps = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Steps)

namespace {

QByteArray shapes()
{
    return corvane::test::readTestData(QStringLiteral(CORVANE_GUI_TEST_DATA "/shapes.conf"));
}

// The lines of the section whose head is lines[head], down to its end line.
QStringList sectionBlock(const QStringList& lines, int head)
{
    int depth = 0;
    for (int i = head; i < lines.size(); ++i) {
        const QString& l = lines[i];
        if (l.startsWith(u"</"))
            --depth;
        else if (l.startsWith(u'<') && !l.startsWith(u"<Proxy"))
            ++depth;
        if (depth == 0)
            return lines.mid(head, i - head + 1);
    }
    return {};
}

// The tree below Main Server as "Kind:name" paths (every node expanded).
QStringList treeBelow(SnapinFixture& fx, ScopeItem* item, const QString& prefix = {})
{
    QStringList out;
    fx.host().expand(*item);
    const QStringList names = SnapinFixture::childNodes(*item);
    for (int i = 0; i < item->childCount(); ++i) {
        out << prefix + u'/' + names[i];
        out << treeBelow(fx, item->child(i), prefix + u'/' + names[i]);
    }
    return out;
}

// After a command: the snapshot says what the working copy says, and the
// whole tree (rebuilt in a second console) and the live tree agree with the file.
void checkConsistent(SnapinFixture& fx)
{
    const QStringList disk = SnapinFixture::fileLines(fx.workingCopy("alpha"));
    QCOMPARE(fx.snapshotLines("alpha"), disk);
    const ConfOracle oracle(disk);
    QCOMPARE(treeBelow(fx, fx.node({"alpha", "Main Server"})), oracle.allNodes());
}

} // namespace

class tst_commands_sections : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::resetRecord(); }
    void newSection_data();
    void newSection();
    void listenQuestion_data();
    void listenQuestion();
    void badInput_data();
    void badInput();
    void deleteSection_data();
    void deleteSection();
    void renameSection_data();
    void renameSection();
    void failedWriteChangesNothing_data();
    void failedWriteChangesNothing();
};

void tst_commands_sections::newSection_data()
{
    QTest::addColumn<QStringList>("parent");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("block");
    QTest::addColumn<QString>("node"); // new last child, or "File:pattern" in the Files list

    const QStringList main{"alpha", "Main Server"};
    QTest::newRow("directory under main server")
        << main << "mnuDirectory"
        << "my dir"
        << "New Directory|Directory Name:" << QStringList{"<Directory \"my dir\">", "</Directory>"}
        << "Directory:my dir";
    QTest::newRow("directory in a virtual host loses typed quotes")
        << main + QStringList{"quoted.example.org (10.0.0.1:80)"} << "mnuDirectory"
        << "  \"/srv/app\" "
        << "New Directory|Directory Name:" << QStringList{"<Directory \"/srv/app\">", "</Directory>"}
        << "Directory:/srv/app";
    QTest::newRow("location in a directory")
        << main + QStringList{"/var/www/html"} << "mnuLocation"
        << "/api"
        << "New Location|Location Name:" << QStringList{"<Location \"/api\">", "</Location>"}
        << "Location:/api";
    QTest::newRow("ifmodule under main server")
        << main << "mnuIfModule"
        << "mod_headers.c"
        << "New IfModule|Module Name:" << QStringList{"<IfModule \"mod_headers.c\">", "</IfModule>"}
        << "IfModule:mod_headers.c";
    QTest::newRow("ifmodule in an ifmodule")
        << main + QStringList{"mod_ssl.c"} << "mnuIfModule"
        << "mod_socache_shmcb.c"
        << "New IfModule|Module Name:" << QStringList{"<IfModule \"mod_socache_shmcb.c\">", "</IfModule>"}
        << "IfModule:mod_socache_shmcb.c";
    QTest::newRow("files under main server")
        << main << "mnuFile"
        << "*.txt"
        << "New File|File Name:" << QStringList{"<Files \"*.txt\">", "</Files>"} << "File:*.txt";
    QTest::newRow("files in a virtual host")
        << main + QStringList{"site1.example.org (*)"} << "mnuFile"
        << "robots.txt"
        << "New File|File Name:" << QStringList{"<Files \"robots.txt\">", "</Files>"} << "File:robots.txt";
    QTest::newRow("virtual host on a port already listened on")
        << main << "mnuVHost"
        << "*:80"
        << "New Virtual Host|Virtual Host Name:" << QStringList{"<VirtualHost *:80>", "</VirtualHost>"}
        << "VHost:*:80";
    QTest::newRow("virtual host without a port")
        << main << "mnuVHost"
        << "www.example.net"
        << "New Virtual Host|Virtual Host Name:"
        << QStringList{"<VirtualHost www.example.net>", "</VirtualHost>"} << "VHost:www.example.net";
    QTest::newRow("virtual host name kept as typed")
        << main << "mnuVHost"
        << "\"10.0.0.1:8443\""
        << "New Virtual Host|Virtual Host Name:"
        << QStringList{"<VirtualHost \"10.0.0.1:8443\">", "</VirtualHost>"} << "VHost:10.0.0.1:8443";
    QTest::newRow("virtual host on two addresses is named by both")
        << main << "mnuVHost"
        << "10.0.0.1:80  10.0.0.2:80"
        << "New Virtual Host|Virtual Host Name:"
        << QStringList{"<VirtualHost 10.0.0.1:80  10.0.0.2:80>", "</VirtualHost>"}
        << "VHost:10.0.0.1:80 10.0.0.2:80";
}

void tst_commands_sections::newSection()
{
    QFETCH(QStringList, parent);
    QFETCH(QString, menu);
    QFETCH(QString, typed);
    QFETCH(QString, dialog);
    QFETCH(QStringList, block);
    QFETCH(QString, node);

    SnapinFixture fx;
    fx.addServer("alpha", shapes());
    fx.start();
    ScopeItem* item = fx.node(parent);
    QVERIFY(item);
    fx.select(item);
    const QStringList before = SnapinFixture::fileLines(fx.workingCopy("alpha"));
    const QStringList childrenBefore = SnapinFixture::childNodes(*item);

    fx.answerNewNode({{typed, "ok"}});
    QVERIFY(fx.triggerMenu(menu));
    QCOMPARE(fx.newNodeCaptions(), QStringList{dialog});
    QCOMPARE(MessageBox::shownCount(), 0);

    // Exactly the new section went into the file, inside its parent.
    const QStringList after = SnapinFixture::fileLines(fx.workingCopy("alpha"));
    int pos = -1;
    if (insertedBlock(before, after, &pos) != block)
        qDebug().noquote() << before.join("\n") << "\n=====\n" << after.join("\n");
    QCOMPARE(insertedBlock(before, after, &pos), block);
    const ConfOracle oracle(after);
    if (node.startsWith("File:")) {
        QCOMPARE(SnapinFixture::childNodes(*item), childrenBefore);
        QCOMPARE(fx.filesItems().value(fx.filesItems().size() - 1), node.mid(5));
        const QStringList files =
            item->nodeTag() == -1
                ? oracle.mainServerFiles()
                : oracle.sectionFiles(oracle.findSection(
                      SnapinFixture::childNodes(*item->parent()).at(item->row()).section(u':', 0, 0),
                      item->displayName()));
        QCOMPARE(fx.filesItems(), files);
    } else {
        QCOMPARE(SnapinFixture::childNodes(*item), childrenBefore + QStringList{node});
        // The new node leads to the new head line.
        ScopeItem* added = item->child(item->childCount() - 1);
        QCOMPARE(added->nodeTag(), fx.snapIn().CurrentConfig()->GetDirectiveCount() - 1);
    }
    checkConsistent(fx);
}

void tst_commands_sections::listenQuestion_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("port"); // asked about; "" = no question
    QTest::addColumn<bool>("listenAdded");
    const int yes = int(QMessageBox::Yes);
    const int no = int(QMessageBox::No);
    QTest::newRow("yes") << "10.0.0.5:8080" << yes << "8080" << true;
    QTest::newRow("no") << "10.0.0.5:8080" << no << "8080" << false;
    QTest::newRow("quoted address") << "\"10.0.0.5:8081\"" << yes << "8081" << true;
    QTest::newRow("second address on a new port") << "10.0.0.1:80 10.0.0.2:8082" << yes << "8082" << true;
    QTest::newRow("port listened on by address") << "10.0.0.7:8443" << yes << "" << false;
    QTest::newRow("no numeric port") << "*:*" << yes << "" << false;
}

void tst_commands_sections::listenQuestion()
{
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(QString, port);
    QFETCH(bool, listenAdded);

    SnapinFixture fx;
    fx.addServer("alpha", shapes());
    fx.start();
    fx.select(fx.node({"alpha", "Main Server"}));
    const QStringList before = SnapinFixture::fileLines(fx.workingCopy("alpha"));

    MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
    fx.answerNewNode({{typed, "ok"}});
    QVERIFY(fx.triggerMenu("mnuVHost"));
    QCOMPARE(MessageBox::shownCount(), port.isEmpty() ? 0 : 1);
    if (!port.isEmpty()) {
        QCOMPARE(MessageBox::lastText(), QStringLiteral("Server is not listening on the port ") + port +
                                             QStringLiteral(" !\r\nDo you want to add this port ?"));
    }
    MessageBox::clearNextAnswers();

    QStringList after = SnapinFixture::fileLines(fx.workingCopy("alpha"));
    const int listen = int(after.indexOf("Listen " + port));
    QCOMPARE(listen >= 0, listenAdded);
    if (listenAdded) {
        // A top-level line: after the existing Listen lines, before the first section.
        QVERIFY(listen > after.indexOf("Listen 10.0.0.1:8443"));
        QVERIFY(listen < after.indexOf("<Directory />"));
        after.removeAt(listen);
    }
    QCOMPARE(insertedBlock(before, after), (QStringList{"<VirtualHost " + typed + ">", "</VirtualHost>"}));
    checkConsistent(fx);

    if (port.isEmpty())
        return;
    // A second host on that port asks again only when the port was refused.
    MessageBox::resetRecord();
    MessageBox::setNextAnswer(QMessageBox::No);
    fx.answerNewNode({{"10.0.0.6:" + port, "ok"}});
    QVERIFY(fx.triggerMenu("mnuVHost"));
    QCOMPARE(MessageBox::shownCount(), listenAdded ? 0 : 1);
    MessageBox::clearNextAnswers();
}

void tst_commands_sections::badInput_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty text keeps the dialog open")
        << "mnuDirectory" << Steps{{"", "ok"}, {"", "cancel"}} << "Please Enter New Directory Name";
    QTest::newRow("blanks only") << "mnuDirectory" << Steps{{"   ", "ok"}}
                                 << "Directory name cannot be empty";
    QTest::newRow("quotes only") << "mnuLocation" << Steps{{"\"\"", "ok"}} << "Location name cannot be empty";
    QTest::newRow("quote and blanks")
        << "mnuIfModule" << Steps{{" \" ", "ok"}} << "Module name cannot be empty";
    QTest::newRow("files blanks") << "mnuFile" << Steps{{" ", "ok"}} << "Filename cannot be empty";
    QTest::newRow("virtual host blanks")
        << "mnuVHost" << Steps{{"  ", "ok"}} << "Virtual host name cannot be empty";
    QTest::newRow("virtual host empty")
        << "mnuVHost" << Steps{{"", "ok"}, {"", "cancel"}} << "Please Enter New Virtual Host Name";
    QTest::newRow("name with >") << "mnuDirectory" << Steps{{"/var/www>x", "ok"}, {"", "cancel"}}
                                 << "The name cannot contain \"<\" or \">\".";
    QTest::newRow("name with <") << "mnuFile" << Steps{{"<x", "ok"}, {"", "cancel"}}
                                 << "The name cannot contain \"<\" or \">\".";
    QTest::newRow("virtual host with an unmatched quote")
        << "mnuVHost" << Steps{{"\"10.0.0.1:80", "ok"}, {"", "cancel"}}
        << "The name contains an unmatched double quote.";
    QTest::newRow("cancel") << "mnuLocation" << Steps{{"/never", "cancel"}} << "";
}

void tst_commands_sections::badInput()
{
    QFETCH(QString, menu);
    QFETCH(Steps, steps);
    QFETCH(QString, message);

    SnapinFixture fx;
    fx.addServer("alpha", shapes());
    fx.start();
    ScopeItem* main = fx.node({"alpha", "Main Server"});
    fx.select(main);
    const QStringList before = SnapinFixture::fileLines(fx.workingCopy("alpha"));
    const QByteArray snapshotBefore = [&] {
        QFile f(fx.snapshot("alpha"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const QStringList childrenBefore = SnapinFixture::childNodes(*main);
    const QStringList filesBefore = fx.filesItems();

    fx.answerNewNode(steps);
    QVERIFY(fx.triggerMenu(menu));
    QCOMPARE(fx.newNodeDialogsSeen(), int(steps.size()));
    QCOMPARE(MessageBox::shownCount(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QCOMPARE(MessageBox::lastText(), message);

    QCOMPARE(SnapinFixture::fileLines(fx.workingCopy("alpha")), before);
    QFile f(fx.snapshot("alpha"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), snapshotBefore);
    QCOMPARE(SnapinFixture::childNodes(*main), childrenBefore);
    QCOMPARE(fx.filesItems(), filesBefore);
}

void tst_commands_sections::deleteSection_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("filesItem");
    QTest::addColumn<QString>("head");
    QTest::addColumn<int>("answer");

    const QStringList main{"alpha", "Main Server"};
    const int yes = int(QMessageBox::Yes);
    QTest::newRow("first directory of main server") << main + QStringList{"/"} << ""
                                                    << "<Directory />" << yes;
    QTest::newRow("virtual host with nested sections") << main + QStringList{"site1.example.org (*)"} << ""
                                                       << "<VirtualHost *>" << yes;
    QTest::newRow("location in an ifmodule") << main + QStringList{"mod_ssl.c", "/secure"} << ""
                                             << "<Location /secure>" << yes;
    QTest::newRow("ifmodule in a virtual host")
        << main + QStringList{"quoted.example.org (10.0.0.1:80)", "mod_rewrite.c"} << ""
        << "<IfModule mod_rewrite.c>" << yes;
    QTest::newRow("files item of main server") << main << "index.html"
                                               << "<Files index.html>" << yes;
    QTest::newRow("files item in a directory") << main + QStringList{"/var/www/html"} << "\\.cgi$"
                                               << "<Files ~ \"\\.cgi$\">" << yes;
    QTest::newRow("answered no") << main + QStringList{"/var/www/html"} << ""
                                 << "" << int(QMessageBox::No);
}

void tst_commands_sections::deleteSection()
{
    QFETCH(QStringList, path);
    QFETCH(QString, filesItem);
    QFETCH(QString, head);
    QFETCH(int, answer);

    SnapinFixture fx;
    fx.addServer("alpha", shapes());
    fx.start();
    ScopeItem* item = fx.node(path);
    QVERIFY(item);
    fx.select(item);
    if (!filesItem.isEmpty())
        QVERIFY(fx.selectFilesItem(filesItem));
    QVERIFY(fx.host().isVerbEnabled(Verb::Delete));
    const QStringList before = SnapinFixture::fileLines(fx.workingCopy("alpha"));

    MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
    fx.host().deleteSelection();
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Are you sure you want to delete the selected item ?"));

    const QStringList after = SnapinFixture::fileLines(fx.workingCopy("alpha"));
    if (head.isEmpty()) {
        QCOMPARE(after, before);
        QVERIFY(fx.host().contains(item));
        return;
    }
    const int headLine = int(before.indexOf(head));
    QVERIFY(headLine >= 0);
    // Exactly the section, with everything in it, left the file.
    QStringList expected = before;
    expected.remove(headLine, sectionBlock(before, headLine).size());
    QCOMPARE(after, expected);
    if (!filesItem.isEmpty())
        QVERIFY(!fx.filesItems().contains(filesItem));
    checkConsistent(fx);
}

void tst_commands_sections::renameSection_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("filesItem");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("oldLine");
    QTest::addColumn<QString>("newLine"); // "" = nothing changes
    QTest::addColumn<QString>("shown");

    const QStringList main{"alpha", "Main Server"};
    QTest::newRow("directory") << main + QStringList{"/var/www/html"} << ""
                               << "/srv/www"
                               << "<Directory \"/var/www/html\">"
                               << "<Directory \"/srv/www\">"
                               << "/srv/www";
    QTest::newRow("location loses quotes and blanks") << main + QStringList{"/server-status"} << ""
                                                      << " \"status page\" "
                                                      << "<Location /server-status>"
                                                      << "<Location \"status page\">"
                                                      << "status page";
    QTest::newRow("ifmodule") << main + QStringList{"mod_ssl.c"} << ""
                              << "ssl_module"
                              << "<IfModule mod_ssl.c>"
                              << "<IfModule \"ssl_module\">"
                              << "ssl_module";
    QTest::newRow("empty name changes nothing") << main + QStringList{"/"} << ""
                                                << " \"\" "
                                                << "<Directory />"
                                                << ""
                                                << "/";
    QTest::newRow("name with > is refused") << main + QStringList{"/"} << ""
                                            << "/a>b"
                                            << "<Directory />"
                                            << ""
                                            << "/";
    QTest::newRow("files item with ~ keeps the ~") << main + QStringList{"/var/www/html"} << "\\.cgi$"
                                                   << "\\.pl$"
                                                   << "<Files ~ \"\\.cgi$\">"
                                                   << "<Files ~ \\.pl$>"
                                                   << "\\.pl$";
    QTest::newRow("files item") << main << "index.html"
                                << "home page.html"
                                << "<Files index.html>"
                                << "<Files \"home page.html\">"
                                << "home page.html";
}

void tst_commands_sections::renameSection()
{
    QFETCH(QStringList, path);
    QFETCH(QString, filesItem);
    QFETCH(QString, newName);
    QFETCH(QString, oldLine);
    QFETCH(QString, newLine);
    QFETCH(QString, shown);

    SnapinFixture fx;
    fx.addServer("alpha", shapes());
    fx.start();
    ScopeItem* item = fx.node(path);
    QVERIFY(item);
    fx.select(item);
    if (!filesItem.isEmpty())
        QVERIFY(fx.selectFilesItem(filesItem));
    const QStringList before = SnapinFixture::fileLines(fx.workingCopy("alpha"));

    QVERIFY(fx.host().rename(newName));

    QStringList expected = before;
    if (!newLine.isEmpty())
        expected.replace(expected.indexOf(oldLine), newLine);
    QCOMPARE(SnapinFixture::fileLines(fx.workingCopy("alpha")), expected);
    if (filesItem.isEmpty()) {
        QCOMPARE(item->displayName(), shown);
        QCOMPARE(item->rowText(1), shown);
    } else {
        QVERIFY(fx.filesItems().contains(shown));
    }
    checkConsistent(fx);
}

void tst_commands_sections::failedWriteChangesNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("delete") << "delete";
    QTest::newRow("rename") << "rename";
    QTest::newRow("new directory") << "new";
}

// A change that cannot be written leaves the files, the model and the tree
// as they were, and says so.
void tst_commands_sections::failedWriteChangesNothing()
{
    QFETCH(QString, command);
    SnapinFixture fx;
    fx.addServer("alpha", shapes());
    fx.start();
    ScopeItem* main = fx.node({"alpha", "Main Server"});
    ScopeItem* item = fx.node({"alpha", "Main Server", "/var/www/html"});
    QVERIFY(item);
    fx.select(command == "new" ? main : item);
    const QByteArray snapshotBefore = readFile(fx.snapshot("alpha"));
    const QStringList childrenBefore = SnapinFixture::childNodes(*main);
    // The working copy cannot be replaced: a folder stands in its place.
    QVERIFY(QFile::remove(fx.workingCopy("alpha")));
    QVERIFY(QDir().mkpath(fx.workingCopy("alpha")));
    MessageBox::resetRecord();
    if (command == "delete") {
        MessageBox::setNextAnswer(QMessageBox::Yes);
        fx.host().deleteSelection();
    } else if (command == "rename") {
        fx.host().rename("/srv/www");
        QCOMPARE(item->displayName(), QString("/var/www/html"));
    } else {
        fx.answerNewNode({{"/srv/new", "ok"}});
        QVERIFY(fx.triggerMenu("mnuDirectory"));
    }
    QVERIFY(MessageBox::lastText().contains("The change was not saved"));
    QCOMPARE(readFile(fx.snapshot("alpha")), snapshotBefore);
    QVERIFY(QDir(fx.workingCopy("alpha")).isEmpty());
    QCOMPARE(SnapinFixture::childNodes(*main), childrenBefore);
}

QTEST_MAIN(tst_commands_sections)
#include "tst_commands_sections.moc"
