#include "HostTestSnapIn.h"

#include <QLineEdit>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "host/ContextMenu.h"
#include "host/HelpTopics.h"
#include "host/PropertySheet.h"
#include "host/ResultView.h"
#include "host/Toolbar.h"

using namespace corvane;

namespace hosttest {

namespace {
QString keyOf(const Selection& selection)
{
    if (ResultItem* item = selection.firstListItem())
        return item->key();
    if (ScopeItem* item = selection.firstScopeItem())
        return item->isRoot() ? QStringLiteral("root") : item->key();
    return QStringLiteral("none");
}

QString typeForDepth(int depth)
{
    switch (depth) {
    case 1:
        return QStringLiteral("Server");
    case 2:
        return QStringLiteral("DefaultVHost");
    default:
        return QStringLiteral("Directory");
    }
}
} // namespace

int HostTestSnapIn::depthOf(const ScopeItem& item)
{
    int depth = 0;
    for (const ScopeItem* p = item.parent(); p; p = p->parent())
        ++depth;
    return depth;
}

ScopeItem* HostTestSnapIn::addChild(ScopeItem& parent, const QString& name)
{
    const int depth = depthOf(parent) + 1;
    const QString type = typeForDepth(depth);
    const int counter = m_counter++;
    ScopeItem* item = host().addScopeItem(parent, type, type + QLatin1Char('-') + QString::number(counter));
    if (!item)
        return nullptr;
    item->setDisplayName(name);
    item->setTag(depth == 1 ? kServerTag : depth == 2 ? kMainTag : counter + 1);
    item->setItemName(QStringLiteral("/srv/") + name + QStringLiteral("/WorkArea/httpd.conf"));
    item->setColumnHeader(1, QStringLiteral("Name"));
    item->setColumnHeader(2, QStringLiteral("Type"));
    item->setRowText(1, name);
    item->setRowText(2, type);
    return item;
}

void HostTestSnapIn::SnapIn_Load()
{
    events << "Load";
    host().registerNodeType({QStringLiteral("Server"),
                             QStringLiteral("Server Name"),
                             QStringLiteral("ServerView"),
                             {{QStringLiteral("Server Name"), 200}},
                             {}});
    host().registerNodeType({QStringLiteral("Directory"),
                             QStringLiteral("Directories"),
                             QStringLiteral("DirectoryView"),
                             {{QStringLiteral("Name"), 200}, {QStringLiteral("Type"), 100}},
                             {}});
}

void HostTestSnapIn::ScopeItems_Expand(ScopeItem& item)
{
    events << QStringLiteral("Expand:") + (item.isRoot() ? QStringLiteral("root") : item.key());
    if (onExpand) {
        onExpand(item);
        return;
    }
    if (depthOf(item) >= maxDepth)
        return;
    for (int i = 0; i < childrenPerExpand; ++i)
        addChild(
            item,
            QStringLiteral("%1.%2").arg(item.isRoot() ? QStringLiteral("n") : item.displayName()).arg(i));
}

void HostTestSnapIn::ScopeItems_Rename(ScopeItem& item, const QString& newName)
{
    events << QStringLiteral("Rename:%1:%2").arg(item.key(), newName);
    // Like the console: a name of blanks changes nothing.
    if (!newName.trimmed().isEmpty())
        item.setDisplayName(newName.trimmed());
}

void HostTestSnapIn::ResultViews_ItemRename(ResultView&, ResultItem& item, const QString& newName)
{
    events << QStringLiteral("ItemRename:%1:%2").arg(item.key(), newName);
    item.setText(newName);
    item.setRowText(1, newName);
}

void HostTestSnapIn::ScopeItems_PropertyChanged(ScopeItem& item, const QString& data)
{
    events << QStringLiteral("PropertyChanged:%1:%2")
                  .arg(item.isRoot() ? QStringLiteral("root") : item.key(), data);
}

void HostTestSnapIn::ResultViews_PropertyChanged(ResultView&, ResultItem& item, const QString& data)
{
    events << QStringLiteral("ListPropertyChanged:%1:%2").arg(item.key(), data);
}

void HostTestSnapIn::ScopeItems_Help(ScopeItem& item)
{
    events << QStringLiteral("Help:") + (item.isRoot() ? QStringLiteral("root") : item.key());
    host().showHelpTopic(HelpTopics::topicForNodeType(item.nodeType()));
}

void HostTestSnapIn::ResultViews_Help(ResultView&, ResultItem& item)
{
    events << QStringLiteral("ListHelp:") + item.key();
    host().showHelpTopic(QStringLiteral("node/files"));
}

void HostTestSnapIn::ResultViews_Initialize(ResultView& view)
{
    ScopeItem* scope = view.scopeItem();
    events << QStringLiteral("Init:") + (scope->isRoot() ? QStringLiteral("root") : scope->key());
    if (scope->nodeTag() < 1)
        return;
    QStringList names;
    for (int i = 0; i < filesPerView; ++i)
        names << QStringLiteral("file%1.html").arg(i);
    names << m_extraFiles;
    for (const QString& name : names) {
        // Keys never repeat, as the console's counters only grow.
        ResultItem* item = view.addListItem(QStringLiteral("File-%1").arg(m_fileCounter++), name, 1);
        item->setTag(1000 + m_fileCounter);
        item->setItemName(scope->itemName());
        item->setRowText(1, name);
        item->setRowText(2, QStringLiteral("File"));
    }
}

void HostTestSnapIn::Views_AddTopMenuItems(const Selection& selection, ContextMenu& menu)
{
    events << QStringLiteral("Top:") + keyOf(selection);
    if (!selection.isSingleScopeItem())
        return;
    ScopeItem* item = selection.firstScopeItem();
    if (item->isRoot()) {
        menu.addItem(QStringLiteral("mnuConnect"), QStringLiteral("Connect"));
        menu.addItem(QStringLiteral("mnuAboutC"), QStringLiteral("About"));
    } else if (item->nodeTag() == kServerTag) {
        menu.addItem(QStringLiteral("mnuDisConnect"), QStringLiteral("Disconnect"));
        menu.addItem(QStringLiteral("mnuGetConfig"), QStringLiteral("Get"),
                     item->displayName() != QLatin1String("n.0"));
    }
}

void HostTestSnapIn::Views_AddNewMenuItems(const Selection& selection, ContextMenu& menu)
{
    events << QStringLiteral("New:") + keyOf(selection);
    if (!selection.isSingleScopeItem())
        return;
    const int tag = selection.firstScopeItem()->nodeTag();
    if (tag != kMainTag && tag < 1)
        return;
    menu.addItem(QStringLiteral("mnuVHost"), QStringLiteral("Virtual Host"), tag == kMainTag);
    menu.addItem(QStringLiteral("mnuDirectory"), QStringLiteral("Directory"));
    menu.addItem(QStringLiteral("mnuFile"), QStringLiteral("File"));
}

bool HostTestSnapIn::Views_QueryPagesFor(const Selection& selection)
{
    events << QStringLiteral("Query:") + keyOf(selection);
    return queryPages;
}

void HostTestSnapIn::Views_CreatePropertyPages(const Selection& selection, PropertySheet& sheet)
{
    events << QStringLiteral("CreatePages:") + keyOf(selection);
    sheet.context().currentServerName = QStringLiteral("srv");
    for (int i = 0; i < pages.size(); ++i)
        sheet.addPage(pages[i], captions.value(i));
}

void HostTestSnapIn::Views_Select(const Selection& selection, bool selected, ConsoleVerbs& verbs)
{
    events << QStringLiteral("Select:%1:%2").arg(keyOf(selection)).arg(selected ? 1 : 0);
    if (!selected)
        return;
    if (selection.isSingleListItem()) {
        verbs.setEnabled(Verb::Properties, true);
        verbs.setEnabled(Verb::Delete, true);
        verbs.setEnabled(Verb::Refresh, true);
        verbs.setEnabled(Verb::Rename, true);
        return;
    }
    ScopeItem* item = selection.firstScopeItem();
    if (!item || item->isRoot())
        return;
    const int tag = item->nodeTag();
    verbs.setEnabled(Verb::Properties, true);
    if (tag >= 1) {
        verbs.setEnabled(Verb::Delete, true);
        verbs.setEnabled(Verb::Refresh, true);
        verbs.setEnabled(Verb::Rename, true);
    }
}

void HostTestSnapIn::Views_Refresh(const Selection& selection)
{
    events << QStringLiteral("Refresh:") + keyOf(selection);
}

void HostTestSnapIn::Views_Delete(const Selection& selection)
{
    events << QStringLiteral("Delete:") + keyOf(selection);
    if (ResultItem* item = selection.firstListItem()) {
        m_extraFiles.removeAll(item->text());
        host().redisplayResultView();
    } else if (ScopeItem* item = selection.firstScopeItem()) {
        host().removeScopeItem(*item);
    }
}

void HostTestSnapIn::Views_SetControlbar(Controlbar& controlbar)
{
    events << "SetControlbar";
    Toolbar& toolbar = controlbar.attach(QStringLiteral("tblNew"));
    toolbar.addButton(QStringLiteral("Get"), QStringLiteral("Get"), QStringLiteral("Get Conf File"));
    toolbar.addButton(QStringLiteral("Put"), QStringLiteral("Put"), QStringLiteral("Synchronize Conf File"));
}

void HostTestSnapIn::Views_UpdateControlbar(const Selection& selection, Controlbar& controlbar)
{
    events << QStringLiteral("UpdateControlbar:") + keyOf(selection);
    const bool onServer =
        selection.isSingleScopeItem() && selection.firstScopeItem()->nodeTag() == kServerTag;
    Toolbar* toolbar = controlbar.toolbar(QStringLiteral("tblNew"));
    toolbar->setButtonEnabled(QStringLiteral("Get"), onServer);
    toolbar->setButtonEnabled(QStringLiteral("Put"), onServer);
}

void HostTestSnapIn::Toolbar_ButtonClick(const QString& toolbar, const QString& button,
                                         const Selection& selection)
{
    events << QStringLiteral("Button:%1:%2:%3").arg(toolbar, button, keyOf(selection));
}

void HostTestSnapIn::MenuItem_Click(const QString& item, int index, const Selection& selection)
{
    events << QStringLiteral("Click:%1:%2:%3").arg(item).arg(index).arg(keyOf(selection));
    ScopeItem* scope = selection.firstScopeItem();
    if (item == QLatin1String("mnuDirectory") && scope) {
        addChild(*scope, QStringLiteral("new dir"));
    } else if (item == QLatin1String("mnuFile")) {
        m_extraFiles << QStringLiteral("new.cgi");
        host().redisplayResultView();
    }
}

QStringList HostTestSnapIn::eventsStartingWith(const QString& prefix) const
{
    QStringList found;
    for (const QString& e : events)
        if (e.startsWith(prefix))
            found << e;
    return found;
}

// ---- pages ---------------------------------------------------------------

RecordingPage::RecordingPage(const QString& name, QStringList* log) : m_name(name), m_log(log)
{
    setObjectName(name);
    setCaption(name.mid(3)); // "ppgAlpha" -> "Alpha"
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("txt") + name.mid(3));
    m_edit->setProperty("helpContextId", 6); // the Directory topic
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    connect(m_edit, &QLineEdit::textEdited, this, [this] { setChanged(); });
}

void RecordingPage::record(const QString& event)
{
    if (m_log)
        m_log->append(m_name + QLatin1Char(':') + event);
}

void RecordingPage::PropertyPage_SelectionChanged()
{
    const SelectedItem item = selectedControl();
    record(QStringLiteral("SelectionChanged:%1:%2:%3")
               .arg(item.itemName)
               .arg(item.nodeTag())
               .arg(context().currentServerName));
}

void RecordingPage::PropertyPage_ApplyChanges()
{
    record(QStringLiteral("Apply:") + m_edit->text());
    if (notifyOnApply)
        propertyChanged(QStringLiteral("RefreshTreeView"));
}

void registerRecordingPages(ConsoleHost& host, QStringList* log)
{
    for (const char* name : {"ppgAlpha", "ppgBeta", "ppgGamma"}) {
        const QString className = QString::fromLatin1(name);
        host.pageFactory().registerPage(className,
                                        [className, log] { return new RecordingPage(className, log); });
    }
}

TestEnvironment::TestEnvironment()
{
    QStandardPaths::setTestModeEnabled(true);
}

} // namespace hosttest
