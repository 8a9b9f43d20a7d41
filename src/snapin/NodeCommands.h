#pragma once
// The commands that change sections from the console tree: New (virtual
// host, Directory, Location, IfModule, Files), Delete and Rename. Each one
// reloads the model from the snapshot, edits it, writes the working copy and
// the snapshot, and brings the tree up to date at once.
#include "model/EditSession.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

namespace corvane {
class ConfigFile;
class ConsoleHost;
class ResultItem;
class ScopeItem;
struct Selection;
} // namespace corvane

namespace corvane::snapin {

class LoadedServers;
class TreeBuilder;

enum class SectionKind
{
    VirtualHost,
    Directory,
    Location,
    IfModule,
    Files
};

class NodeCommands
{
public:
    NodeCommands(ConsoleHost& host, LoadedServers& servers, TreeBuilder& builder);
    // Called after a command wrote the working copy.
    void setOnWritten(std::function<void(const ConfigFile& config)> onWritten)
    {
        m_onWritten = std::move(onWritten);
    }

    // Asks for the name with frmNewNode and adds the section under `item`.
    void newSection(SectionKind kind, ScopeItem& item);
    // Asks for confirmation, then deletes the selected section node or
    // <Files> item.
    void deleteSelection(const Selection& selection);
    void renameScopeItem(ScopeItem& item, const QString& newName);
    void renameFilesItem(ResultItem& item, const QString& newName);

    // The dialog texts of each kind of new section.
    static QString dialogCaption(SectionKind kind);
    static QString dialogLabel(SectionKind kind);
    static QString emptyNameMessage(SectionKind kind);
    // The question asked when a new virtual host uses a port no Listen line has.
    static QString listenQuestion(const QString& port);

    static constexpr const char* kDeleteQuestion = "Are you sure you want to delete the selected item ?";

private:
    std::int32_t addSection(SectionKind kind, ConfigFile& config, const std::string& text, int parentTag);
    void askForListen(ConfigFile& config, const std::string& address);
    // The change through the one edit path (the model was just reloaded);
    // true when it was written. A refused or failed change writes nothing,
    // is shown in a "Corvane" message, and the tree goes back to what the
    // snapshot holds.
    bool commit(ConfigFile& config, const EditChange& change);
    int sectionType(const ConfigFile& config, int number) const;

    ConsoleHost& m_host;
    LoadedServers& m_servers;
    TreeBuilder& m_builder;
    std::function<void(const ConfigFile& config)> m_onWritten;
};

} // namespace corvane::snapin
