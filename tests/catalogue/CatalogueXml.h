#pragma once
// Helpers for writing small catalogue files in tests.
#include <QByteArray>
#include <QFile>
#include <QString>

namespace cataloguetest {

struct Entry
{
    QByteArray name;
    QByteArray description = "d";
    QByteArray versions;
    QByteArray supported = "True";
    QByteArray module = "core";
    QByteArray server = "Yes", main = "Yes", vhost = "No", directory = "No";
    QByteArray syntax, values, defaultValue;
};

inline QByteArray field(const char* element, const QByteArray& text)
{
    return "<" + QByteArray(element) + ">" + text + "</" + QByteArray(element) + ">";
}

// One Directive_Info with all twelve fields.
inline QByteArray info(const Entry& e)
{
    return "<Directive_Info>" + field("Directive_Name", e.name) + field("Directive_Description", e.description) +
           field("Directive_Compatibility", e.versions) + field("Directive_Supported", e.supported) +
           field("Module_Name", e.module) + field("Directive_Context_ServerConfig", e.server) +
           field("Directive_Context_MainConfig", e.main) + field("Directive_Context_VirtualHost", e.vhost) +
           field("Directive_Context_Directory", e.directory) + field("Directive_Syntax", e.syntax) +
           field("Directive_Values", e.values) + field("Directive_Default", e.defaultValue) + "</Directive_Info>";
}

inline QByteArray document(const QByteArray& body)
{
    return "<?xml version=\"1.0\"?>\n<Catalogue>" + body + "</Catalogue>\n";
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace cataloguetest
