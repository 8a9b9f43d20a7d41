// corvanectl on input that is not a normal configuration file: it must give
// a clear message or behave sanely, never crash or hang, and never touch the
// file it was given.
#include "ProcessRunner.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

enum class Input
{
    Missing,
    Directory,
    Unreadable,
    Fifo,
    Empty,
    Binary,
    HugeWords,
    HugeWord,
    HugeInSection,
    NoOutputFolder
};
Q_DECLARE_METATYPE(Input)

namespace {

const QString kCtl = QStringLiteral(CORVANE_BINARY_DIR "/src/cli/corvanectl");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray hugeLine(bool words)
{
    QByteArray line = "ServerAlias";
    line.reserve(5 * 1024 * 1024 + 64);
    for (int i = 0; line.size() < 5 * 1024 * 1024; ++i) {
        if (words)
            line += " host" + QByteArray::number(i) + ".example.com";
        else
            line += "x";
    }
    return line;
}

// Every byte value, NUL and lone CR / LF included, in an irregular order.
QByteArray binaryBytes()
{
    QByteArray b;
    for (int round = 0; round < 16; ++round)
        for (int i = 0; i < 256; ++i)
            b.append(char((i * 7 + round * 13) & 0xff));
    return b;
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void badInput_data();
    void badInput();
};

void TestBadInput::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QFileInfo(kCtl).isExecutable(), qPrintable(kCtl + " is not built"));
}

void TestBadInput::badInput_data()
{
    QTest::addColumn<Input>("input");
    QTest::addColumn<bool>("readable"); // dump and rewrite succeed
    QTest::addColumn<bool>("snapshot"); // rewrite --via-snapshot succeeds

    QTest::newRow("missing file") << Input::Missing << false << false;
    QTest::newRow("directory") << Input::Directory << false << false;
    QTest::newRow("unreadable file") << Input::Unreadable << false << false;
    QTest::newRow("named pipe") << Input::Fifo << false << false;
    QTest::newRow("empty file") << Input::Empty << true << true;
    QTest::newRow("binary with NUL bytes") << Input::Binary << true << true;
    // Lines of any length go through the snapshot too.
    QTest::newRow("5 MB line of words") << Input::HugeWords << true << true;
    QTest::newRow("5 MB single word") << Input::HugeWord << true << true;
    QTest::newRow("5 MB line in a section") << Input::HugeInSection << true << true;
    QTest::newRow("output folder missing") << Input::NoOutputFolder << true << true;
}

void TestBadInput::badInput()
{
    QFETCH(Input, input);
    QFETCH(bool, readable);
    QFETCH(bool, snapshot);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Root reads files whatever their mode: the unreadable case then runs the
    // tool as "nobody", which needs to reach the file through the folders.
    const bool asNobody = input == Input::Unreadable && geteuid() == 0;
    if (asNobody)
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                                      QFileDevice::ExeOther));
    QDir(dir.path()).mkpath(QStringLiteral("in"));
    QDir(dir.path()).mkpath(QStringLiteral("app"));
    const QString in = dir.filePath(QStringLiteral("in/httpd.conf"));
    QString out = dir.filePath(QStringLiteral("out.conf"));
    QString outSnapshot = dir.filePath(QStringLiteral("out-snapshot.conf"));

    QByteArray content;
    switch (input) {
    case Input::Missing:
        break;
    case Input::Fifo:
        QCOMPARE(::mkfifo(QFile::encodeName(in).constData(), 0600), 0);
        break;
    case Input::Directory:
        QVERIFY(QDir().mkpath(in));
        break;
    case Input::Unreadable:
    case Input::NoOutputFolder:
        content = "ServerRoot \"/etc/apache2\"\r\nListen 80\r\n<Directory />\r\nRequire all "
                  "denied\r\n</Directory>\r\n";
        break;
    case Input::Empty:
        break;
    case Input::Binary:
        content = binaryBytes();
        break;
    case Input::HugeWords:
        content = hugeLine(true);
        break;
    case Input::HugeWord:
        content = hugeLine(false) + "\n";
        break;
    case Input::HugeInSection:
        content = "<VirtualHost *:80>\n" + hugeLine(true) + "\n</VirtualHost>\n";
        break;
    }
    if (input != Input::Missing && input != Input::Directory && input != Input::Fifo) {
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(content), content.size());
    }
    if (input == Input::Unreadable)
        QVERIFY(QFile::setPermissions(in, QFileDevice::WriteOwner));
    if (input == Input::NoOutputFolder) {
        out = dir.filePath(QStringLiteral("no/such/folder/out.conf"));
        outSnapshot = dir.filePath(QStringLiteral("no/such/folder/out-snapshot.conf"));
        readable = false; // the rewrite cannot write its result
        snapshot = false;
    }
    const QDateTime mtime = QFileInfo(in).lastModified();
    const QStringList app{QStringLiteral("--app-dir"), dir.filePath(QStringLiteral("app"))};

    struct Run
    {
        QStringList args;
        bool mustSucceed;
        QString output;
    };
    const QList<Run> runs{
        {app + QStringList{QStringLiteral("dump"), in}, readable && input != Input::NoOutputFolder, {}},
        {app + QStringList{QStringLiteral("rewrite"), in, QStringLiteral("-o"), out}, readable, out},
        {app + QStringList{QStringLiteral("rewrite"), in, QStringLiteral("-o"), outSnapshot,
                           QStringLiteral("--via-snapshot")},
         snapshot, outSnapshot},
    };
    for (const Run& run : runs) {
        // Reading a pipe nobody writes to would block: the tool must not try.
        const int timeoutMs = input == Input::Fifo ? 20000 : 90000;
        const ProcessResult r =
            asNobody
                ? ProcessRunner::runAsNobody(kCtl, run.args, timeoutMs)
                : ProcessRunner::run(kCtl, run.args, QProcessEnvironment::systemEnvironment(), timeoutMs);
        const QByteArray what = run.args.mid(2).join(QLatin1Char(' ')).left(200).toLocal8Bit();
        QVERIFY2(r.started && r.finished, what + " did not finish");
        QVERIFY2(!r.crashed && !r.sanitizerReport(), qPrintable(what + "\n" + r.describe()));
        if (run.mustSucceed) {
            QVERIFY2(r.ok(), qPrintable(what + "\n" + r.describe()));
        } else if (!(input == Input::NoOutputFolder && run.output.isEmpty())) {
            QVERIFY2(r.cleanFailure(), qPrintable(what + " should fail with a message\n" + r.describe()));
            // A failed rewrite leaves no half-written result behind.
            if (!run.output.isEmpty())
                QVERIFY2(!QFileInfo::exists(run.output), qPrintable(run.output));
        }
        // The input is untouched: same bytes, same time stamp.
        if (input == Input::Unreadable)
            QFile::setPermissions(in, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (input != Input::Missing && input != Input::Directory && input != Input::Fifo) {
            QCOMPARE(QFileInfo(in).lastModified(), mtime);
            QVERIFY2(readAll(in) == content, "the input file was changed");
        }
        if (input == Input::Unreadable)
            QFile::setPermissions(in, QFileDevice::WriteOwner);
        if (input == Input::Missing)
            QVERIFY(!QFileInfo::exists(in));
        // Nothing is left beside the input (temporary copies, snapshots, backups).
        const QStringList beside = QDir(dir.filePath(QStringLiteral("in")))
                                       .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QVERIFY2(beside.size() <= 1, qPrintable(beside.join(QLatin1Char(' '))));
    }

    if (readable) {
        // What could be read is written back as it was.
        const QByteArray written = readAll(out);
        QCOMPARE(written, content);
        if (snapshot)
            QCOMPARE(readAll(outSnapshot), written);
    }
}

QTEST_GUILESS_MAIN(TestBadInput)
#include "tst_corvanectl_input.moc"
