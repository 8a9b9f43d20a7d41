#pragma once
// A single-value entry dialog built from its EntrySpec. OK checks the
// required fields (as typed, blanks count) and hides the dialog with
// Accepted set; Cancel hides it with Accepted cleared. The opener reads the
// fields with value().
#include "forms/EntrySpec.h"
#include "forms/FormDialog.h"

#include <QList>

class QLabel;

namespace corvane {

class EntryDialog : public FormDialog
{
    Q_OBJECT
public:
    EntryDialog(const EntrySpec& entry, const PageContext& context, QWidget* parent = nullptr);

    int fieldCount() const { return int(m_fields.size()); }
    QString value(int index) const;
    void setValue(int index, const QString& text);
    void setLabel(int index, const QString& text);
    // Replaces the entries of a combo box or option field.
    void setEntries(int index, const QStringList& entries);
    QWidget* field(int index) const;

protected:
    bool acceptInput() override;

private:
    void fieldEdited(int index);

    EntrySpec m_spec;
    QList<QWidget*> m_fields;
    QList<QLabel*> m_labels;
};

} // namespace corvane
