// The editor dialogs of the server settings page and the advanced global
// page, opened from their real buttons on Debian's Apache 2.4 configuration
// from the corpus: every edit is checked on disk (the lines removed and
// added, in the right section, nothing else), and the result must still
// pass the real "apache2 -t".
#include "EditorSteps.h"
#include "PageFixture.h"

#include "dialogs/frmLogs.h"
#include "host/MessageBox.h"
#include "host/PropertySheet.h"
#include "model/ConfigFile.h"
#include "model/Directive.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

class DialogsEditors : public QObject
{
    Q_OBJECT
    std::unique_ptr<PageFixture> fx;
    QTemporaryDir run;
    QString apache;

    QString tmp(QString s) const { return s.replace("@TMP@", run.path()); }
    QStringList tmp(QStringList list) const
    {
        for (QString& s : list)
            s = tmp(s);
        return list;
    }

    // -2 server node, -1 main server, else a virtual host by its ServerName
    // ("" for the first host, which has none).
    int node(const QString& server, const QString& which)
    {
        if (which == "server")
            return -2;
        if (which == "main")
            return -1;
        if (which.isEmpty())
            return fx->sectionNo(server, "VirtualHost", "*:8080");
        ConfigFile cf(fx->appDir().toStdString());
        cf.SetFileName(fx->workingCopy(server).toStdString());
        cf.DeSerialize();
        for (int no = 1; no <= cf.GetDirectiveCount(); ++no) {
            const Directive* d = cf.FindDirective(no);
            if (d && d->GetType() == 3 && d->GetDirectiveName() == "ServerName" &&
                d->GetParam(1) == which.toStdString())
                return d->ParentDirective()->DirectiveNo();
        }
        return 0;
    }

    void addCorpusServer(const QString& name, const QString& file, const QString& version)
    {
        QByteArray bytes = PageFixture::corpus(file);
        bytes.replace("@TMP@", run.path().toUtf8());
        fx->addServer(name, bytes, version);
    }

    QString apacheCheck(const QString& server)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(apache, {"-t", "-f", fx->workingCopy(server)});
        if (!p.waitForFinished(30000))
            return "apache2 -t did not finish";
        return p.exitCode() == 0 ? QString() : QString::fromLocal8Bit(p.readAll());
    }

private slots:
    void initTestCase()
    {
        apache = QStandardPaths::findExecutable("apache2", {"/usr/sbin", "/usr/local/sbin"});
        QVERIFY(run.isValid());
        for (const char* sub : {"htdocs", "htdocs/wiki", "logs", "run"})
            QDir(run.path()).mkpath(sub);
    }
    void init()
    {
        fx = std::make_unique<PageFixture>();
        QVERIFY(fx->isValid());
        addCorpusServer("deb", "apache24-debian.conf", "2.4.57");
        MessageBox::clearNextAnswers();
        MessageBox::resetRecord();
    }
    void cleanup() { fx.reset(); }

    void edits_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("node");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("section"); // head of the section the first added line is in
        QTest::addColumn<bool>("apacheTakesIt");
        const QString ss = "ppgServerSettings";

        // ---- logging ----
        QTest::newRow("transfer log")
            << ss << "main"
            << QStringList{"cmbLogs=Transfer Log", "open:frmTransferLog:cmdLogProperties",
                           "txtTransferLogToFile=@TMP@/logs/transfer log", "close:ok"}
            << QStringList{} << QStringList{"TransferLog \"@TMP@/logs/transfer log\""} << "" << true;
        QTest::newRow("transfer log cancelled")
            << ss << "main"
            << QStringList{"cmbLogs=Transfer Log", "open:frmTransferLog:cmdLogProperties",
                           "txtTransferLogToFile=@TMP@/logs/t.log", "close:cancel"}
            << QStringList{} << QStringList{} << "" << true;
        QTest::newRow("cookie log is gone in 2.4")
            << ss << "main"
            << QStringList{"cmbLogs=Cookie Log", "open:frmCookieLog:cmdLogProperties",
                           "check:txtCookieFile=disabled", "close:cancel"}
            << QStringList{} << QStringList{} << "" << true;
        QTest::newRow("error log of a host")
            << ss << ""
            << QStringList{"cmbLogs=Error Log", "open:frmErrorLog:cmdLogProperties",
                           "check:optFileLog=checked", "txtErrorLogToFile=@TMP@/logs/host.log", "close:ok"}
            << QStringList{"ErrorLog @TMP@/logs/default-error.log"}
            << QStringList{"ErrorLog @TMP@/logs/host.log"} << "<VirtualHost *:8080>" << true;
        QTest::newRow("error log to syslog, level")
            << ss << "main"
            << QStringList{"cmbLogs=Error Log",
                           "open:frmErrorLog:cmdLogProperties",
                           "click:optSystemLog",
                           "check:txtErrorLogToFile=syslog:",
                           "txtErrorLogToFile=local7",
                           "cmbLogLevel=debug",
                           "close:ok"}
            << QStringList{"ErrorLog @TMP@/logs/error.log", "LogLevel warn"}
            << QStringList{"ErrorLog syslog:local7", "LogLevel debug"} << "" << true;
        QTest::newRow("file log empties the box: ErrorLog goes")
            << ss << ""
            << QStringList{"cmbLogs=Error Log", "open:frmErrorLog:cmdLogProperties", "click:optSystemLog",
                           "click:optFileLog",  "check:txtErrorLogToFile=",          "close:ok"}
            << QStringList{"ErrorLog @TMP@/logs/default-error.log"} << QStringList{} << "" << true;
        QTest::newRow("custom log by format name")
            << ss << ""
            << QStringList{"open:frmCustomLog:cmdLogProperties",
                           "check:lstvLogFormats=#0",
                           "click:optFormatName",
                           "txtLogFilePath=@TMP@/logs/access.log",
                           "cmbLogFormat=combined",
                           "click:cmdAddCustomLog",
                           "check:lstvCustomLogs=#1",
                           "close:ok"}
            << QStringList{} << QStringList{"CustomLog @TMP@/logs/access.log combined"}
            << "<VirtualHost *:8080>" << true;
        QTest::newRow("custom log by format")
            << ss << "main"
            << QStringList{"open:frmCustomLog:cmdLogProperties",
                           "click:optFormat",
                           "txtLogFilePath=@TMP@/logs/agent.log",
                           "cmbLogFormat=%h \"%r\"",
                           "click:cmdAddCustomLog",
                           "close:ok"}
            << QStringList{} << QStringList{"CustomLog @TMP@/logs/agent.log \"%h \\\"%r\\\"\""} << "" << true;
        QTest::newRow("new format keeps its quotes escaped")
            << ss << "main" << QStringList{"open:frmCustomLog:cmdLogProperties",
                                           "check:lstvLogFormats=#5",
                                           "txtFormatName=mine",
                                           "txtLogFormat=%h \"%{User-Agent}i\" %>s",
                                           "click:CmdSaveFormat",
                                           "close:ok"}
            << QStringList{} << QStringList{"LogFormat \"%h \\\"%{User-Agent}i\\\" %>s\" mine"} << "" << true;
        QTest::newRow("format saved again unchanged")
            << ss << "main"
            << QStringList{"open:frmCustomLog:cmdLogProperties", "select:lstvLogFormats=%{User-agent}i",
                           "check:txtFormatName=agent", "click:CmdSaveFormat", "close:ok"}
            << QStringList{} << QStringList{} << "" << true;
        QTest::newRow("escaped quotes kept when %O is refused")
            << ss << "main"
            << QStringList{"open:frmCustomLog:cmdLogProperties",
                           "select:lstvLogFormats=\"%h %l %u %t \\\"%r\\\" %>s %O \\\"%{Referer}i\\\" "
                           "\\\"%{User-Agent}i\\\"\"",
                           "check:txtFormatName=combined",
                           "answer:no",
                           "click:CmdSaveFormat",
                           "close:ok"}
            << QStringList{"LogFormat \"%h %l %u %t \\\"%r\\\" %>s %O \\\"%{Referer}i\\\" "
                           "\\\"%{User-Agent}i\\\"\" "
                           "combined"}
            << QStringList{"LogFormat \"%h %l %u %t \\\"%r\\\" %>s \\\"%{Referer}i\\\" "
                           "\\\"%{User-Agent}i\\\"\" "
                           "combined"}
            << "" << true;
        QTest::newRow("format removed")
            << ss << "main"
            << QStringList{"open:frmCustomLog:cmdLogProperties", "select:lstvLogFormats=%{Referer}i -> %U",
                           "click:CmdRemoveFormat", "close:ok"}
            << QStringList{"LogFormat \"%{Referer}i -> %U\" referer"} << QStringList{} << "" << true;
        QTest::newRow("%O without mod_logio, No")
            << ss << "main"
            << QStringList{"open:frmCustomLog:cmdLogProperties",
                           "txtFormatName=io",
                           "txtLogFormat=%h %I %O",
                           "answer:no",
                           "click:CmdSaveFormat",
                           "check:txtLogFormat=%h",
                           "close:ok"}
            << QStringList{} << QStringList{"LogFormat \"%h\" io"} << "" << true;
        QTest::newRow("%O, Yes, module added at top level")
            << ss << ""
            << QStringList{"open:frmCustomLog:cmdLogProperties",
                           "txtFormatName=io",
                           "txtLogFormat=%h %O",
                           "answer:yes",
                           "open:frmModules:CmdSaveFormat",
                           "open:frmAddModule:cmdLDAddModule",
                           "txtModuleName=logio_module",
                           "txtFilePath=/usr/lib/apache2/modules/mod_logio.so",
                           "close:ok",
                           "close:ok",
                           "close:ok"}
            << QStringList{}
            << QStringList{"LoadModule logio_module /usr/lib/apache2/modules/mod_logio.so",
                           "LogFormat \"%h %O\" io"}
            << "<VirtualHost *:8080>"
            << false; // Debian builds mod_logio in: apache2 refuses to load it again

        // ---- server aliases, environment ----
        QTest::newRow("server alias added")
            << ss << ""
            << QStringList{"open:frmServerAliases:cmdEditSrvrAlias",
                           "open:frmAddServerAlias:cmdAdd",
                           "txtServerAlias=www.example.org",
                           "close:ok",
                           "open:frmAddServerAlias:cmdAdd",
                           "txtServerAlias=example.org",
                           "close:ok",
                           "close:ok"}
            << QStringList{} << QStringList{"ServerAlias www.example.org example.org"}
            << "<VirtualHost *:8080>" << true;
        QTest::newRow("server alias removed")
            << ss << "wiki.example.org"
            << QStringList{"open:frmServerAliases:cmdEditSrvrAlias", "select:lstvServerAlias=wiki",
                           "click:CmdRemove", "close:ok"}
            << QStringList{"ServerAlias wiki"} << QStringList{} << "" << true;
        QTest::newRow("environment: set, pass, empty pass row, script log")
            << ss << ""
            << QStringList{"open:frmEnvironmentVariables:cmdEditEnvVar",
                           "open:frmAddEnvVariables:cmdAddSetCGI",
                           "txtEnvVariable=APP_MODE",
                           "txtEnvValue=test run",
                           "close:ok",
                           "tab:sstCGI=1",
                           "click:cmdAddPassCGI",
                           "cell:lstvPassCGI=HOME",
                           "click:cmdAddPassCGI",
                           "txtScriptLogLength=10385760",
                           "close:ok"}
            << QStringList{}
            << QStringList{"SetEnv APP_MODE \"test run\"", "PassEnv HOME", "ScriptLogLength 10385760"}
            << "<VirtualHost *:8080>" << false; // mod_cgi is not loaded
        QTest::newRow("environment: conditional variable")
            << ss << "main"
            << QStringList{"open:frmEnvironmentVariables:cmdEditEnvVar",
                           "tab:sstCGI=3",
                           "click:optSetEnvIf",
                           "click:cmdAddGeneral",
                           "cell:lstvSetEnvIf=Request_URI \"\\.gif$\" image-request",
                           "close:ok"}
            << QStringList{} << QStringList{"SetEnvIf Request_URI \"\\.gif$\" image-request"} << "" << true;
        QTest::newRow("environment: apply then cancel keeps it")
            << ss << "main"
            << QStringList{"open:frmEnvironmentVariables:cmdEditEnvVar",
                           "open:frmAddEnvVariables:cmdAddSetCGI",
                           "txtEnvVariable=LANG",
                           "txtEnvValue=C",
                           "close:ok",
                           "close:apply"}
            << QStringList{} << QStringList{"SetEnv LANG C"} << "" << true;

        // ---- advanced settings and the editors it opens ----
        QTest::newRow("keep-alive off takes its time-out")
            << ss << "main"
            << QStringList{"open:frmOtherSettings:cmdAdvanced", "check:txtKeepAliveTimeout=5",
                           "click:chkAllowPersistentConnections", "check:txtKeepAliveTimeout=disabled",
                           "close:ok"}
            << QStringList{"KeepAlive On", "KeepAliveTimeout 5"} << QStringList{"KeepAlive Off"} << ""
            << true;
        QTest::newRow("unlimited requests")
            << ss << "main"
            << QStringList{"open:frmOtherSettings:cmdAdvanced", "check:txtMaxKeepAliveRequests=100",
                           "click:optUnlimitedRequestPerConnection", "close:ok"}
            << QStringList{"MaxKeepAliveRequests 100"} << QStringList{"MaxKeepAliveRequests 0"} << "" << true;
        QTest::newRow("compression with the module loaded")
            << ss << "" << QStringList{"open:frmOtherSettings:cmdAdvanced", "txtDeflateCompressionLevel=6",
                                       "click:chkDeflateFilterNoteType",    "cmbDeflateFilterNoteType=Ratio",
                                       "txtDeflateFilterNoteName=ratio",    "close:ok"}
            << QStringList{}
            << QStringList{"DeflateCompressionLevel 6", "SetOutputFilter DEFLATE",
                           "DeflateFilterNote Ratio ratio"}
            << "<VirtualHost *:8080>" << true;
        QTest::newRow("scripts and actions")
            << ss << ""
            << QStringList{"open:frmOtherSettings:cmdAdvanced",
                           "tab:sstOtherSettings=1",
                           "open:frmScripts:cmdAddScript",
                           "cmbMethod=PUT",
                           "txtScript=/cgi-bin/put.cgi",
                           "close:ok",
                           "check:lstvScripts=#1",
                           "open:frmActions:cmdAddAction",
                           "click:optActionType1",
                           "cmbMime=image/gif",
                           "txtScript=/cgi-bin/images.cgi",
                           "close:ok",
                           "close:ok"}
            << QStringList{}
            << QStringList{"Script PUT /cgi-bin/put.cgi", "Action image/gif /cgi-bin/images.cgi"}
            << "<VirtualHost *:8080>" << false; // mod_actions is not loaded
        QTest::newRow("aliases through advanced settings")
            << ss << "main"
            << QStringList{"open:frmOtherSettings:cmdAdvanced",
                           "open:frmAliases:cmdAliasSettings",
                           "check:lstvAlias=#0", // the one in <IfModule> is not the main server's
                           "open:frmAddAlias:cmdAdd",
                           "txtAliasName=/docs/",
                           "txtAliasPath=@TMP@/htdocs/my docs/",
                           "close:ok",
                           "tab:SSTabAlias=3",
                           "open:frmAddAlias:cmdAdd",
                           "txtAliasName=^/cgi/(.*)$",
                           "txtAliasPath=@TMP@/htdocs/cgi/$1",
                           "close:ok",
                           "close:ok",
                           "close:cancel"}
            << QStringList{}
            << QStringList{"Alias /docs/ \"@TMP@/htdocs/my docs/\"",
                           "ScriptAliasMatch ^/cgi/(.*)$ @TMP@/htdocs/cgi/$1"}
            << "" << true;
        QTest::newRow("languages through advanced settings")
            << ss << ""
            << QStringList{"open:frmOtherSettings:cmdAdvanced",
                           "open:frmLanguages:cmdLanguageSettings",
                           "open:frmAddLanguage:cmdAddLanguage",
                           "txtLanguageName=fr",
                           "txtExtension=.fr",
                           "close:ok",
                           "open:frmAddLanguage:cmdAddLanguage",
                           "txtLanguageName=it",
                           "txtExtension=.it",
                           "close:ok",
                           "tab:sstLanguages=2",
                           "open:frmSelectLanguage:cmdAddLanguagePriority",
                           "check:cmbLanguage=fr",
                           "close:ok",
                           "open:frmSelectLanguage:cmdAddLanguagePriority",
                           "cmbLanguage=it",
                           "close:ok",
                           "select:lstvLanguagePriority=it",
                           "click:cmdMoveUp",
                           "cmbForceLanguagePriority=Prefer",
                           "cmbCacheNegotiatedDocs=On",
                           "close:ok",
                           "close:cancel"}
            << QStringList{}
            << QStringList{"AddLanguage fr .fr", "AddLanguage it .it", "LanguagePriority it fr",
                           "ForceLanguagePriority Prefer", "CacheNegotiatedDocs On"}
            << "<VirtualHost *:8080>" << true;
        QTest::newRow("icons through advanced settings")
            << ss << "main"
            << QStringList{"open:frmOtherSettings:cmdAdvanced",
                           "open:frmIcons:cmdIconSettings",
                           "open:frmAddIcon:cmdAddIcon",
                           "txtIcon=/icons/text.gif",
                           "txtAssociate=.txt",
                           "close:ok",
                           "tab:sstIcons=3",
                           "open:frmAddIcon:cmdAddIcon",
                           "txtIcon=\"Plain text\"",
                           "txtAssociate=*.txt",
                           "close:ok",
                           "txtDefaultIcon=/icons/unknown.gif",
                           "close:ok",
                           "close:cancel"}
            << QStringList{}
            << QStringList{"AddIcon /icons/text.gif .txt", "AddDescription \"Plain text\" *.txt",
                           "DefaultIcon /icons/unknown.gif"}
            << "" << true;

        // ---- performance ----
        QTest::newRow("medium under the event MPM")
            << "ppgGlobalProperties_1"
            << "server"
            << QStringList{"open:frmPerformance:cmdPerfmSettings",
                           "check:txtMinSpareServers=disabled",
                           "check:txtCacheRoot=disabled",
                           "check:txtCacheSize=disabled",
                           "CmbPerformance=Medium",
                           "check:txtThreadsPerChild=50",
                           "close:ok"}
            << QStringList{}
            << QStringList{"MaxRequestsPerChild 50", "ThreadsPerChild 50", "StartServers 50", "MaxClients 50"}
            << "" << true;
        QTest::newRow("extended status refused")
            << "ppgGlobalProperties_1"
            << "server"
            << QStringList{"open:frmPerformance:cmdPerfmSettings", "cmbExtendedStatus=Off", "close:ok"}
            << QStringList{} << QStringList{"ExtendedStatus Off"} << "" << true;
    }
    void edits()
    {
        QFETCH(QString, page);
        QFETCH(QString, node);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, removed);
        QFETCH(QStringList, added);
        QFETCH(QString, section);
        QFETCH(bool, apacheTakesIt);
        const QStringList before = fx->lines("deb");
        const int nodeNo = this->node("deb", node);
        QVERIFY(nodeNo != 0);
        PropertySheet* sheet = fx->openSheet("deb", nodeNo, {page});
        EditorSteps script(*fx, tmp(steps));
        const QString failures = script.run(sheet);
        QVERIFY2(failures.isEmpty(), qPrintable(failures));
        sheet->reject();
        const QStringList after = fx->lines("deb");
        auto sorted = [](QStringList l) {
            l.sort();
            return l;
        };
        QCOMPARE(sorted(PageFixture::removedLines(before, after)).join('\n'),
                 sorted(tmp(removed)).join('\n'));
        QCOMPARE(sorted(PageFixture::addedLines(before, after)).join('\n'), sorted(tmp(added)).join('\n'));
        // Every added line is in the dialog's scope; modules load at top level.
        for (const QString& line : tmp(added))
            QCOMPARE(PageFixture::enclosingSection(after, line),
                     line.startsWith("LoadModule ") ? "" : section);
        if (apacheTakesIt && !apache.isEmpty()) {
            const QString refused = apacheCheck("deb");
            QVERIFY2(refused.isEmpty(), qPrintable(refused));
        }
    }

    // Debian's apache2 has mod_logio built in: %I/%O are taken without the
    // module question and without a LoadModule line, which it would refuse.
    void compiledInModuleIsNotLoadedAgain_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("format");
        QTest::newRow("main server") << "main"
                                     << "%h %I %O";
        QTest::newRow("virtual host") << ""
                                      << "%h %O \"%r\"";
    }
    void compiledInModuleIsNotLoadedAgain()
    {
        QFETCH(QString, node);
        QFETCH(QString, format);
        fx->setCompiledInModules({"core.c", "mod_logio.c"});
        MessageBox::setNextAnswer(QMessageBox::No); // were it asked, the format would lose %I/%O
        const QStringList before = fx->lines("deb");
        PropertySheet* sheet = fx->openSheet("deb", this->node("deb", node), {"ppgServerSettings"});
        EditorSteps script(*fx, {"open:frmCustomLog:cmdLogProperties", "txtFormatName=io",
                                 "txtLogFormat=" + format, "click:CmdSaveFormat", "close:ok"});
        const QString failures = script.run(sheet);
        QVERIFY2(failures.isEmpty(), qPrintable(failures));
        sheet->reject();
        QCOMPARE(MessageBox::shownCount(), 0); // no question asked
        MessageBox::clearNextAnswers();
        QString written = format;
        written.replace("\"", "\\\"");
        QCOMPARE(PageFixture::addedLines(before, fx->lines("deb")),
                 QStringList{"LogFormat \"" + written + "\" io"});
        if (!apache.isEmpty()) {
            const QString refused = apacheCheck("deb");
            QVERIFY2(refused.isEmpty(), qPrintable(refused));
        }
    }
};

QTEST_MAIN(DialogsEditors)
#include "tst_dialogs_editors.moc"
