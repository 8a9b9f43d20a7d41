#pragma once
// The one way Corvane writes a file. The bytes go to a new temporary file in
// the target's folder (created exclusively, so no link planted under a
// predictable name is ever followed); every write(2) is checked, the file is
// flushed to disk with fsync, gets the replaced file's owner, group and mode,
// and only then replaces the target with rename(2); the folder is synced
// last. Any failure removes the temporary file and leaves the previous file
// as it was, and says why.
//
// A target that is a symbolic link is written through: the file it leads to
// is replaced, the link stays. A file that does not exist yet gets mode 0600
// unless the caller asks for another: working copies, backups, snapshots and
// the registry may hold passwords or a server's whole configuration.
#include <string>

namespace corvane {

class AtomicFile
{
public:
    static constexpr unsigned kPrivateMode = 0600;

    // False (target untouched, *error set when given) on any failure.
    static bool write(const std::string& path, const std::string& bytes, std::string* error = nullptr);
    static bool write(const std::string& path, const std::string& bytes, unsigned newFileMode,
                      std::string* error);
    // Copies a regular file through the same steps, reading it in pieces.
    static bool copy(const std::string& from, const std::string& to, std::string* error = nullptr,
                     unsigned newFileMode = kPrivateMode);
    // Reads a whole regular file; false when it cannot be opened or read.
    static bool read(const std::string& path, std::string& bytes, std::string* error = nullptr);

    // The same steps for a file written in pieces (a download): open(),
    // append() as often as needed, then commit(). Destroying an uncommitted
    // file removes its temporary file and leaves the target alone.
    explicit AtomicFile(std::string path, unsigned newFileMode = kPrivateMode);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Mode bits of the replaced file the new one may keep (all by default);
    // a file holding secrets passes 0700 so it never stays readable to others.
    void setKeptModeBits(unsigned bits) { m_keptModeBits = bits; }

    bool open(std::string* error = nullptr);
    bool append(const char* data, std::size_t size, std::string* error = nullptr);
    bool append(const std::string& bytes, std::string* error = nullptr)
    {
        return append(bytes.data(), bytes.size(), error);
    }
    // Syncs and renames the temporary file over the target.
    bool commit(std::string* error = nullptr);
    // As commit(), but the file being replaced stays under `keptPath` (in the
    // same folder; it must not exist yet). The target's name never goes
    // missing: the old file gets the second name first (a hard link where the
    // file system has them), then the new file takes the target's name.
    bool commitKeeping(const std::string& keptPath, std::string* error = nullptr);
    // Removes the temporary file; the target stays as it was.
    void discard();

    // The file that is replaced (the target with its links resolved).
    const std::string& target() const { return m_target; }

private:
    bool fail(std::string* error, const std::string& what, int err);
    bool finishTemporary(std::string* error);
    bool syncFolder(std::string* error);

    std::string m_path;
    std::string m_target;
    std::string m_temporary;
    unsigned m_newFileMode;
    unsigned m_keptModeBits = 07777;
    int m_fd = -1;
};

} // namespace corvane
