// Behaviour of the editors that depends on the server: presets by MPM and
// version, the preset shown for the values found, the missing-module
// prompts, CacheNegotiatedDocs by version, how existing lines load, the
// log format token tree, and the pictures of every editor.
#include "EditorSteps.h"
#include "PageFixture.h"

#include "catalogue/DirbaseParser.h"
#include "catalogue/xmldirective.h"
#include "dialogs/frmAliases.h"
#include "dialogs/frmEnvironmentVariables.h"
#include "dialogs/frmIcons.h"
#include "dialogs/frmLanguages.h"
#include "dialogs/frmLogs.h"
#include "dialogs/frmOtherSettings.h"
#include "dialogs/frmPerformance.h"
#include "forms/FormSupport.h"
#include "host/MessageBox.h"
#include "host/PropertySheet.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

// An Apache 2.0 main server without LoadModule lines (the MPM is built in).
const QByteArray kOld = "ServerRoot \"/usr/local/apache2\"\n"
                        "KeepAlive Off\n"
                        "KeepAliveTimeout 15\n"
                        "MaxKeepAliveRequests 0\n"
                        "StartServers 100\n"
                        "MaxClients 100\n"
                        "MinSpareServers 100\n"
                        "MaxSpareServers 100\n"
                        "MaxRequestsPerChild 100\n"
                        "ThreadsPerChild 100\n"
                        "CacheSize 100\n"
                        "CacheMaxExpire 100\n"
                        "ExtendedStatus On\n"
                        "CacheNegotiatedDocs\n"
                        "AddIcon /icons/text.gif .txt .text README\n"
                        "Alias /manual \"/usr/local/apache2/manual pages\"\n"
                        "Script PUT /cgi-bin/put.cgi\n"
                        "DeflateFilterNote ratio\n"
                        "LogFormat \"%h %l\" short\n"
                        "<VirtualHost *:80>\n"
                        "ServerName www.example.org\n"
                        "ServerAlias a.example.org b.example.org\n"
                        "ServerAlias c.example.org\n"
                        "</VirtualHost>\n";

} // namespace

class DialogsSettings : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;
    QTemporaryDir run;
    QString apache;

    QString tmp(QString s) const { return s.replace("@TMP@", run.path()); }

    QString runSteps(const QString& server, int node, const QString& page, const QStringList& steps)
    {
        PropertySheet* sheet = fx->openSheet(server, node, {page});
        EditorSteps script(*fx, steps);
        const QString failures = script.run(sheet);
        sheet->reject();
        return failures;
    }

private slots:
    void initTestCase()
    {
        apache = QStandardPaths::findExecutable("apache2", {"/usr/sbin", "/usr/local/sbin"});
        QVERIFY(run.isValid());
        for (const char* sub : {"htdocs", "logs", "run"})
            QDir(run.path()).mkpath(sub);
    }
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        fx->addServer("old", kOld, "2.0.49");
        QByteArray prefork = PageFixture::corpus("apache24-access.conf");
        prefork.replace("@TMP@", run.path().toUtf8());
        fx->addServer("prefork", prefork, "2.4.57");
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
    }
    void cleanup() { fx.reset(); }

    void presets_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("all at 100 shows High; Low writes 0 into all eight")
            << "old"
            << QStringList{"check:CmbPerformance=High", "check:ChkClearAll=unchecked", "CmbPerformance=Low"}
            << QStringList{"StartServers 100",    "MaxClients 100",          "MinSpareServers 100",
                           "MaxSpareServers 100", "MaxRequestsPerChild 100", "ThreadsPerChild 100",
                           "CacheSize 100",       "CacheMaxExpire 100"}
            << QStringList{"StartServers 0",    "MaxClients 0",          "MinSpareServers 0",
                           "MaxSpareServers 0", "MaxRequestsPerChild 0", "ThreadsPerChild 0",
                           "CacheSize 0",       "CacheMaxExpire 0"};
        QTest::newRow("mixed values show Custom; Clear Values empties them")
            << "old"
            << QStringList{"txtStartServers=5", "check:CmbPerformance=Custom", "click:ChkClearAll",
                           "check:txtMaxClients="}
            << QStringList{"StartServers 100",    "MaxClients 100",          "MinSpareServers 100",
                           "MaxSpareServers 100", "MaxRequestsPerChild 100", "ThreadsPerChild 100",
                           "CacheSize 100",       "CacheMaxExpire 100"}
            << QStringList{};
        QTest::newRow("High under prefork writes no ThreadsPerChild")
            << "prefork"
            << QStringList{"check:CmbPerformance=Custom", "check:txtThreadsPerChild=disabled",
                           "check:txtMinSpareServers=enabled", "CmbPerformance=High"}
            << QStringList{}
            << QStringList{"MaxRequestsPerChild 100", "StartServers 100", "MaxClients 100",
                           "MinSpareServers 100", "MaxSpareServers 100"};
        QTest::newRow("Low under prefork: Apache raises the zeros and takes them")
            << "prefork" << QStringList{"CmbPerformance=Low", "check:CmbPerformance=Low"} << QStringList{}
            << QStringList{"MaxRequestsPerChild 0", "StartServers 0", "MaxClients 0", "MinSpareServers 0",
                           "MaxSpareServers 0"};
        QTest::newRow("Extended Status On refused leaves the blank entry")
            << "old" << QStringList{"answer:no", "cmbExtendedStatus=On", "check:cmbExtendedStatus="}
            << QStringList{"ExtendedStatus On"} << QStringList{};
    }
    void presets()
    {
        QFETCH(QString, server);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        const QStringList before = fx->lines(server);
        const QString failures =
            runSteps(server, -2, "ppgGlobalProperties_1",
                     QStringList{"open:frmPerformance:cmdPerfmSettings"} + steps + QStringList{"close:ok"});
        QVERIFY2(failures.isEmpty(), qPrintable(failures));
        const QStringList after = fx->lines(server);
        QCOMPARE(PageFixture::removedLines(before, after), removed);
        QCOMPARE(PageFixture::addedLines(before, after), added);
        if (server == "prefork" && !apache.isEmpty()) {
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(apache, {"-t", "-f", fx->workingCopy(server)});
            QVERIFY(p.waitForFinished(30000));
            QVERIFY2(p.exitCode() == 0, p.readAll().constData());
        }
    }

    void existingLines_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("keep-alive off loads off, unlimited requests; untouched writes nothing")
            << "old"
            << ""
            << QStringList{"open:frmOtherSettings:cmdAdvanced",
                           "check:chkAllowPersistentConnections=unchecked",
                           "check:txtKeepAliveTimeout=disabled",
                           "check:optUnlimitedRequestPerConnection=checked",
                           "check:txtMaxKeepAliveRequests=disabled",
                           "check:Script=",
                           "close:ok"}
            << QStringList{} << QStringList{};
        QTest::newRow("a script loads script first and is written method first")
            << "old"
            << ""
            << QStringList{"open:frmOtherSettings:cmdAdvanced",
                           "select:lstvScripts=/cgi-bin/put.cgi",
                           "open:frmScripts:cmdEditScript",
                           "check:cmbMethod=PUT",
                           "txtScript=/cgi-bin/store.cgi",
                           "close:ok",
                           "close:ok"}
            << QStringList{"Script PUT /cgi-bin/put.cgi"} << QStringList{"Script PUT /cgi-bin/store.cgi"};
        QTest::newRow("a filter note of one word gets its type")
            << "old"
            << ""
            << QStringList{"open:frmOtherSettings:cmdAdvanced",
                           "check:txtDeflateFilterNoteName=ratio",
                           "check:cmbDeflateFilterNoteType=disabled",
                           "click:chkDeflateFilterNoteType",
                           "cmbDeflateFilterNoteType=Ratio",
                           "answer:yes",
                           "open:frmModules:cmdOK",
                           "open:frmAddModule:cmdLDAddModule",
                           "txtModuleName=deflate_module",
                           "txtFilePath=modules/mod_deflate.so",
                           "close:ok",
                           "close:ok"}
            << QStringList{"DeflateFilterNote ratio"}
            << QStringList{"LoadModule deflate_module modules/mod_deflate.so",
                           "DeflateFilterNote Ratio ratio", "SetOutputFilter DEFLATE"};
        QTest::newRow("compression refused: persistent connections still written")
            << "old"
            << ""
            << QStringList{"open:frmOtherSettings:cmdAdvanced",
                           "txtDeflateCompressionLevel=9",
                           "click:chkAllowPersistentConnections",
                           "txtKeepAliveTimeout=7",
                           "answer:no",
                           "close:ok"}
            << QStringList{"KeepAlive Off", "KeepAliveTimeout 15"}
            << QStringList{"KeepAlive On", "KeepAliveTimeout 7"};
        QTest::newRow("an icon line of three names is three rows")
            << "old"
            << ""
            << QStringList{"open:frmOtherSettings:cmdAdvanced",
                           "open:frmIcons:cmdIconSettings",
                           "check:lstvIcon=#3",
                           "select:lstvIcon=/icons/text.gif",
                           "click:cmdRemoveIcon",
                           "close:ok",
                           "close:cancel"}
            << QStringList{"AddIcon /icons/text.gif .txt .text README"}
            << QStringList{"AddIcon /icons/text.gif .text README"};
        QTest::newRow("an alias path with blanks is one path")
            << "old"
            << ""
            << QStringList{"open:frmOtherSettings:cmdAdvanced",
                           "open:frmAliases:cmdAliasSettings",
                           "select:lstvAlias=/manual",
                           "open:frmAddAlias:cmdEdit",
                           "check:txtAliasPath=/usr/local/apache2/manual pages",
                           "txtAliasName=/docs",
                           "close:ok",
                           "close:ok",
                           "close:cancel"}
            << QStringList{"Alias /manual \"/usr/local/apache2/manual pages\""}
            << QStringList{"Alias /docs \"/usr/local/apache2/manual pages\""};
        QTest::newRow("two ServerAlias lines become one")
            << "old"
            << "vhost"
            << QStringList{"open:frmServerAliases:cmdEditSrvrAlias", "select:lstvServerAlias=b.example.org",
                           "click:CmdRemove", "close:ok"}
            << QStringList{"ServerAlias a.example.org b.example.org", "ServerAlias c.example.org"}
            << QStringList{"ServerAlias a.example.org c.example.org"};
        QTest::newRow("1.3: Cache Negotiated Docs Off removes the bare line")
            << "13"
            << ""
            << QStringList{"open:frmOtherSettings:cmdAdvanced",
                           "open:frmLanguages:cmdLanguageSettings",
                           "check:cmbCacheNegotiatedDocs=On",
                           "cmbCacheNegotiatedDocs=Off",
                           "close:ok",
                           "close:cancel"}
            << QStringList{"CacheNegotiatedDocs"} << QStringList{};
        QTest::newRow("2.0: Cache Negotiated Docs takes On / Off")
            << "old"
            << ""
            << QStringList{"open:frmOtherSettings:cmdAdvanced", "open:frmLanguages:cmdLanguageSettings",
                           "cmbCacheNegotiatedDocs=Off", "close:ok", "close:cancel"}
            << QStringList{"CacheNegotiatedDocs"} << QStringList{"CacheNegotiatedDocs Off"};
    }
    void existingLines()
    {
        QFETCH(QString, server);
        QFETCH(QString, node);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        QString name = server;
        if (server == "13") {
            name = "old13";
            fx->addServer(name, kOld, "1.3.29");
        }
        const int nodeNo = node == "vhost" ? fx->sectionNo(name, "VirtualHost", "*:80") : -1;
        const QStringList before = fx->lines(name);
        QStringList s = steps;
        s.removeAll("check:Script="); // marks a row that only loads
        const QString failures = runSteps(name, nodeNo, "ppgServerSettings", s);
        QVERIFY2(failures.isEmpty(), qPrintable(failures));
        const QStringList after = fx->lines(name);
        auto sorted = [](QStringList l) {
            l.sort();
            return l;
        };
        QCOMPARE(sorted(PageFixture::removedLines(before, after)), sorted(removed));
        QCOMPARE(sorted(PageFixture::addedLines(before, after)), sorted(added));
    }

    void logioLoadedByItsFullPath_data()
    {
        QTest::addColumn<QByteArray>("loadLine");
        QTest::addColumn<int>("questions");
        QTest::newRow("Debian's full path")
            << QByteArray("LoadModule logio_module /usr/lib/apache2/modules/mod_logio.so\n") << 0;
        QTest::newRow("relative path") << QByteArray("LoadModule logio_module modules/mod_logio.so\n") << 0;
        QTest::newRow("quoted path") << QByteArray("LoadModule logio_module \"/opt/apache 2/mod_logio.so\"\n")
                                     << 0;
        QTest::newRow("another module")
            << QByteArray("LoadModule log_forensic_module modules/mod_log_forensic.so\n") << 1;
    }
    void logioLoadedByItsFullPath()
    {
        QFETCH(QByteArray, loadLine);
        QFETCH(int, questions);
        fx->addServer("io", loadLine + kOld, "2.4.57");
        const QStringList before = fx->lines("io");
        MessageBox::setNextAnswer(QMessageBox::No);
        const QString failures = runSteps("io", -1, "ppgServerSettings",
                                          {"open:frmCustomLog:cmdLogProperties", "txtFormatName=io",
                                           "txtLogFormat=%h %I %O", "click:CmdSaveFormat", "close:ok"});
        QVERIFY2(failures.isEmpty(), qPrintable(failures));
        QCOMPARE(MessageBox::shownCount(), questions);
        QCOMPARE(PageFixture::addedLines(before, fx->lines("io")),
                 QStringList{questions ? "LogFormat \"%h\" io" : "LogFormat \"%h %I %O\" io"});
    }

    void browseOnlyForALocalServer_data()
    {
        QTest::addColumn<bool>("remote");
        QTest::newRow("local") << false;
        QTest::newRow("remote") << true;
    }
    void browseOnlyForALocalServer()
    {
        QFETCH(bool, remote);
        fx->addServer("far", kOld, "2.2.22", remote);
        const QString state = remote ? "disabled" : "enabled";
        const QString failures =
            runSteps("far", -1, "ppgServerSettings",
                     {"open:frmEnvironmentVariables:cmdEditEnvVar", "check:cmdBrowseSLog=" + state,
                      "close:cancel", "open:frmCustomLog:cmdLogProperties", "check:cmdBrowseLogFile=" + state,
                      "close:cancel", "open:frmOtherSettings:cmdAdvanced", "open:frmIcons:cmdIconSettings",
                      "check:cmdBrowseFile=" + state, "close:cancel", "close:cancel"});
        QVERIFY2(failures.isEmpty(), qPrintable(failures));
    }

    // Every directive an editor's controls are tagged with is marked in the
    // catalogue as edited by a page or dialog.
    void catalogueMarksWhatTheEditorsEdit()
    {
        EditorInputs in;
        in.context.appDir = fx->appDir();
        std::vector<std::unique_ptr<CorvaneDialog>> editors;
        editors.push_back(std::make_unique<frmTransferLog>(in));
        editors.push_back(std::make_unique<frmCookieLog>(in));
        editors.push_back(std::make_unique<frmErrorLog>(in));
        editors.push_back(std::make_unique<frmCustomLog>(in));
        editors.push_back(std::make_unique<frmPerformance>(in));
        editors.push_back(std::make_unique<frmEnvironmentVariables>(in));
        editors.push_back(std::make_unique<frmServerAliases>(in));
        editors.push_back(std::make_unique<frmAliases>(in));
        editors.push_back(std::make_unique<frmLanguages>(in));
        editors.push_back(std::make_unique<frmIcons>(in));
        editors.push_back(std::make_unique<frmOtherSettings>(in));
        int tags = 0;
        for (const auto& e : editors) {
            const DirbaseParser& catalogue = e->form().catalogue(fx->appDir());
            for (QWidget* w : e->form().taggedControls()) {
                const QString tag = FormSupport::tagOf(w);
                const xmldirective* entry = catalogue.findDirective(tag.toStdString());
                QVERIFY2(entry, qPrintable(e->objectName() + ": " + tag));
                QVERIFY2(entry->Supported(), qPrintable(e->objectName() + ": " + tag));
                ++tags;
            }
        }
        QVERIFY(tags > 60);
    }

    void tokenTree()
    {
        PropertySheet* sheet = fx->openSheet("old", -1, {"ppgServerSettings"});
        fx->whenShown("frmCustomLog", [](QDialog* d) {
            auto* tree = d->findChild<QTreeWidget*>("tvLoggingOptions");
            auto* text = d->findChild<QLineEdit*>("txtLogFormat");
            QCOMPARE(tree->topLevelItemCount(), 2);
            QCOMPARE(tree->topLevelItem(0)->childCount(), 30);
            QCOMPARE(tree->topLevelItem(1)->child(0)->text(0),
                     QString("%P The process ID of the child that serviced the request"));
            // A root checks its leaves and adds their tokens.
            tree->topLevelItem(1)->setCheckState(0, Qt::Checked);
            QCOMPARE(text->text(), QString("%P %{format}P"));
            QCOMPARE(tree->topLevelItem(1)->child(1)->checkState(0), Qt::Checked);
            // A leaf unchecked takes its token out.
            tree->topLevelItem(1)->child(0)->setCheckState(0, Qt::Unchecked);
            QCOMPARE(text->text(), QString("%{format}P"));
            // The text checks the leaves: a braced token by "}" and its letter.
            text->setText("%h %{X-Forwarded-For}i");
            emit text->textEdited(text->text());
            QTreeWidgetItem* extended = tree->topLevelItem(0);
            for (int i = 0; i < extended->childCount(); ++i) {
                const QString token = extended->child(i)->data(0, Qt::UserRole).toString();
                QCOMPARE(extended->child(i)->checkState(0) == Qt::Checked,
                         token == "%h" || token == "%{Foobar}i");
            }
            QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdLogProperties"), Qt::LeftButton);
        QCOMPARE(fx->answered(), 1);
        sheet->reject();
    }

    void formatQuoting_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("written");
        QTest::newRow("no quotes") << "%h %l"
                                   << "\"%h %l\"";
        QTest::newRow("a quote inside") << "%h \"%r\""
                                        << "\"%h \\\"%r\\\"\"";
        QTest::newRow("escaped already") << "%h \\\"%r\\\""
                                         << "\"%h \\\"%r\\\"\"";
        QTest::newRow("a tab escape") << "%h\\t%u"
                                      << "\"%h\\t%u\"";
    }
    void formatQuoting()
    {
        QFETCH(QString, plain);
        QFETCH(QString, written);
        QCOMPARE(frmCustomLog::quotedFormat(plain), written);
        QCOMPARE(frmCustomLog::quotedFormat(frmCustomLog::plainFormat(written)), written);
    }

    void helpOfEveryEditor()
    {
        const QList<QPair<QStringList, int>> opens{
            {{"ppgServerSettings", "cmbLogs=Transfer Log", "open:frmTransferLog:cmdLogProperties"}, 1020},
            {{"ppgServerSettings", "cmbLogs=Error Log", "open:frmErrorLog:cmdLogProperties"}, 1022},
            {{"ppgServerSettings", "open:frmCustomLog:cmdLogProperties"}, 1023},
            {{"ppgGlobalProperties_1", "open:frmPerformance:cmdPerfmSettings"}, 1040},
            {{"ppgServerSettings", "open:frmEnvironmentVariables:cmdEditEnvVar"}, 1050},
            {{"ppgServerSettings", "open:frmOtherSettings:cmdAdvanced"}, 1100},
            {{"ppgServerSettings", "open:frmOtherSettings:cmdAdvanced", "open:frmIcons:cmdIconSettings"},
             1080}};
        QFile contexts(QStringLiteral(CORVANE_SOURCE_DIR "/data/help/contexts.txt"));
        QVERIFY(contexts.open(QIODevice::ReadOnly));
        const QString table = QString::fromUtf8(contexts.readAll());
        for (auto [steps, context] : opens) {
            const QString page = steps.takeFirst();
            const int depth = int(steps.filter("open:").size());
            steps << "key:F1";
            for (int i = 0; i < depth; ++i)
                steps << "close:cancel";
            const QString failures = runSteps("old", page == "ppgServerSettings" ? -1 : -2, page, steps);
            QVERIFY2(failures.isEmpty(), qPrintable(failures));
            QVERIFY(!fx->helpRequests().isEmpty());
            QCOMPARE(fx->helpRequests().last(), context);
            const QRegularExpression line(QStringLiteral("^%1 (\\S+)$").arg(context),
                                          QRegularExpression::MultilineOption);
            const QRegularExpressionMatch m = line.match(table);
            QVERIFY2(m.hasMatch(), qPrintable(QString::number(context)));
            QVERIFY(QFileInfo::exists(QStringLiteral(CORVANE_SOURCE_DIR "/data/help/") + m.captured(1)));
        }
    }

    void screenshots()
    {
        const QList<QStringList> opens{
            {"ppgServerSettings", "cmbLogs=Transfer Log", "open:frmTransferLog:cmdLogProperties"},
            {"ppgServerSettings", "cmbLogs=Error Log", "open:frmErrorLog:cmdLogProperties"},
            {"ppgServerSettings", "cmbLogs=Cookie Log", "open:frmCookieLog:cmdLogProperties"},
            {"ppgServerSettings", "cmbLogs=Custom Log", "open:frmCustomLog:cmdLogProperties"},
            {"ppgServerSettings", "open:frmEnvironmentVariables:cmdEditEnvVar"},
            {"ppgServerSettings", "open:frmOtherSettings:cmdAdvanced"},
            {"ppgServerSettings", "open:frmOtherSettings:cmdAdvanced", "open:frmAliases:cmdAliasSettings"},
            {"ppgServerSettings", "open:frmOtherSettings:cmdAdvanced",
             "open:frmLanguages:cmdLanguageSettings"},
            {"ppgServerSettings", "open:frmOtherSettings:cmdAdvanced", "open:frmIcons:cmdIconSettings"},
            {"ppgGlobalProperties_1", "open:frmPerformance:cmdPerfmSettings"}};
        for (QStringList steps : opens) {
            const QString page = steps.takeFirst();
            const QString name = steps.last().section(':', 1, 1);
            const int depth = int(steps.filter("open:").size());
            steps << "picture:" + name;
            for (int i = 0; i < depth; ++i)
                steps << "close:cancel";
            const QString failures = runSteps("old", page == "ppgServerSettings" ? -1 : -2, page, steps);
            QVERIFY2(failures.isEmpty(), qPrintable(failures));
        }
        PropertySheet* sheet =
            fx->openSheet("old", fx->sectionNo("old", "VirtualHost", "*:80"), {"ppgServerSettings"});
        fx->whenShown("frmServerAliases", [](QDialog* d) {
            QVERIFY(PageFixture::screenshot(d, "frmServerAliases"));
            d->reject();
        });
        QTest::mouseClick(sheet->findChild<QPushButton*>("cmdEditSrvrAlias"), Qt::LeftButton);
        sheet->reject();
    }
};

QTEST_MAIN(DialogsSettings)
#include "tst_dialogs_settings.moc"
