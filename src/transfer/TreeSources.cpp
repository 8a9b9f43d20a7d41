#include "transfer/TreeSources.h"

#include "model/AtomicFile.h"
#include "net/CFtpClient.h"
#include "net/CFtpFiles.h"
#include "transfer/SftpSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace corvane {

namespace {

QString qpath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string spath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

bool readLocal(const QString& path, std::string& bytes, std::string& error)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        error = info.exists() ? "not a file" : "no such file";
        return false;
    }
    if (info.size() > kMaxTreeFileSize) {
        error = "larger than a configuration file may be";
        return false;
    }
    std::string why;
    if (!AtomicFile::read(spath(path), bytes, &why)) {
        error = why;
        return false;
    }
    return true;
}

bool isUnder(const std::string& path, const std::string& folder)
{
    if (folder == "/")
        return !path.empty() && path.front() == '/';
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              path[folder.size()] == '/');
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

} // namespace

// ---- local disk -------------------------------------------------------------

bool LocalTreeSource::read(const std::string& serverPath, std::string& bytes, std::string& error)
{
    return readLocal(qpath(serverPath), bytes, error);
}

bool LocalTreeSource::list(const std::string& serverFolder, std::vector<std::string>& names,
                           std::string& error)
{
    const QDir dir(qpath(serverFolder));
    if (!dir.exists()) {
        error = "no such folder";
        return false;
    }
    for (const QString& name :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        names.push_back(spath(name));
    return true;
}

bool LocalTreeSource::isFolder(const std::string& serverPath)
{
    return QFileInfo(qpath(serverPath)).isDir();
}

std::string LocalTreeSource::realPath(const std::string& serverPath)
{
    const QString real = QFileInfo(qpath(serverPath)).canonicalFilePath();
    return real.isEmpty() || spath(real) == serverPath ? std::string() : spath(real);
}

// ---- work area --------------------------------------------------------------

WorkAreaTreeSource::WorkAreaTreeSource(QString workAreaFolder, const TreeManifest& manifest)
    : m_folder(std::move(workAreaFolder)), m_manifest(manifest)
{
}

QString WorkAreaTreeSource::localPath(const std::string& serverPath) const
{
    const TreeEntry* e = m_manifest.find(serverPath);
    return e ? m_folder + QLatin1Char('/') + qpath(e->workPath) : QString();
}

bool WorkAreaTreeSource::read(const std::string& serverPath, std::string& bytes, std::string& error)
{
    const QString local = localPath(serverPath);
    if (local.isEmpty()) {
        error = "not among the fetched files";
        return false;
    }
    return readLocal(local, bytes, error);
}

bool WorkAreaTreeSource::list(const std::string& serverFolder, std::vector<std::string>& names,
                              std::string& error)
{
    // The folder's content as the fetch saw it: the files and folders of the tree below it.
    bool any = false;
    for (const TreeEntry& e : m_manifest.files) {
        if (!isUnder(e.serverPath, serverFolder) || e.serverPath == serverFolder)
            continue;
        const std::string rest = e.serverPath.substr(serverFolder == "/" ? 1 : serverFolder.size() + 1);
        const std::string first = rest.substr(0, rest.find('/'));
        if (std::find(names.begin(), names.end(), first) == names.end())
            names.push_back(first);
        any = true;
    }
    if (!any && !isFolder(serverFolder)) {
        error = "no such folder";
        return false;
    }
    return true;
}

bool WorkAreaTreeSource::isFolder(const std::string& serverPath)
{
    for (const TreeEntry& e : m_manifest.files) {
        if (e.serverPath != serverPath && isUnder(e.serverPath, serverPath))
            return true;
    }
    return false;
}

// ---- account paths ----------------------------------------------------------

std::string AccountPaths::toAccount(const std::string& serverPath) const
{
    if (accountRoot.empty() || accountRoot == "/")
        return serverPath;
    if (serverPath == accountRoot)
        return "/";
    if (!isUnder(serverPath, accountRoot))
        return {};
    return serverPath.substr(accountRoot.size());
}

std::string AccountPaths::toServer(const std::string& accountPath) const
{
    if (accountRoot.empty() || accountRoot == "/")
        return accountPath;
    return accountPath == "/" ? accountRoot : accountRoot + accountPath;
}

std::string AccountPaths::nameTowardRoot(const std::string& serverFolder) const
{
    if (accountRoot.empty() || accountRoot == "/" || serverFolder == accountRoot ||
        !isUnder(accountRoot, serverFolder))
        return {};
    const std::string rest = accountRoot.substr(serverFolder == "/" ? 1 : serverFolder.size() + 1);
    return rest.substr(0, rest.find('/'));
}

// ---- SFTP -------------------------------------------------------------------

bool SftpTreeSource::read(const std::string& serverPath, std::string& bytes, std::string& error)
{
    const std::string remote = m_paths.toAccount(serverPath);
    if (remote.empty()) {
        error = "outside the folders the account sees";
        return false;
    }
    const std::optional<SftpSession::Entry> e = m_session.stat(qpath(remote));
    if (!e || !e->isRegular) {
        error = e ? "not a file" : "no such file";
        return false;
    }
    if (e->size > kMaxTreeFileSize) {
        error = "larger than a configuration file may be";
        return false;
    }
    QTemporaryDir dir;
    const QString local = dir.filePath(QStringLiteral("file"));
    if (!dir.isValid() || !m_session.download(qpath(remote), local)) {
        error = m_session.errorString().toStdString();
        return false;
    }
    return readLocal(local, bytes, error);
}

bool SftpTreeSource::list(const std::string& serverFolder, std::vector<std::string>& names,
                          std::string& error)
{
    const std::string remote = m_paths.toAccount(serverFolder);
    if (remote.empty() || !m_session.openDirectory(qpath(remote))) {
        error = "cannot be listed";
        return false;
    }
    const std::optional<std::vector<SftpSession::Entry>> entries = m_session.listDirectory();
    m_session.closeDirectory();
    if (!entries) {
        error = m_session.errorString().toStdString();
        return false;
    }
    for (const SftpSession::Entry& e : *entries) {
        if (e.name != QLatin1String(".") && e.name != QLatin1String("..") &&
            !e.name.contains(QLatin1Char('/')))
            names.push_back(spath(e.name));
    }
    return true;
}

bool SftpTreeSource::isFolder(const std::string& serverPath)
{
    if (!m_paths.nameTowardRoot(serverPath).empty())
        return true;
    const std::string remote = m_paths.toAccount(serverPath);
    if (remote.empty())
        return false;
    const std::optional<SftpSession::Entry> e = m_session.stat(qpath(remote));
    return e && e->isDirectory;
}

std::string SftpTreeSource::realPath(const std::string& serverPath)
{
    const std::string remote = m_paths.toAccount(serverPath);
    if (remote.empty())
        return {};
    const std::string real = spath(m_session.canonicalize(qpath(remote)));
    if (real.empty() || real == remote)
        return {};
    return m_paths.toServer(real);
}

// ---- FTP --------------------------------------------------------------------

bool FtpTreeSource::listing(const std::string& accountFolder, std::map<std::string, Item>*& items,
                            std::string& error)
{
    if (const auto it = m_listings.find(accountFolder); it != m_listings.end()) {
        items = &it->second;
        return true;
    }
    if (!m_client.SetCurrentDirectory(qpath(accountFolder)) ||
        m_client.waitForResult() != net::CFtpClient::ftpSuccess || !m_client.EnumFiles() ||
        m_client.waitForResult() != net::CFtpClient::ftpSuccess || !m_client.CurrentDirectoryFiles()) {
        error = m_client.LastFtpError().Description.trimmed().toStdString();
        m_listings[accountFolder]; // remembered as empty: asked once
        return false;
    }
    std::map<std::string, Item>& out = m_listings[accountFolder];
    const net::CFtpFiles& files = *m_client.CurrentDirectoryFiles();
    for (int i = 1; i <= files.Count(); ++i) {
        const net::CFtpFile& f = files.Item(i);
        if (f.FileName == QLatin1String(".") || f.FileName == QLatin1String("..") ||
            f.FileName.contains(QLatin1Char('/')))
            continue;
        out[spath(f.FileName)] = Item{f.IsDirectory, spath(f.FilePath)};
    }
    items = &out;
    return true;
}

bool FtpTreeSource::read(const std::string& serverPath, std::string& bytes, std::string& error)
{
    const std::string remote = m_paths.toAccount(serverPath);
    if (remote.empty()) {
        error = "outside the folders the account sees";
        return false;
    }
    QTemporaryDir dir;
    const QString local = dir.filePath(QStringLiteral("file"));
    if (!dir.isValid() || !m_client.DownloadFile(qpath(remote), local, true) ||
        m_client.waitForResult() != net::CFtpClient::ftpSuccess) {
        error = m_client.LastFtpError().Description.trimmed().toStdString();
        if (error.empty())
            error = "cannot be read";
        return false;
    }
    return readLocal(local, bytes, error);
}

bool FtpTreeSource::list(const std::string& serverFolder, std::vector<std::string>& names, std::string& error)
{
    if (const std::string toward = m_paths.nameTowardRoot(serverFolder); !toward.empty()) {
        names.push_back(toward);
        return true;
    }
    const std::string remote = m_paths.toAccount(serverFolder);
    std::map<std::string, Item>* items = nullptr;
    if (remote.empty() || !listing(remote, items, error))
        return false;
    for (const auto& [name, item] : *items)
        names.push_back(name);
    return true;
}

bool FtpTreeSource::isFolder(const std::string& serverPath)
{
    if (!m_paths.nameTowardRoot(serverPath).empty())
        return true;
    const std::string remote = m_paths.toAccount(serverPath);
    if (remote.empty())
        return false;
    if (remote == "/")
        return true;
    std::map<std::string, Item>* items = nullptr;
    std::string error;
    if (!listing(folderOf(remote), items, error))
        return false;
    const auto it = items->find(remote.substr(remote.find_last_of('/') + 1));
    if (it == items->end())
        return false;
    if (it->second.link.empty())
        return it->second.folder;
    // A link: a folder when the server lets us change into it.
    return m_client.SetCurrentDirectory(qpath(remote)) &&
           m_client.waitForResult() == net::CFtpClient::ftpSuccess;
}

std::string FtpTreeSource::realPath(const std::string& serverPath)
{
    const std::string remote = m_paths.toAccount(serverPath);
    if (remote.empty() || remote == "/")
        return {};
    std::map<std::string, Item>* items = nullptr;
    std::string error;
    const std::string folder = folderOf(remote);
    if (!listing(folder, items, error))
        return {};
    const auto it = items->find(remote.substr(remote.find_last_of('/') + 1));
    if (it == items->end() || it->second.link.empty())
        return {};
    // The listing shows the link's text; made absolute against the link's folder.
    const std::string target = ResolveServerPath(folder, it->second.link);
    return m_paths.toServer(target);
}

} // namespace corvane
