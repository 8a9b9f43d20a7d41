// The catalogue against the real Apache 2.4: every directive that apache2
// lists with all its modules loaded must be in the catalogue and known to
// the installed release.
#include "catalogue/ApplicationFolder.h"
#include "catalogue/DirbaseParser.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

class TestCatalogueApache : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_appDir;
    QString m_apache;
    DirbaseParser m_parser;

    QString apacheBinary() const
    {
        const QStringList dirs{"/usr/sbin", "/usr/local/sbin", "/usr/bin"};
        for (const char* name : {"apache2", "httpd"}) {
            QString found = QStandardPaths::findExecutable(name);
            if (found.isEmpty())
                found = QStandardPaths::findExecutable(name, dirs);
            if (!found.isEmpty())
                return found;
        }
        return {};
    }

    QByteArray run(const QStringList& args, int* exitCode)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(m_apache, args);
        if (!p.waitForFinished(60000)) {
            *exitCode = -1;
            return {};
        }
        *exitCode = p.exitCode();
        return p.readAll();
    }

    // The release apache2 -v reports, e.g. "2.4.71".
    QString installedRelease()
    {
        int code = 0;
        const QByteArray out = run({"-v"}, &code);
        const auto m = QRegularExpression(R"(Apache/(\d+\.\d+\.\d+))").match(QString::fromUtf8(out));
        return m.hasMatch() ? m.captured(1) : QString();
    }

    // A configuration that loads every module of the installation with one
    // process model, and the least a server needs to start.
    QString writeAllModulesConfig()
    {
        QString conf;
        const QDir modules(QStringLiteral("/usr/lib/apache2/modules"));
        const QStringList files = modules.entryList({"mod_*.so"}, QDir::Files, QDir::Name);
        for (const QString& file : files) {
            if (file == "mod_mpm_prefork.so" || file == "mod_mpm_worker.so")
                continue;                                    // one process model only: event
            const QString id = file.mid(4, file.size() - 7); // mod_X.so -> X
            conf += QString("LoadModule %1_module %2\n").arg(id, modules.filePath(file));
        }
        const QString dir = m_appDir.path();
        conf += "ServerName localhost\nListen 127.0.0.1:18431\n";
        conf += "ErrorLog " + dir + "/error.log\nPidFile " + dir + "/httpd.pid\n";
        const QString path = dir + "/all-modules.conf";
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(conf.toUtf8()) < 0)
            return {};
        return path;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_appDir.isValid());
        m_apache = apacheBinary();
        if (m_apache.isEmpty())
            QFAIL("apache2 is not installed (Debian package apache2)");
        std::string error;
        QVERIFY2(installCatalogue(m_appDir.path().toStdString(), &error), error.c_str());
        m_parser.setFileName((m_appDir.path() + "/Corvane.dll").toStdString());
        m_parser.setNeedNonSupportedDirectives(true);
        m_parser.GetDirectiveList();
        QVERIFY(m_parser.GetAllDirectives().Count() > 700);
    }

    void everyDirectiveOfApacheIsKnown()
    {
        if (!QDir(QStringLiteral("/usr/lib/apache2/modules")).exists())
            QSKIP("no Debian module folder /usr/lib/apache2/modules");
        const QString release = installedRelease();
        QVERIFY2(!release.isEmpty(), "apache2 -v reported no release");
        const QString conf = writeAllModulesConfig();
        QVERIFY(!conf.isEmpty());
        int code = 0;
        const QByteArray out = run({"-f", conf, "-L"}, &code);
        QVERIFY2(code == 0, out.constData());

        // Directive lines are "Name (module.c)"; sections are listed as "<Name".
        // The line after a name describes it: some are listed only to be
        // refused ("Port was replaced with Listen"), so the release does not
        // know them.
        const QRegularExpression line(R"(^(\S+) \([A-Za-z0-9_]+\.c\)$)");
        const QRegularExpression refusal(R"(no longer supported|was replaced with)",
                                         QRegularExpression::CaseInsensitiveOption);
        QSet<QString> names;
        QSet<QString> refused;
        const QList<QByteArray> lines = out.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const auto m = line.match(QString::fromUtf8(lines[i]).trimmed());
            if (!m.hasMatch())
                continue;
            QString name = m.captured(1);
            if (name.startsWith('<'))
                name += '>';
            if (i + 1 < lines.size() && refusal.match(QString::fromUtf8(lines[i + 1])).hasMatch())
                refused.insert(name);
            else
                names.insert(name);
        }
        QVERIFY2(refused.contains("Port"), "apache2 -L no longer lists Port as refused");
        QStringList knownButRefused;
        for (const QString& name : std::as_const(refused)) {
            if (m_parser.VersionCompatibility(name.toStdString(), release.toStdString(), false))
                knownButRefused << name;
        }
        knownButRefused.sort();
        QVERIFY2(knownButRefused.isEmpty(), qPrintable("marked as known to " + release +
                                                       ", which refuses them: " + knownButRefused.join(' ')));
        QVERIFY2(names.size() > 650, qPrintable(QString("only %1 directives listed").arg(names.size())));

        QStringList missing;
        QStringList unknownToRelease;
        for (const QString& name : std::as_const(names)) {
            const std::string n = name.toStdString();
            if (!m_parser.findDirective(n))
                missing << name;
            else if (!m_parser.VersionCompatibility(n, release.toStdString(), false))
                unknownToRelease << name;
        }
        missing.sort();
        unknownToRelease.sort();
        QVERIFY2(missing.isEmpty(), qPrintable("not in the catalogue: " + missing.join(' ')));
        QVERIFY2(unknownToRelease.isEmpty(),
                 qPrintable("not known to " + release + ": " + unknownToRelease.join(' ')));
    }

    void entriesAreComplete()
    {
        QSet<QString> seen;
        const QRegularExpression release(R"(^(1\.3|2\.0|2\.2|2\.4)\.\d+$)");
        for (const xmldirective& d : m_parser.GetAllDirectives()) {
            const QString name = QString::fromStdString(d.Name());
            QVERIFY2(!seen.contains(name.toUpper()), qPrintable("twice: " + name));
            seen.insert(name.toUpper());
            QVERIFY2(!d.ModuleName().empty(), qPrintable(name));
            const QString description = QString::fromStdString(d.Description());
            QVERIFY2(description.endsWith('.') && description.size() <= 120, qPrintable(name));
            QVERIFY2(!d.Version().empty(), qPrintable(name));
            for (const QString& piece : QString::fromStdString(d.Version()).split('|'))
                QVERIFY2(release.match(piece).hasMatch(), qPrintable(name + ": " + piece));
        }
    }

    void historicDirectives_data()
    {
        QTest::addColumn<QString>("directive");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("known");
        QTest::newRow("Port on 1.3.42") << "Port"
                                        << "1.3.42" << true;
        QTest::newRow("Port on 2.0.44") << "Port"
                                        << "2.0.44" << false;
        QTest::newRow("Port on 2.4.71") << "Port"
                                        << "2.4.71" << false;
        QTest::newRow("ServerType on 2.0.44") << "ServerType"
                                              << "2.0.44" << false;
        QTest::newRow("AddModule on 2.2.0") << "AddModule"
                                            << "2.2.0" << false;
        QTest::newRow("AuthDBMAuthoritative on 2.0.65") << "AuthDBMAuthoritative"
                                                        << "2.0.65" << true;
        QTest::newRow("AuthDBMAuthoritative on 2.2.34") << "AuthDBMAuthoritative"
                                                        << "2.2.34" << false;
        QTest::newRow("AcceptMutex on 2.2.34") << "AcceptMutex"
                                               << "2.2.34" << true;
        QTest::newRow("AcceptMutex on 2.4.1") << "AcceptMutex"
                                              << "2.4.1" << false;
        QTest::newRow("NameVirtualHost on 2.4.71") << "NameVirtualHost"
                                                   << "2.4.71" << true;
        QTest::newRow("SSLMutex on 2.0.49") << "SSLMutex"
                                            << "2.0.49" << true;
        QTest::newRow("MaxRequestWorkers on 2.2.34") << "MaxRequestWorkers"
                                                     << "2.2.34" << false;
        QTest::newRow("Protocols on 2.4.16") << "Protocols"
                                             << "2.4.16" << false;
        QTest::newRow("Protocols on 2.4.17") << "Protocols"
                                             << "2.4.17" << true;
    }

    void historicDirectives()
    {
        QFETCH(QString, directive);
        QFETCH(QString, version);
        QFETCH(bool, known);
        QVERIFY(m_parser.findDirective(directive.toStdString()));
        QCOMPARE(m_parser.VersionCompatibility(directive.toStdString(), version.toStdString(), false), known);
    }
};

QTEST_GUILESS_MAIN(TestCatalogueApache)
#include "tst_catalogueapache.moc"
