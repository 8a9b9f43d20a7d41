// Form-wide enabling of tagged controls by the server's Apache version, on
// the catalogue built with the program.
#include "catalogue/ApplicationFolder.h"
#include "catalogue/VersionGating.h"
#include "registry/IniFile.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace corvane;

namespace {

// A control as a page holds it: a tag and an enabled state.
class FakeControl : public GatedControl
{
public:
    FakeControl(std::string tag, bool enabled) : m_tag(std::move(tag)), m_enabled(enabled) {}
    std::string tag() const override { return m_tag; }
    void setEnabled(bool enabled) override
    {
        m_enabled = enabled;
        ++m_calls;
    }
    bool enabled() const { return m_enabled; }
    int calls() const { return m_calls; }

private:
    std::string m_tag;
    bool m_enabled;
    int m_calls = 0;
};

} // namespace

class TestVersionGating : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_appDir;

    std::string appDir() const { return m_appDir.path().toStdString(); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_appDir.isValid());
    }

    void init()
    {
        std::string error;
        QVERIFY2(installCatalogue(appDir(), &error), error.c_str());
    }

    void gating_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("temp");
        QTest::addColumn<bool>("enabled");

        // The console's reader keeps the supported entries only: the
        // directives Corvane's own pages and dialogs edit.
        QTest::newRow("everywhere: ServerRoot on 1.3.26") << "ServerRoot" << "1.3.26" << false << true;
        QTest::newRow("tag with blanks") << "  DocumentRoot  " << "2.0.49" << false << true;
        QTest::newRow("1.3 only: AddModule on 1.3.33") << "AddModule" << "1.3.33" << false << true;
        QTest::newRow("1.3 only: AddModule on 2.0.49") << "AddModule" << "2.0.49" << false << false;
        QTest::newRow("1.3 only: ServerType on 2.4.71") << "ServerType" << "2.4.71" << false << false;
        QTest::newRow("removed in 2.4: LockFile on 2.2.34") << "LockFile" << "2.2.34" << false << true;
        QTest::newRow("removed in 2.4: LockFile on 2.4.71") << "LockFile" << "2.4.71" << false << false;
        QTest::newRow("from 2.0: SetOutputFilter on 1.3.42") << "SetOutputFilter" << "1.3.42" << false << false;
        QTest::newRow("from 2.0: SetOutputFilter on 2.0.44") << "SetOutputFilter" << "2.0.44" << false << true;
        QTest::newRow("from 2.0.45: DeflateCompressionLevel 2.0.44") << "DeflateCompressionLevel" << "2.0.44"
                                                                     << false << false;
        QTest::newRow("from 2.0.45: DeflateCompressionLevel 2.0.45") << "DeflateCompressionLevel" << "2.0.45"
                                                                     << false << true;
        QTest::newRow("not a release: 2.0") << "ServerRoot" << "2.0" << false << false;
        QTest::newRow("unknown release: 2.4.99") << "ServerRoot" << "2.4.99" << false << false;
        QTest::newRow("temp keeps it enabled") << "AddModule" << "2.4.71" << true << true;
        QTest::newRow("unknown directive") << "NoSuchDirective" << "2.0.49" << false << true;
        // Mutex is 2.4 only but has no page of its own: not gated.
        QTest::newRow("unsupported directive") << "Mutex" << "2.0.49" << false << true;
    }

    void gating()
    {
        QFETCH(QString, tag);
        QFETCH(QString, version);
        QFETCH(bool, temp);
        QFETCH(bool, enabled);

        FakeControl control(tag.toStdString(), !enabled);
        QCOMPARE(gateControls(appDir(), version.toStdString(), {&control}, temp), GatingResult::Applied);
        QCOMPARE(control.enabled(), enabled);
        QCOMPARE(control.calls(), 1);
    }

    void untaggedControlsAreNotTouched()
    {
        FakeControl blank("", false);
        FakeControl blanks("   ", false);
        FakeControl tagged("AddModule", true);
        QCOMPARE(gateControls(appDir(), "2.0.49", {&blank, nullptr, &blanks, &tagged}, false),
                 GatingResult::Applied);
        QCOMPARE(blank.calls(), 0);
        QCOMPARE(blanks.calls(), 0);
        QVERIFY(!blank.enabled());
        QVERIFY(!tagged.enabled());
    }

    void checksumFailureLeavesControls()
    {
        QFile f(m_appDir.path() + "/Corvane.dll");
        QVERIFY(f.open(QIODevice::Append));
        f.write(" ");
        f.close();
        FakeControl control("AddModule", true);
        QCOMPARE(gateControls(appDir(), "2.0.49", {&control}, false), GatingResult::ChecksumFailed);
        QCOMPARE(control.calls(), 0);
        QVERIFY(control.enabled());
    }

    void missingCatalogueFailsTheChecksum()
    {
        QVERIFY(QFile::remove(m_appDir.path() + "/Corvane.dll"));
        FakeControl control("AddModule", true);
        QCOMPARE(gateControls(appDir(), "2.0.49", {&control}, false), GatingResult::ChecksumFailed);
        QCOMPARE(control.calls(), 0);
    }

    void versionFromRegistry_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("registeredVersion");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("enabled");
        // Sample is always 2.0.49, whatever the registry says.
        QTest::newRow("Sample: ServerType") << "Sample" << "1.3.33" << "ServerType" << false;
        QTest::newRow("Sample: SetOutputFilter") << "Sample" << "1.3.33" << "SetOutputFilter" << true;
        QTest::newRow("1.3 server: ServerType") << "old" << "1.3.33" << "ServerType" << true;
        QTest::newRow("2.4 server: ServerType") << "new" << "2.4.71" << "ServerType" << false;
        QTest::newRow("version with blanks") << "mid" << " 2.2.34 " << "LockFile" << true;
        QTest::newRow("no version registered") << "bare" << "" << "ServerRoot" << false;
    }

    void versionFromRegistry()
    {
        QFETCH(QString, server);
        QFETCH(QString, registeredVersion);
        QFETCH(QString, tag);
        QFETCH(bool, enabled);

        IniFile ini(m_appDir.path() + "/Corvane.ini");
        QVERIFY(ini.writeValue(server.toStdString(), "APACHE_VERSION", registeredVersion.toStdString()));
        FakeControl control(tag.toStdString(), !enabled);
        QCOMPARE(gateControlsForServer(appDir(), server.toStdString(), {&control}, false), GatingResult::Applied);
        QCOMPARE(control.enabled(), enabled);
    }
};

QTEST_GUILESS_MAIN(TestVersionGating)
#include "tst_versiongating.moc"
