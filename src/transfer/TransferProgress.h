#pragma once
// How far a fetch or an upload of a server's files has come, and the way to
// stop one. The transfer counts files and bytes through a ProgressMeter from
// whichever thread does the work (the SFTP worker, the local copy's worker or
// the calling thread for FTP); the meter hands the counts to its report on
// the thread that created it, at most once per interval, so a tree of
// thousands of files does not flood a window or a terminal.
//
// A cancel request is only a flag: the transfer looks at it between files
// (and before it starts changing anything) and ends as a failed transfer
// would, so what it already changed is put back.
#include <QString>

#include <QElapsedTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

class QObject;

namespace corvane {

struct TransferProgress
{
    int filesDone = 0;
    int filesTotal = -1; // -1: not known yet (a fetch learns it as it follows the includes)
    qint64 bytesDone = 0;
    qint64 bytesTotal = -1;
    QString currentFile;   // server path of the file being moved; "" when none
    bool finished = false; // the last report of the transfer

    // "12 of 40 files" ("12 files" while the total is not known).
    QString filesText() const;
    // "1.2 MiB of 3.4 MiB" ("1.2 MiB" while the total is not known).
    QString bytesText() const;
    // Both in one line: "12/40 files, 1.2 MiB of 3.4 MiB".
    QString summary() const;
};

class ProgressMeter
{
public:
    using Report = std::function<void(const TransferProgress&)>;
    static constexpr int kDefaultIntervalMs = 100;

    explicit ProgressMeter(Report report = {}, int intervalMs = kDefaultIntervalMs);
    ~ProgressMeter();
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    // Shortest time between two reports (0: every change is reported).
    void setInterval(int ms) { m_intervalMs = ms; }

    // A transfer begins: counts back to zero, totals as far as known (-1 not
    // known). A cancel request made before stays.
    void start(int filesTotal, qint64 bytesTotal);
    // The file being moved now.
    void beginFile(const std::string& serverPath);
    // Bytes of the current file moved so far.
    void fileBytes(qint64 done);
    // A file is complete; a path counted before is not counted again.
    void fileDone(const std::string& serverPath, qint64 bytes);
    // The last report, always given: totals not known become what was done.
    void finish();

    // Any thread, any time.
    void requestCancel() { m_cancel = true; }
    bool cancelRequested() const { return m_cancel.load(); }

    TransferProgress current() const;
    // Reports given so far (for tests of the throttle).
    int reportCount() const { return m_reports; }

private:
    // The state changed; reported now when the interval has passed (or `force`).
    void changed(bool force);
    void deliver();

    Report m_report;
    int m_intervalMs;
    std::unique_ptr<QObject> m_context; // lives on the creating thread
    mutable std::mutex m_mutex;
    TransferProgress m_state;
    qint64 m_completedBytes = 0; // of the files done
    std::set<std::string> m_counted;
    quint64 m_version = 0;
    quint64 m_delivered = 0;
    QElapsedTimer m_sinceReport;
    bool m_reportedOnce = false;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_reports{0};
};

// Runs `work` on a thread of its own while the calling thread keeps its
// events running (windows stay responsive, reports arrive); returns when
// `work` has returned.
void runWhileEventsRun(const std::function<void()>& work);

} // namespace corvane
