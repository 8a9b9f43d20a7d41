#include "snapin/SyntaxWatch.h"

#include <QThread>

#include <exception>

namespace corvane::snapin {

SyntaxWatch::SyntaxWatch(QObject* parent) : QObject(parent) {}

SyntaxWatch::~SyntaxWatch()
{
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
    }
}

void SyntaxWatch::changed(const QString& serverName)
{
    if (!m_check || serverName.isEmpty())
        return;
    if (m_worker) {
        if (!m_pending.contains(serverName))
            m_pending << serverName;
        return;
    }
    start(serverName);
}

void SyntaxWatch::start(const QString& serverName)
{
    m_running = serverName;
    const Check check = m_check;
    m_worker = QThread::create([this, check, serverName] {
        SyntaxVerdict verdict;
        try {
            verdict = check(serverName);
        } catch (const std::exception& e) {
            // Nothing may escape a worker thread: the failure is the verdict.
            verdict.state = SyntaxVerdict::State::Error;
            verdict.output = QStringLiteral("The syntax check failed: ") + QString::fromLocal8Bit(e.what());
        }
        // Back on the console's thread; dropped when the watch is gone.
        QMetaObject::invokeMethod(
            this, [this, serverName, verdict] { done(serverName, verdict); }, Qt::QueuedConnection);
    });
    m_worker->setObjectName(QStringLiteral("SyntaxCheck"));
    m_worker->start(QThread::LowPriority);
    emit started(serverName);
}

void SyntaxWatch::done(const QString& serverName, const SyntaxVerdict& verdict)
{
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
    }
    m_running.clear();
    // A server changed again while it was checked gets a fresh verdict instead.
    const bool superseded = m_pending.contains(serverName);
    if (!superseded)
        emit finished(serverName, verdict);
    if (!m_pending.isEmpty())
        start(m_pending.takeFirst());
}

QString SyntaxWatch::statusText(const SyntaxVerdict& verdict)
{
    switch (verdict.state) {
    case SyntaxVerdict::State::Ok:
        return QStringLiteral("Syntax OK");
    case SyntaxVerdict::State::Error: {
        for (const QString& line : verdict.output.split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty())
                return QStringLiteral("Syntax error: ") + line.trimmed();
        }
        return QStringLiteral("Syntax error");
    }
    case SyntaxVerdict::State::NoChecker:
        break;
    }
    return QStringLiteral("No syntax checker for Apache ") + verdict.apacheVersion;
}

} // namespace corvane::snapin
