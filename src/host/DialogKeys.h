#pragma once
// Keyboard habits every Corvane dialog and property sheet shares, in one
// place: the dialog opens with the focus on its first input field; Tab visits
// the fields in the order they were created and ends on the dialog's own
// buttons (OK, Cancel, Apply); Enter in a field presses OK. A focused push
// button still takes Enter for itself, and multi-line texts, lists and fields
// marked with setKeepsEnter() keep it (a value box whose Enter adds a row).
#include <QList>

class QAbstractButton;
class QKeyEvent;
class QWidget;

namespace corvane {

class DialogKeys
{
public:
    // The widgets Tab visits inside `root` in creation order, with
    // `buttons` (the dialog's OK, Cancel, Apply) moved to the end in that
    // order. Parts of a compound control (an editable combo box's line, a
    // list's viewport) are not counted: the control itself is.
    static QList<QWidget*> tabChain(QWidget* root, const QList<QAbstractButton*>& buttons);

    // The first field of `root` that can take the focus (shown, enabled, not
    // read-only, not a push button); null when there is none.
    static QWidget* firstField(QWidget* root);
    // Gives `root`'s first field the focus; false when it has none.
    static bool focusFirstField(QWidget* root);

    // Moves the focus to the next (or previous) widget of tabChain() that
    // can take it, wrapping around; false when none can.
    static bool focusNext(QWidget* root, const QList<QAbstractButton*>& buttons, bool next);

    // Enter or Return in `root` while a field has the focus: presses `ok`
    // when it is enabled and the field does not keep Enter. True when the
    // key was handled.
    static bool enterPressesOk(QWidget* root, QKeyEvent* event, QAbstractButton* ok);

    // A field whose Enter does something of its own.
    static void setKeepsEnter(QWidget* field, bool keeps = true);
    static bool keepsEnter(const QWidget* field);
};

} // namespace corvane
