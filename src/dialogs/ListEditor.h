#pragma once
// Add / Edit / Remove / Up / Down of a list view through an entry dialog:
// Add opens the dialog with the adding caption and appends an accepted entry
// as a selected row; Edit pre-fills the dialog from the selected row (text
// and sub-items) under the editing caption and replaces the row; Remove
// deletes the selected row and selects a neighbour; Up and Down exchange the
// selected row with its neighbour. Every change emits changed().
#include "dialogs/EntrySpec.h"
#include "host/PageContext.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QTreeWidget;
class QTreeWidgetItem;

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

    void setCaptions(const QString& adding, const QString& editing);
    // Decides whether an accepted entry may become a row (the row being
    // edited, or nullptr when adding); a refusal shows its own message.
    void setAcceptRow(std::function<bool(const QStringList& values, const QTreeWidgetItem* editing)> accept);

    void add();
    void edit();
    void remove();
    void moveUp();
    void moveDown();

signals:
    void changed();

private:
    bool runDialog(const QString& caption, QStringList& values);

    QTreeWidget* m_list;
    EntrySpec m_spec;
    PageContext m_context;
    QString m_adding;
    QString m_editing;
    std::function<bool(const QStringList&, const QTreeWidgetItem*)> m_accept;
};

} // namespace corvane
