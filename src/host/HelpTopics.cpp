#include "host/HelpTopics.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTextStream>

namespace corvane {

namespace {
const QString kPrefix = QStringLiteral(":/help/");

bool pageExists(const QString& page)
{
    return !page.isEmpty() && !page.contains(QLatin1String("..")) && QFile::exists(kPrefix + page);
}

QUrl urlFor(const QString& pageAndAnchor)
{
    const QString page = pageAndAnchor.section(QLatin1Char('#'), 0, 0);
    const QString anchor = pageAndAnchor.section(QLatin1Char('#'), 1);
    if (!pageExists(page))
        return {};
    QUrl url(QStringLiteral("qrc:/help/") + page);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

// Topic names of the old help file, lower-cased, with "/" separators.
const QHash<QString, QString>& legacyTopics()
{
    static const QHash<QString, QString> topics{
        {QStringLiteral("overview/dirbase-overview1.htm"), QStringLiteral("overview.html")},
    };
    return topics;
}

const QHash<QString, QString>& nodeTopics()
{
    static const QHash<QString, QString> topics{
        {QStringLiteral("Corvane"), QStringLiteral("node/root")},
        {QStringLiteral("Server"), QStringLiteral("node/server")},
        {QStringLiteral("DefaultVHost"), QStringLiteral("node/mainserver")},
        {QStringLiteral("VHosts"), QStringLiteral("node/vhost")},
        {QStringLiteral("Directory"), QStringLiteral("node/directory")},
        {QStringLiteral("Location"), QStringLiteral("node/location")},
        {QStringLiteral("IfModule"), QStringLiteral("node/ifmodule")},
        {QStringLiteral("File"), QStringLiteral("node/files")},
    };
    return topics;
}

QHash<int, QString> loadContexts()
{
    QHash<int, QString> contexts;
    QFile file(kPrefix + QStringLiteral("contexts.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return contexts;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool ok = false;
        const int id = parts.value(0).toInt(&ok);
        if (ok && parts.size() >= 2)
            contexts.insert(id, parts[1]);
    }
    return contexts;
}
} // namespace

QUrl HelpTopics::resolveTopic(const QString& topic)
{
    QString name = topic.trimmed();
    // "Corvane.chm::/Overview\Dirbase-OverView1.htm" -> "overview/dirbase-overview1.htm"
    const int sep = name.indexOf(QLatin1String("::"));
    if (sep >= 0)
        name = name.mid(sep + 2);
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (name.startsWith(QLatin1Char('/')))
        name.remove(0, 1);
    if (name.isEmpty())
        return {};
    const QString lower = name.toLower();
    if (auto it = legacyTopics().constFind(lower); it != legacyTopics().constEnd())
        return urlFor(*it);
    if (lower == QLatin1String("overview"))
        return urlFor(QStringLiteral("overview.html"));
    if (lower.startsWith(QLatin1String("node/")))
        return urlFor(QStringLiteral("node-") + lower.mid(5) + QStringLiteral(".html"));
    if (lower.endsWith(QLatin1String(".html")) || lower.contains(QLatin1String(".html#")))
        return urlFor(lower);
    return {};
}

QUrl HelpTopics::resolveContext(int contextId)
{
    static const QHash<int, QString> contexts = loadContexts();
    auto it = contexts.constFind(contextId);
    return it == contexts.constEnd() ? QUrl() : urlFor(*it);
}

QString HelpTopics::topicForNodeType(const QString& nodeType)
{
    return nodeTopics().value(nodeType, QStringLiteral("overview"));
}

QStringList HelpTopics::pages()
{
    return QDir(kPrefix).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

} // namespace corvane
