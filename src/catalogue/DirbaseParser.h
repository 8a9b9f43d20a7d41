#pragma once
// Reads the directive catalogue (Corvane.dll, an XML file despite its name)
// and answers the questions the pages and dialogs ask of it: does a directive
// exist in a given Apache version, what does it do, what is its whole entry.
// A missing or malformed catalogue gives an empty catalogue, so every
// directive then counts as known to every version.
#include "catalogue/XMLDirectives.h"

#include <string>
#include <unordered_map>

class QDomDocument;

namespace corvane {

class DirbaseParser
{
public:
    // An empty parser: no file name, empty catalogue.
    DirbaseParser() = default;
    // FileName = appDir + "/Corvane.dll", then loads the supported entries.
    explicit DirbaseParser(const std::string& appDir);

    const std::string& FileName() const { return m_fileName; }
    // Plain setter: does not reload.
    void setFileName(const std::string& fileName) { m_fileName = fileName; }

    // Whether loading keeps entries not marked supported; takes effect at
    // the next GetDirectiveList().
    bool NeedNonSupportedDirectives() const { return m_needNonSupported; }
    void setNeedNonSupportedDirectives(bool need) { m_needNonSupported = need; }

    // Empties the catalogue and loads FileName().
    void GetDirectiveList();

    // True when the directive is unknown, has no version list, or lists
    // apacheVersion exactly (both sides trimmed); otherwise temp.
    bool VersionCompatibility(const std::string& directiveName, const std::string& apacheVersion,
                              bool temp) const;
    // Description of the first entry of that name, "" when there is none.
    std::string DirectiveDescription(const std::string& directiveName) const;
    // First entry of that name or nullptr; directiveName is replaced by its
    // trimmed, upper-cased form.
    const xmldirective* GetDirective(std::string& directiveName) const;
    // Same lookup without touching the caller's string.
    const xmldirective* findDirective(const std::string& directiveName) const;
    const XMLDirectives& GetAllDirectives() const { return m_directives; }

    // Name normalisation used for every lookup: blanks trimmed, ASCII upper case.
    static std::string normalName(const std::string& name);

private:
    void loadDocument(const QDomDocument& document);
    void rebuildIndex();

    std::string m_fileName;
    XMLDirectives m_directives;
    std::unordered_map<std::string, int> m_index; // normal name -> 1-based index of first entry
    bool m_needNonSupported = false;
};

} // namespace corvane
