#include "registry/PasswordStore.h"

#include "registry/IniFile.h"
#include "registry/RegistryKeys.h"
#include "registry/RegistryProcedures.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <memory>

namespace corvane {

namespace {

const QString kService = QStringLiteral("Corvane");
// A keychain that does not answer in time is treated as absent.
constexpr int kKeychainWaitMs = 15000;

// Runs a keychain job to its end while the caller's events keep running.
bool runJob(QKeychain::Job& job, QString* error)
{
    job.setAutoDelete(false);
    QEventLoop loop;
    bool done = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    QTimer::singleShot(kKeychainWaitMs, &loop, &QEventLoop::quit);
    job.start();
    if (!done)
        loop.exec();
    if (!done) {
        if (error)
            *error = QStringLiteral("The keychain did not answer.");
        return false;
    }
    if (job.error() != QKeychain::NoError) {
        if (error)
            *error = job.errorString();
        return false;
    }
    return true;
}

} // namespace

PasswordStore::PasswordStore(AppFolder folder) : m_folder(std::move(folder)) {}

bool PasswordStore::keychainAvailable()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    for (const char* service : {"org.freedesktop.secrets", "org.kde.kwalletd6", "org.kde.kwalletd5"}) {
        if (bus.interface()->isServiceRegistered(QString::fromLatin1(service)).value())
            return true;
    }
    return false;
}

QString PasswordStore::keychainKey(const std::string& server) const
{
    // One entry per application folder and server.
    return m_folder.path() + QLatin1Char('/') + QString::fromUtf8(TrimBlanks(server));
}

std::optional<std::string> PasswordStore::read(const std::string& server) const
{
    const std::string scrambled = IniFile(m_folder.iniPath()).readValue(server, registry::PASSWORD);
    if (!scrambled.empty())
        return DecodePassword(scrambled);
    if (!keychainAvailable())
        return std::nullopt;
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(keychainKey(server));
    if (!runJob(job, nullptr))
        return std::nullopt;
    const QByteArray bytes = job.binaryData();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

PasswordStore::Where PasswordStore::location(const std::string& server) const
{
    if (!IniFile(m_folder.iniPath()).readValue(server, registry::PASSWORD).empty())
        return Where::Registry;
    return keychainAvailable() && read(server) ? Where::Keychain : Where::NotStored;
}

bool PasswordStore::store(const std::string& server, const std::string& password, bool allowRegistry,
                          Where* where)
{
    m_error.clear();
    IniFile ini(m_folder.iniPath());
    auto dropRegistryKey = [&] {
        if (ini.hasKey(server, registry::PASSWORD) && !ini.removeKey(server, registry::PASSWORD)) {
            m_error = ini.errorString();
            return false;
        }
        return true;
    };
    if (keychainAvailable()) {
        if (password.empty()) {
            remove(server);
        } else {
            QKeychain::WritePasswordJob job(kService);
            job.setKey(keychainKey(server));
            job.setBinaryData(QByteArray(password.data(), qsizetype(password.size())));
            if (!runJob(job, &m_error)) {
                m_error = QStringLiteral("The keychain did not keep the password: ") + m_error;
                return false;
            }
        }
        if (where)
            *where = password.empty() ? Where::NotStored : Where::Keychain;
        return dropRegistryKey();
    }
    if (allowRegistry && !password.empty()) {
        if (!ini.writeValue(server, registry::PASSWORD, EncodePassword(password))) {
            m_error = ini.errorString();
            return false;
        }
        if (where)
            *where = Where::Registry;
        return true;
    }
    if (where)
        *where = Where::NotStored;
    return dropRegistryKey();
}

bool PasswordStore::remove(const std::string& server)
{
    m_error.clear();
    bool ok = true;
    if (keychainAvailable()) {
        QKeychain::DeletePasswordJob job(kService);
        job.setKey(keychainKey(server));
        QString why;
        // An entry that is not there is not an error.
        if (!runJob(job, &why) && job.error() != QKeychain::EntryNotFound) {
            m_error = why;
            ok = false;
        }
    }
    IniFile ini(m_folder.iniPath());
    if (ini.hasKey(server, registry::PASSWORD) && !ini.removeKey(server, registry::PASSWORD)) {
        m_error = ini.errorString();
        ok = false;
    }
    return ok;
}

} // namespace corvane
