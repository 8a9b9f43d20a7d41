#include "snapin/ScopeScanner.h"

#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/DirectiveScop.h"
#include "snapin/NodeText.h"
#include "snapin/SectionTypes.h"

namespace corvane::snapin {

namespace {

// Calls fn(directive, scope) for every live section head whose parent is the
// scope numbered parentNo (-1: the server directive), in list order.
template<typename Fn>
void forEachSectionIn(const ConfigFile& config, int parentNo, Fn fn)
{
    // The model keeps a per-scope index, so this visits only the scope's own
    // lines (in list order) instead of the whole file.
    for (const Directive* d : config.GetScopeLines(parentNo)) {
        if (!d || d->GetType() != Directive::TypeSection)
            continue;
        const Directive* parent = d->ParentDirective();
        if (!parent || parent->DirectiveNo() != parentNo)
            continue;
        const DirectiveScop* s = d->GetCurrentScopeDirective();
        if (!s || s->GetParamCount() <= 0)
            continue;
        fn(*d, *s);
    }
}

} // namespace

std::string ScopeScanner::virtualHostName(const ConfigFile& config, int headNo, const DirectiveScop& scope)
{
    std::string name = trimBlanks(scope.GetParam(1));
    if (name == "*") {
        const std::string serverName = config.FindServerNameOfVirtualHost(headNo);
        if (serverName != "#NOTFOUND#")
            name = serverName;
    }
    return removeQuotes(name);
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
    std::vector<ChildNode> out;
    forEachSectionIn(config, kMainServerTag, [&](const Directive& d, const DirectiveScop& s) {
        switch (s.GetType()) {
        case kScopeVirtualHost:
            out.push_back({NodeKind::VirtualHost, d.DirectiveNo(), virtualHostName(config, d.DirectiveNo(), s)});
            break;
        case kScopeIfModule:
            out.push_back({NodeKind::IfModule, d.DirectiveNo(), moduleName(s)});
            break;
        case kScopeDirectory:
            out.push_back({NodeKind::Directory, d.DirectiveNo(), argumentName(s)});
            break;
        case kScopeLocation:
            out.push_back({NodeKind::Location, d.DirectiveNo(), argumentName(s)});
            break;
        default:
            break;
        }
    });
    return out;
}

std::vector<ChildNode> ScopeScanner::sectionChildren(const ConfigFile& config, int parentNo)
{
    std::vector<ChildNode> out;
    if (parentNo < 1 || !isNodeSectionType(sectionType(config, parentNo)))
        return out;
    forEachSectionIn(config, parentNo, [&](const Directive& d, const DirectiveScop& s) {
        switch (s.GetType()) {
        case kScopeDirectory:
            out.push_back({NodeKind::Directory, d.DirectiveNo(), argumentName(s)});
            break;
        case kScopeLocation:
            out.push_back({NodeKind::Location, d.DirectiveNo(), argumentName(s)});
            break;
        case kScopeIfModule:
            out.push_back({NodeKind::IfModule, d.DirectiveNo(), argumentName(s)});
            break;
        default:
            break;
        }
    });
    return out;
}

std::vector<FilesEntry> ScopeScanner::filesEntries(const ConfigFile& config, int parentNo)
{
    std::vector<FilesEntry> out;
    forEachSectionIn(config, parentNo, [&](const Directive& d, const DirectiveScop& s) {
        if (s.GetType() == kScopeFiles)
            out.push_back({d.DirectiveNo(), filesPattern(s)});
    });
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
