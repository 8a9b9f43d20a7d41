#pragma once
// A scripted FTP server for the faults a real server does not produce on
// demand: replies cut short or never sent, connections dropped mid-transfer,
// a passive reply naming a foreign address, refused EPSV. Runs on the test's
// own event loop; each command goes to the handler set by the test, or to a
// default that answers the way a plain server would.
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

class FakeFtpServer : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<bool(const QByteArray& command, const QByteArray& argument)>;

    explicit FakeFtpServer(const QHostAddress& address = QHostAddress::LocalHost);
    bool isListening() const { return m_control.isListening(); }
    quint16 port() const { return m_control.serverPort(); }

    // Greeting chunks are sent one after another, 50 ms apart.
    void setGreeting(const QList<QByteArray>& chunks) { m_greeting = chunks; }
    // Returns true when it handled the command; otherwise the default answer is given.
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    void send(const QByteArray& text);  // raw bytes on the control connection
    void reply(const QByteArray& line); // one line, CR LF added
    void closeControl();
    // Passive: listens for the data connection and returns the port.
    quint16 listenForData();
    // The data connection: the accepted passive one, or a connection to the client's PORT/EPRT.
    QTcpSocket* dataConnection();
    const QList<QByteArray>& commands() const { return m_commands; }
    int connections() const { return m_connections; }

private:
    void onNewControl();
    void onControlData();
    void answerByDefault(const QByteArray& command, const QByteArray& argument);

    QTcpServer m_control;
    QTcpServer m_data;
    QPointer<QTcpSocket> m_session;
    QPointer<QTcpSocket> m_dataSocket;
    QByteArray m_buffer;
    QList<QByteArray> m_greeting{"220 fake ready"};
    Handler m_handler;
    QList<QByteArray> m_commands;
    quint16 m_activePort = 0;
    QHostAddress m_address;
    int m_connections = 0;
};
