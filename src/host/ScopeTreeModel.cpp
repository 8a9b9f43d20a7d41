#include "host/ScopeTreeModel.h"

#include <algorithm>

namespace corvane {

namespace {
int depthOf(const ScopeItem* item)
{
    int depth = 0;
    for (const ScopeItem* p = item->parent(); p; p = p->parent())
        ++depth;
    return depth;
}
} // namespace

ScopeTreeModel::ScopeTreeModel(QObject* parent)
    : QAbstractItemModel(parent), m_root(new ScopeItem(this, nullptr, QStringLiteral("Corvane"), QString()))
{
    m_root->m_displayName = QStringLiteral("Corvane");
    m_root->m_itemName = QStringLiteral("Static Node");
    m_all.insert(m_root.get());
}

ScopeTreeModel::~ScopeTreeModel()
{
    // Items must not call back into a half-destroyed model.
    std::function<void(ScopeItem&)> detach = [&](ScopeItem& item) {
        item.m_owner = nullptr;
        for (auto& c : item.m_children)
            detach(*c);
    };
    detach(*m_root);
}

ScopeItem* ScopeTreeModel::add(ScopeItem& parent, const QString& nodeType, const QString& key)
{
    if (!m_all.contains(&parent))
        return nullptr;
    if (!key.isEmpty() && m_byKey.contains(key))
        return nullptr;
    auto* item = new ScopeItem(this, &parent, nodeType, key);
    item->m_rowHint = int(parent.m_children.size());
    parent.m_children.emplace_back(item);
    if (!key.isEmpty())
        m_byKey.insert(key, item);
    m_all.insert(item);
    if (!m_pending.contains(&parent))
        m_pending.append(&parent);
    return item;
}

bool ScopeTreeModel::contains(const ScopeItem* item) const
{
    return item && m_all.contains(item);
}

void ScopeTreeModel::markExpanded(ScopeItem& item)
{
    item.m_expandedOnce = true;
    if (!m_pending.contains(&item))
        m_pending.append(&item);
}

void ScopeTreeModel::flush()
{
    if (m_pending.isEmpty())
        return;
    QList<ScopeItem*> pending;
    pending.swap(m_pending);
    // Parents before their children, so every announced parent is already visible.
    std::stable_sort(pending.begin(), pending.end(),
                     [](const ScopeItem* a, const ScopeItem* b) { return depthOf(a) < depthOf(b); });
    for (ScopeItem* item : pending)
        if (m_all.contains(item))
            announce(*item);
}

void ScopeTreeModel::announce(ScopeItem& item)
{
    const int count = item.childCount();
    const int visible = item.m_visibleChildren;
    const QModelIndex idx = indexFromItem(&item);
    if (count > visible) {
        beginInsertRows(idx, visible, count - 1);
        item.m_visibleChildren = count;
        endInsertRows();
    } else if (count == 0 && item.m_expandedOnce) {
        // The expander promised children that never came: let the views drop it.
        emit layoutAboutToBeChanged({QPersistentModelIndex(idx)});
        emit layoutChanged({QPersistentModelIndex(idx)});
    }
}

void ScopeTreeModel::forget(ScopeItem& item)
{
    for (auto& c : item.m_children)
        forget(*c);
    if (!item.m_key.isEmpty())
        m_byKey.remove(item.m_key);
    m_all.remove(&item);
    m_pending.removeAll(&item);
}

void ScopeTreeModel::removeChildren(ScopeItem& item)
{
    if (!m_all.contains(&item) || item.m_children.empty())
        return;
    flush();
    if (onAboutToRemove)
        for (auto& c : item.m_children)
            onAboutToRemove(*c);
    const int visible = item.m_visibleChildren;
    if (visible > 0)
        beginRemoveRows(indexFromItem(&item), 0, visible - 1);
    for (auto& c : item.m_children)
        forget(*c);
    item.m_children.clear();
    item.m_visibleChildren = 0;
    if (visible > 0)
        endRemoveRows();
}

void ScopeTreeModel::remove(ScopeItem& item)
{
    if (!m_all.contains(&item) || item.isRoot())
        return;
    flush();
    if (onAboutToRemove)
        onAboutToRemove(item);
    ScopeItem* parent = item.m_parent;
    const int row = item.row();
    const bool visible = row < parent->m_visibleChildren;
    if (visible)
        beginRemoveRows(indexFromItem(parent), row, row);
    forget(item);
    parent->m_children.erase(parent->m_children.begin() + row);
    if (visible)
        --parent->m_visibleChildren;
    if (visible)
        endRemoveRows();
}

void ScopeTreeModel::itemChanged(ScopeItem& item)
{
    if (!item.m_parent) {
        const QModelIndex idx = indexFromItem(&item);
        emit dataChanged(idx, idx);
        return;
    }
    const int row = item.row();
    if (row >= 0 && row < item.m_parent->m_visibleChildren) {
        const QModelIndex idx = createIndex(row, 0, &item);
        emit dataChanged(idx, idx);
    }
}

ScopeItem* ScopeTreeModel::itemFromIndex(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<ScopeItem*>(index.internalPointer());
}

QModelIndex ScopeTreeModel::indexFromItem(const ScopeItem* item) const
{
    if (!item || !m_all.contains(item))
        return {};
    if (!item->m_parent)
        return createIndex(0, 0, const_cast<ScopeItem*>(item));
    const int row = item->row();
    if (row < 0 || row >= item->m_parent->m_visibleChildren)
        return {};
    return createIndex(row, 0, const_cast<ScopeItem*>(item));
}

QModelIndex ScopeTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 ? createIndex(0, 0, m_root.get()) : QModelIndex();
    ScopeItem* p = itemFromIndex(parent);
    if (!p || row >= p->m_visibleChildren)
        return {};
    return createIndex(row, 0, p->m_children[std::size_t(row)].get());
}

QModelIndex ScopeTreeModel::parent(const QModelIndex& child) const
{
    ScopeItem* item = itemFromIndex(child);
    if (!item || !item->m_parent)
        return {};
    return indexFromItem(item->m_parent);
}

int ScopeTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return 1;
    if (parent.column() != 0)
        return 0;
    ScopeItem* item = itemFromIndex(parent);
    return item ? item->m_visibleChildren : 0;
}

int ScopeTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool ScopeTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return true;
    if (parent.column() != 0)
        return false;
    ScopeItem* item = itemFromIndex(parent);
    if (!item)
        return false;
    // Before the first expansion nobody knows: show an expander.
    return !item->m_expandedOnce || item->m_visibleChildren > 0;
}

QVariant ScopeTreeModel::data(const QModelIndex& index, int role) const
{
    ScopeItem* item = itemFromIndex(index);
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return item->displayName();
    case Qt::DecorationRole:
        return iconFor ? QVariant(iconFor(*item)) : QVariant();
    case Qt::ToolTipRole:
        // Names are cut off in a narrow pane: the full one (or more) on hover.
        return item->toolTip().isEmpty() ? item->displayName() : item->toolTip();
    case Qt::UserRole:
        return item->key();
    default:
        return {};
    }
}

Qt::ItemFlags ScopeTreeModel::flags(const QModelIndex& index) const
{
    ScopeItem* item = itemFromIndex(index);
    if (!item)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isEditable && isEditable(*item))
        f |= Qt::ItemIsEditable;
    return f;
}

bool ScopeTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    ScopeItem* item = itemFromIndex(index);
    if (!item || role != Qt::EditRole || !onRename)
        return false;
    onRename(*item, value.toString());
    // Show what the snap-in left, whether it took the name or not.
    if (m_all.contains(item))
        itemChanged(*item);
    return true;
}

} // namespace corvane
