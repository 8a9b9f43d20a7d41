#pragma once
// One entry of a parsed directory listing.
#include <QDateTime>
#include <QString>

namespace corvane::net {

struct CFtpFile
{
    bool IsDirectory = false;
    qint64 FileSize = 0;
    QDateTime LastWriteTime; // invalid when the listing's date could not be read
    QString FileName;
    QString FilePath; // target of a symbolic link, else empty
    QString Permissions;
    QString Owner;
    QString Group;
};

} // namespace corvane::net
