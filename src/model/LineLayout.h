#pragma once
// The bytes of a configuration file as the administrator wrote them, and the
// logical lines the model reads from them.
//
// A physical line ends at CR LF, CR or LF. A logical line is one directive,
// comment or section line: its physical lines with tabs made blanks and
// blanks trimmed, a trailing backslash joining the next physical line (blank
// lines inside such a continuation belong to it). Lines that are blank and
// not inside a continuation belong to no logical line: they are gaps, kept
// as they are.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace corvane::linelayout {

// Calls f(begin, contentEnd, next) for every physical line of data: the
// content is [begin, contentEnd), its line end [contentEnd, next).
template <typename F> void forEachPhysicalLine(std::string_view data, F&& f)
{
    const std::size_t n = data.size();
    const char* p = data.data();
    std::size_t start = 0;
    while (start < n) {
        const void* lf = std::memchr(p + start, '\n', n - start);
        const std::size_t limit = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - p) : n;
        const void* cr = std::memchr(p + start, '\r', limit - start);
        const std::size_t i = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - p) : limit;
        std::size_t next = i;
        if (i < n) {
            next = i + 1;
            if (p[i] == '\r' && next < n && p[next] == '\n')
                ++next;
        }
        f(start, i, next);
        start = next;
    }
}

// Blanks and tabs at both ends of [b, e) skipped.
inline void trimBounds(const char* p, std::size_t& b, std::size_t& e)
{
    while (b < e && (p[b] == ' ' || p[b] == '\t'))
        ++b;
    while (e > b && (p[e - 1] == ' ' || p[e - 1] == '\t'))
        --e;
}

// Appends [b, e) with every tab made a blank.
void appendUntabbed(std::string& out, const char* p, std::size_t b, std::size_t e);

// Walks data and reports its logical lines and gaps in file order:
// onLine(pieceBegin, pieceEnd, text) for each logical line, its piece running
// from its first physical line's start to its last one's line end;
// onGap(begin, end) for the bytes between (blank lines, an unfinished
// continuation at the end of the file).
template <typename Line, typename Gap>
void forEachLogicalLine(std::string_view data, Line&& onLine, Gap&& onGap)
{
    const char* p = data.data();
    std::size_t covered = 0; // bytes already reported
    bool open = false;       // inside a continuation
    std::size_t openBegin = 0;
    std::string pending;
    std::string text;
    forEachPhysicalLine(data, [&](std::size_t s, std::size_t ce, std::size_t next) {
        std::size_t b = s;
        std::size_t e = ce;
        trimBounds(p, b, e);
        if (b == e)
            return; // blank: a gap, or part of an open continuation
        if (p[e - 1] == '\\') {
            if (!open) {
                open = true;
                openBegin = s;
            }
            appendUntabbed(pending, p, b, e - 1);
            return;
        }
        const std::size_t begin = open ? openBegin : s;
        if (begin > covered)
            onGap(covered, begin);
        text.clear();
        if (open)
            text.swap(pending);
        appendUntabbed(text, p, b, e);
        onLine(begin, next, text);
        covered = next;
        open = false;
        pending.clear();
    });
    if (data.size() > covered)
        onGap(covered, data.size());
}

// The logical text of one piece (as onLine reports it).
std::string logicalText(std::string_view piece);

// The blanks and tabs that start a piece's first physical line.
std::string_view indentOf(std::string_view piece);
// The line end of a piece's last physical line ("" when the file ends there).
std::string_view lineEndOf(std::string_view piece);

// The line end most lines of data use; LF for data without any.
std::string dominantLineEnd(std::string_view data);

// A 32-bit hash of a logical text: identifies the lines of a snapshot in the
// working copy. Computed afresh on each load, never stored.
std::uint32_t textHash(std::string_view text);

} // namespace corvane::linelayout
