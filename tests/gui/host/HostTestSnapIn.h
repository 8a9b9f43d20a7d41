#pragma once
// A snap-in of the tests' own that builds a small tree and records every
// event it receives, so the host's behaviour can be checked from outside.
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

#include "host/ConsoleHost.h"
#include "host/PropertyPage.h"
#include "host/SnapIn.h"

class QLineEdit;

namespace hosttest {

// Tags by depth, as the console uses them: -2 server, -1 main server, >0 sections.
constexpr int kServerTag = -2;
constexpr int kMainTag = -1;

class HostTestSnapIn : public corvane::SnapIn
{
public:
    QStringList events;
    int childrenPerExpand = 3;
    int maxDepth = 4;     // root is depth 0
    int filesPerView = 0; // list items added for views of nodes with a positive tag
    bool queryPages = true;
    QStringList pages;                                 // class names added by Views_CreatePropertyPages
    QStringList captions;                              // captions for them ("" = the page's own)
    std::function<void(corvane::ScopeItem&)> onExpand; // replaces the default children

    corvane::ScopeItem* addChild(corvane::ScopeItem& parent, const QString& name);
    static int depthOf(const corvane::ScopeItem& item);

    void SnapIn_Load() override;
    void SnapIn_Unload() override { events << "Unload"; }
    void ScopeItems_Expand(corvane::ScopeItem& item) override;
    void ScopeItems_Rename(corvane::ScopeItem& item, const QString& newName) override;
    void ResultViews_ItemRename(corvane::ResultView& view, corvane::ResultItem& item,
                                const QString& newName) override;
    void ScopeItems_PropertyChanged(corvane::ScopeItem& item, const QString& data) override;
    void ResultViews_PropertyChanged(corvane::ResultView& view, corvane::ResultItem& item,
                                     const QString& data) override;
    void ScopeItems_Help(corvane::ScopeItem& item) override;
    void ResultViews_Help(corvane::ResultView& view, corvane::ResultItem& item) override;
    void ResultViews_Initialize(corvane::ResultView& view) override;
    void Views_AddTopMenuItems(const corvane::Selection& selection, corvane::ContextMenu& menu) override;
    void Views_AddNewMenuItems(const corvane::Selection& selection, corvane::ContextMenu& menu) override;
    bool Views_QueryPagesFor(const corvane::Selection& selection) override;
    void Views_CreatePropertyPages(const corvane::Selection& selection,
                                   corvane::PropertySheet& sheet) override;
    void Views_Select(const corvane::Selection& selection, bool selected,
                      corvane::ConsoleVerbs& verbs) override;
    void Views_Refresh(const corvane::Selection& selection) override;
    void Views_Delete(const corvane::Selection& selection) override;
    void Views_SetControlbar(corvane::Controlbar& controlbar) override;
    void Views_UpdateControlbar(const corvane::Selection& selection,
                                corvane::Controlbar& controlbar) override;
    void Toolbar_ButtonClick(const QString& toolbar, const QString& button,
                             const corvane::Selection& selection) override;
    void MenuItem_Click(const QString& item, int index, const corvane::Selection& selection) override;

    // Events whose text starts with prefix.
    QStringList eventsStartingWith(const QString& prefix) const;

private:
    int m_counter = 0;
    int m_fileCounter = 0;
    QStringList m_extraFiles; // added by "mnuFile", listed in every view of a section
};

// A page that logs its life cycle into a shared log as "<name>:<event>".
class RecordingPage : public corvane::PropertyPage
{
    Q_OBJECT
public:
    RecordingPage(const QString& name, QStringList* log);

    bool vetoCancel = false;
    bool notifyOnApply = true; // sends "RefreshTreeView" when applied
    QLineEdit* edit() const { return m_edit; }

    void PropertyPage_Initialize() override { record("Initialize"); }
    void PropertyPage_SelectionChanged() override;
    void PropertyPage_ApplyChanges() override;
    void PropertyPage_Terminate() override { record("Terminate"); }
    void IMMCPropertyPage_Help() override { record("Help"); }
    bool IMMCPropertyPage_QueryCancel() override
    {
        record("QueryCancel");
        return !vetoCancel;
    }
    void IMMCPropertyPage_Cancel() override { record("Cancel"); }
    void IMMCPropertyPage_Close() override { record("Close"); }

private:
    void record(const QString& event);
    QString m_name;
    QStringList* m_log;
    QLineEdit* m_edit;
};

// Registers ppgAlpha, ppgBeta, ppgGamma (RecordingPage) logging into log.
void registerRecordingPages(corvane::ConsoleHost& host, QStringList* log);

// Per-test application folder and test mode, as every test needs.
struct TestEnvironment
{
    TestEnvironment();
    QTemporaryDir appDir;
};

} // namespace hosttest
