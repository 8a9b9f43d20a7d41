// Progress and cancellation of a fetch and an upload of a split
// configuration, against a local folder, a real vsftpd and a real sshd on
// 127.0.0.1: the reports only ever grow and end at the totals; a fetch
// cancelled midway leaves the work area byte for byte as it was, an upload
// cancelled midway leaves every file of the server as it was.
#include "SshdServer.h"
#include "TestFiles.h"
#include "VsftpdServer.h"

#include "registry/AppFolder.h"
#include "transfer/ConfigTransfer.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/TransferProgress.h"

#include <QDir>
#include <QDirIterator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

using namespace corvane;
using corvane::test::readFile;
using corvane::test::writeFile;

namespace {

const char* kServer = "web";
constexpr int kIncluded = 12; // files under conf.d

// Every file below a folder with its bytes, by relative path.
std::map<QString, QByteArray> snapshot(const QString& root)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[path.mid(root.size() + 1)] = readFile(path);
    }
    return files;
}

QByteArray included(int i, int revision)
{
    return "# site " + QByteArray::number(i) + ", revision " + QByteArray::number(revision) +
           "\n<VirtualHost *:80>\n    ServerName site" + QByteArray::number(i) +
           ".example.test\n    DocumentRoot /srv/site" + QByteArray::number(i) + "\n" +
           QByteArray(100 * i, '#') + "\n</VirtualHost>\n";
}

// What the reports said, and a hook to act on one of them.
struct Reports
{
    QList<TransferProgress> seen;
    std::function<void(const TransferProgress&)> onReport;
};

} // namespace

class TestTransferProgress : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void throttled();
    void reportsGrowToTheTotals_data() { methods(); }
    void reportsGrowToTheTotals();
    void cancelledFetchKeepsTheWorkArea_data() { methods(); }
    void cancelledFetchKeepsTheWorkArea();
    void cancelledUploadKeepsTheServerFiles_data() { methods(); }
    void cancelledUploadKeepsTheServerFiles();

private:
    void methods();
    bool skipped(const QString& method);
    QString serverFolder(const QString& method) const;
    // The server's tree, revision `revision` of every file.
    void putTree(const QString& method, int revision);
    // The files of the tree on the server (not the previous versions an upload kept).
    std::map<QString, QByteArray> treeOnServer(const QString& method) const;
    // Adds the server with its first fetch.
    bool addServer(const QString& method);
    // A fetch (or an upload) with every file reported; `cancelAt` > 0
    // cancels in the report that first counts that many files.
    bool run(bool upload, Reports& reports, int cancelAt = 0, bool* cancelled = nullptr,
             QString* status = nullptr);
    static void verifyGrowing(const QList<TransferProgress>& reports);

    std::unique_ptr<VsftpdServer> m_ftp;
    std::unique_ptr<SshdServer> m_sshd;
    QString m_ftpSkip, m_sshSkip;
    std::unique_ptr<QTemporaryDir> m_app;
    std::unique_ptr<QTemporaryDir> m_local;
};

void TestTransferProgress::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_ftpSkip = VsftpdServer::skipReason();
    if (m_ftpSkip.isEmpty()) {
        m_ftp = std::make_unique<VsftpdServer>();
        if (!m_ftp->start())
            m_ftpSkip = "vsftpd did not start: " + m_ftp->error();
    }
    m_sshSkip = SshdServer::skipReason();
    if (m_sshSkip.isEmpty()) {
        m_sshd = std::make_unique<SshdServer>();
        if (!m_sshd->start())
            QFAIL(qPrintable("sshd did not start: " + m_sshd->error()));
    }
}

void TestTransferProgress::cleanupTestCase()
{
    m_ftp.reset();
    m_sshd.reset();
}

void TestTransferProgress::init()
{
    m_app = std::make_unique<QTemporaryDir>();
    m_local = std::make_unique<QTemporaryDir>();
    QVERIFY(m_app->isValid() && m_local->isValid());
    if (m_ftp)
        QDir(m_ftp->path("conf")).removeRecursively();
    if (m_sshd)
        QDir(m_sshd->path("conf")).removeRecursively();
}

void TestTransferProgress::methods()
{
    QTest::addColumn<QString>("method");
    QTest::newRow("local") << "local";
    QTest::newRow("ftp") << "ftp";
    QTest::newRow("sftp") << "sftp";
}

bool TestTransferProgress::skipped(const QString& method)
{
    return (method == "ftp" && !m_ftpSkip.isEmpty()) || (method == "sftp" && !m_sshSkip.isEmpty());
}

QString TestTransferProgress::serverFolder(const QString& method) const
{
    return method == "local" ? m_local->filePath("conf")
           : method == "ftp" ? m_ftp->path("conf")
                             : m_sshd->path("conf");
}

void TestTransferProgress::putTree(const QString& method, int revision)
{
    auto put = [&](const QString& name, const QByteArray& bytes) {
        if (method == "local")
            QVERIFY(writeFile(m_local->filePath("conf/" + name), bytes));
        else if (method == "ftp")
            QVERIFY(m_ftp->writeFile("conf/" + name, bytes));
        else
            QVERIFY(m_sshd->writeFile("conf/" + name, bytes));
    };
    put("httpd.conf", "# main, revision " + QByteArray::number(revision) +
                          "\nListen 80\nServerName www.example.test\nInclude conf.d/*.conf\n");
    for (int i = 1; i <= kIncluded; ++i)
        put(QStringLiteral("conf.d/site%1.conf").arg(i, 2, 10, QLatin1Char('0')), included(i, revision));
}

std::map<QString, QByteArray> TestTransferProgress::treeOnServer(const QString& method) const
{
    std::map<QString, QByteArray> files;
    const QString root = serverFolder(method);
    files["httpd.conf"] = readFile(root + "/httpd.conf");
    for (int i = 1; i <= kIncluded; ++i) {
        const QString name = QStringLiteral("conf.d/site%1.conf").arg(i, 2, 10, QLatin1Char('0'));
        files[name] = readFile(root + "/" + name);
    }
    return files;
}

bool TestTransferProgress::addServer(const QString& method)
{
    TransferState s;
    s.WizardServerName = kServer;
    s.WizardApacheVersion = "2.4.62";
    s.WizardStorePasswordInIni = true;
    s.WizardPasswordKnown = true;
    s.WizardOsType = "Linux / Unix";
    if (method == "local") {
        s.WizardLocalConf = m_local->filePath("conf/httpd.conf");
    } else if (method == "ftp") {
        s.WizardIsRemote = true;
        s.WizardRemoteHost = m_ftp->host();
        s.WizardPort = QString::number(m_ftp->port());
        s.WizardUserName = VsftpdServer::user();
        s.WizardPassword = VsftpdServer::password();
        s.WizardRemoteFolder = "/conf";
    } else {
        s.WizardIsRemote = true;
        s.WizardIsSftp = true;
        s.WizardSftpAuthType = kSftpAuthPassword;
        s.WizardRemoteHost = m_sshd->host();
        s.WizardPort = QString::number(m_sshd->port());
        s.WizardUserName = SshdServer::user();
        s.WizardPassword = SshdServer::password();
        s.WizardRemoteFolder = m_sshd->path("conf");
    }
    TransferCallbacks cb;
    cb.acceptHostKey = [](const QString&, const QString&) { return true; };
    ConfigTransfer transfer(AppFolder(m_app->path()), s, cb);
    transfer.StartTransfer();
    const bool ok = !s.TransferFailed;
    return transfer.Finish() && ok;
}

bool TestTransferProgress::run(bool upload, Reports& reports, int cancelAt, bool* cancelled, QString* status)
{
    TransferState s;
    if (upload) {
        s.UploadMode = true;
        s.SyncServerName = kServer;
    } else {
        ConfigTransfer::loadServerIntoState(AppFolder(m_app->path()), kServer, s);
        s.GetConfigMode = true;
    }
    ConfigTransfer* running = nullptr;
    TransferCallbacks cb;
    cb.transferProgress = [&](const TransferProgress& p) {
        reports.seen << p;
        if (cancelAt > 0 && p.filesDone >= cancelAt && !p.finished)
            running->cancel();
    };
    ConfigTransfer transfer(AppFolder(m_app->path()), s, cb);
    running = &transfer;
    transfer.setProgressInterval(0);
    transfer.StartTransfer();
    if (cancelled)
        *cancelled = transfer.cancelled();
    if (status)
        *status = transfer.lastStatus();
    const bool ok = !s.TransferFailed;
    transfer.Finish();
    return ok;
}

void TestTransferProgress::verifyGrowing(const QList<TransferProgress>& reports)
{
    QVERIFY(!reports.isEmpty());
    for (qsizetype i = 1; i < reports.size(); ++i) {
        QVERIFY2(reports[i].filesDone >= reports[i - 1].filesDone, qPrintable(QString::number(i)));
        QVERIFY2(reports[i].bytesDone >= reports[i - 1].bytesDone, qPrintable(QString::number(i)));
        QVERIFY(!reports[i - 1].finished);
    }
    QVERIFY(reports.last().finished);
}

// A report per interval at most, whatever the number of files; the last
// one always comes.
void TestTransferProgress::throttled()
{
    int reports = 0;
    ProgressMeter meter([&reports](const TransferProgress&) { ++reports; }, 3600 * 1000);
    meter.start(2000, -1);
    for (int i = 0; i < 2000; ++i)
        meter.fileDone("/etc/apache2/sites/" + std::to_string(i) + ".conf", 10);
    QCOMPARE(reports, 1);
    meter.finish();
    QCOMPARE(reports, 2);
    QCOMPARE(meter.current().filesDone, 2000);
    QCOMPARE(meter.current().bytesTotal, qint64(20000));
}

void TestTransferProgress::reportsGrowToTheTotals()
{
    QFETCH(QString, method);
    if (skipped(method))
        QSKIP(qPrintable(method == "ftp" ? m_ftpSkip : m_sshSkip));
    putTree(method, 1);
    QVERIFY(addServer(method));
    auto serverBytes = [&] {
        qint64 sum = 0;
        for (const auto& [path, bytes] : treeOnServer(method))
            sum += bytes.size();
        return sum;
    };

    // A fetch learns the totals as it goes: they are the files and bytes read.
    Reports fetched;
    QVERIFY(run(false, fetched));
    verifyGrowing(fetched.seen);
    QCOMPARE(fetched.seen.last().filesDone, kIncluded + 1);
    QCOMPARE(fetched.seen.last().filesTotal, kIncluded + 1);
    QCOMPARE(fetched.seen.last().bytesDone, serverBytes());
    QCOMPARE(fetched.seen.last().bytesTotal, serverBytes());
    QVERIFY(fetched.seen.size() > kIncluded); // every file, interval 0

    // An upload knows them from the start.
    const ServerWorkArea area(AppFolder(m_app->path()), kServer);
    for (const TreeEntry& e : area.manifest().files)
        QVERIFY(writeFile(area.workFile(e), readFile(area.workFile(e)) + "# edited\n"));
    Reports sent;
    QVERIFY(run(true, sent));
    verifyGrowing(sent.seen);
    QCOMPARE(sent.seen.first().filesTotal, kIncluded + 1);
    QCOMPARE(sent.seen.last().filesDone, kIncluded + 1);
    QCOMPARE(sent.seen.last().bytesDone, serverBytes());
    QCOMPARE(sent.seen.last().bytesTotal, serverBytes());
    for (const TransferProgress& p : sent.seen)
        QCOMPARE(p.filesTotal, kIncluded + 1);
}

void TestTransferProgress::cancelledFetchKeepsTheWorkArea()
{
    QFETCH(QString, method);
    if (skipped(method))
        QSKIP(qPrintable(method == "ftp" ? m_ftpSkip : m_sshSkip));
    putTree(method, 1);
    QVERIFY(addServer(method));
    const QString serverFolder = m_app->filePath(kServer);
    const auto before = snapshot(serverFolder);
    putTree(method, 2);

    Reports reports;
    bool cancelled = false;
    QString status;
    QVERIFY(!run(false, reports, 4, &cancelled, &status));
    QVERIFY(cancelled);
    QCOMPARE(status, ConfigTransfer::cancelledText(false));
    verifyGrowing(reports.seen);
    QVERIFY2(reports.seen.last().filesDone < kIncluded + 1, "stopped midway");
    QVERIFY(snapshot(serverFolder) == before);

    // Not cancelled, the same fetch brings revision 2.
    Reports again;
    QVERIFY(run(false, again));
    QVERIFY(readFile(m_app->filePath("web/WorkArea/httpd.conf")).contains("revision 2"));
}

void TestTransferProgress::cancelledUploadKeepsTheServerFiles()
{
    QFETCH(QString, method);
    if (skipped(method))
        QSKIP(qPrintable(method == "ftp" ? m_ftpSkip : m_sshSkip));
    putTree(method, 1);
    QVERIFY(addServer(method));
    const auto before = snapshot(serverFolder(method));
    const ServerWorkArea area(AppFolder(m_app->path()), kServer);
    for (const TreeEntry& e : area.manifest().files)
        QVERIFY(writeFile(area.workFile(e), readFile(area.workFile(e)) + "# edited\n"));

    Reports reports;
    bool cancelled = false;
    QString status;
    QVERIFY(!run(true, reports, 3, &cancelled, &status));
    QVERIFY(cancelled);
    QCOMPARE(status, ConfigTransfer::cancelledText(true));
    verifyGrowing(reports.seen);
    QCOMPARE(reports.seen.last().filesDone, 3); // three were sent, then put back
    QVERIFY(snapshot(serverFolder(method)) == before);
    QCOMPARE(area.changedFiles(area.manifest()).size(), size_t(kIncluded + 1)); // still to send

    // Sent again without a cancel, every file is new.
    Reports again;
    QVERIFY(run(true, again));
    for (const auto& [path, bytes] : treeOnServer(method))
        QVERIFY2(bytes.endsWith("# edited\n"), qPrintable(path));
}

QTEST_GUILESS_MAIN(TestTransferProgress)
#include "tst_transferprogress.moc"
