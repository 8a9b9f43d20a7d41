#pragma once
// FTP client (RFC 959) over one control connection and one data connection per
// transfer or listing, in active (PORT/EPRT) or passive (PASV/EPSV) mode.
// Every operation is asynchronous: the call starts it, the socket events drive
// the protocol, and the completion event of the same name reports an FtpResult.
// One operation runs at a time; a CTimeout watches it. waitForResult() runs a
// local event loop for callers that want to block until the result is known.
#include "net/CFtpError.h"
#include "net/CFtpFiles.h"
#include "net/FtpReplyParser.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

namespace corvane {
class CorvaneError;
}

namespace corvane::net {

class CSocket;
class CTimeout;

class CFtpClient : public QObject
{
    Q_OBJECT
public:
    enum FtpMethod : int
    {
        ftpNone = 0,
        ftpConnect = 1,
        ftpGetCurrentDirectory = 2,
        ftpSetCurrentDirectory = 3,
        ftpCreateDirectory = 4,
        ftpRemoveDirectory = 5,
        ftpRenameFile = 6,
        ftpDeleteFile = 7,
        ftpDownloadFile = 8,
        ftpUploadFile = 9,
        ftpEnumFiles = 10,
        ftpQuitSession = 11,
    };
    enum FtpResult : int
    {
        ftpSuccess = 0,
        ftpFailed = 1,
        ftpTimedOut = 2,
        ftpCancelled = 3
    };
    enum SessionState : int
    {
        ftpIdle = 0,
        ftpClosed = 1,
        ftpConnecting = 2,
        ftpConnected = 3,
        ftpAuthenticating = 4,
        ftpLoggedIn = 5,
        ftpChangingDirectory = 6,
        ftpDeletingFile = 7,
        ftpRemovingDirectory = 8,
        ftpCreatingDirectory = 9,
        ftpRenaming = 10,
        ftpEstablishingDataConnection = 11,
        ftpListing = 13,
        ftpDownloading = 15,
        ftpUploading = 17,
        ftpClosingSession = 19,
    };

    // FTP over explicit TLS (AUTH TLS): never, when the server offers it, or required.
    enum TlsMode : int
    {
        tlsNever = 0,
        tlsOptional = 1,
        tlsRequired = 2,
    };

    explicit CFtpClient(QObject* parent = nullptr);
    ~CFtpClient() override;

    QString FtpServer() const { return m_ftpServer; }
    void setFtpServer(const QString& server) { m_ftpServer = server; }
    int RemotePort() const { return m_remotePort; }
    void setRemotePort(int port); // 1..65535, other values are ignored
    QString UserName() const { return m_userName; }
    void setUserName(const QString& name) { m_userName = name; }
    QString Password() const { return m_password; }
    void setPassword(const QString& password) { m_password = password; }
    bool PassiveMode() const { return m_passiveMode; }
    void setPassiveMode(bool passive) { m_passiveMode = passive; }
    // 0 = ASCII ("TYPE A"), any other value = binary ("TYPE I").
    int TransferMode() const { return m_transferMode; }
    void setTransferMode(int mode) { m_transferMode = mode; }
    int SendBufferLenght() const { return m_sendBufferLenght; }
    void setSendBufferLenght(int length); // 512..8192, other values are ignored
    int TimeOut() const;
    void setTimeOut(int seconds);
    // Seconds the connection and the server's greeting may take together
    // (default 30); a server that accepts and stays silent is given up then,
    // however long TimeOut is. 0 or less: no such limit.
    int ConnectTimeOut() const { return m_connectTimeOut; }
    void setConnectTimeOut(int seconds) { m_connectTimeOut = seconds; }
    // Seconds any one operation may take in all (default 600), however often
    // the server shows signs of life in between. 0 or less: no such limit.
    int OperationDeadline() const { return m_operationDeadline; }
    void setOperationDeadline(int seconds) { m_operationDeadline = seconds; }

    // With TLS the password, the commands and every data connection are
    // encrypted (PBSZ 0, PROT P; data connections resume the control
    // connection's TLS session and are always passive). Default: tlsNever.
    int TlsMode() const { return m_tlsMode; }
    void setTlsMode(int mode) { m_tlsMode = mode; }
    // SHA-256 fingerprint of a certificate the administrator accepted for
    // this server; a certificate the system does not verify passes only if
    // it is this one.
    void setPinnedCertificate(const QString& fingerprint) { m_pinned = fingerprint; }
    bool TlsActive() const { return m_tlsActive; }
    QString TlsProtocol() const;
    QString PeerCertificateFingerprint() const;
    bool CertificateVerified() const;

    int FtpSessionState() const { return m_sessionState; }
    bool Busy() const { return m_sessionState != ftpIdle && m_sessionState != ftpClosed; }
    bool DataTransferInProgress() const;
    QString CurrentDirectory() const { return m_currentDirectory; }
    QString CurrentDirectoryListing() const { return m_currentDirectoryListing; }
    // The parsed last listing; nullptr when none was read or its format was unknown.
    const CFtpFiles* CurrentDirectoryFiles() const;
    // Text of the last multi-line reply; reading it clears it.
    QString FtpServerMessage();
    QString LastServerResponse() const { return m_lastServerResponse; }
    const CFtpError& LastFtpError() const { return m_lastFtpError; }

    // Operations: true when the operation started (its completion event follows).
    bool Connect();
    bool GetCurrentDirectory();
    bool SetCurrentDirectory(const QString& directory);
    bool CreateDirectory(const QString& directory);
    bool RemoveDirectory(const QString& directory);
    bool DeleteFile(const QString& fileName);
    bool RenameFile(const QString& oldName, const QString& newName);
    // overwrite false resumes after the bytes an existing local file already holds.
    bool DownloadFile(const QString& remoteFile, const QString& localFile, bool overwrite);
    bool UploadFile(const QString& localFile, const QString& remoteFile, qint64 startOffset = 0);
    bool EnumFiles();
    bool QuitSession();
    void CancelAsyncMethod();
    void CloseControlConnection();

    // Blocks in a local event loop until the operation started last has
    // completed and returns its FtpResult (ftpFailed when none was started,
    // ftpCancelled when it ended without a completion event, e.g. the caller
    // closed the connection). A timeout ends the operation and closes the
    // connection, so the client is ready for a new Connect.
    int waitForResult();

signals:
    void OnConnect(int result);
    void OnCreateDirectory(int result);
    void OnDeleteFile(int result);
    void OnGetCurrentDirectory(int result);
    void OnSetCurrentDirectory(int result);
    void OnRemoveDirectory(int result);
    void OnRenameFile(int result);
    void OnDownloadFile(int result);
    void OnUploadFile(int result);
    void OnEnumFiles(int result);
    void OnDataTransferProgress(qint64 bytes);
    // kind 0 command sent, 1 reply below 400, 2 reply 400 or higher.
    void SessionProtocolMessage(int kind, const QString& text);
    void OnStateChange(int state);
    void OnQuitSession(int result);
    // After every completion event, with the operation it ended.
    void operationFinished(int method, int result);

private:
    // Operation bookkeeping
    bool startOperation(FtpMethod method, const QString& command, const QString& argument);
    void BeginMethod(FtpMethod method);
    void EndMethod();
    void complete(int method, int result);
    void setState(int state);
    void setError(int number, const QString& description, const QString& source);
    void ProcessFtpError(int code);
    void RaiseFailure(int method) { complete(method, ftpFailed); }
    void runtimeFailure(const CorvaneError& error, const char* source);
    void SendFtpCommand(const QString& command, const QString& argument = QString());

    // Replies
    void dispatchReply(int code);
    void handleLogin(int code);
    void handleSimple(int code);
    void handleDataCommand(int code);
    bool ParseCurrentDirectory();

    // Data connection
    void openDataConnection();
    void ListenForDataConnection();
    int NextDataPort();
    bool ConnectDataSocket(int code);
    bool PrepareLocalFile();
    void prepareUpload();
    void SendNextBlock();
    void CloseDataConnection();
    void CloseLocalFile();
    void finishTransferIfDone();
    void finishListing();
    bool extendedAddressing() const;
    bool transferCommandSent() const;

    // Socket and timer events
    void onControlConnect();
    void onControlData();
    void onControlClose();
    void onControlError(int number, const QString& description);
    void onControlEncrypted();
    void onDataConnect();
    void onDataConnectionRequest(qintptr requestID);
    void onDataArrival(qint64 bytesTotal);
    void onDataClose();
    void onDataError(int number, const QString& description, const QString& source);
    void onDataSendComplete();
    void onTimeOut();
    void onConnectTimeOut();
    void onDeadline();
    // Ends the operation in progress for good: the connection is dropped.
    void abandon(int result, int number, const QString& description, const QString& source);

    CSocket* m_objControlSocket;
    CSocket* m_objDataSocket;
    CTimeout* m_objTimeOut;
    QTimer m_connectTimer;
    QTimer m_deadlineTimer;
    int m_connectTimeOut = 30;
    int m_operationDeadline = 600;

    QString m_ftpServer;
    int m_remotePort = 21;
    QString m_userName;
    QString m_password;
    bool m_passiveMode = false;
    int m_transferMode = 1;
    int m_sendBufferLenght = 1460;
    int m_sessionState = ftpClosed;
    QString m_currentDirectory;
    QString m_currentDirectoryListing;
    std::optional<CFtpFiles> m_currentDirectoryFiles;
    QString m_ftpServerMessage;
    QString m_lastServerResponse;
    CFtpError m_lastFtpError;

    int m_method = ftpNone;
    FtpReplyReader m_replyBuffer; // the control connection's text since the last command
    QString m_lastCommand;
    QString m_renameTo;
    QString m_remoteFile;
    QString m_localFile;
    bool m_overwrite = false;
    QFile m_file;
    qint64 m_bytesReceived = 0;
    qint64 m_uploadPosition = 0;
    qint64 m_uploadLength = 0;
    qint64 m_startOffset = 0;
    QByteArray m_listingBuffer;
    int m_nextDataPort = 0;
    bool m_extendedRefused = false; // the server refused EPSV: use PASV from now on
    bool m_dataClosed = false;      // the server ended the data connection
    bool m_transferReplied = false; // the server confirmed the transfer (226/250)
    int m_tlsMode = tlsNever;
    QString m_pinned;
    bool m_tlsStarting = false; // AUTH TLS accepted, handshake running
    bool m_tlsActive = false;
    bool m_resultReady = false;
    int m_lastResult = ftpFailed;
};

} // namespace corvane::net
