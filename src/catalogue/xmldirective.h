#pragma once
// One entry of the directive catalogue: what Corvane knows about one Apache
// directive. A new entry has empty strings and false flags.
#include <string>

namespace corvane {

class xmldirective
{
public:
    const std::string& DefaultValue() const { return m_defaultValue; }
    void setDefaultValue(const std::string& v) { m_defaultValue = v; }
    const std::string& Values() const { return m_values; }
    void setValues(const std::string& v) { m_values = v; }
    const std::string& Syntax() const { return m_syntax; }
    void setSyntax(const std::string& v) { m_syntax = v; }
    const std::string& Name() const { return m_name; }
    void setName(const std::string& v) { m_name = v; }
    // The Apache version strings that know the directive, separated by "|";
    // empty means every version.
    const std::string& Version() const { return m_version; }
    void setVersion(const std::string& v) { m_version = v; }
    const std::string& Description() const { return m_description; }
    void setDescription(const std::string& v) { m_description = v; }
    bool ServerScope() const { return m_serverScope; }
    void setServerScope(bool v) { m_serverScope = v; }
    bool MainServerScope() const { return m_mainServerScope; }
    void setMainServerScope(bool v) { m_mainServerScope = v; }
    bool VirtualHostScope() const { return m_virtualHostScope; }
    void setVirtualHostScope(bool v) { m_virtualHostScope = v; }
    bool DirectoryScope() const { return m_directoryScope; }
    void setDirectoryScope(bool v) { m_directoryScope = v; }
    const std::string& ModuleName() const { return m_moduleName; }
    void setModuleName(const std::string& v) { m_moduleName = v; }
    // True when Corvane has a page or dialog of its own for the directive.
    bool Supported() const { return m_supported; }
    void setSupported(bool v) { m_supported = v; }

private:
    std::string m_defaultValue;
    std::string m_values;
    std::string m_syntax;
    std::string m_name;
    std::string m_version;
    std::string m_description;
    bool m_serverScope = false;
    bool m_mainServerScope = false;
    bool m_virtualHostScope = false;
    bool m_directoryScope = false;
    std::string m_moduleName;
    bool m_supported = false;
};

} // namespace corvane
