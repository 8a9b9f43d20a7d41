#pragma once
// Maps help topic names and page help context numbers to our help pages
// (HTML compiled in as resources under :/help/). Topic names accepted:
// "Corvane.chm::/Overview\Dirbase-OverView1.htm" (and any "Corvane.chm::/X"
// whose file part we know), "overview", "node/<kind>" with kind one of root,
// server, mainserver, vhost, directory, location, ifmodule, files, or a page
// file name such as "node-server.html". Context numbers come from
// :/help/contexts.txt ("number page.html[#anchor]" per line).
#include <QString>
#include <QStringList>
#include <QUrl>

namespace corvane {

class HelpTopics
{
public:
    static constexpr const char* overviewTopic() { return "Corvane.chm::/Overview\\Dirbase-OverView1.htm"; }

    // qrc URL of the page for a topic; empty when unknown.
    static QUrl resolveTopic(const QString& topic);
    static QUrl resolveContext(int contextId);
    // Topic name for a node type name ("Corvane", "Server", "DefaultVHost", "VHosts",
    // "Directory", "Location", "IfModule", "File").
    static QString topicForNodeType(const QString& nodeType);
    static QStringList pages(); // every help page file name
};

} // namespace corvane
