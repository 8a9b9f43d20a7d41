#include "net/CFtpFiles.h"

namespace corvane::net {

CFtpFile& CFtpFiles::Add(const CFtpFile& file, const QString&)
{
    m_files.append(file);
    return m_files.last();
}

const CFtpFile* CFtpFiles::find(const QString& fileName) const
{
    for (const CFtpFile& file : m_files)
        if (file.FileName == fileName)
            return &file;
    return nullptr;
}

} // namespace corvane::net
