#pragma once
// One server's folder under the application folder as the transfer uses it:
// Backup/httpd.conf (the file as last fetched) with the older fetches beside
// it as httpd1.conf, httpd2.conf ..., and WorkArea/httpd.conf (the working
// copy).
#include "registry/AppFolder.h"
#include "transfer/ServerTree.h"

#include <QDateTime>
#include <QString>

#include <map>
#include <string>
#include <vector>

namespace corvane {

class ServerWorkArea
{
public:
    ServerWorkArea(const AppFolder& folder, const QString& serverName);

    // "" when the server name is refused as a folder name.
    const QString& serverFolder() const { return m_serverFolder; }
    bool isValid() const { return !m_serverFolder.isEmpty(); }
    QString backupFolder() const;
    QString workAreaFolder() const;
    QString backupFile() const;     // Backup/httpd.conf
    QString workingCopy() const;    // WorkArea/httpd.conf
    QString workingCopyBak() const; // WorkArea/httpd_bak.conf
    QString downloadFile() const;   // WorkArea/httpd.conf.download (a fetch in progress)
    QString sentCopy() const;       // WorkArea/httpd.conf.sent (what the last upload sent)

    // The files of a split configuration: WorkArea/files.list lists them (see
    // ServerTree), Backup holds them as fetched (Backup/files.list, tree/,
    // outside/), WorkArea/sent/ what the last upload sent of each.
    QString manifestFile() const;
    QString backupManifestFile() const;
    // The server's file list as last fetched; only the main file for a server
    // fetched before files were followed.
    TreeManifest manifest() const;
    // The working copy, the copy as fetched and the copy last sent of a file of the tree.
    QString workFile(const TreeEntry& entry) const;
    QString fetchedFile(const TreeEntry& entry) const;
    QString sentFile(const TreeEntry& entry) const;
    // Bytes of the file the server has now as far as we know: what the last
    // upload sent, else what was fetched.
    QString serverCopy(const TreeEntry& entry) const;
    // The files of the tree whose working copy differs from the server's copy.
    std::vector<TreeEntry> changedFiles(const TreeManifest& manifest) const;
    // A fetched tree becomes the new Backup and WorkArea content after the
    // previous fetch (httpd.conf and the tree) is rotated away: the main file
    // from `fetchedMain`, the others from `contents`.
    bool installFetchedTree(const QString& fetchedMain, const TreeManifest& manifest,
                            const std::map<std::string, std::string>& contents,
                            QString* error = nullptr) const;
    // After an upload of a split configuration: these files are what the server has now.
    bool recordSentFiles(const std::vector<TreeEntry>& sent, QString* error = nullptr) const;

    // Creates the server folder, Backup and WorkArea when missing.
    bool ensureFolders() const;
    // Before a fetch: Backup/httpd.conf (when there) becomes httpdN.conf with
    // N one above the highest number in use. False only when that rename fails.
    bool RotateBackup() const;
    // Deletes the files of Backup and WorkArea, those folders and the server
    // folder itself.
    bool RemoveServerFolder() const;
    // A fetched file (at `fetched`) becomes the new Backup/httpd.conf and
    // WorkArea/httpd.conf, after rotating the previous backup. The fetched
    // file is removed. False with `error` set when a step fails; the previous
    // working copy then stays as it was.
    bool installFetched(const QString& fetched, QString* error = nullptr) const;

    // True when the working copy holds changes that were neither fetched
    // (Backup/httpd.conf) nor sent by the last upload (WorkArea/httpd.conf.sent).
    bool hasUnsentChanges() const;
    // Keeps the working copy as Backup/httpd-unsent-dd-MM-yyyy-hh-mm-ss.conf
    // before a fetch replaces it, and the other changed files of a split
    // configuration in the folder Backup/httpd-unsent-dd-MM-yyyy-hh-mm-ss/;
    // `keptPath` receives the name of the first.
    bool keepUnsentCopy(QString* keptPath, QString* error = nullptr) const;
    // Puts every changed file of the working copy back to what the server has
    // (as the last upload sent it, else as fetched), after keeping the
    // changed files as keepUnsentCopy does; `keptPath` names the kept copy.
    // True with an empty `keptPath` when nothing was changed.
    bool revertChanges(QString* keptPath, QString* error = nullptr) const;
    // After an upload: the working copy is what the server now has.
    bool recordSent(QString* error = nullptr) const;

    // The main file a local path names: the file itself, or in a folder
    // `mainName` (when given), else httpd.conf, else apache2.conf. "" when none.
    static QString localMainFile(const QString& path, const QString& mainName = QString());

    // "httpd" + mmddyy + "-" + hhmmss + ".conf", the name the server's
    // previous file gets before an upload.
    static QString datedConfName(const QDateTime& when = QDateTime::currentDateTime());
    // Copies a file by writing a temporary file beside the target and renaming it.
    static bool copyFileAtomic(const QString& from, const QString& to, QString* error = nullptr);

private:
    bool rotateBackup(QString* newName) const;
    bool replaceTree(const QString& base, const TreeManifest& manifest,
                     const std::map<std::string, std::string>& contents, QString* error) const;

    QString m_serverFolder;
};

} // namespace corvane
