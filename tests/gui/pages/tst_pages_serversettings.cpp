// The server settings page on the Main Server and on virtual hosts: what it
// shows, what Apply writes into the working copy and where, what it refuses.
#include "PageFixture.h"

#include "host/MessageBox.h"
#include "host/PropertySheet.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

const QByteArray kConf = "ServerRoot \"/etc/httpd\"\n"
                         "Listen 80\n"
                         "ServerName main.example.org\n"
                         "ServerAdmin root@example.org\n"
                         "<VirtualHost *:80>\n"
                         "    #CORVANE_VHOST_DESCRIPTION Shop front\n"
                         "    ServerName shop.example.org\n"
                         "    ServerAdmin shop@example.org\n"
                         "    DocumentRoot /srv/shop\n"
                         "</VirtualHost>\n"
                         "<VirtualHost 10.0.0.1:80>\n"
                         "    DocumentRoot /srv/bare\n"
                         "</VirtualHost>\n"
                         "<VirtualHost Mixed.Example.org:80>\n"
                         "    ServerName mixed.example.org\n"
                         "</VirtualHost>\n";

} // namespace

class PagesServerSettings : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;

    int node(const QString& which)
    {
        if (which == "main")
            return -1;
        if (which == "shop")
            return fx->sectionNo("web", "VirtualHost", "*:80");
        if (which == "bare")
            return fx->sectionNo("web", "VirtualHost", "10.0.0.1:80");
        return fx->sectionNo("web", "VirtualHost", "Mixed.Example.org:80");
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
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("main name") << "main"
                                   << "txtServerName"
                                   << "main.example.org" << true;
        QTest::newRow("main admin") << "main"
                                    << "txtServerAdmin"
                                    << "root@example.org" << true;
        QTest::newRow("main description") << "main"
                                          << "txtDescription"
                                          << "MainServer" << false;
        QTest::newRow("main address") << "main"
                                      << "txtVirtualHost"
                                      << "" << false;
        QTest::newRow("vhost description") << "shop"
                                           << "txtDescription"
                                           << "Shop front" << true;
        QTest::newRow("vhost address") << "shop"
                                       << "txtVirtualHost"
                                       << "*:80" << true;
        QTest::newRow("vhost name") << "shop"
                                    << "txtServerName"
                                    << "shop.example.org" << true;
        QTest::newRow("vhost without name") << "bare"
                                            << "txtServerName"
                                            << "" << true;
        QTest::newRow("vhost without description") << "bare"
                                                   << "txtDescription"
                                                   << "" << true;
    }
    void showsTheFile()
    {
        QFETCH(QString, node);
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {"ppgServerSettings"});
        auto* edit = sheet->findChild<QLineEdit*>(control);
        QVERIFY(edit);
        QCOMPARE(edit->text(), text);
        QCOMPARE(edit->isEnabled(), enabled);
        QCOMPARE(sheet->findChild<QComboBox*>("cmbLogs")->currentText(), QString("Custom Log"));
        // Server aliases belong to virtual hosts only.
        QCOMPARE(sheet->findChild<QPushButton*>("cmdEditSrvrAlias")->isEnabled(), node != "main");
        sheet->reject();
    }

    void applyWrites_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("section"); // where the added line must be
        QTest::newRow("main name changed")
            << "main"
            << "txtServerName"
            << "  new.example.org " << QStringList{"ServerName main.example.org"}
            << QStringList{"ServerName new.example.org"} << "";
        QTest::newRow("vhost admin cleared")
            << "shop"
            << "txtServerAdmin"
            << "   " << QStringList{"ServerAdmin shop@example.org"} << QStringList{} << "";
        QTest::newRow("vhost name added")
            << "bare"
            << "txtServerName"
            << "bare.example.org" << QStringList{} << QStringList{"ServerName bare.example.org"}
            << "<VirtualHost 10.0.0.1:80>";
        QTest::newRow("description changed")
            << "shop"
            << "txtDescription"
            << "Web shop" << QStringList{"#CORVANE_VHOST_DESCRIPTION Shop front"}
            << QStringList{"#CORVANE_VHOST_DESCRIPTION Web shop"} << "<VirtualHost *:80>";
        QTest::newRow("address, case only") << "mixed"
                                            << "txtVirtualHost"
                                            << "mixed.example.ORG:80" << QStringList{} << QStringList{} << "";
        QTest::newRow("address to a listened port")
            << "bare"
            << "txtVirtualHost"
            << "10.0.0.2:80" << QStringList{"<VirtualHost 10.0.0.1:80>"}
            << QStringList{"<VirtualHost 10.0.0.2:80>"} << "";
        QTest::newRow("name with a blank refused") << "main"
                                                   << "txtServerName"
                                                   << "a b" << QStringList{} << QStringList{} << "";
        QTest::newRow("port above 65535 refused") << "shop"
                                                  << "txtVirtualHost"
                                                  << "*:70000" << QStringList{} << QStringList{} << "";
        QTest::newRow("empty address refused") << "shop"
                                               << "txtVirtualHost"
                                               << "" << QStringList{} << QStringList{} << "";
        QTest::newRow("quoted address refused") << "shop"
                                                << "txtVirtualHost"
                                                << "\"*:81\"" << QStringList{} << QStringList{} << "";
    }
    void applyWrites()
    {
        QFETCH(QString, node);
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        QFETCH(QString, section);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = fx->openSheet("web", this->node(node), {"ppgServerSettings"});
        auto* edit = sheet->findChild<QLineEdit*>(control);
        edit->setText(text);
        sheet->apply();
        const QStringList after = fx->lines("web");
        QCOMPARE(PageFixture::removedLines(before, after), removed);
        QCOMPARE(PageFixture::addedLines(before, after), added);
        if (!added.isEmpty() && !added.first().startsWith('<'))
            QCOMPARE(PageFixture::enclosingSection(after, added.first()), section);
        // The tree is told only when something was written.
        QCOMPARE(fx->notifications(),
                 removed.isEmpty() && added.isEmpty() ? QStringList{} : QStringList{"RefreshTreeView"});
        // Refused input says why.
        if (removed.isEmpty() && added.isEmpty() && !text.trimmed().isEmpty() && !text.contains("ORG"))
            QVERIFY(!MessageBox::lastText().isEmpty());
        sheet->reject();
    }

    void newPortAsksForListen_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("yes") << int(QMessageBox::Yes) << QStringList{"Listen 8080", "<VirtualHost *:8080>"};
        QTest::newRow("no") << int(QMessageBox::No) << QStringList{"<VirtualHost *:8080>"};
    }
    void newPortAsksForListen()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines("web");
        PropertySheet* sheet = fx->openSheet("web", node("shop"), {"ppgServerSettings"});
        sheet->findChild<QLineEdit*>("txtVirtualHost")->setText("*:8080");
        MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
        sheet->apply();
        QCOMPARE(MessageBox::lastText(),
                 QString("Server is not listening on the port 8080 !\r\nDo you want to add this port ?"));
        const QStringList after = fx->lines("web");
        QCOMPARE(PageFixture::addedLines(before, after), added);
        if (added.size() > 1)
            QCOMPARE(PageFixture::enclosingSection(after, "Listen 8080"), QString());
        sheet->reject();
    }

    void cancelWritesNothing()
    {
        QFile f(fx->workingCopy("web"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        PropertySheet* sheet = fx->openSheet("web", -1, {"ppgServerSettings"});
        QLineEdit* name = sheet->findChild<QLineEdit*>("txtServerName");
        name->setFocus();
        QTest::keyClicks(name, "x");
        sheet->reject();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QVERIFY(fx->notifications().isEmpty());
    }

    void secondSheetSeesFirstApply()
    {
        PropertySheet* first = fx->openSheet("web", node("shop"), {"ppgServerSettings"});
        first->findChild<QLineEdit*>("txtServerAdmin")->setText("ops@example.org");
        first->accept();
        PropertySheet* second = fx->openSheet("web", node("shop"), {"ppgServerSettings"});
        QCOMPARE(second->findChild<QLineEdit*>("txtServerAdmin")->text(), QString("ops@example.org"));
        second->reject();
    }

    void nodeThatVanishedGivesAnEmptyPage()
    {
        PropertySheet* sheet = fx->openSheet("web", 9999, {"ppgServerSettings"});
        QCOMPARE(sheet->findChild<QLineEdit*>("txtServerName")->text(), QString());
        const QStringList before = fx->lines("web");
        sheet->findChild<QLineEdit*>("txtServerName")->setText("ghost.example.org");
        sheet->apply();
        QCOMPARE(fx->lines("web"), before);
        sheet->reject();
    }

    void screenshots()
    {
        PropertySheet* sheet = fx->openSheet("web", node("shop"), {"ppgServerSettings"});
        QVERIFY(PageFixture::screenshot(sheet, "ppgServerSettings"));
        sheet->reject();
    }
};

QTEST_MAIN(PagesServerSettings)
#include "tst_pages_serversettings.moc"
