#pragma once
// The values a page showed when it loaded its node, by directive. A page
// writes a directive only when its control no longer shows the loaded value,
// so an Apply without edits leaves every line as it was (its quoting, letter
// case and any equivalent spelling kept) and a change another page saved
// since this one loaded is not overwritten with a stale copy.
#include <QHash>
#include <QString>

namespace corvane {

class KeptValues
{
public:
    void clear() { m_values.clear(); }
    void remember(const QString& key, const QString& shown);
    // The loaded value ("" when the directive was absent).
    QString loaded(const QString& key) const;
    // True when `now` differs from the loaded value (blanks at the ends do not count).
    bool changed(const QString& key, const QString& now) const;

private:
    QHash<QString, QString> m_values;
};

} // namespace corvane
