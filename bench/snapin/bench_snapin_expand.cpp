// Expanding the Main Server of a configuration with many virtual hosts and
// showing its children (tree and result list), offscreen.
//   bench_snapin_expand [HOSTS=5000] [RUNS=7]
// Prints the median and the slowest run; the target is under 100 ms.
#include "host/ConsoleHost.h"
#include "host/ConsoleWindow.h"
#include "host/ScopeItem.h"
#include "registry/AppFolder.h"
#include "registry/Servers.h"
#include "snapin/CorvaneSnapIn.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace corvane;

namespace {

QByteArray bigConfig(int hosts)
{
    QByteArray out = "ServerRoot /etc/apache2\nListen 80\nServerName main.example.org\n"
                     "<Directory />\nOptions None\n</Directory>\n";
    for (int i = 0; i < hosts; ++i) {
        const QByteArray n = QByteArray::number(i);
        // Half the hosts are named by their ServerName (the "*" case).
        out += (i % 2 ? "<VirtualHost *>\n" : "<VirtualHost 10.0." + QByteArray::number(i / 250) + "." +
                                                  QByteArray::number(i % 250) + ":80>\n");
        out += "ServerName host" + n + ".example.org\nDocumentRoot /var/www/host" + n + "\n";
        out += "<Directory /var/www/host" + n + ">\nOptions None\n</Directory>\n";
        out += "<Files secret" + n + ".txt>\nOptions None\n</Files>\n</VirtualHost>\n";
    }
    return out;
}

double oneRun(const QString& appDir)
{
    ConsoleHost host;
    snapin::CorvaneSnapIn snapIn{AppFolder(appDir)};
    host.attachSnapIn(&snapIn);
    ConsoleWindow window(host);
    window.resize(1000, 700);
    window.show();
    host.expand(host.root());
    ScopeItem* server = host.root().child(0);
    host.expand(*server);
    ScopeItem* main = server->child(0);
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    window.selectScopeItem(main); // expands it once and lists its children
    window.scopeTree()->expand(window.scopeTree()->currentIndex());
    QApplication::processEvents();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (main->childCount() < 1)
        std::fprintf(stderr, "no children\n");
    host.detachSnapIn();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const int hosts = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;

    QTemporaryDir dir;
    const QString appDir = dir.path() + QStringLiteral("/app");
    AppFolder folder(appDir);
    QDir().mkpath(folder.workAreaFolder("big"));
    QFile f(folder.workingCopyPath("big"));
    if (!f.open(QIODevice::WriteOnly))
        return 1;
    f.write(bigConfig(hosts));
    f.close();
    Servers servers(folder);
    servers.WriteDataToInI("big", "SERVER_NAME", "big");
    servers.WriteDataToInI("big", "CONNECT_TYPE", "0");

    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(oneRun(appDir));
    std::sort(times.begin(), times.end());
    std::printf("expand Main Server with %d virtual hosts: median %.1f ms, slowest %.1f ms, fastest %.1f ms "
                "(%d runs, target < 100 ms)\n",
                hosts, times[times.size() / 2], times.back(), times.front(), runs);
    return 0;
}
