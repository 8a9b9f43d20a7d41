// Where each section stands in a configuration split over files: the File
// column of the result list (relative to the server root) and the tooltips
// of nodes and <Files> items (file:line), on a Debian-style tree fetched into
// the work area and read as the console reads it; a configuration in one file
// names its main file.
#include "SnapinFixture.h"
#include "SplitTree.h"

#include "host/ResultListModel.h"
#include "host/ScopeItem.h"
#include "host/ScopeTreeModel.h"
#include "model/ConfigFile.h"
#include "model/ModelProcedures.h"
#include "registry/Servers.h"
#include "transfer/ServerModel.h"

#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

class tst_snapin_files : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void placesOfNodes_data();
    void placesOfNodes();

private:
    QTemporaryDir m_server;
    std::unique_ptr<SnapinFixture> m_fx;
};

void tst_snapin_files::initTestCase()
{
    m_fx = std::make_unique<SnapinFixture>();
    const QString root = m_server.path() + QStringLiteral("/apache2");
    QVERIFY(writeTree(root, debianStyleTree()));
    const QString added = addLocalTreeServer(m_fx->appDir(), QStringLiteral("deb"), root);
    QVERIFY2(added.isEmpty(), qPrintable(added));
    const QByteArray single = "ServerName www.example.test\n\n<Directory /www>\nOptions None\n</Directory>\n";
    m_fx->addServer(QStringLiteral("plain"), single);
    m_fx->addServer(QStringLiteral("named"), single);
    Servers(m_fx->folder()).WriteDataToInI("named", "MAIN_FILE", "main.conf");
    // The reader the console installs: the whole tree from the work area.
    SnapinFixture* fx = m_fx.get();
    m_fx->setReader([fx](ConfigFile& config, const QString& path) {
        TreeReport report;
        std::string why;
        const std::string server =
            GetServerNameFromConfigPath(fx->appDir().toStdString(), path.toStdString());
        return ReadServerModel(fx->folder(), server, config, report, why);
    });
    m_fx->start();
}

void tst_snapin_files::placesOfNodes_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("tip");      // of the node in the tree
    QTest::addColumn<QStringList>("rows"); // of its result list: name | file | tooltip
    const QString one = QStringLiteral("one.example.test (*:8080)");
    const QString two = QStringLiteral("two.example.test (*:8080)");
    QTest::newRow("main server of a tree")
        << QStringList{"deb", "Main Server"} << "Main Server\napache2.conf"
        << QStringList{"/ | apache2.conf | /\napache2.conf:9",
                       "/srv/secret | conf-enabled/security.conf | /srv/secret\nconf-enabled/security.conf:1",
                       one + " | sites-enabled/one.conf | " + one + "\nsites-enabled/one.conf:1",
                       two + " | sites-enabled/two.conf | " + two + "\nsites-enabled/two.conf:3"};
    QTest::newRow("a site enabled through a link")
        << QStringList{"deb", "Main Server", one} << one + "\nsites-enabled/one.conf:1"
        << QStringList{"/var/www/one | sites-enabled/one.conf | /var/www/one\nsites-enabled/one.conf:3",
                       "secret.txt | sites-enabled/one.conf | secret.txt\nsites-enabled/one.conf:6"};
    QTest::newRow("one file") << QStringList{"plain", "Main Server"} << "Main Server\nhttpd.conf"
                              << QStringList{"/www | httpd.conf | /www\nhttpd.conf:3"};
    QTest::newRow("one file with its name") << QStringList{"named", "Main Server"} << "Main Server\nmain.conf"
                                            << QStringList{"/www | main.conf | /www\nmain.conf:3"};
}

void tst_snapin_files::placesOfNodes()
{
    QFETCH(QStringList, path);
    QFETCH(QString, tip);
    QFETCH(QStringList, rows);
    ScopeItem* item = m_fx->node(path);
    QVERIFY(item);
    ScopeTreeModel* tree = m_fx->host().scopeModel();
    QCOMPARE(tree->data(tree->indexFromItem(item), Qt::ToolTipRole).toString(), tip);

    m_fx->select(item);
    ResultListModel* list = m_fx->host().resultModel();
    QCOMPARE(list->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("File"));
    QStringList shown;
    for (int r = 0; r < list->rowCount(); ++r)
        shown << list->data(list->index(r, 0), Qt::DisplayRole).toString() + " | " +
                     list->data(list->index(r, 2), Qt::DisplayRole).toString() + " | " +
                     list->data(list->index(r, 0), Qt::ToolTipRole).toString();
    QCOMPARE(shown, rows);
}

QTEST_MAIN(tst_snapin_files)
#include "tst_snapin_files.moc"
