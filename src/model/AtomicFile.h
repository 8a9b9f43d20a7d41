#pragma once
// Whole-file writes that never leave a half-written file: the bytes go to a
// temporary file in the same folder, which then replaces the target.
#include <string>

namespace corvane {

class AtomicFile
{
public:
    // False (target untouched, *error set when given) on any failure.
    static bool write(const std::string& path, const std::string& bytes, std::string* error = nullptr);
    // Reads a whole regular file; false when it cannot be opened or read.
    static bool read(const std::string& path, std::string& bytes, std::string* error = nullptr);
};

} // namespace corvane
