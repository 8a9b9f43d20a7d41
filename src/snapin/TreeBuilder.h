#pragma once
// Creates the console's nodes and list items: keys, display names, tags,
// item names, column headers and row texts of every node kind, the children
// of Main Server and of section nodes, and the <Files> items of a result
// view. It also brings the children of an expanded node back in step with a
// reloaded model. Every row names the file its section stands in (the File
// column, relative to the server root) and its tooltip adds file:line.
#include "snapin/KeyCounters.h"
#include "snapin/ScopeScanner.h"

#include <QIcon>
#include <QString>

#include <cstdint>
#include <functional>

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

    // The name of a server's main file on the server, for a configuration
    // held in one file (its working copy is always httpd.conf); by the path
    // of the working copy. Without one, "httpd.conf".
    void setMainFileName(std::function<QString(const QString& configPath)> name)
    {
        m_mainFileName = std::move(name);
    }

    ScopeItem* AddServerNode(ScopeItem& parent, const QString& path, const QString& serverName);
    // With the model, the node names the main file.
    ScopeItem* AddMainServerNode(ScopeItem& parent, const QString& path, ConfigFile* config = nullptr);
    ScopeItem* AddVHostNode(ScopeItem& parent, ConfigFile& config, std::int32_t number, const QString& name);
    ScopeItem* AddDirectoryNode(ScopeItem& parent, ConfigFile& config, std::int32_t number,
                                const QString& name);
    ScopeItem* AddLocationNode(ScopeItem& parent, ConfigFile& config, std::int32_t number,
                               const QString& name);
    ScopeItem* AddIfModuleNode(ScopeItem& parent, ConfigFile& config, std::int32_t number,
                               const QString& name);
    ScopeItem* addChildNode(ScopeItem& parent, ConfigFile& config, const ChildNode& child);

    void ExpandMainServer(ScopeItem& item, ConfigFile& config);
    void ExpandSectionNode(ScopeItem& item, ConfigFile& config);
    // Lists the <Files> sections of the view's node (Main Server or section).
    void FillFilesList(ResultView& view, ConfigFile& config);

    // After the model was reloaded: names of the kept children are updated,
    // children whose section is gone are removed and new ones appended, for
    // `item` and every already expanded node below it. Children that stay
    // keep their items (and so the selection and their expansion). When the
    // order cannot be kept that way, the children are built anew.
    void syncChildren(ScopeItem& item, ConfigFile& config);
    // The server node whose item name is `path` (trimmed, any letter case).
    ScopeItem* serverNodeFor(const QString& path) const;
    // syncChildren for the whole tree of the server whose working copy is `config`.
    void syncServer(ConfigFile& config);

    // The children a node should have according to the model.
    static std::vector<ChildNode> childrenFor(const ScopeItem& item, const ConfigFile& config);
    static QString nodeTypeName(NodeKind kind);
    static QString rowTypeText(NodeKind kind);
    static NodeKind kindOfNodeType(const QString& nodeType);
    // One image per node kind.
    static QIcon iconOf(NodeKind kind);

    KeyCounters& counters() { return m_counters; }

    // Where the lines of one model stand, as rows and tooltips name them.
    class Places
    {
    public:
        Places(ConfigFile& config, const QString& mainFile);
        // The File column of the line numbered `number` and the "file:line"
        // a tooltip adds ("" each when the place is not known).
        QString file(std::int32_t number, QString* fileLine = nullptr) const;
        const QString& mainFile() const { return m_mainFile; }

    private:
        ConfigFile& m_config;
        QString m_mainFile;
        std::string m_root;
    };
    Places placesOf(ConfigFile& config) const;

private:
    ScopeItem* addSectionNode(ScopeItem& parent, NodeKind kind, const QString& path, std::int32_t number,
                              const QString& name, const Places& places, const QString& typeText = {},
                              const QString& toolTip = {});
    void updateNode(ScopeItem& item, const ChildNode& child, const Places& places);
    void syncChildren(ScopeItem& item, ConfigFile& config, const Places& places);

    ConsoleHost& m_host;
    KeyCounters m_counters;
    std::function<QString(const QString&)> m_mainFileName;
};

} // namespace corvane::snapin
