// Expanding the Main Server of a configuration with many virtual hosts and
// showing its children (tree and result list), offscreen.
//   bench_snapin_expand [HOSTS=5000] [RUNS=7]
// Prints the median, fastest and slowest run (wall and CPU time of the GUI
// thread); the target is under 100 ms. BENCH_PHASES=1 prints the phases.
#include "host/ConsoleHost.h"
#include "host/ConsoleWindow.h"
#include "host/ScopeItem.h"
#include "registry/AppFolder.h"
#include "registry/Servers.h"
#include "snapin/CorvaneSnapIn.h"
#include "snapin/ScopeScanner.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <ctime>
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
        out += (i % 2 ? "<VirtualHost *>\n"
                      : "<VirtualHost 10.0." + QByteArray::number(i / 250) + "." +
                            QByteArray::number(i % 250) + ":80>\n");
        out += "ServerName host" + n + ".example.org\nDocumentRoot /var/www/host" + n + "\n";
        out += "<Directory /var/www/host" + n + ">\nOptions None\n</Directory>\n";
        out += "<Files secret" + n + ".txt>\nOptions None\n</Files>\n</VirtualHost>\n";
    }
    return out;
}

// CPU time of this thread: what the run costs without the other processes
// of a shared machine.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct RunTime
{
    double wallMs;
    double cpuMs;
};

RunTime oneRun(const QString& appDir)
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
    const double cpuStart = cpuMs();
    if (qEnvironmentVariableIsSet("BENCH_PHASES")) {
        QElapsedTimer scan;
        scan.start();
        const auto children = snapin::ScopeScanner::mainServerChildren(*snapIn.configs().at(0));
        std::fprintf(stderr, "  scan alone (%zu children): %.1f ms\n", children.size(),
                     double(scan.nsecsElapsed()) / 1e6);
        timer.restart();
        host.expand(*main);
        std::fprintf(stderr, "  expand (nodes built): %.1f ms\n", double(timer.nsecsElapsed()) / 1e6);
    }
    window.selectScopeItem(main); // expands it once and lists its children
    if (qEnvironmentVariableIsSet("BENCH_PHASES"))
        std::fprintf(stderr, "  + selected (result list): %.1f ms\n", double(timer.nsecsElapsed()) / 1e6);
    window.scopeTree()->expand(window.scopeTree()->currentIndex());
    if (qEnvironmentVariableIsSet("BENCH_PHASES"))
        std::fprintf(stderr, "  + tree row expanded: %.1f ms\n", double(timer.nsecsElapsed()) / 1e6);
    QApplication::processEvents();
    if (qEnvironmentVariableIsSet("BENCH_PHASES"))
        std::fprintf(stderr, "  + events processed: %.1f ms (cpu %.1f ms)\n",
                     double(timer.nsecsElapsed()) / 1e6, cpuMs() - cpuStart);
    const RunTime t{double(timer.nsecsElapsed()) / 1e6, cpuMs() - cpuStart};
    if (main->childCount() < 1)
        std::fprintf(stderr, "no children\n");
    host.detachSnapIn();
    return t;
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

    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        const RunTime t = oneRun(appDir);
        wall.push_back(t.wallMs);
        cpu.push_back(t.cpuMs);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    // Wall time counts the waits of a shared machine too; CPU time is what the
    // expansion itself costs.
    std::printf("expand Main Server with %d virtual hosts (%d runs, target < 100 ms):\n"
                "  wall median %.1f ms (fastest %.1f, slowest %.1f)\n"
                "  cpu  median %.1f ms (fastest %.1f, slowest %.1f)\n",
                hosts, runs, wall[wall.size() / 2], wall.front(), wall.back(), cpu[cpu.size() / 2],
                cpu.front(), cpu.back());
    return 0;
}
