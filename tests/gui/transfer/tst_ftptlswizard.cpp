// FTP over TLS in the connection wizard, driven through its real pages
// (offscreen) against real vsftpd servers on 127.0.0.1: one that requires
// TLS with a self-signed certificate, one without TLS. The certificate
// question is answered through the message box's next-answer hook.
#include "VsftpdServer.h"

#include "host/MessageBox.h"
#include "registry/IniFile.h"
#include "transfer/gui/ConnectingPage.h"
#include "transfer/gui/TransferWizard.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace corvane;

namespace {

const QByteArray kConf = "ServerRoot \"/etc/apache2\"\nServerName www.example.test\nListen 127.0.0.1:18083\n";

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
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

QString text(QWizard& w, const char* label)
{
    return child<QLabel>(w, label)->text();
}

// The administrator picks an entry of the "Use TLS" box.
void chooseTls(QWizard& w, const QString& mode)
{
    auto* box = child<QComboBox>(w, "cmbFtpTls");
    const int index = box->findData(mode);
    QVERIFY2(index >= 0, qPrintable(mode));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

} // namespace

class TestFtpTlsWizard : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void tlsChoiceIsForFtpOnly();
    void certificateQuestion_data();
    void certificateQuestion();
    void tlsModes_data();
    void tlsModes();

private:
    // Welcome, server properties and the remote page for plain FTP to `server`,
    // ending on the connecting page once the transfer has finished.
    void connectTo(TransferWizard& w, const VsftpdServer& server, const QString& tls);
    IniFile ini() const { return IniFile(m_app->filePath("Corvane.ini")); }

    std::unique_ptr<VsftpdServer> m_tls;
    std::unique_ptr<VsftpdServer> m_plain;
    std::unique_ptr<QTemporaryDir> m_app;
    std::unique_ptr<QTemporaryDir> m_home;
};

void TestFtpTlsWizard::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    if (const QString why = VsftpdServer::skipReason(); !why.isEmpty())
        QSKIP(qPrintable(why));
    if (QStandardPaths::findExecutable("openssl").isEmpty())
        QSKIP("openssl is not installed");
    VsftpdServer::Options tls;
    tls.tls = true;
    m_tls = std::make_unique<VsftpdServer>(tls);
    QVERIFY2(m_tls->start(), qPrintable(m_tls->error()));
    m_plain = std::make_unique<VsftpdServer>();
    QVERIFY2(m_plain->start(), qPrintable(m_plain->error()));
    QVERIFY(m_tls->writeFile("conf/httpd.conf", kConf));
    QVERIFY(m_plain->writeFile("conf/httpd.conf", kConf));
}

void TestFtpTlsWizard::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("HOME", m_home->path().toLocal8Bit());
    MessageBox::clearNextAnswers();
    MessageBox::resetRecord();
    m_app = std::make_unique<QTemporaryDir>();
}

void TestFtpTlsWizard::connectTo(TransferWizard& w, const VsftpdServer& server, const QString& tls)
{
    w.show();
    nextButton(w)->click(); // welcome
    child<QLineEdit>(w, "txtServer")->setText("web");
    child<QComboBox>(w, "txtVersion")->setCurrentText("2.4.62");
    child<QComboBox>(w, "CmbOS")->setCurrentText("Linux / Unix");
    child<QRadioButton>(w, "optRemote")->click();
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Remote));
    child<QCheckBox>(w, "chkSFTP")->click(); // plain FTP
    child<QLineEdit>(w, "txtRemoteHost")->setText(server.host());
    child<QLineEdit>(w, "txtPort")->setText(QString::number(server.port()));
    child<QLineEdit>(w, "txtUsername")->setText(VsftpdServer::user());
    child<QLineEdit>(w, "txtPassword")->setText(VsftpdServer::password());
    child<QLineEdit>(w, "txtFolder")->setText("/conf");
    // No keychain runs here: keep the password so that a later Get need not ask.
    if (auto* store = w.findChild<QCheckBox*>("chkStorePassword"); store && !store->isChecked())
        store->click();
    if (!tls.isEmpty())
        chooseTls(w, tls);
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Connecting));
    QTRY_VERIFY_WITH_TIMEOUT(w.connectingPage()->finished(), 30000);
}

void TestFtpTlsWizard::tlsChoiceIsForFtpOnly()
{
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    w.show();
    nextButton(w)->click();
    child<QLineEdit>(w, "txtServer")->setText("web");
    child<QComboBox>(w, "txtVersion")->setCurrentText("2.4.62");
    child<QComboBox>(w, "CmbOS")->setCurrentText("Linux / Unix");
    child<QRadioButton>(w, "optRemote")->click();
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Remote));
    auto* box = child<QComboBox>(w, "cmbFtpTls");
    // A new server starts at "if offered" with no mode of its own chosen yet.
    QVERIFY(!box->isEnabled()); // SFTP first
    QCOMPARE(box->currentData().toString(), QStringLiteral("optional"));
    child<QCheckBox>(w, "chkSFTP")->click();
    QVERIFY(box->isEnabled());
    QCOMPARE(w.state().WizardFtpTls, QString());
    chooseTls(w, "never");
    QCOMPARE(w.state().WizardFtpTls, QStringLiteral("never"));
    // Back and forth keeps the choice.
    child<QLineEdit>(w, "txtRemoteHost")->setText("127.0.0.1");
    w.back();
    nextButton(w)->click();
    QCOMPARE(w.currentId(), int(TransferWizard::Remote));
    QVERIFY(box->isEnabled());
    QCOMPARE(box->currentData().toString(), QStringLiteral("never"));
    child<QCheckBox>(w, "chkSFTP")->click();
    QVERIFY(!box->isEnabled());
}

void TestFtpTlsWizard::certificateQuestion_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes pins the certificate") << true;
    QTest::newRow("No refuses the connection") << false;
}

void TestFtpTlsWizard::certificateQuestion()
{
    QFETCH(bool, yes);
    const QString fingerprint = m_tls->certificateFingerprint();
    QVERIFY(!fingerprint.isEmpty());
    MessageBox::setNextAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    connectTo(w, *m_tls, QString());
    QCOMPARE(MessageBox::shownCount(), 1);
    QCOMPARE(MessageBox::lastIcon(), QMessageBox::Question);
    QVERIFY2(MessageBox::lastText().contains(fingerprint), qPrintable(MessageBox::lastText()));
    QVERIFY(MessageBox::lastText().contains(QStringLiteral("SHA-256")));
    const QString pin = QStringLiteral("%1:%2 %3").arg(m_tls->host()).arg(m_tls->port()).arg(fingerprint);

    if (!yes) {
        QVERIFY(w.state().TransferFailed);
        QCOMPARE(text(w, "lblConnStatus"), QStringLiteral("Connection To Server web failed."));
        QVERIFY(child<QLabel>(w, "lblFailureCause")->isVisible());
        QVERIFY2(text(w, "lblFailureCause").contains(fingerprint), qPrintable(text(w, "lblFailureCause")));
        QVERIFY(!child<QLabel>(w, "lblProtection")->isVisible());
        QVERIFY(!readFile(m_app->filePath("known_certificates")).contains(fingerprint.toUtf8()));
        nextButton(w)->click();
        QVERIFY(!ini().hasSection("web"));
        QVERIFY(!QFileInfo::exists(m_app->filePath("web")));
        return;
    }

    QVERIFY2(!w.state().TransferFailed, qPrintable(text(w, "lblFailureCause")));
    QVERIFY(child<QLabel>(w, "lblProtection")->isVisible());
    const QString shown = text(w, "lblProtection");
    QVERIFY2(shown.startsWith("Protection: TLS 1.") && shown.contains("accepted by the administrator") &&
                 shown.contains(fingerprint),
             qPrintable(shown));
    QCOMPARE(readFile(m_app->filePath("known_certificates")).trimmed(), pin.toUtf8());
    nextButton(w)->click();
    QCOMPARE(w.addedServer(), QStringLiteral("web"));
    QCOMPARE(readFile(m_app->filePath("web/WorkArea/httpd.conf")), kConf);
    // A server that offered TLS is held to it; how it was protected is kept.
    QCOMPARE(ini().readValue("web", "FTP_TLS"), std::string("required"));
    QCOMPARE(QString::fromStdString(ini().readValue("web", "FTP_PROTECTION_USED")),
             shown.mid(QStringLiteral("Protection: ").size()));

    // The next connection knows the certificate: nothing is asked.
    MessageBox::resetRecord();
    TransferWizard get(TransferWizard::GetConfig, AppFolder(m_app->path()), "web");
    get.show();
    QTRY_VERIFY_WITH_TIMEOUT(get.connectingPage()->finished(), 30000);
    QVERIFY2(!get.state().TransferFailed, qPrintable(text(get, "lblFailureCause")));
    QCOMPARE(MessageBox::shownCount(), 0);
    QCOMPARE(text(get, "lblProtection"), shown);
    nextButton(get)->click();
    QCOMPARE(readFile(m_app->filePath("known_certificates")).trimmed(), pin.toUtf8());
}

void TestFtpTlsWizard::tlsModes_data()
{
    QTest::addColumn<bool>("tlsServer");
    QTest::addColumn<QString>("choice");    // "" leaves the new server's default
    QTest::addColumn<QString>("shown");     // the cause of a failure, or the protection
    QTest::addColumn<QByteArray>("stored"); // FTP_TLS of the registered server; "" none
    QTest::newRow("required, server without TLS: refused")
        << false << "required"
        << "TLS is required, but 127.0.0.1 port" << QByteArray();
    QTest::newRow("never, server requiring TLS: refused") << true << "never"
                                                          << "530" << QByteArray();
    QTest::newRow("default, server without TLS: clear text said so")
        << false << ""
        << "Protection: none (plain FTP: the password and the configuration travel in "
           "clear text)"
        << QByteArray("optional");
    QTest::newRow("if offered chosen, server with TLS: the choice stays")
        << true << "optional"
        << "Protection: TLS 1." << QByteArray("optional");
    QTest::newRow("required, server with TLS") << true << "required"
                                               << "Protection: TLS 1." << QByteArray("required");
}

void TestFtpTlsWizard::tlsModes()
{
    QFETCH(bool, tlsServer);
    QFETCH(QString, choice);
    QFETCH(QString, shown);
    QFETCH(QByteArray, stored);
    MessageBox::setNextAnswer(QMessageBox::Yes); // a certificate, if asked about, is trusted
    TransferWizard w(TransferWizard::Connection, AppFolder(m_app->path()));
    connectTo(w, tlsServer ? *m_tls : *m_plain, choice);
    if (stored.isEmpty()) {
        QVERIFY(w.state().TransferFailed);
        QCOMPARE(text(w, "lblConnStatus"), QStringLiteral("Connection To Server web failed."));
        QVERIFY2(text(w, "lblFailureCause").contains(shown), qPrintable(text(w, "lblFailureCause")));
        QVERIFY(!child<QLabel>(w, "lblProtection")->isVisible());
        QVERIFY(w.button(QWizard::BackButton)->isEnabled());
        nextButton(w)->click();
        QVERIFY(!ini().hasSection("web"));
        return;
    }
    QVERIFY2(!w.state().TransferFailed, qPrintable(text(w, "lblFailureCause")));
    QVERIFY(!child<QLabel>(w, "lblFailureCause")->isVisible());
    QVERIFY2(text(w, "lblProtection").startsWith(shown), qPrintable(text(w, "lblProtection")));
    nextButton(w)->click();
    QCOMPARE(ini().readValue("web", "FTP_TLS"), stored.toStdString());
    QCOMPARE(readFile(m_app->filePath("web/WorkArea/httpd.conf")), kConf);
}

QTEST_MAIN(TestFtpTlsWizard)
#include "tst_ftptlswizard.moc"
