#include "transfer/SyntaxCheck.h"

#include "registry/RegistryProcedures.h"
#include "transfer/ApacheEnvironment.h"
#include "transfer/CheckerInput.h"
#include "transfer/DOSOutputs.h"
#include "transfer/ServerWorkArea.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

namespace corvane {

namespace {

double leadingNumber(const QString& version)
{
    bool ok = false;
    const double v = version.trimmed().left(3).toDouble(&ok);
    return ok ? v : 0.0;
}

bool isExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// Runs an Apache binary with one flag that reads no configuration ("-v",
// "-l") in the minimal environment and returns at most `maxBytes` of what it
// printed; false when it did not start, did not finish within `timeoutMs`
// (it is then killed) or, with `needSuccess`, did not exit with 0.
bool askApache(const QString& program, const QString& flag, int timeoutMs, qint64 maxBytes, bool needSuccess,
               QByteArray& output)
{
    QProcess process;
    process.setProcessEnvironment(SyntaxCheck::minimalEnvironment());
    process.setWorkingDirectory(QStringLiteral("/"));
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, {flag});
    if (!process.waitForStarted(timeoutMs))
        return false;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (needSuccess && (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0))
        return false;
    output = process.read(maxBytes);
    return true;
}

} // namespace

SyntaxCheck::SyntaxCheck(AppFolder folder)
    : m_folder(std::move(folder)),
      m_searchPath({QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                    QStringLiteral("/usr/local/apache2/bin")}),
      m_envvars(ApacheEnvironment::defaultEnvvarsPath())
{
}

bool SyntaxCheck::isSupportedVersion(const QString& version)
{
    return leadingNumber(version) >= 1.3 - 1e-9;
}

QString SyntaxCheck::notSupportedText(const QString& version)
{
    return QStringLiteral("Syntax checking not supported with current Apache Server ") + version;
}

QString SyntaxCheck::checkerFor(const QString& version) const
{
    if (!isSupportedVersion(version))
        return QString();
    const double v = leadingNumber(version);
    QStringList folders{version.trimmed().left(3)};
    if (v >= 2.0 - 1e-9 && folders.first() != QLatin1String("2.0"))
        folders << QStringLiteral("2.0");
    for (const QString& folder : folders) {
        for (const char* name : {"httpd", "apache2"}) {
            const QString candidate = m_folder.path() + QStringLiteral("/ApacheServer/") + folder +
                                      QLatin1Char('/') + QLatin1String(name);
            if (isExecutableFile(candidate))
                return candidate;
        }
    }
    return localApache();
}

QString SyntaxCheck::localApache() const
{
    for (const char* name : {"apache2", "httpd"}) {
        QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (found.isEmpty())
            found = QStandardPaths::findExecutable(QLatin1String(name), m_searchPath);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

QString SyntaxCheck::versionFromBanner(const QByteArray& output)
{
    static const QRegularExpression banner(QStringLiteral("Server version:\\s*Apache/(\\d+\\.\\d+\\.\\d+)"));
    const QRegularExpressionMatch m = banner.match(QString::fromLatin1(output));
    return m.hasMatch() ? m.captured(1) : QString();
}

QString SyntaxCheck::localApacheVersion(int timeoutMs) const
{
    const QString apache = localApache();
    QByteArray banner;
    // The banner is two short lines; anything past the first few bytes is not it.
    if (apache.isEmpty() || !askApache(apache, QStringLiteral("-v"), timeoutMs, 4096, false, banner))
        return QString();
    return versionFromBanner(banner);
}

QString SyntaxCheck::commandLine(const QString& checker, const QString& configPath)
{
    return QLatin1Char('"') + checker + QStringLiteral("\" -f \"") + configPath + QStringLiteral("\" -t");
}

QStringList SyntaxCheck::arguments(const QString& configPath)
{
    return {QStringLiteral("-f"), configPath, QStringLiteral("-t")};
}

QProcessEnvironment SyntaxCheck::minimalEnvironment()
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"),
               QStringLiteral("/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    return env;
}

QProcessEnvironment SyntaxCheck::environmentFor(const QString& checker) const
{
    const QProcessEnvironment base = minimalEnvironment();
    const bool ours = checker.startsWith(m_folder.path() + QLatin1Char('/'));
    if (ours || QFileInfo(checker).fileName() != QLatin1String("apache2"))
        return base;
    return ApacheEnvironment::fromEnvvars(m_envvars, base);
}

std::optional<SyntaxCheck::Account> SyntaxCheck::checkerAccount()
{
    if (::geteuid() != 0)
        return std::nullopt;
    for (const char* name : {"nobody", "www-data"}) {
        if (const passwd* entry = ::getpwnam(name); entry && entry->pw_uid != 0)
            return Account{QLatin1String(name), entry->pw_uid, entry->pw_gid};
    }
    // No unprivileged account: still never root.
    return Account{QStringLiteral("65534"), 65534, 65534};
}

QString SyntaxCheck::serverRootOf(const QString& checker, const std::optional<Account>& account) const
{
    DOSOutputs probe;
    probe.setEnvironment(environmentFor(checker));
    probe.setWorkingDirectory(QStringLiteral("/"));
    probe.setTimeout(30);
    if (account)
        probe.setRunAs(account->uid, account->gid);
    const QString out = probe.execute(checker, {QStringLiteral("-V")});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("HTTPD_ROOT=\"([^\"]*)\"")).match(out);
    if (m.hasMatch() && QDir::isAbsolutePath(m.captured(1)))
        return m.captured(1);
    return QFileInfo(checker).fileName() == QLatin1String("apache2") ? QStringLiteral("/etc/apache2")
                                                                     : QStringLiteral("/etc/httpd");
}

QString SyntaxCheck::run(const QString& serverName, DOSOutputs& runner) const
{
    const auto show = [&runner](const QString& text) {
        emit runner.ReceiveOutputs(text);
        return text;
    };
    const std::string name = serverName.trimmed().toStdString();
    const QString configPath = m_folder.workingCopyPath(name);
    const QString version = QString::fromStdString(GetServerApacheVersion(name, m_folder.iniPath()));
    if (!isSupportedVersion(version))
        return show(notSupportedText(version));
    const QString checker = checkerFor(version);
    if (checker.isEmpty())
        return show(QStringLiteral("File or command not found"));

    if (ServerWorkArea(m_folder, serverName).manifest().isSplit())
        return runTree(serverName, checker, runner);

    QFile file(configPath);
    if (!file.open(QIODevice::ReadOnly))
        return show(QStringLiteral("The syntax check was not run: %1 cannot be read (%2).\n")
                        .arg(configPath, file.errorString()));
    const QByteArray config = file.readAll();
    file.close();
    const std::optional<Account> account = checkerAccount();
    const CheckerInput::Result input = CheckerInput::prepare(
        config, configPath, CheckerInput::systemPlaces(m_folder.path(), serverRootOf(checker, account)));
    if (!input.ok)
        return show(input.message);

    // The copy lives in a folder of its own that only the checker's account can read.
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/corvane-check-XXXXXX"));
    const QString copyPath = dir.filePath(QStringLiteral("httpd.conf"));
    QFile copy(copyPath);
    if (!dir.isValid() ||
        !copy.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner) ||
        copy.write(input.text) != input.text.size() || !copy.flush())
        return show(
            QStringLiteral("The syntax check was not run: its copy of the configuration cannot be written "
                           "in %1 (%2).\n")
                .arg(QDir::tempPath(), copy.errorString()));
    copy.close();
    if (account && (::chown(QFile::encodeName(dir.path()).constData(), account->uid, account->gid) != 0 ||
                    ::chown(QFile::encodeName(copyPath).constData(), account->uid, account->gid) != 0))
        return show(QStringLiteral("The syntax check was not run: its copy cannot be given to the user %1.\n")
                        .arg(account->name));

    // The checker's messages name the working copy, line by line as they come.
    DOSOutputs inner;
    inner.setEnvironment(environmentFor(checker));
    inner.setWorkingDirectory(QStringLiteral("/"));
    if (account)
        inner.setRunAs(account->uid, account->gid);
    QString pending;
    const auto forward = [&](bool all) {
        const qsizetype end = all ? pending.size() : pending.lastIndexOf(QLatin1Char('\n')) + 1;
        if (end <= 0)
            return;
        emit runner.ReceiveOutputs(pending.left(end).replace(copyPath, configPath));
        pending.remove(0, end);
    };
    QObject::connect(&inner, &DOSOutputs::ReceiveOutputs, &inner, [&](const QString& text) {
        pending += text;
        forward(false);
    });
    const QString out = inner.execute(checker, arguments(copyPath));
    forward(true);
    if (!inner.errorText().isEmpty())
        return show(inner.errorText());
    return QString(out).replace(copyPath, configPath);
}

namespace {

bool chownTree(const QString& path, const SyntaxCheck::Account& account)
{
    if (::lchown(QFile::encodeName(path).constData(), account.uid, account.gid) != 0)
        return false;
    if (!QFileInfo(path).isDir() || QFileInfo(path).isSymLink())
        return true;
    for (const QString& name : QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (!chownTree(path + QLatin1Char('/') + name, account))
            return false;
    }
    return true;
}

} // namespace

SyntaxCheck::Verdict SyntaxCheck::check(const QString& serverName) const
{
    Verdict verdict;
    verdict.apacheVersion = QString::fromStdString(
        GetServerApacheVersion(serverName.trimmed().toStdString(), m_folder.iniPath()));
    if (!isSupportedVersion(verdict.apacheVersion)) {
        verdict.output = notSupportedText(verdict.apacheVersion);
        return verdict;
    }
    if (checkerFor(verdict.apacheVersion).isEmpty()) {
        verdict.output = QStringLiteral("File or command not found");
        return verdict;
    }
    DOSOutputs runner;
    verdict.output = run(serverName, runner);
    verdict.state = syntaxOk(verdict.output) ? Verdict::State::Ok : Verdict::State::Error;
    return verdict;
}

QString SyntaxCheck::runTree(const QString& serverName, const QString& checker, DOSOutputs& runner) const
{
    const auto show = [&runner](const QString& text) {
        emit runner.ReceiveOutputs(text);
        return text;
    };
    const ServerWorkArea area(m_folder, serverName);
    const TreeManifest manifest = area.manifest();
    const std::optional<Account> account = checkerAccount();
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/corvane-check-XXXXXX"));
    if (!dir.isValid())
        return show(QStringLiteral("The syntax check was not run: no private folder can be made in %1.\n")
                        .arg(QDir::tempPath()));
    const QString copy = QFileInfo(dir.path()).canonicalFilePath();
    const QString root = QString::fromStdString(manifest.serverRoot);
    CheckerInput::Places places = CheckerInput::systemPlaces(m_folder.path(), copy + root);
    places.treeCopy = copy;
    // A runtime folder of its own: the server's /run/apache2 need not exist here.
    const QString run = copy + QStringLiteral("/.corvane-run");
    places.runtimeFolder = run;
    QDir().mkpath(run);
    // The default error log lies in logs/ below the server root, a folder no fetch brings.
    QDir().mkpath(copy + root + QStringLiteral("/logs"));
    // The folders first, so every Include into the tree finds its place.
    for (const TreeEntry& e : manifest.files)
        QDir().mkpath(copy + QFileInfo(QString::fromStdString(e.serverPath)).path());
    QDir().mkpath(copy + root);
    QProcessEnvironment env = minimalEnvironment();
    for (const TreeEntry& e : manifest.files) {
        QFile file(area.workFile(e));
        if (!file.open(QIODevice::ReadOnly))
            return show(QStringLiteral("The syntax check was not run: %1 cannot be read (%2).\n")
                            .arg(area.workFile(e), file.errorString()));
        const QByteArray bytes = file.readAll();
        const QString serverPath = QString::fromStdString(e.serverPath);
        QByteArray text = bytes;
        if (e.kind == "envvars") {
            // Its variables are read from its export lines; the script itself is never run.
            env = ApacheEnvironment::parseEnvvars(bytes, env);
        } else {
            const CheckerInput::Result input = CheckerInput::prepare(bytes, serverPath, places);
            if (!input.ok)
                return show(input.message);
            text = input.text;
        }
        QFile out(copy + serverPath);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner) ||
            out.write(text) != text.size() || !out.flush())
            return show(
                QStringLiteral("The syntax check was not run: its copy of %1 cannot be written (%2).\n")
                    .arg(serverPath, out.errorString()));
    }
    env.insert(QStringLiteral("APACHE_RUN_DIR"), run);
    env.insert(QStringLiteral("APACHE_LOCK_DIR"), run);
    env.insert(QStringLiteral("APACHE_LOG_DIR"), run);
    env.insert(QStringLiteral("APACHE_PID_FILE"), run + QStringLiteral("/apache2.pid"));
    if (account && !chownTree(copy, *account))
        return show(QStringLiteral("The syntax check was not run: its copy cannot be given to the user %1.\n")
                        .arg(account->name));

    DOSOutputs inner;
    inner.setEnvironment(env);
    inner.setWorkingDirectory(QStringLiteral("/"));
    if (account)
        inner.setRunAs(account->uid, account->gid);
    QString pending;
    const auto named = [&](QString text) { return text.replace(copy, QString()); };
    const auto forward = [&](bool all) {
        const qsizetype end = all ? pending.size() : pending.lastIndexOf(QLatin1Char('\n')) + 1;
        if (end <= 0)
            return;
        emit runner.ReceiveOutputs(named(pending.left(end)));
        pending.remove(0, end);
    };
    QObject::connect(&inner, &DOSOutputs::ReceiveOutputs, &inner, [&](const QString& text) {
        pending += text;
        forward(false);
    });
    const QString mainCopy = copy + QString::fromStdString(manifest.files.front().serverPath);
    const QString out = inner.execute(
        checker, {QStringLiteral("-d"), copy + root, QStringLiteral("-f"), mainCopy, QStringLiteral("-t")});
    forward(true);
    if (!inner.errorText().isEmpty())
        return show(inner.errorText());
    return named(out);
}

QStringList SyntaxCheck::parseCompiledIn(const QString& output)
{
    // "Compiled in modules:" followed by one indented source name a line.
    QStringList modules;
    bool listing = false;
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        const QString name = line.trimmed();
        if (!listing) {
            listing = name == QLatin1String("Compiled in modules:");
            continue;
        }
        const bool indented = line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('\t'));
        if (!indented || !name.endsWith(QLatin1String(".c")) || name.contains(QLatin1Char(' ')))
            break;
        modules << name;
    }
    return modules;
}

QStringList SyntaxCheck::compiledInModules(const QString& version) const
{
    const QString checker = checkerFor(version);
    if (checker.isEmpty())
        return {};
    // "-l" reads no configuration; the answer is the binary's, so it is kept
    // for as long as the program runs.
    static QMutex guard;
    static QHash<QString, QStringList> known;
    const QMutexLocker lock(&guard);
    const auto found = known.constFind(checker);
    if (found != known.constEnd())
        return *found;
    QByteArray out;
    const QStringList modules = askApache(checker, QStringLiteral("-l"), 10000, 64 * 1024, true, out)
                                    ? parseCompiledIn(QString::fromLocal8Bit(out))
                                    : QStringList();
    known.insert(checker, modules);
    return modules;
}

} // namespace corvane
