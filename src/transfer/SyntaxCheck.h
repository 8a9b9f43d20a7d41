#pragma once
// Checks a server's working copy with a real Apache before it is sent:
// <checker> -f <copy> -t, and the upload goes ahead without a question only
// when the output says "Syntax OK".
//
// The working copy is fetched from elsewhere and must not run code here: the
// checker reads a copy prepared by CheckerInput (libraries only from the
// local Apache and the system's library folders, nothing from the
// application folder), is started with an argument list (never a command
// line split again), a minimal environment and, when Corvane runs as root,
// as an unprivileged user (nobody, else www-data). Its messages name the
// working copy, not the copy it read.
//
// The checker for a version: ApacheServer/<major.minor>/ under the
// application folder (for 2.x also ApacheServer/2.0/) holding an executable
// httpd or apache2; otherwise apache2 or httpd on the PATH or in /usr/sbin.
// Versions below 1.3 are not checked.
//
// A split configuration is checked as the server would read it: the work
// area's files are copied below a private folder at their server paths,
// with ServerRoot and the absolute Include paths into the tree led there;
// apache2 gets -d and -f into that copy, the variables of the tree's own
// envvars (read, never run) and a private runtime folder. Its messages name
// the files and lines as they are on the server.
#include "registry/AppFolder.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvane {

class DOSOutputs;

class SyntaxCheck
{
public:
    explicit SyntaxCheck(AppFolder folder);

    // False for versions whose first three characters read as a number below
    // 1.3 (or not as a number at all).
    static bool isSupportedVersion(const QString& version);
    // "Syntax checking not supported with current Apache Server " + version.
    static QString notSupportedText(const QString& version);
    // The executable for a version; "" when there is none.
    QString checkerFor(const QString& version) const;
    static QString commandLine(const QString& checker, const QString& configPath);
    // The arguments the checker gets for a configuration file.
    static QStringList arguments(const QString& configPath);
    // The environment the checker runs in: a fixed PATH and LANG=C, plus
    // Debian's envvars for an apache2 outside the application folder.
    QProcessEnvironment environmentFor(const QString& checker) const;
    static QProcessEnvironment minimalEnvironment();

    // The Apache of this machine: apache2 or httpd on the PATH or in the
    // search folders; "" when there is none.
    QString localApache() const;
    // Its version as `apache2 -v` (or `httpd -v`) prints it: "Server version:
    // Apache/2.4.62 (Debian)" gives "2.4.62". "" when there is no Apache or
    // it does not answer within timeoutMs; it runs in the minimal
    // environment, and only the first bytes of its output are read.
    QString localApacheVersion(int timeoutMs = 5000) const;
    static QString versionFromBanner(const QByteArray& output);

    struct Account
    {
        QString name;
        unsigned uid = 0;
        unsigned gid = 0;
    };
    // The account the checker runs as: none (our own) unless we run as root.
    static std::optional<Account> checkerAccount();
    static bool syntaxOk(const QString& outputs) { return outputs.contains(QLatin1String("Syntax OK")); }

    // Checks the server's working copy: the text shown on the page (the
    // checker's output, the not-supported text or "File or command not
    // found") arrives through `runner`'s ReceiveOutputs and is returned.
    QString run(const QString& serverName, DOSOutputs& runner) const;

    // The modules the version's checker has compiled in, as "-l" lists them
    // ("mod_logio.c"); empty without a checker. Asked once per checker.
    QStringList compiledInModules(const QString& version) const;
    // The module names in the output of "-l".
    static QStringList parseCompiledIn(const QString& output);

    // The check with nobody watching its output (the console's check after
    // each change): what it found and everything the checker said.
    struct Verdict
    {
        enum class State
        {
            Ok,
            Error,
            NoChecker // a version that is not checked, or no checker for it
        };
        State state = State::NoChecker;
        QString apacheVersion;
        QString output;
    };
    Verdict check(const QString& serverName) const;

    // For tests: where the PATH search looks, and the envvars file.
    void setSearchPath(const QStringList& dirs) { m_searchPath = dirs; }
    void setEnvvarsPath(const QString& path) { m_envvars = path; }

private:
    AppFolder m_folder;
    QStringList m_searchPath;
    QString m_envvars;

    QString serverRootOf(const QString& checker, const std::optional<Account>& account) const;
    // A split configuration: the checker reads a copy of the whole tree at
    // the server's own paths below a private folder.
    QString runTree(const QString& serverName, const QString& checker, DOSOutputs& runner) const;
};

} // namespace corvane
