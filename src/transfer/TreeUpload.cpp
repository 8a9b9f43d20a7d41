#include "transfer/TreeUpload.h"

#include "model/AtomicFile.h"
#include "net/CFtpClient.h"
#include "net/CFtpFiles.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/SftpSession.h"
#include "transfer/TransferProgress.h"
#include "transfer/TreeSources.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

QString qpath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// The bytes in a temporary file, for the clients that send files.
bool spill(QTemporaryDir& dir, const std::string& bytes, QString& path, std::string& error)
{
    path = dir.filePath(QStringLiteral("upload"));
    QFile f(path);
    if (!dir.isValid() || !f.open(QIODevice::WriteOnly) ||
        f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !f.flush()) {
        error = "a temporary copy cannot be written";
        return false;
    }
    return true;
}

} // namespace

// ---- local ------------------------------------------------------------------

bool LocalTreeWriter::exists(const std::string& serverPath)
{
    struct stat st;
    return ::lstat(serverPath.c_str(), &st) == 0;
}

bool LocalTreeWriter::rename(const std::string& from, const std::string& to, std::string& error)
{
    // Never over an existing file: the name was chosen free, and must still be.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        error = errno == EEXIST ? to + " already exists" : std::string(std::strerror(errno));
        return false;
    }
    return true;
}

bool LocalTreeWriter::write(const std::string& serverPath, const std::string& bytes, const std::string& like,
                            std::string& error)
{
    AtomicFile out(serverPath);
    if (!out.open(&error) || !out.append(bytes, &error) || !out.commit(&error))
        return false;
    struct stat st;
    if (!like.empty() && ::stat(like.c_str(), &st) == 0) {
        // Owner, group and mode of the version it replaces; a failure here leaves our defaults.
        [[maybe_unused]] const int owned = ::chown(serverPath.c_str(), st.st_uid, st.st_gid);
        ::chmod(serverPath.c_str(), st.st_mode & 07777);
    }
    return true;
}

bool LocalTreeWriter::remove(const std::string& serverPath)
{
    return ::unlink(serverPath.c_str()) == 0;
}

// ---- SFTP -------------------------------------------------------------------

bool SftpTreeWriter::exists(const std::string& serverPath)
{
    const std::string remote = m_paths.toAccount(serverPath);
    return !remote.empty() && m_session.stat(qpath(remote)).has_value();
}

bool SftpTreeWriter::rename(const std::string& from, const std::string& to, std::string& error)
{
    const std::string a = m_paths.toAccount(from), b = m_paths.toAccount(to);
    if (a.empty() || b.empty()) {
        error = "outside the folders the account sees";
        return false;
    }
    if (m_session.stat(qpath(b))) {
        error = to + " already exists";
        return false;
    }
    if (!m_session.rename(qpath(a), qpath(b))) {
        error = m_session.errorString().toStdString();
        return false;
    }
    return true;
}

bool SftpTreeWriter::write(const std::string& serverPath, const std::string& bytes, const std::string& like,
                           std::string& error)
{
    const std::string remote = m_paths.toAccount(serverPath);
    if (remote.empty()) {
        error = "outside the folders the account sees";
        return false;
    }
    unsigned permissions = 0644;
    if (!like.empty()) {
        if (const std::optional<SftpSession::Entry> e = m_session.stat(qpath(m_paths.toAccount(like)));
            e && e->permissions)
            permissions = e->permissions & 07777;
    }
    QTemporaryDir dir;
    QString local;
    if (!spill(dir, bytes, local, error))
        return false;
    if (!m_session.upload(local, qpath(remote), permissions)) {
        error = m_session.errorString().toStdString();
        return false;
    }
    return true;
}

bool SftpTreeWriter::remove(const std::string& serverPath)
{
    const std::string remote = m_paths.toAccount(serverPath);
    return !remote.empty() && m_session.remove(qpath(remote));
}

// ---- FTP --------------------------------------------------------------------

bool FtpTreeWriter::exists(const std::string& serverPath)
{
    // SIZE is not spoken by every server: the folder's listing says.
    const std::string remote = m_paths.toAccount(serverPath);
    if (remote.empty() || !m_client.SetCurrentDirectory(qpath(folderOf(remote))) ||
        m_client.waitForResult() != net::CFtpClient::ftpSuccess || !m_client.EnumFiles() ||
        m_client.waitForResult() != net::CFtpClient::ftpSuccess || !m_client.CurrentDirectoryFiles())
        return false;
    const QString name = qpath(remote.substr(remote.find_last_of('/') + 1));
    const net::CFtpFiles& files = *m_client.CurrentDirectoryFiles();
    for (int i = 1; i <= files.Count(); ++i) {
        if (files.Item(i).FileName == name)
            return true;
    }
    return false;
}

bool FtpTreeWriter::rename(const std::string& from, const std::string& to, std::string& error)
{
    const std::string a = m_paths.toAccount(from), b = m_paths.toAccount(to);
    if (a.empty() || b.empty()) {
        error = "outside the folders the account sees";
        return false;
    }
    if (exists(to)) {
        error = to + " already exists";
        return false;
    }
    if (!m_client.RenameFile(qpath(a), qpath(b)) || m_client.waitForResult() != net::CFtpClient::ftpSuccess) {
        error = m_client.LastFtpError().Description.trimmed().toStdString();
        return false;
    }
    return true;
}

bool FtpTreeWriter::write(const std::string& serverPath, const std::string& bytes, const std::string&,
                          std::string& error)
{
    const std::string remote = m_paths.toAccount(serverPath);
    if (remote.empty()) {
        error = "outside the folders the account sees";
        return false;
    }
    QTemporaryDir dir;
    QString local;
    if (!spill(dir, bytes, local, error))
        return false;
    if (!m_client.UploadFile(local, qpath(remote), 0) ||
        m_client.waitForResult() != net::CFtpClient::ftpSuccess) {
        error = m_client.LastFtpError().Description.trimmed().toStdString();
        return false;
    }
    return true;
}

bool FtpTreeWriter::remove(const std::string& serverPath)
{
    const std::string remote = m_paths.toAccount(serverPath);
    return !remote.empty() && m_client.DeleteFile(qpath(remote)) &&
           m_client.waitForResult() == net::CFtpClient::ftpSuccess;
}

// ---- the upload -------------------------------------------------------------

bool TreeUpload::bytesToSend(const ServerWorkArea& workArea, const TreeEntry& entry, bool windowsTarget,
                             std::string& bytes, std::string& error)
{
    if (!AtomicFile::read(QFile::encodeName(workArea.workFile(entry)).toStdString(), bytes, &error))
        return false;
    if (!windowsTarget) {
        std::string lf;
        lf.reserve(bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                continue;
            lf += bytes[i];
        }
        bytes.swap(lf);
    }
    return true;
}

std::string TreeUpload::keptNameFor(const TreeEntry& entry, const TreeManifest& manifest,
                                    const QDateTime& when)
{
    const std::string target = entry.writtenPath();
    if (entry.kind == "main") {
        // The main file's dated name as always: httpdMMddyy-HHmmss.conf, or
        // the same built on the main file's own name.
        const std::string name = target.substr(target.find_last_of('/') + 1);
        const auto dot = name.find_last_of('.');
        const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
        const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
        const std::string dated =
            folderOf(target) + "/" +
            (name == "httpd.conf"
                 ? ServerWorkArea::datedConfName(when).toStdString()
                 : stem + when.toString(QStringLiteral("MMddyy-HHmmss")).toStdString() + ext);
        if (!manifest.includes(dated))
            return dated;
    }
    return ServerTree::backupNameFor(target, manifest,
                                     when.toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString());
}

TreeUploadResult TreeUpload::run(TreeWriter& writer, const ServerWorkArea& workArea,
                                 const TreeManifest& manifest, const std::vector<TreeEntry>& changed,
                                 bool windowsTarget, const QDateTime& when, ProgressMeter* meter)
{
    TreeUploadResult result;
    struct Done
    {
        TreeEntry entry;
        std::string kept;
    };
    std::vector<Done> done;
    QString failure;
    if (meter) {
        // The totals first: what each file will be once its line ends are
        // converted (an unreadable file counts nothing; it fails below).
        qint64 total = 0;
        for (const TreeEntry& entry : changed) {
            std::string bytes, ignored;
            if (bytesToSend(workArea, entry, windowsTarget, bytes, ignored))
                total += qint64(bytes.size());
        }
        meter->start(int(changed.size()), total);
    }
    size_t stoppedAt = changed.size(); // the first file not sent
    for (size_t i = 0; i < changed.size(); ++i) {
        const TreeEntry& entry = changed[i];
        stoppedAt = i;
        if (meter && meter->cancelRequested()) {
            result.cancelled = true;
            failure = QStringLiteral("stopped before %1 was sent").arg(qpath(entry.serverPath));
            break;
        }
        if (meter)
            meter->beginFile(entry.serverPath);
        const std::string target = entry.writtenPath();
        const QString shown = qpath(entry.serverPath) +
                              (entry.realPath.empty()
                                   ? QString()
                                   : QStringLiteral(" (link to ") + qpath(entry.realPath) + QLatin1Char(')'));
        std::string bytes, why;
        if (!bytesToSend(workArea, entry, windowsTarget, bytes, why)) {
            failure = QStringLiteral("%1: the working copy cannot be read: %2").arg(shown, qpath(why));
            break;
        }
        const std::string kept = keptNameFor(entry, manifest, when);
        if (kept.empty()) {
            failure = QStringLiteral("%1: every name for its previous version would be read by an Include; "
                                     "nothing was sent")
                          .arg(shown);
            break;
        }
        if (!writer.rename(target, kept, why)) {
            failure =
                QStringLiteral("%1: could not be renamed to %2 (%3)").arg(shown, qpath(kept), qpath(why));
            break;
        }
        if (!writer.write(target, bytes, kept, why)) {
            writer.remove(target);
            std::string ignored;
            writer.rename(kept, target, ignored);
            failure = QStringLiteral("%1: could not be written (%2)").arg(shown, qpath(why));
            break;
        }
        done.push_back({entry, kept});
        result.lines << QStringLiteral("Sent %1; its previous version is kept as %2").arg(shown, qpath(kept));
        if (entry.kind == "main")
            result.mainKeptAs = qpath(kept.substr(kept.find_last_of('/') + 1));
        if (meter)
            meter->fileDone(entry.serverPath, qint64(bytes.size()));
        stoppedAt = changed.size();
    }
    if (failure.isEmpty()) {
        result.ok = true;
        for (const Done& d : done)
            result.sent.push_back(d.entry);
        return result;
    }
    // All or none: what was replaced gets its previous version back.
    result.lines.clear();
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
        const std::string target = it->entry.writtenPath();
        std::string why;
        writer.remove(target);
        if (writer.rename(it->kept, target, why)) {
            result.lines.prepend(
                QStringLiteral("Put back %1 (not changed)").arg(qpath(it->entry.serverPath)));
        } else {
            result.restored = false;
            result.lines.prepend(QStringLiteral("%1 could not be put back; its previous version is %2 (%3)")
                                     .arg(qpath(it->entry.serverPath), qpath(it->kept), qpath(why)));
        }
    }
    result.lines << (result.cancelled ? QStringLiteral("Cancelled: ") : QStringLiteral("Failed: ")) + failure;
    // The file that failed is named above; a cancel sent nothing from where it stopped.
    for (size_t i = result.cancelled ? stoppedAt : stoppedAt + 1; i < changed.size(); ++i)
        result.lines << QStringLiteral("Not sent %1").arg(qpath(changed[i].serverPath));
    return result;
}

} // namespace corvane
