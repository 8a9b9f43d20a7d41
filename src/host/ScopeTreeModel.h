#pragma once
// Qt item model over the scope tree. Children appended during an event stay
// invisible to views until flush() (called by the host when the event ends),
// which announces them with one insertion per parent: 5,000 children cost one
// relayout. Items not yet expanded report children so the view shows an expander.
#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QSet>
#include <functional>
#include <memory>

#include "host/ScopeItem.h"

namespace corvane {

class ScopeTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit ScopeTreeModel(QObject* parent = nullptr);
    ~ScopeTreeModel() override;

    ScopeItem& root() { return *m_root; }
    ScopeItem* add(ScopeItem& parent, const QString& nodeType, const QString& key);
    ScopeItem* find(const QString& key) const { return m_byKey.value(key); }
    bool contains(const ScopeItem* item) const;
    void removeChildren(ScopeItem& item);
    void remove(ScopeItem& item);
    void markExpanded(ScopeItem& item);
    // Announces appended children to the views.
    void flush();

    ScopeItem* itemFromIndex(const QModelIndex& index) const;
    QModelIndex indexFromItem(const ScopeItem* item) const;

    // Icon per node type (set by the host).
    std::function<QIcon(const ScopeItem&)> iconFor;
    // Called before an item (and its subtree) leaves the tree.
    std::function<void(ScopeItem&)> onAboutToRemove;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Rename verb state for the editable flag, and where an edit goes (set by the host).
    std::function<bool(const ScopeItem&)> isEditable;
    std::function<void(ScopeItem&, const QString&)> onRename;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    friend class ScopeItem;
    void itemChanged(ScopeItem& item);
    void forget(ScopeItem& item);
    void announce(ScopeItem& item);

    std::unique_ptr<ScopeItem> m_root;
    QHash<QString, ScopeItem*> m_byKey;
    QSet<const ScopeItem*> m_all;
    QList<ScopeItem*> m_pending; // parents with children not yet announced
};

} // namespace corvane
