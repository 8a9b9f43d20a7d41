#pragma once
// What the connecting page does, without the page: fetch a server's
// httpd.conf into its work area (from a local path, over FTP or over SFTP) or
// send the working copy back with a dated copy of the previous file kept on
// the server, and register a new server when the wizard finishes. Status and
// log texts, button states and questions go through TransferCallbacks, so
// the wizard page and the command-line tool show the same.
#include "model/ConfigTree.h"
#include "registry/AppFolder.h"
#include "transfer/FtpTransfer.h"
#include "transfer/ServerTree.h"
#include "transfer/SftpTransfer.h"
#include "transfer/TransferCallbacks.h"
#include "transfer/TransferState.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace corvane {

class FtpTransfer;
class ProgressMeter;
class ServerWorkArea;
class Servers;
class SftpTransfer;

class ConfigTransfer
{
public:
    ConfigTransfer(AppFolder folder, TransferState& state, TransferCallbacks callbacks);
    ~ConfigTransfer();

    // Texts of the page.
    static QString titleText() { return QStringLiteral("Establish Connection"); }
    static QString explanationText(const TransferState& state);

    // Runs the transfer the state asks for (upload, fetch of a registered
    // server, or first fetch of a new one) and returns when it has ended.
    // The caller's events keep running meanwhile. TransferFailed tells how it went.
    void StartTransfer();
    // Finish: registers a new server unless the transfer failed or was an
    // upload or a fetch of a registered server, closes connections and
    // resets the state. True when the server was registered.
    bool Finish();
    // Back: clears TransferFailed and closes connections. The folder of a
    // new server that this transfer created goes again.
    void Back();
    // Cancel of the wizard: closes connections and removes the folder of a
    // new server that this transfer created (nothing was registered).
    void Cancel();

    // Asks the running transfer to stop (any thread). It stops before the
    // next file: a fetch keeps none of what it read and leaves the work area
    // as it was, an upload puts back what it replaced, as after a failure.
    void cancel();
    // The transfer ended because it was cancelled (TransferFailed is set too).
    bool cancelled() const { return m_cancelled; }
    // Shortest time between two progress reports (0: every file).
    void setProgressInterval(int ms);
    static QString cancelledText(bool upload);

    // Writes the new server's section of Corvane.ini in one step.
    bool SaveServerSettings();
    bool RemoveServerFolder();
    void DisconnectAll();

    // Fills the wizard state from a registered server's section, as the Get
    // command does before it fetches.
    static void loadServerIntoState(const AppFolder& folder, const QString& server, TransferState& state);

    // The known-hosts file of the application folder.
    QString knownHostsFile() const;
    // The administrator's OpenSSH folder: $HOME/.ssh unless set.
    QString sshDirectory() const;
    void setSshDirectory(const QString& path) { m_sshDirectory = path; }
    // How the last SFTP connection authenticated ("" for none yet).
    const QString& authUsed() const { return m_authUsed; }
    // How the last FTP connection was protected ("" for none yet).
    const QString& protectionUsed() const { return m_protectionUsed; }
    // FTP certificates the administrator accepted, beside it.
    QString knownCertificatesFile() const;
    // FTP_TLS text ("required", "optional", "never"; "" is "optional") as a CFtpClient::TlsMode.
    static int tlsModeOf(const QString& text);
    // --tls for this run; overrides the server's FTP_TLS ("" keeps it).
    void setFtpTls(const QString& mode) { m_ftpTls = mode; }
    void setFtpTimeout(int seconds) { m_ftpTimeout = seconds; }
    // Seconds connecting and the greeting may take; overrides the server's
    // CONNECT_TIMEOUT. 0: the server's setting, else 30.
    void setConnectTimeout(int seconds) { m_connectTimeout = seconds; }
    static constexpr int kDefaultConnectTimeout = 30;
    void setSftpTimeout(int seconds) { m_sftpTimeout = seconds; }

    const QString& lastStatus() const { return m_lastStatus; }
    // After a failure: the status that said what went wrong, before the
    // page's closing "Connection To Server ... failed.".
    const QString& failureCause() const { return m_failureCause; }
    // The name the server's previous file got in the last upload ("" if none).
    const QString& datedName() const { return m_datedName; }
    // Where the last fetch kept a working copy with unsent changes ("" if none).
    const QString& keptUnsentCopy() const { return m_keptUnsent; }
    // What following the includes of the last fetch found wrong or could not resolve.
    const TreeReport& treeReport() const { return m_treeReport; }
    // One line per file of the last upload of a split configuration.
    const QStringList& uploadLines() const { return m_uploadLines; }

private:
    void status(const QString& text);
    void back(bool enabled, bool visible);
    void next(bool enabled);
    void showLog(bool visible, bool clear);
    void reportTree();
    void upload();
    void fetchRemote(const ServerWorkArea& workArea);
    void fetchLocal(const ServerWorkArea& workArea);
    bool keepUnsentChanges(const ServerWorkArea& workArea);
    // A password that is not stored is asked through the prompt callback
    // when the connection needs one; false (the transfer failed) without an answer.
    bool askPasswordIfNeeded(bool sftp, int authType, const QString& user, const QString& host,
                             QString& password, bool known);
    void dropCreatedFolder();
    bool uploadLocal(const QString& workingCopy, const QString& localConf);
    void uploadTree(const ServerWorkArea& workArea, const TreeManifest& manifest, bool isSftp,
                    bool windowsTarget);
    TransferCallbacks wrappedCallbacks();
    QString serverName() const;
    // Keeps how a registered server was logged into in its section.
    void rememberAuthUsed(const QString& server);
    // Keeps how a registered server's FTP connection was protected in its section.
    void rememberProtectionUsed(const QString& server);
    int connectTimeoutFor(const QString& server) const;
    // A registered server's connection settings, its password asked for when
    // it is kept nowhere; false (the transfer failed) when none was given.
    bool registeredSftpSettings(const QString& server, SftpTransfer::Settings& s);
    bool registeredFtpSettings(const QString& server, FtpTransfer::Settings& s);
    bool workAreaWritable(const ServerWorkArea& workArea);

    AppFolder m_folder;
    TransferState& m_state;
    TransferCallbacks m_cb;
    std::unique_ptr<FtpTransfer> m_ftp;
    std::unique_ptr<SftpTransfer> m_sftp;
    int m_ftpTimeout = 500;
    int m_sftpTimeout = 30;
    int m_connectTimeout = 0;
    QString m_ftpTls;
    bool m_tlsUsed = false;
    QString m_failureCause;
    QString m_lastStatus;
    QString m_datedName;
    QString m_keptUnsent;
    bool m_createdFolder = false; // a new server's folder made by this transfer
    QString m_sshDirectory;
    QString m_authUsed;
    QString m_protectionUsed;
    TreeReport m_treeReport;
    QStringList m_uploadLines;
    std::unique_ptr<ProgressMeter> m_meter;
    bool m_cancelled = false;
};

} // namespace corvane
