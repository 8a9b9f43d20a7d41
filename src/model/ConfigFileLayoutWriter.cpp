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

} // namespace

void ConfigFile::attachWorkingCopy()
{
    // The model came from the snapshot, whose records follow the working
    // copy's order: the k-th line of the working copy is the k-th line loaded.
    m_layoutState = LayoutState::None;
    std::error_code ec;
    std::string raw;
    if (m_fileName.empty() || !std::filesystem::is_regular_file(m_fileName, ec) ||
        !AtomicFile::read(m_fileName, raw))
        return;
    if (raw.size() >= 0xFFFFFFFFu)
        writeFailed();
    std::vector<LayoutPiece> pieces;
    std::size_t k = 0;
    bool match = true;
    linelayout::forEachLogicalLine(
        raw,
        [&](std::size_t b, std::size_t e, const std::string& text) {
            if (!match)
                return;
            if (k >= m_loadedCount || m_list[k]->m_loadedHash != linelayout::textHash(text)) {
                match = false;
                return;
            }
            pieces.push_back({m_list[k++], static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e - b)});
        },
        [&](std::size_t b, std::size_t e) {
            pieces.push_back({nullptr, static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(e - b)});
        });
    // The working copy was changed behind the model's back: writing would
    // lose that change or this one. Nothing is written.
    if (!match)
        writeFailed();
    m_layoutBytes = std::move(raw);
    m_pieces = std::move(pieces);
    m_layoutState = LayoutState::Current;
}

void ConfigFile::writeKeepingLayout(std::string& out, std::vector<LayoutPiece>* pieces)
{
    const std::string_view src = m_layoutBytes;
    const std::size_t n = m_pieces.size();
    auto view = [&](const LayoutPiece& p) { return src.substr(p.begin, p.length); };

    // Lines with a place in the file are flagged; the live lines without one
    // were added by the edit.
    struct FlagReset
    {
        const std::vector<LayoutPiece>& pieces;
        ~FlagReset()
        {
            for (const LayoutPiece& p : pieces)
                if (p.d)
                    p.d->SetWrittenToFile(false);
        }
    } reset{m_pieces};
    for (const LayoutPiece& p : m_pieces)
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
    std::unordered_map<const Directive*, std::size_t> lastSimple;       // scope -> piece
    std::unordered_map<const Directive*, std::size_t> headAt;           // head -> piece
    std::unordered_map<const Directive*, std::size_t> endAt;            // head -> piece of its end line
    std::unordered_map<std::string, std::vector<std::size_t>> replaced; // deleted lines of a saved list
    bool deletedHeads = false;
    {
        std::vector<int> foreignDepth{0}; // per open section: open conditional blocks
        for (std::size_t i = 0; i < n; ++i) {
            const Directive* d = m_pieces[i].d;
            if (!d)
                continue;
            if (d->IsDeleted()) {
                if (isKnownHead(d))
                    deletedHeads = true;
                if (isKnownEnd(d))
                    endAt[d->ParentDirective()] = i;
                if (d->GetType() == Directive::TypeSimple && !names.empty()) {
                    const auto it = names.find(nameKey(d->ParentDirective(), d->GetDirectiveName()));
                    if (it != names.end())
                        replaced[*it].push_back(i);
                }
                continue;
            }
            if (isKnownHead(d)) {
                if (scopes.count(d))
                    headAt[d] = i;
                foreignDepth.push_back(0);
            } else if (isKnownEnd(d)) {
                endAt[d->ParentDirective()] = i;
                if (foreignDepth.size() > 1)
                    foreignDepth.pop_back();
            } else if (const int side = foreignSide(d)) {
                if (side > 0)
                    ++foreignDepth.back();
                else if (foreignDepth.back() > 0)
                    --foreignDepth.back();
            } else if (d->GetType() == Directive::TypeSimple && foreignDepth.back() == 0 &&
                       scopes.count(d->ParentDirective())) {
                lastSimple[d->ParentDirective()] = i;
            }
        }
    }

    // The file's own habits for new lines.
    // Only edits that add lines need it.
    const std::string eol = added.empty() ? std::string("\n") : linelayout::dominantLineEnd(src);
    std::string step;
    auto indentStep = [&]() -> const std::string& {
        if (!step.empty())
            return step;
        std::map<std::string, std::size_t> counts;
        for (std::size_t i = 0; i < n; ++i) {
            const Directive* h = m_pieces[i].d;
            if (!h || h->IsDeleted() || !isKnownHead(h))
                continue;
            std::size_t j = i + 1;
            while (j < n && !m_pieces[j].d)
                ++j;
            if (j >= n || m_pieces[j].d->ParentDirective() != h || isKnownEnd(m_pieces[j].d))
                continue;
            const std::string_view hi = linelayout::indentOf(view(m_pieces[i]));
            const std::string_view ci = linelayout::indentOf(view(m_pieces[j]));
            if (ci.size() > hi.size() && ci.substr(0, hi.size()) == hi)
                ++counts[std::string(ci.substr(hi.size()))];
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
        std::size_t before; // piece index the lines go before (n: end of file)
        std::size_t order;  // list order among insertions at the same place
        Directive* d;
        std::string indent;
        std::string lineEnd;
    };
    std::vector<Insertion> inserts;
    std::unordered_map<std::string, std::vector<std::size_t>> reusable = replaced;
    for (std::size_t k = 0; k < anchored.size(); ++k) {
        Directive* d = anchored[k];
        const Directive* scope = d->ParentDirective();
        const bool top = !scope || scope == m_server.get() || scope->DirectiveNo() == -1;
        Insertion ins{n, k, d, {}, eol};
        auto deeper = [&]() {
            const auto h = headAt.find(scope);
            return h == headAt.end()
                       ? std::string()
                       : std::string(linelayout::indentOf(view(m_pieces[h->second]))) + indentStep();
        };
        if (d->GetType() == Directive::TypeSection) {
            const auto e = endAt.find(scope);
            if (!top && e != endAt.end()) {
                ins.before = e->second;
                ins.indent = deeper();
            }
        } else {
            std::vector<std::size_t>* old = nullptr;
            if (d->GetType() == Directive::TypeSimple) {
                const auto r = replaced.find(nameKey(scope, d->GetDirectiveName()));
                if (r != replaced.end())
                    old = &r->second;
            }
            if (old) {
                const std::string_view first = view(m_pieces[old->front()]);
                ins.before = old->front();
                ins.indent = std::string(linelayout::indentOf(first));
                if (!linelayout::lineEndOf(first).empty())
                    ins.lineEnd = std::string(linelayout::lineEndOf(first));
            } else if (const auto l = lastSimple.find(scope); l != lastSimple.end()) {
                ins.before = l->second + 1;
                ins.indent = std::string(linelayout::indentOf(view(m_pieces[l->second])));
            } else if (const auto h = headAt.find(scope); !top && h != headAt.end()) {
                ins.before = h->second + 1;
                ins.indent = deeper();
            }
        }
        inserts.push_back(std::move(ins));
    }
    std::stable_sort(inserts.begin(), inserts.end(), [](const Insertion& a, const Insertion& b) {
        return a.before != b.before ? a.before < b.before : a.order < b.order;
    });

    // Writing.
    out.clear();
    out.reserve(src.size() + src.size() / 64 + 256);
    if (pieces)
        pieces->reserve(n + inserts.size());
    auto record = [&](Directive* d, std::size_t begin) {
        if (pieces)
            pieces->push_back(
                {d, static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(out.size() - begin)});
    };
    auto breakLine = [&]() {
        if (!out.empty() && out.back() != '\n' && out.back() != '\r')
            out += eol;
    };
    auto newLine = [&](Directive* d, std::string_view indent, std::string_view lineEnd) {
        const std::string_view text = lineText(d);
        if (refuse(std::string(text)))
            writeFailed();
        breakLine();
        const std::size_t begin = out.size();
        out += indent;
        out += text;
        out += lineEnd;
        record(d, begin);
    };
    // An added section with everything added inside it, its end line last.
    auto writeSection = [&](auto& self, Directive* head, const std::string& indent) -> void {
        newLine(head, indent, eol);
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
                    newLine(c, inner, eol);
            }
        }
        if (end)
            newLine(end, indent, eol);
    };
    std::size_t next = 0;
    auto insertBefore = [&](std::size_t i) {
        for (; next < inserts.size() && inserts[next].before == i; ++next) {
            Insertion& ins = inserts[next];
            if (isKnownHead(ins.d)) {
                writeSection(writeSection, ins.d, ins.indent);
                continue;
            }
            // A row of a saved list whose text did not change keeps its bytes.
            if (ins.d->GetType() == Directive::TypeSimple) {
                const auto r = reusable.find(nameKey(ins.d->ParentDirective(), ins.d->GetDirectiveName()));
                if (r != reusable.end()) {
                    auto& olds = r->second;
                    // Unchanged: the same parameters, however they were spaced.
                    const std::string params = ins.d->GetParamList();
                    const auto same = std::find_if(olds.begin(), olds.end(), [&](std::size_t p) {
                        return m_pieces[p].d->GetParamList() == params;
                    });
                    if (same != olds.end()) {
                        // The line keeps its old bytes, so the model takes
                        // their text too: model and file stay alike.
                        ins.d->SetDirectiveString(m_pieces[*same].d->DirectiveString());
                        breakLine();
                        const std::size_t begin = out.size();
                        out += view(m_pieces[*same]);
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
    std::unordered_map<const Directive*, std::size_t> deletedEnds;
    if (deletedHeads)
        deletedEnds = endAt;
    for (std::size_t i = 0; i < n; ++i) {
        insertBefore(i);
        const LayoutPiece& p = m_pieces[i];
        if (!p.d) {
            if (i >= skipTo) {
                const std::size_t begin = out.size();
                out += view(p);
                record(nullptr, begin);
            }
            continue;
        }
        if (p.d->IsDeleted()) {
            if (i >= skipTo && isKnownHead(p.d)) {
                const auto e = deletedEnds.find(p.d);
                if (e != deletedEnds.end() && e->second > i)
                    skipTo = e->second + 1;
            }
            continue;
        }
        const std::string_view piece = view(p);
        const std::string_view text = lineText(p.d);
        if (readsAs(piece, text)) {
            breakLine();
            const std::size_t begin = out.size();
            out += piece;
            record(p.d, begin);
        } else {
            newLine(p.d, linelayout::indentOf(piece), linelayout::lineEndOf(piece));
        }
    }
    insertBefore(n);
}

} // namespace corvane
