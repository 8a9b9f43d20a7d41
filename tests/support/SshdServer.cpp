#include "SshdServer.h"

#include "ProcessTree.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

namespace {

const char* kSshd = "/usr/sbin/sshd";

bool run(const QString& program, const QStringList& args, QString* error,
         const QByteArray& input = QByteArray())
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        *error = program + QStringLiteral(" did not start");
        return false;
    }
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = program + QLatin1Char(' ') + args.join(QLatin1Char(' ')) + QStringLiteral(": ") +
                 QString::fromLocal8Bit(p.readAll());
        return false;
    }
    return true;
}

quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

SshdServer::SshdServer() = default;

SshdServer::~SshdServer()
{
    stop();
}

QString SshdServer::skipReason()
{
    if (::geteuid() != 0)
        return QStringLiteral("sshd tests need root (test user, privilege separation)");
    if (!QFileInfo(QString::fromLatin1(kSshd)).isExecutable())
        return QStringLiteral("no /usr/sbin/sshd (Debian package openssh-server)");
    if (QStandardPaths::findExecutable(QStringLiteral("ssh-keygen")).isEmpty())
        return QStringLiteral("no ssh-keygen (Debian package openssh-client)");
    return QString();
}

QString SshdServer::keyFile() const
{
    return m_dir.filePath(QStringLiteral("client_key"));
}

QString SshdServer::encryptedKeyFile() const
{
    return m_dir.filePath(QStringLiteral("client_key_locked"));
}

QString SshdServer::root() const
{
    return m_dir.filePath(QStringLiteral("srv"));
}

QString SshdServer::path(const QString& relative) const
{
    return root() + QLatin1Char('/') + relative;
}

bool SshdServer::chownToUser(const QString& path) const
{
    return ::chown(QFile::encodeName(path).constData(), m_uid, m_gid) == 0;
}

bool SshdServer::makeFolder(const QString& relative) const
{
    const QString full = path(relative);
    if (!QDir().mkpath(full))
        return false;
    // Every folder from root() down belongs to the user.
    for (QString p = full; p.startsWith(root()); p = QFileInfo(p).path())
        chownToUser(p);
    return true;
}

bool SshdServer::writeFile(const QString& relative, const QByteArray& data) const
{
    const QString full = path(relative);
    if (!makeFolder(QFileInfo(relative).path() == QLatin1String(".") ? QString()
                                                                     : QFileInfo(relative).path()))
        return false;
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
        return false;
    f.close();
    return chownToUser(full);
}

QByteArray SshdServer::readFile(const QString& relative) const
{
    QFile f(path(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool SshdServer::ensureUser()
{
    if (!::getpwnam(user().toLatin1().constData())) {
        // Another test program may be creating the same user at this moment.
        if (!run(QStringLiteral("useradd"),
                 {QStringLiteral("-M"), QStringLiteral("-d"), QStringLiteral("/nonexistent"),
                  QStringLiteral("-s"), QStringLiteral("/bin/sh"), user()},
                 &m_error) &&
            !::getpwnam(user().toLatin1().constData()))
            return false;
    }
    if (!run(QStringLiteral("chpasswd"), {}, &m_error,
             (user() + QLatin1Char(':') + password() + QLatin1Char('\n')).toLatin1()))
        return false;
    const passwd* pw = ::getpwnam(user().toLatin1().constData());
    if (!pw) {
        m_error = QStringLiteral("test user missing after useradd");
        return false;
    }
    m_uid = pw->pw_uid;
    m_gid = pw->pw_gid;
    return true;
}

bool SshdServer::makeHostKey()
{
    const QString key = m_dir.filePath(QStringLiteral("host_key"));
    QFile::remove(key);
    QFile::remove(key + QStringLiteral(".pub"));
    return run(QStringLiteral("ssh-keygen"),
               {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"), QStringLiteral("-N"),
                QString(), QStringLiteral("-f"), key},
               &m_error);
}

QString SshdServer::hostKeyFingerprint() const
{
    QProcess p;
    p.start(QStringLiteral("ssh-keygen"),
            {QStringLiteral("-l"), QStringLiteral("-E"), QStringLiteral("sha256"), QStringLiteral("-f"),
             m_dir.filePath(QStringLiteral("host_key.pub"))});
    p.waitForFinished(10000);
    // "256 SHA256:xxxx comment (ED25519)"
    const QList<QByteArray> parts = p.readAllStandardOutput().split(' ');
    return parts.size() > 1 ? QString::fromLatin1(parts[1]) : QString();
}

namespace {

// "type base64" of a .pub file, without its comment.
QString publicKeyOf(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    const QStringList parts = QString::fromLatin1(f.readAll()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return parts.size() >= 2 ? parts[0] + QLatin1Char(' ') + parts[1].trimmed() : QString();
}

} // namespace

QString SshdServer::hostPublicKey() const
{
    return publicKeyOf(m_dir.filePath(QStringLiteral("host_key.pub")));
}

QString SshdServer::clientPublicKey() const
{
    return publicKeyOf(keyFile() + QStringLiteral(".pub"));
}

bool SshdServer::writeConfig()
{
    QFile f(m_dir.filePath(QStringLiteral("sshd_config")));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QString text = QStringLiteral("Port %1\n"
                                        "ListenAddress 127.0.0.1\n"
                                        "HostKey %2\n"
                                        "PidFile none\n"
                                        "UsePAM yes\n"
                                        "PasswordAuthentication %4\n"
                                        "KbdInteractiveAuthentication %4\n"
                                        "PubkeyAuthentication yes\n"
                                        "AuthorizedKeysFile %3\n"
                                        "StrictModes no\n"
                                        "PermitRootLogin no\n"
                                        "UseDNS no\n"
                                        "MaxAuthTries 10\n"
                                        "LogLevel VERBOSE\n"
                                        "Subsystem sftp internal-sftp\n")
                             .arg(m_port)
                             .arg(m_dir.filePath(QStringLiteral("host_key")),
                                  m_dir.filePath(QStringLiteral("authorized_keys")),
                                  m_publicKeyOnly ? QStringLiteral("no") : QStringLiteral("yes"));
    return f.write(text.toLatin1()) > 0;
}

bool SshdServer::prepare()
{
    if (m_prepared)
        return true;
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    // The test user must reach its keys and files below the temporary folder.
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                            QFile::ExeOther);
    QDir().mkpath(QStringLiteral("/run/sshd"));
    if (!ensureUser() || !makeHostKey())
        return false;
    for (const auto& [name, phrase] : {std::pair{QStringLiteral("client_key"), QString()},
                                       std::pair{QStringLiteral("client_key_locked"), passphrase()}}) {
        if (!run(QStringLiteral("ssh-keygen"),
                 {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"), QStringLiteral("-N"),
                  phrase, QStringLiteral("-f"), m_dir.filePath(name)},
                 &m_error))
            return false;
        QFile::setPermissions(m_dir.filePath(name), QFile::ReadOwner | QFile::WriteOwner);
    }
    QFile keys(m_dir.filePath(QStringLiteral("authorized_keys")));
    if (!keys.open(QIODevice::WriteOnly))
        return false;
    for (const char* name : {"client_key.pub", "client_key_locked.pub"}) {
        QFile pub(m_dir.filePath(QLatin1String(name)));
        if (!pub.open(QIODevice::ReadOnly))
            return false;
        keys.write(pub.readAll());
    }
    keys.close();
    QFile::setPermissions(keys.fileName(), QFile::ReadOwner | QFile::WriteOwner);
    chownToUser(keys.fileName());
    if (!QDir().mkpath(root()) || !chownToUser(root()))
        return false;
    m_prepared = true;
    return true;
}

bool SshdServer::launch()
{
    if (!writeConfig())
        return false;
    m_log.clear();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QString::fromLatin1(kSshd),
                    {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"),
                     m_dir.filePath(QStringLiteral("sshd_config"))});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("sshd did not start");
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running) {
            m_log += m_process.readAll();
            m_error = QStringLiteral("sshd stopped: ") + QString::fromLocal8Bit(m_log);
            return false;
        }
        m_process.waitForReadyRead(50);
        m_log += m_process.readAll();
        if (m_log.contains("Server listening"))
            return true;
    }
    m_error = QStringLiteral("sshd did not start listening: ") + QString::fromLocal8Bit(m_log);
    return false;
}

bool SshdServer::start()
{
    if (isRunning())
        return true;
    if (!prepare())
        return false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        m_port = freePort();
        if (m_port && launch())
            return true;
        stop();
    }
    return false;
}

bool SshdServer::replaceHostKey()
{
    stop();
    if (!makeHostKey())
        return false;
    return launch();
}

void SshdServer::killSessions()
{
    if (isRunning())
        ProcessTree::killDescendants(pid());
}

QByteArray SshdServer::log()
{
    if (m_process.state() == QProcess::Running)
        m_log += m_process.readAll();
    return m_log;
}

bool SshdServer::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

void SshdServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    killSessions();
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    m_log += m_process.readAll();
}
