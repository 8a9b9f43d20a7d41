#pragma once
// The main window: scope tree (treeScope) on the left, result list
// (lstResult) on the right, menus File (menuFile: actionExit), Action
// (menuAction, rebuilt for the selection when shown), View (menuView:
// actionRefresh), Help (menuHelp: actionHelpTopics); standard toolbar
// (toolbarStandard: actionProperties, actionDelete, actionRefresh,
// actionRename, actionHelp) and the snap-in's toolbars (objectName = the
// toolbar's name, buttons "<toolbar>_<key>"). Context menus (contextMenu) are
// built from the same entries: snap-in items (objectName = item name), the
// "New" submenu (menuNew), then the verbs. The status bar shows the host's
// status indicator as a flat button (cmdStatusIndicator) whose click opens
// its details (frmStatusDetails: txtStatusDetails).
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QDialog;
class QMenu;
class QPushButton;
class QSplitter;
class QTreeView;

namespace corvane {

class ConsoleHost;
class ScopeItem;
class Toolbar;

class ConsoleWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit ConsoleWindow(ConsoleHost& host, QWidget* parent = nullptr);
    ~ConsoleWindow() override;

    ConsoleHost& host() const { return m_host; }
    QTreeView* scopeTree() const { return m_tree; }
    QTreeView* resultList() const { return m_list; }

    // Fills a menu with the current selection's commands (what the Action menu
    // and the context menus show).
    void fillMenu(QMenu* menu);
    // Builds and pops up the context menu (non-blocking); returns it.
    QMenu* popupContextMenu(const QPoint& globalPos);
    QMenu* actionMenu() const { return m_actionMenu; }

    // Expands the whole loaded tree down to the given depth (root = 0).
    void expandToDepth(int depth);
    // Selects a scope item in the tree (and in the host).
    void selectScopeItem(ScopeItem* item);

    // The file (an ini file) where the window keeps its size, the splitter
    // and the column widths of every kind of result list between runs.
    // Setting it restores what it holds; closing the window saves.
    void setSettingsFile(const QString& path);
    void saveSettings();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createStatusIndicator();
    void showStatusDetails();
    void updateVerbs();
    void attachToolbar(Toolbar* toolbar);
    void syncTreeSelection();
    void syncListSelection();
    void resultViewChanged();

    ConsoleHost& m_host;
    QSplitter* m_splitter;
    QTreeView* m_tree;
    QTreeView* m_list;
    QMenu* m_actionMenu = nullptr;
    QPointer<QMenu> m_contextMenu;
    QAction* m_properties = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_refresh = nullptr;
    QAction* m_rename = nullptr;
    QAction* m_help = nullptr;
    QPushButton* m_statusIndicator = nullptr;
    QPointer<QDialog> m_statusDetails;
    QString m_settingsFile;
    QString m_viewShown; // the view name whose column widths the list shows
    QHash<QString, QList<int>> m_columnWidths;
    bool m_applyingWidths = false;
    bool m_syncing = false;
    int m_removing = 0;
};

} // namespace corvane
