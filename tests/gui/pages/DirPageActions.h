#pragma once
// Small drivers for the directory and documents page tests: a control's state
// as one text, and edits written as "control=value" / "click:button" /
// "select:list=row text" so data tables can list them.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

namespace corvane::test {

inline QString controlState(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        QStringList s;
        for (int i = 0; i < l->count(); ++i)
            if (l->item(i)->isSelected())
                s << l->item(i)->text();
        return s.join(' ');
    }
    if (auto* t = qobject_cast<QTreeWidget*>(w)) {
        QStringList s;
        for (int i = 0; i < t->topLevelItemCount(); ++i)
            s << t->topLevelItem(i)->text(t->columnCount() - 1);
        return s.join('|');
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->isChecked() ? "checked" : "unchecked";
    return "?";
}

inline bool selectRow(QTreeWidget* list, const QString& text)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (item->text(list->columnCount() - 1) == text) {
            list->clearSelection();
            list->setCurrentItem(item);
            item->setSelected(true);
            return true;
        }
    }
    return false;
}

// Returns false when the control is missing or the value cannot be set.
inline bool applyAction(QWidget* root, const QString& action)
{
    if (action.startsWith("click:")) {
        auto* b = root->findChild<QAbstractButton*>(action.mid(6));
        if (!b)
            return false;
        b->click();
        return true;
    }
    if (action.startsWith("select:")) {
        const QString rest = action.mid(7);
        const int eq = rest.indexOf('=');
        auto* list = root->findChild<QTreeWidget*>(rest.left(eq));
        return list && selectRow(list, rest.mid(eq + 1));
    }
    const int eq = action.indexOf('=');
    const QString name = action.left(eq);
    const QString value = action.mid(eq + 1);
    QWidget* w = root->findChild<QWidget*>(name);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(value);
        return true;
    }
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        const int i = c->findText(value, Qt::MatchFixedString);
        if (c->isEditable()) {
            if (i >= 0)
                c->setCurrentIndex(i);
            c->setEditText(value);
            return true;
        }
        c->setCurrentIndex(i);
        return i >= 0 || value.isEmpty();
    }
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        const QStringList wanted = value.split(' ', Qt::SkipEmptyParts);
        for (int i = 0; i < l->count(); ++i)
            l->item(i)->setSelected(wanted.contains(l->item(i)->text()));
        return true;
    }
    return false;
}

} // namespace corvane::test
