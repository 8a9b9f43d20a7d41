#pragma once
// The files of one server's configuration as the transfer sees them: the
// main file and every file an Include or IncludeOptional brings in (to any
// depth), found by reading them through a source (the local disk, FTP or
// SFTP), and where each one lives in the work area.
//
// The work area keeps the main file as WorkArea/httpd.conf and every other
// file under WorkArea/tree/<its path under the server root>; a file outside
// the server root lies under WorkArea/outside/<its absolute path>. The list
// of files (WorkArea/files.list) names for each its server path, its place in
// the work area and, when a symbolic link led to it, the path it really is
// at: an upload writes there and leaves the link alone.
#include "model/ConfigTree.h"

#include <QString>

#include <map>
#include <string>
#include <vector>

namespace corvane {

class ProgressMeter;

// A tree source that also tells where a link leads.
class FetchSource : public TreeSource
{
public:
    // The path the file is really at when a symbolic link (of the file or a
    // folder above it) leads there; "" when it is where it is named.
    virtual std::string realPath(const std::string& serverPath) = 0;
};

struct TreeEntry
{
    std::string kind;       // "main", "file" (an included file) or "envvars"
    std::string serverPath; // as the configuration names it
    std::string workPath;   // relative to WorkArea
    std::string realPath;   // where a link leads; "" for a plain file
    // The path that is written on an upload.
    const std::string& writtenPath() const { return realPath.empty() ? serverPath : realPath; }
};

struct TreeManifest
{
    std::string serverRoot;
    std::vector<TreeEntry> files;      // the main file first, then in the order Apache reads them
    std::vector<std::string> patterns; // every Include/IncludeOptional path, absolute

    static QString fileName() { return QStringLiteral("files.list"); }
    bool load(const QString& path);
    bool save(const QString& path, QString* error = nullptr) const;
    const TreeEntry* find(const std::string& serverPath) const;
    // True when an Include or IncludeOptional of the configuration would read
    // `serverPath` (the path itself or a folder above it matches a pattern).
    bool includes(const std::string& serverPath) const;
    // More than the main file: the server is uploaded file by file.
    bool isSplit() const;
};

class ServerTree
{
public:
    // A configuration of more files than this is not followed further.
    static constexpr size_t kMaxTreeFiles = 20000;

    // Where a server path lies in the work area, relative to WorkArea.
    static std::string workPathFor(const std::string& serverPath, const std::string& serverRoot);

    // Reads the main file and every file it includes through `source`;
    // `contents` receives each file's bytes by server path. Errors (an Include
    // matching nothing, a cycle, a file that cannot be read) and warnings go
    // into `report`; the manifest lists what was found either way.
    // `meter` (optional) counts each file read; once it is asked to cancel,
    // nothing more is read and the result is incomplete: the caller keeps
    // none of it.
    static void collect(FetchSource& source, const TreeSettings& settings, TreeManifest& manifest,
                        TreeReport& report, std::map<std::string, std::string>& contents,
                        ProgressMeter* meter = nullptr);

    // The server root a main file declares with ServerRoot; "" when none.
    static std::string declaredServerRoot(const std::string& mainText);

    // A name for the previous version of `serverPath` that no Include of the
    // configuration reads: beside it when possible, else in the server root.
    static std::string backupNameFor(const std::string& serverPath, const TreeManifest& manifest,
                                     const std::string& stamp);
};

} // namespace corvane
