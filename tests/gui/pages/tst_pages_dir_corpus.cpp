// The directory, security and documents pages on real-shaped configurations:
// opening a page on any node and applying without an edit leaves the working
// copy byte for byte as it was, whatever quoting, letter case, spelling or
// layout the file uses; an edit through a page or a dialog changes exactly
// the lines it concerns.
#include "DirPageActions.h"
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
        }
        // The working copy is the server's file, untouched by loading it.
        const QByteArray before = bytes(fx.workingCopy("web"));
        QCOMPARE(before, conf);
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

    // A page's Apply and a dialog's OK on the main server: the physical lines
    // of the file change exactly where the edit is, nothing else moves.
    void editsChangeOnlyTheirLines_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("dialog");
        for (const auto& [file, version] :
             QList<QPair<QString, QString>>{{"apache13-unix.conf", "1.3.42"},
                                            {"apache22-debian.conf", "2.2.22"},
                                            {"apache22-mixed-eol.conf", "2.2.22"},
                                            {"apache24-comments.conf", "2.4.71"},
                                            {"apache24-vhosts-crlf.conf", "2.4.71"},
                                            {"apache24-latin1.conf", "2.4.71"}})
            for (const bool dialog : {false, true})
                QTest::newRow(qPrintable(file + (dialog ? " dialog" : " page"))) << file << version << dialog;
    }
    void editsChangeOnlyTheirLines()
    {
        QFETCH(QString, file);
        QFETCH(QString, version);
        QFETCH(bool, dialog);
        const QByteArray conf = PageFixture::corpus(file);
        if (conf.isEmpty())
            QSKIP("corpus file missing");
        PageFixture fx;
        QVERIFY(fx.isValid());
        fx.addServer("web", conf, version);
        PropertySheet* sheet = fx.openSheet("web", -1, {"ppgDocuments"}, false);
        if (dialog) {
            bool ok = false;
            fx.whenShown("frmIndexOptions", [&](QDialog* d) {
                ok = applyAction(d, "cmbIndexOrderSort=Descending") &&
                     applyAction(d, "cmbIndexOrderPrimaryKey=Size");
                d->findChild<QAbstractButton*>("cmdOK")->click();
            });
            sheet->findChild<QAbstractButton*>("cmdIndexOptions")->click();
            QVERIFY(ok);
        } else {
            QVERIFY(applyAction(sheet, "txtReadmeName=README.corvane"));
        }
        sheet->apply();
        sheet->reject();
        const QByteArray after = bytes(fx.workingCopy("web"));
        // Lines with their own line ends: the same head and tail, one line between.
        auto split = [](const QByteArray& b) {
            QList<QByteArray> lines;
            qsizetype start = 0;
            for (qsizetype i = 0; i < b.size(); ++i)
                if (b[i] == '\n' || (b[i] == '\r' && (i + 1 >= b.size() || b[i + 1] != '\n'))) {
                    lines << b.mid(start, i + 1 - start);
                    start = i + 1;
                }
            if (start < b.size())
                lines << b.mid(start);
            return lines;
        };
        const QList<QByteArray> a = split(conf);
        const QList<QByteArray> b = split(after);
        qsizetype head = 0;
        while (head < a.size() && head < b.size() && a[head] == b[head])
            ++head;
        qsizetype tail = 0;
        while (tail < a.size() - head && tail < b.size() - head &&
               a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
            ++tail;
        const QList<QByteArray> gone = a.mid(head, a.size() - head - tail);
        const QList<QByteArray> came = b.mid(head, b.size() - head - tail);
        const QByteArray wanted = dialog ? "IndexOrderDefault Descending Size" : "ReadmeName README.corvane";
        const QString report = QString("removed:\n%1\nadded:\n%2")
                                   .arg(QString::fromLatin1(gone.join()), QString::fromLatin1(came.join()));
        QVERIFY2(gone.size() <= 1 && came.size() == 1, qPrintable(report));
        QVERIFY2(came.first().trimmed() == wanted, qPrintable(report));
        // The new or changed line ends like the file's other lines.
        QVERIFY2(came.first().endsWith(a.value(head, a.value(head - 1)).endsWith("\r\n") ? "\r\n" : "\n"),
                 qPrintable(report));
    }
};

QTEST_MAIN(PagesDirCorpus)
#include "tst_pages_dir_corpus.moc"
