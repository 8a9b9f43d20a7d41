#include "transfer/LineEndGuard.h"

#include "model/AtomicFile.h"
#include "transfer/ServerWorkArea.h"

#include <QFile>

#include <cstdio>

namespace corvane {

LineEndGuard::LineEndGuard(QString workingCopy, QString backupCopy)
    : m_workingCopy(std::move(workingCopy)), m_backupCopy(std::move(backupCopy))
{
}

LineEndGuard::~LineEndGuard()
{
    restore();
}

QByteArray LineEndGuard::toLf(const QByteArray& bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        out.append(bytes[i]);
    }
    return out;
}

QByteArray LineEndGuard::toCrLf(const QByteArray& bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 32);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            out.append('\r');
        out.append(bytes[i]);
    }
    return out;
}

bool LineEndGuard::convert(QString* error)
{
    if (m_converted)
        return true;
    if (!ServerWorkArea::copyFileAtomic(m_workingCopy, m_backupCopy, error))
        return false;
    m_converted = true;
    QFile in(m_workingCopy);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2").arg(m_workingCopy, in.errorString());
        return false;
    }
    const QByteArray lf = m_windows ? toCrLf(in.readAll()) : toLf(in.readAll());
    in.close();
    std::string why;
    if (!AtomicFile::write(QFile::encodeName(m_workingCopy).toStdString(), lf.toStdString(), &why)) {
        if (error)
            *error = QString::fromLocal8Bit(why.c_str());
        return false;
    }
    return true;
}

bool LineEndGuard::restore()
{
    if (!m_converted)
        return true;
    // rename(2) replaces the target in one step.
    if (std::rename(QFile::encodeName(m_backupCopy).constData(),
                    QFile::encodeName(m_workingCopy).constData()) != 0)
        return false;
    m_converted = false;
    return true;
}

} // namespace corvane
