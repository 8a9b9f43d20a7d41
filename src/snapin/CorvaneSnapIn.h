#pragma once
// The console's snap-in: the scope tree of the registered servers (server,
// Main Server, virtual hosts and nested Directory, Location and IfModule
// sections, <Files> sections in the result list), the context menus and the
// toolbar, the section commands, the choice of property pages per node and
// the refresh after a page applied its changes.
#include "host/PageContext.h"
#include "host/SnapIn.h"
#include "model/ConfigFile.h"
#include "registry/AppFolder.h"
#include "snapin/LoadedServers.h"
#include "snapin/PageDispatcher.h"
#include "snapin/ServerCommandHooks.h"

#include <QPointer>
#include <QString>

#include <memory>

namespace corvane {
class DirbaseParser;
class Servers;
} // namespace corvane

namespace corvane::snapin {

class FindDialog;
class NodeCommands;
class SourceView;
class SyntaxWatch;
class TreeBuilder;
struct SearchHit;

class CorvaneSnapIn : public SnapIn
{
public:
    explicit CorvaneSnapIn(const AppFolder& folder);
    explicit CorvaneSnapIn(const QString& appDir) : CorvaneSnapIn(AppFolder(appDir)) {}
    ~CorvaneSnapIn() override;

    // ---- host events ---------------------------------------------------
    void SnapIn_Load() override;
    void SnapIn_Unload() override;
    void ScopeItems_Expand(ScopeItem& item) override;
    void ScopeItems_Rename(ScopeItem& item, const QString& newName) override;
    void ResultViews_ItemRename(ResultView& view, ResultItem& item, const QString& newName) override;
    void ScopeItems_PropertyChanged(ScopeItem& item, const QString& data) override;
    void ResultViews_PropertyChanged(ResultView& view, ResultItem& item, const QString& data) override;
    void ScopeItems_Help(ScopeItem& item) override;
    void ResultViews_Help(ResultView& view, ResultItem& item) override;
    void ResultViews_Initialize(ResultView& view) override;
    void Views_AddTopMenuItems(const Selection& selection, ContextMenu& menu) override;
    void Views_AddNewMenuItems(const Selection& selection, ContextMenu& menu) override;
    bool Views_QueryPagesFor(const Selection& selection) override;
    void Views_CreatePropertyPages(const Selection& selection, PropertySheet& sheet) override;
    void Views_Select(const Selection& selection, bool selected, ConsoleVerbs& verbs) override;
    void Views_Refresh(const Selection& selection) override;
    void Views_Delete(const Selection& selection) override;
    void Views_SetControlbar(Controlbar& controlbar) override;
    void Views_UpdateControlbar(const Selection& selection, Controlbar& controlbar) override;
    void Toolbar_ButtonClick(const QString& toolbar, const QString& button,
                             const Selection& selection) override;
    void MenuItem_Click(const QString& item, int index, const Selection& selection) override;

    // ---- for the server commands and tests -------------------------------
    // Reloads the selected item's configuration from the snapshot and brings
    // its nodes up to date.
    void RefreshTree(const Selection& selection);
    // Loads one server and adds its node under the root; nullptr on failure.
    ScopeItem* LoadServer(const QString& path, const QString& serverName);
    // Loads every registered server; the number loaded.
    int LoadAllServers();
    // Removes every node and model and loads all servers again from the registry.
    void rebuildTree();
    // Reads the registry again: servers registered meanwhile (by corvanectl or
    // the first-start wizard) get their node, servers no longer registered
    // lose theirs; the other nodes stay as they are.
    void refreshServers();
    // Removes a server node, its model, its folders and its registry section.
    bool removeServer(ScopeItem& serverNode);
    // Find in the configuration of the server whose working copy is `configPath`.
    FindDialog* openFind(const QString& configPath);
    // Selects the node of a hit and shows its line in a source view.
    SourceView* showHit(const QString& configPath, const SearchHit& hit);
    // The working copy changed: its syntax is checked in the background
    // (when a checker is installed) and the verdict shown in the status bar.
    void workingCopyChanged(const QString& configPath);
    SyntaxWatch& syntaxWatch() { return *m_watch; }

    // The state published for the property pages (by the last selection).
    const PageContext& pageContext() const { return m_context; }
    // The pages a selection gets, only those with a registered factory.
    QList<PageSpec> pagesFor(const Selection& selection);

    ServerCommandHooks& serverCommands() { return m_hooks; }
    Servers& ServerRegistry();
    LoadedServers& configs() { return m_servers; }
    ConfigFile* CurrentConfig() const { return m_servers.CurrentConfig(); }
    const AppFolder& appFolder() const { return m_folder; }
    // The scope type of a live section of the current model, 10 otherwise.
    int GetSectionType(int number) const;

    static constexpr const char* kToolbarName = "tblNew";
    static constexpr const char* kMovedMessage =
        "Config file for the specified server has been moved/removed. Please restart the application";

private:
    void publishServer(const QString& configPath);
    bool isRemote(const QString& serverName);
    QString serverNameOf(const QString& configPath) const;
    void refreshServer(QString path); // by value: the item it came from may be removed
    void disconnect(ScopeItem& item);
    void runGetOrSynchronize(ScopeItem& item, bool get);
    void about();
    void viewSource(const ScopeItem& item);
    // The marks of the file these lines come from against its fetched copy.
    QByteArray changedLinesOf(const QString& configPath, const std::vector<ConfigFile::SourceLine>& lines);

    AppFolder m_folder;
    std::unique_ptr<Servers> m_registry;
    LoadedServers m_servers;
    std::unique_ptr<TreeBuilder> m_builder;
    std::unique_ptr<NodeCommands> m_commands;
    std::unique_ptr<DirbaseParser> m_catalogue;
    PageContext m_context;
    ServerCommandHooks m_hooks;
    std::unique_ptr<SyntaxWatch> m_watch;
    QPointer<FindDialog> m_find;
    QPointer<SourceView> m_hitView;
};

} // namespace corvane::snapin

namespace corvane {
using snapin::CorvaneSnapIn;
}
