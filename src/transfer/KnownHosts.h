#pragma once
// Looks an SSH server's host key up in OpenSSH known_hosts files: our own
// file in the application folder, the administrator's ~/.ssh/known_hosts and
// the system's /etc/ssh/ssh_known_hosts. Lines may name hosts plainly, with
// wildcards and negations, as [host]:port, or hashed (|1|salt|hash). The
// answer names the file and line that decided it, so a refusal can say
// which line holds the old key.
#include <QString>
#include <QStringList>

struct ssh_key_struct;

namespace corvane {

class KnownHosts
{
public:
    enum class Status
    {
        Known,   // a line holds this very key
        Unknown, // no line names the host
        Changed, // lines name the host, none with this key (or the key is revoked)
    };
    struct Result
    {
        Status status = Status::Unknown;
        QString file; // the line that decided, for Known and Changed
        int line = 0;
        bool revoked = false;
    };

    // The name a host is written under: "host" on port 22, "[host]:port" otherwise.
    static QString hostEntryName(const QString& host, int port);
    // `files` in the order they are consulted; missing files are skipped.
    static Result check(const QStringList& files, const QString& host, int port, ssh_key_struct* key);
    // True when one of the comma-separated patterns of a line's first field
    // names `name` and none of its negated patterns does.
    static bool hostMatches(const QString& patterns, const QString& name);
};

} // namespace corvane
