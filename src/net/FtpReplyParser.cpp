#include "net/FtpReplyParser.h"

#include <QStringList>

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

FtpReplyParser::Reply FtpReplyParser::ParseReplyCode(const QString& buffer)
{
    Reply reply;
    if (buffer.size() < 3)
        return reply;
    // Only lines that have arrived completely count.
    QStringList lines = buffer.split(QLatin1Char('\n'));
    lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);

    QStringList message;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const int code = codeOf(line);
        if (code == 0)
            continue;
        if (separatorOf(line) == QLatin1Char(' ')) {
            reply.code = code;
            continue;
        }
        if (separatorOf(line) != QLatin1Char('-'))
            continue;
        QStringList text{line.mid(4)};
        qsizetype end = i + 1;
        for (; end < lines.size(); ++end) {
            const QString& next = lines.at(end);
            if (codeOf(next) == code && separatorOf(next) == QLatin1Char(' '))
                break;
            text.append(codeOf(next) == code && separatorOf(next) == QLatin1Char('-') ? next.mid(4) : next);
        }
        message += text;
        if (end == lines.size()) {
            // The goodbye may be cut short by the close that follows it.
            if (buffer.startsWith(QLatin1String("221-")))
                reply.code = 221;
            else
                return Reply();
            break;
        }
        reply.code = code;
        i = end;
    }
    if (reply.code != 0) {
        const QString joined = message.join(QLatin1String("\r\n"));
        if (joined.size() > 2)
            reply.serverMessage = joined;
    }
    return reply;
}

} // namespace corvane::net
