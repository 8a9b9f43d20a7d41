// The directory, security and documents pages on real-shaped configurations:
// opening a page on any node and applying without an edit leaves the working
// copy byte for byte as the writer renders the unedited model, whatever
// quoting, letter case or spelling the file uses.
#include "PageFixture.h"
#include "TestFiles.h"

#include "host/MessageBox.h"
#include "host/PropertySheet.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "model/DirectiveScop.h"

#include <QFile>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

class PagesDirCorpus : public QObject
{
    Q_OBJECT

    static QByteArray bytes(const QString& path) { return readFile(path); }

private slots:
    void applyWithoutEditsKeepsTheFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("version");
        QTest::newRow("1.3 unix") << "apache13-unix.conf"
                                  << "1.3.42";
        QTest::newRow("2.0 windows") << "apache20-windows.conf"
                                     << "2.0.65";
        QTest::newRow("2.2 debian") << "apache22-debian.conf"
                                    << "2.2.22";
        QTest::newRow("2.4 access") << "apache24-access.conf"
                                    << "2.4.71";
        QTest::newRow("2.4 nesting") << "apache24-nesting.conf"
                                     << "2.4.71";
        QTest::newRow("2.4 latin-1") << "apache24-latin1.conf"
                                     << "2.4.71";
        QTest::newRow("2.4 vhosts") << "apache24-vhosts-crlf.conf"
                                    << "2.4.71";
        QTest::newRow("2.4 proxy") << "apache24-proxy.conf"
                                   << "2.4.71";
    }
    void applyWithoutEditsKeepsTheFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, version);
        const QByteArray conf = PageFixture::corpus(file);
        if (conf.isEmpty())
            QSKIP("corpus file missing");
        PageFixture fx;
        QVERIFY(fx.isValid());
        fx.addServer("web", conf, version);
        MessageBox::resetRecord();

        // Every node the console gives these pages, with the pages it gives.
        QList<QPair<int, QStringList>> nodes{{-1, {"ppgDocuments", "ppgHomeDirectory"}}};
        QList<int> files;
        {
            ConfigFile model(fx.appDir().toStdString());
            model.SetFileName(fx.workingCopy("web").toStdString());
            QVERIFY(model.DeSerialize());
            for (int i = 1; i <= model.GetDirectiveCount(); ++i) {
                Directive* d = model.GetDirective(i);
                if (!d || d->GetType() != Directive::TypeSection || d->ScopeSubType() != 0)
                    continue;
                switch (d->ScopeType()) {
                case DirectiveScop::ScopeVirtualHost:
                    nodes.append({d->DirectiveNo(), {"ppgDocuments", "ppgHomeDirectory"}});
                    break;
                case DirectiveScop::ScopeDirectory:
                case DirectiveScop::ScopeLocation:
                    nodes.append({d->DirectiveNo(), {"ppgDirectorySecurity"}});
                    break;
                case DirectiveScop::ScopeFiles:
                    files << d->DirectiveNo();
                    break;
                default:
                    break;
                }
            }
            // The writer's own rendering of the unedited model is the baseline.
            QVERIFY(model.WriteFile());
        }
        const QByteArray before = bytes(fx.workingCopy("web"));
        QVERIFY(!before.isEmpty());
        int opened = 0;
        auto check = [&](int tag, const QStringList& pages, bool filesItem) {
            PropertySheet* sheet = fx.openSheet("web", tag, pages, filesItem);
            sheet->apply();
            sheet->reject();
            ++opened;
            return bytes(fx.workingCopy("web")) == before;
        };
        for (const auto& [tag, pages] : nodes)
            QVERIFY2(check(tag, pages, false),
                     qPrintable(QString("node %1 %2").arg(tag).arg(pages.join(','))));
        for (int tag : files)
            QVERIFY2(check(tag, {"ppgDirectorySecurity"}, true),
                     qPrintable(QString("files item %1").arg(tag)));
        QVERIFY(opened > 1);
        QCOMPARE(MessageBox::shownCount(), 0);
    }
};

QTEST_MAIN(PagesDirCorpus)
#include "tst_pages_dir_corpus.moc"
