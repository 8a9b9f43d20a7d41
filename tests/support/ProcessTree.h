#pragma once
// Finding and killing the processes a test server forked, through /proc.
#include <QList>
#include <QString>

class ProcessTree
{
public:
    // Direct children of a process.
    static QList<qint64> children(qint64 pid);
    // Children, grandchildren and so on.
    static QList<qint64> descendants(qint64 pid);
    // Sends SIGKILL to every descendant; returns how many there were.
    static int killDescendants(qint64 pid);
    // The processes whose executable has this file name and whose parent is `parent`.
    static QList<qint64> childrenRunning(qint64 parent, const QString& executableName);
};
