#include "forms/EntryDialog.h"

#include "host/FileDialog.h"
#include "host/MessageBox.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane {

namespace {

// The option buttons of an Options field live in a widget of their own.
QList<QRadioButton*> optionButtons(QWidget* field)
{
    return field ? field->findChildren<QRadioButton*>() : QList<QRadioButton*>();
}

} // namespace

EntryDialog::EntryDialog(const EntrySpec& entry, const PageContext& context, QWidget* parent)
    : FormDialog(entry.objectName, entry.caption, entry.helpContextId, parent), m_spec(entry)
{
    setContext(context);
    auto* form = new QFormLayout;
    for (int index = 0; index < entry.fields.size(); ++index) {
        const EntryField& f = entry.fields[index];
        QWidget* w = nullptr;
        QWidget* row = nullptr;
        switch (f.kind) {
        case EntryField::Text:
        case EntryField::File: {
            auto* e = new QLineEdit(this);
            connect(e, &QLineEdit::textChanged, this, [this, index] { fieldEdited(index); });
            w = e;
            if (f.kind == EntryField::File) {
                row = new QWidget(this);
                auto* h = new QHBoxLayout(row);
                h->setContentsMargins(0, 0, 0, 0);
                e->setParent(row);
                h->addWidget(e, 1);
                auto* browse = new QPushButton(QStringLiteral("Browse..."), row);
                browse->setObjectName(f.browseName.isEmpty() ? f.objectName + QStringLiteral("Browse")
                                                             : f.browseName);
                h->addWidget(browse);
                addBrowseButton(browse, e);
                connect(browse, &QPushButton::clicked, this, [this, e] {
                    const QString name = FileDialog::getOpenFileName(this, QStringLiteral("Open"));
                    if (!name.isEmpty())
                        e->setText(name);
                });
            }
            break;
        }
        case EntryField::Combo:
        case EntryField::EditableCombo: {
            auto* c = new QComboBox(this);
            c->setEditable(f.kind == EntryField::EditableCombo);
            c->addItems(f.fill ? f.fill() : f.entries);
            c->setCurrentIndex(-1);
            connect(c, &QComboBox::currentTextChanged, this, [this, index] { fieldEdited(index); });
            w = c;
            break;
        }
        case EntryField::Options: {
            w = new QWidget(this);
            auto* h = new QHBoxLayout(w);
            h->setContentsMargins(0, 0, 0, 0);
            auto* group = new QButtonGroup(w);
            const QStringList entries = f.fill ? f.fill() : f.entries;
            for (int i = 0; i < entries.size(); ++i) {
                auto* b = new QRadioButton(entries[i], w);
                b->setObjectName(f.objectName + QString::number(i));
                group->addButton(b);
                h->addWidget(b);
                connect(b, &QRadioButton::toggled, this, [this, index](bool on) {
                    if (on)
                        fieldEdited(index);
                });
            }
            h->addStretch(1);
            break;
        }
        }
        w->setObjectName(f.objectName);
        w->setMinimumWidth(260);
        auto* label = new QLabel(f.label, this);
        label->setBuddy(w);
        form->addRow(label, row ? row : w);
        m_fields << w;
        m_labels << label;
    }
    body()->addLayout(form);
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
    for (QRadioButton* b : optionButtons(w))
        if (b->isChecked())
            return b->text();
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
    } else {
        for (QRadioButton* b : optionButtons(w))
            if (b->text().compare(text, Qt::CaseInsensitive) == 0)
                b->setChecked(true);
    }
}

void EntryDialog::setLabel(int index, const QString& text)
{
    if (index >= 0 && index < m_labels.size())
        m_labels[index]->setText(text);
}

void EntryDialog::setEntries(int index, const QStringList& entries)
{
    if (auto* c = qobject_cast<QComboBox*>(field(index))) {
        const QString text = c->currentText();
        c->clear();
        c->addItems(entries);
        c->setCurrentIndex(-1);
        if (!text.isEmpty())
            setValue(index, text);
    }
}

void EntryDialog::fieldEdited(int index)
{
    if (m_spec.fieldChanged)
        m_spec.fieldChanged(*this, index);
}

bool EntryDialog::acceptInput()
{
    for (int i = 0; i < m_spec.fields.size(); ++i) {
        if (m_spec.fields[i].required && value(i).isEmpty()) {
            MessageBox::information(this, m_spec.message);
            return false;
        }
    }
    if (m_spec.check) {
        const QString message = m_spec.check(*this);
        if (!message.isEmpty()) {
            MessageBox::information(this, message);
            return false;
        }
    }
    return true;
}

} // namespace corvane
