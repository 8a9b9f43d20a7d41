#pragma once
// Runs a program to completion (or until a time limit) and keeps everything
// the tests need to judge it: whether it started, finished or crashed, its
// exit code and both output streams.
#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ProcessResult
{
    bool started = false;
    bool finished = false; // false: killed after the time limit
    bool crashed = false;  // ended by a signal
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    bool ok() const { return started && finished && !crashed && exitCode == 0; }
    // A failure a user could read: finished normally, non-zero exit, a message.
    bool cleanFailure() const
    {
        return started && finished && !crashed && exitCode != 0 && !err.trimmed().isEmpty();
    }
    // Sanitizer reports also count as crashes even when the exit code is tame.
    bool sanitizerReport() const
    {
        return err.contains("AddressSanitizer") || err.contains("runtime error:") ||
               err.contains("LeakSanitizer");
    }
    QString describe() const;
};

class ProcessRunner
{
public:
    static ProcessResult run(const QString& program, const QStringList& args,
                             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                             int timeoutMs = 120000);
    // The same, but the child drops root and runs as the unprivileged user
    // "nobody" (uid and gid 65534), so file modes apply to it.
    static ProcessResult runAsNobody(const QString& program, const QStringList& args, int timeoutMs = 120000);

private:
    static ProcessResult run(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                             int timeoutMs, bool dropRoot);
};
