#pragma once
// Reads from a configuration model which children a console node has: the
// sections shown as nodes under Main Server or under a section, and the
// <Files> sections listed in a node's result view. Names are worked out here
// so that the console and its tests agree on them.
#include <string>
#include <vector>

namespace corvane {
class ConfigFile;
class DirectiveScop;
} // namespace corvane

namespace corvane::snapin {

enum class NodeKind { Root, Server, MainServer, VirtualHost, Directory, Location, IfModule };

struct ChildNode
{
    NodeKind kind;
    int number;       // directive number of the section head
    std::string name; // display name
};

struct FilesEntry
{
    int number;
    std::string pattern;
};

class ScopeScanner
{
public:
    // Top-level virtual hosts, IfModule, Directory and Location sections in
    // file order.
    static std::vector<ChildNode> mainServerChildren(const ConfigFile& config);
    // Directory, Location and IfModule sections directly inside the section
    // headed by `parentNo`; empty when that is no Directory, Location,
    // VirtualHost or IfModule head.
    static std::vector<ChildNode> sectionChildren(const ConfigFile& config, int parentNo);
    // <Files> sections directly inside the scope `parentNo` (-1: top level).
    static std::vector<FilesEntry> filesEntries(const ConfigFile& config, int parentNo);

    // Scope type of the live section head numbered `number`, 10 otherwise.
    static int sectionType(const ConfigFile& config, int number);

    // The name of a virtual-host node: its address, or for "*" the server
    // name inside it; quotes removed.
    static std::string virtualHostName(const ConfigFile& config, int headNo, const DirectiveScop& scope);
    // Directory and Location: first argument, quotes removed, then trimmed.
    static std::string argumentName(const DirectiveScop& scope);
    // IfModule: first argument trimmed, then quotes removed.
    static std::string moduleName(const DirectiveScop& scope);
    // The pattern of a <Files> section (the second argument after "~").
    static std::string filesPattern(const DirectiveScop& scope);
};

} // namespace corvane::snapin
