// The snapshot of ConfigFile: every live line as a record carrying its
// number, its parent's number and its text, in list order.
#include "model/ConfigFile.h"

#include "model/AtomicFile.h"
#include "model/ModelErrors.h"
#include "model/ModelProcedures.h"
#include "model/SnapshotRecord.h"

#include <filesystem>

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

} // namespace

std::string ConfigFile::SerializeToBytes() const
{
    std::string out;
    try {
        std::size_t estimate = 0;
        for (const auto& d : m_list)
            estimate += d->DirectiveString().size() + SnapshotRecord::kHeaderSize;
        out.reserve(estimate);
        for (int i = 1; i <= GetDirectiveCount(); ++i) {
            const Directive* d = GetDirective(i);
            if (!d)
                continue;
            const std::string* text = nullptr;
            if (d->GetType() == Directive::TypeSimple || d->GetType() == Directive::TypeComment)
                text = &d->DirectiveString();
            else if (d->GetType() == Directive::TypeSection)
                text = &d->SectionText();
            if (!text || text->empty())
                continue;
            // A live line outside every scope, or one too long for its record.
            if (!d->ParentDirective() ||
                !SnapshotRecord::append(out, d->DirectiveNo(), d->ParentDirective()->DirectiveNo(), *text))
                serializeFailed();
        }
    } catch (const std::exception&) {
        serializeFailed();
    }
    return out;
}

bool ConfigFile::Serialize()
{
    const std::string bytes = SerializeToBytes();
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
        return DeSerializeFromBytes(bytes);
    } catch (const std::exception&) {
        deserializeFailed();
    }
}

} // namespace corvane
