#include "forms/FormDialog.h"

#include "host/DialogKeys.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

namespace corvane {

struct FormDialog::OpenedState
{
    // Guarded: a control may go away while the dialog is open.
    struct Combo
    {
        QPointer<QComboBox> combo;
        QStringList items;
        int index;
        QString text;
    };
    struct Tree
    {
        QPointer<QTreeWidget> tree;
        std::vector<std::unique_ptr<QTreeWidgetItem>> rows;
        int current;
    };
    struct List
    {
        QPointer<QListWidget> list;
        QStringList items;
        QList<int> selected;
    };
    std::vector<std::pair<QPointer<QLineEdit>, QString>> texts;
    std::vector<Combo> combos;
    std::vector<std::pair<QPointer<QAbstractButton>, bool>> buttons;
    std::vector<Tree> trees;
    std::vector<List> lists;
};

FormDialog::FormDialog(const QString& objectName, const QString& caption, int helpContextId, QWidget* parent)
    : QDialog(parent), m_form(new FormSupport(this))
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    if (helpContextId > 0)
        FormSupport::setHelpContext(this, helpContextId);
    auto* layout = new QVBoxLayout(this);
    m_body = new QVBoxLayout;
    layout->addLayout(m_body, 1);
    m_buttons = new QDialogButtonBox(this);
    m_cmdOK = m_buttons->addButton(QDialogButtonBox::Ok);
    m_cmdCancel = m_buttons->addButton(QDialogButtonBox::Cancel);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &FormDialog::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &FormDialog::reject);
    layout->addWidget(m_buttons);
}

FormDialog::~FormDialog() = default;

void FormDialog::setContext(const PageContext& context)
{
    m_context = context;
    contextChanged();
}

void FormDialog::gateControls()
{
    m_form->setLocalServer(m_context.isLocalServer);
    if (m_context.appDir.isEmpty())
        return;
    m_form->gate(m_context.appDir, m_context.currentServerName, m_nodeContext, m_context.checksumShown.get());
}

void FormDialog::accept()
{
    if (!acceptInput())
        return;
    Accepted = true;
    QDialog::accept();
}

void FormDialog::reject()
{
    Accepted = false;
    if (m_restoresOnCancel)
        restoreState();
    QDialog::reject();
}

void FormDialog::captureState()
{
    auto state = std::make_unique<OpenedState>();
    for (QLineEdit* e : findChildren<QLineEdit*>()) {
        if (qobject_cast<QComboBox*>(e->parentWidget()))
            continue; // an editable combo box's own line
        state->texts.emplace_back(e, e->text());
    }
    for (QComboBox* c : findChildren<QComboBox*>()) {
        QStringList items;
        for (int i = 0; i < c->count(); ++i)
            items << c->itemText(i);
        state->combos.push_back({c, items, c->currentIndex(), c->currentText()});
    }
    for (QAbstractButton* b : findChildren<QAbstractButton*>())
        if (b->isCheckable())
            state->buttons.emplace_back(b, b->isChecked());
    for (QTreeWidget* t : findChildren<QTreeWidget*>()) {
        OpenedState::Tree tree{t, {}, t->indexOfTopLevelItem(t->currentItem())};
        for (int i = 0; i < t->topLevelItemCount(); ++i)
            tree.rows.emplace_back(t->topLevelItem(i)->clone());
        state->trees.push_back(std::move(tree));
    }
    for (QListWidget* l : findChildren<QListWidget*>()) {
        OpenedState::List list{l, {}, {}};
        for (int i = 0; i < l->count(); ++i) {
            list.items << l->item(i)->text();
            if (l->item(i)->isSelected())
                list.selected << i;
        }
        state->lists.push_back(std::move(list));
    }
    m_opened = std::move(state);
}

void FormDialog::restoreState()
{
    if (!m_opened)
        return;
    for (const auto& [edit, text] : m_opened->texts)
        if (edit)
            edit->setText(text);
    for (const OpenedState::Combo& c : m_opened->combos) {
        if (!c.combo)
            continue;
        c.combo->clear();
        c.combo->addItems(c.items);
        c.combo->setCurrentIndex(c.index);
        if (c.combo->isEditable())
            c.combo->setEditText(c.text);
    }
    for (const OpenedState::Tree& t : m_opened->trees) {
        if (!t.tree)
            continue;
        t.tree->clear();
        for (const auto& row : t.rows)
            t.tree->addTopLevelItem(row->clone());
        if (t.current >= 0 && t.current < t.tree->topLevelItemCount())
            t.tree->setCurrentItem(t.tree->topLevelItem(t.current));
    }
    for (const OpenedState::List& l : m_opened->lists) {
        if (!l.list)
            continue;
        l.list->clear();
        l.list->addItems(l.items);
        for (int i : l.selected)
            l.list->item(i)->setSelected(true);
    }
    // Option and check buttons last: their handlers enable what goes with them.
    for (const auto& [button, checked] : m_opened->buttons)
        if (button)
            button->setChecked(checked);
}

void FormDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        gateControls();
        if (!m_context.appDir.isEmpty())
            m_form->installTooltips(m_context.appDir);
        Accepted = false;
        captureState();
    }
    QDialog::showEvent(event);
    // After gating: a field switched off for this server is passed over.
    if (!event->spontaneous())
        DialogKeys::focusFirstField(this);
}

QList<QAbstractButton*> FormDialog::closingButtons() const
{
    return {m_cmdOK, m_cmdCancel};
}

bool FormDialog::focusNextPrevChild(bool next)
{
    return DialogKeys::focusNext(this, closingButtons(), next);
}

void FormDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        event->accept();
        m_form->showHelpForFocus();
        return;
    }
    if (DialogKeys::enterPressesOk(this, event, m_cmdOK))
        return;
    QDialog::keyPressEvent(event);
}

} // namespace corvane
