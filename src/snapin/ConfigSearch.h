#pragma once
// Finds a directive name or a text across a server's whole configuration
// (every file its includes brought in): each hit with the node that shows
// it, the file and the line. One walk over the lines and one over the files,
// however many hits there are.
#include <QString>

#include <cstddef>
#include <string>
#include <vector>

namespace corvane {
class ConfigFile;
}

namespace corvane::snapin {

struct SearchHit
{
    int directiveNo = 0;
    int node = -1;             // tag of the node that shows the line (-1 Main Server)
    std::vector<int> nodePath; // tags from below Main Server down to `node`
    QString nodeName;          // as the tree shows it
    std::string serverPath;    // the file's server path ("" for a plain file)
    QString file;              // relative to the server root, or the file's name
    int line = 0;              // the file's line number
    QString text;              // the line, trimmed
};

class ConfigSearch
{
public:
    // Directives and section heads whose name equals `text` (`namesOnly`,
    // any letter case), or whose line holds `text` anywhere (any letter case
    // for ASCII letters). Comments, blank lines and section ends do not
    // count. At most `limit` hits are returned, in file order; `total`
    // receives how many there are.
    static std::vector<SearchHit> find(ConfigFile& config, const QString& text, bool namesOnly,
                                       std::size_t limit, std::size_t* total = nullptr);
    // A file's path as the results show it.
    static QString shownPath(const ConfigFile& config, const std::string& serverPath);
};

} // namespace corvane::snapin
