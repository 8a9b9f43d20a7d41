#include "model/DirectiveScop.h"

#include "model/ModelErrors.h"
#include "model/ModelProcedures.h"

namespace corvane {

using namespace modelerrors;

namespace {

struct ScopeName
{
    const char* upper;
    int type;
};

constexpr ScopeName kScopeNames[] = {
    {"DIRECTORY", DirectiveScop::ScopeDirectory},
    {"DIRECTORYMATCH", DirectiveScop::ScopeDirectoryMatch},
    {"FILES", DirectiveScop::ScopeFiles},
    {"FILESMATCH", DirectiveScop::ScopeFilesMatch},
    {"LOCATION", DirectiveScop::ScopeLocation},
    {"LOCATIONMATCH", DirectiveScop::ScopeLocationMatch},
    {"VIRTUALHOST", DirectiveScop::ScopeVirtualHost},
    {"#ENTIRESERVER#", DirectiveScop::ScopeServer},
    {"IFDEFINE", DirectiveScop::ScopeIfDefine},
    {"IFMODULE", DirectiveScop::ScopeIfModule},
};

std::string quoteIfBlank(const std::string& value)
{
    const bool quoted = !value.empty() && value.front() == '"' && value.back() == '"';
    if (!value.empty() && !quoted && value.find(' ') != std::string::npos)
        return '"' + value + '"';
    return value;
}

} // namespace

void DirectiveScop::SetDirScopeString(const std::string& text)
{
    m_text = text;
    FindDirScopeName();
    FindScopeType();
    ExtractScopeParams();
}

std::string DirectiveScop::ScopeNameOf(const std::string& t)
{
    if (t == "<#ENTIRESERVER#>")
        return kServerName;
    std::size_t start = 0;
    if (t.size() >= 2 && t[0] == '<' && t[1] == '/')
        start = 2;
    else if (!t.empty() && t[0] == '<')
        start = 1;
    const std::size_t stop = t.find_first_of(" >", start);
    return stop == std::string::npos ? std::string(kErrorName) : t.substr(start, stop - start);
}

int DirectiveScop::ScopeTypeOfName(const std::string& name)
{
    const std::string upper = UCase(name);
    for (const ScopeName& s : kScopeNames) {
        if (upper == s.upper)
            return s.type;
    }
    return -1;
}

int DirectiveScop::SubTypeOf(const std::string& t, int scopeType)
{
    if (scopeType == ScopeServer || t.size() < 2)
        return SubNeither;
    if (t[0] == '<' && t[1] == '/')
        return SubEnd;
    return t[0] == '<' ? SubHead : SubNeither;
}

void DirectiveScop::FindDirScopeName()
{
    m_name = ScopeNameOf(Trim(m_text));
}

void DirectiveScop::FindScopeType()
{
    const int type = ScopeTypeOfName(m_name);
    if (type >= 0)
        m_scopeType = type;
    m_subType = SubTypeOf(Trim(m_text), m_scopeType);
}

void DirectiveScop::ExtractScopeParams()
{
    guarded(13, kScopeSource, kExtractScopeParams, [&] {
        if (m_name == kErrorName)
            return;
        const std::string t = Trim(m_text);
        std::size_t at = 0; // 1-based position of the name, 0 when absent
        if (m_name.empty())
            at = t.empty() ? 0 : 1;
        else if (std::size_t f = t.find(m_name); f != std::string::npos)
            at = f + 1;
        const std::size_t p = at == 0 ? 0 : at + m_name.size();
        if (p == 0 || m_name.size() == m_text.size())
            return;
        const std::string rest = p >= m_text.size() ? std::string() : Trim(m_text.substr(p));
        m_params.clear();
        std::string last = SplitArguments(rest, m_params);
        if (last.empty())
            return;
        if (last.back() == '>')
            last.pop_back();
        m_params.push_back(std::move(last));
    });
}

std::string DirectiveScop::GetParamListFrom(int start) const
{
    std::string result;
    for (int i = start; i <= GetParamCount(); ++i) {
        const std::string p = GetParam(i);
        if (result.empty()) {
            result += p;
        } else {
            result += ' ';
            result += p;
        }
    }
    return Trim(result);
}

std::string DirectiveScop::GetParamList() const
{
    return GetParamListFrom(1);
}

bool DirectiveScop::SetParamList(const std::string& value)
{
    const std::string v = Trim(value);
    DeleteAllParams();
    m_params.push_back(v);
    return RebuildDirScopeString();
}

std::string DirectiveScop::GetParam(int index) const
{
    if (index < 1 || index > GetParamCount())
        return {};
    return Trim(m_params[static_cast<std::size_t>(index - 1)]);
}

bool DirectiveScop::SetParam(const std::string& value, int index)
{
    return guarded(14, kScopeSource, kScopeSetParam, [&] {
        const std::string v = quoteIfBlank(value);
        if (index >= 1 && index <= GetParamCount())
            m_params[static_cast<std::size_t>(index - 1)] = v;
        return RebuildDirScopeString();
    });
}

bool DirectiveScop::AddParam(const std::string& value)
{
    return guarded(15, kScopeSource, kScopeAddParam, [&] {
        m_params.push_back(value);
        return RebuildDirScopeString();
    });
}

bool DirectiveScop::DeleteParam(int index)
{
    return guarded(16, kScopeSource, kScopeDeleteParam, [&] {
        if (index >= 1 && index <= GetParamCount())
            m_params.erase(m_params.begin() + (index - 1));
        return RebuildDirScopeString();
    });
}

bool DirectiveScop::DeleteAllParams()
{
    return guarded(16, kScopeSource, kScopeDeleteParam, [&] {
        m_params.clear();
        return RebuildDirScopeString();
    });
}

bool DirectiveScop::RebuildDirScopeString()
{
    if (m_scopeType == ScopeServer || m_subType == SubNeither)
        return false;
    std::string text = (m_subType == SubEnd ? "</" : "<") + m_name;
    for (const std::string& raw : m_params) {
        const std::string p = Trim(raw);
        if (!p.empty()) {
            text += ' ';
            text += p;
        }
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    text += '>';
    SetDirScopeString(text);
    return true;
}

} // namespace corvane
