#pragma once
// State one property sheet hands to all of its pages. The snap-in fills it in
// Views_CreatePropertyPages (sheet.context()); pages read and update it. Two
// sheets never share a context.
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <memory>
#include <optional>

#include "host/SelectedItem.h"

namespace corvane {

struct PageContext
{
    QString appDir;                                // application folder
    QString currentServerName;                     // server of the node being edited
    bool isLocalServer = true;                     // false when the server's file is fetched over FTP/SFTP
    QString helpFilePath;                          // help file beside the program
    QString cataloguePath;                         // directive catalogue
    std::optional<SelectedItem> propertySheetItem; // the scope item selected last, if any
    // Modules the server's Apache has compiled in, as "apache2 -l" names them
    // ("mod_logio.c"): they count as loaded and must not be loaded again.
    QStringList compiledInModules;
    QVariantMap extra; // anything else a snap-in and its pages agree on
    // Whether the catalogue checksum message was shown for this sheet; copies
    // handed to the sheet's dialogs share it, so it is shown once.
    std::shared_ptr<bool> checksumShown = std::make_shared<bool>(false);
};

} // namespace corvane
