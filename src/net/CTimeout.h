#pragma once
// Watches one asynchronous operation: raises TimeOut when no progress was
// reported for TimeOutValue seconds, and again every TimeOutValue seconds
// until stopped. Runs on the thread that created it (a QTimer of that thread).
#include <QObject>
#include <QTimer>

namespace corvane::net {

class CTimeout : public QObject
{
    Q_OBJECT
public:
    // Throws CorvaneError 17001 when the thread has no event loop to deliver timers.
    explicit CTimeout(QObject* parent = nullptr);
    ~CTimeout() override;

    int TimeOutValue() const { return m_timeOutValue; }
    // Seconds; 0 or less disables StartTimer.
    void setTimeOutValue(int seconds) { m_timeOutValue = seconds; }

    // Starts or restarts the countdown (only when TimeOutValue > 0).
    // Throws CorvaneError 17002 when the timer cannot be started.
    void StartTimer();
    // Stops the countdown; a later StartTimer or Reset sets the same timer again.
    void StopTimer();
    // Restarts the countdown from the full TimeOutValue; nothing when never started.
    void Reset();

    bool isRunning() const { return m_timer.isActive(); }

signals:
    void TimeOut();

private:
    bool arm();

    int m_timeOutValue = 0;
    bool m_started = false; // a timer identifier is kept
    QTimer m_timer;
};

} // namespace corvane::net
