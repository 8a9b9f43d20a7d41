#pragma once
// Where the server commands hand over to the connection wizard, the transfer
// page and the upload wizard. The shell shows the menu items and toolbar
// buttons of a command greyed while nobody has installed its hook.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace corvane::snapin {

// What a syntax check of a server's working copy found.
struct SyntaxVerdict
{
    enum class State
    {
        Ok,
        Error,
        NoChecker // no checker for the server's Apache version
    };
    State state = State::NoChecker;
    QString apacheVersion;
    QString output; // everything the checker said
};

struct ServerCommandHooks
{
    // Runs the connection wizard; returns the new server's name, or "" when
    // it was cancelled or failed. The shell then loads that server.
    std::function<QString()> connect;
    // Fetches the server's httpd.conf into its work area (modal). The shell
    // rebuilds the whole tree afterwards.
    std::function<void(const QString& serverName)> get;
    // Runs the upload wizard for the server (modal). The tree is not changed.
    std::function<void(const QString& serverName)> synchronize;
    // Shows what an upload would change: one unified diff per changed file.
    std::function<void(const QString& serverName)> showChanges;
    // Asks, then puts the working copy back to what the server has (the
    // changes kept in Backup); true when the working copy changed, and the
    // shell then reloads the server.
    std::function<bool(const QString& serverName)> revertChanges;
    // The modules the Apache that checks the server has compiled in ("apache2
    // -l"); pages and dialogs treat them as loaded. None while not installed.
    std::function<QStringList(const QString& serverName)> compiledInModules;
    // Called at the end of loading when the registry holds no server section
    // (the "Add Connection" prompt).
    std::function<void()> offerFirstConnection;
    // The marks of one file of the server's working copy (by server path, ""
    // for a configuration that is not split) against its copy as last
    // fetched: one byte per line of the file, ' ' kept, '+' added, '~'
    // changed; "" when there is nothing to compare with.
    std::function<QByteArray(const QString& serverName, const QString& serverPath)> changedLines;
    // Checks the syntax of the server's working copy. Runs on a worker
    // thread: it may touch nothing the console holds.
    std::function<SyntaxVerdict(const QString& serverName)> checkSyntax;
};

} // namespace corvane::snapin
