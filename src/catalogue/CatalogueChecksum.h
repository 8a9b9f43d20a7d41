#pragma once
// The catalogue checksum test: the CRC-32 of the catalogue file compared with
// the checksum computed when the program was built from its catalogue table.
#include <string>

namespace corvane {

inline constexpr const char* kChecksumFailedMessage = "Corvane Configuration file Checksum failed, so skipping it";

// CRC-32 of the file's bytes as upper-case hexadecimal without leading
// zeros; "" when the file cannot be read.
std::string catalogueCrc32Text(const std::string& path);

// Passes when the file's checksum equals expected, trimmed of blanks.
bool CheckCatalogueChecksum(const std::string& path, const std::string& expected);

// Passes when the file's checksum equals the one built into the program.
bool CheckCatalogueChecksum(const std::string& path);

// The checksum of the catalogue built into the program.
std::string builtInCatalogueChecksum();

} // namespace corvane
