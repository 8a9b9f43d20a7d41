// What the directory, security and documents pages write is taken by the
// real Apache: each edit is applied through the page and the working copy
// must still pass "apache2 -t" with the edited line in place.
#include "DirPageActions.h"
#include "PageFixture.h"

#include "host/MessageBox.h"
#include "host/PropertySheet.h"

#include <QDialog>
#include <QDir>
#include <QProcess>
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
    for (const char* m :
         {"mpm_event", "authz_core", "access_compat", "authn_core", "authn_file", "auth_basic", "authz_user",
          "authz_groupfile", "alias", "autoindex", "dir", "userdir"})
        c += QByteArray("LoadModule ") + m + "_module /usr/lib/apache2/modules/mod_" + m + ".so\n";
    c += "Listen 127.0.0.1:8099\n"
         "DocumentRoot \"@D\"\n"
         "DirectoryIndex index.html\n"
         "<VirtualHost 127.0.0.1:8099>\n"
         "    ServerName shop.example.org\n"
         "    Redirect permanent /old http://shop.example.org/new\n"
         "</VirtualHost>\n"
         "<Directory \"@D\">\n"
         "    Options Indexes\n"
         "    AllowOverride None\n"
         "    Order allow,deny\n"
         "    Allow from all\n"
         "</Directory>\n"
         "<Directory \"/srv/private\">\n"
         "    AuthType Basic\n"
         "    AuthName \"Private area\"\n"
         "    AuthUserFile \"@D/users\"\n"
         "    Require valid-user\n"
         "</Directory>\n"
         "<Location /status>\n"
         "    Order deny,allow\n"
         "    Deny from all\n"
         "</Location>\n";
    return c.replace("@D", dir.toUtf8());
}

} // namespace

class PagesDirApache : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;
    QTemporaryDir run;
    QString apache;

    int node(const QString& which)
    {
        if (which == "main")
            return -1;
        if (which == "vhost")
            return fx->sectionNo("web", "VirtualHost", "127.0.0.1:8099");
        if (which == "private")
            return fx->sectionNo("web", "Directory", "\"/srv/private\"");
        if (which == "status")
            return fx->sectionNo("web", "Location", "/status");
        return fx->sectionNo("web", "Directory", '"' + run.path() + '"');
    }

private slots:
    void initTestCase()
    {
        apache = QStandardPaths::findExecutable("apache2", {"/usr/sbin", "/usr/local/sbin"});
        if (apache.isEmpty())
            QSKIP("apache2 is not installed");
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

    void editsPassTheSyntaxCheck_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("expected"); // lines the working copy must hold
        QTest::newRow("as loaded") << "ppgDirectorySecurity"
                                   << "html" << QStringList{} << QStringList{};
        QTest::newRow("mutual failure")
            << "ppgDirectorySecurity"
            << "html" << QStringList{"cmbOrder=Mutual Failure"} << QStringList{"Order Mutual-failure"};
        QTest::newRow("host lists") << "ppgDirectorySecurity"
                                    << "html"
                                    << QStringList{"txtAllow=10.0.0.0/8 .example.org env=ok", "txtDeny=ALL"}
                                    << QStringList{"Allow From 10.0.0.0/8 .example.org env=ok",
                                                   "Deny From ALL"};
        QTest::newRow("overrides") << "ppgDirectorySecurity"
                                   << "html" << QStringList{"lstAllowOverride=AuthConfig Limit FileInfo"}
                                   << QStringList{"AllowOverride AuthConfig Limit FileInfo"};
        QTest::newRow("authentication")
            << "ppgDirectorySecurity"
            << "private"
            << QStringList{"txtAuthenticationUserFile=/etc/my users/htpasswd", "cmbRequire=user",
                           "txtRequireFields=alice bob", "cmbSatisfy=all",
                           "txtAuthenticationGroupFile=/etc/groups file"}
            << QStringList{"AuthUserFile \"/etc/my users/htpasswd\"", "Require user alice bob", "Satisfy all",
                           "AuthGroupFile \"/etc/groups file\""};
        QTest::newRow("location handler")
            << "ppgDirectorySecurity"
            << "status" << QStringList{"cmbSetHandler=default-handler", "txtAllow=127.0.0.1 ::1"}
            << QStringList{"SetHandler default-handler", "Allow From 127.0.0.1 ::1"};
        QTest::newRow("user dir") << "ppgHomeDirectory"
                                  << "main" << QStringList{"txtUserDir=public_html"}
                                  << QStringList{"UserDir public_html"};
        QTest::newRow("redirect path with a blank")
            << "ppgHomeDirectory"
            << "vhost" << QStringList{"txtUrlPath=/old stuff", "txtUrl=new.example.org/x"}
            << QStringList{"Redirect permanent \"/old stuff\" http://new.example.org/x"};
        QTest::newRow("redirect gone") << "ppgHomeDirectory"
                                       << "vhost"
                                       << QStringList{"click:optSupportRE", "cmbStatus=gone",
                                                      "txtUrl=", "txtRegularExpression=^/old/(.*)$"}
                                       << QStringList{"RedirectMatch gone ^/old/(.*)$"};
        QTest::newRow("vhost to a directory")
            << "ppgHomeDirectory"
            << "vhost"
            << QStringList{"answer:yes", "click:optDirectory", "txtDocumentRoot=" + QDir::tempPath()}
            << QStringList{"DocumentRoot " + QDir::tempPath()};
        QTest::newRow("listing files")
            << "ppgDocuments"
            << "main" << QStringList{"txtHeaderName=my header.html", "txtReadmeName=README.txt"}
            << QStringList{"HeaderName \"my header.html\"", "ReadmeName README.txt"};
    }
    void editsPassTheSyntaxCheck()
    {
        QFETCH(QString, page);
        QFETCH(QString, node);
        QFETCH(QStringList, actions);
        QFETCH(QStringList, expected);
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {page}, false);
        int questions = 0; // the page asks before it drops a redirection
        for (const QString& a : actions) {
            if (a == "answer:yes") {
                MessageBox::setNextAnswer(QMessageBox::Yes);
                ++questions;
                continue;
            }
            QVERIFY2(applyAction(sheet, a), qPrintable(a));
        }
        sheet->apply();
        QCOMPARE(MessageBox::shownCount(), questions);
        const QStringList lines = fx->lines("web");
        for (const QString& e : expected)
            QVERIFY2(lines.contains(e), qPrintable(e));
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(apache, {"-t", "-f", fx->workingCopy("web")});
        QVERIFY(p.waitForFinished(30000));
        QVERIFY2(p.exitCode() == 0, p.readAll().constData());
        sheet->reject();
    }
};

QTEST_MAIN(PagesDirApache)
#include "tst_pages_dir_apache.moc"
