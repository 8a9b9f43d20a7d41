#pragma once
// The one exception type of Corvane: an unexpected failure with a number, the
// procedure or class that raised it, and a fixed description. Expected
// outcomes are returned, never thrown; event handlers catch this and either
// skip the failed step or show it in a message titled "Corvane".
#include <cstdint>
#include <stdexcept>
#include <string>

namespace corvane {

// Model errors are numbered from this base (0x80040000 + code).
constexpr std::int64_t kObjectErrorBase = 0x80040000LL;

class CorvaneError : public std::runtime_error
{
public:
    CorvaneError(std::int64_t number, std::string source, std::string description)
        : std::runtime_error(description), m_number(number), m_source(std::move(source)),
          m_description(std::move(description))
    {
    }

    std::int64_t number() const { return m_number; }
    const std::string& source() const { return m_source; }
    const std::string& description() const { return m_description; }

private:
    std::int64_t m_number;
    std::string m_source;
    std::string m_description;
};

} // namespace corvane
