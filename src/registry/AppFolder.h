#pragma once
// The application folder: Corvane.ini, Corvane.dll and one folder per server
// (WorkArea with httpd.conf and Serialize.srl, Backup), plus the Backup folder
// that keeps the working copies of removed servers.
//
// Default: $XDG_DATA_HOME/corvane, else ~/.local/share/corvane. Every
// executable passes --app-dir DIR in instead when given. Paths use "/", have
// no trailing slash and are absolute.
//
// A server name becomes a folder name. Names that are empty after trimming
// blanks, ".", "..", contain "/", a double quote, "]" or a control character, are not valid UTF-8, or whose
// folder would lie outside the application folder are refused: the path functions return "" for them and
// nothing is created or deleted.
#include <QByteArray>
#include <QString>

#include <string>

namespace corvane {

class AppFolder
{
public:
    // `dir` empty: the default folder.
    explicit AppFolder(const QString& dir = QString());

    static QString defaultPath();

    const QString& path() const { return m_path; }
    QString iniPath() const;       // path + "/Corvane.ini"
    QString cataloguePath() const; // path + "/Corvane.dll"
    QString backupFolder() const;  // path + "/Backup" (copies of removed servers)

    // Checks a server name; on refusal `error` (when given) says why.
    static bool isValidServerName(const std::string& name, QString* error = nullptr);
    // Also refuses a server folder that exists but resolves (through a
    // symbolic link) outside the application folder, and one whose WorkArea
    // or Backup is a symbolic link or a file.
    bool checkServerName(const std::string& name, QString* error = nullptr) const;

    // True when a new server may not take `name` because a registered server
    // or an entry of the application folder already has it in any letter
    // case ("Web" takes "web"); `takenAs` receives the existing spelling.
    bool serverNameTaken(const std::string& name, QString* takenAs = nullptr) const;
    // The registry section `name` is spelled as in Corvane.ini, compared
    // without regard to case; "" when no server of that name is registered.
    QString registeredSpelling(const std::string& name) const;

    // The server's folders and files; "" for a refused name. The name is
    // trimmed of blanks first.
    QString serverFolder(const std::string& server) const;       // path + "/" + server
    QString workAreaFolder(const std::string& server) const;     // .../WorkArea
    QString serverBackupFolder(const std::string& server) const; // .../Backup
    QString workingCopyPath(const std::string& server) const;    // .../WorkArea/httpd.conf
    QString snapshotPath(const std::string& server) const;       // .../WorkArea/Serialize.srl

    // True when `path` does not exist or is a folder that is not a symbolic link.
    static bool isRealFolderOrMissing(const QString& path);

    bool exists() const;
    // Creates the folder (mode 0700) when missing; on that first start it is
    // filled with the Sample server's working copy. An existing folder is
    // left as it is (a removed Sample stays removed). True when the folder
    // exists afterwards.
    bool ensureCreated(QString* error = nullptr) const;
    // Writes Sample/WorkArea/httpd.conf when it is missing (or always, with
    // `overwrite`). True when the file is there afterwards.
    bool ensureSample(bool overwrite = false, QString* error = nullptr) const;
    // Writes `bytes` to path + "/" + relativePath atomically, creating parent
    // folders. Without `overwrite` an existing file is kept (and true is
    // returned). Refuses absolute paths and paths with "." or ".." parts.
    bool installFile(const QString& relativePath, const QByteArray& bytes, bool overwrite = false,
                     QString* error = nullptr) const;

    // The Sample server's httpd.conf as delivered with the program.
    static QByteArray sampleConfig();

private:
    QString m_path;
};

} // namespace corvane
