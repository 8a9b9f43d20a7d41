#pragma once
// Add / Edit / Remove / Up / Down of a list view through an entry dialog:
// Add opens the dialog with the adding caption and appends an accepted entry
// as a selected row; Edit pre-fills the dialog from the selected row (text
// and sub-items) under the editing caption and changes the row in place;
// Remove deletes the selected row and selects a neighbour; Up and Down
// exchange the selected row with its neighbour. Every change emits changed().
//
// Which entry field fills which column is explicit (setColumns), so a list
// whose columns come in another order than the dialog's fields (extension
// before handler, say) maps them by name, not by position.
#include "forms/EntrySpec.h"
#include "host/PageContext.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {
class EntryDialog;
}

namespace corvane {

class ListEditor : public QObject
{
    Q_OBJECT
public:
    struct Buttons
    {
        QAbstractButton* add = nullptr;
        QAbstractButton* edit = nullptr;
        QAbstractButton* remove = nullptr;
        QAbstractButton* up = nullptr;
        QAbstractButton* down = nullptr;
    };

    ListEditor(QTreeWidget* list, EntrySpec entry, const PageContext& context, Buttons buttons,
               QObject* parent = nullptr);

    // Rows edited in place instead of through an entry dialog: Add appends an
    // empty row and starts editing its text, Edit edits the selected row's
    // text. A row left empty is not written (the bindings drop empty rows).
    void setInPlace(bool inPlace);

    void setCaptions(const QString& adding, const QString& editing);
    // The server the entry dialog gates and browses for (a page learns it on load).
    void setContext(const PageContext& context) { m_context = context; }
    // fieldOfColumn[c] is the entry field shown in column c; by default
    // column c shows field c.
    void setColumns(const QList<int>& fieldOfColumn);
    // Runs on the entry dialog before it is shown (labels, entries, values).
    void setPrepare(std::function<void(EntryDialog& dialog, const QTreeWidgetItem* editing)> prepare);
    // The row's column texts taken from an accepted dialog, for an entry
    // dialog whose fields do not map one to one onto the columns (a choice
    // between two boxes, say); the prepare hook then pre-fills an edit.
    void setRowFromDialog(std::function<QStringList(const EntryDialog& dialog)> rowFromDialog);
    // Decides whether an accepted entry may become a row (values in field
    // order; the row being edited, or nullptr when adding); a refusal shows
    // its own message.
    void setAcceptRow(std::function<bool(const QStringList& values, const QTreeWidgetItem* editing)> accept);

    void add();
    void edit();
    void remove();
    void moveUp();
    void moveDown();

signals:
    void changed();

private:
    bool runDialog(const QString& caption, QStringList& values, const QTreeWidgetItem* editing);
    int fieldOf(int column) const;
    QStringList rowTexts(const QStringList& values) const;

    QTreeWidget* m_list;
    EntrySpec m_spec;
    PageContext m_context;
    QString m_adding;
    QString m_editing;
    QList<int> m_fieldOfColumn;
    std::function<void(EntryDialog&, const QTreeWidgetItem*)> m_prepare;
    std::function<bool(const QStringList&, const QTreeWidgetItem*)> m_accept;
    std::function<QStringList(const EntryDialog&)> m_rowFromDialog;
    bool m_inPlace = false;
};

} // namespace corvane
