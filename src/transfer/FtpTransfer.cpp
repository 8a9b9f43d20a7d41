#include "transfer/FtpTransfer.h"

#include "net/CFtpClient.h"
#include "net/CFtpFiles.h"
#include "net/NetErrors.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/TransferProgress.h"
#include "transfer/TreeSources.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace corvane {

using net::CFtpClient;

FtpTransfer::FtpTransfer(Settings settings, TransferCallbacks callbacks)
    : m_settings(std::move(settings)), m_cb(std::move(callbacks))
{
}

FtpTransfer::~FtpTransfer() = default;

std::optional<QString> FtpTransfer::stateText(int state, const QString& server)
{
    switch (state) {
    case 0:
        return std::nullopt;
    case 1:
        return QStringLiteral("Connection to server closed.");
    case 2:
        return QStringLiteral("Connecting to ") + server + QStringLiteral("...");
    case 3:
        return QStringLiteral("Connected to ") + server + QStringLiteral(". Please wait...");
    case 4:
        return QStringLiteral("Verifying username and password...");
    case 5:
        return QStringLiteral("User Name & Password verified");
    case 6:
        return QStringLiteral("Changing current directory...");
    case 7:
        return QStringLiteral("Deleting file...");
    case 8:
        return QStringLiteral("Removing directory...");
    case 9:
        return QStringLiteral("Creating directory...");
    case 10:
        return QStringLiteral("Renaming file...");
    case 11:
        return QStringLiteral("Establishing data connection...");
    case 12:
        return QStringLiteral("Data connection established");
    case 13:
        return QStringLiteral("Retrieving directory info...");
    case 14:
        return QStringLiteral("Directory info retrieved");
    case 15:
        return QStringLiteral("Downloading Config File. Please wait...");
    case 16:
        return QStringLiteral("Download Complete.");
    case 17:
        return QStringLiteral("Uploading config file. Please wait...");
    case 18:
        return QStringLiteral("Config file transferred to server.");
    default:
        return QString();
    }
}

void FtpTransfer::status(const QString& text)
{
    if (m_cb.status)
        m_cb.status(text);
}

void FtpTransfer::newClient()
{
    m_client = std::make_unique<CFtpClient>();
    m_client->setTransferMode(0);
    m_client->setFtpServer(m_settings.host);
    m_client->setRemotePort(m_settings.port);
    m_client->setUserName(m_settings.user);
    m_client->setPassword(m_settings.password);
    m_client->setTimeOut(m_settings.timeoutSeconds);
    m_client->setConnectTimeOut(m_settings.connectTimeoutSeconds);
    m_client->setOperationDeadline(m_settings.operationDeadlineSeconds);
    m_client->setTlsMode(m_settings.tlsMode);
    m_client->setPinnedCertificate(
        pinnedCertificate(m_settings.certificatesFile, m_settings.host, m_settings.port));
    CFtpClient* client = m_client.get();
    QObject::connect(client, &CFtpClient::OnStateChange, client, [this, client](int state) {
        if (std::optional<QString> text = stateText(state, client->FtpServer()))
            status(*text);
    });
    QObject::connect(client, &CFtpClient::OnDataTransferProgress, client, [this](qint64 bytes) {
        if (m_cb.progress)
            m_cb.progress(bytes, m_total);
    });
}

QString FtpTransfer::errorText() const
{
    const net::CFtpError& e = m_client->LastFtpError();
    return QString::number(e.Number) + QStringLiteral(": \r\n") + causeText();
}

QString FtpTransfer::causeText() const
{
    const net::CFtpError& e = m_client->LastFtpError();
    const QString where = QStringLiteral("%1 port %2").arg(m_settings.host).arg(m_settings.port);
    switch (e.Number) {
    case net::kErrConnectionRefused:
        return QStringLiteral("Connection refused: nothing accepts connections on %1.").arg(where);
    case net::kErrHostNotFound:
    case net::kErrNoData:
        return QStringLiteral("Host not found: %1 has no address.").arg(m_settings.host);
    case net::kErrTryAgain:
        return QStringLiteral("Host not found: no name server answered for %1.").arg(m_settings.host);
    case net::kErrHostUnreachable:
    case net::kErrNetworkUnreachable:
        return QStringLiteral("%1 (%2)").arg(e.Description, where);
    default:
        return e.Description;
    }
}

QString FtpTransfer::pinnedCertificate(const QString& file, const QString& host, int port)
{
    QFile f(file);
    if (file.isEmpty() || !f.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray key = QStringLiteral("%1:%2").arg(host).arg(port).toUtf8();
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 2 && fields[0] == key)
            return QString::fromLatin1(fields[1]);
    }
    return QString();
}

bool FtpTransfer::pinCertificate(const QString& file, const QString& host, int port,
                                 const QString& fingerprint, QString* error)
{
    QByteArray text;
    if (QFile f(file); f.open(QIODevice::ReadOnly))
        text = f.readAll();
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    text += QStringLiteral("%1:%2 %3\n").arg(host).arg(port).arg(fingerprint).toUtf8();
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        if (error)
            *error =
                QStringLiteral("The certificate could not be stored in %1: %2").arg(file, out.errorString());
        return false;
    }
    return true;
}

bool FtpTransfer::connectAndChangeFolder()
{
    newClient();
    m_tlsUsed = false;
    m_protection.clear();
    bool connected = m_client->Connect() && m_client->waitForResult() == CFtpClient::ftpSuccess;
    if (!connected && m_client->LastFtpError().Number == net::kFtpCertificateUnknown &&
        m_cb.acceptCertificate) {
        // Asked like an SSH host key: Yes pins this very certificate.
        const QString fingerprint = m_client->PeerCertificateFingerprint();
        const QString server = QStringLiteral("%1 port %2").arg(m_settings.host).arg(m_settings.port);
        QString why;
        if (m_cb.acceptCertificate(server, fingerprint)) {
            if (!pinCertificate(m_settings.certificatesFile, m_settings.host, m_settings.port, fingerprint,
                                &why)) {
                m_failure = why;
                return false;
            }
            newClient();
            connected = m_client->Connect() && m_client->waitForResult() == CFtpClient::ftpSuccess;
        }
    }
    if (!connected) {
        m_failure = errorText();
        return false;
    }
    m_tlsUsed = m_client->TlsActive();
    m_protection =
        !m_tlsUsed
            ? QStringLiteral("none (plain FTP: the password and the configuration travel in clear text)")
        : m_client->CertificateVerified()
            ? QStringLiteral("%1, certificate verified by the system").arg(m_client->TlsProtocol())
            : QStringLiteral("%1, certificate accepted by the administrator (SHA-256 %2)")
                  .arg(m_client->TlsProtocol(), m_client->PeerCertificateFingerprint());
    if (m_cb.protection)
        m_cb.protection(QStringLiteral("Protection: ") + m_protection);
    if (!m_client->SetCurrentDirectory(m_settings.remoteFolder) ||
        m_client->waitForResult() != CFtpClient::ftpSuccess) {
        m_failure = errorText();
        return false;
    }
    return true;
}

bool FtpTransfer::DownloadViaFtp(const ServerWorkArea& workArea, bool removeFolderOnFailure)
{
    m_cancelled = false;
    if (!connectAndChangeFolder()) {
        status(m_failure);
        DisconnectAll();
        if (removeFolderOnFailure)
            workArea.RemoveServerFolder();
        return false;
    }
    workArea.ensureFolders();
    const QString target = workArea.downloadFile();
    // The folder as an absolute path, for the server paths of the tree.
    QString folder = m_settings.remoteFolder;
    if (m_client->GetCurrentDirectory() && m_client->waitForResult() == CFtpClient::ftpSuccess &&
        !m_client->CurrentDirectory().isEmpty())
        folder = m_client->CurrentDirectory();
    QString mainName = m_settings.mainFile.trimmed();
    if (mainName.isEmpty()) {
        mainName = QStringLiteral("httpd.conf");
        // apache2.conf when only that one is there.
        if (m_client->EnumFiles() && m_client->waitForResult() == CFtpClient::ftpSuccess &&
            m_client->CurrentDirectoryFiles()) {
            bool httpd = false, apache2 = false;
            const net::CFtpFiles& files = *m_client->CurrentDirectoryFiles();
            for (int i = 1; i <= files.Count(); ++i) {
                httpd = httpd || files.Item(i).FileName == QLatin1String("httpd.conf");
                apache2 = apache2 || files.Item(i).FileName == QLatin1String("apache2.conf");
            }
            if (!httpd && apache2)
                mainName = QStringLiteral("apache2.conf");
        }
    }
    if (!m_client->DownloadFile(mainName, target, true)) {
        status(errorText());
        DisconnectAll();
        if (removeFolderOnFailure)
            workArea.RemoveServerFolder();
        return false;
    }
    status(QStringLiteral("Downloading Config File. Please wait..."));
    const int result = m_client->waitForResult();
    QString why;
    TreeManifest manifest;
    std::map<std::string, std::string> contents;
    m_treeReport = TreeReport();
    if (result == CFtpClient::ftpSuccess) {
        // The files the main file includes, over the same connection.
        AccountPaths paths;
        if (!m_settings.accountRoot.trimmed().isEmpty())
            paths.accountRoot = m_settings.accountRoot.trimmed().toStdString();
        FtpTreeSource source(*m_client, paths);
        TreeSettings settings;
        settings.mainFile = paths.toServer(ResolveServerPath(folder.toStdString(), mainName.toStdString()));
        settings.serverRoot = m_settings.serverRoot.trimmed().toStdString();
        settings.apacheVersion = m_settings.apacheVersion.trimmed().toStdString();
        ServerTree::collect(source, settings, manifest, m_treeReport, contents, m_meter);
        // Cancelled: what was read is incomplete and goes unused.
        m_cancelled = m_meter && m_meter->cancelRequested();
        if (m_cb.log && !m_cancelled) {
            for (const std::string& e : m_treeReport.errors)
                m_cb.log(QStringLiteral("Error: ") + QString::fromStdString(e));
            for (const std::string& w : m_treeReport.warnings)
                m_cb.log(QStringLiteral("Warning: ") + QString::fromStdString(w));
        }
    }
    if (result == CFtpClient::ftpSuccess && !m_cancelled &&
        workArea.installFetchedTree(target, manifest, contents, &why)) {
        DisconnectAll();
        status(QStringLiteral("Successfully connected to server."));
        return true;
    }
    QFile::remove(target);
    DisconnectAll();
    if (removeFolderOnFailure)
        workArea.RemoveServerFolder();
    status(m_cancelled     ? QStringLiteral("Cancelled.")
           : why.isEmpty() ? QStringLiteral("Error downloading config file.")
                           : why);
    if (result != CFtpClient::ftpSuccess && m_cb.log)
        m_cb.log(errorText());
    return false;
}

bool FtpTransfer::UploadViaFtp(const QString& localFile)
{
    m_datedName.clear();
    m_cancelled = false;
    if (!connectAndChangeFolder()) {
        status(m_failure);
        DisconnectAll();
        return false;
    }
    // The last moment the server's file is untouched.
    if (m_meter && m_meter->cancelRequested()) {
        m_cancelled = true;
        status(QStringLiteral("Cancelled."));
        DisconnectAll();
        return false;
    }
    const QString dated = ServerWorkArea::datedConfName();
    if (!m_client->RenameFile(QStringLiteral("httpd.conf"), dated) ||
        m_client->waitForResult() != CFtpClient::ftpSuccess) {
        // Without the dated copy an upload would overwrite the only one.
        status(QStringLiteral(
                   "The server's httpd.conf could not be renamed to %1 (%2); nothing was uploaded and "
                   "the server keeps its file.")
                   .arg(dated, m_client->LastFtpError().Description.trimmed()));
        DisconnectAll();
        return false;
    }
    m_total = QFileInfo(localFile).size();
    const bool started = m_client->UploadFile(localFile, QStringLiteral("httpd.conf"), 0);
    const bool uploaded = started && m_client->waitForResult() == CFtpClient::ftpSuccess;
    m_total = -1;
    if (uploaded) {
        m_datedName = dated;
        status(QStringLiteral("Config file uploaded successfully."));
        DisconnectAll();
        return true;
    }
    const QString why = m_client->LastFtpError().Description.trimmed();
    status(QStringLiteral("File Upload Error"));
    const bool restored = restoreAfterFailedUpload(dated);
    status(
        restored
            ? QStringLiteral("File Upload Error: %1. The server's previous httpd.conf was put back in place.")
                  .arg(why)
            : QStringLiteral("File Upload Error: %1. The server's previous httpd.conf could not be put back; "
                             "it is kept on the server as %2.")
                  .arg(why, dated));
    DisconnectAll();
    return false;
}

bool FtpTransfer::restoreAfterFailedUpload(const QString& dated)
{
    auto rename = [&] {
        return m_client->RenameFile(dated, QStringLiteral("httpd.conf")) &&
               m_client->waitForResult() == CFtpClient::ftpSuccess;
    };
    // Servers that refuse to rename over an existing file get the partial one deleted first.
    auto putBack = [&] {
        if (rename())
            return true;
        if (m_client->FtpSessionState() == CFtpClient::ftpClosed)
            return false;
        if (m_client->DeleteFile(QStringLiteral("httpd.conf")))
            m_client->waitForResult();
        return rename();
    };
    if (m_client->FtpSessionState() != CFtpClient::ftpClosed && putBack())
        return true;
    // The connection is gone or the server no longer answers on it: a fresh one.
    m_client->CloseControlConnection();
    if (!connectAndChangeFolder())
        return false;
    return putBack();
}

bool FtpTransfer::withClient(const std::function<void(CFtpClient&)>& work)
{
    if (!connectAndChangeFolder()) {
        status(m_failure);
        DisconnectAll();
        return false;
    }
    work(*m_client);
    DisconnectAll();
    return true;
}

void FtpTransfer::DisconnectAll()
{
    if (!m_client)
        return;
    // The closed connection is reported later; the page's last text stays.
    QObject::disconnect(m_client.get(), &CFtpClient::OnStateChange, nullptr, nullptr);
    m_client->CloseControlConnection();
}

} // namespace corvane
