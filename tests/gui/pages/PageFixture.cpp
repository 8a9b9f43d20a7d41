#include "PageFixture.h"

#include "../Screenshot.h"

#include "catalogue/ApplicationFolder.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/DirectiveScop.h"
#include "pages/PageRegistry.h"
#include "registry/AppFolder.h"
#include "registry/Servers.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>

namespace corvane::test {

PageFixture::PageFixture()
{
    QStandardPaths::setTestModeEnabled(true);
    m_appDir = m_dir.path();
    std::string error;
    m_valid = m_dir.isValid() && prepareApplicationFolder(m_appDir.toStdString(), &error);
    registerPropertyPages(m_factory);
}

void PageFixture::setRegistryValue(const QString& server, const QString& key, const QString& value)
{
    Servers servers{AppFolder(m_appDir)};
    servers.WriteDataToInI(server.toStdString(), key.toStdString(), value.toStdString());
}

QString PageFixture::registryValue(const QString& server, const QString& key) const
{
    const Servers servers{AppFolder(m_appDir)};
    return QString::fromStdString(servers.GetDataFromInI(server.toStdString(), key.toStdString()));
}

QByteArray PageFixture::corpus(const QString& name)
{
    QFile f(QStringLiteral(CORVANE_TEST_DATA "/corpus/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void PageFixture::addServer(const QString& name, const QByteArray& config, const QString& version,
                            bool remote, const QString& os)
{
    setRegistryValue(name, QStringLiteral("APACHE_VERSION"), version);
    setRegistryValue(name, QStringLiteral("OS_TYPE"), os);
    setRegistryValue(name, QStringLiteral("CONNECT_TYPE"),
                     remote ? QStringLiteral("1") : QStringLiteral("0"));
    QDir().mkpath(m_appDir + u'/' + name + QStringLiteral("/WorkArea"));
    QFile f(workingCopy(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(config);
    f.close();
    ConfigFile cf(m_appDir.toStdString());
    cf.SetFileName(workingCopy(name).toStdString());
    cf.ReadFile();
    // The working copy in the writer's own layout, so that a test sees only
    // what a page changed, not where the writer puts sections.
    cf.WriteFile();
    cf.Serialize();
}

QString PageFixture::workingCopy(const QString& server) const
{
    return m_appDir + u'/' + server + QStringLiteral("/WorkArea/httpd.conf");
}

QStringList PageFixture::lines(const QString& server) const
{
    QFile f(workingCopy(server));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    for (QByteArray line : f.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString text = QString::fromLatin1(line).trimmed();
        if (!text.isEmpty())
            out << text;
    }
    return out;
}

int PageFixture::sectionNo(const QString& server, const QString& kind, const QString& args) const
{
    ConfigFile cf(m_appDir.toStdString());
    cf.SetFileName(workingCopy(server).toStdString());
    cf.DeSerialize();
    for (int i = 1; i <= cf.GetDirectiveCount(); ++i) {
        const Directive* d = cf.GetDirective(i);
        if (!d || d->GetType() != Directive::TypeSection)
            continue;
        const DirectiveScop* s = d->GetCurrentScopeDirective();
        if (!s || s->GetSubType() != DirectiveScop::SubHead)
            continue;
        if (QString::fromStdString(s->GetDirScopeName()).compare(kind, Qt::CaseInsensitive) == 0 &&
            QString::fromStdString(s->GetParamList())
                    .trimmed()
                    .compare(args.trimmed(), Qt::CaseInsensitive) == 0)
            return d->DirectiveNo();
    }
    return 0;
}

PropertySheet* PageFixture::openSheet(const QString& server, int tag, const QStringList& pages,
                                      bool filesItem)
{
    SelectedItem item;
    item.kind = filesItem ? SelectedItem::Kind::ListItem : SelectedItem::Kind::ScopeItem;
    item.key = QStringLiteral("node-%1").arg(tag);
    item.displayName = server;
    item.itemName = workingCopy(server);
    item.tag = tag;
    auto* sheet = new PropertySheet(item, &m_factory);
    PageContext& c = sheet->context();
    c.appDir = m_appDir;
    c.currentServerName = server;
    c.isLocalServer = registryValue(server, QStringLiteral("CONNECT_TYPE")) != QLatin1String("1");
    c.helpFilePath = m_appDir + QStringLiteral("/Corvane.chm");
    c.cataloguePath = m_appDir + QStringLiteral("/Corvane.dll");
    c.compiledInModules = m_compiledIn;
    if (!filesItem)
        c.propertySheetItem = item;
    sheet->onPropertyChanged = [this](const SelectedItem&, const QString& data) { m_notifications << data; };
    sheet->onHelpContext = [this](int id) { m_help << id; };
    for (const QString& p : pages)
        sheet->addPage(p);
    sheet->start();
    sheet->resize(640, 520);
    sheet->show();
    return sheet;
}

void PageFixture::whenShown(const QString& objectName, std::function<void(QDialog*)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [this, timer, objectName, answer, tries] {
        QWidget* w = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QDialog*>(w);
        if (dialog && dialog->objectName() == objectName && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            ++m_answered;
            answer(dialog);
            return;
        }
        if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

QStringList PageFixture::removedLines(const QStringList& before, const QStringList& after)
{
    QStringList rest = after;
    QStringList out;
    for (const QString& l : before) {
        const int i = rest.indexOf(l);
        if (i >= 0)
            rest.removeAt(i);
        else
            out << l;
    }
    return out;
}

QStringList PageFixture::addedLines(const QStringList& before, const QStringList& after)
{
    return removedLines(after, before);
}

QString PageFixture::enclosingSection(const QStringList& lines, const QString& line)
{
    const int at = [&] {
        for (int i = 0; i < lines.size(); ++i)
            if (lines[i].trimmed() == line.trimmed())
                return i;
        return -1;
    }();
    if (at < 0)
        return QStringLiteral("?");
    int depth = 0;
    for (int i = at - 1; i >= 0; --i) {
        const QString t = lines[i].trimmed();
        if (t.startsWith(QLatin1String("</")))
            ++depth;
        else if (t.startsWith(u'<')) {
            if (depth == 0)
                return t;
            --depth;
        }
    }
    return {};
}

bool PageFixture::screenshot(QWidget* widget, const QString& name)
{
    return saveScreenshot(widget, name);
}

} // namespace corvane::test
