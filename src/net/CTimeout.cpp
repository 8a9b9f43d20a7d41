#include "net/CTimeout.h"

#include "model/CorvaneError.h"
#include "net/NetErrors.h"

#include <QAbstractEventDispatcher>
#include <QThread>
#include <limits>

namespace corvane::net {

CTimeout::CTimeout(QObject* parent) : QObject(parent)
{
    if (!QAbstractEventDispatcher::instance(QThread::currentThread()))
        throw CorvaneError(kTimerWindow, "MTimeOutSupport.CreateTimer", "Cannot create the timer window.");
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CTimeout::TimeOut);
}

CTimeout::~CTimeout()
{
    m_timer.stop();
}

bool CTimeout::arm()
{
    const qint64 ms = qint64(m_timeOutValue) * 1000;
    if (ms > std::numeric_limits<int>::max())
        return false; // an interval that does not fit leaves the timer as it is
    m_timer.start(int(ms));
    return m_timer.isActive();
}

void CTimeout::StartTimer()
{
    if (m_timeOutValue <= 0)
        return;
    const bool wasStarted = m_started;
    if (!arm() && !wasStarted)
        throw CorvaneError(kTimerCreate, "MTimeOutSupport.RegisterTimer", "Cannot create the timer");
    m_started = true;
}

void CTimeout::StopTimer()
{
    if (m_started)
        m_timer.stop();
}

void CTimeout::Reset()
{
    if (!m_started || m_timeOutValue <= 0)
        return;
    arm();
}

} // namespace corvane::net
