// The directory security page on Directory, Location and Files nodes: host
// access, authentication, overrides, handler, options (through its dialog)
// and the access wizard; what Apply writes, where, and what it refuses.
#include "DirPageActions.h"
#include "PageFixture.h"

#include "host/FileDialog.h"
#include "host/MessageBox.h"
#include "host/PropertySheet.h"

#include <QDialog>
#include <QFile>
#include <QRadioButton>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

const QByteArray kConf = "ServerRoot \"/etc/httpd\"\n"
                         "Listen 80\n"
                         "AddHandler cgi-script .cgi\n"
                         "AddHandler php5-script .php\n"
                         "AddHandler CGI-Script .pl\n"
                         "DocumentRoot \"/var/www/html\"\n"
                         "<Directory \"/var/www/html\">\n"
                         "    Options Indexes FollowSymLinks\n"
                         "    AllowOverride AuthConfig Indexes\n"
                         "    Order allow,deny\n"
                         "    Allow from all\n"
                         "</Directory>\n"
                         "<Directory \"/srv/private\">\n"
                         "    Options All\n"
                         "    AllowOverride None\n"
                         "    Order Deny,Allow\n"
                         "    Deny from all\n"
                         "    Allow from 10.0.0.0/8 .example.org\n"
                         "    AuthType Basic\n"
                         "    AuthName \"Private area\"\n"
                         "    AuthUserFile \"/etc/httpd/users\"\n"
                         "    AuthGroupFile /etc/httpd/groups\n"
                         "    AuthAuthoritative off\n"
                         "    Require group staff admins\n"
                         "    Satisfy any\n"
                         "    SetHandler cgi-script\n"
                         "</Directory>\n"
                         "<Location /status>\n"
                         "    SetHandler server-status\n"
                         "    Order deny,allow\n"
                         "    Deny from all\n"
                         "    Allow from 127.0.0.1\n"
                         "</Location>\n"
                         "<Files \"secret.txt\">\n"
                         "    Deny from all\n"
                         "</Files>\n";

const QMap<QString, QString> kHeads{{"html", "<Directory \"/var/www/html\">"},
                                    {"private", "<Directory \"/srv/private\">"},
                                    {"status", "<Location /status>"},
                                    {"secret", "<Files \"secret.txt\">"}};

} // namespace

class PagesDirSecurity : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;

    int node(const QString& which, const QString& server = "web")
    {
        if (which == "html")
            return fx->sectionNo(server, "Directory", "\"/var/www/html\"");
        if (which == "private")
            return fx->sectionNo(server, "Directory", "\"/srv/private\"");
        if (which == "status")
            return fx->sectionNo(server, "Location", "/status");
        return fx->sectionNo(server, "Files", "\"secret.txt\"");
    }
    PropertySheet* open(const QString& which, const QString& server = "web")
    {
        return fx->openSheet(server, node(which, server), {"ppgDirectorySecurity"}, which == "secret");
    }

private slots:
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        fx->addServer("web", kConf, "1.3.42");
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
        FileDialog::clearNextFileNames();
    }
    void cleanup() { fx.reset(); }

    void showsTheFile_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("order in any case") << "html"
                                           << "cmbOrder"
                                           << "Allow,Deny" << true;
        QTest::newRow("allow all") << "html"
                                   << "txtAllow"
                                   << "all" << true;
        QTest::newRow("no deny") << "html"
                                 << "txtDeny"
                                 << "" << true;
        QTest::newRow("overrides with an extra word") << "html"
                                                      << "lstAllowOverride"
                                                      << "AuthConfig Indexes" << true;
        QTest::newRow("no handler") << "html"
                                    << "cmbSetHandler"
                                    << "" << true;
        QTest::newRow("order") << "private"
                               << "cmbOrder"
                               << "Deny,Allow" << true;
        QTest::newRow("allow list") << "private"
                                    << "txtAllow"
                                    << "10.0.0.0/8 .example.org" << true;
        QTest::newRow("deny all") << "private"
                                  << "txtDeny"
                                  << "all" << true;
        QTest::newRow("require") << "private"
                                 << "cmbRequire"
                                 << "group" << true;
        QTest::newRow("require fields") << "private"
                                        << "txtRequireFields"
                                        << "staff admins" << true;
        QTest::newRow("satisfy") << "private"
                                 << "cmbSatisfy"
                                 << "any" << true;
        QTest::newRow("authoritative") << "private"
                                       << "cmbAuthenticationAuthoritative"
                                       << "off" << true;
        QTest::newRow("user file unquoted") << "private"
                                            << "txtAuthenticationUserFile"
                                            << "/etc/httpd/users" << true;
        QTest::newRow("group file") << "private"
                                    << "txtAuthenticationGroupFile"
                                    << "/etc/httpd/groups" << true;
        QTest::newRow("override none") << "private"
                                       << "lstAllowOverride"
                                       << "None" << true;
        QTest::newRow("handler") << "private"
                                 << "cmbSetHandler"
                                 << "cgi-script" << true;
        QTest::newRow("location: no override list") << "status"
                                                    << "lstAllowOverride"
                                                    << "" << false;
        QTest::newRow("location: handler") << "status"
                                           << "cmbSetHandler"
                                           << "server-status" << true;
        QTest::newRow("location: allow") << "status"
                                         << "txtAllow"
                                         << "127.0.0.1" << true;
        QTest::newRow("files: no handler") << "secret"
                                           << "cmbSetHandler"
                                           << "" << false;
        QTest::newRow("files: no override list") << "secret"
                                                 << "lstAllowOverride"
                                                 << "" << false;
        QTest::newRow("files: deny") << "secret"
                                     << "txtDeny"
                                     << "all" << true;
    }
    void showsTheFile()
    {
        QFETCH(QString, node);
        QFETCH(QString, control);
        QFETCH(QString, state);
        QFETCH(bool, enabled);
        PropertySheet* sheet = open(node);
        QWidget* w = sheet->findChild<QWidget*>(control);
        QVERIFY(w);
        QCOMPARE(controlState(w), state);
        QCOMPARE(w->isEnabled(), enabled);
        sheet->reject();
    }

    void handlersFromAddHandler()
    {
        PropertySheet* sheet = open("html");
        auto* combo = sheet->findChild<QComboBox*>("cmbSetHandler");
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        QCOMPARE(entries.count("php5-script"), 1);
        QCOMPARE(entries.filter("cgi-script", Qt::CaseInsensitive).size(), 1);
        sheet->reject();
    }

    void applyWrites_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<bool>("message");
        QTest::newRow("nothing edited")
            << "private" << QStringList{} << QStringList{} << QStringList{} << false;
        QTest::newRow("allow emptied")
            << "html" << QStringList{"txtAllow="} << QStringList{"Allow from all"} << QStringList{} << false;
        QTest::newRow("deny added") << "html" << QStringList{"txtDeny= 192.168.1.0/24 env=bad_bot "}
                                    << QStringList{} << QStringList{"Deny From 192.168.1.0/24 env=bad_bot"}
                                    << false;
        QTest::newRow("order changed")
            << "html" << QStringList{"cmbOrder=Deny,Allow"} << QStringList{"Order allow,deny"}
            << QStringList{"Order Deny,Allow"} << false;
        QTest::newRow("mutual failure")
            << "html" << QStringList{"cmbOrder=Mutual Failure"} << QStringList{"Order allow,deny"}
            << QStringList{"Order Mutual-failure"} << false;
        QTest::newRow("order emptied") << "html" << QStringList{"cmbOrder="}
                                       << QStringList{"Order allow,deny"} << QStringList{} << false;
        QTest::newRow("quote in a host refused")
            << "html" << QStringList{"txtAllow=10.0.0.1 \"evil"} << QStringList{} << QStringList{} << true;
        QTest::newRow("comma in a host refused")
            << "private" << QStringList{"txtAllow=a.example.org,b.example.org"} << QStringList{}
            << QStringList{} << true;
        QTest::newRow("refused allow, deny still written")
            << "private" << QStringList{"txtAllow=a;b", "txtDeny=10.1.1.1"} << QStringList{"Deny from all"}
            << QStringList{"Deny From 10.1.1.1"} << true;
        QTest::newRow("require valid-user")
            << "private" << QStringList{"cmbRequire=valid-user", "txtRequireFields="}
            << QStringList{"Require group staff admins"} << QStringList{"Require valid-user"} << false;
        QTest::newRow("require users")
            << "private" << QStringList{"cmbRequire=user", "txtRequireFields= alice bob"}
            << QStringList{"Require group staff admins"} << QStringList{"Require user alice bob"} << false;
        QTest::newRow("require emptied")
            << "private" << QStringList{"cmbRequire=", "txtRequireFields="}
            << QStringList{"Require group staff admins"} << QStringList{} << false;
        QTest::newRow("satisfy all") << "private" << QStringList{"cmbSatisfy=all"}
                                     << QStringList{"Satisfy any"} << QStringList{"Satisfy all"} << false;
        QTest::newRow("authoritative on")
            << "private" << QStringList{"cmbAuthenticationAuthoritative=on"}
            << QStringList{"AuthAuthoritative off"} << QStringList{"AuthAuthoritative on"} << false;
        QTest::newRow("user file with a blank")
            << "private" << QStringList{"txtAuthenticationUserFile=/etc/my users/htpasswd"}
            << QStringList{"AuthUserFile \"/etc/httpd/users\""}
            << QStringList{"AuthUserFile \"/etc/my users/htpasswd\""} << false;
        QTest::newRow("group file emptied")
            << "private" << QStringList{"txtAuthenticationGroupFile=  "}
            << QStringList{"AuthGroupFile /etc/httpd/groups"} << QStringList{} << false;
        QTest::newRow("overrides chosen")
            << "html" << QStringList{"lstAllowOverride=Limit Indexes AuthConfig"}
            << QStringList{"AllowOverride AuthConfig Indexes"}
            << QStringList{"AllowOverride AuthConfig Limit Indexes"} << false;
        QTest::newRow("overrides added")
            << "private" << QStringList{"lstAllowOverride=All"} << QStringList{"AllowOverride None"}
            << QStringList{"AllowOverride All"} << false;
        QTest::newRow("declared handler")
            << "private" << QStringList{"cmbSetHandler=php5-script"} << QStringList{"SetHandler cgi-script"}
            << QStringList{"SetHandler php5-script"} << false;
        QTest::newRow("handler emptied") << "status" << QStringList{"cmbSetHandler="}
                                         << QStringList{"SetHandler server-status"} << QStringList{} << false;
        QTest::newRow("files: deny changed")
            << "secret" << QStringList{"txtDeny=all 10.0.0.0/8"} << QStringList{"Deny from all"}
            << QStringList{"Deny From all 10.0.0.0/8"} << false;
    }
    void applyWrites()
    {
        QFETCH(QString, node);
        QFETCH(QStringList, actions);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        QFETCH(bool, message);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = open(node);
        for (const QString& a : actions)
            QVERIFY2(applyAction(sheet, a), qPrintable(a));
        sheet->apply();
        const QStringList after = fx->lines("web");
        QCOMPARE(PageFixture::removedLines(before, after), removed);
        QCOMPARE(PageFixture::addedLines(before, after), added);
        for (const QString& line : added)
            QCOMPARE(PageFixture::enclosingSection(after, line), kHeads.value(node));
        QCOMPARE(MessageBox::shownCount() > 0, message);
        if (message)
            QVERIFY(MessageBox::lastText().contains("was left as it was"));
        sheet->reject();
    }

    void optionsThroughTheDialog_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("shown"); // the dialog's rows as it opens, "All" for optAll
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("all chosen") << "html"
                                    << "Indexes|FollowSymLinks" << QStringList{"click:optAll"}
                                    << QStringList{"Options Indexes FollowSymLinks"}
                                    << QStringList{"Options All"};
        QTest::newRow("row removed") << "html"
                                     << "Indexes|FollowSymLinks"
                                     << QStringList{"select:lstvDirOptions=Indexes", "click:cmdRemove"}
                                     << QStringList{"Options Indexes FollowSymLinks"}
                                     << QStringList{"Options FollowSymLinks"};
        QTest::newRow("row added with a sign")
            << "private"
            << "All" << QStringList{"click:optSpecifiedOptions", "add:+|ExecCGI"}
            << QStringList{"Options All"} << QStringList{"Options +ExecCGI"};
        QTest::newRow("row edited") << "html"
                                    << "Indexes|FollowSymLinks"
                                    << QStringList{"select:lstvDirOptions=FollowSymLinks",
                                                   "edit:-|FollowSymLinks"}
                                    << QStringList{"Options Indexes FollowSymLinks"}
                                    << QStringList{"Options Indexes -FollowSymLinks"};
        QTest::newRow("every row removed")
            << "html"
            << "Indexes|FollowSymLinks"
            << QStringList{"select:lstvDirOptions=Indexes", "click:cmdRemove", "click:cmdRemove"}
            << QStringList{"Options Indexes FollowSymLinks"} << QStringList{};
        QTest::newRow("options added where none")
            << "status"
            << "" << QStringList{"add:|None"} << QStringList{} << QStringList{"Options None"};
    }
    void optionsThroughTheDialog()
    {
        QFETCH(QString, node);
        QFETCH(QString, shown);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = open(node);
        QString seen;
        bool ok = true;
        fx->whenShown("frmDirOptions", [&](QDialog* d) {
            seen = d->findChild<QRadioButton*>("optAll")->isChecked()
                       ? "All"
                       : controlState(d->findChild<QTreeWidget*>("lstvDirOptions"));
            for (const QString& s : steps) {
                if (s.startsWith("add:") || s.startsWith("edit:")) {
                    const QStringList v = s.mid(s.indexOf(':') + 1).split('|');
                    fx->whenShown("frmAddDirOption", [v, &ok](QDialog* e) {
                        ok = ok && applyAction(e, "cmbMerge=" + v[0]) && applyAction(e, "cmbOptions=" + v[1]);
                        e->findChild<QAbstractButton*>("cmdOK")->click();
                    });
                    d->findChild<QAbstractButton*>(s.startsWith("add:") ? "cmdAdd" : "cmdEdit")->click();
                } else {
                    ok = ok && applyAction(d, s);
                }
            }
            d->findChild<QAbstractButton*>("cmdOK")->click();
        });
        sheet->findChild<QAbstractButton*>("cmdEditOptions")->click();
        QVERIFY(ok);
        QCOMPARE(seen, shown);
        sheet->apply();
        const QStringList after = fx->lines("web");
        QCOMPARE(PageFixture::removedLines(before, after), removed);
        QCOMPARE(PageFixture::addedLines(before, after), added);
        for (const QString& line : added)
            QCOMPARE(PageFixture::enclosingSection(after, line), kHeads.value(node));
        sheet->reject();
    }

    void accessWizard_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<bool>("startsAllowing");
        QTest::addColumn<QString>("rows");      // "Access:entry" joined by '|'
        QTest::addColumn<QStringList>("steps"); // actions, "ip:x", "domain:x", "remove:x", "cancel"
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("allow list edited")
            << "private" << true << "Granted:10.0.0.0/8|Granted:.example.org"
            << QStringList{"ip:192.168.0.1", "remove:.example.org"}
            << QStringList{"Allow from 10.0.0.0/8 .example.org", "Deny from all"}
            << QStringList{"Allow From 10.0.0.0/8 192.168.0.1", "Deny From ALL"};
        QTest::newRow("allow all starts denying, only the list")
            << "html" << false << "" << QStringList{"click:OptAllow", "domain:  .corp.example.org "}
            << QStringList{"Allow from all"} << QStringList{"Allow From .corp.example.org", "Deny From ALL"};
        QTest::newRow("deny list kept in deny mode")
            << "secret" << false << "" << QStringList{"ip:10.9.9.9"} << QStringList{"Deny from all"}
            << QStringList{"Deny From 10.9.9.9", "Allow From ALL"};
        QTest::newRow("empty entry adds nothing")
            << "status" << true << "Granted:127.0.0.1" << QStringList{"ip:   "}
            << QStringList{"Deny from all"} << QStringList{"Deny From ALL"};
        QTest::newRow("cancelled") << "private" << true << "Granted:10.0.0.0/8|Granted:.example.org"
                                   << QStringList{"ip:192.168.0.1", "cancel"} << QStringList{}
                                   << QStringList{};
    }
    void accessWizard()
    {
        QFETCH(QString, node);
        QFETCH(bool, startsAllowing);
        QFETCH(QString, rows);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = open(node);
        bool allowing = !startsAllowing;
        QString seen;
        QString title;
        bool ok = true;
        fx->whenShown("FrmPermissionWizard", [&](QDialog* d) {
            title = d->windowTitle();
            allowing = d->findChild<QRadioButton*>("OptAllow")->isChecked();
            auto* list = d->findChild<QTreeWidget*>("LstIp");
            QStringList r;
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                r << list->topLevelItem(i)->text(0) + ":" + list->topLevelItem(i)->text(1);
            seen = r.join('|');
            bool cancel = false;
            for (const QString& s : steps) {
                if (s.startsWith("ip:") || s.startsWith("domain:")) {
                    const bool ip = s.startsWith("ip:");
                    const QString v = s.mid(s.indexOf(':') + 1);
                    fx->whenShown("FrmAddIp", [ip, v, &ok](QDialog* e) {
                        ok = ok && applyAction(e, ip ? "click:OptSingle" : "click:OptDomain") &&
                             applyAction(e, (ip ? "TxtIp=" : "TxtDomain=") + v);
                        e->findChild<QAbstractButton*>("cmdOK")->click();
                    });
                    d->findChild<QAbstractButton*>("cmdAdd")->click();
                } else if (s.startsWith("remove:")) {
                    ok = ok && applyAction(d, "select:LstIp=" + s.mid(7));
                    d->findChild<QAbstractButton*>("cmdRemove")->click();
                } else if (s == "cancel") {
                    cancel = true;
                } else {
                    ok = ok && applyAction(d, s);
                }
            }
            // Every row follows the chosen mode.
            const QString access =
                d->findChild<QRadioButton*>("OptAllow")->isChecked() ? "Granted" : "Denied";
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                ok = ok && list->topLevelItem(i)->text(0) == access;
            d->findChild<QAbstractButton*>(cancel ? "cmdCancel" : "cmdOK")->click();
        });
        sheet->findChild<QAbstractButton*>("CmdWizard")->click();
        QVERIFY(ok);
        QCOMPARE(title, QString("Relay Restrictions"));
        QCOMPARE(allowing, startsAllowing);
        QCOMPARE(seen, rows);
        sheet->apply();
        const QStringList after = fx->lines("web");
        QStringList removedNow = PageFixture::removedLines(before, after);
        removedNow.sort();
        removed.sort();
        QCOMPARE(removedNow, removed);
        QStringList addedNow = PageFixture::addedLines(before, after);
        addedNow.sort();
        added.sort();
        QCOMPARE(addedNow, added);
        for (const QString& line : added)
            QCOMPARE(PageFixture::enclosingSection(after, line), kHeads.value(node));
        sheet->reject();
    }

    void browseFillsTheBox_data()
    {
        QTest::addColumn<bool>("remote");
        QTest::newRow("local") << false;
        QTest::newRow("remote") << true;
    }
    void browseFillsTheBox()
    {
        QFETCH(bool, remote);
        fx->addServer("other", kConf, "2.2.22", remote);
        PropertySheet* sheet = open("private", "other");
        auto* browse = sheet->findChild<QAbstractButton*>("cmdBrowseAuthUserFile");
        QCOMPARE(browse->isEnabled(), !remote);
        QCOMPARE(sheet->findChild<QWidget*>("cmdBrowseAuthGroupFile")->isEnabled(), !remote);
        if (!remote) {
            FileDialog::setNextFileName("/etc/apache2/.htpasswd");
            browse->click();
            QCOMPARE(sheet->findChild<QLineEdit*>("txtAuthenticationUserFile")->text(),
                     QString("/etc/apache2/.htpasswd"));
        }
        sheet->reject();
    }

    void gatedByVersion_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("authoritative");
        QTest::newRow("1.3") << "1.3.42" << true;
        QTest::newRow("2.0") << "2.0.65" << true;
        QTest::newRow("2.2") << "2.2.22" << false;
        QTest::newRow("2.4") << "2.4.71" << false;
    }
    void gatedByVersion()
    {
        QFETCH(QString, version);
        QFETCH(bool, authoritative);
        fx->addServer("v", kConf, version);
        PropertySheet* sheet = open("private", "v");
        auto* combo = sheet->findChild<QComboBox*>("cmbAuthenticationAuthoritative");
        QCOMPARE(combo->isEnabled(), authoritative);
        for (const char* name :
             {"cmbOrder", "txtAllow", "txtDeny", "cmbRequire", "cmbSatisfy", "txtAuthenticationUserFile",
              "lstAllowOverride", "cmbSetHandler", "cmdEditOptions"})
            QVERIFY2(sheet->findChild<QWidget*>(name)->isEnabled(), name);
        // A gated control is neither written nor removed by Apply.
        const QStringList before = fx->lines("v");
        combo->setCurrentIndex(combo->findText("on"));
        sheet->findChild<QComboBox*>("cmbSatisfy")->setCurrentIndex(2);
        sheet->apply();
        QStringList added = PageFixture::addedLines(before, fx->lines("v"));
        added.sort();
        QStringList expected{"Satisfy all"};
        if (authoritative)
            expected << "AuthAuthoritative on";
        expected.sort();
        QCOMPARE(added, expected);
        sheet->reject();
    }

    void cancelWritesNothing()
    {
        QFile f(fx->workingCopy("web"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        PropertySheet* sheet = open("private");
        applyAction(sheet, "txtAllow=");
        applyAction(sheet, "cmbOrder=Allow,Deny");
        sheet->reject();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QVERIFY(fx->notifications().isEmpty());
    }

    void secondSheetSeesFirstApply()
    {
        PropertySheet* first = open("status");
        applyAction(first, "txtAllow=127.0.0.1 ::1");
        first->accept();
        PropertySheet* second = open("status");
        QCOMPARE(second->findChild<QLineEdit*>("txtAllow")->text(), QString("127.0.0.1 ::1"));
        second->reject();
    }

    void screenshots()
    {
        PropertySheet* sheet = open("private");
        QVERIFY(PageFixture::screenshot(sheet, "ppgDirectorySecurity"));
        fx->whenShown("frmDirOptions", [](QDialog* d) {
            d->adjustSize();
            PageFixture::screenshot(d, "frmDirOptions");
            d->reject();
        });
        sheet->findChild<QAbstractButton*>("cmdEditOptions")->click();
        fx->whenShown("FrmPermissionWizard", [&](QDialog* d) {
            PageFixture::screenshot(d, "FrmPermissionWizard");
            fx->whenShown("FrmAddIp", [](QDialog* e) {
                PageFixture::screenshot(e, "FrmAddIp");
                e->reject();
            });
            d->findChild<QAbstractButton*>("cmdAdd")->click();
            d->reject();
        });
        sheet->findChild<QAbstractButton*>("CmdWizard")->click();
        QCOMPARE(fx->answered(), 3);
        sheet->reject();
    }
};

QTEST_MAIN(PagesDirSecurity)
#include "tst_pages_dir_security.moc"
