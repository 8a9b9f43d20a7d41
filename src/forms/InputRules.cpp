#include "forms/InputRules.h"

#include <QStringList>

namespace corvane {

QString InputRules::checkPort(const QString& port)
{
    bool ok = false;
    const qlonglong n = port.toLongLong(&ok);
    bool digits = !port.isEmpty();
    for (QChar c : port)
        digits = digits && c.isDigit();
    if (!digits || !ok)
        return QStringLiteral("Port number must be numeric");
    if (n < 1 || n > 65535)
        return QStringLiteral("Port number must be between 1 and 65535");
    return {};
}

QString InputRules::checkSeconds(const QString& text, const QString& what)
{
    bool digits = !text.isEmpty();
    for (QChar c : text)
        digits = digits && c.isDigit() && c.unicode() < 128;
    if (!digits || text.size() > 9)
        return QStringLiteral("%1 must be a whole number of seconds").arg(what);
    return {};
}

QString InputRules::checkVirtualHostAddress(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("Please enter the address of the virtual host");
    if (trimmed.contains(u'"') || trimmed.contains(u'<') || trimmed.contains(u'>'))
        return QStringLiteral("The virtual host address must not contain quotes or angle brackets");
    for (const QString& item : trimmed.split(u' ', Qt::SkipEmptyParts)) {
        const int colon = item.lastIndexOf(u':');
        // An IPv6 address in brackets carries colons of its own.
        if (colon < 0 || (item.startsWith(u'[') && colon < item.lastIndexOf(u']')))
            continue;
        const QString port = item.mid(colon + 1);
        if (port == QLatin1String("*"))
            continue;
        const QString problem = checkPort(port);
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

QString InputRules::checkQuotes(const QString& text)
{
    bool open = false;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\') {
            ++i;
            continue;
        }
        if (text[i] == u'"')
            open = !open;
    }
    if (open)
        return QStringLiteral("The value has a double quote that is not closed");
    return {};
}

} // namespace corvane
