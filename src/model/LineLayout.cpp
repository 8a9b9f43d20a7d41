#include "model/LineLayout.h"

#include <cstring>
#include <functional>

namespace corvane::linelayout {

void appendUntabbed(std::string& out, const char* p, std::size_t b, std::size_t e)
{
    const void* tab = std::memchr(p + b, '\t', e - b);
    if (!tab) {
        out.append(p + b, e - b);
        return;
    }
    const std::size_t at = out.size();
    out.append(p + b, e - b);
    for (std::size_t i = at + static_cast<std::size_t>(static_cast<const char*>(tab) - (p + b));
         i < out.size(); ++i)
        if (out[i] == '\t')
            out[i] = ' ';
}

std::string logicalText(std::string_view piece)
{
    std::string result;
    forEachLogicalLine(
        piece, [&](std::size_t, std::size_t, const std::string& text) { result = text; },
        [](std::size_t, std::size_t) {});
    return result;
}

std::string_view indentOf(std::string_view piece)
{
    std::size_t i = 0;
    while (i < piece.size() && (piece[i] == ' ' || piece[i] == '\t'))
        ++i;
    return piece.substr(0, i);
}

std::string_view lineEndOf(std::string_view piece)
{
    std::size_t n = piece.size();
    if (n >= 2 && piece[n - 2] == '\r' && piece[n - 1] == '\n')
        return piece.substr(n - 2);
    if (n >= 1 && (piece[n - 1] == '\n' || piece[n - 1] == '\r'))
        return piece.substr(n - 1);
    return {};
}

std::string dominantLineEnd(std::string_view data)
{
    std::size_t crlf = 0;
    std::size_t lf = 0;
    std::size_t cr = 0;
    forEachPhysicalLine(data, [&](std::size_t, std::size_t ce, std::size_t next) {
        if (next - ce == 2)
            ++crlf;
        else if (next - ce == 1)
            ++(data[ce] == '\n' ? lf : cr);
    });
    if (crlf > lf && crlf >= cr)
        return "\r\n";
    if (cr > lf && cr > crlf)
        return "\r";
    return "\n";
}

std::uint32_t textHash(std::string_view text)
{
    // Every line of the working copy is hashed on each load and write: the
    // library's word-at-a-time hash is several times faster than a byte loop.
    const std::size_t h = std::hash<std::string_view>{}(text);
    return static_cast<std::uint32_t>(h ^ (static_cast<std::uint64_t>(h) >> 32));
}

} // namespace corvane::linelayout
