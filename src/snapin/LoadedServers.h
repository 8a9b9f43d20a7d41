#pragma once
// The configuration models the console holds, one per loaded server, and the
// one the last command worked on. A server is loaded by reading its working
// copy, writing the snapshot and reading it back, so that the console works
// on exactly the model the property pages will see.
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {
class ConfigFile;
}

namespace corvane::snapin {

class LoadedServers
{
public:
    explicit LoadedServers(std::string appFolder);
    ~LoadedServers();
    LoadedServers(const LoadedServers&) = delete;
    LoadedServers& operator=(const LoadedServers&) = delete;

    // Reads the working copy at `path`, writes its snapshot and reads it back
    // into the next free slot. On any failure (also an exception from the
    // model) the slot is released and nullptr returned; nothing is shown.
    ConfigFile* LoadServer(const QString& path);

    // How a working copy is read: by default the file alone (ReadFile). The
    // console installs a reader that also follows a split configuration's
    // includes; it returns false when nothing could be read.
    using Reader = std::function<bool(ConfigFile& config, const QString& path)>;
    void setReader(Reader reader) { m_reader = std::move(reader); }

    // The first loaded model whose file name equals `path`, both trimmed and
    // compared without regard to case; nullptr when none.
    ConfigFile* FindConfigFile(const QString& path) const;
    // Makes the model of `path` current and reloads it from its snapshot.
    ConfigFile* ReloadFromSnapshot(const QString& path);

    // Drops the slot of `config`; later slots move down one place.
    void remove(const ConfigFile* config);
    // Drops every slot (the tree is rebuilt from the registry).
    void clear();

    int LastConfigIndex() const { return int(m_configs.size()) - 1; }
    int count() const { return int(m_configs.size()); }
    ConfigFile* at(int index) const;

    ConfigFile* CurrentConfig() const { return m_current; }
    void setCurrentConfig(ConfigFile* config) { m_current = config; }

    const std::string& appFolder() const { return m_appFolder; }

private:
    std::string m_appFolder;
    std::vector<std::unique_ptr<ConfigFile>> m_configs;
    ConfigFile* m_current = nullptr;
    Reader m_reader;
};

} // namespace corvane::snapin
