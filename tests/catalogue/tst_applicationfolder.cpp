// First start: the application folder, the Sample server and the catalogue
// are delivered; an outdated or damaged catalogue is replaced, a current
// one left alone.
#include "catalogue/ApplicationFolder.h"
#include "catalogue/CatalogueChecksum.h"
#include "catalogue/DirbaseParser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

class TestApplicationFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void firstStart()
    {
        QTemporaryDir parent;
        const QString appDir = parent.path() + "/corvane";
        std::string error;
        std::string resolved;
        QVERIFY2(prepareApplicationFolder(appDir.toStdString(), &error, &resolved), error.c_str());
        QCOMPARE(QString::fromStdString(resolved), appDir);
        QVERIFY(CheckCatalogueChecksum((appDir + "/Corvane.dll").toStdString()));
        QVERIFY(QFileInfo::exists(appDir + "/Sample/WorkArea/httpd.conf"));

        // The console's reader finds the supported entries in it.
        const DirbaseParser parser(appDir.toStdString());
        QVERIFY(parser.GetAllDirectives().Count() > 50);
        QVERIFY(parser.findDirective("ServerName"));
        QVERIFY(!parser.DirectiveDescription("DocumentRoot").empty());
    }

    void catalogueReplaced_data()
    {
        QTest::addColumn<QByteArray>("existing");
        QTest::newRow("older catalogue") << QByteArray("<?xml version=\"1.0\"?><Catalogue/>\n");
        QTest::newRow("damaged catalogue") << QByteArray("<Catalogue><Directive_Info>");
        QTest::newRow("empty file") << QByteArray();
    }

    void catalogueReplaced()
    {
        QFETCH(QByteArray, existing);
        QTemporaryDir appDir;
        const QString path = appDir.path() + "/Corvane.dll";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(existing);
        f.close();
        std::string error;
        QVERIFY2(prepareApplicationFolder(appDir.path().toStdString(), &error), error.c_str());
        QVERIFY(CheckCatalogueChecksum(path.toStdString()));
        // An existing folder is not a first start: no Sample is added.
        QVERIFY(!QFileInfo::exists(appDir.path() + "/Sample"));
    }

    void currentCatalogueKept()
    {
        QTemporaryDir appDir;
        QVERIFY(installCatalogue(appDir.path().toStdString()));
        const QString path = appDir.path() + "/Corvane.dll";
        const QDateTime before = QFileInfo(path).lastModified();
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        QVERIFY(installCatalogue(appDir.path().toStdString()));
        QCOMPARE(QFileInfo(path).lastModified(), before);
        QCOMPARE(QFileInfo(path).permissions() & QFile::WriteOwner, QFileDevice::Permissions());
    }

    void folderThatCannotBeCreated()
    {
        QTemporaryDir parent;
        // A plain file where the folder should be.
        const QString blocker = parent.path() + "/file";
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        std::string error;
        QVERIFY(!prepareApplicationFolder((blocker + "/corvane").toStdString(), &error));
        QVERIFY(!error.empty());
    }
};

QTEST_GUILESS_MAIN(TestApplicationFolder)
#include "tst_applicationfolder.moc"
