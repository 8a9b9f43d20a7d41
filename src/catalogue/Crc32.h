#pragma once
// The standard reflected CRC-32 (polynomial 0xEDB88320, initial value
// 0xFFFFFFFF, final complement), the one zlib's crc32 computes. Header-only so
// the catalogue generator that runs at build time shares it.
#include <array>
#include <cstddef>
#include <cstdint>

namespace corvane {

class Crc32
{
public:
    void update(const char* data, std::size_t size)
    {
        static const std::array<std::uint32_t, 256> table = makeTable();
        for (std::size_t i = 0; i < size; ++i)
            m_crc = table[(m_crc ^ static_cast<unsigned char>(data[i])) & 0xFFu] ^ (m_crc >> 8);
    }
    std::uint32_t value() const { return m_crc ^ 0xFFFFFFFFu; }

private:
    static std::array<std::uint32_t, 256> makeTable()
    {
        std::array<std::uint32_t, 256> table{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        return table;
    }

    std::uint32_t m_crc = 0xFFFFFFFFu;
};

} // namespace corvane
