#pragma once
// The result pane of one selected scope item: the item's children (by their
// row texts) followed by the list items the snap-in adds in
// ResultViews_Initialize. A new ResultView is made every time the view is
// displayed (selection or ConsoleHost::redisplayResultView).
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "host/ResultItem.h"

namespace corvane {

class ScopeItem;

class ResultView
{
public:
    explicit ResultView(ScopeItem* scopeItem);
    ~ResultView();
    ResultView(const ResultView&) = delete;
    ResultView& operator=(const ResultView&) = delete;

    ScopeItem* scopeItem() const { return m_scopeItem; }
    QString viewName() const { return m_viewName; }
    void setViewName(const QString& name) { m_viewName = name; }

    // Adds a list item; nullptr when a list item with this key already exists.
    ResultItem* addListItem(const QString& key, const QString& text, int icon = 0);
    ResultItem* findListItem(const QString& key) const;
    int listItemCount() const { return int(m_items.size()); }
    ResultItem* listItem(int index) const;
    int indexOf(const ResultItem* item) const;
    // Removes one list item, or all of them; gone at once.
    void removeListItem(ResultItem* item);
    void clearListItems();

    // The host listens here to keep the list widget in step.
    std::function<void()> onAboutToChange;
    std::function<void()> onChanged;
    std::function<void(int)> onItemChanged;

private:
    friend class ResultItem;
    void itemChanged(const ResultItem* item);

    ScopeItem* m_scopeItem;
    QString m_viewName;
    std::vector<std::unique_ptr<ResultItem>> m_items;
};

} // namespace corvane
