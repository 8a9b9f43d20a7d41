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
    for (const Entry& e : entries) {
        const int no = e.head->DirectiveNo();
        if (e.other) {
            out.push_back({NodeKind::Section, no, ScopeScanner::sectionTitle(*e.scope), e.name, {}});
            continue;
        }
        switch (e.scope->GetType()) {
        case DirectiveScop::ScopeVirtualHost:
            out.push_back({NodeKind::VirtualHost,
                           no,
                           ScopeScanner::virtualHostName(config, no, *e.scope),
                           {},
                           ScopeScanner::virtualHostDescription(config, no)});
            break;
        case DirectiveScop::ScopeIfModule:
            out.push_back({NodeKind::IfModule, no, ScopeScanner::moduleName(*e.scope), {}, {}});
            break;
        case DirectiveScop::ScopeDirectory:
            out.push_back({NodeKind::Directory, no, ScopeScanner::argumentName(*e.scope), {}, {}});
            break;
        case DirectiveScop::ScopeLocation:
            out.push_back({NodeKind::Location, no, ScopeScanner::argumentName(*e.scope), {}, {}});
            break;
        case DirectiveScop::ScopeFiles:
            if (!isListedFiles(config, e))
                out.push_back({NodeKind::Files, no, ScopeScanner::filesPattern(*e.scope), {}, {}});
            break;
        default:
            out.push_back({NodeKind::Section,
                           no,
                           ScopeScanner::sectionTitle(*e.scope),
                           e.scope->GetDirScopeName(),
                           {}});
            break;
        }
    }
    return out;
}

} // namespace

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
