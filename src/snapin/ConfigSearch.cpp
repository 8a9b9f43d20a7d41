#include "snapin/ConfigSearch.h"

#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/DirectiveScop.h"
#include "snapin/NodeText.h"
#include "snapin/ScopeScanner.h"
#include "snapin/SectionTypes.h"

#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace corvane::snapin {

namespace {

char fold(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return fold(x) == fold(y); });
}

bool containsNoCase(std::string_view text, std::string_view what)
{
    return std::search(text.begin(), text.end(), what.begin(), what.end(),
                       [](char x, char y) { return fold(x) == fold(y); }) != text.end();
}

std::string_view trimmed(std::string_view t)
{
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t'))
        t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r' || t.back() == '\n'))
        t.remove_suffix(1);
    return t;
}

// The name a line is found by: a directive's name, a section's kind; "" for
// lines that are no directive (comments, blanks, section ends).
std::string_view nameOf(const Directive& d, std::string& buffer)
{
    if (d.GetType() == Directive::TypeSimple) {
        buffer = d.GetDirectiveName();
        return buffer;
    }
    if (d.GetType() != Directive::TypeSection)
        return {};
    const std::string_view text = trimmed(d.SectionText());
    if (text.size() < 2 || text[0] != '<' || text[1] == '/')
        return {};
    std::size_t end = 1;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '>')
        ++end;
    return text.substr(1, end - 1);
}

} // namespace

QString ConfigSearch::shownPath(const ConfigFile& config, const std::string& serverPath)
{
    if (serverPath.empty())
        return QFileInfo(QString::fromStdString(config.FileName())).fileName();
    // Relative to the server root: its ServerRoot line, else the main file's folder.
    std::string root;
    if (const Directive* d = config.FindSubDirective("ServerRoot", kMainServerTag))
        root = trimBlanks(removeQuotes(d->GetParam(1)));
    if (root.empty()) {
        const std::vector<TreeFile> files = config.Files();
        if (!files.empty())
            root = files.front().serverPath.substr(0, files.front().serverPath.rfind('/') + 1);
    }
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    if (!root.empty() && serverPath.size() > root.size() + 1 &&
        serverPath.compare(0, root.size(), root) == 0 && serverPath[root.size()] == '/')
        return toDisplay(serverPath.substr(root.size() + 1));
    return toDisplay(serverPath);
}

std::vector<SearchHit> ConfigSearch::find(ConfigFile& config, const QString& text, bool namesOnly,
                                          std::size_t limit, std::size_t* total)
{
    std::vector<SearchHit> hits;
    if (total)
        *total = 0;
    const std::string what = trimBlanks(fromDisplay(text));
    if (what.empty())
        return hits;

    std::vector<const Directive*> found;
    std::size_t count = 0;
    std::string buffer;
    for (int i = 1; i <= config.GetDirectiveCount(); ++i) {
        const Directive* d = config.GetDirective(i);
        if (!d)
            continue;
        const std::string_view name = nameOf(*d, buffer);
        if (name.empty())
            continue;
        const bool match = namesOnly ? equalNoCase(name, what) : containsNoCase(d->SectionText(), what);
        if (!match)
            continue;
        ++count;
        if (found.size() < limit)
            found.push_back(d);
    }
    if (total)
        *total = count;
    if (found.empty())
        return hits;

    const LineNodes nodes = ScopeScanner::lineNodes(config);
    const auto places = config.PlacesOf(std::unordered_set<const Directive*>(found.begin(), found.end()));
    std::unordered_map<int, QString> nodeNames;
    std::unordered_map<std::string, QString> shownPaths;
    hits.reserve(found.size());
    for (const Directive* d : found) {
        SearchHit hit;
        hit.directiveNo = d->DirectiveNo();
        const auto node = nodes.nodeOf.find(hit.directiveNo);
        hit.node = node == nodes.nodeOf.end() ? kMainServerTag : node->second;
        hit.nodePath = nodes.pathTo(hit.node);
        auto name = nodeNames.find(hit.node);
        if (name == nodeNames.end()) {
            const Directive* head = hit.node >= 1 ? config.FindDirective(hit.node) : nullptr;
            name = nodeNames
                       .emplace(hit.node, head ? toDisplay(ScopeScanner::nodeFor(config, *head).name)
                                               : QStringLiteral("Main Server"))
                       .first;
        }
        hit.nodeName = name->second;
        if (const auto place = places.find(d); place != places.end()) {
            hit.serverPath = place->second.file;
            hit.line = place->second.line;
        }
        auto path = shownPaths.find(hit.serverPath);
        if (path == shownPaths.end())
            path = shownPaths.emplace(hit.serverPath, shownPath(config, hit.serverPath)).first;
        hit.file = path->second;
        hit.text = toDisplay(std::string(trimmed(d->SectionText())));
        hits.push_back(std::move(hit));
    }
    return hits;
}

} // namespace corvane::snapin
