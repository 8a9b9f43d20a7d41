#pragma once
// Reads the text of a LIST reply: Unix "ls -l" lines (with or without a group
// column, day padded with a blank or a zero, year or time, symbolic links
// "a -> b", names with blanks, a leading "total" line) and DOS/IIS lines
// ("MM-DD-YY  hh:mmAM  <DIR>|size  name").
#include "net/CFtpFiles.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace corvane::net {

class FtpListingParser
{
public:
    // currentYear 0 = this year; it dates Unix lines that show a time instead of a year.
    // No value when any line cannot be read (the listing format is unknown).
    static std::optional<CFtpFiles> ParseDirectoryListing(const QString& text, int currentYear = 0);
    // 1-based column of the month of a Unix date, 0 when the line has none.
    static int FindDateColumn(const QString& line);
    // "Mmm dd hh:mm" or "Mmm dd  yyyy"; an invalid QDateTime when it is no date.
    static QDateTime ParseUnixDate(const QString& text, int currentYear = 0);
    // "MM-DD-YY hh:mmAM"; no value when it is no date.
    static std::optional<QDateTime> ParseDosDate(const QString& text);
};

} // namespace corvane::net
