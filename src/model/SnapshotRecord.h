#pragma once
// One record of the snapshot file Serialize.srl: number (int32 LE), parent
// number (int32 LE), text length (uint16 LE), text bytes. No header, no count.
#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

struct SnapshotRecord
{
    static constexpr std::size_t kHeaderSize = 10;
    static constexpr std::size_t kMaxText = 65535;

    std::int32_t number = 0;
    std::int32_t parentNumber = 0;
    std::string text;

    // Appends the encoded record; false (and nothing appended) when the text
    // is longer than kMaxText.
    static bool append(std::string& out, std::int32_t number, std::int32_t parentNumber, const std::string& text);
    // Decodes the record at pos and advances pos; false at the end of the data
    // or when only part of a record is left.
    static bool readNext(const std::string& data, std::size_t& pos, SnapshotRecord& record);
};

} // namespace corvane
