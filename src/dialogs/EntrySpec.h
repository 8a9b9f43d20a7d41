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
        EditableCombo
    };
    QString objectName;
    QString label;
    Kind kind = Text;
    QStringList entries; // combo boxes
    bool required = true;
};

struct EntrySpec
{
    QString objectName;
    QString caption;
    QList<EntryField> fields;
    QString message; // shown when a required field is empty (as typed, not trimmed)
    // A further check: the message to show, or "" to accept.
    std::function<QString(const EntryDialog&)> check;
};

} // namespace corvane
