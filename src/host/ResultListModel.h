#pragma once
// Qt table model of the current result view: first the scope item's children
// (their row texts), then the view's list items. Columns are the scope item's
// column headers (else its node type's default columns, else "Name").
#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <functional>

#include "host/ScopeItem.h"

namespace corvane {

class ResultItem;
class ResultView;

class ResultListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Starts showing a view (nullptr: empty); resets the model.
    void setView(ResultView* view, QList<ColumnHeader> columns);
    ResultView* view() const { return m_view; }
    const QList<ColumnHeader>& columns() const { return m_columns; }

    // Row kinds.
    ScopeItem* scopeItemAt(int row) const;
    ResultItem* listItemAt(int row) const;
    int rowOf(const ScopeItem* item) const;
    int rowOf(const ResultItem* item) const;
    // Re-reads everything (children added or removed, list changed).
    void reload();
    int scopeRowCount() const { return int(m_scopeRows.size()); }

    std::function<QIcon(const ScopeItem&)> scopeIcon;
    std::function<QIcon(int)> listIcon;
    std::function<bool(int row)> isEditable;
    std::function<void(int row, const QString&)> onRename;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // Around changes of the view's rows (the host calls these).
    void beginChange();
    void endChange();
    void rowChanged(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void rebuild();
    ResultView* m_view = nullptr;
    QList<ScopeItem*> m_scopeRows;
    int m_changeDepth = 0;
    QList<ColumnHeader> m_columns;
};

} // namespace corvane
