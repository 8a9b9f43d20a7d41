// The catalogue checksum: CRC-32 text of a file, the comparison, and the
// catalogue built with the program passing it while any changed byte fails.
#include "catalogue/ApplicationFolder.h"
#include "catalogue/CatalogueChecksum.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

class TestCatalogueChecksum : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_appDir;

    QString write(const QByteArray& bytes)
    {
        const QString path = m_appDir.path() + "/Corvane.dll";
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_appDir.isValid());
    }

    void crcText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QByteArray blocks;
        for (int i = 0; i < 40; ++i) {
            for (int b = 0; b < 256; ++b)
                blocks.append(static_cast<char>(b));
        }
        QTest::newRow("check value") << QByteArray("123456789") << "CBF43926";
        QTest::newRow("empty file") << QByteArray() << "0";
        QTest::newRow("leading zeros dropped") << QByteArray("x31") << "1685F0";
        // 10240 bytes: read as one full 8192-byte block and a partial one.
        QTest::newRow("across blocks, every byte value") << blocks << "BBCE3B9D";
    }

    void crcText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(catalogueCrc32Text(write(bytes).toStdString())), expected);
    }

    void comparison_data()
    {
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("passes");
        QTest::newRow("equal") << "CBF43926" << true;
        QTest::newRow("blanks trimmed") << "  CBF43926 " << true;
        QTest::newRow("lower case differs") << "cbf43926" << false;
        QTest::newRow("leading zero differs") << "0CBF43926" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("other") << "CBF43927" << false;
    }

    void comparison()
    {
        QFETCH(QString, expected);
        QFETCH(bool, passes);
        const QString path = write("123456789");
        QCOMPARE(CheckCatalogueChecksum(path.toStdString(), expected.toStdString()), passes);
    }

    void missingFileFails()
    {
        QCOMPARE(catalogueCrc32Text((m_appDir.path() + "/absent").toStdString()), std::string());
        QVERIFY(!CheckCatalogueChecksum((m_appDir.path() + "/absent").toStdString()));
    }

    void builtInCataloguePasses()
    {
        const std::string bytes = builtInCatalogue();
        QVERIFY(bytes.size() > 100000);
        const QString path = write(QByteArray::fromStdString(bytes));
        QVERIFY(CheckCatalogueChecksum(path.toStdString()));
        QCOMPARE(catalogueCrc32Text(path.toStdString()), builtInCatalogueChecksum());
    }

    void changedByteFails_data()
    {
        QTest::addColumn<int>("position"); // negative: from the end
        QTest::newRow("first byte") << 0;
        QTest::newRow("inside a description") << 5000;
        QTest::newRow("block boundary") << 8192;
        QTest::newRow("last byte") << -1;
    }

    void changedByteFails()
    {
        QFETCH(int, position);
        QByteArray bytes = QByteArray::fromStdString(builtInCatalogue());
        const qsizetype at = position >= 0 ? position : bytes.size() + position;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
        const QString path = write(bytes);
        QVERIFY(!CheckCatalogueChecksum(path.toStdString()));
        QCOMPARE(QString::fromLatin1(kChecksumFailedMessage),
                 QStringLiteral("Corvane Configuration file Checksum failed, so skipping it"));
    }

    void appendedLineFails()
    {
        const QString path = write(QByteArray::fromStdString(builtInCatalogue()) + "\n");
        QVERIFY(!CheckCatalogueChecksum(path.toStdString()));
    }
};

QTEST_GUILESS_MAIN(TestCatalogueChecksum)
#include "tst_cataloguechecksum.moc"
