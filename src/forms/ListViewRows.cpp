#include "forms/ListViewRows.h"

#include "forms/TextCodec.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace corvane {

void ListViewRows::setup(QTreeWidget* list, const QStringList& headers)
{
    list->setColumnCount(int(headers.size()));
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    list->header()->setStretchLastSection(true);
    for (int i = 0; i + 1 < headers.size(); ++i)
        list->setColumnWidth(i, 160);
}

QTreeWidgetItem* ListViewRows::addRow(QTreeWidget* list, const QStringList& columns, std::int32_t tag)
{
    auto* item = new QTreeWidgetItem(list, columns);
    setRowTag(item, tag);
    return item;
}

std::int32_t ListViewRows::rowTag(const QTreeWidgetItem* item)
{
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

void ListViewRows::setRowTag(QTreeWidgetItem* item, std::int32_t tag)
{
    item->setData(0, Qt::UserRole, tag);
}

QStringList ListViewRows::rowTexts(const QTreeWidgetItem* item)
{
    QStringList out;
    if (!item)
        return out;
    for (int c = 0; c < item->columnCount(); ++c)
        out << item->text(c);
    return out;
}

QTreeWidgetItem* ListViewRows::selectedRow(const QTreeWidget* list)
{
    const auto selected = list->selectedItems();
    if (!selected.isEmpty())
        return selected.first();
    return nullptr;
}

void ListViewRows::selectRow(QTreeWidget* list, int index)
{
    if (index < 0 || index >= list->topLevelItemCount())
        return;
    QTreeWidgetItem* item = list->topLevelItem(index);
    list->clearSelection();
    list->setCurrentItem(item);
    item->setSelected(true);
}

bool ListViewRows::removeSelectedRow(QTreeWidget* list)
{
    QTreeWidgetItem* item = selectedRow(list);
    if (!item)
        return false;
    const int index = list->indexOfTopLevelItem(item);
    delete list->takeTopLevelItem(index);
    const int count = list->topLevelItemCount();
    if (count > 0)
        selectRow(list, index < count ? index : count - 1);
    return true;
}

bool ListViewRows::moveSelectedRow(QTreeWidget* list, int delta)
{
    QTreeWidgetItem* item = selectedRow(list);
    if (!item)
        return false;
    const int index = list->indexOfTopLevelItem(item);
    const int target = index + delta;
    if (target < 0 || target >= list->topLevelItemCount())
        return false;
    QTreeWidgetItem* taken = list->takeTopLevelItem(index);
    list->insertTopLevelItem(target, taken);
    selectRow(list, target);
    return true;
}

ListRows ListViewRows::rows(const QTreeWidget* list)
{
    ListRows out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        ListRow row;
        for (int c = 0; c < list->columnCount(); ++c)
            row.push_back(TextCodec::fromQ(item->text(c)));
        out.push_back(std::move(row));
    }
    return out;
}

QStringList ListViewRows::texts(const QTreeWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(0);
    return out;
}

} // namespace corvane
