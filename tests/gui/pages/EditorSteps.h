#pragma once
// Drives editor dialogs from data tables. A script is a list of steps run on
// the widget that is active:
//   "open:<dialog>:<button>"  clicks the button; the steps that follow run in
//                             the dialog it opens, up to its "close:..."
//   "close:ok|cancel|apply"   OK, Cancel, or Apply then Cancel
//   "<control>=<value>"       types into a text box or chooses in a combo box
//                             (as the administrator does: the edit signals fire)
//   "click:<button>"          clicks a button, check box or option button
//   "select:<list>=<text>"    selects the row whose first column is the text
//   "tab:<tabs>=<index>"      shows a tab
//   "cell:<list>=<text>"      types the text into the selected row (in place)
//   "answer:yes|no"           the answer to the next question
//   "picture:<name>"          saves the active dialog as <name>.png
//   "key:F1"                  presses F1 in the active dialog
//   "check:<control>=<state>" fails unless the control shows that state
//                             ("enabled", "disabled", a text, a row count "#3")
#include "PageFixture.h"

#include "host/MessageBox.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

namespace corvane::test {

class EditorSteps
{
public:
    EditorSteps(PageFixture& fx, QStringList steps) : m_fx(fx), m_steps(std::move(steps)) {}

    // Runs every step from `root`; returns the failures ("" when none).
    QString run(QWidget* root)
    {
        runIn(root);
        if (m_index < m_steps.size())
            m_failures << "steps left from " + m_steps[m_index];
        return m_failures.join("; ");
    }

private:
    void fail(const QString& what) { m_failures << what; }

    void runIn(QWidget* w)
    {
        while (m_index < m_steps.size()) {
            const QString step = m_steps[m_index++];
            if (step.startsWith("close:")) {
                close(w, step.mid(6));
                return;
            }
            if (step.startsWith("open:")) {
                const QStringList p = step.split(':');
                auto* button = w->findChild<QAbstractButton*>(p.value(2));
                if (!button || !button->isEnabled()) {
                    fail(step + ": no enabled button");
                    return;
                }
                const int before = m_fx.answered();
                m_fx.whenShown(p.value(1), [this](QDialog* d) { runIn(d); });
                button->click();
                if (m_fx.answered() == before)
                    fail(step + ": did not open");
                continue;
            }
            if (!act(w, step))
                fail(step);
        }
    }

    void close(QWidget* w, const QString& how)
    {
        auto* apply = w->findChild<QPushButton*>("cmdApply");
        if (how == "apply") {
            if (!apply || !apply->isEnabled())
                fail("apply: disabled");
            else
                apply->click();
        }
        auto* button = w->findChild<QPushButton*>(how == "ok" ? "cmdOK" : "cmdCancel");
        if (!button) {
            fail("close: no button");
            return;
        }
        button->click();
        // A dialog that stays open (a refused entry) is closed for it.
        if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) {
            fail("close:" + how + ": still open (" + MessageBox::lastText() + ")");
            d->reject();
        }
    }

    static QTreeWidgetItem* rowOf(QTreeWidget* list, const QString& text)
    {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0) == text)
                return list->topLevelItem(i);
        return nullptr;
    }

    bool act(QWidget* w, const QString& step)
    {
        if (step == "key:F1") {
            QTest::keyClick(w, Qt::Key_F1);
            return true;
        }
        if (step.startsWith("picture:"))
            return PageFixture::screenshot(w, step.mid(8));
        if (step.startsWith("answer:")) {
            MessageBox::setNextAnswer(step.mid(7) == "yes" ? QMessageBox::Yes : QMessageBox::No);
            return true;
        }
        const int colon = step.indexOf(':');
        const int eq = step.indexOf('=');
        const bool verb = colon > 0 && (eq < 0 || colon < eq);
        const QString kind = verb ? step.left(colon) : QString();
        const QString rest = verb ? step.mid(colon + 1) : step;
        const int sep = rest.indexOf('=');
        const QString name = sep < 0 ? rest : rest.left(sep);
        const QString value = sep < 0 ? QString() : rest.mid(sep + 1);
        QWidget* control = w->findChild<QWidget*>(name);
        if (!control)
            return false;
        if (kind == "click") {
            auto* b = qobject_cast<QAbstractButton*>(control);
            if (!b || !b->isEnabled())
                return false;
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
            return true;
        }
        if (kind == "tab") {
            auto* t = qobject_cast<QTabWidget*>(control);
            return t && (t->setCurrentIndex(value.toInt()), true);
        }
        if (kind == "select" || kind == "cell") {
            auto* list = qobject_cast<QTreeWidget*>(control);
            if (!list)
                return false;
            if (kind == "cell") {
                QTreeWidgetItem* item = list->currentItem();
                if (!item)
                    return false;
                list->closePersistentEditor(item, 0);
                item->setText(0, value);
                return true;
            }
            QTreeWidgetItem* item = rowOf(list, value);
            if (!item)
                return false;
            list->clearSelection();
            list->setCurrentItem(item);
            item->setSelected(true);
            return true;
        }
        if (kind == "check") {
            if (value == "enabled" || value == "disabled")
                return control->isEnabled() == (value == "enabled");
            if (auto* list = qobject_cast<QTreeWidget*>(control); list && value.startsWith('#'))
                return list->topLevelItemCount() == value.mid(1).toInt();
            if (auto* e = qobject_cast<QLineEdit*>(control))
                return e->text() == value;
            if (auto* c = qobject_cast<QComboBox*>(control))
                return c->currentText() == value;
            if (auto* b = qobject_cast<QAbstractButton*>(control))
                return b->isChecked() == (value == "checked");
            return false;
        }
        if (!control->isEnabled())
            return false;
        if (auto* e = qobject_cast<QLineEdit*>(control)) {
            e->setFocus();
            e->selectAll();
            e->del();
            e->insert(value); // fires textEdited, as typing does
            return true;
        }
        if (auto* c = qobject_cast<QComboBox*>(control)) {
            const int i = c->findText(value, Qt::MatchFixedString);
            if (c->isEditable() && i < 0) {
                c->setEditText(value);
                return true;
            }
            if (i < 0 && !value.isEmpty())
                return false;
            c->setCurrentIndex(i);
            emit c->activated(i);
            return true;
        }
        return false;
    }

    PageFixture& m_fx;
    QStringList m_steps;
    int m_index = 0;
    QStringList m_failures;
};

} // namespace corvane::test
