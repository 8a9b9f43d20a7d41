// The two global pages of a server node: ServerRoot, ServerType,
// CoreDumpDirectory, Timeout with its up-down, the Listen list through the
// port dialog, the three run-time files with their Browse buttons, and the
// version gating of every control.
#include "PageFixture.h"

#include "dialogs/frmPortConfiguration.h"
#include "forms/ListViewRows.h"
#include "forms/UpDown.h"
#include "host/FileDialog.h"
#include "host/MessageBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace corvane;
using namespace corvane::test;

namespace {

const QByteArray kConf13 = "ServerType standalone\n"
                           "ServerRoot \"/usr/local/apache\"\n"
                           "CoreDumpDirectory /var/tmp\n"
                           "LockFile /usr/local/apache/logs/httpd.lock\n"
                           "PidFile logs/httpd.pid\n"
                           "ScoreBoardFile logs/apache_status\n"
                           "Timeout 300\n"
                           "Listen 80\n"
                           "<IfModule mod_ssl.c>\n"
                           "    Listen 443\n"
                           "</IfModule>\n"
                           "Listen 8443 https\n"
                           "ServerName www.example.org\n";

const QByteArray kConf24 = "ServerRoot /etc/apache2\n"
                           "Timeout 60\n"
                           "Listen 80\n"
                           "PidFile /run/apache2.pid\n"
                           "LockFile /var/lock/apache2\n";

} // namespace

class PagesGlobal : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;

private slots:
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        fx->addServer("old", kConf13, "1.3.34");
        fx->addServer("new", kConf24, "2.4.71");
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
        FileDialog::clearNextFileNames();
    }
    void cleanup() { fx.reset(); }

    void showsTheFile_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::newRow("quoted root shown bare") << "old"
                                                << "txtServerRoot"
                                                << "/usr/local/apache";
        QTest::newRow("bare root") << "new"
                                   << "txtServerRoot"
                                   << "/etc/apache2";
        QTest::newRow("server type") << "old"
                                     << "cmbServerType"
                                     << "standalone";
        QTest::newRow("core dump") << "old"
                                   << "txtCoreDumpDir"
                                   << "/var/tmp";
        QTest::newRow("timeout") << "old"
                                 << "txtTimeOut"
                                 << "300";
        QTest::newRow("pid file") << "old"
                                  << "txtPidFile"
                                  << "logs/httpd.pid";
        QTest::newRow("score board") << "old"
                                     << "txtScoreBoardFile"
                                     << "logs/apache_status";
        QTest::newRow("lock file") << "old"
                                   << "txtLockFile"
                                   << "/usr/local/apache/logs/httpd.lock";
    }
    void showsTheFile()
    {
        QFETCH(QString, server);
        QFETCH(QString, control);
        QFETCH(QString, text);
        PropertySheet* sheet = fx->openSheet(server, -2, {"ppgGlobalProperties", "ppgGlobalProperties_1"});
        QCOMPARE(sheet->tabCaptions(),
                 (QStringList{"Global Properties (Basic)", "Global Properties (Advanced)"}));
        QWidget* w = sheet->findChild<QWidget*>(control);
        QVERIFY(w);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            QCOMPARE(e->text(), text);
        else
            QCOMPARE(qobject_cast<QComboBox*>(w)->currentText(), text);
        sheet->reject();
    }

    void listenListShowsMainServerPorts()
    {
        PropertySheet* sheet = fx->openSheet("old", -2, {"ppgGlobalProperties"});
        auto* ports = sheet->findChild<frmPortConfiguration*>("frmPortConfiguration");
        QVERIFY(ports);
        QCOMPARE(ports->ports(), (QStringList{"80", "8443"}));
        sheet->reject();
    }

    // Which controls a server's Apache version leaves enabled.
    void versionGating_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("1.3 ServerType") << "1.3.34"
                                        << "cmbServerType" << true;
        QTest::newRow("2.0 ServerType") << "2.0.55"
                                        << "cmbServerType" << false;
        QTest::newRow("2.2 ServerType") << "2.2.22"
                                        << "cmbServerType" << false;
        QTest::newRow("2.4 ServerType") << "2.4.71"
                                        << "cmbServerType" << false;
        QTest::newRow("1.3 LockFile") << "1.3.34"
                                      << "txtLockFile" << true;
        QTest::newRow("2.0 LockFile") << "2.0.55"
                                      << "txtLockFile" << true;
        QTest::newRow("2.2 LockFile") << "2.2.22"
                                      << "txtLockFile" << true;
        QTest::newRow("2.4 LockFile") << "2.4.71"
                                      << "txtLockFile" << false;
        QTest::newRow("2.4 PidFile") << "2.4.71"
                                     << "txtPidFile" << true;
        QTest::newRow("1.3 Timeout") << "1.3.26"
                                     << "txtTimeOut" << true;
        QTest::newRow("unknown release") << "9.9.9"
                                         << "txtPidFile" << false;
    }
    void versionGating()
    {
        QFETCH(QString, version);
        QFETCH(QString, control);
        QFETCH(bool, enabled);
        fx->setRegistryValue("old", "APACHE_VERSION", version);
        PropertySheet* sheet = fx->openSheet("old", -2, {"ppgGlobalProperties", "ppgGlobalProperties_1"});
        QWidget* w = sheet->findChild<QWidget*>(control);
        QVERIFY(w);
        QCOMPARE(w->isEnabled(), enabled);
        // A disabled control's directive is never written, whatever it shows.
        const QStringList before = fx->lines("old");
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setText("123");
        else
            qobject_cast<QComboBox*>(w)->setCurrentText("inetd");
        sheet->apply();
        const QStringList after = fx->lines("old");
        QCOMPARE(PageFixture::removedLines(before, after).isEmpty(), !enabled);
        sheet->reject();
    }

    void applyWrites_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("root typed with quotes")
            << "txtServerRoot"
            << "\"/opt/apache\"" << QStringList{"ServerRoot \"/usr/local/apache\""}
            << QStringList{"ServerRoot \"/opt/apache\""};
        QTest::newRow("root with a blank")
            << "txtServerRoot"
            << "/opt/my apache" << QStringList{"ServerRoot \"/usr/local/apache\""}
            << QStringList{"ServerRoot \"/opt/my apache\""};
        QTest::newRow("root cleared")
            << "txtServerRoot"
            << "" << QStringList{"ServerRoot \"/usr/local/apache\""} << QStringList{};
        QTest::newRow("core dump quoted") << "txtCoreDumpDir"
                                          << "/var/core" << QStringList{"CoreDumpDirectory /var/tmp"}
                                          << QStringList{"CoreDumpDirectory \"/var/core\""};
        QTest::newRow("pid file with blank")
            << "txtPidFile"
            << "/var/run/my httpd.pid" << QStringList{"PidFile logs/httpd.pid"}
            << QStringList{"PidFile \"/var/run/my httpd.pid\""};
        QTest::newRow("pid file stray quote")
            << "txtPidFile"
            << "logs/\"x.pid" << QStringList{"PidFile logs/httpd.pid"} << QStringList{"PidFile logs/x.pid"};
        QTest::newRow("score board cleared")
            << "txtScoreBoardFile"
            << " " << QStringList{"ScoreBoardFile logs/apache_status"} << QStringList{};
        QTest::newRow("timeout") << "txtTimeOut"
                                 << "120" << QStringList{"Timeout 300"} << QStringList{"Timeout 120"};
        QTest::newRow("timeout not numeric") << "txtTimeOut"
                                             << "12a" << QStringList{} << QStringList{};
        QTest::newRow("timeout cleared") << "txtTimeOut"
                                         << "" << QStringList{"Timeout 300"} << QStringList{};
        QTest::newRow("server type") << "cmbServerType"
                                     << "inetd" << QStringList{"ServerType standalone"}
                                     << QStringList{"ServerType inetd"};
    }
    void applyWrites()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines("old");
        PropertySheet* sheet = fx->openSheet("old", -2, {"ppgGlobalProperties", "ppgGlobalProperties_1"});
        QWidget* w = sheet->findChild<QWidget*>(control);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setText(text);
        else
            qobject_cast<QComboBox*>(w)->setCurrentText(text);
        sheet->apply();
        const QStringList after = fx->lines("old");
        QCOMPARE(PageFixture::removedLines(before, after), removed);
        QCOMPARE(PageFixture::addedLines(before, after), added);
        for (const QString& line : added)
            QCOMPARE(PageFixture::enclosingSection(after, line), QString());
        if (removed.isEmpty() && added.isEmpty())
            QCOMPARE(MessageBox::lastText(), QString("Time Out must be a whole number of seconds"));
        sheet->reject();
    }

    void timeoutRefusesLettersAndFollowsUpDown()
    {
        PropertySheet* sheet = fx->openSheet("old", -2, {"ppgGlobalProperties"});
        auto* txt = sheet->findChild<QLineEdit*>("txtTimeOut");
        auto* ud = sheet->findChild<UpDown*>("udTimeOut");
        txt->clear();
        QTest::keyClicks(txt, "4x5");
        QCOMPARE(txt->text(), QString("45"));
        QTest::mouseClick(ud->findChild<QToolButton*>("up"), Qt::LeftButton);
        QCOMPARE(txt->text(), QString("46"));
        QTest::mouseClick(ud->findChild<QToolButton*>("down"), Qt::LeftButton);
        QTest::mouseClick(ud->findChild<QToolButton*>("down"), Qt::LeftButton);
        QCOMPARE(txt->text(), QString("44"));
        const QStringList before = fx->lines("old");
        sheet->accept();
        QCOMPARE(PageFixture::addedLines(before, fx->lines("old")), QStringList{"Timeout 44"});
    }

    void serverTypeAbsentStaysAbsent()
    {
        fx->setRegistryValue("new", "APACHE_VERSION", "1.3.34");
        PropertySheet* sheet = fx->openSheet("new", -2, {"ppgGlobalProperties"});
        QVERIFY(!sheet->findChild<QComboBox*>("cmbServerType")->isEnabled());
        const QStringList before = fx->lines("new");
        sheet->apply();
        QCOMPARE(fx->lines("new"), before);
        sheet->reject();
    }

    // Main-server Listen lines in file order (sections are not looked into).
    static QStringList mainListens(const QStringList& lines)
    {
        QStringList out;
        int depth = 0;
        for (const QString& l : lines) {
            if (l.startsWith("</"))
                --depth;
            else if (l.startsWith('<'))
                ++depth;
            else if (depth == 0 && l.startsWith("Listen "))
                out << l;
        }
        return out;
    }

    void portListEdits_data()
    {
        QTest::addColumn<QStringList>("steps"); // add:<text> | remove | down | select:<row> | cancel
        QTest::addColumn<QStringList>("listens");
        QTest::addColumn<QString>("message");
        const QStringList unchanged{"Listen 80", "Listen 8443 https"};
        QTest::newRow("add a port") << QStringList{"add:8080"}
                                    << QStringList{"Listen 80", "Listen 8443 https", "Listen 8080"} << "";
        QTest::newRow("add address:port")
            << QStringList{"add:127.0.0.1:81"}
            << QStringList{"Listen 80", "Listen 8443 https", "Listen 127.0.0.1:81"} << "";
        QTest::newRow("letters refused")
            << QStringList{"add:80a"} << unchanged << "Port number must be numeric";
        QTest::newRow("port above 65535 refused")
            << QStringList{"add:65536"} << unchanged << "Port number must be between 1 and 65535";
        QTest::newRow("remove first")
            << QStringList{"select:0", "remove"} << QStringList{"Listen 8443 https"} << "";
        QTest::newRow("move down") << QStringList{"select:0", "down"}
                                   << QStringList{"Listen 8443 https", "Listen 80"} << "";
        QTest::newRow("cancel restores") << QStringList{"add:9000", "cancel"} << unchanged << "";
        QTest::newRow("untouched new port dropped") << QStringList{"add:New Port"} << unchanged << "";
    }
    void portListEdits()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, listens);
        QFETCH(QString, message);
        const QStringList before = fx->lines("old");
        PropertySheet* sheet = fx->openSheet("old", -2, {"ppgGlobalProperties"});
        auto* dialog = sheet->findChild<frmPortConfiguration*>("frmPortConfiguration");
        QTreeWidget* list = dialog->lstListen();
        fx->whenShown("frmPortConfiguration", [&](QDialog* d) {
            bool cancel = false;
            for (const QString& step : steps) {
                if (step.startsWith("add:")) {
                    QTest::mouseClick(d->findChild<QPushButton*>("cmdAdd"), Qt::LeftButton);
                    QTreeWidgetItem* item = list->currentItem();
                    QCOMPARE(item->text(0), QString("New Port"));
                    item->setText(0, step.mid(4)); // what the label editor commits
                } else if (step.startsWith("select:")) {
                    ListViewRows::selectRow(list, step.mid(7).toInt());
                } else if (step == "remove") {
                    QTest::mouseClick(d->findChild<QPushButton*>("cmdRemove"), Qt::LeftButton);
                } else if (step == "down") {
                    QTest::mouseClick(d->findChild<QPushButton*>("cmdMoveDown"), Qt::LeftButton);
                } else if (step == "cancel") {
                    cancel = true;
                }
            }
            QTest::mouseClick(d->findChild<QPushButton*>(cancel ? "cmdCancel" : "cmdOK"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdPortConfig"), Qt::LeftButton);
        QCOMPARE(fx->answered(), 1);
        QVERIFY(list->findItems("New Port", Qt::MatchExactly).isEmpty());
        sheet->apply();
        const QStringList after = fx->lines("old");
        QCOMPARE(mainListens(after), listens);
        // Nothing but main-server Listen lines changed; the one inside <IfModule> stays there.
        QStringList beforeRest, afterRest;
        for (const QString& l : before)
            if (!mainListens({l}).size())
                beforeRest << l;
        for (const QString& l : after)
            if (!mainListens({l}).size())
                afterRest << l;
        QCOMPARE(afterRest, beforeRest);
        QCOMPARE(PageFixture::enclosingSection(after, "Listen 443"), QString("<IfModule mod_ssl.c>"));
        if (!message.isEmpty())
            QCOMPARE(MessageBox::lastText(), message);
        sheet->reject();
    }

    void browseButtonsFollowLocality_data()
    {
        QTest::addColumn<bool>("remote");
        QTest::newRow("local") << false;
        QTest::newRow("remote") << true;
    }
    void browseButtonsFollowLocality()
    {
        QFETCH(bool, remote);
        fx->addServer("far", kConf24, "2.2.22", remote);
        PropertySheet* sheet = fx->openSheet("far", -2, {"ppgGlobalProperties_1"});
        for (const char* name : {"cmdBrowseSBFile", "cmdBrowsePIDFile", "cmdBrowseLockFile"})
            QCOMPARE(sheet->findChild<QPushButton*>(name)->isEnabled(), !remote);
        if (!remote) {
            FileDialog::setNextFileName("/var/run/chosen.pid");
            QTest::mouseClick(sheet->findChild<QPushButton*>("cmdBrowsePIDFile"), Qt::LeftButton);
            QCOMPARE(sheet->findChild<QLineEdit*>("txtPidFile")->text(), QString("/var/run/chosen.pid"));
            FileDialog::setNextFileName(""); // Cancel keeps the text
            QTest::mouseClick(sheet->findChild<QPushButton*>("cmdBrowsePIDFile"), Qt::LeftButton);
            QCOMPARE(sheet->findChild<QLineEdit*>("txtPidFile")->text(), QString("/var/run/chosen.pid"));
        }
        sheet->reject();
    }

    void everyEditorIsAvailable()
    {
        PropertySheet* sheet = fx->openSheet("old", -2, {"ppgGlobalProperties", "ppgGlobalProperties_1"});
        // Every editor these pages open exists now.
        for (const char* name : {"cmdPerfmSettings", "cmdModuleEdit", "Command4"})
            QVERIFY2(sheet->findChild<QPushButton*>(name)->isEnabled(), name);
        sheet->reject();
    }

    void screenshots()
    {
        PropertySheet* sheet = fx->openSheet("old", -2, {"ppgGlobalProperties", "ppgGlobalProperties_1"});
        QVERIFY(PageFixture::screenshot(sheet, "ppgGlobalProperties"));
        sheet->findChild<QTabWidget*>("tabPages")->setCurrentIndex(1);
        QVERIFY(PageFixture::screenshot(sheet, "ppgGlobalProperties_1"));
        auto* dialog = sheet->findChild<frmPortConfiguration*>("frmPortConfiguration");
        dialog->show();
        QVERIFY(PageFixture::screenshot(dialog, "frmPortConfiguration"));
        dialog->hide();
        sheet->reject();
    }
};

QTEST_MAIN(PagesGlobal)
#include "tst_pages_global.moc"
