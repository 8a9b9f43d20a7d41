// Fetching and loading a Debian-style tree with many enabled sites: the
// local machine's /etc/apache2 plus SITES site files, each enabled through a
// symbolic link, served by a real vsftpd and a real sshd on 127.0.0.1.
//   bench_tree_fetch [SITES=2000] [RUNS=3]      (root; needs apache2, vsftpd, sshd, curl, sftp)
// For each transport it prints the median wall time of `corvanectl fetch`
// next to curl (FTP) or OpenSSH's sftp (SFTP) fetching the same files in one
// session, then the time to build the server's model from the work area.
#include "CorvanectlRun.h"
#include "SshdServer.h"
#include "TestFiles.h"
#include "VsftpdServer.h"

#include "model/ConfigFile.h"
#include "model/ConfigTree.h"
#include "registry/AppFolder.h"
#include "transfer/ServerModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace corvane;
using corvane::test::writeFile;

namespace {

bool run(const QString& program, const QStringList& args, QString* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit)
        return false;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return p.exitCode() == 0;
}

// /etc/apache2 as installed, with `sites` sites of its own, all enabled.
bool makeTree(const QString& root, int sites)
{
    if (!QDir().mkpath(root) ||
        !run(QStringLiteral("cp"), {QStringLiteral("-a"), QStringLiteral("/etc/apache2/."), root}))
        return false;
    QDir(root + QStringLiteral("/sites-enabled")).removeRecursively();
    QDir().mkpath(root + QStringLiteral("/sites-enabled"));
    for (int i = 0; i < sites; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QString name = QStringLiteral("site%1.conf").arg(i, 4, 10, QLatin1Char('0'));
        const QByteArray text = "<VirtualHost *:80>\n"
                                "\tServerName site" +
                                n +
                                ".example.test\n"
                                "\tServerAlias www.site" +
                                n +
                                ".example.test\n"
                                "\tServerAdmin webmaster@site" +
                                n +
                                ".example.test\n"
                                "\tDocumentRoot /var/www/site" +
                                n +
                                "\n\n"
                                "\t<Directory /var/www/site" +
                                n +
                                ">\n"
                                "\t\tOptions -Indexes +FollowSymLinks\n"
                                "\t\tAllowOverride None\n"
                                "\t\tRequire all granted\n"
                                "\t</Directory>\n\n"
                                "\tErrorLog ${APACHE_LOG_DIR}/site" +
                                n +
                                "-error.log\n"
                                "\tCustomLog ${APACHE_LOG_DIR}/site" +
                                n +
                                "-access.log combined\n"
                                "</VirtualHost>\n";
        if (!writeFile(root + QStringLiteral("/sites-available/") + name, text) ||
            !QFile::link(QStringLiteral("../sites-available/") + name,
                         root + QStringLiteral("/sites-enabled/") + name))
            return false;
    }
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

double timed(const std::function<bool()>& step)
{
    QElapsedTimer clock;
    clock.start();
    return step() ? clock.nsecsElapsed() / 1e6 : -1;
}

// The files `corvanectl server files` lists: paths below the server root.
QStringList serverFiles(const QString& app)
{
    const test::CtlRun r = test::runCorvanectl(
        app, {QStringLiteral("server"), QStringLiteral("files"), QStringLiteral("deb")}, {}, 600000);
    QStringList paths;
    for (const QString& line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        paths << line.section(QLatin1Char('\t'), 0, 0);
    return paths;
}

struct Figures
{
    double corvane = -1;
    double reference = -1;
    double load = -1;
    qsizetype files = 0;
};

Figures measure(const QString& name, const QStringList& where, const QByteArray& password, int runs,
                const std::function<bool(const QStringList& files, const QString& into)>& reference)
{
    Figures f;
    QTemporaryDir app;
    const test::CtlRun added = test::runCorvanectl(
        app.path(),
        QStringList{QStringLiteral("add"), QStringLiteral("deb"), QStringLiteral("--apache-version"),
                    QStringLiteral("2.4.62"), QStringLiteral("--os"), QStringLiteral("unix")} +
            where,
        password, 600000);
    if (added.code != 0) {
        std::fprintf(stderr, "%s: corvanectl add failed:\n%s%s", qPrintable(name), qPrintable(added.out),
                     qPrintable(added.err));
        return f;
    }
    const QStringList files = serverFiles(app.path());
    f.files = files.size();
    std::vector<double> ours, theirs, loads;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(timed([&] {
            return test::runCorvanectl(app.path(), {QStringLiteral("fetch"), QStringLiteral("deb")}, {},
                                       600000)
                       .code == 0;
        }));
        QTemporaryDir into;
        theirs.push_back(timed([&] { return reference(files, into.path()); }));
        loads.push_back(timed([&] {
            ConfigFile config(app.path().toStdString());
            TreeReport report;
            std::string why;
            return ReadServerModel(AppFolder(app.path()), "deb", config, report, why) &&
                   config.GetDirectiveCount() > 0;
        }));
    }
    f.corvane = median(ours);
    f.reference = median(theirs);
    f.load = median(loads);
    return f;
}

void print(const char* label, const char* reference, const Figures& f)
{
    std::printf(
        "%-5s %5lld files: corvanectl fetch %8.0f ms, %-5s %8.0f ms (ratio %.2f); model load %6.0f ms\n",
        label, static_cast<long long>(f.files), f.corvane, reference, f.reference,
        f.reference > 0 ? f.corvane / f.reference : -1.0, f.load);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int sites = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    if (!QFileInfo(QStringLiteral("/etc/apache2/apache2.conf")).isFile()) {
        std::fprintf(stderr, "bench_tree_fetch: needs the local machine's /etc/apache2\n");
        return 2;
    }
    if (const QString why = VsftpdServer::skipReason() + SshdServer::skipReason(); !why.isEmpty()) {
        std::fprintf(stderr, "bench_tree_fetch: %s\n", qPrintable(why));
        return 2;
    }

    VsftpdServer ftp;
    if (!ftp.start()) {
        std::fprintf(stderr, "bench_tree_fetch: vsftpd: %s\n", qPrintable(ftp.error()));
        return 2;
    }
    const QString ftpRoot = ftp.path(QStringLiteral("apache2"));
    if (!makeTree(ftpRoot, sites) ||
        !run(QStringLiteral("chown"),
             {QStringLiteral("-R"), VsftpdServer::user() + QLatin1Char(':'), ftpRoot}))
        return 2;
    const QString ftpUrl = QStringLiteral("ftp://%1:%2/apache2/").arg(ftp.host()).arg(ftp.port());
    const Figures viaFtp = measure(
        QStringLiteral("ftp"),
        {QStringLiteral("--ftp"), QStringLiteral("%1:%2").arg(ftp.host()).arg(ftp.port()),
         QStringLiteral("--user"), VsftpdServer::user(), QStringLiteral("--folder"),
         QStringLiteral("/apache2"), QStringLiteral("--account-root"), ftp.root(),
         QStringLiteral("--store-password-in-ini")},
        VsftpdServer::password().toUtf8() + "\n", runs, [&](const QStringList& files, const QString& into) {
            // One curl for all files: it keeps the control connection open.
            QByteArray config = "user = \"" + VsftpdServer::user().toUtf8() + ":" +
                                VsftpdServer::password().toUtf8() + "\"\nsilent\nftp-pasv\ncreate-dirs\n";
            for (const QString& f : files)
                config += "url = \"" + (ftpUrl + f).toUtf8() + "\"\noutput = \"" + (into + "/" + f).toUtf8() +
                          "\"\n";
            const QString list = into + QStringLiteral("/.curl");
            return writeFile(list, config) && run(QStringLiteral("curl"), {QStringLiteral("--config"), list});
        });
    print("FTP", "curl", viaFtp);
    ftp.stop();

    SshdServer sshd;
    if (!sshd.start()) {
        std::fprintf(stderr, "bench_tree_fetch: sshd: %s\n", qPrintable(sshd.error()));
        return 2;
    }
    const QString sshRoot = sshd.path(QStringLiteral("apache2"));
    if (!makeTree(sshRoot, sites) ||
        !run(QStringLiteral("chown"), {QStringLiteral("-R"), SshdServer::user() + QLatin1Char(':'), sshRoot}))
        return 2;
    const Figures viaSftp = measure(
        QStringLiteral("sftp"),
        {QStringLiteral("--sftp"), QStringLiteral("%1:%2").arg(sshd.host()).arg(sshd.port()),
         QStringLiteral("--user"), SshdServer::user(), QStringLiteral("--folder"), sshRoot,
         QStringLiteral("--accept-new-host-key"), QStringLiteral("--store-password-in-ini")},
        SshdServer::password().toUtf8() + "\n", runs, [&](const QStringList& files, const QString& into) {
            // One sftp session for all files, with the test user's key.
            QByteArray batch;
            QStringList folders;
            for (const QString& f : files) {
                const QString folder = QFileInfo(into + QLatin1Char('/') + f).path();
                if (!folders.contains(folder)) {
                    QDir().mkpath(folder);
                    folders << folder;
                }
                batch += "get \"" + (sshRoot + QLatin1Char('/') + f).toUtf8() + "\" \"" +
                         (into + "/" + f).toUtf8() + "\"\n";
            }
            const QString list = into + QStringLiteral("/.batch");
            return writeFile(list, batch) &&
                   run(QStringLiteral("sftp"),
                       {QStringLiteral("-q"), QStringLiteral("-b"), list, QStringLiteral("-i"),
                        sshd.keyFile(), QStringLiteral("-o"), QStringLiteral("StrictHostKeyChecking=no"),
                        QStringLiteral("-o"), QStringLiteral("UserKnownHostsFile=/dev/null"),
                        QStringLiteral("-o"), QStringLiteral("BatchMode=yes"), QStringLiteral("-P"),
                        QString::number(sshd.port()),
                        SshdServer::user() + QStringLiteral("@") + sshd.host()});
        });
    print("SFTP", "sftp", viaSftp);
    return viaFtp.corvane > 0 && viaSftp.corvane > 0 ? 0 : 1;
}
