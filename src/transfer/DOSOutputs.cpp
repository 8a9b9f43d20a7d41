#include "transfer/DOSOutputs.h"

#include <QEventLoop>
#include <QProcess>
#include <QStringDecoder>
#include <QTimer>

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

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(m_env);
    process.setProgram(program);
    process.setArguments(parts);
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
