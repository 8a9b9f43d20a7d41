// A registered server whose configuration is split over many files (its work
// area filled by a fetch, see run.sh): loading its model as the console does
// (every file read, the snapshot written and read back) and expanding its
// Main Server with the File column and tooltips, offscreen.
//   bench_split_expand APP_DIR SERVER [RUNS=7]
// Prints the median, fastest and slowest run of each phase (wall and CPU time
// of the GUI thread); the expansion's target is under 100 ms.
#include "host/ConsoleHost.h"
#include "host/ConsoleWindow.h"
#include "host/ScopeItem.h"
#include "model/ConfigFile.h"
#include "model/ModelProcedures.h"
#include "registry/AppFolder.h"
#include "snapin/CorvaneSnapIn.h"
#include "transfer/ServerModel.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace corvane;

namespace {

// The model as the console loads it: every file read, the snapshot written
// and read back; then the place of every line worked out (the files read
// again and matched with the snapshot) by the first place asked for.
bool loadModel(const QString& appDir, const std::string& server, corvanebench::Times& load,
               corvanebench::Times& places)
{
    const AppFolder folder(appDir);
    ConfigFile cf(appDir.toStdString());
    QElapsedTimer timer;
    timer.start();
    double cpuStart = corvanebench::threadCpuMs();
    TreeReport report;
    std::string why;
    if (!ReadServerModel(folder, server, cf, report, why) || !cf.Serialize() || !cf.DeSerialize())
        return false;
    load.add(double(timer.nsecsElapsed()) / 1e6, corvanebench::threadCpuMs() - cpuStart);
    timer.restart();
    cpuStart = corvanebench::threadCpuMs();
    const ConfigFile::LinePlace place = cf.PlaceOf(cf.GetDirective(cf.GetDirectiveCount()));
    places.add(double(timer.nsecsElapsed()) / 1e6, corvanebench::threadCpuMs() - cpuStart);
    return place.line > 0;
}

// One console with the server loaded: Main Server expanded and listed.
bool oneRun(const QString& appDir, corvanebench::Times& expand, int& children)
{
    const AppFolder folder(appDir);
    ConsoleHost host;
    snapin::CorvaneSnapIn snapIn{folder};
    // The reader main.cpp installs.
    snapIn.configs().setReader([&](ConfigFile& config, const QString& path) {
        TreeReport report;
        std::string why;
        const std::string server = GetServerNameFromConfigPath(appDir.toStdString(), path.toStdString());
        return ReadServerModel(folder, server, config, report, why);
    });
    host.attachSnapIn(&snapIn);
    ConsoleWindow window(host);
    window.resize(1000, 700);
    window.show();
    QApplication::processEvents();

    host.expand(host.root());
    if (host.root().childCount() < 1)
        return false;
    ScopeItem* server = host.root().child(0);
    host.expand(*server);
    ScopeItem* main = server->child(0);
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    const double cpuStart = corvanebench::threadCpuMs();
    window.selectScopeItem(main); // expands it once and lists its children
    window.scopeTree()->expand(window.scopeTree()->currentIndex());
    QApplication::processEvents();
    expand.add(double(timer.nsecsElapsed()) / 1e6, corvanebench::threadCpuMs() - cpuStart);
    children = main->childCount();
    host.detachSnapIn();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_split_expand APP_DIR SERVER [RUNS]\n");
        return 2;
    }
    const QString appDir = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 3 ? std::atoi(argv[3]) : 7;
    corvanebench::Times load, places, expand;
    int children = 0;
    for (int i = 0; i < runs; ++i)
        if (!loadModel(appDir, argv[2], load, places) || !oneRun(appDir, expand, children)) {
            std::fprintf(stderr, "bench_split_expand: the server %s did not load\n", argv[2]);
            return 1;
        }
    std::printf("%d runs; Main Server has %d children\n", runs, children);
    load.print("load the model (every file read, snapshot written and read back)");
    places.print("first place asked for (files read again, every line's place indexed)");
    expand.print("expand and list Main Server, places included (target < 100 ms)");
    return 0;
}
