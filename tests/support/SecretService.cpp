#include "SecretService.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

namespace corvane::test {

SecretService::SecretService() = default;

SecretService::~SecretService()
{
    for (auto* p : {m_keyring.get(), m_bus.get()}) {
        if (p && p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(5000)) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }
}

bool SecretService::startBus()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        m_why = QStringLiteral("dbus-daemon is not installed (Debian package dbus)");
        return false;
    }
    if (!m_home.isValid()) {
        m_why = QStringLiteral("no temporary folder");
        return false;
    }
    m_bus = std::make_unique<QProcess>();
    m_bus->setProcessChannelMode(QProcess::SeparateChannels);
    m_bus->start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (!m_bus->waitForStarted(10000)) {
        m_why = QStringLiteral("dbus-daemon did not start");
        return false;
    }
    QDeadlineTimer deadline(10000);
    while (!m_bus->canReadLine() && !deadline.hasExpired())
        m_bus->waitForReadyRead(200);
    m_address = QString::fromUtf8(m_bus->readLine()).trimmed();
    if (m_address.isEmpty()) {
        m_why = QStringLiteral("dbus-daemon printed no address: ") +
                QString::fromUtf8(m_bus->readAllStandardError());
        return false;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    return true;
}

bool SecretService::startKeyring()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon"));
    if (daemon.isEmpty()) {
        m_why = QStringLiteral("gnome-keyring-daemon is not installed (Debian package gnome-keyring)");
        return false;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path() + QStringLiteral("/data"));
    m_keyring = std::make_unique<QProcess>();
    m_keyring->setProcessEnvironment(env);
    m_keyring->start(daemon, {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                              QStringLiteral("--components=secrets")});
    if (!m_keyring->waitForStarted(10000)) {
        m_why = QStringLiteral("gnome-keyring-daemon did not start");
        return false;
    }
    // The login keyring's password, then end of input.
    m_keyring->write("corvane-test");
    m_keyring->waitForBytesWritten(5000);
    m_keyring->closeWriteChannel();
    // Ready when it owns org.freedesktop.secrets on the bus.
    const QString send = QStandardPaths::findExecutable(QStringLiteral("dbus-send"));
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (m_keyring->state() == QProcess::NotRunning) {
            m_why = QStringLiteral("gnome-keyring-daemon ended: ") +
                    QString::fromUtf8(m_keyring->readAllStandardError());
            return false;
        }
        QProcess probe;
        probe.setProcessEnvironment(env);
        probe.start(send,
                    {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                     QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                     QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                     QStringLiteral("string:org.freedesktop.secrets")});
        probe.waitForFinished(5000);
        if (probe.readAllStandardOutput().contains("boolean true"))
            return true;
        QThread::msleep(100);
    }
    m_why = QStringLiteral("the Secret Service did not appear on the bus");
    return false;
}

} // namespace corvane::test
