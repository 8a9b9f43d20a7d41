#pragma once
// Reads from a configuration model which children a console node has: the
// sections shown as nodes under Main Server or under a section, and the
// <Files> sections listed in a node's result view. Names are worked out here
// so that the console and its tests agree on them.
#include <string>
#include <unordered_map>
#include <vector>

namespace corvane {
class ConfigFile;
class Directive;
class DirectiveScop;
} // namespace corvane

namespace corvane::snapin {

enum class NodeKind
{
    Root,
    Server,
    MainServer,
    VirtualHost,
    Directory,
    Location,
    IfModule,
    Files,  // a <Files> section that holds sections of its own
    Section // every other section: the Match forms, IfDefine, Proxy, If, Limit, Require*, ...
};

struct ChildNode
{
    NodeKind kind;
    int number;           // directive number of the section head
    std::string name;     // display name
    std::string typeText; // the Type column ("" for the fixed kinds: their own text)
    std::string toolTip;  // a virtual host's description, "" for the name itself
};

// Which node of the tree shows each line of a configuration.
struct LineNodes
{
    // Directive number of a live line -> tag of its node: the section it
    // heads when that is a node, else the node around it (-1 Main Server).
    std::unordered_map<int, int> nodeOf;
    // Tag of a section node -> tag of the node it is a child of.
    std::unordered_map<int, int> parentOf;
    // The tags from the node below Main Server down to `node` (empty for Main Server).
    std::vector<int> pathTo(int node) const;
};

struct FilesEntry
{
    int number;
    std::string pattern;
};

// Every section of the file is a node where it stands, except a <Files>
// section without sections inside, which is an item of its parent's result
// list. The model nests only the kinds it knows (Directory, Files, Location,
// their Match forms, VirtualHost, IfDefine, IfModule); the head and end of any
// other kind (Proxy, If, Limit, IfVersion, RequireAll, ...) are lines of their
// scope with the section's content as their siblings, so those sections are
// found by pairing heads with ends among a scope's lines.
class ScopeScanner
{
public:
    // The sections directly under Main Server, in file order.
    static std::vector<ChildNode> mainServerChildren(const ConfigFile& config);
    // The sections directly inside the section headed by `parentNo`.
    static std::vector<ChildNode> sectionChildren(const ConfigFile& config, int parentNo);
    // The <Files> items of a node: -1 Main Server, otherwise a section head.
    static std::vector<FilesEntry> filesEntries(const ConfigFile& config, int parentNo);
    // Section name and arguments as written, quotes removed ("Proxy *").
    static std::string sectionTitle(const DirectiveScop& scope);

    // The node of every live line, in one walk over the scopes.
    static LineNodes lineNodes(const ConfigFile& config);
    // The node a section head makes, as the tree shows it (kind, name, type
    // text); for a <Files> head the node it makes when it holds sections.
    static ChildNode nodeFor(const ConfigFile& config, const Directive& head);

    // Scope type of the live section head numbered `number`, 10 otherwise.
    static int sectionType(const ConfigFile& config, int number);

    // The name of a virtual-host node: its address, or for "*" the server
    // name inside it; quotes removed.
    static std::string virtualHostName(const ConfigFile& config, int headNo, const DirectiveScop& scope);
    // Directory and Location: first argument, quotes removed, then trimmed.
    static std::string argumentName(const DirectiveScop& scope);
    // IfModule: first argument trimmed, then quotes removed.
    static std::string moduleName(const DirectiveScop& scope);
    // The description comment kept inside a virtual host, "" when none.
    static std::string virtualHostDescription(const ConfigFile& config, int headNo);
    // The pattern of a <Files> section (the second argument after "~").
    static std::string filesPattern(const DirectiveScop& scope);
};

} // namespace corvane::snapin
