#pragma once
// A console on a temporary application folder for the shell's GUI tests: the
// real host, window, registry and models. Also an independent reading of a
// configuration file (a small line parser of our own) that says which nodes
// and Files items the tree must show.
#include "host/ConsoleHost.h"
#include "host/ConsoleWindow.h"
#include "registry/AppFolder.h"
#include "snapin/CorvaneSnapIn.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QMenu;

namespace corvane::test {

// What a configuration file says the console shows, worked out from its text.
class ConfOracle
{
public:
    explicit ConfOracle(const QStringList& lines);
    static ConfOracle fromFile(const QString& path);

    // Nodes under Main Server ("Kind:name" with Kind VHost, Directory,
    // Location, IfModule), in file order.
    QStringList mainServerChildren() const;
    // Nodes under the section whose head line is `headLine`-th (0-based) line.
    QStringList sectionChildren(int headLine) const;
    QStringList mainServerFiles() const;
    QStringList sectionFiles(int headLine) const;
    // Line index of the first head of that kind whose node name is `name`.
    int findSection(const QString& kind, const QString& name) const;
    // "Kind:name" paths below Main Server, depth first, for every node.
    QStringList allNodes() const;

private:
    struct Section
    {
        QString kind; // as written (Directory, VirtualHost, ...)
        QStringList args;
        int line;
        int parent; // index into m_sections, -1 top level
    };
    QStringList childrenOf(int parent) const;
    QStringList filesOf(int parent) const;
    QString nodeName(const Section& s, bool topLevel) const;
    QString nodeKind(const Section& s, bool topLevel) const;
    void walk(int parent, const QString& prefix, QStringList& out) const;

    QStringList m_lines;
    QList<Section> m_sections;
    QHash<int, QString> m_serverNameOf; // section index -> first ServerName argument
};

class SnapinFixture
{
public:
    SnapinFixture();
    ~SnapinFixture();

    const QString& appDir() const { return m_appDir; }
    const AppFolder& folder() const { return *m_folder; }

    // Registers a server with a working copy (the registry section is written).
    void addServer(const QString& name, const QByteArray& config, bool remote = false,
                   const QString& os = QStringLiteral("Linux / Unix"));
    // Registers a server whose working copy is missing.
    void addServerWithoutWorkingCopy(const QString& name);
    void installSample();

    // How the console reads a working copy (as main.cpp installs it); set
    // before start(). Without one the file alone is read.
    void setReader(snapin::LoadedServers::Reader reader) { m_reader = std::move(reader); }
    // Creates the host, the snap-in and the window, and expands the root.
    // `beforeLoad` (when set) gets the snap-in before the host loads it, to
    // install what the console's main installs (readers, hooks).
    void start();
    std::function<void(snapin::CorvaneSnapIn&)> beforeLoad;
    ConsoleHost& host() { return *m_host; }
    snapin::CorvaneSnapIn& snapIn() { return *m_snapIn; }
    ConsoleWindow& window() { return *m_window; }

    // The node reached from the root by display names, expanding on the way.
    ScopeItem* node(const QStringList& path);
    void select(ScopeItem* item);
    // Selects the result-list row of the Files item with this text.
    bool selectFilesItem(const QString& text);
    static QStringList childNodes(const ScopeItem& item); // "Kind:name"
    QStringList filesItems() const;                       // texts of the current view's list items

    // The menu built for the current selection (context menu); finds an action
    // by objectName in it and its "New" submenu.
    QAction* menuAction(const QString& name);
    bool triggerMenu(const QString& name);

    QString workingCopy(const QString& server) const;
    QString snapshot(const QString& server) const;
    // Trimmed non-empty lines of a file.
    static QStringList fileLines(const QString& path);
    // The lines of the configuration a fresh model rebuilds from the snapshot.
    QStringList snapshotLines(const QString& server) const;

    // Fills frmNewNode when it shows up: every step sets the text and clicks
    // the button ("ok" or "cancel"); the dialog may stay open after a step.
    void answerNewNode(const QList<QPair<QString, QString>>& steps);
    int newNodeDialogsSeen() const { return m_dialogsSeen; }
    QStringList newNodeCaptions() const { return m_captions; }

private:
    QTemporaryDir m_dir;
    QString m_appDir;
    std::unique_ptr<AppFolder> m_folder;
    std::unique_ptr<ConsoleHost> m_host;
    std::unique_ptr<snapin::CorvaneSnapIn> m_snapIn;
    std::unique_ptr<ConsoleWindow> m_window;
    std::unique_ptr<QMenu> m_menu;
    snapin::LoadedServers::Reader m_reader;
    int m_dialogsSeen = 0;
    QStringList m_captions;
};

// Where the new block of lines went: `after` is `before` with one contiguous
// block inserted. Returns the block ({} and pos -1 when that is not so).
QStringList insertedBlock(const QStringList& before, const QStringList& after, int* pos = nullptr);

} // namespace corvane::test
