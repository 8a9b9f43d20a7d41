#include "host/ConsoleHost.h"

#include <QApplication>
#include <QStyle>
#include <QtDebug>
#include <algorithm>
#include <exception>

#include "host/HelpTopics.h"
#include "host/HelpViewer.h"
#include "host/PropertySheet.h"
#include "host/ResultListModel.h"
#include "host/ScopeTreeModel.h"
#include "host/SnapIn.h"

namespace corvane {

namespace {
bool isInside(const ScopeItem* candidate, const ScopeItem& subtree)
{
    for (const ScopeItem* p = candidate; p; p = p->parent())
        if (p == &subtree)
            return true;
    return false;
}

// Style icons are looked up in the icon theme on every call: keep them.
QIcon standardIcon(QStyle::StandardPixmap pixmap)
{
    static QHash<int, QIcon> cache;
    auto it = cache.constFind(int(pixmap));
    if (it != cache.constEnd())
        return *it;
    QIcon icon = QApplication::style() ? QApplication::style()->standardIcon(pixmap) : QIcon();
    cache.insert(int(pixmap), icon);
    return icon;
}
} // namespace

// Every event goes through here: one at a time from the snap-in's point of
// view, exceptions stopped at the border, deferred work done when the
// outermost event has returned.
template <typename F> void ConsoleHost::raise(F&& event)
{
    if (!m_snapIn)
        return;
    ++m_eventDepth;
    try {
        event(*m_snapIn);
    } catch (const std::exception& e) {
        qWarning("Corvane: an event handler failed: %s", e.what());
    } catch (...) {
        qWarning("Corvane: an event handler failed");
    }
    --m_eventDepth;
    if (m_eventDepth == 0)
        settle();
}

ConsoleHost::ConsoleHost(QObject* parent)
    : QObject(parent), m_scopeModel(new ScopeTreeModel(this)), m_resultModel(new ResultListModel(this))
{
    auto iconFor = [this](const ScopeItem& item) -> QIcon {
        if (const NodeType* type = nodeType(item.nodeType()); type && !type->icon.isNull())
            return type->icon;
        return standardIcon(item.isRoot() ? QStyle::SP_ComputerIcon : QStyle::SP_DirIcon);
    };
    m_scopeModel->iconFor = iconFor;
    m_resultModel->scopeIcon = iconFor;
    m_resultModel->listIcon = [](int icon) -> QIcon {
        return icon > 0 ? standardIcon(QStyle::SP_FileIcon) : QIcon();
    };
    m_scopeModel->onAboutToRemove = [this](ScopeItem& item) { aboutToRemove(item); };
    m_scopeModel->isEditable = [this](const ScopeItem& item) {
        return m_verbs.isEnabled(Verb::Rename) && !m_selectedList && !m_selectedScopeRow &&
               &item == m_selectedScope;
    };
    m_scopeModel->onRename = [this](ScopeItem& item, const QString& name) {
        if (&item == m_selectedScope && !m_selectedList && !m_selectedScopeRow)
            rename(name);
    };
    m_resultModel->isEditable = [this](int row) {
        if (!m_verbs.isEnabled(Verb::Rename))
            return false;
        return (m_selectedList && m_resultModel->rowOf(m_selectedList) == row) ||
               (m_selectedScopeRow && m_resultModel->rowOf(m_selectedScopeRow) == row);
    };
    m_resultModel->onRename = [this](int row, const QString& name) {
        if ((m_selectedList && m_resultModel->rowOf(m_selectedList) == row) ||
            (m_selectedScopeRow && m_resultModel->rowOf(m_selectedScopeRow) == row))
            rename(name);
    };

    // Keep the result list in step with the children of the item it shows.
    auto showsChildrenOf = [this](const QModelIndex& parent) {
        return m_view && m_view->scopeItem() && m_scopeModel->itemFromIndex(parent) == m_view->scopeItem();
    };
    connect(m_scopeModel, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [=, this](const QModelIndex& parent) {
                if (showsChildrenOf(parent))
                    m_resultModel->beginChange();
            });
    connect(m_scopeModel, &QAbstractItemModel::rowsInserted, this, [=, this](const QModelIndex& parent) {
        if (showsChildrenOf(parent))
            m_resultModel->endChange();
    });
    connect(m_scopeModel, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [=, this](const QModelIndex& parent) {
                if (showsChildrenOf(parent))
                    m_resultModel->beginChange();
            });
    connect(m_scopeModel, &QAbstractItemModel::rowsRemoved, this, [=, this](const QModelIndex& parent) {
        if (showsChildrenOf(parent))
            m_resultModel->endChange();
    });
    connect(m_scopeModel, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& topLeft) {
        ScopeItem* item = m_scopeModel->itemFromIndex(topLeft);
        if (!item || !m_view || !m_view->scopeItem())
            return;
        if (item->parent() == m_view->scopeItem())
            m_resultModel->rowChanged(m_resultModel->rowOf(item));
    });
}

ConsoleHost::~ConsoleHost()
{
    detachSnapIn();
    delete m_sheet.data();
    delete m_helpViewer.data();
}

void ConsoleHost::attachSnapIn(SnapIn* snapIn)
{
    if (m_snapIn == snapIn)
        return;
    detachSnapIn();
    if (!snapIn)
        return;
    m_snapIn = snapIn;
    snapIn->m_host = this;
    raise([](SnapIn& s) { s.SnapIn_Load(); });
    raise([this](SnapIn& s) { s.Views_SetControlbar(m_controlbar); });
}

void ConsoleHost::detachSnapIn()
{
    if (!m_snapIn)
        return;
    delete m_sheet.data();
    raise([](SnapIn& s) { s.SnapIn_Unload(); });
    m_resultModel->setView(nullptr, {});
    m_view.reset();
    m_selectedScope = nullptr;
    m_selectedList = nullptr;
    m_selectedScopeRow = nullptr;
    m_pendingReselect = m_pendingRedisplay = false;
    m_snapIn->m_host = nullptr;
    m_snapIn = nullptr;
    m_scopeModel->removeChildren(m_scopeModel->root());
    m_scopeModel->flush();
    m_verbs.reset();
    emit resultViewChanged();
    emit selectionChanged();
    emit verbsChanged();
}

// ---- operations -----------------------------------------------------------

ScopeItem& ConsoleHost::root()
{
    return m_scopeModel->root();
}

void ConsoleHost::registerNodeType(const NodeType& type)
{
    m_nodeTypes.insert(type.name, type);
    if (type.name == m_scopeModel->root().nodeType() && !type.defaultDisplayName.isEmpty())
        m_scopeModel->root().setDisplayName(type.defaultDisplayName);
}

const NodeType* ConsoleHost::nodeType(const QString& name) const
{
    auto it = m_nodeTypes.constFind(name);
    return it == m_nodeTypes.constEnd() ? nullptr : &*it;
}

ScopeItem* ConsoleHost::addScopeItem(ScopeItem& parent, const QString& nodeType, const QString& key)
{
    ScopeItem* item = m_scopeModel->add(parent, nodeType, key);
    if (!item)
        return nullptr;
    if (const NodeType* type = this->nodeType(nodeType))
        item->setDisplayName(type->defaultDisplayName);
    if (m_eventDepth == 0)
        settle();
    return item;
}

ScopeItem* ConsoleHost::findScopeItem(const QString& key) const
{
    return m_scopeModel->find(key);
}

bool ConsoleHost::contains(const ScopeItem* item) const
{
    return m_scopeModel->contains(item);
}

void ConsoleHost::removeChildren(ScopeItem& item)
{
    if (!contains(&item))
        return;
    m_scopeModel->removeChildren(item);
    if (m_eventDepth == 0)
        settle();
}

void ConsoleHost::removeScopeItem(ScopeItem& item)
{
    if (!contains(&item) || item.isRoot())
        return;
    m_scopeModel->remove(item);
    if (m_eventDepth == 0)
        settle();
}

void ConsoleHost::aboutToRemove(ScopeItem& item)
{
    if (m_selectedScopeRow && isInside(m_selectedScopeRow, item)) {
        m_selectedScopeRow = nullptr;
        m_pendingReselect = true;
    }
    if (m_view && m_view->scopeItem() && isInside(m_view->scopeItem(), item)) {
        m_resultModel->setView(nullptr, {});
        m_selectedList = nullptr;
        m_view.reset();
        emit resultViewChanged();
    }
    if (m_selectedScope && isInside(m_selectedScope, item)) {
        m_selectedScope = item.parent();
        m_pendingReselect = true;
    }
}

void ConsoleHost::redisplayResultView()
{
    m_pendingRedisplay = true;
    if (m_eventDepth == 0)
        settle();
}

void ConsoleHost::settle()
{
    if (m_settling)
        return;
    m_settling = true;
    m_scopeModel->flush();
    // A handler may remove the selected item or redisplay the view again; a
    // few rounds are plenty, more would mean a snap-in that never settles.
    for (int round = 0; round < 8 && (m_pendingReselect || m_pendingRedisplay); ++round) {
        const bool hadListSelection = m_selectedList != nullptr || m_selectedScopeRow != nullptr;
        const bool reselect = m_pendingReselect || hadListSelection;
        m_pendingReselect = m_pendingRedisplay = false;
        if (m_selectedScope && !m_selectedScope->hasBeenExpanded())
            expand(*m_selectedScope);
        showResultView(m_selectedScope);
        if (reselect) {
            raiseSelect(true);
            emit selectionChanged();
        }
        m_scopeModel->flush();
    }
    m_settling = false;
}

QList<ColumnHeader> ConsoleHost::columnsFor(const ScopeItem& item) const
{
    QList<ColumnHeader> defaults;
    if (const NodeType* type = nodeType(item.nodeType()))
        defaults = type->columns;
    if (item.columnHeaders().isEmpty())
        return defaults;
    QList<ColumnHeader> columns;
    for (auto it = item.columnHeaders().cbegin(); it != item.columnHeaders().cend(); ++it) {
        ColumnHeader column = it.value();
        const int position = int(columns.size());
        if (column.width < 0 && position < defaults.size())
            column.width = defaults[position].width;
        columns.append(column);
    }
    return columns;
}

void ConsoleHost::showResultView(ScopeItem* item)
{
    m_selectedList = nullptr;
    m_selectedScopeRow = nullptr;
    m_resultModel->setView(nullptr, {});
    m_view.reset();
    if (!item || !contains(item)) {
        emit resultViewChanged();
        return;
    }
    m_view = std::make_unique<ResultView>(item);
    ResultView* view = m_view.get();
    if (const NodeType* type = nodeType(item->nodeType()))
        view->setViewName(type->viewName);
    raise([view](SnapIn& s) { s.ResultViews_Initialize(*view); });
    if (m_view.get() != view)
        return; // replaced or dropped while it initialised
    view->onAboutToChange = [this] { m_resultModel->beginChange(); };
    view->onChanged = [this] { m_resultModel->endChange(); };
    view->onItemChanged = [this](int index) {
        m_resultModel->rowChanged(m_resultModel->scopeRowCount() + index);
    };
    m_resultModel->setView(view, columnsFor(*item));
    emit resultViewChanged();
}

// ---- help -------------------------------------------------------------------

HelpViewer* ConsoleHost::helpViewer()
{
    if (!m_helpViewer)
        m_helpViewer = new HelpViewer(m_dialogParent);
    return m_helpViewer;
}

HelpViewer* ConsoleHost::existingHelpViewer() const
{
    return m_helpViewer;
}

PropertySheet* ConsoleHost::openSheet() const
{
    return m_sheet;
}

bool ConsoleHost::showHelpTopic(const QString& topic)
{
    return helpViewer()->showTopic(topic);
}

bool ConsoleHost::showHelpContext(int contextId)
{
    return helpViewer()->showContext(contextId);
}

// ---- state --------------------------------------------------------------------

Selection ConsoleHost::currentSelection() const
{
    Selection selection;
    selection.view = m_view.get();
    if (m_selectedList)
        selection.listItems.append(m_selectedList);
    else if (m_selectedScopeRow)
        selection.scopeItems.append(m_selectedScopeRow);
    else if (m_selectedScope)
        selection.scopeItems.append(m_selectedScope);
    return selection;
}

void ConsoleHost::raiseSelect(bool selected)
{
    const Selection selection = currentSelection();
    if (selection.isEmpty())
        return;
    if (!selected) {
        ConsoleVerbs ignored;
        raise([&](SnapIn& s) { s.Views_Select(selection, false, ignored); });
        return;
    }
    ConsoleVerbs verbs;
    raise([&](SnapIn& s) { s.Views_Select(selection, true, verbs); });
    m_verbs = verbs;
    const Selection now = currentSelection();
    raise([&](SnapIn& s) { s.Views_UpdateControlbar(now, m_controlbar); });
    emit verbsChanged();
}

// ---- what the user does ----------------------------------------------------

void ConsoleHost::expand(ScopeItem& item)
{
    if (!contains(&item) || item.hasBeenExpanded())
        return;
    m_scopeModel->markExpanded(item);
    raise([&item](SnapIn& s) { s.ScopeItems_Expand(item); });
    if (m_eventDepth == 0)
        settle();
}

void ConsoleHost::selectScopeItem(ScopeItem* item)
{
    if (item && !contains(item))
        return;
    if (item == m_selectedScope && !m_selectedList && !m_selectedScopeRow && (m_view || !item))
        return;
    raiseSelect(false);
    m_selectedScope = item;
    m_selectedList = nullptr;
    m_selectedScopeRow = nullptr;
    if (item) {
        // The result pane lists the children: they must exist first.
        expand(*item);
        if (!contains(m_selectedScope))
            return; // settle() moved the selection already
    }
    showResultView(m_selectedScope);
    if (m_selectedScope) {
        raiseSelect(true);
    } else {
        m_verbs.reset();
        emit verbsChanged();
    }
    emit selectionChanged();
}

void ConsoleHost::selectResultRow(int row)
{
    ScopeItem* scope = m_resultModel->scopeItemAt(row);
    ResultItem* list = m_resultModel->listItemAt(row);
    if (scope == m_selectedScopeRow && list == m_selectedList)
        return;
    raiseSelect(false);
    m_selectedScopeRow = scope;
    m_selectedList = list;
    raiseSelect(true);
    emit selectionChanged();
}

void ConsoleHost::buildMenu(ContextMenu& top, ContextMenu& newMenu)
{
    const Selection selection = currentSelection();
    if (selection.isEmpty())
        return;
    raise([&](SnapIn& s) { s.Views_AddTopMenuItems(selection, top); });
    const Selection again = currentSelection();
    if (again.isEmpty())
        return;
    raise([&](SnapIn& s) { s.Views_AddNewMenuItems(again, newMenu); });
}

void ConsoleHost::clickMenuItem(const QString& name, int index)
{
    const Selection selection = currentSelection();
    raise([&](SnapIn& s) { s.MenuItem_Click(name, index, selection); });
}

void ConsoleHost::clickToolbarButton(const QString& toolbar, const QString& button)
{
    Toolbar* tb = m_controlbar.toolbar(toolbar);
    if (!tb || !tb->isButtonEnabled(button))
        return;
    const Selection selection = currentSelection();
    raise([&](SnapIn& s) { s.Toolbar_ButtonClick(toolbar, button, selection); });
}

namespace {
SelectedItem describe(const Selection& selection)
{
    SelectedItem item;
    if (ResultItem* list = selection.firstListItem()) {
        item.kind = SelectedItem::Kind::ListItem;
        item.key = list->key();
        item.displayName = list->text();
        item.itemName = list->itemName();
        item.tag = list->tag();
    } else if (ScopeItem* scope = selection.firstScopeItem()) {
        item.kind = SelectedItem::Kind::ScopeItem;
        item.key = scope->key();
        item.nodeType = scope->nodeType();
        item.displayName = scope->displayName();
        item.itemName = scope->itemName();
        item.tag = scope->tag();
    }
    return item;
}
} // namespace

PropertySheet* ConsoleHost::properties()
{
    if (!m_verbs.isEnabled(Verb::Properties))
        return nullptr;
    if (m_sheet) {
        m_sheet->raise();
        m_sheet->activateWindow();
        return m_sheet;
    }
    Selection selection = currentSelection();
    if (selection.isEmpty())
        return nullptr;
    bool wanted = false;
    raise([&](SnapIn& s) { wanted = s.Views_QueryPagesFor(selection); });
    selection = currentSelection();
    if (!wanted || selection.isEmpty())
        return nullptr;

    auto* sheet = new PropertySheet(describe(selection), &m_pageFactory, m_dialogParent);
    sheet->onPropertyChanged = [this](const SelectedItem& item, const QString& data) {
        deliverPropertyChanged(item, data);
    };
    sheet->onHelpContext = [this](int id) { showHelpContext(id); };
    raise([&](SnapIn& s) { s.Views_CreatePropertyPages(selection, *sheet); });
    if (sheet->pageCount() == 0) {
        delete sheet;
        return nullptr;
    }
    m_sheet = sheet;
    sheet->start();
    sheet->open();
    emit sheetOpened(sheet);
    return sheet;
}

void ConsoleHost::deliverPropertyChanged(const SelectedItem& item, const QString& data)
{
    if (item.isScopeItem()) {
        ScopeItem* scope = item.key.isEmpty() ? &root() : findScopeItem(item.key);
        if (scope)
            raise([&](SnapIn& s) { s.ScopeItems_PropertyChanged(*scope, data); });
    } else if (item.isListItem() && m_view) {
        // List items live as long as the view that shows them.
        if (ResultItem* list = m_view->findListItem(item.key)) {
            ResultView* view = m_view.get();
            raise([&](SnapIn& s) { s.ResultViews_PropertyChanged(*view, *list, data); });
        }
    }
}

void ConsoleHost::deleteSelection()
{
    if (!m_verbs.isEnabled(Verb::Delete))
        return;
    const Selection selection = currentSelection();
    raise([&](SnapIn& s) { s.Views_Delete(selection); });
}

void ConsoleHost::refresh()
{
    if (!m_verbs.isEnabled(Verb::Refresh))
        return;
    const Selection selection = currentSelection();
    raise([&](SnapIn& s) { s.Views_Refresh(selection); });
}

bool ConsoleHost::rename(const QString& newName)
{
    if (!m_verbs.isEnabled(Verb::Rename))
        return false;
    const Selection selection = currentSelection();
    if (ResultItem* list = selection.firstListItem()) {
        ResultView* view = m_view.get();
        raise([&](SnapIn& s) { s.ResultViews_ItemRename(*view, *list, newName); });
        return true;
    }
    if (ScopeItem* scope = selection.firstScopeItem()) {
        raise([&](SnapIn& s) { s.ScopeItems_Rename(*scope, newName); });
        return true;
    }
    return false;
}

void ConsoleHost::help()
{
    const Selection selection = currentSelection();
    if (ResultItem* list = selection.firstListItem()) {
        ResultView* view = m_view.get();
        raise([&](SnapIn& s) { s.ResultViews_Help(*view, *list); });
    } else if (ScopeItem* scope = selection.firstScopeItem()) {
        raise([&](SnapIn& s) { s.ScopeItems_Help(*scope); });
    } else {
        showHelpTopic(QString::fromLatin1(HelpTopics::overviewTopic()));
    }
}

void ConsoleHost::setStatusIndicator(const QString& text, const QString& details, const QString& toolTip)
{
    m_statusText = text;
    m_statusDetails = details;
    m_statusToolTip = toolTip;
    emit statusIndicatorChanged();
}

} // namespace corvane
