#pragma once
// Adds a new, empty section (head and end line) to a configuration model.
// Each procedure returns the directive number of the new head, or -1 when the
// parent scope does not exist (then nothing is added). The caller writes the
// working copy and the snapshot afterwards.
#include <cstdint>
#include <string>

namespace corvane {
class ConfigFile;
}

namespace corvane::snapin {

class SectionEditor
{
public:
    // "<VirtualHost name>" at top level; the name goes in as given.
    static std::int32_t AddVirtualHostSection(ConfigFile& config, const std::string& name);
    // The argument is trimmed; callers pass it in double quotes.
    static std::int32_t AddDirectorySection(ConfigFile& config, const std::string& argument, std::int32_t parentNo);
    static std::int32_t AddLocationSection(ConfigFile& config, const std::string& argument, std::int32_t parentNo);
    static std::int32_t AddIfModuleSection(ConfigFile& config, const std::string& argument, std::int32_t parentNo);
    static std::int32_t AddFilesSection(ConfigFile& config, const std::string& argument, std::int32_t parentNo);

    // The common step: "<keyword argument>" and "</keyword>" under parentNo
    // (-1 the main server).
    static std::int32_t addSection(ConfigFile& config, const std::string& keyword, const std::string& argument,
                                   std::int32_t parentNo);
};

} // namespace corvane::snapin
