#include "model/SnapshotRecord.h"

namespace corvane {

namespace {

void putLE(std::string& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint32_t getLE(const std::string& data, std::size_t pos, int bytes)
{
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[pos + static_cast<std::size_t>(i)]))
             << (8 * i);
    return v;
}

} // namespace

bool SnapshotRecord::append(std::string& out, std::int32_t number, std::int32_t parentNumber,
                            const std::string& text)
{
    if (text.size() > 0xFFFFFFFFu)
        return false;
    putLE(out, static_cast<std::uint32_t>(number), 4);
    putLE(out, static_cast<std::uint32_t>(parentNumber), 4);
    if (text.size() < kLongText) {
        putLE(out, static_cast<std::uint32_t>(text.size()), 2);
    } else {
        putLE(out, kLongText, 2);
        putLE(out, static_cast<std::uint32_t>(text.size()), 4);
    }
    out += text;
    return true;
}

bool SnapshotRecord::readNext(const std::string& data, std::size_t& pos, SnapshotRecord& record)
{
    if (pos > data.size() || data.size() - pos < kHeaderSize)
        return false;
    std::size_t header = kHeaderSize;
    std::size_t length = getLE(data, pos + 8, 2);
    if (length == kLongText) {
        if (data.size() - pos < kHeaderSize + 4)
            return false;
        length = getLE(data, pos + kHeaderSize, 4);
        header += 4;
    }
    if (data.size() - pos - header < length)
        return false;
    record.number = static_cast<std::int32_t>(getLE(data, pos, 4));
    record.parentNumber = static_cast<std::int32_t>(getLE(data, pos + 4, 4));
    record.text.assign(data, pos + header, length);
    pos += header + length;
    return true;
}

} // namespace corvane
