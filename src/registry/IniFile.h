#pragma once
// A profile (ini) file read and written with the semantics administrators know
// from Windows profile files: "[section]" headers and "key=value" lines,
// section and key names compared without regard to case (ASCII), the first
// match wins, a missing key reads as "". Values are bytes (std::string) and
// may be of any length.
//
// Writing changes only the line (or section) it is about: every other line of
// the file keeps its bytes, comments, spacing and line ends. The file is
// replaced atomically (temporary file in the same folder, then rename) and
// gets mode 0600 because it may hold scrambled passwords.
#include <QString>

#include <string>
#include <utility>
#include <vector>

namespace corvane {

class IniFile
{
public:
    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    // The value of the first `key` in the first section named `section`,
    // blanks and tabs trimmed and one pair of enclosing quotes removed; ""
    // when the file, the section or the key is missing.
    std::string readValue(const std::string& section, const std::string& key) const;
    // True when the key exists (even with an empty value).
    bool hasKey(const std::string& section, const std::string& key) const;
    // The distinct section names in file order, spelled as in the file.
    std::vector<std::string> sectionNames() const;
    bool hasSection(const std::string& section) const;
    // The key/value pairs of the first section of that name, in file order.
    std::vector<std::pair<std::string, std::string>> keys(const std::string& section) const;

    // Sets one key. An existing line is rewritten as "key=value" in place; a
    // new key is added after the last key of the section; a new section is
    // appended at the end of the file (the file is created when missing).
    // False (and errorString()) for names or values that cannot be stored in
    // an ini line (line breaks, NUL, "=" in a key, "]" in a section name) or
    // when the file cannot be written.
    bool writeValue(const std::string& section, const std::string& key, const std::string& value);
    // Removes one key line (first match). True when the key is gone.
    bool removeKey(const std::string& section, const std::string& key);
    // Removes every section of that name: its header and all lines up to the
    // next header. True when no such section remains (also when there was none).
    bool removeSection(const std::string& section);
    // Replaces the content of a section with "key=value" lines (the section is
    // created when missing).
    bool writeSection(const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries);

    // Why the last write failed.
    const QString& errorString() const { return m_error; }

private:
    bool checkNames(const std::string& section, const std::string* key, const std::string* value);
    bool save(const std::string& bytes);

    QString m_path;
    QString m_error;
};

} // namespace corvane
