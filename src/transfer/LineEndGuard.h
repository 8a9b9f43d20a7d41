#pragma once
// Servers that are not Windows get their httpd.conf with LF line ends, while
// the working copy keeps the CR LF the program writes. The guard keeps a copy
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

    // Copies the working copy aside and writes it back with LF line ends.
    bool convert(QString* error = nullptr);
    // Moves the kept copy back over the working copy (also done by the
    // destructor). True when nothing was converted or the copy is back.
    bool restore();
    bool converted() const { return m_converted; }

    // Every CR LF pair becomes LF; lone CRs stay.
    static QByteArray toLf(const QByteArray& bytes);

private:
    QString m_workingCopy;
    QString m_backupCopy;
    bool m_converted = false;
};

} // namespace corvane
