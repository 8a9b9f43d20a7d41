#include "host/ConsoleWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "host/ConsoleHost.h"
#include "host/HelpTopics.h"
#include "host/HelpViewer.h"
#include "host/PropertySheet.h"
#include "host/ResultListModel.h"
#include "host/ScopeTreeModel.h"

namespace corvane {

ConsoleWindow::ConsoleWindow(ConsoleHost& host, QWidget* parent) : QMainWindow(parent), m_host(host)
{
    setObjectName(QStringLiteral("consoleWindow"));
    setWindowTitle(QStringLiteral("Corvane"));
    resize(960, 620);
    m_host.setDialogParent(this);

    // While rows go away the views move their current index on their own;
    // the host decides where the selection goes instead. Connected before
    // the views get the model, so this runs before their selection models.
    connect(m_host.scopeModel(), &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { ++m_removing; });
    connect(m_host.scopeModel(), &QAbstractItemModel::rowsRemoved, this, [this] {
        --m_removing;
        syncTreeSelection();
    });

    m_tree = new QTreeView;
    m_tree->setObjectName(QStringLiteral("treeScope"));
    m_tree->setModel(m_host.scopeModel());
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    // Double-click opens Properties; the arrow and the keyboard still expand.
    m_tree->setExpandsOnDoubleClick(false);

    m_list = new QTreeView;
    m_list->setObjectName(QStringLiteral("lstResult"));
    m_list->setModel(m_host.resultModel());
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);

    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_list);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({280, 680});
    setCentralWidget(m_splitter);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    createStatusIndicator();

    createActions();
    createMenus();

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_syncing && !m_removing && !m_host.isBusy())
                    m_host.selectScopeItem(m_host.scopeModel()->itemFromIndex(current));
            });
    connect(m_tree, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (ScopeItem* item = m_host.scopeModel()->itemFromIndex(index))
            m_host.expand(*item);
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_syncing && !m_removing && !m_host.isBusy())
                    m_host.selectResultRow(current.isValid() ? current.row() : -1);
            });
    // The widths the user gives a list are kept for its kind of view.
    connect(m_list->header(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (m_applyingWidths || m_viewShown.isEmpty() || column < 0)
            return;
        QList<int>& widths = m_columnWidths[m_viewShown];
        while (widths.size() <= column)
            widths << 0;
        widths[column] = width;
    });
    connect(m_list, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        // Opening a child node from the list moves to it in the tree, as a console does.
        if (ScopeItem* child = m_host.resultModel()->scopeItemAt(index.row()))
            selectScopeItem(child);
        else if (m_host.isVerbEnabled(Verb::Properties))
            m_host.properties();
    });
    connect(m_tree, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (m_host.scopeModel()->itemFromIndex(index) != m_host.selectedScopeItem())
            return;
        if (m_host.isVerbEnabled(Verb::Properties))
            m_host.properties();
        else
            m_tree->setExpanded(index, !m_tree->isExpanded(index));
    });
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = m_tree->indexAt(pos);
        if (!index.isValid())
            return;
        m_tree->setCurrentIndex(index);
        popupContextMenu(m_tree->viewport()->mapToGlobal(pos));
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = m_list->indexAt(pos);
        if (index.isValid())
            m_list->setCurrentIndex(index);
        else
            m_list->setCurrentIndex(QModelIndex());
        popupContextMenu(m_list->viewport()->mapToGlobal(pos));
    });

    connect(&m_host, &ConsoleHost::selectionChanged, this, [this] {
        syncTreeSelection();
        syncListSelection();
        ScopeItem* item = m_host.selectedScopeItem();
        statusBar()->showMessage(item ? item->displayName() : QString());
    });
    connect(&m_host, &ConsoleHost::verbsChanged, this, &ConsoleWindow::updateVerbs);
    connect(&m_host, &ConsoleHost::resultViewChanged, this, &ConsoleWindow::resultViewChanged);
    connect(m_host.resultModel(), &QAbstractItemModel::modelReset, this, &ConsoleWindow::syncListSelection);

    for (Toolbar* toolbar : m_host.controlbar().toolbars())
        attachToolbar(toolbar);
    connect(&m_host.controlbar(), &Controlbar::toolbarAttached, this, &ConsoleWindow::attachToolbar);
    updateVerbs();
}

ConsoleWindow::~ConsoleWindow()
{
    // The panes go after the members: their last signals must not reach them.
    disconnect(m_list->header(), nullptr, this, nullptr);
    if (m_host.dialogParent() == this)
        m_host.setDialogParent(nullptr);
}

void ConsoleWindow::createActions()
{
    QStyle* s = style();
    m_properties = new QAction(s->standardIcon(QStyle::SP_FileDialogDetailedView), tr("P&roperties"), this);
    m_properties->setObjectName(QStringLiteral("actionProperties"));
    m_properties->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    connect(m_properties, &QAction::triggered, this, [this] { m_host.properties(); });

    m_delete = new QAction(s->standardIcon(QStyle::SP_TrashIcon), tr("&Delete"), this);
    m_delete->setObjectName(QStringLiteral("actionDelete"));
    m_delete->setShortcut(QKeySequence::Delete);
    m_delete->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(m_delete, &QAction::triggered, this, [this] { m_host.deleteSelection(); });

    m_refresh = new QAction(s->standardIcon(QStyle::SP_BrowserReload), tr("Re&fresh"), this);
    m_refresh->setObjectName(QStringLiteral("actionRefresh"));
    m_refresh->setShortcut(QKeySequence(Qt::Key_F5));
    connect(m_refresh, &QAction::triggered, this, [this] { m_host.refresh(); });

    m_rename = new QAction(tr("Re&name"), this);
    m_rename->setObjectName(QStringLiteral("actionRename"));
    m_rename->setShortcut(QKeySequence(Qt::Key_F2));
    connect(m_rename, &QAction::triggered, this, [this] {
        // Edit in place where the selection is shown; the host raises the rename event.
        if (m_list->currentIndex().isValid())
            m_list->edit(m_list->currentIndex().siblingAtColumn(0));
        else
            m_tree->edit(m_tree->currentIndex());
    });

    m_help = new QAction(s->standardIcon(QStyle::SP_DialogHelpButton), tr("&Help"), this);
    m_help->setObjectName(QStringLiteral("actionHelp"));
    m_help->setShortcut(QKeySequence::HelpContents);
    connect(m_help, &QAction::triggered, this, [this] { m_host.help(); });

    // The delete key belongs to the panes (a line edit elsewhere keeps its own).
    m_tree->addAction(m_delete);
    m_list->addAction(m_delete);
    addAction(m_properties);
    addAction(m_refresh);
    addAction(m_rename);
    addAction(m_help);
}

void ConsoleWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    QAction* exit = file->addAction(tr("E&xit"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("actionExit"));
    exit->setShortcut(QKeySequence::Quit);

    m_actionMenu = menuBar()->addMenu(tr("&Action"));
    m_actionMenu->setObjectName(QStringLiteral("menuAction"));
    connect(m_actionMenu, &QMenu::aboutToShow, this, [this] { fillMenu(m_actionMenu); });

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    view->addAction(m_refresh);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    QAction* topics = help->addAction(tr("Help &Topics"), this, [this] {
        m_host.showHelpTopic(QString::fromLatin1(HelpTopics::overviewTopic()));
    });
    topics->setObjectName(QStringLiteral("actionHelpTopics"));

    QToolBar* standard = addToolBar(tr("Standard"));
    standard->setObjectName(QStringLiteral("toolbarStandard"));
    standard->addAction(m_properties);
    standard->addAction(m_delete);
    standard->addAction(m_refresh);
    standard->addAction(m_help);
}

void ConsoleWindow::fillMenu(QMenu* menu)
{
    // Submenus are children of the menu: drop last time's before refilling.
    for (QMenu* old : menu->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
        delete old;
    menu->clear();

    ContextMenu top;
    ContextMenu newItems;
    m_host.buildMenu(top, newItems);
    for (int i = 0; i < top.items().size(); ++i) {
        const ContextMenu::Item& item = top.items()[i];
        QAction* action = menu->addAction(item.caption);
        action->setObjectName(item.name);
        action->setEnabled(item.enabled);
        action->setStatusTip(item.statusText);
        const QString name = item.name;
        connect(action, &QAction::triggered, this, [this, name, i] { m_host.clickMenuItem(name, i); });
    }
    if (!newItems.isEmpty()) {
        QMenu* sub = new QMenu(tr("&New"), menu);
        sub->setObjectName(QStringLiteral("menuNew"));
        menu->addMenu(sub);
        for (int i = 0; i < newItems.items().size(); ++i) {
            const ContextMenu::Item& item = newItems.items()[i];
            QAction* action = sub->addAction(item.caption);
            action->setObjectName(item.name);
            action->setEnabled(item.enabled);
            action->setStatusTip(item.statusText);
            const QString name = item.name;
            connect(action, &QAction::triggered, this, [this, name, i] { m_host.clickMenuItem(name, i); });
        }
    }
    if (!menu->isEmpty())
        menu->addSeparator();
    menu->addAction(m_refresh);
    menu->addAction(m_delete);
    menu->addAction(m_rename);
    menu->addSeparator();
    menu->addAction(m_properties);
    menu->addSeparator();
    menu->addAction(m_help);
}

QMenu* ConsoleWindow::popupContextMenu(const QPoint& globalPos)
{
    delete m_contextMenu.data();
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("contextMenu"));
    fillMenu(menu);
    m_contextMenu = menu;
    menu->popup(globalPos);
    return menu;
}

void ConsoleWindow::createStatusIndicator()
{
    // A flat button: its text is the state, a click shows the details.
    m_statusIndicator = new QPushButton(this);
    m_statusIndicator->setObjectName(QStringLiteral("cmdStatusIndicator"));
    m_statusIndicator->setFlat(true);
    m_statusIndicator->setCursor(Qt::PointingHandCursor);
    m_statusIndicator->hide();
    statusBar()->addPermanentWidget(m_statusIndicator);
    connect(&m_host, &ConsoleHost::statusIndicatorChanged, this, [this] {
        const QString& text = m_host.statusIndicatorText();
        m_statusIndicator->setText(text);
        m_statusIndicator->setToolTip(m_host.statusIndicatorToolTip());
        m_statusIndicator->setVisible(!text.isEmpty());
        if (m_statusDetails)
            m_statusDetails->findChild<QPlainTextEdit*>()->setPlainText(m_host.statusIndicatorDetails());
    });
    connect(m_statusIndicator, &QPushButton::clicked, this, &ConsoleWindow::showStatusDetails);
}

void ConsoleWindow::showStatusDetails()
{
    if (!m_statusDetails) {
        m_statusDetails = new QDialog(this);
        m_statusDetails->setObjectName(QStringLiteral("frmStatusDetails"));
        m_statusDetails->setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(m_statusDetails);
        auto* text = new QPlainTextEdit(m_statusDetails);
        text->setObjectName(QStringLiteral("txtStatusDetails"));
        text->setReadOnly(true);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        layout->addWidget(text, 1);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, m_statusDetails);
        connect(buttons, &QDialogButtonBox::rejected, m_statusDetails, &QDialog::close);
        layout->addWidget(buttons);
        m_statusDetails->resize(640, 320);
    }
    m_statusDetails->setWindowTitle(m_host.statusIndicatorText());
    m_statusDetails->findChild<QPlainTextEdit*>()->setPlainText(m_host.statusIndicatorDetails());
    m_statusDetails->show();
    m_statusDetails->raise();
}

void ConsoleWindow::updateVerbs()
{
    m_properties->setEnabled(m_host.isVerbEnabled(Verb::Properties));
    m_delete->setEnabled(m_host.isVerbEnabled(Verb::Delete));
    m_refresh->setEnabled(m_host.isVerbEnabled(Verb::Refresh));
    m_rename->setEnabled(m_host.isVerbEnabled(Verb::Rename));
    m_rename->setVisible(m_host.isVerbEnabled(Verb::Rename));
}

void ConsoleWindow::attachToolbar(Toolbar* toolbar)
{
    QToolBar* bar = addToolBar(toolbar->name());
    bar->setObjectName(toolbar->name());
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto rebuild = [this, bar, toolbar] {
        const QList<Toolbar::Button>& buttons = toolbar->buttons();
        for (int i = 0; i < buttons.size(); ++i) {
            const Toolbar::Button& b = buttons[i];
            const QString objectName = toolbar->name() + QLatin1Char('_') + b.key;
            QAction* action = bar->findChild<QAction*>(objectName);
            if (!action) {
                QIcon icon = QIcon::fromTheme(b.iconName);
                if (icon.isNull())
                    icon = style()->standardIcon(b.key.contains(QLatin1String("Put"), Qt::CaseInsensitive)
                                                     ? QStyle::SP_ArrowUp
                                                     : QStyle::SP_ArrowDown);
                action = new QAction(icon, b.caption, bar);
                action->setObjectName(objectName);
                if (!b.shortcut.isEmpty())
                    action->setShortcut(QKeySequence(b.shortcut));
                const QString name = toolbar->name();
                const QString key = b.key;
                connect(action, &QAction::triggered, this,
                        [this, name, key] { m_host.clickToolbarButton(name, key); });
                bar->addAction(action);
                if (QWidget* w = bar->widgetForAction(action))
                    w->setObjectName(objectName);
            }
            action->setText(b.caption);
            action->setToolTip(b.toolTip.isEmpty() ? b.caption : b.toolTip);
            action->setEnabled(b.enabled);
        }
    };
    rebuild();
    connect(toolbar, &Toolbar::buttonsChanged, bar, rebuild);
}

void ConsoleWindow::resultViewChanged()
{
    m_applyingWidths = true;
    const ResultView* view = m_host.currentResultView();
    m_viewShown = view ? view->viewName() : QString();
    const QList<ColumnHeader>& columns = m_host.resultModel()->columns();
    const QList<int> kept = m_columnWidths.value(m_viewShown);
    for (int i = 0; i < columns.size(); ++i) {
        if (i < kept.size() && kept[i] > 0)
            m_list->setColumnWidth(i, kept[i]);
        else if (columns[i].width > 0)
            m_list->setColumnWidth(i, columns[i].width);
    }
    m_applyingWidths = false;
    syncListSelection();
}

void ConsoleWindow::setSettingsFile(const QString& path)
{
    m_settingsFile = path;
    if (path.isEmpty())
        return;
    QSettings settings(path, QSettings::IniFormat);
    if (const QByteArray g = settings.value(QStringLiteral("window/geometry")).toByteArray(); !g.isEmpty())
        restoreGeometry(g);
    if (const QByteArray s = settings.value(QStringLiteral("window/splitter")).toByteArray(); !s.isEmpty())
        m_splitter->restoreState(s);
    settings.beginGroup(QStringLiteral("columns"));
    for (const QString& view : settings.childKeys()) {
        QList<int> widths;
        for (const QVariant& v : settings.value(view).toList())
            widths << v.toInt();
        m_columnWidths.insert(view, widths);
    }
    settings.endGroup();
    resultViewChanged();
}

void ConsoleWindow::saveSettings()
{
    if (m_settingsFile.isEmpty())
        return;
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("window/splitter"), m_splitter->saveState());
    settings.beginGroup(QStringLiteral("columns"));
    for (auto it = m_columnWidths.cbegin(); it != m_columnWidths.cend(); ++it) {
        QVariantList widths;
        for (int w : it.value())
            widths << w;
        settings.setValue(it.key(), widths);
    }
    settings.endGroup();
    settings.sync();
}

void ConsoleWindow::syncTreeSelection()
{
    const QModelIndex wanted = m_host.scopeModel()->indexFromItem(m_host.selectedScopeItem());
    if (m_tree->currentIndex() == wanted)
        return;
    m_syncing = true;
    if (wanted.isValid()) {
        m_tree->setCurrentIndex(wanted);
        m_tree->scrollTo(wanted);
    } else {
        m_tree->selectionModel()->clearCurrentIndex();
        m_tree->clearSelection();
    }
    m_syncing = false;
}

void ConsoleWindow::syncListSelection()
{
    ResultListModel* model = m_host.resultModel();
    int row = -1;
    if (ResultItem* list = m_host.selectedListItem())
        row = model->rowOf(list);
    else if (!m_host.currentSelection().scopeItems.isEmpty() &&
             m_host.currentSelection().firstScopeItem() != m_host.selectedScopeItem())
        row = model->rowOf(m_host.currentSelection().firstScopeItem());
    const QModelIndex wanted = row >= 0 ? model->index(row, 0) : QModelIndex();
    if (m_list->currentIndex().row() == wanted.row() && m_list->currentIndex().isValid() == wanted.isValid())
        return;
    m_syncing = true;
    if (wanted.isValid()) {
        m_list->setCurrentIndex(wanted);
    } else {
        m_list->selectionModel()->clearCurrentIndex();
        m_list->clearSelection();
    }
    m_syncing = false;
}

void ConsoleWindow::expandToDepth(int depth)
{
    QList<QModelIndex> level{m_host.scopeModel()->index(0, 0)};
    for (int d = 0; d < depth && !level.isEmpty(); ++d) {
        QList<QModelIndex> next;
        for (const QModelIndex& index : level) {
            m_tree->expand(index); // raises the expansion through the expanded() signal
            if (ScopeItem* item = m_host.scopeModel()->itemFromIndex(index))
                m_host.expand(*item);
            const QModelIndex fresh =
                m_host.scopeModel()->indexFromItem(m_host.scopeModel()->itemFromIndex(index));
            for (int r = 0; r < m_host.scopeModel()->rowCount(fresh); ++r)
                next.append(m_host.scopeModel()->index(r, 0, fresh));
        }
        level = next;
    }
}

void ConsoleWindow::selectScopeItem(ScopeItem* item)
{
    const QModelIndex index = m_host.scopeModel()->indexFromItem(item);
    if (!index.isValid())
        return;
    m_tree->scrollTo(index);
    m_tree->setCurrentIndex(index);
}

void ConsoleWindow::closeEvent(QCloseEvent* event)
{
    if (PropertySheet* sheet = m_host.openSheet())
        sheet->reject();
    if (HelpViewer* viewer = m_host.existingHelpViewer())
        viewer->close();
    saveSettings();
    event->accept();
}

} // namespace corvane
