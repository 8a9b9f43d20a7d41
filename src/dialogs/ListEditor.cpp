#include "dialogs/ListEditor.h"

#include "dialogs/EntryDialog.h"
#include "pages/ListViewRows.h"

#include <QAbstractButton>
#include <QTreeWidget>
#include <QWidget>

namespace corvane {

ListEditor::ListEditor(QTreeWidget* list, EntrySpec entry, const PageContext& context, Buttons buttons,
                       QObject* parent)
    : QObject(parent), m_list(list), m_spec(std::move(entry)), m_context(context)
{
    if (buttons.add)
        connect(buttons.add, &QAbstractButton::clicked, this, &ListEditor::add);
    if (buttons.edit)
        connect(buttons.edit, &QAbstractButton::clicked, this, &ListEditor::edit);
    if (buttons.remove)
        connect(buttons.remove, &QAbstractButton::clicked, this, &ListEditor::remove);
    if (buttons.up)
        connect(buttons.up, &QAbstractButton::clicked, this, &ListEditor::moveUp);
    if (buttons.down)
        connect(buttons.down, &QAbstractButton::clicked, this, &ListEditor::moveDown);
    connect(list, &QTreeWidget::itemDoubleClicked, this, &ListEditor::edit);
}

void ListEditor::setCaptions(const QString& adding, const QString& editing)
{
    m_adding = adding;
    m_editing = editing;
}

void ListEditor::setAcceptRow(std::function<bool(const QStringList&, const QTreeWidgetItem*)> accept)
{
    m_accept = std::move(accept);
}

bool ListEditor::runDialog(const QString& caption, QStringList& values)
{
    EntryDialog dialog(m_spec, m_context, m_list->window());
    if (!caption.isEmpty())
        dialog.setCaption(caption);
    for (int i = 0; i < values.size() && i < dialog.fieldCount(); ++i)
        dialog.setValue(i, values[i]);
    dialog.exec();
    if (!dialog.Accepted)
        return false;
    values.clear();
    for (int i = 0; i < dialog.fieldCount(); ++i)
        values << dialog.value(i);
    return true;
}

void ListEditor::add()
{
    QStringList values;
    if (!runDialog(m_adding, values))
        return;
    if (m_accept && !m_accept(values, nullptr))
        return;
    QTreeWidgetItem* row = ListViewRows::addRow(m_list, values.mid(0, m_list->columnCount()));
    ListViewRows::selectRow(m_list, m_list->indexOfTopLevelItem(row));
    emit changed();
}

void ListEditor::edit()
{
    QTreeWidgetItem* row = ListViewRows::selectedRow(m_list);
    if (!row)
        return;
    QStringList values = ListViewRows::rowTexts(row);
    if (!runDialog(m_editing, values))
        return;
    if (m_accept && !m_accept(values, row))
        return;
    for (int c = 0; c < m_list->columnCount() && c < values.size(); ++c)
        row->setText(c, values[c]);
    emit changed();
}

void ListEditor::remove()
{
    if (ListViewRows::removeSelectedRow(m_list))
        emit changed();
}

void ListEditor::moveUp()
{
    if (ListViewRows::moveSelectedRow(m_list, -1))
        emit changed();
}

void ListEditor::moveDown()
{
    if (ListViewRows::moveSelectedRow(m_list, +1))
        emit changed();
}

} // namespace corvane
