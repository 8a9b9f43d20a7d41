#pragma once
// Where the files of a server's configuration are read from, by server path:
// the local disk (a local server), the work area (the copies a fetch
// brought), an SFTP session or an FTP connection (a remote server; folders
// are listed there to expand wildcards).
//
// An FTP or SFTP account may see only a part of the server's file system as
// its "/": `accountRoot` is the server folder it sees so, and paths outside
// it cannot be reached.
#include "transfer/ServerTree.h"

#include <QString>

#include <map>

namespace corvane {

class SftpSession;
namespace net {
class CFtpClient;
}

// Every file read is capped: a configuration file larger than this is refused.
inline constexpr qint64 kMaxTreeFileSize = 16 * 1024 * 1024;

class LocalTreeSource : public FetchSource
{
public:
    bool read(const std::string& serverPath, std::string& bytes, std::string& error) override;
    bool list(const std::string& serverFolder, std::vector<std::string>& names, std::string& error) override;
    bool isFolder(const std::string& serverPath) override;
    std::string realPath(const std::string& serverPath) override;
};

// The work area of a server: the main file at WorkArea/httpd.conf, the others
// where the file list puts them. Folders are those the work area holds.
class WorkAreaTreeSource : public TreeSource
{
public:
    WorkAreaTreeSource(QString workAreaFolder, const TreeManifest& manifest);
    bool read(const std::string& serverPath, std::string& bytes, std::string& error) override;
    bool list(const std::string& serverFolder, std::vector<std::string>& names, std::string& error) override;
    bool isFolder(const std::string& serverPath) override;
    // The file in the work area for a server path; "" when the tree has none.
    QString localPath(const std::string& serverPath) const;

private:
    QString m_folder;
    const TreeManifest& m_manifest;
};

// Server paths as an FTP or SFTP account names them, and back.
struct AccountPaths
{
    std::string accountRoot = "/";
    // "" when the server path lies outside what the account sees.
    std::string toAccount(const std::string& serverPath) const;
    std::string toServer(const std::string& accountPath) const;
    // A folder above the account root: it exists on the server, and the only
    // name the account can see in it is the next one toward its root ("" for
    // a path that is no such folder).
    std::string nameTowardRoot(const std::string& serverFolder) const;
};

// Runs on the thread that drives the session (SftpTransfer's worker).
class SftpTreeSource : public FetchSource
{
public:
    SftpTreeSource(SftpSession& session, AccountPaths paths) : m_session(session), m_paths(std::move(paths))
    {
    }
    bool read(const std::string& serverPath, std::string& bytes, std::string& error) override;
    bool list(const std::string& serverFolder, std::vector<std::string>& names, std::string& error) override;
    bool isFolder(const std::string& serverPath) override;
    std::string realPath(const std::string& serverPath) override;

private:
    SftpSession& m_session;
    AccountPaths m_paths;
};

class FtpTreeSource : public FetchSource
{
public:
    FtpTreeSource(net::CFtpClient& client, AccountPaths paths) : m_client(client), m_paths(std::move(paths))
    {
    }
    bool read(const std::string& serverPath, std::string& bytes, std::string& error) override;
    bool list(const std::string& serverFolder, std::vector<std::string>& names, std::string& error) override;
    bool isFolder(const std::string& serverPath) override;
    std::string realPath(const std::string& serverPath) override;

private:
    struct Item
    {
        bool folder = false;
        std::string link; // target of a symbolic link as listed
    };
    bool listing(const std::string& accountFolder, std::map<std::string, Item>*& items, std::string& error);

    net::CFtpClient& m_client;
    AccountPaths m_paths;
    std::map<std::string, std::map<std::string, Item>> m_listings; // by account folder
};

} // namespace corvane
