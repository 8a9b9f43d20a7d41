#pragma once
// Checks a server's syntax in the background after each change: the check
// runs on a worker thread, so the console never waits for it. A change that
// arrives while a check of the same server runs supersedes it: that check's
// verdict is dropped and the server is checked again once it is over. Checks
// of different servers run one after the other.
#include "snapin/ServerCommandHooks.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QThread;

namespace corvane::snapin {

class SyntaxWatch : public QObject
{
    Q_OBJECT
public:
    using Check = std::function<SyntaxVerdict(const QString& serverName)>;

    explicit SyntaxWatch(QObject* parent = nullptr);
    // Waits for a running check.
    ~SyntaxWatch() override;

    void setCheck(Check check) { m_check = std::move(check); }
    bool hasCheck() const { return bool(m_check); }
    // The server's working copy changed: check it (again).
    void changed(const QString& serverName);
    bool isRunning() const { return m_worker != nullptr; }

    // The status bar's texts for a verdict.
    static QString statusText(const SyntaxVerdict& verdict);
    static QString checkingText() { return QStringLiteral("Checking syntax..."); }

signals:
    void started(const QString& serverName);
    void finished(const QString& serverName, const corvane::snapin::SyntaxVerdict& verdict);

private:
    void start(const QString& serverName);
    void done(const QString& serverName, const SyntaxVerdict& verdict);

    Check m_check;
    QThread* m_worker = nullptr;
    QString m_running;
    QStringList m_pending; // changed since their last check started, in order
};

} // namespace corvane::snapin
