#include "model/ConfigFile.h"

#include "model/AtomicFile.h"
#include "model/HugePages.h"
#include "model/LineLayout.h"
#include "model/ModelErrors.h"
#include "model/ModelProcedures.h"

#include <QDate>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>

namespace corvane {

using namespace modelerrors;

namespace {

const std::string kWorkCopyTail = "/WorkArea/httpd.conf";

bool isRegularFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// Calls f(begin, end) for every line of data; a line ends at CR LF or CR (a
// bare LF stays part of the line); a last line without an end counts.
template <typename F> void forEachLine(const std::string& data, F&& f)
{
    const std::size_t n = data.size();
    const char* base = data.data();
    std::size_t start = 0;
    while (start < n) {
        const void* cr = std::memchr(base + start, '\r', n - start);
        if (!cr) {
            f(start, n);
            return;
        }
        std::size_t i = static_cast<std::size_t>(static_cast<const char*>(cr) - base);
        f(start, i);
        if (i + 1 < n && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
}

} // namespace

ConfigFile::ConfigFile(std::string appFolder)
    : m_appFolder(std::move(appFolder)), m_server(std::make_unique<Directive>("<#ENTIRESERVER#>"))
{
    m_server->SetDirectiveNo(-1);
}

ConfigFile::~ConfigFile()
{
    clearList();
}

void ConfigFile::SetFileName(const std::string& path)
{
    m_fileName = path;
    const std::string prefix = m_appFolder + "/";
    const bool shaped =
        !m_appFolder.empty() && path.size() > prefix.size() + kWorkCopyTail.size() &&
        path.compare(0, prefix.size(), prefix) == 0 &&
        path.compare(path.size() - kWorkCopyTail.size(), kWorkCopyTail.size(), kWorkCopyTail) == 0;
    if (shaped) {
        m_snapshotPath =
            m_appFolder + "/" + GetServerNameFromConfigPath(m_appFolder, path) + "/WorkArea/Serialize.srl";
    } else {
        const std::size_t slash = path.rfind('/');
        m_snapshotPath = slash == std::string::npos ? std::string("Serialize.srl")
                                                    : path.substr(0, slash + 1) + "Serialize.srl";
    }
}

// ---- list and index --------------------------------------------------------

void ConfigFile::clearList()
{
    for (Directive* d : m_list) {
        d->m_parent = nullptr;
        d->m_owner = nullptr;
    }
    m_list.clear();
    m_added.clear();
    m_chunks.clear();
    m_indexValid = false;
    m_files.clear();
    m_recordedFiles.clear();
    m_layoutState = LayoutState::None;
    m_loadedCount = 0;
    m_serverRoot.clear();
    m_places.clear();
    m_placesValid = false;
    m_placesUnavailable = false;
}

void ConfigFile::appendOwned(std::unique_ptr<Directive> dir)
{
    dir->m_owner = this;
    const int pos = static_cast<int>(m_list.size());
    Directive* d = dir.get();
    m_added.push_back(std::move(dir));
    m_list.push_back(d);
    if (!m_indexValid)
        return;
    if (d->m_parent)
        m_children[d->m_parent->m_no].push_back(pos);
    m_maxNo = std::max(m_maxNo, d->m_no);
    indexNumber(d->m_no, pos);
}

ConfigFile::LineChunk::LineChunk(std::size_t n)
    : lines(static_cast<Directive*>(::operator new(n * sizeof(Directive)))), capacity(n)
{
    HugePages::advise(lines, n * sizeof(Directive));
}

ConfigFile::LineChunk::~LineChunk()
{
    for (std::size_t i = 0; i < used; ++i)
        lines[i].~Directive();
    ::operator delete(lines);
}

Directive* ConfigFile::newLine()
{
    // Chunks grow with the file: small files stay small, big ones get
    // chunks large enough for huge pages.
    constexpr std::size_t kFirst = 256;
    constexpr std::size_t kLargest = std::size_t(1) << 17;
    if (m_chunks.empty() || m_chunks.back()->used == m_chunks.back()->capacity) {
        const std::size_t n = m_chunks.empty() ? kFirst : std::min(kLargest, 2 * m_chunks.back()->capacity);
        m_chunks.push_back(std::make_unique<LineChunk>(n));
    }
    LineChunk& c = *m_chunks.back();
    Directive* d = new (c.lines + c.used) Directive();
    ++c.used;
    d->m_owner = this;
    return d;
}

void ConfigFile::indexNumber(std::int32_t no, int pos) const
{
    const auto dense = static_cast<std::int64_t>(m_posByNo.size());
    if (no >= 0 && no >= dense && no <= 4 * static_cast<std::int64_t>(m_list.size()) + 1024) {
        // Grow the dense table and move sparse entries it now covers.
        const std::size_t newSize = static_cast<std::size_t>(std::max<std::int64_t>(2 * dense, no + 1024));
        m_posByNo.resize(newSize, -1);
        for (auto it = m_posByNoSparse.begin(); it != m_posByNoSparse.end();) {
            if (it->first >= 0 && static_cast<std::size_t>(it->first) < newSize) {
                int& slot = m_posByNo[static_cast<std::size_t>(it->first)];
                slot = slot < 0 ? it->second : std::min(slot, it->second);
                it = m_posByNoSparse.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (no >= 0 && static_cast<std::size_t>(no) < m_posByNo.size()) {
        int& slot = m_posByNo[static_cast<std::size_t>(no)];
        if (slot < 0)
            slot = pos;
    } else {
        m_posByNoSparse.emplace(no, pos);
    }
}

void ConfigFile::ensureIndex() const
{
    if (m_indexValid)
        return;
    m_children.clear();
    m_posByNoSparse.clear();
    m_maxNo = 0;
    for (const auto& d : m_list)
        m_maxNo = std::max(m_maxNo, d->m_no);
    const std::int64_t limit = 4 * static_cast<std::int64_t>(m_list.size()) + 1024;
    m_posByNo.assign(static_cast<std::size_t>(std::min<std::int64_t>(m_maxNo, limit) + 1), -1);
    for (std::size_t i = 0; i < m_list.size(); ++i) {
        const Directive* d = m_list[i];
        if (d->m_parent)
            m_children[d->m_parent->m_no].push_back(static_cast<int>(i));
        indexNumber(d->m_no, static_cast<int>(i));
    }
    m_indexValid = true;
}

const std::vector<int>& ConfigFile::childrenOf(std::int32_t no) const
{
    static const std::vector<int> kNone;
    ensureIndex();
    const auto it = m_children.find(no);
    return it == m_children.end() ? kNone : it->second;
}

Directive* ConfigFile::GetDirective(int index) const
{
    if (index < 1 || index > static_cast<int>(m_list.size()))
        return nullptr;
    Directive* d = m_list[static_cast<std::size_t>(index - 1)];
    return d->IsDeleted() ? nullptr : d;
}

Directive* ConfigFile::FindDirective(std::int32_t lDirNo) const
{
    ensureIndex();
    int pos = -1;
    if (lDirNo >= 0 && static_cast<std::size_t>(lDirNo) < m_posByNo.size()) {
        pos = m_posByNo[static_cast<std::size_t>(lDirNo)];
    } else if (const auto it = m_posByNoSparse.find(lDirNo); it != m_posByNoSparse.end()) {
        pos = it->second;
    }
    if (pos < 0)
        return nullptr;
    Directive* d = m_list[static_cast<std::size_t>(pos)];
    return d->IsDeleted() ? nullptr : d;
}

Directive* ConfigFile::scopeDirective(std::int32_t no) const
{
    return no == -1 ? m_server.get() : FindDirective(no);
}

std::vector<Directive*> ConfigFile::GetScopeLines(std::int32_t scopeNo) const
{
    std::vector<Directive*> lines;
    for (int pos : childrenOf(scopeNo)) {
        Directive* d = m_list[static_cast<std::size_t>(pos)];
        if (!d->IsDeleted())
            lines.push_back(d);
    }
    return lines;
}

std::vector<Directive*> ConfigFile::GetScopeSections(std::int32_t scopeNo) const
{
    std::vector<Directive*> heads;
    for (int pos : childrenOf(scopeNo)) {
        Directive* d = m_list[static_cast<std::size_t>(pos)];
        if (!d->IsDeleted() && d->ScopeSubType() == DirectiveScop::SubHead)
            heads.push_back(d);
    }
    return heads;
}

std::int32_t ConfigFile::GetNextDirectiveNo() const
{
    ensureIndex();
    return m_maxNo + 1;
}

std::string ConfigFile::dateNote(const std::string& text)
{
    return text + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}

// ---- reader -------------------------------------------------------------------

bool ConfigFile::ConvertFile()
{
    return guarded(6, kConfigFileSource, kConvertFile, [&] {
        std::string converted;
        return convertOnDisk(converted);
    });
}

bool ConfigFile::convertOnDisk(std::string& converted)
{
    if (!isRegularFile(m_fileName))
        return false;
    std::string raw;
    std::string error;
    if (!AtomicFile::read(m_fileName, raw, &error))
        raise(6, kConfigFileSource, kConvertFile);
    // Each line trimmed, its tabs made blanks, the lines joined with LF
    // (empty lines at the very start dropped); the joined text is then split
    // at every LF and each piece ends in CR LF. Done in one pass: separators
    // and LFs inside lines become CR LF, and a non-empty result ends in CR LF.
    converted.clear();
    converted.reserve(raw.size() + raw.size() / 16 + 2);
    HugePages::advise(converted.data(), converted.capacity());
    forEachLine(raw, [&](std::size_t b, std::size_t e) {
        while (b < e && raw[b] == ' ')
            ++b;
        while (e > b && raw[e - 1] == ' ')
            --e;
        if (!converted.empty())
            converted += "\r\n";
        // One scan of the bytes: runs without tab or LF are copied whole.
        const char* p = raw.data();
        std::size_t run = b;
        for (std::size_t i = b; i < e; ++i) {
            const char c = p[i];
            if (c != '\t' && c != '\n')
                continue;
            converted.append(p + run, i - run);
            converted += c == '\t' ? "\x20" : "\r\n";
            run = i + 1;
        }
        converted.append(p + run, e - run);
    });
    if (!converted.empty())
        converted += "\r\n";
    if (converted != raw) {
        std::string().swap(raw);
        if (!AtomicFile::write(m_fileName, converted, &error))
            raise(6, kConfigFileSource, kConvertFile);
    }
    return true;
}

bool ConfigFile::ReadFile()
{
    return guarded(1, kConfigFileSource, kReadFile, [&] {
        m_readCount = 0;
        if (!isRegularFile(m_fileName))
            return false;
        std::string raw;
        // Pieces address the bytes with 32-bit offsets; no configuration
        // comes near 4 GiB.
        if (!AtomicFile::read(m_fileName, raw) || raw.size() >= 0xFFFFFFFFu)
            raise(1, kConfigFileSource, kReadFile);
        clearList();
        loadRaw(std::move(raw));
        return static_cast<int>(m_list.size()) == m_readCount;
    });
}

void ConfigFile::loadRaw(std::string raw)
{
    m_files.assign(1, LayoutFile{});
    LayoutFile& file = m_files.front();
    file.bytes = std::move(raw);
    const std::string& text = file.bytes;
    std::size_t lines = 0;
    for (const char* p = text.data();
         (p = static_cast<const char*>(
              std::memchr(p, '\n', static_cast<std::size_t>(text.data() + text.size() - p))));
         ++p)
        ++lines;
    m_list.reserve(lines + 1);
    file.pieces.reserve(lines + 1);
    HugePages::advise(m_list.data(), m_list.capacity() * sizeof(Directive*));
    Directive* parent = m_server.get();
    std::int32_t no = 0;
    linelayout::forEachLogicalLine(
        text,
        [&](std::size_t b, std::size_t e, const std::string& line) {
            Directive* d = appendReadLine(line, ++no, parent, m_server.get());
            file.pieces.push_back({d, static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e - b)});
        },
        [&](std::size_t b, std::size_t e) {
            file.pieces.push_back(
                {nullptr, static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e - b)});
        });
    m_layoutState = LayoutState::Current;
    layoutChanged();
    m_indexValid = false;
}

Directive* ConfigFile::appendReadLine(const std::string& text, std::int32_t no, Directive*& parent,
                                      const Directive* outermost)
{
    Directive* d = newLine();
    d->SetDirectiveString(text);
    ++m_readCount;
    d->m_no = no;
    d->m_parent = parent;
    // A head opens a scope, an end closes the current one (never the
    // outermost scope of this file).
    const int subType = d->ScopeSubType();
    if (subType == DirectiveScop::SubHead)
        parent = d;
    else if (subType == DirectiveScop::SubEnd && parent != outermost && parent->ParentDirective())
        parent = parent->ParentDirective();
    m_list.push_back(d);
    return d;
}

std::string ConfigFile::UnwritableReason(const std::string& text)
{
    if (text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        return "it holds a line break or a NUL byte";
    if (!text.empty() && text.back() == '\\')
        return "it ends in a backslash, which would join the next line to it";
    return {};
}

bool ConfigFile::refuse(const std::string& text)
{
    const std::string why = UnwritableReason(text);
    if (why.empty())
        return false;
    if (m_refusal.empty())
        m_refusal = "\"" + text.substr(0, text.find_first_of(std::string("\r\n\0", 3))) +
                    "\" cannot be written: " + why + ".";
    return true;
}

std::string ConfigFile::TakeRefusal()
{
    std::string r;
    r.swap(m_refusal);
    return r;
}

} // namespace corvane
