#pragma once
// What the program delivers into its application folder at first start: the
// folder itself, the Sample server and the directive catalogue.
#include <string>

namespace corvane {

// Writes the catalogue built into the program to appDir/Corvane.dll when the
// file is missing or differs from it (an older catalogue is replaced).
// Returns false when the file cannot be written.
bool installCatalogue(const std::string& appDir, std::string* error = nullptr);

// The bytes of the catalogue built into the program.
std::string builtInCatalogue();

// Creates the application folder (appDir, or the per-user default when
// empty), installs the Sample server on first start and the catalogue.
// Every executable calls it at start. resolvedDir receives the folder used.
bool prepareApplicationFolder(const std::string& appDir, std::string* error = nullptr,
                              std::string* resolvedDir = nullptr);

} // namespace corvane
