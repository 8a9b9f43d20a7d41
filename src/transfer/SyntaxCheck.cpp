#include "transfer/SyntaxCheck.h"

#include "registry/RegistryProcedures.h"
#include "transfer/ApacheEnvironment.h"
#include "transfer/DOSOutputs.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace corvane {

namespace {

double leadingNumber(const QString& version)
{
    bool ok = false;
    const double v = version.trimmed().left(3).toDouble(&ok);
    return ok ? v : 0.0;
}

bool isExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

SyntaxCheck::SyntaxCheck(AppFolder folder)
    : m_folder(std::move(folder)),
      m_searchPath({QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                    QStringLiteral("/usr/local/apache2/bin")}),
      m_envvars(ApacheEnvironment::defaultEnvvarsPath())
{
}

bool SyntaxCheck::isSupportedVersion(const QString& version)
{
    return leadingNumber(version) >= 1.3 - 1e-9;
}

QString SyntaxCheck::notSupportedText(const QString& version)
{
    return QStringLiteral("Syntax checking not supported with current Apache Server ") + version;
}

QString SyntaxCheck::checkerFor(const QString& version) const
{
    if (!isSupportedVersion(version))
        return QString();
    const double v = leadingNumber(version);
    QStringList folders{version.trimmed().left(3)};
    if (v >= 2.0 - 1e-9 && folders.first() != QLatin1String("2.0"))
        folders << QStringLiteral("2.0");
    for (const QString& folder : folders) {
        for (const char* name : {"httpd", "apache2"}) {
            const QString candidate = m_folder.path() + QStringLiteral("/ApacheServer/") + folder +
                                      QLatin1Char('/') + QLatin1String(name);
            if (isExecutableFile(candidate))
                return candidate;
        }
    }
    for (const char* name : {"apache2", "httpd"}) {
        QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (found.isEmpty())
            found = QStandardPaths::findExecutable(QLatin1String(name), m_searchPath);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

QString SyntaxCheck::commandLine(const QString& checker, const QString& configPath)
{
    return QLatin1Char('"') + checker + QStringLiteral("\" -f \"") + configPath + QStringLiteral("\" -t");
}

QProcessEnvironment SyntaxCheck::environmentFor(const QString& checker) const
{
    const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
    const bool ours = checker.startsWith(m_folder.path() + QLatin1Char('/'));
    if (ours || QFileInfo(checker).fileName() != QLatin1String("apache2"))
        return own;
    return ApacheEnvironment::fromEnvvars(m_envvars, own);
}

QString SyntaxCheck::run(const QString& serverName, DOSOutputs& runner) const
{
    const std::string name = serverName.trimmed().toStdString();
    const QString configPath = m_folder.workingCopyPath(name);
    const QString version = QString::fromStdString(GetServerApacheVersion(name, m_folder.iniPath()));
    if (!isSupportedVersion(version)) {
        const QString text = notSupportedText(version);
        emit runner.ReceiveOutputs(text);
        return text;
    }
    const QString checker = checkerFor(version);
    if (checker.isEmpty()) {
        const QString text = QStringLiteral("File or command not found");
        emit runner.ReceiveOutputs(text);
        return text;
    }
    runner.setEnvironment(environmentFor(checker));
    const QString out = runner.ExecuteCommand(commandLine(checker, configPath));
    if (!runner.errorText().isEmpty()) {
        emit runner.ReceiveOutputs(runner.errorText());
        return runner.errorText();
    }
    return out;
}

} // namespace corvane
