#include "transfer/ServerTree.h"

#include "transfer/ApacheEnvironment.h"
#include "transfer/TransferProgress.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <fnmatch.h>
#include <functional>
#include <set>
#include <sstream>

namespace corvane {

namespace {

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isUnder(const std::string& path, const std::string& folder)
{
    if (folder == "/")
        return !path.empty() && path.front() == '/';
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// The words of a directive line as Apache splits them: quoted with " or ', or up to white space.
std::vector<std::string> wordsOf(const std::string& line)
{
    std::vector<std::string> words;
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        if (pos >= line.size())
            break;
        std::string word;
        const char quote = line[pos];
        if (quote == '"' || quote == '\'') {
            ++pos;
            while (pos < line.size() && line[pos] != quote) {
                if (line[pos] == '\\' && pos + 1 < line.size() && line[pos + 1] == quote)
                    ++pos;
                word += line[pos++];
            }
            ++pos;
        } else {
            while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
                word += line[pos++];
        }
        words.push_back(word);
    }
    return words;
}

// The directive lines of a file: comments and blank lines dropped, lines
// ending in a backslash joined with the next, section brackets left on.
std::vector<std::string> logicalLines(const std::string& text)
{
    std::vector<std::string> out;
    std::string line, logical;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (!line.empty() && line.back() == '\\') {
            line.pop_back();
            logical += line;
            continue;
        }
        logical += line;
        const size_t start = logical.find_first_not_of(" \t");
        if (start != std::string::npos && logical[start] != '#')
            out.push_back(logical.substr(start));
        logical.clear();
    }
    return out;
}

// A source that counts what it reads, and reads nothing more once a cancel
// was asked for.
class MeteredSource : public FetchSource
{
public:
    MeteredSource(FetchSource& source, ProgressMeter* meter) : m_source(source), m_meter(meter) {}
    bool read(const std::string& serverPath, std::string& bytes, std::string& error) override
    {
        if (stopped(error))
            return false;
        if (m_meter)
            m_meter->beginFile(serverPath);
        if (!m_source.read(serverPath, bytes, error))
            return false;
        if (m_meter)
            m_meter->fileDone(serverPath, qint64(bytes.size()));
        return true;
    }
    bool list(const std::string& serverFolder, std::vector<std::string>& names, std::string& error) override
    {
        return !stopped(error) && m_source.list(serverFolder, names, error);
    }
    bool isFolder(const std::string& serverPath) override
    {
        std::string ignored;
        return !stopped(ignored) && m_source.isFolder(serverPath);
    }
    std::string realPath(const std::string& serverPath) override { return m_source.realPath(serverPath); }

private:
    bool stopped(std::string& error) const
    {
        if (!m_meter || !m_meter->cancelRequested())
            return false;
        error = "cancelled";
        return true;
    }

    FetchSource& m_source;
    ProgressMeter* m_meter;
};

} // namespace

std::string ServerTree::workPathFor(const std::string& serverPath, const std::string& serverRoot)
{
    if (isUnder(serverPath, serverRoot))
        return "tree/" + serverPath.substr(serverRoot == "/" ? 1 : serverRoot.size() + 1);
    return "outside/" + (serverPath.empty() || serverPath.front() != '/' ? serverPath : serverPath.substr(1));
}

std::string ServerTree::declaredServerRoot(const std::string& mainText)
{
    for (const std::string& line : logicalLines(mainText)) {
        const std::vector<std::string> words = wordsOf(line);
        if (words.size() >= 2 && lower(words[0]) == "serverroot")
            return ResolveServerPath("/", words[1]);
    }
    return {};
}

void ServerTree::collect(FetchSource& unmetered, const TreeSettings& given, TreeManifest& manifest,
                         TreeReport& report, std::map<std::string, std::string>& contents,
                         ProgressMeter* meter)
{
    MeteredSource source(unmetered, meter);
    TreeSettings settings = given;
    manifest = TreeManifest();
    std::string mainText, error;
    if (!source.read(settings.mainFile, mainText, error)) {
        report.errors.push_back(settings.mainFile + ": " + error);
        return;
    }
    if (settings.serverRoot.empty())
        settings.serverRoot = declaredServerRoot(mainText);
    if (settings.serverRoot.empty())
        settings.serverRoot = folderOf(settings.mainFile);
    manifest.serverRoot = settings.serverRoot;
    contents[settings.mainFile] = mainText;
    manifest.files.push_back({"main", settings.mainFile, "httpd.conf", source.realPath(settings.mainFile)});

    // Debian's envvars beside the main file gives the ${APACHE_...} values.
    const std::string envvars = folderOf(settings.mainFile) + "/envvars";
    std::string script;
    if (!source.isFolder(envvars) && source.read(envvars, script, error)) {
        const QProcessEnvironment env =
            ApacheEnvironment::parseEnvvars(QByteArray::fromStdString(script), QProcessEnvironment());
        for (const QString& key : env.keys())
            settings.variables.emplace(key.toStdString(), env.value(key).toStdString());
        contents[envvars] = script;
        manifest.files.push_back(
            {"envvars", envvars, workPathFor(envvars, settings.serverRoot), source.realPath(envvars)});
    }

    std::set<std::string> listed{settings.mainFile};
    std::vector<std::string> reading; // the files being read, outermost first
    std::function<void(const std::string&, const std::string&)> walk = [&](const std::string& path,
                                                                           const std::string& text) {
        reading.push_back(path);
        for (const std::string& line : logicalLines(text)) {
            const std::vector<std::string> words = wordsOf(line);
            if (words.empty())
                continue;
            const std::string name = lower(words[0]);
            if (name == "define" && words.size() >= 2) {
                settings.variables[words[1]] = words.size() >= 3 ? words[2] : std::string();
                continue;
            }
            if (name != "include" && name != "includeoptional")
                continue;
            if (words.size() < 2) {
                report.errors.push_back(path + ": " + words[0] + " without a path");
                continue;
            }
            const bool optional = name == "includeoptional";
            std::string unknown;
            const std::string argument = ExpandVariables(words[1], settings.variables, &unknown);
            if (!unknown.empty()) {
                report.warnings.push_back(path + ": " + words[0] + " " + words[1] +
                                          " names unknown variables (" + unknown + "); not followed");
                continue;
            }
            manifest.patterns.push_back(ResolveServerPath(settings.serverRoot, argument));
            std::string why;
            const std::vector<std::string> found = ExpandInclude(source, settings, argument, optional, why);
            if (!why.empty() && !optional)
                report.errors.push_back(path + ": " + why);
            for (const std::string& file : found) {
                // Names a server listed are data: one that would lead out of
                // its folder, or that the file list cannot hold, is refused.
                if (ResolveServerPath("/", file) != file ||
                    file.find_first_of("\t\r\n") != std::string::npos) {
                    report.errors.push_back(path + ": the name " + file + " is not a plain path; not read");
                    continue;
                }
                if (listed.size() >= kMaxTreeFiles) {
                    report.errors.push_back(path + ": more than " + std::to_string(kMaxTreeFiles) +
                                            " files; the rest is not read");
                    break;
                }
                if (std::find(reading.begin(), reading.end(), file) != reading.end()) {
                    report.errors.push_back(path + ": including " + file +
                                            " again would never end (the files include each other)");
                    continue;
                }
                std::string bytes;
                if (!source.read(file, bytes, why)) {
                    report.errors.push_back(file + ": " + why);
                    continue;
                }
                if (listed.insert(file).second) {
                    contents[file] = bytes;
                    manifest.files.push_back(
                        {"file", file, workPathFor(file, settings.serverRoot), source.realPath(file)});
                }
                if (reading.size() < 64)
                    walk(file, bytes);
            }
        }
        reading.pop_back();
    };
    walk(settings.mainFile, mainText);
}

std::string ServerTree::backupNameFor(const std::string& serverPath, const TreeManifest& manifest,
                                      const std::string& stamp)
{
    const std::string folder = folderOf(serverPath);
    const std::string name = nameOf(serverPath);
    const std::vector<std::string> candidates{
        folder + "/" + name + "." + stamp + ".corvane-backup",
        folder + "/." + name + "." + stamp + ".corvane-backup",
        manifest.serverRoot + "/" + name + "." + stamp + ".corvane-backup",
        folderOf(manifest.serverRoot) + "/" + name + "." + stamp + ".corvane-backup",
    };
    for (const std::string& candidate : candidates) {
        if (!manifest.includes(candidate))
            return candidate;
    }
    return {};
}

bool TreeManifest::includes(const std::string& serverPath) const
{
    for (const std::string& pattern : patterns) {
        // The path itself, or a folder above it that an Include reads whole.
        for (std::string probe = serverPath; probe.size() > 1; probe = folderOf(probe)) {
            if (::fnmatch(pattern.c_str(), probe.c_str(), FNM_PATHNAME | FNM_PERIOD) == 0)
                return true;
        }
    }
    return false;
}

const TreeEntry* TreeManifest::find(const std::string& serverPath) const
{
    for (const TreeEntry& e : files) {
        if (e.serverPath == serverPath)
            return &e;
    }
    return nullptr;
}

bool TreeManifest::isSplit() const
{
    return std::any_of(files.begin(), files.end(), [](const TreeEntry& e) { return e.kind == "file"; }) ||
           (!files.empty() && !files.front().realPath.empty());
}

bool TreeManifest::load(const QString& path)
{
    *this = TreeManifest();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QList<QByteArray> f = raw.split('\t');
        if (f.size() >= 2 && f[0] == "root")
            serverRoot = f[1].toStdString();
        else if (f.size() >= 2 && f[0] == "pattern")
            patterns.push_back(f[1].toStdString());
        else if (f.size() >= 4)
            files.push_back({f[0].toStdString(), f[1].toStdString(), f[2].toStdString(), f[3].toStdString()});
    }
    return !files.empty();
}

bool TreeManifest::save(const QString& path, QString* error) const
{
    QByteArray text = "root\t" + QByteArray::fromStdString(serverRoot) + "\n";
    for (const TreeEntry& e : files)
        text +=
            QByteArray::fromStdString(e.kind + "\t" + e.serverPath + "\t" + e.workPath + "\t" + e.realPath) +
            "\n";
    for (const std::string& p : patterns)
        text += "pattern\t" + QByteArray::fromStdString(p) + "\n";
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        if (error)
            *error = QStringLiteral("%1 cannot be written: %2").arg(path, out.errorString());
        return false;
    }
    return true;
}

} // namespace corvane
