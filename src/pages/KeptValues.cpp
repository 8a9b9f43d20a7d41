#include "pages/KeptValues.h"

namespace corvane {

namespace {

QString trimBlanks(QString s)
{
    while (s.startsWith(u' '))
        s.remove(0, 1);
    while (s.endsWith(u' '))
        s.chop(1);
    return s;
}

} // namespace

void KeptValues::remember(const QString& key, const QString& shown)
{
    m_values.insert(key.toLower(), trimBlanks(shown));
}

QString KeptValues::loaded(const QString& key) const
{
    return m_values.value(key.toLower());
}

bool KeptValues::changed(const QString& key, const QString& now) const
{
    return trimBlanks(now) != loaded(key);
}

} // namespace corvane
