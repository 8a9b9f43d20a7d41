#pragma once
// Procedures shared by the console, pages and dialogs that work on the model.
#include "model/ListRows.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvane {

class ConfigFile;

// Removes leading and trailing blanks (U+0020 only).
std::string Trim(const std::string& s);
// ASCII upper case; other bytes unchanged.
std::string UCase(const std::string& s);

// Server name of a working copy <appFolder>/<server>/WorkArea/httpd.conf.
std::string GetServerNameFromConfigPath(const std::string& appFolder, const std::string& path);
// Text after the first ":", trimmed; "" when there is no ":".
std::string GetPortFromAddress(const std::string& address);
// Items (all, or only those whose selected flag is set) each followed by a blank, trimmed.
std::string JoinListBoxItems(const std::vector<std::string>& items, const std::vector<bool>& selected = {},
                             bool selectedOnly = false);
// First-column texts of the rows each followed by a blank, trimmed.
std::string JoinListViewItems(const ListRows& rows);

bool IsModuleLoaded(const ConfigFile& model, const std::string& module, std::int32_t scopeNo);
bool IsModuleFileLoaded(const ConfigFile& model, const std::string& name, std::int32_t scopeNo);
// Asks (Yes = true) "<MODULE> is to be loaded, Do you wish to load it now ?" until
// the module is loaded; on Yes runs openModules (the module editor on the same
// model and scope) and checks again.
bool EnsureModuleLoaded(ConfigFile& model, const std::string& module, std::int32_t scopeNo,
                        const std::function<bool(const std::string& question)>& ask,
                        const std::function<void()>& openModules);
// The question EnsureModuleLoaded asks.
std::string ModuleLoadQuestion(const std::string& module);

} // namespace corvane

namespace corvane {
// Splits a directive's argument text: blanks outside double quotes separate, a
// quote not preceded by a backslash opens or closes a quoted stretch and a
// closing quote ends the token. Non-empty trimmed tokens go to out; the token
// left after the last character (trimmed, maybe empty) is returned.
std::string SplitArguments(const std::string& rest, std::vector<std::string>& out);
} // namespace corvane
