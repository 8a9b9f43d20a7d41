#pragma once
// Single-value reads of the server registry and helpers shared by the console,
// the pages and the wizards.
#include "registry/AppFolder.h"

#include <QString>

#include <string>

namespace corvane {

// The value of `key` in `section` of the ini file at `iniPath`; "" when missing.
std::string ReadIniValue(const std::string& section, const std::string& key, const QString& iniPath);
// "2.0.49" for the server "Sample" (after trimming blanks), otherwise
// ReadIniValue(trimmed server, key, trimmed iniPath). Pages pass "APACHE_VERSION".
std::string GetServerApacheVersion(const std::string& server, const QString& iniPath,
                                   const std::string& key = "APACHE_VERSION");
// "OS_TYPE" of the server in the application folder's Corvane.ini.
std::string GetServerOsType(const AppFolder& folder, const std::string& server);
// Whether saves of the server's httpd.conf regenerate its layout
// ("NORMALIZE_LAYOUT" is "1"); off for every server that does not say so.
bool GetServerNormalizeLayout(const AppFolder& folder, const std::string& server);
// The same for the server whose working copy is at workingCopyPath.
bool NormalizeLayoutForWorkingCopy(const AppFolder& folder, const std::string& workingCopyPath);
// True when Corvane.ini holds at least one section.
bool HasServerSections(const AppFolder& folder);
// True when Sample/WorkArea/httpd.conf exists under the application folder.
bool SampleServerExists(const AppFolder& folder);
bool FolderExists(const QString& path);

// Password scrambling for the "PASSWORD" key: every byte becomes a distinct
// group of three printable characters (no blanks, quotes, ";", "=", "[",
// "]", "#" or "\"); DecodePassword maps the groups back and drops groups it
// does not know and a trailing incomplete group.
std::string EncodePassword(const std::string& password);
std::string DecodePassword(const std::string& scrambled);

// Blanks (U+0020) trimmed from both ends, as the registry compares names.
std::string TrimBlanks(const std::string& text);

} // namespace corvane
