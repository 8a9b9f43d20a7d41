#include "host/ResultView.h"

namespace corvane {

ResultView::ResultView(ScopeItem* scopeItem) : m_scopeItem(scopeItem) {}

ResultView::~ResultView() = default;

ResultItem* ResultView::addListItem(const QString& key, const QString& text, int icon)
{
    if (findListItem(key))
        return nullptr;
    if (onAboutToChange)
        onAboutToChange();
    m_items.emplace_back(new ResultItem(this, key, text, icon));
    ResultItem* item = m_items.back().get();
    if (onChanged)
        onChanged();
    return item;
}

ResultItem* ResultView::findListItem(const QString& key) const
{
    if (key.isEmpty())
        return nullptr;
    for (const auto& item : m_items)
        if (item->key() == key)
            return item.get();
    return nullptr;
}

ResultItem* ResultView::listItem(int index) const
{
    if (index < 0 || index >= listItemCount())
        return nullptr;
    return m_items[std::size_t(index)].get();
}

int ResultView::indexOf(const ResultItem* item) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == item)
            return int(i);
    return -1;
}

void ResultView::removeListItem(ResultItem* item)
{
    const int i = indexOf(item);
    if (i < 0)
        return;
    if (onAboutToChange)
        onAboutToChange();
    m_items.erase(m_items.begin() + i);
    if (onChanged)
        onChanged();
}

void ResultView::clearListItems()
{
    if (m_items.empty())
        return;
    if (onAboutToChange)
        onAboutToChange();
    m_items.clear();
    if (onChanged)
        onChanged();
}

void ResultView::itemChanged(const ResultItem* item)
{
    if (onItemChanged)
        onItemChanged(indexOf(item));
}

} // namespace corvane
