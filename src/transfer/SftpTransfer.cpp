#include "transfer/SftpTransfer.h"

#include "transfer/ServerWorkArea.h"
#include "transfer/SshKeyErrors.h"
#include "transfer/TransferProgress.h"
#include "transfer/TreeSources.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QTimer>

#include <libssh/libssh.h>

#include <algorithm>
#include <thread>

namespace corvane {

SftpTransfer::SftpTransfer(Settings settings, TransferCallbacks callbacks)
    : m_settings(std::move(settings)), m_cb(std::move(callbacks)), m_session(std::make_unique<SftpSession>()),
      m_context(std::make_unique<QObject>())
{
    m_clock.start();
    m_current = m_session.get();
    configure(*m_session);
}

void SftpTransfer::configure(SftpSession& session) const
{
    session.setTimeout(m_settings.timeoutSeconds);
    session.setKnownHostsFile(m_settings.knownHostsFile);
    session.setSshDirectory(m_settings.sshDirectory);
    session.setSystemFiles(m_settings.systemConfig, m_settings.systemKnownHosts);
}

SftpTransfer::~SftpTransfer()
{
    // Closing a session sends a last packet; never from the calling thread.
    if (m_session->isConnected())
        runOffThread([this] { m_session->disconnect(); });
}

void SftpTransfer::touch()
{
    m_lastActivity = m_clock.elapsed();
}

void SftpTransfer::post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(m_context.get(), std::move(fn), Qt::QueuedConnection);
}

void SftpTransfer::ask(const std::function<void()>& fn)
{
    m_asking = true;
    QMetaObject::invokeMethod(m_context.get(), fn, Qt::BlockingQueuedConnection);
    m_asking = false;
    touch();
}

void SftpTransfer::status(const QString& text)
{
    if (m_cb.status)
        post([this, text] { m_cb.status(text); });
}

void SftpTransfer::log(const QString& line)
{
    if (m_cb.log)
        post([this, line] { m_cb.log(line); });
}

void SftpTransfer::statusAndLog(const QString& text)
{
    status(text);
    log(text);
}

void SftpTransfer::runOffThread(const std::function<void()>& work)
{
    touch();
    QTimer watchdog;
    watchdog.setInterval(100);
    QObject::connect(&watchdog, &QTimer::timeout, [this] {
        // Time spent waiting for the user does not count.
        if (m_asking.load()) {
            touch();
            return;
        }
        if (m_clock.elapsed() - m_lastActivity.load() > qint64(m_settings.timeoutSeconds) * 1000)
            m_current.load()->interrupt();
    });
    watchdog.start();
    runWhileEventsRun(work);
}

bool SftpTransfer::ConnectSftp()
{
    m_failed = false;
    m_usePassword = false;
    m_authUsed.clear();
    log(QStringLiteral("User name : ") + m_settings.user);
    switch (m_settings.authType) {
    case 16:
        log(QStringLiteral("Authentication type : KEYBOARD ..."));
        break;
    case 4:
        log(QStringLiteral("Authentication type : PASSWORD ..."));
        log(QStringLiteral("Password : ****** cannot display *****"));
        break;
    default: {
        log(QStringLiteral("Authentication type : PUBLICKEY ..."));
        if (m_settings.keyFile.isEmpty())
            break; // ssh-agent and the identity files only
        // The stored password doubles as the key's pass phrase; an encrypted
        // key it does not open is asked for.
        m_passphrase = m_settings.password;
        bool loaded = m_session->loadPrivateKey(m_settings.keyFile, m_passphrase);
        if (!loaded && m_session->keyError() == SshKeyErrors::WrongKeyPassword && m_cb.passphrase) {
            QCoreApplication::processEvents(); // the log so far is shown before the question
            if (std::optional<QString> phrase = m_cb.passphrase(m_settings.keyFile)) {
                m_passphrase = *phrase;
                loaded = m_session->loadPrivateKey(m_settings.keyFile, m_passphrase);
            }
        }
        if (!loaded) {
            log(SshKeyErrors::message(m_session->keyError()));
            log(QStringLiteral("Failed to add key file, disabling public key authentication..."));
            m_usePassword = true;
        }
        break;
    }
    }
    if (m_cb.status)
        m_cb.status(QStringLiteral("Connecting to ") + m_settings.serverName + QStringLiteral(" ..."));
    bool active = false;
    runOffThread([&] { active = connectAndAuthenticate(*m_session, false); });
    if (active) {
        if (m_cb.log)
            m_cb.log(QStringLiteral("Authentication used : ") + m_authUsed);
        if (m_cb.authenticated)
            m_cb.authenticated(m_authUsed);
        if (m_cb.status)
            m_cb.status(QStringLiteral("Connected to ") + m_settings.serverName);
        return true;
    }
    if (m_cb.log)
        m_cb.log(QStringLiteral("Failed to get file list ... process aborted."));
    m_failed = true;
    return false;
}

// Runs on the worker thread.
bool SftpTransfer::connectAndAuthenticate(SftpSession& session, bool quiet)
{
    auto note = [&](const QString& line) {
        if (!quiet)
            log(line);
    };
    session.setHopHandler([this, quiet, note](SftpSession& hop) {
        note(QStringLiteral("Jump host %1@%2 PORT = %3")
                 .arg(hop.resolvedUser(), hop.resolvedHost())
                 .arg(hop.resolvedPort()));
        touch();
        return checkHostKeyAndLogin(hop, quiet, true);
    });
    if (!session.connect(m_settings.host, m_settings.port, m_settings.user)) {
        if (session.socketError() != 0) {
            note(QStringLiteral("Failed to connect to Sftp server: ") + QStringLiteral("Socket error ") +
                 QString::number(session.socketError()));
        } else {
            note(QStringLiteral("SSH error: ") + session.errorString());
        }
        if (!session.errorString().isEmpty() && session.socketError() != 0)
            note(session.errorString());
        return false;
    }
    touch();
    note(QStringLiteral("Opening socket connection PORT = ") + QString::number(session.resolvedPort()) +
         QStringLiteral(" HOST = ") + session.resolvedHost());
    if (session.resolvedHost() != m_settings.host || session.resolvedUser() != m_settings.user)
        note(QStringLiteral("%1 is %2@%3, port %4, after ~/.ssh/config")
                 .arg(m_settings.host, session.resolvedUser(), session.resolvedHost())
                 .arg(session.resolvedPort()));
    if (!session.jumpHosts().isEmpty())
        note(QStringLiteral("Through the jump host(s) ") + session.jumpHosts().join(QStringLiteral(", ")));
    if (!checkHostKeyAndLogin(session, quiet, false))
        return false;
    if (!session.openSftp()) {
        note(QStringLiteral("SSH error: ") + session.errorString());
        session.disconnect();
        return false;
    }
    touch();
    return true;
}

// Runs on the worker thread, for the server and for each jump host on the way.
bool SftpTransfer::checkHostKeyAndLogin(SftpSession& session, bool quiet, bool jump)
{
    auto note = [&](const QString& line) {
        if (!quiet)
            log(line);
    };
    note(QStringLiteral("Server key received"));
    QString fingerprint;
    KnownHosts::Result where;
    const QString host = KnownHosts::hostEntryName(session.resolvedHost(), session.resolvedPort());
    switch (session.checkHostKey(&fingerprint, &where)) {
    case SftpSession::HostKey::Known:
        if (where.file != m_settings.knownHostsFile)
            note(QStringLiteral("Host key of %1 found in %2, line %3").arg(host, where.file).arg(where.line));
        break;
    case SftpSession::HostKey::Unknown: {
        bool accepted = false;
        if (m_cb.acceptHostKey)
            ask([&] {
                accepted =
                    m_cb.acceptHostKey(jump ? QStringLiteral("%1 (jump host)").arg(host) : host, fingerprint);
            });
        if (!accepted) {
            note(QStringLiteral(
                     "The host key of %1 (%2) is not known and was not accepted; the connection was "
                     "refused.")
                     .arg(host, fingerprint));
            session.disconnect();
            return false;
        }
        if (!session.storeHostKey())
            note(QStringLiteral("Cannot store the host key: ") + session.errorString());
        break;
    }
    case SftpSession::HostKey::Changed:
        if (where.revoked)
            note(QStringLiteral("WARNING: the host key of %1 (%2) is revoked by line %3 of %4; the "
                                "connection was refused.")
                     .arg(host, fingerprint)
                     .arg(where.line)
                     .arg(where.file));
        else
            note(QStringLiteral(
                     "WARNING: the host key of %1 has changed (it now offers %2). This may be an attack "
                     "on the connection, so it was refused. The old key is on line %3 of %4: if the "
                     "server's key was replaced on purpose, remove that line and connect again.")
                     .arg(host, fingerprint)
                     .arg(where.line)
                     .arg(where.file));
        session.disconnect();
        return false;
    case SftpSession::HostKey::Error:
        note(QStringLiteral("SSH error: ") + session.errorString());
        session.disconnect();
        return false;
    }
    return authenticate(session, quiet, jump);
}

// Runs on the worker thread: the methods in their order, from the one the
// server's settings start with; a jump host gets keys and questions only,
// never the server's stored password.
bool SftpTransfer::authenticate(SftpSession& session, bool quiet, bool jump)
{
    auto note = [&](const QString& line) {
        if (!quiet)
            log(line);
    };
    const int allowed = session.allowedMethods();
    touch();
    auto succeeded = [&](const QString& how) {
        note(QStringLiteral("Authentication succeeded"));
        if (!jump)
            m_authUsed = how;
        return true;
    };
    if (session.isAuthenticated())
        return succeeded(QStringLiteral("None (the server asked for nothing)"));
    const int type = jump ? 2 : m_settings.authType;
    const bool keys = type != 4 && type != 16;
    const bool keyboard = type != 4;
    const QString who = session.resolvedUser() + QLatin1Char('@') + session.resolvedHost();
    const QString storedPassword = jump ? QString() : m_settings.password;
    auto failed = [&](const QString& what, SftpSession::Auth result) {
        touch();
        note(what + QStringLiteral(" authentication failed."));
        if (result == SftpSession::Auth::Error && !session.errorString().isEmpty())
            note(QStringLiteral("SSH error: ") + session.errorString());
        return !session.isConnected();
    };
    SftpSession::Auth result = SftpSession::Auth::Denied;
    bool tried = false;
    if (keys && (allowed & SSH_AUTH_METHOD_PUBLICKEY)) {
        if (session.agentAvailable()) {
            tried = true;
            note(QStringLiteral("Trying the keys of ssh-agent ..."));
            if ((result = session.authAgent()) == SftpSession::Auth::Success)
                return succeeded(QStringLiteral("Public key from ssh-agent"));
            if (failed(QStringLiteral("ssh-agent key"), result))
                return false;
        }
        if (!jump && !m_settings.keyFile.isEmpty() && !m_usePassword) {
            tried = true;
            if ((result = session.authPublicKey()) == SftpSession::Auth::Success)
                return succeeded(QStringLiteral("Public key file ") + m_settings.keyFile);
            if (failed(QStringLiteral("Public key"), result))
                return false;
        }
        tried = true;
        note(QStringLiteral("Trying the identity files of ~/.ssh/config and ~/.ssh ..."));
        QString usedFile;
        const SftpSession::Passphrase passphrase = [this](const QString& file) -> std::optional<QString> {
            std::optional<QString> answer;
            if (m_cb.passphrase)
                ask([&] { answer = m_cb.passphrase(file); });
            return answer;
        };
        if ((result = session.authIdentityFiles(passphrase, &usedFile)) == SftpSession::Auth::Success)
            return succeeded(usedFile.isEmpty() ? QStringLiteral("Public key from an identity file")
                                                : QStringLiteral("Public key file ") + usedFile);
        if (failed(QStringLiteral("Identity file"), result))
            return false;
    }
    if (keyboard && (allowed & SSH_AUTH_METHOD_INTERACTIVE)) {
        tried = true;
        result = session.authKeyboard([&](const QString& prompt, bool echo) -> std::optional<QString> {
            note(QStringLiteral("Passing keyboard authentication string for prompt - ") + prompt);
            if (!storedPassword.isEmpty())
                return storedPassword;
            std::optional<QString> answer;
            if (m_cb.prompt)
                ask([&] { answer = m_cb.prompt(prompt, echo); });
            return answer;
        });
        if (result == SftpSession::Auth::Success)
            return succeeded(QStringLiteral("Keyboard-interactive"));
        if (failed(QStringLiteral("Keyboard"), result))
            return false;
    }
    if (allowed & SSH_AUTH_METHOD_PASSWORD) {
        std::optional<QString> password;
        if (!storedPassword.isEmpty())
            password = storedPassword;
        else if (m_cb.prompt)
            ask([&] { password = m_cb.prompt(QStringLiteral("Password for %1:").arg(who), false); });
        if (password) {
            tried = true;
            if ((result = session.authPassword(*password)) == SftpSession::Auth::Success)
                return succeeded(QStringLiteral("Password"));
            failed(QStringLiteral("Password"), result);
        }
    }
    if (!tried)
        note(QStringLiteral("%1 accepts none of the authentication methods allowed for this server.")
                 .arg(who));
    session.disconnect();
    return false;
}

// Runs on the worker thread: the remote folder made absolute.
QString SftpTransfer::folderPath()
{
    QString path = m_session->canonicalize(m_settings.remoteFolder);
    if (path.isEmpty())
        path = m_settings.remoteFolder;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

static QString join(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

bool SftpTransfer::DownloadViaSftp(const ServerWorkArea& workArea)
{
    if (!m_session->isConnected()) {
        if (m_cb.status)
            m_cb.status(QStringLiteral("Failed to connect ... "));
        m_failed = true;
        return false;
    }
    if (!m_session->isActive()) {
        const QString text = QStringLiteral("Failed to fetch config file from server, SFTP not active.");
        if (m_cb.status)
            m_cb.status(text);
        if (m_cb.log)
            m_cb.log(text);
        DisconnectAll();
        m_failed = true;
        return false;
    }
    workArea.ensureFolders();
    bool ok = false;
    m_cancelled = false;
    const QString target = workArea.downloadFile();
    QString mainName;
    TreeManifest manifest;
    std::map<std::string, std::string> contents;
    m_treeReport = TreeReport();
    runOffThread([&] {
        const QString path = folderPath();
        log(QStringLiteral("Opening SFTP directory ") + path);
        if (!m_session->openDirectory(path)) {
            log(QStringLiteral("Directory does not exists ... check your parameters and try again."));
            status(QStringLiteral("Directory ") + path + QStringLiteral(" does not exists!"));
            return;
        }
        log(QStringLiteral("Receiving file list ..."));
        const std::optional<std::vector<SftpSession::Entry>> entries = m_session->listDirectory();
        m_session->closeDirectory();
        touch();
        if (!entries) {
            statusAndLog(QStringLiteral("Cannot list the folder ") + path + QStringLiteral(": ") +
                         m_session->errorString());
            return;
        }
        const auto has = [&](const QString& name) {
            return std::any_of(entries->begin(), entries->end(),
                               [&](const SftpSession::Entry& e) { return !e.isDirectory && e.name == name; });
        };
        mainName = m_settings.mainFile.trimmed();
        if (mainName.isEmpty())
            mainName = !has(QStringLiteral("httpd.conf")) && has(QStringLiteral("apache2.conf"))
                           ? QStringLiteral("apache2.conf")
                           : QStringLiteral("httpd.conf");
        if (!has(mainName)) {
            status(mainName + QStringLiteral(" does not exists ... check your parameters and try again."));
            log(QStringLiteral("Conf file does not exists!"));
            return;
        }
        statusAndLog(QStringLiteral("Downloading config file ... "));
        log(QStringLiteral("Downloading config file ... ") + QStringLiteral(" to ") + workArea.backupFile());
        if (!m_session->download(join(path, mainName), target, [this](qint64 done) {
                touch();
                if (m_cb.progress)
                    post([this, done] { m_cb.progress(done, -1); });
            })) {
            statusAndLog(QStringLiteral("Error downloading config file: ") + m_session->errorString());
            return;
        }
        // The files the main file includes, read over the same session.
        AccountPaths paths;
        paths.accountRoot = m_settings.accountRoot.trimmed().isEmpty()
                                ? std::string("/")
                                : m_settings.accountRoot.trimmed().toStdString();
        SftpTreeSource source(*m_session, paths);
        TreeSettings settings;
        settings.mainFile = paths.toServer(join(path, mainName).toStdString());
        settings.serverRoot = m_settings.serverRoot.trimmed().toStdString();
        settings.apacheVersion = m_settings.apacheVersion.trimmed().toStdString();
        ServerTree::collect(source, settings, manifest, m_treeReport, contents, m_meter);
        touch();
        // Cancelled: what was read is incomplete and goes unused.
        m_cancelled = m_meter && m_meter->cancelRequested();
        ok = !m_cancelled;
    });
    if (ok) {
        if (m_cb.status)
            m_cb.status(QStringLiteral("Config file successfully downloaded."));
        if (m_cb.log)
            m_cb.log(QStringLiteral("Config file successfully downloaded."));
        for (const std::string& e : m_treeReport.errors)
            if (m_cb.log)
                m_cb.log(QStringLiteral("Error: ") + QString::fromStdString(e));
        for (const std::string& w : m_treeReport.warnings)
            if (m_cb.log)
                m_cb.log(QStringLiteral("Warning: ") + QString::fromStdString(w));
        QString why;
        ok = workArea.installFetchedTree(target, manifest, contents, &why);
        const QString text = ok ? QStringLiteral("Successfully copied the config file.") : why;
        if (m_cb.status)
            m_cb.status(text);
        if (m_cb.log)
            m_cb.log(text);
    }
    QFile::remove(target);
    DisconnectAll();
    m_failed = m_failed || !ok;
    return ok;
}

bool SftpTransfer::UploadViaSftp(const QString& localFile)
{
    m_datedName.clear();
    m_cancelled = false;
    if (!m_session->isConnected()) {
        if (m_cb.status)
            m_cb.status(QStringLiteral("Failed to connect ... "));
        m_failed = true;
        return false;
    }
    if (!m_session->isActive()) {
        if (m_cb.status)
            m_cb.status(QStringLiteral("Error : Failed to initialize SFTP connection"));
        m_failed = true;
        return false;
    }
    enum class Outcome
    {
        Done,
        NoFolder,
        RenameFailed,
        UploadFailed,
        Cancelled
    };
    Outcome outcome = Outcome::Done;
    QString path, dated, why;
    const qint64 total = QFileInfo(localFile).size();
    runOffThread([&] {
        path = folderPath();
        log(QStringLiteral("Opening SFTP directory ") + path);
        if (!m_session->openDirectory(path)) {
            log(QStringLiteral("Directory does not exists ... check your parameters and try again."));
            status(QStringLiteral("Directory ") + path + QStringLiteral(" does not exists!"));
            outcome = Outcome::NoFolder;
            return;
        }
        const QString current = join(path, QStringLiteral("httpd.conf"));
        // The new file gets the permissions of the one it replaces.
        unsigned permissions = 0644;
        if (std::optional<SftpSession::Entry> e = m_session->stat(current); e && e->permissions)
            permissions = e->permissions & 07777;
        dated = join(path, ServerWorkArea::datedConfName());
        // The last moment the server's file is untouched.
        if (m_meter && m_meter->cancelRequested()) {
            m_session->closeDirectory();
            outcome = Outcome::Cancelled;
            return;
        }
        if (!m_session->rename(current, dated)) {
            why = m_session->errorString();
            outcome = Outcome::RenameFailed;
            return;
        }
        touch();
        if (!m_session->upload(localFile, current, permissions, [this, total](qint64 done) {
                touch();
                if (m_cb.progress)
                    ask([&] { m_cb.progress(done, total); });
            })) {
            why = m_session->errorString();
            outcome = Outcome::UploadFailed;
            return;
        }
        m_session->closeDirectory();
    });
    switch (outcome) {
    case Outcome::Done:
        m_datedName = QFileInfo(dated).fileName();
        if (m_cb.log)
            m_cb.log(QStringLiteral("Successfully synchronized."));
        if (m_cb.status)
            m_cb.status(QStringLiteral("Successfully synchronized"));
        DisconnectAll();
        return true;
    case Outcome::NoFolder:
        break;
    case Outcome::Cancelled:
        m_cancelled = true;
        if (m_cb.status)
            m_cb.status(QStringLiteral("Cancelled."));
        break;
    case Outcome::RenameFailed: {
        const QString text =
            QStringLiteral("The server's httpd.conf could not be renamed to %1 (%2); nothing was "
                           "uploaded and the server keeps its file.")
                .arg(QFileInfo(dated).fileName(), why);
        if (m_cb.status)
            m_cb.status(text);
        if (m_cb.log)
            m_cb.log(text);
        break;
    }
    case Outcome::UploadFailed: {
        if (m_cb.log)
            m_cb.log(QStringLiteral("Upload failed: ") + why);
        const bool restored = restoreAfterFailedUpload(path, dated);
        const QString text =
            restored
                ? QStringLiteral("File Upload Error: %1. The server's previous httpd.conf was put back in "
                                 "place.")
                      .arg(why)
                : QStringLiteral("File Upload Error: %1. The server's previous httpd.conf could not be put "
                                 "back; it is kept on the server as %2.")
                      .arg(why, dated);
        if (m_cb.status)
            m_cb.status(text);
        if (m_cb.log)
            m_cb.log(text);
        break;
    }
    }
    DisconnectAll();
    m_failed = true;
    return false;
}

bool SftpTransfer::restoreAfterFailedUpload(const QString& folder, const QString& dated)
{
    const QString current = join(folder, QStringLiteral("httpd.conf"));
    bool restored = false;
    runOffThread([&] {
        auto putBack = [&](SftpSession& s) {
            s.remove(current); // a partial file may or may not be there
            return s.rename(dated, current);
        };
        if (m_session->isConnected() && !m_session->wasInterrupted() && putBack(*m_session)) {
            restored = true;
            return;
        }
        // The connection is gone: a fresh one, quietly.
        log(QStringLiteral("Reconnecting to put the previous httpd.conf back ..."));
        SftpSession again;
        configure(again);
        if (!m_settings.keyFile.isEmpty() && !m_usePassword)
            again.loadPrivateKey(m_settings.keyFile, m_passphrase);
        touch();
        m_current = &again;
        if (connectAndAuthenticate(again, true))
            restored = putBack(again);
        again.disconnect();
        m_current = m_session.get();
    });
    return restored;
}

bool SftpTransfer::withSession(const std::function<void(SftpSession&)>& work)
{
    if (!m_session->isConnected() || !m_session->isActive()) {
        if (m_cb.status)
            m_cb.status(QStringLiteral("Error : Failed to initialize SFTP connection"));
        m_failed = true;
        return false;
    }
    runOffThread([&] { work(*m_session); });
    return true;
}

void SftpTransfer::DisconnectAll()
{
    if (m_cb.log)
        m_cb.log(QStringLiteral("Disconnecting"));
    if (m_session->isConnected() || m_session->isActive())
        runOffThread([this] { m_session->disconnect(); });
}

} // namespace corvane
