#include "pages/PageRegistry.h"

#include "host/PageFactory.h"
#include "pages/ppgConnections.h"
#include "pages/ppgGlobalProperties.h"
#include "pages/ppgGlobalProperties_1.h"
#include "pages/ppgServerSettings.h"
#include "pages/ppgUnSupportedDirectives.h"

namespace corvane {

void registerPropertyPages(PageFactory& factory)
{
    factory.registerPage(QStringLiteral("ppgServerSettings"), [] { return new ppgServerSettings; });
    factory.registerPage(QStringLiteral("ppgGlobalProperties"), [] { return new ppgGlobalProperties; });
    factory.registerPage(QStringLiteral("ppgGlobalProperties_1"), [] { return new ppgGlobalProperties_1; });
    factory.registerPage(QStringLiteral("ppgConnections"), [] { return new ppgConnections; });
    factory.registerPage(QStringLiteral("ppgUnSupportedDirectives"), [] { return new ppgUnSupportedDirectives; });
}

} // namespace corvane
