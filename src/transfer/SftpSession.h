#pragma once
// A blocking SSH/SFTP session on libssh, set up the way OpenSSH's ssh is:
// the host typed is looked up in ~/.ssh/config and /etc/ssh/ssh_config
// (HostName, Port, User, IdentityFile, ProxyJump; a port or user given by
// the caller wins), jump hosts are crossed through forwarded channels, the
// server's host key is looked up in our own known-hosts file and the
// administrator's, and authentication may use ssh-agent, identity files,
// keyboard-interactive and password. Then it lists, renames, removes,
// uploads and downloads files. Every call blocks until the server has
// answered, so the session is driven from a worker thread (SftpTransfer);
// interrupt() is the one call that is safe from another thread and makes a
// blocked call fail at once.
#include "transfer/KnownHosts.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

struct ssh_session_struct;
struct sftp_session_struct;
struct sftp_dir_struct;
struct ssh_key_struct;
struct ssh_channel_struct;

namespace corvane {

class SftpSession
{
public:
    enum class HostKey
    {
        Known,
        Unknown,
        Changed,
        Error
    };
    enum class Auth
    {
        Success,
        Denied,
        Error
    };

    struct Entry
    {
        QString name;
        bool isDirectory = false;
        bool isRegular = false;
        qint64 size = 0;
        unsigned permissions = 0;
    };

    // (name, instruction, prompt, echo) -> answer; no value cancels.
    using KeyboardAnswer = std::function<std::optional<QString>(const QString& prompt, bool echo)>;
    // Called after every block with the bytes moved so far.
    using Progress = std::function<void(qint64 done)>;

    SftpSession();
    ~SftpSession();
    SftpSession(const SftpSession&) = delete;
    SftpSession& operator=(const SftpSession&) = delete;

    // One jump host of a ProxyJump list: [user@]host[:port].
    struct Hop
    {
        QString host;
        QString user;
        int port = 0;
    };
    // Called on the connecting thread for each jump host once its SSH
    // connection stands: check its host key and authenticate. False stops.
    using HopReady = std::function<bool(SftpSession& hop)>;

    // Seconds a connect or a single wait for the server may take.
    void setTimeout(int seconds) { m_timeout = seconds; }
    // Our own known-hosts file: read first, and where new keys are stored.
    void setKnownHostsFile(const QString& path) { m_knownHosts = path; }
    // The administrator's OpenSSH folder (~/.ssh): config, known_hosts and
    // the default identity files. Empty: none of them is used.
    void setSshDirectory(const QString& path) { m_sshDir = path; }
    // The system-wide client configuration and known-hosts file.
    void setSystemFiles(const QString& config, const QString& knownHosts)
    {
        m_systemConfig = config;
        m_systemKnownHosts = knownHosts;
    }
    void setHopHandler(HopReady ready) { m_hopReady = std::move(ready); }

    // Resolves `host` through the configuration files, crosses the jump
    // hosts, opens the connection and runs the key exchange. `port` 0 and
    // an empty `user` take the configured values (else 22 and the local user).
    bool connect(const QString& host, int port, const QString& user);
    // What the connection was made to after the configuration files.
    QString resolvedHost() const { return m_host; }
    int resolvedPort() const { return m_port; }
    QString resolvedUser() const { return m_user; }
    // The jump hosts crossed, as "user@host:port", first to last.
    const QStringList& jumpHosts() const { return m_hopNames; }
    // Files consulted for host keys, in order.
    QStringList knownHostsFiles() const;
    // Looks the server's key up in the known-hosts files; `fingerprint` gets
    // "SHA256:..." of the key offered, `where` the line that decided.
    HostKey checkHostKey(QString* fingerprint, KnownHosts::Result* where = nullptr);
    // Adds the offered key to our own known-hosts file.
    bool storeHostKey();

    // The methods the server still accepts (after a "none" request), as
    // libssh's SSH_AUTH_METHOD_* bits; all of them when it does not say.
    int allowedMethods();
    // Keys held by ssh-agent (SSH_AUTH_SOCK). Denied when no agent runs.
    Auth authAgent();
    bool agentAvailable() const;
    // The identity files of the configuration and the default ones of the
    // OpenSSH folder; `passphrase` is asked for an encrypted one and gets
    // the file's name. `usedFile` gets the file that worked, when known.
    using Passphrase = std::function<std::optional<QString>(const QString& keyFile)>;
    Auth authIdentityFiles(const Passphrase& passphrase, QString* usedFile);
    Auth authPassword(const QString& password);
    // Loads the private key file; the pass phrase may be empty. On failure
    // keyError() gives the key error number (SshKeyErrors). The key stays
    // loaded across connections.
    bool loadPrivateKey(const QString& file, const QString& passphrase);
    Auth authPublicKey();
    Auth authKeyboard(const KeyboardAnswer& answer);

    // Starts the SFTP subsystem on the authenticated connection.
    bool openSftp();
    bool isActive() const { return m_sftp != nullptr; }
    // The absolute form of a remote path; "" on failure.
    QString canonicalize(const QString& path);
    // Opens a folder for listing; false when it does not exist.
    bool openDirectory(const QString& path);
    std::optional<std::vector<Entry>> listDirectory();
    void closeDirectory();
    std::optional<Entry> stat(const QString& path);
    bool rename(const QString& from, const QString& to);
    bool remove(const QString& path);
    // Writes a local file to `remotePath` in blocks of at most 64 KiB,
    // creating or truncating it with the given permission bits.
    bool upload(const QString& localFile, const QString& remotePath, unsigned permissions,
                const Progress& progress = {});
    // Reads `remotePath` into `localFile` (replaced), looping over short reads.
    bool download(const QString& remotePath, const QString& localFile, const Progress& progress = {});

    void disconnect();
    bool isConnected() const;
    bool isAuthenticated() const { return m_authenticated; }
    // Safe from any thread: cuts the connection so a blocked call returns.
    void interrupt();
    bool wasInterrupted() const { return m_interrupted.load(); }

    QString errorString() const { return m_error; }
    int keyError() const { return m_keyError; }
    // After a failed connect(): the socket error as the Winsock number the
    // status texts use (10061 refused, 10060 timed out, 11001 host not
    // found ...), 0 when the TCP connection was made and SSH itself failed.
    int socketError() const { return m_socketError; }

    static constexpr qint64 kBlockSize = 32 * 1024;

    // Splits the command libssh makes of a ProxyJump line ("ssh [-J more]
    // [-l user] [-p port] -W '[%h]:%p' first") back into its hops, first to
    // last; no value when `command` is some other ProxyCommand.
    static std::optional<std::vector<Hop>> hopsFromProxyCommand(const QString& command);

    struct AuthCallbacks;

private:
    bool fail(const QString& what);
    QString sshError() const;
    // A new libssh session for `host` with the configuration files applied.
    bool prepare(const QString& host, int port, const QString& user, std::vector<Hop>* hops);
    bool connectPrepared(int viaFd);
    // On a jump host: a channel to host:port, carried over a socket pair
    // whose other end is returned for the next connection.
    int openTunnel(const QString& host, int port);
    void pump();
    void closeTunnel();
    void copySettingsTo(SftpSession& other) const;

    ssh_session_struct* m_session = nullptr;
    sftp_session_struct* m_sftp = nullptr;
    sftp_dir_struct* m_dir = nullptr;
    ssh_key_struct* m_key = nullptr;
    QString m_host;
    int m_port = 22;
    QString m_user;
    QString m_knownHosts;
    QString m_sshDir;
    QString m_systemConfig;
    QString m_systemKnownHosts;
    HopReady m_hopReady;
    QStringList m_hopNames;
    std::vector<std::unique_ptr<SftpSession>> m_hops; // jump hosts, first to last
    ssh_channel_struct* m_channel = nullptr;          // on a jump host: the tunnel
    int m_tunnelFd = -1;
    std::thread m_pump;
    std::atomic<bool> m_stopPump{false};
    std::unique_ptr<AuthCallbacks> m_callbacks; // set on the session by authIdentityFiles()
    bool m_authenticated = false;
    QString m_error;
    int m_keyError = 0;
    int m_socketError = 0;
    int m_timeout = 30;
    std::mutex m_fdMutex;
    int m_fd = -1;
    std::atomic<bool> m_interrupted{false};
};

} // namespace corvane
