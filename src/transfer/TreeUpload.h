#pragma once
// Sending the changed files of a split configuration, all or none: each
// file's previous version is first given a name no Include of the
// configuration reads (so Apache never loads it as a second copy), then the
// new content is written in its place. When a file was reached through a
// symbolic link, the link stays and the file it leads to gets the content.
// If any file fails, every file already replaced is put back.
#include "transfer/ServerTree.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

namespace corvane {

class ProgressMeter;
class ServerWorkArea;
class SftpSession;
struct AccountPaths;
namespace net {
class CFtpClient;
}

// The few file operations an upload needs on the server, by server path.
class TreeWriter
{
public:
    virtual ~TreeWriter() = default;
    virtual bool exists(const std::string& serverPath) = 0;
    virtual bool rename(const std::string& from, const std::string& to, std::string& error) = 0;
    // Creates `serverPath` with `bytes`, with the permissions of `like` where the server allows.
    virtual bool write(const std::string& serverPath, const std::string& bytes, const std::string& like,
                       std::string& error) = 0;
    virtual bool remove(const std::string& serverPath) = 0;
};

class LocalTreeWriter : public TreeWriter
{
public:
    bool exists(const std::string& serverPath) override;
    bool rename(const std::string& from, const std::string& to, std::string& error) override;
    bool write(const std::string& serverPath, const std::string& bytes, const std::string& like,
               std::string& error) override;
    bool remove(const std::string& serverPath) override;
};

// Runs on the thread that drives the session.
class SftpTreeWriter : public TreeWriter
{
public:
    SftpTreeWriter(SftpSession& session, const AccountPaths& paths) : m_session(session), m_paths(paths) {}
    bool exists(const std::string& serverPath) override;
    bool rename(const std::string& from, const std::string& to, std::string& error) override;
    bool write(const std::string& serverPath, const std::string& bytes, const std::string& like,
               std::string& error) override;
    bool remove(const std::string& serverPath) override;

private:
    SftpSession& m_session;
    const AccountPaths& m_paths;
};

class FtpTreeWriter : public TreeWriter
{
public:
    FtpTreeWriter(net::CFtpClient& client, const AccountPaths& paths) : m_client(client), m_paths(paths) {}
    bool exists(const std::string& serverPath) override;
    bool rename(const std::string& from, const std::string& to, std::string& error) override;
    bool write(const std::string& serverPath, const std::string& bytes, const std::string& like,
               std::string& error) override;
    bool remove(const std::string& serverPath) override;

private:
    net::CFtpClient& m_client;
    const AccountPaths& m_paths;
};

struct TreeUploadResult
{
    bool ok = false;
    QStringList lines;           // one line per file: sent, put back, not sent
    std::vector<TreeEntry> sent; // what the server now has from the work area
    QString mainKeptAs;          // the name the main file's previous version got ("" if not sent)
    bool cancelled = false;      // stopped at a cancel request
    bool restored = true;        // after a failure: every file replaced has its previous version back
};

class TreeUpload
{
public:
    // The bytes sent for a file: the working copy, with LF line ends for a
    // host that is not Windows.
    static bool bytesToSend(const ServerWorkArea& workArea, const TreeEntry& entry, bool windowsTarget,
                            std::string& bytes, std::string& error);
    // The name the previous version of `entry` gets on the server.
    static std::string keptNameFor(const TreeEntry& entry, const TreeManifest& manifest,
                                   const QDateTime& when);
    // `meter` (optional) is given the files and bytes to send and counts
    // each file sent; a cancel request stops the upload before the next
    // file, and what was replaced is put back as after a failure.
    static TreeUploadResult run(TreeWriter& writer, const ServerWorkArea& workArea,
                                const TreeManifest& manifest, const std::vector<TreeEntry>& changed,
                                bool windowsTarget, const QDateTime& when = QDateTime::currentDateTime(),
                                ProgressMeter* meter = nullptr);
};

} // namespace corvane
