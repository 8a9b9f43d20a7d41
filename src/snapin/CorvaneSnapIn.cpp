#include "snapin/CorvaneSnapIn.h"

#include "catalogue/DirbaseParser.h"
#include "host/ConsoleHost.h"
#include "host/ContextMenu.h"
#include "host/HelpTopics.h"
#include "host/MessageBox.h"
#include "host/PropertySheet.h"
#include "host/ResultItem.h"
#include "host/ResultListModel.h"
#include "host/ResultView.h"
#include "host/ScopeItem.h"
#include "host/SelectedItem.h"
#include "host/Toolbar.h"
#include "model/ConfigFile.h"
#include "model/EditSession.h"
#include "model/ModelProcedures.h"
#include "registry/RegistryKeys.h"
#include "registry/RegistryProcedures.h"
#include "registry/Servers.h"
#include "snapin/ConfigSearch.h"
#include "snapin/FindDialog.h"
#include "snapin/NodeCommands.h"
#include "snapin/NodeText.h"
#include "snapin/ScopeScanner.h"
#include "snapin/SectionTypes.h"
#include "snapin/SourceView.h"
#include "snapin/SyntaxWatch.h"
#include "snapin/TreeBuilder.h"

#include <QCoreApplication>

#include <QFileInfo>
#include <QTimer>
#include <algorithm>

namespace corvane::snapin {

namespace {

// Menu item names (the QAction objectNames) and captions.
const QString mnuConnect = QStringLiteral("mnuConnect");
const QString mnuGetConfig = QStringLiteral("mnuGetConfig");
const QString mnuSynchronize = QStringLiteral("mnuSynchronize");
const QString mnuDisConnect = QStringLiteral("mnuDisConnect");
const QString mnuAboutC = QStringLiteral("mnuAboutC");
const QString mnuVHost = QStringLiteral("mnuVHost");
const QString mnuDirectory = QStringLiteral("mnuDirectory");
const QString mnuFile = QStringLiteral("mnuFile");
const QString mnuLocation = QStringLiteral("mnuLocation");
const QString mnuIfModule = QStringLiteral("mnuIfModule");
const QString mnuViewSource = QStringLiteral("mnuViewSource");
const QString mnuShowChanges = QStringLiteral("mnuShowChanges");
const QString mnuRevertChanges = QStringLiteral("mnuRevertChanges");
const QString mnuFind = QStringLiteral("mnuFind");
const QString kFindButton = QStringLiteral("Find");

SelectedItem selectedItemOf(const ScopeItem& item)
{
    SelectedItem s;
    s.kind = SelectedItem::Kind::ScopeItem;
    s.key = item.key();
    s.nodeType = item.nodeType();
    s.displayName = item.displayName();
    s.itemName = item.itemName();
    s.tag = item.tag();
    return s;
}

bool isRootItem(const ScopeItem& item)
{
    return item.isRoot() || item.itemName() == QLatin1String("Static Node");
}

} // namespace

CorvaneSnapIn::CorvaneSnapIn(const AppFolder& folder)
    : m_folder(folder), m_servers(folder.path().toStdString()), m_watch(std::make_unique<SyntaxWatch>())
{
    m_context.appDir = folder.path();
    QObject::connect(m_watch.get(), &SyntaxWatch::started, m_watch.get(), [this](const QString& server) {
        if (hasHost())
            host().setStatusIndicator(SyntaxWatch::checkingText(), {},
                                      QStringLiteral("Checking the syntax of %1").arg(server));
    });
    QObject::connect(
        m_watch.get(), &SyntaxWatch::finished, m_watch.get(),
        [this](const QString& server, const SyntaxVerdict& verdict) {
            if (hasHost())
                host().setStatusIndicator(
                    SyntaxWatch::statusText(verdict), verdict.output,
                    QStringLiteral("Syntax check of %1: click for the checker's output").arg(server));
        });
}

CorvaneSnapIn::~CorvaneSnapIn()
{
    // The dialogs call back into the snap-in; they go with it.
    delete m_find.data();
    delete m_hitView.data();
}

Servers& CorvaneSnapIn::ServerRegistry()
{
    if (!m_registry)
        m_registry = std::make_unique<Servers>(m_folder);
    return *m_registry;
}

QString CorvaneSnapIn::serverNameOf(const QString& configPath) const
{
    return QString::fromStdString(
        GetServerNameFromConfigPath(m_folder.path().toStdString(), configPath.toStdString()));
}

bool CorvaneSnapIn::isRemote(const QString& serverName)
{
    return ServerRegistry().IsRemoteServer(trimBlanks(serverName).toStdString());
}

int CorvaneSnapIn::GetSectionType(int number) const
{
    const ConfigFile* config = m_servers.CurrentConfig();
    return config ? ScopeScanner::sectionType(*config, number) : kScopeNone;
}

// ---- loading ----------------------------------------------------------------

void CorvaneSnapIn::SnapIn_Load()
{
    m_context.helpFilePath = m_folder.path() + QStringLiteral("/Corvane.chm");
    m_context.cataloguePath = m_folder.cataloguePath();
    m_context.isLocalServer = true;
    host().setHelpFile(m_context.helpFilePath);
    m_servers.clear();

    m_builder = std::make_unique<TreeBuilder>(host());
    m_builder->registerNodeTypes();
    m_builder->setMainFileName([this](const QString& configPath) {
        return QString::fromStdString(
            ReadIniValue(serverNameOf(configPath).toStdString(), registry::MAIN_FILE, m_folder.iniPath()));
    });
    m_commands = std::make_unique<NodeCommands>(host(), m_servers, *m_builder);
    m_commands->setOnWritten(
        [this](const ConfigFile& config) { workingCopyChanged(QString::fromStdString(config.FileName())); });

    try {
        m_catalogue = std::make_unique<DirbaseParser>(m_folder.path().toStdString());
    } catch (const std::exception&) {
        m_catalogue.reset();
    }

    if (!HasServerSections(m_folder) && m_hooks.offerFirstConnection)
        m_hooks.offerFirstConnection();
}

void CorvaneSnapIn::SnapIn_Unload()
{
    m_servers.clear();
    m_commands.reset();
    m_builder.reset();
}

ScopeItem* CorvaneSnapIn::LoadServer(const QString& path, const QString& serverName)
{
    if (!m_builder || !m_servers.LoadServer(path))
        return nullptr;
    return m_builder->AddServerNode(host().root(), path, serverName);
}

int CorvaneSnapIn::LoadAllServers()
{
    int loaded = 0;
    Servers& registry = ServerRegistry();
    for (int i = 1; i <= registry.ServerCount(); ++i) {
        const std::string name = TrimBlanks(registry.GetServer(std::to_string(i)));
        const QString path = m_folder.workingCopyPath(name);
        if (path.isEmpty())
            continue; // a name that cannot be a folder has no working copy
        if (LoadServer(path, QString::fromStdString(name)))
            ++loaded;
    }
    return loaded;
}

void CorvaneSnapIn::rebuildTree()
{
    host().removeChildren(host().root());
    m_servers.clear();
    ServerRegistry().FillServerListFromIni();
    if (ServerRegistry().ServerCount() > 0)
        LoadAllServers();
}

void CorvaneSnapIn::ScopeItems_Expand(ScopeItem& item)
{
    if (item.childCount() > 0)
        return; // built already
    if (isRootItem(item)) {
        ServerRegistry().FillServerListFromIni();
        if (ServerRegistry().ServerCount() > 0)
            LoadAllServers();
        return;
    }
    ConfigFile* config = m_servers.FindConfigFile(item.itemName());
    m_servers.setCurrentConfig(config);
    if (!config)
        return;
    if (item.nodeTag() == kServerTag)
        m_builder->AddMainServerNode(item, QString::fromStdString(config->FileName()), config);
    else if (item.nodeTag() == kMainServerTag)
        m_builder->ExpandMainServer(item, *config);
    else
        m_builder->ExpandSectionNode(item, *config);
}

void CorvaneSnapIn::ResultViews_Initialize(ResultView& view)
{
    ScopeItem* item = view.scopeItem();
    if (!item || !m_builder)
        return;
    if (item->nodeTag() != kMainServerTag && item->nodeTag() < 1)
        return;
    ConfigFile* config = m_servers.FindConfigFile(item->itemName());
    m_servers.setCurrentConfig(config);
    if (config)
        m_builder->FillFilesList(view, *config);
}

// ---- selection and pages ------------------------------------------------------

void CorvaneSnapIn::publishServer(const QString& configPath)
{
    m_context.currentServerName = serverNameOf(configPath);
    m_servers.setCurrentConfig(m_servers.FindConfigFile(configPath));
    m_context.isLocalServer = !isRemote(m_context.currentServerName);
}

void CorvaneSnapIn::Views_Select(const Selection& selection, bool selected, ConsoleVerbs& verbs)
{
    m_context.propertySheetItem.reset();
    if (!selected)
        return;
    if (selection.isSingleScopeItem()) {
        ScopeItem& item = *selection.firstScopeItem();
        m_context.propertySheetItem = selectedItemOf(item);
        if (isRootItem(item)) {
            verbs.setEnabled(Verb::Refresh, true); // reads the registry again
            return;
        }
        publishServer(item.itemName());
        const int tag = item.nodeTag();
        if (tag == kServerTag || tag == kMainServerTag) {
            verbs.setEnabled(Verb::Properties, true);
        } else if (tag >= 1) {
            const int type = GetSectionType(tag);
            if (isNodeSectionType(type)) {
                verbs.setEnabled(Verb::Properties, true);
                verbs.setEnabled(Verb::Delete, true);
                verbs.setEnabled(Verb::Refresh, true);
                // A virtual host keeps its address as its name.
                verbs.setEnabled(Verb::Rename, type != kScopeVirtualHost);
            } else if (type != kScopeNone) {
                // Every other section shows its directives; it is changed in place only.
                verbs.setEnabled(Verb::Properties, true);
                verbs.setEnabled(Verb::Refresh, true);
            }
        }
    } else if (selection.isSingleListItem()) {
        ResultItem& item = *selection.firstListItem();
        publishServer(item.itemName());
        if (item.nodeTag() >= 1 && GetSectionType(item.nodeTag()) == kScopeFiles) {
            verbs.setEnabled(Verb::Properties, true);
            verbs.setEnabled(Verb::Delete, true);
            verbs.setEnabled(Verb::Refresh, true);
            verbs.setEnabled(Verb::Rename, true);
        }
    }
}

QList<PageSpec> CorvaneSnapIn::pagesFor(const Selection& selection)
{
    QList<PageSpec> pages;
    if (selection.isSingleListItem()) {
        const ResultItem& item = *selection.firstListItem();
        if (item.nodeTag() < 1)
            return {};
        pages = PageDispatcher::pagesForFilesItem(item.nodeTag(), GetSectionType(item.nodeTag()));
    } else if (selection.isSingleScopeItem()) {
        const ScopeItem& item = *selection.firstScopeItem();
        if (isRootItem(item))
            return {};
        const QString server = serverNameOf(item.itemName());
        const bool windows = item.nodeTag() == kMainServerTag &&
                             PageDispatcher::isWindowsOsType(
                                 QString::fromStdString(GetServerOsType(m_folder, server.toStdString())));
        pages = PageDispatcher::pagesForNode(item.nodeTag(), GetSectionType(item.nodeTag()), windows);
    }
    QList<PageSpec> available;
    for (const PageSpec& page : pages) {
        if (host().pageFactory().contains(page.pageName))
            available.append(page);
    }
    return available;
}

bool CorvaneSnapIn::Views_QueryPagesFor(const Selection& selection)
{
    const ConfigFile* config = m_servers.CurrentConfig();
    if (config && !QFileInfo::exists(QString::fromStdString(config->FileName()))) {
        MessageBox::critical(host().dialogParent(), QString::fromLatin1(kMovedMessage));
        return false;
    }
    bool answer = false;
    if (selection.isSingleListItem()) {
        const ResultItem& item = *selection.firstListItem();
        answer = PageDispatcher::filesItemHasPages(item.nodeTag(), GetSectionType(item.nodeTag()));
    } else if (selection.isSingleScopeItem()) {
        const ScopeItem& item = *selection.firstScopeItem();
        answer =
            PageDispatcher::nodeHasPages(isRootItem(item), item.nodeTag(), GetSectionType(item.nodeTag()));
    }
    // A sheet without a single page would only show buttons.
    return answer && !pagesFor(selection).isEmpty();
}

void CorvaneSnapIn::Views_CreatePropertyPages(const Selection& selection, PropertySheet& sheet)
{
    QString path;
    if (selection.isSingleListItem())
        path = selection.firstListItem()->itemName();
    else if (selection.isSingleScopeItem() && !isRootItem(*selection.firstScopeItem()))
        path = selection.firstScopeItem()->itemName();
    if (path.isEmpty())
        return;
    m_context.currentServerName = serverNameOf(path);
    m_context.isLocalServer = !isRemote(m_context.currentServerName);
    sheet.context() = m_context;
    if (m_hooks.compiledInModules)
        sheet.context().compiledInModules = m_hooks.compiledInModules(m_context.currentServerName);
    for (const PageSpec& page : pagesFor(selection))
        sheet.addPage(page.pageName, page.caption);
}

// ---- refresh ------------------------------------------------------------------

void CorvaneSnapIn::refreshServer(QString path)
{
    if (trimBlanks(path).isEmpty())
        return;
    ConfigFile* config = m_servers.ReloadFromSnapshot(trimBlanks(path));
    if (!config || !m_builder)
        return;
    m_builder->syncServer(*config);

    // The Files list of the view shown is read anew; a selected Files item
    // stays selected while its section exists. The host rebuilds the view
    // once this event is over, so the item is selected again after that.
    ResultView* view = host().currentResultView();
    if (!view || !view->scopeItem())
        return;
    if (trimBlanks(view->scopeItem()->itemName()).toUpper() != trimBlanks(path).toUpper())
        return;
    ResultItem* selectedList = host().selectedListItem();
    const int selectedTag = selectedList ? selectedList->nodeTag() : 0;
    host().redisplayResultView();
    if (selectedTag < 1)
        return;
    ConsoleHost* console = &host();
    QTimer::singleShot(0, console, [console, selectedTag] {
        ResultView* fresh = console->currentResultView();
        if (!fresh || console->selectedListItem())
            return;
        for (int i = 0; i < fresh->listItemCount(); ++i) {
            if (fresh->listItem(i)->nodeTag() == selectedTag) {
                console->selectResultRow(console->resultModel()->rowOf(fresh->listItem(i)));
                return;
            }
        }
    });
}

void CorvaneSnapIn::ScopeItems_PropertyChanged(ScopeItem& item, const QString& data)
{
    if (isRootItem(item) || trimBlanks(data) != QLatin1String(kRefreshTreeView))
        return;
    const QString path = item.itemName();
    refreshServer(path);
    workingCopyChanged(path);
}

void CorvaneSnapIn::ResultViews_PropertyChanged(ResultView& view, ResultItem& item, const QString& data)
{
    Q_UNUSED(view);
    if (trimBlanks(data) != QLatin1String(kRefreshTreeView))
        return;
    const QString path = item.itemName();
    refreshServer(path);
    workingCopyChanged(path);
}

void CorvaneSnapIn::RefreshTree(const Selection& selection)
{
    QString path;
    if (selection.isSingleListItem()) {
        if (selection.firstListItem()->nodeTag() < 1)
            return;
        path = selection.firstListItem()->itemName();
    } else if (selection.isSingleScopeItem()) {
        if (selection.firstScopeItem()->nodeTag() < 1)
            return;
        path = selection.firstScopeItem()->itemName();
    }
    refreshServer(path);
}

void CorvaneSnapIn::Views_Refresh(const Selection& selection)
{
    if (selection.isSingleScopeItem() && isRootItem(*selection.firstScopeItem())) {
        refreshServers();
        return;
    }
    RefreshTree(selection);
}

void CorvaneSnapIn::refreshServers()
{
    if (!m_builder)
        return;
    Servers& registry = ServerRegistry();
    registry.FillServerListFromIni();
    QStringList registered;
    for (int i = 1; i <= registry.ServerCount(); ++i)
        registered << QString::fromStdString(TrimBlanks(registry.GetServer(std::to_string(i))));
    ScopeItem& root = host().root();
    if (!root.hasBeenExpanded() && root.childCount() == 0)
        return; // the first expansion loads them all
    for (int i = root.childCount() - 1; i >= 0; --i) {
        ScopeItem* node = root.child(i);
        if (registered.contains(trimBlanks(node->displayName()), Qt::CaseInsensitive))
            continue;
        if (const ConfigFile* config = m_servers.FindConfigFile(node->itemName()))
            m_servers.remove(config);
        host().removeChildren(*node);
        host().removeScopeItem(*node);
    }
    for (const QString& name : registered) {
        const QString path = m_folder.workingCopyPath(name.toStdString());
        if (!path.isEmpty() && !m_builder->serverNodeFor(path))
            LoadServer(path, name);
    }
}

// ---- commands -------------------------------------------------------------------

void CorvaneSnapIn::Views_Delete(const Selection& selection)
{
    if (m_commands)
        m_commands->deleteSelection(selection);
}

void CorvaneSnapIn::ScopeItems_Rename(ScopeItem& item, const QString& newName)
{
    if (m_commands)
        m_commands->renameScopeItem(item, newName);
}

void CorvaneSnapIn::ResultViews_ItemRename(ResultView& view, ResultItem& item, const QString& newName)
{
    Q_UNUSED(view);
    if (m_commands)
        m_commands->renameFilesItem(item, newName);
}

void CorvaneSnapIn::ScopeItems_Help(ScopeItem& item)
{
    Q_UNUSED(item);
    host().showHelpTopic(QString::fromLatin1(HelpTopics::overviewTopic()));
}

void CorvaneSnapIn::ResultViews_Help(ResultView& view, ResultItem& item)
{
    Q_UNUSED(view);
    Q_UNUSED(item);
    host().showHelpTopic(QString::fromLatin1(HelpTopics::overviewTopic()));
}

void CorvaneSnapIn::Views_AddTopMenuItems(const Selection& selection, ContextMenu& menu)
{
    if (!selection.isSingleScopeItem())
        return;
    const ScopeItem& item = *selection.firstScopeItem();
    if (isRootItem(item)) {
        menu.addItem(mnuConnect, QStringLiteral("Connect"), bool(m_hooks.connect));
        menu.addItem(mnuAboutC, QStringLiteral("About"));
        return;
    }
    if (item.nodeTag() != kServerTag) {
        // The Main Server and every section: its lines as they stand in the file.
        if (item.nodeTag() >= kMainServerTag)
            menu.addItem(mnuViewSource, QStringLiteral("View Source"));
        menu.addItem(mnuFind, QStringLiteral("Find..."));
        return;
    }
    const QString name = trimBlanks(item.displayName());
    const bool sample = name == QLatin1String(registry::kSampleServerName);
    menu.addItem(mnuDisConnect, QStringLiteral("Disconnect"));
    if (isRemote(name) && !sample)
        menu.addItem(mnuGetConfig, QStringLiteral("Get"), bool(m_hooks.get));
    if (!sample) {
        menu.addItem(mnuSynchronize, QStringLiteral("Synchronize"), bool(m_hooks.synchronize));
        menu.addItem(mnuShowChanges, QStringLiteral("Show Changes"), bool(m_hooks.showChanges));
        menu.addItem(mnuRevertChanges, QStringLiteral("Revert Changes"), bool(m_hooks.revertChanges));
    }
    menu.addItem(mnuFind, QStringLiteral("Find..."));
}

void CorvaneSnapIn::Views_AddNewMenuItems(const Selection& selection, ContextMenu& menu)
{
    if (!selection.isSingleScopeItem())
        return;
    const ScopeItem& item = *selection.firstScopeItem();
    const int tag = item.nodeTag();
    if (isRootItem(item) || (tag != kMainServerTag && tag < 1))
        return;
    bool vhost = true, directory = true, location = true, ifmodule = true;
    if (tag >= 1) {
        m_servers.setCurrentConfig(m_servers.FindConfigFile(item.itemName()));
        const int type = GetSectionType(tag);
        if (isNodeSectionType(type))
            vhost = false;
        else if (type == kScopeFiles)
            vhost = directory = location = ifmodule = false;
        else
            return; // new sections go into the kinds above only
    }
    menu.addItem(mnuVHost, QStringLiteral("Virtual Host"), vhost);
    menu.addItem(mnuDirectory, QStringLiteral("Directory"), directory);
    menu.addItem(mnuFile, QStringLiteral("File"), true);
    menu.addItem(mnuLocation, QStringLiteral("Location"), location);
    menu.addItem(mnuIfModule, QStringLiteral("IfModule"), ifmodule);
}

void CorvaneSnapIn::MenuItem_Click(const QString& name, int index, const Selection& selection)
{
    Q_UNUSED(index);
    ScopeItem* item = selection.firstScopeItem();
    if (name == mnuAboutC) {
        about();
        return;
    }
    if (name == mnuConnect) {
        if (!m_hooks.connect)
            return;
        const QString server = trimBlanks(m_hooks.connect());
        if (!server.isEmpty())
            LoadServer(m_folder.workingCopyPath(server.toStdString()), server);
        return;
    }
    if (!item || !m_commands)
        return;
    if (name == mnuViewSource)
        viewSource(*item);
    else if (name == mnuFind)
        openFind(item->itemName());
    else if (name == mnuShowChanges && m_hooks.showChanges)
        m_hooks.showChanges(trimBlanks(item->displayName()));
    else if (name == mnuRevertChanges && m_hooks.revertChanges) {
        const QString path = item->itemName();
        if (m_hooks.revertChanges(trimBlanks(item->displayName()))) {
            rebuildTree();
            workingCopyChanged(path);
        }
    } else if (name == mnuDisConnect)
        disconnect(*item);
    else if (name == mnuGetConfig)
        runGetOrSynchronize(*item, true);
    else if (name == mnuSynchronize)
        runGetOrSynchronize(*item, false);
    else if (name == mnuVHost)
        m_commands->newSection(SectionKind::VirtualHost, *item);
    else if (name == mnuDirectory)
        m_commands->newSection(SectionKind::Directory, *item);
    else if (name == mnuLocation)
        m_commands->newSection(SectionKind::Location, *item);
    else if (name == mnuIfModule)
        m_commands->newSection(SectionKind::IfModule, *item);
    else if (name == mnuFile)
        m_commands->newSection(SectionKind::Files, *item);
}

// ---- toolbar ----------------------------------------------------------------------

void CorvaneSnapIn::Views_SetControlbar(Controlbar& controlbar)
{
    Toolbar& toolbar = controlbar.attach(QString::fromLatin1(kToolbarName));
    if (toolbar.buttons().isEmpty()) {
        toolbar.addButton(QStringLiteral("Get"), QStringLiteral("Get"), QStringLiteral("Get Conf File"),
                          QStringLiteral("go-down"));
        toolbar.addButton(QStringLiteral("Put"), QStringLiteral("Put"),
                          QStringLiteral("Synchronize Conf File"), QStringLiteral("go-up"));
        toolbar.addButton(kFindButton, QStringLiteral("Find"),
                          QStringLiteral("Find in the server's configuration (Ctrl+F)"),
                          QStringLiteral("edit-find"), QStringLiteral("Ctrl+F"));
    }
}

void CorvaneSnapIn::Views_UpdateControlbar(const Selection& selection, Controlbar& controlbar)
{
    Toolbar* toolbar = controlbar.toolbar(QString::fromLatin1(kToolbarName));
    if (!toolbar)
        return;
    const ScopeItem* item = selection.firstScopeItem();
    const bool remoteServer = item && !isRootItem(*item) && item->nodeTag() == kServerTag &&
                              isRemote(trimBlanks(item->displayName()));
    toolbar->setButtonEnabled(QStringLiteral("Get"), remoteServer && bool(m_hooks.get));
    toolbar->setButtonEnabled(QStringLiteral("Put"), remoteServer && bool(m_hooks.synchronize));
    const bool serverItem = (item && !isRootItem(*item)) || selection.isSingleListItem();
    toolbar->setButtonEnabled(kFindButton, serverItem);
}

void CorvaneSnapIn::Toolbar_ButtonClick(const QString& toolbar, const QString& button,
                                        const Selection& selection)
{
    if (toolbar != QLatin1String(kToolbarName))
        return;
    ScopeItem* item = selection.firstScopeItem();
    if (item && isRootItem(*item))
        item = nullptr;
    if (button == kFindButton) {
        const QString path =
            item ? item->itemName()
                 : (selection.isSingleListItem() ? selection.firstListItem()->itemName() : QString());
        if (!path.isEmpty())
            openFind(path);
        return;
    }
    if (!item)
        return;
    if (button == QLatin1String("Get"))
        runGetOrSynchronize(*item, true);
    else if (button == QLatin1String("Put"))
        runGetOrSynchronize(*item, false);
}

// ---- server commands ----------------------------------------------------------------

bool CorvaneSnapIn::removeServer(ScopeItem& serverNode)
{
    if (serverNode.nodeTag() != kServerTag)
        return false;
    const std::string name = TrimBlanks(serverNode.displayName().toStdString());
    const ConfigFile* config = m_servers.FindConfigFile(serverNode.itemName());
    host().removeChildren(serverNode);
    host().removeScopeItem(serverNode);
    if (config)
        m_servers.remove(config);
    Servers& registry = ServerRegistry();
    const bool hadWorkingCopy = QFileInfo::exists(m_folder.workingCopyPath(name));
    if (!registry.DeleteServerFolders(name) && hadWorkingCopy) {
        // The working copy is still in place: keep the registry entry too, so
        // that nothing is lost and the server comes back on the next start.
        MessageBox::warning(host().dialogParent(),
                            QStringLiteral("The folders of the server could not be removed: ") +
                                registry.lastError());
        return false;
    }
    if (!registry.DeleteServer(name)) {
        MessageBox::critical(host().dialogParent(),
                             QStringLiteral("The server's folders are removed, but Corvane.ini could not be "
                                            "changed: ") +
                                 registry.lastError());
        return false;
    }
    return true;
}

void CorvaneSnapIn::disconnect(ScopeItem& item)
{
    if (item.nodeTag() != kServerTag)
        return;
    const auto answer = MessageBox::show(host().dialogParent(), QMessageBox::Critical,
                                         QStringLiteral("Do you really wish to disconnect the server"),
                                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    removeServer(item);
}

void CorvaneSnapIn::runGetOrSynchronize(ScopeItem& item, bool get)
{
    ConfigFile* config = m_servers.FindConfigFile(item.itemName());
    m_servers.setCurrentConfig(config);
    if (!config)
        return;
    if (!QFileInfo::exists(QString::fromStdString(config->FileName()))) {
        MessageBox::critical(host().dialogParent(),
                             QStringLiteral("Config file for the specified server has been moved/removed."));
        if (item.nodeTag() == kServerTag)
            removeServer(item);
        return;
    }
    if (item.nodeTag() != kServerTag)
        return;
    const QString name = trimBlanks(item.displayName());
    if (name.isEmpty())
        return;
    if (get) {
        if (!m_hooks.get)
            return;
        m_hooks.get(name);
        rebuildTree();
    } else if (m_hooks.synchronize) {
        m_hooks.synchronize(name);
    }
}

QByteArray CorvaneSnapIn::changedLinesOf(const QString& configPath,
                                         const std::vector<ConfigFile::SourceLine>& lines)
{
    if (!m_hooks.changedLines || lines.empty())
        return {};
    return m_hooks.changedLines(serverNameOf(configPath), QString::fromStdString(lines.front().file));
}

void CorvaneSnapIn::viewSource(const ScopeItem& item)
{
    ConfigFile* config = m_servers.ReloadFromSnapshot(item.itemName());
    if (!config)
        return;
    std::vector<ConfigFile::SourceLine> lines;
    try {
        lines = config->SourceLines(item.nodeTag());
    } catch (const std::exception& e) {
        MessageBox::warning(host().dialogParent(), QString::fromStdString(e.what()));
        return;
    }
    auto* view = new SourceView(QStringLiteral("Source of %1").arg(item.displayName()), lines,
                                host().dialogParent(), changedLinesOf(item.itemName(), lines));
    view->show();
}

// ---- find -------------------------------------------------------------------------

FindDialog* CorvaneSnapIn::openFind(const QString& configPath)
{
    const QString path = trimBlanks(configPath);
    if (path.isEmpty() || !m_servers.FindConfigFile(path))
        return nullptr;
    const QString server = serverNameOf(path);
    if (m_find && m_find->serverName() != server)
        delete m_find.data();
    if (!m_find) {
        m_find = new FindDialog(
            server,
            [this, path](const QString& text, bool namesOnly, std::size_t limit, std::size_t* total) {
                ConfigFile* config = m_servers.FindConfigFile(path);
                if (!config)
                    return std::vector<SearchHit>{};
                try {
                    return ConfigSearch::find(*config, text, namesOnly, limit, total);
                } catch (const std::exception&) {
                    return std::vector<SearchHit>{};
                }
            },
            [this, path](const SearchHit& hit) { showHit(path, hit); }, host().dialogParent());
    }
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
    return m_find;
}

SourceView* CorvaneSnapIn::showHit(const QString& configPath, const SearchHit& hit)
{
    ConfigFile* config = m_servers.FindConfigFile(configPath);
    ScopeItem* item = m_builder ? m_builder->serverNodeFor(configPath) : nullptr;
    if (!config || !item)
        return nullptr;
    // Down the tree to the hit's node, expanding on the way; a node that is
    // not there (the tree is behind the model) ends the walk where it is.
    auto childWithTag = [this](ScopeItem& parent, int tag) -> ScopeItem* {
        host().expand(parent);
        for (int i = 0; i < parent.childCount(); ++i)
            if (parent.child(i)->nodeTag() == tag)
                return parent.child(i);
        return nullptr;
    };
    if (ScopeItem* mainServer = childWithTag(*item, kMainServerTag)) {
        item = mainServer;
        for (int tag : hit.nodePath) {
            ScopeItem* next = childWithTag(*item, tag);
            if (!next)
                break;
            item = next;
        }
    }
    host().selectScopeItem(item);

    // The node's lines when they hold the hit, else the whole file it is in.
    std::vector<ConfigFile::SourceLine> lines;
    QString title;
    try {
        if (item->nodeTag() >= kMainServerTag) {
            lines = config->SourceLines(item->nodeTag());
            title = QStringLiteral("Source of %1").arg(item->displayName());
        }
        const bool shown = std::any_of(lines.begin(), lines.end(), [&](const ConfigFile::SourceLine& l) {
            return l.line == hit.line && l.file == hit.serverPath;
        });
        if (!shown) {
            lines = config->FileSourceLines(hit.serverPath);
            title = QStringLiteral("Source of %1").arg(hit.file);
        }
    } catch (const std::exception& e) {
        MessageBox::warning(host().dialogParent(), QString::fromStdString(e.what()));
        return nullptr;
    }
    delete m_hitView.data();
    m_hitView = new SourceView(title, lines, host().dialogParent(), changedLinesOf(configPath, lines));
    m_hitView->show();
    m_hitView->showLine(hit.line);
    return m_hitView;
}

// ---- background syntax check ---------------------------------------------------------

void CorvaneSnapIn::workingCopyChanged(const QString& configPath)
{
    if (!m_hooks.checkSyntax || trimBlanks(configPath).isEmpty())
        return;
    m_watch->setCheck(m_hooks.checkSyntax);
    m_watch->changed(serverNameOf(trimBlanks(configPath)));
}

void CorvaneSnapIn::about()
{
    MessageBox::information(host().dialogParent(),
                            QStringLiteral("Corvane %1\nAn administration console for Apache HTTP Server "
                                           "configuration files.")
                                .arg(QCoreApplication::applicationVersion().isEmpty()
                                         ? QStringLiteral("0.1")
                                         : QCoreApplication::applicationVersion()));
}

} // namespace corvane::snapin
