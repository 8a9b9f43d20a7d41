#include "host/PageFactory.h"

#include <algorithm>

namespace corvane {

void PageFactory::registerPage(const QString& className, Create create)
{
    m_creators.insert(className, std::move(create));
}

PropertyPage* PageFactory::create(const QString& className) const
{
    auto it = m_creators.constFind(className);
    if (it == m_creators.constEnd() || !*it)
        return nullptr;
    return (*it)();
}

QStringList PageFactory::classNames() const
{
    QStringList names = m_creators.keys();
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace corvane
