#pragma once
// How the model commands read their SCOPE and VALUE arguments, shared by the
// commands on one file and on a whole server.
#include <cstdint>
#include <string>

namespace corvane {
class ConfigFile;
}

namespace corvanectl {

// One value as Apache reads it: in double quotes when it holds blanks.
std::string quotedArgument(const std::string& arg);
// SCOPE is a number (-1 the main server) or a section head such as "<VirtualHost *:80>".
bool resolveScope(const corvane::ConfigFile& cf, const std::string& text, std::int32_t& scope,
                  std::string& error);

} // namespace corvanectl
