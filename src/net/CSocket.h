#pragma once
// Asynchronous TCP socket whose network notifications arrive as events
// (OnConnect, OnDataArrival, ...) on the thread that owns it, delivered by that
// thread's Qt event loop. Errors of methods are thrown as CorvaneError with the
// classic Winsock number, its English text and the raising "CSocket.<procedure>";
// errors that arrive as notifications are raised as OnError and leave the
// object with no socket and State 9.
#include <QByteArray>
#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QString>
#include <cstring>
#include <type_traits>

class QSslSocket;
class QTcpServer;
class QTcpSocket;

namespace corvane::net {

class CSocket : public QObject
{
    Q_OBJECT
public:
    enum SocketState : int
    {
        sckClosed = 0,
        sckListening = 2,
        sckResolvingHost = 4,
        sckHostResolved = 5,
        sckConnecting = 6,
        sckConnected = 7,
        sckClosing = 8,
        sckError = 9,
    };
    enum ProtocolType : int
    {
        sckTCPProtocol = 0,
        sckUDPProtocol = 1
    };

    explicit CSocket(QObject* parent = nullptr);
    ~CSocket() override;

    qintptr SocketHandle() const;
    int State() const { return m_state; }
    int Protocol() const { return m_protocol; }
    // Changed only while no socket exists. Only TCP is carried; UDP operations throw 10044.
    void setProtocol(int protocol);

    QString RemoteHost() const { return m_remoteHost; }
    void setRemoteHost(const QString& host);
    QString RemoteHostIP() const { return m_remoteHostIP; }
    int RemotePort() const { return m_remotePort; }
    void setRemotePort(int port); // 0..65535, otherwise throws 6 "Overflow"
    QString LocalIP() const { return m_localIP; }
    QString LocalHostName() const { return m_localHostName; }
    int LocalPort() const { return m_localPort; }
    void setLocalPort(int port);
    qint64 BytesReceived() const { return m_recv.size(); }
    int ReceiveBufferSize() const;
    int SendBufferSize() const;
    // Bytes handed to SendData and not yet accepted by the system.
    qint64 BytesToSend() const;

    // The data replaces what is queued for sending; sending starts at once.
    void SendData(const QByteArray& data);
    void SendData(const QString& text) { SendData(text.toLocal8Bit()); }
    void SendData(const char* text) { SendData(QByteArray(text)); }
    void SendData(bool value) { SendData(qint16(value ? -1 : 0)); }
    template <typename T>
    requires std::is_arithmetic_v<T>
    void SendData(T value)
    {
        QByteArray bytes(int(sizeof(T)), Qt::Uninitialized);
        std::memcpy(bytes.data(), &value, sizeof(T)); // machine order, little-endian here
        SendData(bytes);
    }

    // Takes up to maxLength bytes (all when maxLength <= 0 or larger than the buffer).
    void GetData(QByteArray& data, qint64 maxLength = 0);
    void GetData(QString& text, qint64 maxLength = 0);
    void PeekData(QByteArray& data, qint64 maxLength = 0) const;

    void Listen();
    void Connect(const QString& remoteHost = QString(), int remotePort = -1);
    void CloseSocket();
    // Drops the connection at once (both directions, unsent data discarded); no events follow.
    void Abort();
    void Bind(int localPort = -1, const QString& localAddress = QString());
    void Accept(qintptr requestID);

    // TLS on a connected socket, as the client: the certificate must verify
    // against the system's trust store for `peerName`, or have the SHA-256
    // fingerprint `pinned` (as fingerprintOf gives it). `session` resumes the
    // TLS session of another connection (TlsSession of that socket).
    // OnEncrypted follows; a refused certificate ends in OnError.
    void StartTls(const QString& peerName, const QByteArray& session, const QString& pinned);
    bool IsEncrypted() const;
    // The TLS session to resume on another connection to the same server.
    QByteArray TlsSession() const;
    // "TLS 1.3" and the like, once encrypted.
    QString TlsProtocol() const;
    // The peer's certificate as last seen in a handshake (kept after a failure).
    QString PeerCertificateFingerprint() const { return m_peerFingerprint; }
    // True when the system's trust store vouched for it; false when only the pin did.
    bool CertificateVerified() const { return m_certificateVerified; }
    // Why the certificate did not verify (empty when it did).
    QString CertificateProblem() const { return m_certificateProblem; }
    static QString fingerprintOf(const QByteArray& der);

signals:
    void OnClose();
    void OnConnect();
    void OnConnectionRequest(qintptr requestID);
    void OnDataArrival(qint64 bytesTotal);
    void OnError(int Number, const QString& Description, const QString& Source);
    void OnSendComplete();
    void OnSendProgress(qint64 bytesSent, qint64 bytesRemaining);
    void OnEncrypted();

private:
    void ensureTcp(const char* source) const;
    void createSocket();
    void adoptSocket(QTcpSocket* socket);
    void destroySocket();
    void connectTo(const QHostAddress& address);
    void halfClose();
    void notifyError(int number, const QString& source);
    void onLookup(const QHostInfo& info);
    void onConnected();
    void onReadyRead();
    void onBytesWritten(qint64 bytes);
    void onSocketError();
    void onDisconnected();
    void onNewConnection();
    QSslSocket* ssl() const;

    QTcpSocket* m_tcp = nullptr;
    QTcpServer* m_server = nullptr;
    int m_state = sckClosed;
    int m_protocol = sckTCPProtocol;
    QString m_remoteHost;
    QString m_remoteHostIP;
    int m_remotePort = 0;
    QString m_localIP;
    QString m_localHostName;
    int m_localPort = 0;
    QString m_bindAddress;
    bool m_bound = false;
    int m_lookupId = -1;
    QByteArray m_recv;
    QString m_pinned;
    QString m_peerFingerprint;
    QString m_certificateProblem;
    bool m_certificateVerified = false;
};

} // namespace corvane::net
