#include "dialogs/EntryDialog.h"

#include "host/MessageBox.h"
#include "pages/FormSupport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

EntryDialog::EntryDialog(const EntrySpec& entry, const PageContext& context, QWidget* parent)
    : QDialog(parent), m_spec(entry), m_context(context), m_form(new FormSupport(this))
{
    setObjectName(entry.objectName);
    setWindowTitle(entry.caption);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (const EntryField& f : entry.fields) {
        QWidget* w = nullptr;
        if (f.kind == EntryField::Text) {
            w = new QLineEdit(this);
        } else {
            auto* c = new QComboBox(this);
            c->setEditable(f.kind == EntryField::EditableCombo);
            c->addItems(f.entries);
            c->setCurrentIndex(-1);
            w = c;
        }
        w->setObjectName(f.objectName);
        w->setMinimumWidth(260);
        auto* label = new QLabel(f.label, this);
        label->setBuddy(w);
        form->addRow(label, w);
        m_fields << w;
        m_labels << label;
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    ok->setObjectName(QStringLiteral("cmdOK"));
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &EntryDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &EntryDialog::reject);
    layout->addWidget(buttons);
}

QWidget* EntryDialog::field(int index) const
{
    return index >= 0 && index < m_fields.size() ? m_fields[index] : nullptr;
}

QString EntryDialog::value(int index) const
{
    QWidget* w = field(index);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    return {};
}

void EntryDialog::setValue(int index, const QString& text)
{
    QWidget* w = field(index);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(text);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (c->isEditable())
            c->setEditText(text);
        else
            c->setCurrentIndex(c->findText(text, Qt::MatchFixedString));
    }
}

void EntryDialog::setLabel(int index, const QString& text)
{
    if (index >= 0 && index < m_labels.size())
        m_labels[index]->setText(text);
}

void EntryDialog::accept()
{
    for (int i = 0; i < m_spec.fields.size(); ++i) {
        if (m_spec.fields[i].required && value(i).isEmpty()) {
            MessageBox::information(this, m_spec.message);
            return;
        }
    }
    if (m_spec.check) {
        const QString message = m_spec.check(*this);
        if (!message.isEmpty()) {
            MessageBox::information(this, message);
            return;
        }
    }
    Accepted = true;
    QDialog::accept();
}

void EntryDialog::reject()
{
    Accepted = false;
    QDialog::reject();
}

void EntryDialog::showEvent(QShowEvent* event)
{
    if (!m_context.appDir.isEmpty()) {
        m_form->gate(m_context.appDir, m_context.currentServerName);
        m_form->installTooltips(m_context.appDir);
    }
    QDialog::showEvent(event);
}

void EntryDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        event->accept();
        m_form->showHelpForFocus();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace corvane
