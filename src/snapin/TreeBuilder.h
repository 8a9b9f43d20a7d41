#pragma once
// Creates the console's nodes and list items: keys, display names, tags,
// item names, column headers and row texts of every node kind, the children
// of Main Server and of section nodes, and the <Files> items of a result
// view. It also brings the children of an expanded node back in step with a
// reloaded model.
#include "snapin/KeyCounters.h"
#include "snapin/ScopeScanner.h"

#include <QIcon>
#include <QString>

#include <cstdint>

namespace corvane {
class ConfigFile;
class ConsoleHost;
class ResultView;
class ScopeItem;
} // namespace corvane

namespace corvane::snapin {

class TreeBuilder
{
public:
    explicit TreeBuilder(ConsoleHost& host);

    // Node types with their default display names, views and columns.
    void registerNodeTypes();

    ScopeItem* AddServerNode(ScopeItem& parent, const QString& path, const QString& serverName);
    ScopeItem* AddMainServerNode(ScopeItem& parent, const QString& path);
    ScopeItem* AddVHostNode(ScopeItem& parent, const ConfigFile& config, std::int32_t number,
                            const QString& name);
    ScopeItem* AddDirectoryNode(ScopeItem& parent, const ConfigFile& config, std::int32_t number,
                                const QString& name);
    ScopeItem* AddLocationNode(ScopeItem& parent, const ConfigFile& config, std::int32_t number,
                               const QString& name);
    ScopeItem* AddIfModuleNode(ScopeItem& parent, const ConfigFile& config, std::int32_t number,
                               const QString& name);
    ScopeItem* addChildNode(ScopeItem& parent, const ConfigFile& config, const ChildNode& child);

    void ExpandMainServer(ScopeItem& item, const ConfigFile& config);
    void ExpandSectionNode(ScopeItem& item, const ConfigFile& config);
    // Lists the <Files> sections of the view's node (Main Server or section).
    void FillFilesList(ResultView& view, const ConfigFile& config);

    // After the model was reloaded: names of the kept children are updated,
    // children whose section is gone are removed and new ones appended, for
    // `item` and every already expanded node below it. Children that stay
    // keep their items (and so the selection and their expansion). When the
    // order cannot be kept that way, the children are built anew.
    void syncChildren(ScopeItem& item, const ConfigFile& config);
    // The server node whose item name is `path` (trimmed, any letter case).
    ScopeItem* serverNodeFor(const QString& path) const;
    // syncChildren for the whole tree of the server whose working copy is `config`.
    void syncServer(const ConfigFile& config);

    // The children a node should have according to the model.
    static std::vector<ChildNode> childrenFor(const ScopeItem& item, const ConfigFile& config);
    static QString nodeTypeName(NodeKind kind);
    static QString rowTypeText(NodeKind kind);
    static NodeKind kindOfNodeType(const QString& nodeType);
    // One image per node kind.
    static QIcon iconOf(NodeKind kind);

    KeyCounters& counters() { return m_counters; }

private:
    ScopeItem* addSectionNode(ScopeItem& parent, NodeKind kind, const QString& path, std::int32_t number,
                              const QString& name, const QString& typeText = {}, const QString& toolTip = {});
    void updateNode(ScopeItem& item, const ChildNode& child);

    ConsoleHost& m_host;
    KeyCounters m_counters;
};

} // namespace corvane::snapin
