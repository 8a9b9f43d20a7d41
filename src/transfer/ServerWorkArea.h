#pragma once
// One server's folder under the application folder as the transfer uses it:
// Backup/httpd.conf (the file as last fetched) with the older fetches beside
// it as httpd1.conf, httpd2.conf ..., and WorkArea/httpd.conf (the working
// copy).
#include "registry/AppFolder.h"

#include <QDateTime>
#include <QString>

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
    // before a fetch replaces it; `keptPath` receives the name.
    bool keepUnsentCopy(QString* keptPath, QString* error = nullptr) const;
    // After an upload: the working copy is what the server now has.
    bool recordSent(QString* error = nullptr) const;

    // "httpd" + mmddyy + "-" + hhmmss + ".conf", the name the server's
    // previous file gets before an upload.
    static QString datedConfName(const QDateTime& when = QDateTime::currentDateTime());
    // Copies a file by writing a temporary file beside the target and renaming it.
    static bool copyFileAtomic(const QString& from, const QString& to, QString* error = nullptr);

private:
    bool rotateBackup(QString* newName) const;

    QString m_serverFolder;
};

} // namespace corvane
