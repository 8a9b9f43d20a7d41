// Round trips of the configuration corpus through corvanectl: the rewrite
// keeps every line, is stable, does not depend on the snapshot, and Apache
// 2.4 reads the rewrite as the same server configuration as the original.
#include "ApacheCheck.h"
#include "ConfigLines.h"
#include "ProcessRunner.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <map>
#include <memory>

namespace {

const QString kCorpusDir = QStringLiteral(CORVANE_TEST_DATA "/corpus");
const QString kManifest = QStringLiteral(CORVANE_TEST_DATA "/corpus.tsv");
const QString kCtl = QStringLiteral(CORVANE_BINARY_DIR "/src/cli/corvanectl");

struct CorpusEntry
{
    QString file;
    QString apache;
    bool valid24 = false;
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QList<CorpusEntry> readManifest()
{
    QList<CorpusEntry> entries;
    const QList<QByteArray> lines = readAll(kManifest).split('\n');
    bool header = true;
    for (const QByteArray& line : lines) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (header) { // the column names
            header = false;
            continue;
        }
        const QList<QByteArray> cells = line.split('\t');
        if (cells.size() < 3)
            continue;
        entries.append({QString::fromUtf8(cells[0]), QString::fromUtf8(cells[1]), cells[2] == "yes"});
    }
    return entries;
}

QList<QByteArray> sortedLines(QList<QByteArray> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Lines of `from` that `in` lacks, counting repeats, shortened for a message.
QStringList missingFrom(const QList<QByteArray>& from, QList<QByteArray> in)
{
    QStringList missing;
    for (const QByteArray& l : from) {
        const qsizetype at = in.indexOf(l);
        if (at >= 0)
            in.removeAt(at);
        else
            missing << QString::fromLatin1(l.left(120));
    }
    return missing;
}

} // namespace

class TestCorpus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void manifestCoversCorpus();
    void rewriteKeepsEveryLine_data() { corpusRows(false); }
    void rewriteKeepsEveryLine();
    void rewriteIsStable_data() { corpusRows(false); }
    void rewriteIsStable();
    void snapshotRewriteIsIdentical_data() { corpusRows(false); }
    void snapshotRewriteIsIdentical();
    void dumpListsEveryLine_data() { corpusRows(false); }
    void dumpListsEveryLine();
    void apacheReadsRewriteAlike_data() { corpusRows(true); }
    void apacheReadsRewriteAlike();

private:
    void corpusRows(bool only24);
    // A corpus file copied into a scratch folder of its own with @TMP@ filled
    // in, and its plain rewrite, made once and shared by the tests.
    struct Work
    {
        std::unique_ptr<QTemporaryDir> dir;
        QString in;
        QString plain;
        ProcessResult plainRun;
    };
    const Work& work(const QString& file);
    // Copies a corpus file into dir with @TMP@ filled in; returns its path.
    QString prepare(const QString& file, const QTemporaryDir& dir);
    // Runs corvanectl rewrite and checks that it left its input alone.
    ProcessResult rewrite(const QString& in, const QString& out, bool viaSnapshot, const QTemporaryDir& dir);

    QList<CorpusEntry> m_entries;
    std::map<QString, Work> m_work;
};

void TestCorpus::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_entries = readManifest();
    QVERIFY2(QFileInfo(kCtl).isExecutable(), qPrintable(kCtl + " is not built"));
    QVERIFY2(!ApacheCheck::binary().isEmpty(),
             "apache2 (Debian package apache2) is needed for the round trip");
}

void TestCorpus::corpusRows(bool only24)
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("valid24");
    for (const CorpusEntry& e : readManifest()) {
        if (!only24 || e.valid24)
            QTest::newRow(qPrintable(e.file)) << e.file << e.valid24;
    }
}

QString TestCorpus::prepare(const QString& file, const QTemporaryDir& dir)
{
    for (const char* sub : {"htdocs", "logs", "run", "app"})
        QDir(dir.path()).mkpath(QString::fromLatin1(sub));
    QByteArray bytes = readAll(kCorpusDir + QLatin1Char('/') + file);
    bytes.replace("@TMP@", dir.path().toUtf8());
    const QString path = dir.filePath(QStringLiteral("input.conf"));
    if (!writeAll(path, bytes))
        return {};
    return path;
}

const TestCorpus::Work& TestCorpus::work(const QString& file)
{
    Work& w = m_work[file];
    if (!w.dir) {
        w.dir = std::make_unique<QTemporaryDir>();
        w.in = prepare(file, *w.dir);
        w.plain = w.dir->filePath(QStringLiteral("rewrite.conf"));
        w.plainRun = rewrite(w.in, w.plain, false, *w.dir);
    }
    return w;
}

ProcessResult TestCorpus::rewrite(const QString& in, const QString& out, bool viaSnapshot,
                                  const QTemporaryDir& dir)
{
    const QByteArray before = readAll(in);
    const QDateTime mtime = QFileInfo(in).lastModified();
    QStringList args{QStringLiteral("--app-dir"), dir.filePath(QStringLiteral("app")),
                     QStringLiteral("rewrite"), in};
    if (!out.isEmpty())
        args << QStringLiteral("-o") << out;
    if (viaSnapshot)
        args << QStringLiteral("--via-snapshot");
    ProcessResult r = ProcessRunner::run(kCtl, args);
    if (readAll(in) != before || QFileInfo(in).lastModified() != mtime) {
        r.exitCode = 99;
        r.err += "\n[test] the input file was modified";
    }
    return r;
}

void TestCorpus::manifestCoversCorpus()
{
    QStringList listed;
    for (const CorpusEntry& e : m_entries) {
        listed << e.file;
        QVERIFY2(QFileInfo::exists(kCorpusDir + QLatin1Char('/') + e.file), qPrintable(e.file));
        QVERIFY2(QStringList({"1.3", "2.0", "2.2", "2.4", "-"}).contains(e.apache), qPrintable(e.file));
    }
    QStringList present = QDir(kCorpusDir).entryList(QDir::Files);
    listed.sort();
    present.sort();
    QCOMPARE(listed, present);
    QVERIFY(m_entries.size() >= 15);
}

void TestCorpus::rewriteKeepsEveryLine()
{
    QFETCH(QString, file);
    const Work& w = work(file);
    QVERIFY(w.dir->isValid());
    QVERIFY2(w.plainRun.ok() && !w.plainRun.sanitizerReport(), qPrintable(w.plainRun.describe()));
    const QString in = w.in;

    const QByteArray written = readAll(w.plain);
    QVERIFY2(ConfigLines::onlyCrLfLineEnds(written), "the rewrite must end every line in CR LF");
    // Same lines, as a multiset: the writer regroups lines but may neither drop
    // nor invent any (apart from the four-blank separators).
    const QList<QByteArray> expected = sortedLines(ConfigLines::logicalLines(readAll(in)));
    const QList<QByteArray> got = sortedLines(ConfigLines::writtenLines(written));
    const QStringList lost = missingFrom(expected, got);
    const QStringList added = missingFrom(got, expected);
    QVERIFY2(lost.isEmpty(), qPrintable(QStringLiteral("lost lines:\n") + lost.join(QLatin1Char('\n'))));
    QVERIFY2(added.isEmpty(), qPrintable(QStringLiteral("new lines:\n") + added.join(QLatin1Char('\n'))));
    QCOMPARE(got, expected);
}

void TestCorpus::rewriteIsStable()
{
    QFETCH(QString, file);
    const Work& w = work(file);
    const QTemporaryDir& dir = *w.dir;
    const QString in = w.in;
    const QString once = w.plain;
    const QString twice = dir.filePath(QStringLiteral("twice.conf"));
    QVERIFY2(w.plainRun.ok(), qPrintable(w.plainRun.describe()));
    ProcessResult r = rewrite(once, twice, false, dir);
    QVERIFY2(r.ok(), qPrintable(r.describe()));
    QCOMPARE(readAll(twice), readAll(once));

    // Without -o the same bytes go to standard output.
    r = rewrite(in, QString(), false, dir);
    QVERIFY2(r.ok(), qPrintable(r.describe()));
    QCOMPARE(r.out, readAll(once));
}

void TestCorpus::snapshotRewriteIsIdentical()
{
    QFETCH(QString, file);
    const Work& w = work(file);
    const QString plain = w.plain;
    const QString viaSnapshot = w.dir->filePath(QStringLiteral("snapshot.conf"));
    QVERIFY2(w.plainRun.ok(), qPrintable(w.plainRun.describe()));
    const ProcessResult r = rewrite(w.in, viaSnapshot, true, *w.dir);
    QVERIFY2(r.ok() && !r.sanitizerReport(), qPrintable(r.describe()));
    QCOMPARE(readAll(viaSnapshot), readAll(plain));
}

void TestCorpus::dumpListsEveryLine()
{
    QFETCH(QString, file);
    const Work& w = work(file);
    const QTemporaryDir& dir = *w.dir;
    const QString in = w.in;
    const QByteArray before = readAll(in);
    const ProcessResult r = ProcessRunner::run(
        kCtl, {QStringLiteral("--app-dir"), dir.filePath(QStringLiteral("app")), QStringLiteral("dump"), in});
    QVERIFY2(r.ok() && !r.sanitizerReport(), qPrintable(r.describe()));
    QCOMPARE(readAll(in), before);

    const QList<QByteArray> logical = ConfigLines::logicalLines(before);
    QList<QByteArray> rows = r.out.split('\n');
    if (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    QCOMPARE(rows.size(), logical.size());
    // Numbers run 1, 2, 3 ... in file order and every parent is an earlier
    // section head or -1.
    QSet<QByteArray> numbers{"-1"};
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QList<QByteArray> cells = rows[i].split('\t');
        QVERIFY2(cells.size() >= 6, rows[i].constData());
        QCOMPARE(cells[0], QByteArray::number(i + 1));
        QVERIFY2(numbers.contains(cells[1]), rows[i].left(200).constData());
        if (cells[2] == "0")
            numbers.insert(cells[0]);
        const char kind = logical[i].startsWith('#') ? '1' : logical[i].startsWith('<') ? '0' : '3';
        QCOMPARE(cells[2].at(0), kind);
    }
}

void TestCorpus::apacheReadsRewriteAlike()
{
    QFETCH(QString, file);
    const Work& w = work(file);
    const QString in = w.in;
    const QString out = w.plain;
    const ApacheCheck apache(w.dir->filePath(QStringLiteral("apache")));

    ProcessResult before = apache.syntax(in);
    QVERIFY2(before.ok() && (before.err + before.out).contains("Syntax OK"),
             qPrintable(QStringLiteral("corpus file rejected: ") + before.describe()));

    QVERIFY2(w.plainRun.ok(), qPrintable(w.plainRun.describe()));
    const ProcessResult after = apache.syntax(out);
    QVERIFY2(after.ok() && (after.err + after.out).contains("Syntax OK"),
             qPrintable(QStringLiteral("rewrite rejected: ") + after.describe()));

    before = apache.dump(in);
    QVERIFY2(before.ok(), qPrintable(before.describe()));
    const ProcessResult afterDump = apache.dump(out);
    QVERIFY2(afterDump.ok(), qPrintable(afterDump.describe()));
    const QList<QByteArray> a = ApacheCheck::withoutPlaces(before.out, in).split('\n');
    const QList<QByteArray> b = ApacheCheck::withoutPlaces(afterDump.out, out).split('\n');
    QVERIFY(a.contains("Loaded Modules:"));
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        QVERIFY2(a[i] == b[i],
                 qPrintable(QStringLiteral("line %1 of the dump differs:\n  input:   %2\n  rewrite: %3")
                                .arg(i + 1)
                                .arg(QString::fromLatin1(a[i]), QString::fromLatin1(b[i]))));
    QCOMPARE(b.size(), a.size());
}

QTEST_GUILESS_MAIN(TestCorpus)
#include "tst_corpus.moc"
