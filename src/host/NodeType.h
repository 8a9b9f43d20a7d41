#pragma once
// A kind of scope node the snap-in defines once: its default display name,
// the name of its default result view, and the view's default columns.
#include <QIcon>
#include <QList>
#include <QString>

#include "host/ScopeItem.h"

namespace corvane {

struct NodeType
{
    QString name;                // e.g. "Server"
    QString defaultDisplayName;  // shown until the snap-in sets a display name
    QString viewName;            // e.g. "ServerView"
    QList<ColumnHeader> columns; // default result-list columns (text, width)
    QIcon icon;                  // folder image; the host picks one when null
};

} // namespace corvane
