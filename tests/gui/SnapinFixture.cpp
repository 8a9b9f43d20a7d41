#include "SnapinFixture.h"

#include "host/MessageBox.h"
#include "host/ResultListModel.h"
#include "host/ResultView.h"
#include "host/ScopeItem.h"
#include "model/ConfigFile.h"
#include "registry/Servers.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTest>
#include <QTimer>

namespace corvane::test {

namespace {

QStringList splitArgs(const QString& rest)
{
    QStringList out;
    QString token;
    bool inQuote = false;
    for (QChar c : rest) {
        if (c == u'"') {
            token += c;
            if (inQuote) {
                out << token;
                token.clear();
            }
            inQuote = !inQuote;
        } else if (c == u' ' && !inQuote) {
            if (!token.isEmpty())
                out << token;
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.isEmpty())
        out << token;
    return out;
}

QString unquote(QString s)
{
    return s.remove(u'"').trimmed();
}

bool isKnownSection(const QString& kind)
{
    static const QStringList known{"DIRECTORY",     "DIRECTORYMATCH", "FILES",    "FILESMATCH", "LOCATION",
                                   "LOCATIONMATCH", "VIRTUALHOST",    "IFDEFINE", "IFMODULE"};
    return known.contains(kind.toUpper());
}

bool isNodeParent(const QString& kind)
{
    Q_UNUSED(kind);
    return true; // every section shows what is inside it
}

} // namespace

// ---- ConfOracle --------------------------------------------------------------

ConfOracle::ConfOracle(const QStringList& lines) : m_lines(lines)
{
    QList<int> stack;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith(u"</")) {
            const QString kind = line.mid(2).section(u'>', 0, 0).section(u' ', 0, 0);
            if (isKnownSection(kind)) {
                // The file's own nesting of the kinds that nest: the innermost one.
                for (int k = int(stack.size()) - 1; k >= 0; --k) {
                    if (isKnownSection(m_sections[stack[k]].kind)) {
                        stack = stack.mid(0, k);
                        break;
                    }
                }
                continue;
            }
            // Any other end closes the innermost open section of its name.
            for (int k = int(stack.size()) - 1; k >= 0; --k) {
                if (m_sections[stack[k]].kind.compare(kind, Qt::CaseInsensitive) == 0) {
                    stack = stack.mid(0, k);
                    break;
                }
            }
            continue;
        }
        if (line.startsWith(u'<')) {
            // A section name ends at a blank or ">"; without either the line
            // is no section head.
            if (!line.mid(1).contains(u' ') && !line.mid(1).contains(u'>'))
                continue;
            QString body = line.mid(1);
            if (body.endsWith(u'>'))
                body.chop(1);
            const QString kind = body.section(u' ', 0, 0);
            if (kind.isEmpty() || kind == QLatin1String("#ENTIRESERVER#"))
                continue;
            Section s{kind, splitArgs(body.section(u' ', 1)), i, stack.isEmpty() ? -1 : stack.last()};
            m_sections.append(s);
            stack.append(int(m_sections.size()) - 1);
            continue;
        }
        int owner = -1; // ServerName belongs to the innermost section of a nesting kind
        for (int k = int(stack.size()) - 1; k >= 0 && owner < 0; --k)
            if (isKnownSection(m_sections[stack[k]].kind))
                owner = stack[k];
        if (owner >= 0 && line.section(u' ', 0, 0).compare(u"ServerName", Qt::CaseInsensitive) == 0 &&
            !m_serverNameOf.contains(owner)) {
            m_serverNameOf.insert(owner, splitArgs(line.section(u' ', 1)).value(0));
        }
    }
}

ConfOracle ConfOracle::fromFile(const QString& path)
{
    return ConfOracle(SnapinFixture::fileLines(path));
}

QString ConfOracle::nodeKind(const Section& s, bool topLevel) const
{
    Q_UNUSED(topLevel);
    const QString k = s.kind.toUpper();
    if (isKnownSection(k) && s.args.isEmpty())
        return {};
    if (k == "VIRTUALHOST")
        return QStringLiteral("VHost");
    if (k == "DIRECTORY")
        return QStringLiteral("Directory");
    if (k == "LOCATION")
        return QStringLiteral("Location");
    if (k == "IFMODULE")
        return QStringLiteral("IfModule");
    if (k == "FILES") {
        // A node only when sections stand inside it; otherwise a list item.
        const int index = int(&s - m_sections.constData());
        for (const Section& inner : m_sections)
            if (inner.parent == index)
                return QStringLiteral("File");
        return {};
    }
    return QStringLiteral("Section");
}

QString ConfOracle::nodeName(const Section& s, bool topLevel) const
{
    Q_UNUSED(topLevel);
    const QString k = s.kind.toUpper();
    if (k == "VIRTUALHOST") {
        QStringList addresses;
        for (const QString& a : s.args)
            if (!unquote(a).isEmpty())
                addresses << unquote(a);
        const int index = int(&s - m_sections.constData());
        const QString name = unquote(m_serverNameOf.value(index));
        return name.isEmpty() ? addresses.join(u' ') : name + " (" + addresses.join(u' ') + ')';
    }
    if (k == "FILES")
        return s.args.value(0).trimmed() == "~" ? unquote(s.args.value(1)) : unquote(s.args.value(0));
    if (k == "DIRECTORY" || k == "LOCATION" || k == "IFMODULE")
        return unquote(s.args.value(0));
    QString title = s.kind;
    for (const QString& a : s.args)
        if (!unquote(a).isEmpty())
            title += u' ' + unquote(a);
    return title;
}

QStringList ConfOracle::childrenOf(int parent) const
{
    QStringList out;
    if (parent >= 0 && !isNodeParent(m_sections[parent].kind))
        return out;
    for (const Section& s : m_sections) {
        if (s.parent != parent)
            continue;
        const QString kind = nodeKind(s, parent < 0);
        if (!kind.isEmpty())
            out << kind + u':' + nodeName(s, parent < 0);
    }
    return out;
}

QStringList ConfOracle::filesOf(int parent) const
{
    QStringList out;
    for (const Section& s : m_sections) {
        if (s.parent != parent || s.args.isEmpty() || s.kind.toUpper() != "FILES" ||
            !nodeKind(s, false).isEmpty())
            continue;
        QString pattern =
            s.args.value(0).trimmed() == "~" ? unquote(s.args.value(1)) : unquote(s.args.value(0));
        if (pattern.isEmpty())
            pattern = unquote(s.args.value(0));
        out << pattern;
    }
    return out;
}

QStringList ConfOracle::mainServerChildren() const
{
    return childrenOf(-1);
}

QStringList ConfOracle::mainServerFiles() const
{
    return filesOf(-1);
}

QStringList ConfOracle::sectionChildren(int headLine) const
{
    for (int i = 0; i < m_sections.size(); ++i) {
        if (m_sections[i].line == headLine)
            return childrenOf(i);
    }
    return {};
}

QStringList ConfOracle::sectionFiles(int headLine) const
{
    for (int i = 0; i < m_sections.size(); ++i) {
        if (m_sections[i].line == headLine)
            return filesOf(i);
    }
    return {};
}

int ConfOracle::findSection(const QString& kind, const QString& name) const
{
    for (const Section& s : m_sections) {
        const QString k = nodeKind(s, s.parent < 0);
        if (k == kind && nodeName(s, s.parent < 0) == name)
            return s.line;
    }
    return -1;
}

void ConfOracle::walk(int parent, const QString& prefix, QStringList& out) const
{
    if (parent >= 0 && !isNodeParent(m_sections[parent].kind))
        return;
    for (int i = 0; i < m_sections.size(); ++i) {
        const Section& s = m_sections[i];
        if (s.parent != parent)
            continue;
        const QString kind = nodeKind(s, parent < 0);
        if (kind.isEmpty())
            continue;
        const QString path = prefix + u'/' + kind + u':' + nodeName(s, parent < 0);
        out << path;
        walk(i, path, out);
    }
}

QStringList ConfOracle::allNodes() const
{
    QStringList out;
    walk(-1, QString(), out);
    return out;
}

// ---- SnapinFixture ----------------------------------------------------------------

SnapinFixture::SnapinFixture()
{
    QStandardPaths::setTestModeEnabled(true);
    m_appDir = m_dir.path() + QStringLiteral("/app");
    QDir().mkpath(m_appDir);
    m_folder = std::make_unique<AppFolder>(m_appDir);
    MessageBox::clearNextAnswers();
    MessageBox::resetRecord();
}

SnapinFixture::~SnapinFixture()
{
    m_menu.reset();
    m_window.reset();
    if (m_host)
        m_host->detachSnapIn();
    m_snapIn.reset();
    m_host.reset();
    MessageBox::clearNextAnswers();
}

void SnapinFixture::addServer(const QString& name, const QByteArray& config, bool remote, const QString& os)
{
    const QString path = m_folder->workingCopyPath(name.toStdString());
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(config);
    f.close();
    Servers servers(*m_folder);
    const std::string n = name.toStdString();
    servers.WriteDataToInI(n, "SERVER_NAME", n);
    servers.WriteDataToInI(n, "APACHE_VERSION", "2.0.49");
    servers.WriteDataToInI(n, "CONNECT_TYPE", remote ? "1" : "0");
    servers.WriteDataToInI(n, "IS_SFTP", "0");
    servers.WriteDataToInI(n, "OS_TYPE", os.toStdString());
}

void SnapinFixture::addServerWithoutWorkingCopy(const QString& name)
{
    Servers servers(*m_folder);
    const std::string n = name.toStdString();
    servers.WriteDataToInI(n, "SERVER_NAME", n);
    servers.WriteDataToInI(n, "CONNECT_TYPE", "0");
    QDir().mkpath(m_folder->workAreaFolder(n));
}

void SnapinFixture::installSample()
{
    m_folder->ensureSample(true);
}

void SnapinFixture::start()
{
    m_host = std::make_unique<ConsoleHost>();
    m_snapIn = std::make_unique<snapin::CorvaneSnapIn>(*m_folder);
    if (beforeLoad)
        beforeLoad(*m_snapIn);
    if (m_reader)
        m_snapIn->configs().setReader(m_reader);
    m_host->attachSnapIn(m_snapIn.get());
    m_window = std::make_unique<ConsoleWindow>(*m_host);
    m_host->setDialogParent(m_window.get());
    m_window->resize(900, 600);
    m_window->show();
    m_host->expand(m_host->root());
}

ScopeItem* SnapinFixture::node(const QStringList& path)
{
    ScopeItem* item = &m_host->root();
    for (const QString& name : path) {
        m_host->expand(*item);
        ScopeItem* next = nullptr;
        for (int i = 0; i < item->childCount(); ++i) {
            if (item->child(i)->displayName() == name) {
                next = item->child(i);
                break;
            }
        }
        if (!next)
            return nullptr;
        item = next;
    }
    m_host->expand(*item);
    return item;
}

void SnapinFixture::select(ScopeItem* item)
{
    m_window->selectScopeItem(item);
}

bool SnapinFixture::selectFilesItem(const QString& text)
{
    ResultView* view = m_host->currentResultView();
    if (!view)
        return false;
    for (int i = 0; i < view->listItemCount(); ++i) {
        if (view->listItem(i)->text() == text) {
            m_host->selectResultRow(m_host->resultModel()->rowOf(view->listItem(i)));
            return m_host->selectedListItem() == view->listItem(i);
        }
    }
    return false;
}

QStringList SnapinFixture::childNodes(const ScopeItem& item)
{
    QStringList out;
    for (int i = 0; i < item.childCount(); ++i) {
        const ScopeItem* c = item.child(i);
        const QString kind =
            c->nodeType() == QLatin1String("VHosts") ? QStringLiteral("VHost") : c->nodeType();
        out << kind + u':' + c->displayName();
    }
    return out;
}

QStringList SnapinFixture::filesItems() const
{
    QStringList out;
    if (ResultView* view = m_host->currentResultView()) {
        for (int i = 0; i < view->listItemCount(); ++i)
            out << view->listItem(i)->text();
    }
    return out;
}

static QAction* findAction(QMenu* menu, const QString& name)
{
    for (QAction* a : menu->actions()) {
        if (a->objectName() == name)
            return a;
        if (a->menu()) {
            if (QAction* inner = findAction(a->menu(), name))
                return inner;
        }
    }
    return nullptr;
}

QAction* SnapinFixture::menuAction(const QString& name)
{
    m_menu = std::make_unique<QMenu>();
    m_window->fillMenu(m_menu.get());
    return findAction(m_menu.get(), name);
}

bool SnapinFixture::triggerMenu(const QString& name)
{
    QAction* action = menuAction(name);
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    return true;
}

QString SnapinFixture::workingCopy(const QString& server) const
{
    return m_folder->workingCopyPath(server.toStdString());
}

QString SnapinFixture::snapshot(const QString& server) const
{
    return m_folder->snapshotPath(server.toStdString());
}

QStringList SnapinFixture::fileLines(const QString& path)
{
    QFile f(path);
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    // Shown as the console shows bytes: UTF-8 when valid, otherwise Latin-1.
    const QByteArray bytes = f.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    for (QString line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        line.replace(u'\t', u' ');
        line = line.trimmed();
        if (!line.isEmpty())
            out << line;
    }
    return out;
}

QStringList SnapinFixture::snapshotLines(const QString& server) const
{
    ConfigFile config(m_appDir.toStdString());
    config.SetFileName(workingCopy(server).toStdString());
    if (!config.DeSerialize())
        return {};
    QStringList out;
    const QString text = QString::fromUtf8(QByteArray::fromStdString(config.WriteToString()));
    for (QString line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        line = line.trimmed();
        if (!line.isEmpty())
            out << line;
    }
    return out;
}

void SnapinFixture::answerNewNode(const QList<QPair<QString, QString>>& steps)
{
    auto queue = std::make_shared<QList<QPair<QString, QString>>>(steps);
    auto* timer = new QTimer(m_window.get());
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [this, queue, timer] {
        if (queue->isEmpty()) {
            timer->deleteLater();
            timer->stop();
            return;
        }
        QWidget* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("frmNewNode") && w->isVisible())
                dialog = w;
        }
        if (!dialog)
            return;
        ++m_dialogsSeen;
        m_captions << dialog->windowTitle() + u'|' + dialog->findChild<QLabel*>("lblNodeType")->text();
        const auto step = queue->takeFirst();
        auto* edit = dialog->findChild<QLineEdit*>("txtNewItemValue");
        edit->clear();
        QTest::keyClicks(edit, step.first);
        auto* button = dialog->findChild<QPushButton*>(step.second == "ok" ? "cmdOk" : "cmdCancel");
        QTest::mouseClick(button, Qt::LeftButton);
    });
    timer->start();
}

QStringList insertedBlock(const QStringList& before, const QStringList& after, int* pos)
{
    if (pos)
        *pos = -1;
    const int extra = int(after.size() - before.size());
    if (extra <= 0)
        return {};
    int head = 0;
    while (head < before.size() && before[head] == after[head])
        ++head;
    for (int i = head; i < before.size(); ++i) {
        if (before[i] != after[i + extra])
            return {};
    }
    if (pos)
        *pos = head;
    return after.mid(head, extra);
}

} // namespace corvane::test
