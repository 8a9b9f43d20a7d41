#include "transfer/CheckerInput.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace corvane {

namespace {

// One word of a directive line, read as Apache reads it: quoted with " or '
// (a backslash before the quote character keeps it), or up to white space.
QByteArray nextWord(const QByteArray& line, qsizetype& pos)
{
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    if (pos >= line.size())
        return QByteArray();
    QByteArray word;
    const char quote = line[pos];
    if (quote == '"' || quote == '\'') {
        ++pos;
        while (pos < line.size() && line[pos] != quote) {
            if (line[pos] == '\\' && pos + 1 < line.size() && line[pos + 1] == quote)
                ++pos;
            word += line[pos++];
        }
        ++pos;
        return word;
    }
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
        word += line[pos++];
    return word;
}

QStringList wordsOf(const QByteArray& logical)
{
    QStringList words;
    qsizetype pos = 0;
    for (;;) {
        while (pos < logical.size() && (logical[pos] == ' ' || logical[pos] == '\t'))
            ++pos;
        if (pos >= logical.size())
            return words;
        words << QString::fromLocal8Bit(nextWord(logical, pos));
    }
}

bool isInside(const QString& path, const QString& folder)
{
    if (folder.isEmpty() || path.isEmpty())
        return false;
    return path == folder ||
           path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

// The real location of a path, or of the nearest folder above it that exists
// (a glob or a missing file still says where it points).
QString realLocation(const QString& path)
{
    QString probe = QDir::cleanPath(path);
    const qsizetype wild = probe.indexOf(QRegularExpression(QStringLiteral("[*?\\[]")));
    if (wild >= 0)
        probe = probe.left(wild);
    QString rest;
    for (;;) {
        const QString real = QFileInfo(probe).canonicalFilePath();
        if (!real.isEmpty())
            return rest.isEmpty() ? real : QDir::cleanPath(real + QLatin1Char('/') + rest);
        const qsizetype slash = probe.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            return QDir::cleanPath(path);
        rest = probe.mid(slash + 1) + (rest.isEmpty() ? QString() : QLatin1Char('/') + rest);
        probe = probe.left(slash);
    }
}

QString quoted(const QString& path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

} // namespace

CheckerInput::Places CheckerInput::systemPlaces(const QString& applicationFolder,
                                                const QString& defaultServerRoot)
{
    Places p;
    p.applicationFolder = applicationFolder;
    p.defaultServerRoot = defaultServerRoot;
    for (const char* folder : {"/usr/lib/apache2/modules", "/usr/lib64/httpd/modules",
                               "/usr/lib/httpd/modules", "/usr/local/apache2/modules"}) {
        if (QFileInfo(QLatin1String(folder)).isDir()) {
            p.modulesFolder = QLatin1String(folder);
            break;
        }
    }
    p.libraryFolders = {QStringLiteral("/lib"), QStringLiteral("/lib64"), QStringLiteral("/usr/lib"),
                        QStringLiteral("/usr/lib64"), QStringLiteral("/usr/local/lib")};
    return p;
}

CheckerInput::Result CheckerInput::prepare(const QByteArray& config, const QString& shownPath,
                                           const Places& places)
{
    Result result;
    const QString app = realLocation(places.applicationFolder);
    QStringList trusted;
    for (const QString& folder : places.libraryFolders + QStringList{places.modulesFolder}) {
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (!real.isEmpty())
            trusted << real;
    }
    const auto isTrusted = [&](const QString& real) {
        if (real.isEmpty() || isInside(real, app) || !QFileInfo(real).isFile())
            return false;
        return std::any_of(trusted.begin(), trusted.end(),
                           [&](const QString& t) { return isInside(real, t); });
    };
    QString serverRoot = places.defaultServerRoot;
    const auto absolute = [&](const QString& path) {
        return QDir::isAbsolutePath(path) ? path : serverRoot + QLatin1Char('/') + path;
    };

    const QList<QByteArray> lines = config.split('\n');
    QByteArray out;
    out.reserve(config.size());
    qsizetype i = 0;
    while (i < lines.size()) {
        // One logical line: physical lines joined while one ends in a backslash.
        const qsizetype first = i;
        QByteArray logical;
        for (;;) {
            QByteArray physical = lines[i++];
            while (!physical.isEmpty() &&
                   (physical.back() == '\r' || physical.back() == ' ' || physical.back() == '\t'))
                physical.chop(1);
            if (physical.endsWith('\\') && i < lines.size()) {
                physical.chop(1);
                logical += physical;
                continue;
            }
            logical += physical;
            break;
        }
        const auto keep = [&] {
            for (qsizetype k = first; k < i; ++k) {
                out += lines[k];
                if (k + 1 < lines.size())
                    out += '\n';
            }
        };
        const QStringList words = wordsOf(logical);
        const QString name = words.value(0).toLower();
        const bool loads = name == QLatin1String("loadmodule") || name == QLatin1String("loadfile");
        const bool reads = name == QLatin1String("include") || name == QLatin1String("includeoptional") ||
                           name == QLatin1String("serverroot");
        if (name == QLatin1String("errorlog") && !places.runtimeFolder.isEmpty() && words.size() >= 2 &&
            !words.value(1).startsWith(QLatin1Char('|')) &&
            !words.value(1).startsWith(QLatin1String("syslog"))) {
            out += (words.value(0) + QLatin1Char(' ') +
                    quoted(places.runtimeFolder + QStringLiteral("/error.log")))
                       .toLocal8Bit();
            for (qsizetype k = first + 1; k < i; ++k)
                out += '\n';
            if (i < lines.size())
                out += '\n';
            continue;
        }
        if (!loads && !reads) {
            keep();
            continue;
        }
        const QString where = QStringLiteral("line %1 of %2").arg(first + 1).arg(shownPath);
        const QString shownLine = QString::fromLocal8Bit(logical).trimmed();
        const auto stop = [&](const QString& why) {
            result.message =
                QStringLiteral("The syntax check was not run: %1: %2\n    %3\n").arg(where, why, shownLine);
            return result;
        };
        const QStringList paths = words.mid(name == QLatin1String("loadmodule") ? 2 : 1);
        for (const QString& path : paths) {
            if (path.contains(QLatin1Char('$')))
                return stop(
                    QStringLiteral("the path %1 is built from a variable, so where it leads cannot be "
                                   "known before Apache reads it.")
                        .arg(path));
        }
        if (reads && !places.treeCopy.isEmpty() && QDir::isAbsolutePath(words.value(1)) &&
            !words.value(1).startsWith(places.treeCopy + QLatin1Char('/'))) {
            // Into the copy when the copy holds the folder the path starts from.
            QString folder = words.value(1);
            const qsizetype wild = folder.indexOf(QRegularExpression(QStringLiteral("[*?\\[]")));
            if (wild >= 0)
                folder = folder.left(wild);
            folder = folder.left(folder.lastIndexOf(QLatin1Char('/')) + 1);
            if (QFileInfo(places.treeCopy + folder).isDir()) {
                const QString mapped = places.treeCopy + words.value(1);
                if (mapped.contains(QLatin1Char('"')) || mapped.contains(QLatin1Char('\\')))
                    return stop(QStringLiteral("the path %1 cannot be written in a configuration line.")
                                    .arg(words.value(1)));
                if (name == QLatin1String("serverroot"))
                    serverRoot = mapped;
                out += (words.value(0) + QLatin1Char(' ') + quoted(mapped)).toLocal8Bit();
                for (qsizetype k = first + 1; k < i; ++k)
                    out += '\n';
                if (i < lines.size())
                    out += '\n';
                continue;
            }
        }
        if (reads) {
            const QString target = realLocation(absolute(words.value(1)));
            if (isInside(target, app))
                return stop(
                    QStringLiteral("%1 points into the application folder %2, which holds fetched files; "
                                   "the check never reads or loads them.")
                        .arg(words.value(1), places.applicationFolder));
            if (name == QLatin1String("serverroot") && !words.value(1).isEmpty())
                serverRoot = words.value(1);
            keep();
            continue;
        }
        if (paths.isEmpty()) {
            keep(); // Apache itself reports the missing argument
            continue;
        }
        if (name == QLatin1String("loadmodule") &&
            !QRegularExpression(QStringLiteral("^[A-Za-z0-9_]+$")).match(words.value(1)).hasMatch())
            return stop(QStringLiteral("the module name %1 is not a plain name.").arg(words.value(1)));
        QStringList mapped;
        for (const QString& path : paths) {
            const QString real = QFileInfo(absolute(path)).canonicalFilePath();
            if (isTrusted(real)) {
                mapped << real;
                continue;
            }
            const QString fileName = QFileInfo(path).fileName();
            const QString local =
                places.modulesFolder.isEmpty() || fileName.isEmpty()
                    ? QString()
                    : QFileInfo(places.modulesFolder + QLatin1Char('/') + fileName).canonicalFilePath();
            if (!isTrusted(local))
                return stop(
                    QStringLiteral("%1 is neither in the local Apache installation nor in the system's "
                                   "library folders, and the local modules folder %2 has no %3.")
                        .arg(path,
                             places.modulesFolder.isEmpty() ? QStringLiteral("(none)") : places.modulesFolder,
                             fileName.isEmpty() ? path : fileName));
            mapped << local;
        }
        for (const QString& path : mapped)
            if (path.contains(QLatin1Char('"')) || path.contains(QLatin1Char('\\')))
                return stop(QStringLiteral("the library path %1 cannot be written in a configuration line.")
                                .arg(path));
        QStringList rewritten{words.value(0)};
        if (name == QLatin1String("loadmodule"))
            rewritten << words.value(1);
        for (const QString& path : mapped)
            rewritten << quoted(path);
        out += rewritten.join(QLatin1Char(' ')).toLocal8Bit();
        // The other physical lines of the logical line stay as empty lines, so
        // the checker's line numbers are the working copy's.
        for (qsizetype k = first + 1; k < i; ++k)
            out += '\n';
        if (i < lines.size())
            out += '\n';
    }
    result.ok = true;
    result.text = out;
    return result;
}

} // namespace corvane
