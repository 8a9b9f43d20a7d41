#include "snapin/ScopeScanner.h"

#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/DirectiveScop.h"
#include "snapin/NodeText.h"
#include "snapin/SectionTypes.h"

#include <cctype>
#include <string_view>

namespace corvane::snapin {

namespace {

// A section as the console shows it. `other` marks a kind the model does not
// nest: its content is what stood between its head and its end.
struct Entry
{
    const Directive* head;
    const DirectiveScop* scope;
    bool other;
    std::string name; // section name as written (other kinds)
    std::vector<Entry> inner;
};

std::string_view skipSpace(std::string_view t)
{
    std::size_t b = 0;
    while (b < t.size() && (t[b] == ' ' || t[b] == '\t'))
        ++b;
    return t.substr(b);
}

// The name of a section head or end of a kind the model does not nest, ""
// for a line that is neither (no name, no closing bracket, the server line).
std::string sectionNameOf(const DirectiveScop& scope, bool* end)
{
    const std::string_view t = skipSpace(scope.DirScopeString());
    const std::string& name = scope.GetDirScopeName();
    *end = t.size() > 1 && t[0] == '<' && t[1] == '/';
    if (name.empty() || name == DirectiveScop::kErrorName || name == DirectiveScop::kServerName)
        return {};
    return name;
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The sections of scope `scopeNo` (-1: top level) in list order, other kinds
// holding what stands between their head and their end.
std::vector<Entry> entriesOf(const ConfigFile& config, int scopeNo)
{
    std::vector<Entry> top;
    std::vector<Entry*> open; // a chain: each is the last of its parent's list
    for (const Directive* d : config.GetScopeLines(scopeNo)) {
        if (!d || d->GetType() != Directive::TypeSection)
            continue;
        const Directive* parent = d->ParentDirective();
        if (!parent || parent->DirectiveNo() != scopeNo)
            continue;
        const DirectiveScop* s = d->GetCurrentScopeDirective();
        if (!s)
            continue;
        std::vector<Entry>& into = open.empty() ? top : open.back()->inner;
        if (s->GetSubType() == DirectiveScop::SubHead) {
            if (s->GetParamCount() > 0)
                into.push_back({d, s, false, {}, {}});
            continue;
        }
        if (s->GetType() != DirectiveScop::ScopeServer || s->GetSubType() != DirectiveScop::SubNeither)
            continue;
        bool end = false;
        std::string name = sectionNameOf(*s, &end);
        if (name.empty())
            continue;
        if (!end) {
            into.push_back({d, s, true, std::move(name), {}});
            open.push_back(&into.back());
            continue;
        }
        // An end closes the innermost open section of its name (and any
        // unclosed one inside it); an end without a head closes nothing.
        for (std::size_t i = open.size(); i-- > 0;) {
            if (sameName(open[i]->name, name)) {
                open.resize(i);
                break;
            }
        }
    }
    return top;
}

const Entry* findEntry(const std::vector<Entry>& entries, const Directive* head)
{
    for (const Entry& e : entries) {
        if (e.head == head)
            return &e;
        if (const Entry* inner = findEntry(e.inner, head))
            return inner;
    }
    return nullptr;
}

// The entries directly inside the section headed by `number`.
std::vector<Entry> innerEntries(const ConfigFile& config, int number)
{
    const Directive* d = config.FindDirective(number);
    if (!d || d->GetType() != Directive::TypeSection)
        return {};
    const DirectiveScop* s = d->GetCurrentScopeDirective();
    if (!s)
        return {};
    if (s->GetSubType() == DirectiveScop::SubHead)
        return entriesOf(config, number);
    const Directive* parent = d->ParentDirective();
    if (!parent)
        return {};
    const std::vector<Entry> around = entriesOf(config, parent->DirectiveNo());
    const Entry* e = findEntry(around, d);
    return e ? e->inner : std::vector<Entry>{};
}

bool isListedFiles(const ConfigFile& config, const Entry& e)
{
    return !e.other && e.scope->GetType() == DirectiveScop::ScopeFiles &&
           entriesOf(config, e.head->DirectiveNo()).empty();
}

std::vector<ChildNode> nodesOf(const ConfigFile& config, const std::vector<Entry>& entries)
{
    std::vector<ChildNode> out;
    for (const Entry& e : entries)
        if (e.other || !isListedFiles(config, e))
            out.push_back(ScopeScanner::nodeFor(config, *e.head));
    return out;
}

// A <Files> section is an item of its parent's list unless it holds a
// section (a head of a nested kind, or of a kind paired among its lines).
bool holdsSections(const ConfigFile& config, int number)
{
    for (const Directive* d : config.GetScopeLines(number)) {
        if (!d || d->GetType() != Directive::TypeSection)
            continue;
        const DirectiveScop* s = d->GetCurrentScopeDirective();
        if (!s)
            continue;
        if (s->GetSubType() == DirectiveScop::SubHead) {
            if (s->GetParamCount() > 0)
                return true;
            continue;
        }
        bool end = false;
        if (s->GetType() == DirectiveScop::ScopeServer && s->GetSubType() == DirectiveScop::SubNeither &&
            !sectionNameOf(*s, &end).empty() && !end)
            return true;
    }
    return false;
}

// The nodes of the lines of scope `scopeNo`, shown by node `node`; the same
// pairing of heads and ends as entriesOf.
void assignNodes(const ConfigFile& config, int scopeNo, int node, LineNodes& out)
{
    std::vector<std::pair<std::string, int>> open; // other kinds: name, head number
    for (const Directive* d : config.GetScopeLines(scopeNo)) {
        if (!d)
            continue;
        const int no = d->DirectiveNo();
        const int around = open.empty() ? node : open.back().second;
        const DirectiveScop* s =
            d->GetType() == Directive::TypeSection ? d->GetCurrentScopeDirective() : nullptr;
        const Directive* parent = d->ParentDirective();
        if (!s || !parent || parent->DirectiveNo() != scopeNo) {
            out.nodeOf[no] = around;
            continue;
        }
        if (s->GetSubType() == DirectiveScop::SubHead) {
            int inner = around;
            if (s->GetParamCount() > 0 &&
                (s->GetType() != DirectiveScop::ScopeFiles || holdsSections(config, no))) {
                inner = no;
                out.parentOf[no] = around;
            }
            out.nodeOf[no] = inner;
            assignNodes(config, no, inner, out);
            continue;
        }
        bool end = false;
        std::string name;
        if (s->GetType() == DirectiveScop::ScopeServer && s->GetSubType() == DirectiveScop::SubNeither)
            name = sectionNameOf(*s, &end);
        if (name.empty()) {
            out.nodeOf[no] = around;
            continue;
        }
        if (!end) {
            out.nodeOf[no] = no;
            out.parentOf[no] = around;
            open.emplace_back(std::move(name), no);
            continue;
        }
        out.nodeOf[no] = around;
        for (std::size_t i = open.size(); i-- > 0;) {
            if (sameName(open[i].first, name)) {
                out.nodeOf[no] = open[i].second;
                open.resize(i);
                break;
            }
        }
    }
}

} // namespace

std::vector<int> LineNodes::pathTo(int node) const
{
    std::vector<int> path;
    while (node >= 1 && path.size() <= parentOf.size()) {
        path.insert(path.begin(), node);
        const auto it = parentOf.find(node);
        node = it == parentOf.end() ? kMainServerTag : it->second;
    }
    return path;
}

LineNodes ScopeScanner::lineNodes(const ConfigFile& config)
{
    LineNodes out;
    assignNodes(config, kMainServerTag, kMainServerTag, out);
    return out;
}

ChildNode ScopeScanner::nodeFor(const ConfigFile& config, const Directive& head)
{
    const int no = head.DirectiveNo();
    const DirectiveScop* s = head.GetCurrentScopeDirective();
    if (!s)
        return {NodeKind::Section, no, {}, {}, {}};
    if (s->GetSubType() != DirectiveScop::SubHead) {
        bool end = false;
        return {NodeKind::Section, no, sectionTitle(*s), sectionNameOf(*s, &end), {}};
    }
    switch (s->GetType()) {
    case DirectiveScop::ScopeVirtualHost:
        return {NodeKind::VirtualHost,
                no,
                virtualHostName(config, no, *s),
                {},
                virtualHostDescription(config, no)};
    case DirectiveScop::ScopeIfModule:
        return {NodeKind::IfModule, no, moduleName(*s), {}, {}};
    case DirectiveScop::ScopeDirectory:
        return {NodeKind::Directory, no, argumentName(*s), {}, {}};
    case DirectiveScop::ScopeLocation:
        return {NodeKind::Location, no, argumentName(*s), {}, {}};
    case DirectiveScop::ScopeFiles:
        return {NodeKind::Files, no, filesPattern(*s), {}, {}};
    default:
        return {NodeKind::Section, no, sectionTitle(*s), s->GetDirScopeName(), {}};
    }
}

std::string ScopeScanner::sectionTitle(const DirectiveScop& scope)
{
    std::string title = scope.GetDirScopeName();
    for (int i = 1; i <= scope.GetParamCount(); ++i) {
        const std::string p = trimBlanks(removeQuotes(scope.GetParam(i)));
        if (!p.empty())
            title += ' ' + p;
    }
    return title;
}

std::string ScopeScanner::virtualHostName(const ConfigFile& config, int headNo, const DirectiveScop& scope)
{
    // Every address, quotes removed; the server name in front when there is one.
    std::string address;
    for (int i = 1; i <= scope.GetParamCount(); ++i) {
        const std::string p = trimBlanks(removeQuotes(scope.GetParam(i)));
        if (p.empty())
            continue;
        if (!address.empty())
            address += ' ';
        address += p;
    }
    const std::string serverName = trimBlanks(removeQuotes(config.FindServerNameOfVirtualHost(headNo)));
    if (serverName.empty() || serverName == "#NOTFOUND#")
        return address;
    return serverName + " (" + address + ')';
}

std::string ScopeScanner::virtualHostDescription(const ConfigFile& config, int headNo)
{
    static const std::string marker = "#CORVANE_VHOST_DESCRIPTION";
    const Directive* d = config.GetVHostDescriptionDirective(headNo);
    if (!d)
        return {};
    const std::string text = trimBlanks(d->DirectiveString());
    if (text.size() < marker.size())
        return {};
    for (std::size_t i = 0; i < marker.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != marker[i])
            return {};
    return trimBlanks(text.substr(marker.size()));
}

std::string ScopeScanner::argumentName(const DirectiveScop& scope)
{
    return trimBlanks(removeQuotes(scope.GetParam(1)));
}

std::string ScopeScanner::moduleName(const DirectiveScop& scope)
{
    return removeQuotes(trimBlanks(scope.GetParam(1)));
}

std::string ScopeScanner::filesPattern(const DirectiveScop& scope)
{
    std::string pattern;
    if (trimBlanks(scope.GetParam(1)) == "~")
        pattern = trimBlanks(removeQuotes(scope.GetParam(2)));
    else
        pattern = trimBlanks(removeQuotes(scope.GetParam(1)));
    if (pattern.empty())
        pattern = trimBlanks(removeQuotes(scope.GetParam(1)));
    return pattern;
}

std::vector<ChildNode> ScopeScanner::mainServerChildren(const ConfigFile& config)
{
    return nodesOf(config, entriesOf(config, kMainServerTag));
}

std::vector<ChildNode> ScopeScanner::sectionChildren(const ConfigFile& config, int parentNo)
{
    if (parentNo < 1)
        return {};
    return nodesOf(config, innerEntries(config, parentNo));
}

std::vector<FilesEntry> ScopeScanner::filesEntries(const ConfigFile& config, int parentNo)
{
    std::vector<FilesEntry> out;
    const std::vector<Entry> entries =
        parentNo == kMainServerTag ? entriesOf(config, kMainServerTag) : innerEntries(config, parentNo);
    for (const Entry& e : entries)
        if (isListedFiles(config, e))
            out.push_back({e.head->DirectiveNo(), filesPattern(*e.scope)});
    return out;
}

int ScopeScanner::sectionType(const ConfigFile& config, int number)
{
    const Directive* d = config.FindDirective(number);
    if (!d || d->GetType() != 0)
        return kScopeNone;
    const DirectiveScop* s = d->GetCurrentScopeDirective();
    return s ? s->GetType() : kScopeNone;
}

} // namespace corvane::snapin
