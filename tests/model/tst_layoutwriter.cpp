// The layout-keeping writer: every edit changes exactly the lines it concerns,
// directly on a model read from the file and on one loaded from the snapshot.
#include "ModelTestUtil.h"
#include "model/ConfigFile.h"
#include "model/CorvaneError.h"
#include "model/EditSession.h"

#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace modeltest;

namespace {

// One edit, as the pages, dialogs and node commands make them.
struct Edit
{
    QString op;
    int scope;
    QString name;
    QString value;
};

bool apply(ConfigFile& cf, const Edit& e)
{
    const std::string name = e.name.toStdString();
    const std::string value = e.value.toStdString();
    if (e.op == "set")
        return cf.UpdateDirective(name, value, e.scope) == 1;
    if (e.op == "add")
        return cf.SaveAsNewDirective(name, value, e.scope) == 1;
    if (e.op == "delete")
        return cf.DeleteDirective(cf.FindSubDirective(name, e.scope)->DirectiveNo());
    if (e.op == "list") { // rows separated by '|', saved as the list pages do
        ListRows rows;
        for (const QString& r : e.value.split('|', Qt::SkipEmptyParts))
            rows.push_back({r.toStdString()});
        cf.DeleteAllMatchingSubDirectives(name, e.scope);
        return cf.SaveDirectivesFromListView(&rows, name, e.scope);
    }
    if (e.op == "section") { // a new section: head, content lines, end
        auto head = std::make_unique<Directive>("<" + name + " " + value + ">");
        head->SetParentDirective(e.scope == -1 ? cf.GetServerDirective() : cf.FindDirective(e.scope));
        Directive* h = head.get();
        cf.AddDirective(std::move(head));
        auto inner = std::make_unique<Directive>("Options None");
        inner->SetParentDirective(h);
        cf.AddDirective(std::move(inner));
        auto end = std::make_unique<Directive>("</" + name + ">");
        end->SetParentDirective(h);
        return cf.AddDirective(std::move(end));
    }
    if (e.op == "dropsection")
        return cf.DeleteDirective(e.scope);
    if (e.op == "rename")
        return cf.UpdateScopeDirectiveParameterList(value, e.scope) == 1;
    return false;
}

const QByteArray kHosts = "# Global\n"
                          "ServerRoot \"/etc/apache2\"\n"
                          "Timeout 300\n"
                          "\n"
                          "<Directory />\n"
                          "\tOptions FollowSymLinks\n"
                          "\tAllowOverride None\n"
                          "</Directory>\n"
                          "\n"
                          "# The company web site.\n"
                          "<VirtualHost *:80>\n"
                          "    ServerName www.example.com\n"
                          "    ServerAlias example.com \\\n"
                          "                www2.example.com\n"
                          "    <Directory /var/www>\n"
                          "        Require all granted\n"
                          "    </Directory>\n"
                          "</VirtualHost>\n"
                          "<IfVersion >= 2.4>\n"
                          "    Mutex file:/var/lock default\n"
                          "</IfVersion>\n"
                          "# end\n";
// Numbers: 1 comment, 2 ServerRoot, 3 Timeout, 4 <Directory />, 5, 6, 7 end,
// 8 comment, 9 <VirtualHost>, 10 ServerName, 11 ServerAlias, 12 <Directory>,
// 13 Require, 14 end, 15 </VirtualHost>, 16 <IfVersion>, 17 Mutex, 18 end, 19 # end.

QByteArray replaced(QByteArray text, const QByteArray& from, const QByteArray& to)
{
    const qsizetype at = text.indexOf(from);
    return at < 0 ? QByteArray("<not found>") : text.replace(at, from.size(), to);
}

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestLayoutWriter : public QObject
{
    Q_OBJECT
private slots:
    void edits_data();
    void edits();
    void untouchedFilesKeepTheirBytes_data();
    void untouchedFilesKeepTheirBytes();
    void changedWorkingCopyIsNotOverwritten();
    void refusedValuesWriteNothing_data();
    void refusedValuesWriteNothing();
    void normalizedWriteStaysAvailable();
};

void TestLayoutWriter::edits_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("main server value")
        << kHosts << Edit{"set", -1, "Timeout", "301"} << replaced(kHosts, "Timeout 300", "Timeout 301");
    QTest::newRow("tab-indented value keeps its tab")
        << kHosts << Edit{"set", 4, "AllowOverride", "All"}
        << replaced(kHosts, "\tAllowOverride None", "\tAllowOverride All");
    QTest::newRow("continued line becomes one line")
        << kHosts << Edit{"set", 9, "ServerAlias", "example.com"}
        << replaced(kHosts, "    ServerAlias example.com \\\n                www2.example.com\n",
                    "    ServerAlias example.com\n");
    QTest::newRow("delete takes the continuation lines")
        << kHosts << Edit{"delete", 9, "ServerAlias", ""}
        << replaced(kHosts, "    ServerAlias example.com \\\n                www2.example.com\n", "");
    QTest::newRow("nested directory value")
        << kHosts << Edit{"set", 12, "Require", "all denied"}
        << replaced(kHosts, "        Require all granted", "        Require all denied");
    QTest::newRow("new main-server line after the last top-level one, not in a block")
        << kHosts << Edit{"set", -1, "KeepAlive", "On"}
        << replaced(kHosts, "Timeout 300\n", "Timeout 300\nKeepAlive On\n");
    QTest::newRow("new host line indented like its neighbour")
        << kHosts << Edit{"add", 9, "ServerAdmin", "ops@example.com"}
        << replaced(kHosts, "                www2.example.com\n",
                    "                www2.example.com\n    ServerAdmin ops@example.com\n");
    QTest::newRow("first line of a scope: head indentation plus the file's step")
        << QByteArray(
               "<VirtualHost *:80>\n    ServerName a\n    <Location /x>\n    </Location>\n</VirtualHost>\n")
        << Edit{"add", 3, "SetHandler", "none"}
        << QByteArray("<VirtualHost *:80>\n    ServerName a\n    <Location /x>\n        SetHandler none\n    "
                      "</Location>\n</VirtualHost>\n");
    QTest::newRow("tab step")
        << QByteArray("<Directory /a>\n\tOptions None\n</Directory>\n<Directory /b>\n</Directory>\n")
        << Edit{"add", 4, "Require", "all granted"}
        << QByteArray("<Directory /a>\n\tOptions None\n</Directory>\n<Directory /b>\n\tRequire all "
                      "granted\n</Directory>\n");
    QTest::newRow("list saved back keeps its place and its unchanged rows")
        << QByteArray("A 1\nDirectoryIndex  index.html\nB 2\n  DirectoryIndex\tindex.php\nC 3\n")
        << Edit{"list", -1, "DirectoryIndex", "index.html|index.php|default.htm"}
        << QByteArray("A 1\nDirectoryIndex  index.html\n  DirectoryIndex\tindex.php\nDirectoryIndex "
                      "default.htm\nB 2\nC 3\n");
    QTest::newRow("list row changed in place")
        << QByteArray("A 1\n  AddType a/b .x\nB 2\n") << Edit{"list", -1, "AddType", "c/d .y"}
        << QByteArray("A 1\n  AddType c/d .y\nB 2\n");
    QTest::newRow("new section before its parent's end")
        << kHosts << Edit{"section", 9, "Location", "/status"}
        << replaced(kHosts, "    </Directory>\n</VirtualHost>\n",
                    "    </Directory>\n    <Location /status>\n        Options None\n    </Location>\n"
                    "</VirtualHost>\n");
    QTest::newRow("new main-server section at the end")
        << kHosts << Edit{"section", -1, "VirtualHost", "*:8080"}
        << kHosts + "<VirtualHost *:8080>\n    Options None\n</VirtualHost>\n";
    QTest::newRow("deleted section goes from head to end, blank lines inside too")
        << QByteArray(
               "A 1\n\n<VirtualHost *>\n  X 1\n\n  <Directory /d>\n  </Directory>\n</VirtualHost>\n\nB 2\n")
        << Edit{"dropsection", 2, "", ""} << QByteArray("A 1\n\n\nB 2\n");
    QTest::newRow("renamed head keeps its indentation")
        << kHosts << Edit{"rename", 12, "", "/srv/www"}
        << replaced(kHosts, "    <Directory /var/www>", "    <Directory /srv/www>");
    QTest::newRow("CR LF file") << QByteArray("A 1\r\n\r\nB 2\r\n") << Edit{"set", -1, "C", "3"}
                                << QByteArray("A 1\r\n\r\nB 2\r\nC 3\r\n");
    QTest::newRow("mixed ends: the new line takes the most common")
        << QByteArray("A 1\r\nB 2\nC 3\nD 4\r\n\n") << Edit{"set", -1, "B", "5"}
        << QByteArray("A 1\r\nB 5\nC 3\nD 4\r\n\n");
    QTest::newRow("CR only") << QByteArray("A 1\rB 2\r") << Edit{"set", -1, "E", "1"}
                             << QByteArray("A 1\rB 2\rE 1\r");
    QTest::newRow("no final line end")
        << QByteArray("A 1\nB 2") << Edit{"set", -1, "C", "3"} << QByteArray("A 1\nB 2\nC 3\n");
    QTest::newRow("last line changed without a line end")
        << QByteArray("A 1\nB 2") << Edit{"set", -1, "B", "3"} << QByteArray("A 1\nB 3");
    QTest::newRow("other bytes and spacing untouched")
        << QByteArray("ServerAdmin r\xe9my@ex\xc3\xa9.org  \n#\tcomment\twith tabs\nB   2\n")
        << Edit{"set", -1, "B", "3"}
        << QByteArray("ServerAdmin r\xe9my@ex\xc3\xa9.org  \n#\tcomment\twith tabs\nB 3\n");
    const QByteArray longLine = "Header set X " + QByteArray(70000, 'v') + "\n";
    QTest::newRow("line over 64 KiB") << "A 1\n" + longLine + "B 2\n"
                                      << Edit{"set", -1, "A", "2"} << "A 2\n" + longLine + "B 2\n";
}

void TestLayoutWriter::edits()
{
    QFETCH(QByteArray, input);
    QFETCH(Edit, edit);
    QFETCH(QByteArray, expected);
    // Directly on the model read from the file ...
    {
        QTemporaryDir dir;
        ConfigFile cf;
        QVERIFY(load(cf, dir.path(), input));
        QVERIFY(apply(cf, edit));
        QVERIFY(cf.WriteFile());
        QCOMPARE(readBytes(dir.filePath("httpd.conf")), expected);
    }
    // ... and as the console, pages and dialogs do it: through the snapshot.
    {
        QTemporaryDir dir;
        ConfigFile loader;
        QVERIFY(load(loader, dir.path(), input));
        QVERIFY(loader.Serialize());
        ConfigFile page;
        page.SetFileName(loader.FileName());
        const EditOutcome out =
            commitEdit(page, [&](ConfigFile& cf, std::string&) { return apply(cf, edit); });
        QCOMPARE(out.status, EditOutcome::Written);
        QCOMPARE(readBytes(dir.filePath("httpd.conf")), expected);
        // A second change starts from what the first one left.
        ConfigFile next;
        next.SetFileName(loader.FileName());
        QCOMPARE(commitEdit(next, [](ConfigFile&, std::string&) { return true; }).status,
                 EditOutcome::Unchanged);
        QCOMPARE(readBytes(dir.filePath("httpd.conf")), expected);
    }
}

void TestLayoutWriter::untouchedFilesKeepTheirBytes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("hosts") << kHosts;
    QTest::newRow("stray end and unclosed head") << QByteArray("</Directory>\n<Directory /x>\n  A 1\n");
    QTest::newRow("continuation at the end") << QByteArray("A 1\nB \\\n");
    QTest::newRow("blank lines only") << QByteArray("\n \t\n\r\n");
    QTest::newRow("NUL and high bytes") << QByteArray("A \0\xff 1\n", 7);
    QTest::newRow("LF inside CR lines") << QByteArray(" a \n b \r\n");
}

void TestLayoutWriter::untouchedFilesKeepTheirBytes()
{
    QFETCH(QByteArray, input);
    QTemporaryDir dir;
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), input));
    QCOMPARE(readBytes(dir.filePath("httpd.conf")), input); // reading changed nothing
    QCOMPARE(bytes(cf.WriteToString()), input);
    QVERIFY(cf.Serialize());
    ConfigFile back;
    back.SetFileName(cf.FileName());
    QVERIFY(back.DeSerialize());
    bool changed = true;
    QVERIFY(back.WriteFile(&changed));
    QVERIFY(!changed);
    QCOMPARE(readBytes(dir.filePath("httpd.conf")), input);
}

void TestLayoutWriter::changedWorkingCopyIsNotOverwritten()
{
    // The administrator changed the working copy by hand after the console
    // loaded it: a page's change must not overwrite it.
    QTemporaryDir dir;
    ConfigFile loader;
    QVERIFY(load(loader, dir.path(), kHosts));
    QVERIFY(loader.Serialize());
    const QByteArray byHand = replaced(kHosts, "Timeout 300", "Timeout 10");
    QVERIFY(writeBytes(dir.filePath("httpd.conf"), byHand));
    ConfigFile page;
    page.SetFileName(loader.FileName());
    const EditOutcome out = commitEdit(
        page, [](ConfigFile& cf, std::string&) { return cf.UpdateDirective("KeepAlive", "Off", -1) == 1; });
    QCOMPARE(out.status, EditOutcome::Failed);
    QCOMPARE(readBytes(dir.filePath("httpd.conf")), byHand);
}

void TestLayoutWriter::refusedValuesWriteNothing_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("line feed") << "/www\nInclude /etc/shadow";
    QTest::newRow("carriage return") << "/www\rX";
    QTest::newRow("trailing backslash") << "C:\\www\\";
    QTest::newRow("NUL") << QString::fromLatin1("a\0b", 3);
}

void TestLayoutWriter::refusedValuesWriteNothing()
{
    QFETCH(QString, value);
    QTemporaryDir dir;
    ConfigFile loader;
    QVERIFY(load(loader, dir.path(), kHosts));
    QVERIFY(loader.Serialize());
    ConfigFile page;
    page.SetFileName(loader.FileName());
    const std::string v = value.toStdString();
    // The caller does not look at the result, as a page saving many values does.
    const EditOutcome out = commitEdit(page, [&](ConfigFile& cf, std::string&) {
        cf.UpdateDirective("ServerAdmin", "ops@example.org", -1);
        cf.UpdateDirective("DocumentRoot", v, 9);
        return true;
    });
    QCOMPARE(out.status, EditOutcome::Refused);
    QVERIFY(out.message.find("cannot be written") != std::string::npos);
    QCOMPARE(readBytes(dir.filePath("httpd.conf")), kHosts);
}

void TestLayoutWriter::normalizedWriteStaysAvailable()
{
    // A normalized write, then a layout-keeping one from its snapshot.
    QTemporaryDir dir;
    ConfigFile cf;
    QVERIFY(load(cf, dir.path(), kHosts));
    cf.SetNormalizeLayout(true);
    QVERIFY(cf.WriteFile());
    const QByteArray normalized = readBytes(dir.filePath("httpd.conf"));
    QVERIFY(normalized.contains("    \r\n<VirtualHost *:80>\r\nServerName www.example.com\r\n"));
    QVERIFY(cf.Serialize());
    ConfigFile page;
    page.SetFileName(cf.FileName());
    QCOMPARE(commitEdit(
                 page, [](ConfigFile& c, std::string&) { return c.UpdateDirective("Timeout", "5", -1) == 1; })
                 .status,
             EditOutcome::Written);
    QCOMPARE(readBytes(dir.filePath("httpd.conf")), replaced(normalized, "Timeout 300", "Timeout 5"));
}

QTEST_GUILESS_MAIN(TestLayoutWriter)
#include "tst_layoutwriter.moc"
