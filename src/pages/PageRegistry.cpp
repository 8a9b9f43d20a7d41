#include "pages/PageRegistry.h"

#include "host/PageFactory.h"
#include "pages/ppgConnections.h"
#include "pages/ppgCustomErrors.h"
#include "pages/ppgDirectoryMimeMap.h"
#include "pages/ppgDirectorySecurity.h"
#include "pages/ppgDocuments.h"
#include "pages/ppgGlobalProperties.h"
#include "pages/ppgGlobalProperties_1.h"
#include "pages/ppgHTTPHeaders.h"
#include "pages/ppgHomeDirectory.h"
#include "pages/ppgISAPIExtensions.h"
#include "pages/ppgServerSettings.h"
#include "pages/ppgUnSupportedDirectives.h"

namespace corvane {

void registerPropertyPages(PageFactory& factory)
{
    factory.registerPage(QStringLiteral("ppgServerSettings"), [] { return new ppgServerSettings; });
    factory.registerPage(QStringLiteral("ppgGlobalProperties"), [] { return new ppgGlobalProperties; });
    factory.registerPage(QStringLiteral("ppgGlobalProperties_1"), [] { return new ppgGlobalProperties_1; });
    factory.registerPage(QStringLiteral("ppgConnections"), [] { return new ppgConnections; });
    factory.registerPage(QStringLiteral("ppgUnSupportedDirectives"),
                         [] { return new ppgUnSupportedDirectives; });
    factory.registerPage(QStringLiteral("ppgDocuments"), [] { return new ppgDocuments; });
    factory.registerPage(QStringLiteral("ppgHomeDirectory"), [] { return new ppgHomeDirectory; });
    factory.registerPage(QStringLiteral("ppgDirectorySecurity"), [] { return new ppgDirectorySecurity; });
    factory.registerPage(QStringLiteral("ppgCustomErrors"), [] { return new ppgCustomErrors; });
    factory.registerPage(QStringLiteral("ppgHTTPHeaders"), [] { return new ppgHTTPHeaders; });
    factory.registerPage(QStringLiteral("ppgISAPIExtensions"), [] { return new ppgISAPIExtensions; });
    factory.registerPage(QStringLiteral("ppgDirectoryMimeMap"), [] { return new ppgDirectoryMimeMap; });
}

} // namespace corvane
