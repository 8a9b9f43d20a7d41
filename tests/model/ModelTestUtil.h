#pragma once
// Small helpers shared by the model tests: files in a temporary folder and a
// compact text form of a model.
#include "model/ConfigFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <string>

namespace modeltest {

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// "number parent type text" for every live line, in list order; section
// lines show their section text.
inline QStringList dump(const corvane::ConfigFile& cf)
{
    QStringList out;
    for (int i = 1; i <= cf.GetDirectiveCount(); ++i) {
        const corvane::Directive* d = cf.GetDirective(i);
        if (!d)
            continue;
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(d->DirectiveNo())
                   .arg(d->ParentDirective() ? d->ParentDirective()->DirectiveNo() : 0)
                   .arg(d->GetType())
                   .arg(QString::fromLatin1(bytes(d->SectionText())));
    }
    return out;
}

// Loads text into cf through a file in dir.
inline bool load(corvane::ConfigFile& cf, const QString& dir, const QByteArray& text)
{
    const QString path = dir + QStringLiteral("/httpd.conf");
    if (!writeBytes(path, text))
        return false;
    cf.SetFileName(path.toStdString());
    return cf.ReadFile();
}

} // namespace modeltest
