// Writing the model back: order of lines, separators, sections the reader
// does not nest, edits, atomic replacement, and real Apache on the result.
#include "ModelTestUtil.h"

#include "model/ConfigFile.h"
#include "model/CorvaneError.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace corvane;
using namespace modeltest;

namespace {

const char* kSep = "    ";

QByteArray crlf(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines)
        out += l.toLatin1() + "\r\n";
    return out;
}

} // namespace

class TestConfigWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void write_data();
    void write();
    void edits_data();
    void edits();
    void flagsClearedAfterWrite();
    void failedWriteKeepsOldFile();
    void lineWithoutScopeFailsWrite();
    void apacheAcceptsRewrite_data();
    void apacheAcceptsRewrite();
    void defaultVirtualHostKept_data();
    void defaultVirtualHostKept();
    void unbalancedBlocksAreAFixedPoint_data();
    void unbalancedBlocksAreAFixedPoint();
};

void TestConfigWriter::unbalancedBlocksAreAFixedPoint_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("unclosed conditional around a section")
        << QByteArray("X 1\n<IfVersion >= 2.4>\nB 2\n<IfModule m>\nA 1\n</IfModule>\nC 3\n");
    QTest::newRow("unclosed conditional in a host") << QByteArray(
        "<VirtualHost *>\n<IfVersion >= 2.4>\n<IfModule m>\nA 1\n</IfModule>\n</VirtualHost>\n");
    QTest::newRow("stray end of a conditional")
        << QByteArray("<IfModule m>\nA 1\n</IfVersion>\n</IfModule>\n<Limit GET>\n");
    QTest::newRow("crossed blocks") << QByteArray(
        "<Limit GET>\n<IfVersion >= 2>\n</Limit>\n<Directory /x>\n</IfVersion>\n</Directory>\n");
}

// Writing the regenerated file again changes nothing, whatever blocks the
// file leaves open or closes twice.
void TestConfigWriter::unbalancedBlocksAreAFixedPoint()
{
    QFETCH(QByteArray, input);
    QTemporaryDir dir;
    ConfigFile once;
    once.SetNormalizeLayout(true);
    QVERIFY(load(once, dir.path(), input));
    const std::string first = once.WriteToString();
    ConfigFile twice;
    twice.SetNormalizeLayout(true);
    QVERIFY(load(twice, dir.path(), bytes(first)));
    QCOMPARE(bytes(twice.WriteToString()), bytes(first));
}

void TestConfigWriter::write_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("top level only") << QByteArray("A 1\nB 2\n# c\n") << QStringList{"A 1", "B 2", "# c"};
    QTest::newRow("comment moves up to its scope's lines")
        << QByteArray(
               "ServerRoot C:/Apache\n<Directory />\nOptions None\n</Directory>\n# the port\nListen 80\n")
        << QStringList{"ServerRoot C:/Apache", "# the port",   "Listen 80",    kSep,
                       "<Directory />",        "Options None", "</Directory>", kSep};
    QTest::newRow("empty section") << QByteArray("<Directory /x>\n</Directory>\n")
                                   << QStringList{kSep, "<Directory /x>", "</Directory>", kSep};
    QTest::newRow("nested sections")
        << QByteArray(
               "<VirtualHost *>\n<Directory /d>\nOptions All\n</Directory>\nServerName a\n</VirtualHost>\n")
        << QStringList{kSep,
                       "<VirtualHost *>",
                       "ServerName a",
                       kSep,
                       "<Directory /d>",
                       "Options All",
                       "</Directory>",
                       kSep,
                       "</VirtualHost>",
                       kSep};
    QTest::newRow("sections in list order")
        << QByteArray("<IfModule a>\n</IfModule>\nX 1\n<IfDefine B>\nY 2\n</IfDefine>\n")
        << QStringList{"X 1", kSep,           "<IfModule a>", "</IfModule>", kSep,
                       kSep,  "<IfDefine B>", "Y 2",          "</IfDefine>", kSep};
    QTest::newRow("head without end") << QByteArray("<Directory /x>\nOptions None\n")
                                      << QStringList{kSep, "<Directory /x>", "Options None"};
    QTest::newRow("end without head")
        << QByteArray("</Directory>\nListen 80\n") << QStringList{"Listen 80", kSep, "</Directory>"};
    QTest::newRow("limit keeps its content")
        << QByteArray("<Directory /x>\nOptions None\n<Limit GET>\nRequire all "
                      "granted\n</Limit>\nAllowOverride None\n"
                      "</Directory>\n")
        << QStringList{kSep,
                       "<Directory /x>",
                       "Options None",
                       kSep,
                       "<Limit GET>",
                       "Require all granted",
                       "</Limit>",
                       kSep,
                       "AllowOverride None",
                       "</Directory>",
                       kSep};
    // A block holding a section is written among the sections of its scope.
    QTest::newRow("conditional around a section")
        << QByteArray("Listen 80\n<IfVersion >= 2.4>\n<Directory /y>\nOptions All\n</Directory>\nRequire all "
                      "denied\n"
                      "</IfVersion>\nServerName z\n")
        << QStringList{"Listen 80", "ServerName z",       kSep,           "<IfVersion >= 2.4>",
                       kSep,        "<Directory /y>",     "Options All",  "</Directory>",
                       kSep,        "Require all denied", "</IfVersion>", kSep};
    QTest::newRow("nested conditionals")
        << QByteArray("<IfVersion >= 2.2>\n<IfVersion < 2.6>\nA 1\n</IfVersion>\nB 2\n</IfVersion>\n")
        << QStringList{kSep,  "<IfVersion >= 2.2>", kSep, "<IfVersion < 2.6>", "A 1", "</IfVersion>", kSep,
                       "B 2", "</IfVersion>",       kSep};
    QTest::newRow("if else chain")
        << QByteArray(
               "<If \"-z req('Host')\">\nRequire all denied\n</If>\n<Else>\nRequire all granted\n</Else>\n")
        << QStringList{kSep,
                       "<If \"-z req('Host')\">",
                       "Require all denied",
                       "</If>",
                       kSep,
                       kSep,
                       "<Else>",
                       "Require all granted",
                       "</Else>",
                       kSep};
    QTest::newRow("block head without end stays in place")
        << QByteArray("<Limit GET>\nRequire all granted\n")
        << QStringList{"<Limit GET>", "Require all granted"};
    QTest::newRow("end names must match")
        << QByteArray("<Limit GET>\nA 1\n</LimitExcept>\nB 2\n</Limit>\n")
        << QStringList{kSep, "<Limit GET>", "A 1", "</LimitExcept>", "B 2", "</Limit>", kSep};
    // An end whose head was closed with an outer block stays a plain line,
    // also when a later head of another name takes that head's place.
    QTest::newRow("end of a head closed earlier")
        << QByteArray("<Limit GET>\n<Proxy x>\n</Limit>\n<Limit POST>\n<IfVersion >= 2>\nC 3\n</Proxy>\n"
                      "</IfVersion>\n</Limit>\n")
        << QStringList{kSep,       "<Limit GET>",  "<Proxy x>", "</Limit>",         kSep,
                       kSep,       "<Limit POST>", kSep,        "<IfVersion >= 2>", "C 3",
                       "</Proxy>", "</IfVersion>", kSep,        "</Limit>",         kSep};
    QTest::newRow("virtual host inside a conditional")
        << QByteArray("<IfDefine X>\n<IfVersion >= 2.4>\n<VirtualHost *:80>\nServerName v\n</VirtualHost>\n"
                      "</IfVersion>\n</IfDefine>\n")
        << QStringList{kSep, "<IfDefine X>",       kSep,           "<IfVersion >= 2.4>",
                       kSep, "<VirtualHost *:80>", "ServerName v", "</VirtualHost>",
                       kSep, "</IfVersion>",       kSep,           "</IfDefine>",
                       kSep};
    QTest::newRow("bytes kept") << QByteArray("ServerAdmin r\xe9my\xff\r\n")
                                << QStringList{QString::fromLatin1("ServerAdmin r\xe9my\xff")};
    QTest::newRow("empty") << QByteArray() << QStringList{};
}

void TestConfigWriter::write()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    ConfigFile cf;
    cf.SetNormalizeLayout(true); // the regenerating writer
    QVERIFY(load(cf, dir.path(), input));
    const QString path = QString::fromStdString(cf.FileName());
    QVERIFY(cf.WriteFile());
    const QByteArray want = crlf(expected);
    QCOMPARE(readBytes(path), want);
    QCOMPARE(bytes(cf.WriteToString()), want); // writing twice gives the same

    // Reading the output and writing again changes nothing.
    ConfigFile again;
    again.SetNormalizeLayout(true); // the regenerating writer
    again.SetFileName(path.toStdString());
    QVERIFY(again.ReadFile());
    QVERIFY(again.WriteFile());
    QCOMPARE(readBytes(path), want);
}

void TestConfigWriter::edits_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QStringList>("expected");

    const QStringList ifModule{kSep, "<IfModule m>", "</IfModule>", kSep};
    const QStringList directory{kSep, "<Directory /d>", "Options None", "</Directory>", kSep};
    QTest::newRow("deleted section disappears") << "delete 4" << QStringList{"Listen 80"} + ifModule;
    QTest::newRow("added to section before nested sections")
        << "update 4 Options Indexes"
        << QStringList{"Listen 80"} + ifModule +
               QStringList{kSep, "<VirtualHost *:80>", "ServerName a", "Options Indexes"} + directory +
               QStringList{"</VirtualHost>", kSep};
    QTest::newRow("added to main server before first section")
        << "update -1 ServerAdmin a@b"
        << QStringList{"Listen 80", "ServerAdmin a@b"} + ifModule +
               QStringList{kSep, "<VirtualHost *:80>", "ServerName a"} + directory +
               QStringList{"</VirtualHost>", kSep};
    QTest::newRow("changed head arguments")
        << "scope 4 10.0.0.1:80 10.0.0.2:80"
        << QStringList{"Listen 80"} + ifModule +
               QStringList{kSep, "<VirtualHost 10.0.0.1:80 10.0.0.2:80>", "ServerName a"} + directory +
               QStringList{"</VirtualHost>", kSep};
    QTest::newRow("emptied directive removed")
        << "update -1 Listen"
        << ifModule + QStringList{kSep, "<VirtualHost *:80>", "ServerName a"} + directory +
               QStringList{"</VirtualHost>", kSep};
    QTest::newRow("added section after existing ones")
        << "section -1 <Directory /new>"
        << QStringList{"Listen 80"} + ifModule + QStringList{kSep, "<VirtualHost *:80>", "ServerName a"} +
               directory +
               QStringList{"</VirtualHost>", kSep, kSep, "<Directory /new>", "</Directory>", kSep};
}

void TestConfigWriter::edits()
{
    QFETCH(QString, edit);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    ConfigFile cf;
    cf.SetNormalizeLayout(true); // the regenerating writer
    // 1 Listen, 2-3 IfModule, 4 VirtualHost head, 5-7 Directory, 8 ServerName, 9 VirtualHost end.
    QVERIFY(load(cf, dir.path(),
                 "Listen 80\n<IfModule m>\n</IfModule>\n<VirtualHost *:80>\n<Directory /d>\nOptions None\n"
                 "</Directory>\nServerName a\n</VirtualHost>\n"));
    const QStringList parts = edit.split(' ');
    const int no = parts.at(1).toInt();
    const std::string rest = parts.mid(3).join(' ').toStdString();
    if (parts[0] == "delete") {
        QVERIFY(cf.DeleteDirective(no));
    } else if (parts[0] == "update") {
        QCOMPARE(cf.UpdateDirective(parts[2].toStdString(), rest, no), 1);
    } else if (parts[0] == "scope") {
        QCOMPARE(cf.UpdateScopeDirectiveParameterList(parts.mid(2).join(' ').toStdString(), no), 1);
    } else {
        // A new section: head in the scope, end inside the head.
        auto head = std::make_unique<Directive>(parts.mid(2).join(' ').toStdString());
        Directive* h = head.get();
        head->SetParentDirective(cf.GetServerDirective());
        QVERIFY(cf.AddDirective(std::move(head)));
        auto end = std::make_unique<Directive>("</Directory>");
        end->SetParentDirective(h);
        QVERIFY(cf.AddDirective(std::move(end)));
    }
    QCOMPARE(bytes(cf.WriteToString()), crlf(expected));
}

void TestConfigWriter::flagsClearedAfterWrite()
{
    QTemporaryDir dir;
    ConfigFile cf;
    cf.SetNormalizeLayout(true); // the regenerating writer
    QVERIFY(load(cf, dir.path(), "A 1\n<Directory /x>\nB 2\n</Directory>\n<Limit GET>\nC 3\n</Limit>\n"));
    QVERIFY(cf.WriteFile());
    for (int i = 1; i <= cf.GetDirectiveCount(); ++i)
        QVERIFY(!cf.GetDirective(i)->WrittenToFile());
}

void TestConfigWriter::failedWriteKeepsOldFile()
{
    QTemporaryDir dir;
    ConfigFile cf;
    cf.SetNormalizeLayout(true); // the regenerating writer
    QVERIFY(load(cf, dir.path(), "A 1\r\n"));
    QCOMPARE(cf.UpdateDirective("B", "2", -1), 1);
    // The working copy's folder is gone: nothing can be written.
    cf.SetFileName(dir.filePath("gone/httpd.conf").toStdString());
    try {
        cf.WriteFile();
        QFAIL("no error");
    } catch (const CorvaneError& e) {
        QCOMPARE(e.number(), 0x80040004LL);
        QCOMPARE(e.source(), std::string("Vuvovov.ConfigFile"));
        QCOMPARE(e.description(), std::string("Error while writing to the configuration file"));
    }
    QCOMPARE(readBytes(dir.filePath("httpd.conf")), QByteArray("A 1\r\n"));
    for (int i = 1; i <= cf.GetDirectiveCount(); ++i)
        QVERIFY(!cf.GetDirective(i)->WrittenToFile());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"httpd.conf"}); // no temporary left
}

void TestConfigWriter::lineWithoutScopeFailsWrite()
{
    QTemporaryDir dir;
    ConfigFile cf;
    cf.SetNormalizeLayout(true); // the regenerating writer
    QVERIFY(load(cf, dir.path(), "A 1\r\n"));
    QVERIFY(cf.AddDirective(std::make_unique<Directive>("Orphan 1")));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, cf.WriteFile());
    QCOMPARE(readBytes(dir.filePath("httpd.conf")), QByteArray("A 1\r\n"));
    QVERIFY(!cf.GetDirective(1)->WrittenToFile());
}

void TestConfigWriter::apacheAcceptsRewrite_data()
{
    QTest::addColumn<QByteArray>("body");
    // Each body hides an invalid directive inside a section Apache skips; if
    // the writer moved it out, the syntax check would fail.
    QTest::newRow("false version test")
        << QByteArray("<IfVersion < 2.0>\nNoSuchDirective on\n<Directory /tmp>\n"
                      "AlsoNoSuchDirective\n</Directory>\n</IfVersion>\n");
    QTest::newRow("undefined name") << QByteArray(
        "<IfDefine NEVER_DEFINED>\nNoSuchDirective on\n</IfDefine>\n");
    QTest::newRow("missing module inside a directory")
        << QByteArray("<Directory /tmp>\n<IfModule mod_nonexistent.c>\nNoSuchDirective on\n</IfModule>\n"
                      "<Limit GET>\nRequire all granted\n</Limit>\n</Directory>\n");
    QTest::newRow("tabs continuation and CRLF")
        << QByteArray("<IfVersion >= 2.4>\r\n\t<Directory /tmp>\r\n\t\tOptions \\\r\n\t\t  None\r\n"
                      "\t</Directory>\r\n</IfVersion>\r\n");
}

void TestConfigWriter::apacheAcceptsRewrite()
{
    QFETCH(QByteArray, body);
    const QString apache = QStandardPaths::findExecutable("apache2", {"/usr/sbin", "/usr/local/sbin"});
    if (apache.isEmpty())
        QSKIP("apache2 is not installed");
    QTemporaryDir dir;
    const QByteArray head = "ServerRoot /usr/lib/apache2\n"
                            "LoadModule mpm_event_module modules/mod_mpm_event.so\n"
                            "LoadModule authz_core_module modules/mod_authz_core.so\n"
                            "ServerName localhost\nListen 127.0.0.1:8099\n"
                            "PidFile " +
                            dir.path().toLatin1() +
                            "/httpd.pid\n"
                            "ErrorLog " +
                            dir.path().toLatin1() + "/error.log\n";
    auto check = [&](const QString& file) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(apache, {"-t", "-f", file});
        if (!p.waitForFinished(30000))
            return QByteArray("timeout");
        return p.readAll().trimmed() + " rc=" + QByteArray::number(p.exitCode());
    };
    const QString original = dir.filePath("original.conf");
    QVERIFY(writeBytes(original, head + body));
    QCOMPARE(check(original), QByteArray("Syntax OK rc=0"));
    ConfigFile cf;
    cf.SetNormalizeLayout(true); // the regenerating writer
    QVERIFY(load(cf, dir.path(), head + body));
    QVERIFY(cf.WriteFile());
    QCOMPARE(check(QString::fromStdString(cf.FileName())), QByteArray("Syntax OK rc=0"));
}

void TestConfigWriter::defaultVirtualHostKept_data()
{
    // Virtual hosts inside containers the model does not nest, between
    // others: Apache's default server is the first one of the address, so
    // the rewrite must keep their order.
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("first");
    auto vhost = [](const char* name, const char* extra = "") {
        return QByteArray("<VirtualHost *:8099>\nServerName ") + name + "\n" + extra + "</VirtualHost>\n";
    };
    QTest::newRow("version blocks between hosts")
        << vhost("a.test") + "<IfVersion >= 2.4>\n" + vhost("b.test") + "</IfVersion>\n" + vhost("c.test") +
               "<IfVersion >= 2.4>\n" + vhost("d.test") + "</IfVersion>\n"
        << QByteArray("a.test");
    QTest::newRow("host nested two blocks deep after a simple block")
        << QByteArray("<IfVersion >= 2.0>\nServerTokens Full\n</IfVersion>\n") + vhost("a.test") +
               "<IfVersion >= 2.2>\n<IfFile />\nServerSignature Off\n" + vhost("b.test") +
               "</IfFile>\n</IfVersion>\n"
        << QByteArray("a.test");
    QTest::newRow("block first, simple lines after the hosts")
        << QByteArray("<IfVersion >= 2.4>\n") + vhost("a.test") + "</IfVersion>\n" +
               vhost("b.test",
                     "<Directory /tmp>\n<Limit GET>\nRequire all granted\n</Limit>\n</Directory>\n") +
               "ServerSignature Off\n"
        << QByteArray("a.test");
    // A macro's body is a template: it must stay ahead of the lines using it.
    QTest::newRow("macro defining a host, used after")
        << QByteArray("LoadModule macro_module modules/mod_macro.so\n<Macro Site $name>\n") + vhost("$name") +
               "</Macro>\nUse Site a.test\n<IfVersion >= 2.4>\n" + vhost("b.test") + "</IfVersion>\n"
        << QByteArray("a.test");
    QTest::newRow("inside a module section")
        << QByteArray("<IfModule mpm_event_module>\nServerTokens Full\n") + vhost("a.test") +
               "<IfVersion >= 2.4>\n" + vhost("b.test") + "</IfVersion>\n" + vhost("c.test") + "</IfModule>\n"
        << QByteArray("a.test");
}

void TestConfigWriter::defaultVirtualHostKept()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, first);
    const QString apache = QStandardPaths::findExecutable("apache2", {"/usr/sbin", "/usr/local/sbin"});
    if (apache.isEmpty())
        QSKIP("apache2 is not installed");
    QTemporaryDir dir;
    const QByteArray head = "ServerRoot /usr/lib/apache2\n"
                            "LoadModule mpm_event_module modules/mod_mpm_event.so\n"
                            "LoadModule authz_core_module modules/mod_authz_core.so\n"
                            "ServerName localhost\nListen 127.0.0.1:8099\n"
                            "PidFile " +
                            dir.path().toLatin1() + "/httpd.pid\nErrorLog " + dir.path().toLatin1() +
                            "/error.log\n";
    // The "default server NAME" line of Apache's virtual host dump.
    auto defaultServer = [&](const QString& file) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(apache, {"-t", "-D", "DUMP_VHOSTS", "-f", file});
        if (!p.waitForFinished(30000))
            return QByteArray("timeout");
        const QByteArray out = p.readAll();
        for (const QByteArray& line : out.split('\n')) {
            const QByteArray t = line.trimmed();
            if (t.startsWith("default server "))
                return t.mid(15, t.indexOf(' ', 15) - 15);
        }
        return "no default server in: " + out;
    };
    const QString original = dir.filePath("original.conf");
    QVERIFY(writeBytes(original, head + body));
    QCOMPARE(defaultServer(original), first);

    ConfigFile cf;

    cf.SetNormalizeLayout(true); // the regenerating writer
    QVERIFY(load(cf, dir.path(), head + body));
    const std::string rewrite = cf.WriteToString();
    QVERIFY(cf.WriteFile());
    QCOMPARE(defaultServer(QString::fromStdString(cf.FileName())), first);

    // Reading the rewrite and writing it again changes nothing, and neither
    // does a trip through the snapshot.
    ConfigFile again;
    again.SetNormalizeLayout(true); // the regenerating writer
    QTemporaryDir dir2;
    QVERIFY(load(again, dir2.path(), bytes(rewrite)));
    QCOMPARE(bytes(again.WriteToString()), bytes(rewrite));
    QVERIFY(cf.Serialize());
    ConfigFile restored;
    restored.SetNormalizeLayout(true); // the regenerating writer
    restored.SetFileName(cf.FileName());
    QVERIFY(restored.DeSerialize());
    QCOMPARE(bytes(restored.WriteToString()), bytes(rewrite));
}

QTEST_GUILESS_MAIN(TestConfigWriter)
#include "tst_configwriter.moc"
