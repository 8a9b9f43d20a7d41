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

struct ConfigFile::WriteState
{
    std::string out;
    // Block heads: their place and their end's place among their scope's lines.
    struct Block
    {
        std::size_t open;
        std::size_t close;
    };
    std::unordered_map<const Directive*, Block> blocks;
};

struct ConfigFile::Frame
{
    enum Kind { Section, ForeignBlock } kind = Section;
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
    struct Open
    {
        std::size_t at;
        std::string name;
    };
    std::vector<Open> open;
    for (const auto& [scope, kids] : m_children) {
        open.clear();
        for (std::size_t i = 0; i < kids.size(); ++i) {
            const Directive* d = m_list[static_cast<std::size_t>(kids[i])];
            if (d->IsDeleted() || !isForeign(d))
                continue;
            const std::string t = Trim(d->SectionText());
            const std::string name = DirectiveScop::ScopeNameOf(t);
            if (name == DirectiveScop::kErrorName || name == DirectiveScop::kServerName)
                continue;
            const std::string upper = UCase(name);
            if (t.rfind("</", 0) != 0) {
                open.push_back({i, upper});
                continue;
            }
            for (std::size_t k = open.size(); k-- > 0;) {
                if (open[k].name == upper) {
                    const Directive* head = m_list[static_cast<std::size_t>(kids[open[k].at])];
                    st.blocks[head] = {open[k].at, i};
                    open.resize(k);
                    break;
                }
            }
        }
    }
}

bool ConfigFile::isBlockOpener(const Directive* d) const
{
    return m_write && m_write->blocks.count(d) != 0;
}

void ConfigFile::writeLine(const Directive* d)
{
    m_write->out += d->SectionText();
    m_write->out += "\r\n";
}

void ConfigFile::writeSeparator()
{
    m_write->out += kSeparator;
}

ConfigFile::Frame ConfigFile::blockFrame(Directive* opener) const
{
    const WriteState::Block& b = m_write->blocks.at(opener);
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
                if (isForeign(c) && isBlockOpener(c)) {
                    next = blockFrame(c);
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
                if (isKnown(c, DirectiveScop::SubEnd))
                    f.end = c;
                else if (isKnown(c, DirectiveScop::SubHead))
                    next = sectionFrame(c);
                else {
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
                } else if (isForeign(c) && isBlockOpener(c)) {
                    next = blockFrame(c);
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
            if (isForeign(d) && isBlockOpener(d)) {
                runFrames(blockFrame(d));
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

bool ConfigFile::writeAll(std::string& out)
{
    WriteState st;
    std::size_t estimate = 0;
    for (const auto& d : m_list)
        estimate += d->DirectiveString().size() + 8;
    st.out.reserve(estimate);
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
    std::string out;
    writeAll(out);
    return out;
}

bool ConfigFile::WriteFile()
{
    std::string out;
    const bool ok = writeAll(out);
    if (!AtomicFile::write(m_fileName, out))
        writeFailed();
    return ok;
}

} // namespace corvane
