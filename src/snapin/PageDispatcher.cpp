#include "snapin/PageDispatcher.h"

#include "snapin/SectionTypes.h"

namespace corvane::snapin {

namespace {

QString trimBlanks(const QString& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s.at(b) == u' ')
        ++b;
    while (e > b && s.at(e - 1) == u' ')
        --e;
    return s.mid(b, e - b);
}

} // namespace

QList<PageSpec> PageDispatcher::pagesForNode(int nodeTag, int sectionType, bool windowsServer)
{
    if (nodeTag == kServerTag) {
        return {{QStringLiteral("ppgGlobalProperties"), {}},
                {QStringLiteral("ppgGlobalProperties_1"), {}},
                {QStringLiteral("ppgUnSupportedDirectives"), {}},
                {QStringLiteral("ppgConnections"), {}}};
    }
    if (nodeTag == kMainServerTag) {
        QList<PageSpec> pages{{QStringLiteral("ppgServerSettings"), {}},
                              {QStringLiteral("ppgCustomErrors"), {}},
                              {QStringLiteral("ppgDocuments"), {}},
                              {QStringLiteral("ppgHomeDirectory"), {}}};
        if (windowsServer)
            pages.append({QStringLiteral("ppgISAPIExtensions"), {}});
        pages.append({QStringLiteral("ppgHTTPHeaders"), {}});
        pages.append({QStringLiteral("ppgUnSupportedDirectives"), {}});
        return pages;
    }
    if (nodeTag < 1)
        return {};
    switch (sectionType) {
    case kScopeVirtualHost:
        return {{QStringLiteral("ppgServerSettings"), {}}, {QStringLiteral("ppgCustomErrors"), {}},
                {QStringLiteral("ppgDocuments"), {}},      {QStringLiteral("ppgHomeDirectory"), {}},
                {QStringLiteral("ppgHTTPHeaders"), {}},    {QStringLiteral("ppgUnSupportedDirectives"), {}}};
    // Directories and locations also get the MIME map of their own scope.
    case kScopeDirectory:
        return {{QStringLiteral("ppgDirectorySecurity"), {}},
                {QStringLiteral("ppgDirectoryMimeMap"), {}},
                {QStringLiteral("ppgUnSupportedDirectives"), {}}};
    case kScopeLocation:
        return {{QStringLiteral("ppgDirectorySecurity"), QStringLiteral("Location Security")},
                {QStringLiteral("ppgDirectoryMimeMap"), {}},
                {QStringLiteral("ppgUnSupportedDirectives"), {}}};
    case kScopeIfModule:
        return {{QStringLiteral("ppgUnSupportedDirectives"), {}}};
    case kScopeFiles: // a <Files> section holding sections is a node
        return pagesForFilesItem(nodeTag, sectionType);
    case kScopeNone:
        return {};
    default: // every other section: its directives on the Extended Properties page
        return {{QStringLiteral("ppgUnSupportedDirectives"), {}}};
    }
}

QList<PageSpec> PageDispatcher::pagesForFilesItem(int nodeTag, int sectionType)
{
    if (nodeTag < 1 || sectionType != kScopeFiles)
        return {};
    return {{QStringLiteral("ppgDirectorySecurity"), QStringLiteral("File Security")},
            {QStringLiteral("ppgUnSupportedDirectives"), {}}};
}

bool PageDispatcher::nodeHasPages(bool isRoot, int nodeTag, int sectionType)
{
    if (isRoot)
        return true;
    if (nodeTag == kServerTag || nodeTag == kMainServerTag)
        return true;
    return nodeTag >= 1 && sectionType != kScopeNone;
}

bool PageDispatcher::filesItemHasPages(int nodeTag, int sectionType)
{
    return nodeTag >= 1 && sectionType == kScopeFiles;
}

bool PageDispatcher::isWindowsOsType(const QString& osType)
{
    return trimBlanks(osType.toLower()) == QLatin1String("windows");
}

} // namespace corvane::snapin
