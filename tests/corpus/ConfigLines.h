#pragma once
// Independent view of what a configuration file holds, used to check that a
// rewrite keeps every line: the logical lines of a file as an administrator
// would count them after the console's normalisation (line ends CR LF, CR or
// LF; tabs become blanks; blanks trimmed; blank lines dropped; a line ending
// in a backslash continues on the next non-blank line; an unfinished
// continuation at the end of the file is dropped).
#include <QByteArray>
#include <QList>

class ConfigLines
{
public:
    static QList<QByteArray> logicalLines(const QByteArray& bytes);
    // The lines of a rewritten file (CR LF ends) without the four-blank
    // separator lines the writer puts around sections.
    static QList<QByteArray> writtenLines(const QByteArray& bytes);
    // The physical lines of a file with their own line ends (CR LF, CR or LF).
    static QList<QByteArray> physicalLines(const QByteArray& bytes);
    // True when every line end is CR LF and no CR or LF stands alone.
    static bool onlyCrLfLineEnds(const QByteArray& bytes);
};
