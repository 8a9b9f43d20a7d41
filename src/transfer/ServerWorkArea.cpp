#include "transfer/ServerWorkArea.h"

#include "model/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace corvane {

ServerWorkArea::ServerWorkArea(const AppFolder& folder, const QString& serverName)
    : m_serverFolder(folder.serverFolder(serverName.trimmed().toStdString()))
{
}

QString ServerWorkArea::backupFolder() const
{
    return m_serverFolder + QStringLiteral("/Backup");
}

QString ServerWorkArea::workAreaFolder() const
{
    return m_serverFolder + QStringLiteral("/WorkArea");
}

QString ServerWorkArea::backupFile() const
{
    return backupFolder() + QStringLiteral("/httpd.conf");
}

QString ServerWorkArea::workingCopy() const
{
    return workAreaFolder() + QStringLiteral("/httpd.conf");
}

QString ServerWorkArea::workingCopyBak() const
{
    return workAreaFolder() + QStringLiteral("/httpd_bak.conf");
}

QString ServerWorkArea::downloadFile() const
{
    return workAreaFolder() + QStringLiteral("/httpd.conf.download");
}

QString ServerWorkArea::sentCopy() const
{
    return workAreaFolder() + QStringLiteral("/httpd.conf.sent");
}

bool ServerWorkArea::hasUnsentChanges() const
{
    if (!isValid() || !QFileInfo::exists(workingCopy()))
        return false;
    std::string work;
    if (!AtomicFile::read(QFile::encodeName(workingCopy()).toStdString(), work))
        return true; // unknown: better asked once too often
    for (const QString& reference : {backupFile(), sentCopy()}) {
        std::string bytes;
        if (QFileInfo(reference).isFile() &&
            AtomicFile::read(QFile::encodeName(reference).toStdString(), bytes) && bytes == work)
            return false;
    }
    return true;
}

bool ServerWorkArea::keepUnsentCopy(QString* keptPath, QString* error) const
{
    if (!ensureFolders()) {
        if (error)
            *error = QStringLiteral("Cannot create the folders of %1.").arg(m_serverFolder);
        return false;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy-hh-mm-ss"));
    const QString base = backupFolder() + QStringLiteral("/httpd-unsent-") + stamp;
    QString target = base + QStringLiteral(".conf");
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = base + QLatin1Char('-') + QString::number(n) + QStringLiteral(".conf");
    if (!copyFileAtomic(workingCopy(), target, error))
        return false;
    if (keptPath)
        *keptPath = target;
    return true;
}

bool ServerWorkArea::recordSent(QString* error) const
{
    return copyFileAtomic(workingCopy(), sentCopy(), error);
}

bool ServerWorkArea::ensureFolders() const
{
    if (!isValid())
        return false;
    // The server folder, WorkArea and Backup must be folders of their own,
    // never links leading the writes somewhere else.
    for (const QString& folder : {m_serverFolder, backupFolder(), workAreaFolder()}) {
        if (!AppFolder::isRealFolderOrMissing(folder) || !QDir().mkpath(folder) ||
            !AppFolder::isRealFolderOrMissing(folder))
            return false;
    }
    return true;
}

bool ServerWorkArea::RotateBackup() const
{
    return rotateBackup(nullptr);
}

bool ServerWorkArea::rotateBackup(QString* newName) const
{
    if (!isValid())
        return false;
    const QString current = backupFile();
    if (!QFileInfo::exists(current))
        return true;
    // Only our own names take part: httpd.conf counts as 0, httpdN.conf as N.
    static const QRegularExpression numbered(QStringLiteral("^httpd(\\d*)\\.conf$"));
    long long highest = 0;
    const QStringList names = QDir(backupFolder()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = numbered.match(name);
        if (!m.hasMatch())
            continue;
        bool ok = false;
        const long long n = m.captured(1).isEmpty() ? 0 : m.captured(1).toLongLong(&ok);
        if ((ok || m.captured(1).isEmpty()) && n > highest)
            highest = n;
    }
    const QString target = backupFolder() + QStringLiteral("/httpd%1.conf").arg(highest + 1);
    if (!QFile::rename(current, target))
        return false;
    if (newName)
        *newName = target;
    return true;
}

bool ServerWorkArea::RemoveServerFolder() const
{
    if (!isValid() || !QFileInfo(m_serverFolder).isDir())
        return false;
    bool ok = true;
    for (const QString& folder : {backupFolder(), workAreaFolder()}) {
        QDir dir(folder);
        if (!dir.exists())
            continue;
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
            ok = dir.remove(name) && ok;
        ok = QDir().rmdir(folder) && ok;
    }
    return QDir().rmdir(m_serverFolder) && ok;
}

bool ServerWorkArea::installFetched(const QString& fetched, QString* error) const
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!ensureFolders())
        return fail(QStringLiteral("Cannot create the folders of %1.").arg(m_serverFolder));
    QString rotated;
    if (!rotateBackup(&rotated))
        return fail(QStringLiteral("Cannot rename %1 to keep it as a backup.").arg(backupFile()));
    QString why;
    if (!copyFileAtomic(fetched, backupFile(), &why)) {
        // The previous fetch takes its place again.
        if (!rotated.isEmpty())
            QFile::rename(rotated, backupFile());
        return fail(why);
    }
    if (!copyFileAtomic(fetched, workingCopy(), &why))
        return fail(why);
    // The working copy is the server's file again.
    QFile::remove(sentCopy());
    QFile::remove(fetched);
    return true;
}

QString ServerWorkArea::datedConfName(const QDateTime& when)
{
    return QStringLiteral("httpd") + when.toString(QStringLiteral("MMddyy-HHmmss")) + QStringLiteral(".conf");
}

bool ServerWorkArea::copyFileAtomic(const QString& from, const QString& to, QString* error)
{
    std::string why;
    if (!AtomicFile::copy(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString(), &why)) {
        if (error)
            *error = QString::fromLocal8Bit(why.c_str());
        return false;
    }
    return true;
}

} // namespace corvane
