// Round trips of the configuration corpus through corvanectl. A plain rewrite
// gives the input's bytes, also through the snapshot; set and delete change
// exactly the line they concern. The normalizing rewrite keeps every line, is
// stable, does not depend on the snapshot, and Apache 2.4 reads it as the
// same server configuration as the original.
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
    void plainRewriteIsTheInput_data() { corpusRows(false); }
    void plainRewriteIsTheInput();
    void editsChangeOnlyTheirLines_data();
    void editsChangeOnlyTheirLines();
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
        QString normalized;
        ProcessResult normalizedRun;
    };
    const Work& work(const QString& file);
    // Copies a corpus file into dir with @TMP@ filled in; returns its path.
    QString prepare(const QString& file, const QTemporaryDir& dir);
    // Runs corvanectl rewrite and checks that it left its input alone.
    ProcessResult rewrite(const QString& in, const QString& out, bool viaSnapshot, const QTemporaryDir& dir,
                          bool normalize = false);
    ProcessResult ctl(const QTemporaryDir& dir, QStringList args);

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

// Debian's own files from the local apache2 package, copied for each test:
// the layout-keeping writer must leave an administrator's stock tree alone.
static QStringList debianFiles()
{
    QStringList files;
    for (const char* f : {"apache2.conf", "ports.conf", "sites-available/000-default.conf",
                          "sites-available/default-ssl.conf", "conf-available/security.conf"}) {
        const QString path = QStringLiteral("/etc/apache2/") + QString::fromLatin1(f);
        if (QFileInfo(path).isFile())
            files << path;
    }
    return files;
}

void TestCorpus::corpusRows(bool only24)
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("valid24");
    for (const CorpusEntry& e : readManifest()) {
        if (!only24 || e.valid24)
            QTest::newRow(qPrintable(e.file)) << e.file << e.valid24;
    }
    if (!only24)
        for (const QString& f : debianFiles())
            QTest::newRow(qPrintable(f)) << f << false;
}

QString TestCorpus::prepare(const QString& file, const QTemporaryDir& dir)
{
    for (const char* sub : {"htdocs", "logs", "run", "app"})
        QDir(dir.path()).mkpath(QString::fromLatin1(sub));
    QByteArray bytes =
        readAll(file.startsWith(QLatin1Char('/')) ? file : kCorpusDir + QLatin1Char('/') + file);
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
        w.normalized = w.dir->filePath(QStringLiteral("normalized.conf"));
        w.normalizedRun = rewrite(w.in, w.normalized, false, *w.dir, true);
    }
    return w;
}

ProcessResult TestCorpus::ctl(const QTemporaryDir& dir, QStringList args)
{
    args.prepend(dir.filePath(QStringLiteral("app")));
    args.prepend(QStringLiteral("--app-dir"));
    return ProcessRunner::run(kCtl, args);
}

ProcessResult TestCorpus::rewrite(const QString& in, const QString& out, bool viaSnapshot,
                                  const QTemporaryDir& dir, bool normalize)
{
    const QByteArray before = readAll(in);
    const QDateTime mtime = QFileInfo(in).lastModified();
    QStringList args{QStringLiteral("--app-dir"), dir.filePath(QStringLiteral("app")),
                     QStringLiteral("rewrite"), in};
    if (!out.isEmpty())
        args << QStringLiteral("-o") << out;
    if (viaSnapshot)
        args << QStringLiteral("--via-snapshot");
    if (normalize)
        args << QStringLiteral("--normalize");
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

void TestCorpus::plainRewriteIsTheInput()
{
    QFETCH(QString, file);
    const Work& w = work(file);
    QVERIFY2(w.plainRun.ok() && !w.plainRun.sanitizerReport(), qPrintable(w.plainRun.describe()));
    QCOMPARE(readAll(w.plain), readAll(w.in));
}

void TestCorpus::editsChangeOnlyTheirLines_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("where"); // main, vhost: the first virtual host, nested: a section inside one
    QTest::addColumn<bool>("remove");
    QStringList files = debianFiles();
    for (const CorpusEntry& e : readManifest())
        files << e.file;
    for (const QString& file : files)
        for (const char* where : {"main", "vhost", "nested"})
            for (const bool remove : {false, true})
                QTest::newRow(
                    qPrintable(QStringLiteral("%1 %2 %3").arg(file, where, remove ? "delete" : "set")))
                    << file << QString::fromLatin1(where) << remove;
}

void TestCorpus::editsChangeOnlyTheirLines()
{
    QFETCH(QString, file);
    QFETCH(QString, where);
    QFETCH(bool, remove);
    QTemporaryDir dir;
    const QString in = prepare(file, dir);
    const QByteArray before = readAll(in);
    // Find the scope from the dump: number, parent, type, scope type, sub type, name.
    const ProcessResult dump = ctl(dir, {QStringLiteral("dump"), in});
    QVERIFY2(dump.ok(), qPrintable(dump.describe()));
    QByteArray scope = where == "main" ? "-1" : QByteArray();
    QSet<QByteArray> hosts;
    QByteArray victim; // a simple directive of that scope, for delete
    for (const QByteArray& row : dump.out.split('\n')) {
        const QList<QByteArray> c = row.split('\t');
        if (c.size() < 6)
            continue;
        if (c[3] == "6" && c[4] == "0")
            hosts.insert(c[0]);
        if (scope.isEmpty() && c[4] == "0") {
            if ((where == "vhost" && c[3] == "6") || (where == "nested" && hosts.contains(c[1])))
                scope = c[0];
        }
        const bool plainName = !c[5].isEmpty() && std::all_of(c[5].begin(), c[5].end(), [](char ch) {
            return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
        });
        if (!scope.isEmpty() && victim.isEmpty() && c[1] == scope && c[2] == "3" && plainName)
            victim = c[5];
    }
    if (scope.isEmpty())
        QSKIP("no such scope in this file");
    if (remove && victim.isEmpty())
        QSKIP("no simple directive in that scope");
    const QByteArray name = remove ? victim : QByteArray("ServerAdmin");
    QStringList args{remove ? QStringLiteral("delete") : QStringLiteral("set"), in,
                     QString::fromLatin1(scope), QString::fromLatin1(name)};
    if (!remove)
        args << QStringLiteral("corvane-test@example.org");
    const ProcessResult r = ctl(dir, args);
    QVERIFY2(r.ok() && !r.sanitizerReport(), qPrintable(r.describe()));
    const QByteArray after = readAll(in);

    // Everything before and after the changed region is the input's bytes.
    const QList<QByteArray> a = ConfigLines::physicalLines(before);
    const QList<QByteArray> b = ConfigLines::physicalLines(after);
    qsizetype head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    qsizetype tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const QList<QByteArray> gone = a.mid(head, a.size() - head - tail);
    const QList<QByteArray> came = b.mid(head, b.size() - head - tail);
    const QString report =
        QStringLiteral("removed:\n%1\nadded:\n%2")
            .arg(QString::fromLatin1(gone.join("\n")), QString::fromLatin1(came.join("\n")));
    // What went is at most one directive with its continuation lines.
    QVERIFY2(ConfigLines::logicalLines(gone.join()).size() <= 1, qPrintable(report));
    if (remove) {
        QVERIFY2(came.isEmpty() && !gone.isEmpty(), qPrintable(report));
        QVERIFY2(gone.first().trimmed().startsWith(name), qPrintable(report));
    } else {
        QVERIFY2(came.size() == 1, qPrintable(report));
        QVERIFY2(came.first().trimmed().startsWith("ServerAdmin corvane-test@example.org"),
                 qPrintable(report));
    }
}

void TestCorpus::rewriteKeepsEveryLine()
{
    QFETCH(QString, file);
    const Work& w = work(file);
    QVERIFY(w.dir->isValid());
    QVERIFY2(w.normalizedRun.ok() && !w.normalizedRun.sanitizerReport(),
             qPrintable(w.normalizedRun.describe()));
    const QString in = w.in;

    const QByteArray written = readAll(w.normalized);
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
    const QString once = w.normalized;
    const QString twice = dir.filePath(QStringLiteral("twice.conf"));
    QVERIFY2(w.normalizedRun.ok(), qPrintable(w.normalizedRun.describe()));
    ProcessResult r = rewrite(once, twice, false, dir, true);
    QVERIFY2(r.ok(), qPrintable(r.describe()));
    QCOMPARE(readAll(twice), readAll(once));

    // Without -o the same bytes go to standard output.
    r = rewrite(in, QString(), false, dir, true);
    QVERIFY2(r.ok(), qPrintable(r.describe()));
    QCOMPARE(r.out, readAll(once));
}

void TestCorpus::snapshotRewriteIsIdentical()
{
    QFETCH(QString, file);
    const Work& w = work(file);
    const QString viaSnapshot = w.dir->filePath(QStringLiteral("snapshot.conf"));
    QVERIFY2(w.plainRun.ok(), qPrintable(w.plainRun.describe()));
    ProcessResult r = rewrite(w.in, viaSnapshot, true, *w.dir);
    QVERIFY2(r.ok() && !r.sanitizerReport(), qPrintable(r.describe()));
    QCOMPARE(readAll(viaSnapshot), readAll(w.in));
    r = rewrite(w.in, viaSnapshot, true, *w.dir, true);
    QVERIFY2(r.ok() && !r.sanitizerReport(), qPrintable(r.describe()));
    QCOMPARE(readAll(viaSnapshot), readAll(w.normalized));
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
    const QString out = w.normalized;
    const ApacheCheck apache(w.dir->filePath(QStringLiteral("apache")));

    ProcessResult before = apache.syntax(in);
    QVERIFY2(before.ok() && (before.err + before.out).contains("Syntax OK"),
             qPrintable(QStringLiteral("corpus file rejected: ") + before.describe()));

    QVERIFY2(w.normalizedRun.ok(), qPrintable(w.normalizedRun.describe()));
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
    QString difference;
    for (qsizetype i = 0; i < std::max(a.size(), b.size()) && difference.isEmpty(); ++i) {
        const QByteArray x = a.value(i, "(end of dump)");
        const QByteArray y = b.value(i, "(end of dump)");
        if (x != y)
            difference = QStringLiteral("line %1 of the dump differs:\n  input:   %2\n  rewrite: %3")
                             .arg(i + 1)
                             .arg(QString::fromLatin1(x), QString::fromLatin1(y));
    }
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

QTEST_GUILESS_MAIN(TestCorpus)
#include "tst_corpus.moc"
