// The layout-keeping writer of ConfigFile: the file is written as it was read,
// byte for byte, except for the lines an edit concerns.
//
// - An unchanged line keeps its bytes (indentation, tabs, continuation lines,
//   trailing blanks, line end); blank lines stay where they are.
// - A changed line is written in its place with its indentation and line end.
// - A deleted line disappears with its continuation lines; a deleted section
//   from its head to its end line, blank lines inside it included.
// - A new directive goes after the last simple directive of its scope (not
//   inside a conditional block such as <IfVersion>), or right after the
//   scope's head; a new directive that replaces deleted lines of the same
//   name in the same scope (a list saved back) goes where the first of them
//   stood, and a row whose text did not change keeps its old bytes.
// - A new section goes just before its parent's end line, at the end of the
//   file for the main server.
#include "model/ConfigFile.h"

#include "model/AtomicFile.h"
#include "model/LineLayout.h"
#include "model/ModelErrors.h"
#include "model/ModelProcedures.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace corvane {

using namespace modelerrors;

namespace {

std::string_view lineText(const Directive* d)
{
    return d->GetType() == Directive::TypeSection ? d->SectionText() : d->DirectiveString();
}

bool isKnownHead(const Directive* d)
{
    return d->ScopeSubType() == DirectiveScop::SubHead;
}

bool isKnownEnd(const Directive* d)
{
    return d->ScopeSubType() == DirectiveScop::SubEnd;
}

// A head or end of a kind the model does not nest (<IfVersion>, <Limit> ...).
int foreignSide(const Directive* d)
{
    if (d->GetType() != Directive::TypeSection || d->ScopeSubType() != DirectiveScop::SubNeither)
        return 0;
    const std::string_view t = DirectiveScop::TrimView(d->SectionText());
    return t.rfind("</", 0) == 0 ? -1 : 1;
}

// Whether a piece reads back as exactly text. Most lines are the text with
// blanks or tabs around it: compared in place, without building the logical
// text; the rest (tabs inside, continuations, changed lines) the long way.
bool readsAs(std::string_view piece, std::string_view text)
{
    const char* p = piece.data();
    const std::size_t n = piece.size();
    std::size_t i = 0;
    while (i < n && (p[i] == ' ' || p[i] == '\t'))
        ++i;
    // Bytes equal to the text are what writing the text would give.
    if (n - i >= text.size() && std::memcmp(p + i, text.data(), text.size()) == 0 &&
        (text.empty() || text.back() != '\\')) {
        std::size_t j = i + text.size();
        while (j < n && (p[j] == ' ' || p[j] == '\t'))
            ++j;
        if (j == n || j + linelayout::lineEndOf(piece).size() == n)
            return !text.empty() || j > i;
    }
    return linelayout::logicalText(piece) == text;
}

[[noreturn]] void writeFailed()
{
    raise(4, kConfigFileSource, kWriteFile);
}

// One file's output: kept in a string, or handed to a sink in pieces so that
// a large file is never held twice.
class Emitter
{
public:
    Emitter(std::string& out, const ConfigFile::ByteSink* sink) : m_out(out), m_sink(sink) {}
    Emitter& operator+=(std::string_view s)
    {
        if (s.empty())
            return *this;
        m_out += s;
        m_size += s.size();
        m_last = s.back();
        if (m_sink && m_out.size() >= kChunk)
            flush();
        return *this;
    }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    char back() const { return m_last; }
    void flush()
    {
        if (m_sink && !m_out.empty()) {
            if (!(*m_sink)(m_out))
                writeFailed();
            m_out.clear();
        }
    }

private:
    static constexpr std::size_t kChunk = std::size_t(1) << 20;
    std::string& m_out;
    const ConfigFile::ByteSink* m_sink;
    std::size_t m_size = 0;
    char m_last = 0;
};

} // namespace

void ConfigFile::forEachInReadingOrder(const std::function<void(std::size_t, std::size_t)>& f) const
{
    // Files brought in by each Include line, in their order.
    std::unordered_map<std::int32_t, std::vector<std::size_t>> included;
    for (std::size_t i = 1; i < m_files.size(); ++i)
        included[m_files[i].includedBy].push_back(i);
    struct Frame
    {
        std::size_t file;
        std::size_t piece;
    };
    std::vector<Frame> stack;
    if (!m_files.empty())
        stack.push_back({0, 0});
    std::vector<bool> visited(m_files.size(), false);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.piece >= m_files[top.file].pieces.size()) {
            stack.pop_back();
            continue;
        }
        const std::size_t file = top.file;
        const std::size_t piece = top.piece++;
        f(file, piece);
        const Directive* d = m_files[file].pieces[piece].d;
        if (!d || included.empty())
            continue;
        const auto it = included.find(d->DirectiveNo());
        if (it == included.end())
            continue;
        // Pushed in reverse so that the first file is read first.
        for (auto r = it->second.rbegin(); r != it->second.rend(); ++r)
            if (!visited[*r]) {
                visited[*r] = true;
                stack.push_back({*r, 0});
            }
    }
}

void ConfigFile::attachWorkingCopy()
{
    // The model came from the snapshot, whose records follow the reading
    // order of the working copy (and of the files it includes): the k-th
    // line read is the k-th line loaded.
    m_layoutState = LayoutState::None;
    layoutChanged();
    std::vector<LayoutFile> files = m_recordedFiles;
    if (files.empty())
        files.resize(1);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& path = i == 0 ? m_fileName : files[i].localPath;
        std::error_code ec;
        if (path.empty() || !std::filesystem::is_regular_file(path, ec) ||
            !AtomicFile::read(path, files[i].bytes)) {
            if (i == 0)
                return; // no file behind the model: writing regenerates it
            writeFailed();
        }
        if (files[i].bytes.size() >= 0xFFFFFFFFu)
            writeFailed();
        std::vector<LayoutPiece>& pieces = files[i].pieces;
        pieces.clear();
        // Lines are marked with a placeholder until the walk gives them their directive.
        Directive* const line = m_server.get();
        linelayout::forEachLogicalLine(
            files[i].bytes,
            [&](std::size_t b, std::size_t e, const std::string&) {
                pieces.push_back({line, static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e - b)});
            },
            [&](std::size_t b, std::size_t e) {
                pieces.push_back({nullptr, static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e - b)});
            });
    }
    m_files = std::move(files);
    std::size_t k = 0;
    bool match = true;
    forEachInReadingOrder([&](std::size_t f, std::size_t i) {
        LayoutPiece& p = m_files[f].pieces[i];
        if (!p.d)
            return;
        if (!match || k >= m_loadedCount) {
            match = false;
            p.d = nullptr;
            return;
        }
        const std::string_view bytes = std::string_view(m_files[f].bytes).substr(p.begin, p.length);
        if (m_list[k]->m_loadedHash != linelayout::textHash(linelayout::logicalText(bytes))) {
            match = false;
            p.d = nullptr;
            return;
        }
        p.d = m_list[k++];
    });
    // A file was changed behind the model's back: writing would lose that
    // change or this one. Nothing is written.
    if (!match) {
        m_files.clear();
        writeFailed();
    }
    m_layoutState = LayoutState::Current;
}

void ConfigFile::writeKeepingLayout(std::vector<std::string>& outs,
                                    std::vector<std::vector<LayoutPiece>>* pieces, const ByteSink* mainSink)
{
    const std::size_t fileCount = m_files.size();
    struct At
    {
        std::size_t file;
        std::size_t piece;
    };
    auto view = [&](At at) {
        const LayoutPiece& p = m_files[at.file].pieces[at.piece];
        return std::string_view(m_files[at.file].bytes).substr(p.begin, p.length);
    };
    auto pieceAt = [&](At at) -> const LayoutPiece& { return m_files[at.file].pieces[at.piece]; };

    // Lines with a place in a file are flagged; the live lines without one
    // were added by the edit.
    struct FlagReset
    {
        const std::vector<LayoutFile>& files;
        ~FlagReset()
        {
            for (const LayoutFile& f : files)
                for (const LayoutPiece& p : f.pieces)
                    if (p.d)
                        p.d->SetWrittenToFile(false);
        }
    } reset{m_files};
    for (const LayoutFile& f : m_files)
        for (const LayoutPiece& p : f.pieces)
            if (p.d)
                p.d->SetWrittenToFile(true);
    std::vector<Directive*> added;
    for (Directive* d : m_list)
        if (!d->IsDeleted() && !d->WrittenToFile())
            added.push_back(d);
    std::unordered_set<const Directive*> addedSet(added.begin(), added.end());

    // Added lines inside added sections are written with their section.
    std::unordered_map<const Directive*, std::vector<Directive*>> addedKids;
    std::vector<Directive*> anchored; // added lines placed in an existing scope
    for (Directive* d : added) {
        if (d->ParentDirective() && addedSet.count(d->ParentDirective()))
            addedKids[d->ParentDirective()].push_back(d);
        else
            anchored.push_back(d);
    }

    // What the placement needs to know of the existing lines, for the scopes
    // that receive lines only.
    std::unordered_set<const Directive*> scopes;
    std::unordered_set<std::string> names; // scope pointer + upper-case name
    auto nameKey = [](const Directive* scope, const std::string& name) {
        return std::to_string(reinterpret_cast<std::uintptr_t>(scope)) + '\n' + UCase(name);
    };
    for (const Directive* d : anchored) {
        scopes.insert(d->ParentDirective());
        if (d->GetType() == Directive::TypeSimple)
            names.insert(nameKey(d->ParentDirective(), d->GetDirectiveName()));
    }
    std::unordered_map<const Directive*, At> lastSimple;       // scope -> piece, in the scope head's file
    std::unordered_map<const Directive*, At> headAt;           // head -> piece
    std::unordered_map<const Directive*, At> endAt;            // head -> piece of its end line
    std::unordered_map<std::string, std::vector<At>> replaced; // deleted lines of a saved list
    bool deletedHeads = false;
    for (std::size_t f = 0; f < fileCount; ++f) {
        const std::vector<LayoutPiece>& ps = m_files[f].pieces;
        std::vector<int> foreignDepth{0}; // per open section: open conditional blocks
        for (std::size_t i = 0; i < ps.size(); ++i) {
            const Directive* d = ps[i].d;
            if (!d)
                continue;
            if (d->IsDeleted()) {
                if (isKnownHead(d))
                    deletedHeads = true;
                if (isKnownEnd(d))
                    endAt[d->ParentDirective()] = {f, i};
                if (d->GetType() == Directive::TypeSimple && !names.empty()) {
                    const auto it = names.find(nameKey(d->ParentDirective(), d->GetDirectiveName()));
                    if (it != names.end())
                        replaced[*it].push_back({f, i});
                }
                continue;
            }
            if (isKnownHead(d)) {
                if (scopes.count(d))
                    headAt[d] = {f, i};
                foreignDepth.push_back(0);
            } else if (isKnownEnd(d)) {
                endAt[d->ParentDirective()] = {f, i};
                if (foreignDepth.size() > 1)
                    foreignDepth.pop_back();
            } else if (const int side = foreignSide(d)) {
                if (side > 0)
                    ++foreignDepth.back();
                else if (foreignDepth.back() > 0)
                    --foreignDepth.back();
            } else if (d->GetType() == Directive::TypeSimple && foreignDepth.back() == 0 &&
                       scopes.count(d->ParentDirective())) {
                // A new line goes into the file of its scope's head (the main
                // file for the main server): lines in other files do not count.
                const Directive* scope = d->ParentDirective();
                const auto h = headAt.find(scope);
                const std::size_t home = h == headAt.end() ? 0 : h->second.file;
                if (f == home)
                    lastSimple[scope] = {f, i};
            }
        }
    }
    // The files' own habits for new lines.
    std::vector<std::string> eols(fileCount);
    auto eolOf = [&](std::size_t f) -> const std::string& {
        if (eols[f].empty())
            eols[f] = linelayout::dominantLineEnd(m_files[f].bytes);
        return eols[f];
    };
    std::string step;
    auto indentStep = [&]() -> const std::string& {
        if (!step.empty())
            return step;
        std::map<std::string, std::size_t> counts;
        for (std::size_t f = 0; f < fileCount; ++f) {
            const std::vector<LayoutPiece>& ps = m_files[f].pieces;
            for (std::size_t i = 0; i < ps.size(); ++i) {
                const Directive* h = ps[i].d;
                if (!h || h->IsDeleted() || !isKnownHead(h))
                    continue;
                std::size_t j = i + 1;
                while (j < ps.size() && !ps[j].d)
                    ++j;
                if (j >= ps.size() || ps[j].d->ParentDirective() != h || isKnownEnd(ps[j].d))
                    continue;
                const std::string_view hi = linelayout::indentOf(view({f, i}));
                const std::string_view ci = linelayout::indentOf(view({f, j}));
                if (ci.size() > hi.size() && ci.substr(0, hi.size()) == hi)
                    ++counts[std::string(ci.substr(hi.size()))];
            }
        }
        std::size_t best = 0;
        for (const auto& [s, c] : counts)
            if (c > best) {
                best = c;
                step = s;
            }
        if (step.empty())
            step = "    ";
        return step;
    };

    struct Insertion
    {
        At before;         // the piece the lines go before (piece == count: end of that file)
        std::size_t order; // list order among insertions at the same place
        Directive* d;
        std::string indent;
        std::string lineEnd; // "" : the file's own
    };
    std::vector<Insertion> inserts;
    std::unordered_map<std::string, std::vector<At>> reusable = replaced;
    for (std::size_t k = 0; k < anchored.size(); ++k) {
        Directive* d = anchored[k];
        const Directive* scope = d->ParentDirective();
        const bool top = !scope || scope == m_server.get() || scope->DirectiveNo() == -1;
        const auto h = headAt.find(scope);
        const std::size_t home = top || h == headAt.end() ? 0 : h->second.file;
        Insertion ins{{home, m_files[home].pieces.size()}, k, d, {}, {}};
        auto deeper = [&]() {
            return h == headAt.end() ? std::string()
                                     : std::string(linelayout::indentOf(view(h->second))) + indentStep();
        };
        if (d->GetType() == Directive::TypeSection) {
            const auto e = endAt.find(scope);
            if (!top && e != endAt.end()) {
                ins.before = e->second;
                ins.indent = deeper();
            }
        } else {
            std::vector<At>* old = nullptr;
            if (d->GetType() == Directive::TypeSimple) {
                const auto r = replaced.find(nameKey(scope, d->GetDirectiveName()));
                if (r != replaced.end())
                    old = &r->second;
            }
            if (old) {
                const std::string_view first = view(old->front());
                ins.before = old->front();
                ins.indent = std::string(linelayout::indentOf(first));
                ins.lineEnd = std::string(linelayout::lineEndOf(first));
            } else if (const auto l = lastSimple.find(scope); l != lastSimple.end()) {
                ins.before = {l->second.file, l->second.piece + 1};
                ins.indent = std::string(linelayout::indentOf(view(l->second)));
            } else if (!top && h != headAt.end()) {
                ins.before = {h->second.file, h->second.piece + 1};
                ins.indent = deeper();
            }
        }
        inserts.push_back(std::move(ins));
    }
    std::stable_sort(inserts.begin(), inserts.end(), [](const Insertion& a, const Insertion& b) {
        if (a.before.file != b.before.file)
            return a.before.file < b.before.file;
        return a.before.piece != b.before.piece ? a.before.piece < b.before.piece : a.order < b.order;
    });
    std::unordered_map<const Directive*, At> deletedEnds;
    if (deletedHeads)
        deletedEnds = endAt;

    // Writing, file by file.
    outs.assign(fileCount, std::string());
    if (pieces)
        pieces->assign(fileCount, {});
    std::size_t next = 0;
    for (std::size_t f = 0; f < fileCount; ++f) {
        const ByteSink* sink = f == 0 ? mainSink : nullptr;
        Emitter out(outs[f], sink);
        const LayoutFile& file = m_files[f];
        const std::size_t n = file.pieces.size();
        if (!sink)
            outs[f].reserve(file.bytes.size() + file.bytes.size() / 64 + 256);
        std::vector<LayoutPiece>* kept = pieces ? &(*pieces)[f] : nullptr;
        if (kept)
            kept->reserve(n + 16);
        auto record = [&](Directive* d, std::size_t begin) {
            if (kept)
                kept->push_back(
                    {d, static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(out.size() - begin)});
        };
        auto breakLine = [&]() {
            if (!out.empty() && out.back() != '\n' && out.back() != '\r')
                out += eolOf(f);
        };
        // lineEnd "" is the file's own, unless exactEnd (a changed last line without one).
        auto newLine = [&](Directive* d, std::string_view indent, std::string_view lineEnd,
                           bool exactEnd = false) {
            const std::string_view text = lineText(d);
            if (refuse(std::string(text)))
                writeFailed();
            breakLine();
            const std::size_t begin = out.size();
            out += indent;
            out += text;
            out += lineEnd.empty() && !exactEnd ? std::string_view(eolOf(f)) : lineEnd;
            record(d, begin);
        };
        // An added section with everything added inside it, its end line last.
        auto writeSection = [&](auto& self, Directive* head, const std::string& indent) -> void {
            newLine(head, indent, {});
            Directive* end = nullptr;
            const auto kids = addedKids.find(head);
            if (kids != addedKids.end()) {
                const std::string inner = indent + indentStep();
                for (Directive* c : kids->second) {
                    if (isKnownEnd(c))
                        end = c;
                    else if (isKnownHead(c))
                        self(self, c, inner);
                    else
                        newLine(c, inner, {});
                }
            }
            if (end)
                newLine(end, indent, {});
        };
        auto insertBefore = [&](std::size_t i) {
            for (; next < inserts.size() && inserts[next].before.file == f && inserts[next].before.piece == i;
                 ++next) {
                Insertion& ins = inserts[next];
                if (isKnownHead(ins.d)) {
                    writeSection(writeSection, ins.d, ins.indent);
                    continue;
                }
                // A row of a saved list whose text did not change keeps its bytes.
                if (ins.d->GetType() == Directive::TypeSimple) {
                    const auto r =
                        reusable.find(nameKey(ins.d->ParentDirective(), ins.d->GetDirectiveName()));
                    if (r != reusable.end()) {
                        auto& olds = r->second;
                        // Unchanged: the same parameters, however they were spaced.
                        const std::string params = ins.d->GetParamList();
                        const auto same = std::find_if(olds.begin(), olds.end(), [&](At p) {
                            return p.file == f && pieceAt(p).d->GetParamList() == params;
                        });
                        if (same != olds.end()) {
                            // The line keeps its old bytes, so the model takes
                            // their text too: model and file stay alike.
                            ins.d->SetDirectiveString(pieceAt(*same).d->DirectiveString());
                            breakLine();
                            const std::size_t begin = out.size();
                            out += view(*same);
                            record(ins.d, begin);
                            olds.erase(same);
                            continue;
                        }
                    }
                }
                newLine(ins.d, ins.indent, ins.lineEnd);
            }
        };

        std::size_t skipTo = 0; // inside a deleted section: blank lines go with it
        for (std::size_t i = 0; i < n; ++i) {
            insertBefore(i);
            const LayoutPiece& p = file.pieces[i];
            if (!p.d) {
                if (i >= skipTo) {
                    const std::size_t begin = out.size();
                    out += view({f, i});
                    record(nullptr, begin);
                }
                continue;
            }
            if (p.d->IsDeleted()) {
                if (i >= skipTo && isKnownHead(p.d)) {
                    const auto e = deletedEnds.find(p.d);
                    if (e != deletedEnds.end() && e->second.file == f && e->second.piece > i)
                        skipTo = e->second.piece + 1;
                }
                continue;
            }
            const std::string_view piece = view({f, i});
            const std::string_view text = lineText(p.d);
            if (readsAs(piece, text)) {
                breakLine();
                const std::size_t begin = out.size();
                out += piece;
                record(p.d, begin);
            } else {
                newLine(p.d, linelayout::indentOf(piece), linelayout::lineEndOf(piece), true);
            }
        }
        insertBefore(n);
        out.flush();
    }
}

} // namespace corvane
