// Find across a configuration with many virtual hosts: the search alone and
// the Find dialog listing its hits, offscreen.
//   bench_snapin_find [HOSTS=5000] [RUNS=7]
// Prints the median, fastest and slowest run (wall and CPU time of the GUI
// thread) for a directive name found in every host, a value found in one
// host and a text found nowhere; the target is under 200 ms each.
#include "host/ConsoleHost.h"
#include "host/ConsoleWindow.h"
#include "host/ScopeItem.h"
#include "registry/AppFolder.h"
#include "registry/Servers.h"
#include "snapin/ConfigSearch.h"
#include "snapin/CorvaneSnapIn.h"
#include "snapin/FindDialog.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace corvane;

namespace {

struct Case
{
    const char* label;
    const char* text;
    bool namesOnly;
};

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

    ConsoleHost host;
    snapin::CorvaneSnapIn snapIn{folder};
    host.attachSnapIn(&snapIn);
    ConsoleWindow window(host);
    host.setDialogParent(&window);
    window.show();
    host.expand(host.root());
    const QString path = host.root().child(0)->itemName();
    snapin::FindDialog* dialog = snapIn.openFind(path);
    if (!dialog)
        return 1;
    QApplication::processEvents();

    const Case cases[] = {{"name in every host", "ServerName", true},
                          {"value in one host", "host4321.example", false},
                          {"text found nowhere", "nothing-like-this", false}};
    std::printf("Find across %d virtual hosts (%d runs, target < 200 ms each):\n", hosts, runs);
    for (const Case& c : cases) {
        std::vector<double> alone, wall, cpu;
        std::size_t total = 0;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer timer;
            timer.start();
            snapin::ConfigSearch::find(*snapIn.configs().at(0), QString::fromLatin1(c.text), c.namesOnly,
                                       snapin::FindDialog::kMaxListed, &total);
            alone.push_back(double(timer.nsecsElapsed()) / 1e6);

            dialog->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(QString::fromLatin1(c.text));
            dialog->findChild<QCheckBox*>(QStringLiteral("chkDirectiveNamesOnly"))->setChecked(c.namesOnly);
            timer.restart();
            const double cpuStart = corvanebench::threadCpuMs();
            dialog->findNow();
            QApplication::processEvents();
            wall.push_back(double(timer.nsecsElapsed()) / 1e6);
            cpu.push_back(corvanebench::threadCpuMs() - cpuStart);
        }
        for (auto* v : {&alone, &wall, &cpu})
            std::sort(v->begin(), v->end());
        const int listed =
            dialog->findChild<QTreeWidget*>(QStringLiteral("lstFindResults"))->topLevelItemCount();
        std::printf(
            "  %s (%zu hits, %d listed):\n"
            "    search alone median %.1f ms (fastest %.1f, slowest %.1f)\n"
            "    with the list wall median %.1f ms (fastest %.1f, slowest %.1f), cpu median %.1f ms\n",
            c.label, total, listed, alone[alone.size() / 2], alone.front(), alone.back(),
            wall[wall.size() / 2], wall.front(), wall.back(), cpu[cpu.size() / 2]);
    }
    host.detachSnapIn();
    return 0;
}
