// corvanectl ftp: the FTP client from the command line, for checking a server
// by hand the way the console will reach it.
#include "Command.h"
#include "net/CFtpClient.h"

#include <QUrl>
#include <iostream>

namespace {

using corvane::net::CFtpClient;

int report(const CFtpClient& ftp, const char* what)
{
    const auto& error = ftp.LastFtpError();
    return corvanectl::fail(std::string(what) + " failed: " + std::to_string(error.Number) + " " +
                            error.Description.toStdString() + " (" + error.Source.toStdString() + ")");
}

bool run(CFtpClient& ftp, bool started)
{
    return started && ftp.waitForResult() == CFtpClient::ftpSuccess;
}

int ftpCommand(const std::vector<std::string>& args, const corvanectl::Options&)
{
    bool passive = true;
    int mode = 1;
    int timeout = 30;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--active")
            passive = false;
        else if (args[i] == "--passive")
            passive = true;
        else if (args[i] == "--ascii")
            mode = 0;
        else if (args[i] == "--timeout" && i + 1 < args.size())
            timeout = std::stoi(args[++i]);
        else
            rest.push_back(args[i]);
    }
    if (rest.size() < 2)
        return corvanectl::fail("usage: ftp [--active] [--ascii] [--timeout S] ftp://user@host[:port]/folder "
                                "ls | get REMOTE LOCAL | put LOCAL REMOTE | rm NAME | mv OLD NEW");
    const QUrl url(QString::fromStdString(rest[0]));
    if (!url.isValid() || url.scheme() != QLatin1String("ftp") || url.host().isEmpty())
        return corvanectl::fail("not an ftp:// address: " + rest[0]);
    const std::string action = rest[1];
    const auto arg = [&](size_t i) { return i < rest.size() ? QString::fromStdString(rest[i]) : QString(); };

    CFtpClient ftp;
    ftp.setFtpServer(url.host());
    ftp.setRemotePort(url.port(21));
    ftp.setUserName(url.userName());
    QString password = url.password();
    if (!url.userName().isEmpty() && password.isEmpty()) {
        // Read from standard input so that it does not show in the process list.
        std::string line;
        std::getline(std::cin, line);
        password = QString::fromStdString(line);
    }
    ftp.setPassword(password);
    ftp.setPassiveMode(passive);
    ftp.setTransferMode(mode);
    ftp.setTimeOut(timeout);
    if (!run(ftp, ftp.Connect()))
        return report(ftp, "connect");
    const QString folder = url.path();
    if (!folder.isEmpty() && folder != QLatin1String("/") && !run(ftp, ftp.SetCurrentDirectory(folder)))
        return report(ftp, "change folder");

    bool ok = false;
    if (action == "ls") {
        ok = run(ftp, ftp.EnumFiles());
        if (ok) {
            for (const auto& file : *ftp.CurrentDirectoryFiles())
                std::cout << (file.IsDirectory ? 'd' : '-') << ' ' << file.FileSize << '\t'
                          << file.LastWriteTime.toString(Qt::ISODate).toStdString() << '\t'
                          << file.FileName.toStdString()
                          << (file.FilePath.isEmpty() ? "" : " -> " + file.FilePath.toStdString()) << '\n';
        }
    } else if (action == "get" && rest.size() == 4) {
        ok = run(ftp, ftp.DownloadFile(arg(2), arg(3), true));
    } else if (action == "put" && rest.size() == 4) {
        ok = run(ftp, ftp.UploadFile(arg(2), arg(3)));
    } else if (action == "rm" && rest.size() == 3) {
        ok = run(ftp, ftp.DeleteFile(arg(2)));
    } else if (action == "mv" && rest.size() == 4) {
        ok = run(ftp, ftp.RenameFile(arg(2), arg(3)));
    } else {
        return corvanectl::fail("unknown ftp action: " + action);
    }
    if (!ok)
        return report(ftp, action.c_str());
    run(ftp, ftp.QuitSession());
    return 0;
}

corvanectl::CommandRegistrar reg{{"ftp", "[--active] [--ascii] URL ls|get|put|rm|mv ...",
                                  "list, fetch, store, delete or rename files on an FTP server", ftpCommand}};

} // namespace
