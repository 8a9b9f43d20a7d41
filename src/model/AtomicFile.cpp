#include "model/AtomicFile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace corvane {

namespace {

QString qtPath(const std::string& path)
{
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

void setError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

} // namespace

bool AtomicFile::write(const std::string& path, const std::string& bytes, std::string* error)
{
    if (path.empty()) {
        setError(error, "no file name");
        return false;
    }
    QSaveFile file(qtPath(path));
    // Never fall back to writing the target in place.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, path + ": " + file.errorString().toStdString());
        return false;
    }
    const char* data = bytes.data();
    qint64 left = static_cast<qint64>(bytes.size());
    while (left > 0) {
        const qint64 n = file.write(data, left);
        if (n <= 0) {
            setError(error, path + ": " + file.errorString().toStdString());
            file.cancelWriting();
            return false;
        }
        data += n;
        left -= n;
    }
    if (!file.commit()) {
        setError(error, path + ": " + file.errorString().toStdString());
        return false;
    }
    return true;
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
