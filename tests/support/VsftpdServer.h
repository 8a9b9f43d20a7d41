#pragma once
// A real vsftpd for tests: its own configuration, a temporary root folder, a
// local test user, a free port on 127.0.0.1 (or ::1), run in the foreground and
// stopped when the object goes. Needs root (to create the user and for vsftpd
// itself); skipReason() says why it cannot run otherwise.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class VsftpdServer
{
public:
    struct Options
    {
        bool anonymous = false;       // also allow anonymous login (read-only, into anonymousRoot())
        bool asciiConversion = false; // convert line ends on TYPE A transfers
        bool ipv6 = false;            // listen on ::1 instead of 127.0.0.1
        bool tls = false;             // explicit TLS required for logins and data (ssl_enable=YES)
    };

    explicit VsftpdServer(Options options);
    VsftpdServer() : VsftpdServer(Options()) {}
    ~VsftpdServer();
    VsftpdServer(const VsftpdServer&) = delete;
    VsftpdServer& operator=(const VsftpdServer&) = delete;

    // Empty when vsftpd can be started here; otherwise the reason to skip.
    static QString skipReason();

    // Starts vsftpd and waits until it greets; false with error() filled when it cannot.
    bool start();
    void stop();
    bool isRunning() const;
    QString error() const { return m_error; }

    QString host() const { return m_options.ipv6 ? QStringLiteral("::1") : QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_port; }
    static QString user() { return QStringLiteral("corvaneftp"); }
    static QString password() { return QStringLiteral("Corvane-Test-7"); }

    // The test user's FTP root ("/" after login) and the anonymous root on disk.
    QString root() const;
    QString anonymousRoot() const;
    // Path on disk of a name relative to the user's FTP root.
    QString path(const QString& relative) const;
    // Writes a file (folders created) owned by the test user, as the server would have it.
    bool writeFile(const QString& relative, const QByteArray& data) const;
    QByteArray readFile(const QString& relative) const;
    bool makeFolder(const QString& relative) const;
    // With tls: a new self-signed certificate (made by openssl) for the next start.
    bool newCertificate();
    // SHA-256 fingerprint of the current certificate, "AB:CD:..." as Corvane shows it.
    QString certificateFingerprint() const;

private:
    bool ensureUser();
    bool writeConfig();
    bool waitForGreeting(int timeoutMs);
    bool chownToUser(const QString& path) const;

    Options m_options;
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
    unsigned m_uid = 0;
    unsigned m_gid = 0;
};
