// The connection wizard and the upload wizard driven through their real
// pages (offscreen), against a local server folder, a real sshd and the
// installed apache2; message boxes and prompts answered through their hooks.
#include "../Screenshot.h"
#include "SshdServer.h"

#include "host/FileDialog.h"
#include "host/MessageBox.h"
#include "registry/IniFile.h"
#include "transfer/ConfigTransfer.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/UnifiedDiff.h"
#include "transfer/gui/ConnectingPage.h"
#include "transfer/gui/PromptDialog.h"
#include "transfer/gui/TransferDialogs.h"
#include "transfer/gui/TransferProgressDialog.h"
#include "transfer/gui/TransferWizard.h"
#include "transfer/gui/WelcomePage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

using namespace corvane;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray config(const QString& dir, const QByteArray& name)
{
    return "ServerRoot \"/etc/apache2\"\n"
           "Include /etc/apache2/mods-enabled/*.load\n"
           "Include /etc/apache2/mods-enabled/*.conf\n"
           "PidFile " +
           dir.toUtf8() +
           "/httpd.pid\n"
           "ErrorLog " +
           dir.toUtf8() +
           "/error.log\n"
           "Listen 127.0.0.1:18082\n"
           "ServerName " +
           name +
           "\n"
           "DocumentRoot " +
           dir.toUtf8() + "\n";
}

// With CORVANE_SCREENSHOT_DIR set, each page is saved as a picture to look at.
void snapshot(QWidget& w, const QString& name)
{
    const QString dir = qEnvironmentVariable("CORVANE_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        w.grab().save(dir + "/" + name + ".png");
}

template <typename T> T* child(QWidget& w, const char* name)
{
    T* c = w.findChild<T*>(QLatin1String(name));
    if (!c)
        qWarning("no widget %s", name);
    return c;
}

QAbstractButton* nextButton(QWizard& w)
{
    return w.button(w.currentId() == TransferWizard::Connecting ? QWizard::FinishButton
                                                                : QWizard::NextButton);
}

// What the current page says keeps Next disabled.
QString whyNot(QWizard& w)
{
    auto* label = w.currentPage()->findChild<QLabel*>(QStringLiteral("lblWhyNot"));
    return label ? label->text() : QStringLiteral("<no label>");
}

// The version `apache2 -v` (or `httpd -v`) of this machine prints.
QString installedApacheVersion()
{
    QString apache;
    for (const char* name : {"apache2", "httpd"})
        if (apache.isEmpty())
            apache = QStandardPaths::findExecutable(QLatin1String(name), {"/usr/sbin", "/usr/local/sbin"});
    if (apache.isEmpty())
        return QString();
    QProcess p;
    p.start(apache, {"-v"});
    if (!p.waitForFinished(10000))
        return QString();
    const QString out = QString::fromLatin1(p.readAllStandardOutput());
    // "Server version: Apache/2.4.62 (Debian)"
    const qsizetype at = out.indexOf("Apache/");
    return at < 0 ? QString() : out.mid(at + 7).section(QLatin1Char(' '), 0, 0).trimmed();
}

// Fills the server properties page.
void fillConnectPage(TransferWizard& w, const QString& name, const QString& os, bool remote)
{
    child<QLineEdit>(w, "txtServer")->setText(name);
    child<QComboBox>(w, "txtVersion")->setCurrentText("2.4.62");
    child<QComboBox>(w, "CmbOS")->setCurrentText(os);
    child<QRadioButton>(w, remote ? "optRemote" : "optLocal")->click();
}

// Every file below a folder with its bytes.
std::map<QString, QByteArray> filesBelow(const QString& root)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[path.mid(root.size() + 1)] = readFile(path);
    }
    return files;
}

// Sees the progress dialog come up and, when told to, presses its Cancel.
class ProgressWatch : public QObject
{
public:
    explicit ProgressWatch(bool cancel) : m_cancel(cancel) {}
    bool shown = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("dlgTransferProgress") &&
            !shown) {
            shown = true;
            if (m_cancel)
                watched->findChild<QAbstractButton*>(QStringLiteral("cmdCancel"))->click();
        }
        return false;
    }

private:
    bool m_cancel;
};

} // namespace

class TestTransferWizard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        // No ~/.ssh and no ssh-agent of the machine's user.
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("HOME", m_home->path().toLocal8Bit());
        qunsetenv("SSH_AUTH_SOCK");
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
        m_app = std::make_unique<QTemporaryDir>();
        m_server = std::make_unique<QTemporaryDir>();
    }

    void addLocalServer();
    void addLocalFolder();
    void connectPageRefusals_data();
    void connectPageRefusals();
    void whyNextIsDisabled_data();
    void whyNextIsDisabled();
    void backKeepsEveryField();
    void proposesTheLocalApacheVersion();
    void cancelLeavesNoFolder();
    void getOverUnsentChanges_data();
    void getOverUnsentChanges();
    void getShowsProgress_data();
    void getShowsProgress();
    void progressDialogShowsCounts_data();
    void progressDialogShowsCounts();
    void remotePageRules();
    void addSftpServerWithPrompts();
    void failedConnectionRegistersNothing();
    void uploadWizard_data();
    void uploadWizard();
    void uploadWizardSplit();
    void showChangesIsTheUploadDiff();

private:
    QString addLocal(const QByteArray& content);
    std::unique_ptr<QTemporaryDir> m_app;
    std::unique_ptr<QTemporaryDir> m_server;
    std::unique_ptr<QTemporaryDir> m_home;
};

QString TestTransferWizard::addLocal(const QByteArray& content)
{
    const QString conf = m_server->filePath("httpd.conf");
    if (!writeFile(conf, content))
        return QString();
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    nextButton(w)->click(); // welcome
    fillConnectPage(w, "web", "Linux / Unix", false);
    nextButton(w)->click();
    child<QLineEdit>(w, "txtFilename")->setText(conf);
    nextButton(w)->click();
    if (!QTest::qWaitFor([&] { return w.connectingPage()->finished(); }, 20000))
        return QString();
    nextButton(w)->click(); // Finish
    return w.addedServer();
}

// A folder holding apache2.conf (Debian's layout) registers that file and
// the files it includes.
void TestTransferWizard::addLocalFolder()
{
    QVERIFY(writeFile(m_server->filePath("apache2.conf"), "Include sites/*.conf\n"));
    QVERIFY(QDir().mkpath(m_server->filePath("sites")));
    QVERIFY(writeFile(m_server->filePath("sites/a.conf"), "<VirtualHost *:80>\n</VirtualHost>\n"));
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    nextButton(w)->click();
    fillConnectPage(w, "deb", "Linux / Unix", false);
    nextButton(w)->click();
    child<QLineEdit>(w, "txtFilename")->setText(m_server->path());
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Connecting));
    QTRY_VERIFY_WITH_TIMEOUT(w.connectingPage()->finished(), 20000);
    nextButton(w)->click(); // Finish
    const IniFile ini(m_app->filePath("Corvane.ini"));
    QCOMPARE(QString::fromStdString(ini.readValue("deb", "LOCAL_CONF")),
             QFileInfo(m_server->filePath("apache2.conf")).absoluteFilePath());
    QCOMPARE(ini.readValue("deb", "MAIN_FILE"), std::string("apache2.conf"));
    QCOMPARE(readFile(m_app->filePath("deb/WorkArea/tree/sites/a.conf")),
             readFile(m_server->filePath("sites/a.conf")));
}

void TestTransferWizard::addLocalServer()
{
    const QString conf = m_server->filePath("httpd.conf");
    QVERIFY(writeFile(conf, config(m_server->path(), "www.example.test")));
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    QCOMPARE(child<QLabel>(w, "lblCaption")->text(), QStringLiteral("Welcome to Corvane connection wizard"));
    QVERIFY(!child<QPlainTextEdit>(w, "txtOutputs")->isVisible());
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Connect));
    QVERIFY(!nextButton(w)->isEnabled());
    fillConnectPage(w, " web ", "Linux / Unix", false);
    QVERIFY(nextButton(w)->isEnabled());
    snapshot(w, "wizard-connect");
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Local));
    // A main file of any name is taken, but only one that exists.
    child<QLineEdit>(w, "txtFilename")->setText(QString());
    QVERIFY(!nextButton(w)->isEnabled());
    child<QLineEdit>(w, "txtFilename")->setText(m_server->filePath("apache2.conf"));
    QVERIFY(!nextButton(w)->isEnabled());
    QCOMPARE(whyNot(w), "The file " + m_server->filePath("apache2.conf") + " does not exist");
    FileDialog::setNextFileName(conf);
    child<QAbstractButton>(w, "cmdBrowse")->click();
    QCOMPARE(child<QLineEdit>(w, "txtFilename")->text(), conf);
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Connecting));
    QTRY_VERIFY_WITH_TIMEOUT(w.connectingPage()->finished(), 20000);
    QCOMPARE(child<QLabel>(w, "lblConnStatus")->text(),
             QStringLiteral("Connection To Server web established."));
    snapshot(w, "wizard-connecting");
    QVERIFY(!w.button(QWizard::BackButton)->isVisible()); // nothing to retry
    QVERIFY(w.button(QWizard::FinishButton)->isEnabled());
    QVERIFY(!IniFile(m_app->filePath("Corvane.ini")).hasSection("web")); // only Finish registers
    nextButton(w)->click();
    QCOMPARE(w.addedServer(), QStringLiteral("web"));
    QCOMPARE(QString::fromStdString(IniFile(m_app->filePath("Corvane.ini")).readValue("web", "LOCAL_CONF")),
             conf);
    QCOMPARE(readFile(m_app->filePath("web/WorkArea/httpd.conf")), readFile(conf));
}

void TestTransferWizard::connectPageRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("Sample") << "Sample"
                            << "Sorry Server Name Sample Already Assigned By System";
    QTest::newRow("sAMPLE") << " sAMPLE "
                            << "Sorry Server Name Sample Already Assigned By System";
    QTest::newRow("existing folder") << "taken"
                                     << "The name is already used by another server";
    // The registry compares names without regard to case, so the wizard does too.
    QTest::newRow("existing folder, other case") << "TAKEN"
                                                 << "The name is already used by another server";
    QTest::newRow("registered, other case") << "web"
                                            << "The name is already used by another server";
    QTest::newRow("double quote") << "we\"b"
                                  << "The server name \"we\"b\" contains a double quote (\"), which a server "
                                     "name may not hold.";
}

void TestTransferWizard::connectPageRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    QVERIFY(QDir().mkpath(m_app->filePath("taken")));
    // A registered server whose folder is gone still holds its name.
    QVERIFY(IniFile(m_app->filePath("Corvane.ini")).writeValue("Web", "SERVER_NAME", "Web"));
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    nextButton(w)->click();
    fillConnectPage(w, name, "Windows", false);
    // Next stays disabled, and the page says why.
    QVERIFY(!nextButton(w)->isEnabled());
    QCOMPARE(whyNot(w), message);
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Connect));
    QCOMPARE(IniFile(m_app->filePath("Corvane.ini")).readValue("Web", "SERVER_NAME"), std::string("Web"));
}

void TestTransferWizard::whyNextIsDisabled_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("why");
    QTest::newRow("no name") << "txtServer"
                             << "  "
                             << "Enter the server's name";
    QTest::newRow("no version") << "txtVersion"
                                << ""
                                << "Enter the server's Apache version";
    QTest::newRow("complete") << "txtServer"
                              << "shop"
                              << "";
}

void TestTransferWizard::whyNextIsDisabled()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, why);
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    nextButton(w)->click();
    fillConnectPage(w, "web", "Linux / Unix", true);
    if (auto* edit = w.currentPage()->findChild<QLineEdit*>(field))
        edit->setText(text);
    else
        child<QComboBox>(w, qPrintable(field))->setCurrentText(text);
    QCOMPARE(nextButton(w)->isEnabled(), why.isEmpty());
    QCOMPARE(whyNot(w), why);
    if (!why.isEmpty())
        return;
    // The remote page says so too while its host is empty.
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Remote));
    QVERIFY(!nextButton(w)->isEnabled());
    QCOMPARE(whyNot(w), QStringLiteral("Enter the remote host"));
    child<QLineEdit>(w, "txtRemoteHost")->setText("127.0.0.1");
    QVERIFY(nextButton(w)->isEnabled());
    QCOMPARE(whyNot(w), QString());
}

// Back to the first page and Next again: every field is as it was.
void TestTransferWizard::backKeepsEveryField()
{
    const QString conf = m_server->filePath("httpd.conf");
    QVERIFY(writeFile(conf, config(m_server->path(), "www.example.test")));
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    nextButton(w)->click();
    fillConnectPage(w, "web", "Windows", false);
    child<QComboBox>(w, "txtVersion")->setCurrentText("2.2.34");
    nextButton(w)->click();
    child<QLineEdit>(w, "txtFilename")->setText(conf);
    for (int i = 0; i < 2; ++i)
        w.button(QWizard::BackButton)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Welcome));
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Connect));
    QCOMPARE(child<QLineEdit>(w, "txtServer")->text(), QStringLiteral("web"));
    QCOMPARE(child<QComboBox>(w, "txtVersion")->currentText(), QStringLiteral("2.2.34"));
    QCOMPARE(child<QComboBox>(w, "CmbOS")->currentText(), QStringLiteral("Windows"));
    QVERIFY(child<QRadioButton>(w, "optLocal")->isChecked());
    QVERIFY(nextButton(w)->isEnabled());
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Local));
    QCOMPARE(child<QLineEdit>(w, "txtFilename")->text(), conf);
    // The same for the remote page.
    w.button(QWizard::BackButton)->click();
    child<QRadioButton>(w, "optRemote")->click();
    nextButton(w)->click();
    child<QLineEdit>(w, "txtRemoteHost")->setText("127.0.0.1");
    child<QLineEdit>(w, "txtUsername")->setText("web");
    child<QLineEdit>(w, "txtFolder")->setText("/srv/conf");
    for (int i = 0; i < 2; ++i)
        w.button(QWizard::BackButton)->click();
    nextButton(w)->click();
    QVERIFY(child<QRadioButton>(w, "optRemote")->isChecked());
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Remote));
    QCOMPARE(child<QLineEdit>(w, "txtRemoteHost")->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(child<QLineEdit>(w, "txtUsername")->text(), QStringLiteral("web"));
    QCOMPARE(child<QLineEdit>(w, "txtFolder")->text(), QStringLiteral("/srv/conf"));
}

// A server on this machine is offered the version of the Apache installed here.
void TestTransferWizard::proposesTheLocalApacheVersion()
{
    const QString installed = installedApacheVersion();
    QVERIFY2(!installed.isEmpty(), "apache2 -v gave no version");
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    nextButton(w)->click();
    child<QLineEdit>(w, "txtServer")->setText("web");
    auto* version = child<QComboBox>(w, "txtVersion");
    QCOMPARE(version->currentText(), QString());
    child<QRadioButton>(w, "optRemote")->click();
    QCOMPARE(version->currentText(), QString()); // nothing to propose for a remote server
    child<QRadioButton>(w, "optLocal")->click();
    QCOMPARE(version->currentText(), installed);
    // A version the administrator chose stays.
    version->setCurrentText("2.2.34");
    child<QRadioButton>(w, "optRemote")->click();
    child<QRadioButton>(w, "optLocal")->click();
    QCOMPARE(version->currentText(), QStringLiteral("2.2.34"));
}

void TestTransferWizard::cancelLeavesNoFolder()
{
    const QString conf = m_server->filePath("httpd.conf");
    QVERIFY(writeFile(conf, config(m_server->path(), "www.example.test")));
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    nextButton(w)->click();
    fillConnectPage(w, "web", "Linux / Unix", false);
    nextButton(w)->click();
    child<QLineEdit>(w, "txtFilename")->setText(conf);
    nextButton(w)->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.connectingPage()->finished(), 20000);
    QVERIFY(QFileInfo::exists(m_app->filePath("web/WorkArea/httpd.conf")));
    w.button(QWizard::CancelButton)->click();
    QVERIFY(!w.isVisible());
    QVERIFY(!QFileInfo::exists(m_app->filePath("web")));
    QVERIFY(!IniFile(m_app->filePath("Corvane.ini")).hasSection("web"));
    // The name is free again.
    QCOMPARE(addLocal(config(m_server->path(), "www.example.test")), QStringLiteral("web"));
}

void TestTransferWizard::getOverUnsentChanges_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("No keeps the working copy") << false;
    QTest::newRow("Yes keeps a dated copy and fetches") << true;
}

void TestTransferWizard::getOverUnsentChanges()
{
    QFETCH(bool, yes);
    QCOMPARE(addLocal(config(m_server->path(), "www.example.test")), QStringLiteral("web"));
    const QString work = m_app->filePath("web/WorkArea/httpd.conf");
    const QByteArray edited = readFile(work).replace("www.example.test", "shop.example.test");
    QVERIFY(writeFile(work, edited));
    MessageBox::resetRecord();
    MessageBox::setNextAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
    TransferWizard w(TransferWizard::GetConfig, AppFolder(m_app->path()), "web");
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(w.connectingPage()->finished(), 20000);
    QCOMPARE(MessageBox::shownCount(), 1);
    QVERIFY2(MessageBox::lastText().contains("not sent"), qPrintable(MessageBox::lastText()));
    const QStringList kept = QDir(m_app->filePath("web/Backup")).entryList({"httpd-unsent-*.conf"});
    if (yes) {
        QVERIFY(!w.state().TransferFailed);
        QCOMPARE(readFile(work), readFile(m_server->filePath("httpd.conf")));
        QCOMPARE(kept.size(), 1);
        QCOMPARE(readFile(m_app->filePath("web/Backup/" + kept.first())), edited);
    } else {
        QVERIFY(w.state().TransferFailed);
        QCOMPARE(readFile(work), edited);
        QVERIFY(kept.isEmpty());
        QVERIFY2(child<QLabel>(w, "lblConnStatus")->text().contains("Nothing was fetched"),
                 qPrintable(child<QLabel>(w, "lblConnStatus")->text()));
    }
    nextButton(w)->click();
    QVERIFY(QFileInfo::exists(work)); // a registered server keeps its folder
}

void TestTransferWizard::getShowsProgress_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("fetched") << false;
    QTest::newRow("cancelled") << true;
}

// Get shows the files and bytes in a dialog of its own; its Cancel stops
// the fetch and the work area stays as it was.
void TestTransferWizard::getShowsProgress()
{
    QFETCH(bool, cancel);
    QCOMPARE(addLocal(config(m_server->path(), "www.example.test")), QStringLiteral("web"));
    const QString folder = m_app->filePath("web");
    const auto before = filesBelow(folder);
    QVERIFY(writeFile(m_server->filePath("httpd.conf"), config(m_server->path(), "shop.example.test")));
    ProgressWatch watch(cancel);
    qApp->installEventFilter(&watch);
    TransferWizard w(TransferWizard::GetConfig, AppFolder(m_app->path()), "web");
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(w.connectingPage()->finished(), 20000);
    qApp->removeEventFilter(&watch);
    QVERIFY(watch.shown);
    QVERIFY(!w.findChild<QDialog*>(QStringLiteral("dlgTransferProgress"))); // gone with the transfer
    const QString status = child<QLabel>(w, "lblConnStatus")->text();
    if (cancel) {
        QVERIFY(w.state().TransferFailed);
        QCOMPARE(status, ConfigTransfer::cancelledText(false));
        QVERIFY(filesBelow(folder) == before);
    } else {
        QVERIFY2(!w.state().TransferFailed, qPrintable(status));
        QCOMPARE(readFile(m_app->filePath("web/WorkArea/httpd.conf")),
                 readFile(m_server->filePath("httpd.conf")));
    }
    nextButton(w)->click();
}

void TestTransferWizard::progressDialogShowsCounts_data()
{
    QTest::addColumn<int>("filesDone");
    QTest::addColumn<int>("filesTotal");
    QTest::addColumn<qint64>("bytesDone");
    QTest::addColumn<qint64>("bytesTotal");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<QString>("files");
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<int>("barMaximum"); // 0: busy
    QTest::addColumn<int>("barValue");
    QTest::newRow("fetch, totals not known") << 1 << -1 << qint64(900) << qint64(-1) << false << "1 file"
                                             << "900 bytes" << 0 << 0;
    QTest::newRow("upload midway") << 3 << 12 << qint64(3 * 1024 * 1024) << qint64(12 * 1024 * 1024) << false
                                   << "3 of 12 files"
                                   << "3.0 MiB of 12.0 MiB" << 1000 << 250;
    QTest::newRow("fetch finished") << 7 << 7 << qint64(2048) << qint64(2048) << true << "7 of 7 files"
                                    << "2.0 KiB of 2.0 KiB" << 1000 << 1000;
}

// What the dialog shows of a report; Escape asks to stop like Cancel, once.
void TestTransferWizard::progressDialogShowsCounts()
{
    QFETCH(int, filesDone);
    QFETCH(int, filesTotal);
    QFETCH(qint64, bytesDone);
    QFETCH(qint64, bytesTotal);
    QFETCH(bool, finished);
    QFETCH(QString, files);
    QFETCH(QString, bytes);
    QFETCH(int, barMaximum);
    QFETCH(int, barValue);
    TransferProgressDialog dialog(false);
    TransferProgress p;
    p.filesDone = filesDone;
    p.filesTotal = filesTotal;
    p.bytesDone = bytesDone;
    p.bytesTotal = bytesTotal;
    p.finished = finished;
    p.currentFile = "/etc/apache2/sites-enabled/<b>a</b>.conf";
    dialog.show();
    dialog.showProgress(p);
    QCOMPARE(child<QLabel>(dialog, "lblProgressFiles")->text(), files);
    QCOMPARE(child<QLabel>(dialog, "lblProgressBytes")->text(), bytes);
    QCOMPARE(child<QLabel>(dialog, "lblProgressFile")->textFormat(), Qt::PlainText);
    QCOMPARE(child<QProgressBar>(dialog, "prgTransfer")->maximum(), barMaximum);
    if (barMaximum > 0)
        QCOMPARE(child<QProgressBar>(dialog, "prgTransfer")->value(), barValue);
    int asked = 0;
    connect(&dialog, &TransferProgressDialog::cancelRequested, [&asked] { ++asked; });
    QTest::keyClick(&dialog, Qt::Key_Escape);
    child<QAbstractButton>(dialog, "cmdCancel")->click();
    QCOMPARE(asked, 1);
    QVERIFY(dialog.isVisible()); // closed by whoever runs the transfer, when it has stopped
    QVERIFY(!child<QAbstractButton>(dialog, "cmdCancel")->isEnabled());
}

void TestTransferWizard::remotePageRules()
{
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    nextButton(w)->click();
    fillConnectPage(w, "web", "Linux / Unix", true);
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Remote));
    // A new server: SFTP with keys first; port and user may be left to ~/.ssh/config.
    QVERIFY(child<QCheckBox>(w, "chkSFTP")->isChecked());
    QVERIFY(child<QRadioButton>(w, "optAuthType_PublicKey")->isChecked());
    QCOMPARE(child<QLineEdit>(w, "txtPort")->text(), QString());
    QCOMPARE(child<QLineEdit>(w, "txtFolder")->text(), QStringLiteral("/"));
    QVERIFY(child<QAbstractButton>(w, "btnOpenFile")->isEnabled());
    // Leaving the user name of a Linux server fills in its home folder.
    child<QLineEdit>(w, "txtRemoteHost")->setText("127.0.0.1");
    QLineEdit* user = child<QLineEdit>(w, "txtUsername");
    user->setText("web");
    emit user->editingFinished();
    QCOMPARE(child<QLineEdit>(w, "txtFolder")->text(), QStringLiteral("/usr/home/web"));
    // Keyboard-interactive needs no key file.
    child<QRadioButton>(w, "optAuthType_Keyboard")->click();
    QVERIFY(!child<QAbstractButton>(w, "btnOpenFile")->isEnabled());
    // A key file that does not exist does not leave the page; none at all would.
    child<QRadioButton>(w, "optAuthType_PublicKey")->click();
    child<QLineEdit>(w, "txtPrivateKeyFile")->setText(m_app->filePath("no-such-key"));
    user->clear();
    QVERIFY(nextButton(w)->isEnabled());
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Remote));
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Please select a valid key file."));
    // FTP instead: the authentication choices go grey, the port follows, a user is needed.
    child<QCheckBox>(w, "chkSFTP")->click();
    QVERIFY(!child<QRadioButton>(w, "optAuthType_PublicKey")->isEnabled());
    QCOMPARE(child<QLineEdit>(w, "txtPort")->text(), QStringLiteral("21"));
    QVERIFY(!nextButton(w)->isEnabled());
}

void TestTransferWizard::addSftpServerWithPrompts()
{
    if (const QString why = SshdServer::skipReason(); !why.isEmpty())
        QSKIP(qPrintable(why));
    SshdServer sshd;
    QVERIFY2(sshd.start(), qPrintable(sshd.error()));
    QVERIFY(sshd.writeFile("conf/httpd.conf", config("/srv/www", "sftp.example.test")));
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    nextButton(w)->click();
    fillConnectPage(w, "remote", "Linux / Unix", true);
    nextButton(w)->click();
    child<QLineEdit>(w, "txtRemoteHost")->setText(sshd.host());
    child<QLineEdit>(w, "txtPort")->setText(QString::number(sshd.port()));
    child<QLineEdit>(w, "txtUsername")->setText(SshdServer::user());
    child<QLineEdit>(w, "txtFolder")->setText(sshd.path("conf/httpd.conf")); // the file: its folder is taken
    child<QRadioButton>(w, "optAuthType_Keyboard")->click();
    // Keyboard-interactive with no stored password: the server's question is asked.
    MessageBox::setNextAnswer(QMessageBox::Yes); // trust the new host key
    PromptDialog::setNextAnswer(SshdServer::password());
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Connecting));
    QTRY_VERIFY_WITH_TIMEOUT(w.connectingPage()->finished(), 30000);
    QVERIFY2(!w.state().TransferFailed, qPrintable(child<QLabel>(w, "lblConnStatus")->text()));
    QVERIFY(MessageBox::lastText().contains(sshd.hostKeyFingerprint()));
    QVERIFY(PromptDialog::lastPrompt().contains("assword"));
    QVERIFY(child<QWidget>(w, "Log")->isVisible());
    // The page says how the login went, and the server keeps it.
    QVERIFY(child<QLabel>(w, "lblAuthUsed")->isVisible());
    QCOMPARE(child<QLabel>(w, "lblAuthUsed")->text(),
             QStringLiteral("Authentication used: Keyboard-interactive"));
    snapshot(w, "wizard-sftp-log");
    nextButton(w)->click();
    QCOMPARE(w.addedServer(), QStringLiteral("remote"));
    const IniFile ini(m_app->filePath("Corvane.ini"));
    QCOMPARE(ini.readValue("remote", "SFTP_AUTHTYPE"), std::string("16"));
    QCOMPARE(ini.readValue("remote", "SFTP_AUTH_USED"), std::string("Keyboard-interactive"));
    QCOMPARE(ini.readValue("remote", "REMOTE_FOLDER"), sshd.path("conf").toStdString());
    QCOMPARE(readFile(m_app->filePath("remote/WorkArea/httpd.conf")),
             config("/srv/www", "sftp.example.test"));
}

void TestTransferWizard::failedConnectionRegistersNothing()
{
    // Nothing listens on port 1: the connection fails at once.
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    nextButton(w)->click();
    fillConnectPage(w, "web", "Windows", true);
    nextButton(w)->click();
    child<QCheckBox>(w, "chkSFTP")->click(); // plain FTP
    // No keychain runs here: keeping the password in Corvane.ini is offered, unticked.
    QVERIFY(child<QCheckBox>(w, "chkStorePassword")->isVisible());
    QVERIFY(!child<QCheckBox>(w, "chkStorePassword")->isChecked());
    QCOMPARE(child<QCheckBox>(w, "chkStorePassword")->text(),
             QStringLiteral("Store the password in Corvane.ini (obfuscated, not encrypted)"));
    child<QCheckBox>(w, "chkStorePassword")->click();
    child<QLineEdit>(w, "txtRemoteHost")->setText("127.0.0.1");
    child<QLineEdit>(w, "txtPort")->setText("1");
    child<QLineEdit>(w, "txtUsername")->setText("web");
    child<QLineEdit>(w, "txtPassword")->setText("secret");
    nextButton(w)->click();
    QVERIFY(w.state().WizardStorePasswordInIni);
    QTRY_VERIFY_WITH_TIMEOUT(w.connectingPage()->finished(), 30000);
    QVERIFY(w.state().TransferFailed);
    QCOMPARE(child<QLabel>(w, "lblConnStatus")->text(), QStringLiteral("Connection To Server web failed."));
    QVERIFY(w.button(QWizard::BackButton)->isVisible() && w.button(QWizard::BackButton)->isEnabled());
    // Back leads to the remote page with what was typed; a second failure, then Finish.
    w.button(QWizard::BackButton)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Remote));
    QCOMPARE(child<QLineEdit>(w, "txtPort")->text(), QStringLiteral("1"));
    nextButton(w)->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.connectingPage()->finished(), 30000);
    nextButton(w)->click();
    QCOMPARE(w.addedServer(), QString());
    QVERIFY(!IniFile(m_app->filePath("Corvane.ini")).hasSection("web"));
    QVERIFY(!QFileInfo::exists(m_app->filePath("web")));
}

void TestTransferWizard::uploadWizard_data()
{
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<bool>("syntaxOk");
    QTest::addColumn<int>("answer"); // to "Continue with Upload ?"
    QTest::addColumn<bool>("uploaded");
    QTest::newRow("valid") << QByteArray() << true << int(QMessageBox::NoButton) << true;
    QTest::newRow("broken, No") << QByteArray("KeepAlive perhaps\r\n") << false << int(QMessageBox::No)
                                << false;
    QTest::newRow("broken, Yes") << QByteArray("KeepAlive perhaps\r\n") << false << int(QMessageBox::Yes)
                                 << true;
}

void TestTransferWizard::uploadWizard()
{
    QFETCH(QByteArray, extra);
    QFETCH(bool, syntaxOk);
    QFETCH(int, answer);
    QFETCH(bool, uploaded);
    if (QStandardPaths::findExecutable("apache2", {"/usr/sbin"}).isEmpty())
        QSKIP("no apache2");
    const QByteArray original = config(m_server->path(), "www.example.test");
    QCOMPARE(addLocal(original), QStringLiteral("web"));
    const QString work = m_app->filePath("web/WorkArea/httpd.conf");
    const QByteArray edited =
        QByteArray(original).replace("www.example", "shop.example").replace("\n", "\r\n") + extra;
    QVERIFY(writeFile(work, edited));

    TransferWizard w(TransferWizard::Upload, AppFolder(m_app->path()), "web");
    w.show();
    QCOMPARE(child<QLabel>(w, "lblCaption")->text(), QStringLiteral("Config file transfer"));
    QTRY_VERIFY_WITH_TIMEOUT(w.welcomePage()->checked(), 20000);
    QCOMPARE(w.welcomePage()->outputs().contains("Syntax OK"), syntaxOk);
    snapshot(w, QStringLiteral("upload-check-%1").arg(syntaxOk));
    if (answer != QMessageBox::NoButton)
        MessageBox::setNextAnswer(QMessageBox::StandardButton(answer));
    nextButton(w)->click();
    if (!syntaxOk)
        QCOMPARE(MessageBox::lastText(), WelcomePage::continueQuestion());
    if (!uploaded) {
        QCOMPARE(w.currentId(), int(TransferWizard::Welcome));
        QCOMPARE(readFile(m_server->filePath("httpd.conf")), original);
        return;
    }
    QCOMPARE(w.currentId(), int(TransferWizard::Diff));
    const QString diff = child<QPlainTextEdit>(w, "txtDiff")->toPlainText();
    QVERIFY2(diff.contains("-ServerName www.example.test\n+ServerName shop.example.test"), qPrintable(diff));
    snapshot(w, "upload-diff");
    nextButton(w)->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.connectingPage()->finished(), 20000);
    QCOMPARE(child<QLabel>(w, "lblConnStatus")->text(), QStringLiteral("File synchronized successfully"));
    nextButton(w)->click();
    QCOMPARE(readFile(m_server->filePath("httpd.conf")), QByteArray(edited).replace("\r\n", "\n"));
    QCOMPARE(readFile(work), edited);
}

// A configuration split over files: the changes page shows one diff per
// changed file headed by its server path, the log lists what was sent, and
// only that file changes on the server.
void TestTransferWizard::uploadWizardSplit()
{
    if (QStandardPaths::findExecutable("apache2", {"/usr/sbin"}).isEmpty())
        QSKIP("no apache2");
    const QString server = QFileInfo(m_server->path()).canonicalFilePath();
    QVERIFY(QDir().mkpath(server + "/sites"));
    const QByteArray site = "<VirtualHost 127.0.0.1:18081>\n    ServerName a.example.test\n</VirtualHost>\n";
    QVERIFY(writeFile(server + "/sites/a.conf", site));
    const QByteArray main =
        config(server, "www.example.test") + "Include " + server.toUtf8() + "/sites/*.conf\n";
    QCOMPARE(addLocal(main), QStringLiteral("web"));
    // The server root is /etc/apache2 (ServerRoot): the site lies outside it.
    const QString work = m_app->filePath("web/WorkArea/outside") + server + "/sites/a.conf";
    QCOMPARE(readFile(work), site);
    QVERIFY(writeFile(work, QByteArray(site).replace("a.example", "b.example")));

    TransferWizard w(TransferWizard::Upload, AppFolder(m_app->path()), "web");
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(w.welcomePage()->checked(), 20000);
    QVERIFY2(w.welcomePage()->outputs().contains("Syntax OK"), qPrintable(w.welcomePage()->outputs()));
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Diff));
    const QString diff = child<QPlainTextEdit>(w, "txtDiff")->toPlainText();
    QVERIFY2(diff.startsWith("--- " + server + "/sites/a.conf\t(server)\n+++ " + server +
                             "/sites/a.conf\t(working copy)\n"),
             qPrintable(diff));
    QVERIFY(diff.contains("-    ServerName a.example.test\n+    ServerName b.example.test"));
    nextButton(w)->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.connectingPage()->finished(), 20000);
    QCOMPARE(child<QLabel>(w, "lblConnStatus")->text(), QStringLiteral("File synchronized successfully"));
    const QListWidget* log = child<QListWidget>(w, "Log");
    QVERIFY(!log->findItems("Sent " + server + "/sites/a.conf", Qt::MatchStartsWith).isEmpty());
    nextButton(w)->click();
    QCOMPARE(readFile(server + "/sites/a.conf"), QByteArray(site).replace("a.example", "b.example"));
    QCOMPARE(readFile(server + "/httpd.conf"), main);
    QCOMPARE(QDir(server + "/sites").entryList({"a.conf.*.corvane-backup"}, QDir::Files).size(), 1);
}

// Show Changes on a server node: the diff an upload would send, the same
// bytes as corvanectl diff, in a window that does not block the console.
void TestTransferWizard::showChangesIsTheUploadDiff()
{
    const QByteArray original = config(m_server->path(), "www.example.test");
    QCOMPARE(addLocal(original), QStringLiteral("web"));
    const QString work = m_app->filePath("web/WorkArea/httpd.conf");
    QWidget* unchanged = TransferDialogs::showChanges(AppFolder(m_app->path()), "web", nullptr);
    QCOMPARE(child<QPlainTextEdit>(*unchanged, "txtChanges")->toPlainText(),
             QStringLiteral("The working copy is as it was last fetched."));
    unchanged->close();
    QVERIFY(writeFile(work, QByteArray(original).replace("www.example", "shop.example")));
    QWidget* view = TransferDialogs::showChanges(AppFolder(m_app->path()), "web", nullptr);
    QVERIFY(view->isVisible());
    const QString diff = child<QPlainTextEdit>(*view, "txtChanges")->toPlainText();
    QVERIFY2(diff.contains("-ServerName www.example.test\n+ServerName shop.example.test"), qPrintable(diff));
    const ServerWorkArea area(AppFolder(m_app->path()), "web");
    QCOMPARE(diff, QString::fromUtf8(UnifiedDiff::diffTree(area, "web")));
    QVERIFY(corvane::test::saveScreenshot(view, QStringLiteral("show-changes")));
    view->close();

    // Revert Changes asks first; No leaves the working copy, Yes puts it back.
    MessageBox::setNextAnswer(QMessageBox::No);
    QVERIFY(!TransferDialogs::revertChanges(AppFolder(m_app->path()), "web", nullptr));
    QVERIFY(readFile(work).contains("shop.example.test"));
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QVERIFY(TransferDialogs::revertChanges(AppFolder(m_app->path()), "web", nullptr));
    QCOMPARE(readFile(work), original);
    QVERIFY2(MessageBox::lastText().contains("httpd-unsent-"), qPrintable(MessageBox::lastText()));
}

QTEST_MAIN(TestTransferWizard)
#include "tst_transferwizard.moc"
