#include "transfer/DOSOutputs.h"

#include <QEventLoop>
#include <QProcess>
#include <QStringDecoder>
#include <QTimer>

#include <grp.h>
#include <unistd.h>

namespace corvane {

DOSOutputs::DOSOutputs(QObject* parent) : QObject(parent) {}

QString DOSOutputs::ExecuteCommand(const QString& commandLine)
{
    if (!commandLine.isEmpty())
        CommandLine = commandLine;
    m_error.clear();
    m_exitCode = -1;
    QStringList parts = QProcess::splitCommand(CommandLine);
    if (CommandLine.trimmed().isEmpty() || parts.isEmpty()) {
        m_error = QStringLiteral("Command Line empty");
        return QString();
    }
    const QString program = parts.takeFirst();
    return execute(program, parts);
}

QString DOSOutputs::execute(const QString& program, const QStringList& arguments)
{
    m_error.clear();
    m_exitCode = -1;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(m_env);
    process.setProgram(program);
    process.setArguments(arguments);
    if (!m_workingDirectory.isEmpty())
        process.setWorkingDirectory(m_workingDirectory);
    if (m_runAs) {
        const uid_t uid = m_uid;
        const gid_t gid = m_gid;
        // Runs in the child between fork and exec: async-signal-safe calls only.
        process.setChildProcessModifier([uid, gid] {
            if (::setgroups(1, &gid) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0 || ::getuid() != uid) {
                static const char message[] = "cannot switch to the unprivileged user\n";
                [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, message, sizeof message - 1);
                ::_exit(126);
            }
        });
    }
    process.closeWriteChannel();
    m_outputs.clear();

    // Bytes in the system's encoding; a character cut by a block boundary is
    // completed by the next block.
    QStringDecoder decoder(QStringDecoder::System);
    QEventLoop loop;
    auto drain = [&] {
        char block[kBlockSize];
        for (;;) {
            const qint64 n = process.read(block, kBlockSize);
            if (n <= 0)
                break;
            const QString text = decoder.decode(QByteArrayView(block, n));
            if (text.isEmpty())
                continue;
            m_outputs += text;
            emit ReceiveOutputs(text);
        }
    };
    QObject::connect(&process, &QProcess::readyRead, &loop, drain);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] { process.kill(); });

    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        m_error = QStringLiteral("File or command not found");
        return QString();
    }
    limit.start(m_timeoutSeconds * 1000);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    process.waitForFinished(-1);
    drain();
    m_exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return m_outputs;
}

} // namespace corvane
