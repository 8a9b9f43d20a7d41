#pragma once
// A private session bus (dbus-daemon) and, on demand, a real keychain on it
// (gnome-keyring-daemon's Secret Service with an unlocked login keyring),
// for tests of the password store. Both are stopped with the object.
// The test process is pointed at the bus through DBUS_SESSION_BUS_ADDRESS,
// which must happen before anything in it uses the session bus.
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace corvane::test {

class SecretService
{
public:
    SecretService();
    ~SecretService();
    SecretService(const SecretService&) = delete;
    SecretService& operator=(const SecretService&) = delete;

    // Starts the bus and points this process at it. False with why() set.
    bool startBus();
    // Starts the Secret Service on the bus.
    bool startKeyring();
    const QString& why() const { return m_why; }

private:
    QTemporaryDir m_home;
    std::unique_ptr<QProcess> m_bus;
    std::unique_ptr<QProcess> m_keyring;
    QString m_address;
    QString m_why;
};

} // namespace corvane::test
