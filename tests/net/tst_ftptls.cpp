// FTP over explicit TLS against a real vsftpd that requires it (ssl_enable,
// forced TLS for logins and data, TLS session reuse on data connections),
// with a self-signed certificate made by openssl for the test.
#include "VsftpdServer.h"
#include "net/CFtpClient.h"
#include "net/NetErrors.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using corvane::net::CFtpClient;

class TestFtpTls : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<VsftpdServer> m_tls;
    std::unique_ptr<VsftpdServer> m_plain;
    QTemporaryDir m_local;

    static std::unique_ptr<CFtpClient> client(const VsftpdServer& server, int mode,
                                              const QString& pinned = {})
    {
        auto ftp = std::make_unique<CFtpClient>();
        ftp->setFtpServer(server.host());
        ftp->setRemotePort(server.port());
        ftp->setUserName(VsftpdServer::user());
        ftp->setPassword(VsftpdServer::password());
        ftp->setTimeOut(20);
        ftp->setTlsMode(mode);
        ftp->setPinnedCertificate(pinned);
        if (qEnvironmentVariableIsSet("FTP_TRACE"))
            QObject::connect(ftp.get(), &CFtpClient::SessionProtocolMessage,
                             [](int kind, const QString& t) { qDebug() << kind << t; });
        return ftp;
    }

private slots:
    void initTestCase()
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
    }

    // The self-signed certificate is refused with its fingerprint; pinned, it
    // carries a download and an upload, both data connections encrypted.
    void pinnedCertificateCarriesTransfers_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::newRow("passive") << true;
        QTest::newRow("active asked, passive used") << false;
    }

    void pinnedCertificateCarriesTransfers()
    {
        QFETCH(bool, passive);
        QVERIFY(m_tls->writeFile("conf/httpd.conf", "ServerName www.example.test\n"));
        auto ftp = client(*m_tls, CFtpClient::tlsOptional);
        QVERIFY(ftp->Connect());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpFailed));
        QCOMPARE(ftp->LastFtpError().Number, int(corvane::net::kFtpCertificateUnknown));
        const QString fingerprint = ftp->PeerCertificateFingerprint();
        QCOMPARE(fingerprint, m_tls->certificateFingerprint());
        QVERIFY(ftp->LastFtpError().Description.contains(fingerprint));

        ftp = client(*m_tls, CFtpClient::tlsRequired, fingerprint);
        ftp->setPassiveMode(passive);
        QVERIFY(ftp->Connect());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QVERIFY(ftp->TlsActive());
        QVERIFY(!ftp->CertificateVerified());
        QVERIFY(ftp->TlsProtocol().startsWith("TLS 1."));
        QVERIFY(ftp->SetCurrentDirectory("/conf"));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        const QString local = m_local.filePath("tls.conf");
        QVERIFY(ftp->DownloadFile("httpd.conf", local, true));
        QVERIFY2(ftp->waitForResult() == CFtpClient::ftpSuccess, qPrintable(ftp->LastFtpError().Description));
        QFile file(local);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("ServerName www.example.test\n"));
        file.close();
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("ServerName shop.example.test\n").repeated(5000));
        file.close();
        QVERIFY(ftp->UploadFile(local, "uploaded.conf"));
        QVERIFY2(ftp->waitForResult() == CFtpClient::ftpSuccess, qPrintable(ftp->LastFtpError().Description));
        QCOMPARE(m_tls->readFile("conf/uploaded.conf"),
                 QByteArray("ServerName shop.example.test\n").repeated(5000));
        ftp->CloseControlConnection();
    }

    void changedCertificateRefused()
    {
        // A pin that is not this certificate's: as if the server's certificate had changed.
        const QString other = QString(m_tls->certificateFingerprint()).replace(0, 2, "00");
        auto ftp = client(*m_tls, CFtpClient::tlsRequired, other);
        QVERIFY(ftp->Connect());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpFailed));
        QCOMPARE(ftp->LastFtpError().Number, int(corvane::net::kFtpCertificateChanged));
        QVERIFY(ftp->LastFtpError().Description.contains("has changed"));
        QVERIFY(!ftp->TlsActive());
    }

    void modes_data()
    {
        QTest::addColumn<bool>("tlsServer");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("number"); // 0: logged in
        QTest::newRow("required, server without TLS")
            << false << int(CFtpClient::tlsRequired) << int(corvane::net::kFtpTlsNotOffered);
        QTest::newRow("if offered, server without TLS") << false << int(CFtpClient::tlsOptional) << 0;
        QTest::newRow("never, server requiring TLS") << true << int(CFtpClient::tlsNever) << 16530;
    }

    void modes()
    {
        QFETCH(bool, tlsServer);
        QFETCH(int, mode);
        QFETCH(int, number);
        auto ftp = client(tlsServer ? *m_tls : *m_plain, mode, m_tls->certificateFingerprint());
        QVERIFY(ftp->Connect());
        QCOMPARE(ftp->waitForResult(),
                 number == 0 ? int(CFtpClient::ftpSuccess) : int(CFtpClient::ftpFailed));
        QCOMPARE(ftp->LastFtpError().Number, number);
        QVERIFY(!ftp->TlsActive());
    }
};

QTEST_GUILESS_MAIN(TestFtpTls)
#include "tst_ftptls.moc"
