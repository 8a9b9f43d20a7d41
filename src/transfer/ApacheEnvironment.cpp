#include "transfer/ApacheEnvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace corvane {

QProcessEnvironment ApacheEnvironment::fromEnvvars(const QString& envvarsPath,
                                                   const QProcessEnvironment& base)
{
    if (!QFileInfo(envvarsPath).isFile())
        return base;
    QProcess sh;
    sh.setProcessEnvironment(base);
    sh.start(QStringLiteral("/bin/sh"),
             {QStringLiteral("-c"), QStringLiteral(". \"$1\" >/dev/null 2>&1; env -0"), QStringLiteral("sh"),
              envvarsPath});
    if (sh.waitForFinished(10000) && sh.exitStatus() == QProcess::NormalExit && sh.exitCode() == 0) {
        QProcessEnvironment env;
        const QList<QByteArray> entries = sh.readAllStandardOutput().split('\0');
        for (const QByteArray& entry : entries) {
            const qsizetype eq = entry.indexOf('=');
            if (eq > 0)
                env.insert(QString::fromLocal8Bit(entry.left(eq)), QString::fromLocal8Bit(entry.mid(eq + 1)));
        }
        if (!env.isEmpty())
            return env;
    }
    QFile file(envvarsPath);
    if (!file.open(QIODevice::ReadOnly))
        return base;
    return parseEnvvars(file.readAll(), base);
}

QProcessEnvironment ApacheEnvironment::parseEnvvars(const QByteArray& script, const QProcessEnvironment& base)
{
    QProcessEnvironment env = base;
    // SUFFIX as the script computes it for a configuration folder /etc/apache2-NAME.
    QString suffix;
    const QString confDir = base.value(QStringLiteral("APACHE_CONFDIR"));
    if (confDir.startsWith(QLatin1String("/etc/apache2-")))
        suffix = QLatin1Char('-') + confDir.mid(13);
    static const QRegularExpression exportLine(
        QStringLiteral("^\\s*export\\s+([A-Za-z_][A-Za-z0-9_]*)=(.*)$"));
    static const QRegularExpression reference(
        QStringLiteral("\\$\\{([A-Za-z_][A-Za-z0-9_]*)\\}|\\$([A-Za-z_][A-Za-z0-9_]*)"));
    const QStringList lines = QString::fromLocal8Bit(script).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = exportLine.match(line);
        if (!m.hasMatch())
            continue;
        QString value = m.captured(2).trimmed();
        if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
            value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        QString expanded;
        qsizetype at = 0;
        for (QRegularExpressionMatchIterator it = reference.globalMatch(value); it.hasNext();) {
            const QRegularExpressionMatch r = it.next();
            expanded += value.mid(at, r.capturedStart() - at);
            const QString name = r.captured(1).isEmpty() ? r.captured(2) : r.captured(1);
            expanded += name == QLatin1String("SUFFIX") ? suffix : env.value(name);
            at = r.capturedEnd();
        }
        expanded += value.mid(at);
        env.insert(m.captured(1), expanded);
    }
    return env;
}

} // namespace corvane
