#include "ApacheCheck.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

QString ApacheCheck::binary()
{
    const QStringList dirs{QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                           QStringLiteral("/usr/local/apache2/bin")};
    for (const QString& name : {QStringLiteral("apache2"), QStringLiteral("httpd")}) {
        const QString found = QStandardPaths::findExecutable(name, dirs);
        if (!found.isEmpty())
            return found;
    }
    return QStandardPaths::findExecutable(QStringLiteral("apache2"));
}

ApacheCheck::ApacheCheck(const QString& scratchDir) : m_scratchDir(scratchDir)
{
    QDir().mkpath(m_scratchDir + QStringLiteral("/run"));
    QDir().mkpath(m_scratchDir + QStringLiteral("/logs"));
}

ProcessResult ApacheCheck::runApache(const QStringList& args) const
{
    // Debian's apache2 reads these from /etc/apache2/envvars when started by
    // its scripts; a direct start has to provide them.
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/sbin:/usr/bin:/sbin:/bin"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    env.insert(QStringLiteral("APACHE_RUN_DIR"), m_scratchDir + QStringLiteral("/run"));
    env.insert(QStringLiteral("APACHE_LOCK_DIR"), m_scratchDir + QStringLiteral("/run"));
    env.insert(QStringLiteral("APACHE_PID_FILE"), m_scratchDir + QStringLiteral("/run/apache2.pid"));
    env.insert(QStringLiteral("APACHE_LOG_DIR"), m_scratchDir + QStringLiteral("/logs"));
    env.insert(QStringLiteral("APACHE_RUN_USER"), QStringLiteral("www-data"));
    env.insert(QStringLiteral("APACHE_RUN_GROUP"), QStringLiteral("www-data"));
    return ProcessRunner::run(binary(), args, env, 120000);
}

ProcessResult ApacheCheck::syntax(const QString& confPath) const
{
    return runApache({QStringLiteral("-t"), QStringLiteral("-f"), confPath});
}

ProcessResult ApacheCheck::dump(const QString& confPath) const
{
    return runApache({QStringLiteral("-t"), QStringLiteral("-D"), QStringLiteral("DUMP_VHOSTS"),
                      QStringLiteral("-D"), QStringLiteral("DUMP_MODULES"), QStringLiteral("-D"),
                      QStringLiteral("DUMP_RUN_CFG"), QStringLiteral("-f"), confPath});
}

QByteArray ApacheCheck::withoutPlaces(const QByteArray& dump, const QString& confPath)
{
    // Latin-1 maps every byte to one character and back, so nothing is lost.
    QString text = QString::fromLatin1(dump);
    text.replace(confPath, QStringLiteral("CONF"));
    static const QRegularExpression fileLine(QStringLiteral("CONF(\"?):\\d+"));
    static const QRegularExpression lineOf(QStringLiteral("\\bline \\d+ of\\b"));
    text.replace(fileLine, QStringLiteral("CONF\\1"));
    text.replace(lineOf, QStringLiteral("line N of"));
    // Apache lists its mutexes in hash-table order, which varies between runs.
    QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size();) {
        qsizetype j = i;
        while (j < lines.size() && lines[j].startsWith(QLatin1String("Mutex ")))
            ++j;
        if (j > i + 1)
            std::sort(lines.begin() + i, lines.begin() + j);
        i = j > i ? j : i + 1;
    }
    return lines.join(QLatin1Char('\n')).toLatin1();
}
