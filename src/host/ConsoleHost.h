#pragma once
// The console host: owns the scope tree, the current result view, verbs,
// toolbars, property sheets and the help viewer, raises the SnapIn events and
// carries out the operations the snap-in asks for. ConsoleWindow is the
// widget front end; tests may drive the host directly or through the window.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "host/ConsoleVerbs.h"
#include "host/ContextMenu.h"
#include "host/NodeType.h"
#include "host/PageFactory.h"
#include "host/ResultView.h"
#include "host/ScopeItem.h"
#include "host/SelectedItem.h"
#include "host/Selection.h"
#include "host/Toolbar.h"

class QWidget;

namespace corvane {

class HelpViewer;
class PropertySheet;
class ResultListModel;
class ScopeTreeModel;
class SnapIn;

class ConsoleHost : public QObject
{
    Q_OBJECT
public:
    explicit ConsoleHost(QObject* parent = nullptr);
    ~ConsoleHost() override;

    // Attaches the snap-in (not owned) and raises SnapIn_Load, then Views_SetControlbar.
    void attachSnapIn(SnapIn* snapIn);
    // Raises SnapIn_Unload and removes every item; called by the destructor too.
    void detachSnapIn();
    SnapIn* snapIn() const { return m_snapIn; }

    // Parent for dialogs, message boxes and the sheet (the main window).
    void setDialogParent(QWidget* parent) { m_dialogParent = parent; }
    QWidget* dialogParent() const { return m_dialogParent; }

    // ---- operations for the snap-in ------------------------------------
    // The static root node: node type "Corvane", display name "Corvane", item name "Static Node".
    ScopeItem& root();
    void registerNodeType(const NodeType& type);
    const NodeType* nodeType(const QString& name) const;

    // Appends a child; it exists at once. nullptr when the key is already used
    // (keys are unique in the whole tree) or the parent is not in the tree.
    ScopeItem* addScopeItem(ScopeItem& parent, const QString& nodeType, const QString& key);
    ScopeItem* findScopeItem(const QString& key) const;
    bool contains(const ScopeItem* item) const;
    // Gone at once (the selection moves to the parent when it was inside).
    void removeChildren(ScopeItem& item);
    void removeScopeItem(ScopeItem& item); // not the root

    // The result view now displayed (nullptr when nothing is selected).
    ResultView* currentResultView() const { return m_view.get(); }
    // Displays the current scope item's result view anew (ResultViews_Initialize runs again).
    void redisplayResultView();

    // Help: a topic name ("Corvane.chm::/Overview\Dirbase-OverView1.htm", "node/server", ...)
    // or a page help context number. False when no page answers.
    bool showHelpTopic(const QString& topic);
    bool showHelpContext(int contextId);
    void setHelpFile(const QString& path) { m_helpFile = path; }
    QString helpFile() const { return m_helpFile; }
    HelpViewer* helpViewer(); // created on first use
    HelpViewer* existingHelpViewer() const;

    // A short state the window shows in its status bar (cmdStatusIndicator)
    // until the next one: `text`, `toolTip` beside it, and on a click
    // `details` (frmStatusDetails). An empty text hides it.
    void setStatusIndicator(const QString& text, const QString& details = {}, const QString& toolTip = {});
    const QString& statusIndicatorText() const { return m_statusText; }
    const QString& statusIndicatorDetails() const { return m_statusDetails; }
    const QString& statusIndicatorToolTip() const { return m_statusToolTip; }

    Controlbar& controlbar() { return m_controlbar; }
    PageFactory& pageFactory() { return m_pageFactory; }

    // ---- state ----------------------------------------------------------
    ScopeItem* selectedScopeItem() const { return m_selectedScope; }
    ResultItem* selectedListItem() const { return m_selectedList; }
    Selection currentSelection() const;
    const ConsoleVerbs& verbs() const { return m_verbs; }
    ScopeTreeModel* scopeModel() const { return m_scopeModel; }
    ResultListModel* resultModel() const { return m_resultModel; }
    PropertySheet* openSheet() const;
    // True while an event is being raised or its deferred work done: views
    // must not turn their own index changes into new selections then.
    bool isBusy() const { return m_eventDepth > 0 || m_settling; }

    // ---- what the user does (the window and tests call these) ------------
    // Raises ScopeItems_Expand the first time; returns once the children exist.
    void expand(ScopeItem& item);
    // Selects a scope node: expands it once, shows its result view, raises Views_Select.
    void selectScopeItem(ScopeItem* item);
    // Selects a row of the result list (a child node or a list item); -1 clears.
    void selectResultRow(int row);
    // The menu for the current selection (top items and the "New" submenu).
    void buildMenu(ContextMenu& top, ContextMenu& newMenu);
    void clickMenuItem(const QString& name, int index);
    void clickToolbarButton(const QString& toolbar, const QString& button);
    bool isVerbEnabled(Verb verb) const { return m_verbs.isEnabled(verb); }
    // Properties: asks Views_QueryPagesFor, builds and opens the sheet; returns it or nullptr.
    PropertySheet* properties();
    void deleteSelection();
    void refresh();
    // Rename of the selected scope node or list item (only when the Rename verb is enabled).
    bool rename(const QString& newName);
    // F1 / Help on the selection: ScopeItems_Help / ResultViews_Help, or the overview topic.
    void help();

signals:
    void selectionChanged();
    void resultViewChanged();
    void verbsChanged();
    void sheetOpened(corvane::PropertySheet* sheet);
    void statusIndicatorChanged();

private:
    template <typename F> void raise(F&& event);
    void deliverPropertyChanged(const SelectedItem& item, const QString& data);
    void rebuildResultView();
    void updateSelection(ScopeItem* scope, ResultItem* list);
    void aboutToRemove(ScopeItem& item);
    // Runs what was deferred until the outermost event returned: announcing
    // new children to the views, a moved selection, a redisplayed result view.
    void settle();
    void showResultView(ScopeItem* item);
    QList<ColumnHeader> columnsFor(const ScopeItem& item) const;
    void raiseSelect(bool selected);

    SnapIn* m_snapIn = nullptr;
    QWidget* m_dialogParent = nullptr;
    ScopeTreeModel* m_scopeModel;
    ResultListModel* m_resultModel;
    QHash<QString, NodeType> m_nodeTypes;
    std::unique_ptr<ResultView> m_view;
    ScopeItem* m_selectedScope = nullptr;
    ResultItem* m_selectedList = nullptr;
    ScopeItem* m_selectedScopeRow = nullptr; // a child node selected in the result list
    ConsoleVerbs m_verbs;
    Controlbar m_controlbar;
    PageFactory m_pageFactory;
    QPointer<PropertySheet> m_sheet;
    QPointer<HelpViewer> m_helpViewer;
    QString m_helpFile;
    QString m_statusText;
    QString m_statusDetails;
    QString m_statusToolTip;
    int m_eventDepth = 0;
    bool m_settling = false;
    bool m_pendingReselect = false;
    bool m_pendingRedisplay = false;
};

} // namespace corvane
