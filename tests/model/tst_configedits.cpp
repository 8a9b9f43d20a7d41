// Queries and edits on a read model: which line is found, what is added or
// deleted, the result codes, and the module and list procedures.
#include "ModelTestUtil.h"

#include "model/ConfigFile.h"
#include "model/CorvaneError.h"
#include "model/ModelProcedures.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace corvane;
using namespace modeltest;

namespace {

// Line numbers are given on the right.
const QByteArray kConfig = "ServerRoot /etc/apache2\n"                          // 1
                           "Listen 80\n"                                        // 2
                           "Listen 10.0.0.1:8080\n"                             // 3
                           "LoadModule expires_module modules/mod_expires.so\n" // 4
                           "LoadModule logio_module modules/mod_logio.so\n"     // 5
                           "<VirtualHost *:80>\n"                               // 6
                           "ServerName a.example\n"                             // 7
                           "#CORVANE_VHOST_DESCRIPTION Shop\n"                  // 8
                           "Listen 9090\n"                                      // 9
                           "<Directory /x>\n"                                   // 10
                           "Options None\n"                                     // 11
                           "</Directory>\n"                                     // 12
                           "serveralias b.example\n"                            // 13
                           "</VirtualHost>\n"                                   // 14
                           "<VirtualHost *:81>\n"                               // 15
                           "</VirtualHost>\n"                                   // 16
                           "listen 8443\n"                                      // 17
                           "<Limit GET>\n"                                      // 18
                           "</Limit>\n";                                        // 19

QList<int> numbers(const std::vector<Directive*>& lines)
{
    QList<int> n;
    for (const Directive* d : lines)
        n << d->DirectiveNo();
    return n;
}

QList<int> live(const ConfigFile& cf)
{
    QList<int> n;
    for (int i = 1; i <= cf.GetDirectiveCount(); ++i) {
        if (const Directive* d = cf.GetDirective(i))
            n << d->DirectiveNo();
    }
    return n;
}

} // namespace

class TestConfigEdits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();

    void findAndMatch_data();
    void findAndMatch();
    void scopeWalk();
    void serverNameAndPorts_data();
    void serverNameAndPorts();
    void updateDirective_data();
    void updateDirective();
    void updateDirectiveNotes();
    void deleteSection_data();
    void deleteSection();
    void nextNumberSkipsDeleted();
    void addDirectiveWithoutLineRaises();
    void saveAsNew_data();
    void saveAsNew();
    void listRows_data();
    void listRows();
    void listRowsRejected();
    void scopeArguments_data();
    void scopeArguments();
    void vhostDescription_data();
    void vhostDescription();
    void modules_data();
    void modules();
    void ensureModuleLoaded();
    void procedures_data();
    void procedures();
    void joinLists();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ConfigFile> m_cf;
};

void TestConfigEdits::init()
{
    QVERIFY(m_dir.isValid());
    m_cf = std::make_unique<ConfigFile>(m_dir.path().toStdString());
    QVERIFY(load(*m_cf, m_dir.path(), kConfig));
    QCOMPARE(m_cf->GetDirectiveCount(), 19);
}

void TestConfigEdits::findAndMatch_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("scope");
    QTest::addColumn<int>("first");
    QTest::addColumn<QList<int>>("all");

    QTest::newRow("first in list order") << "LISTEN" << -1 << 2 << QList<int>{2, 3, 17};
    QTest::newRow("only direct children") << "Listen" << 6 << 9 << QList<int>{9};
    QTest::newRow("nested lines not in outer scope") << "Options" << 6 << 0 << QList<int>{};
    QTest::newRow("nested scope") << "options" << 10 << 11 << QList<int>{11};
    QTest::newRow("comments never match") << "#CORVANE_VHOST_DESCRIPTION" << 6 << 0 << QList<int>{};
    QTest::newRow("sections never match") << "VirtualHost" << -1 << 0 << QList<int>{};
    QTest::newRow("empty scope") << "ServerName" << 15 << 0 << QList<int>{};
    QTest::newRow("absent scope") << "Listen" << 999 << 0 << QList<int>{};
}

void TestConfigEdits::findAndMatch()
{
    QFETCH(QString, name);
    QFETCH(int, scope);
    QFETCH(int, first);
    QFETCH(QList<int>, all);
    const Directive* d = m_cf->FindSubDirective(name.toStdString(), scope);
    QCOMPARE(d ? d->DirectiveNo() : 0, first);
    QCOMPARE(numbers(m_cf->GetAllMatchingSubDirectives(" " + name.toStdString() + " ", scope)), all);
    // The name given to FindSubDirective is not trimmed.
    QVERIFY(!m_cf->FindSubDirective(" " + name.toStdString(), scope));
    QVERIFY(m_cf->DeleteAllMatchingSubDirectives(name.toStdString(), scope));
    QVERIFY(m_cf->GetAllMatchingSubDirectives(name.toStdString(), scope).empty());
}

void TestConfigEdits::scopeWalk()
{
    QCOMPARE(numbers(m_cf->GetScopeSections(-1)), (QList<int>{6, 15}));
    QCOMPARE(numbers(m_cf->GetScopeSections(6)), (QList<int>{10}));
    QCOMPARE(numbers(m_cf->GetScopeLines(6)), (QList<int>{7, 8, 9, 10, 13, 14}));
    QVERIFY(m_cf->DeleteDirective(10));
    QCOMPARE(numbers(m_cf->GetScopeLines(6)), (QList<int>{7, 8, 9, 13, 14}));
    QVERIFY(m_cf->GetScopeSections(6).empty());
}

void TestConfigEdits::serverNameAndPorts_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("exists");
    QTest::newRow("plain") << "80" << true;
    QTest::newRow("with address") << "8080" << true;
    QTest::newRow("lower-case name") << "8443" << true;
    QTest::newRow("blanks trimmed") << " 80 " << true;
    QTest::newRow("only inside a virtual host") << "9090" << false;
    QTest::newRow("absent") << "81" << false;
    QTest::newRow("address is no port") << "10.0.0.1" << false;
}

void TestConfigEdits::serverNameAndPorts()
{
    QFETCH(QString, port);
    QFETCH(bool, exists);
    QCOMPARE(m_cf->IsPortExists(port.toStdString()), exists);
    QCOMPARE(m_cf->FindServerNameOfVirtualHost(6), std::string("a.example"));
    QCOMPARE(m_cf->FindServerNameOfVirtualHost(15), std::string("#NOTFOUND#"));
}

void TestConfigEdits::updateDirective_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("scope");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("changed"); // dump lines expected after the edit, replacing or added

    QTest::newRow("adds missing at top level")
        << "ServerAdmin"
        << " admin@example.com " << -1 << 1 << QStringList{"20 -1 3 ServerAdmin admin@example.com"};
    QTest::newRow("changes first only") << " listen "
                                        << "81" << -1 << 1 << QStringList{"2 -1 3 Listen 81"};
    QTest::newRow("in a section") << "ServerName"
                                  << "c.example" << 6 << 1 << QStringList{"7 6 3 ServerName c.example"};
    QTest::newRow("adds in empty section")
        << "ServerName"
        << "d.example" << 15 << 1 << QStringList{"20 15 3 ServerName d.example"};
    QTest::newRow("several words") << "DirectoryIndex"
                                   << "index.html   index.php" << 10 << 1
                                   << QStringList{"20 10 3 DirectoryIndex index.html   index.php"};
    QTest::newRow("scope 0") << "Listen"
                             << "1" << 0 << -4 << QStringList{};
    QTest::newRow("scope -2") << "Listen"
                              << "1" << -2 << -4 << QStringList{};
    QTest::newRow("absent scope") << "Listen"
                                  << "1" << 999 << -3 << QStringList{};
    QTest::newRow("comment name cannot take a value") << "#Note"
                                                      << "x" << -1 << -2 << QStringList{"20 -1 1 #Note"};
}

void TestConfigEdits::updateDirective()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(int, scope);
    QFETCH(int, code);
    QFETCH(QStringList, changed);

    const QStringList before = dump(*m_cf);
    QCOMPARE(m_cf->UpdateDirective(name.toStdString(), value.toStdString(), scope), code);
    QStringList expected = before;
    for (const QString& line : changed) {
        const QString no = line.section(' ', 0, 0) + ' ';
        const auto it = std::find_if(expected.begin(), expected.end(),
                                     [&](const QString& l) { return l.startsWith(no); });
        if (it != expected.end())
            *it = line;
        else
            expected << line;
    }
    QCOMPARE(dump(*m_cf), expected);
}

void TestConfigEdits::updateDirectiveNotes()
{
    ConfigFile& cf = *m_cf;
    // Added: numbered above the highest; its new value then counts as an update.
    QCOMPARE(cf.UpdateDirective("ServerAdmin", "a@b", -1), 1);
    Directive* added = cf.FindDirective(20);
    QVERIFY(added);
    QCOMPARE(added->ParentDirective(), cf.GetServerDirective());
    QVERIFY(QString::fromStdString(added->DirectiveComment()).startsWith("Updated by Corvane on "));
    // An empty value deletes it.
    QCOMPARE(cf.UpdateDirective("ServerAdmin", "  ", -1), 1);
    QVERIFY(!cf.FindDirective(20));
    QCOMPARE(cf.GetDirectiveCount(), 20);
    // A directive that never existed, set to nothing: added and deleted at once.
    QCOMPARE(cf.UpdateDirective("ServerSignature", "", -1), 1);
    QCOMPARE(cf.GetDirectiveCount(), 21);
    QVERIFY(!cf.GetDirective(21));
    // A change of letter case only: the text changes, no update note.
    QCOMPARE(cf.UpdateDirective("ServerRoot", "/ETC/APACHE2", -1), 1);
    QCOMPARE(cf.FindDirective(1)->DirectiveString(), std::string("ServerRoot /ETC/APACHE2"));
    QCOMPARE(cf.FindDirective(1)->DirectiveComment(), std::string());
    QCOMPARE(cf.UpdateDirective("ServerRoot", "/srv", -1), 1);
    QVERIFY(
        QString::fromStdString(cf.FindDirective(1)->DirectiveComment()).startsWith("Updated by Corvane on "));
    // The scope of a deleted line is gone.
    QVERIFY(cf.DeleteDirective(15));
    QCOMPARE(cf.UpdateDirective("ServerName", "x", 15), -3);
}

void TestConfigEdits::deleteSection_data()
{
    QTest::addColumn<int>("no");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QList<int>>("remaining");

    QTest::newRow("virtual host with nested section")
        << 6 << true << QList<int>{1, 2, 3, 4, 5, 15, 16, 17, 18, 19};
    QTest::newRow("nested section") << 10 << true
                                    << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 14, 15, 16, 17, 18, 19};
    QTest::newRow("simple line") << 2 << true << QList<int>{1,  3,  4,  5,  6,  7,  8,  9,  10,
                                                            11, 12, 13, 14, 15, 16, 17, 18, 19};
    QTest::newRow("absent") << 999 << false
                            << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    QTest::newRow("server line is no line")
        << -1 << false << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
}

void TestConfigEdits::deleteSection()
{
    QFETCH(int, no);
    QFETCH(bool, result);
    QFETCH(QList<int>, remaining);
    QCOMPARE(m_cf->DeleteDirective(no), result);
    QCOMPARE(live(*m_cf), remaining);
    QVERIFY(!m_cf->DeleteDirective(no) || !result);
}

void TestConfigEdits::nextNumberSkipsDeleted()
{
    QByteArray text;
    for (int i = 1; i <= 59; ++i)
        text += "D" + QByteArray::number(i) + " x\n";
    ConfigFile cf;
    QVERIFY(load(cf, m_dir.path(), text));
    QVERIFY(cf.DeleteDirective(58));
    QVERIFY(cf.DeleteDirective(59));
    QCOMPARE(cf.GetNextDirectiveNo(), 60);
    auto d = std::make_unique<Directive>("Listen 1");
    d->SetParentDirective(cf.GetServerDirective());
    QVERIFY(cf.AddDirective(std::move(d)));
    QCOMPARE(cf.GetDirective(60)->DirectiveNo(), 60);
    QCOMPARE(cf.FindDirective(60)->DirectiveString(), std::string("Listen 1"));
    ConfigFile empty;
    QCOMPARE(empty.GetNextDirectiveNo(), 1);
}

void TestConfigEdits::addDirectiveWithoutLineRaises()
{
    try {
        m_cf->AddDirective(nullptr);
        QFAIL("no error");
    } catch (const CorvaneError& e) {
        QCOMPARE(e.number(), 0x80040003LL);
        QCOMPARE(e.source(), std::string("Vuvovov.ConfigFile"));
        QCOMPARE(e.description(),
                 std::string("Error while adding a new directive to the configuration file"));
    }
    QCOMPARE(m_cf->GetDirectiveCount(), 19);
}

void TestConfigEdits::saveAsNew_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("params");
    QTest::addColumn<int>("scope");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("added");

    QTest::newRow("adds although present") << "Listen"
                                           << " 8081 " << -1 << 1 << "20 -1 3 Listen 8081";
    QTest::newRow("in section") << " Alias "
                                << "/a /b" << 6 << 1 << "20 6 3 Alias /a /b";
    QTest::newRow("no params") << "ServerTokens"
                               << "" << -1 << 1 << "20 -1 3 ServerTokens";
    QTest::newRow("scope 0") << "Listen"
                             << "1" << 0 << -4 << "";
    QTest::newRow("absent scope") << "Listen"
                                  << "1" << 99 << -3 << "";
}

void TestConfigEdits::saveAsNew()
{
    QFETCH(QString, name);
    QFETCH(QString, params);
    QFETCH(int, scope);
    QFETCH(int, code);
    QFETCH(QString, added);
    QCOMPARE(m_cf->SaveAsNewDirective(name.toStdString(), params.toStdString(), scope), code);
    const QStringList after = dump(*m_cf);
    QCOMPARE(after.size(), added.isEmpty() ? 19 : 20);
    if (!added.isEmpty()) {
        QCOMPARE(after.last(), added);
        QVERIFY(QString::fromStdString(m_cf->FindDirective(20)->DirectiveComment())
                    .startsWith("#Added by Corvane on "));
    }
}

void TestConfigEdits::listRows_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<ListRows>("rows");
    QTest::addColumn<int>("noOfParams");
    QTest::addColumn<int>("firstParam");
    QTest::addColumn<QStringList>("added");

    QTest::newRow("one per row, empty skipped")
        << "single" << ListRows{{" index.html "}, {"  "}, {"index.php", "ignored"}, {}} << 0 << 0
        << QStringList{"DirectoryIndex index.html", "DirectoryIndex index.php"};
    QTest::newRow("second column first") << "columns" << ListRows{{".txt", "text/plain"}} << 2 << 2
                                         << QStringList{"DirectoryIndex text/plain .txt"};
    QTest::newRow("first column first") << "columns" << ListRows{{"text/html", " .html", ".htm "}} << 3 << 1
                                        << QStringList{"DirectoryIndex text/html .html .htm"};
    QTest::newRow("missing sub-item")
        << "columns" << ListRows{{"a"}} << 2 << 2 << QStringList{"DirectoryIndex a"};
    QTest::newRow("columns beyond NoOfParams ignored")
        << "columns" << ListRows{{"a", "b", "c"}} << 2 << 1 << QStringList{"DirectoryIndex a b"};
    QTest::newRow("empty row kept") << "columns" << ListRows{{""}} << 2 << 1
                                    << QStringList{"DirectoryIndex "};
}

void TestConfigEdits::listRows()
{
    QFETCH(QString, op);
    QFETCH(ListRows, rows);
    QFETCH(int, noOfParams);
    QFETCH(int, firstParam);
    QFETCH(QStringList, added);
    for (int scope : {-1, 10}) {
        QVERIFY(load(*m_cf, m_dir.path(), kConfig));
        const bool ok = op == "single" ? m_cf->SaveDirectivesFromListView(&rows, " DirectoryIndex ", scope)
                                       : m_cf->SaveDirectiveAndParametersFromListView(
                                             &rows, "DirectoryIndex", noOfParams, firstParam, scope);
        QVERIFY(ok);
        QStringList got;
        for (int i = 20; i <= m_cf->GetDirectiveCount(); ++i) {
            const Directive* d = m_cf->GetDirective(i);
            QCOMPARE(d->ParentDirective()->DirectiveNo(), scope);
            QCOMPARE(d->DirectiveNo(), i);
            got << QString::fromStdString(d->DirectiveString());
        }
        QCOMPARE(got, added);
    }
}

void TestConfigEdits::listRowsRejected()
{
    const ListRows rows{{"a"}};
    QVERIFY(!m_cf->SaveDirectivesFromListView(nullptr, "X", -1));
    QVERIFY(!m_cf->SaveDirectiveAndParametersFromListView(nullptr, "X", 2, 1, -1));
    QVERIFY(m_cf->SaveDirectivesFromListView(&rows, "X", 0));
    QVERIFY(m_cf->SaveDirectiveAndParametersFromListView(&rows, "X", 2, 1, -7));
    QCOMPARE(m_cf->GetDirectiveCount(), 19);
}

void TestConfigEdits::scopeArguments_data()
{
    QTest::addColumn<int>("no");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("sectionText");

    QTest::newRow("two addresses") << 6 << " 10.0.0.1:80 10.0.0.2:80 " << 1
                                   << "<VirtualHost 10.0.0.1:80 10.0.0.2:80>";
    QTest::newRow("nested head") << 10 << "\"/a b\"" << 1 << "<Directory \"/a b\">";
    QTest::newRow("simple line") << 7 << "x" << -3 << "ServerName a.example";
    QTest::newRow("absent") << 999 << "x" << -4 << "";
    QTest::newRow("kind outside the table") << 18 << "POST" << -1 << "<Limit GET>";
}

void TestConfigEdits::scopeArguments()
{
    QFETCH(int, no);
    QFETCH(QString, value);
    QFETCH(int, code);
    QFETCH(QString, sectionText);
    const Directive* d = m_cf->FindDirective(no);
    const std::string before = d ? d->DirectiveString() : std::string();
    QCOMPARE(m_cf->UpdateScopeDirectiveParameterList(value.toStdString(), no), code);
    if (d) {
        QCOMPARE(QString::fromStdString(d->SectionText()), sectionText);
        QCOMPARE(d->DirectiveString(), before); // the line's own text is not rebuilt
    }
}

void TestConfigEdits::vhostDescription_data()
{
    QTest::addColumn<int>("vhost");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("lineNo");
    QTest::addColumn<QString>("notePrefix");
    QTest::addColumn<QString>("line");

    const QString shop = "#CORVANE_VHOST_DESCRIPTION Web shop";
    QTest::newRow("existing line updated")
        << 6 << "  Web shop  " << 1 << 8 << "#Updated by Corvane on " << shop;
    QTest::newRow("added to host without one")
        << 15 << "  Web shop  " << 1 << 20 << "#Added by Corvane on " << shop;
    // An empty description leaves the marker alone, no blank after it.
    QTest::newRow("emptied") << 6 << "  " << 1 << 8 << "#Updated by Corvane on "
                             << "#CORVANE_VHOST_DESCRIPTION";
    QTest::newRow("a line break is refused") << 6 << "Web\nInclude /etc/shadow" << -1 << 0 << ""
                                             << "";
    QTest::newRow("number 0") << 0 << "  Web shop  " << -1 << 0 << ""
                              << "";
    QTest::newRow("absent host") << 999 << "  Web shop  " << -3 << 0 << ""
                                 << "";
}

void TestConfigEdits::vhostDescription()
{
    QFETCH(int, vhost);
    QFETCH(QString, description);
    QFETCH(int, code);
    QFETCH(int, lineNo);
    QFETCH(QString, notePrefix);
    QFETCH(QString, line);
    QCOMPARE(m_cf->GetVHostDescriptionDirective(6)->DirectiveNo(), 8);
    QVERIFY(!m_cf->GetVHostDescriptionDirective(15));
    QCOMPARE(m_cf->UpdateVhostDescription(description.toStdString(), vhost), code);
    if (lineNo) {
        const Directive* d = m_cf->GetVHostDescriptionDirective(vhost);
        QVERIFY(d);
        QCOMPARE(d->DirectiveNo(), lineNo);
        QCOMPARE(d->DirectiveString(), line.toStdString());
        QCOMPARE(d->GetType(), 1);
        QCOMPARE(d->ParentDirective()->DirectiveNo(), vhost);
        QVERIFY(QString::fromStdString(d->DirectiveComment()).startsWith(notePrefix));
    } else {
        QCOMPARE(m_cf->GetDirectiveCount(), 19);
    }
}

void TestConfigEdits::modules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("scope");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("fileLoaded");

    QTest::newRow("module name any case") << " EXPIRES_module " << -1 << true << false;
    QTest::newRow("module file base name") << "mod_logio" << -1 << false << true;
    QTest::newRow("file name any case") << "MOD_EXPIRES" << -1 << false << true;
    QTest::newRow("other scope") << "expires_module" << 6 << false << false;
    QTest::newRow("absent") << "ssl_module" << -1 << false << false;
}

void TestConfigEdits::modules()
{
    QFETCH(QString, name);
    QFETCH(int, scope);
    QFETCH(bool, loaded);
    QFETCH(bool, fileLoaded);
    QCOMPARE(IsModuleLoaded(*m_cf, name.toStdString(), scope), loaded);
    QCOMPARE(IsModuleFileLoaded(*m_cf, name.toStdString(), scope), fileLoaded);
}

void TestConfigEdits::ensureModuleLoaded()
{
    QStringList asked;
    auto ask = [&](bool answer) {
        return [&asked, answer](const std::string& q) {
            asked << QString::fromStdString(q);
            return answer;
        };
    };
    QVERIFY(EnsureModuleLoaded(*m_cf, "expires_module", -1, ask(false), {}));
    QVERIFY(asked.isEmpty());
    QVERIFY(!EnsureModuleLoaded(*m_cf, "headers_module", -1, ask(false), {}));
    QCOMPARE(asked, QStringList{"HEADERS_MODULE is to be loaded, Do you wish to load it now ?"});
    asked.clear();
    int opened = 0;
    QVERIFY(EnsureModuleLoaded(*m_cf, "headers_module", -1, ask(true), [&] {
        ++opened;
        m_cf->SaveAsNewDirective("LoadModule", "headers_module modules/mod_headers.so", -1);
    }));
    QCOMPARE(opened, 1);
    QCOMPARE(asked.size(), 1);
}

void TestConfigEdits::procedures_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::newRow("address and port") << "10.0.0.1:8080"
                                      << "8080";
    QTest::newRow("port only") << "8080"
                               << "";
    QTest::newRow("blanks") << "  *:443 "
                            << "443";
    QTest::newRow("IPv6 takes the first colon") << "[::1]:80"
                                                << ":1]:80";
}

void TestConfigEdits::procedures()
{
    QFETCH(QString, address);
    QFETCH(QString, port);
    QCOMPARE(QString::fromStdString(GetPortFromAddress(address.toStdString())), port);
    QCOMPARE(GetServerNameFromConfigPath("/srv/app", "/srv/app/web 1/WorkArea/httpd.conf"),
             std::string("web 1"));
    QCOMPARE(GetServerNameFromConfigPath("/srv/app", "/x"), std::string());
}

void TestConfigEdits::joinLists()
{
    QCOMPARE(JoinListBoxItems({"a", "b", "c"}), std::string("a b c"));
    QCOMPARE(JoinListBoxItems({"a", "b", "c"}, {true, false, true}, true), std::string("a c"));
    QCOMPARE(JoinListBoxItems({"a", "", "c"}), std::string("a  c"));
    QCOMPARE(JoinListViewItems({{"index.html", "x"}, {"index.php"}}), std::string("index.html index.php"));
    QCOMPARE(JoinListViewItems({}), std::string());
}

QTEST_GUILESS_MAIN(TestConfigEdits)
#include "tst_configedits.moc"
