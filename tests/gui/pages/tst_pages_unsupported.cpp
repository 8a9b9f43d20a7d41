// The extended properties page: which directives it lists and offers per
// node context, and what add, modify and delete write.
#include "PageFixture.h"

#include "catalogue/DirbaseParser.h"
#include "host/MessageBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace corvane;
using namespace corvane::test;

namespace {

const QByteArray kConf = "ServerRoot \"/etc/httpd\"\n"
                         "ServerTokens OS\n"
                         "HostnameLookups Off\n"
                         "KeepAlive On\n"
                         "MadeUpDirective 5\n"
                         "<VirtualHost *:80>\n"
                         "    ServerName v.example.org\n"
                         "    ServerSignature Off\n"
                         "    AddDefaultCharset UTF-8\n"
                         "</VirtualHost>\n"
                         "<Directory /srv>\n"
                         "    FileETag None\n"
                         "    Options None\n"
                         "</Directory>\n"
                         "<Files \"*.txt\">\n"
                         "    ContentDigest On\n"
                         "</Files>\n"
                         "<IfModule mod_x.c>\n"
                         "    EnableSendfile Off\n"
                         "</IfModule>\n";

QStringList column(QTreeWidget* list, int c)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(c);
    return out;
}

} // namespace

class PagesUnsupported : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;

    int node(const QString& which)
    {
        if (which == "server")
            return -2;
        if (which == "main")
            return -1;
        if (which == "vhost")
            return fx->sectionNo("web", "VirtualHost", "*:80");
        if (which == "dir")
            return fx->sectionNo("web", "Directory", "/srv");
        if (which == "files")
            return fx->sectionNo("web", "Files", "\"*.txt\"");
        return fx->sectionNo("web", "IfModule", "mod_x.c");
    }

    PropertySheet* open(const QString& which, QStringList pages = {"ppgUnSupportedDirectives"})
    {
        return fx->openSheet("web", node(which), pages, which == "files");
    }

    static void choose(PropertySheet* sheet, const QString& module, const QString& directive)
    {
        auto* modules = sheet->findChild<QComboBox*>("cmbModules");
        modules->setCurrentIndex(modules->findText(module));
        auto* list = sheet->findChild<QListWidget*>("lstDirectives");
        const auto found = list->findItems(directive, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        list->setCurrentItem(found.first());
    }

    static void clickRow(PropertySheet* sheet, const QString& directive)
    {
        auto* rows = sheet->findChild<QTreeWidget*>("lstvUnSupported");
        const auto found = rows->findItems(directive, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        rows->setCurrentItem(found.first());
        found.first()->setSelected(true);
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, rows->visualItemRect(found.first()).center());
    }

private slots:
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        fx->addServer("web", kConf, "2.2.22");
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
    }
    void cleanup() { fx.reset(); }

    void listsTheNodesOwnDirectives_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("server") << "server" << QStringList{"ServerTokens", "HostnameLookups"};
        QTest::newRow("main server") << "main" << QStringList{"HostnameLookups"};
        QTest::newRow("virtual host") << "vhost" << QStringList{"ServerSignature", "AddDefaultCharset"};
        QTest::newRow("directory") << "dir" << QStringList{"FileETag"};
        QTest::newRow("files") << "files" << QStringList{"ContentDigest"};
        QTest::newRow("ifmodule") << "ifmodule" << QStringList{"EnableSendfile"};
    }
    void listsTheNodesOwnDirectives()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, rows);
        PropertySheet* sheet = open(node);
        QCOMPARE(sheet->tabCaptions(), QStringList{"Extended Properties"});
        auto* list = sheet->findChild<QTreeWidget*>("lstvUnSupported");
        QCOMPARE(column(list, 0), rows);
        QCOMPARE(column(list, 2).first(), QString("core"));
        sheet->reject();
    }

    // What a context offers: only unsupported entries carrying its flag.
    void offersByContext_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("notOffered");
        QTest::newRow("server: server-only") << "server"
                                             << "ServerTokens"
                                             << "FileETag_none";
        QTest::newRow("main: not server-only") << "main"
                                               << "UseCanonicalName"
                                               << "ServerTokens";
        QTest::newRow("files: directory flag") << "files"
                                               << "FileETag"
                                               << "ServerTokens";
        QTest::newRow("vhost: no supported ones") << "vhost"
                                                  << "ServerSignature"
                                                  << "ServerName";
    }
    void offersByContext()
    {
        QFETCH(QString, node);
        QFETCH(QString, offered);
        QFETCH(QString, notOffered);
        PropertySheet* sheet = open(node);
        auto* modules = sheet->findChild<QComboBox*>("cmbModules");
        QCOMPARE(modules->itemText(0), QString("All"));
        QCOMPARE(modules->currentIndex(), 0);
        auto* list = sheet->findChild<QListWidget*>("lstDirectives");
        QVERIFY(!list->findItems(offered, Qt::MatchExactly).isEmpty());
        QVERIFY(list->findItems(notOffered, Qt::MatchExactly).isEmpty());
        // Every entry offered carries the context's flag and is not supported.
        DirbaseParser catalogue;
        catalogue.setFileName((fx->appDir() + "/Corvane.dll").toStdString());
        catalogue.setNeedNonSupportedDirectives(true);
        catalogue.GetDirectiveList();
        for (int i = 0; i < list->count(); ++i) {
            const xmldirective* e = catalogue.findDirective(list->item(i)->text().toStdString());
            QVERIFY(e);
            QVERIFY(!e->Supported());
            QVERIFY(!list->item(i)->text().startsWith('<'));
            if (node == "files")
                QVERIFY(e->DirectoryScope());
            if (node == "server")
                QVERIFY(e->ServerScope());
        }
        // A module narrows the list to its own directives.
        modules->setCurrentIndex(modules->findText("mod_autoindex"));
        for (int i = 0; i < list->count(); ++i)
            QCOMPARE(QString::fromStdString(
                         catalogue.findDirective(list->item(i)->text().toStdString())->ModuleName()),
                     QString("mod_autoindex"));
        sheet->reject();
    }

    // The choices follow the server's registered version through the catalogue:
    // Error and Define came with 2.4.
    void offersByVersion_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<bool>("offered");
        QTest::newRow("Sample, 2.0.49") << "Sample" << false;
        QTest::newRow("2.2.22") << "web" << false;
        QTest::newRow("2.4.62") << "new" << true;
    }
    void offersByVersion()
    {
        QFETCH(QString, server);
        QFETCH(bool, offered);
        fx->addServer("new", kConf, "2.4.62");
        PropertySheet* sheet = fx->openSheet(server, -1, {"ppgUnSupportedDirectives"});
        auto* list = sheet->findChild<QListWidget*>("lstDirectives");
        QVERIFY(list->count() > 0);
        for (const char* name : {"Error", "Define"})
            QVERIFY2(list->findItems(name, Qt::MatchExactly).isEmpty() != offered, name);
        sheet->reject();
    }

    void choosingShowsTheEntry()
    {
        PropertySheet* sheet = open("main");
        choose(sheet, "core", "UseCanonicalName");
        QVERIFY(!sheet->findChild<QLabel*>("LblDescription")->text().isEmpty());
        QVERIFY(sheet->findChild<QLabel*>("LblSyntax")->text().startsWith("UseCanonicalName"));
        QCOMPARE(sheet->findChild<QLineEdit*>("txtValue")->text(), QString("Off"));
        sheet->reject();
    }

    void edits_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>(
            "steps"); // add:<module>:<directive>:<value> | modify:<row>:<value> | delete:<row>
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("section");
        QTest::newRow("add in main server") << "main" << QStringList{"add:core:UseCanonicalName:On"}
                                            << QStringList{} << QStringList{"UseCanonicalName On"} << "";
        QTest::newRow("add in virtual host")
            << "vhost" << QStringList{"add:All:FileETag:MTime Size"} << QStringList{}
            << QStringList{"FileETag MTime Size"} << "<VirtualHost *:80>";
        QTest::newRow("add twice") << "dir"
                                   << QStringList{"add:core:LimitRequestBody:100",
                                                  "add:core:LimitRequestBody:200"}
                                   << QStringList{}
                                   << QStringList{"LimitRequestBody 100", "LimitRequestBody 200"}
                                   << "<Directory /srv>";
        QTest::newRow("modify") << "main" << QStringList{"modify:HostnameLookups:On"}
                                << QStringList{"HostnameLookups Off"} << QStringList{"HostnameLookups On"}
                                << "";
        QTest::newRow("delete") << "vhost" << QStringList{"delete:ServerSignature"}
                                << QStringList{"ServerSignature Off"} << QStringList{} << "";
        QTest::newRow("delete a row not yet applied")
            << "files" << QStringList{"add:core:FileETag:None", "delete:FileETag"} << QStringList{}
            << QStringList{} << "";
    }
    void edits()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        QFETCH(QString, section);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = open(node);
        auto* value = sheet->findChild<QLineEdit*>("txtValue");
        auto* add = sheet->findChild<QPushButton*>("cmdAdd");
        for (const QString& step : steps) {
            const QStringList p = step.split(':');
            if (p[0] == "add") {
                choose(sheet, p[1], p[2]);
                value->setText(p[3]);
                QTest::mouseClick(add, Qt::LeftButton);
            } else if (p[0] == "modify") {
                clickRow(sheet, p[1]);
                QCOMPARE(add->text(), QString("Modify"));
                value->setText(p[2]);
                QTest::mouseClick(add, Qt::LeftButton);
            } else {
                clickRow(sheet, p[1]);
                QTest::mouseClick(sheet->findChild<QPushButton*>("cmdDelete"), Qt::LeftButton);
            }
        }
        sheet->apply();
        QStringList after = fx->lines("web");
        QCOMPARE(PageFixture::removedLines(before, after), removed);
        QCOMPARE(PageFixture::addedLines(before, after), added);
        for (const QString& line : added)
            QCOMPARE(PageFixture::enclosingSection(after, line), section);
        // A second Apply changes nothing more: added rows now carry their numbers.
        sheet->apply();
        QCOMPARE(fx->lines("web"), after);
        // This page does not ask the console to refresh.
        QVERIFY(fx->notifications().isEmpty());
        sheet->reject();
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("chooseDirective");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty value") << true << ""
                                     << "Please enter the value for the parameter";
        QTest::newRow("no directive") << false << "x"
                                      << "Please select a module and directive";
        QTest::newRow("unclosed quote") << true << "\"/srv/a b"
                                        << "The value has a double quote that is not closed";
    }
    void refusals()
    {
        QFETCH(bool, chooseDirective);
        QFETCH(QString, value);
        QFETCH(QString, message);
        PropertySheet* sheet = open("main");
        if (chooseDirective)
            choose(sheet, "core", "UseCanonicalName");
        sheet->findChild<QLineEdit*>("txtValue")->setText(value);
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdAdd"), Qt::LeftButton);
        QCOMPARE(MessageBox::lastText(), message);
        QCOMPARE(sheet->findChild<QTreeWidget*>("lstvUnSupported")->topLevelItemCount(), 1);
        sheet->reject();
    }

    void pagesOfOneSheetKeepEachOthersChanges()
    {
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = open("main", {"ppgServerSettings", "ppgUnSupportedDirectives"});
        sheet->findChild<QLineEdit*>("txtServerName")->setText("main.example.org");
        choose(sheet, "core", "UseCanonicalName");
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdAdd"), Qt::LeftButton);
        sheet->accept();
        QCOMPARE(PageFixture::addedLines(before, fx->lines("web")),
                 (QStringList{"ServerName main.example.org", "UseCanonicalName Off"}));
    }

    void screenshots()
    {
        PropertySheet* sheet = open("vhost");
        choose(sheet, "core", "FileETag");
        QVERIFY(PageFixture::screenshot(sheet, "ppgUnSupportedDirectives"));
        sheet->reject();
    }
};

QTEST_MAIN(PagesUnsupported)
#include "tst_pages_unsupported.moc"
