// Queries and edits of ConfigFile: scopes are named by the number of their
// head line, -1 for the main server; only direct children belong to a scope.
#include "model/ConfigFile.h"

#include "model/ModelErrors.h"
#include "model/ModelProcedures.h"

#include <functional>

namespace corvane {

using namespace modelerrors;

namespace {

bool sameNameNoCase(const Directive* d, const std::string& upperName)
{
    return d->GetType() == Directive::TypeSimple && UCase(d->GetDirectiveName()) == upperName;
}

const char* kVhostDescription = "#CORVANE_VHOST_DESCRIPTION ";

} // namespace

Directive* ConfigFile::FindSubDirective(const std::string& sSub, std::int32_t ParentDirNo) const
{
    const std::string upper = UCase(sSub);
    for (int pos : childrenOf(ParentDirNo)) {
        Directive* d = m_list[static_cast<std::size_t>(pos)];
        if (!d->IsDeleted() && sameNameNoCase(d, upper))
            return d;
    }
    return nullptr;
}

std::vector<Directive*> ConfigFile::GetAllMatchingSubDirectives(const std::string& sDirectiveName,
                                                                std::int32_t ParentDirNo) const
{
    const std::string upper = UCase(Trim(sDirectiveName));
    std::vector<Directive*> found;
    for (int pos : childrenOf(ParentDirNo)) {
        Directive* d = m_list[static_cast<std::size_t>(pos)];
        if (!d->IsDeleted() && sameNameNoCase(d, upper))
            found.push_back(d);
    }
    return found;
}

bool ConfigFile::DeleteAllMatchingSubDirectives(const std::string& sDirectiveName, std::int32_t ParentDirNo)
{
    for (Directive* d : GetAllMatchingSubDirectives(sDirectiveName, ParentDirNo))
        d->MarkDelete();
    return true;
}

bool ConfigFile::DeleteDirective(std::int32_t lDirNo)
{
    return guarded(2, kConfigFileSource, kDeleteDirective, [&] {
        Directive* d = FindDirective(lDirNo);
        if (!d)
            return false;
        d->MarkDelete();
        return DeleteAllSubDirectives(lDirNo);
    });
}

bool ConfigFile::DeleteAllSubDirectives(std::int32_t ParentDirNo)
{
    return guarded(5, kConfigFileSource, kDeleteSub, [&] {
        // Depth-first without recursion: nesting in a hostile file can be deep.
        std::vector<std::int32_t> scopes{ParentDirNo};
        while (!scopes.empty()) {
            const std::int32_t scope = scopes.back();
            scopes.pop_back();
            for (int pos : childrenOf(scope)) {
                Directive* d = m_list[static_cast<std::size_t>(pos)];
                if (d->IsDeleted())
                    continue;
                d->MarkDelete();
                if (d->GetType() == Directive::TypeSection)
                    scopes.push_back(d->DirectiveNo());
            }
        }
        return true;
    });
}

bool ConfigFile::AddDirective(std::unique_ptr<Directive> DirObj)
{
    return guarded(3, kConfigFileSource, kAddDirective, [&] {
        if (!DirObj)
            raise(3, kConfigFileSource, kAddDirective);
        DirObj->m_no = GetNextDirectiveNo();
        appendOwned(std::move(DirObj));
        return true;
    });
}

int ConfigFile::UpdateDirective(const std::string& sDirectiveName, const std::string& sParamList,
                                std::int32_t lParentDirectiveNo)
{
    const std::string name = Trim(sDirectiveName);
    const std::string value = Trim(sParamList);
    if (lParentDirectiveNo < 1 && lParentDirectiveNo != -1)
        return -4;
    if (refuse(name + " " + value))
        return -2;
    Directive* scope = scopeDirective(lParentDirectiveNo);
    if (!scope)
        return -3;
    // In a configuration split over files, the line Apache applies.
    Directive* d = FindAppliedSubDirective(name, lParentDirectiveNo);
    if (!d) {
        auto added = std::make_unique<Directive>(name);
        added->m_parent = scope;
        added->SetDirectiveComment(dateNote("#Added by Corvane on "));
        d = added.get();
        if (!AddDirective(std::move(added)))
            return -4;
    } else if (d->DirectiveNo() < 1) {
        return 0;
    }
    if (value.empty()) {
        if (!DeleteDirective(d->DirectiveNo()))
            return -1;
        return 1;
    }
    if (UCase(value) != UCase(d->GetParamList()))
        d->SetDirectiveComment(dateNote("Updated by Corvane on "));
    if (!d->SetParamList(value))
        return -2;
    return 1;
}

int ConfigFile::SaveAsNewDirective(const std::string& sDirectiveName, const std::string& sParamList,
                                   std::int32_t lParentDirectiveNo)
{
    const std::string name = Trim(sDirectiveName);
    const std::string params = Trim(sParamList);
    if (lParentDirectiveNo < 1 && lParentDirectiveNo != -1)
        return -4;
    if (refuse(name + " " + params))
        return -2;
    Directive* scope = scopeDirective(lParentDirectiveNo);
    if (!scope)
        return -3;
    auto added = std::make_unique<Directive>(Trim(name + " " + params));
    added->m_parent = scope;
    added->SetDirectiveComment(dateNote("#Added by Corvane on "));
    return AddDirective(std::move(added)) ? 1 : -4;
}

namespace {

// Adds one line per row with the text that textOf gives; shared by the two
// list operations.
bool addRows(ConfigFile& cf, const ListRows* rows, Directive* scope,
             const std::function<bool(const ListRow&, std::string&)>& textOf)
{
    bool ok = true;
    for (const ListRow& row : *rows) {
        std::string text;
        if (!textOf(row, text))
            continue;
        if (!ConfigFile::UnwritableReason(text).empty()) {
            cf.noteRefusal(text);
            ok = false;
            continue;
        }
        auto d = std::make_unique<Directive>(text);
        d->SetParentDirective(scope);
        ok = cf.AddDirective(std::move(d)) && ok;
    }
    return ok;
}

} // namespace

bool ConfigFile::SaveDirectivesFromListView(const ListRows* lstView, const std::string& sDirectiveName,
                                            std::int32_t lParentDirectiveNo)
{
    const std::string name = Trim(sDirectiveName);
    if (!lstView)
        return false;
    if (lParentDirectiveNo < 1 && lParentDirectiveNo != -1)
        return true;
    Directive* scope = scopeDirective(lParentDirectiveNo);
    if (!scope)
        return false;
    return addRows(*this, lstView, scope, [&](const ListRow& row, std::string& text) {
        const std::string t = Trim(row.empty() ? std::string() : row.front());
        if (t.empty())
            return false;
        text = name + " " + t;
        return true;
    });
}

bool ConfigFile::SaveDirectiveAndParametersFromListView(const ListRows* lstView,
                                                        const std::string& sDirectiveName, int NoOfParams,
                                                        int nFirstParam, std::int32_t lParentDirectiveNo)
{
    const std::string name = Trim(sDirectiveName);
    if (!lstView)
        return false;
    if (lParentDirectiveNo < 1 && lParentDirectiveNo != -1)
        return true;
    Directive* scope = scopeDirective(lParentDirectiveNo);
    if (!scope)
        return false;
    return addRows(*this, lstView, scope, [&](const ListRow& row, std::string& text) {
        std::string key;
        std::string others;
        const std::string first = Trim(row.empty() ? std::string() : row.front());
        if (nFirstParam == 1)
            key = first;
        else
            others = first;
        const int subItems = row.empty() ? 0 : static_cast<int>(row.size()) - 1;
        for (int c = 1; c <= NoOfParams - 1; ++c) {
            if (c > subItems)
                continue;
            const std::string sub = Trim(row[static_cast<std::size_t>(c)]);
            if (c + 1 == nFirstParam)
                key = sub;
            else
                others = Trim(others + " " + sub);
        }
        text = name + " " + Trim(key + " " + Trim(others));
        return true;
    });
}

int ConfigFile::UpdateScopeDirectiveParameterList(const std::string& sParam, std::int32_t lDirectiveNo)
{
    const std::string value = Trim(sParam);
    Directive* d = FindDirective(lDirectiveNo);
    if (!d)
        return -4;
    if (refuse(value))
        return -1;
    if (d->GetType() != Directive::TypeSection)
        return -3;
    DirectiveScop* s = d->GetCurrentScopeDirective();
    if (!s)
        return -2;
    return s->SetParamList(value) ? 1 : -1;
}

Directive* ConfigFile::GetVHostDescriptionDirective(std::int32_t lParentVhost) const
{
    static const std::string prefix = "#CORVANE_VHOST_DESCRIPTION";
    for (int pos : childrenOf(lParentVhost)) {
        Directive* d = m_list[static_cast<std::size_t>(pos)];
        if (d->IsDeleted() || d->GetType() != Directive::TypeComment)
            continue;
        if (d->ParentDirective()->ScopeType() != DirectiveScop::ScopeVirtualHost)
            continue;
        if (UCase(Trim(d->DirectiveString())).rfind(prefix, 0) == 0)
            return d;
    }
    return nullptr;
}

int ConfigFile::UpdateVhostDescription(const std::string& sDesc, std::int32_t lParentVhost)
{
    const std::string desc = Trim(sDesc);
    if (lParentVhost < 1 || refuse(desc))
        return -1;
    // An empty description leaves the bare marker, without a trailing blank.
    const std::string line = Trim(kVhostDescription + desc);
    Directive* head = FindDirective(lParentVhost);
    if (!head)
        return -3;
    if (Directive* d = GetVHostDescriptionDirective(lParentVhost)) {
        d->SetDirectiveString(line);
        d->SetDirectiveComment(dateNote("#Updated by Corvane on "));
        return 1;
    }
    auto added = std::make_unique<Directive>(line);
    added->m_parent = head;
    added->SetDirectiveComment(dateNote("#Added by Corvane on "));
    return AddDirective(std::move(added)) ? 1 : -4;
}

std::string ConfigFile::FindServerNameOfVirtualHost(std::int32_t vhostNo) const
{
    const std::string upper = "SERVERNAME";
    for (int pos : childrenOf(vhostNo)) {
        Directive* d = m_list[static_cast<std::size_t>(pos)];
        if (!d->IsDeleted() && sameNameNoCase(d, upper))
            return d->GetParam(1);
    }
    return "#NOTFOUND#";
}

bool ConfigFile::IsPortExists(const std::string& sPort) const
{
    const std::string port = Trim(sPort);
    for (Directive* d : GetAllMatchingSubDirectives("Listen", -1)) {
        const std::string p = Trim(d->GetParam(1));
        if (p == port || (!p.empty() && GetPortFromAddress(p) == port))
            return true;
    }
    return false;
}

} // namespace corvane
