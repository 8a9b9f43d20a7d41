#pragma once
// The interface a snap-in implements. The host raises these events on the
// main thread, one at a time; an exception escaping a handler is caught and
// dropped by the host. Every default does nothing.
#include <QString>

#include "host/ConsoleVerbs.h"
#include "host/Selection.h"

namespace corvane {

class ConsoleHost;
class ContextMenu;
class Controlbar;
class PropertySheet;
class ResultItem;
class ResultView;
class ScopeItem;

class SnapIn
{
public:
    virtual ~SnapIn();

    // The host this snap-in is attached to (set before SnapIn_Load).
    ConsoleHost& host() const { return *m_host; }
    bool hasHost() const { return m_host != nullptr; }

    virtual void SnapIn_Load() {}
    virtual void SnapIn_Unload() {}

    // First expansion of a scope item (or its first selection): add its children.
    virtual void ScopeItems_Expand(ScopeItem& item) { Q_UNUSED(item); }
    // The user renamed a node or a list item (only when the Rename verb is enabled).
    // The host shows the display name / text the snap-in leaves set.
    virtual void ScopeItems_Rename(ScopeItem& item, const QString& newName)
    {
        Q_UNUSED(item);
        Q_UNUSED(newName);
    }
    virtual void ResultViews_ItemRename(ResultView& view, ResultItem& item, const QString& newName)
    {
        Q_UNUSED(view);
        Q_UNUSED(item);
        Q_UNUSED(newName);
    }
    // A page of a sheet opened for this item sent PropertyChanged(data).
    virtual void ScopeItems_PropertyChanged(ScopeItem& item, const QString& data)
    {
        Q_UNUSED(item);
        Q_UNUSED(data);
    }
    // view may be a view of another scope item than the one shown; item is live.
    virtual void ResultViews_PropertyChanged(ResultView& view, ResultItem& item, const QString& data)
    {
        Q_UNUSED(view);
        Q_UNUSED(item);
        Q_UNUSED(data);
    }
    // F1 / Help with a scope item or a list item selected.
    virtual void ScopeItems_Help(ScopeItem& item) { Q_UNUSED(item); }
    virtual void ResultViews_Help(ResultView& view, ResultItem& item)
    {
        Q_UNUSED(view);
        Q_UNUSED(item);
    }
    // A result view is being displayed for view.scopeItem(): add its list items.
    virtual void ResultViews_Initialize(ResultView& view) { Q_UNUSED(view); }

    // Building the Action/context menu for a selection.
    virtual void Views_AddTopMenuItems(const Selection& selection, ContextMenu& menu)
    {
        Q_UNUSED(selection);
        Q_UNUSED(menu);
    }
    virtual void Views_AddNewMenuItems(const Selection& selection, ContextMenu& menu)
    {
        Q_UNUSED(selection);
        Q_UNUSED(menu);
    }
    // Properties: false shows no sheet.
    virtual bool Views_QueryPagesFor(const Selection& selection)
    {
        Q_UNUSED(selection);
        return false;
    }
    virtual void Views_CreatePropertyPages(const Selection& selection, PropertySheet& sheet)
    {
        Q_UNUSED(selection);
        Q_UNUSED(sheet);
    }
    // Selection changed; selected is false for the item being left. Verbs
    // start disabled; enable the ones that apply.
    virtual void Views_Select(const Selection& selection, bool selected, ConsoleVerbs& verbs)
    {
        Q_UNUSED(selection);
        Q_UNUSED(selected);
        Q_UNUSED(verbs);
    }
    virtual void Views_Refresh(const Selection& selection) { Q_UNUSED(selection); }
    virtual void Views_Delete(const Selection& selection) { Q_UNUSED(selection); }
    // Once when the snap-in is attached: attach toolbars (controlbar.attach(name)).
    virtual void Views_SetControlbar(Controlbar& controlbar) { Q_UNUSED(controlbar); }
    // After every selection change: set the toolbar buttons' enabled state.
    virtual void Views_UpdateControlbar(const Selection& selection, Controlbar& controlbar)
    {
        Q_UNUSED(selection);
        Q_UNUSED(controlbar);
    }
    virtual void Toolbar_ButtonClick(const QString& toolbar, const QString& button,
                                     const Selection& selection)
    {
        Q_UNUSED(toolbar);
        Q_UNUSED(button);
        Q_UNUSED(selection);
    }
    // A menu item added by Views_AddTopMenuItems / Views_AddNewMenuItems was chosen.
    virtual void MenuItem_Click(const QString& item, int index, const Selection& selection)
    {
        Q_UNUSED(item);
        Q_UNUSED(index);
        Q_UNUSED(selection);
    }

private:
    friend class ConsoleHost;
    ConsoleHost* m_host = nullptr;
};

} // namespace corvane
