#pragma once
// One counter per node kind, used only to make node and item keys unique.
// They start at 0 and only grow while the snap-in is loaded, so a key is
// never reused.
#include <array>
#include <cstdint>

namespace corvane::snapin {

enum class KeyKind
{
    Server,
    MainServer,
    VirtualHost,
    Directory,
    Location,
    IfModule,
    File,
    Section
};

class KeyCounters
{
public:
    // The counter's value before the increment.
    std::int32_t next(KeyKind kind) { return m_counters[index(kind)]++; }
    std::int32_t value(KeyKind kind) const { return m_counters[index(kind)]; }

private:
    static constexpr std::size_t index(KeyKind kind) { return static_cast<std::size_t>(kind); }
    std::array<std::int32_t, 8> m_counters{};
};

} // namespace corvane::snapin
