// Configurations split over files: reading the main file and the files its
// Include and IncludeOptional lines bring in, as Apache reads them; where a
// line stands (file and line number); the lines of a scope as they stand.
#include "model/AtomicFile.h"
#include "model/ConfigFile.h"
#include "model/LineLayout.h"
#include "model/ModelErrors.h"
#include "model/ModelProcedures.h"

#include <fnmatch.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <unordered_set>

namespace corvane {

using namespace modelerrors;

namespace {

constexpr int kMaxIncludeDepth = 64;

bool hasWildcard(const std::string& s)
{
    return s.find_first_of("*?[") != std::string::npos;
}

std::vector<std::string> splitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = path.find('/', start);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return parts;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string parentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Versions before 2.3.6 take wildcards in the file name part only.
bool wildcardFoldersAllowed(const std::string& version)
{
    int major = 0;
    int minor = 0;
    int patch = 0;
    if (std::sscanf(version.c_str(), "%d.%d.%d", &major, &minor, &patch) < 2)
        return true;
    if (major != 2)
        return major > 2;
    return minor > 3 || (minor == 3 && patch >= 6);
}

// Every file below a folder, each folder's entries in sorted order.
void filesBelow(TreeSource& source, const std::string& folder, std::vector<std::string>& out, int depth = 0)
{
    std::vector<std::string> names;
    std::string error;
    if (depth > kMaxIncludeDepth || !source.list(folder, names, error))
        return;
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
        if (n == "." || n == "..")
            continue;
        const std::string p = joinPath(folder, n);
        if (source.isFolder(p))
            filesBelow(source, p, out, depth + 1);
        else
            out.push_back(p);
    }
}

std::string unquoted(std::string v)
{
    v = Trim(v);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

std::string upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

std::string ResolveServerPath(const std::string& serverRoot, const std::string& path)
{
    const std::string full = !path.empty() && path.front() == '/' ? path : serverRoot + "/" + path;
    std::vector<std::string> parts;
    for (const std::string& p : splitPath(full)) {
        if (p == ".")
            continue;
        if (p == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(p);
    }
    std::string out;
    for (const std::string& p : parts)
        out += "/" + p;
    return out.empty() ? "/" : out;
}

std::string PathBelowRoot(const std::string& path, const std::string& serverRoot)
{
    std::string root = serverRoot;
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    if (root.empty() || root == "/")
        return path;
    if (path.size() > root.size() && path.compare(0, root.size(), root) == 0 && path[root.size()] == '/')
        return path.substr(root.size() + 1);
    return path;
}

std::string ExpandVariables(const std::string& text, const std::map<std::string, std::string>& variables,
                            std::string* unknown)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find("${", i);
        if (open == std::string::npos) {
            out.append(text, i, std::string::npos);
            break;
        }
        const std::size_t close = text.find('}', open + 2);
        if (close == std::string::npos) {
            out.append(text, i, std::string::npos);
            break;
        }
        out.append(text, i, open - i);
        const std::string name = text.substr(open + 2, close - open - 2);
        const auto it = variables.find(name);
        if (it != variables.end()) {
            out += it->second;
        } else {
            out.append(text, open, close + 1 - open);
            if (unknown && unknown->find("${" + name + "}") == std::string::npos)
                *unknown += (unknown->empty() ? "${" : ", ${") + name + "}";
        }
        i = close + 1;
    }
    return out;
}

std::vector<std::string> ExpandInclude(TreeSource& source, const TreeSettings& settings,
                                       const std::string& argument, bool optional, std::string& error)
{
    error.clear();
    const std::string path = ResolveServerPath(settings.serverRoot, argument);
    std::vector<std::string> found;
    if (!hasWildcard(path)) {
        if (source.isFolder(path)) {
            filesBelow(source, path, found);
            return found;
        }
        std::vector<std::string> names;
        std::string why;
        if (source.list(parentOf(path), names, why) &&
            std::find(names.begin(), names.end(), nameOf(path)) != names.end())
            return {path};
        error = "no such file or folder: " + path;
        return {};
    }
    const std::vector<std::string> parts = splitPath(path);
    for (std::size_t i = 0; i + 1 < parts.size(); ++i)
        if (hasWildcard(parts[i]) && !wildcardFoldersAllowed(settings.apacheVersion)) {
            error = "wildcards in a folder name are not accepted by Apache " + settings.apacheVersion + ": " +
                    path;
            return {};
        }
    // Expand part by part: each folder's matches in sorted order.
    std::vector<std::string> current{"/"};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        std::vector<std::string> next;
        for (const std::string& folder : current) {
            if (!hasWildcard(parts[i])) {
                const std::string p = joinPath(folder, parts[i]);
                if (!last) {
                    if (source.isFolder(p))
                        next.push_back(p);
                } else {
                    std::vector<std::string> names;
                    std::string why;
                    if (source.list(folder, names, why) &&
                        std::find(names.begin(), names.end(), parts[i]) != names.end())
                        next.push_back(p);
                }
                continue;
            }
            std::vector<std::string> names;
            std::string why;
            if (!source.list(folder, names, why))
                continue;
            std::sort(names.begin(), names.end());
            for (const std::string& n : names) {
                if (n == "." || n == ".." || ::fnmatch(parts[i].c_str(), n.c_str(), FNM_PERIOD) != 0)
                    continue;
                const std::string p = joinPath(folder, n);
                if (!last && !source.isFolder(p))
                    continue;
                next.push_back(p);
            }
        }
        current = std::move(next);
    }
    for (const std::string& p : current) {
        if (source.isFolder(p))
            filesBelow(source, p, found);
        else
            found.push_back(p);
    }
    if (found.empty() && !optional)
        error = "no file matches " + path;
    return found;
}

bool ConfigFile::ReadTree(TreeSource& source, const TreeSettings& settings, TreeReport& report,
                          const std::function<std::string(const std::string& serverPath)>& localPathOf)
{
    return guarded(1, kConfigFileSource, kReadFile, [&] {
        std::string mainBytes;
        std::string error;
        if (!source.read(settings.mainFile, mainBytes, error)) {
            report.errors.push_back(settings.mainFile + ": " + error);
            return false;
        }
        if (mainBytes.size() >= 0xFFFFFFFFu)
            raise(1, kConfigFileSource, kReadFile);
        clearList();
        m_readCount = 0;
        TreeSettings tree = settings;
        std::map<std::string, std::string> variables = settings.variables;
        if (tree.serverRoot.empty()) {
            tree.serverRoot = parentOf(settings.mainFile);
            bool found = false;
            linelayout::forEachLogicalLine(
                mainBytes,
                [&](std::size_t, std::size_t, const std::string& text) {
                    if (!found && text.size() > 11 && upper(text.substr(0, 11)) == "SERVERROOT ") {
                        tree.serverRoot =
                            ResolveServerPath("/", unquoted(ExpandVariables(text.substr(11), variables)));
                        found = true;
                    }
                },
                [](std::size_t, std::size_t) {});
        }
        std::int32_t no = 0;
        std::vector<std::string> open; // files being read, for cycles
        std::function<void(const std::string&, std::string, std::int32_t, Directive*, int)> load =
            [&](const std::string& serverPath, std::string bytes, std::int32_t includedBy, Directive* start,
                int depth) {
                const std::size_t index = m_files.size();
                m_files.push_back({});
                m_files[index].serverPath = serverPath;
                m_files[index].localPath = index == 0 ? std::string() : localPathOf(serverPath);
                m_files[index].includedBy = includedBy;
                open.push_back(serverPath);
                std::vector<LayoutPiece> pieces;
                Directive* parent = start;
                int lineNo = 1;
                std::size_t counted = 0;
                auto lineAt = [&](std::size_t offset) {
                    for (; counted < offset; ++counted)
                        if (bytes[counted] == '\n' ||
                            (bytes[counted] == '\r' &&
                             (counted + 1 >= bytes.size() || bytes[counted + 1] != '\n')))
                            ++lineNo;
                    return lineNo;
                };
                linelayout::forEachLogicalLine(
                    bytes,
                    [&](std::size_t b, std::size_t e, const std::string& text) {
                        Directive* d = appendReadLine(text, ++no, parent, start);
                        pieces.push_back(
                            {d, static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e - b)});
                        if (d->GetType() != Directive::TypeSimple)
                            return;
                        const std::string name = upper(d->GetDirectiveName());
                        if (name == "DEFINE" && d->GetParamCount() >= 1) {
                            variables[unquoted(d->GetParam(1))] =
                                d->GetParamCount() >= 2 ? unquoted(d->GetParam(2)) : std::string();
                            return;
                        }
                        if (name != "INCLUDE" && name != "INCLUDEOPTIONAL")
                            return;
                        const std::string where = serverPath + ":" + std::to_string(lineAt(b));
                        std::string unknown;
                        const std::string argument =
                            ExpandVariables(unquoted(d->GetParamList()), variables, &unknown);
                        if (!unknown.empty())
                            report.warnings.push_back(where + ": " + unknown + " is not defined here");
                        std::string why;
                        const std::vector<std::string> paths =
                            ExpandInclude(source, tree, argument, name == "INCLUDEOPTIONAL", why);
                        if (!why.empty())
                            report.errors.push_back(where + ": " + why);
                        for (const std::string& p : paths) {
                            if (std::find(open.begin(), open.end(), p) != open.end()) {
                                report.errors.push_back(where + ": " + p + " includes itself (through " +
                                                        open.back() + "); it is read once only");
                                continue;
                            }
                            if (depth + 1 > kMaxIncludeDepth) {
                                report.errors.push_back(where + ": includes nested too deeply at " + p);
                                continue;
                            }
                            std::string included;
                            std::string readError;
                            if (!source.read(p, included, readError) || included.size() >= 0xFFFFFFFFu) {
                                report.errors.push_back(where + ": " + p + ": " + readError);
                                continue;
                            }
                            load(p, std::move(included), d->m_no, d->m_parent, depth + 1);
                        }
                    },
                    [&](std::size_t b, std::size_t e) {
                        pieces.push_back(
                            {nullptr, static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e - b)});
                    });
                m_files[index].bytes = std::move(bytes);
                m_files[index].pieces = std::move(pieces);
                open.pop_back();
            };
        load(settings.mainFile, std::move(mainBytes), 0, m_server.get(), 0);
        m_serverRoot = tree.serverRoot;
        m_layoutState = LayoutState::Current;
        layoutChanged();
        m_indexValid = false;
        return true;
    });
}

std::vector<TreeFile> ConfigFile::Files() const
{
    const std::vector<LayoutFile>& files = m_layoutState == LayoutState::Current ? m_files : m_recordedFiles;
    std::vector<TreeFile> out;
    for (const LayoutFile& f : files)
        out.push_back({f.serverPath, f.includedBy});
    if (out.empty())
        out.push_back({});
    return out;
}

bool ConfigFile::ensurePlaces()
{
    if (m_placesValid)
        return true;
    if (m_layoutState == LayoutState::Pending) {
        if (m_placesUnavailable)
            return false;
        try {
            attachWorkingCopy();
        } catch (const CorvaneError&) {
            // The files no longer hold the lines of this load. Writing must
            // still find that out and refuse, so the model stays as loaded.
            m_files.clear();
            m_layoutState = LayoutState::Pending;
            m_placesUnavailable = true;
            return false;
        }
    }
    m_places.clear();
    if (m_layoutState != LayoutState::Current)
        return false;
    std::size_t count = 0;
    for (const LayoutFile& f : m_files)
        count += f.pieces.size();
    m_places.reserve(count);
    for (std::size_t fi = 0; fi < m_files.size(); ++fi) {
        const std::string& bytes = m_files[fi].bytes;
        const char* p = bytes.data();
        std::int32_t line = 1;
        std::size_t counted = 0;
        const std::vector<LayoutPiece>& pieces = m_files[fi].pieces;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            // A physical line ends at LF, at CR LF or at a CR alone.
            for (const std::size_t end = std::min<std::size_t>(pieces[i].begin, bytes.size()); counted < end;
                 ++counted)
                if (p[counted] == '\n' ||
                    (p[counted] == '\r' && (counted + 1 >= bytes.size() || p[counted + 1] != '\n')))
                    ++line;
            if (pieces[i].d)
                m_places[pieces[i].d] = {static_cast<std::uint32_t>(fi), static_cast<std::uint32_t>(i), line};
        }
    }
    m_placesValid = true;
    return true;
}

ConfigFile::LinePlace ConfigFile::PlaceOf(const Directive* d)
{
    if (!d || !ensurePlaces())
        return {};
    const auto it = m_places.find(d);
    if (it == m_places.end())
        return {};
    return {m_files[it->second.file].serverPath, it->second.line};
}

Directive* ConfigFile::FindAppliedSubDirective(const std::string& sSub, std::int32_t ParentDirNo)
{
    const std::vector<Directive*> all = GetAllMatchingSubDirectives(sSub, ParentDirNo);
    if (all.size() < 2)
        return all.empty() ? nullptr : all.front();
    if (!ensurePlaces())
        return all.front();
    // Lines are listed in reading order, so the last one is the one Apache
    // reads last.
    const std::uint32_t none = 0xFFFFFFFFu;
    std::uint32_t first = none;
    for (const Directive* d : all) {
        const auto it = m_places.find(d);
        if (it == m_places.end())
            continue;
        if (first == none)
            first = it->second.file;
        else if (it->second.file != first)
            return all.back();
    }
    return all.front();
}

namespace {

// 1-based number of the physical line that starts at offset.
int lineNumberAt(const std::string& bytes, std::size_t offset)
{
    int line = 1;
    for (std::size_t i = 0; i < offset && i < bytes.size(); ++i)
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    return line;
}

} // namespace

std::vector<ConfigFile::SourceLine> ConfigFile::SourceLines(std::int32_t scopeNo)
{
    if (m_layoutState == LayoutState::Pending)
        attachWorkingCopy();
    std::vector<SourceLine> out;
    if (m_files.empty() || !ensurePlaces())
        return out;
    std::size_t file = 0;
    std::size_t first = 0;
    std::size_t last = m_files[0].pieces.empty() ? 0 : m_files[0].pieces.size() - 1;
    if (scopeNo != -1) {
        const Directive* head = FindDirective(scopeNo);
        const auto place = m_places.find(head);
        if (!head || place == m_places.end())
            return out;
        file = place->second.file;
        first = last = place->second.piece;
        const std::vector<LayoutPiece>& ps = m_files[file].pieces;
        if (head->ScopeSubType() == DirectiveScop::SubHead) {
            for (std::size_t i = first + 1; i < ps.size(); ++i)
                if (ps[i].d && !ps[i].d->IsDeleted() && ps[i].d->ParentDirective() == head &&
                    ps[i].d->ScopeSubType() == DirectiveScop::SubEnd) {
                    last = i;
                    break;
                }
        } else if (head->ScopeSubType() == DirectiveScop::SubNeither &&
                   DirectiveScop::TrimView(head->SectionText()).rfind("</", 0) != 0) {
            // A block of a kind the model does not nest: up to its matching end.
            const std::string name =
                UCase(std::string(DirectiveScop::ScopeNameOf(DirectiveScop::TrimView(head->SectionText()))));
            int depth = 0;
            for (std::size_t i = first; i < ps.size(); ++i) {
                const Directive* d = ps[i].d;
                if (!d || d->IsDeleted() || d->ScopeSubType() != DirectiveScop::SubNeither)
                    continue;
                const std::string_view t = DirectiveScop::TrimView(d->SectionText());
                if (UCase(std::string(DirectiveScop::ScopeNameOf(t))) != name)
                    continue;
                depth += t.rfind("</", 0) == 0 ? -1 : 1;
                if (depth == 0) {
                    last = i;
                    break;
                }
            }
        }
    }
    const LayoutFile& f = m_files[file];
    if (f.pieces.empty())
        return out;
    const std::size_t begin = f.pieces[first].begin;
    const std::size_t end = f.pieces[last].begin + f.pieces[last].length;
    int line = lineNumberAt(f.bytes, begin);
    linelayout::forEachPhysicalLine(
        std::string_view(f.bytes).substr(begin, end - begin),
        [&](std::size_t b, std::size_t, std::size_t next) {
            out.push_back({f.serverPath, line++, f.bytes.substr(begin + b, next - b)});
        });
    return out;
}

std::vector<ConfigFile::SourceLine> ConfigFile::FileSourceLines(const std::string& serverPath)
{
    if (m_layoutState == LayoutState::Pending)
        attachWorkingCopy();
    std::vector<SourceLine> out;
    for (const LayoutFile& f : m_files) {
        if (f.serverPath != serverPath)
            continue;
        int line = 1;
        linelayout::forEachPhysicalLine(f.bytes, [&](std::size_t b, std::size_t, std::size_t next) {
            out.push_back({f.serverPath, line++, f.bytes.substr(b, next - b)});
        });
        break;
    }
    return out;
}

std::unordered_map<const Directive*, ConfigFile::LinePlace>
ConfigFile::PlacesOf(const std::unordered_set<const Directive*>& wanted)
{
    std::unordered_map<const Directive*, LinePlace> out;
    if (wanted.empty() || !ensurePlaces())
        return out;
    for (const Directive* d : wanted)
        if (const auto it = m_places.find(d); it != m_places.end())
            out.emplace(d, LinePlace{m_files[it->second.file].serverPath, it->second.line});
    return out;
}

std::string ConfigFile::snapshotFilesPath() const
{
    return m_snapshotPath + ".files";
}

namespace {

void putU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool getU32(const std::string& in, std::size_t& pos, std::uint32_t& v)
{
    if (in.size() - pos < 4 || pos > in.size())
        return false;
    v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[pos + static_cast<std::size_t>(i)]))
             << (8 * i);
    pos += 4;
    return true;
}

bool getText(const std::string& in, std::size_t& pos, std::string& text)
{
    std::uint32_t n = 0;
    if (!getU32(in, pos, n) || in.size() - pos < n)
        return false;
    text.assign(in, pos, n);
    pos += n;
    return true;
}

} // namespace

// The files of a tree beside the snapshot: the server root and the main
// file's server path, then for each file after the main one its server
// path, its local path and the number of its Include line.
std::string ConfigFile::filesRecord(const std::vector<LayoutFile>& files, const std::string& serverRoot)
{
    std::string out = "CORVANE-FILES 2\n";
    putU32(out, static_cast<std::uint32_t>(serverRoot.size()));
    out += serverRoot;
    const std::string main = files.empty() ? std::string() : files.front().serverPath;
    putU32(out, static_cast<std::uint32_t>(main.size()));
    out += main;
    for (std::size_t i = 1; i < files.size(); ++i) {
        putU32(out, static_cast<std::uint32_t>(files[i].serverPath.size()));
        out += files[i].serverPath;
        putU32(out, static_cast<std::uint32_t>(files[i].localPath.size()));
        out += files[i].localPath;
        putU32(out, static_cast<std::uint32_t>(files[i].includedBy));
    }
    return out;
}

bool ConfigFile::loadFilesRecord()
{
    m_recordedFiles.clear();
    std::error_code ec;
    if (!std::filesystem::exists(snapshotFilesPath(), ec))
        return true;
    std::string in;
    if (!AtomicFile::read(snapshotFilesPath(), in))
        return false;
    // Version 1 came without the server root.
    const std::string magic = "CORVANE-FILES ";
    if (in.compare(0, magic.size(), magic) != 0 || in.size() < magic.size() + 2 ||
        in[magic.size() + 1] != '\n' || (in[magic.size()] != '1' && in[magic.size()] != '2'))
        return false;
    std::size_t pos = magic.size() + 2;
    m_recordedFiles.resize(1);
    if (in[magic.size()] == '2' &&
        (!getText(in, pos, m_serverRoot) || !getText(in, pos, m_recordedFiles.front().serverPath)))
        return false;
    while (pos < in.size()) {
        LayoutFile f;
        std::uint32_t by = 0;
        if (!getText(in, pos, f.serverPath) || !getText(in, pos, f.localPath) || !getU32(in, pos, by))
            return false;
        f.includedBy = static_cast<std::int32_t>(by);
        m_recordedFiles.push_back(std::move(f));
    }
    return true;
}

} // namespace corvane
