#include "host/ScopeItem.h"

#include "host/ScopeTreeModel.h"

namespace corvane {

ScopeItem::ScopeItem(ScopeTreeModel* owner, ScopeItem* parent, QString nodeType, QString key)
    : m_owner(owner), m_parent(parent), m_nodeType(std::move(nodeType)), m_key(std::move(key))
{
}

ScopeItem::~ScopeItem() = default;

void ScopeItem::changed()
{
    if (m_owner)
        m_owner->itemChanged(*this);
}

void ScopeItem::setDisplayName(const QString& name)
{
    m_displayName = name;
    changed();
}

void ScopeItem::setToolTip(const QString& text)
{
    if (m_toolTip == text)
        return;
    m_toolTip = text;
    changed();
}

void ScopeItem::setItemName(const QString& name)
{
    m_itemName = name;
}

void ScopeItem::setTag(const QVariant& tag)
{
    m_tag = tag;
}

void ScopeItem::setColumnHeader(int index, const QString& text, int width)
{
    m_columns.insert(index, ColumnHeader{text, width});
    changed();
}

void ScopeItem::clearColumnHeaders()
{
    m_columns.clear();
    changed();
}

void ScopeItem::setRowText(int index, const QString& text)
{
    m_rowTexts.insert(index, text);
    changed();
}

ScopeItem* ScopeItem::child(int row) const
{
    if (row < 0 || row >= childCount())
        return nullptr;
    return m_children[std::size_t(row)].get();
}

int ScopeItem::row() const
{
    if (!m_parent)
        return 0;
    const auto& siblings = m_parent->m_children;
    // Views ask for rows constantly; remember the last answer so large
    // sibling lists are not searched every time.
    if (m_rowHint >= 0 && std::size_t(m_rowHint) < siblings.size() &&
        siblings[std::size_t(m_rowHint)].get() == this)
        return m_rowHint;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == this) {
            m_rowHint = int(i);
            return m_rowHint;
        }
    }
    return -1;
}

} // namespace corvane
