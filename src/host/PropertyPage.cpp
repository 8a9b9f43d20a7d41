#include "host/PropertyPage.h"

#include <QApplication>
#include <QKeyEvent>

#include "host/PropertySheet.h"

namespace corvane {

PropertyPage::PropertyPage(QWidget* parent) : QWidget(parent) {}

PropertyPage::~PropertyPage() = default;

SelectedItem PropertyPage::selectedControl() const
{
    return m_sheet ? m_sheet->selectedControl() : SelectedItem{};
}

QList<SelectedItem> PropertyPage::selectedControls() const
{
    if (!m_sheet || m_sheet->selectedControl().kind == SelectedItem::Kind::None)
        return {};
    return {m_sheet->selectedControl()};
}

PageContext& PropertyPage::context()
{
    return m_sheet ? m_sheet->context() : m_detachedContext;
}

void PropertyPage::propertyChanged(const QString& data)
{
    if (m_sheet && m_sheet->onPropertyChanged)
        m_sheet->onPropertyChanged(m_sheet->selectedControl(), data);
}

void PropertyPage::showHelpContext(int contextId)
{
    if (m_sheet && m_sheet->onHelpContext)
        m_sheet->onHelpContext(contextId);
}

void PropertyPage::setChanged(bool changed)
{
    m_changed = changed;
    emit this->changed();
}

void PropertyPage::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_F1) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // The focused control's help context, else the nearest parent's inside this page.
    // The window's focus widget, which is kept even while the window is not active.
    for (QWidget* w = window()->focusWidget(); w; w = w->parentWidget()) {
        bool ok = false;
        const int id = w->property("helpContextId").toInt(&ok);
        if (ok && id > 0) {
            showHelpContext(id);
            return;
        }
        if (w == this)
            break;
    }
    IMMCPropertyPage_Help();
}

} // namespace corvane
