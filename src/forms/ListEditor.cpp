#include "forms/ListEditor.h"

#include "forms/EntryDialog.h"
#include "forms/ListViewRows.h"

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

void ListEditor::setInPlace(bool inPlace)
{
    if (inPlace && !m_inPlace)
        connect(m_list, &QTreeWidget::itemChanged, this, [this] { emit changed(); });
    m_inPlace = inPlace;
}

void ListEditor::setRowFromDialog(std::function<QStringList(const EntryDialog&)> rowFromDialog)
{
    m_rowFromDialog = std::move(rowFromDialog);
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

void ListEditor::setColumns(const QList<int>& fieldOfColumn)
{
    m_fieldOfColumn = fieldOfColumn;
}

void ListEditor::setPrepare(std::function<void(EntryDialog&, const QTreeWidgetItem*)> prepare)
{
    m_prepare = std::move(prepare);
}

int ListEditor::fieldOf(int column) const
{
    if (m_fieldOfColumn.isEmpty())
        return column < int(m_spec.fields.size()) ? column : -1;
    return column < m_fieldOfColumn.size() ? m_fieldOfColumn[column] : -1;
}

QStringList ListEditor::rowTexts(const QStringList& values) const
{
    if (m_rowFromDialog)
        return values; // already in column order
    QStringList texts;
    for (int c = 0; c < m_list->columnCount(); ++c) {
        const int f = fieldOf(c);
        texts << (f >= 0 ? values.value(f) : QString());
    }
    return texts;
}

// values: in field order; filled from the dialog when it was accepted.
bool ListEditor::runDialog(const QString& caption, QStringList& values, const QTreeWidgetItem* editing)
{
    EntryDialog dialog(m_spec, m_context, m_list->window());
    if (!caption.isEmpty())
        dialog.setCaption(caption);
    if (m_prepare)
        m_prepare(dialog, editing);
    for (int f = 0; f < values.size() && f < dialog.fieldCount(); ++f)
        if (!values[f].isNull())
            dialog.setValue(f, values[f]);
    dialog.exec();
    if (!dialog.Accepted)
        return false;
    values.clear();
    if (m_rowFromDialog) {
        values = m_rowFromDialog(dialog);
        return true;
    }
    for (int f = 0; f < dialog.fieldCount(); ++f)
        values << dialog.value(f);
    return true;
}

void ListEditor::add()
{
    if (!m_list->isEnabled())
        return; // a list gating switched off takes no edits, whichever button asks
    if (m_inPlace) {
        QTreeWidgetItem* row = ListViewRows::addRow(m_list, QStringList(QString()));
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        ListViewRows::selectRow(m_list, m_list->indexOfTopLevelItem(row));
        m_list->setFocus();
        m_list->editItem(row, 0);
        emit changed();
        return;
    }
    QStringList values;
    if (!runDialog(m_adding, values, nullptr))
        return;
    if (m_accept && !m_accept(values, nullptr))
        return;
    QTreeWidgetItem* row = ListViewRows::addRow(m_list, rowTexts(values));
    ListViewRows::selectRow(m_list, m_list->indexOfTopLevelItem(row));
    emit changed();
}

void ListEditor::edit()
{
    if (!m_list->isEnabled())
        return; // a list gating switched off takes no edits, whichever button asks
    QTreeWidgetItem* row = ListViewRows::selectedRow(m_list);
    if (!row)
        return;
    if (m_inPlace) {
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        m_list->setFocus();
        m_list->editItem(row, 0);
        return;
    }
    QStringList values;
    for (int f = 0; f < m_spec.fields.size(); ++f)
        values << QString(); // null: a field no column shows stays as the dialog has it
    for (int c = 0; c < m_list->columnCount(); ++c) {
        const int f = fieldOf(c);
        if (f >= 0 && f < values.size())
            values[f] = row->text(c);
    }
    if (!runDialog(m_editing, values, row))
        return;
    if (m_accept && !m_accept(values, row))
        return;
    const QStringList texts = rowTexts(values);
    for (int c = 0; c < m_list->columnCount(); ++c)
        if (fieldOf(c) >= 0 || m_rowFromDialog)
            row->setText(c, texts.value(c));
    emit changed();
}

void ListEditor::remove()
{
    if (!m_list->isEnabled())
        return; // a list gating switched off takes no edits, whichever button asks
    if (ListViewRows::removeSelectedRow(m_list))
        emit changed();
}

void ListEditor::moveUp()
{
    if (!m_list->isEnabled())
        return; // a list gating switched off takes no edits, whichever button asks
    if (ListViewRows::moveSelectedRow(m_list, -1))
        emit changed();
}

void ListEditor::moveDown()
{
    if (!m_list->isEnabled())
        return; // a list gating switched off takes no edits, whichever button asks
    if (ListViewRows::moveSelectedRow(m_list, +1))
        emit changed();
}

} // namespace corvane
