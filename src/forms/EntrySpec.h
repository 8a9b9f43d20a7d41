#pragma once
// The design of one single-value entry dialog (frmAdd…): caption, fields and
// the message shown when a required field is empty.
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace corvane {

class EntryDialog;

struct EntryField
{
    enum Kind
    {
        Text,
        Combo,
        EditableCombo,
        File,   // a text box with a "Browse..." button (browseName), local servers only
        Options // option buttons, one per entry; the value is the chosen entry
    };
    QString objectName;
    QString label;
    Kind kind = Text;
    QStringList entries; // combo boxes and option buttons
    bool required = true;
    QString browseName;                // File: the Browse button's objectName
    std::function<QStringList()> fill; // combo boxes filled when the dialog opens
};

struct EntrySpec
{
    QString objectName;
    QString caption;
    QList<EntryField> fields;
    QString message; // shown when a required field is empty (as typed, not trimmed)
    // A further check: the message to show, or "" to accept.
    std::function<QString(const EntryDialog&)> check;
    // Called when a field's value changes (also while the opener fills it).
    std::function<void(EntryDialog&, int field)> fieldChanged;
    int helpContextId = 0;
};

} // namespace corvane
