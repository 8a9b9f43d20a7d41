#pragma once
// A server's configuration split over files: the main file and every file an
// Include or IncludeOptional brings in, found as Apache finds them.
//
// Files are named by their path on the server ("server paths"). A TreeSource
// reaches them: the work area for reading and writing the model, the remote
// server (listing folders to expand wildcards) when fetching.
#include <map>
#include <string>
#include <vector>

namespace corvane {

// How the files of a server's configuration are reached, by server path.
class TreeSource
{
public:
    virtual ~TreeSource() = default;
    // The whole file; false (why in error) when it does not exist or cannot be read.
    virtual bool read(const std::string& serverPath, std::string& bytes, std::string& error) = 0;
    // The names in a folder (no "." or ".."); false when it is no folder or cannot be listed.
    virtual bool list(const std::string& serverFolder, std::vector<std::string>& names,
                      std::string& error) = 0;
    // True for a folder, false for a file or nothing.
    virtual bool isFolder(const std::string& serverPath) = 0;
};

struct TreeSettings
{
    std::string mainFile; // server path of the main file, e.g. /etc/apache2/apache2.conf
    std::string
        serverRoot; // relative Include paths start here; "" = the main file's own ServerRoot, else its folder
    std::string apacheVersion;                    // "2.4.58": how folders and folder wildcards are included
    std::map<std::string, std::string> variables; // ${VAR} values besides Define (e.g. Debian's envvars)
};

// One file of the tree, in the order Apache reads them (the main file first).
struct TreeFile
{
    std::string serverPath;
    int includedBy = 0; // DirectiveNo of the Include line that brought it in; 0 for the main file
};

// What reading a tree found besides its lines.
struct TreeReport
{
    std::vector<std::string> errors;   // an Include matching nothing, a cycle, a file that cannot be read
    std::vector<std::string> warnings; // what could not be resolved (an unknown ${VAR}, ...)
    bool ok() const { return errors.empty(); }
};

// Expands the argument of an Include/IncludeOptional line (quotes removed
// by the caller) to the server paths it names, in Apache's order: relative
// to the server root, wildcards in the last part (and in folder parts where
// the version allows), a folder giving the files in it, sorted. An Include
// that matches nothing is an error (in `error`); an IncludeOptional is not.
std::vector<std::string> ExpandInclude(TreeSource& source, const TreeSettings& settings,
                                       const std::string& argument, bool optional, std::string& error);

// ${VAR} replaced from the variables; an unknown one is left as it is and
// named in `unknown`.
std::string ExpandVariables(const std::string& text, const std::map<std::string, std::string>& variables,
                            std::string* unknown = nullptr);

// A server path made absolute against the server root ("/" separators, "."
// and ".." resolved).
std::string ResolveServerPath(const std::string& serverRoot, const std::string& path);

// A server path as the administrator reads it: relative to the server root
// when it lies below it, else as it is.
std::string PathBelowRoot(const std::string& path, const std::string& serverRoot);

} // namespace corvane
