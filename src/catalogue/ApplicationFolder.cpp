#include "catalogue/ApplicationFolder.h"

#include "catalogue/CatalogueChecksum.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

static void initCatalogueResource()
{
    Q_INIT_RESOURCE(catalogue);
}

namespace corvane {

namespace {

void setError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
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
    const std::string path = appDir + "/Corvane.dll";
    // The installed file is current when it passes the checksum of the
    // catalogue this program was built with.
    if (CheckCatalogueChecksum(path))
        return true;
    const std::string bytes = builtInCatalogue();
    if (bytes.empty()) {
        setError(error, "the built-in directive catalogue is missing");
        return false;
    }
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, "cannot write " + path + ": " + file.errorString().toStdString());
        return false;
    }
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (!file.commit()) {
        setError(error, "cannot write " + path + ": " + file.errorString().toStdString());
        return false;
    }
    return true;
}

bool prepareApplicationFolder(const std::string& appDir, std::string* error)
{
    if (appDir.empty()) {
        setError(error, "no application folder");
        return false;
    }
    if (!QDir().mkpath(QString::fromStdString(appDir))) {
        setError(error, "cannot create the application folder " + appDir);
        return false;
    }
    return installCatalogue(appDir, error);
}

} // namespace corvane
