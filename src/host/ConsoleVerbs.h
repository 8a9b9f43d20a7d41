#pragma once
// The console's standard commands. Every verb is disabled before
// Views_Select runs; the snap-in enables the ones that apply, and the host
// keeps that state until the selection changes.
#include <array>

namespace corvane {

enum class Verb
{
    Properties,
    Delete,
    Refresh,
    Rename
};

class ConsoleVerbs
{
public:
    void setEnabled(Verb verb, bool enabled) { m_enabled[index(verb)] = enabled; }
    bool isEnabled(Verb verb) const { return m_enabled[index(verb)]; }
    void reset() { m_enabled.fill(false); }

private:
    static constexpr std::size_t index(Verb verb) { return static_cast<std::size_t>(verb); }
    std::array<bool, 4> m_enabled{};
};

} // namespace corvane
