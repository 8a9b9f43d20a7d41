// Properties in the real console opens the real pages for every node kind,
// and a page's Apply reaches the console's own model.
#include "SnapinFixture.h"

#include "catalogue/ApplicationFolder.h"
#include "host/MessageBox.h"
#include "host/PropertySheet.h"
#include "host/ScopeItem.h"
#include "pages/PageRegistry.h"

#include <QLineEdit>
#include <QStandardPaths>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {
const QByteArray kConf = "ServerRoot \"/srv/httpd\"\n"
                         "ServerName main.example.org\n"
                         "Listen 80\n"
                         "<Directory /srv/www>\n"
                         "    Options None\n"
                         "</Directory>\n"
                         "<Location /status>\n"
                         "    SetHandler server-status\n"
                         "</Location>\n"
                         "<IfModule mod_ssl.c>\n"
                         "    Listen 443\n"
                         "</IfModule>\n"
                         "<VirtualHost *:80>\n"
                         "    ServerName shop.example.org\n"
                         "</VirtualHost>\n";
}

class PagesConsole : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void propertiesOpensThePages_data()
    {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QStringList>("tabs");
        const QStringList main{"web", "Main Server"};
        QTest::newRow("server") << QStringList{"web"}
                                << QStringList{"Global Properties (Basic)", "Global Properties (Advanced)",
                                               "Extended Properties", "Connection"};
        QTest::newRow("main server") << main << QStringList{"Server Settings", "Custom Errors",
                                                            "Documents",       "Home Directory",
                                                            "HTTP Headers",    "Extended Properties"};
        QTest::newRow("virtual host")
            << main + QStringList{"shop.example.org (*:80)"}
            << QStringList{"Server Settings", "Custom Errors", "Documents",
                           "Home Directory",  "HTTP Headers",  "Extended Properties"};
        QTest::newRow("directory") << main + QStringList{"/srv/www"}
                                   << QStringList{"Directory Security", "Mime Map", "Extended Properties"};
        QTest::newRow("location") << main + QStringList{"/status"}
                                  << QStringList{"Location Security", "Mime Map", "Extended Properties"};
        QTest::newRow("ifmodule") << main + QStringList{"mod_ssl.c"} << QStringList{"Extended Properties"};
    }
    void propertiesOpensThePages()
    {
        QFETCH(QStringList, path);
        QFETCH(QStringList, tabs);
        SnapinFixture fx;
        QVERIFY(installCatalogue(fx.appDir().toStdString()));
        fx.addServer("web", kConf);
        fx.start();
        registerPropertyPages(fx.host().pageFactory());
        ScopeItem* item = fx.node(path);
        QVERIFY2(item, qPrintable(SnapinFixture::childNodes(*fx.node(path.mid(0, 2))).join(',')));
        fx.select(item);
        PropertySheet* sheet = fx.host().properties();
        QVERIFY(sheet);
        QCOMPARE(sheet->tabCaptions(), tabs);
        sheet->reject();
    }

    void applyReachesTheConsole()
    {
        SnapinFixture fx;
        QVERIFY(installCatalogue(fx.appDir().toStdString()));
        fx.addServer("web", kConf);
        fx.start();
        registerPropertyPages(fx.host().pageFactory());
        fx.select(fx.node({"web", "Main Server", "shop.example.org (*:80)"}));
        PropertySheet* sheet = fx.host().properties();
        QVERIFY(sheet);
        sheet->findChild<QLineEdit*>("txtVirtualHost")->setText("*:80 *:81");
        sheet->findChild<QLineEdit*>("txtServerName")->setText("store.example.org");
        MessageBox::setNextAnswer(QMessageBox::No); // no Listen for the new port
        sheet->accept();
        // The console reloaded its model: the next command sees the change.
        QVERIFY(fx.snapshotLines("web").contains("ServerName store.example.org"));
        QVERIFY(fx.fileLines(fx.workingCopy("web")).contains("<VirtualHost *:80 *:81>"));
        QVERIFY(fx.snapIn().CurrentConfig());
    }
};

QTEST_MAIN(PagesConsole)
#include "tst_pages_console.moc"
