#include "forms/KeptValues.h"

#include "forms/FormBindings.h"

namespace corvane {

void KeptValues::remember(const QString& key, const QString& shown)
{
    m_values.insert(key.toLower(), FormBindings::trimBlanks(shown));
}

QString KeptValues::loaded(const QString& key) const
{
    return m_values.value(key.toLower());
}

bool KeptValues::changed(const QString& key, const QString& now) const
{
    return FormBindings::trimBlanks(now) != loaded(key);
}

} // namespace corvane
