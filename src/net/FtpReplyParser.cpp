#include "net/FtpReplyParser.h"

namespace corvane::net {

namespace {

int codeOf(const QString& line)
{
    if (line.size() < 3)
        return 0;
    for (int i = 0; i < 3; ++i)
        if (line.at(i) < QLatin1Char('0') || line.at(i) > QLatin1Char('9'))
            return 0;
    return line.left(3).toInt();
}

QChar separatorOf(const QString& line)
{
    return line.size() > 3 ? line.at(3) : QLatin1Char(' ');
}

} // namespace

void FtpReplyReader::reset()
{
    *this = FtpReplyReader();
}

FtpReplyReader::Status FtpReplyReader::feed(const QByteArray& chunk)
{
    if (m_text.isEmpty() && chunk.startsWith("221-"))
        m_startsWithGoodbye = true;
    m_text += chunk;
    bool completed = false;
    qsizetype end;
    while ((end = m_text.indexOf('\n', m_scanned)) >= 0) {
        QByteArray bytes = m_text.mid(m_scanned, end - m_scanned);
        m_scanned = end + 1;
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (++m_lines > kMaxLines)
            return TooLong;
        line(QString::fromLocal8Bit(bytes), completed);
    }
    if (m_text.size() > kMaxBytes)
        return TooLong;
    // The goodbye may be cut short by the close that follows it.
    if (m_open == 221 && m_startsWithGoodbye && !m_goodbyeSeen) {
        m_goodbyeSeen = true;
        return Complete;
    }
    return completed && m_open == 0 ? Complete : Incomplete;
}

void FtpReplyReader::line(const QString& text, bool& completed)
{
    const int code = codeOf(text);
    if (m_open != 0) {
        if (code == m_open && separatorOf(text) == QLatin1Char(' ')) {
            m_code = m_open;
            m_open = 0;
            completed = true;
            return;
        }
        m_message << (code == m_open && separatorOf(text) == QLatin1Char('-') ? text.mid(4) : text);
        return;
    }
    if (code == 0)
        return;
    if (separatorOf(text) == QLatin1Char(' ')) {
        m_code = code;
        completed = true;
    } else if (separatorOf(text) == QLatin1Char('-')) {
        m_open = code;
        m_message << text.mid(4);
    }
}

int FtpReplyReader::code() const
{
    if (m_open != 0)
        return m_open == 221 && m_startsWithGoodbye ? 221 : 0;
    return m_code;
}

QString FtpReplyReader::serverMessage() const
{
    if (code() == 0)
        return QString();
    const QString joined = m_message.join(QLatin1String("\r\n"));
    return joined.size() > 2 ? joined : QString();
}

FtpReplyParser::Reply FtpReplyParser::ParseReplyCode(const QString& buffer)
{
    Reply reply;
    if (buffer.size() < 3)
        return reply;
    FtpReplyReader reader;
    reader.feed(buffer.toLocal8Bit());
    reply.code = reader.code();
    reply.serverMessage = reader.serverMessage();
    return reply;
}

} // namespace corvane::net
