#pragma once
// A real ssh-agent for tests: /usr/bin/ssh-agent -D on a socket in a
// temporary folder, keys added with ssh-add. Stopped when the object goes.
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class SshAgent
{
public:
    SshAgent() = default;
    ~SshAgent();
    SshAgent(const SshAgent&) = delete;
    SshAgent& operator=(const SshAgent&) = delete;

    // Empty when ssh-agent and ssh-add are installed; otherwise the reason to skip.
    static QString skipReason();
    // Starts the agent and waits until its socket accepts connections.
    bool start();
    // Hands a private key file (without pass phrase) to the agent.
    bool add(const QString& keyFile);
    void stop();
    QString socketPath() const { return m_dir.filePath(QStringLiteral("agent.sock")); }
    QString error() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_error;
};
