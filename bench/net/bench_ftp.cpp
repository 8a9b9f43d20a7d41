// Fetch and store of one large file over loopback against a real vsftpd, with
// curl doing the same transfers in the same run. Prints MB/s for both and the
// ratio; fails when the client is slower than 0.8x curl.
#include "VsftpdServer.h"
#include "net/CFtpClient.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using corvane::net::CFtpClient;

namespace {

constexpr int kRounds = 3;

bool writeRandomFile(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QRandomGenerator generator(42);
    QByteArray block(4 * 1024 * 1024, Qt::Uninitialized);
    for (qint64 left = size; left > 0; left -= block.size()) {
        generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        if (file.write(block.constData(), std::min<qint64>(left, block.size())) < 0)
            return false;
    }
    return true;
}

QByteArray digest(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result().toHex() : QByteArray("?");
}

// Seconds for one transfer, or a negative value when it failed.
double timeClient(const VsftpdServer& server, bool upload, const QString& local, const QString& remote)
{
    CFtpClient ftp;
    ftp.setFtpServer(server.host());
    ftp.setRemotePort(server.port());
    ftp.setUserName(VsftpdServer::user());
    ftp.setPassword(VsftpdServer::password());
    ftp.setPassiveMode(true);
    ftp.setTimeOut(60);
    QElapsedTimer clock;
    clock.start();
    if (!ftp.Connect() || ftp.waitForResult() != 0)
        return -1;
    const bool started = upload ? ftp.UploadFile(local, remote) : ftp.DownloadFile(remote, local, true);
    if (!started || ftp.waitForResult() != 0) {
        std::fprintf(stderr, "client: %d %s\n", ftp.LastFtpError().Number,
                     qPrintable(ftp.LastFtpError().Description));
        return -1;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    ftp.CloseControlConnection();
    return seconds;
}

double timeCurl(const VsftpdServer& server, bool upload, const QString& local, const QString& remote)
{
    const QString url = QStringLiteral("ftp://%1:%2/%3").arg(server.host()).arg(server.port()).arg(remote);
    QStringList arguments{QStringLiteral("-s"), QStringLiteral("-S"), QStringLiteral("--user"),
                          VsftpdServer::user() + QLatin1Char(':') + VsftpdServer::password()};
    if (upload)
        arguments << QStringLiteral("-T") << local << url;
    else
        arguments << QStringLiteral("-o") << local << url;
    QProcess curl;
    QElapsedTimer clock;
    clock.start();
    curl.start(QStringLiteral("curl"), arguments);
    if (!curl.waitForFinished(600000) || curl.exitCode() != 0) {
        std::fprintf(stderr, "curl: %s\n", curl.readAllStandardError().constData());
        return -1;
    }
    return clock.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 200;
    const qint64 size = megabytes * 1024 * 1024;
    if (const QString reason = VsftpdServer::skipReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "skipped: %s\n", qPrintable(reason));
        return 0;
    }
    VsftpdServer server;
    if (!server.start()) {
        std::fprintf(stderr, "vsftpd: %s\n", qPrintable(server.error()));
        return 2;
    }
    QTemporaryDir local;
    const QString source = local.filePath(QStringLiteral("source.bin"));
    if (!writeRandomFile(source, size) || !QFile::copy(source, server.path(QStringLiteral("big.bin")))) {
        std::fprintf(stderr, "cannot create the %lld MB test file\n", megabytes);
        return 2;
    }
    const QByteArray expected = digest(source);

    struct Row
    {
        const char* name;
        bool upload;
    };
    bool ok = true;
    std::printf("%-6s %12s %12s %8s   (%lld MB, best of %d, loopback, vsftpd)\n", "", "corvane MB/s",
                "curl MB/s", "ratio", megabytes, kRounds);
    for (const Row row : {Row{"fetch", false}, Row{"store", true}}) {
        double ours = 1e9, theirs = 1e9;
        for (int round = 0; round < kRounds; ++round) {
            // Alternate who goes first so that caches favour neither.
            for (int turn = 0; turn < 2; ++turn) {
                const bool client = (turn + round) % 2 == 0;
                const QString remote =
                    row.upload ? QStringLiteral("up-%1.bin").arg(client) : QStringLiteral("big.bin");
                const QString file = row.upload ? source : local.filePath(QStringLiteral("down.bin"));
                QFile::remove(local.filePath(QStringLiteral("down.bin")));
                const double seconds = client ? timeClient(server, row.upload, file, remote)
                                              : timeCurl(server, row.upload, file, remote);
                const QString check = row.upload ? server.path(remote) : file;
                if (seconds < 0 || digest(check) != expected) {
                    std::fprintf(stderr, "%s by %s failed or differs\n", row.name,
                                 client ? "corvane" : "curl");
                    return 2;
                }
                (client ? ours : theirs) = std::min(client ? ours : theirs, seconds);
            }
        }
        const double mbOurs = megabytes / ours, mbCurl = megabytes / theirs;
        const double ratio = mbOurs / mbCurl;
        std::printf("%-6s %12.1f %12.1f %8.2f %s\n", row.name, mbOurs, mbCurl, ratio,
                    ratio >= 0.8 ? "ok" : "TOO SLOW");
        ok = ok && ratio >= 0.8;
    }
    return ok ? 0 : 1;
}
