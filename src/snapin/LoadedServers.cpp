#include "snapin/LoadedServers.h"

#include "model/ConfigFile.h"
#include "model/CorvaneError.h"
#include "registry/RegistryProcedures.h"
#include "snapin/NodeText.h"

namespace corvane::snapin {

namespace {

QString pathKey(const QString& path)
{
    return trimBlanks(path).toUpper();
}

} // namespace

LoadedServers::LoadedServers(std::string appFolder) : m_appFolder(std::move(appFolder)) {}

LoadedServers::~LoadedServers() = default;

ConfigFile* LoadedServers::LoadServer(const QString& path)
{
    auto slot = std::make_unique<ConfigFile>(m_appFolder);
    try {
        slot->SetFileName(path.toStdString());
        slot->SetNormalizeLayout(NormalizeLayoutForWorkingCopy(AppFolder(QString::fromStdString(m_appFolder)),
                                                               path.toStdString()));
        if (!(m_reader ? m_reader(*slot, path) : slot->ReadFile()))
            return nullptr;
        if (!slot->Serialize())
            return nullptr;
        if (!slot->DeSerialize())
            return nullptr;
    } catch (const CorvaneError&) {
        return nullptr;
    } catch (const std::exception&) {
        return nullptr;
    }
    m_current = slot.get();
    m_configs.push_back(std::move(slot));
    return m_current;
}

ConfigFile* LoadedServers::FindConfigFile(const QString& path) const
{
    const QString key = pathKey(path);
    for (const auto& config : m_configs) {
        if (pathKey(QString::fromStdString(config->FileName())) == key)
            return config.get();
    }
    return nullptr;
}

ConfigFile* LoadedServers::ReloadFromSnapshot(const QString& path)
{
    m_current = FindConfigFile(path);
    if (m_current) {
        try {
            m_current->SetNormalizeLayout(NormalizeLayoutForWorkingCopy(
                AppFolder(QString::fromStdString(m_appFolder)), m_current->FileName()));
            m_current->DeSerialize();
        } catch (const std::exception&) {
            // The model keeps what it had; the next command reloads again.
        }
    }
    return m_current;
}

void LoadedServers::remove(const ConfigFile* config)
{
    for (auto it = m_configs.begin(); it != m_configs.end(); ++it) {
        if (it->get() == config) {
            if (m_current == config)
                m_current = nullptr;
            m_configs.erase(it);
            return;
        }
    }
}

void LoadedServers::clear()
{
    m_current = nullptr;
    m_configs.clear();
}

ConfigFile* LoadedServers::at(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return m_configs[std::size_t(index)].get();
}

} // namespace corvane::snapin
