#include "host/ResultListModel.h"

#include "host/ResultView.h"

namespace corvane {

void ResultListModel::setView(ResultView* view, QList<ColumnHeader> columns)
{
    beginResetModel();
    m_view = view;
    m_columns = std::move(columns);
    if (m_columns.isEmpty())
        m_columns.append(ColumnHeader{QStringLiteral("Name"), -1});
    rebuild();
    endResetModel();
}

void ResultListModel::rebuild()
{
    m_scopeRows.clear();
    if (!m_view || !m_view->scopeItem())
        return;
    const ScopeItem* scope = m_view->scopeItem();
    m_scopeRows.reserve(scope->childCount());
    for (int i = 0; i < scope->childCount(); ++i)
        m_scopeRows.append(scope->child(i));
}

void ResultListModel::reload()
{
    beginResetModel();
    rebuild();
    endResetModel();
}

void ResultListModel::beginChange()
{
    if (m_changeDepth++ == 0)
        beginResetModel();
}

void ResultListModel::endChange()
{
    if (m_changeDepth == 0)
        return;
    if (--m_changeDepth == 0) {
        rebuild();
        endResetModel();
    }
}

void ResultListModel::rowChanged(int row)
{
    if (m_changeDepth > 0 || row < 0 || row >= rowCount())
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

ScopeItem* ResultListModel::scopeItemAt(int row) const
{
    if (row < 0 || row >= m_scopeRows.size())
        return nullptr;
    return m_scopeRows[row];
}

ResultItem* ResultListModel::listItemAt(int row) const
{
    if (!m_view || row < m_scopeRows.size())
        return nullptr;
    return m_view->listItem(row - int(m_scopeRows.size()));
}

int ResultListModel::rowOf(const ScopeItem* item) const
{
    if (!item)
        return -1;
    // The rows mirror the children in order, so the item's own row is the
    // answer unless the list is between two rebuilds.
    const int row = item->row();
    if (row >= 0 && row < m_scopeRows.size() && m_scopeRows[row] == item)
        return row;
    return int(m_scopeRows.indexOf(const_cast<ScopeItem*>(item)));
}

int ResultListModel::rowOf(const ResultItem* item) const
{
    if (!m_view || !item)
        return -1;
    const int i = m_view->indexOf(item);
    return i < 0 ? -1 : i + int(m_scopeRows.size());
}

int ResultListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || m_changeDepth > 0)
        return 0;
    return int(m_scopeRows.size()) + (m_view ? m_view->listItemCount() : 0);
}

int ResultListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int column = index.column() + 1;
    if (ScopeItem* scope = scopeItemAt(index.row())) {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: {
            const auto& texts = scope->rowTexts();
            auto it = texts.constFind(column);
            if (it != texts.constEnd())
                return *it;
            return column == 1 ? scope->displayName() : QString();
        }
        case Qt::DecorationRole:
            if (index.column() == 0 && scopeIcon)
                return scopeIcon(*scope);
            return {};
        case Qt::ToolTipRole:
            if (index.column() == 0 && !scope->toolTip().isEmpty())
                return scope->toolTip();
            return data(index, Qt::DisplayRole);
        default:
            return {};
        }
    }
    if (ResultItem* item = listItemAt(index.row())) {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return item->rowText(column);
        case Qt::DecorationRole:
            if (index.column() == 0 && listIcon)
                return listIcon(item->icon());
            return {};
        case Qt::ToolTipRole:
            if (index.column() == 0 && !item->toolTip().isEmpty())
                return item->toolTip();
            return item->rowText(column);
        default:
            return {};
        }
    }
    return {};
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_columns.size())
        return {};
    return m_columns[section].text;
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0 && isEditable && isEditable(index.row()))
        f |= Qt::ItemIsEditable;
    return f;
}

bool ResultListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !onRename)
        return false;
    const int row = index.row();
    onRename(row, value.toString());
    rowChanged(row);
    return true;
}

} // namespace corvane
