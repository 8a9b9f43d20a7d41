// The socket and timer objects on real loopback TCP connections.
#include "model/CorvaneError.h"
#include "net/CSocket.h"
#include "net/CTimeout.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <functional>
#include <memory>

using corvane::CorvaneError;
using corvane::net::CSocket;
using corvane::net::CTimeout;

class TestSocket : public QObject
{
    Q_OBJECT

private:
    QTcpServer m_peer;

    // The peer end of the next connection made to m_peer.
    QTcpSocket* nextPeer()
    {
        if (!m_peer.hasPendingConnections() && !m_peer.waitForNewConnection(5000))
            return nullptr;
        return m_peer.nextPendingConnection();
    }

    bool connectTo(CSocket& socket, const QString& host = QStringLiteral("127.0.0.1"))
    {
        QSignalSpy connected(&socket, &CSocket::OnConnect);
        socket.Connect(host, m_peer.serverPort());
        return connected.wait(5000) && socket.State() == CSocket::sckConnected;
    }

    static int errorNumber(const std::function<void()>& call)
    {
        try {
            call();
        } catch (const CorvaneError& e) {
            return int(e.number());
        }
        return 0;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_peer.listen(QHostAddress::Any));
    }

    void connectStates_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("stateAfterCall");
        QTest::newRow("address") << "127.0.0.1" << int(CSocket::sckConnecting);
        QTest::newRow("name") << "localhost" << int(CSocket::sckResolvingHost);
    }

    void connectStates()
    {
        QFETCH(QString, host);
        QFETCH(int, stateAfterCall);
        CSocket socket;
        QSignalSpy connected(&socket, &CSocket::OnConnect);
        socket.Connect(host, m_peer.serverPort());
        QCOMPARE(socket.State(), stateAfterCall);
        QVERIFY(connected.wait(5000));
        QCOMPARE(socket.State(), int(CSocket::sckConnected));
        QVERIFY(socket.LocalPort() > 0);
        QVERIFY(!socket.RemoteHostIP().isEmpty());
        QVERIFY(socket.SocketHandle() != -1);
        delete nextPeer();
    }

    void methodErrors_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("number");
        QTest::newRow("connect without a host") << 0 << 10049;
        QTest::newRow("send without a socket") << 1 << 40006;
        QTest::newRow("port out of range") << 2 << 6;
        QTest::newRow("accept of an unknown request") << 3 << 10038;
    }

    void methodErrors()
    {
        QFETCH(int, which);
        QFETCH(int, number);
        CSocket socket;
        const std::function<void()> calls[] = {
            [&] { socket.Connect(); },
            [&] { socket.SendData(QByteArray("x")); },
            [&] { socket.setRemotePort(70000); },
            [&] { socket.Accept(123456); },
        };
        QCOMPARE(errorNumber(calls[which]), number);
        QCOMPARE(socket.State(), int(CSocket::sckClosed));
        try {
            calls[which]();
        } catch (const CorvaneError& e) {
            QVERIFY(QString::fromStdString(e.source()).startsWith(QLatin1String("CSocket.")));
        }
    }

    void notifiedErrors_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("closedPort");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::newRow("nobody listening") << "127.0.0.1" << true << 10061 << "Connection refused.";
        QTest::newRow("name does not resolve")
            << "no-such-host.invalid" << false << 11001 << "Host not found.";
    }

    void notifiedErrors()
    {
        QFETCH(QString, host);
        QFETCH(bool, closedPort);
        QFETCH(int, number);
        QFETCH(QString, description);
        int port = 21;
        if (closedPort) {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            port = probe.serverPort();
        }
        CSocket socket;
        QSignalSpy errors(&socket, &CSocket::OnError);
        socket.Connect(host, port);
        QVERIFY(errors.count() == 1 || errors.wait(10000));
        // Without a reachable name server the lookup ends in "try again" instead.
        const int got = errors.first().at(0).toInt();
        if (number == 11001 && got == 11002)
            QCOMPARE(errors.first().at(1).toString(), QStringLiteral("Nonauthoritative host not found."));
        else {
            QCOMPARE(got, number);
            QCOMPARE(errors.first().at(1).toString(), description);
        }
        QCOMPARE(socket.State(), int(CSocket::sckError));
        QCOMPARE(socket.SocketHandle(), qintptr(-1));
    }

    void sendDataBytes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("16-bit integer") << 0 << QByteArray::fromHex("3412");
        QTest::newRow("32-bit integer") << 1 << QByteArray::fromHex("78563412");
        QTest::newRow("double") << 2 << QByteArray::fromHex("000000000000f03f");
        QTest::newRow("boolean") << 3 << QByteArray::fromHex("ffff");
        QTest::newRow("string") << 4 << QByteArray("USER web\r\n");
        QTest::newRow("bytes with zeros") << 5 << QByteArray("a\0b\xff", 4);
    }

    void sendDataBytes()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, expected);
        CSocket socket;
        QVERIFY(connectTo(socket));
        std::unique_ptr<QTcpSocket> peer(nextPeer());
        QVERIFY(peer);
        QSignalSpy complete(&socket, &CSocket::OnSendComplete);
        switch (kind) {
        case 0:
            socket.SendData(qint16(0x1234));
            break;
        case 1:
            socket.SendData(qint32(0x12345678));
            break;
        case 2:
            socket.SendData(1.0);
            break;
        case 3:
            socket.SendData(true);
            break;
        case 4:
            socket.SendData(QStringLiteral("USER web\r\n"));
            break;
        case 5:
            socket.SendData(expected);
            break;
        }
        QVERIFY(complete.wait(5000));
        QByteArray received;
        while (received.size() < expected.size() && peer->waitForReadyRead(2000))
            received += peer->readAll();
        QCOMPARE(received, expected);
    }

    void getDataTakesWhatWasAsked()
    {
        CSocket socket;
        QVERIFY(connectTo(socket));
        std::unique_ptr<QTcpSocket> peer(nextPeer());
        peer->write("0123456789");
        QTRY_COMPARE(socket.BytesReceived(), qint64(10));
        QByteArray data;
        socket.PeekData(data, 4);
        QCOMPARE(data, QByteArray("0123"));
        QCOMPARE(socket.BytesReceived(), qint64(10));
        socket.GetData(data, 3);
        QCOMPARE(data, QByteArray("012"));
        QCOMPARE(socket.BytesReceived(), qint64(7));
        socket.GetData(data, 100); // more than there is: all of it
        QCOMPARE(data, QByteArray("3456789"));
        QCOMPARE(socket.BytesReceived(), qint64(0));
        socket.GetData(data);
        QCOMPARE(data, QByteArray("3456789")); // nothing there: untouched
    }

    // Data the peer sent before closing arrives before OnClose.
    void peerCloseDeliversDataFirst()
    {
        CSocket socket;
        QVERIFY(connectTo(socket));
        std::unique_ptr<QTcpSocket> peer(nextPeer());
        QStringList events;
        QByteArray got;
        connect(&socket, &CSocket::OnDataArrival, this, [&] {
            events << QStringLiteral("data");
            QByteArray chunk;
            socket.GetData(chunk);
            got += chunk;
        });
        connect(&socket, &CSocket::OnClose, this, [&] { events << QStringLiteral("close"); });
        peer->write("221 Goodbye.\r\n");
        peer->disconnectFromHost();
        QTRY_VERIFY(events.contains(QStringLiteral("close")));
        QCOMPARE(events.last(), QStringLiteral("close"));
        QCOMPARE(events.first(), QStringLiteral("data"));
        QCOMPARE(got, QByteArray("221 Goodbye.\r\n"));
        QCOMPARE(socket.State(), int(CSocket::sckClosed));
    }

    // CloseSocket sends what is queued first, then closes once the peer has closed too.
    void closeSendsQueuedDataFirst()
    {
        CSocket socket;
        QVERIFY(connectTo(socket));
        std::unique_ptr<QTcpSocket> peer(nextPeer());
        const QByteArray big(4 * 1024 * 1024, 'z');
        socket.SendData(big);
        socket.CloseSocket();
        QCOMPARE(socket.State(), int(CSocket::sckClosing));
        QByteArray received;
        bool peerSawEnd = false;
        QSignalSpy closed(&socket, &CSocket::OnClose);
        connect(peer.get(), &QTcpSocket::readyRead, this, [&] { received += peer->readAll(); });
        connect(peer.get(), &QTcpSocket::readChannelFinished, this, [&] { peerSawEnd = true; });
        QTRY_VERIFY_WITH_TIMEOUT(peerSawEnd, 10000);
        received += peer->readAll();
        QCOMPARE(received.size(), big.size());
        // The peer closes its side in turn; only then is the socket closed.
        QVERIFY(closed.count() == 1 || closed.wait(5000));
        QCOMPARE(socket.State(), int(CSocket::sckClosed));
    }

    // Listen, hand the request to another object with Accept, talk both ways.
    void listenAndAccept()
    {
        CSocket listener;
        listener.Bind(0, QStringLiteral("127.0.0.1"));
        listener.Listen();
        QCOMPARE(listener.State(), int(CSocket::sckListening));
        QVERIFY(listener.LocalPort() > 0);
        QSignalSpy requests(&listener, &CSocket::OnConnectionRequest);

        CSocket client;
        QSignalSpy connected(&client, &CSocket::OnConnect);
        client.Connect(QStringLiteral("127.0.0.1"), listener.LocalPort());
        QVERIFY(requests.wait(5000));
        listener.CloseSocket(); // the pending request outlives the listener
        QCOMPARE(listener.State(), int(CSocket::sckClosed));

        CSocket server;
        server.Accept(requests.first().at(0).value<qintptr>());
        QCOMPARE(server.State(), int(CSocket::sckConnected));
        QCOMPARE(server.RemoteHostIP(), QStringLiteral("127.0.0.1"));
        QVERIFY(connected.count() == 1 || connected.wait(5000));

        client.SendData(QByteArray("hello"));
        QTRY_COMPARE(server.BytesReceived(), qint64(5));
        server.SendData(QByteArray("world!"));
        QTRY_COMPARE(client.BytesReceived(), qint64(6));

        QSignalSpy serverClosed(&server, &CSocket::OnClose);
        client.CloseSocket();
        QVERIFY(serverClosed.wait(5000));
        QSignalSpy clientClosed(&client, &CSocket::OnClose);
        QVERIFY(clientClosed.count() == 1 || clientClosed.wait(5000));
        QCOMPARE(client.State(), int(CSocket::sckClosed));
    }

    void listenOnPortInUse()
    {
        CSocket first;
        first.Bind(0, QStringLiteral("127.0.0.1"));
        first.Listen();
        CSocket second;
        second.Bind(first.LocalPort(), QStringLiteral("127.0.0.1"));
        QCOMPARE(errorNumber([&] { second.Listen(); }), 10048);
        QCOMPARE(second.State(), int(CSocket::sckClosed));
    }

    // ---- CTimeout ----------------------------------------------------------

    void timerDisabledByZero()
    {
        CTimeout timer;
        QSignalSpy fired(&timer, &CTimeout::TimeOut);
        timer.StartTimer();
        timer.Reset();
        QVERIFY(!timer.isRunning());
        QVERIFY(!fired.wait(1200));
    }

    void timerRepeatsUntilStopped()
    {
        CTimeout timer;
        timer.setTimeOutValue(1);
        QSignalSpy fired(&timer, &CTimeout::TimeOut);
        timer.StartTimer();
        QTRY_COMPARE_WITH_TIMEOUT(fired.count(), 2, 5000);
        timer.StopTimer();
        QVERIFY(!fired.wait(1500));
        QCOMPARE(fired.count(), 2);
        timer.Reset(); // the kept timer runs again
        QVERIFY(fired.wait(3000));
    }

    void timerResetPostpones()
    {
        CTimeout timer;
        timer.setTimeOutValue(1);
        QSignalSpy fired(&timer, &CTimeout::TimeOut);
        timer.StartTimer();
        for (int i = 0; i < 5; ++i) {
            QTest::qWait(400);
            timer.Reset();
        }
        QCOMPARE(fired.count(), 0);
    }

    void timersAreIndependent()
    {
        auto first = std::make_unique<CTimeout>();
        CTimeout second;
        first->setTimeOutValue(1);
        second.setTimeOutValue(1);
        QSignalSpy fired(&second, &CTimeout::TimeOut);
        first->StartTimer();
        second.StartTimer();
        first.reset();
        QVERIFY(fired.wait(3000));
    }
};

QTEST_GUILESS_MAIN(TestSocket)
#include "tst_socket.moc"
