#pragma once
// What the user selected when an event is raised: scope items (in the tree or
// as rows of the result list) and result-list items. The pointers are valid
// for the duration of the event.
#include <QList>

namespace corvane {

class ResultItem;
class ResultView;
class ScopeItem;

struct Selection
{
    QList<ScopeItem*> scopeItems;
    QList<ResultItem*> listItems;
    ResultView* view = nullptr; // the result view shown when the event was raised

    bool isEmpty() const { return scopeItems.isEmpty() && listItems.isEmpty(); }
    bool isSingleScopeItem() const { return scopeItems.size() == 1 && listItems.isEmpty(); }
    bool isSingleListItem() const { return listItems.size() == 1 && scopeItems.isEmpty(); }
    ScopeItem* firstScopeItem() const { return scopeItems.isEmpty() ? nullptr : scopeItems.first(); }
    ResultItem* firstListItem() const { return listItems.isEmpty() ? nullptr : listItems.first(); }
};

} // namespace corvane
