#pragma once
// Fetching and sending httpd.conf over SFTP, step by step with the log and
// status texts the connecting page shows. The libssh calls block, so each
// step runs on a worker thread while the calling thread keeps its events
// running (the window stays responsive); questions to the user (an unknown
// host key, a keyboard-interactive prompt) come back to the calling thread.
// A step that sees no progress for the timeout is cut off.
#include "model/ConfigTree.h"
#include "transfer/SftpSession.h"
#include "transfer/TransferCallbacks.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

namespace corvane {

class ServerWorkArea;

class SftpTransfer
{
public:
    struct Settings
    {
        QString serverName;
        QString host; // as typed: a name, an address or a ~/.ssh/config alias
        int port = 0; // 0: from ~/.ssh/config, else 22
        QString user; // empty: from ~/.ssh/config, else the local user
        QString password;
        // Where the authentication starts: 2 keys (ssh-agent, the key file,
        // the identity files), then keyboard-interactive, then password;
        // 16 keyboard-interactive, then password; 4 password only.
        int authType = 2;
        QString keyFile;
        QString remoteFolder;
        QString knownHostsFile;
        // The administrator's OpenSSH folder (config, known_hosts, identity
        // files) and the system's client configuration and known hosts.
        QString sshDirectory;
        QString systemConfig = QStringLiteral("/etc/ssh/ssh_config");
        QString systemKnownHosts = QStringLiteral("/etc/ssh/ssh_known_hosts");
        int timeoutSeconds = 30;
        // The main file's name in the remote folder ("": httpd.conf, else
        // apache2.conf when only that is there), the server root ("": from
        // the main file), the server folder the account sees as "/" ("" is
        // "/") and the version (how folders are included).
        QString mainFile;
        QString serverRoot;
        QString accountRoot;
        QString apacheVersion;
    };

    SftpTransfer(Settings settings, TransferCallbacks callbacks);
    ~SftpTransfer();

    // User name, authentication method and its secrets, connect, host key,
    // authenticate, start SFTP. True when the session is active.
    bool ConnectSftp();
    // Lists the remote folder and fetches its httpd.conf into the work area
    // (older fetches rotated to httpdN.conf). False on any failure.
    bool DownloadViaSftp(const ServerWorkArea& workArea);
    // Renames the server's httpd.conf to its dated name and uploads
    // `localFile` as httpd.conf. When the upload fails after the rename, the
    // dated file is put back (reconnecting if the connection was lost).
    bool UploadViaSftp(const QString& localFile);
    void DisconnectAll();
    // Runs `work` with the active session on the worker thread (the window
    // stays responsive); false when the session is not active.
    bool withSession(const std::function<void(SftpSession&)>& work);
    // What following the includes of the last fetch found wrong or could not resolve.
    const TreeReport& treeReport() const { return m_treeReport; }
    // Counts the files of a fetch and stops at its cancel request (not owned).
    void setMeter(ProgressMeter* meter) { m_meter = meter; }
    // The last transfer stopped at a cancel request before it changed anything.
    bool cancelled() const { return m_cancelled; }

    bool failed() const { return m_failed; }
    // The dated name the server's previous file got in the last upload.
    const QString& datedName() const { return m_datedName; }
    // How the last connection authenticated, e.g. "Public key from ssh-agent"; "" before.
    const QString& authUsed() const { return m_authUsed; }
    // For tests and the watchdog: cut the connection now.
    void interrupt() { m_session->interrupt(); }

private:
    void runOffThread(const std::function<void()>& work);
    void post(std::function<void()> fn);
    void ask(const std::function<void()>& fn);
    void touch();
    void status(const QString& text);
    void log(const QString& line);
    void statusAndLog(const QString& text);
    bool connectAndAuthenticate(SftpSession& session, bool quiet);
    bool checkHostKeyAndLogin(SftpSession& session, bool quiet, bool jump);
    bool authenticate(SftpSession& session, bool quiet, bool jump);
    void configure(SftpSession& session) const;
    bool restoreAfterFailedUpload(const QString& folder, const QString& dated);
    QString folderPath();

    Settings m_settings;
    TreeReport m_treeReport;
    TransferCallbacks m_cb;
    ProgressMeter* m_meter = nullptr;
    bool m_cancelled = false;
    std::unique_ptr<SftpSession> m_session;
    std::unique_ptr<QObject> m_context; // lives on the calling thread
    bool m_failed = false;
    bool m_usePassword = false; // public key file could not be loaded
    QString m_datedName;
    QString m_authUsed;
    QString m_passphrase; // the one that opened the key file
    std::atomic<qint64> m_lastActivity{0};
    std::atomic<bool> m_asking{false};
    std::atomic<SftpSession*> m_current{nullptr}; // the session the watchdog cuts
    QElapsedTimer m_clock;
};

} // namespace corvane
