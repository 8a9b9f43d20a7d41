#pragma once
// Rows of a report-style list (QTreeWidget used as a flat list view): the
// first column is the row text, further columns its sub-items, and the row's
// Tag (Qt::UserRole of column 0) the number of the directive it came from
// (0 for a row added on the form).
#include "model/ListRows.h"

#include <QStringList>

#include <cstdint>

class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

class ListViewRows
{
public:
    // A flat list with these column headers, whole-row selection, one row at a time.
    static void setup(QTreeWidget* list, const QStringList& headers);
    static QTreeWidgetItem* addRow(QTreeWidget* list, const QStringList& columns, std::int32_t tag = 0);
    static std::int32_t rowTag(const QTreeWidgetItem* item);
    static void setRowTag(QTreeWidgetItem* item, std::int32_t tag);
    static QStringList rowTexts(const QTreeWidgetItem* item);
    static QTreeWidgetItem* selectedRow(const QTreeWidget* list);
    static void selectRow(QTreeWidget* list, int index);
    // Removes the selected row and selects the row now at its place (or the
    // last); false when nothing was selected.
    static bool removeSelectedRow(QTreeWidget* list);
    // Exchanges the selected row with its neighbour (delta -1 up, +1 down);
    // the moved row stays selected. False at the ends or without a selection.
    static bool moveSelectedRow(QTreeWidget* list, int delta);
    // The rows as the model takes them (texts encoded for the file).
    static ListRows rows(const QTreeWidget* list);
    // Texts of the first column.
    static QStringList texts(const QTreeWidget* list);
};

} // namespace corvane
