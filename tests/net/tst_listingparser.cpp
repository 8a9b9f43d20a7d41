// Directory listings and control-connection replies as real servers send them.
#include "net/FtpListingParser.h"
#include "net/FtpReplyParser.h"

#include <QStandardPaths>
#include <QTest>

using corvane::net::CFtpFile;
using corvane::net::FtpListingParser;
using corvane::net::FtpReplyParser;

namespace {
constexpr int kThisYear = 2026; // lines that show a time instead of a year are dated in this year
}

class TestListingParser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void oneLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<bool>("isDirectory");
        QTest::addColumn<QString>("linkTarget");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("group");

        const auto at = [](int y, int m, int d, int h = 0, int min = 0) {
            return QDateTime(QDate(y, m, d), QTime(h, min));
        };
        QTest::newRow("unix year, two blanks")
            << "-rw-r--r--   1 web      www          1234 Jan 12  2003 httpd.conf"
            << "httpd.conf" << qint64(1234) << at(2003, 1, 12) << false << ""
            << "web"
            << "www";
        QTest::newRow("unix time, day padded with zero")
            << "drwxr-xr-x    2 root     root         4096 Mar 05 14:07 conf.d"
            << "conf.d" << qint64(4096) << at(kThisYear, 3, 5, 14, 7) << true << ""
            << "root"
            << "root";
        QTest::newRow("unix time, day padded with blank, name with blanks")
            << "-rw-r--r--    1 0        0             512 Dec  3 09:15 name with blanks.conf"
            << "name with blanks.conf" << qint64(512) << at(kThisYear, 12, 3, 9, 15) << false << ""
            << "0"
            << "0";
        QTest::newRow("unix symlink")
            << "lrwxrwxrwx    1 root     root           10 Nov 30  2024 current.conf -> httpd.conf"
            << "current.conf" << qint64(10) << at(2024, 11, 30) << false << "httpd.conf"
            << "root"
            << "root";
        QTest::newRow("unix without group column")
            << "-rw-r--r--  1 ftp       52 Feb 28 23:59 nogroup.txt"
            << "nogroup.txt" << qint64(52) << at(kThisYear, 2, 28, 23, 59) << false << ""
            << "ftp"
            << "";
        QTest::newRow("unix size beyond 32 bits")
            << "-rw-r--r--   1 backup   backup   3221225472 Jul  4  2021 site.tar"
            << "site.tar" << qint64(3221225472LL) << at(2021, 7, 4) << false << ""
            << "backup"
            << "backup";
        QTest::newRow("unix name holding a month")
            << "-rw-r--r--   1 may      staff          10 Jun  1  2020 jan 2 notes"
            << "jan 2 notes" << qint64(10) << at(2020, 6, 1) << false << ""
            << "may"
            << "staff";
        QTest::newRow("unix upper-case month, sticky folder")
            << "drwxrwxrwt   9 root     root         4096 SEP 17  2019 tmp"
            << "tmp" << qint64(4096) << at(2019, 9, 17) << true << ""
            << "root"
            << "root";
        QTest::newRow("unix impossible date") << "-rw-r--r--   1 web      www             1 Feb 30  2003 odd"
                                              << "odd" << qint64(1) << QDateTime() << false << ""
                                              << "web"
                                              << "www";
        QTest::newRow("dos folder") << "01-15-03  10:30AM       <DIR>          logs"
                                    << "logs" << qint64(0) << at(2003, 1, 15, 10, 30) << true << ""
                                    << ""
                                    << "";
        QTest::newRow("dos file, afternoon")
            << "12-05-12  03:30PM                 1234 httpd.conf"
            << "httpd.conf" << qint64(1234) << at(2012, 12, 5, 15, 30) << false << ""
            << ""
            << "";
        QTest::newRow("dos file after midnight, name with blanks")
            << "07-04-21  12:05AM              2147484 access log.txt"
            << "access log.txt" << qint64(2147484) << at(2021, 7, 4, 0, 5) << false << ""
            << ""
            << "";
        QTest::newRow("dos year before 2000")
            << "11-20-98  09:00AM                   77 old.conf"
            << "old.conf" << qint64(77) << at(1998, 11, 20, 9, 0) << false << ""
            << ""
            << "";
    }

    void oneLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QFETCH(QDateTime, date);
        QFETCH(bool, isDirectory);
        QFETCH(QString, linkTarget);
        QFETCH(QString, owner);
        QFETCH(QString, group);
        // Servers end lines with CR LF or LF; both must read the same.
        for (const char* end : {"\r\n", "\n"}) {
            const auto files = FtpListingParser::ParseDirectoryListing(line + QLatin1String(end), kThisYear);
            QVERIFY(files);
            QCOMPARE(files->Count(), 1);
            const CFtpFile& file = files->Item(1);
            QCOMPARE(file.FileName, name);
            QCOMPARE(file.FileSize, size);
            QCOMPARE(file.LastWriteTime, date);
            QCOMPARE(file.IsDirectory, isDirectory);
            QCOMPARE(file.FilePath, linkTarget);
            QCOMPARE(file.Owner, owner);
            QCOMPARE(file.Group, group);
        }
    }

    void wholeListing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count"); // -1 = the listing cannot be read
        QTest::newRow("empty folder") << "" << 0;
        QTest::newRow("only a total line") << "total 0\r\n" << 0;
        QTest::newRow("total line then entries")
            << "total 12\r\n"
               "drwxr-xr-x    2 0        0            4096 Mar 05 14:07 conf.d\r\n"
               "-rw-r--r--    1 0        0           18012 Mar 05 14:07 httpd.conf\r\n"
            << 2;
        QTest::newRow("dos listing") << "01-15-03  10:30AM       <DIR>          logs\r\n12-05-12  03:30PM    "
                                        "             1234 httpd.conf\r\n"
                                     << 2;
        QTest::newRow("entries after a blank line are not read")
            << "-rw-r--r--   1 web      www          1234 Jan 12  2003 a\n\n-rw-r--r--   1 web      www    1 "
               "Jan 12  2003 b\n"
            << 1;
        QTest::newRow("size that is no number")
            << "-rw-r--r--   1 web      www          12x4 Jan 12  2003 a\r\n"
            << -1;
        QTest::newRow("one unreadable line spoils all")
            << "-rw-r--r--   1 web      www          1234 Jan 12  2003 a\r\nthis is not a listing\r\n"
            << -1;
        QTest::newRow("iso dates are not a known layout")
            << "-rw-r--r-- 1 web www 1234 2003-01-12 10:30 httpd.conf\r\n"
            << -1;
    }

    void wholeListing()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        const auto files = FtpListingParser::ParseDirectoryListing(text, kThisYear);
        if (count < 0) {
            QVERIFY(!files);
            return;
        }
        QVERIFY(files);
        QCOMPARE(files->Count(), count);
    }

    void replyCode_data()
    {
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("single line") << "220 ready\r\n" << 220 << "";
        QTest::newRow("line not complete yet") << "220 rea" << 0 << "";
        QTest::newRow("too short") << "22" << 0 << "";
        QTest::newRow("multi-line greeting, first chunk") << "220-Welcome\r\n" << 0 << "";
        QTest::newRow("multi-line greeting complete") << "220-Welcome\r\n220 ready\r\n" << 220 << "Welcome";
        QTest::newRow("inner lines starting with digits")
            << "211-Status\r\n 123 not a reply\r\n200 neither: other code\r\n211 End\r\n"
            << 211 << "Status\r\n 123 not a reply\r\n200 neither: other code";
        QTest::newRow("inner line of another code does not end it") << "230-Hello\r\n200 x\r\n" << 0 << "";
        QTest::newRow("preliminary then completion") << "150 Opening\r\n226 Transfer complete.\r\n"
                                                     << 226 << "";
        QTest::newRow("LF only line ends") << "250 OK\n" << 250 << "";
        QTest::newRow("goodbye cut short by the close") << "221-Goodbye\r\n" << 221 << "Goodbye";
    }

    void replyCode()
    {
        QFETCH(QString, buffer);
        QFETCH(int, code);
        QFETCH(QString, message);
        const auto reply = FtpReplyParser::ParseReplyCode(buffer);
        QCOMPARE(reply.code, code);
        QCOMPARE(reply.serverMessage, message);
    }
};

QTEST_GUILESS_MAIN(TestListingParser)
#include "tst_listingparser.moc"
