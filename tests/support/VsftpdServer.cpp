#include "VsftpdServer.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kVsftpd = "/usr/sbin/vsftpd";

bool run(const QString& program, const QStringList& arguments, const QByteArray& input = {},
         QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return false;
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

quint16 freePort(const QHostAddress& address)
{
    QTcpServer probe;
    return probe.listen(address, 0) ? probe.serverPort() : 0;
}

} // namespace

VsftpdServer::VsftpdServer(Options options)
    : m_options(options), m_dir(QDir::tempPath() + "/corvane-vsftpd-XXXXXX")
{
}

VsftpdServer::~VsftpdServer()
{
    stop();
}

QString VsftpdServer::skipReason()
{
    if (::geteuid() != 0)
        return QStringLiteral("needs root: the FTP tests create a local user and run vsftpd");
    if (!QFileInfo(QString::fromLatin1(kVsftpd)).isExecutable())
        return QStringLiteral("vsftpd is not installed (%1)").arg(QString::fromLatin1(kVsftpd));
    return QString();
}

QString VsftpdServer::root() const
{
    return m_dir.path() + QStringLiteral("/root");
}

QString VsftpdServer::anonymousRoot() const
{
    return m_dir.path() + QStringLiteral("/anon");
}

QString VsftpdServer::path(const QString& relative) const
{
    return root() + QLatin1Char('/') + relative;
}

bool VsftpdServer::chownToUser(const QString& path) const
{
    return ::chown(QFile::encodeName(path).constData(), m_uid, m_gid) == 0;
}

bool VsftpdServer::makeFolder(const QString& relative) const
{
    QString current = root();
    for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        current += QLatin1Char('/') + part;
        if (!QDir().exists(current) && !QDir().mkdir(current))
            return false;
        chownToUser(current);
    }
    return true;
}

bool VsftpdServer::writeFile(const QString& relative, const QByteArray& data) const
{
    const QString folder = QFileInfo(relative).path();
    if (folder != QLatin1String(".") && !makeFolder(folder))
        return false;
    QFile file(path(relative));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        return false;
    file.close();
    return chownToUser(file.fileName());
}

QByteArray VsftpdServer::readFile(const QString& relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool VsftpdServer::ensureUser()
{
    const QByteArray name = user().toLatin1();
    if (!::getpwnam(name.constData())) {
        QString output;
        // Another test may create it at the same moment; only its existence counts.
        run(QStringLiteral("useradd"),
            {QStringLiteral("-m"), QStringLiteral("-s"), QStringLiteral("/bin/sh"), user()}, {}, &output);
        if (!::getpwnam(name.constData())) {
            m_error = QStringLiteral("cannot create the test user %1: %2").arg(user(), output);
            return false;
        }
    }
    const passwd* entry = ::getpwnam(name.constData());
    m_uid = entry->pw_uid;
    m_gid = entry->pw_gid;
    // vsftpd enters the home folder before the configured root: it must exist.
    const QString home = QFile::decodeName(entry->pw_dir);
    if (!QFileInfo(home).isDir()) {
        QDir().mkpath(home);
        ::chown(QFile::encodeName(home).constData(), m_uid, m_gid);
    }
    QString output;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (run(QStringLiteral("chpasswd"), {}, name + ':' + password().toLatin1() + '\n', &output))
            return true;
        QThread::msleep(200); // /etc/shadow locked by a concurrent change
    }
    m_error = QStringLiteral("cannot set the test user's password: %1").arg(output);
    return false;
}

bool VsftpdServer::writeConfig()
{
    const QString empty = m_dir.path() + QStringLiteral("/empty");
    if (!QDir().mkpath(root()) || !QDir().mkpath(anonymousRoot()) || !QDir().mkpath(empty)) {
        m_error = QStringLiteral("cannot create the server folders in %1").arg(m_dir.path());
        return false;
    }
    // vsftpd's session processes run as the test user and must reach the folders.
    ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(empty).constData(), 0755);
    ::chmod(QFile::encodeName(anonymousRoot()).constData(), 0755);
    chownToUser(root());

    const QHostAddress address(host());
    m_port = freePort(address);
    const int pasvBase = 30000 + int(QRandomGenerator::global()->bounded(25000));
    QStringList lines{
        QStringLiteral("listen=%1").arg(m_options.ipv6 ? "NO" : "YES"),
        QStringLiteral("listen_ipv6=%1").arg(m_options.ipv6 ? "YES" : "NO"),
        m_options.ipv6 ? QStringLiteral("listen_address6=::1") : QStringLiteral("listen_address=127.0.0.1"),
        QStringLiteral("listen_port=%1").arg(m_port),
        QStringLiteral("background=NO"),
        QStringLiteral("seccomp_sandbox=NO"),
        QStringLiteral("isolate=NO"),
        QStringLiteral("isolate_network=NO"),
        QStringLiteral("secure_chroot_dir=%1").arg(empty),
        QStringLiteral("pam_service_name=vsftpd"),
        QStringLiteral("check_shell=NO"),
        QStringLiteral("userlist_enable=NO"),
        QStringLiteral("local_enable=YES"),
        QStringLiteral("write_enable=YES"),
        QStringLiteral("local_umask=022"),
        QStringLiteral("local_root=%1").arg(root()),
        QStringLiteral("chroot_local_user=YES"),
        QStringLiteral("allow_writeable_chroot=YES"),
        QStringLiteral("anonymous_enable=%1").arg(m_options.anonymous ? "YES" : "NO"),
        QStringLiteral("anon_root=%1").arg(anonymousRoot()),
        QStringLiteral("ftp_username=%1").arg(user()),
        QStringLiteral("no_anon_password=YES"),
        QStringLiteral("pasv_enable=YES"),
        QStringLiteral("pasv_min_port=%1").arg(pasvBase),
        QStringLiteral("pasv_max_port=%1").arg(pasvBase + 200),
        QStringLiteral("port_enable=YES"),
        QStringLiteral("connect_from_port_20=NO"),
        QStringLiteral("ascii_upload_enable=%1").arg(m_options.asciiConversion ? "YES" : "NO"),
        QStringLiteral("ascii_download_enable=%1").arg(m_options.asciiConversion ? "YES" : "NO"),
        QStringLiteral("xferlog_enable=NO"),
        QStringLiteral("use_localtime=YES"),
        QStringLiteral("max_per_ip=0"),
        QStringLiteral("max_clients=0"),
        QStringLiteral("delay_failed_login=0"),
        QStringLiteral("data_connection_timeout=30"),
        QStringLiteral("idle_session_timeout=60"),
    };
    if (m_options.tls) {
        if (!QFileInfo::exists(m_dir.path() + QStringLiteral("/cert.pem")) && !newCertificate())
            return false;
        lines << QStringLiteral("ssl_enable=YES")
              << QStringLiteral("rsa_cert_file=%1/cert.pem").arg(m_dir.path())
              << QStringLiteral("rsa_private_key_file=%1/key.pem").arg(m_dir.path())
              << QStringLiteral("force_local_logins_ssl=YES") << QStringLiteral("force_local_data_ssl=YES")
              << QStringLiteral("require_ssl_reuse=YES") << QStringLiteral("ssl_ciphers=HIGH");
    }
    QFile config(m_dir.path() + QStringLiteral("/vsftpd.conf"));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(lines.join(QLatin1Char('\n')).toLatin1() + '\n') < 0) {
        m_error = QStringLiteral("cannot write %1").arg(config.fileName());
        return false;
    }
    return m_port != 0;
}

bool VsftpdServer::newCertificate()
{
    QString output;
    if (!run(QStringLiteral("openssl"),
             {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
              QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
              QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
              QStringLiteral("-keyout"), m_dir.path() + QStringLiteral("/key.pem"), QStringLiteral("-out"),
              m_dir.path() + QStringLiteral("/cert.pem")},
             {}, &output)) {
        m_error = QStringLiteral("openssl cannot make a certificate: %1").arg(output);
        return false;
    }
    return true;
}

QString VsftpdServer::certificateFingerprint() const
{
    QFile file(m_dir.path() + QStringLiteral("/cert.pem"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QList<QSslCertificate> certs = QSslCertificate::fromData(file.readAll(), QSsl::Pem);
    if (certs.isEmpty())
        return QString();
    return QString::fromLatin1(
        QCryptographicHash::hash(certs.first().toDer(), QCryptographicHash::Sha256).toHex(':').toUpper());
}

bool VsftpdServer::start()
{
    m_error.clear();
    if (const QString reason = skipReason(); !reason.isEmpty()) {
        m_error = reason;
        return false;
    }
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("cannot create a temporary folder");
        return false;
    }
    if (!ensureUser() || !writeConfig())
        return false;
    // vsftpd reports start-up errors on its standard input, so that is a file we can read.
    const QString errors = m_dir.path() + QStringLiteral("/startup-errors.txt");
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$1\" 0<>\"$2\""),
                     QString::fromLatin1(kVsftpd), m_dir.path() + QStringLiteral("/vsftpd.conf"), errors});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("cannot start vsftpd: %1").arg(m_process.errorString());
        return false;
    }
    if (waitForGreeting(10000))
        return true;
    QFile file(errors);
    file.open(QIODevice::ReadOnly);
    m_error = QStringLiteral("vsftpd did not answer on %1 port %2: %3 %4")
                  .arg(host())
                  .arg(m_port)
                  .arg(QString::fromLocal8Bit(file.readAll()).trimmed(),
                       QString::fromLocal8Bit(m_process.readAll()).trimmed());
    stop();
    return false;
}

bool VsftpdServer::waitForGreeting(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running)
            return false;
        QTcpSocket probe;
        probe.connectToHost(QHostAddress(host()), m_port);
        if (probe.waitForConnected(500)) {
            QByteArray greeting;
            while (!greeting.contains('\n') && probe.waitForReadyRead(2000))
                greeting += probe.readAll();
            probe.abort();
            if (greeting.startsWith("220"))
                return true;
            m_error = QString::fromLatin1(greeting.trimmed());
        }
        m_process.waitForFinished(100);
    }
    return false;
}

bool VsftpdServer::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

void VsftpdServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
