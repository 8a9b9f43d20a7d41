#include "ConfigLines.h"

static QByteArray trimBlanks(const QByteArray& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s.at(b) == ' ')
        ++b;
    while (e > b && s.at(e - 1) == ' ')
        --e;
    return s.mid(b, e - b);
}

QList<QByteArray> ConfigLines::logicalLines(const QByteArray& bytes)
{
    QList<QByteArray> physical;
    QByteArray cur;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            physical.append(cur);
            cur.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
                ++i;
        } else {
            cur.append(c);
        }
    }
    if (!cur.isEmpty())
        physical.append(cur);

    QList<QByteArray> lines;
    QByteArray pending;
    for (QByteArray line : physical) {
        line.replace('\t', ' ');
        line = trimBlanks(line);
        if (line.isEmpty())
            continue;
        if (line.endsWith('\\')) {
            pending += line.left(line.size() - 1);
            continue;
        }
        lines.append(pending + line);
        pending.clear();
    }
    return lines;
}

QList<QByteArray> ConfigLines::writtenLines(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf("\r\n", start);
        if (end < 0)
            end = bytes.size();
        const QByteArray line = bytes.mid(start, end - start);
        if (line != "    ")
            lines.append(line);
        start = end + 2;
    }
    return lines;
}

bool ConfigLines::onlyCrLfLineEnds(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) == '\r') {
            if (i + 1 >= bytes.size() || bytes.at(i + 1) != '\n')
                return false;
            ++i;
        } else if (bytes.at(i) == '\n') {
            return false;
        }
    }
    return bytes.isEmpty() || bytes.endsWith("\r\n");
}

QList<QByteArray> ConfigLines::physicalLines(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        lines << bytes.mid(start, i + 1 - start);
        start = i + 1;
    }
    if (start < bytes.size())
        lines << bytes.mid(start);
    return lines;
}
