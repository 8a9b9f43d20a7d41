#include "net/FtpListingParser.h"

#include <QRegularExpression>

namespace corvane::net {

namespace {

const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                               "jul", "aug", "sep", "oct", "nov", "dec"};

// Columns below are 1-based, as listings are described by column.
bool digitAt(const QString& line, int column)
{
    return column >= 1 && column <= line.size() && line.at(column - 1).isDigit() &&
           line.at(column - 1).unicode() < 128;
}

QString fromColumn(const QString& line, int column, qsizetype length = -1)
{
    return column < 1 ? line.mid(0, length) : line.mid(column - 1, length);
}

QString singleBlanks(QString text)
{
    static const QRegularExpression blanks(QStringLiteral(" {2,}"));
    return text.replace(blanks, QStringLiteral(" "));
}

int monthNumber(const QString& name)
{
    for (int i = 0; i < 12; ++i)
        if (name == QLatin1String(kMonths[i]))
            return i + 1;
    return 0;
}

bool parseDosLine(const QString& line, CFtpFile& file)
{
    file.FileName = fromColumn(line, 40);
    const QString cut = line.left(38);
    QString dateText = singleBlanks(cut.left(17));
    while (dateText.endsWith(QLatin1Char(' ')))
        dateText.chop(1);
    const auto date = FtpListingParser::ParseDosDate(dateText);
    if (!date)
        return false;
    file.LastWriteTime = *date;
    if (cut.contains(QLatin1String("<DIR>"))) {
        file.IsDirectory = true;
        return true;
    }
    bool ok = false;
    file.FileSize = fromColumn(cut, 18).trimmed().toLongLong(&ok);
    return ok;
}

bool parseUnixLine(const QString& line, int d, int currentYear, CFtpFile& file)
{
    file.IsDirectory = line.startsWith(QLatin1Char('d'));
    file.LastWriteTime = FtpListingParser::ParseUnixDate(fromColumn(line, d, 12), currentYear);
    const int nameColumn = d + 13;
    file.FileName = fromColumn(line, nameColumn);
    if (line.startsWith(QLatin1Char('l'))) {
        const qsizetype arrow = line.indexOf(QLatin1String(" -> "), nameColumn - 1);
        if (arrow >= 0) {
            file.FileName = line.mid(nameColumn - 1, arrow - (nameColumn - 1));
            file.FilePath = line.mid(arrow + 4);
        }
    }
    // The size ends just before the blank in front of the month.
    const int sizeEnd = d - 2;
    const int lastBlank = int(line.lastIndexOf(QLatin1Char(' '), sizeEnd - 1)) + 1; // 0 = none
    bool ok = false;
    file.FileSize = fromColumn(line, lastBlank + 1, sizeEnd - lastBlank).toLongLong(&ok);
    if (!ok)
        return false;
    const QStringList fields = singleBlanks(line.left(lastBlank)).split(QLatin1Char(' '));
    file.Permissions = fields.value(0);
    file.Owner = fields.value(2);
    if (fields.size() == 5)
        file.Group = fields.at(3);
    return true;
}

} // namespace

int FtpListingParser::FindDateColumn(const QString& line)
{
    const QString lower = line.toLower();
    for (const char* month : kMonths) {
        const qsizetype index = lower.indexOf(QLatin1Char(' ') + QLatin1String(month) + QLatin1Char(' '));
        if (index < 0)
            continue;
        const int p = int(index) + 1; // column of the blank before the month
        if (digitAt(line, p - 1) && digitAt(line, p + 9))
            return p + 1;
    }
    return 0;
}

QDateTime FtpListingParser::ParseUnixDate(const QString& text, int currentYear)
{
    const QString t = singleBlanks(text);
    const int month = monthNumber(t.left(3).toLower());
    const int day = t.mid(4, 2).trimmed().toInt();
    const QString tail = t.right(5).trimmed();
    int year = currentYear > 0 ? currentYear : QDate::currentDate().year();
    QTime time(0, 0);
    if (tail.contains(QLatin1Char(':')))
        time = QTime::fromString(tail, QStringLiteral("H:mm"));
    else
        year = tail.toInt();
    const QDate date(year, month, day);
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time);
}

std::optional<QDateTime> FtpListingParser::ParseDosDate(const QString& text)
{
    static const QRegularExpression layout(
        QStringLiteral("^(\\d{1,2})-(\\d{1,2})-(\\d{2}|\\d{4}) +(\\d{1,2}):(\\d{2}) *([AaPp][Mm])?$"));
    const auto match = layout.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    int year = match.captured(3).toInt();
    if (match.captured(3).size() == 2)
        year += year < 30 ? 2000 : 1900;
    int hour = match.captured(4).toInt();
    const QString half = match.captured(6).toUpper();
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = (hour % 12) + (half == QLatin1String("PM") ? 12 : 0);
    }
    const QDate date(year, match.captured(1).toInt(), match.captured(2).toInt());
    const QTime time(hour, match.captured(5).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

std::optional<CFtpFiles> FtpListingParser::ParseDirectoryListing(const QString& text, int currentYear)
{
    QString listing = text;
    if (listing.left(5).toLower() == QLatin1String("total")) {
        const qsizetype lf = listing.indexOf(QLatin1Char('\n'));
        listing = lf < 0 ? QString() : listing.mid(lf + 1);
    }
    CFtpFiles files;
    for (QString line : listing.split(QLatin1Char('\n'))) {
        if (line.isEmpty())
            break;
        const int d = FindDateColumn(line);
        line.remove(QLatin1Char('\r'));
        if (line.isEmpty())
            continue;
        CFtpFile file;
        const bool ok = d < 11 ? parseDosLine(line, file) : parseUnixLine(line, d, currentYear, file);
        if (!ok)
            return std::nullopt;
        files.Add(file);
    }
    return files;
}

} // namespace corvane::net
