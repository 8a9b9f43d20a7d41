#pragma once
// Runs the real Apache 2.4 of the machine (Debian's apache2) on a
// configuration file: the syntax check, and the dumps of virtual hosts,
// modules and run-time settings with file names and line numbers removed so
// two files that configure the same server compare equal.
#include "ProcessRunner.h"

#include <QString>

class ApacheCheck
{
public:
    // Full path of apache2 (or httpd), empty when none is installed.
    static QString binary();

    // scratchDir receives the run-time files Apache may want (APACHE_RUN_DIR...).
    explicit ApacheCheck(const QString& scratchDir);

    ProcessResult syntax(const QString& confPath) const;
    ProcessResult dump(const QString& confPath) const;

    // The dump text with confPath, line numbers and ":line" suffixes removed.
    static QByteArray withoutPlaces(const QByteArray& dump, const QString& confPath);

private:
    ProcessResult runApache(const QStringList& args) const;

    QString m_scratchDir;
};
