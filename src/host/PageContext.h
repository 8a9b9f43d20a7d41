#pragma once
// State one property sheet hands to all of its pages. The snap-in fills it in
// Views_CreatePropertyPages (sheet.context()); pages read and update it. Two
// sheets never share a context.
#include <QString>
#include <QVariantMap>
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
    QVariantMap extra;                             // anything else a snap-in and its pages agree on
};

} // namespace corvane
