#include "SshAgent.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

SshAgent::~SshAgent()
{
    stop();
}

QString SshAgent::skipReason()
{
    if (QStandardPaths::findExecutable(QStringLiteral("ssh-agent")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("ssh-add")).isEmpty())
        return QStringLiteral("no ssh-agent or ssh-add (Debian package openssh-client)");
    return QString();
}

bool SshAgent::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("ssh-agent"), {QStringLiteral("-D"), QStringLiteral("-a"), socketPath()});
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("ssh-agent did not start");
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running) {
            m_error = QStringLiteral("ssh-agent stopped: ") + QString::fromLocal8Bit(m_process.readAll());
            return false;
        }
        if (QFileInfo::exists(socketPath())) {
            QLocalSocket probe;
            probe.connectToServer(socketPath());
            if (probe.waitForConnected(1000))
                return true;
        }
        QThread::msleep(20);
    }
    m_error = QStringLiteral("ssh-agent did not open its socket");
    return false;
}

bool SshAgent::add(const QString& keyFile)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SSH_AUTH_SOCK"), socketPath());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("SSH_ASKPASS"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("ssh-add"), {keyFile});
    p.closeWriteChannel();
    if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_error =
            QStringLiteral("ssh-add ") + keyFile + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAll());
        return false;
    }
    return true;
}

void SshAgent::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
