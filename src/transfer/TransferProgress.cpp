#include "transfer/TransferProgress.h"

#include <QEventLoop>
#include <QLocale>
#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <algorithm>
#include <thread>

namespace corvane {

namespace {

QString size(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1);
}

} // namespace

QString TransferProgress::filesText() const
{
    if (filesTotal < 0)
        return filesDone == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(filesDone);
    return QStringLiteral("%1 of %2 %3")
        .arg(filesDone)
        .arg(filesTotal)
        .arg(filesTotal == 1 ? QStringLiteral("file") : QStringLiteral("files"));
}

QString TransferProgress::bytesText() const
{
    return bytesTotal < 0 ? size(bytesDone)
                          : QStringLiteral("%1 of %2").arg(size(bytesDone), size(bytesTotal));
}

QString TransferProgress::summary() const
{
    const QString files =
        filesTotal < 0 ? QString::number(filesDone) : QStringLiteral("%1/%2").arg(filesDone).arg(filesTotal);
    return QStringLiteral("%1 %2, %3")
        .arg(files,
             filesTotal == 1 || (filesTotal < 0 && filesDone == 1) ? QStringLiteral("file")
                                                                   : QStringLiteral("files"),
             bytesText());
}

ProgressMeter::ProgressMeter(Report report, int intervalMs)
    : m_report(std::move(report)), m_intervalMs(intervalMs), m_context(std::make_unique<QObject>())
{
    m_sinceReport.start();
}

ProgressMeter::~ProgressMeter() = default;

void ProgressMeter::start(int filesTotal, qint64 bytesTotal)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state = TransferProgress();
        m_state.filesTotal = filesTotal;
        m_state.bytesTotal = bytesTotal;
        m_completedBytes = 0;
        m_counted.clear();
    }
    changed(true);
}

void ProgressMeter::beginFile(const std::string& serverPath)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state.currentFile = QString::fromStdString(serverPath);
    }
    changed(false);
}

void ProgressMeter::fileBytes(qint64 done)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_state.bytesDone = std::max(m_state.bytesDone, m_completedBytes + done);
    }
    changed(false);
}

void ProgressMeter::fileDone(const std::string& serverPath, qint64 bytes)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_counted.insert(serverPath).second)
            return;
        ++m_state.filesDone;
        m_completedBytes += bytes;
        m_state.bytesDone = std::max(m_state.bytesDone, m_completedBytes);
        m_state.currentFile = QString::fromStdString(serverPath);
    }
    changed(false);
}

void ProgressMeter::finish()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_state.filesTotal < 0)
            m_state.filesTotal = m_state.filesDone;
        if (m_state.bytesTotal < 0)
            m_state.bytesTotal = m_state.bytesDone;
        m_state.currentFile.clear();
        m_state.finished = true;
    }
    changed(true);
}

TransferProgress ProgressMeter::current() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

void ProgressMeter::changed(bool force)
{
    bool due = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_version;
        due = force || !m_reportedOnce || m_intervalMs <= 0 || m_sinceReport.elapsed() >= m_intervalMs;
        if (due) {
            m_reportedOnce = true;
            m_sinceReport.restart();
        }
    }
    if (!due || !m_report)
        return;
    if (QThread::currentThread() == m_context->thread()) {
        deliver();
        return;
    }
    // The worker waits for the report to be shown: at most one wait per
    // interval, and a cancel asked for in the report is seen at the next file.
    QMetaObject::invokeMethod(
        m_context.get(), [this] { deliver(); }, Qt::BlockingQueuedConnection);
}

void ProgressMeter::deliver()
{
    TransferProgress copy;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_version == m_delivered)
            return;
        m_delivered = m_version;
        copy = m_state;
    }
    ++m_reports;
    m_report(copy);
}

void runWhileEventsRun(const std::function<void()>& work)
{
    QObject context;
    QEventLoop loop;
    bool done = false;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(
            &context,
            [&] {
                done = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    while (!done)
        loop.exec();
    worker.join();
}

} // namespace corvane
