// Every configuration of the corpus under tests/data/corpus loads into the
// console, and the tree agrees with the file.
#include "SnapinFixture.h"

#include "host/ResultView.h"
#include "host/ScopeItem.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"
#include "snapin/ScopeScanner.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

QString corpusDir()
{
    const QString env = qEnvironmentVariable("CORVANE_CORPUS_DIR");
    return env.isEmpty() ? QStringLiteral(CORVANE_TEST_DATA "/corpus") : env;
}

// The section name a node stands for: other sections show theirs in the Type column.
QString kindOf(const ScopeItem& item)
{
    if (item.nodeType() == QLatin1String("VHosts"))
        return QStringLiteral("VirtualHost");
    if (item.nodeType() == QLatin1String("File"))
        return QStringLiteral("Files");
    if (item.nodeType() == QLatin1String("Section"))
        return item.rowText(2);
    return item.nodeType();
}

// Expands everything below `item`; checks that each node leads to a live
// section head of its own kind in a model rebuilt from the snapshot, that
// Find puts the node's head line in that node and the node below the same
// parent as the tree, and returns the "Kind:name" paths.
void walk(SnapinFixture& fx, ScopeItem* item, const ConfigFile& fresh, const snapin::LineNodes& lineNodes,
          const QString& prefix, QStringList& out)
{
    fx.host().expand(*item);
    fx.select(item);
    for (int i = 0; i < fx.host().currentResultView()->listItemCount(); ++i) {
        const Directive* d = fresh.FindDirective(fx.host().currentResultView()->listItem(i)->nodeTag());
        QVERIFY(d && d->GetType() == Directive::TypeSection);
        QCOMPARE(QString::fromStdString(d->GetCurrentScopeDirective()->GetDirScopeName()).toUpper(),
                 QStringLiteral("FILES"));
        // A listed <Files> section's lines are found in the node that lists it.
        QCOMPARE(lineNodes.nodeOf.at(d->DirectiveNo()), item->nodeTag());
    }
    for (int i = 0; i < item->childCount(); ++i) {
        ScopeItem* child = item->child(i);
        const Directive* d = fresh.FindDirective(child->nodeTag());
        QVERIFY2(d && d->GetType() == Directive::TypeSection, qPrintable(child->displayName()));
        QCOMPARE(QString::fromStdString(d->GetCurrentScopeDirective()->GetDirScopeName()).toUpper(),
                 kindOf(*child).toUpper());
        QCOMPARE(child->itemName(), item->itemName());
        QVERIFY(lineNodes.nodeOf.count(child->nodeTag()) && lineNodes.parentOf.count(child->nodeTag()));
        QCOMPARE(lineNodes.nodeOf.at(child->nodeTag()), child->nodeTag());
        QCOMPARE(lineNodes.parentOf.at(child->nodeTag()), item->nodeTag());
        const QString path = prefix + u'/' + SnapinFixture::childNodes(*item).at(i);
        out << path;
        walk(fx, child, fresh, lineNodes, path, out);
    }
}

} // namespace

class tst_snapin_corpus : public QObject
{
    Q_OBJECT
private slots:
    void corpus_data()
    {
        QTest::addColumn<QString>("file");
        const QStringList files = QDir(corpusDir()).entryList({"*.conf"}, QDir::Files, QDir::Name);
        if (files.isEmpty())
            QSKIP("no corpus in this tree");
        for (const QString& f : files)
            QTest::newRow(qPrintable(f)) << f;
    }
    void corpus()
    {
        QFETCH(QString, file);
        QFile in(corpusDir() + u'/' + file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray bytes = in.readAll();
        bytes.replace("@TMP@", "/tmp/corvane-corpus");

        SnapinFixture fx;
        fx.addServer("corpus", bytes);
        fx.start();
        ScopeItem* main = fx.node({"corpus", "Main Server"});
        QVERIFY2(main, "the server loads");

        ConfigFile fresh(fx.appDir().toStdString());
        fresh.SetFileName(fx.workingCopy("corpus").toStdString());
        QVERIFY(fresh.DeSerialize());
        QStringList nodes;
        const snapin::LineNodes lineNodes = snapin::ScopeScanner::lineNodes(fresh);
        walk(fx, main, fresh, lineNodes, QString(), nodes);
        // Find knows no node the tree does not show.
        QCOMPARE(qsizetype(lineNodes.parentOf.size()), nodes.size());

        // Our own reading of the file agrees, where its simple rules hold:
        // no continuation lines.
        const QStringList lines = SnapinFixture::fileLines(fx.workingCopy("corpus"));
        bool continued = false;
        for (const QString& l : lines)
            continued = continued || l.endsWith(u'\\');
        if (!continued)
            QCOMPARE(nodes, ConfOracle(lines).allNodes());
    }
};

QTEST_MAIN(tst_snapin_corpus)
#include "tst_snapin_corpus.moc"
