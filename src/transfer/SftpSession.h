#pragma once
// A blocking SSH/SFTP session on libssh: connect, check the server's host key
// against a known-hosts file of our own, authenticate, and list, rename,
// remove, upload and download files. Every call blocks until the server has
// answered, so the session is driven from a worker thread (SftpTransfer);
// interrupt() is the one call that is safe from another thread and makes a
// blocked call fail at once.
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

struct ssh_session_struct;
struct sftp_session_struct;
struct sftp_dir_struct;
struct ssh_key_struct;

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

    // Seconds a connect or a single wait for the server may take.
    void setTimeout(int seconds) { m_timeout = seconds; }
    void setKnownHostsFile(const QString& path) { m_knownHosts = path; }

    // Opens the TCP connection and runs the key exchange.
    bool connect(const QString& host, int port, const QString& user);
    // Looks the server's key up in the known-hosts file; `fingerprint` gets
    // "SHA256:..." of the key offered.
    HostKey checkHostKey(QString* fingerprint);
    // Adds the offered key to the known-hosts file.
    bool storeHostKey();

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

private:
    bool fail(const QString& what);
    QString sshError() const;

    ssh_session_struct* m_session = nullptr;
    sftp_session_struct* m_sftp = nullptr;
    sftp_dir_struct* m_dir = nullptr;
    ssh_key_struct* m_key = nullptr;
    QString m_user;
    QString m_knownHosts;
    QString m_error;
    int m_keyError = 0;
    int m_socketError = 0;
    int m_timeout = 30;
    std::mutex m_fdMutex;
    int m_fd = -1;
    std::atomic<bool> m_interrupted{false};
};

} // namespace corvane
