// The snapshot of ConfigFile: every live line as a record carrying its
// number, its parent's number and its text, in list order.
#include "model/ConfigFile.h"

#include "model/AtomicFile.h"
#include "model/LineLayout.h"
#include "model/ModelErrors.h"
#include "model/ModelProcedures.h"
#include "model/SnapshotRecord.h"

#include <cstring>
#include <filesystem>
#include <unordered_set>

namespace corvane {

using namespace modelerrors;

namespace {

[[noreturn]] void serializeFailed()
{
    raise(4, kConfigFileSource, kSerialize);
}

[[noreturn]] void deserializeFailed()
{
    raise(4, kConfigFileSource, kDeSerialize);
}

// The hash of a text as the reader gives it back once it stands on a line of
// its own: blanks and tabs at the ends trimmed, tabs made blanks.
std::uint32_t loadedHash(const std::string& text)
{
    std::size_t b = 0;
    std::size_t e = text.size();
    linelayout::trimBounds(text.data(), b, e);
    if (std::memchr(text.data() + b, '\t', e - b) == nullptr)
        return linelayout::textHash(std::string_view(text).substr(b, e - b));
    std::string line;
    linelayout::appendUntabbed(line, text.data(), b, e);
    return linelayout::textHash(line);
}

} // namespace

std::string ConfigFile::SerializeToBytes() const
{
    std::string out;
    try {
        std::size_t estimate = 0;
        for (const auto& d : m_list)
            estimate += d->DirectiveString().size() + SnapshotRecord::kHeaderSize;
        out.reserve(estimate);
        auto record = [&](const Directive* d) {
            const std::string* text = nullptr;
            if (d->GetType() == Directive::TypeSimple || d->GetType() == Directive::TypeComment)
                text = &d->DirectiveString();
            else if (d->GetType() == Directive::TypeSection)
                text = &d->SectionText();
            if (!text || text->empty())
                return;
            // A live line outside every scope.
            if (!d->ParentDirective())
                serializeFailed();
            SnapshotRecord::append(out, d->DirectiveNo(), d->ParentDirective()->DirectiveNo(), *text);
        };
        // The records follow the reading order of the files when their bytes
        // are known, so that the working copy tells the bytes of each line
        // when the snapshot is loaded again; lines not yet written follow in
        // list order.
        std::size_t live = 0;
        for (const auto& d : m_list)
            live += d->IsDeleted() ? 0 : 1;
        std::unordered_set<const Directive*> placed;
        if (m_layoutState == LayoutState::Current) {
            std::size_t inPieces = 0;
            forEachInReadingOrder([&](std::size_t f, std::size_t i) {
                const Directive* d = m_files[f].pieces[i].d;
                if (d && !d->IsDeleted()) {
                    record(d);
                    ++inPieces;
                }
            });
            if (inPieces == live)
                return out;
            for (const LayoutFile& f : m_files)
                for (const LayoutPiece& p : f.pieces)
                    if (p.d)
                        placed.insert(p.d);
        }
        for (int i = 1; i <= GetDirectiveCount(); ++i) {
            const Directive* d = GetDirective(i);
            if (d && !placed.count(d))
                record(d);
        }
    } catch (const CorvaneError&) {
        throw;
    } catch (const std::exception&) {
        serializeFailed();
    }
    return out;
}

bool ConfigFile::Serialize()
{
    const std::string bytes = SerializeToBytes();
    // A configuration split over files records its files beside the snapshot.
    const std::vector<LayoutFile>& files = m_layoutState == LayoutState::Current ? m_files : m_recordedFiles;
    std::error_code ec;
    if (files.size() > 1) {
        if (!AtomicFile::write(snapshotFilesPath(), filesRecord(files, m_serverRoot)))
            serializeFailed();
    } else if (std::filesystem::exists(snapshotFilesPath(), ec)) {
        std::filesystem::remove(snapshotFilesPath(), ec);
    }
    if (!AtomicFile::write(m_snapshotPath, bytes))
        serializeFailed();
    return true;
}

bool ConfigFile::DeSerializeFromBytes(const std::string& bytes)
{
    try {
        clearList();
        std::size_t pos = 0;
        SnapshotRecord r;
        while (SnapshotRecord::readNext(bytes, pos, r)) {
            if (r.number < 1 || r.parentNumber < -1 || Trim(r.text).empty())
                continue;
            Directive* d = newLine();
            d->SetDirectiveString(std::move(r.text));
            d->m_no = r.number;
            d->m_lParentDirNo = r.parentNumber;
            d->m_loadedHash = loadedHash(d->m_text);
            m_list.push_back(d);
        }
        m_indexValid = false;
        for (int i = 1; i <= GetDirectiveCount(); ++i) {
            Directive* d = GetDirective(i);
            if (!d)
                continue;
            Directive* parent = d->m_lParentDirNo == -1 ? nullptr : FindDirective(d->m_lParentDirNo);
            d->m_parent = parent ? parent : m_server.get();
        }
        m_indexValid = false;
        m_loadedCount = m_list.size();
        m_layoutState = LayoutState::Pending;
    } catch (const std::exception&) {
        deserializeFailed();
    }
    return true;
}

bool ConfigFile::DeSerialize()
{
    try {
        clearList();
        std::error_code ec;
        if (!std::filesystem::exists(m_snapshotPath, ec)) {
            if (!AtomicFile::write(m_snapshotPath, std::string()))
                deserializeFailed();
            return true;
        }
        std::string bytes;
        if (!AtomicFile::read(m_snapshotPath, bytes))
            deserializeFailed();
        DeSerializeFromBytes(bytes);
        if (!loadFilesRecord())
            deserializeFailed();
        return true;
    } catch (const std::exception&) {
        deserializeFailed();
    }
}

} // namespace corvane
