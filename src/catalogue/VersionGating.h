#pragma once
// Form-wide enabling of a page's or dialog's controls by the server's Apache
// version, after the catalogue checksum test.
#include "catalogue/GatedControl.h"

#include <string>
#include <vector>

namespace corvane {

class DirbaseParser;

enum class GatingResult {
    Applied,        // every tagged control's enabled state was set
    ChecksumFailed  // controls left as they were; show kChecksumFailedMessage
};

// Sets each control with a non-blank tag to
// VersionCompatibility(trimmed tag, apacheVersion, temp) using parser.
void enableControls(const DirbaseParser& parser, const std::string& apacheVersion,
                    const std::vector<GatedControl*>& controls, bool temp);

// Checks appDir/Corvane.dll against the built-in checksum; when it passes,
// loads it and enables the controls as enableControls() does.
GatingResult gateControls(const std::string& appDir, const std::string& apacheVersion,
                          const std::vector<GatedControl*>& controls, bool temp);

// As gateControls(), with the version the registry holds for serverName
// ("2.0.49" for the server "Sample").
GatingResult gateControlsForServer(const std::string& appDir, const std::string& serverName,
                                   const std::vector<GatedControl*>& controls, bool temp);

} // namespace corvane
