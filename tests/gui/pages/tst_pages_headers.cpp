// The custom errors, HTTP headers, ISAPI and MIME map pages and the MIME,
// header and expiry dialogs: what they show of a file, what each edit
// writes (only its own lines, in the node's scope), what Cancel and bad
// input leave alone, and that the real Apache still takes the result.
#include "DirPageActions.h"
#include "PageFixture.h"

#include "dialogs/frmHTTPHeaders.h"
#include "host/MessageBox.h"
#include "host/PropertySheet.h"
#include "pages/ppgCustomErrors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

QByteArray config(const QString& dir)
{
    QByteArray c = "ServerRoot \"@D\"\n"
                   "DefaultRuntimeDir \"@D\"\n"
                   "PidFile \"@D/apache.pid\"\n"
                   "ErrorLog \"@D/error.log\"\n"
                   "ServerName localhost\n";
    for (const char* m : {"mpm_event", "authz_core", "mime", "headers", "expires", "filter", "include"})
        c += QByteArray("LoadModule ") + m + "_module /usr/lib/apache2/modules/mod_" + m + ".so\n";
    c += "Listen 127.0.0.1:8099\n"
         "TypesConfig /etc/mime.types\n"
         "AddType text/plain .conf   .ini\n"
         "ErrorDocument 404 /missing.html\n"
         "Header always set X-Frame-Options \"SAMEORIGIN\"\n"
         "Header unset X-Powered-By\n"
         "Header set X-Team \"web ops\"\n"
         "<VirtualHost 127.0.0.1:8099>\n"
         "    ServerName shop.example.org\n"
         "    ErrorDocument 500 \"Sorry, we broke it\"\n"
         "    ExpiresActive On\n"
         "    ExpiresDefault \"access plus 1 week\"\n"
         "    ExpiresByType text/css A3600\n"
         "</VirtualHost>\n"
         "<Directory \"@D\">\n"
         "    AddHandler cgi-script .cgi\n"
         "</Directory>\n"
         "<Location /files>\n"
         "    Require all granted\n"
         "</Location>\n";
    return c.replace("@D", dir.toUtf8());
}

// Answers the next entry dialog with this objectName: fields by objectName
// ("CmbType=File"), then OK.
void answerEntry(PageFixture& fx, const QString& name, const QStringList& fields)
{
    fx.whenShown(name, [fields](QDialog* d) {
        for (const QString& f : fields)
            QVERIFY2(applyAction(d, f), qPrintable(f));
        QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        if (d->isVisible()) // refused: leave the dialog
            QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
    });
}

QStringList rowsOf(const QTreeWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells << list->topLevelItem(i)->text(c);
        rows << cells.join('|');
    }
    return rows;
}

bool selectFirstColumn(QTreeWidget* list, const QString& text)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0) == text) {
            list->clearSelection();
            list->setCurrentItem(list->topLevelItem(i));
            list->topLevelItem(i)->setSelected(true);
            return true;
        }
    }
    return false;
}

} // namespace

class PagesHeaders : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;
    QTemporaryDir run;
    QString apache;

    int node(const QString& which)
    {
        if (which == "main")
            return -1;
        if (which == "server")
            return -2;
        if (which == "vhost")
            return fx->sectionNo("web", "VirtualHost", "127.0.0.1:8099");
        if (which == "files")
            return fx->sectionNo("web", "Location", "/files");
        return fx->sectionNo("web", "Directory", '"' + run.path() + '"');
    }

    // Lines removed and added by the edit, each as "section: line".
    void checkChange(const QStringList& before, const QStringList& removed, const QStringList& added,
                     const QString& section)
    {
        const QStringList after = fx->lines("web");
        QCOMPARE(PageFixture::removedLines(before, after), removed);
        QCOMPARE(PageFixture::addedLines(before, after), added);
        for (const QString& a : added)
            QCOMPARE(PageFixture::enclosingSection(after, a), section);
    }

    void checkApache()
    {
        if (apache.isEmpty())
            return;
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(apache, {"-t", "-f", fx->workingCopy("web")});
        QVERIFY(p.waitForFinished(30000));
        QVERIFY2(p.exitCode() == 0, p.readAll().constData());
    }

    QString sectionOf(const QString& which)
    {
        if (which == "vhost")
            return "<VirtualHost 127.0.0.1:8099>";
        if (which == "dir")
            return "<Directory \"" + run.path() + "\">";
        if (which == "files")
            return "<Location /files>";
        return "";
    }

private slots:
    void initTestCase()
    {
        apache = QStandardPaths::findExecutable("apache2", {"/usr/sbin", "/usr/local/sbin"});
        QVERIFY(run.isValid());
    }
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        fx->addServer("web", config(run.path()), "2.4.71");
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
    }
    void cleanup() { fx.reset(); }

    // ---- custom errors ----------------------------------------------------
    void errorsShown()
    {
        PropertySheet* sheet = fx->openSheet("web", node("vhost"), {"ppgCustomErrors"});
        auto* list = sheet->findChild<QTreeWidget*>("lstvError");
        QCOMPARE(rowsOf(list), QStringList{"500|Sorry, we broke it|File"});
        sheet->reject();
        sheet = fx->openSheet("web", -1, {"ppgCustomErrors"});
        QCOMPARE(rowsOf(sheet->findChild<QTreeWidget*>("lstvError")), QStringList{"404|/missing.html|File"});
        sheet->reject();
        QCOMPARE(ppgCustomErrors::documentType("404", "Not found"), QString("Default"));
        QCOMPARE(ppgCustomErrors::documentType("404", "hTtP://x.example.org/"), QString("URL"));
        QCOMPARE(ppgCustomErrors::documentType("418", "Not found"), QString("File"));
    }

    void errorEdits_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("select");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("default message is quoted")
            << "vhost"
            << "cmdAddError"
            << "" << QStringList{"CmbErrorCode=503", "CmbType=Default"} << QStringList{}
            << QStringList{"ErrorDocument 503 \"Service unavailable\""};
        QTest::newRow("file in the main server")
            << "main"
            << "cmdAddError"
            << "" << QStringList{"CmbErrorCode=403", "CmbType=File", "txtDocument=/errors/403.html"}
            << QStringList{} << QStringList{"ErrorDocument 403 /errors/403.html"};
        QTest::newRow("edit to a URL")
            << "main"
            << "cmdEditError"
            << "404" << QStringList{"CmbType=URL", "txtDocument=http://e.example.org/"}
            << QStringList{"ErrorDocument 404 /missing.html"}
            << QStringList{"ErrorDocument 404 http://e.example.org/"};
        QTest::newRow("remove") << "vhost"
                                << "cmdRemoveError"
                                << "500" << QStringList{}
                                << QStringList{"ErrorDocument 500 \"Sorry, we broke it\""} << QStringList{};
    }
    void errorEdits()
    {
        QFETCH(QString, node);
        QFETCH(QString, button);
        QFETCH(QString, select);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {"ppgCustomErrors"});
        auto* list = sheet->findChild<QTreeWidget*>("lstvError");
        if (!select.isEmpty())
            QVERIFY(selectFirstColumn(list, select));
        if (!fields.isEmpty())
            answerEntry(*fx, "frmAddErrorDoc", fields);
        QTest::mouseClick(sheet->findChild<QPushButton*>(button), Qt::LeftButton);
        sheet->apply();
        QCOMPARE(MessageBox::shownCount(), 0);
        checkChange(before, removed, added, sectionOf(node));
        checkApache();
        // Read back: the written row shows as it was entered.
        sheet->reject();
        sheet = fx->openSheet("web", this->node(node), {"ppgCustomErrors"});
        if (button == "cmdAddError" && fields.contains("CmbType=Default"))
            QVERIFY(rowsOf(sheet->findChild<QTreeWidget*>("lstvError"))
                        .contains("503|Service unavailable|Default"));
        sheet->reject();
    }

    void errorRefusals()
    {
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgCustomErrors"});
        // A code already listed.
        answerEntry(*fx, "frmAddErrorDoc", {"CmbErrorCode=404", "CmbType=Default"});
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdAddError"), Qt::LeftButton);
        QCOMPARE(MessageBox::lastText(), QString("Error details already exist"));
        // No code, then a file without a document.
        MessageBox::resetRecord();
        answerEntry(*fx, "frmAddErrorDoc", {"CmbType=File"});
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdAddError"), Qt::LeftButton);
        QCOMPARE(MessageBox::lastText(), QString("Please select a valud error code"));
        answerEntry(*fx, "frmAddErrorDoc", {"CmbErrorCode=410", "CmbType=File"});
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdAddError"), Qt::LeftButton);
        QCOMPARE(MessageBox::lastText(), QString("Please enter the value"));
        sheet->apply();
        QCOMPARE(fx->lines("web"), before);
        sheet->reject();
    }

    // ---- headers and expiry -----------------------------------------------
    void headersShown()
    {
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgHTTPHeaders"});
        auto* dialog = sheet->findChild<frmHTTPHeaders*>();
        QVERIFY(dialog);
        QCOMPARE(rowsOf(dialog->lstvResponse()), (QStringList{"X-Frame-Options|always set|SAMEORIGIN",
                                                              "X-Powered-By|unset|", "X-Team|set|web ops"}));
        sheet->reject();
        sheet = fx->openSheet("web", node("vhost"), {"ppgHTTPHeaders"});
        QVERIFY(sheet->findChild<QCheckBox*>("chkExpiresActive")->isChecked());
        QCOMPARE(sheet->findChild<QLineEdit*>("txtExpiresDefault")->text(), QString("access plus 1 week"));
        QCOMPARE(rowsOf(sheet->findChild<QTreeWidget*>("lstvExpiresByType")), QStringList{"text/css|A3600"});
        sheet->reject();
    }

    void headerEdits_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("select");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("add response header")
            << "vhost"
            << "cmdEditResponseHeader"
            << "cmdAdd"
            << ""
            << QStringList{"txtHeaderName=Cache-Control", "cmbAction=set", "txtValue=max-age=60, public"}
            << QStringList{} << QStringList{"Header set Cache-Control \"max-age=60, public\""};
        QTest::newRow("add request header")
            << "files"
            << "cmdEditRequestHeader"
            << "cmdAdd"
            << "" << QStringList{"txtHeaderName=X-Forwarded-Proto", "cmbAction=unset"} << QStringList{}
            << QStringList{"RequestHeader unset X-Forwarded-Proto"};
        QTest::newRow("edit keeps the other rules")
            << "main"
            << "cmdEditResponseHeader"
            << "cmdEdit"
            << "X-Team" << QStringList{"txtValue=platform"} << QStringList{"Header set X-Team \"web ops\""}
            << QStringList{"Header set X-Team platform"};
        QTest::newRow("remove the last rule")
            << "main"
            << "cmdEditResponseHeader"
            << "cmdRemove"
            << "X-Team" << QStringList{} << QStringList{"Header set X-Team \"web ops\""} << QStringList{};
    }
    void headerEdits()
    {
        QFETCH(QString, node);
        QFETCH(QString, opener);
        QFETCH(QString, button);
        QFETCH(QString, select);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {"ppgHTTPHeaders"});
        fx->whenShown("frmHTTPHeaders", [&](QDialog* d) {
            const bool response = opener == "cmdEditResponseHeader";
            QCOMPARE(d->windowTitle(), response ? QString("Response Headers") : QString("Request Headers"));
            auto* list = d->findChild<QTreeWidget*>(response ? "lstvResponse" : "lstvRequest");
            if (!select.isEmpty())
                QVERIFY(selectFirstColumn(list, select));
            if (!fields.isEmpty())
                answerEntry(*fx, "frmAddHTTPHeader", fields);
            QTest::mouseClick(d->findChild<QPushButton*>(button), Qt::LeftButton);
            QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>(opener), Qt::LeftButton);
        QCOMPARE(fx->answered(), fields.isEmpty() ? 1 : 2);
        sheet->apply();
        QCOMPARE(MessageBox::shownCount(), 0);
        checkChange(before, removed, added, sectionOf(node));
        checkApache();
        sheet->reject();
    }

    void expiryEdits_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("byType"); // frmExpirationTime fields; empty: not opened
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("off removes the rules by type")
            << QStringList{"click:chkExpiresActive"} << QStringList{}
            << QStringList{"ExpiresActive On", "ExpiresByType text/css A3600"}
            << QStringList{"ExpiresActive Off"};
        QTest::newRow("default") << QStringList{"txtExpiresDefault=access plus 2 days"} << QStringList{}
                                 << QStringList{"ExpiresDefault \"access plus 1 week\""}
                                 << QStringList{"ExpiresDefault \"access plus 2 days\""};
        QTest::newRow("rule by type")
            << QStringList{} << QStringList{"cmbMimeType=text/plain", "txtTime=access plus 1 hour"}
            << QStringList{} << QStringList{"ExpiresByType text/plain \"access plus 1 hour\""};
        QTest::newRow("default removed, rules stay")
            << QStringList{"txtExpiresDefault="} << QStringList{}
            << QStringList{"ExpiresDefault \"access plus 1 week\""} << QStringList{};
    }
    void expiryEdits()
    {
        QFETCH(QStringList, actions);
        QFETCH(QStringList, byType);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = fx->openSheet("web", node("vhost"), {"ppgHTTPHeaders"});
        for (const QString& a : actions)
            QVERIFY2(applyAction(sheet, a), qPrintable(a));
        if (!byType.isEmpty()) {
            fx->whenShown("frmExpireByType", [&](QDialog* d) {
                answerEntry(*fx, "frmExpirationTime", byType);
                QTest::mouseClick(d->findChild<QPushButton*>("cmdAdd"), Qt::LeftButton);
                QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
            });
            QTest::mouseClick(sheet->findChild<QPushButton*>("cmdEditExpiresByType"), Qt::LeftButton);
            QCOMPARE(fx->answered(), 2);
        }
        sheet->apply();
        QCOMPARE(MessageBox::shownCount(), 0);
        checkChange(before, removed, added, "<VirtualHost 127.0.0.1:8099>");
        checkApache();
        sheet->reject();
    }

    void expiryNeedsItsModule()
    {
        QByteArray c = config(run.path());
        c.replace("LoadModule expires_module /usr/lib/apache2/modules/mod_expires.so\n", "");
        fx->addServer("bare", c, "2.4.71");
        PropertySheet* sheet = fx->openSheet("bare", -1, {"ppgHTTPHeaders"});
        auto* box = sheet->findChild<QCheckBox*>("chkExpiresActive");
        MessageBox::setNextAnswer(QMessageBox::No);
        box->click();
        QCOMPARE(MessageBox::lastText(),
                 QString("EXPIRES_MODULE is to be loaded, Do you wish to load it now ?"));
        QVERIFY(!box->isChecked());
        QVERIFY(!sheet->findChild<QLineEdit*>("txtExpiresDefault")->isEnabled());
        sheet->reject();
    }

    void cancelChangesNothing()
    {
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgHTTPHeaders"});
        // Cancel in the header dialog puts its rows back ...
        fx->whenShown("frmHTTPHeaders", [&](QDialog* d) {
            answerEntry(*fx, "frmAddHTTPHeader", {"txtHeaderName=X-New", "cmbAction=set", "txtValue=1"});
            QTest::mouseClick(d->findChild<QPushButton*>("cmdAdd"), Qt::LeftButton);
            QCOMPARE(d->findChild<QTreeWidget*>("lstvResponse")->topLevelItemCount(), 4);
            QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdEditResponseHeader"), Qt::LeftButton);
        QCOMPARE(sheet->findChild<frmHTTPHeaders*>()->lstvResponse()->topLevelItemCount(), 3);
        sheet->apply();
        QCOMPARE(fx->lines("web"), before);
        // ... and a sheet cancelled after edits writes nothing.
        QVERIFY(applyAction(sheet, "txtExpiresDefault=access plus 1 year"));
        sheet->reject();
        QCOMPARE(fx->lines("web"), before);
        // Nor does a MIME dialog cancelled after an edit.
        sheet = fx->openSheet("web", -2, {"ppgGlobalProperties"});
        fx->whenShown("frmMIMEConfig", [&](QDialog* d) {
            answerEntry(*fx, "frmMIMETypes", {"txtExtension=.md", "txtContentType=text/markdown"});
            QTest::mouseClick(d->findChild<QPushButton*>("cmdAddType"), Qt::LeftButton);
            QVERIFY(d->findChild<QPushButton*>("cmdApply")->isEnabled());
            QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("Command4"), Qt::LeftButton);
        QCOMPARE(fx->answered(), 4);
        sheet->reject();
        QCOMPARE(fx->lines("web"), before);
    }

    void headerRefusals()
    {
        PropertySheet* sheet = fx->openSheet("web", node("vhost"), {"ppgHTTPHeaders"});
        fx->whenShown("frmHTTPHeaders", [&](QDialog* d) {
            answerEntry(*fx, "frmAddHTTPHeader", {"txtHeaderName=X-Only-A-Name"});
            QTest::mouseClick(d->findChild<QPushButton*>("cmdAdd"), Qt::LeftButton);
            QCOMPARE(MessageBox::lastText(), QString("Please specify Header name and action"));
            QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdEditResponseHeader"), Qt::LeftButton);
        fx->whenShown("frmExpireByType", [&](QDialog* d) {
            answerEntry(*fx, "frmExpirationTime", {"cmbMimeType=text/plain"});
            QTest::mouseClick(d->findChild<QPushButton*>("cmdAdd"), Qt::LeftButton);
            QCOMPARE(MessageBox::lastText(), QString("Please specify mime type and time"));
            QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdEditExpiresByType"), Qt::LeftButton);
        QCOMPARE(fx->answered(), 4);
        sheet->reject();
    }

    // ---- MIME configuration -----------------------------------------------
    void mimeEdits_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QStringList>("steps"); // "entry dialog|button|field=value;..." or actions
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("type from the global page")
            << "server"
            << "ppgGlobalProperties"
            << "Command4"
            << QStringList{"frmMIMETypes|cmdAddType|txtExtension=.md;txtContentType=text/markdown"}
            << QStringList{} << QStringList{"AddType text/markdown .md"};
        QTest::newRow("extension joins its type")
            << "server"
            << "ppgGlobalProperties"
            << "Command4"
            << QStringList{"frmMIMETypes|cmdAddType|txtExtension=.cfg;txtContentType=text/plain"}
            << QStringList{"AddType text/plain .conf   .ini"}
            << QStringList{"AddType text/plain .conf .ini .cfg"};
        QTest::newRow("handler in a directory")
            << "dir"
            << "ppgDirectoryMimeMap"
            << "cmdEditMimeMap"
            << QStringList{"frmAddHandler|cmdAddHandler|txtHandlerName=cgi-script;txtExtension=.pl",
                           "cmbModeMimeUsePathInfo=On", "lstMultiViewsMatch=Filters Handlers"}
            << QStringList{"AddHandler cgi-script .cgi"}
            << QStringList{"AddHandler cgi-script .cgi .pl", "ModMimeUsePathInfo On",
                           "MultiviewsMatch Filters Handlers"};
        QTest::newRow("output filter and encoding in a location")
            << "files"
            << "ppgDirectoryMimeMap"
            << "cmdEditMimeMap"
            << QStringList{"click:optOpFilters",
                           "frmFilters|cmdAddFilter|txtFilter=INCLUDES;txtExtension=.shtml",
                           "frmAddEncoding|cmdAddEncoding|txtEncodingName=x-gzip;txtExtension=.gz"}
            << QStringList{} << QStringList{"AddOutputFilter INCLUDES .shtml", "AddEncoding x-gzip .gz"};
        QTest::newRow("types file from the headers page")
            << "main"
            << "ppgHTTPHeaders"
            << "cmdEditMimeMap" << QStringList{"txtTypesConfig=/etc/my mime.types"}
            << QStringList{"TypesConfig /etc/mime.types"}
            << QStringList{"TypesConfig \"/etc/my mime.types\""};
    }
    void mimeEdits()
    {
        QFETCH(QString, node);
        QFETCH(QString, page);
        QFETCH(QString, opener);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {page});
        fx->whenShown("frmMIMEConfig", [&](QDialog* d) {
            // Apache takes no MultiviewsMatch inside a Location.
            QCOMPARE(d->findChild<QListWidget*>("lstMultiViewsMatch")->isEnabled(), node != "files");
            for (const QString& step : steps) {
                const QStringList parts = step.split('|');
                if (parts.size() == 3) {
                    answerEntry(*fx, parts[0], parts[2].split(';'));
                    QTest::mouseClick(d->findChild<QPushButton*>(parts[1]), Qt::LeftButton);
                } else {
                    QVERIFY2(applyAction(d, step), qPrintable(step));
                    if (auto* e = d->findChild<QLineEdit*>(step.section('=', 0, 0)))
                        emit e->textEdited(e->text());
                    if (auto* c = d->findChild<QComboBox*>(step.section('=', 0, 0)))
                        emit c->activated(c->currentIndex());
                }
            }
            QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>(opener), Qt::LeftButton);
        QVERIFY(fx->answered() >= 1);
        QCOMPARE(MessageBox::shownCount(), 0);
        checkChange(before, removed, added, sectionOf(node == "server" ? "main" : node));
        checkApache();
        QVERIFY(fx->notifications().contains("RefreshTreeView"));
        sheet->reject();
    }

    void mimeShownAndRefused()
    {
        PropertySheet* sheet = fx->openSheet("web", -2, {"ppgGlobalProperties"});
        fx->whenShown("frmMIMEConfig", [&](QDialog* d) {
            QCOMPARE(rowsOf(d->findChild<QTreeWidget*>("lstMimeTypes")),
                     (QStringList{".conf|text/plain", ".ini|text/plain"}));
            QCOMPARE(d->findChild<QLineEdit*>("txtTypesConfig")->text(), QString("/etc/mime.types"));
            QVERIFY(!d->findChild<QPushButton*>("cmdApply")->isEnabled());
            d->findChild<QRadioButton*>("optOpFilters")->click();
            answerEntry(*fx, "frmFilters", {"txtFilter=DEFLATE"});
            QTest::mouseClick(d->findChild<QPushButton*>("cmdAddFilter"), Qt::LeftButton);
            QCOMPARE(MessageBox::lastText(), QString("Please enter filter and extension"));
            answerEntry(*fx, "frmAddHandler", {"txtHandlerName=cgi-script"});
            QTest::mouseClick(d->findChild<QPushButton*>("cmdAddHandler"), Qt::LeftButton);
            QCOMPARE(MessageBox::lastText(), QString("Please fill Handler name and extension"));
            QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("Command4"), Qt::LeftButton);
        QCOMPARE(fx->answered(), 3);
        sheet->reject();
    }

    // ---- ISAPI ------------------------------------------------------------
    void isapi()
    {
        const QByteArray conf = "ServerRoot \"C:/Apache2\"\r\n"
                                "LoadModule isapi_module modules/mod_isapi.so\r\n"
                                "ISAPIReadAheadBuffer 49152\r\n"
                                "ISAPILogNotSupported Off\r\n"
                                "ISAPIAppendLogToErrors Off\r\n";
        fx->addServer("win", conf, "2.0.65", false, "Windows");
        PropertySheet* sheet = fx->openSheet("win", -1, {"ppgISAPIExtensions"});
        QCOMPARE(controlState(sheet->findChild<QWidget*>("txtISAPIReadAheadBuffer")), QString("49152"));
        QCOMPARE(controlState(sheet->findChild<QWidget*>("cmbISAPILogNotSupported")), QString("Off"));
        const QStringList before = fx->lines("win");
        for (const char* a :
             {"cmbISAPIFakeAsync=On", "cmbISAPIAppendLogToErrors=", "txtISAPIReadAheadBuffer=65536"})
            QVERIFY2(applyAction(sheet, QString(a)), a);
        for (const char* f : {"C:/isapi/one.dll", "C:/isapi/two.dll", "C:/My Ext/three.dll"}) {
            answerEntry(*fx, "frmISAPIExt", {QString("txtCacheFile=") + f});
            QTest::mouseClick(sheet->findChild<QPushButton*>("cmdAdd"), Qt::LeftButton);
        }
        // The last file moves up one place.
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdUP"), Qt::LeftButton);
        answerEntry(*fx, "frmISAPIExt", {});
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdAdd"), Qt::LeftButton);
        QCOMPARE(MessageBox::lastText(), QString("Please specify Cache file name"));
        sheet->apply();
        const QStringList after = fx->lines("win");
        QCOMPARE(PageFixture::removedLines(before, after),
                 (QStringList{"ISAPIReadAheadBuffer 49152", "ISAPIAppendLogToErrors Off"}));
        QCOMPARE(PageFixture::addedLines(before, after),
                 (QStringList{"ISAPIReadAheadBuffer 65536", "ISAPIFakeAsync On",
                              "ISAPICacheFile C:/isapi/one.dll \"C:/My Ext/three.dll\" C:/isapi/two.dll"}));
        sheet->reject();
    }

    // ---- corpus -------------------------------------------------------------
    void corpusShownAndKept()
    {
        const QByteArray conf = PageFixture::corpus("apache24-vhosts-crlf.conf");
        if (conf.isEmpty())
            QSKIP("corpus file missing");
        fx->addServer("crlf", conf, "2.4.71");
        const QByteArray before = fx->lines("crlf").join('\n').toUtf8();
        int vhost = 0;
        for (const char* args : {"*:80", "*:443"}) {
            vhost = fx->sectionNo("crlf", "VirtualHost", QString(args));
            if (vhost <= 0)
                continue;
            PropertySheet* sheet = fx->openSheet(
                "crlf", vhost, {"ppgCustomErrors", "ppgHTTPHeaders", "ppgUnSupportedDirectives"});
            sheet->apply();
            sheet->reject();
        }
        QCOMPARE(fx->lines("crlf").join('\n').toUtf8(), before);
        QCOMPARE(MessageBox::shownCount(), 0);
    }

    void screenshots()
    {
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgCustomErrors", "ppgHTTPHeaders"});
        QVERIFY(PageFixture::screenshot(sheet, "ppgCustomErrors"));
        fx->whenShown("frmHTTPHeaders", [](QDialog* d) {
            QVERIFY(PageFixture::screenshot(d, "frmHTTPHeaders"));
            QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdEditResponseHeader"), Qt::LeftButton);
        fx->whenShown("frmMIMEConfig", [](QDialog* d) {
            QVERIFY(PageFixture::screenshot(d, "frmMIMEConfig"));
            QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdEditMimeMap"), Qt::LeftButton);
        sheet->reject();
    }
};

QTEST_MAIN(PagesHeaders)
#include "tst_pages_headers.moc"
