// Which pages the property sheet of each node kind gets, in which order.
#include "snapin/PageDispatcher.h"
#include "snapin/SectionTypes.h"

#include <QStandardPaths>
#include <QTest>

using namespace corvane::snapin;

namespace {

QStringList names(const QList<PageSpec>& pages)
{
    QStringList out;
    for (const auto& p : pages)
        out << (p.caption.isEmpty() ? p.pageName : p.pageName + QLatin1Char('=') + p.caption);
    return out;
}

} // namespace

class tst_dispatch_pages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void nodePages_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("sectionType");
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QStringList>("expected");

        const QStringList server{"ppgGlobalProperties", "ppgGlobalProperties_1", "ppgUnSupportedDirectives",
                                 "ppgConnections"};
        QTest::newRow("server") << kServerTag << kScopeNone << false << server;
        QTest::newRow("server on windows") << kServerTag << kScopeNone << true << server;
        QTest::newRow("main server, unix")
            << kMainServerTag << kScopeNone << false
            << QStringList{"ppgServerSettings", "ppgCustomErrors", "ppgDocuments",
                           "ppgHomeDirectory",  "ppgHTTPHeaders",  "ppgUnSupportedDirectives"};
        QTest::newRow("main server, windows: ISAPI fifth")
            << kMainServerTag << kScopeNone << true
            << QStringList{"ppgServerSettings",       "ppgCustomErrors",    "ppgDocuments",
                           "ppgHomeDirectory",        "ppgISAPIExtensions", "ppgHTTPHeaders",
                           "ppgUnSupportedDirectives"};
        const QStringList vhost{"ppgServerSettings", "ppgCustomErrors", "ppgDocuments",
                                "ppgHomeDirectory",  "ppgHTTPHeaders",  "ppgUnSupportedDirectives"};
        QTest::newRow("virtual host") << 12 << kScopeVirtualHost << false << vhost;
        QTest::newRow("virtual host on windows has no ISAPI") << 12 << kScopeVirtualHost << true << vhost;
        QTest::newRow("directory keeps its caption")
            << 57 << kScopeDirectory << false
            << QStringList{"ppgDirectorySecurity", "ppgDirectoryMimeMap", "ppgUnSupportedDirectives"};
        QTest::newRow("location") << 3 << kScopeLocation << false
                                  << QStringList{"ppgDirectorySecurity=Location Security",
                                                 "ppgDirectoryMimeMap", "ppgUnSupportedDirectives"};
        QTest::newRow("ifmodule") << 4 << kScopeIfModule << false << QStringList{"ppgUnSupportedDirectives"};
        QTest::newRow("files as a node gets the Files pages")
            << 5 << kScopeFiles << false
            << QStringList{"ppgDirectorySecurity=File Security", "ppgUnSupportedDirectives"};
        for (int t : {kScopeDirectoryMatch, kScopeFilesMatch, kScopeLocationMatch, kScopeIfDefine,
                      kScopeEntireServer})
            QTest::addRow("section of type %d: its directives", t)
                << 5 << t << false << QStringList{"ppgUnSupportedDirectives"};
        QTest::newRow("deleted section") << 5 << kScopeNone << false << QStringList{};
        QTest::newRow("tag 0") << 0 << kScopeDirectory << false << QStringList{};
        QTest::newRow("tag -3") << -3 << kScopeDirectory << false << QStringList{};
    }
    void nodePages()
    {
        QFETCH(int, tag);
        QFETCH(int, sectionType);
        QFETCH(bool, windows);
        QFETCH(QStringList, expected);
        QCOMPARE(names(PageDispatcher::pagesForNode(tag, sectionType, windows)), expected);
    }

    void filesItemPages_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("sectionType");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("hasPages");
        QTest::newRow("files") << 9 << kScopeFiles
                               << QStringList{"ppgDirectorySecurity=File Security",
                                              "ppgUnSupportedDirectives"}
                               << true;
        QTest::newRow("files item whose section is gone") << 9 << kScopeNone << QStringList{} << false;
        QTest::newRow("number points at a directory") << 9 << kScopeDirectory << QStringList{} << false;
        QTest::newRow("tag 0") << 0 << kScopeFiles << QStringList{} << false;
    }
    void filesItemPages()
    {
        QFETCH(int, tag);
        QFETCH(int, sectionType);
        QFETCH(QStringList, expected);
        QFETCH(bool, hasPages);
        QCOMPARE(names(PageDispatcher::pagesForFilesItem(tag, sectionType)), expected);
        QCOMPARE(PageDispatcher::filesItemHasPages(tag, sectionType), hasPages);
    }

    void pageQuery_data()
    {
        QTest::addColumn<bool>("root");
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("sectionType");
        QTest::addColumn<bool>("expected");
        QTest::newRow("root answers yes") << true << 0 << kScopeNone << true;
        QTest::newRow("server") << false << kServerTag << kScopeNone << true;
        QTest::newRow("main server") << false << kMainServerTag << kScopeNone << true;
        for (int t : {kScopeDirectory, kScopeLocation, kScopeVirtualHost, kScopeIfModule})
            QTest::addRow("section type %d", t) << false << 7 << t << true;
        for (int t : {kScopeDirectoryMatch, kScopeFiles, kScopeFilesMatch, kScopeLocationMatch,
                      kScopeIfDefine, kScopeEntireServer})
            QTest::addRow("every section has a sheet: type %d", t) << false << 7 << t << true;
        QTest::newRow("no sheet for a line that is no section") << false << 7 << kScopeNone << false;
        QTest::newRow("tag 0") << false << 0 << kScopeDirectory << false;
    }
    void pageQuery()
    {
        QFETCH(bool, root);
        QFETCH(int, tag);
        QFETCH(int, sectionType);
        QFETCH(bool, expected);
        QCOMPARE(PageDispatcher::nodeHasPages(root, tag, sectionType), expected);
    }

    void windowsOsType_data()
    {
        QTest::addColumn<QString>("os");
        QTest::addColumn<bool>("windows");
        QTest::newRow("Windows") << "Windows" << true;
        QTest::newRow("upper, blanks") << "  WINDOWS " << true;
        QTest::newRow("linux") << "Linux / Unix" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("tab is no blank") << "\twindows" << false;
        QTest::newRow("windows nt") << "Windows NT" << false;
    }
    void windowsOsType()
    {
        QFETCH(QString, os);
        QFETCH(bool, windows);
        QCOMPARE(PageDispatcher::isWindowsOsType(os), windows);
    }
};

QTEST_MAIN(tst_dispatch_pages)
#include "tst_dispatch_pages.moc"
