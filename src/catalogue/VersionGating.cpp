#include "catalogue/VersionGating.h"

#include "catalogue/CatalogueChecksum.h"
#include "catalogue/CatalogueText.h"
#include "catalogue/DirbaseParser.h"
#include "registry/AppFolder.h"
#include "registry/RegistryProcedures.h"

namespace corvane {

void enableControls(const DirbaseParser& parser, const std::string& apacheVersion,
                    const std::vector<GatedControl*>& controls, bool temp)
{
    for (GatedControl* control : controls) {
        if (!control)
            continue;
        const std::string tag = cataloguetext::trimBlanks(control->tag());
        if (tag.empty())
            continue; // stands for no directive: never gated
        control->setEnabled(parser.VersionCompatibility(tag, apacheVersion, temp));
    }
}

GatingResult gateControls(const std::string& appDir, const std::string& apacheVersion,
                          const std::vector<GatedControl*>& controls, bool temp)
{
    if (!CheckCatalogueChecksum(appDir + "/Corvane.dll"))
        return GatingResult::ChecksumFailed;
    const DirbaseParser parser(appDir);
    enableControls(parser, apacheVersion, controls, temp);
    return GatingResult::Applied;
}

GatingResult gateControlsForServer(const std::string& appDir, const std::string& serverName,
                                   const std::vector<GatedControl*>& controls, bool temp)
{
    const AppFolder folder(QString::fromStdString(appDir));
    if (!CheckCatalogueChecksum(folder.cataloguePath().toStdString()))
        return GatingResult::ChecksumFailed;
    const std::string version = GetServerApacheVersion(serverName, folder.iniPath());
    const DirbaseParser parser(folder.path().toStdString());
    enableControls(parser, version, controls, temp);
    return GatingResult::Applied;
}

} // namespace corvane
