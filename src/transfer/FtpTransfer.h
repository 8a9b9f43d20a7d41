#pragma once
// Fetching and sending httpd.conf over FTP with our CFtpClient, with the
// status texts of the connecting page. The client is asynchronous; each step
// waits for its completion in a local event loop, so the window stays
// responsive, and every wait is bounded by the client's timeout.
#include "model/ConfigTree.h"
#include "transfer/TransferCallbacks.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace corvane {

namespace net {
class CFtpClient;
}
class ServerWorkArea;

class FtpTransfer
{
public:
    struct Settings
    {
        QString host;
        int port = 21;
        QString user;
        QString password;
        QString remoteFolder;
        int timeoutSeconds = 500;
        // Connecting and the greeting together; 0 or less: no limit of their own.
        int connectTimeoutSeconds = 30;
        // Any one FTP operation in all, however often the server shows signs of life.
        int operationDeadlineSeconds = 600;
        // CFtpClient::TlsMode: 0 never, 1 if offered, 2 required.
        int tlsMode = 1;
        // Certificates the administrator accepted: "host:port FINGERPRINT" lines.
        QString certificatesFile;
        // The main file's name in the remote folder ("": httpd.conf, else
        // apache2.conf when only that is there), the server root ("": from
        // the main file), the server folder the account sees as "/" ("" is
        // "/") and the version (how folders are included).
        QString mainFile;
        QString serverRoot;
        QString accountRoot;
        QString apacheVersion;
    };

    FtpTransfer(Settings settings, TransferCallbacks callbacks);
    ~FtpTransfer();

    // Logs in, changes to the remote folder and fetches httpd.conf into the
    // work area (older fetches rotated to httpdN.conf). On failure of a new
    // server (`removeFolderOnFailure`) its half-made folder is removed.
    bool DownloadViaFtp(const ServerWorkArea& workArea, bool removeFolderOnFailure);
    // Logs in, renames the server's httpd.conf to its dated name and uploads
    // `localFile` as httpd.conf. When the upload fails after the rename, the
    // dated file is renamed back (over a new connection if need be).
    bool UploadViaFtp(const QString& localFile);
    void DisconnectAll();
    // Logs in, then runs `work` with the client; false (status set) when the login fails.
    bool withClient(const std::function<void(net::CFtpClient&)>& work);
    // What following the includes of the last fetch found wrong or could not resolve.
    const TreeReport& treeReport() const { return m_treeReport; }
    // Counts the files of a fetch and stops at its cancel request (not owned).
    void setMeter(ProgressMeter* meter) { m_meter = meter; }
    // The last transfer stopped at a cancel request before it changed anything.
    bool cancelled() const { return m_cancelled; }

    // The status line text for a client state; no value leaves it unchanged.
    static std::optional<QString> stateText(int state, const QString& server);
    // The dated name the server's previous file got in the last upload.
    const QString& datedName() const { return m_datedName; }
    // The client of the transfer in progress (tests cut its connection).
    net::CFtpClient* client() const { return m_client.get(); }
    // Whether the last connection was protected by TLS.
    bool tlsUsed() const { return m_tlsUsed; }
    // How the last connection was protected, e.g. "TLS 1.3, certificate
    // verified by the system"; "" when none was made.
    const QString& protectionUsed() const { return m_protection; }

    // The pinned certificate of host:port in `file`, "" when none.
    static QString pinnedCertificate(const QString& file, const QString& host, int port);
    static bool pinCertificate(const QString& file, const QString& host, int port, const QString& fingerprint,
                               QString* error);

private:
    void newClient();
    bool connectAndChangeFolder();
    QString errorText() const;
    // What went wrong, in words that name the cause (refused, no answer, ...).
    QString causeText() const;
    void status(const QString& text);
    bool restoreAfterFailedUpload(const QString& dated);

    Settings m_settings;
    TreeReport m_treeReport;
    TransferCallbacks m_cb;
    ProgressMeter* m_meter = nullptr;
    bool m_cancelled = false;
    std::unique_ptr<net::CFtpClient> m_client;
    QString m_datedName;
    QString m_failure;
    qint64 m_total = -1; // size of the file being uploaded
    bool m_tlsUsed = false;
    QString m_protection;
};

} // namespace corvane
