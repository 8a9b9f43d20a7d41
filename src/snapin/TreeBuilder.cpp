#include "snapin/TreeBuilder.h"

#include "host/ConsoleHost.h"
#include "host/NodeType.h"
#include "host/PropertySheet.h"
#include "host/ResultView.h"
#include "host/ScopeItem.h"
#include "host/SelectedItem.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "snapin/NodeText.h"
#include "snapin/SectionTypes.h"

#include <QApplication>
#include <QStyle>

#include <set>
#include <utility>

namespace corvane::snapin {

namespace {

const QString kName = QStringLiteral("Name");
const QString kType = QStringLiteral("Type");
const QString kFile = QStringLiteral("File");

// A node's tooltip: what it showed alone (its full name or a virtual host's
// description), then where its section stands.
QString withPlace(const QString& toolTip, const QString& fileLine)
{
    return fileLine.isEmpty() ? toolTip : toolTip + u'\n' + fileLine;
}

QString pathOf(const ConfigFile& config)
{
    return QString::fromStdString(config.FileName());
}

KeyKind keyKindOf(NodeKind kind)
{
    switch (kind) {
    case NodeKind::VirtualHost:
        return KeyKind::VirtualHost;
    case NodeKind::Directory:
        return KeyKind::Directory;
    case NodeKind::Location:
        return KeyKind::Location;
    case NodeKind::IfModule:
        return KeyKind::IfModule;
    case NodeKind::MainServer:
        return KeyKind::MainServer;
    case NodeKind::Files:
        return KeyKind::File;
    case NodeKind::Section:
        return KeyKind::Section;
    default:
        return KeyKind::Server;
    }
}

QString keyPrefix(NodeKind kind)
{
    switch (kind) {
    case NodeKind::VirtualHost:
        return QStringLiteral("VHost-");
    case NodeKind::Directory:
        return QStringLiteral("Directory-");
    case NodeKind::Location:
        return QStringLiteral("Location-");
    case NodeKind::IfModule:
        return QStringLiteral("IfModule-");
    case NodeKind::Files:
        return QStringLiteral("FileNode-");
    case NodeKind::Section:
        return QStringLiteral("Section-");
    default:
        return {};
    }
}

QIcon styleIcon(QStyle::StandardPixmap pixmap)
{
    QStyle* style = QApplication::style();
    return style ? style->standardIcon(pixmap) : QIcon();
}

} // namespace

TreeBuilder::TreeBuilder(ConsoleHost& host) : m_host(host) {}

TreeBuilder::Places::Places(ConfigFile& config, const QString& mainFile)
    : m_config(config), m_mainFile(mainFile), m_root(config.ServerRoot())
{
}

QString TreeBuilder::Places::file(std::int32_t number, QString* fileLine) const
{
    const ConfigFile::LinePlace place = m_config.PlaceOf(m_config.FindDirective(number));
    if (place.line < 1) {
        if (fileLine)
            fileLine->clear();
        return {};
    }
    const QString file = place.file.empty() ? m_mainFile : toDisplay(PathBelowRoot(place.file, m_root));
    if (fileLine)
        *fileLine = file + u':' + QString::number(place.line);
    return file;
}

TreeBuilder::Places TreeBuilder::placesOf(ConfigFile& config) const
{
    // A tree names its main file by its server path; a single file by the
    // name it has on the server.
    const std::vector<TreeFile> files = config.Files();
    QString main;
    if (!files.empty() && !files.front().serverPath.empty())
        main = toDisplay(PathBelowRoot(files.front().serverPath, config.ServerRoot()));
    else if (m_mainFileName)
        main = trimBlanks(m_mainFileName(pathOf(config)));
    if (main.isEmpty())
        main = QStringLiteral("httpd.conf");
    return Places(config, main);
}

QString TreeBuilder::nodeTypeName(NodeKind kind)
{
    switch (kind) {
    case NodeKind::Root:
        return QStringLiteral("Corvane");
    case NodeKind::Server:
        return QStringLiteral("Server");
    case NodeKind::MainServer:
        return QStringLiteral("DefaultVHost");
    case NodeKind::VirtualHost:
        return QStringLiteral("VHosts");
    case NodeKind::Directory:
        return QStringLiteral("Directory");
    case NodeKind::Location:
        return QStringLiteral("Location");
    case NodeKind::IfModule:
        return QStringLiteral("IfModule");
    case NodeKind::Files:
        return QStringLiteral("File");
    case NodeKind::Section:
        return QStringLiteral("Section");
    }
    return {};
}

QIcon TreeBuilder::iconOf(NodeKind kind)
{
    switch (kind) {
    case NodeKind::Root:
        return styleIcon(QStyle::SP_DesktopIcon);
    case NodeKind::Server:
        return styleIcon(QStyle::SP_ComputerIcon);
    case NodeKind::MainServer:
        return styleIcon(QStyle::SP_DriveHDIcon);
    case NodeKind::VirtualHost:
        return styleIcon(QStyle::SP_DriveNetIcon);
    case NodeKind::Directory:
        return styleIcon(QStyle::SP_DirIcon);
    case NodeKind::Location:
        return styleIcon(QStyle::SP_DirLinkIcon);
    case NodeKind::IfModule:
        return styleIcon(QStyle::SP_FileDialogListView);
    case NodeKind::Files:
        return styleIcon(QStyle::SP_FileIcon);
    case NodeKind::Section:
        return styleIcon(QStyle::SP_FileDialogContentsView);
    }
    return {};
}

QString TreeBuilder::rowTypeText(NodeKind kind)
{
    switch (kind) {
    case NodeKind::MainServer:
        return QStringLiteral("Default Virtual Host");
    case NodeKind::VirtualHost:
        return QStringLiteral("Virtual Host");
    case NodeKind::Directory:
        return QStringLiteral("Directory");
    case NodeKind::Location:
        return QStringLiteral("Location");
    case NodeKind::IfModule:
        return QStringLiteral("IfModule");
    case NodeKind::Files:
        return QStringLiteral("File");
    default:
        return {};
    }
}

NodeKind TreeBuilder::kindOfNodeType(const QString& nodeType)
{
    for (NodeKind k : {NodeKind::Server, NodeKind::MainServer, NodeKind::VirtualHost, NodeKind::Directory,
                       NodeKind::Location, NodeKind::IfModule, NodeKind::Files, NodeKind::Section}) {
        if (nodeTypeName(k) == nodeType)
            return k;
    }
    return NodeKind::Root;
}

void TreeBuilder::registerNodeTypes()
{
    const QList<ColumnHeader> nameType{{kName, 200}, {kType, 100}, {kFile, 200}};
    m_host.registerNodeType({QStringLiteral("Corvane"),
                             QStringLiteral("Corvane"),
                             QStringLiteral("ListTopView"),
                             {{kName, 100}},
                             iconOf(NodeKind::Root)});
    m_host.registerNodeType({QStringLiteral("Server"),
                             QStringLiteral("Server Name"),
                             QStringLiteral("ServerView"),
                             {{QStringLiteral("Server Name"), 200}},
                             iconOf(NodeKind::Server)});
    m_host.registerNodeType({QStringLiteral("DefaultVHost"), QStringLiteral("Default Web Site"),
                             QStringLiteral("DefaultVHostView"), nameType, iconOf(NodeKind::MainServer)});
    m_host.registerNodeType({QStringLiteral("VHosts"), QStringLiteral("Virtual Hosts"),
                             QStringLiteral("VHostView"), nameType, iconOf(NodeKind::VirtualHost)});
    m_host.registerNodeType({QStringLiteral("Directory"), QStringLiteral("Directories"),
                             QStringLiteral("DirectoryView"), nameType, iconOf(NodeKind::Directory)});
    m_host.registerNodeType({QStringLiteral("Location"), QStringLiteral("Locations"),
                             QStringLiteral("LocationView"), nameType, iconOf(NodeKind::Location)});
    m_host.registerNodeType({QStringLiteral("IfModule"), QStringLiteral("IfModule"),
                             QStringLiteral("IfModuleView"), nameType, iconOf(NodeKind::IfModule)});
    m_host.registerNodeType({QStringLiteral("File"), QStringLiteral("Files"), QStringLiteral("FileView"),
                             nameType, iconOf(NodeKind::Files)});
    m_host.registerNodeType({QStringLiteral("Section"), QStringLiteral("Sections"),
                             QStringLiteral("SectionView"), nameType, iconOf(NodeKind::Section)});
}

ScopeItem* TreeBuilder::AddServerNode(ScopeItem& parent, const QString& path, const QString& serverName)
{
    const QString key =
        QStringLiteral("Server-") + QString::number(m_counters.value(KeyKind::Server)) + u'-' + path;
    ScopeItem* item = m_host.addScopeItem(parent, nodeTypeName(NodeKind::Server), key);
    if (!item)
        return nullptr;
    m_counters.next(KeyKind::Server);
    item->setDisplayName(serverName);
    item->setTag(kServerTag);
    item->setItemName(path);
    item->setColumnHeader(1, QStringLiteral("Server Name"));
    item->setRowText(1, serverName);
    return item;
}

ScopeItem* TreeBuilder::AddMainServerNode(ScopeItem& parent, const QString& path, ConfigFile* config)
{
    const QString key =
        QStringLiteral("MainServer-") + QString::number(m_counters.value(KeyKind::MainServer));
    ScopeItem* item = m_host.addScopeItem(parent, nodeTypeName(NodeKind::MainServer), key);
    if (!item)
        return nullptr;
    m_counters.next(KeyKind::MainServer);
    item->setDisplayName(QStringLiteral("Main Server"));
    item->setTag(kMainServerTag);
    item->setItemName(path);
    item->setColumnHeader(1, kName);
    item->setColumnHeader(2, kType);
    item->setColumnHeader(3, kFile);
    item->setRowText(1, QStringLiteral("Main Server"));
    item->setRowText(2, rowTypeText(NodeKind::MainServer));
    if (config) {
        // The main server is the whole main file.
        const QString main = placesOf(*config).mainFile();
        item->setRowText(3, main);
        item->setToolTip(withPlace(item->displayName(), main));
    }
    return item;
}

ScopeItem* TreeBuilder::addSectionNode(ScopeItem& parent, NodeKind kind, const QString& path,
                                       std::int32_t number, const QString& name, const Places& places,
                                       const QString& typeText, const QString& toolTip)
{
    const KeyKind keyKind = keyKindOf(kind);
    const QString key =
        keyPrefix(kind) + QString::number(m_counters.value(keyKind)) + u'-' + QString::number(number);
    ScopeItem* item = m_host.addScopeItem(parent, nodeTypeName(kind), key);
    if (!item)
        return nullptr;
    m_counters.next(keyKind);
    item->setDisplayName(name);
    item->setTag(int(number));
    item->setItemName(path);
    item->setColumnHeader(1, kName);
    item->setColumnHeader(2, kType);
    item->setColumnHeader(3, kFile);
    item->setRowText(1, name);
    item->setRowText(2, typeText.isEmpty() ? rowTypeText(kind) : typeText);
    QString fileLine;
    item->setRowText(3, places.file(number, &fileLine));
    item->setToolTip(withPlace(toolTip.isEmpty() ? name : toolTip, fileLine));
    return item;
}

ScopeItem* TreeBuilder::AddVHostNode(ScopeItem& parent, ConfigFile& config, std::int32_t number,
                                     const QString& name)
{
    return addSectionNode(parent, NodeKind::VirtualHost, pathOf(config), number, name, placesOf(config));
}

ScopeItem* TreeBuilder::AddDirectoryNode(ScopeItem& parent, ConfigFile& config, std::int32_t number,
                                         const QString& name)
{
    return addSectionNode(parent, NodeKind::Directory, pathOf(config), number, name, placesOf(config));
}

ScopeItem* TreeBuilder::AddLocationNode(ScopeItem& parent, ConfigFile& config, std::int32_t number,
                                        const QString& name)
{
    return addSectionNode(parent, NodeKind::Location, pathOf(config), number, name, placesOf(config));
}

ScopeItem* TreeBuilder::AddIfModuleNode(ScopeItem& parent, ConfigFile& config, std::int32_t number,
                                        const QString& name)
{
    return addSectionNode(parent, NodeKind::IfModule, pathOf(config), number, name, placesOf(config));
}

ScopeItem* TreeBuilder::addChildNode(ScopeItem& parent, ConfigFile& config, const ChildNode& child)
{
    return addSectionNode(parent, child.kind, pathOf(config), child.number, toDisplay(child.name),
                          placesOf(config), toDisplay(child.typeText), toDisplay(child.toolTip));
}

std::vector<ChildNode> TreeBuilder::childrenFor(const ScopeItem& item, const ConfigFile& config)
{
    const int tag = item.nodeTag();
    if (tag == kMainServerTag)
        return ScopeScanner::mainServerChildren(config);
    if (tag >= 1)
        return ScopeScanner::sectionChildren(config, tag);
    return {};
}

void TreeBuilder::ExpandMainServer(ScopeItem& item, ConfigFile& config)
{
    const Places places = placesOf(config);
    const QString path = pathOf(config);
    for (const ChildNode& child : ScopeScanner::mainServerChildren(config))
        addSectionNode(item, child.kind, path, child.number, toDisplay(child.name), places,
                       toDisplay(child.typeText), toDisplay(child.toolTip));
}

void TreeBuilder::ExpandSectionNode(ScopeItem& item, ConfigFile& config)
{
    if (item.nodeTag() < 1)
        return;
    const Places places = placesOf(config);
    const QString path = pathOf(config);
    for (const ChildNode& child : ScopeScanner::sectionChildren(config, item.nodeTag()))
        addSectionNode(item, child.kind, path, child.number, toDisplay(child.name), places,
                       toDisplay(child.typeText), toDisplay(child.toolTip));
}

void TreeBuilder::FillFilesList(ResultView& view, ConfigFile& config)
{
    ScopeItem* item = view.scopeItem();
    if (!item)
        return;
    std::int32_t parentNo = 0;
    if (item->nodeTag() >= 1) {
        const Directive* d = config.FindDirective(item->nodeTag());
        if (!d)
            return;
        parentNo = d->DirectiveNo();
    } else if (item->nodeTag() == kMainServerTag) {
        parentNo = -1;
    } else {
        return;
    }
    // A <Files> section shown as a node lists nothing of its own.
    if (parentNo >= 1 && ScopeScanner::sectionType(config, parentNo) == kScopeFiles)
        return;
    const QString path = pathOf(config);
    const Places places = placesOf(config);
    for (const FilesEntry& entry : ScopeScanner::filesEntries(config, parentNo)) {
        const QString pattern = toDisplay(entry.pattern);
        const QString key = QStringLiteral("File-") + QString::number(m_counters.value(KeyKind::File)) +
                            u'-' + QString::number(entry.number);
        ResultItem* listItem = view.addListItem(key, pattern, 1);
        if (!listItem)
            continue;
        m_counters.next(KeyKind::File);
        listItem->setTag(int(entry.number));
        listItem->setItemName(path);
        listItem->setRowText(1, pattern);
        listItem->setRowText(2, QStringLiteral("File"));
        QString fileLine;
        listItem->setRowText(3, places.file(entry.number, &fileLine));
        listItem->setToolTip(withPlace(pattern, fileLine));
    }
}

void TreeBuilder::updateNode(ScopeItem& item, const ChildNode& child, const Places& places)
{
    const QString name = toDisplay(child.name);
    if (item.displayName() != name)
        item.setDisplayName(name);
    if (item.rowText(1) != name)
        item.setRowText(1, name);
    const QString typeText = child.typeText.empty() ? rowTypeText(child.kind) : toDisplay(child.typeText);
    if (item.rowText(2) != typeText)
        item.setRowText(2, typeText);
    // Lines of other sections added or removed move this one too.
    QString fileLine;
    const QString file = places.file(child.number, &fileLine);
    if (item.rowText(3) != file)
        item.setRowText(3, file);
    item.setToolTip(withPlace(child.toolTip.empty() ? name : toDisplay(child.toolTip), fileLine));
}

ScopeItem* TreeBuilder::serverNodeFor(const QString& path) const
{
    const QString key = trimBlanks(path).toUpper();
    ScopeItem& root = m_host.root();
    for (int i = 0; i < root.childCount(); ++i) {
        ScopeItem* node = root.child(i);
        if (node->nodeTag() == kServerTag && trimBlanks(node->itemName()).toUpper() == key)
            return node;
    }
    return nullptr;
}

void TreeBuilder::syncServer(ConfigFile& config)
{
    if (ScopeItem* server = serverNodeFor(pathOf(config)))
        syncChildren(*server, config);
}

void TreeBuilder::syncChildren(ScopeItem& item, ConfigFile& config)
{
    syncChildren(item, config, placesOf(config));
}

void TreeBuilder::syncChildren(ScopeItem& item, ConfigFile& config, const Places& places)
{
    if (item.nodeTag() == kServerTag) {
        for (int i = 0; i < item.childCount(); ++i)
            syncChildren(*item.child(i), config, places);
        return;
    }
    if (!item.hasBeenExpanded() && item.childCount() == 0)
        return;

    const std::vector<ChildNode> wanted = childrenFor(item, config);
    auto same = [](const ScopeItem* node, const ChildNode& child) {
        return node->nodeTag() == child.number && kindOfNodeType(node->nodeType()) == child.kind;
    };

    // Children whose section is gone (or changed kind) are removed.
    std::set<std::pair<int, int>> wantedKeys;
    for (const ChildNode& c : wanted)
        wantedKeys.insert({c.number, int(c.kind)});
    for (int i = item.childCount() - 1; i >= 0; --i) {
        ScopeItem* node = item.child(i);
        if (!wantedKeys.count({node->nodeTag(), int(kindOfNodeType(node->nodeType()))}))
            m_host.removeScopeItem(*node);
    }

    // The kept children must be the first ones wanted, in order; new
    // sections come after them because added lines go to the end of the model.
    const int kept = item.childCount();
    bool inOrder = kept <= int(wanted.size());
    for (int i = 0; inOrder && i < kept; ++i)
        inOrder = same(item.child(i), wanted[std::size_t(i)]);
    if (!inOrder) {
        m_host.removeChildren(item);
        for (const ChildNode& child : wanted)
            addSectionNode(item, child.kind, pathOf(config), child.number, toDisplay(child.name), places,
                           toDisplay(child.typeText), toDisplay(child.toolTip));
        return;
    }
    for (int i = 0; i < kept; ++i) {
        updateNode(*item.child(i), wanted[std::size_t(i)], places);
        syncChildren(*item.child(i), config, places);
    }
    for (std::size_t i = std::size_t(kept); i < wanted.size(); ++i)
        addSectionNode(item, wanted[i].kind, pathOf(config), wanted[i].number, toDisplay(wanted[i].name),
                       places, toDisplay(wanted[i].typeText), toDisplay(wanted[i].toolTip));
}

} // namespace corvane::snapin
