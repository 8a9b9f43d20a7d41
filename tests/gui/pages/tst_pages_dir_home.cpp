// The home directory page on the Main Server and on virtual hosts: the local
// directory settings, the redirection choice and what Apply writes where.
#include "DirPageActions.h"
#include "PageFixture.h"

#include "host/MessageBox.h"
#include "host/PropertySheet.h"

#include <QFile>
#include <QRadioButton>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

const QByteArray kConf = "ServerRoot \"/etc/httpd\"\n"
                         "Listen 80\n"
                         "User apache\n"
                         "Group apache\n"
                         "DocumentRoot \"/var/www/html\"\n"
                         "UserDir public_html\n"
                         "<VirtualHost *:80>\n"
                         "    ServerName shop.example.org\n"
                         "    DocumentRoot /srv/shop\n"
                         "    Redirect permanent /old http://shop.example.org/new\n"
                         "</VirtualHost>\n"
                         "<VirtualHost *:81>\n"
                         "    ServerName moved.example.org\n"
                         "    RedirectMatch temp ^/(.*)$ http://elsewhere.example.org/$1\n"
                         "</VirtualHost>\n"
                         "<VirtualHost *:82>\n"
                         "    ServerName bare.example.org\n"
                         "</VirtualHost>\n"
                         "<VirtualHost *:83>\n"
                         "    ServerName plain.example.org\n"
                         "    Redirect /a http://plain.example.org/b\n"
                         "</VirtualHost>\n";

} // namespace

class PagesDirHome : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;

    int node(const QString& which)
    {
        if (which == "main")
            return -1;
        static const QMap<QString, QString> ports{
            {"shop", "*:80"}, {"moved", "*:81"}, {"bare", "*:82"}, {"plain", "*:83"}};
        return fx->sectionNo("web", "VirtualHost", ports.value(which));
    }
    static QString sectionOf(const QString& which)
    {
        static const QMap<QString, QString> heads{{"main", ""},
                                                  {"shop", "<VirtualHost *:80>"},
                                                  {"moved", "<VirtualHost *:81>"},
                                                  {"bare", "<VirtualHost *:82>"},
                                                  {"plain", "<VirtualHost *:83>"}};
        return heads.value(which);
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

    void showsTheFile_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("main root unquoted") << "main"
                                            << "txtDocumentRoot"
                                            << "/var/www/html" << true;
        QTest::newRow("main userdir") << "main"
                                      << "txtUserDir"
                                      << "public_html" << true;
        QTest::newRow("main user") << "main"
                                   << "txtUser"
                                   << "apache" << true;
        QTest::newRow("main group") << "main"
                                    << "txtGroup"
                                    << "apache" << true;
        QTest::newRow("main directory mode") << "main"
                                             << "optDirectory"
                                             << "checked" << true;
        QTest::newRow("main no url path") << "main"
                                          << "txtUrlPath"
                                          << "" << true;
        QTest::newRow("redirect wins the mode") << "shop"
                                                << "OptUrl"
                                                << "checked" << true;
        QTest::newRow("redirect plain") << "shop"
                                        << "optDoNotSupportRE"
                                        << "checked" << true;
        QTest::newRow("redirect status") << "shop"
                                         << "cmbStatus"
                                         << "permanent" << true;
        QTest::newRow("redirect path") << "shop"
                                       << "txtUrlPath"
                                       << "/old" << true;
        QTest::newRow("redirect url") << "shop"
                                      << "txtUrl"
                                      << "http://shop.example.org/new" << true;
        QTest::newRow("redirect no regex") << "shop"
                                           << "txtRegularExpression"
                                           << "" << false;
        QTest::newRow("match regex mode") << "moved"
                                          << "optSupportRE"
                                          << "checked" << true;
        QTest::newRow("match regex") << "moved"
                                     << "txtRegularExpression"
                                     << "^/(.*)$" << true;
        QTest::newRow("match no path") << "moved"
                                       << "txtUrlPath"
                                       << "" << false;
        QTest::newRow("match status") << "moved"
                                      << "cmbStatus"
                                      << "temp" << true;
        QTest::newRow("no status reads temp") << "plain"
                                              << "cmbStatus"
                                              << "temp" << true;
        QTest::newRow("no status path") << "plain"
                                        << "txtUrlPath"
                                        << "/a" << true;
        QTest::newRow("no status url") << "plain"
                                       << "txtUrl"
                                       << "http://plain.example.org/b" << true;
        QTest::newRow("bare root") << "bare"
                                   << "txtDocumentRoot"
                                   << "" << true;
    }
    void showsTheFile()
    {
        QFETCH(QString, node);
        QFETCH(QString, control);
        QFETCH(QString, state);
        QFETCH(bool, enabled);
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {"ppgHomeDirectory"});
        QWidget* w = sheet->findChild<QWidget*>(control);
        QVERIFY(w);
        QCOMPARE(controlState(w), state);
        QCOMPARE(w->isEnabled(), enabled);
        // One frame at a time.
        const bool url = sheet->findChild<QRadioButton*>("OptUrl")->isChecked();
        QCOMPARE(sheet->findChild<QWidget*>("RedirectFrame")->isVisible(), url);
        QCOMPARE(sheet->findChild<QWidget*>("DirectoryFrame")->isVisible(), !url);
        sheet->reject();
    }

    void applyWrites_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("nothing edited") << "shop" << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("nothing edited, no status word")
            << "plain" << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("root with a blank is quoted")
            << "main" << QStringList{"txtDocumentRoot=  /srv/my docs "}
            << QStringList{"DocumentRoot \"/var/www/html\""} << QStringList{"DocumentRoot \"/srv/my docs\""};
        QTest::newRow("typed quotes are not doubled")
            << "main" << QStringList{"txtDocumentRoot=\"/srv/www\""}
            << QStringList{"DocumentRoot \"/var/www/html\""} << QStringList{"DocumentRoot /srv/www"};
        QTest::newRow("emptied user removed")
            << "main" << QStringList{"txtUser=  "} << QStringList{"User apache"} << QStringList{};
        QTest::newRow("root added in the vhost") << "bare" << QStringList{"txtDocumentRoot=/srv/bare"}
                                                 << QStringList{} << QStringList{"DocumentRoot /srv/bare"};
        QTest::newRow("switch to url drops the directory")
            << "main"
            << QStringList{"click:OptUrl", "cmbStatus=permanent", "txtUrlPath=/", "txtUrl=www.example.com"}
            << QStringList{"User apache", "Group apache", "DocumentRoot \"/var/www/html\"",
                           "UserDir public_html"}
            << QStringList{"Redirect permanent / http://www.example.com"};
        QTest::newRow("switch back drops the redirect when agreed")
            << "shop" << QStringList{"answer:yes", "click:optDirectory"}
            << QStringList{"Redirect permanent /old http://shop.example.org/new"} << QStringList{};
        QTest::newRow("switch back keeps the redirect when refused")
            << "shop" << QStringList{"answer:no", "click:optDirectory"} << QStringList{} << QStringList{};
        QTest::newRow("switch back keeps a RedirectMatch when refused")
            << "moved" << QStringList{"answer:no", "click:optDirectory"} << QStringList{} << QStringList{};
        QTest::newRow("scheme in any case kept")
            << "bare"
            << QStringList{"click:OptUrl", "cmbStatus=temp", "txtUrlPath=/x", "txtUrl=HtTp://a.example.org/"}
            << QStringList{} << QStringList{"Redirect temp /x HtTp://a.example.org/"};
        QTest::newRow("https kept") << "bare"
                                    << QStringList{"click:OptUrl", "cmbStatus=seeother", "txtUrlPath=/x",
                                                   "txtUrl=https://s.example.org"}
                                    << QStringList{}
                                    << QStringList{"Redirect seeother /x https://s.example.org"};
        QTest::newRow("missing url writes nothing")
            << "bare" << QStringList{"click:OptUrl", "cmbStatus=temp", "txtUrlPath=/x"} << QStringList{}
            << QStringList{};
        QTest::newRow("missing status removes")
            << "shop" << QStringList{"cmbStatus="}
            << QStringList{"Redirect permanent /old http://shop.example.org/new"} << QStringList{};
        QTest::newRow("gone needs no url")
            << "shop" << QStringList{"cmbStatus=gone", "txtUrl="}
            << QStringList{"Redirect permanent /old http://shop.example.org/new"}
            << QStringList{"Redirect gone /old"};
        QTest::newRow("path with a blank quoted")
            << "shop" << QStringList{"txtUrlPath=/old stuff"}
            << QStringList{"Redirect permanent /old http://shop.example.org/new"}
            << QStringList{"Redirect permanent \"/old stuff\" http://shop.example.org/new"};
        QTest::newRow("plain to regular expression")
            << "shop"
            << QStringList{"click:optSupportRE", "txtRegularExpression=^/shop/(.*)",
                           "txtUrl=n.example.org/$1"}
            << QStringList{"Redirect permanent /old http://shop.example.org/new"}
            << QStringList{"RedirectMatch permanent ^/shop/(.*) http://n.example.org/$1"};
        QTest::newRow("regular expression to plain")
            << "moved" << QStringList{"click:optDoNotSupportRE", "txtUrlPath=/"}
            << QStringList{"RedirectMatch temp ^/(.*)$ http://elsewhere.example.org/$1"}
            << QStringList{"Redirect temp / http://elsewhere.example.org/$1"};
        QTest::newRow("numeric status") << "plain" << QStringList{"cmbStatus=301"}
                                        << QStringList{"Redirect /a http://plain.example.org/b"}
                                        << QStringList{"Redirect 301 /a http://plain.example.org/b"};
    }
    void applyWrites()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, actions);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {"ppgHomeDirectory"});
        int questions = 0;
        for (const QString& a : actions) {
            if (a.startsWith("answer:")) {
                MessageBox::setNextAnswer(a == "answer:yes" ? QMessageBox::Yes : QMessageBox::No);
                ++questions;
                continue;
            }
            QVERIFY2(applyAction(sheet, a), qPrintable(a));
        }
        QCOMPARE(MessageBox::pendingAnswers(), 0);
        QCOMPARE(MessageBox::shownCount(), questions);
        if (questions)
            QVERIFY2(MessageBox::lastText().contains("Redirect"), qPrintable(MessageBox::lastText()));
        sheet->apply();
        const QStringList after = fx->lines("web");
        QCOMPARE(PageFixture::removedLines(before, after), removed);
        QCOMPARE(PageFixture::addedLines(before, after), added);
        for (const QString& line : added)
            QCOMPARE(PageFixture::enclosingSection(after, line), sectionOf(node));
        // The tree is told only when something was written.
        QCOMPARE(fx->notifications(),
                 removed.isEmpty() && added.isEmpty() ? QStringList{} : QStringList{"RefreshTreeView"});
        // A second Apply of the same state changes nothing more.
        sheet->apply();
        QCOMPARE(fx->lines("web"), after);
        sheet->reject();
    }

    void regexChoiceClearsTheOtherBox()
    {
        PropertySheet* sheet = fx->openSheet("web", node("shop"), {"ppgHomeDirectory"});
        auto* path = sheet->findChild<QLineEdit*>("txtUrlPath");
        auto* regex = sheet->findChild<QLineEdit*>("txtRegularExpression");
        sheet->findChild<QRadioButton*>("optSupportRE")->click();
        QCOMPARE(path->text(), QString());
        QVERIFY(!path->isEnabled());
        QVERIFY(regex->isEnabled());
        regex->setText("^/x");
        sheet->findChild<QRadioButton*>("optDoNotSupportRE")->click();
        QCOMPARE(regex->text(), QString());
        QVERIFY(!regex->isEnabled());
        QVERIFY(path->isEnabled());
        sheet->reject();
    }

    void cancelWritesNothing()
    {
        QFile f(fx->workingCopy("web"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgHomeDirectory"});
        sheet->findChild<QRadioButton*>("OptUrl")->click();
        sheet->findChild<QLineEdit*>("txtUrlPath")->setText("/");
        sheet->findChild<QLineEdit*>("txtUrl")->setText("x.example.org");
        sheet->reject();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QVERIFY(fx->notifications().isEmpty());
    }

    void secondSheetSeesFirstApply()
    {
        PropertySheet* first = fx->openSheet("web", node("bare"), {"ppgHomeDirectory"});
        first->findChild<QRadioButton*>("OptUrl")->click();
        applyAction(first, "cmbStatus=permanent");
        applyAction(first, "txtUrlPath=/");
        applyAction(first, "txtUrl=new.example.org");
        first->accept();
        PropertySheet* second = fx->openSheet("web", node("bare"), {"ppgHomeDirectory"});
        QVERIFY(second->findChild<QRadioButton*>("OptUrl")->isChecked());
        QCOMPARE(second->findChild<QLineEdit*>("txtUrl")->text(), QString("http://new.example.org"));
        second->reject();
    }

    void gatedByVersion_data()
    {
        QTest::addColumn<QString>("version");
        QTest::newRow("1.3") << "1.3.42";
        QTest::newRow("2.0") << "2.0.65";
        QTest::newRow("2.2") << "2.2.22";
        QTest::newRow("2.4") << "2.4.71";
    }
    void gatedByVersion()
    {
        // Every directive of this page exists in every version: all controls
        // stay usable, and the page still writes on each.
        QFETCH(QString, version);
        fx->addServer("v", kConf, version);
        PropertySheet* sheet = fx->openSheet("v", -1, {"ppgHomeDirectory"});
        for (const char* name :
             {"txtDocumentRoot", "txtUserDir", "txtUser", "txtGroup", "cmbStatus", "txtUrl"})
            QVERIFY2(sheet->findChild<QWidget*>(name)->isEnabled(), name);
        const QStringList before = fx->lines("v");
        sheet->findChild<QLineEdit*>("txtUserDir")->setText("www");
        sheet->apply();
        QCOMPARE(PageFixture::addedLines(before, fx->lines("v")), QStringList{"UserDir www"});
        sheet->reject();
    }

    void screenshots()
    {
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgHomeDirectory"});
        QVERIFY(PageFixture::screenshot(sheet, "ppgHomeDirectory"));
        sheet->reject();
        sheet = fx->openSheet("web", node("moved"), {"ppgHomeDirectory"});
        QVERIFY(PageFixture::screenshot(sheet, "ppgHomeDirectory-redirect"));
        sheet->reject();
    }
};

QTEST_MAIN(PagesDirHome)
#include "tst_pages_dir_home.moc"
