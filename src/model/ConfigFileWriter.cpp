// The writer of ConfigFile: regenerates the file scope by scope. Within a
// scope its simple directives and comments come first, in list order, then its
// sections, each framed by a line of four blanks.
//
// Section kinds the reader does not nest (<Limit>, <IfVersion>, <If>, ...)
// have their head, end and everything between them among the lines of the
// enclosing scope. Such a head and its matching end form a block that is
// written as one piece at the head's place, so the content stays inside.
#include "model/ConfigFile.h"

#include "model/AtomicFile.h"
#include "model/HugePages.h"
#include "model/ModelErrors.h"
#include "model/ModelProcedures.h"

#include <optional>
#include <unordered_map>

namespace corvane {

using namespace modelerrors;

namespace {

bool isSimpleLike(const Directive* d)
{
    return d->GetType() == Directive::TypeSimple || d->GetType() == Directive::TypeComment;
}

// A section line of a kind outside the scope table (sub type "neither").
bool isForeign(const Directive* d)
{
    return d->ScopeSubType() == DirectiveScop::SubNeither;
}

bool isKnown(const Directive* d, int subType)
{
    return d->GetType() == Directive::TypeSection && d->ScopeSubType() == subType;
}

const char* kSeparator = "    \r\n";

[[noreturn]] void writeFailed()
{
    raise(4, kConfigFileSource, kWriteFile);
}

} // namespace

// A foreign head and its matching end: their places among their scope's lines.
struct ConfigFile::WriteBlock
{
    std::size_t open;
    std::size_t close;
    // A known section head stands between head and end (at any depth): the
    // block is written with the sections of its scope, in their order, so
    // that virtual hosts inside it keep their place among the others.
    bool holdsSection;
};

struct ConfigFile::WriteState
{
    std::string out;
    std::vector<LayoutPiece>* pieces = nullptr; // where each line went, when asked for
    using Block = WriteBlock;
    std::unordered_map<const Directive*, Block> blocks;
};

struct ConfigFile::Frame
{
    enum Kind
    {
        Section,
        ForeignBlock
    } kind = Section;
    Directive* d = nullptr;
    const std::vector<int>* kids = nullptr;
    std::size_t i = 0;
    std::size_t stop = 0;
    int phase = 0;
    Directive* end = nullptr;
};

void ConfigFile::prepareBlocks(WriteState& st) const
{
    ensureIndex();
    // One pass per scope with a stack of open heads. Each end closes the
    // latest open head of its name (heads above it stay unmatched); the heads
    // of each name are also kept on a stack of their own so that finding that
    // head costs no scan of the open stack.
    struct Open
    {
        std::size_t at;
        std::size_t heads; // known section heads seen before this head
        std::uint64_t id;
        std::string name;
    };
    struct Ref
    {
        std::size_t slot;
        std::uint64_t id;
    };
    std::vector<Open> open;
    std::unordered_map<std::string, std::vector<Ref>> byName;
    std::uint64_t nextId = 0;
    for (const auto& [scope, kids] : m_children) {
        open.clear();
        byName.clear();
        std::size_t heads = 0;
        for (std::size_t i = 0; i < kids.size(); ++i) {
            const Directive* d = m_list[static_cast<std::size_t>(kids[i])];
            if (d->IsDeleted())
                continue;
            if (!isForeign(d)) {
                if (isKnown(d, DirectiveScop::SubHead))
                    ++heads;
                continue;
            }
            const std::string_view t = DirectiveScop::TrimView(d->SectionText());
            const std::string_view name = DirectiveScop::ScopeNameOf(t);
            if (name == DirectiveScop::kErrorName || name == DirectiveScop::kServerName)
                continue;
            std::string upper = UCase(std::string(name));
            if (t.rfind("</", 0) != 0) {
                byName[upper].push_back({open.size(), nextId});
                open.push_back({i, heads, nextId++, std::move(upper)});
                continue;
            }
            const auto it = byName.find(upper);
            if (it == byName.end())
                continue;
            std::vector<Ref>& refs = it->second;
            while (!refs.empty()) {
                const Ref r = refs.back();
                refs.pop_back();
                if (r.slot >= open.size() || open[r.slot].id != r.id)
                    continue; // dropped when an outer head was closed
                const Open& o = open[r.slot];
                const Directive* head = m_list[static_cast<std::size_t>(kids[o.at])];
                // A macro's body is a template, not sections in force; it
                // stays ahead of the Use lines that follow it.
                st.blocks[head] = {o.at, i, heads > o.heads && o.name != "MACRO"};
                open.resize(r.slot);
                break;
            }
        }
    }
}

const ConfigFile::WriteBlock* ConfigFile::blockOf(const Directive* d) const
{
    if (!m_write || !isForeign(d))
        return nullptr;
    const auto it = m_write->blocks.find(d);
    return it == m_write->blocks.end() ? nullptr : &it->second;
}

bool ConfigFile::isBlockOpener(const Directive* d) const
{
    return blockOf(d) != nullptr;
}

void ConfigFile::writeLine(const Directive* d)
{
    const std::size_t begin = m_write->out.size();
    m_write->out += d->SectionText();
    m_write->out += "\r\n";
    if (m_write->pieces)
        m_write->pieces->push_back({const_cast<Directive*>(d), static_cast<std::uint32_t>(begin),
                                    static_cast<std::uint32_t>(m_write->out.size() - begin)});
}

void ConfigFile::writeSeparator()
{
    const std::size_t begin = m_write->out.size();
    m_write->out += kSeparator;
    if (m_write->pieces)
        m_write->pieces->push_back({nullptr, static_cast<std::uint32_t>(begin),
                                    static_cast<std::uint32_t>(m_write->out.size() - begin)});
}

ConfigFile::Frame ConfigFile::blockFrame(Directive* opener) const
{
    const WriteBlock& b = *blockOf(opener);
    Frame f;
    f.kind = Frame::ForeignBlock;
    f.d = opener;
    f.kids = &childrenOf(opener->ParentDirective()->DirectiveNo());
    f.i = b.open + 1;
    f.stop = b.close;
    return f;
}

void ConfigFile::runFrames(Frame first)
{
    // An explicit stack instead of recursion: nesting depth is the file's to choose.
    std::vector<Frame> stack{first};
    auto lineAt = [&](const Frame& f, std::size_t i) {
        return m_list[static_cast<std::size_t>((*f.kids)[i])];
    };
    auto sectionFrame = [&](Directive* head) {
        Frame f;
        f.d = head;
        f.kids = &childrenOf(head->DirectiveNo());
        return f;
    };
    while (!stack.empty()) {
        const std::size_t top = stack.size() - 1;
        Frame& f = stack[top];
        if (f.phase == 0) {
            writeSeparator();
            writeLine(f.d);
            f.d->SetWrittenToFile(true);
            f.phase = 1;
        }
        std::optional<Frame> next;
        if (f.kind == Frame::Section) {
            // Own simple lines and comments (and blocks among them) first ...
            while (f.phase == 1 && f.i < f.kids->size() && !next) {
                Directive* c = lineAt(f, f.i++);
                if (c->IsDeleted() || c->WrittenToFile())
                    continue;
                if (const WriteBlock* b = blockOf(c)) {
                    // Its lines are written with it, now or among the sections.
                    if (!b->holdsSection)
                        next = blockFrame(c);
                    f.i = b->close + 1;
                } else if (isSimpleLike(c) || isForeign(c)) {
                    writeLine(c);
                    c->SetWrittenToFile(true);
                }
            }
            if (next) {
                stack.push_back(*next);
                continue;
            }
            if (f.phase == 1) {
                f.phase = 2;
                f.i = 0;
            }
            // ... then nested sections; the end line is kept for last.
            while (f.i < f.kids->size() && !next) {
                Directive* c = lineAt(f, f.i++);
                if (c->IsDeleted() || c->WrittenToFile() || c->GetType() != Directive::TypeSection)
                    continue;
                if (isKnown(c, DirectiveScop::SubEnd)) {
                    f.end = c;
                } else if (isKnown(c, DirectiveScop::SubHead)) {
                    next = sectionFrame(c);
                } else if (const WriteBlock* b = blockOf(c)) {
                    next = blockFrame(c);
                    f.i = b->close + 1;
                } else {
                    writeLine(c);
                    c->SetWrittenToFile(true);
                }
            }
            if (next) {
                stack.push_back(*next);
                continue;
            }
            if (f.end && !f.end->WrittenToFile()) {
                writeLine(f.end);
                writeSeparator();
                f.end->SetWrittenToFile(true);
            }
            stack.pop_back();
        } else {
            while (f.i < f.stop && !next) {
                Directive* c = lineAt(f, f.i++);
                if (c->IsDeleted() || c->WrittenToFile() || c->GetType() == Directive::TypeBlank)
                    continue;
                if (isKnown(c, DirectiveScop::SubHead)) {
                    next = sectionFrame(c);
                } else if (const WriteBlock* b = blockOf(c)) {
                    next = blockFrame(c);
                    f.i = b->close + 1; // its lines are its own
                } else {
                    writeLine(c);
                    c->SetWrittenToFile(true);
                }
            }
            if (next) {
                stack.push_back(*next);
                continue;
            }
            Directive* closer = lineAt(f, f.stop);
            if (!closer->WrittenToFile()) {
                writeLine(closer);
                closer->SetWrittenToFile(true);
            }
            writeSeparator();
            stack.pop_back();
        }
    }
}

bool ConfigFile::WriteServerScopeDirectives()
{
    if (!m_write)
        writeFailed();
    try {
        for (int i = 1; i <= GetDirectiveCount(); ++i) {
            Directive* d = GetDirective(i);
            if (!d)
                continue;
            const Directive* parent = d->ParentDirective();
            if (!parent)
                writeFailed(); // a live line outside every scope
            if (d->WrittenToFile() || !(isSimpleLike(d) || isForeign(d)))
                continue;
            if (parent->ScopeType() != DirectiveScop::ScopeServer)
                continue;
            if (const WriteBlock* b = blockOf(d)) {
                // A block holding sections waits for the section phase, with
                // its lines; the others are written here as one piece.
                if (!b->holdsSection)
                    runFrames(blockFrame(d));
                const auto& kids = childrenOf(parent->DirectiveNo());
                i = kids[b->close] + 1; // go on after the block's end line
            } else {
                writeLine(d);
                d->SetWrittenToFile(true);
            }
        }
    } catch (const std::exception&) {
        writeFailed();
    }
    return true;
}

bool ConfigFile::WriteDirectiveAndSub(Directive* dir)
{
    if (!m_write)
        writeFailed();
    try {
        if (!dir || dir->WrittenToFile() || dir->GetType() == Directive::TypeBlank)
            return true;
        if (isSimpleLike(dir) || (isForeign(dir) && !isBlockOpener(dir))) {
            writeLine(dir);
            dir->SetWrittenToFile(true);
        } else if (isForeign(dir)) {
            runFrames(blockFrame(dir));
        } else {
            Frame f;
            f.d = dir;
            f.kids = &childrenOf(dir->DirectiveNo());
            runFrames(f);
        }
    } catch (const std::exception&) {
        writeFailed();
    }
    return true;
}

void ConfigFile::ResetFileWriteStatus()
{
    for (int i = 1; i <= GetDirectiveCount(); ++i) {
        if (Directive* d = GetDirective(i))
            d->SetWrittenToFile(false);
    }
}

bool ConfigFile::writeAll(std::string& out, std::vector<LayoutPiece>* pieces)
{
    WriteState st;
    st.pieces = pieces;
    std::size_t estimate = 0;
    for (const auto& d : m_list)
        estimate += d->DirectiveString().size() + 8;
    st.out.reserve(estimate);
    HugePages::advise(st.out.data(), st.out.capacity());
    m_write = &st;
    bool ok = true;
    try {
        prepareBlocks(st);
        ok = WriteServerScopeDirectives();
        for (int i = 1; i <= GetDirectiveCount(); ++i) {
            if (Directive* d = GetDirective(i))
                ok = WriteDirectiveAndSub(d) && ok;
        }
    } catch (...) {
        m_write = nullptr;
        ResetFileWriteStatus();
        writeFailed();
    }
    m_write = nullptr;
    ResetFileWriteStatus();
    out = std::move(st.out);
    return ok;
}

std::string ConfigFile::WriteToString()
{
    if (!m_normalize && m_layoutState == LayoutState::Pending)
        attachWorkingCopy();
    std::string out;
    if (!m_normalize && m_layoutState == LayoutState::Current) {
        std::vector<std::string> outs;
        writeKeepingLayout(outs, nullptr);
        out = std::move(outs.front());
    } else {
        writeAll(out, nullptr);
    }
    return out;
}

void ConfigFile::WriteToSink(const ByteSink& sink)
{
    if (!m_normalize && m_layoutState == LayoutState::Pending)
        attachWorkingCopy();
    if (!m_normalize && m_layoutState == LayoutState::Current) {
        std::vector<std::string> outs;
        writeKeepingLayout(outs, nullptr, &sink);
        return;
    }
    std::string out;
    writeAll(out, nullptr);
    if (!sink(out))
        writeFailed();
}

bool ConfigFile::WriteFile(bool* changed)
{
    if (!m_normalize && m_layoutState == LayoutState::Pending)
        attachWorkingCopy();
    std::vector<std::string> outs;
    std::vector<std::vector<LayoutPiece>> pieces;
    bool ok = true;
    // A tree keeps its layout always: regenerating would have to merge its files.
    const bool keep = m_layoutState == LayoutState::Current && (!m_normalize || m_files.size() > 1);
    if (keep) {
        writeKeepingLayout(outs, &pieces);
    } else {
        outs.resize(1);
        pieces.resize(1);
        ok = writeAll(outs.front(), &pieces.front());
    }
    // Only files whose bytes change are written, the main file last; a
    // failure puts back the files already replaced.
    std::vector<std::size_t> order;
    for (std::size_t i = outs.size(); i-- > 0;) {
        bool same = false;
        if (m_layoutState == LayoutState::Current && i < m_files.size()) {
            same = outs[i] == m_files[i].bytes;
        } else {
            std::string before;
            same = AtomicFile::read(m_fileName, before) && before == outs[i];
        }
        if (!same)
            order.push_back(i);
    }
    if (changed)
        *changed = !order.empty();
    std::vector<std::size_t> done;
    for (const std::size_t i : order) {
        const std::string& path = i == 0 ? m_fileName : m_files[i].localPath;
        if (!AtomicFile::write(path, outs[i])) {
            for (const std::size_t j : done)
                AtomicFile::write(j == 0 ? m_fileName : m_files[j].localPath, m_files[j].bytes);
            writeFailed();
        }
        done.push_back(i);
    }
    if (m_files.empty())
        m_files.resize(1);
    for (std::size_t i = 0; i < outs.size(); ++i) {
        m_files[i].bytes = std::move(outs[i]);
        m_files[i].pieces = std::move(pieces[i]);
    }
    m_layoutState = LayoutState::Current;
    layoutChanged();
    return ok;
}

} // namespace corvane
