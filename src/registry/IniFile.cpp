#include "registry/IniFile.h"

#include "model/AtomicFile.h"

#include <QFile>
#include <QLockFile>

#include <optional>

namespace corvane {

// One physical line of the file: its bytes without the line end, and the line
// end itself ("\n", "\r\n" or "" for a last line without one).
struct IniFile::Line
{
    std::string text;
    std::string eol;
};

namespace {

using Line = IniFile::Line;

enum class Kind
{
    Blank,
    Comment,
    Header,
    Entry
};

struct Parsed
{
    Kind kind = Kind::Blank;
    std::string name;  // section name (Header) or key (Entry), trimmed
    std::string value; // Entry only, trimmed
};

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

std::string trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && isSpace(s[b]))
        ++b;
    while (e > b && isSpace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

Parsed parse(const std::string& text)
{
    Parsed p;
    std::string t = trim(text);
    if (t.rfind("\xEF\xBB\xBF", 0) == 0) // a byte order mark before the first line
        t = trim(t.substr(3));
    if (t.empty())
        return p;
    if (t[0] == ';' || t[0] == '#') {
        p.kind = Kind::Comment;
    } else if (t[0] == '[') {
        p.kind = Kind::Header;
        const size_t close = t.find(']');
        p.name = trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    } else {
        p.kind = Kind::Entry;
        const size_t eq = t.find('=');
        if (eq == std::string::npos) {
            p.name = t;
        } else {
            p.name = trim(t.substr(0, eq));
            p.value = trim(t.substr(eq + 1));
        }
    }
    return p;
}

std::vector<Line> splitLines(const std::string& bytes)
{
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t nl = bytes.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.text = bytes.substr(pos);
            pos = bytes.size();
        } else {
            size_t end = nl;
            if (end > pos && bytes[end - 1] == '\r')
                --end;
            line.text = bytes.substr(pos, end - pos);
            line.eol = bytes.substr(end, nl + 1 - end);
            pos = nl + 1;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string joinLines(const std::vector<Line>& lines)
{
    std::string out;
    for (const Line& l : lines) {
        out += l.text;
        out += l.eol;
    }
    return out;
}

// The line end new lines get: the one the file already uses, else "\n".
std::string fileEol(const std::vector<Line>& lines)
{
    for (const Line& l : lines) {
        if (!l.eol.empty())
            return l.eol;
    }
    return "\n";
}

std::optional<std::string> readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = f.readAll();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

std::vector<Line> load(const QString& path)
{
    const auto bytes = readAll(path);
    return bytes ? splitLines(*bytes) : std::vector<Line>{};
}

// Index of the first header line of `section`, or -1.
long findSection(const std::vector<Line>& lines, const std::string& section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const Parsed p = parse(lines[i].text);
        if (p.kind == Kind::Header && sameName(p.name, section))
            return long(i);
    }
    return -1;
}

// One past the last line of the section whose header is at `header`.
size_t sectionEnd(const std::vector<Line>& lines, size_t header)
{
    size_t i = header + 1;
    while (i < lines.size() && parse(lines[i].text).kind != Kind::Header)
        ++i;
    return i;
}

long findKey(const std::vector<Line>& lines, long header, const std::string& key)
{
    if (header < 0)
        return -1;
    const size_t end = sectionEnd(lines, size_t(header));
    for (size_t i = size_t(header) + 1; i < end; ++i) {
        const Parsed p = parse(lines[i].text);
        if (p.kind == Kind::Entry && sameName(p.name, key))
            return long(i);
    }
    return -1;
}

bool hasAny(const std::string& s, const char* chars)
{
    for (const char* c = chars; *c; ++c) {
        if (s.find(*c) != std::string::npos)
            return true;
    }
    return s.find('\0') != std::string::npos;
}

// Serialises read-modify-write cycles of several processes (the console and
// corvanectl) on one file; readers need no lock because writes are renames.
class WriteLock
{
public:
    explicit WriteLock(const QString& path) : m_lock(path + QStringLiteral(".lock"))
    {
        m_lock.setStaleLockTime(30000);
        m_locked = m_lock.tryLock(5000);
    }
    bool locked() const { return m_locked; }

private:
    QLockFile m_lock;
    bool m_locked = false;
};

std::string unquote(const std::string& v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

std::string IniFile::readValue(const std::string& section, const std::string& key) const
{
    const std::vector<Line> lines = load(m_path);
    const long k = findKey(lines, findSection(lines, trim(section)), trim(key));
    return k < 0 ? std::string() : unquote(parse(lines[size_t(k)].text).value);
}

bool IniFile::hasKey(const std::string& section, const std::string& key) const
{
    const std::vector<Line> lines = load(m_path);
    return findKey(lines, findSection(lines, trim(section)), trim(key)) >= 0;
}

std::vector<std::string> IniFile::sectionNames() const
{
    std::vector<std::string> names;
    for (const Line& l : load(m_path)) {
        const Parsed p = parse(l.text);
        if (p.kind != Kind::Header)
            continue;
        bool seen = false;
        for (const std::string& n : names)
            seen = seen || sameName(n, p.name);
        if (!seen)
            names.push_back(p.name);
    }
    return names;
}

bool IniFile::hasSection(const std::string& section) const
{
    return findSection(load(m_path), trim(section)) >= 0;
}

std::vector<std::pair<std::string, std::string>> IniFile::keys(const std::string& section) const
{
    std::vector<std::pair<std::string, std::string>> result;
    const std::vector<Line> lines = load(m_path);
    const long h = findSection(lines, trim(section));
    if (h < 0)
        return result;
    const size_t end = sectionEnd(lines, size_t(h));
    for (size_t i = size_t(h) + 1; i < end; ++i) {
        const Parsed p = parse(lines[i].text);
        if (p.kind == Kind::Entry)
            result.emplace_back(p.name, unquote(p.value));
    }
    return result;
}

bool IniFile::checkNames(const std::string& section, const std::string* key, const std::string* value)
{
    const std::string s = trim(section);
    if (s.empty() || hasAny(s, "\r\n]")) {
        m_error = QStringLiteral("The section name \"%1\" cannot be stored in %2.")
                      .arg(QString::fromUtf8(section.c_str()), m_path);
        return false;
    }
    if (key) {
        const std::string k = trim(*key);
        if (k.empty() || hasAny(k, "\r\n=") || k[0] == '[' || k[0] == ';' || k[0] == '#') {
            m_error = QStringLiteral("The key name \"%1\" cannot be stored in %2.")
                          .arg(QString::fromUtf8(key->c_str()), m_path);
            return false;
        }
    }
    if (value && hasAny(*value, "\r\n")) {
        m_error = QStringLiteral("A value with a line break or NUL cannot be stored in %1.").arg(m_path);
        return false;
    }
    return true;
}

bool IniFile::loadForWrite(std::vector<Line>& lines)
{
    // A file that exists but cannot be read must not be replaced by the one
    // line being written.
    const auto bytes = readAll(m_path);
    if (!bytes && QFile::exists(m_path)) {
        m_error = QStringLiteral("Cannot read %1; it was left unchanged.").arg(m_path);
        return false;
    }
    lines = bytes ? splitLines(*bytes) : std::vector<Line>{};
    return true;
}

bool IniFile::save(const std::string& bytes)
{
    // The registry is the owner's only: it may hold (scrambled) passwords.
    // An existing one keeps its owner and group.
    std::string why;
    AtomicFile file(QFile::encodeName(m_path).toStdString(), AtomicFile::kPrivateMode);
    file.setKeptModeBits(0700);
    if (!file.open(&why) || !file.append(bytes, &why) || !file.commit(&why)) {
        m_error = QStringLiteral("Cannot write %1; it was left unchanged: %2")
                      .arg(m_path, QString::fromLocal8Bit(why.c_str()));
        return false;
    }
    return true;
}

bool IniFile::writeValue(const std::string& section, const std::string& key, const std::string& value)
{
    m_error.clear();
    if (!checkNames(section, &key, &value))
        return false;
    WriteLock lock(m_path);
    if (!lock.locked()) {
        m_error = QStringLiteral("Cannot lock %1 for writing.").arg(m_path);
        return false;
    }
    const std::string s = trim(section), k = trim(key);
    std::vector<Line> lines;
    if (!loadForWrite(lines))
        return false;
    const std::string eol = fileEol(lines);
    const long h = findSection(lines, s);
    if (h < 0) {
        if (!lines.empty() && lines.back().eol.empty())
            lines.back().eol = eol;
        lines.push_back({"[" + s + "]", eol});
        lines.push_back({k + "=" + value, eol});
        return save(joinLines(lines));
    }
    const long at = findKey(lines, h, k);
    if (at >= 0) {
        Line& line = lines[size_t(at)];
        const Parsed p = parse(line.text);
        if (p.value == value)
            return true;                  // nothing to change: the line keeps its bytes
        line.text = p.name + "=" + value; // the key keeps the file's spelling
        return save(joinLines(lines));
    }
    // After the last key of the section, or right after its header.
    size_t after = size_t(h);
    const size_t end = sectionEnd(lines, size_t(h));
    for (size_t i = size_t(h) + 1; i < end; ++i) {
        if (parse(lines[i].text).kind == Kind::Entry)
            after = i;
    }
    if (lines[after].eol.empty())
        lines[after].eol = eol;
    lines.insert(lines.begin() + long(after) + 1, Line{k + "=" + value, eol});
    return save(joinLines(lines));
}

bool IniFile::removeKey(const std::string& section, const std::string& key)
{
    m_error.clear();
    if (!QFile::exists(m_path))
        return true;
    WriteLock lock(m_path);
    if (!lock.locked()) {
        m_error = QStringLiteral("Cannot lock %1 for writing.").arg(m_path);
        return false;
    }
    std::vector<Line> lines;
    if (!loadForWrite(lines))
        return false;
    const long at = findKey(lines, findSection(lines, trim(section)), trim(key));
    if (at < 0)
        return true;
    lines.erase(lines.begin() + at);
    return save(joinLines(lines));
}

bool IniFile::removeSection(const std::string& section)
{
    m_error.clear();
    if (!QFile::exists(m_path))
        return true;
    WriteLock lock(m_path);
    if (!lock.locked()) {
        m_error = QStringLiteral("Cannot lock %1 for writing.").arg(m_path);
        return false;
    }
    std::vector<Line> lines;
    if (!loadForWrite(lines))
        return false;
    const std::string s = trim(section);
    bool changed = false;
    for (long h = findSection(lines, s); h >= 0; h = findSection(lines, s)) {
        const size_t end = sectionEnd(lines, size_t(h));
        lines.erase(lines.begin() + h, lines.begin() + long(end));
        changed = true;
    }
    return !changed || save(joinLines(lines));
}

bool IniFile::writeSection(const std::string& section,
                           const std::vector<std::pair<std::string, std::string>>& entries)
{
    m_error.clear();
    if (!checkNames(section, nullptr, nullptr))
        return false;
    for (const auto& [k, v] : entries) {
        if (!checkNames(section, &k, &v))
            return false;
    }
    WriteLock lock(m_path);
    if (!lock.locked()) {
        m_error = QStringLiteral("Cannot lock %1 for writing.").arg(m_path);
        return false;
    }
    const std::string s = trim(section);
    std::vector<Line> lines;
    if (!loadForWrite(lines))
        return false;
    const std::string eol = fileEol(lines);
    std::vector<Line> body;
    for (const auto& [k, v] : entries)
        body.push_back({trim(k) + "=" + v, eol});
    const long h = findSection(lines, s);
    if (h < 0) {
        if (!lines.empty() && lines.back().eol.empty())
            lines.back().eol = eol;
        lines.push_back({"[" + s + "]", eol});
        lines.insert(lines.end(), body.begin(), body.end());
    } else {
        const size_t end = sectionEnd(lines, size_t(h));
        if (lines[size_t(h)].eol.empty())
            lines[size_t(h)].eol = eol;
        lines.erase(lines.begin() + h + 1, lines.begin() + long(end));
        lines.insert(lines.begin() + h + 1, body.begin(), body.end());
    }
    return save(joinLines(lines));
}

} // namespace corvane
