#include "transfer/ServerWorkArea.h"

#include "model/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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

QString ServerWorkArea::manifestFile() const
{
    return workAreaFolder() + QLatin1Char('/') + TreeManifest::fileName();
}

QString ServerWorkArea::backupManifestFile() const
{
    return backupFolder() + QLatin1Char('/') + TreeManifest::fileName();
}

TreeManifest ServerWorkArea::manifest() const
{
    TreeManifest m;
    if (!m.load(manifestFile()))
        m.files.push_back({"main", "", "httpd.conf", ""});
    return m;
}

QString ServerWorkArea::workFile(const TreeEntry& entry) const
{
    return entry.kind == "main"
               ? workingCopy()
               : workAreaFolder() + QLatin1Char('/') + QString::fromStdString(entry.workPath);
}

QString ServerWorkArea::fetchedFile(const TreeEntry& entry) const
{
    return entry.kind == "main" ? backupFile()
                                : backupFolder() + QLatin1Char('/') + QString::fromStdString(entry.workPath);
}

QString ServerWorkArea::sentFile(const TreeEntry& entry) const
{
    return entry.kind == "main"
               ? sentCopy()
               : workAreaFolder() + QStringLiteral("/sent/") + QString::fromStdString(entry.workPath);
}

QString ServerWorkArea::serverCopy(const TreeEntry& entry) const
{
    const QString sent = sentFile(entry);
    return QFileInfo(sent).isFile() ? sent : fetchedFile(entry);
}

std::vector<TreeEntry> ServerWorkArea::changedFiles(const TreeManifest& manifest) const
{
    std::vector<TreeEntry> changed;
    for (const TreeEntry& e : manifest.files) {
        if (e.kind == "envvars")
            continue;
        std::string work, server;
        if (!AtomicFile::read(QFile::encodeName(workFile(e)).toStdString(), work))
            continue;
        if (!AtomicFile::read(QFile::encodeName(serverCopy(e)).toStdString(), server) || work != server)
            changed.push_back(e);
    }
    return changed;
}

bool ServerWorkArea::recordSentFiles(const std::vector<TreeEntry>& sent, QString* error) const
{
    for (const TreeEntry& e : sent) {
        const QString target = sentFile(e);
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !copyFileAtomic(workFile(e), target, error))
            return false;
    }
    return true;
}

namespace {

// Writes a new file of the staging folder: mode 0600, every write(2)
// checked. It is synced with the whole staging folder, not on its own.
bool writeStagedFile(const QString& path, const std::string& bytes, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    bool ok = fd >= 0;
    int err = ok ? 0 : errno;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            err = n < 0 ? errno : EIO;
            break;
        }
        done += std::size_t(n);
    }
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok && error)
        *error =
            QStringLiteral("%1 cannot be written: %2").arg(path, QString::fromLocal8Bit(std::strerror(err)));
    return ok;
}

// Flushes everything written below `folder` to disk: one sync of its file
// system instead of one per file (a tree of thousands of files would
// otherwise wait for thousands of journal commits).
bool syncFolder(const QString& folder, QString* error)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::syncfs(fd) == 0 && ::fsync(fd) == 0;
    const int err = errno;
    if (fd >= 0)
        ::close(fd);
    if (!ok && error)
        *error = QStringLiteral("%1 cannot be synced to disk: %2")
                     .arg(folder, QString::fromLocal8Bit(std::strerror(err)));
    return ok;
}

} // namespace

bool ServerWorkArea::replaceTree(const QString& base, const TreeManifest& manifest,
                                 const std::map<std::string, std::string>& contents, QString* error) const
{
    // The new files are written into a staging folder beside the old ones,
    // synced once, and then take the old folders' places by rename: a failure
    // on the way leaves the previous tree as it was.
    static const char* const kFolders[] = {"tree", "outside"};
    const QString staging = base + QStringLiteral("/.incoming");
    const QString retired = base + QStringLiteral("/.replaced");
    QDir(staging).removeRecursively();
    QDir(retired).removeRecursively();
    const auto fail = [&] {
        QDir(staging).removeRecursively();
        return false;
    };
    if (!QDir().mkpath(staging)) {
        if (error)
            *error = QStringLiteral("%1 cannot be created.").arg(staging);
        return false;
    }
    QSet<QString> written; // a file the configuration names twice is written once
    for (const TreeEntry& e : manifest.files) {
        if (e.kind == "main")
            continue;
        const auto it = contents.find(e.serverPath);
        if (it == contents.end() || written.contains(QString::fromStdString(e.workPath)))
            continue;
        written.insert(QString::fromStdString(e.workPath));
        // Every file stays inside the work area, whatever its name.
        const QString relative = QString::fromStdString(e.workPath);
        if (QDir::cleanPath(relative) != relative || relative.startsWith(QLatin1String("..")) ||
            QDir::isAbsolutePath(relative) ||
            !(relative.startsWith(QLatin1String("tree/")) ||
              relative.startsWith(QLatin1String("outside/")))) {
            if (error)
                *error = QStringLiteral("%1 is not a plain path inside the work area.").arg(relative);
            return fail();
        }
        const QString target = staging + QLatin1Char('/') + relative;
        if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
            if (error)
                *error = QStringLiteral("%1 cannot be created.").arg(QFileInfo(target).absolutePath());
            return fail();
        }
        if (!writeStagedFile(target, it->second, error))
            return fail();
    }
    if (!syncFolder(staging, error))
        return fail();
    if (!QDir().mkpath(retired)) {
        if (error)
            *error = QStringLiteral("%1 cannot be created.").arg(retired);
        return fail();
    }
    // The folders swapped so far, so that a failed swap puts the old ones back.
    struct Swap
    {
        QString current, old;
        bool hadOld = false, placed = false;
    };
    std::vector<Swap> swaps;
    const auto putBack = [&] {
        for (const Swap& w : swaps) {
            if (w.placed)
                QDir(w.current).removeRecursively();
            if (w.hadOld)
                QDir().rename(w.old, w.current);
        }
        return fail();
    };
    for (const char* folder : kFolders) {
        const QString name = QLatin1String(folder);
        Swap& w = swaps.emplace_back(Swap{base + QLatin1Char('/') + name, retired + QLatin1Char('/') + name});
        const QString incoming = staging + QLatin1Char('/') + name;
        if (QFileInfo::exists(w.current)) {
            if (!QDir().rename(w.current, w.old)) {
                if (error)
                    *error = QStringLiteral("%1 cannot be replaced.").arg(w.current);
                return putBack();
            }
            w.hadOld = true;
        }
        if (QFileInfo::exists(incoming)) {
            if (!QDir().rename(incoming, w.current)) {
                if (error)
                    *error = QStringLiteral("%1 cannot be put in place.").arg(w.current);
                return putBack();
            }
            w.placed = true;
        }
    }
    // What was sent belongs to the previous fetch.
    QDir(base + QStringLiteral("/sent")).removeRecursively();
    QDir(staging).removeRecursively();
    QDir(retired).removeRecursively();
    if (!syncFolder(base, error))
        return false;
    return manifest.save(base + QLatin1Char('/') + TreeManifest::fileName(), error);
}

bool ServerWorkArea::installFetchedTree(const QString& fetchedMain, const TreeManifest& manifest,
                                        const std::map<std::string, std::string>& contents,
                                        QString* error) const
{
    if (!installFetched(fetchedMain, error))
        return false;
    return replaceTree(backupFolder(), manifest, contents, error) &&
           replaceTree(workAreaFolder(), manifest, contents, error);
}

bool ServerWorkArea::hasUnsentChanges() const
{
    if (!isValid() || !QFileInfo::exists(workingCopy()))
        return false;
    if (QFileInfo(manifestFile()).isFile()) {
        const TreeManifest m = manifest();
        for (const TreeEntry& e : changedFiles(m)) {
            if (e.kind != "main")
                return true;
        }
    }
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
    // The other changed files of a split configuration go beside it, in a
    // folder of the same name, at their places in the work area.
    const TreeManifest m = manifest();
    const QString folder = target.chopped(5);
    for (const TreeEntry& e : changedFiles(m)) {
        if (e.kind == "main")
            continue;
        const QString kept = folder + QLatin1Char('/') + QString::fromStdString(e.workPath);
        if (!QDir().mkpath(QFileInfo(kept).absolutePath()) || !copyFileAtomic(workFile(e), kept, error))
            return false;
    }
    if (keptPath)
        *keptPath = target;
    return true;
}

bool ServerWorkArea::revertChanges(QString* keptPath, QString* error) const
{
    if (keptPath)
        keptPath->clear();
    const std::vector<TreeEntry> changed = changedFiles(manifest());
    if (changed.empty())
        return true;
    if (!keepUnsentCopy(keptPath, error))
        return false;
    for (const TreeEntry& e : changed)
        if (!copyFileAtomic(serverCopy(e), workFile(e), error))
            return false;
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
    // The other files of that fetch go with it, into fetchN/.
    const QString older = backupFolder() + QStringLiteral("/fetch%1").arg(highest + 1);
    for (const QString& name :
         {QStringLiteral("tree"), QStringLiteral("outside"), TreeManifest::fileName()}) {
        const QString from = backupFolder() + QLatin1Char('/') + name;
        if (QFileInfo::exists(from) && QDir().mkpath(older))
            QFile::rename(from, older + QLatin1Char('/') + name);
    }
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
        ok = dir.removeRecursively() && ok;
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
    // The working copy is the server's file again; the files of an earlier
    // fetch's tree go (a new list comes with the tree, if any).
    QFile::remove(sentCopy());
    QFile::remove(fetched);
    QFile::remove(manifestFile());
    for (const char* folder : {"/tree", "/outside", "/sent"})
        QDir(workAreaFolder() + QLatin1String(folder)).removeRecursively();
    return true;
}

QString ServerWorkArea::localMainFile(const QString& path, const QString& mainName)
{
    const QFileInfo info(path.trimmed());
    if (path.trimmed().isEmpty())
        return QString();
    if (info.isFile())
        return info.absoluteFilePath();
    if (!info.isDir())
        return QString();
    const QStringList names = mainName.trimmed().isEmpty()
                                  ? QStringList{QStringLiteral("httpd.conf"), QStringLiteral("apache2.conf")}
                                  : QStringList{mainName.trimmed()};
    for (const QString& name : names) {
        const QFileInfo candidate(QDir(info.absoluteFilePath()).filePath(name));
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return QString();
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
