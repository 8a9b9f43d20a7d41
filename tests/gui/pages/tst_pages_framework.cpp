// What every page shares: tooltips from the catalogue, F1 help, the
// checksum test, and a lossless Apply over the whole corpus.
#include "PageFixture.h"

#include "catalogue/DirbaseParser.h"
#include "forms/CToolTip.h"
#include "forms/FormSupport.h"
#include "host/HelpTopics.h"
#include "host/MessageBox.h"
#include "pages/CorvanePage.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {
const QByteArray kConf = "ServerRoot \"/srv/httpd\"\n"
                         "ServerName main.example.org\n"
                         "LockFile logs/accept.lock\n"
                         "Listen 80\n";

CorvanePage* page(PropertySheet* sheet, int i)
{
    return qobject_cast<CorvanePage*>(sheet->page(i));
}
} // namespace

class PagesFramework : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;

private slots:
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        fx->addServer("web", kConf, "2.4.71");
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
    }
    void cleanup() { fx.reset(); }

    void tooltipOnFirstHover_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text"); // "" = the catalogue's description of the title
        QTest::newRow("directive") << "txtServerName"
                                   << "ServerName"
                                   << "";
        QTest::newRow("fixed tip") << "txtDescription"
                                   << "Description"
                                   << "Description of the Server";
    }
    void tooltipOnFirstHover()
    {
        QFETCH(QString, control);
        QFETCH(QString, title);
        QFETCH(QString, text);
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgServerSettings"});
        CorvanePage* p = page(sheet, 0);
        auto* w = sheet->findChild<QLineEdit*>(control);
        QVERIFY(!p->form().tooltip(w));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(w, &enter);
        CToolTip* tip = p->form().tooltip(w);
        QVERIFY(tip);
        QCOMPARE(tip->Title(), title);
        if (text.isEmpty()) {
            const std::string d = p->form().catalogue(fx->appDir()).DirectiveDescription(title.toStdString());
            QVERIFY(!d.empty());
            text = QString::fromStdString(d);
        }
        QCOMPARE(tip->TipText(), text);
        QCOMPARE(tip->Style(), long(CToolTip::Balloon));
        QCOMPARE(tip->Icon(), long(CToolTip::Information));
        QVERIFY(w->toolTip().contains(title));
        QVERIFY(p->form().isTipShown(w));
        // The mouse on the page itself takes the tip down.
        QEvent pageEnter(QEvent::Enter);
        QApplication::sendEvent(p, &pageEnter);
        QVERIFY(!p->form().isTipShown(w));
        QVERIFY(w->toolTip().isEmpty());
        sheet->reject();
    }

    void comboTooltipOnFocus()
    {
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgServerSettings", "ppgUnSupportedDirectives"});
        auto* modules = sheet->findChild<QComboBox*>("cmbModules");
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(modules, &enter);
        CorvanePage* p = page(sheet, 1);
        QVERIFY(!p->form().isTipShown(modules));
        QFocusEvent focus(QEvent::FocusIn);
        QApplication::sendEvent(modules, &focus);
        QVERIFY(p->form().isTipShown(modules));
        QCOMPARE(p->form().tooltip(modules)->TipText(), QString("Select a module to list its directives"));
        sheet->reject();
    }

    void f1OpensTheControlsHelp()
    {
        PropertySheet* sheet = fx->openSheet("web", -2, {"ppgGlobalProperties"});
        auto* root = sheet->findChild<QLineEdit*>("txtServerRoot");
        sheet->activateWindow();
        root->setFocus();
        QTest::keyClick(root, Qt::Key_F1);
        QCOMPARE(fx->helpRequests(), QList<int>{root->property("helpContextId").toInt()});
        QVERIFY(fx->helpRequests().first() > 0);
        sheet->reject();
    }

    // Every page's help context leads to a help page of its own.
    void helpContextsHaveTheirPages()
    {
        PropertySheet* sheet = fx->openSheet(
            "web", -2,
            {"ppgGlobalProperties", "ppgGlobalProperties_1", "ppgUnSupportedDirectives", "ppgConnections"});
        PropertySheet* main = fx->openSheet("web", -1, {"ppgServerSettings"});
        QList<QWidget*> pages;
        for (int i = 0; i < sheet->pageCount(); ++i)
            pages << sheet->page(i);
        pages << main->page(0);
        QSet<QUrl> urls;
        for (QWidget* p : pages) {
            const QUrl url = HelpTopics::resolveContext(p->property("helpContextId").toInt());
            QVERIFY2(url.isValid() && !url.isEmpty(), qPrintable(p->objectName()));
            urls << url;
        }
        QCOMPARE(urls.size(), pages.size());
        sheet->reject();
        main->reject();
    }

    void checksumFailureLeavesEverythingEnabled()
    {
        QFile catalogue(fx->appDir() + "/Corvane.dll");
        QVERIFY(catalogue.open(QIODevice::Append));
        catalogue.write("<!-- changed -->\n");
        catalogue.close();
        PropertySheet* sheet = fx->openSheet("web", -2, {"ppgGlobalProperties_1"});
        QCOMPARE(MessageBox::lastText(),
                 QString("Corvane Configuration file Checksum failed, so skipping it"));
        // LockFile is unknown to 2.4, but nothing was gated.
        QVERIFY(sheet->findChild<QLineEdit*>("txtLockFile")->isEnabled());
        sheet->reject();
    }

    // Opening every page on a real-shaped file and pressing OK changes nothing.
    void corpusRoundTrip_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("version");
        const QDir dir(CORVANE_TEST_DATA "/corpus");
        const QStringList files = dir.entryList({"*.conf"}, QDir::Files, QDir::Name);
        for (const QString& f : files) {
            const QString version = f.startsWith("apache13")   ? "1.3.34"
                                    : f.startsWith("apache20") ? "2.0.55"
                                    : f.startsWith("apache22") ? "2.2.22"
                                                               : "2.4.71";
            QTest::newRow(qPrintable(f)) << f << version;
        }
    }
    void corpusRoundTrip()
    {
        QFETCH(QString, file);
        QFETCH(QString, version);
        fx->addServer("corpus", PageFixture::corpus(file), version);
        QFile conf(fx->workingCopy("corpus"));
        QVERIFY(conf.open(QIODevice::ReadOnly));
        const QByteArray before = conf.readAll();
        conf.close();
        for (int tag : {-2, -1}) {
            const QStringList pages = tag == -2
                                          ? QStringList{"ppgGlobalProperties", "ppgGlobalProperties_1",
                                                        "ppgUnSupportedDirectives", "ppgConnections"}
                                          : QStringList{"ppgServerSettings", "ppgUnSupportedDirectives"};
            PropertySheet* sheet = fx->openSheet("corpus", tag, pages);
            sheet->accept();
            QVERIFY(conf.open(QIODevice::ReadOnly));
            QCOMPARE(conf.readAll(), before);
            conf.close();
        }
    }

    void corpusValuesShown()
    {
        fx->addServer("unix13", PageFixture::corpus("apache13-unix.conf"), "1.3.34");
        PropertySheet* sheet = fx->openSheet("unix13", -2, {"ppgGlobalProperties", "ppgGlobalProperties_1"});
        QCOMPARE(sheet->findChild<QLineEdit*>("txtServerRoot")->text(), QString("/usr/local/apache"));
        QCOMPARE(sheet->findChild<QComboBox*>("cmbServerType")->currentText(), QString("standalone"));
        QCOMPARE(sheet->findChild<QLineEdit*>("txtTimeOut")->text(), QString("300"));
        QCOMPARE(sheet->findChild<QLineEdit*>("txtPidFile")->text(),
                 QString("/usr/local/apache/logs/httpd.pid"));
        QCOMPARE(sheet->findChild<QLineEdit*>("txtLockFile")->text(),
                 QString("/usr/local/apache/logs/httpd.lock"));
        sheet->reject();
    }
};

QTEST_MAIN(PagesFramework)
#include "tst_pages_framework.moc"
