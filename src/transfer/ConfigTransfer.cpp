#include "transfer/ConfigTransfer.h"

#include "model/AtomicFile.h"
#include "registry/IniFile.h"
#include "registry/PasswordStore.h"
#include "registry/RegistryKeys.h"
#include "registry/RegistryProcedures.h"
#include "transfer/FtpTransfer.h"
#include "transfer/LineEndGuard.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/SftpTransfer.h"
#include "transfer/TransferProgress.h"
#include "transfer/TreeSources.h"
#include "transfer/TreeUpload.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace corvane {

namespace {

QString iniValue(const AppFolder& folder, const QString& server, const char* key)
{
    return QString::fromStdString(ReadIniValue(server.trimmed().toStdString(), key, folder.iniPath()));
}

bool iniFlag(const AppFolder& folder, const QString& server, const char* key)
{
    return iniValue(folder, server, key).trimmed().toInt() != 0;
}

} // namespace

ConfigTransfer::ConfigTransfer(AppFolder folder, TransferState& state, TransferCallbacks callbacks)
    : m_folder(std::move(folder)), m_state(state), m_cb(std::move(callbacks))
{
    ProgressMeter::Report report;
    if (m_cb.transferProgress)
        report = [this](const TransferProgress& p) { m_cb.transferProgress(p); };
    m_meter = std::make_unique<ProgressMeter>(std::move(report));
}

ConfigTransfer::~ConfigTransfer() = default;

void ConfigTransfer::cancel()
{
    m_meter->requestCancel();
}

void ConfigTransfer::setProgressInterval(int ms)
{
    m_meter->setInterval(ms);
}

QString ConfigTransfer::cancelledText(bool upload)
{
    return upload ? QStringLiteral("Cancelled: nothing was sent; the server keeps its previous files.")
                  : QStringLiteral("Cancelled: nothing was fetched; the work area keeps the files it had.");
}

QString ConfigTransfer::explanationText(const TransferState& state)
{
    if (state.UploadMode)
        return QStringLiteral(
            "The wizard will now attempt to connect to the Apache server and upload the modified "
            "config file.");
    if (state.GetConfigMode)
        return QStringLiteral("Trying to connect to the Apache server and retrive the current configuration "
                              "information. Please wait.....");
    return QStringLiteral(
        "The wizard will now attempt to connect to the Apache server and retrieve configuration "
        "information.");
}

QString ConfigTransfer::knownHostsFile() const
{
    return m_folder.path() + QStringLiteral("/known_hosts");
}

QString ConfigTransfer::sshDirectory() const
{
    return m_sshDirectory.isNull() ? QDir::homePath() + QStringLiteral("/.ssh") : m_sshDirectory;
}

void ConfigTransfer::rememberAuthUsed(const QString& server)
{
    using namespace registry;
    if (m_authUsed.isEmpty() || iniValue(m_folder, server, SFTP_AUTH_USED) == m_authUsed)
        return;
    IniFile ini(m_folder.iniPath());
    if (ini.hasSection(server.toStdString()))
        ini.writeValue(server.toStdString(), SFTP_AUTH_USED, m_authUsed.toStdString());
}

void ConfigTransfer::rememberProtectionUsed(const QString& server)
{
    using namespace registry;
    if (m_protectionUsed.isEmpty() || iniValue(m_folder, server, FTP_PROTECTION_USED) == m_protectionUsed)
        return;
    IniFile ini(m_folder.iniPath());
    if (ini.hasSection(server.toStdString()))
        ini.writeValue(server.toStdString(), FTP_PROTECTION_USED, m_protectionUsed.toStdString());
}

QString ConfigTransfer::knownCertificatesFile() const
{
    return m_folder.path() + QStringLiteral("/known_certificates");
}

int ConfigTransfer::tlsModeOf(const QString& text)
{
    const QString t = text.trimmed().toLower();
    return t == QLatin1String("required") ? 2 : t == QLatin1String("never") ? 0 : 1;
}

QString ConfigTransfer::serverName() const
{
    return m_state.WizardServerName.trimmed();
}

void ConfigTransfer::status(const QString& text)
{
    m_lastStatus = text;
    if (m_cb.status)
        m_cb.status(text);
}

void ConfigTransfer::back(bool enabled, bool visible)
{
    if (m_cb.back)
        m_cb.back(enabled, visible);
}

void ConfigTransfer::next(bool enabled)
{
    if (m_cb.next)
        m_cb.next(enabled);
}

void ConfigTransfer::showLog(bool visible, bool clear)
{
    if (m_cb.showLog)
        m_cb.showLog(visible);
    if (clear && m_cb.clearLog)
        m_cb.clearLog();
}

TransferCallbacks ConfigTransfer::wrappedCallbacks()
{
    TransferCallbacks cb = m_cb;
    cb.status = [this](const QString& text) { status(text); };
    // The bytes of a file sent whole (its size known) feed the transfer's
    // count; listings and the files of a tree are counted file by file.
    cb.progress = [this, own = m_cb.progress](qint64 done, qint64 total) {
        if (own)
            own(done, total);
        if (total >= 0)
            m_meter->fileBytes(done);
    };
    return cb;
}

void ConfigTransfer::loadServerIntoState(const AppFolder& folder, const QString& server, TransferState& state)
{
    using namespace registry;
    state.WizardRemoteHost = iniValue(folder, server, REMOTE_HOST);
    state.WizardPort = iniValue(folder, server, PORT_NUMBER);
    state.WizardUserName = iniValue(folder, server, USERNAME);
    const std::optional<std::string> password = PasswordStore(folder).read(server.trimmed().toStdString());
    state.WizardPassword = QString::fromStdString(password.value_or(std::string()));
    state.WizardPasswordKnown = password.has_value();
    state.WizardApacheVersion = iniValue(folder, server, APACHE_VERSION);
    state.WizardRemoteFolder = iniValue(folder, server, REMOTE_FOLDER);
    state.WizardOsType = iniValue(folder, server, OS_TYPE);
    state.WizardIsSftp = iniFlag(folder, server, IS_SFTP);
    state.WizardIsRemote = iniValue(folder, server, CONNECT_TYPE).trimmed() == QLatin1String("1");
    state.WizardLocalConf = iniValue(folder, server, LOCAL_CONF);
    state.WizardFtpTls = iniValue(folder, server, FTP_TLS).trimmed();
    state.WizardMainFile = iniValue(folder, server, MAIN_FILE).trimmed();
    state.WizardServerRoot = iniValue(folder, server, SERVER_ROOT).trimmed();
    state.WizardAccountRoot = iniValue(folder, server, ACCOUNT_ROOT).trimmed();
    if (state.WizardIsSftp) {
        state.WizardSftpAuthType = static_cast<std::int16_t>(iniValue(folder, server, SFTP_AUTHTYPE).toInt());
        state.WizardKeyFile = iniValue(folder, server, SFTP_PVTKEYFILE);
    }
    state.WizardServerName = server.trimmed();
}

void ConfigTransfer::StartTransfer()
{
    m_state.IniPath = m_folder.iniPath();
    next(false);
    back(false, true);
    m_state.TransferFailed = false;
    m_datedName.clear();
    m_cancelled = false;

    if (m_state.UploadMode) {
        upload();
        m_meter->finish();
        return;
    }
    m_meter->start(-1, -1);
    const ServerWorkArea workArea(m_folder, serverName());
    if (!workArea.isValid()) {
        m_state.TransferFailed = true;
        status(QStringLiteral("The server name \"%1\" cannot be used as a folder name.").arg(serverName()));
        back(true, true);
        next(true);
        return;
    }
    const bool folderExisted = QFileInfo::exists(workArea.serverFolder());
    m_failureCause.clear();
    // A work area that cannot take the file is found out before any connection,
    // and reported as what it is.
    if (!workAreaWritable(workArea)) {
        m_state.TransferFailed = true;
        m_failureCause = m_lastStatus;
        if (!m_state.GetConfigMode && !folderExisted && QFileInfo::exists(workArea.serverFolder()))
            workArea.RemoveServerFolder();
        back(true, true);
        next(true);
        return;
    }
    m_createdFolder = false;
    if (!keepUnsentChanges(workArea))
        return;
    if (!m_state.WizardRemoteHost.trimmed().isEmpty()) {
        status(QStringLiteral("Connecting to ") + m_state.WizardRemoteHost +
               QStringLiteral(". Please wait..."));
        fetchRemote(workArea);
        if (m_state.TransferFailed && m_state.WizardIsSftp && !m_sftp) {
            // The connection itself failed: the page already says so.
            m_failureCause = m_lastStatus;
            if (!m_state.GetConfigMode && !folderExisted && QFileInfo::exists(workArea.serverFolder()))
                workArea.RemoveServerFolder();
            return;
        }
    } else {
        fetchLocal(workArea);
    }
    // A new server that could not be fetched leaves nothing behind.
    if (m_state.TransferFailed && !m_state.GetConfigMode && !folderExisted &&
        QFileInfo::exists(workArea.serverFolder()))
        workArea.RemoveServerFolder();
    m_createdFolder = !m_state.TransferFailed && !m_state.GetConfigMode && !folderExisted &&
                      QFileInfo::exists(workArea.serverFolder());
    m_cancelled = m_state.TransferFailed && m_meter->cancelRequested();
    m_meter->finish();
    if (m_cancelled) {
        m_treeReport = TreeReport(); // what a cut-short reading found missing is no news
        back(true, true);
        status(cancelledText(false));
        m_failureCause = m_lastStatus;
    } else if (m_state.TransferFailed) {
        back(true, true);
        m_failureCause = m_lastStatus;
        status(QStringLiteral("Connection To Server ") + serverName() + QStringLiteral(" failed."));
    } else {
        back(false, false);
        status(QStringLiteral("Connection To Server ") + serverName() + QStringLiteral(" established."));
    }
    next(true);
}

bool ConfigTransfer::keepUnsentChanges(const ServerWorkArea& workArea)
{
    m_keptUnsent.clear();
    if (!workArea.hasUnsentChanges())
        return true;
    auto refuse = [this](const QString& why) {
        m_state.TransferFailed = true;
        status(why);
        back(true, true);
        next(true);
        return false;
    };
    if (!m_cb.discardUnsentChanges || !m_cb.discardUnsentChanges(serverName()))
        return refuse(QStringLiteral("Nothing was fetched: the working copy of %1 has changes that were not "
                                     "sent to the server.")
                          .arg(serverName()));
    QString why;
    if (!workArea.keepUnsentCopy(&m_keptUnsent, &why))
        return refuse(
            QStringLiteral("Nothing was fetched: the working copy with its unsent changes could not "
                           "be kept. ") +
            why);
    if (m_cb.log)
        m_cb.log(QStringLiteral("The working copy with its unsent changes is kept as ") + m_keptUnsent);
    return true;
}

int ConfigTransfer::connectTimeoutFor(const QString& server) const
{
    if (m_connectTimeout > 0)
        return m_connectTimeout;
    if (const int stored = iniValue(m_folder, server, registry::CONNECT_TIMEOUT).trimmed().toInt();
        stored > 0)
        return stored;
    if (m_state.WizardConnectTimeout > 0)
        return m_state.WizardConnectTimeout;
    return kDefaultConnectTimeout;
}

bool ConfigTransfer::workAreaWritable(const ServerWorkArea& workArea)
{
    if (!workArea.ensureFolders()) {
        // The nearest folder that exists is the one that refused.
        QFileInfo refusing(workArea.serverFolder());
        while (!refusing.exists() && refusing.absolutePath() != refusing.absoluteFilePath())
            refusing = QFileInfo(refusing.absolutePath());
        status(QStringLiteral("The application folder is not writable: %1 cannot be created in %2.")
                   .arg(workArea.serverFolder(), refusing.absoluteFilePath()));
        return false;
    }
    for (const QString& folder : {workArea.backupFolder(), workArea.workAreaFolder()}) {
        if (!QFileInfo(folder).isWritable()) {
            status(QStringLiteral("The application folder is not writable: nothing can be saved in %1.")
                       .arg(folder));
            return false;
        }
    }
    return true;
}

bool ConfigTransfer::registeredSftpSettings(const QString& server, SftpTransfer::Settings& s)
{
    using namespace registry;
    s.serverName = server;
    s.authType = iniValue(m_folder, server, SFTP_AUTHTYPE).toInt();
    s.keyFile = iniValue(m_folder, server, SFTP_PVTKEYFILE);
    s.host = iniValue(m_folder, server, REMOTE_HOST).trimmed();
    s.port = std::max(0, iniValue(m_folder, server, PORT_NUMBER).trimmed().toInt());
    s.user = iniValue(m_folder, server, USERNAME).trimmed();
    const std::optional<std::string> stored = PasswordStore(m_folder).read(server.toStdString());
    s.password = QString::fromStdString(stored.value_or(std::string()));
    if (!askPasswordIfNeeded(true, s.authType, s.user, s.host, s.password, stored.has_value()))
        return false;
    s.remoteFolder = iniValue(m_folder, server, REMOTE_FOLDER);
    s.knownHostsFile = knownHostsFile();
    s.sshDirectory = sshDirectory();
    s.timeoutSeconds = m_sftpTimeout;
    return true;
}

bool ConfigTransfer::registeredFtpSettings(const QString& server, FtpTransfer::Settings& s)
{
    using namespace registry;
    s.host = iniValue(m_folder, server, REMOTE_HOST).trimmed();
    s.port = iniValue(m_folder, server, PORT_NUMBER).trimmed().toInt();
    if (s.port <= 0)
        s.port = 21;
    s.user = iniValue(m_folder, server, USERNAME);
    const std::optional<std::string> stored = PasswordStore(m_folder).read(server.toStdString());
    s.password = QString::fromStdString(stored.value_or(std::string()));
    if (!askPasswordIfNeeded(false, 0, s.user, s.host, s.password, stored.has_value()))
        return false;
    s.remoteFolder = iniValue(m_folder, server, REMOTE_FOLDER);
    s.timeoutSeconds = m_ftpTimeout;
    s.connectTimeoutSeconds = connectTimeoutFor(server);
    s.tlsMode = tlsModeOf(m_ftpTls.isEmpty() ? iniValue(m_folder, server, FTP_TLS) : m_ftpTls);
    s.certificatesFile = knownCertificatesFile();
    return true;
}

bool ConfigTransfer::askPasswordIfNeeded(bool sftp, int authType, const QString& user, const QString& host,
                                         QString& password, bool known)
{
    // A key's pass phrase and keyboard-interactive answers are asked by the
    // SFTP transfer itself.
    const bool needed = !sftp || authType == kSftpAuthPassword;
    if (known || !needed)
        return true;
    const std::optional<QString> answer =
        m_cb.prompt ? m_cb.prompt(QStringLiteral("Password for %1@%2:").arg(user, host), false)
                    : std::nullopt;
    if (!answer) {
        m_state.TransferFailed = true;
        status(
            QStringLiteral("No password for %1@%2: it is not stored, and none was given.").arg(user, host));
        back(true, true);
        next(true);
        return false;
    }
    password = *answer;
    return true;
}

void ConfigTransfer::fetchRemote(const ServerWorkArea& workArea)
{
    if (!askPasswordIfNeeded(m_state.WizardIsSftp, m_state.WizardSftpAuthType, m_state.WizardUserName,
                             m_state.WizardRemoteHost.trimmed(), m_state.WizardPassword,
                             m_state.WizardPasswordKnown || !m_state.GetConfigMode))
        return;
    if (m_state.WizardIsSftp) {
        showLog(true, true);
        if (m_cb.log)
            m_cb.log(QStringLiteral("Connecting to SFTP ..."));
        SftpTransfer::Settings s;
        s.serverName = serverName();
        s.host = m_state.WizardRemoteHost.trimmed();
        s.port = std::max(0, m_state.WizardPort.trimmed().toInt()); // 0: as ~/.ssh/config says
        s.user = m_state.WizardUserName.trimmed();
        s.password = m_state.WizardPassword;
        s.authType = m_state.WizardSftpAuthType;
        s.keyFile = m_state.WizardKeyFile;
        s.remoteFolder = m_state.WizardRemoteFolder;
        s.knownHostsFile = knownHostsFile();
        s.sshDirectory = sshDirectory();
        s.timeoutSeconds = m_sftpTimeout;
        s.mainFile = m_state.WizardMainFile;
        s.serverRoot = m_state.WizardServerRoot;
        s.accountRoot = m_state.WizardAccountRoot;
        s.apacheVersion = m_state.WizardApacheVersion;
        m_sftp = std::make_unique<SftpTransfer>(s, wrappedCallbacks());
        m_sftp->setMeter(m_meter.get());
        const bool connected = m_sftp->ConnectSftp();
        m_authUsed = m_sftp->authUsed();
        if (!connected) {
            m_sftp.reset();
            status(QStringLiteral("Error connecting to server ") + serverName() +
                   QStringLiteral(" with the given parameters. Please try again."));
            m_state.TransferFailed = true;
            back(true, true);
            next(true);
            return;
        }
        const bool fetched = m_sftp->DownloadViaSftp(workArea);
        m_treeReport = m_sftp->treeReport();
        if (!m_treeReport.errors.empty() || !m_treeReport.warnings.empty())
            showLog(true, false);
        if (!fetched)
            m_state.TransferFailed = true;
        else if (m_state.GetConfigMode)
            rememberAuthUsed(serverName());
        return;
    }
    showLog(false, false);
    FtpTransfer::Settings s;
    s.host = m_state.WizardRemoteHost.trimmed();
    s.port = m_state.WizardPort.trimmed().toInt();
    if (s.port <= 0)
        s.port = 21;
    s.user = m_state.WizardUserName;
    s.password = m_state.WizardPassword;
    s.remoteFolder = m_state.WizardRemoteFolder;
    s.timeoutSeconds = m_ftpTimeout;
    s.connectTimeoutSeconds = connectTimeoutFor(serverName());
    s.tlsMode = tlsModeOf(m_ftpTls.isEmpty() ? m_state.WizardFtpTls : m_ftpTls);
    s.certificatesFile = knownCertificatesFile();
    s.mainFile = m_state.WizardMainFile;
    s.serverRoot = m_state.WizardServerRoot;
    s.accountRoot = m_state.WizardAccountRoot;
    s.apacheVersion = m_state.WizardApacheVersion;
    m_ftp = std::make_unique<FtpTransfer>(s, wrappedCallbacks());
    m_ftp->setMeter(m_meter.get());
    if (!m_ftp->DownloadViaFtp(workArea, !m_state.GetConfigMode)) {
        m_state.TransferFailed = true;
        back(true, true);
    }
    m_treeReport = m_ftp->treeReport();
    if (!m_treeReport.errors.empty() || !m_treeReport.warnings.empty())
        showLog(true, false);
    m_tlsUsed = m_ftp->tlsUsed();
    m_protectionUsed = m_ftp->protectionUsed();
    if (!m_protectionUsed.isEmpty() && m_state.GetConfigMode)
        rememberProtectionUsed(serverName());
    next(true);
}

void ConfigTransfer::fetchLocal(const ServerWorkArea& workArea)
{
    status(QStringLiteral("Connecting to local machine. Please wait..."));
    if (!workArea.ensureFolders()) {
        m_state.TransferFailed = true;
        status(QStringLiteral("Cannot create the folders of ") + workArea.serverFolder());
        return;
    }
    // The copy is made beside the work copy first, so a file that cannot be
    // read changes nothing.
    QString why;
    LocalTreeSource source;
    TreeSettings settings;
    settings.mainFile =
        QFile::encodeName(QFileInfo(m_state.WizardLocalConf).absoluteFilePath()).toStdString();
    settings.serverRoot = m_state.WizardServerRoot.trimmed().toStdString();
    settings.apacheVersion = m_state.WizardApacheVersion.trimmed().toStdString();
    TreeManifest manifest;
    std::map<std::string, std::string> contents;
    m_treeReport = TreeReport();
    // Read on a thread of its own: a large tree leaves the window responsive.
    runWhileEventsRun(
        [&] { ServerTree::collect(source, settings, manifest, m_treeReport, contents, m_meter.get()); });
    if (m_meter->cancelRequested()) {
        m_state.TransferFailed = true;
        status(cancelledText(false));
        return;
    }
    reportTree();
    if (!ServerWorkArea::copyFileAtomic(m_state.WizardLocalConf, workArea.downloadFile(), &why) ||
        !workArea.installFetchedTree(workArea.downloadFile(), manifest, contents, &why)) {
        QFile::remove(workArea.downloadFile());
        m_state.TransferFailed = true;
        status(why);
        return;
    }
    status(QStringLiteral("Connection To Server ") + serverName() + QStringLiteral(" established."));
}

void ConfigTransfer::reportTree()
{
    if (!m_cb.log)
        return;
    if (!m_treeReport.errors.empty() || !m_treeReport.warnings.empty())
        showLog(true, false);
    for (const std::string& e : m_treeReport.errors)
        m_cb.log(QStringLiteral("Error: ") + QString::fromStdString(e));
    for (const std::string& w : m_treeReport.warnings)
        m_cb.log(QStringLiteral("Warning: ") + QString::fromStdString(w));
}

void ConfigTransfer::upload()
{
    using namespace registry;
    const QString server = m_state.SyncServerName.trimmed();
    status(QStringLiteral("Transferring config file to server."));
    const ServerWorkArea workArea(m_folder, server);
    if (!workArea.isValid() || !QFileInfo(workArea.workingCopy()).isFile()) {
        m_state.TransferFailed = true;
        status(QStringLiteral("Config file for the specified server has been moved/removed."));
        next(true);
        return;
    }
    const bool isSftp = iniFlag(m_folder, server, IS_SFTP);
    const QString osType = iniValue(m_folder, server, OS_TYPE);
    if (const TreeManifest manifest = workArea.manifest(); manifest.isSplit()) {
        uploadTree(workArea, manifest, isSftp, osType == QLatin1String("Windows"));
        return;
    }
    LineEndGuard lineEnds(workArea.workingCopy(), workArea.workingCopyBak());
    lineEnds.setWindowsTarget(osType == QLatin1String("Windows"));
    {
        QString why;
        if (!lineEnds.convert(&why)) {
            m_state.TransferFailed = true;
            status(why);
            next(true);
            return;
        }
    }
    // The file as the server names it.
    const std::string mainPath =
        (iniValue(m_folder, server, CONNECT_TYPE).trimmed() == QLatin1String("1")
             ? iniValue(m_folder, server, REMOTE_FOLDER).trimmed() + QStringLiteral("/httpd.conf")
             : iniValue(m_folder, server, LOCAL_CONF))
            .toStdString();
    m_meter->start(1, QFileInfo(workArea.workingCopy()).size());
    m_meter->beginFile(mainPath);
    bool ok = false;
    bool stopped = false; // cancelled before the file was sent
    if (isSftp) {
        showLog(true, true);
        SftpTransfer::Settings s;
        if (!registeredSftpSettings(server, s))
            return;
        if (m_cb.log)
            m_cb.log(QStringLiteral("Connecting to SFTP"));
        m_sftp = std::make_unique<SftpTransfer>(s, wrappedCallbacks());
        m_sftp->setMeter(m_meter.get());
        const bool connected = m_sftp->ConnectSftp();
        m_authUsed = m_sftp->authUsed();
        if (connected)
            rememberAuthUsed(server);
        if (!connected)
            status(QStringLiteral("Error connecting to server ") + server +
                   QStringLiteral(" with the given parameters. Please try again."));
        else
            ok = m_sftp->UploadViaSftp(workArea.workingCopy());
        if (ok)
            m_datedName = m_sftp->datedName();
    } else {
        showLog(false, false);
        if (iniValue(m_folder, server, CONNECT_TYPE).trimmed() == QLatin1String("1")) {
            FtpTransfer::Settings s;
            if (!registeredFtpSettings(server, s))
                return;
            m_ftp = std::make_unique<FtpTransfer>(s, wrappedCallbacks());
            m_ftp->setMeter(m_meter.get());
            ok = m_ftp->UploadViaFtp(workArea.workingCopy());
            m_protectionUsed = m_ftp->protectionUsed();
            if (!m_protectionUsed.isEmpty())
                rememberProtectionUsed(server);
            if (ok)
                m_datedName = m_ftp->datedName();
        } else {
            stopped = m_meter->cancelRequested();
            ok = !stopped && uploadLocal(workArea.workingCopy(), iniValue(m_folder, server, LOCAL_CONF));
        }
    }
    if (!lineEnds.restore() && ok) {
        ok = false;
        status(QStringLiteral("The file was sent, but the working copy could not be restored from ") +
               workArea.workingCopyBak());
    }
    QString why;
    if (ok && !workArea.recordSent(&why)) {
        ok = false;
        status(QStringLiteral("The file was sent, but what was sent could not be recorded: ") + why);
    }
    m_state.TransferFailed = !ok;
    // A cancel is only taken before the file is sent: nothing is left to put back.
    stopped = stopped || (m_ftp && m_ftp->cancelled()) || (m_sftp && m_sftp->cancelled());
    m_cancelled = !ok && stopped;
    if (ok) {
        m_meter->fileDone(mainPath, QFileInfo(workArea.workingCopy()).size());
        status(QStringLiteral("File synchronized successfully"));
    } else {
        if (m_cancelled)
            status(cancelledText(true));
        m_failureCause = m_lastStatus;
    }
    next(true);
}

void ConfigTransfer::uploadTree(const ServerWorkArea& workArea, const TreeManifest& manifest, bool isSftp,
                                bool windowsTarget)
{
    using namespace registry;
    const QString server = m_state.SyncServerName.trimmed();
    m_uploadLines.clear();
    const std::vector<TreeEntry> changed = workArea.changedFiles(manifest);
    const QDateTime when = QDateTime::currentDateTime();
    TreeUploadResult result;
    bool reached = false;
    AccountPaths paths;
    if (const QString root = iniValue(m_folder, server, ACCOUNT_ROOT).trimmed(); !root.isEmpty())
        paths.accountRoot = root.toStdString();
    if (changed.empty()) {
        reached = true;
        result.ok = true;
    } else if (isSftp) {
        showLog(true, true);
        SftpTransfer::Settings s;
        if (!registeredSftpSettings(server, s))
            return;
        if (m_cb.log)
            m_cb.log(QStringLiteral("Connecting to SFTP"));
        m_sftp = std::make_unique<SftpTransfer>(s, wrappedCallbacks());
        if (m_sftp->ConnectSftp()) {
            m_authUsed = m_sftp->authUsed();
            rememberAuthUsed(server);
            reached = m_sftp->withSession([&](SftpSession& session) {
                SftpTreeWriter writer(session, paths);
                result =
                    TreeUpload::run(writer, workArea, manifest, changed, windowsTarget, when, m_meter.get());
            });
            m_sftp->DisconnectAll();
        } else {
            status(QStringLiteral("Error connecting to server ") + server +
                   QStringLiteral(" with the given parameters. Please try again."));
        }
    } else if (iniValue(m_folder, server, CONNECT_TYPE).trimmed() == QLatin1String("1")) {
        showLog(true, true); // one line per file
        FtpTransfer::Settings s;
        if (!registeredFtpSettings(server, s))
            return;
        m_ftp = std::make_unique<FtpTransfer>(s, wrappedCallbacks());
        reached = m_ftp->withClient([&](net::CFtpClient& client) {
            FtpTreeWriter writer(client, paths);
            result = TreeUpload::run(writer, workArea, manifest, changed, windowsTarget, when, m_meter.get());
        });
    } else {
        showLog(true, true);
        LocalTreeWriter writer;
        reached = true;
        // Written on a thread of its own: a large tree leaves the window responsive.
        runWhileEventsRun([&] {
            result = TreeUpload::run(writer, workArea, manifest, changed, windowsTarget, when, m_meter.get());
        });
    }
    m_uploadLines = result.lines;
    if (m_cb.log) {
        for (const QString& line : result.lines)
            m_cb.log(line);
    }
    bool ok = reached && result.ok;
    QString why;
    if (ok && !workArea.recordSentFiles(result.sent, &why)) {
        ok = false;
        status(QStringLiteral("The files were sent, but what was sent could not be recorded: ") + why);
    }
    m_datedName = result.mainKeptAs;
    m_state.TransferFailed = !ok;
    m_cancelled = !ok && result.cancelled && result.restored;
    if (ok) {
        status(changed.empty() ? QStringLiteral("Nothing to send: no file of the configuration changed.")
                               : QStringLiteral("File synchronized successfully"));
    } else {
        if (m_cancelled)
            status(cancelledText(true));
        else if (reached && !result.lines.isEmpty())
            status(QStringLiteral("File Upload Error: ") + result.lines.last());
        m_failureCause = m_lastStatus;
    }
    next(true);
}

bool ConfigTransfer::uploadLocal(const QString& workingCopy, const QString& localConf)
{
    const QFileInfo target(localConf);
    if (!target.isFile()) {
        status(QStringLiteral("The server's file %1 does not exist.").arg(localConf));
        return false;
    }
    // The new file is written under a fresh name of its own (created
    // exclusively, never through a link someone placed there) with the old
    // file's owner, group and mode; the old file keeps its content under the
    // dated name and the new one takes its place in one step.
    std::string bytes, why;
    AtomicFile incoming(QFile::encodeName(localConf).toStdString());
    if (!AtomicFile::read(QFile::encodeName(workingCopy).toStdString(), bytes, &why) ||
        !incoming.open(&why) || !incoming.append(bytes, &why)) {
        status(QString::fromLocal8Bit(why.c_str()));
        return false;
    }
    const QString folder = QFileInfo(QFile::decodeName(incoming.target().c_str())).absolutePath();
    const QString dated = folder + QLatin1Char('/') + ServerWorkArea::datedConfName();
    if (!incoming.commitKeeping(QFile::encodeName(dated).toStdString(), &why)) {
        status(
            QStringLiteral("%1 was left unchanged: %2").arg(localConf, QString::fromLocal8Bit(why.c_str())));
        return false;
    }
    m_datedName = QFileInfo(dated).fileName();
    return true;
}

bool ConfigTransfer::Finish()
{
    bool saved = false;
    // A fetch of a registered server leaves its section as it is.
    if (!m_state.TransferFailed && !m_state.UploadMode && !m_state.GetConfigMode)
        saved = SaveServerSettings();
    if (!saved)
        dropCreatedFolder();
    m_createdFolder = false;
    DisconnectAll();
    m_state.reset();
    return saved;
}

void ConfigTransfer::Back()
{
    m_state.TransferFailed = false;
    DisconnectAll();
    dropCreatedFolder();
}

void ConfigTransfer::Cancel()
{
    DisconnectAll();
    dropCreatedFolder();
}

void ConfigTransfer::dropCreatedFolder()
{
    // A server that is not registered must not keep a folder that blocks
    // its name while it is listed nowhere.
    if (m_createdFolder && !IniFile(m_folder.iniPath()).hasSection(serverName().toStdString()))
        RemoveServerFolder();
    m_createdFolder = false;
}

bool ConfigTransfer::SaveServerSettings()
{
    using namespace registry;
    const std::string name = serverName().toStdString();
    auto text = [](const QString& s) { return s.toStdString(); };
    std::vector<std::pair<std::string, std::string>> keys;
    keys.emplace_back(SERVER_NAME, name);
    keys.emplace_back(APACHE_VERSION, text(m_state.WizardApacheVersion));
    if (!m_state.WizardRemoteHost.trimmed().isEmpty()) {
        keys.emplace_back(CONNECT_TYPE, "1");
        keys.emplace_back(REMOTE_HOST, text(m_state.WizardRemoteHost.trimmed()));
        keys.emplace_back(USERNAME, text(m_state.WizardUserName));
        keys.emplace_back(REMOTE_FOLDER, text(m_state.WizardRemoteFolder));
        keys.emplace_back(PORT_NUMBER, text(m_state.WizardPort.trimmed()));
        if (m_state.WizardConnectTimeout > 0)
            keys.emplace_back(CONNECT_TIMEOUT, std::to_string(m_state.WizardConnectTimeout));
        if (m_state.WizardIsSftp) {
            keys.emplace_back(IS_SFTP, "1");
            keys.emplace_back(SFTP_AUTHTYPE, std::to_string(m_state.WizardSftpAuthType));
            keys.emplace_back(SFTP_PVTKEYFILE, text(m_state.WizardKeyFile));
            if (!m_authUsed.isEmpty())
                keys.emplace_back(SFTP_AUTH_USED, text(m_authUsed));
        } else {
            keys.emplace_back(IS_SFTP, "0");
            // A new server that offered TLS is held to it from now on, unless a mode was chosen.
            const QString tls = m_state.WizardFtpTls.trimmed().toLower();
            keys.emplace_back(FTP_TLS, !tls.isEmpty() ? text(tls) : m_tlsUsed ? "required" : "optional");
            if (!m_protectionUsed.isEmpty())
                keys.emplace_back(FTP_PROTECTION_USED, text(m_protectionUsed));
        }
    } else {
        keys.emplace_back(CONNECT_TYPE, "0");
        keys.emplace_back(LOCAL_CONF, text(m_state.WizardLocalConf));
        keys.emplace_back(IS_SFTP, "0");
    }
    if (!m_state.WizardMainFile.trimmed().isEmpty())
        keys.emplace_back(MAIN_FILE, text(m_state.WizardMainFile.trimmed()));
    if (!m_state.WizardServerRoot.trimmed().isEmpty())
        keys.emplace_back(SERVER_ROOT, text(m_state.WizardServerRoot.trimmed()));
    if (!m_state.WizardAccountRoot.trimmed().isEmpty())
        keys.emplace_back(ACCOUNT_ROOT, text(m_state.WizardAccountRoot.trimmed()));
    keys.emplace_back(OS_TYPE, text(m_state.WizardOsType));
    IniFile ini(m_folder.iniPath());
    if (!ini.writeSection(name, keys)) {
        status(ini.errorString());
        return false;
    }
    // The password goes to the keychain, or to Corvane.ini when the
    // administrator chose so, or nowhere: it is then asked when needed.
    if (!m_state.WizardRemoteHost.trimmed().isEmpty()) {
        PasswordStore passwords(m_folder);
        if (!passwords.store(name, text(m_state.WizardPassword), m_state.WizardStorePasswordInIni))
            status(QStringLiteral("The server is registered, but its password was not kept: ") +
                   passwords.errorString());
    }
    return true;
}

bool ConfigTransfer::RemoveServerFolder()
{
    return ServerWorkArea(m_folder, serverName()).RemoveServerFolder();
}

void ConfigTransfer::DisconnectAll()
{
    if (m_sftp)
        m_sftp->DisconnectAll();
    if (m_ftp)
        m_ftp->DisconnectAll();
    m_sftp.reset();
    m_ftp.reset();
}

} // namespace corvane
