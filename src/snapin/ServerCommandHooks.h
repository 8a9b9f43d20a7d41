#pragma once
// Where the server commands hand over to the connection wizard, the transfer
// page and the upload wizard. The shell shows the menu items and toolbar
// buttons of a command greyed while nobody has installed its hook.
#include <QString>
#include <QStringList>

#include <functional>

namespace corvane::snapin {

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
};

} // namespace corvane::snapin
