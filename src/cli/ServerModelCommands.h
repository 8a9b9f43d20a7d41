#pragma once
// corvanectl server tree | get | set | delete on a registered server's whole model.
#include "registry/Servers.h"

#include <string>
#include <vector>

namespace corvanectl {

int serverTree(const corvane::Servers& servers, const std::string& name);
// args: NAME SCOPE DIRECTIVE
int serverGet(const corvane::Servers& servers, const std::vector<std::string>& args);
// args: NAME SCOPE DIRECTIVE [VALUE...]
int serverUpdate(const corvane::Servers& servers, const std::vector<std::string>& args, bool remove);

} // namespace corvanectl
