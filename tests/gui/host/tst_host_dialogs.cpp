// Message boxes, file choosers and help pages.
#include <QAbstractButton>
#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>
#include <memory>

#include "HostTestSnapIn.h"
#include "host/FileDialog.h"
#include "host/HelpTopics.h"
#include "host/HelpViewer.h"
#include "host/MessageBox.h"

using namespace corvane;
using namespace hosttest;

using Button = QMessageBox::StandardButton;
Q_DECLARE_METATYPE(QList<QMessageBox::StandardButton>)

class TestHostDialogs : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> env;

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        MessageBox::resetRecord();
        FileDialog::clearNextFileNames();
    }

    void messageBoxAnswers_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<Button>>("queued");
        QTest::addColumn<QList<Button>>("answers");
        QTest::addColumn<int>("icon");
        QTest::newRow("question, Yes queued")
            << "question" << QList<Button>{QMessageBox::Yes} << QList<Button>{QMessageBox::Yes}
            << int(QMessageBox::Question);
        QTest::newRow("question, No queued") << "question" << QList<Button>{QMessageBox::No}
                                             << QList<Button>{QMessageBox::No} << int(QMessageBox::Question);
        QTest::newRow("answers used in order")
            << "question" << QList<Button>{QMessageBox::Yes, QMessageBox::No}
            << QList<Button>{QMessageBox::Yes, QMessageBox::No, QMessageBox::No}
            << int(QMessageBox::Question);
        QTest::newRow("question, nothing queued: No")
            << "question" << QList<Button>{} << QList<Button>{QMessageBox::No} << int(QMessageBox::Question);
        QTest::newRow("information: Ok") << "information" << QList<Button>{} << QList<Button>{QMessageBox::Ok}
                                         << int(QMessageBox::Information);
        QTest::newRow("critical: Ok")
            << "critical" << QList<Button>{} << QList<Button>{QMessageBox::Ok} << int(QMessageBox::Critical);
        QTest::newRow("warning: Ok") << "warning" << QList<Button>{} << QList<Button>{QMessageBox::Ok}
                                     << int(QMessageBox::Warning);
    }

    void messageBoxAnswers()
    {
        QFETCH(QString, kind);
        QFETCH(QList<Button>, queued);
        QFETCH(QList<Button>, answers);
        QFETCH(int, icon);
        for (Button b : queued)
            MessageBox::setNextAnswer(b);
        for (int i = 0; i < answers.size(); ++i) {
            const QString text =
                QStringLiteral(
                    "Server is not listening on the port 8080 !\r\nDo you want to add this port ? %1")
                    .arg(i);
            Button got = QMessageBox::NoButton;
            if (kind == QLatin1String("question"))
                got = MessageBox::question(nullptr, text);
            else if (kind == QLatin1String("information"))
                got = MessageBox::information(nullptr, text);
            else if (kind == QLatin1String("critical"))
                got = MessageBox::critical(nullptr, text);
            else
                got = MessageBox::warning(nullptr, text);
            QCOMPARE(got, answers[i]);
            QCOMPARE(MessageBox::lastText(), text);
        }
        QCOMPARE(int(MessageBox::lastIcon()), icon);
        QCOMPARE(MessageBox::shownCount(), answers.size());
        QCOMPARE(MessageBox::pendingAnswers(), 0);
    }

    void theRealBoxIsTitledCorvane_data()
    {
        QTest::addColumn<QMessageBox::StandardButtons>("buttons");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("question") << QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No)
                                  << QStringList{"&Yes", "&No"};
        QTest::newRow("message") << QMessageBox::StandardButtons(QMessageBox::Ok) << QStringList{"OK"};
    }

    void theRealBoxIsTitledCorvane()
    {
        QFETCH(QMessageBox::StandardButtons, buttons);
        QFETCH(QStringList, shown);
        std::unique_ptr<QMessageBox> box(
            MessageBox::create(nullptr, QMessageBox::Question,
                               QStringLiteral("Are you sure you want to delete the selected item ?"), buttons,
                               QMessageBox::NoButton));
        QCOMPARE(box->windowTitle(), QStringLiteral("Corvane"));
        QCOMPARE(box->text(), QStringLiteral("Are you sure you want to delete the selected item ?"));
        QStringList texts;
        for (QAbstractButton* b : box->buttons())
            texts << b->text();
        texts.sort();
        shown.sort();
        QCOMPARE(texts, shown);
    }

    void fileChooserAnswers_data()
    {
        QTest::addColumn<QStringList>("queued");
        QTest::addColumn<QStringList>("answers");
        QTest::newRow("a file") << QStringList{"/etc/apache2/apache2.conf"}
                                << QStringList{"/etc/apache2/apache2.conf"};
        QTest::newRow("cancel") << QStringList{""} << QStringList{""};
        QTest::newRow("two in order, then cancel")
            << QStringList{"/a", "/b c/d"} << QStringList{"/a", "/b c/d", ""};
    }

    void fileChooserAnswers()
    {
        QFETCH(QStringList, queued);
        QFETCH(QStringList, answers);
        for (const QString& name : queued)
            FileDialog::setNextFileName(name);
        for (int i = 0; i < answers.size(); ++i) {
            const QString caption = QStringLiteral("Choose %1").arg(i);
            const QString got =
                i % 2 ? FileDialog::getSaveFileName(nullptr, caption)
                      : FileDialog::getOpenFileName(nullptr, caption, QDir::tempPath(), "*.conf");
            QCOMPARE(got, answers[i]);
            QCOMPARE(FileDialog::lastCaption(), caption);
        }
        FileDialog::setNextFileName(QStringLiteral("/var/www"));
        QCOMPARE(FileDialog::getExistingDirectory(nullptr, QStringLiteral("Folder")),
                 QStringLiteral("/var/www"));
    }

    void helpTopics_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("page");
        QTest::newRow("node help topic")
            << QString::fromLatin1(HelpTopics::overviewTopic()) << "overview.html";
        QTest::newRow("other letter case") << "corvane.chm::/OVERVIEW\\dirbase-overview1.htm"
                                           << "overview.html";
        QTest::newRow("forward slash") << "Corvane.chm::/Overview/Dirbase-OverView1.htm"
                                       << "overview.html";
        QTest::newRow("without the file") << "/Overview\\Dirbase-OverView1.htm"
                                          << "overview.html";
        QTest::newRow("short name") << "overview"
                                    << "overview.html";
        QTest::newRow("node kind") << "node/vhost"
                                   << "node-vhost.html";
        QTest::newRow("page with anchor") << "node-files.html#pattern"
                                          << "node-files.html";
        QTest::newRow("unknown kind") << "node/nothing"
                                      << "";
        QTest::newRow("unknown old topic") << "Corvane.chm::/Pages\\ppgDocuments.htm"
                                           << "";
        QTest::newRow("outside the help") << "../../etc/passwd.html"
                                          << "";
        QTest::newRow("empty") << ""
                               << "";
    }

    void helpTopics()
    {
        QFETCH(QString, topic);
        QFETCH(QString, page);
        const QUrl url = HelpTopics::resolveTopic(topic);
        QCOMPARE(url.fileName(), page);
        if (!page.isEmpty())
            QVERIFY(QFile::exists(QStringLiteral(":/help/") + page));
    }

    void helpContexts_data()
    {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("page");
        QTest::newRow("overview") << 1 << "overview.html";
        QTest::newRow("directory") << 6 << "node-directory.html";
        QTest::newRow("unknown") << 987654 << "";
        QTest::newRow("zero") << 0 << "";
    }

    void helpContexts()
    {
        QFETCH(int, context);
        QFETCH(QString, page);
        QCOMPARE(HelpTopics::resolveContext(context).fileName(), page);
    }

    void everyNodeTypeHasAPage_data()
    {
        QTest::addColumn<QString>("nodeType");
        for (const char* t :
             {"Corvane", "Server", "DefaultVHost", "VHosts", "Directory", "Location", "IfModule", "File"})
            QTest::newRow(t) << QString::fromLatin1(t);
    }

    void everyNodeTypeHasAPage()
    {
        QFETCH(QString, nodeType);
        const QUrl url = HelpTopics::resolveTopic(HelpTopics::topicForNodeType(nodeType));
        QVERIFY2(!url.isEmpty(), qPrintable(nodeType));
        QVERIFY(url.fileName() != QLatin1String("overview.html"));
    }

    void helpPagesAreWholeAndTheirLinksLead_data()
    {
        QTest::addColumn<QString>("page");
        const QStringList pages = HelpTopics::pages();
        QVERIFY(pages.size() >= 9);
        for (const QString& p : pages)
            QTest::newRow(qPrintable(p)) << p;
    }

    void helpPagesAreWholeAndTheirLinksLead()
    {
        QFETCH(QString, page);
        QFile file(QStringLiteral(":/help/") + page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QTextDocument doc;
        doc.setHtml(html);
        QVERIFY(!doc.metaInformation(QTextDocument::DocumentTitle).isEmpty());
        QVERIFY(doc.toPlainText().size() > 150);
        static const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+)"));
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            QVERIFY2(QFile::exists(QStringLiteral(":/help/") + target), qPrintable(page + " -> " + target));
        }
    }

    void helpViewerNavigates()
    {
        HelpViewer viewer;
        QVERIFY(viewer.showTopic(QStringLiteral("node/location")));
        QCOMPARE(viewer.currentUrl().fileName(), QStringLiteral("node-location.html"));
        QVERIFY(viewer.currentTitle().contains(QStringLiteral("Location")));
        auto* back = viewer.findChild<QPushButton*>(QStringLiteral("cmdHelpBack"));
        QVERIFY(back && !back->isEnabled());
        QVERIFY(!viewer.showTopic(QStringLiteral("no such topic")));
        QCOMPARE(viewer.currentUrl().fileName(), QStringLiteral("overview.html"));
        QVERIFY(back->isEnabled());
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(viewer.currentUrl().fileName(), QStringLiteral("node-location.html"));
        viewer.findChild<QPushButton*>(QStringLiteral("cmdHelpContents"))->click();
        QCOMPARE(viewer.currentUrl().fileName(), QStringLiteral("overview.html"));
        QVERIFY(viewer.showContext(3));
        QCOMPARE(viewer.currentUrl().fileName(), QStringLiteral("node-server.html"));
    }
};

QTEST_MAIN(TestHostDialogs)
#include "tst_host_dialogs.moc"
