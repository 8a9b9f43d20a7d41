#include "SmallTmpfs.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace corvane::test {

namespace {

QString fillerPath(const QString& root)
{
    return root + QStringLiteral("/.filler");
}

} // namespace

SmallTmpfs::SmallTmpfs(qint64 bytes)
{
    if (::geteuid() != 0) {
        m_why = QStringLiteral("mounting a small tmpfs needs root");
        return;
    }
    if (!m_dir.isValid()) {
        m_why = QStringLiteral("no temporary folder");
        return;
    }
    m_path = m_dir.path() + QStringLiteral("/mnt");
    ::mkdir(QFile::encodeName(m_path).constData(), 0755);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(m_path).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.c_str()) != 0) {
        m_why = QStringLiteral("cannot mount a tmpfs: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_mounted = true;
}

SmallTmpfs::~SmallTmpfs()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
}

qint64 SmallTmpfs::freeBytes() const
{
    struct statvfs st
    {
    };
    if (::statvfs(QFile::encodeName(m_path).constData(), &st) != 0)
        return -1;
    return qint64(st.f_bavail) * qint64(st.f_frsize);
}

bool SmallTmpfs::fill(qint64 leaveFree)
{
    if (!m_mounted)
        return false;
    const qint64 take = freeBytes() - leaveFree;
    if (take <= 0)
        return take == 0;
    const int fd =
        ::open(QFile::encodeName(fillerPath(m_path)).constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0)
        return false;
    const std::string block(4096, 'x');
    qint64 left = take;
    bool ok = true;
    while (left > 0 && ok) {
        const ssize_t n = ::write(fd, block.data(), size_t(std::min<qint64>(left, qint64(block.size()))));
        ok = n > 0;
        left -= n;
    }
    ::close(fd);
    return ok;
}

void SmallTmpfs::unfill()
{
    QFile::remove(fillerPath(m_path));
}

} // namespace corvane::test
