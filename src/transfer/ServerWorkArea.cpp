#include "transfer/ServerWorkArea.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

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

bool ServerWorkArea::ensureFolders() const
{
    if (!isValid())
        return false;
    QDir dir;
    return dir.mkpath(backupFolder()) && dir.mkpath(workAreaFolder());
}

bool ServerWorkArea::RotateBackup() const
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
    return QFile::rename(current, target);
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
    if (!RotateBackup())
        return fail(QStringLiteral("Cannot rename %1 to keep it as a backup.").arg(backupFile()));
    QString why;
    if (!copyFileAtomic(fetched, backupFile(), &why) || !copyFileAtomic(fetched, workingCopy(), &why))
        return fail(why);
    QFile::remove(fetched);
    return true;
}

QString ServerWorkArea::datedConfName(const QDateTime& when)
{
    return QStringLiteral("httpd") + when.toString(QStringLiteral("MMddyy-HHmmss")) + QStringLiteral(".conf");
}

bool ServerWorkArea::copyFileAtomic(const QString& from, const QString& to, QString* error)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2").arg(from, in.errorString());
        return false;
    }
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(to, out.errorString());
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0 || (n > 0 && out.write(buffer, n) != n)) {
            out.cancelWriting();
            if (error)
                *error = QStringLiteral("Cannot copy %1 to %2.").arg(from, to);
            return false;
        }
        if (n == 0)
            break;
    }
    if (!out.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(to, out.errorString());
        return false;
    }
    return true;
}

} // namespace corvane
