#pragma once
// Checks of typed values that would otherwise break the configuration file.
// Each returns "" when the value is acceptable, else the message to show.
#include <QString>

namespace corvane {

class InputRules
{
public:
    // A port number 1..65535.
    static QString checkPort(const QString& port);
    // A whole number of seconds (digits only), for time-out style fields.
    static QString checkSeconds(const QString& text, const QString& what);
    // Virtual host addresses: blank-separated "host[:port]" items, port a
    // number 1..65535 or "*", no quotes; not empty.
    static QString checkVirtualHostAddress(const QString& text);
    // Double quotes that open and close (a backslash escapes one), so the
    // value stays the arguments it reads as.
    static QString checkQuotes(const QString& text);
};

} // namespace corvane
