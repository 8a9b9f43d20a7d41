#include "FakeFtpServer.h"

#include <QTimer>

FakeFtpServer::FakeFtpServer(const QHostAddress& address) : m_address(address)
{
    connect(&m_control, &QTcpServer::newConnection, this, &FakeFtpServer::onNewControl);
    m_control.listen(address, 0);
}

void FakeFtpServer::send(const QByteArray& text)
{
    if (m_session)
        m_session->write(text);
}

void FakeFtpServer::reply(const QByteArray& line)
{
    send(line + "\r\n");
}

void FakeFtpServer::closeControl()
{
    if (m_session)
        m_session->disconnectFromHost();
}

quint16 FakeFtpServer::listenForData()
{
    if (!m_data.isListening())
        m_data.listen(m_address, 0);
    return m_data.serverPort();
}

QTcpSocket* FakeFtpServer::dataConnection()
{
    if (m_dataSocket)
        return m_dataSocket;
    if (m_activePort != 0) {
        auto* socket = new QTcpSocket(this);
        socket->connectToHost(m_address, m_activePort);
        if (!socket->waitForConnected(5000)) {
            delete socket;
            return nullptr;
        }
        m_dataSocket = socket;
    } else if (m_data.isListening() &&
               (m_data.hasPendingConnections() || m_data.waitForNewConnection(5000))) {
        m_dataSocket = m_data.nextPendingConnection();
    }
    return m_dataSocket;
}

void FakeFtpServer::onNewControl()
{
    while (m_control.hasPendingConnections()) {
        QTcpSocket* socket = m_control.nextPendingConnection();
        ++m_connections;
        if (m_session)
            m_session->abort();
        m_session = socket;
        m_buffer.clear();
        m_activePort = 0;
        if (m_dataSocket)
            m_dataSocket->abort();
        connect(socket, &QTcpSocket::readyRead, this, &FakeFtpServer::onControlData);
        int delay = 0;
        for (const QByteArray& chunk : m_greeting) {
            QTimer::singleShot(delay, socket, [socket, chunk] { socket->write(chunk + "\r\n"); });
            delay += 50;
        }
    }
}

void FakeFtpServer::onControlData()
{
    if (!m_session)
        return;
    m_buffer += m_session->readAll();
    qsizetype end;
    while ((end = m_buffer.indexOf("\r\n")) >= 0) {
        const QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 2);
        m_commands << line;
        const qsizetype blank = line.indexOf(' ');
        const QByteArray command = (blank < 0 ? line : line.left(blank)).toUpper();
        const QByteArray argument = blank < 0 ? QByteArray() : line.mid(blank + 1);
        if (command == "PORT") {
            const QList<QByteArray> fields = argument.split(',');
            m_activePort = quint16(fields.value(4).toInt() * 256 + fields.value(5).toInt());
        } else if (command == "EPRT") {
            m_activePort = quint16(argument.split('|').value(3).toInt());
        }
        if (!m_handler || !m_handler(command, argument))
            answerByDefault(command, argument);
    }
}

void FakeFtpServer::answerByDefault(const QByteArray& command, const QByteArray&)
{
    if (command == "USER")
        reply("331 Password please.");
    else if (command == "PASS")
        reply("230 Logged in.");
    else if (command == "PWD")
        reply("257 \"/srv/www\" is the current directory");
    else if (command == "TYPE" || command == "PORT" || command == "EPRT")
        reply("200 OK.");
    else if (command == "PASV")
        reply("227 Entering Passive Mode (127,0,0,1," + QByteArray::number(listenForData() / 256) + "," +
              QByteArray::number(listenForData() % 256) + ").");
    else if (command == "EPSV")
        reply("229 Entering Extended Passive Mode (|||" + QByteArray::number(listenForData()) + "|)");
    else if (command == "QUIT") {
        reply("221 Goodbye.");
        closeControl();
    } else
        reply("502 Not implemented.");
}
