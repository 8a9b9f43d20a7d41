#include "net/CSocket.h"

#include "model/CorvaneError.h"
#include "net/NetErrors.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <cerrno>
#include <sys/socket.h>

namespace corvane::net {

namespace {

// Connections accepted by a listening socket wait here, keyed by their handle,
// until a socket of the same thread adopts them with Accept. The listening
// socket may be closed in between, so they do not belong to it.
struct ThreadSockets
{
    int live = 0;
    QHash<qintptr, QTcpSocket*> pending;
};

ThreadSockets& threadSockets()
{
    static thread_local ThreadSockets sockets;
    return sockets;
}

[[noreturn]] void raise(int number, const char* source)
{
    throw CorvaneError(number, source, socketErrorText(number).toStdString());
}

int errnoToNumber(int err)
{
    switch (err) {
    case ENOTCONN:
        return kErrNotConnected;
    case EBADF:
    case ENOTSOCK:
        return kErrNotSocket;
    case EINVAL:
        return kErrInvalidArgument;
    default:
        return kErrSystemCallFailure;
    }
}

void checkPort(int port, const char* source)
{
    if (port < 0 || port > 65535)
        throw CorvaneError(6, source, "Overflow");
}

} // namespace

CSocket::CSocket(QObject* parent) : QObject(parent)
{
    ++threadSockets().live;
}

CSocket::~CSocket()
{
    destroySocket();
    auto& sockets = threadSockets();
    if (--sockets.live == 0) {
        qDeleteAll(sockets.pending);
        sockets.pending.clear();
    }
}

qintptr CSocket::SocketHandle() const
{
    if (m_tcp && m_tcp->socketDescriptor() != -1)
        return m_tcp->socketDescriptor();
    if (m_server && m_server->isListening())
        return m_server->socketDescriptor();
    return -1;
}

void CSocket::setProtocol(int protocol)
{
    if (!m_tcp && !m_server)
        m_protocol = protocol;
}

void CSocket::setRemoteHost(const QString& host)
{
    m_remoteHost = host;
    if (QHostAddress address; address.setAddress(host))
        m_remoteHostIP = address.toString();
}

void CSocket::setRemotePort(int port)
{
    checkPort(port, "CSocket.RemotePort");
    m_remotePort = port;
}

void CSocket::setLocalPort(int port)
{
    checkPort(port, "CSocket.LocalPort");
    m_localPort = port;
}

int CSocket::ReceiveBufferSize() const
{
    return m_tcp ? m_tcp->socketOption(QAbstractSocket::ReceiveBufferSizeSocketOption).toInt() : 0;
}

int CSocket::SendBufferSize() const
{
    return m_tcp ? m_tcp->socketOption(QAbstractSocket::SendBufferSizeSocketOption).toInt() : 0;
}

qint64 CSocket::BytesToSend() const
{
    return m_tcp ? m_tcp->bytesToWrite() : 0;
}

void CSocket::ensureTcp(const char* source) const
{
    if (m_protocol != sckTCPProtocol)
        raise(kErrSocketTypeNotSupported, source);
}

void CSocket::SendData(const QByteArray& data)
{
    ensureTcp("CSocket.SendData");
    if (!m_tcp || (m_state != sckConnected && m_state != sckConnecting))
        raise(kErrWrongState, "CSocket.SendData");
    if (data.isEmpty())
        return;
    if (m_tcp->write(data) != data.size())
        raise(socketErrorNumber(m_tcp->error()), "CSocket.SendData");
}

void CSocket::GetData(QByteArray& data, qint64 maxLength)
{
    if (m_recv.isEmpty())
        return;
    if (maxLength > 0 && maxLength <= m_recv.size()) {
        data = m_recv.left(maxLength);
        m_recv.remove(0, maxLength);
    } else {
        data = std::move(m_recv);
        m_recv = QByteArray();
    }
}

void CSocket::GetData(QString& text, qint64 maxLength)
{
    QByteArray bytes;
    GetData(bytes, maxLength);
    if (!bytes.isEmpty())
        text = QString::fromLocal8Bit(bytes);
}

void CSocket::PeekData(QByteArray& data, qint64 maxLength) const
{
    if (m_recv.isEmpty())
        return;
    data = (maxLength > 0 && maxLength <= m_recv.size()) ? m_recv.left(maxLength) : m_recv;
}

void CSocket::Bind(int localPort, const QString& localAddress)
{
    ensureTcp("CSocket.Bind");
    if (localPort >= 0)
        setLocalPort(localPort);
    m_bindAddress = localAddress;
    m_bound = true;
}

void CSocket::Listen()
{
    ensureTcp("CSocket.Listen");
    if (m_tcp)
        destroySocket();
    if (!m_server) {
        m_server = new QTcpServer(this);
        m_server->setMaxPendingConnections(5);
        connect(m_server, &QTcpServer::newConnection, this, &CSocket::onNewConnection);
    }
    QHostAddress address(QHostAddress::AnyIPv4);
    if (!m_bindAddress.isEmpty() && !address.setAddress(m_bindAddress))
        raise(kErrAddressNotAvailable, "CSocket.Bind");
    m_bound = true;
    if (!m_server->listen(address, quint16(m_localPort))) {
        const int number = socketErrorNumber(m_server->serverError());
        destroySocket();
        raise(number, "CSocket.Listen");
    }
    m_localPort = m_server->serverPort();
    m_localIP = m_server->serverAddress().toString();
    m_state = sckListening;
}

void CSocket::Connect(const QString& remoteHost, int remotePort)
{
    ensureTcp("CSocket.Connect");
    if (!remoteHost.isEmpty())
        setRemoteHost(remoteHost);
    if (remotePort >= 0)
        setRemotePort(remotePort);
    if (m_remoteHost.isEmpty())
        raise(kErrAddressNotAvailable, "CSocket.Connect");
    // A socket left over from an earlier connection is replaced by a fresh one.
    if (m_tcp || m_server || m_lookupId != -1)
        destroySocket();
    m_recv.clear();
    createSocket();
    if (QHostAddress address; address.setAddress(m_remoteHost)) {
        m_remoteHostIP = address.toString();
        connectTo(address);
        return;
    }
    m_state = sckResolvingHost;
    m_lookupId = QHostInfo::lookupHost(m_remoteHost, this, &CSocket::onLookup);
}

void CSocket::CloseSocket()
{
    if (m_state == sckConnected && IsEncrypted()) {
        // TLS ends with its own close notice, sent after the data.
        m_state = sckClosing;
        m_tcp->disconnectFromHost();
        return;
    }
    if (m_state == sckConnected && m_tcp) {
        m_state = sckClosing;
        // Unsent data goes first; the half close follows when it has left.
        if (m_tcp->bytesToWrite() == 0)
            halfClose();
        return;
    }
    destroySocket();
    m_state = sckClosed;
}

void CSocket::Abort()
{
    destroySocket();
    m_state = sckClosed;
}

void CSocket::Accept(qintptr requestID)
{
    ensureTcp("CSocket.Accept");
    QTcpSocket* socket = threadSockets().pending.take(requestID);
    if (!socket)
        raise(kErrNotSocket, "CSocket.Accept");
    destroySocket();
    adoptSocket(socket);
    m_localPort = socket->localPort();
    m_localIP = socket->localAddress().toString();
    m_localHostName = m_localIP;
    m_remotePort = socket->peerPort();
    m_remoteHostIP = socket->peerAddress().toString();
    m_remoteHost = m_remoteHostIP;
    m_protocol = sckTCPProtocol;
    m_state = sckConnected;
    // Data or a close that came before the adoption is delivered as events now.
    if (socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &CSocket::onReadyRead, Qt::QueuedConnection);
    if (socket->state() == QAbstractSocket::UnconnectedState)
        QMetaObject::invokeMethod(this, &CSocket::onDisconnected, Qt::QueuedConnection);
}

void CSocket::createSocket()
{
    // A TLS-capable socket that stays plain until StartTls.
    adoptSocket(new QSslSocket(this));
}

QSslSocket* CSocket::ssl() const
{
    return qobject_cast<QSslSocket*>(m_tcp);
}

QString CSocket::fingerprintOf(const QByteArray& der)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex(':').toUpper());
}

void CSocket::StartTls(const QString& peerName, const QByteArray& session, const QString& pinned)
{
    QSslSocket* socket = ssl();
    if (!socket || m_state != sckConnected)
        raise(kErrWrongState, "CSocket.StartTls");
    m_pinned = pinned;
    m_peerFingerprint.clear();
    m_certificateProblem.clear();
    m_certificateVerified = false;
    QSslConfiguration config = socket->sslConfiguration();
    // TLS 1.2: over TLS 1.3, vsftpd fails uploads whose data connection
    // ends right after the last block ("426 Failure reading network stream").
    config.setProtocol(QSsl::TlsV1_2);
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    config.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
    config.setSslOption(QSsl::SslOptionDisableSessionTickets, false);
    if (!session.isEmpty())
        config.setSessionTicket(session);
    socket->setSslConfiguration(config);
    socket->setPeerVerifyName(peerName);
    connect(socket, &QSslSocket::encrypted, this, [this] {
        if (QSslSocket* s = ssl()) {
            m_peerFingerprint = fingerprintOf(s->peerCertificate().toDer());
            m_certificateVerified = m_certificateProblem.isEmpty();
        }
        emit OnEncrypted();
    });
    connect(socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError>& errors) {
        QSslSocket* s = ssl();
        if (!s)
            return;
        m_peerFingerprint = fingerprintOf(s->peerCertificate().toDer());
        QStringList texts;
        for (const QSslError& e : errors)
            texts << e.errorString();
        m_certificateProblem = texts.join(QLatin1String("; "));
        // Only the very certificate the administrator accepted earlier passes.
        if (!m_pinned.isEmpty() && !s->peerCertificate().isNull() && m_peerFingerprint == m_pinned)
            s->ignoreSslErrors(errors);
    });
    socket->startClientEncryption();
}

bool CSocket::IsEncrypted() const
{
    return ssl() && ssl()->isEncrypted();
}

QByteArray CSocket::TlsSession() const
{
    return ssl() ? ssl()->sslConfiguration().sessionTicket() : QByteArray();
}

QString CSocket::TlsProtocol() const
{
    if (!IsEncrypted())
        return QString();
    switch (ssl()->sessionProtocol()) {
    case QSsl::TlsV1_2:
        return QStringLiteral("TLS 1.2");
    case QSsl::TlsV1_3:
        return QStringLiteral("TLS 1.3");
    default:
        return QStringLiteral("TLS");
    }
}

void CSocket::adoptSocket(QTcpSocket* socket)
{
    m_tcp = socket;
    socket->setParent(this);
    connect(socket, &QTcpSocket::connected, this, &CSocket::onConnected);
    connect(socket, &QTcpSocket::readyRead, this, &CSocket::onReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, &CSocket::onBytesWritten);
    connect(socket, &QTcpSocket::errorOccurred, this, &CSocket::onSocketError);
    connect(socket, &QTcpSocket::disconnected, this, &CSocket::onDisconnected);
}

void CSocket::destroySocket()
{
    if (m_lookupId != -1) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    if (m_tcp) {
        // Deleted later: this may run inside one of the socket's own signals.
        m_tcp->disconnect(this);
        m_tcp->abort();
        m_tcp->deleteLater();
        m_tcp = nullptr;
    }
    if (m_server) {
        m_server->disconnect(this);
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
    m_bound = false;
}

void CSocket::connectTo(const QHostAddress& address)
{
    m_state = sckConnecting;
    m_tcp->connectToHost(address, quint16(m_remotePort));
}

void CSocket::halfClose()
{
    if (::shutdown(int(m_tcp->socketDescriptor()), SHUT_WR) != 0) {
        const int number = errnoToNumber(errno);
        destroySocket();
        m_state = sckClosed;
        raise(number, "CSocket.CloseSocket");
    }
}

void CSocket::notifyError(int number, const QString& source)
{
    m_state = sckError;
    destroySocket();
    emit OnError(number, socketErrorText(number), source);
}

void CSocket::onLookup(const QHostInfo& info)
{
    if (info.lookupId() != m_lookupId)
        return;
    m_lookupId = -1;
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
        // No such name, an answer without addresses, or no answer at all (no name server reachable).
        const int number = info.error() == QHostInfo::HostNotFound ? kErrHostNotFound
                           : info.error() == QHostInfo::NoError    ? kErrNoData
                                                                   : kErrTryAgain;
        notifyError(number, QStringLiteral("MSocketSupport.ResolveHost"));
        return;
    }
    m_state = sckHostResolved;
    const QHostAddress address = info.addresses().constFirst();
    m_remoteHostIP = address.toString();
    connectTo(address);
}

void CSocket::onConnected()
{
    m_localPort = m_tcp->localPort();
    m_localIP = m_tcp->localAddress().toString();
    m_localHostName = m_localIP;
    m_remoteHostIP = m_tcp->peerAddress().toString();
    m_state = sckConnected;
    emit OnConnect();
}

void CSocket::onReadyRead()
{
    if (!m_tcp || m_tcp->bytesAvailable() <= 0)
        return;
    if (m_recv.isEmpty())
        m_recv = m_tcp->readAll();
    else
        m_recv += m_tcp->readAll();
    emit OnDataArrival(m_recv.size());
}

void CSocket::onBytesWritten(qint64 bytes)
{
    const qint64 remaining = m_tcp->bytesToWrite();
    emit OnSendProgress(bytes, remaining);
    if (remaining != 0 || !m_tcp)
        return;
    if (m_state == sckClosing) {
        if (IsEncrypted())
            return; // disconnectFromHost closes once the data has left
        // Called from the event loop: a failure becomes an event, never an exception.
        if (::shutdown(int(m_tcp->socketDescriptor()), SHUT_WR) != 0)
            notifyError(errnoToNumber(errno), QStringLiteral("CSocket.CloseSocket"));
        return;
    }
    emit OnSendComplete();
}

void CSocket::onSocketError()
{
    const auto error = m_tcp->error();
    // A peer's close is reported by disconnected(), after the unread data.
    // A TLS close notice is not followed by disconnected(): it is the close.
    if (error == QAbstractSocket::RemoteHostClosedError) {
        if (ssl() && ssl()->mode() != QSslSocket::UnencryptedMode)
            QMetaObject::invokeMethod(this, &CSocket::onDisconnected, Qt::QueuedConnection);
        return;
    }
    const bool connecting = m_state == sckConnecting;
    notifyError(socketErrorNumber(error),
                connecting ? QStringLiteral("CSocket.Connect") : QStringLiteral("CSocket.RecvToBuffer"));
}

void CSocket::onDisconnected()
{
    if (!m_tcp)
        return;
    onReadyRead();
    if (!m_tcp)
        return; // a handler closed the socket meanwhile
    destroySocket();
    m_state = sckClosed;
    emit OnClose();
}

void CSocket::onNewConnection()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket* socket = m_server->nextPendingConnection();
        socket->setParent(nullptr);
        const qintptr id = socket->socketDescriptor();
        threadSockets().pending.insert(id, socket);
        emit OnConnectionRequest(id);
    }
}

} // namespace corvane::net
