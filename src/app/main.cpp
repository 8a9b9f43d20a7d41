// corvane: the console. Creates the application folder, the host window and
// the snap-in, then runs until the window closes.
//   corvane [--app-dir DIR] [--screenshot FILE [--expand-depth N]]
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "host/ConsoleHost.h"
#include "host/ConsoleWindow.h"
#include "host/MessageBox.h"
#include "host/ScopeTreeModel.h"

#include "catalogue/ApplicationFolder.h"
#include "model/ConfigFile.h"
#include "model/ModelProcedures.h"
#include "pages/PageRegistry.h"
#include "registry/AppFolder.h"
#include "registry/RegistryProcedures.h"
#include "snapin/CorvaneSnapIn.h"
#include "transfer/ServerModel.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/SyntaxCheck.h"
#include "transfer/UnifiedDiff.h"
#include "transfer/gui/TransferDialogs.h"

namespace {

// Expands the tree, shows the first Main Server-level node's list, and saves
// the window as a PNG. Returns the process exit code.
int takeScreenshot(corvane::ConsoleWindow& window, int depth, const QString& fileName)
{
    window.expandToDepth(depth);
    corvane::ScopeItem* pick = &window.host().root();
    // Walk down the first branch to depth 2 (a server's first child), as far as it goes.
    for (int d = 0; d < 2 && pick->childCount() > 0; ++d)
        pick = pick->child(0);
    window.selectScopeItem(pick);
    QApplication::processEvents();
    const QPixmap shot = window.grab();
    if (!shot.save(fileName, "PNG")) {
        std::fprintf(stderr, "corvane: cannot write %s\n", qPrintable(fileName));
        return 1;
    }
    std::printf("%s\n", qPrintable(fileName));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Corvane"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Corvane, a console for Apache httpd.conf files"));
    parser.addHelpOption();
    QCommandLineOption appDirOption(QStringLiteral("app-dir"),
                                    QStringLiteral("Use DIR as the application folder."),
                                    QStringLiteral("DIR"));
    QCommandLineOption shotOption(QStringLiteral("screenshot"),
                                  QStringLiteral("Expand the tree, save the window as a PNG image and quit."),
                                  QStringLiteral("FILE"));
    QCommandLineOption depthOption(QStringLiteral("expand-depth"),
                                   QStringLiteral("Levels to expand for --screenshot (default 3)."),
                                   QStringLiteral("N"), QStringLiteral("3"));
    parser.addOptions({appDirOption, shotOption, depthOption});
    parser.process(app);

    QString appDir = parser.value(appDirOption);
    if (appDir.isEmpty())
        appDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                 QStringLiteral("/corvane");
    appDir = QDir::cleanPath(QDir(appDir).absolutePath());
    // Creates the folder itself: a new folder gets the Sample server, so it
    // must not exist before this runs.
    std::string error;
    if (!corvane::prepareApplicationFolder(appDir.toStdString(), &error))
        corvane::MessageBox::critical(nullptr, QString::fromStdString(error));

    corvane::ConsoleHost host;
    corvane::ConsoleWindow window(host);
    host.setHelpFile(appDir + QStringLiteral("/Corvane.chm"));
    corvane::registerPropertyPages(host.pageFactory());
    const corvane::AppFolder folder(appDir);
    auto snapIn = std::make_unique<corvane::snapin::CorvaneSnapIn>(folder);
    // Server commands: the connection wizard, fetching and the upload wizard.
    using corvane::TransferDialogs;
    corvane::snapin::ServerCommandHooks& hooks = snapIn->serverCommands();
    hooks.connect = [&] { return TransferDialogs::connectServer(folder, host.dialogParent()); };
    hooks.get = [&](const QString& server) {
        TransferDialogs::getConfig(folder, server, host.dialogParent());
    };
    hooks.synchronize = [&](const QString& server) {
        TransferDialogs::synchronize(folder, server, host.dialogParent());
    };
    hooks.showChanges = [&](const QString& server) {
        TransferDialogs::showChanges(folder, server, host.dialogParent());
    };
    hooks.revertChanges = [&](const QString& server) {
        return TransferDialogs::revertChanges(folder, server, host.dialogParent());
    };
    // A module the checking Apache has compiled in counts as loaded: Debian's
    // apache2 has mod_logio built in and refuses a LoadModule for it.
    hooks.compiledInModules = [&](const QString& server) {
        const std::string version = corvane::GetServerApacheVersion(server.toStdString(), folder.iniPath());
        return corvane::SyntaxCheck(folder).compiledInModules(QString::fromStdString(version));
    };
    // The source view marks what changed since the last fetch.
    hooks.changedLines = [&](const QString& server, const QString& serverPath) {
        return corvane::UnifiedDiff::workingCopyMarks(corvane::ServerWorkArea(folder, server),
                                                      serverPath.toStdString());
    };
    // After each change the working copy is checked on a worker thread: the
    // check gets its own copy of the folder and touches nothing else.
    hooks.checkSyntax = [folder](const QString& server) {
        const corvane::SyntaxCheck::Verdict found = corvane::SyntaxCheck(folder).check(server);
        using State = corvane::snapin::SyntaxVerdict::State;
        const State state = found.state == corvane::SyntaxCheck::Verdict::State::Ok      ? State::Ok
                            : found.state == corvane::SyntaxCheck::Verdict::State::Error ? State::Error
                                                                                         : State::NoChecker;
        return corvane::snapin::SyntaxVerdict{state, found.apacheVersion, found.output};
    };
    if (!parser.isSet(shotOption))
        hooks.offerFirstConnection = [&] {
            // Asked once the main window stands, over it; a server added
            // there appears in the tree at once.
            QTimer::singleShot(0, &window, [&] {
                TransferDialogs::offerFirstConnection(folder, host.dialogParent());
                snapIn->refreshServers();
            });
        };
    // A configuration split over files is read whole: the main file and
    // every file its includes brought in. What could not be resolved is said.
    snapIn->configs().setReader([&](corvane::ConfigFile& config, const QString& path) {
        const std::string server =
            corvane::GetServerNameFromConfigPath(appDir.toStdString(), path.toStdString());
        corvane::TreeReport report;
        std::string why;
        const bool ok = corvane::ReadServerModel(folder, server, config, report, why);
        QStringList problems;
        for (const std::string& e : report.errors)
            problems << QString::fromStdString(e);
        if (!ok)
            problems.prepend(QString::fromStdString(why));
        if (!problems.isEmpty() && !parser.isSet(shotOption))
            corvane::MessageBox::warning(
                host.dialogParent(),
                QStringLiteral("The configuration of %1 has problems:\n%2")
                    .arg(QString::fromStdString(server), problems.join(QLatin1Char('\n'))));
        return ok;
    });
    window.setSettingsFile(appDir + QStringLiteral("/Console.ini"));
    host.attachSnapIn(snapIn.get());
    window.show();

    int code = 0;
    if (parser.isSet(shotOption)) {
        bool ok = false;
        int depth = parser.value(depthOption).toInt(&ok);
        if (!ok || depth < 0)
            depth = 3;
        code = takeScreenshot(window, depth, parser.value(shotOption));
    } else {
        code = app.exec();
    }
    host.detachSnapIn();
    return code;
}
