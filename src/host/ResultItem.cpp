#include "host/ResultItem.h"

#include "host/ResultView.h"

namespace corvane {

ResultItem::ResultItem(ResultView* view, QString key, QString text, int icon)
    : m_view(view), m_key(std::move(key)), m_text(std::move(text)), m_icon(icon)
{
}

void ResultItem::changed()
{
    if (m_view)
        m_view->itemChanged(this);
}

void ResultItem::setText(const QString& text)
{
    m_text = text;
    changed();
}

void ResultItem::setIcon(int icon)
{
    m_icon = icon;
    changed();
}

void ResultItem::setTag(const QVariant& tag)
{
    m_tag = tag;
}

void ResultItem::setItemName(const QString& name)
{
    m_itemName = name;
}

void ResultItem::setRowText(int index, const QString& text)
{
    m_rowTexts.insert(index, text);
    changed();
}

QString ResultItem::rowText(int index) const
{
    auto it = m_rowTexts.constFind(index);
    if (it != m_rowTexts.constEnd())
        return *it;
    return index == 1 ? m_text : QString();
}

} // namespace corvane
