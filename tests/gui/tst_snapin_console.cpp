// The console as an administrator tells things apart: virtual hosts by their
// server name and address, descriptions and full names as tooltips, one image
// per node kind, a window that keeps its size and columns, double-click for
// Properties and Refresh on the root for servers registered meanwhile.
#include "SnapinFixture.h"

#include "host/PropertyPage.h"
#include "host/PropertySheet.h"
#include "host/ResultListModel.h"
#include "host/ScopeItem.h"
#include "host/ScopeTreeModel.h"
#include "registry/Servers.h"

#include <QFile>
#include <QImage>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QTreeView>

using namespace corvane;
using namespace corvane::test;

namespace {

QByteArray corpusFile(const QString& name)
{
    QFile in(QStringLiteral(CORVANE_TEST_DATA "/corpus/") + name);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    return in.readAll().replace("@TMP@", "/tmp/corvane-corpus");
}

QVariant treeData(SnapinFixture& fx, ScopeItem* item, int role)
{
    return fx.host().scopeModel()->data(fx.host().scopeModel()->indexFromItem(item), role);
}

QImage iconImage(const QVariant& icon)
{
    return icon.value<QIcon>().pixmap(16, 16).toImage();
}

// The first node below `item` (depth first) of a node type.
ScopeItem* firstOfType(SnapinFixture& fx, ScopeItem* item, const QString& type)
{
    fx.host().expand(*item);
    for (int i = 0; i < item->childCount(); ++i) {
        if (item->child(i)->nodeType() == type)
            return item->child(i);
        if (ScopeItem* found = firstOfType(fx, item->child(i), type))
            return found;
    }
    return nullptr;
}

class Page : public PropertyPage
{
public:
    Page() { setCaption(QStringLiteral("Page")); }
};

} // namespace

class tst_snapin_console : public QObject
{
    Q_OBJECT
private slots:
    void virtualHostLabels_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("hosts");
        QTest::newRow("name-based hosts on two ports")
            << "apache24-vhosts-crlf.conf"
            << QStringList{"www.alpha.example (*:8080)", "beta.example (*:8080)",
                           "admin.example (127.0.0.1:8081)"};
        QTest::newRow("quoted address with a server name")
            << "apache13-win32.conf" << QStringList{"intranet.example (10.1.1.1)"};
    }
    void virtualHostLabels()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, hosts);
        SnapinFixture fx;
        fx.addServer("corpus", corpusFile(file));
        fx.start();
        ScopeItem* main = fx.node({"corpus", "Main Server"});
        QVERIFY(main);
        QStringList shown;
        for (int i = 0; i < main->childCount(); ++i)
            if (main->child(i)->nodeType() == QLatin1String("VHosts"))
                shown << main->child(i)->displayName();
        for (const QString& h : hosts)
            QVERIFY2(shown.contains(h), qPrintable(shown.join(" | ")));
        // Two hosts on one address are told apart.
        QCOMPARE(QSet<QString>(shown.begin(), shown.end()).size(), shown.size());
    }

    void tooltips()
    {
        SnapinFixture fx;
        fx.addServer("s", "<VirtualHost *:80>\n"
                          "#CORVANE_VHOST_DESCRIPTION The shop, run by sales\n"
                          "ServerName www.example.com\n"
                          "</VirtualHost>\n"
                          "<VirtualHost *:81>\n</VirtualHost>\n"
                          "<Directory /a/very/long/path/that/a/narrow/pane/cuts/off>\n</Directory>\n");
        fx.start();
        ScopeItem* main = fx.node({"s", "Main Server"});
        QVERIFY(main);
        QCOMPARE(SnapinFixture::childNodes(*main),
                 (QStringList{"VHost:www.example.com (*:80)", "VHost:*:81",
                              "Directory:/a/very/long/path/that/a/narrow/pane/cuts/off"}));
        // The description or the full name, then where the section stands.
        QCOMPARE(treeData(fx, main->child(0), Qt::ToolTipRole).toString(),
                 QStringLiteral("The shop, run by sales\nhttpd.conf:1"));
        QCOMPARE(treeData(fx, main->child(1), Qt::ToolTipRole).toString(),
                 QStringLiteral("*:81\nhttpd.conf:5"));
        QCOMPARE(treeData(fx, main->child(2), Qt::ToolTipRole).toString(),
                 QStringLiteral("/a/very/long/path/that/a/narrow/pane/cuts/off\nhttpd.conf:7"));
        // The result list shows the same tooltips.
        fx.select(main);
        ResultListModel* list = fx.host().resultModel();
        QCOMPARE(list->data(list->index(list->rowOf(main->child(0)), 0), Qt::ToolTipRole).toString(),
                 QStringLiteral("The shop, run by sales\nhttpd.conf:1"));
    }

    void oneIconPerKind()
    {
        SnapinFixture fx;
        fx.addServer("corpus", corpusFile("apache24-expressions.conf") + "\n" +
                                   corpusFile("apache20-windows.conf").replace("\r\n", "\n") +
                                   "<Files shown.txt>\n<If \"true\">\n</If>\n</Files>\n");
        fx.start();
        ScopeItem* server = fx.node({"corpus"});
        ScopeItem* main = fx.node({"corpus", "Main Server"});
        QVERIFY(server && main);
        QList<QImage> images{iconImage(treeData(fx, &fx.host().root(), Qt::DecorationRole)),
                             iconImage(treeData(fx, server, Qt::DecorationRole)),
                             iconImage(treeData(fx, main, Qt::DecorationRole))};
        for (const char* type : {"VHosts", "Directory", "Location", "IfModule", "File", "Section"}) {
            ScopeItem* node = firstOfType(fx, main, QString::fromLatin1(type));
            QVERIFY2(node, type);
            images << iconImage(treeData(fx, node, Qt::DecorationRole));
        }
        for (int i = 0; i < images.size(); ++i) {
            QVERIFY(!images[i].isNull());
            for (int j = i + 1; j < images.size(); ++j)
                QVERIFY2(images[i] != images[j], qPrintable(QStringLiteral("kinds %1 and %2").arg(i).arg(j)));
        }
    }

    void windowKeepsItsLayout()
    {
        SnapinFixture fx;
        fx.addServer("s", "<Directory /x>\n</Directory>\n");
        fx.start();
        const QString ini = fx.appDir() + QStringLiteral("/Console.ini");
        ConsoleWindow& w = fx.window();
        w.setSettingsFile(ini);
        w.resize(700, 450);
        auto* splitter = w.findChild<QSplitter*>(QStringLiteral("splitter"));
        QVERIFY(splitter);
        splitter->setSizes({150, 550});
        fx.select(fx.node({"s", "Main Server"}));
        w.resultList()->setColumnWidth(0, 333);
        fx.select(fx.node({"s"}));
        w.close();
        QVERIFY(QFile::exists(ini));

        // A second window on the same file comes back as it was left.
        ConsoleHost host;
        ConsoleWindow again(host);
        again.setSettingsFile(ini);
        again.show();
        QCOMPARE(again.size(), QSize(700, 450));
        QCOMPARE(again.findChild<QSplitter*>(QStringLiteral("splitter"))->sizes().value(0), 150);
        QSettings settings(ini, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("columns/DefaultVHostView")).toList().value(0).toInt(), 333);
    }

    void doubleClickOpensProperties()
    {
        SnapinFixture fx;
        fx.addServer("s", "<Directory /x>\n</Directory>\n");
        fx.start();
        fx.host().pageFactory().registerPage(QStringLiteral("ppgDirectorySecurity"), [] { return new Page; });
        ScopeItem* dir = fx.node({"s", "Main Server", "/x"});
        QVERIFY(dir);
        fx.window().expandToDepth(3);
        fx.window().selectScopeItem(dir);
        QTreeView* tree = fx.window().scopeTree();
        const QRect rect = tree->visualRect(fx.host().scopeModel()->indexFromItem(dir));
        QVERIFY(rect.isValid());
        QSignalSpy dbl(tree, &QAbstractItemView::doubleClicked);
        // A double-click is a press and release, then the double-click event.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(dbl.count(), 1);
        QTRY_VERIFY(fx.host().openSheet());
        fx.host().openSheet()->reject();
        QTRY_VERIFY(!fx.host().openSheet());
    }

    void refreshOnTheRootReadsTheRegistry()
    {
        SnapinFixture fx;
        fx.addServer("first", "<Directory /a>\n</Directory>\n");
        fx.addServer("gone", "<Directory /b>\n</Directory>\n");
        fx.start();
        QVERIFY(fx.node({"first", "Main Server", "/a"}));
        // Another program (corvanectl) registers a server and removes one.
        fx.addServer("later", "<Location /c>\n</Location>\n");
        Servers(fx.folder()).DeleteServer("gone");
        fx.select(&fx.host().root());
        QVERIFY(fx.host().isVerbEnabled(Verb::Refresh));
        ScopeItem* kept = fx.node({"first", "Main Server", "/a"});
        fx.host().refresh();
        QVERIFY(fx.host().contains(kept)); // untouched servers keep their nodes
        QVERIFY(fx.node({"later", "Main Server", "/c"}));
        QVERIFY(!fx.node({"gone"}));
    }
};

QTEST_MAIN(tst_snapin_console)
#include "tst_snapin_console.moc"
