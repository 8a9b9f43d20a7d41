#pragma once
// A copy of the item a property sheet was opened for ("SelectedControls(0)"):
// pages get only these values, never the host's objects, and reach their
// data through the work-area files named by itemName.
#include <QString>
#include <QVariant>

namespace corvane {

struct SelectedItem
{
    enum class Kind
    {
        None,
        ScopeItem,
        ListItem
    };

    Kind kind = Kind::None;
    QString key;
    QString nodeType;    // scope items only
    QString displayName; // scope item display name or list item text
    QString itemName;    // the snap-in's link to the data (a scope item's item name, a list item's item name)
    QVariant tag;

    bool isScopeItem() const { return kind == Kind::ScopeItem; }
    bool isListItem() const { return kind == Kind::ListItem; }
    int nodeTag() const { return tag.toInt(); }
};

} // namespace corvane
