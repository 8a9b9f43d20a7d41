#include "host/ContextMenu.h"

namespace corvane {

int ContextMenu::addItem(const QString& name, const QString& caption, bool enabled, const QString& statusText)
{
    m_items.append(Item{name, caption, enabled, statusText});
    return int(m_items.size()) - 1;
}

bool ContextMenu::setEnabled(const QString& name, bool enabled)
{
    for (Item& item : m_items) {
        if (item.name == name) {
            item.enabled = enabled;
            return true;
        }
    }
    return false;
}

const ContextMenu::Item* ContextMenu::find(const QString& name) const
{
    for (const Item& item : m_items)
        if (item.name == name)
            return &item;
    return nullptr;
}

} // namespace corvane
