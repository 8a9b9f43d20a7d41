#pragma once
// One node of the console's scope tree. The host owns every scope item; the
// snap-in creates them through ConsoleHost::addScopeItem and keeps raw
// pointers only while the item exists. Display name, item name and tag are
// stored exactly as set and read back unchanged.
#include <QMap>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace corvane {

class ScopeTreeModel;

// A column of a scope item's result list (index counts from 1).
struct ColumnHeader
{
    QString text;
    int width = -1; // pixels; -1 leaves the node type's or the view's default
};

class ScopeItem
{
public:
    ScopeItem(const ScopeItem&) = delete;
    ScopeItem& operator=(const ScopeItem&) = delete;
    ~ScopeItem();

    const QString& nodeType() const { return m_nodeType; }
    const QString& key() const { return m_key; }
    bool isRoot() const { return m_parent == nullptr; }

    const QString& displayName() const { return m_displayName; }
    void setDisplayName(const QString& name);

    // The root's item name is "Static Node"; the snap-in stores its own link here.
    const QString& itemName() const { return m_itemName; }
    void setItemName(const QString& name);

    // Shown when the pointer rests on the node; the display name when empty.
    const QString& toolTip() const { return m_toolTip; }
    void setToolTip(const QString& text);

    const QVariant& tag() const { return m_tag; }
    void setTag(const QVariant& tag);
    // The tag as a 32-bit number (0 when the tag is empty, as on the root).
    int nodeTag() const { return m_tag.toInt(); }

    // Columns in which this item's children are listed in the result pane.
    void setColumnHeader(int index, const QString& text, int width = -1);
    void clearColumnHeaders();
    const QMap<int, ColumnHeader>& columnHeaders() const { return m_columns; }

    // This item's own row in its parent's result list (1 = first column).
    void setRowText(int index, const QString& text);
    QString rowText(int index) const { return m_rowTexts.value(index); }
    const QMap<int, QString>& rowTexts() const { return m_rowTexts; }

    ScopeItem* parent() const { return m_parent; }
    int childCount() const { return int(m_children.size()); }
    ScopeItem* child(int row) const;
    // Position among the parent's children (0 for the root).
    int row() const;

    // True once the host raised ScopeItems_Expand for this item.
    bool hasBeenExpanded() const { return m_expandedOnce; }

private:
    friend class ScopeTreeModel;
    ScopeItem(ScopeTreeModel* owner, ScopeItem* parent, QString nodeType, QString key);
    void changed();

    ScopeTreeModel* m_owner;
    ScopeItem* m_parent;
    QString m_nodeType;
    QString m_key;
    QString m_displayName;
    QString m_itemName;
    QString m_toolTip;
    QVariant m_tag;
    QMap<int, ColumnHeader> m_columns;
    QMap<int, QString> m_rowTexts;
    std::vector<std::unique_ptr<ScopeItem>> m_children;
    int m_visibleChildren = 0; // children the views already know about
    mutable int m_rowHint = 0;
    bool m_expandedOnce = false;
};

} // namespace corvane
