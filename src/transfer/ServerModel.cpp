#include "transfer/ServerModel.h"

#include "model/ConfigFile.h"
#include "model/CorvaneError.h"
#include "registry/RegistryKeys.h"
#include "registry/RegistryProcedures.h"
#include "transfer/ApacheEnvironment.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/TreeSources.h"

#include <QFile>
#include <QFileInfo>

namespace corvane {

bool ReadServerModel(const AppFolder& folder, const std::string& server, ConfigFile& cf, TreeReport& report,
                     std::string& error)
{
    const ServerWorkArea area(folder, QString::fromStdString(server));
    if (!QFileInfo(area.workingCopy()).isFile()) {
        error = "Config file for the specified server has been moved/removed.";
        return false;
    }
    const TreeManifest manifest = area.manifest();
    cf.SetFileName(QFile::encodeName(area.workingCopy()).toStdString());
    try {
        if (!manifest.isSplit()) {
            if (!cf.ReadFile()) {
                error = area.workingCopy().toStdString() + ": could not be read";
                return false;
            }
            return true;
        }
        WorkAreaTreeSource source(area.workAreaFolder(), manifest);
        TreeSettings settings;
        settings.mainFile = manifest.files.front().serverPath;
        settings.serverRoot = manifest.serverRoot;
        settings.apacheVersion = GetServerApacheVersion(server, folder.iniPath(), registry::APACHE_VERSION);
        // Debian's envvars is read for its values, never run.
        for (const TreeEntry& e : manifest.files) {
            std::string script;
            std::string why;
            if (e.kind == "envvars" && source.read(e.serverPath, script, why)) {
                const QProcessEnvironment env =
                    ApacheEnvironment::parseEnvvars(QByteArray::fromStdString(script), QProcessEnvironment());
                for (const QString& key : env.keys())
                    settings.variables[key.toStdString()] = env.value(key).toStdString();
            }
        }
        if (!cf.ReadTree(source, settings, report, [&](const std::string& serverPath) {
                return QFile::encodeName(source.localPath(serverPath)).toStdString();
            })) {
            error = "the configuration could not be read";
            for (const std::string& e : report.errors)
                error += "; " + e;
            return false;
        }
    } catch (const CorvaneError& e) {
        error = e.description();
        return false;
    }
    return true;
}

} // namespace corvane
