#pragma once
// Runs the corvanectl of this build on an application folder, with a HOME of
// its own and no ssh-agent (so the machine user's ~/.ssh plays no part).
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvane::test {

struct CtlRun
{
    int code = -1;
    QString out;
    QString err;
};

CtlRun runCorvanectl(const QString& app, const QStringList& args, const QByteArray& input, int timeoutMs);

} // namespace corvane::test
