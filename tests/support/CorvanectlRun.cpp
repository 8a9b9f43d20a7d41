#include "CorvanectlRun.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace corvane::test {

CtlRun runCorvanectl(const QString& app, const QStringList& args, const QByteArray& input, int timeoutMs)
{
    static QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.remove(QStringLiteral("SSH_AUTH_SOCK"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(CORVANE_BINARY_DIR "/src/cli/corvanectl"),
            QStringList{QStringLiteral("--app-dir"), app} + args);
    if (!p.waitForStarted(10000))
        return {};
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(timeoutMs);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace corvane::test
