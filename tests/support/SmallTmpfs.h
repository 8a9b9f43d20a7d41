#pragma once
// A tiny tmpfs mounted for one test, to meet a full disk for real. Mounting
// needs root; elsewhere available() is false and the test skips.
#include <QString>
#include <QTemporaryDir>

namespace corvane::test {

class SmallTmpfs
{
public:
    // Mounts a tmpfs of `bytes` (rounded up to pages by the kernel).
    explicit SmallTmpfs(qint64 bytes);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool available() const { return m_mounted; }
    // Why it could not be mounted (for QSKIP).
    const QString& why() const { return m_why; }
    const QString& path() const { return m_path; }

    // Takes all free space but `leaveFree` bytes with a filler file.
    bool fill(qint64 leaveFree);
    // Removes the filler again.
    void unfill();
    qint64 freeBytes() const;

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_why;
    bool m_mounted = false;
};

} // namespace corvane::test
