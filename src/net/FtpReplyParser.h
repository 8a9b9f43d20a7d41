#pragma once
// Finds the reply code in the text received on the control connection since
// the last command. A multi-line reply ("ddd-" ... ) ends only at a line that
// starts with the same code and a blank; lines in between may begin with
// anything, digits included. When several replies are in the text the last
// complete one wins; a reply still missing its last line gives code 0.
#include <QString>

namespace corvane::net {

class FtpReplyParser
{
public:
    struct Reply
    {
        int code = 0;          // 0 = no complete reply yet
        QString serverMessage; // text of the multi-line part, empty when none or too short
    };

    static Reply ParseReplyCode(const QString& buffer);
};

} // namespace corvane::net
