#pragma once
// A server's configuration model as the console and corvanectl load it from
// the work area: the working copy alone, or, for a configuration split over
// files, the working copy and every included file the last fetch brought in.
#include "model/ConfigTree.h"
#include "registry/AppFolder.h"

#include <string>

namespace corvane {

class ConfigFile;

// Reads the server's working copy into cf (its FileName is set here). False
// when the configuration cannot be read at all (why in error); includes that
// could not be resolved are listed in the report.
bool ReadServerModel(const AppFolder& folder, const std::string& server, ConfigFile& cf, TreeReport& report,
                     std::string& error);

} // namespace corvane
