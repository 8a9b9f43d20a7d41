#include "model/ConfigTree.h"

#include <algorithm>
#include <fnmatch.h>
#include <functional>
#include <sstream>

namespace corvane {

namespace {

bool hasWildcard(const std::string& part)
{
    return part.find_first_of("*?[") != std::string::npos;
}

std::vector<std::string> splitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(path);
    while (std::getline(in, part, '/')) {
        if (!part.empty())
            parts.push_back(part);
    }
    return parts;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Folders in folder parts of a pattern came with 2.3.6; before, only the last part may hold wildcards.
bool folderWildcardsAllowed(const std::string& version)
{
    int major = 0, minor = 0, patch = 0;
    char dot = 0;
    std::istringstream in(version);
    in >> major >> dot >> minor >> dot >> patch;
    return major > 2 || (major == 2 && (minor > 3 || (minor == 3 && patch >= 6)));
}

// Every file under `folder`, sorted at each level as Apache sorts (byte order),
// subfolders read where they come.
void collectFolder(TreeSource& source, const std::string& folder, std::vector<std::string>& out, int depth)
{
    std::vector<std::string> names;
    std::string error;
    if (depth > 32 || !source.list(folder, names, error))
        return;
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = joinPath(folder, name);
        if (source.isFolder(path))
            collectFolder(source, path, out, depth + 1);
        else
            out.push_back(path);
    }
}

bool exists(TreeSource& source, const std::string& path)
{
    if (source.isFolder(path))
        return true;
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    std::vector<std::string> names;
    std::string error;
    return source.list(folder, names, error) &&
           std::find(names.begin(), names.end(), path.substr(slash + 1)) != names.end();
}

} // namespace

std::string ResolveServerPath(const std::string& serverRoot, const std::string& path)
{
    const std::string full = !path.empty() && path.front() == '/' ? path : joinPath(serverRoot, path);
    std::vector<std::string> kept;
    for (const std::string& part : splitPath(full)) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string out;
    for (const std::string& part : kept)
        out += "/" + part;
    return out.empty() ? "/" : out;
}

std::string ExpandVariables(const std::string& text, const std::map<std::string, std::string>& variables,
                            std::string* unknown)
{
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find("${", pos);
        const size_t end = start == std::string::npos ? std::string::npos : text.find('}', start + 2);
        if (end == std::string::npos) {
            out += text.substr(pos);
            break;
        }
        out += text.substr(pos, start - pos);
        const std::string name = text.substr(start + 2, end - start - 2);
        if (const auto it = variables.find(name); it != variables.end()) {
            out += it->second;
        } else {
            out += text.substr(start, end - start + 1);
            if (unknown)
                *unknown += (unknown->empty() ? "" : ", ") + name;
        }
        pos = end + 1;
    }
    return out;
}

std::vector<std::string> ExpandInclude(TreeSource& source, const TreeSettings& settings,
                                       const std::string& argument, bool optional, std::string& error)
{
    error.clear();
    const std::string path = ResolveServerPath(settings.serverRoot, argument);
    const std::vector<std::string> parts = splitPath(path);
    std::vector<std::string> out;
    if (!hasWildcard(path)) {
        if (source.isFolder(path))
            collectFolder(source, path, out, 0);
        else if (exists(source, path))
            out.push_back(path);
        else if (!optional)
            error = "Include: " + path + " does not exist";
        return out;
    }
    const bool folderWildcards = folderWildcardsAllowed(settings.apacheVersion);
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        if (hasWildcard(parts[i]) && !folderWildcards) {
            error = "Include: wildcards in folder names are not allowed by this Apache version: " + path;
            return out;
        }
    }
    // Walk the parts: a plain part is taken as it is, a wildcard part lists
    // its folder and keeps the names it matches, sorted.
    std::function<void(const std::string&, size_t)> walk = [&](const std::string& folder, size_t index) {
        const bool last = index + 1 == parts.size();
        if (!hasWildcard(parts[index])) {
            const std::string next = joinPath(folder, parts[index]);
            if (last) {
                if (source.isFolder(next))
                    collectFolder(source, next, out, 0);
                else if (exists(source, next))
                    out.push_back(next);
            } else if (source.isFolder(next)) {
                walk(next, index + 1);
            }
            return;
        }
        std::vector<std::string> names;
        std::string why;
        if (!source.list(folder, names, why))
            return;
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            if (::fnmatch(parts[index].c_str(), name.c_str(), FNM_PERIOD) != 0)
                continue;
            const std::string next = joinPath(folder, name);
            if (last) {
                if (source.isFolder(next))
                    collectFolder(source, next, out, 0);
                else
                    out.push_back(next);
            } else if (source.isFolder(next)) {
                walk(next, index + 1);
            }
        }
    };
    // The plain folders before the first wildcard are taken as they are
    // (a remote account may not see the folders above its own).
    size_t first = 0;
    std::string start = "/";
    while (first < parts.size() && !hasWildcard(parts[first]))
        start = joinPath(start, parts[first++]);
    if (first < parts.size())
        walk(start, first);
    if (out.empty() && !optional)
        error = "Include: no file matches the wildcard " + path;
    return out;
}

} // namespace corvane
