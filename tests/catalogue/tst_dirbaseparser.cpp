// Reading the catalogue: field rules, the merging of short entries, the
// supported filter, lookups and the version test.
#include "CatalogueXml.h"
#include "catalogue/DirbaseParser.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace cataloguetest;

class TestDirbaseParser : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_appDir;

    // Writes Corvane.dll into the application folder and loads it the way
    // the console does (supported entries only) or with every entry.
    DirbaseParser load(const QByteArray& xml, bool everything = false)
    {
        const QString path = m_appDir.path() + "/Corvane.dll";
        if (!writeFile(path, xml))
            qFatal("cannot write %s", qPrintable(path));
        if (!everything)
            return DirbaseParser(m_appDir.path().toStdString());
        DirbaseParser parser;
        parser.setFileName(path.toStdString());
        parser.setNeedNonSupportedDirectives(true);
        parser.GetDirectiveList();
        return parser;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_appDir.isValid());
    }

    void fieldRules_data()
    {
        QTest::addColumn<QByteArray>("element");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("expected");

        QTest::newRow("directory yes") << QByteArray("Directive_Context_Directory") << QByteArray("yes")
                                       << "DirectoryScope" << "true";
        QTest::newRow("directory Yes. with period") << QByteArray("Directive_Context_Directory") << QByteArray("Yes.")
                                                    << "DirectoryScope" << "false";
        QTest::newRow("server blanks around YES") << QByteArray("Directive_Context_ServerConfig")
                                                  << QByteArray("  YES ") << "ServerScope" << "true";
        QTest::newRow("vhost No") << QByteArray("Directive_Context_VirtualHost") << QByteArray("No")
                                  << "VirtualHostScope" << "false";
        QTest::newRow("main tab is not a blank") << QByteArray("Directive_Context_MainConfig") << QByteArray("\tyes")
                                                 << "MainServerScope" << "false";
        QTest::newRow("module trimmed") << QByteArray("Module_Name") << QByteArray("  mod_alias  ") << "ModuleName"
                                        << "mod_alias";
        QTest::newRow("syntax as is") << QByteArray("Directive_Syntax") << QByteArray(" Alias  a b ") << "Syntax"
                                      << " Alias  a b ";
        QTest::newRow("default as is") << QByteArray("Directive_Default") << QByteArray("On ") << "DefaultValue"
                                       << "On ";
        QTest::newRow("entity decoded") << QByteArray("Directive_Values") << QByteArray("a &amp; &lt;b&gt;")
                                        << "Values" << "a & <b>";
        QTest::newRow("nested markup concatenated") << QByteArray("Directive_Description")
                                                    << QByteArray("one <b>two</b> three") << "Description"
                                                    << "one two three";
    }

    void fieldRules()
    {
        QFETCH(QByteArray, element);
        QFETCH(QByteArray, text);
        QFETCH(QString, property);
        QFETCH(QString, expected);

        Entry e;
        e.name = "Probe";
        QByteArray xml = info(e);
        // Replace the one field under test.
        const QByteArray open = "<" + element + ">";
        const qsizetype from = xml.indexOf(open);
        const qsizetype to = xml.indexOf("</" + element + ">");
        QVERIFY(from >= 0 && to > from);
        xml.replace(from + open.size(), to - from - open.size(), text);

        const DirbaseParser parser = load(document(xml), true);
        QCOMPARE(parser.GetAllDirectives().Count(), 1);
        const xmldirective& d = *parser.GetAllDirectives().Item(1);
        const QMap<QString, QString> actual{
            {"DirectoryScope", d.DirectoryScope() ? "true" : "false"},
            {"ServerScope", d.ServerScope() ? "true" : "false"},
            {"VirtualHostScope", d.VirtualHostScope() ? "true" : "false"},
            {"MainServerScope", d.MainServerScope() ? "true" : "false"},
            {"ModuleName", QString::fromStdString(d.ModuleName())},
            {"Syntax", QString::fromStdString(d.Syntax())},
            {"DefaultValue", QString::fromStdString(d.DefaultValue())},
            {"Values", QString::fromStdString(d.Values())},
            {"Description", QString::fromStdString(d.Description())},
        };
        QCOMPARE(actual.value(property), expected);
    }

    void supportedFilter_data()
    {
        QTest::addColumn<QByteArray>("supportedText");
        QTest::addColumn<bool>("loadedByDefault");
        QTest::addColumn<bool>("supportedFlag");

        QTest::newRow("True") << QByteArray("True") << true << true;
        QTest::newRow("lower true") << QByteArray("true") << true << true;
        QTest::newRow("FALSE") << QByteArray("FALSE") << false << false;
        QTest::newRow("blanks: loaded, flag false") << QByteArray(" TRUE ") << true << false;
        QTest::newRow("yes is not true") << QByteArray("Yes") << false << false;
        QTest::newRow("empty") << QByteArray("") << false << false;
    }

    void supportedFilter()
    {
        QFETCH(QByteArray, supportedText);
        QFETCH(bool, loadedByDefault);
        QFETCH(bool, supportedFlag);

        Entry probe;
        probe.name = "Probe";
        probe.supported = supportedText;
        Entry after;
        after.name = "After";
        const QByteArray xml = document(info(probe) + info(after));

        const DirbaseParser console = load(xml);
        QCOMPARE(console.GetAllDirectives().Count(), loadedByDefault ? 2 : 1);
        QCOMPARE(console.findDirective("Probe") != nullptr, loadedByDefault);
        // The entry after a dropped one keeps only its own values.
        QVERIFY(console.findDirective("After"));
        QCOMPARE(console.findDirective("After")->Description(), std::string("d"));

        const DirbaseParser everything = load(xml, true);
        QCOMPARE(everything.GetAllDirectives().Count(), 2);
        QCOMPARE(everything.findDirective("Probe")->Supported(), supportedFlag);
    }

    void unsupportedEntryDoesNotLeakIntoNext()
    {
        Entry dropped;
        dropped.name = "Dropped";
        dropped.supported = "FALSE";
        dropped.versions = "1.3.33";
        dropped.syntax = "Dropped x";
        Entry kept;
        kept.name = "Kept";
        kept.versions = "2.0.49";
        const DirbaseParser parser = load(document(info(dropped) + info(kept)));
        QCOMPARE(parser.GetAllDirectives().Count(), 1);
        const xmldirective* d = parser.findDirective("Kept");
        QVERIFY(d);
        QCOMPARE(d->Version(), std::string("2.0.49"));
        QCOMPARE(d->Syntax(), std::string());
        QVERIFY(!parser.findDirective("Dropped"));
    }

    void shortEntryMergesWithNext()
    {
        // Five fields only: they are completed by the fields of the next
        // Directive_Info, whose own values overwrite where they repeat.
        const QByteArray shortInfo = "<Directive_Info>" + field("Directive_Name", "First") +
                                     field("Directive_Syntax", "First x") + field("Directive_Default", "one") +
                                     field("Module_Name", "mod_first") + field("Directive_Values", "v1") +
                                     "</Directive_Info>";
        Entry next;
        next.name = "Second";
        next.module = "mod_second";
        Entry third;
        third.name = "Third";
        const DirbaseParser parser = load(document(shortInfo + info(next) + info(third)), true);

        // 5 + 7 fields of the next entry make one entry; the remaining five
        // fields of "Second" begin the next one, which the fields of "Third"
        // complete: the name of that entry is Third's.
        QCOMPARE(parser.GetAllDirectives().Count(), 2);
        const xmldirective* merged = parser.GetAllDirectives().Item(1);
        QCOMPARE(merged->Name(), std::string("Second"));
        QCOMPARE(merged->ModuleName(), std::string("mod_second"));
        QCOMPARE(merged->Syntax(), std::string("First x"));
        QCOMPARE(merged->DefaultValue(), std::string("one"));
        QCOMPARE(merged->Values(), std::string("v1"));
        QCOMPARE(parser.GetAllDirectives().Item(2)->Name(), std::string("Third"));
    }

    void elementsFoundAnywhere()
    {
        // Field elements are found by base name at any depth, with or
        // without a namespace prefix; unknown elements are walked through.
        Entry e;
        e.name = "Deep";
        QByteArray xml = "<?xml version=\"1.0\"?><c:Root xmlns:c=\"urn:x\"><Group><Other>ignored</Other>" +
                         info(e).replace("<Directive_Name>", "<c:Directive_Name>")
                             .replace("</Directive_Name>", "</c:Directive_Name>") +
                         "</Group></c:Root>";
        const DirbaseParser parser = load(xml, true);
        QCOMPARE(parser.GetAllDirectives().Count(), 1);
        QCOMPARE(parser.GetAllDirectives().Item(1)->Name(), std::string("Deep"));
    }

    void brokenCatalogueIsEmpty_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("writeFile");
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("empty file") << QByteArray() << true;
        QTest::newRow("not well-formed") << QByteArray("<Catalogue><Directive_Info><Directive_Name>ServerRoot")
                                         << true;
        QTest::newRow("mismatched tags") << QByteArray("<a><Directive_Name>x</b></a>") << true;
        QTest::newRow("binary") << QByteArray("\x00\x01\x02\xff", 4) << true;
    }

    void brokenCatalogueIsEmpty()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, writeFile);
        QTemporaryDir dir;
        if (writeFile)
            QVERIFY(cataloguetest::writeFile(dir.path() + "/Corvane.dll", bytes));
        const DirbaseParser parser(dir.path().toStdString());
        QCOMPARE(parser.GetAllDirectives().Count(), 0);
        QVERIFY(parser.VersionCompatibility("ServerRoot", "2.0.49", false));
        QVERIFY(parser.VersionCompatibility("Anything", "", false));
        QCOMPARE(parser.DirectiveDescription("ServerRoot"), std::string());
        std::string name = "ServerRoot";
        QVERIFY(!parser.GetDirective(name));
    }

    void reloadReplacesCatalogue()
    {
        Entry a;
        a.name = "Alpha";
        DirbaseParser parser = load(document(info(a)));
        QVERIFY(parser.findDirective("Alpha"));
        Entry b;
        b.name = "Beta";
        QVERIFY(writeFile(m_appDir.path() + "/Corvane.dll", document(info(b))));
        parser.GetDirectiveList();
        QVERIFY(!parser.findDirective("Alpha"));
        QVERIFY(parser.findDirective("Beta"));
        // Setting the file name alone does not reload.
        parser.setFileName((m_appDir.path() + "/none.xml").toStdString());
        QVERIFY(parser.findDirective("Beta"));
    }

    void lookups()
    {
        Entry first;
        first.name = "ServerRoot";
        first.description = "first";
        Entry second;
        second.name = "SERVERROOT";
        second.description = "second";
        const DirbaseParser parser = load(document(info(first) + info(second)));

        std::string name = "  serverroot  ";
        const xmldirective* d = parser.GetDirective(name);
        QVERIFY(d);
        QCOMPARE(d->Name(), std::string("ServerRoot"));
        QCOMPARE(name, std::string("SERVERROOT"));
        QCOMPARE(parser.DirectiveDescription(" ServerRoot"), std::string("first"));
        QCOMPARE(parser.DirectiveDescription("DocumentRoot"), std::string());
        std::string tabbed = "\tServerRoot";
        QVERIFY(!parser.GetDirective(tabbed)); // only blanks are trimmed
    }

    void versionCompatibility_data()
    {
        QTest::addColumn<QByteArray>("versions");
        QTest::addColumn<QString>("directive");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("temp");
        QTest::addColumn<bool>("expected");

        const QByteArray list = "1.3.33|2.0.49";
        QTest::newRow("listed") << list << "Probe" << "2.0.49" << false << true;
        QTest::newRow("listed first") << list << "Probe" << "1.3.33" << false << true;
        QTest::newRow("version with blanks") << list << "Probe" << "  2.0.49 " << false << true;
        QTest::newRow("name with blanks, other case") << list << " pRoBe " << "2.0.49" << false << true;
        QTest::newRow("not listed") << list << "Probe" << "2.0.52" << false << false;
        QTest::newRow("not listed, temp") << list << "Probe" << "2.0.52" << true << true;
        QTest::newRow("branch is not a release") << list << "Probe" << "2.0" << false << false;
        QTest::newRow("prefix is not a match") << list << "Probe" << "2.0.4" << false << false;
        QTest::newRow("empty version") << list << "Probe" << "" << false << false;
        QTest::newRow("blanks around pieces") << QByteArray(" 1.3.33 | 2.0.49 ") << "Probe" << "2.0.49" << false
                                              << true;
        QTest::newRow("empty list means every version") << QByteArray("") << "Probe" << "9.9" << false << true;
        QTest::newRow("blank list means every version") << QByteArray("   ") << "Probe" << "9.9" << false << true;
        QTest::newRow("unknown directive") << list << "Nothing" << "2.0.52" << false << true;
        QTest::newRow("case-sensitive version") << QByteArray("2.0.49-dev") << "Probe" << "2.0.49-DEV" << false
                                                << false;
        QTest::newRow("empty piece matches empty version") << QByteArray("2.0.49||") << "Probe" << " " << false
                                                           << true;
    }

    void versionCompatibility()
    {
        QFETCH(QByteArray, versions);
        QFETCH(QString, directive);
        QFETCH(QString, version);
        QFETCH(bool, temp);
        QFETCH(bool, expected);
        Entry e;
        e.name = "Probe";
        e.versions = versions;
        const DirbaseParser parser = load(document(info(e)));
        QCOMPARE(parser.VersionCompatibility(directive.toStdString(), version.toStdString(), temp), expected);
    }

    void collection()
    {
        XMLDirectives list;
        xmldirective a;
        a.setName("A");
        xmldirective b;
        b.setName("B");
        list.Add(a);
        list.Add(b);
        QCOMPARE(list.Count(), 2);
        QVERIFY(!list.Item(0));
        QVERIFY(!list.Item(3));
        QCOMPARE(list.Item(2)->Name(), std::string("B"));
        QVERIFY(!list.Remove(3));
        QVERIFY(list.Remove(1));
        QCOMPARE(list.Item(1)->Name(), std::string("B"));
        list.Clear();
        QCOMPARE(list.Count(), 0);
        const xmldirective fresh;
        QVERIFY(fresh.Name().empty() && !fresh.Supported() && !fresh.ServerScope() && !fresh.DirectoryScope());
    }
};

QTEST_GUILESS_MAIN(TestDirbaseParser)
#include "tst_dirbaseparser.moc"
