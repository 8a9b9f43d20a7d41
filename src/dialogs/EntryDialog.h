#pragma once
// A single-value entry dialog built from its EntrySpec. OK checks the
// required fields (as typed, blanks count) and hides the dialog with
// Accepted set; Cancel hides it with Accepted cleared. The opener reads the
// fields with value().
#include "dialogs/EntrySpec.h"
#include "host/PageContext.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace corvane {

class FormSupport;

class EntryDialog : public QDialog
{
    Q_OBJECT
public:
    EntryDialog(const EntrySpec& entry, const PageContext& context, QWidget* parent = nullptr);

    bool Accepted = false;

    int fieldCount() const { return int(m_fields.size()); }
    QString value(int index) const;
    void setValue(int index, const QString& text);
    void setLabel(int index, const QString& text);
    QWidget* field(int index) const;
    void setCaption(const QString& caption) { setWindowTitle(caption); }

public slots:
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    EntrySpec m_spec;
    PageContext m_context;
    FormSupport* m_form;
    QList<QWidget*> m_fields;
    QList<QLabel*> m_labels;
};

} // namespace corvane
