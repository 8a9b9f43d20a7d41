// The connection page: the server's registry entry shown and written back,
// never its httpd.conf.
#include "PageFixture.h"

#include "host/MessageBox.h"
#include "registry/RegistryProcedures.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {
const QByteArray kConf = "ServerName www.example.org\nListen 80\n";
}

class PagesConnections : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;

    void makeRemote(const QString& name, bool sftp, int auth)
    {
        fx->addServer(name, kConf, "2.0.55", true);
        fx->setRegistryValue(name, "REMOTE_HOST", "ftp.example.org");
        fx->setRegistryValue(name, "USERNAME", "webadmin");
        fx->setRegistryValue(name, "PASSWORD", QString::fromStdString(EncodePassword("s3cret")));
        fx->setRegistryValue(name, "PORT_NUMBER", sftp ? "22" : "21");
        fx->setRegistryValue(name, "REMOTE_FOLDER", "/etc/httpd/conf");
        fx->setRegistryValue(name, "IS_SFTP", sftp ? "1" : "0");
        fx->setRegistryValue(name, "MAIN_FILE", "apache2.conf");
        fx->setRegistryValue(name, "ACCOUNT_ROOT", "/srv/ftp");
        if (sftp) {
            fx->setRegistryValue(name, "SFTP_AUTHTYPE", QString::number(auth));
            fx->setRegistryValue(name, "SFTP_PVTKEYFILE", "/home/admin/.ssh/id_rsa");
            fx->setRegistryValue(name, "SFTP_AUTH_USED", "Public key from ssh-agent");
        } else {
            fx->setRegistryValue(name, "FTP_PROTECTION_USED", "TLS 1.2, certificate verified by the system");
        }
    }

private slots:
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        fx->addServer("local", kConf, "2.4.71");
        makeRemote("ftp", false, 0);
        makeRemote("sftpkey", true, 2);
        makeRemote("sftppw", true, 4);
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
    }
    void cleanup() { fx.reset(); }

    void shows_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("local name") << "local"
                                    << "txtServer"
                                    << "local" << true;
        QTest::newRow("local version") << "local"
                                       << "cmbVersion"
                                       << "2.4.71" << true;
        QTest::newRow("local os") << "local"
                                  << "CmbOS"
                                  << "Linux / Unix" << true;
        QTest::newRow("local host off") << "local"
                                        << "txtRemoteHost"
                                        << "" << false;
        QTest::newRow("local auth off") << "local"
                                        << "CmbAuthType"
                                        << "" << false;
        QTest::newRow("ftp host") << "ftp"
                                  << "txtRemoteHost"
                                  << "ftp.example.org" << true;
        QTest::newRow("ftp user") << "ftp"
                                  << "txtUsername"
                                  << "webadmin" << true;
        QTest::newRow("ftp password decoded") << "ftp"
                                              << "txtPassword"
                                              << "s3cret" << true;
        QTest::newRow("ftp port") << "ftp"
                                  << "txtPort"
                                  << "21" << true;
        QTest::newRow("ftp folder") << "ftp"
                                    << "txtFolder"
                                    << "/etc/httpd/conf" << true;
        QTest::newRow("ftp auth off") << "ftp"
                                      << "CmbAuthType"
                                      << "" << false;
        QTest::newRow("ftp tls: if offered when unset") << "ftp"
                                                        << "cmbFtpTls"
                                                        << "If offered" << true;
        QTest::newRow("ftp protection used") << "ftp"
                                             << "txtProtectionUsed"
                                             << "TLS 1.2, certificate verified by the system" << true;
        QTest::newRow("ftp: no sftp login") << "ftp"
                                            << "txtAuthUsed"
                                            << "" << false;
        QTest::newRow("sftp tls off") << "sftpkey"
                                      << "cmbFtpTls"
                                      << "" << false;
        QTest::newRow("sftp auth used") << "sftpkey"
                                        << "txtAuthUsed"
                                        << "Public key from ssh-agent" << true;
        QTest::newRow("local tls off") << "local"
                                       << "cmbFtpTls"
                                       << "" << false;
        QTest::newRow("sftp key auth") << "sftpkey"
                                       << "CmbAuthType"
                                       << "PublicKey" << true;
        QTest::newRow("sftp key file") << "sftpkey"
                                       << "txtPrivateKey"
                                       << "/home/admin/.ssh/id_rsa" << true;
        QTest::newRow("sftp password auth") << "sftppw"
                                            << "CmbAuthType"
                                            << "Password" << true;
        QTest::newRow("local main file: default") << "local"
                                                  << "txtMainFile"
                                                  << "" << true;
        QTest::newRow("local: no account root") << "local"
                                                << "txtAccountRoot"
                                                << "" << false;
        QTest::newRow("ftp main file") << "ftp"
                                       << "txtMainFile"
                                       << "apache2.conf" << true;
        QTest::newRow("sftp account root") << "sftpkey"
                                           << "txtAccountRoot"
                                           << "/srv/ftp" << true;
        QTest::newRow("sftp password: no key") << "sftppw"
                                               << "txtPrivateKey"
                                               << "" << false;
    }
    void shows()
    {
        QFETCH(QString, server);
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        PropertySheet* sheet = fx->openSheet(server, -2, {"ppgConnections"});
        QCOMPARE(sheet->tabCaptions(), QStringList{"Connection"});
        QWidget* w = sheet->findChild<QWidget*>(control);
        QVERIFY(w);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            QCOMPARE(e->text(), text);
        else
            QCOMPARE(qobject_cast<QComboBox*>(w)->currentText(), text);
        QCOMPARE(w->isEnabled(), enabled);
        sheet->reject();
    }

    void choosingPublicKeyEnablesTheKeyFile()
    {
        PropertySheet* sheet = fx->openSheet("sftppw", -2, {"ppgConnections"});
        auto* auth = sheet->findChild<QComboBox*>("CmbAuthType");
        auth->setCurrentText("PublicKey");
        QVERIFY(sheet->findChild<QLineEdit*>("txtPrivateKey")->isEnabled());
        QVERIFY(sheet->findChild<QPushButton*>("cmdBrowsePrivateKey")->isEnabled());
        sheet->findChild<QLineEdit*>("txtPrivateKey")->setText("/root/key");
        sheet->apply();
        QCOMPARE(fx->registryValue("sftppw", "SFTP_AUTHTYPE"), QString("2"));
        QCOMPARE(fx->registryValue("sftppw", "SFTP_PVTKEYFILE"), QString("/root/key"));
        sheet->reject();
    }

    void applyWritesTheRegistry_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::newRow("version") << "local"
                                 << "cmbVersion"
                                 << " 2.4.58 "
                                 << "APACHE_VERSION"
                                 << "2.4.58";
        QTest::newRow("bad version kept") << "local"
                                          << "cmbVersion"
                                          << "two"
                                          << "APACHE_VERSION"
                                          << "2.4.71";
        QTest::newRow("os") << "local"
                            << "CmbOS"
                            << "Windows"
                            << "OS_TYPE"
                            << "Windows";
        QTest::newRow("user") << "ftp"
                              << "txtUsername"
                              << " deploy "
                              << "USERNAME"
                              << "deploy";
        QTest::newRow("host") << "ftp"
                              << "txtRemoteHost"
                              << "files.example.org"
                              << "REMOTE_HOST"
                              << "files.example.org";
        QTest::newRow("folder") << "ftp"
                                << "txtFolder"
                                << "/srv/conf"
                                << "REMOTE_FOLDER"
                                << "/srv/conf";
        QTest::newRow("local user not written") << "local"
                                                << "txtUsername"
                                                << "x"
                                                << "USERNAME"
                                                << "";
        QTest::newRow("ftp tls never") << "ftp"
                                       << "cmbFtpTls"
                                       << "Never"
                                       << "FTP_TLS"
                                       << "never";
        QTest::newRow("ftp tls untouched, not written") << "ftp"
                                                        << "cmbFtpTls"
                                                        << "If offered"
                                                        << "FTP_TLS"
                                                        << "";
        QTest::newRow("sftp tls not written") << "sftpkey"
                                              << "cmbFtpTls"
                                              << "Required"
                                              << "FTP_TLS"
                                              << "";
        QTest::newRow("main file") << "local"
                                   << "txtMainFile"
                                   << " httpd-main.conf "
                                   << "MAIN_FILE"
                                   << "httpd-main.conf";
        QTest::newRow("main file with a folder refused") << "local"
                                                         << "txtMainFile"
                                                         << "conf/httpd.conf"
                                                         << "MAIN_FILE"
                                                         << "";
        QTest::newRow("main file blank: the default") << "ftp"
                                                      << "txtMainFile"
                                                      << ""
                                                      << "MAIN_FILE"
                                                      << "";
        QTest::newRow("server root") << "local"
                                     << "txtServerRoot"
                                     << "/etc/apache2"
                                     << "SERVER_ROOT"
                                     << "/etc/apache2";
        QTest::newRow("relative server root refused") << "ftp"
                                                      << "txtServerRoot"
                                                      << "etc/apache2"
                                                      << "SERVER_ROOT"
                                                      << "";
        QTest::newRow("account root") << "ftp"
                                      << "txtAccountRoot"
                                      << "/home/web"
                                      << "ACCOUNT_ROOT"
                                      << "/home/web";
        QTest::newRow("relative account root refused") << "sftppw"
                                                       << "txtAccountRoot"
                                                       << "home/web"
                                                       << "ACCOUNT_ROOT"
                                                       << "/srv/ftp";
        QTest::newRow("local account root not written") << "local"
                                                        << "txtAccountRoot"
                                                        << "/x"
                                                        << "ACCOUNT_ROOT"
                                                        << "";
        QTest::newRow("sftp auth keyboard") << "sftpkey"
                                            << "CmbAuthType"
                                            << "Keyboard"
                                            << "SFTP_AUTHTYPE"
                                            << "16";
    }
    void applyWritesTheRegistry()
    {
        QFETCH(QString, server);
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFile conf(fx->workingCopy(server));
        QVERIFY(conf.open(QIODevice::ReadOnly));
        const QByteArray before = conf.readAll();
        conf.close();
        PropertySheet* sheet = fx->openSheet(server, -2, {"ppgConnections"});
        QWidget* w = sheet->findChild<QWidget*>(control);
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->setText(text);
        else
            qobject_cast<QComboBox*>(w)->setCurrentText(text);
        sheet->apply();
        QCOMPARE(fx->registryValue(server, key), stored);
        QVERIFY(conf.open(QIODevice::ReadOnly));
        QCOMPARE(conf.readAll(), before);
        QVERIFY(fx->notifications().isEmpty());
        sheet->reject();
    }

    void passwordStoredEncoded()
    {
        PropertySheet* sheet = fx->openSheet("ftp", -2, {"ppgConnections"});
        sheet->findChild<QLineEdit*>("txtPassword")->setText("n3w pass");
        sheet->accept();
        const QString stored = fx->registryValue("ftp", "PASSWORD");
        QVERIFY(stored != "n3w pass");
        QCOMPARE(QString::fromStdString(DecodePassword(stored.toStdString())), QString("n3w pass"));
    }

    void sampleIsNeverWritten()
    {
        QFile ini(fx->appDir() + "/Corvane.ini");
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray before = ini.readAll();
        ini.close();
        PropertySheet* sheet = fx->openSheet("Sample", -2, {"ppgConnections"});
        QCOMPARE(sheet->findChild<QLineEdit*>("txtServer")->text(), QString("Sample"));
        sheet->findChild<QComboBox*>("cmbVersion")->setCurrentText("1.3.26");
        sheet->accept();
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), before);
    }

    // The Sample server has no registry section: the page shows its built-in version and system.
    void sampleShowsItsRegisteredVersion()
    {
        PropertySheet* sheet = fx->openSheet("Sample", -2, {"ppgConnections"});
        QCOMPARE(sheet->findChild<QComboBox*>("cmbVersion")->currentText(), QString("2.0.49"));
        QCOMPARE(sheet->findChild<QComboBox*>("CmbOS")->currentText(), QString("Linux / Unix"));
        QVERIFY(!sheet->findChild<QPushButton*>("cmdSheetApply")->isEnabled());
        sheet->reject();
    }

    void screenshots()
    {
        PropertySheet* sheet = fx->openSheet("sftpkey", -2, {"ppgConnections"});
        QVERIFY(PageFixture::screenshot(sheet, "ppgConnections"));
        sheet->reject();
    }
};

QTEST_MAIN(PagesConnections)
#include "tst_pages_connections.moc"
