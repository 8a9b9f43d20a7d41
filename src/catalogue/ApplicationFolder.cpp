#include "catalogue/ApplicationFolder.h"

#include "catalogue/CatalogueChecksum.h"
#include "registry/AppFolder.h"

#include <QFile>

static void initCatalogueResource()
{
    Q_INIT_RESOURCE(catalogue);
}

namespace corvane {

namespace {

void setError(std::string* error, const QString& text)
{
    if (error)
        *error = text.toStdString();
}

} // namespace

std::string builtInCatalogue()
{
    initCatalogueResource();
    QFile resource(QStringLiteral(":/corvane/Corvane.dll"));
    if (!resource.open(QIODevice::ReadOnly))
        return {};
    return resource.readAll().toStdString();
}

bool installCatalogue(const std::string& appDir, std::string* error)
{
    const AppFolder folder(QString::fromStdString(appDir));
    // The installed file is current when it passes the checksum of the
    // catalogue this program was built with; anything else is replaced.
    if (CheckCatalogueChecksum(folder.cataloguePath().toStdString()))
        return true;
    const std::string bytes = builtInCatalogue();
    if (bytes.empty()) {
        setError(error, QStringLiteral("the built-in directive catalogue is missing"));
        return false;
    }
    QString why;
    if (!folder.installFile(QStringLiteral("Corvane.dll"), QByteArray::fromStdString(bytes), true, &why)) {
        setError(error, QStringLiteral("cannot install the directive catalogue: ") + why);
        return false;
    }
    return true;
}

bool prepareApplicationFolder(const std::string& appDir, std::string* error, std::string* resolvedDir)
{
    const AppFolder folder(QString::fromStdString(appDir));
    if (resolvedDir)
        *resolvedDir = folder.path().toStdString();
    QString why;
    if (!folder.ensureCreated(&why)) {
        setError(error, why);
        return false;
    }
    return installCatalogue(folder.path().toStdString(), error);
}

} // namespace corvane
