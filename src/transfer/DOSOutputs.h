#pragma once
// Runs a console command with its standard output and standard error captured
// together and hands the text back piece by piece (at most 256 bytes at a
// time) as it arrives. The caller's events keep running while it waits, so a
// window that shows the output stays responsive.
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace corvane {

class DOSOutputs : public QObject
{
    Q_OBJECT
public:
    explicit DOSOutputs(QObject* parent = nullptr);

    // The command: a program followed by its arguments, with double quotes
    // around any part that holds blanks.
    QString CommandLine;
    // All text the last run captured.
    const QString& Outputs() const { return m_outputs; }

    // Runs `commandLine` (or CommandLine when empty) and returns the text
    // captured. On failure the result is "" and errorText() holds
    // "Command Line empty" or "File or command not found".
    QString ExecuteCommand(const QString& commandLine = QString());
    // Runs `program` with exactly these arguments: nothing is split or
    // re-quoted, so no character of an argument can make another one.
    QString execute(const QString& program, const QStringList& arguments);

    const QString& errorText() const { return m_error; }
    int exitCode() const { return m_exitCode; }
    void setEnvironment(const QProcessEnvironment& env) { m_env = env; }
    // A command still running after this many seconds is stopped.
    void setTimeout(int seconds) { m_timeoutSeconds = seconds; }
    // The command runs as this user and group (only a process running as
    // root can switch); the child gives up with exit code 126 if the switch fails.
    void setRunAs(unsigned uid, unsigned gid)
    {
        m_runAs = true;
        m_uid = uid;
        m_gid = gid;
    }
    void setWorkingDirectory(const QString& dir) { m_workingDirectory = dir; }

    static constexpr qint64 kBlockSize = 256;

signals:
    void ReceiveOutputs(const QString& text);

private:
    QString m_outputs;
    QString m_error;
    int m_exitCode = -1;
    int m_timeoutSeconds = 120;
    QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();
    bool m_runAs = false;
    unsigned m_uid = 0;
    unsigned m_gid = 0;
    QString m_workingDirectory;
};

} // namespace corvane
