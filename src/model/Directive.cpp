#include "model/Directive.h"

#include "model/ConfigFile.h"
#include "model/ModelErrors.h"
#include "model/ModelProcedures.h"

namespace corvane {

using namespace modelerrors;

namespace {

// Trimmed; wrapped in double quotes when it holds a blank and is not quoted yet.
std::string quotedValue(const std::string& value)
{
    const std::string v = Trim(value);
    const bool quoted = !v.empty() && v.front() == '"' && v.back() == '"';
    if (!v.empty() && !quoted && v.find(' ') != std::string::npos)
        return '"' + v + '"';
    return v;
}

void splitDirectiveParams(const std::string& text, std::vector<std::string>& out)
{
    out.clear();
    const std::size_t blank = text.find(' ');
    if (blank == std::string::npos)
        return;
    const std::string rest = Trim(text.substr(blank + 1));
    std::string last = SplitArguments(rest, out);
    if (!last.empty())
        out.push_back(std::move(last));
}

} // namespace

Directive::Directive() = default;

Directive::Directive(std::string text)
{
    SetDirectiveString(std::move(text));
}

Directive::~Directive()
{
    m_scop.reset();
    m_parent = nullptr;
    m_paramsBox.reset();
}

std::string Directive::GetDirectiveName() const
{
    return m_text.substr(m_nameStart, m_nameLen);
}

void Directive::FindDirectiveName()
{
    guarded(7, kDirectiveSource, kFindName, [&] {
        const std::size_t blank = m_text.find(' ');
        // Up to the first blank (the blank itself is trimmed away), else all.
        std::size_t len = blank == std::string::npos ? m_text.size() : blank;
        std::size_t start = 0;
        if (len >= 2 && m_text[0] == '<' && m_text[1] == '/')
            start = 2;
        else if (len >= 1 && m_text[0] == '<')
            start = 1;
        m_nameStart = static_cast<std::uint8_t>(start);
        m_nameLen = static_cast<std::uint32_t>(len - start);
    });
}

void Directive::SetDirectiveString(const std::string& text)
{
    SetDirectiveString(std::string(text));
}

void Directive::SetDirectiveString(std::string&& text)
{
    // Parameters not yet split belong to the old text: split them before it
    // goes when the new text leaves the parameter list as it was (a comment, a
    // blank, or a line without a blank).
    if (!m_paramsCached) {
        const std::size_t b = text.find_first_not_of(' ');
        const bool keepsParams =
            b == std::string::npos || text[b] == '#' || text.find(' ') == std::string::npos;
        if (keepsParams)
            ensureParams();
    }
    m_text = std::move(text);
    assignText();
}

void Directive::assignText()
{
    FindDirectiveName();
    FindType();
    ExtractParams();
    // A section line gets a new section object; it is built when first asked
    // for, and until then its kind is derived here from the same text.
    m_scop.reset();
    m_scopeType = m_subType = -1;
    if (m_type == TypeSection) {
        const std::string_view t = DirectiveScop::TrimView(m_text);
        const std::string_view name = DirectiveScop::ScopeNameOf(t);
        int scopeType = DirectiveScop::ScopeTypeOfName(name);
        if (scopeType < 0)
            scopeType = DirectiveScop::ScopeServer;
        m_scopeType = static_cast<std::int8_t>(scopeType);
        m_subType = static_cast<std::int8_t>(DirectiveScop::SubTypeOf(t, scopeType));
    }
}

DirectiveScop* Directive::GetCurrentScopeDirective() const
{
    if (m_type != TypeSection)
        return nullptr;
    if (!m_scop) {
        m_scop = std::make_unique<DirectiveScop>();
        m_scop->SetDirScopeString(m_text);
    }
    return m_scop.get();
}

int Directive::ScopeType() const
{
    if (m_type != TypeSection)
        return -1;
    return m_scop ? m_scop->GetType() : m_scopeType;
}

int Directive::ScopeSubType() const
{
    if (m_type != TypeSection)
        return -1;
    return m_scop ? m_scop->GetSubType() : m_subType;
}

const std::string& Directive::SectionText() const
{
    return m_type == TypeSection && m_scop ? m_scop->DirScopeString() : m_text;
}

const std::string& Directive::DirectiveComment() const
{
    static const std::string kEmpty;
    return m_comment ? *m_comment : kEmpty;
}

void Directive::SetDirectiveComment(const std::string& comment)
{
    if (comment.empty())
        m_comment.reset();
    else
        m_comment = std::make_unique<std::string>(comment);
}

void Directive::ExtractParams()
{
    guarded(8, kDirectiveSource, kExtractParams, [&] {
        if (m_type == TypeComment || m_type == TypeBlank)
            return;
        if (m_text.find(' ') == std::string::npos)
            return;
        // Split lazily on first use: most lines of a large file are never asked.
        m_paramsBox.reset();
        m_paramsCached = false;
    });
}

void Directive::ensureParams() const
{
    if (m_paramsCached)
        return;
    splitDirectiveParams(m_text, paramList());
    m_paramsCached = true;
}

const std::vector<std::string>& Directive::params() const
{
    ensureParams();
    return paramList();
}

std::string Directive::GetParam(int index) const
{
    ensureParams();
    if (index < 1 || index > static_cast<int>(paramList().size()))
        return {};
    return Trim(paramList()[static_cast<std::size_t>(index - 1)]);
}

int Directive::GetParamCount() const
{
    ensureParams();
    return static_cast<int>(paramList().size());
}

std::string Directive::GetParamListFrom(int start) const
{
    std::string result;
    const int count = GetParamCount();
    for (int i = start; i <= count; ++i) {
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

std::string Directive::GetParamList() const
{
    return GetParamListFrom(1);
}

bool Directive::SetParamList(const std::string& value)
{
    const std::string v = Trim(value);
    DeleteAllParams();
    ensureParams();
    paramList().push_back(v);
    return RebuildDirectiveString();
}

void Directive::FindType()
{
    guarded(9, kDirectiveSource, kFindType, [&] {
        std::size_t b = m_text.find_first_not_of(' ');
        if (b == std::string::npos)
            m_type = TypeBlank;
        else if (m_text[b] == '#')
            m_type = TypeComment;
        else if (m_text[b] == '<')
            m_type = TypeSection;
        else
            m_type = TypeSimple;
    });
}

void Directive::SetParentDirective(Directive* ParDir)
{
    m_parent = ParDir;
    touchOwner();
}

void Directive::SetDirectiveNo(std::int32_t no)
{
    m_no = no;
    touchOwner();
}

void Directive::touchOwner()
{
    if (m_owner)
        m_owner->invalidateIndex();
}

bool Directive::SetParam(const std::string& value, int index)
{
    return guarded(10, kDirectiveSource, kSetParam, [&] {
        const std::string v = quotedValue(value);
        ensureParams();
        if (index >= 1 && index <= static_cast<int>(paramList().size()))
            paramList()[static_cast<std::size_t>(index - 1)] = v;
        return RebuildDirectiveString();
    });
}

bool Directive::AddParam(const std::string& value)
{
    return guarded(11, kDirectiveSource, kAddParam, [&] {
        ensureParams();
        paramList().push_back(quotedValue(value));
        return RebuildDirectiveString();
    });
}

bool Directive::DeleteParam(int index)
{
    return guarded(12, kDirectiveSource, kDeleteParam, [&] {
        ensureParams();
        if (index >= 1 && index <= static_cast<int>(paramList().size()))
            paramList().erase(paramList().begin() + (index - 1));
        return RebuildDirectiveString();
    });
}

bool Directive::DeleteAllParams()
{
    ensureParams();
    paramList().clear();
    return RebuildDirectiveString();
}

bool Directive::RebuildDirectiveString()
{
    if (m_type != TypeSimple)
        return false;
    ensureParams();
    std::string text = GetDirectiveName();
    for (const std::string& raw : paramList()) {
        const std::string p = Trim(raw);
        if (!p.empty()) {
            text += ' ';
            text += p;
        }
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    SetDirectiveString(text);
    return true;
}

} // namespace corvane
