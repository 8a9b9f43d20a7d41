#pragma once
// What the syntax checker is given to read instead of the working copy.
// `apache2 -t` loads every library a LoadModule or LoadFile line names while
// it reads, so a fetched configuration could make the check run code of its
// choosing. The copy handed to the checker therefore differs from the working
// copy only in those lines, on the same line numbers:
// - a LoadModule/LoadFile path whose real location lies in one of the trusted
//   folders (the local Apache's modules folder, the system's library folders)
//   is given as that real, absolute path;
// - any other path is replaced by the file of the same name in the local
//   modules folder, when there is one;
// - otherwise the check stops with a message naming the line.
// Nothing inside the application folder (where fetched files live) is ever
// named to the checker: such a LoadModule/LoadFile is mapped or refused like
// any other, and an Include, IncludeOptional or ServerRoot that points there,
// or any of these built from ${variables}, stops the check.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvane {

class CheckerInput
{
public:
    struct Places
    {
        QString applicationFolder;
        QString modulesFolder;      // the local Apache's modules
        QStringList libraryFolders; // the system's library folders
        QString defaultServerRoot;  // the checker's own ServerRoot (HTTPD_ROOT)
        // Checking a copy of a server's tree: an absolute Include,
        // IncludeOptional or ServerRoot path that leads into the tree is
        // given as the same path below `treeCopy`, where the copy mirrors the
        // server's paths. Empty: paths are left as they are.
        QString treeCopy;
        // With a tree copy: where ErrorLog files go instead (the check
        // refuses a log folder that does not exist on this machine).
        QString runtimeFolder;
    };

    struct Result
    {
        bool ok = false;
        QByteArray text; // the configuration the checker reads
        QString message; // why the check stops (ok false)
    };

    // `config` is the working copy's text, `shownPath` its path for messages.
    static Result prepare(const QByteArray& config, const QString& shownPath, const Places& places);

    // The places of this system: Debian's /usr/lib/apache2/modules (or the
    // first other usual modules folder that exists) and /lib, /lib64,
    // /usr/lib, /usr/lib64, /usr/local/lib.
    static Places systemPlaces(const QString& applicationFolder, const QString& defaultServerRoot);
};

} // namespace corvane
