// Faults a real FTP server does not produce on demand, played by a scripted
// server: the client must end every operation with a clear result and stay usable.
#include "FakeFtpServer.h"
#include "net/CFtpClient.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using corvane::net::CFtpClient;

class TestFtpFaults : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_local;

    static std::unique_ptr<CFtpClient> client(const FakeFtpServer& server, const QString& host = "127.0.0.1")
    {
        auto ftp = std::make_unique<CFtpClient>();
        ftp->setFtpServer(host);
        ftp->setRemotePort(server.port());
        ftp->setUserName(QStringLiteral("web"));
        ftp->setPassword(QStringLiteral("secret"));
        ftp->setPassiveMode(true);
        ftp->setTimeOut(5);
        return ftp;
    }

    static bool login(CFtpClient& ftp)
    {
        return ftp.Connect() && ftp.waitForResult() == CFtpClient::ftpSuccess;
    }

    static int count(const QList<QByteArray>& commands, const QByteArray& prefix)
    {
        return int(std::count_if(commands.begin(), commands.end(),
                                 [&](const QByteArray& c) { return c.startsWith(prefix); }));
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_local.isValid());
    }

    void greetings_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QString>("message");
        QTest::newRow("one line") << QList<QByteArray>{"220 ready"} << QString();
        QTest::newRow("multi-line in two chunks")
            << QList<QByteArray>{"220-Welcome", "220 ready"} << "Welcome";
        QTest::newRow("inner line starting with a code")
            << QList<QByteArray>{"220-Corvane test site", "226 is not the end\r\n220x is not the end either",
                                 "220 ready"}
            << "Corvane test site\r\n226 is not the end\r\n220x is not the end either";
    }

    // Only the complete greeting is answered, and only once.
    void greetings()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QString, message);
        FakeFtpServer server;
        server.setGreeting(chunks);
        auto ftp = client(server);
        QVERIFY(login(*ftp));
        QCOMPARE(count(server.commands(), "USER"), 1);
        QCOMPARE(server.commands().first(), QByteArray("USER web"));
        QCOMPARE(ftp->FtpServerMessage(), message);
        QCOMPARE(ftp->FtpServerMessage(), QString()); // reading cleared it
        QCOMPARE(ftp->CurrentDirectory(), QStringLiteral("/srv/www"));
    }

    // A hostile or broken server keeps talking without ever finishing a reply,
    // or says nothing at all: each login ends, soon and with a named cause.
    // A watchdog cancels a login that would otherwise run on for good.
    void hostileGreeting_data()
    {
        QTest::addColumn<QByteArray>("burst"); // sent every few milliseconds; empty: silence
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("descriptionPart");
        QTest::newRow("endless 220- lines")
            << QByteArray("220-Welcome to the banner that never ends\r\n").repeated(20)
            << int(CFtpClient::ftpFailed) << 10040 << "1000 lines";
        QTest::newRow("a reply with no line end") << QByteArray("220 ready").append(QByteArray(512, 'x'))
                                                  << int(CFtpClient::ftpFailed) << 10040 << "64 KiB";
        QTest::newRow("silent server") << QByteArray() << int(CFtpClient::ftpTimedOut) << 10060
                                       << "sent no complete greeting within 2 seconds";
    }

    void hostileGreeting()
    {
        QFETCH(QByteArray, burst);
        QFETCH(int, result);
        QFETCH(int, number);
        QFETCH(QString, descriptionPart);
        FakeFtpServer server;
        server.setGreeting({});
        QTimer talker;
        connect(&talker, &QTimer::timeout, &server, [&] { server.send(burst); });
        if (!burst.isEmpty())
            talker.start(2);
        auto ftp = client(server);
        ftp->setTimeOut(500); // every byte resets it: it must not be what ends the login
        ftp->setConnectTimeOut(2);
        if (!burst.isEmpty())
            ftp->setConnectTimeOut(0); // the reply cap alone must end these
        QTimer::singleShot(15000, ftp.get(), [&] { ftp->CancelAsyncMethod(); });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(ftp->Connect());
        QCOMPARE(ftp->waitForResult(), result);
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(ftp->LastFtpError().Number, number);
        QVERIFY2(ftp->LastFtpError().Description.contains(descriptionPart),
                 qPrintable(ftp->LastFtpError().Description));
        QCOMPARE(ftp->FtpSessionState(), int(CFtpClient::ftpClosed));
        QCOMPARE(count(server.commands(), "USER"), 0);
        // The client starts over with a server that behaves.
        talker.stop();
        server.setGreeting({"220 ready"});
        ftp->setConnectTimeOut(30);
        QVERIFY(login(*ftp));
    }

    // A server that drips one byte at a time keeps resetting the inactivity
    // timer; the operation's overall deadline still ends it.
    void drippingReplyMeetsTheDeadline()
    {
        FakeFtpServer server;
        QTimer dripper;
        bool dripping = false;
        connect(&dripper, &QTimer::timeout, &server, [&] {
            if (dripping)
                server.send("2");
        });
        dripper.start(100);
        server.setHandler([&](const QByteArray& command, const QByteArray&) {
            if (command != "CWD")
                return false;
            dripping = true;
            return true;
        });
        auto ftp = client(server);
        ftp->setTimeOut(1);
        ftp->setOperationDeadline(3);
        QVERIFY(login(*ftp));
        QSignalSpy results(ftp.get(), &CFtpClient::OnSetCurrentDirectory);
        QVERIFY(ftp->SetCurrentDirectory(QStringLiteral("/srv")));
        QTRY_VERIFY_WITH_TIMEOUT(results.count() >= 1, 10000);
        QCOMPARE(results.first().at(0).toInt(), int(CFtpClient::ftpTimedOut));
        QCOMPARE(ftp->LastFtpError().Number, 10060);
        QVERIFY2(ftp->LastFtpError().Description.contains("within 3 seconds"),
                 qPrintable(ftp->LastFtpError().Description));
        QCOMPARE(ftp->FtpSessionState(), int(CFtpClient::ftpClosed));
        QTest::qWait(1500);
        QCOMPARE(results.count(), 1); // ended for good, not repeated
    }

    void connectionRefusedIsNamed()
    {
        quint16 deadPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            deadPort = probe.serverPort();
        }
        CFtpClient ftp;
        ftp.setFtpServer(QStringLiteral("127.0.0.1"));
        ftp.setRemotePort(deadPort);
        QVERIFY(ftp.Connect());
        QCOMPARE(ftp.waitForResult(), int(CFtpClient::ftpFailed));
        QCOMPARE(ftp.LastFtpError().Number, 10061);
        QCOMPARE(ftp.LastFtpError().Description, QStringLiteral("Connection refused."));
    }

    void unreadableCurrentDirectory()
    {
        FakeFtpServer server;
        server.setHandler([&](const QByteArray& command, const QByteArray&) {
            if (command != "PWD")
                return false;
            server.reply("257 current directory is unknown");
            return true;
        });
        auto ftp = client(server);
        QVERIFY(ftp->Connect());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpFailed));
        QCOMPARE(ftp->LastFtpError().Number, 16001);
        QTRY_COMPARE(ftp->FtpSessionState(), int(CFtpClient::ftpClosed));
    }

    // A hostile passive reply names another host: the data still goes to the server we logged in to.
    void passiveAddressIsIgnored()
    {
        FakeFtpServer server;
        server.setHandler([&](const QByteArray& command, const QByteArray&) {
            if (command == "PASV") {
                const quint16 port = server.listenForData();
                server.reply("227 Entering Passive Mode (10,66,77,88," + QByteArray::number(port / 256) +
                             "," + QByteArray::number(port % 256) + ")");
                return true;
            }
            if (command == "LIST") {
                QTcpSocket* data = server.dataConnection();
                if (!data)
                    return false;
                server.reply("150 Here comes the listing.");
                data->write("-rw-r--r--   1 web      www          1234 Jan 12  2003 httpd.conf\r\n");
                data->disconnectFromHost();
                QTimer::singleShot(50, &server, [&] { server.reply("226 Done."); });
                return true;
            }
            return false;
        });
        auto ftp = client(server);
        QVERIFY(login(*ftp));
        QVERIFY(ftp->EnumFiles());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QVERIFY(ftp->CurrentDirectoryFiles());
        QCOMPARE(ftp->CurrentDirectoryFiles()->Count(), 1);
        QCOMPARE(ftp->CurrentDirectoryFiles()->Item(1).FileSize, qint64(1234));
    }

    void unknownListingFormat()
    {
        FakeFtpServer server;
        server.setHandler([&](const QByteArray& command, const QByteArray&) {
            if (command != "LIST")
                return false;
            QTcpSocket* data = server.dataConnection();
            server.reply("150 Here.");
            data->write("type=file;size=12; httpd.conf\r\n");
            data->disconnectFromHost();
            server.reply("226 Done.");
            return true;
        });
        auto ftp = client(server);
        QVERIFY(login(*ftp));
        QVERIFY(ftp->EnumFiles());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpFailed));
        QCOMPARE(ftp->LastFtpError().Number, 16002);
        QCOMPARE(ftp->LastFtpError().Description, QStringLiteral("Unknown listing format."));
        QVERIFY(!ftp->CurrentDirectoryFiles());
        QVERIFY(ftp->CurrentDirectoryListing().contains(QStringLiteral("type=file")));
    }

    void controlClosedMidTransfer_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::addColumn<bool>("dataClosedFirst");
        QTest::newRow("passive, data left open") << true << false;
        QTest::newRow("passive, data ended first") << true << true;
        QTest::newRow("active, data left open") << false << false;
        QTest::newRow("active, data ended first") << false << true;
    }

    // Part of the file came, then the server went away without confirming: never a success.
    void controlClosedMidTransfer()
    {
        QFETCH(bool, passive);
        QFETCH(bool, dataClosedFirst);
        FakeFtpServer server;
        server.setHandler([&](const QByteArray& command, const QByteArray&) {
            if (command != "RETR")
                return false;
            server.reply("150 Opening BINARY mode data connection for httpd.conf (200000 bytes).");
            QTcpSocket* data = server.dataConnection();
            if (!data)
                return false;
            data->write(QByteArray(64 * 1024, 'a'));
            if (dataClosedFirst) {
                data->disconnectFromHost();
                QTimer::singleShot(200, &server, [&] { server.closeControl(); });
            } else {
                server.closeControl();
            }
            return true;
        });
        auto ftp = client(server);
        ftp->setPassiveMode(passive);
        QVERIFY(login(*ftp));
        QSignalSpy results(ftp.get(), &CFtpClient::OnDownloadFile);
        QVERIFY(ftp->DownloadFile(QStringLiteral("httpd.conf"), m_local.filePath(QStringLiteral("cut.conf")),
                                  true));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpFailed));
        QCOMPARE(results.count(), 1);
        QCOMPARE(ftp->LastFtpError().Number, 16421);
        QTRY_COMPARE(ftp->FtpSessionState(), int(CFtpClient::ftpClosed));
        QVERIFY(!ftp->DataTransferInProgress());
        // The local file is closed: it can be removed and the client can start over.
        QVERIFY(QFile::remove(m_local.filePath(QStringLiteral("cut.conf"))));
        server.setHandler({});
        QVERIFY(login(*ftp));
        QCOMPARE(server.connections(), 2);
    }

    void dataConnectionNeverOpens()
    {
        // Active mode: the server accepts RETR and never connects back.
        FakeFtpServer server;
        server.setHandler([&](const QByteArray& command, const QByteArray&) {
            if (command != "RETR")
                return false;
            server.reply("150 Opening data connection.");
            return true;
        });
        auto ftp = client(server);
        ftp->setPassiveMode(false);
        ftp->setTimeOut(1);
        QVERIFY(login(*ftp));
        QVERIFY(ftp->DownloadFile(QStringLiteral("httpd.conf"),
                                  m_local.filePath(QStringLiteral("never.conf")), true));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpTimedOut));
        QCOMPARE(ftp->LastFtpError().Number, 10060);
        QCOMPARE(ftp->LastFtpError().Description, QStringLiteral("Connection timed out."));
        QCOMPARE(ftp->LastFtpError().Source, QStringLiteral("CFtpClient.m_objTimeOut_TimeOut"));
        QCOMPARE(ftp->FtpSessionState(), int(CFtpClient::ftpClosed));
        QVERIFY(login(*ftp));
    }

    // Without a waiting caller the timeout repeats until the operation is cancelled.
    void timeoutRepeatsUntilCancelled()
    {
        FakeFtpServer server;
        server.setHandler([&](const QByteArray& command, const QByteArray&) { return command == "CWD"; });
        auto ftp = client(server);
        ftp->setTimeOut(1);
        QVERIFY(login(*ftp));
        QSignalSpy results(ftp.get(), &CFtpClient::OnSetCurrentDirectory);
        QVERIFY(ftp->SetCurrentDirectory(QStringLiteral("/srv")));
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 2, 5000);
        QCOMPARE(results.at(0).at(0).toInt(), int(CFtpClient::ftpTimedOut));
        QCOMPARE(results.at(1).at(0).toInt(), int(CFtpClient::ftpTimedOut));
        ftp->CancelAsyncMethod();
        QCOMPARE(results.last().at(0).toInt(), int(CFtpClient::ftpCancelled));
        QVERIFY(!ftp->Busy());
        const int seen = results.count();
        QTest::qWait(1300);
        QCOMPARE(results.count(), seen);
    }

    void passivePortNobodyListens()
    {
        FakeFtpServer server;
        quint16 deadPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            deadPort = probe.serverPort();
        }
        server.setHandler([&](const QByteArray& command, const QByteArray&) {
            if (command != "PASV")
                return false;
            server.reply("227 Entering Passive Mode (127,0,0,1," + QByteArray::number(deadPort / 256) + "," +
                         QByteArray::number(deadPort % 256) + ")");
            return true;
        });
        auto ftp = client(server);
        QVERIFY(login(*ftp));
        QVERIFY(ftp->DownloadFile(QStringLiteral("httpd.conf"), m_local.filePath(QStringLiteral("dead.conf")),
                                  true));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpFailed));
        QCOMPARE(ftp->LastFtpError().Number, 10061);
        QVERIFY(!ftp->Busy());
        QVERIFY(ftp->GetCurrentDirectory());
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
    }

    void extendedPassive_data()
    {
        QTest::addColumn<bool>("epsvAccepted");
        QTest::newRow("EPSV accepted") << true;
        QTest::newRow("EPSV refused, PASV used") << false;
    }

    // Over IPv6 the client asks for EPSV first and falls back to PASV.
    void extendedPassive()
    {
        QFETCH(bool, epsvAccepted);
        FakeFtpServer server(QHostAddress::LocalHostIPv6);
        if (!server.isListening())
            QSKIP("no IPv6 loopback here");
        server.setHandler([&](const QByteArray& command, const QByteArray&) {
            if (command == "EPSV" && !epsvAccepted) {
                server.reply("500 Unknown command.");
                return true;
            }
            if (command != "RETR")
                return false;
            QTcpSocket* data = server.dataConnection();
            if (!data)
                return false;
            server.reply("150 Here it comes.");
            data->write("Listen 80\r\n");
            data->disconnectFromHost();
            server.reply("226 Done.");
            return true;
        });
        auto ftp = client(server, QStringLiteral("::1"));
        QVERIFY(login(*ftp));
        const QString local = m_local.filePath(QStringLiteral("v6.conf"));
        QVERIFY(ftp->DownloadFile(QStringLiteral("httpd.conf"), local, true));
        QCOMPARE(ftp->waitForResult(), int(CFtpClient::ftpSuccess));
        QFile file(local);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Listen 80\r\n"));
        QCOMPARE(count(server.commands(), "EPSV"), 1);
        QCOMPARE(count(server.commands(), "PASV"), epsvAccepted ? 0 : 1);
    }

    void serviceClosingWhileIdle()
    {
        FakeFtpServer server;
        auto ftp = client(server);
        QVERIFY(login(*ftp));
        server.reply("421 Service not available, closing control connection.");
        QTRY_COMPARE(ftp->FtpSessionState(), int(CFtpClient::ftpClosed));
    }

    // A line break inside a name must not reach the server as a second command.
    void lineBreakInNameIsRefused()
    {
        FakeFtpServer server;
        auto ftp = client(server);
        QVERIFY(login(*ftp));
        QVERIFY(!ftp->DeleteFile(QStringLiteral("a.conf\r\nDELE httpd.conf")));
        QCOMPARE(ftp->LastFtpError().Number, 10022);
        QVERIFY(!ftp->Busy());
        QTest::qWait(100);
        QCOMPARE(count(server.commands(), "DELE"), 0);
    }
};

QTEST_GUILESS_MAIN(TestFtpFaults)
#include "tst_ftpfaults.moc"
