#pragma once
// One record of the snapshot file Serialize.srl: number (int32 LE), parent
// number (int32 LE), text length (uint16 LE), text bytes. No header, no count.
// A text of 65,535 bytes or more has 65,535 in the length field and its real
// length as a uint32 LE right after it, so every shorter text keeps the
// record it always had.
#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

struct SnapshotRecord
{
    static constexpr std::size_t kHeaderSize = 10;
    static constexpr std::uint32_t kLongText = 65535;

    std::int32_t number = 0;
    std::int32_t parentNumber = 0;
    std::string text;

    // Appends the encoded record; false (and nothing appended) only for a
    // text of 4 GiB or more.
    static bool append(std::string& out, std::int32_t number, std::int32_t parentNumber,
                       const std::string& text);
    // Decodes the record at pos and advances pos; false at the end of the data
    // or when only part of a record is left.
    static bool readNext(const std::string& data, std::size_t& pos, SnapshotRecord& record);
};

} // namespace corvane
