#include "ProcessRunner.h"

#include <QProcess>

#include <grp.h>
#include <unistd.h>

QString ProcessResult::describe() const
{
    QString s = QStringLiteral("started=%1 finished=%2 crashed=%3 exit=%4")
                    .arg(started)
                    .arg(finished)
                    .arg(crashed)
                    .arg(exitCode);
    if (!err.isEmpty())
        s += QStringLiteral("\nstderr: ") + QString::fromLocal8Bit(err.left(2000));
    return s;
}

ProcessResult ProcessRunner::run(const QString& program, const QStringList& args,
                                 const QProcessEnvironment& env, int timeoutMs)
{
    return run(program, args, env, timeoutMs, false);
}

ProcessResult ProcessRunner::runAsNobody(const QString& program, const QStringList& args, int timeoutMs)
{
    return run(program, args, QProcessEnvironment::systemEnvironment(), timeoutMs, true);
}

ProcessResult ProcessRunner::run(const QString& program, const QStringList& args,
                                 const QProcessEnvironment& env, int timeoutMs, bool dropRoot)
{
    ProcessResult r;
    QProcess p;
    p.setProcessEnvironment(env);
    if (dropRoot) {
        p.setChildProcessModifier([] {
            // Runs in the child between fork and exec; exit code 126 tells
            // that the privileges could not be dropped.
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(126);
        });
    }
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    r.started = p.waitForStarted(30000);
    if (!r.started)
        return r;
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.crashed = p.exitStatus() == QProcess::CrashExit;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}
