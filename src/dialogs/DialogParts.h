#pragma once
// Small builders the editor dialogs are laid out with: a list view with its
// column of buttons and a ListEditor behind them, a labelled row, a file box
// with its "Browse..." button, a digits-only box with its up-down control.
#include "forms/EntrySpec.h"
#include "forms/ListEditor.h"

#include <QStringList>

class QGridLayout;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QWidget;

namespace corvane {

class CorvaneDialog;
class UpDown;

class DialogParts
{
public:
    struct ListPart
    {
        QTreeWidget* list = nullptr;
        QList<QPushButton*> buttons; // in the order of the names given
        ListEditor* editor = nullptr;
    };

    // A list view `listName` with `headers` on `page` (laid out with a button
    // column on its right: "Add...", "Edit...", "Remove", "Up", "Down" for
    // as many names as given; an empty name skips that button). The list is
    // bound to `directive` in `shape`, and its ListEditor marks the dialog
    // changed. An EntrySpec without fields edits rows in place.
    static ListPart list(CorvaneDialog* dialog, QWidget* page, const char* listName,
                         const QStringList& headers, const QString& directive, int shape,
                         const EntrySpec& entry, const QList<const char*>& buttonNames);

    // A label and a control in the next row of a two-column grid.
    static void row(QGridLayout* grid, const QString& label, QWidget* control, QWidget* extra = nullptr);
    // A text box with a "Browse..." button that puts the chosen file into it
    // (local servers only); the button is added to the grid row's third column.
    static QLineEdit* fileBox(CorvaneDialog* dialog, QWidget* parent, const char* boxName,
                              const char* browseName, QPushButton** browse);
    // A box bound to `directive` that takes digits only, with an up-down
    // control that writes its value into the box.
    static QLineEdit* numberBox(CorvaneDialog* dialog, QWidget* parent, const char* boxName,
                                const char* udName, const QString& directive, int maximum,
                                UpDown** upDown = nullptr);
};

} // namespace corvane
