#pragma once
// Property pages by class name (e.g. "ppgServerSettings"). The pages library
// registers its pages here at start; PropertySheet::addPage(className) makes
// one through it. A name nobody registered makes no page.
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

namespace corvane {

class PropertyPage;

class PageFactory
{
public:
    using Create = std::function<PropertyPage*()>;

    void registerPage(const QString& className, Create create);
    bool contains(const QString& className) const { return m_creators.contains(className); }
    // A new page (caller owns it), or nullptr for an unknown class name.
    PropertyPage* create(const QString& className) const;
    QStringList classNames() const;

private:
    QHash<QString, Create> m_creators;
};

} // namespace corvane
