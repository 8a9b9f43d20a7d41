#pragma once
// A real OpenSSH server for tests: /usr/sbin/sshd -D -e -f CONFIG on a free
// port of 127.0.0.1, with a host key of its own made by ssh-keygen in a
// temporary folder, a local test user with a password and two key pairs (one
// protected by a pass phrase), password, keyboard-interactive (PAM) and
// public-key authentication, and SFTP. Stopped when the object goes. Needs
// root (to create the user and run sshd); skipReason() says why it cannot
// run otherwise.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class SshdServer
{
public:
    SshdServer();
    ~SshdServer();
    SshdServer(const SshdServer&) = delete;
    SshdServer& operator=(const SshdServer&) = delete;

    // Empty when sshd can be started here; otherwise the reason to skip.
    static QString skipReason();

    // Before start(): accept public keys only (no password, no keyboard-interactive).
    void setPublicKeyOnly(bool on) { m_publicKeyOnly = on; }

    // Makes the keys and the user (first time), starts sshd and waits until it
    // accepts connections; false with error() filled when it cannot.
    bool start();
    void stop();
    bool isRunning() const;
    // A new host key, and sshd restarted on the same port with it.
    bool replaceHostKey();
    // Kills the processes that serve open connections; the listener stays.
    void killSessions();
    QString error() const { return m_error; }
    // What sshd wrote to its standard error so far.
    QByteArray log();

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    static QString user() { return QStringLiteral("corvanesftp"); }
    static QString password() { return QStringLiteral("Corvane-Sftp-7"); }
    static QString passphrase() { return QStringLiteral("Key-Phrase-3"); }
    // Private key files of the test user (mode 0600).
    QString keyFile() const;
    QString encryptedKeyFile() const;
    // SHA256 fingerprint of the current host key, as ssh-keygen -l shows it.
    QString hostKeyFingerprint() const;
    // The current host key as a known_hosts line wants it: "ssh-ed25519 AAAA...".
    QString hostPublicKey() const;
    // The public half of keyFile(), the same way.
    QString clientPublicKey() const;

    // The folder the tests serve files from, owned by the test user.
    QString root() const;
    QString path(const QString& relative) const;
    bool writeFile(const QString& relative, const QByteArray& data) const;
    QByteArray readFile(const QString& relative) const;
    bool makeFolder(const QString& relative) const;

private:
    bool prepare();
    bool ensureUser();
    bool makeHostKey();
    bool writeConfig();
    bool launch();
    bool chownToUser(const QString& path) const;

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
    QByteArray m_log;
    bool m_prepared = false;
    bool m_publicKeyOnly = false;
    unsigned m_uid = 0;
    unsigned m_gid = 0;
};
