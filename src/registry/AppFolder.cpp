#include "registry/AppFolder.h"

#include "model/AtomicFile.h"

#include "registry/IniFile.h"
#include "registry/RegistryKeys.h"
#include "registry/RegistryProcedures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvane {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// True when `path` (an existing file or folder) resolves to a place inside `root`.
bool resolvesInside(const QString& path, const QString& root)
{
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonicalRoot.isEmpty() || canonical.isEmpty())
        return false;
    return canonical.startsWith(canonicalRoot + QLatin1Char('/'));
}

} // namespace

AppFolder::AppFolder(const QString& dir)
{
    const QString chosen = dir.isEmpty() ? defaultPath() : dir;
    m_path = QDir::cleanPath(QDir(QDir::fromNativeSeparators(chosen)).absolutePath());
}

QString AppFolder::defaultPath()
{
    // $XDG_DATA_HOME, else ~/.local/share (a test folder in Qt's test mode).
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/corvane");
}

QString AppFolder::iniPath() const
{
    return m_path + QLatin1Char('/') + QLatin1String(registry::kIniFileName);
}

QString AppFolder::cataloguePath() const
{
    return m_path + QLatin1Char('/') + QLatin1String(registry::kCatalogueFileName);
}

QString AppFolder::backupFolder() const
{
    return m_path + QLatin1Char('/') + QLatin1String(registry::kBackupFolder);
}

bool AppFolder::isValidServerName(const std::string& name, QString* error)
{
    const std::string t = TrimBlanks(name);
    const QString shown = QString::fromUtf8(t.data(), qsizetype(t.size()));
    if (t.empty()) {
        setError(error, QStringLiteral("The server name is empty."));
        return false;
    }
    if (shown.toUtf8() != QByteArray(t.data(), qsizetype(t.size()))) {
        setError(error, QStringLiteral("The server name is not valid UTF-8 text."));
        return false;
    }
    if (t == "." || t == "..") {
        setError(error,
                 QStringLiteral("\"%1\" cannot be a server name: it names a folder of its own.").arg(shown));
        return false;
    }
    if (t.find('/') != std::string::npos) {
        setError(error,
                 QStringLiteral("The server name \"%1\" contains \"/\", which a folder name cannot hold.")
                     .arg(shown));
        return false;
    }
    for (unsigned char c : t) {
        if (c < 0x20 || c == 0x7F) {
            setError(error, QStringLiteral("The server name contains a control character or NUL."));
            return false;
        }
    }
    if (t.find('"') != std::string::npos) {
        setError(error,
                 QStringLiteral("The server name \"%1\" contains a double quote (\"), which a server name "
                                "may not hold.")
                     .arg(shown));
        return false;
    }
    if (t.find(']') != std::string::npos) {
        setError(error,
                 QStringLiteral("The server name \"%1\" contains \"]\", which Corvane.ini cannot hold.")
                     .arg(shown));
        return false;
    }
    return true;
}

bool AppFolder::checkServerName(const std::string& name, QString* error) const
{
    if (!isValidServerName(name, error))
        return false;
    const QString folder = m_path + QLatin1Char('/') + QString::fromUtf8(TrimBlanks(name));
    const QFileInfo info(folder);
    if ((info.exists() || info.isSymLink()) && !resolvesInside(folder, m_path)) {
        setError(error, QStringLiteral("The folder of server \"%1\" lies outside the application folder %2.")
                            .arg(QString::fromUtf8(TrimBlanks(name)), m_path));
        return false;
    }
    // The working copy and the backups are written there: a link in their
    // place would send those writes elsewhere.
    for (const char* sub : {registry::kWorkAreaFolder, registry::kBackupFolder}) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(sub);
        if (!isRealFolderOrMissing(path)) {
            setError(error,
                     QStringLiteral("%1 is not a folder of its own (a symbolic link or a file); Corvane "
                                    "does not write through it.")
                         .arg(path));
            return false;
        }
    }
    return true;
}

bool AppFolder::serverNameTaken(const std::string& name, QString* takenAs) const
{
    const QString wanted = QString::fromUtf8(TrimBlanks(name));
    // Folder names: Linux tells "Web" from "web", the registry does not.
    const QStringList entries =
        QDir(m_path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
            if (takenAs)
                *takenAs = entry;
            return true;
        }
    }
    for (const std::string& section : IniFile(iniPath()).sectionNames()) {
        const QString registered = QString::fromUtf8(TrimBlanks(section));
        if (registered.compare(wanted, Qt::CaseInsensitive) == 0) {
            if (takenAs)
                *takenAs = registered;
            return true;
        }
    }
    return false;
}

QString AppFolder::registeredSpelling(const std::string& name) const
{
    const QString wanted = QString::fromUtf8(TrimBlanks(name));
    for (const std::string& section : IniFile(iniPath()).sectionNames()) {
        const QString registered = QString::fromUtf8(TrimBlanks(section));
        if (registered.compare(wanted, Qt::CaseInsensitive) == 0)
            return registered;
    }
    return QString();
}

QString AppFolder::serverFolder(const std::string& server) const
{
    if (!checkServerName(server))
        return QString();
    return m_path + QLatin1Char('/') + QString::fromUtf8(TrimBlanks(server));
}

QString AppFolder::workAreaFolder(const std::string& server) const
{
    const QString folder = serverFolder(server);
    return folder.isEmpty() ? folder : folder + QLatin1Char('/') + QLatin1String(registry::kWorkAreaFolder);
}

QString AppFolder::serverBackupFolder(const std::string& server) const
{
    const QString folder = serverFolder(server);
    return folder.isEmpty() ? folder : folder + QLatin1Char('/') + QLatin1String(registry::kBackupFolder);
}

QString AppFolder::workingCopyPath(const std::string& server) const
{
    const QString folder = workAreaFolder(server);
    return folder.isEmpty() ? folder : folder + QLatin1Char('/') + QLatin1String(registry::kWorkingCopyName);
}

QString AppFolder::snapshotPath(const std::string& server) const
{
    const QString folder = workAreaFolder(server);
    return folder.isEmpty() ? folder : folder + QLatin1Char('/') + QLatin1String(registry::kSnapshotName);
}

bool AppFolder::isRealFolderOrMissing(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return false;
    return !info.exists() || info.isDir();
}

bool AppFolder::exists() const
{
    return QFileInfo(m_path).isDir();
}

bool AppFolder::ensureCreated(QString* error) const
{
    if (exists())
        return true;
    if (QFileInfo::exists(m_path)) {
        setError(error, QStringLiteral("%1 exists but is not a folder.").arg(m_path));
        return false;
    }
    if (!QDir().mkpath(m_path)) {
        setError(error, QStringLiteral("Cannot create the application folder %1.").arg(m_path));
        return false;
    }
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return ensureSample(false, error);
}

bool AppFolder::ensureSample(bool overwrite, QString* error) const
{
    const QByteArray bytes = sampleConfig();
    if (bytes.isEmpty()) {
        setError(error, QStringLiteral("The Sample server's httpd.conf is missing from the program."));
        return false;
    }
    const QString relative = QLatin1String(registry::kSampleServerName) + QLatin1Char('/') +
                             QLatin1String(registry::kWorkAreaFolder) + QLatin1Char('/') +
                             QLatin1String(registry::kWorkingCopyName);
    return installFile(relative, bytes, overwrite, error);
}

bool AppFolder::installFile(const QString& relativePath, const QByteArray& bytes, bool overwrite,
                            QString* error) const
{
    const QStringList parts = relativePath.split(QLatin1Char('/'));
    bool bad = relativePath.isEmpty() || relativePath.startsWith(QLatin1Char('/')) ||
               relativePath.contains(QChar(0));
    for (const QString& part : parts)
        bad = bad || part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..");
    if (bad) {
        setError(
            error,
            QStringLiteral("\"%1\" is not a file name inside the application folder.").arg(relativePath));
        return false;
    }
    const QString target = m_path + QLatin1Char('/') + relativePath;
    const QFileInfo info(target);
    if (info.exists() && !overwrite)
        return true;
    const QString parent = info.absolutePath();
    // The deepest folder that exists already must lie inside the application
    // folder (a symbolic link must not lead the new folders elsewhere).
    QString existing = parent;
    while (existing.size() > m_path.size() && !QFileInfo::exists(existing))
        existing = QFileInfo(existing).absolutePath();
    if (existing != m_path && !resolvesInside(existing, m_path)) {
        setError(error, QStringLiteral("%1 lies outside the application folder %2.").arg(target, m_path));
        return false;
    }
    if (!QDir().mkpath(parent)) {
        setError(error, QStringLiteral("Cannot create the folder %1.").arg(parent));
        return false;
    }
    std::string why;
    if (!AtomicFile::write(QFile::encodeName(target).toStdString(), bytes.toStdString(), &why)) {
        setError(error, QString::fromLocal8Bit(why.c_str()));
        return false;
    }
    return true;
}

QByteArray AppFolder::sampleConfig()
{
    QFile file(QStringLiteral(":/corvane/sample/httpd.conf"));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace corvane
