// Where passwords live: the desktop's keychain (a real gnome-keyring Secret
// Service on a private session bus), Corvane.ini only when chosen, or
// nowhere, and older PASSWORD entries keep working.
#include "SecretService.h"

#include "registry/IniFile.h"
#include "registry/PasswordStore.h"
#include "registry/RegistryProcedures.h"
#include "registry/Servers.h"
#include "transfer/ConfigTransfer.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using Where = PasswordStore::Where;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestPasswords : public QObject
{
    Q_OBJECT
    test::SecretService m_service;
    bool m_keyring = false;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // Before anything in this process uses the session bus.
        if (!m_service.startBus())
            QSKIP(qPrintable(m_service.why()));
    }

    void withoutKeychain()
    {
        QVERIFY(!PasswordStore::keychainAvailable());
        QTemporaryDir dir;
        const AppFolder app(dir.path());
        QVERIFY(IniFile(app.iniPath()).writeValue("web", "SERVER_NAME", "web"));
        PasswordStore store(app);
        Where where = Where::Keychain;
        // Not chosen: kept nowhere, asked for when needed.
        QVERIFY(store.store("web", "s3cret pass", false, &where));
        QCOMPARE(where, Where::NotStored);
        QVERIFY(!IniFile(app.iniPath()).hasKey("web", "PASSWORD"));
        QVERIFY(!store.read("web"));
        // Chosen: kept scrambled in Corvane.ini.
        QVERIFY(store.store("web", "s3cret pass", true, &where));
        QCOMPARE(where, Where::Registry);
        QVERIFY(!readFile(app.iniPath()).contains("s3cret"));
        QCOMPARE(store.read("web").value_or("<none>"), std::string("s3cret pass"));
        QCOMPARE(store.location("web"), Where::Registry);
    }

    void keychain()
    {
        if (!m_service.startKeyring())
            QSKIP(qPrintable(m_service.why()));
        QVERIFY(PasswordStore::keychainAvailable());
        QTemporaryDir dir, other;
        const AppFolder app(dir.path());
        // An entry written by an earlier version keeps working.
        QVERIFY(IniFile(app.iniPath()).writeValue("old", "PASSWORD", EncodePassword("legacy")));
        PasswordStore store(app);
        QCOMPARE(store.read("old").value_or("<none>"), std::string("legacy"));

        QVERIFY(IniFile(app.iniPath()).writeValue("web", "SERVER_NAME", "web"));
        Where where = Where::NotStored;
        QVERIFY2(store.store("web", "s3cret pass", false, &where), qPrintable(store.errorString()));
        QCOMPARE(where, Where::Keychain);
        QVERIFY(!readFile(app.iniPath()).contains("PASSWORD=") ||
                IniFile(app.iniPath()).hasKey("old", "PASSWORD"));
        QVERIFY(!IniFile(app.iniPath()).hasKey("web", "PASSWORD"));
        QCOMPARE(store.read("web").value_or("<none>"), std::string("s3cret pass"));
        QCOMPARE(store.location("web"), Where::Keychain);
        // Storing an old entry again moves it into the keychain.
        QVERIFY(store.store("old", "legacy", true, &where));
        QCOMPARE(where, Where::Keychain);
        QVERIFY(!IniFile(app.iniPath()).hasKey("old", "PASSWORD"));
        QCOMPARE(store.read("old").value_or("<none>"), std::string("legacy"));
        // Another application folder has entries of its own.
        QVERIFY(!PasswordStore(AppFolder(other.path())).read("web"));

        // The connection wizard's registration and the next transfer's read.
        TransferState s;
        s.WizardServerName = "shop";
        s.WizardApacheVersion = "2.4.62";
        s.WizardOsType = "Linux / Unix";
        s.WizardRemoteHost = "127.0.0.1";
        s.WizardUserName = "admin";
        s.WizardPassword = "wizard pass";
        s.WizardPasswordKnown = true;
        s.WizardPort = "21";
        s.WizardRemoteFolder = "/";
        QVERIFY(ConfigTransfer(app, s, {}).SaveServerSettings());
        QVERIFY(!readFile(app.iniPath()).contains("PASSWORD"));
        TransferState loaded;
        ConfigTransfer::loadServerIntoState(app, "shop", loaded);
        QCOMPARE(loaded.WizardPassword, QStringLiteral("wizard pass"));
        QVERIFY(loaded.WizardPasswordKnown);

        // Removing the server forgets its password.
        Servers servers(app);
        QVERIFY(servers.DeleteServer("shop"));
        QVERIFY(!store.read("shop"));
    }
};

QTEST_GUILESS_MAIN(TestPasswords)
#include "tst_passwords.moc"
