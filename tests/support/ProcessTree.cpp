#include "ProcessTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/types.h>

namespace {

qint64 parentOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // "pid (comm) state ppid ..."; comm may hold blanks and parentheses.
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : -1;
}

} // namespace

QList<qint64> ProcessTree::children(qint64 pid)
{
    QList<qint64> result;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool ok = false;
        const qint64 p = entry.toLongLong(&ok);
        if (ok && parentOf(p) == pid)
            result << p;
    }
    return result;
}

QList<qint64> ProcessTree::descendants(qint64 pid)
{
    QList<qint64> result;
    QList<qint64> todo{pid};
    while (!todo.isEmpty()) {
        const QList<qint64> kids = children(todo.takeFirst());
        result += kids;
        todo += kids;
    }
    return result;
}

int ProcessTree::killDescendants(qint64 pid)
{
    const QList<qint64> all = descendants(pid);
    for (qint64 p : all)
        ::kill(static_cast<pid_t>(p), SIGKILL);
    return int(all.size());
}

QList<qint64> ProcessTree::childrenRunning(qint64 parent, const QString& executableName)
{
    QList<qint64> result;
    for (qint64 p : children(parent)) {
        if (QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(p))).fileName() ==
            executableName)
            result << p;
    }
    return result;
}
