#pragma once
// The last error of an FTP client operation: number, description and the
// "class.procedure" (or fixed source) that set it. Number 0 means no error.
#include <QString>

namespace corvane::net {

struct CFtpError
{
    int Number = 0;
    QString Description;
    QString Source;

    void clear() { *this = CFtpError(); }
};

} // namespace corvane::net
