// From a page's Apply to the refreshed console tree, offscreen, on servers of
// generated configurations: the whole path a change takes (the model read
// back from the snapshot, the edit, the file written, the snapshot written,
// the console's model reloaded and its tree brought up to date).
//   bench_apply_refresh [HOSTS...] (default: 5000 50000)   RUNS=5 in the environment
// Each run changes the ServerAdmin of the last virtual host on its Server
// Settings page and presses Apply. Targets: under 150 ms at 5,000 hosts and
// under 1.5 s at 50,000.
#include "BenchSupport.h"
#include "ConfigGenerator.h"

#include "catalogue/ApplicationFolder.h"
#include "host/ConsoleHost.h"
#include "host/ConsoleWindow.h"
#include "host/MessageBox.h"
#include "host/PropertySheet.h"
#include "host/ScopeItem.h"
#include "pages/PageRegistry.h"
#include "registry/AppFolder.h"
#include "registry/Servers.h"
#include "snapin/CorvaneSnapIn.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace corvane;

namespace {

// Median wall and CPU milliseconds of `runs` Applies on a server of `hosts` virtual hosts.
bool measure(int hosts, int runs, double& wallMs, double& cpu)
{
    QTemporaryDir dir;
    const QString appDir = dir.path() + QStringLiteral("/app");
    const AppFolder folder(appDir);
    // The catalogue (and the Sample server) as the console installs them.
    if (!prepareApplicationFolder(appDir.toStdString(), nullptr))
        return false;
    QDir().mkpath(dir.path() + QStringLiteral("/www"));
    const std::string config =
        corvanebench::ConfigGenerator((dir.path() + QStringLiteral("/www")).toStdString())
            .generate(std::size_t(hosts));
    if (!corvanebench::registerServer(folder, "big", QByteArray::fromStdString(config), "2.4.62"))
        return false;

    ConsoleHost host;
    registerPropertyPages(host.pageFactory());
    snapin::CorvaneSnapIn snapIn{folder};
    host.attachSnapIn(&snapIn);
    ConsoleWindow window(host);
    window.resize(1000, 700);
    window.show();
    host.expand(host.root());
    ScopeItem* server = nullptr;
    for (int i = 0; i < host.root().childCount(); ++i)
        if (host.root().child(i)->displayName() == QLatin1String("big"))
            server = host.root().child(i);
    if (!server)
        return false;
    host.expand(*server);
    ScopeItem* main = server->child(0);
    window.selectScopeItem(main);
    QApplication::processEvents();
    if (main->childCount() < 1)
        return false;

    corvanebench::Times times;
    for (int i = 0; i < runs; ++i) {
        // The node is found again: a refresh may give the host new items.
        ScopeItem* vhost = main->child(main->childCount() - 1);
        window.selectScopeItem(vhost);
        QApplication::processEvents();
        PropertySheet* sheet = host.properties();
        auto* admin = sheet ? sheet->findChild<QLineEdit*>(QStringLiteral("txtServerAdmin")) : nullptr;
        if (!admin)
            return false;
        // A value of another length each run, so the file's size shows the write.
        const QString value = QStringLiteral("admin%1@example.org").arg(QString(i + 1, QLatin1Char('x')));
        admin->setText(value);
        emit admin->textEdited(value);

        const qint64 sizeBefore = QFileInfo(folder.workingCopyPath("big")).size();
        MessageBox::resetRecord();
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = corvanebench::threadCpuMs();
        sheet->apply();
        QApplication::processEvents(); // the tree is rebuilt once the change's event is over
        times.add(double(clock.nsecsElapsed()) / 1e6, corvanebench::threadCpuMs() - cpuStart);
        if (!MessageBox::lastText().isEmpty()) {
            std::fprintf(stderr, "bench_apply_refresh: %s\n", qPrintable(MessageBox::lastText()));
            return false;
        }
        if (QFileInfo(folder.workingCopyPath("big")).size() == sizeBefore) {
            std::fprintf(stderr, "bench_apply_refresh: Apply wrote nothing\n");
            return false;
        }
        sheet->reject();
        // The host lets go of a closed sheet once its deferred deletion ran.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
    host.detachSnapIn();
    wallMs = times.medianWall();
    cpu = times.medianCpu();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::max(1, std::atoi(argv[i])));
    if (sizes.empty())
        sizes = {5000, 50000};
    const int runs =
        std::max(1, qEnvironmentVariableIntValue("RUNS") ? qEnvironmentVariableIntValue("RUNS") : 5);
    for (const int hosts : sizes) {
        double wall = 0, cpu = 0;
        if (!measure(hosts, runs, wall, cpu)) {
            std::fprintf(stderr, "bench_apply_refresh: the run on %d hosts failed\n", hosts);
            return 1;
        }
        std::printf("Apply to refreshed tree, %6d virtual hosts (%d runs, target %s): wall median %.0f ms, "
                    "cpu median %.0f ms\n",
                    hosts, runs, hosts <= 5000 ? "< 150 ms" : "< 1.5 s", wall, cpu);
    }
    return 0;
}
