#include "catalogue/DirbaseParser.h"

#include "catalogue/CatalogueText.h"

#include <QDomDocument>
#include <QFile>

#include <array>
#include <string_view>

namespace corvane {

using namespace cataloguetext;

namespace {

// The twelve field elements of one Directive_Info, by base name.
enum class Field {
    Name,
    Description,
    Compatibility,
    Supported,
    Module,
    ServerConfig,
    MainConfig,
    VirtualHost,
    Directory,
    Syntax,
    Values,
    Default,
    None
};

constexpr int kFieldCount = 12;

Field fieldOf(std::string_view baseName)
{
    static constexpr std::array<std::pair<std::string_view, Field>, kFieldCount> names{{
        {"Directive_Name", Field::Name},
        {"Directive_Description", Field::Description},
        {"Directive_Compatibility", Field::Compatibility},
        {"Directive_Supported", Field::Supported},
        {"Module_Name", Field::Module},
        {"Directive_Context_ServerConfig", Field::ServerConfig},
        {"Directive_Context_MainConfig", Field::MainConfig},
        {"Directive_Context_VirtualHost", Field::VirtualHost},
        {"Directive_Context_Directory", Field::Directory},
        {"Directive_Syntax", Field::Syntax},
        {"Directive_Values", Field::Values},
        {"Directive_Default", Field::Default},
    }};
    for (const auto& [name, field] : names) {
        if (name == baseName)
            return field;
    }
    return Field::None;
}

// Base name of an element: the part after a namespace prefix.
std::string baseName(const QDomNode& node)
{
    QString name = node.nodeName();
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        name = name.mid(colon + 1);
    return name.toStdString();
}

bool isYes(const std::string& text)
{
    return upper(trimBlanks(text)) == "YES";
}

// The entry being gathered while the document is walked.
struct Gathering
{
    bool active = false;
    int fields = 0;
    std::string supportedText;
    xmldirective entry;

    void set(Field field, const std::string& text)
    {
        switch (field) {
        case Field::Name: entry.setName(text); break;
        case Field::Description: entry.setDescription(text); break;
        case Field::Compatibility: entry.setVersion(text); break;
        case Field::Supported:
            supportedText = text;
            entry.setSupported(upper(text) == "TRUE");
            break;
        case Field::Module: entry.setModuleName(trimBlanks(text)); break;
        case Field::ServerConfig: entry.setServerScope(isYes(text)); break;
        case Field::MainConfig: entry.setMainServerScope(isYes(text)); break;
        case Field::VirtualHost: entry.setVirtualHostScope(isYes(text)); break;
        case Field::Directory: entry.setDirectoryScope(isYes(text)); break;
        case Field::Syntax: entry.setSyntax(text); break;
        case Field::Values: entry.setValues(text); break;
        case Field::Default: entry.setDefaultValue(text); break;
        case Field::None: break;
        }
        ++fields;
    }
};

} // namespace

DirbaseParser::DirbaseParser(const std::string& appDir)
    : m_fileName(appDir + "/Corvane.dll")
{
    GetDirectiveList();
    m_needNonSupported = false;
}

std::string DirbaseParser::normalName(const std::string& name)
{
    return upper(trimBlanks(name));
}

void DirbaseParser::GetDirectiveList()
{
    m_directives.Clear();
    m_index.clear();
    QFile file(QString::fromStdString(m_fileName));
    if (!file.open(QIODevice::ReadOnly))
        return;
    QDomDocument document;
    if (!document.setContent(&file, false))
        return; // not well-formed: the catalogue stays empty
    loadDocument(document);
    rebuildIndex();
}

void DirbaseParser::loadDocument(const QDomDocument& document)
{
    Gathering gathering;
    // Depth-first walk in document order without recursion, so a deeply
    // nested file cannot exhaust the stack.
    QDomNode node = document.firstChild();
    while (!node.isNull()) {
        if (node.isElement()) {
            const std::string name = baseName(node);
            const Field field = fieldOf(name);
            if (field != Field::None || name == "Directive_Info") {
                if (!gathering.active)
                    gathering = Gathering{true, 0, {}, {}};
                if (field != Field::None)
                    gathering.set(field, node.toElement().text().toStdString());
            }
        }
        // An entry is complete once twelve fields are counted; a short entry
        // simply takes the fields of the following one.
        if (gathering.active && gathering.fields == kFieldCount) {
            if (m_needNonSupported || lower(trimBlanks(gathering.supportedText)) == "true")
                m_directives.Add(gathering.entry);
            gathering.active = false;
        }
        if (!node.firstChild().isNull()) {
            node = node.firstChild();
            continue;
        }
        while (!node.isNull() && node.nextSibling().isNull())
            node = node.parentNode();
        if (!node.isNull())
            node = node.nextSibling();
        if (!node.isNull() && node.isDocument())
            break;
    }
}

void DirbaseParser::rebuildIndex()
{
    m_index.clear();
    int i = 0;
    for (const xmldirective& entry : m_directives) {
        ++i;
        m_index.try_emplace(normalName(entry.Name()), i);
    }
}

const xmldirective* DirbaseParser::findDirective(const std::string& directiveName) const
{
    const auto it = m_index.find(normalName(directiveName));
    return it == m_index.end() ? nullptr : m_directives.Item(it->second);
}

const xmldirective* DirbaseParser::GetDirective(std::string& directiveName) const
{
    directiveName = normalName(directiveName);
    return findDirective(directiveName);
}

std::string DirbaseParser::DirectiveDescription(const std::string& directiveName) const
{
    const xmldirective* entry = findDirective(directiveName);
    return entry ? entry->Description() : std::string();
}

bool DirbaseParser::VersionCompatibility(const std::string& directiveName, const std::string& apacheVersion,
                                         bool temp) const
{
    const xmldirective* entry = findDirective(directiveName);
    if (!entry)
        return true;
    const std::string versions = trimBlanks(entry->Version());
    if (versions.empty())
        return true;
    const std::string wanted = trimBlanks(apacheVersion);
    size_t start = 0;
    while (true) {
        const size_t bar = versions.find('|', start);
        const std::string piece =
            trimBlanks(versions.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (piece == wanted)
            return true;
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    return temp;
}

} // namespace corvane
