// The FTP client against a real vsftpd started on 127.0.0.1 for this test.
#include "VsftpdServer.h"
#include "net/CFtpClient.h"
#include "net/NetErrors.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using corvane::net::CFtpClient;

namespace {

QByteArray randomBytes(qint64 size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    auto* words = reinterpret_cast<quint32*>(data.data());
    generator.fillRange(words, size / 4);
    for (qint64 i = (size / 4) * 4; i < size; ++i)
        data[i] = char(generator.generate());
    return data;
}

QByteArray readLocal(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeLocal(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

// Byte-for-byte comparison without dumping megabytes into the log on failure.
#define COMPARE_BYTES(actual, expected)                                                                      \
    do {                                                                                                     \
        const QByteArray a_ = (actual), e_ = (expected);                                                     \
        QCOMPARE(a_.size(), e_.size());                                                                      \
        QCOMPARE(QCryptographicHash::hash(a_, QCryptographicHash::Sha256).toHex(),                           \
                 QCryptographicHash::hash(e_, QCryptographicHash::Sha256).toHex());                          \
    } while (0)

} // namespace

class TestFtpClient : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<VsftpdServer> m_server;
    std::unique_ptr<VsftpdServer> m_asciiServer;
    QTemporaryDir m_local;

    std::unique_ptr<CFtpClient> client(bool passive = true, const VsftpdServer* server = nullptr)
    {
        if (!server)
            server = m_server.get();
        auto ftp = std::make_unique<CFtpClient>();
        ftp->setFtpServer(server->host());
        ftp->setRemotePort(server->port());
        ftp->setUserName(VsftpdServer::user());
        ftp->setPassword(VsftpdServer::password());
        ftp->setPassiveMode(passive);
        ftp->setTimeOut(20);
        return ftp;
    }

    static bool login(CFtpClient& ftp)
    {
        const bool ok = ftp.Connect() && ftp.waitForResult() == CFtpClient::ftpSuccess;
        if (!ok)
            qWarning() << "login failed:" << ftp.LastFtpError().Number << ftp.LastFtpError().Description
                       << ftp.LastFtpError().Source << ftp.LastServerResponse();
        return ok;
    }

    QString local(const QString& name) const { return m_local.filePath(name); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (const QString reason = VsftpdServer::skipReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
        QVERIFY(m_local.isValid());
        m_server = std::make_unique<VsftpdServer>(VsftpdServer::Options{.anonymous = true});
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    }

    void cleanupTestCase()
    {
        m_server.reset();
        m_asciiServer.reset();
    }

    void loginAndCurrentDirectory()
    {
        auto ftp = client();
        QSignalSpy states(ftp.get(), &CFtpClient::OnStateChange);
        QVERIFY(login(*ftp));
        QCOMPARE(ftp->CurrentDirectory(), QStringLiteral("/"));
        QCOMPARE(ftp->FtpSessionState(), int(CFtpClient::ftpIdle));
        QVERIFY(!ftp->Busy());
        QList<int> seen;
        for (const auto& args : states)
            seen << args.at(0).toInt();
        // connecting, connected, authenticating, logged in, PWD, idle
        QCOMPARE(seen.first(), 2);
        QVERIFY(seen.contains(3) && seen.contains(4) && seen.contains(5) && seen.contains(13));
        QCOMPARE(seen.last(), 0);
        QVERIFY(ftp->QuitSession());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QTRY_COMPARE(ftp->FtpSessionState(), int(CFtpClient::ftpClosed));
    }

    void anonymousLogin()
    {
        QVERIFY(QFile::copy(QStringLiteral(CORVANE_SOURCE_DIR "/tests/net/CMakeLists.txt"),
                            m_server->anonymousRoot() + QStringLiteral("/readme.txt")));
        auto ftp = client();
        ftp->setUserName(QString());
        QVERIFY(login(*ftp));
        QCOMPARE(ftp->UserName(), QStringLiteral("anonymous"));
        QVERIFY(ftp->DownloadFile(QStringLiteral("readme.txt"), local(QStringLiteral("anon.txt")), true));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        COMPARE_BYTES(readLocal(local(QStringLiteral("anon.txt"))),
                      readLocal(m_server->anonymousRoot() + QStringLiteral("/readme.txt")));
    }

    void transfer_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::addColumn<int>("transferMode");
        QTest::addColumn<QByteArray>("content");
        const QByteArray crlf =
            QByteArray("ServerRoot \"/etc/apache2\"\r\nListen 80\r\n\r\n# end\r\n").repeated(50);
        const QByteArray big = randomBytes(10 * 1024 * 1024 + 17, 7);
        const QByteArray odd = randomBytes(1459 * 3 + 1, 11); // not a multiple of any block size
        for (const bool passive : {true, false}) {
            const char* mode = passive ? "passive" : "active";
            QTest::addRow("%s empty", mode) << passive << 1 << QByteArray();
            QTest::addRow("%s crlf binary", mode) << passive << 1 << crlf;
            QTest::addRow("%s crlf ascii", mode) << passive << 0 << crlf;
            QTest::addRow("%s odd size", mode) << passive << 1 << odd;
            QTest::addRow("%s 10 MB", mode) << passive << 1 << big;
        }
    }

    // Store a file, fetch it back, both compared with the server's disk.
    void transfer()
    {
        QFETCH(bool, passive);
        QFETCH(int, transferMode);
        QFETCH(QByteArray, content);
        const QString name =
            QStringLiteral("t-%1.bin").arg(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-'));
        QVERIFY(writeLocal(local(QStringLiteral("up.bin")), content));

        auto ftp = client(passive);
        ftp->setTransferMode(transferMode);
        QVERIFY(login(*ftp));
        QSignalSpy progress(ftp.get(), &CFtpClient::OnDataTransferProgress);
        QVERIFY(ftp->UploadFile(local(QStringLiteral("up.bin")), name));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        COMPARE_BYTES(m_server->readFile(name), content);
        if (!content.isEmpty())
            QCOMPARE(progress.last().at(0).toLongLong(), qint64(content.size()));

        const QString down = local(QStringLiteral("down.bin"));
        QVERIFY(writeLocal(down, "stale content that must go"));
        QVERIFY(ftp->DownloadFile(name, down, true));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        COMPARE_BYTES(readLocal(down), m_server->readFile(name));
        QVERIFY(!ftp->Busy());
        ftp->CloseControlConnection();
    }

    // With line-end conversion on, TYPE A must really be sent: LF becomes CR LF on the way down.
    void asciiTypeConverts()
    {
        m_asciiServer = std::make_unique<VsftpdServer>(VsftpdServer::Options{.asciiConversion = true});
        QVERIFY2(m_asciiServer->start(), qPrintable(m_asciiServer->error()));
        const QByteArray unix = "Listen 80\nServerName www\n";
        QVERIFY(m_asciiServer->writeFile(QStringLiteral("lf.conf"), unix));
        for (const int mode : {0, 1}) {
            auto ftp = client(true, m_asciiServer.get());
            ftp->setTransferMode(mode);
            QVERIFY(login(*ftp));
            const QString down = local(QStringLiteral("lf-%1.conf").arg(mode));
            QVERIFY(ftp->DownloadFile(QStringLiteral("lf.conf"), down, true));
            QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
            COMPARE_BYTES(readLocal(down), mode == 0 ? QByteArray("Listen 80\r\nServerName www\r\n") : unix);
        }
        m_asciiServer.reset();
    }

    void overIPv6_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::newRow("EPSV") << true;
        QTest::newRow("EPRT") << false;
    }

    // Over IPv6 the data connection is negotiated with EPSV or EPRT.
    void overIPv6()
    {
        QFETCH(bool, passive);
        if (!QTcpServer().listen(QHostAddress::LocalHostIPv6))
            QSKIP("no IPv6 loopback here");
        VsftpdServer server(VsftpdServer::Options{.ipv6 = true});
        QVERIFY2(server.start(), qPrintable(server.error()));
        const QByteArray content = randomBytes(700000, 13);
        QVERIFY(writeLocal(local(QStringLiteral("v6.bin")), content));
        auto ftp = client(passive, &server);
        QSignalSpy protocol(ftp.get(), &CFtpClient::SessionProtocolMessage);
        QVERIFY(login(*ftp));
        QVERIFY(ftp->UploadFile(local(QStringLiteral("v6.bin")), QStringLiteral("v6.bin")));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        COMPARE_BYTES(server.readFile(QStringLiteral("v6.bin")), content);
        QVERIFY(ftp->DownloadFile(QStringLiteral("v6.bin"), local(QStringLiteral("v6-back.bin")), true));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        COMPARE_BYTES(readLocal(local(QStringLiteral("v6-back.bin"))), content);
        QStringList sent;
        for (const auto& args : protocol)
            if (args.at(0).toInt() == 0)
                sent << args.at(1).toString().section(QLatin1Char(' '), 0, 0);
        QCOMPARE(sent.count(passive ? QStringLiteral("EPSV") : QStringLiteral("EPRT")), 2);
        QVERIFY(!sent.contains(QStringLiteral("PASV")) && !sent.contains(QStringLiteral("PORT")));
    }

    void resumeAfterCutTransfer_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::newRow("passive") << true;
        QTest::newRow("active") << false;
    }

    // The first fetch is cut off by dropping the connection; a new session resumes with REST.
    void resumeAfterCutTransfer()
    {
        QFETCH(bool, passive);
        const QByteArray content = randomBytes(8 * 1024 * 1024, 3);
        QVERIFY(m_server->writeFile(QStringLiteral("resume.bin"), content));
        const QString down = local(QStringLiteral("resume.bin"));
        QFile::remove(down);

        auto ftp = client(passive);
        QVERIFY(login(*ftp));
        bool cut = false;
        connect(ftp.get(), &CFtpClient::OnDataTransferProgress, ftp.get(), [&](qint64 bytes) {
            if (!cut && bytes >= 1024 * 1024) {
                cut = true;
                ftp->CloseControlConnection();
            }
        });
        QSignalSpy done(ftp.get(), &CFtpClient::OnDownloadFile);
        QVERIFY(ftp->DownloadFile(QStringLiteral("resume.bin"), down, true));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpCancelled));
        QVERIFY(cut);
        QTRY_COMPARE(ftp->FtpSessionState(), int(CFtpClient::ftpClosed));
        QCOMPARE(done.count(), 0); // a closed connection is no success
        const qint64 partial = QFileInfo(down).size();
        QVERIFY2(partial >= 1024 * 1024 && partial < content.size(), qPrintable(QString::number(partial)));

        QSignalSpy protocol(ftp.get(), &CFtpClient::SessionProtocolMessage);
        QVERIFY(login(*ftp)); // the same client, used again
        QVERIFY(ftp->DownloadFile(QStringLiteral("resume.bin"), down, false));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        COMPARE_BYTES(readLocal(down), content);
        bool restSent = false;
        for (const auto& args : protocol)
            restSent |= args.at(1).toString() == QStringLiteral("REST %1").arg(partial);
        QVERIFY(restSent);
    }

    void uploadWithStartOffset()
    {
        const QByteArray content = randomBytes(300000, 5);
        QVERIFY(m_server->writeFile(QStringLiteral("offset.bin"), content.left(100000)));
        QVERIFY(writeLocal(local(QStringLiteral("offset.bin")), content));
        auto ftp = client();
        QVERIFY(login(*ftp));
        QVERIFY(ftp->UploadFile(local(QStringLiteral("offset.bin")), QStringLiteral("offset.bin"), 100000));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        COMPARE_BYTES(m_server->readFile(QStringLiteral("offset.bin")), content);
    }

    void listing_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::newRow("passive") << true;
        QTest::newRow("active") << false;
    }

    void listing()
    {
        QFETCH(bool, passive);
        const QString folder = QStringLiteral("list-%1").arg(passive ? "p" : "a");
        QVERIFY(m_server->writeFile(folder + QStringLiteral("/httpd.conf"), QByteArray(1234, 'x')));
        QVERIFY(m_server->writeFile(folder + QStringLiteral("/name with blanks.txt"), "abc"));
        QVERIFY(m_server->writeFile(folder + QStringLiteral("/empty"), QByteArray()));
        QVERIFY(m_server->makeFolder(folder + QStringLiteral("/conf.d")));
        QVERIFY(QFile::link(QStringLiteral("httpd.conf"),
                            m_server->path(folder + QStringLiteral("/current.conf"))));

        auto ftp = client(passive);
        QVERIFY(login(*ftp));
        QVERIFY(ftp->SetCurrentDirectory(folder));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QVERIFY(ftp->EnumFiles());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        const auto* files = ftp->CurrentDirectoryFiles();
        QVERIFY(files);
        QCOMPARE(files->Count(), 5);
        const auto* conf = files->find(QStringLiteral("httpd.conf"));
        QVERIFY(conf);
        QCOMPARE(conf->FileSize, qint64(1234));
        QVERIFY(!conf->IsDirectory);
        QCOMPARE(conf->LastWriteTime.date(),
                 QFileInfo(m_server->path(folder + "/httpd.conf")).lastModified().date());
        QVERIFY(files->find(QStringLiteral("name with blanks.txt")));
        QCOMPARE(files->find(QStringLiteral("empty"))->FileSize, qint64(0));
        QVERIFY(files->find(QStringLiteral("conf.d"))->IsDirectory);
        const auto* link = files->find(QStringLiteral("current.conf"));
        QVERIFY(link);
        QCOMPARE(link->FilePath, QStringLiteral("httpd.conf"));
        QVERIFY(ftp->CurrentDirectoryListing().contains(QStringLiteral("httpd.conf")));
    }

    // Change folder, make and remove one, rename and delete, each checked on disk.
    void fileAndFolderCommands()
    {
        QVERIFY(m_server->writeFile(QStringLiteral("cmd/httpd.conf"), "Listen 80\n"));
        auto ftp = client();
        QVERIFY(login(*ftp));
        QVERIFY(ftp->SetCurrentDirectory(QStringLiteral("cmd")));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QVERIFY(ftp->GetCurrentDirectory());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QCOMPARE(ftp->CurrentDirectory(), QStringLiteral("/cmd"));

        QVERIFY(ftp->RenameFile(QStringLiteral("httpd.conf"), QStringLiteral("httpd120512-153012.conf")));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QVERIFY(!QFile::exists(m_server->path(QStringLiteral("cmd/httpd.conf"))));
        QCOMPARE(m_server->readFile(QStringLiteral("cmd/httpd120512-153012.conf")),
                 QByteArray("Listen 80\n"));

        QVERIFY(ftp->DeleteFile(QStringLiteral("httpd120512-153012.conf")));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QVERIFY(!QFile::exists(m_server->path(QStringLiteral("cmd/httpd120512-153012.conf"))));

        QVERIFY(ftp->CreateDirectory(QStringLiteral("sub")));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QVERIFY(QFileInfo(m_server->path(QStringLiteral("cmd/sub"))).isDir());
        QVERIFY(ftp->RemoveDirectory(QStringLiteral("sub")));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QVERIFY(!QFileInfo::exists(m_server->path(QStringLiteral("cmd/sub"))));
    }

    void negativeReplies_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("expectedNumber");
        QTest::newRow("cwd missing") << int(CFtpClient::ftpSetCurrentDirectory) << 16550;
        QTest::newRow("delete missing") << int(CFtpClient::ftpDeleteFile) << 16550;
        QTest::newRow("rename missing") << int(CFtpClient::ftpRenameFile) << 16550;
        QTest::newRow("fetch missing") << int(CFtpClient::ftpDownloadFile) << 16550;
    }

    // A refused command fails with 16000 + its reply code and leaves the session usable.
    void negativeReplies()
    {
        QFETCH(int, operation);
        QFETCH(int, expectedNumber);
        auto ftp = client();
        QVERIFY(login(*ftp));
        const QString missing = QStringLiteral("no-such-thing");
        bool started = false;
        switch (operation) {
        case CFtpClient::ftpSetCurrentDirectory:
            started = ftp->SetCurrentDirectory(missing);
            break;
        case CFtpClient::ftpDeleteFile:
            started = ftp->DeleteFile(missing);
            break;
        case CFtpClient::ftpRenameFile:
            started = ftp->RenameFile(missing, QStringLiteral("x"));
            break;
        case CFtpClient::ftpDownloadFile:
            started = ftp->DownloadFile(missing, local(QStringLiteral("m")), true);
            break;
        }
        QVERIFY(started);
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpFailed));
        QCOMPARE(ftp->LastFtpError().Number, expectedNumber);
        QCOMPARE(ftp->LastFtpError().Description, QStringLiteral("Requested action not taken."));
        QVERIFY(!ftp->Busy());
        QVERIFY(ftp->GetCurrentDirectory());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
    }

    void fetchIntoMissingFolder_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::newRow("passive") << true;
        QTest::newRow("active") << false;
    }

    // A local file that cannot be written fails the fetch, and the session goes on.
    void fetchIntoMissingFolder()
    {
        QFETCH(bool, passive);
        QVERIFY(m_server->writeFile(QStringLiteral("small.conf"), "Listen 80\n"));
        auto ftp = client(passive);
        QVERIFY(login(*ftp));
        QVERIFY(ftp->DownloadFile(QStringLiteral("small.conf"), local(QStringLiteral("missing/small.conf")),
                                  true));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpFailed));
        QCOMPARE(ftp->LastFtpError().Number, 75);
        QVERIFY(ftp->LastFtpError().Description.contains(QStringLiteral("missing/small.conf")));
        QVERIFY(ftp->DownloadFile(QStringLiteral("small.conf"), local(QStringLiteral("small.conf")), true));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QCOMPARE(readLocal(local(QStringLiteral("small.conf"))), QByteArray("Listen 80\n"));
    }

    void wrongPassword()
    {
        auto ftp = client();
        ftp->setPassword(QStringLiteral("wrong"));
        QVERIFY(ftp->Connect());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpFailed));
        QCOMPARE(ftp->LastFtpError().Number, 16530);
        QCOMPARE(ftp->LastFtpError().Description, QStringLiteral("Not logged in."));
        QTRY_COMPARE(ftp->FtpSessionState(), int(CFtpClient::ftpClosed));
        // An operation on the closed session does not start.
        QVERIFY(!ftp->GetCurrentDirectory());
        QCOMPARE(ftp->LastFtpError().Number, 16008);
        ftp->setPassword(VsftpdServer::password());
        QVERIFY(login(*ftp));
    }

    void connectionFailures_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("useClosedPort");
        QTest::addColumn<int>("expectedNumber");
        QTest::newRow("not listening") << QStringLiteral("127.0.0.1") << true << 10061;
        QTest::newRow("unresolvable") << QStringLiteral("no-such-host.invalid") << false << 11001;
    }

    void connectionFailures()
    {
        QFETCH(QString, host);
        QFETCH(bool, useClosedPort);
        QFETCH(int, expectedNumber);
        auto ftp = client();
        ftp->setFtpServer(host);
        if (useClosedPort) {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            ftp->setRemotePort(probe.serverPort());
        } // the probe is closed again here: nobody listens on that port
        QVERIFY(ftp->Connect());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpFailed));
        // Without a reachable name server a lookup ends in "try again" (11002) instead.
        const int number = ftp->LastFtpError().Number;
        QVERIFY2(number == expectedNumber || (expectedNumber == 11001 && number == 11002),
                 qPrintable(QString::number(number)));
        QCOMPARE(ftp->LastFtpError().Description, corvane::net::socketErrorText(number));
        QCOMPARE(ftp->LastFtpError().Source, QStringLiteral("CFtpClient.m_objControlSocket_OnError"));
        QCOMPARE(ftp->FtpSessionState(), int(CFtpClient::ftpClosed));
        // The same client then reaches the real server.
        ftp->setFtpServer(m_server->host());
        ftp->setRemotePort(m_server->port());
        QVERIFY(login(*ftp));
    }

    void cancelDownload()
    {
        QVERIFY(m_server->writeFile(QStringLiteral("cancel.bin"), randomBytes(6 * 1024 * 1024, 9)));
        auto ftp = client();
        QVERIFY(login(*ftp));
        connect(ftp.get(), &CFtpClient::OnDataTransferProgress, ftp.get(), [&] { ftp->CancelAsyncMethod(); });
        QVERIFY(ftp->DownloadFile(QStringLiteral("cancel.bin"), local(QStringLiteral("cancel.bin")), true));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpCancelled));
        QVERIFY(!ftp->Busy());
        QVERIFY(!ftp->DataTransferInProgress());
    }
};

QTEST_GUILESS_MAIN(TestFtpClient)
#include "tst_ftpclient.moc"
