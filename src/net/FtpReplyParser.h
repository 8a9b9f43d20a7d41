#pragma once
// Finds the reply code in the text received on the control connection since
// the last command. A multi-line reply ("ddd-" ... ) ends only at a line that
// starts with the same code and a blank; lines in between may begin with
// anything, digits included. When several replies are in the text the last
// complete one wins; a reply still missing its last line gives code 0.
//
// FtpReplyReader does this incrementally: each received chunk is looked at
// once, so a server that sends a long reply in many small pieces costs no
// more than one pass over it, and a reply larger than kMaxBytes or longer than
// kMaxLines is reported instead of being collected further.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvane::net {

class FtpReplyReader
{
public:
    static constexpr qsizetype kMaxBytes = 64 * 1024;
    static constexpr int kMaxLines = 1000;

    enum Status
    {
        Incomplete, // nothing new was completed by the chunk
        Complete,   // the chunk completed a reply: code() tells which
        TooLong,    // the text since the last reset exceeds kMaxBytes or kMaxLines
    };

    Status feed(const QByteArray& chunk);
    void reset();

    // The code of the last complete reply; 0 while a multi-line reply is open.
    int code() const;
    // Text of the multi-line parts seen so far, empty when none or too short.
    QString serverMessage() const;
    // Everything received since the last reset.
    const QByteArray& text() const { return m_text; }

private:
    void line(const QString& text, bool& completed);

    QByteArray m_text;
    qsizetype m_scanned = 0; // bytes of m_text already split into lines
    int m_lines = 0;
    int m_code = 0;
    int m_open = 0; // code of the multi-line reply still waiting for its last line
    bool m_startsWithGoodbye = false;
    bool m_goodbyeSeen = false;
    QStringList m_message;
};

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
