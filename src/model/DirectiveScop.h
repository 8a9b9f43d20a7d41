#pragma once
// The section reading of one section line (<Directory /www>, </VirtualHost>):
// its name, its kind (scope type), head or end (sub type) and its arguments.
#include <string>
#include <vector>

namespace corvane {

class DirectiveScop
{
public:
    // Scope types, chosen by the upper-cased section name.
    enum ScopeType : int {
        ScopeDirectory = 0,
        ScopeDirectoryMatch = 1,
        ScopeFiles = 2,
        ScopeFilesMatch = 3,
        ScopeLocation = 4,
        ScopeLocationMatch = 5,
        ScopeVirtualHost = 6,
        ScopeServer = 7, // the server pseudo-line and every section name outside this table
        ScopeIfDefine = 8,
        ScopeIfModule = 9,
    };
    // Sub types.
    enum SubType : int { SubHead = 0, SubEnd = 1, SubNeither = 2 };

    static constexpr const char* kServerName = "#ENTIRESERVER#";
    static constexpr const char* kErrorName = "#ERROR#";

    DirectiveScop() = default;

    const std::string& GetDirScopeName() const { return m_name; }
    const std::string& DirScopeString() const { return m_text; }
    // Stores the text unchanged and derives name, scope type, sub type and parameters.
    void SetDirScopeString(const std::string& text);

    std::string GetParamList() const;
    std::string GetParamListFrom(int start) const;
    bool SetParamList(const std::string& value);
    // Trimmed parameter at 1-based index; "" outside 1..count.
    std::string GetParam(int index) const;
    int GetParamCount() const { return static_cast<int>(m_params.size()); }
    int GetType() const { return m_scopeType; }
    int GetSubType() const { return m_subType; }

    bool SetParam(const std::string& value, int index);
    bool AddParam(const std::string& value);
    bool DeleteParam(int index);
    bool DeleteAllParams();
    // Regenerates the line from name and parameters (heads and ends of known kinds only).
    bool RebuildDirScopeString();

    // Classification of a section line without building the object; the same
    // results SetDirScopeString gives on a new object. scopeType -1: not in the table.
    static std::string ScopeNameOf(const std::string& trimmed);
    static int ScopeTypeOfName(const std::string& name);
    static int SubTypeOf(const std::string& trimmed, int scopeType);

    // Raw stored parameters, 0-based (parameter i is at [i - 1]).
    const std::vector<std::string>& params() const { return m_params; }

private:
    void FindDirScopeName();
    void FindScopeType();
    void ExtractScopeParams();

    std::string m_text;
    std::string m_name;
    std::vector<std::string> m_params;
    int m_scopeType = ScopeServer;
    int m_subType = SubNeither;
};

} // namespace corvane
