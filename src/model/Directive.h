#pragma once
// One logical line of an Apache configuration file: a simple directive, a
// comment, a blank, or a section line (which owns a DirectiveScop).
#include "model/DirectiveScop.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class ConfigFile;

class Directive
{
public:
    // Type codes.
    enum Type : int
    {
        TypeSection = 0,
        TypeComment = 1,
        TypeBlank = 2,
        TypeSimple = 3
    };

    Directive();
    explicit Directive(std::string text); // same as SetDirectiveString(text)
    ~Directive();
    Directive(const Directive&) = delete;
    Directive& operator=(const Directive&) = delete;

    std::string GetDirectiveName() const;
    void FindDirectiveName();

    const std::string& DirectiveString() const { return m_text; }
    // Stores the text unchanged, then derives name, type and parameters; a
    // section line gets a fresh DirectiveScop.
    void SetDirectiveString(const std::string& text);
    void SetDirectiveString(std::string&& text);

    void ExtractParams();
    // Trimmed parameter at 1-based index; "" outside 1..count.
    std::string GetParam(int index) const;
    std::string GetParamList() const;
    std::string GetParamListFrom(int start) const;
    bool SetParamList(const std::string& value);
    int GetParamCount() const;

    void FindType();
    int GetType() const { return m_type; }
    // The section object of a section line, otherwise nullptr.
    DirectiveScop* GetCurrentScopeDirective() const;
    // For a section line: its DirectiveScop's scope type, sub type and text
    // (without building the object when it was never asked for); -1 / -1 /
    // DirectiveString for other lines.
    int ScopeType() const;
    int ScopeSubType() const;
    const std::string& SectionText() const;

    Directive* ParentDirective() const { return m_parent; }
    void SetParentDirective(Directive* ParDir);

    bool SetParam(const std::string& value, int index);
    bool AddParam(const std::string& value);
    bool DeleteParam(int index);
    bool DeleteAllParams();

    bool IsDeleted() const { return m_deleted; }
    void MarkDelete() { m_deleted = true; }

    std::int32_t DirectiveNo() const { return m_no; }
    void SetDirectiveNo(std::int32_t no);

    bool RebuildDirectiveString();

    bool WrittenToFile() const { return m_written; }
    void SetWrittenToFile(bool written) { m_written = written; }

    const std::string& DirectiveComment() const;
    void SetDirectiveComment(const std::string& comment);

    // Raw stored parameters, 0-based (parameter i is at [i - 1]).
    const std::vector<std::string>& params() const;

private:
    friend class ConfigFile;
    void ensureParams() const;
    void assignText();
    void touchOwner();

    std::string m_text;
    // The name is a piece of the text: [m_nameStart, m_nameStart + m_nameLen);
    // it starts at 0, or after "<" or "</".
    std::uint32_t m_nameLen = 0;
    std::int32_t m_no = 0;

public:
    // Parent number as read from a snapshot; used only while a snapshot is loaded.
    std::int32_t m_lParentDirNo = 0;

private:
    // Hash of the text this line had when it was loaded from a snapshot: finds
    // the line's bytes in the working copy.
    std::uint32_t m_loadedHash = 0;
    std::uint8_t m_nameStart = 0;
    std::int8_t m_type = TypeBlank;
    std::int8_t m_scopeType = -1; // derived from the text while m_scop is not built
    std::int8_t m_subType = -1;
    bool m_deleted = false;
    bool m_written = false;
    // Parameters are split from the text on first use; until then
    // m_paramsCached is false and the list is empty.
    mutable bool m_paramsCached = true;
    // Most lines of a large file never have their parameters split: the list
    // lives outside the line, made on first use.
    mutable std::unique_ptr<std::vector<std::string>> m_paramsBox;
    std::vector<std::string>& paramList() const
    {
        if (!m_paramsBox)
            m_paramsBox = std::make_unique<std::vector<std::string>>();
        return *m_paramsBox;
    }
    mutable std::unique_ptr<DirectiveScop> m_scop; // built on first use
    Directive* m_parent = nullptr;
    ConfigFile* m_owner = nullptr;          // the model holding this line, told of renumbering
    std::unique_ptr<std::string> m_comment; // rarely set
};

} // namespace corvane
