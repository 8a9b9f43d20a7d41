// The ini reader/writer on real files: lookups in a hand-written file, writes
// that keep every other byte, section removal, refusals and the password
// scrambling as it is stored in the file.
#include "registry/IniFile.h"
#include "registry/RegistryProcedures.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <set>
#include <sys/stat.h>

using namespace corvane;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

int fileMode(const QString& path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

const std::string kLongName(300, 'n');
const std::string kLongValue = std::string(1000, 'v') + "/end";

// Written by hand the way people edit ini files: odd spacing, comments,
// duplicate keys and sections, CRLF and LF mixed, no final line end.
QByteArray handWritten()
{
    QByteArray b;
    b += "orphan=before any section\r\n";
    b += "; a comment line\r\n";
    b += "[web1]\r\n";
    b += "SERVER_NAME=web1\r\n";
    b += "  APACHE_VERSION =   2.0.52   \r\n";
    b += "\tCONNECT_TYPE\t=\t1\r\n";
    b += "REMOTE_HOST=first.example.org\r\n";
    b += "remote_host=second.example.org\r\n";
    b += "EMPTY=\r\n";
    b += "NOEQUALS\r\n";
    b += "QUOTED=\"  spaced  \"\r\n";
    b += "SINGLE='x'\r\n";
    b += "HALF=\"open\r\n";
    b += "EQ=a=b=c\r\n";
    b += "# another comment\r\n";
    b += "\r\n";
    b += "  [ Spaced Section ]  \n";
    b += "key = value with  inner  blanks\n";
    b += "[WEB1]\n";
    b += "SERVER_NAME=duplicate section\n";
    b += "EXTRA=only in the second\n";
    b += "[" + QByteArray::fromStdString(kLongName) + "]\n";
    b += "LONG=" + QByteArray::fromStdString(kLongValue) + "\n";
    b += "[last]\n";
    b += "tail=no line end";
    return b;
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("Corvane.ini"));
    }

    void readValue_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<bool>("present");
        QTest::newRow("plain") << QByteArray("web1") << QByteArray("SERVER_NAME") << QByteArray("web1") << true;
        QTest::newRow("blanks around key and value") << QByteArray("web1") << QByteArray("APACHE_VERSION")
                                                    << QByteArray("2.0.52") << true;
        QTest::newRow("tabs") << QByteArray("web1") << QByteArray("CONNECT_TYPE") << QByteArray("1") << true;
        QTest::newRow("section case") << QByteArray("WeB1") << QByteArray("server_name") << QByteArray("web1")
                                      << true;
        QTest::newRow("caller blanks") << QByteArray("  web1 ") << QByteArray(" SERVER_NAME ")
                                       << QByteArray("web1") << true;
        QTest::newRow("duplicate key first wins") << QByteArray("web1") << QByteArray("REMOTE_HOST")
                                                  << QByteArray("first.example.org") << true;
        QTest::newRow("duplicate section first wins") << QByteArray("WEB1") << QByteArray("SERVER_NAME")
                                                      << QByteArray("web1") << true;
        QTest::newRow("key only in second duplicate") << QByteArray("web1") << QByteArray("EXTRA")
                                                      << QByteArray() << false;
        QTest::newRow("empty value") << QByteArray("web1") << QByteArray("EMPTY") << QByteArray() << true;
        QTest::newRow("no equals sign") << QByteArray("web1") << QByteArray("NOEQUALS") << QByteArray() << true;
        QTest::newRow("double quotes removed") << QByteArray("web1") << QByteArray("QUOTED")
                                               << QByteArray("  spaced  ") << true;
        QTest::newRow("single quotes removed") << QByteArray("web1") << QByteArray("SINGLE") << QByteArray("x")
                                               << true;
        QTest::newRow("unmatched quote kept") << QByteArray("web1") << QByteArray("HALF") << QByteArray("\"open")
                                              << true;
        QTest::newRow("equals in value") << QByteArray("web1") << QByteArray("EQ") << QByteArray("a=b=c") << true;
        QTest::newRow("comment is no key") << QByteArray("web1") << QByteArray("# another comment")
                                           << QByteArray() << false;
        QTest::newRow("spaced header") << QByteArray("Spaced Section") << QByteArray("KEY")
                                       << QByteArray("value with  inner  blanks") << true;
        QTest::newRow("key before any section") << QByteArray("") << QByteArray("orphan") << QByteArray() << false;
        QTest::newRow("long section, long value") << QByteArray::fromStdString(kLongName) << QByteArray("LONG")
                                                  << QByteArray::fromStdString(kLongValue) << true;
        QTest::newRow("no final line end") << QByteArray("last") << QByteArray("tail")
                                           << QByteArray("no line end") << true;
        QTest::newRow("missing key") << QByteArray("web1") << QByteArray("OS_TYPE") << QByteArray() << false;
        QTest::newRow("missing section") << QByteArray("nope") << QByteArray("SERVER_NAME") << QByteArray()
                                         << false;
    }

    void readValue()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        QFETCH(bool, present);
        writeFile(m_path, handWritten());
        IniFile ini(m_path);
        QCOMPARE(QByteArray::fromStdString(ini.readValue(section.toStdString(), key.toStdString())), expected);
        QCOMPARE(ini.hasKey(section.toStdString(), key.toStdString()), present);
        QCOMPARE(QByteArray::fromStdString(ReadIniValue(section.toStdString(), key.toStdString(), m_path)),
                 expected);
    }

    void sectionNames()
    {
        writeFile(m_path, handWritten());
        const std::vector<std::string> expected{"web1", "Spaced Section", kLongName, "last"};
        QCOMPARE(IniFile(m_path).sectionNames(), expected);
        QVERIFY(IniFile(m_dir->filePath(QStringLiteral("missing.ini"))).sectionNames().empty());
    }

    void writeValue_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("after");

        const QByteArray crlf = "; servers\r\n[a]\r\nK1=1\r\n  k2 = two \r\n\r\n[b]\r\nX=y\r\n";
        QTest::newRow("replace keeps the rest") << crlf << QByteArray("a") << QByteArray("K2") << QByteArray("2")
                                                << QByteArray("; servers\r\n[a]\r\nK1=1\r\nk2=2\r\n\r\n[b]\r\nX=y\r\n");
        QTest::newRow("same value leaves file alone") << crlf << QByteArray("A") << QByteArray("k2")
                                                      << QByteArray("two") << crlf;
        QTest::newRow("new key after last key, CRLF") << crlf << QByteArray("A") << QByteArray("K3")
                                                      << QByteArray("3")
                                                      << QByteArray("; servers\r\n[a]\r\nK1=1\r\n  k2 = two \r\n"
                                                                    "K3=3\r\n\r\n[b]\r\nX=y\r\n");
        QTest::newRow("new section appended") << crlf << QByteArray("c") << QByteArray("Z") << QByteArray("z")
                                              << crlf + "[c]\r\nZ=z\r\n";
        QTest::newRow("no final line end") << QByteArray("[a]\nK=1") << QByteArray("a") << QByteArray("L")
                                           << QByteArray("2") << QByteArray("[a]\nK=1\nL=2\n");
        QTest::newRow("new section, no final line end")
            << QByteArray("[a]\nK=1") << QByteArray("b") << QByteArray("L") << QByteArray("2")
            << QByteArray("[a]\nK=1\n[b]\nL=2\n");
        QTest::newRow("duplicate key: first changed")
            << QByteArray("[a]\nK=1\nK=2\n") << QByteArray("a") << QByteArray("k") << QByteArray("3")
            << QByteArray("[a]\nK=3\nK=2\n");
        QTest::newRow("duplicate section: first changed")
            << QByteArray("[a]\nK=1\n[A]\nK=2\n") << QByteArray("a") << QByteArray("N") << QByteArray("n")
            << QByteArray("[a]\nK=1\nN=n\n[A]\nK=2\n");
        QTest::newRow("empty section gets key after header")
            << QByteArray("[a]\n; note\n[b]\n") << QByteArray("a") << QByteArray("K") << QByteArray("v")
            << QByteArray("[a]\nK=v\n; note\n[b]\n");
        QTest::newRow("file created") << QByteArray() << QByteArray("web1") << QByteArray("SERVER_NAME")
                                      << QByteArray("web1") << QByteArray("[web1]\nSERVER_NAME=web1\n");
        QTest::newRow("8-bit and long value")
            << QByteArray("[a]\n") << QByteArray("a") << QByteArray("P")
            << QByteArray("\xe9\xff/" + QByteArray(600, 'x'))
            << QByteArray("[a]\nP=\xe9\xff/" + QByteArray(600, 'x') + "\n");
    }

    void writeValue()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, after);
        if (!before.isEmpty())
            writeFile(m_path, before);
        IniFile ini(m_path);
        QVERIFY2(ini.writeValue(section.toStdString(), key.toStdString(), value.toStdString()),
                 qPrintable(ini.errorString()));
        QCOMPARE(readFile(m_path), after);
        QCOMPARE(QByteArray::fromStdString(ini.readValue(section.toStdString(), key.toStdString())), value);
        if (before != after)
            QCOMPARE(fileMode(m_path), 0600);
    }

    void writeRefused_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("line break in value") << QByteArray("a") << QByteArray("K") << QByteArray("1\n[b]");
        QTest::newRow("CR in value") << QByteArray("a") << QByteArray("K") << QByteArray("1\r");
        QTest::newRow("NUL in value") << QByteArray("a") << QByteArray("K") << QByteArray("x\0y", 3);
        QTest::newRow("equals in key") << QByteArray("a") << QByteArray("K=L") << QByteArray("1");
        QTest::newRow("empty key") << QByteArray("a") << QByteArray("  ") << QByteArray("1");
        QTest::newRow("comment key") << QByteArray("a") << QByteArray(";K") << QByteArray("1");
        QTest::newRow("bracket in section") << QByteArray("a]b") << QByteArray("K") << QByteArray("1");
        QTest::newRow("empty section") << QByteArray("") << QByteArray("K") << QByteArray("1");
    }

    void writeRefused()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        const QByteArray before = "[a]\r\nK=0\r\n";
        writeFile(m_path, before);
        IniFile ini(m_path);
        QVERIFY(!ini.writeValue(section.toStdString(), key.toStdString(), value.toStdString()));
        QVERIFY(!ini.errorString().isEmpty());
        QCOMPARE(readFile(m_path), before);
    }

    void writeFailsInMissingFolder()
    {
        IniFile ini(m_dir->filePath(QStringLiteral("no/such/folder/Corvane.ini")));
        QVERIFY(!ini.writeValue("a", "K", "1"));
        QVERIFY(ini.errorString().contains(QStringLiteral("Corvane.ini")));
    }

    void removeSection_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("middle") << QByteArray("; top\r\n[a]\r\nK=1\r\n[b]\r\nK=2\r\n\r\n[c]\r\nK=3\r\n")
                                << QByteArray("B") << QByteArray("; top\r\n[a]\r\nK=1\r\n[c]\r\nK=3\r\n");
        QTest::newRow("last without line end") << QByteArray("[a]\nK=1\n[b]\nK=2") << QByteArray("b")
                                               << QByteArray("[a]\nK=1\n");
        QTest::newRow("duplicates all go") << QByteArray("[a]\nK=1\n[b]\n[A]\nK=2\n") << QByteArray("a")
                                           << QByteArray("[b]\n");
        QTest::newRow("missing leaves file") << QByteArray("[a]\nK=1\n") << QByteArray("z")
                                             << QByteArray("[a]\nK=1\n");
        QTest::newRow("prefix is not a match") << QByteArray("[ab]\nK=1\n[a]\nK=2\n") << QByteArray("a")
                                               << QByteArray("[ab]\nK=1\n");
    }

    void removeSection()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, after);
        writeFile(m_path, before);
        IniFile ini(m_path);
        QVERIFY(ini.removeSection(section.toStdString()));
        QCOMPARE(readFile(m_path), after);
        QVERIFY(!ini.hasSection(section.toStdString()));
    }

    void writeSectionReplacesOnlyIt()
    {
        writeFile(m_path, "[a]\r\nK=1\r\n; gone with the section\r\n[b]\r\nK=2\r\n");
        IniFile ini(m_path);
        QVERIFY(ini.writeSection("A", {{"X", "1"}, {"Y", "2"}}));
        QCOMPARE(readFile(m_path), QByteArray("[a]\r\nX=1\r\nY=2\r\n[b]\r\nK=2\r\n"));
        QVERIFY(ini.writeSection("c", {{"Z", "3"}}));
        QCOMPARE(ini.readValue("c", "z"), std::string("3"));
        QVERIFY(!ini.writeSection("d", {{"bad=key", "1"}}));
        QVERIFY(!ini.hasSection("d"));
    }

    void passwordEveryByte()
    {
        std::string all;
        std::set<std::string> groups;
        for (int b = 1; b <= 255; ++b) {
            const std::string one(1, char(b));
            const std::string enc = EncodePassword(one);
            QCOMPARE(enc.size(), size_t(3));
            for (char c : enc)
                QVERIFY2(c > ' ' && c < 127 && std::string("\"';=[]#\\").find(c) == std::string::npos, enc.c_str());
            QCOMPARE(DecodePassword(enc), one);
            groups.insert(enc);
            all += one;
        }
        QCOMPARE(groups.size(), size_t(255));
        // Stored in the registry and read back through the ini file.
        IniFile ini(m_path);
        QVERIFY(ini.writeValue("web1", "PASSWORD", EncodePassword(all)));
        const std::string stored = ini.readValue("web1", "PASSWORD");
        QCOMPARE(stored.size(), all.size() * 3);
        QCOMPARE(DecodePassword(stored), all);
    }

    void passwordDecodeDamaged_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray ab = QByteArray::fromStdString(EncodePassword("ab"));
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("trailing partial group") << ab + "K" << QByteArray("ab");
        QTest::newRow("unknown group skipped") << ab.left(3) + "!!!" + ab.mid(3) << QByteArray("ab");
        QTest::newRow("plain text is not a password") << QByteArray("secret") << QByteArray();
    }

    void passwordDecodeDamaged()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, expected);
        QCOMPARE(QByteArray::fromStdString(DecodePassword(stored.toStdString())), expected);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
