#include "catalogue/XMLDirectives.h"

namespace corvane {

const xmldirective* XMLDirectives::Item(int index) const
{
    if (index < 1 || index > Count())
        return nullptr;
    return &m_items[static_cast<size_t>(index - 1)];
}

bool XMLDirectives::Remove(int index)
{
    if (index < 1 || index > Count())
        return false;
    m_items.erase(m_items.begin() + (index - 1));
    return true;
}

} // namespace corvane
