#pragma once
// The working copy keeps the line ends the server's file came with; the
// upload sends LF line ends to a Unix server and CR LF to a Windows one. The
// guard keeps a copy
// of the working copy in WorkArea/httpd_bak.conf, rewrites the working copy
// with LF for the upload, and puts the copy back when it goes out of scope,
// whatever happened in between.
#include <QByteArray>
#include <QString>

namespace corvane {

class LineEndGuard
{
public:
    LineEndGuard(QString workingCopy, QString backupCopy);
    ~LineEndGuard();
    LineEndGuard(const LineEndGuard&) = delete;
    LineEndGuard& operator=(const LineEndGuard&) = delete;

    // CR LF line ends for the upload (a Windows server) instead of LF.
    void setWindowsTarget(bool windows) { m_windows = windows; }
    // Copies the working copy aside and writes it back with the target's line ends.
    bool convert(QString* error = nullptr);
    // Moves the kept copy back over the working copy (also done by the
    // destructor). True when nothing was converted or the copy is back.
    bool restore();
    bool converted() const { return m_converted; }

    // Every CR LF pair becomes LF; lone CRs stay.
    static QByteArray toLf(const QByteArray& bytes);
    // Every lone LF becomes CR LF; CR LF pairs and lone CRs stay.
    static QByteArray toCrLf(const QByteArray& bytes);

private:
    QString m_workingCopy;
    QString m_backupCopy;
    bool m_converted = false;
    bool m_windows = false;
};

} // namespace corvane
