#pragma once
// Debian's apache2 reads APACHE_RUN_DIR, APACHE_LOG_DIR and friends from the
// environment that apache2ctl sets up from /etc/apache2/envvars; without them
// the stock configuration does not even parse. This gives a checker the same
// environment.
#include <QProcessEnvironment>
#include <QString>

namespace corvane {

class ApacheEnvironment
{
public:
    static QString defaultEnvvarsPath() { return QStringLiteral("/etc/apache2/envvars"); }

    // `base` with the variables the envvars script exports. The script is run
    // by /bin/sh as apache2ctl does; when no shell is at hand, its
    // "export NAME=value" lines are read directly. `base` unchanged when the
    // file does not exist.
    static QProcessEnvironment
    fromEnvvars(const QString& envvarsPath,
                const QProcessEnvironment& base = QProcessEnvironment::systemEnvironment());
    // The direct reading: export lines with $NAME and ${NAME} taken from what
    // is known so far (SUFFIX is empty unless APACHE_CONFDIR ends in
    // "apache2-NAME").
    static QProcessEnvironment parseEnvvars(const QByteArray& script, const QProcessEnvironment& base);
};

} // namespace corvane
