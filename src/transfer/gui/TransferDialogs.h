#pragma once
// The server commands' way into the transfer, for the console: each runs its
// wizard modally and returns when it has closed.
#include "registry/AppFolder.h"

#include <QString>

class QWidget;

namespace corvane {

class TransferDialogs
{
public:
    // Connect: the connection wizard; the new server's name, "" when cancelled or failed.
    static QString connectServer(const AppFolder& folder, QWidget* parent);
    // Get: fetches the server's file again into its work area.
    static void getConfig(const AppFolder& folder, const QString& server, QWidget* parent);
    // Synchronize: the upload wizard (syntax check, changes, upload).
    static void synchronize(const AppFolder& folder, const QString& server, QWidget* parent);
    // Shows (not modal) what an upload of the server's working copy would
    // change, as `corvanectl diff` prints it; returns the window.
    static QWidget* showChanges(const AppFolder& folder, const QString& server, QWidget* parent);
    // Asks, then puts the working copy back to what the server has, keeping
    // the changes in Backup; says where. True when the working copy changed.
    static bool revertChanges(const AppFolder& folder, const QString& server, QWidget* parent);
    // First start without servers: "Add Connection" offers the wizard.
    // The new server's name, "" when closed.
    static QString offerFirstConnection(const AppFolder& folder, QWidget* parent);
};

} // namespace corvane
