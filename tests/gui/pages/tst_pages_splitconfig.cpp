// A page on a configuration split over files, where the main server's
// ServerAdmin stands in apache2.conf and again in conf-enabled/admin.conf:
// the page shows and changes the one Apache applies (the later one), its
// tooltip names both places, only that file changes on disk, one line, its
// layout kept, and the real apache2 accepts the tree afterwards.
#include "CorvanectlRun.h"
#include "PageFixture.h"
#include "SplitTree.h"
#include "TestFiles.h"

#include "forms/CToolTip.h"
#include "forms/FormSupport.h"
#include "model/ConfigFile.h"
#include "pages/CorvanePage.h"
#include "registry/AppFolder.h"
#include "transfer/ServerModel.h"

#include <QApplication>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

class PagesSplitConfig : public QObject
{
    Q_OBJECT
private slots:
    void appliedLineOfTwoFiles_data();
    void appliedLineOfTwoFiles();
};

void PagesSplitConfig::appliedLineOfTwoFiles_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("adminAfter"); // conf-enabled/admin.conf in the work area
    QTest::newRow("changed") << "ops@example.test"
                             << QByteArray(
                                    "# Who answers for this server\r\nServerAdmin ops@example.test\r\n");
    QTest::newRow("removed") << "" << QByteArray("# Who answers for this server\r\n");
}

void PagesSplitConfig::appliedLineOfTwoFiles()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, adminAfter);
    if (QStandardPaths::findExecutable("apache2", {"/usr/sbin"}).isEmpty())
        QSKIP("needs the local machine's apache2");
    PageFixture fx;
    QVERIFY(fx.isValid());
    QTemporaryDir server;
    const QString root = server.path() + QStringLiteral("/apache2");
    QVERIFY(writeTree(root, debianStyleTree()));
    const QString added = addLocalTreeServer(fx.appDir(), QStringLiteral("deb"), root);
    QVERIFY2(added.isEmpty(), qPrintable(added));
    // The snapshot of the whole tree, as the console writes it when it loads the server.
    {
        const AppFolder folder(fx.appDir());
        ConfigFile cf(fx.appDir().toStdString());
        TreeReport report;
        std::string why;
        QVERIFY2(ReadServerModel(folder, "deb", cf, report, why), why.c_str());
        QVERIFY(report.ok());
        QVERIFY(cf.Serialize());
    }
    const QString work = fx.appDir() + QStringLiteral("/deb/WorkArea");
    const QByteArray mainBefore = readFile(work + QStringLiteral("/httpd.conf"));

    PropertySheet* sheet = fx.openSheet(QStringLiteral("deb"), -1, {QStringLiteral("ppgServerSettings")});
    auto* page = qobject_cast<CorvanePage*>(sheet->page(0));
    auto* box = sheet->findChild<QLineEdit*>(QStringLiteral("txtServerAdmin"));
    QVERIFY(page && box);
    QCOMPARE(box->text(), QStringLiteral("webmaster@example.test"));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(box, &enter);
    CToolTip* tip = page->form().tooltip(box);
    QVERIFY(tip);
    QVERIFY2(tip->TipText().endsWith(QStringLiteral("\napache2.conf:6\nconf-enabled/admin.conf:2 (applied)")),
             qPrintable(tip->TipText()));

    box->setText(typed);
    sheet->apply();
    QCOMPARE(readFile(work + QStringLiteral("/tree/conf-enabled/admin.conf")), adminAfter);
    QCOMPARE(readFile(work + QStringLiteral("/httpd.conf")), mainBefore);
    sheet->reject();

    const CtlRun check =
        runCorvanectl(fx.appDir(), {QStringLiteral("check"), QStringLiteral("deb")}, {}, 60000);
    QVERIFY2(check.code == 0 && check.out.contains(QStringLiteral("Syntax OK")),
             qPrintable(check.out + check.err));
}

QTEST_MAIN(PagesSplitConfig)
#include "tst_pages_splitconfig.moc"
