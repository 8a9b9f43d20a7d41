#pragma once
// Where a server's password lives. With the desktop's keychain running (a
// Secret Service such as GNOME Keyring or KeePassXC, or KWallet, reached
// through QtKeychain on the session bus) it is kept there. Without one it is
// not kept at all and is asked for when a transfer needs it, unless the
// administrator chose to keep it in Corvane.ini, where the "PASSWORD" key
// holds it scrambled by EncodePassword: obfuscated, not encrypted. A
// "PASSWORD" key written by an earlier version keeps working.
#include "registry/AppFolder.h"

#include <QString>

#include <optional>
#include <string>

namespace corvane {

class PasswordStore
{
public:
    enum class Where
    {
        Keychain,
        Registry,
        NotStored,
    };

    explicit PasswordStore(AppFolder folder);

    // True when a keychain answers on the session bus.
    static bool keychainAvailable();

    // The server's password: the registry's "PASSWORD" key when it is there
    // and not empty, otherwise the keychain's entry; no value when neither
    // holds one (the password is then asked for).
    std::optional<std::string> read(const std::string& server) const;
    // Where read() finds the password now.
    Where location(const std::string& server) const;

    // Keeps the password: in the keychain when one runs (a "PASSWORD" key is
    // then removed), otherwise in Corvane.ini when `allowRegistry`,
    // otherwise nowhere. An empty password removes what was kept. False,
    // with errorString(), when a write fails.
    bool store(const std::string& server, const std::string& password, bool allowRegistry,
               Where* where = nullptr);
    // Forgets the server's password in the keychain and the registry.
    bool remove(const std::string& server);

    const QString& errorString() const { return m_error; }

private:
    QString keychainKey(const std::string& server) const;

    AppFolder m_folder;
    QString m_error;
};

} // namespace corvane
