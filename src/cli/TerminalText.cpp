#include "TerminalText.h"

#include <cstdio>
#include <iostream>

#include <unistd.h>

namespace corvanectl {

namespace {

void hexEscape(std::string& out, unsigned char byte)
{
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0f];
}

// Length of the valid UTF-8 sequence at `i` (1 for ASCII), 0 when invalid.
std::size_t sequenceLength(std::string_view s, std::size_t i)
{
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    unsigned int cp = 0;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

std::string escapeForTerminal(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t n = sequenceLength(text, i);
        if (n == 0) {
            hexEscape(out, c);
            ++i;
            continue;
        }
        if (n == 1) {
            if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F)
                hexEscape(out, c);
            else
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        // C1 controls (U+0080 to U+009F): 0xC2 0x80 ... 0xC2 0x9F.
        if (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            hexEscape(out, c);
            hexEscape(out, static_cast<unsigned char>(text[i + 1]));
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    return out;
}

void writeFetchedText(int fd, std::string_view text)
{
    std::ostream& out = fd == STDERR_FILENO ? std::cerr : std::cout;
    if (::isatty(fd)) {
        const std::string safe = escapeForTerminal(text);
        out.write(safe.data(), static_cast<std::streamsize>(safe.size()));
    } else {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    out.flush();
}

} // namespace corvanectl
