#pragma once
// Ordered collection of listing entries. Item and Remove count from 1;
// names are not keys (duplicates are kept).
#include "net/CFtpFile.h"

#include <QList>

namespace corvane::net {

class CFtpFiles
{
public:
    // The key is accepted for compatibility and not used.
    CFtpFile& Add(const CFtpFile& file, const QString& key = QString());
    const CFtpFile& Item(int index) const { return m_files.at(index - 1); }
    int Count() const { return int(m_files.size()); }
    void Remove(int index) { m_files.removeAt(index - 1); }

    // First entry with this exact name, or nullptr.
    const CFtpFile* find(const QString& fileName) const;

    auto begin() const { return m_files.cbegin(); }
    auto end() const { return m_files.cend(); }

private:
    QList<CFtpFile> m_files;
};

} // namespace corvane::net
