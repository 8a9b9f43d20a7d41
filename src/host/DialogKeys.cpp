#include "host/DialogKeys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>

namespace corvane {

namespace {

constexpr const char* kKeepsEnter = "keepsEnter";

// Controls whose children take the focus on their behalf.
bool isCompound(const QWidget* w)
{
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QTabBar*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w);
}

bool insideCompound(const QWidget* w, const QWidget* root)
{
    for (const QWidget* p = w->parentWidget(); p && p != root; p = p->parentWidget())
        if (isCompound(p))
            return true;
    return false;
}

bool isMultiLineOrList(const QWidget* w)
{
    return qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w);
}

bool isReadOnly(const QWidget* w)
{
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->isReadOnly();
    if (auto* e = qobject_cast<const QTextEdit*>(w))
        return e->isReadOnly();
    if (auto* e = qobject_cast<const QPlainTextEdit*>(w))
        return e->isReadOnly();
    if (auto* e = qobject_cast<const QAbstractSpinBox*>(w))
        return e->isReadOnly();
    return false;
}

bool isField(const QWidget* w)
{
    if (qobject_cast<const QTabBar*>(w))
        return false;
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->isCheckable() && !qobject_cast<const QPushButton*>(w);
    return !isReadOnly(w);
}

// The widget of `chain` that holds the focus widget `focus` (itself or a parent).
int indexOfFocus(const QList<QWidget*>& chain, QWidget* focus)
{
    for (QWidget* w = focus; w; w = w->parentWidget())
        if (const int i = int(chain.indexOf(w)); i >= 0)
            return i;
    return -1;
}

} // namespace

QList<QWidget*> DialogKeys::tabChain(QWidget* root, const QList<QAbstractButton*>& buttons)
{
    QList<QWidget*> chain;
    if (!root)
        return chain;
    // Qt's focus chain holds the widgets of the window in creation order.
    for (QWidget* w = root->nextInFocusChain(); w && w != root; w = w->nextInFocusChain()) {
        if (!root->isAncestorOf(w) || !(w->focusPolicy() & Qt::TabFocus) || insideCompound(w, root))
            continue;
        if (qobject_cast<QTabWidget*>(w))
            continue; // its tab bar stands for it

        if (!chain.contains(w))
            chain.append(w);
    }
    for (QAbstractButton* b : buttons) {
        if (!b)
            continue;
        chain.removeAll(b);
        chain.append(b);
    }
    return chain;
}

QWidget* DialogKeys::firstField(QWidget* root)
{
    for (QWidget* w : tabChain(root, {}))
        if (w->isVisibleTo(root) && w->isEnabled() && isField(w))
            return w;
    return nullptr;
}

bool DialogKeys::focusFirstField(QWidget* root)
{
    QWidget* field = firstField(root);
    if (!field)
        return false;
    field->setFocus(Qt::TabFocusReason);
    return true;
}

bool DialogKeys::focusNext(QWidget* root, const QList<QAbstractButton*>& buttons, bool next)
{
    const QList<QWidget*> chain = tabChain(root, buttons);
    if (chain.isEmpty())
        return false;
    const int n = int(chain.size());
    int at = indexOfFocus(chain, root->focusWidget());
    if (at < 0)
        at = next ? -1 : n;
    for (int step = 1; step <= n; ++step) {
        QWidget* w = chain[((at + (next ? step : -step)) % n + n) % n];
        if (w->isVisible() && w->isEnabled()) {
            w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

bool DialogKeys::enterPressesOk(QWidget* root, QKeyEvent* event, QAbstractButton* ok)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    QWidget* focus = root->focusWidget();
    if (qobject_cast<QPushButton*>(focus))
        return false; // a focused button presses itself
    for (QWidget* w = focus; w && w != root; w = w->parentWidget()) {
        if (keepsEnter(w)) {
            event->accept();
            return true;
        }
    }
    event->accept();
    if (ok && ok->isEnabled() && ok->isVisible())
        ok->click();
    return true;
}

void DialogKeys::setKeepsEnter(QWidget* field, bool keeps)
{
    if (field)
        field->setProperty(kKeepsEnter, keeps);
}

bool DialogKeys::keepsEnter(const QWidget* field)
{
    if (!field)
        return false;
    const QVariant marked = field->property(kKeepsEnter);
    if (marked.isValid())
        return marked.toBool();
    return isMultiLineOrList(field);
}

} // namespace corvane
