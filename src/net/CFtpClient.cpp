#include "net/CFtpClient.h"

#include "model/CorvaneError.h"
#include "net/CSocket.h"
#include "net/CTimeout.h"
#include "net/FtpListingParser.h"
#include "net/FtpReplyParser.h"
#include "net/NetErrors.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QHostAddress>
#include <QRandomGenerator>
#include <sys/socket.h>

namespace corvane::net {

namespace {

// Placeholder password of an anonymous login.
constexpr auto kAnonymousPassword = "corvane@localhost";
// Uploads are read and queued in blocks of at most this many bytes.
constexpr qint64 kUploadBlockLimit = 256 * 1024;
// Ports tried for an active-mode data connection before giving up.
constexpr int kListenAttempts = 100;

bool isOneOf(int code, std::initializer_list<int> codes)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

} // namespace

CFtpClient::CFtpClient(QObject* parent)
    : QObject(parent), m_objControlSocket(new CSocket(this)), m_objDataSocket(new CSocket(this)),
      m_objTimeOut(new CTimeout(this))
{
    m_objTimeOut->setTimeOutValue(60);
    connect(m_objControlSocket, &CSocket::OnConnect, this, &CFtpClient::onControlConnect);
    connect(m_objControlSocket, &CSocket::OnDataArrival, this, &CFtpClient::onControlData);
    connect(m_objControlSocket, &CSocket::OnClose, this, &CFtpClient::onControlClose);
    connect(m_objControlSocket, &CSocket::OnError, this, &CFtpClient::onControlError);
    connect(m_objControlSocket, &CSocket::OnEncrypted, this, &CFtpClient::onControlEncrypted);
    connect(m_objDataSocket, &CSocket::OnConnect, this, &CFtpClient::onDataConnect);
    connect(m_objDataSocket, &CSocket::OnConnectionRequest, this, &CFtpClient::onDataConnectionRequest);
    connect(m_objDataSocket, &CSocket::OnDataArrival, this, &CFtpClient::onDataArrival);
    connect(m_objDataSocket, &CSocket::OnClose, this, &CFtpClient::onDataClose);
    connect(m_objDataSocket, &CSocket::OnError, this, &CFtpClient::onDataError);
    connect(m_objDataSocket, &CSocket::OnSendComplete, this, &CFtpClient::onDataSendComplete);
    connect(m_objTimeOut, &CTimeout::TimeOut, this, &CFtpClient::onTimeOut);
    m_connectTimer.setSingleShot(true);
    m_deadlineTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, &CFtpClient::onConnectTimeOut);
    connect(&m_deadlineTimer, &QTimer::timeout, this, &CFtpClient::onDeadline);
}

CFtpClient::~CFtpClient()
{
    m_objTimeOut->StopTimer();
    m_connectTimer.stop();
    m_deadlineTimer.stop();
    m_objControlSocket->disconnect(this);
    m_objDataSocket->disconnect(this);
    m_file.close();
}

// ---- properties ----------------------------------------------------------

void CFtpClient::setRemotePort(int port)
{
    if (port >= 1 && port <= 65535)
        m_remotePort = port;
}

void CFtpClient::setSendBufferLenght(int length)
{
    if (length >= 512 && length <= 8192)
        m_sendBufferLenght = length;
}

int CFtpClient::TimeOut() const
{
    return m_objTimeOut->TimeOutValue();
}

void CFtpClient::setTimeOut(int seconds)
{
    m_objTimeOut->setTimeOutValue(seconds);
}

bool CFtpClient::DataTransferInProgress() const
{
    return m_method == ftpDownloadFile || m_method == ftpUploadFile || m_method == ftpEnumFiles;
}

const CFtpFiles* CFtpClient::CurrentDirectoryFiles() const
{
    return m_currentDirectoryFiles ? &*m_currentDirectoryFiles : nullptr;
}

QString CFtpClient::FtpServerMessage()
{
    QString message;
    message.swap(m_ftpServerMessage);
    return message;
}

// ---- operations ----------------------------------------------------------

bool CFtpClient::Connect()
{
    if (m_ftpServer.isEmpty())
        return false;
    if (m_userName.isEmpty()) {
        m_userName = QStringLiteral("anonymous");
        m_password = QString::fromLatin1(kAnonymousPassword);
    }
    CloseDataConnection();
    CloseLocalFile();
    setState(ftpConnecting);
    m_lastCommand.clear();
    m_replyBuffer.reset();
    m_extendedRefused = false;
    m_tlsStarting = m_tlsActive = false;
    BeginMethod(ftpConnect);
    if (m_connectTimeOut > 0)
        m_connectTimer.start(m_connectTimeOut * 1000);
    try {
        m_objControlSocket->Connect(m_ftpServer, m_remotePort);
    } catch (const CorvaneError& e) {
        setError(int(e.number()), QString::fromStdString(e.description()),
                 QString::fromStdString(e.source()));
        if (m_method == ftpConnect)
            EndMethod();
        setState(ftpClosed);
        return false;
    }
    return true;
}

bool CFtpClient::startOperation(FtpMethod method, const QString& command, const QString& argument)
{
    BeginMethod(method);
    try {
        SendFtpCommand(command, argument);
    } catch (const CorvaneError& e) {
        setError(int(e.number()), QString::fromStdString(e.description()),
                 QString::fromStdString(e.source()));
        if (m_method == method)
            EndMethod();
        return false;
    }
    return true;
}

bool CFtpClient::GetCurrentDirectory()
{
    return m_method == ftpNone && startOperation(ftpGetCurrentDirectory, QStringLiteral("PWD"), {});
}

bool CFtpClient::SetCurrentDirectory(const QString& directory)
{
    return m_method == ftpNone && !directory.isEmpty() &&
           startOperation(ftpSetCurrentDirectory, QStringLiteral("CWD"), directory);
}

bool CFtpClient::CreateDirectory(const QString& directory)
{
    return m_method == ftpNone && !directory.isEmpty() &&
           startOperation(ftpCreateDirectory, QStringLiteral("MKD"), directory);
}

bool CFtpClient::RemoveDirectory(const QString& directory)
{
    return m_method == ftpNone && !directory.isEmpty() &&
           startOperation(ftpRemoveDirectory, QStringLiteral("RMD"), directory);
}

bool CFtpClient::DeleteFile(const QString& fileName)
{
    return m_method == ftpNone && !fileName.isEmpty() &&
           startOperation(ftpDeleteFile, QStringLiteral("DELE"), fileName);
}

bool CFtpClient::RenameFile(const QString& oldName, const QString& newName)
{
    if (m_method != ftpNone || oldName.isEmpty() || newName.isEmpty())
        return false;
    m_renameTo = newName;
    return startOperation(ftpRenameFile, QStringLiteral("RNFR"), oldName);
}

bool CFtpClient::DownloadFile(const QString& remoteFile, const QString& localFile, bool overwrite)
{
    if (m_method != ftpNone || remoteFile.isEmpty() || localFile.isEmpty())
        return false;
    m_remoteFile = remoteFile;
    m_localFile = localFile;
    m_overwrite = overwrite;
    m_bytesReceived = 0;
    m_dataClosed = m_transferReplied = false;
    return startOperation(ftpDownloadFile, QStringLiteral("TYPE"),
                          m_transferMode == 0 ? QStringLiteral("A") : QStringLiteral("I"));
}

bool CFtpClient::UploadFile(const QString& localFile, const QString& remoteFile, qint64 startOffset)
{
    if (m_method != ftpNone || remoteFile.isEmpty() || localFile.isEmpty())
        return false;
    const QFileInfo info(localFile);
    if (!info.isFile()) {
        setError(53, QStringLiteral("File not found: ") + localFile, QStringLiteral("CFtpClient.UploadFile"));
        return false;
    }
    m_localFile = localFile;
    m_remoteFile = remoteFile;
    m_startOffset = qMax<qint64>(0, startOffset);
    return startOperation(ftpUploadFile, QStringLiteral("TYPE"),
                          m_transferMode == 0 ? QStringLiteral("A") : QStringLiteral("I"));
}

bool CFtpClient::EnumFiles()
{
    if (m_method != ftpNone)
        return false;
    m_listingBuffer.clear();
    m_dataClosed = m_transferReplied = false;
    return startOperation(ftpEnumFiles, QStringLiteral("TYPE"), QStringLiteral("A"));
}

bool CFtpClient::QuitSession()
{
    return m_method == ftpNone && startOperation(ftpQuitSession, QStringLiteral("QUIT"), {});
}

void CFtpClient::CancelAsyncMethod()
{
    const int method = m_method;
    EndMethod();
    if (method == ftpDownloadFile || method == ftpUploadFile) {
        CloseDataConnection();
        CloseLocalFile();
    } else if (method == ftpEnumFiles) {
        m_listingBuffer.clear();
        CloseDataConnection();
    }
    if (method != ftpNone && method != ftpQuitSession)
        complete(method, ftpCancelled);
}

void CFtpClient::CloseControlConnection()
{
    EndMethod();
    // A transfer cannot outlive its control connection.
    CloseDataConnection();
    CloseLocalFile();
    if (m_objControlSocket->State() != CSocket::sckClosed) {
        try {
            m_objControlSocket->CloseSocket();
        } catch (const CorvaneError&) {
            m_objControlSocket->Abort(); // the connection is gone either way
        }
    }
    if (m_objControlSocket->State() == CSocket::sckClosed)
        setState(ftpClosed);
}

int CFtpClient::waitForResult()
{
    if (!m_resultReady && m_method == ftpNone)
        return ftpFailed;
    // Every wait is bounded: without a timeout of its own the operation gets one.
    if (m_objTimeOut->TimeOutValue() <= 0) {
        m_objTimeOut->setTimeOutValue(60);
        m_objTimeOut->StartTimer();
    }
    if (!m_resultReady) {
        QEventLoop loop;
        connect(this, &CFtpClient::operationFinished, &loop, &QEventLoop::quit);
        // An operation can also end without a completion event (the connection
        // was closed under it); the check runs after the current call stack, by
        // which time a completion that follows EndMethod has been raised.
        connect(this, &CFtpClient::OnStateChange, &loop, [this, &loop] {
            QMetaObject::invokeMethod(
                &loop,
                [this, &loop] {
                    if (!m_resultReady && m_method == ftpNone) {
                        m_lastResult = ftpCancelled;
                        loop.quit();
                    }
                },
                Qt::QueuedConnection);
        });
        loop.exec();
    }
    const int result = m_lastResult;
    if (result == ftpTimedOut) {
        // The server is in an unknown state: start over with a fresh connection.
        CloseControlConnection();
        m_objControlSocket->Abort();
        setState(ftpClosed);
    }
    return result;
}

// ---- bookkeeping ---------------------------------------------------------

void CFtpClient::BeginMethod(FtpMethod method)
{
    m_lastFtpError.clear();
    m_method = method;
    m_resultReady = false;
    m_objTimeOut->StartTimer();
    if (m_operationDeadline > 0)
        m_deadlineTimer.start(m_operationDeadline * 1000);
}

void CFtpClient::EndMethod()
{
    m_objTimeOut->StopTimer();
    m_connectTimer.stop();
    m_deadlineTimer.stop();
    m_method = ftpNone;
    setState(ftpIdle);
}

void CFtpClient::complete(int method, int result)
{
    m_lastResult = result;
    m_resultReady = true;
    switch (method) {
    case ftpConnect:
        emit OnConnect(result);
        break;
    case ftpGetCurrentDirectory:
        emit OnGetCurrentDirectory(result);
        break;
    case ftpSetCurrentDirectory:
        emit OnSetCurrentDirectory(result);
        break;
    case ftpCreateDirectory:
        emit OnCreateDirectory(result);
        break;
    case ftpRemoveDirectory:
        emit OnRemoveDirectory(result);
        break;
    case ftpRenameFile:
        emit OnRenameFile(result);
        break;
    case ftpDeleteFile:
        emit OnDeleteFile(result);
        break;
    case ftpDownloadFile:
        emit OnDownloadFile(result);
        break;
    case ftpUploadFile:
        emit OnUploadFile(result);
        break;
    case ftpEnumFiles:
        emit OnEnumFiles(result);
        break;
    case ftpQuitSession:
        emit OnQuitSession(result);
        break;
    default:
        return;
    }
    emit operationFinished(method, result);
}

void CFtpClient::setState(int state)
{
    m_sessionState = state;
    emit OnStateChange(state);
}

void CFtpClient::setError(int number, const QString& description, const QString& source)
{
    m_lastFtpError.Number = number;
    m_lastFtpError.Description = description;
    m_lastFtpError.Source = source;
}

void CFtpClient::ProcessFtpError(int code)
{
    const int method = m_method;
    EndMethod();
    setError(kFtpReplyBase + code, ftpReplyText(code), QStringLiteral("Ferrylink.CFtpClient"));
    RaiseFailure(method);
}

void CFtpClient::runtimeFailure(const CorvaneError& error, const char* source)
{
    CloseLocalFile();
    CloseDataConnection();
    const int method = m_method;
    EndMethod();
    setError(int(error.number()), QString::fromStdString(error.description()), QString::fromLatin1(source));
    RaiseFailure(method);
}

void CFtpClient::SendFtpCommand(const QString& command, const QString& argument)
{
    if (m_objControlSocket->State() != CSocket::sckConnected)
        throw CorvaneError(kFtpNotConnected, "CFtpClient.SendFtpCommand",
                           "The connection is not established.");
    // A line break in a name would smuggle a second command to the server.
    if (argument.contains(QLatin1Char('\r')) || argument.contains(QLatin1Char('\n')))
        throw CorvaneError(kErrInvalidArgument, "CFtpClient.SendFtpCommand",
                           "CFtpClient.SendFtpCommand failed: " +
                               socketErrorText(kErrInvalidArgument).toStdString());
    m_replyBuffer.reset();
    int state = ftpIdle;
    if (command == QLatin1String("USER") || command == QLatin1String("PASS"))
        state = ftpAuthenticating;
    else if (command == QLatin1String("CWD"))
        state = ftpChangingDirectory;
    else if (command == QLatin1String("DELE"))
        state = ftpDeletingFile;
    else if (command == QLatin1String("RMD"))
        state = ftpRemovingDirectory;
    else if (command == QLatin1String("MKD"))
        state = ftpCreatingDirectory;
    else if (command == QLatin1String("RNFR"))
        state = ftpRenaming;
    else if (command == QLatin1String("LIST") || command == QLatin1String("PWD"))
        state = ftpListing;
    else if (command == QLatin1String("RETR"))
        state = ftpDownloading;
    else if (command == QLatin1String("STOR"))
        state = ftpUploading;
    else if (command == QLatin1String("QUIT"))
        state = ftpClosingSession;
    else if (command == QLatin1String("AUTH"))
        state = ftpConnected;
    else if (command == QLatin1String("PBSZ") || command == QLatin1String("PROT"))
        state = ftpLoggedIn;
    else if (m_method == ftpDownloadFile)
        state = ftpDownloading; // TYPE, PASV, EPSV, PORT, EPRT, REST of a transfer
    else if (m_method == ftpUploadFile)
        state = ftpUploading;
    else if (m_method == ftpEnumFiles)
        state = ftpListing;
    setState(state);
    const QString line = argument.isEmpty() ? command : command + QLatin1Char(' ') + argument;
    m_lastCommand = command;
    try {
        m_objControlSocket->SendData((line + QLatin1String("\r\n")).toLocal8Bit());
    } catch (const CorvaneError& e) {
        throw CorvaneError(e.number(), e.source(), "CFtpClient.SendFtpCommand failed: " + e.description());
    }
    // The password never appears in protocol logs.
    const QString shown = command == QLatin1String("PASS") ? QStringLiteral("******") : argument;
    emit SessionProtocolMessage(0, command + QLatin1Char(' ') + shown);
}

// ---- replies -------------------------------------------------------------

void CFtpClient::onControlData()
{
    if (m_method != ftpNone)
        m_objTimeOut->Reset();
    QByteArray chunk;
    m_objControlSocket->GetData(chunk);
    m_lastServerResponse = QString::fromLocal8Bit(chunk);
    const FtpReplyReader::Status status = m_replyBuffer.feed(chunk);
    if (status == FtpReplyReader::TooLong) {
        // Endless continuation lines or a line that never ends: no reply worth waiting for.
        abandon(ftpFailed, kErrMessageTooLong,
                QStringLiteral("The server's reply is longer than %1 KiB or %2 lines; the connection was "
                               "closed.")
                    .arg(FtpReplyReader::kMaxBytes / 1024)
                    .arg(FtpReplyReader::kMaxLines),
                QStringLiteral("CFtpClient.m_objControlSocket_OnDataArrival"));
        return;
    }
    if (status != FtpReplyReader::Complete)
        return;
    const int code = m_replyBuffer.code();
    if (const QString message = m_replyBuffer.serverMessage(); !message.isEmpty())
        m_ftpServerMessage = message;
    emit SessionProtocolMessage(
        code < 400 ? 1 : 2, m_lastServerResponse.chopped(qMin<qsizetype>(2, m_lastServerResponse.size())));
    try {
        dispatchReply(code);
    } catch (const CorvaneError& e) {
        runtimeFailure(e, "CFtpClient.m_objControlSocket_OnDataArrival");
    }
}

void CFtpClient::dispatchReply(int code)
{
    switch (m_method) {
    case ftpNone:
        if (code == 421)
            CloseControlConnection();
        return;
    case ftpConnect:
        handleLogin(code);
        return;
    case ftpDownloadFile:
    case ftpUploadFile:
    case ftpEnumFiles:
        handleDataCommand(code);
        return;
    default:
        handleSimple(code);
        return;
    }
}

void CFtpClient::handleLogin(int code)
{
    const auto failLogin = [this](int replyCode) {
        ProcessFtpError(replyCode);
        CloseControlConnection();
    };
    const auto loggedIn = [this] {
        setState(ftpLoggedIn);
        // Data connections are protected as well.
        if (m_tlsActive)
            SendFtpCommand(QStringLiteral("PBSZ"), QStringLiteral("0"));
        else
            SendFtpCommand(QStringLiteral("PWD"));
    };
    if (m_lastCommand.isEmpty()) {
        m_connectTimer.stop(); // the greeting is complete
        if (code != 220)
            failLogin(code);
        else if (m_tlsMode != tlsNever)
            SendFtpCommand(QStringLiteral("AUTH"), QStringLiteral("TLS"));
        else
            SendFtpCommand(QStringLiteral("USER"), m_userName);
    } else if (m_lastCommand == QLatin1String("AUTH")) {
        if (code == 234) {
            m_tlsStarting = true;
            m_objControlSocket->StartTls(m_ftpServer, {}, m_pinned);
        } else if (m_tlsMode == tlsRequired) {
            EndMethod();
            CloseControlConnection();
            setState(ftpClosed);
            setError(
                kFtpTlsNotOffered,
                QStringLiteral("TLS is required, but %1 port %2 does not offer it (AUTH TLS was answered "
                               "with %3); nothing else was sent.")
                    .arg(m_ftpServer)
                    .arg(m_remotePort)
                    .arg(code),
                QStringLiteral("CFtpClient.Connect"));
            complete(ftpConnect, ftpFailed);
        } else {
            SendFtpCommand(QStringLiteral("USER"), m_userName);
        }
    } else if (m_lastCommand == QLatin1String("PBSZ")) {
        if (code == 200)
            SendFtpCommand(QStringLiteral("PROT"), QStringLiteral("P"));
        else
            failLogin(code);
    } else if (m_lastCommand == QLatin1String("PROT")) {
        if (code == 200)
            SendFtpCommand(QStringLiteral("PWD"));
        else
            failLogin(code);
    } else if (m_lastCommand == QLatin1String("USER")) {
        if (code == 230)
            loggedIn();
        else if (code == 331)
            SendFtpCommand(QStringLiteral("PASS"), m_password);
        else
            failLogin(code);
    } else if (m_lastCommand == QLatin1String("PASS")) {
        if (code == 202 || code == 230)
            loggedIn();
        else
            failLogin(code);
    } else if (m_lastCommand == QLatin1String("PWD")) {
        if (code != 257) {
            failLogin(code);
        } else if (ParseCurrentDirectory()) {
            EndMethod();
            complete(ftpConnect, ftpSuccess);
        } else {
            setError(
                kFtpNoCurrentDirectory,
                QStringLiteral("Cannot retrieve the current directory path. Unexpected server response."),
                QStringLiteral("CFtpClient.GetCurrentDirectory"));
            const CFtpError error = m_lastFtpError;
            CloseControlConnection();
            m_lastFtpError = error;
            complete(ftpConnect, ftpFailed);
        }
    }
}

void CFtpClient::handleSimple(int code)
{
    const int method = m_method;
    const auto succeed = [this, method] {
        EndMethod();
        complete(method, ftpSuccess);
    };
    switch (method) {
    case ftpGetCurrentDirectory:
        if (code != 257)
            break;
        if (ParseCurrentDirectory()) {
            succeed();
        } else {
            EndMethod();
            setError(
                kFtpNoCurrentDirectory,
                QStringLiteral("Cannot retrieve the current directory path. Unexpected server response."),
                QStringLiteral("CFtpClient.GetCurrentDirectory"));
            complete(method, ftpFailed);
        }
        return;
    case ftpSetCurrentDirectory:
    case ftpRemoveDirectory:
    case ftpDeleteFile:
        if (code == 250)
            return succeed();
        break;
    case ftpCreateDirectory:
        if (code == 257)
            return succeed();
        break;
    case ftpRenameFile:
        if (m_lastCommand == QLatin1String("RNFR") && code == 350)
            return SendFtpCommand(QStringLiteral("RNTO"), m_renameTo);
        if (m_lastCommand == QLatin1String("RNTO") && code == 250)
            return succeed();
        break;
    case ftpQuitSession:
        if (code == 221) {
            EndMethod();
            m_objControlSocket->CloseSocket();
            complete(method, ftpSuccess);
            return;
        }
        break;
    default:
        return;
    }
    ProcessFtpError(code);
}

bool CFtpClient::transferCommandSent() const
{
    return m_lastCommand == QLatin1String("RETR") || m_lastCommand == QLatin1String("STOR") ||
           m_lastCommand == QLatin1String("LIST");
}

void CFtpClient::handleDataCommand(int code)
{
    const QString& last = m_lastCommand;
    if (last == QLatin1String("TYPE")) {
        if (code != 200)
            return ProcessFtpError(code);
        if (m_method == ftpUploadFile && m_startOffset > 0)
            return SendFtpCommand(QStringLiteral("REST"), QString::number(m_startOffset));
        return openDataConnection();
    }
    if (last == QLatin1String("REST")) {
        if (code != 350)
            return ProcessFtpError(code);
        if (m_method == ftpUploadFile)
            return openDataConnection();
        return SendFtpCommand(QStringLiteral("RETR"), m_remoteFile);
    }
    if (last == QLatin1String("PORT") || last == QLatin1String("EPRT")) {
        if (code != 200) {
            m_objDataSocket->Abort();
            return ProcessFtpError(code);
        }
        if (m_method == ftpDownloadFile) {
            if (!PrepareLocalFile())
                SendFtpCommand(QStringLiteral("RETR"), m_remoteFile);
        } else if (m_method == ftpUploadFile) {
            prepareUpload();
            SendFtpCommand(QStringLiteral("STOR"), m_remoteFile);
        } else {
            SendFtpCommand(QStringLiteral("LIST"));
        }
        return;
    }
    if (last == QLatin1String("EPSV")) {
        if (code == 229) {
            if (!ConnectDataSocket(code))
                ProcessFtpError(code);
            return;
        }
        if (code >= 500) { // not understood or not allowed: the classic command instead
            m_extendedRefused = true;
            return SendFtpCommand(QStringLiteral("PASV"));
        }
        return ProcessFtpError(code);
    }
    if (last == QLatin1String("PASV")) {
        if (code != 227 || !ConnectDataSocket(code))
            ProcessFtpError(code);
        return;
    }
    if (!transferCommandSent())
        return;
    if (isOneOf(code, {110, 125, 150})) {
        if (m_method == ftpUploadFile && (m_passiveMode || m_tlsActive)) {
            m_uploadPosition = m_startOffset;
            SendNextBlock();
        }
        return;
    }
    if (code == 226 || code == 250) {
        if (m_method == ftpUploadFile) {
            EndMethod();
            CloseLocalFile();
            complete(ftpUploadFile, ftpSuccess);
            return;
        }
        m_transferReplied = true;
        finishTransferIfDone();
        return;
    }
    if (m_method == ftpEnumFiles)
        m_listingBuffer.clear();
    CloseDataConnection();
    CloseLocalFile();
    ProcessFtpError(code);
}

bool CFtpClient::ParseCurrentDirectory()
{
    m_currentDirectory.clear();
    const QString reply = QString::fromLocal8Bit(m_replyBuffer.text());
    const qsizetype first = reply.indexOf(QLatin1Char('"'));
    if (reply.size() < 7 || first < 0 || reply.indexOf(QLatin1Char('"'), first + 1) < 0)
        return false;
    // A quote inside the path is sent doubled.
    QString path;
    for (qsizetype i = first + 1; i < reply.size(); ++i) {
        const QChar c = reply.at(i);
        if (c == QLatin1Char('"')) {
            if (i + 1 < reply.size() && reply.at(i + 1) == QLatin1Char('"')) {
                path += c;
                ++i;
                continue;
            }
            break;
        }
        path += c;
    }
    m_currentDirectory = path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return true;
}

// ---- data connection -----------------------------------------------------

bool CFtpClient::extendedAddressing() const
{
    const QHostAddress peer(m_objControlSocket->RemoteHostIP());
    bool mapped = false;
    peer.toIPv4Address(&mapped);
    return peer.protocol() == QAbstractSocket::IPv6Protocol && !mapped;
}

void CFtpClient::openDataConnection()
{
    // Over TLS we are the TLS client of every data connection, so we open it.
    if (!m_passiveMode && !m_tlsActive)
        return ListenForDataConnection();
    if (extendedAddressing() && !m_extendedRefused)
        SendFtpCommand(QStringLiteral("EPSV"));
    else
        SendFtpCommand(QStringLiteral("PASV"));
}

int CFtpClient::NextDataPort()
{
    if (m_nextDataPort == 0 || m_nextDataPort >= 65535)
        m_nextDataPort = 20000 + int(QRandomGenerator::global()->bounded(20002));
    else
        ++m_nextDataPort;
    return m_nextDataPort;
}

void CFtpClient::ListenForDataConnection()
{
    setState(ftpEstablishingDataConnection);
    const QString localIP = m_objControlSocket->LocalIP();
    int port = 0;
    for (int attempt = 0;; ++attempt) {
        port = NextDataPort();
        try {
            m_objDataSocket->Abort();
            m_objDataSocket->Bind(port, localIP);
            m_objDataSocket->Listen();
            break;
        } catch (const CorvaneError& e) {
            if (attempt + 1 >= kListenAttempts)
                throw CorvaneError(e.number(), "CFtpClient.ListenForDataConnection", e.description());
        }
    }
    if (extendedAddressing()) {
        SendFtpCommand(QStringLiteral("EPRT"), QStringLiteral("|2|%1|%2|").arg(localIP).arg(port));
        return;
    }
    const QString argument = QString(localIP).replace(QLatin1Char('.'), QLatin1Char(',')) +
                             QStringLiteral(",%1,%2").arg(port / 256).arg(port % 256);
    SendFtpCommand(QStringLiteral("PORT"), argument);
}

bool CFtpClient::ConnectDataSocket(int code)
{
    setState(ftpEstablishingDataConnection);
    const QString reply = QString::fromLocal8Bit(m_replyBuffer.text());
    const qsizetype open = reply.indexOf(QLatin1Char('('));
    const qsizetype close = reply.indexOf(QLatin1Char(')'), open + 1);
    if (open < 0 || close < 0)
        return false;
    const QString inner = reply.mid(open + 1, close - open - 1);
    bool ok = false;
    int port = 0;
    if (code == 229) {
        // (|||port|): the delimiter is whatever the first character is.
        const QStringList fields = inner.isEmpty() ? QStringList() : inner.split(inner.at(0));
        port = fields.value(3).toInt(&ok);
    } else {
        const QStringList fields = inner.split(QLatin1Char(','));
        bool hiOk = false, loOk = false;
        const int hi = fields.value(4).trimmed().toInt(&hiOk);
        const int lo = fields.value(5).trimmed().toInt(&loOk);
        ok = fields.size() == 6 && hiOk && loOk && hi >= 0 && hi < 256 && lo >= 0 && lo < 256;
        port = hi * 256 + lo;
    }
    if (!ok || port < 1 || port > 65535)
        return false;
    // The address in the reply is not used: data goes only to the server we
    // logged in to, so a hostile reply cannot redirect the connection.
    m_objDataSocket->Abort();
    m_objDataSocket->setLocalPort(0);
    m_objDataSocket->Connect(m_objControlSocket->RemoteHostIP(), port);
    return true;
}

bool CFtpClient::PrepareLocalFile()
{
    const QFileInfo info(m_localFile);
    qint64 resumeOffset = 0;
    if (info.exists() && !info.isDir()) {
        if (m_overwrite)
            QFile::remove(m_localFile);
        else
            resumeOffset = info.size();
    }
    m_file.setFileName(m_localFile);
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        throw CorvaneError(
            75, "CFtpClient.PrepareLocalFile",
            ("Path/File access error: " + m_localFile + ": " + m_file.errorString()).toStdString());
    if (resumeOffset <= 0)
        return false;
    m_bytesReceived = resumeOffset;
    m_file.seek(resumeOffset);
    SendFtpCommand(QStringLiteral("REST"), QString::number(resumeOffset));
    return true;
}

void CFtpClient::prepareUpload()
{
    m_uploadPosition = m_startOffset;
    m_file.setFileName(m_localFile);
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw CorvaneError(
            75, "CFtpClient.UploadFile",
            ("Path/File access error: " + m_localFile + ": " + m_file.errorString()).toStdString());
    m_uploadLength = m_file.size();
}

void CFtpClient::SendNextBlock()
{
    if (m_method != ftpUploadFile)
        return;
    if (m_uploadPosition < m_uploadLength) {
        // Whole multiples of the block length, queued together so that the
        // event loop is not the limit on a fast link.
        const qint64 block =
            qMax<qint64>(m_sendBufferLenght, (kUploadBlockLimit / m_sendBufferLenght) * m_sendBufferLenght);
        const qint64 count = qMin(block, m_uploadLength - m_uploadPosition);
        if (!m_file.seek(m_uploadPosition))
            throw CorvaneError(75, "CFtpClient.SendNextBlock", m_file.errorString().toStdString());
        const QByteArray bytes = m_file.read(count);
        if (bytes.size() != count)
            throw CorvaneError(75, "CFtpClient.SendNextBlock", m_file.errorString().toStdString());
        m_uploadPosition += count;
        m_objDataSocket->SendData(bytes);
        return;
    }
    CloseLocalFile();
    m_objDataSocket->CloseSocket();
}

void CFtpClient::CloseDataConnection()
{
    if (m_objDataSocket->State() == CSocket::sckClosed)
        return;
    if (m_objDataSocket->SocketHandle() != -1)
        ::shutdown(int(m_objDataSocket->SocketHandle()), SHUT_RDWR);
    m_objDataSocket->Abort();
}

void CFtpClient::CloseLocalFile()
{
    if (m_file.isOpen())
        m_file.close();
    m_remoteFile.clear();
    m_localFile.clear();
    m_bytesReceived = 0;
    m_uploadPosition = 0;
    m_uploadLength = 0;
    m_startOffset = 0;
    m_overwrite = false;
}

void CFtpClient::finishTransferIfDone()
{
    // Complete only when the data has all arrived and the server confirmed it;
    // a data connection that merely closed may have been cut short.
    if (!m_dataClosed || !m_transferReplied)
        return;
    if (m_method == ftpEnumFiles)
        return finishListing();
    EndMethod();
    CloseLocalFile();
    complete(ftpDownloadFile, ftpSuccess);
}

void CFtpClient::finishListing()
{
    EndMethod();
    m_currentDirectoryFiles.reset();
    m_currentDirectoryListing = QString::fromLocal8Bit(m_listingBuffer);
    m_currentDirectoryFiles = FtpListingParser::ParseDirectoryListing(m_currentDirectoryListing);
    m_listingBuffer.clear();
    if (!m_currentDirectoryFiles) {
        setError(kFtpUnknownListing, QStringLiteral("Unknown listing format."),
                 QStringLiteral("CFtpClient.m_objDataSocket_OnClose"));
        complete(ftpEnumFiles, ftpFailed);
        return;
    }
    complete(ftpEnumFiles, ftpSuccess);
}

// ---- socket and timer events ---------------------------------------------

void CFtpClient::onControlConnect()
{
    m_objTimeOut->Reset();
    setState(ftpConnected);
}

void CFtpClient::onControlClose()
{
    const int method = m_method;
    if (method != ftpNone) {
        EndMethod();
        CloseDataConnection();
        CloseLocalFile();
        // Whoever waits for the operation learns that it cannot finish.
        if (method == ftpQuitSession) {
            complete(method, ftpSuccess);
        } else {
            setError(kFtpReplyBase + 421, ftpReplyText(421),
                     QStringLiteral("CFtpClient.m_objControlSocket_OnClose"));
            complete(method, ftpFailed);
        }
    }
    setState(ftpClosed);
}

void CFtpClient::onControlError(int number, const QString& description)
{
    const int method = m_method;
    CloseControlConnection();
    setState(ftpClosed);
    setError(number, description, QStringLiteral("CFtpClient.m_objControlSocket_OnError"));
    if (m_tlsStarting) {
        m_tlsStarting = false;
        const QString where = QStringLiteral("%1 port %2").arg(m_ftpServer).arg(m_remotePort);
        const QString fingerprint = m_objControlSocket->PeerCertificateFingerprint();
        const QString problem = m_objControlSocket->CertificateProblem();
        const QString source = QStringLiteral("CFtpClient.m_objControlSocket_OnError");
        if (problem.isEmpty())
            setError(kFtpTlsFailed,
                     QStringLiteral("The TLS handshake with %1 failed: %2").arg(where, description), source);
        else if (!m_pinned.isEmpty() && fingerprint != m_pinned)
            setError(
                kFtpCertificateChanged,
                QStringLiteral("The certificate of %1 has changed: it now has the SHA-256 fingerprint %2, "
                               "not %3 as accepted before. The connection was refused.")
                    .arg(where, fingerprint, m_pinned),
                source);
        else
            setError(kFtpCertificateUnknown,
                     QStringLiteral("The certificate of %1 is not verified by this system (%2). SHA-256 "
                                    "fingerprint: %3")
                         .arg(where, problem, fingerprint),
                     source);
    }
    if (method != ftpQuitSession)
        complete(method, ftpFailed);
}

void CFtpClient::onControlEncrypted()
{
    m_tlsStarting = false;
    m_tlsActive = true;
    m_objTimeOut->Reset();
    try {
        SendFtpCommand(QStringLiteral("USER"), m_userName);
    } catch (const CorvaneError& e) {
        runtimeFailure(e, "CFtpClient.m_objControlSocket_OnConnect");
    }
}

QString CFtpClient::TlsProtocol() const
{
    return m_tlsActive ? m_objControlSocket->TlsProtocol() : QString();
}

QString CFtpClient::PeerCertificateFingerprint() const
{
    return m_objControlSocket->PeerCertificateFingerprint();
}

bool CFtpClient::CertificateVerified() const
{
    return m_tlsActive && m_objControlSocket->CertificateVerified();
}

void CFtpClient::onDataConnect()
{
    try {
        // The data connection resumes the control connection's session and
        // must show the same certificate.
        if (m_tlsActive)
            m_objDataSocket->StartTls(m_ftpServer, m_objControlSocket->TlsSession(),
                                      m_objControlSocket->PeerCertificateFingerprint());
        switch (m_method) {
        case ftpDownloadFile:
            if (!PrepareLocalFile())
                SendFtpCommand(QStringLiteral("RETR"), m_remoteFile);
            break;
        case ftpUploadFile:
            prepareUpload();
            SendFtpCommand(QStringLiteral("STOR"), m_remoteFile);
            break;
        case ftpEnumFiles:
            SendFtpCommand(QStringLiteral("LIST"));
            break;
        default:
            CloseDataConnection();
            break;
        }
    } catch (const CorvaneError& e) {
        runtimeFailure(e, "CFtpClient.m_objDataSocket_OnConnect");
    }
}

void CFtpClient::onDataConnectionRequest(qintptr requestID)
{
    try {
        m_objDataSocket->Accept(requestID);
        // Only the server we are logged in to may open the data connection.
        const QHostAddress peer(m_objDataSocket->RemoteHostIP());
        if (!peer.isEqual(QHostAddress(m_objControlSocket->RemoteHostIP()),
                          QHostAddress::ConvertV4MappedToIPv4))
            throw CorvaneError(kErrAccessDenied, "CFtpClient.m_objDataSocket_OnConnectionRequest",
                               socketErrorText(kErrAccessDenied).toStdString());
        if (m_method == ftpUploadFile) {
            m_uploadPosition = m_startOffset;
            SendNextBlock();
        }
    } catch (const CorvaneError& e) {
        runtimeFailure(e, "CFtpClient.m_objDataSocket_OnConnectionRequest");
    }
}

void CFtpClient::onDataArrival(qint64)
{
    if (m_method != ftpNone)
        m_objTimeOut->Reset();
    QByteArray bytes;
    m_objDataSocket->GetData(bytes);
    if (bytes.isEmpty())
        return;
    if (m_method == ftpEnumFiles) {
        m_listingBuffer += bytes;
        emit OnDataTransferProgress(m_listingBuffer.size());
        return;
    }
    if (m_method != ftpDownloadFile || !m_file.isOpen())
        return;
    if (m_file.write(bytes) != bytes.size()) {
        runtimeFailure(
            CorvaneError(
                75, "CFtpClient.m_objDataSocket_OnDataArrival",
                ("Path/File access error: " + m_file.fileName() + ": " + m_file.errorString()).toStdString()),
            "CFtpClient.m_objDataSocket_OnDataArrival");
        return;
    }
    m_bytesReceived += bytes.size();
    emit OnDataTransferProgress(m_bytesReceived);
}

void CFtpClient::onDataClose()
{
    if (m_method != ftpDownloadFile && m_method != ftpEnumFiles)
        return;
    m_dataClosed = true;
    finishTransferIfDone();
}

void CFtpClient::onDataError(int number, const QString& description, const QString& source)
{
    const int method = m_method;
    if (method != ftpDownloadFile && method != ftpUploadFile && method != ftpEnumFiles)
        return;
    EndMethod();
    setError(number, description, source);
    CloseDataConnection();
    if (method == ftpEnumFiles)
        m_listingBuffer.clear();
    else
        CloseLocalFile();
    complete(method, ftpFailed);
}

void CFtpClient::onDataSendComplete()
{
    if (m_method != ftpUploadFile)
        return;
    m_objTimeOut->Reset();
    emit OnDataTransferProgress(m_uploadPosition);
    try {
        SendNextBlock();
    } catch (const CorvaneError& e) {
        runtimeFailure(e, "CFtpClient.m_objDataSocket_OnSendComplete");
    }
}

void CFtpClient::onTimeOut()
{
    const int method = m_method;
    if (method == ftpNone)
        return;
    setError(kErrTimedOut, socketErrorText(kErrTimedOut), QStringLiteral("CFtpClient.m_objTimeOut_TimeOut"));
    complete(method, ftpTimedOut);
}

void CFtpClient::abandon(int result, int number, const QString& description, const QString& source)
{
    const int method = m_method;
    if (method != ftpNone)
        EndMethod();
    m_connectTimer.stop();
    CloseDataConnection();
    CloseLocalFile();
    m_listingBuffer.clear();
    m_objControlSocket->Abort();
    setState(ftpClosed);
    setError(number, description, source);
    complete(method, result);
}

void CFtpClient::onConnectTimeOut()
{
    if (m_method != ftpConnect)
        return;
    const QString where = QStringLiteral("%1 port %2").arg(m_ftpServer).arg(m_remotePort);
    const bool connected = m_objControlSocket->State() == CSocket::sckConnected;
    abandon(ftpTimedOut, kErrTimedOut,
            connected ? QStringLiteral("No answer: %1 accepted the connection but sent no complete greeting "
                                       "within %2 seconds.")
                            .arg(where)
                            .arg(m_connectTimeOut)
                      : QStringLiteral("No answer: no connection to %1 within %2 seconds.")
                            .arg(where)
                            .arg(m_connectTimeOut),
            QStringLiteral("CFtpClient.Connect"));
}

void CFtpClient::onDeadline()
{
    if (m_method == ftpNone)
        return;
    abandon(ftpTimedOut, kErrTimedOut,
            QStringLiteral("No answer: the server did not finish the operation within %1 seconds.")
                .arg(m_operationDeadline),
            QStringLiteral("CFtpClient.m_objTimeOut_TimeOut"));
}

} // namespace corvane::net
