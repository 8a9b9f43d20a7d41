#include "model/AtomicFile.h"
#include "model/HugePages.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

void setError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A link is written through: the file it leads to is the one replaced.
std::string resolveTarget(const std::string& path)
{
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : resolved.string();
}

bool writeAll(int fd, const char* data, std::size_t size, int& err)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        if (n == 0) {
            err = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

AtomicFile::AtomicFile(std::string path, unsigned newFileMode)
    : m_path(std::move(path)), m_newFileMode(newFileMode)
{
}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::fail(std::string* error, const std::string& what, int err)
{
    std::string text = "Cannot write " + m_path + ": " + what;
    if (err)
        text += std::string(what.empty() ? "" : ": ") + std::strerror(err);
    setError(error, text);
    discard();
    return false;
}

void AtomicFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool AtomicFile::open(std::string* error)
{
    discard();
    if (m_path.empty()) {
        setError(error, "no file name");
        return false;
    }
    m_target = resolveTarget(m_path);
    struct stat st
    {
    };
    const bool exists = ::stat(m_target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return fail(error, "it is not a regular file", 0);
    std::string name = folderOf(m_target) + "/." + baseName(m_target) + ".XXXXXX";
    // mkostemp creates the file with O_EXCL: an existing name, a link among
    // them, is never opened.
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(error, "cannot create a temporary file in " + folderOf(m_target), errno);
    m_fd = fd;
    m_temporary = name;
    if (exists) {
        // The replaced file's owner and group: only root may give a file to
        // another user, so an ordinary user keeps at least the group when
        // it is one of theirs.
        if (::fchown(m_fd, st.st_uid, st.st_gid) != 0) {
            const int err = errno;
            if (::geteuid() == 0)
                return fail(error, "cannot give the new file the owner of the old one", err);
            (void)::fchown(m_fd, static_cast<uid_t>(-1), st.st_gid);
        }
        // After fchown, which clears the set-user-ID and set-group-ID bits.
        if (::fchmod(m_fd, st.st_mode & m_keptModeBits & 07777) != 0)
            return fail(error, "cannot give the new file the mode of the old one", errno);
    } else if (::fchmod(m_fd, static_cast<mode_t>(m_newFileMode & 07777)) != 0) {
        return fail(error, "cannot set the mode of the new file", errno);
    }
    return true;
}

bool AtomicFile::append(const char* data, std::size_t size, std::string* error)
{
    if (m_fd < 0) {
        setError(error, "Cannot write " + m_path + ": the file is not open");
        return false;
    }
    int err = 0;
    if (!writeAll(m_fd, data, size, err))
        return fail(error, "", err);
    return true;
}

bool AtomicFile::finishTemporary(std::string* error)
{
    if (m_fd < 0) {
        setError(error, "Cannot write " + m_path + ": the file is not open");
        return false;
    }
    // Some file systems report a full disk or an I/O error only here.
    if (::fsync(m_fd) != 0)
        return fail(error, "", errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(error, "", errno);
    return true;
}

bool AtomicFile::syncFolder(std::string* error)
{
    const std::string folder = folderOf(m_target);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        setError(error, "Cannot sync the folder " + folder + ": " + std::strerror(errno));
        return false;
    }
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    const int err = errno;
    ::close(fd);
    if (!synced) {
        setError(error, "Cannot sync the folder " + folder + ": " + std::strerror(err));
        return false;
    }
    return true;
}

bool AtomicFile::commit(std::string* error)
{
    if (!finishTemporary(error))
        return false;
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return fail(error, "", errno);
    m_temporary.clear();
    return syncFolder(error);
}

bool AtomicFile::commitKeeping(const std::string& keptPath, std::string* error)
{
    if (!finishTemporary(error))
        return false;
    struct stat st
    {
    };
    if (::lstat(keptPath.c_str(), &st) == 0)
        return fail(error, keptPath + " exists already", 0);
    if (::link(m_target.c_str(), keptPath.c_str()) == 0) {
        if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
            const int err = errno;
            ::unlink(keptPath.c_str());
            return fail(error, "", err);
        }
    } else {
        const int linkErr = errno;
        if (linkErr != EPERM && linkErr != ENOTSUP && linkErr != EMLINK && linkErr != EXDEV)
            return fail(error, "cannot keep the previous file as " + keptPath, linkErr);
        // No hard links here: the old file is renamed first, and put back
        // when the new one cannot take its place.
        if (::rename(m_target.c_str(), keptPath.c_str()) != 0)
            return fail(error, "cannot keep the previous file as " + keptPath, errno);
        if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
            const int err = errno;
            ::rename(keptPath.c_str(), m_target.c_str());
            return fail(error, "", err);
        }
    }
    m_temporary.clear();
    return syncFolder(error);
}

bool AtomicFile::write(const std::string& path, const std::string& bytes, std::string* error)
{
    return write(path, bytes, kPrivateMode, error);
}

bool AtomicFile::write(const std::string& path, const std::string& bytes, unsigned newFileMode,
                       std::string* error)
{
    AtomicFile file(path, newFileMode);
    return file.open(error) && file.append(bytes, error) && file.commit(error);
}

bool AtomicFile::copy(const std::string& from, const std::string& to, std::string* error,
                      unsigned newFileMode)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        setError(error, "Cannot read " + from + ": " + std::strerror(errno));
        return false;
    }
    struct stat st
    {
    };
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        setError(error, "Cannot read " + from + ": it is not a regular file");
        return false;
    }
    AtomicFile out(to, newFileMode);
    if (!out.open(error)) {
        ::close(in);
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(in);
            setError(error, "Cannot read " + from + ": " + std::strerror(err));
            return false;
        }
        if (n == 0)
            break;
        if (!out.append(buffer, static_cast<std::size_t>(n), error)) {
            ::close(in);
            return false;
        }
    }
    ::close(in);
    return out.commit(error);
}

bool AtomicFile::read(const std::string& path, std::string& bytes, std::string* error)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        setError(error, path + ": is a folder");
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        setError(error, path + ": " + std::strerror(errno));
        return false;
    }
    bytes.clear();
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > 0) {
        bytes.reserve(static_cast<std::size_t>(size));
        HugePages::advise(bytes.data(), bytes.capacity());
        bytes.resize(static_cast<std::size_t>(size));
        in.read(bytes.data(), size);
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
    // Files whose size is not known beforehand (pipes, /proc) are read to the end.
    char buf[65536];
    in.clear();
    while (in.read(buf, sizeof buf) || in.gcount() > 0)
        bytes.append(buf, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        setError(error, path + ": read error");
        return false;
    }
    return true;
}

} // namespace corvane
