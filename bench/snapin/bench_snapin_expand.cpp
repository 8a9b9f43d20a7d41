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

#include "BenchSupport.h"

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
    const double cpuStart = corvanebench::threadCpuMs();
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
                     double(timer.nsecsElapsed()) / 1e6, corvanebench::threadCpuMs() - cpuStart);
    const RunTime t{double(timer.nsecsElapsed()) / 1e6, corvanebench::threadCpuMs() - cpuStart};
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
    if (!corvanebench::registerServer(folder, "big", corvanebench::bigConfig(hosts)))
        return 1;

    corvanebench::Times times;
    for (int i = 0; i < runs; ++i) {
        const RunTime t = oneRun(appDir);
        times.add(t.wallMs, t.cpuMs);
    }
    const std::string what = "expand Main Server with " + std::to_string(hosts) + " virtual hosts (" +
                             std::to_string(runs) + " runs, target < 100 ms)";
    times.print(what.c_str());
    return 0;
}
