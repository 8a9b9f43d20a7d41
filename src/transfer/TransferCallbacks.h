#pragma once
// How a transfer talks to whoever shows it: the connecting page of a wizard or
// the command-line tool. Every member may be left empty. They are always
// called on the thread that started the transfer, also when the work itself
// runs on a worker thread (SFTP), so a dialog can update its widgets directly.
#include "transfer/TransferProgress.h"

#include <QString>

#include <functional>
#include <optional>

namespace corvane {

struct TransferCallbacks
{
    // The status line (lblConnStatus).
    std::function<void(const QString& text)> status;
    // The SFTP log list (Log): add a line, clear it, show or hide it.
    std::function<void(const QString& line)> log;
    std::function<void()> clearLog;
    std::function<void(bool visible)> showLog;
    // The page's buttons: Back (retry from the previous page) and Next/Finish.
    std::function<void(bool enabled, bool visible)> back;
    std::function<void(bool enabled)> next;

    // An SSH server offers a key that the known-hosts file does not hold yet.
    // True stores it and goes on; false refuses the connection.
    std::function<bool(const QString& host, const QString& fingerprint)> acceptHostKey;
    // An FTP server's TLS certificate that the system does not verify and that
    // was not accepted before. True pins it (like an SSH host key) and goes on.
    std::function<bool(const QString& server, const QString& fingerprint)> acceptCertificate;
    // How the connection is protected, once it is made (shown on the page).
    std::function<void(const QString& text)> protection;
    // A keyboard-interactive question of the server (the prompt dialog).
    // No value cancels the authentication.
    std::function<std::optional<QString>(const QString& prompt, bool echo)> prompt;
    // The pass phrase of an encrypted private key file. No value gives up.
    std::function<std::optional<QString>(const QString& keyFile)> passphrase;
    // A fetch would replace a working copy with changes that were never
    // sent. True: keep a dated copy of it in Backup and fetch; false or
    // unset: nothing is fetched.
    std::function<bool(const QString& server)> discardUnsentChanges;
    // How the SFTP login succeeded, e.g. "Public key from ssh-agent".
    std::function<void(const QString& how)> authenticated;
    // Bytes of the current file moved so far, and the file's size (-1 unknown).
    std::function<void(qint64 done, qint64 total)> progress;
    // Files and bytes of the whole fetch or upload so far, at most about ten
    // times a second; the last report has `finished` set.
    std::function<void(const TransferProgress& progress)> transferProgress;
};

} // namespace corvane
