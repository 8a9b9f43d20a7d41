#pragma once
// Which property pages a node of the console tree gets, and in which order.
// The answer depends only on the node's tag, the kind of its section and the
// operating system of its server, so it is a pure function the tests can
// check for every node kind without a window.
#include <QList>
#include <QString>

namespace corvane::snapin {

// One page of a property sheet: the page class name (the key of the page
// factory registry) and the caption the shell imposes, empty when the page
// keeps its own.
struct PageSpec
{
    QString pageName;
    QString caption;

    bool operator==(const PageSpec&) const = default;
};

class PageDispatcher
{
public:
    // Pages of a scope node. nodeTag is -2 (server), -1 (Main Server) or the
    // section head's directive number; sectionType the scope type of that
    // section (only read when nodeTag >= 1). windowsServer adds the ISAPI page
    // to the Main Server.
    static QList<PageSpec> pagesForNode(int nodeTag, int sectionType, bool windowsServer);

    // Pages of a <Files> item of the result list.
    static QList<PageSpec> pagesForFilesItem(int nodeTag, int sectionType);

    // Whether a node has a property sheet at all (the page query): the root
    // answers yes (and then gets no page), sections only of the kinds that
    // are nodes.
    static bool nodeHasPages(bool isRoot, int nodeTag, int sectionType);
    static bool filesItemHasPages(int nodeTag, int sectionType);

    // "OS_TYPE" of the registry, lower-cased and trimmed, is "windows".
    static bool isWindowsOsType(const QString& osType);
};

} // namespace corvane::snapin
