// corvanectl add | fetch | check | diff | upload: getting a server's httpd.conf,
// checking it with a real Apache and sending it back, without a window.
#include "Command.h"
#include "TerminalText.h"

#include "catalogue/ApplicationFolder.h"
#include "registry/AppFolder.h"
#include "registry/IniFile.h"
#include "transfer/ConfigTransfer.h"
#include "transfer/DOSOutputs.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/SyntaxCheck.h"
#include "transfer/UnifiedDiff.h"

#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using namespace corvane;
using corvanectl::fail;

namespace {

std::string text(const QString& s)
{
    return s.toStdString();
}

// One line from standard input; on a terminal the prompt is shown and the
// typed text is not echoed.
std::optional<std::string> readSecret(const std::string& prompt, bool echo = false)
{
    const bool tty = ::isatty(STDIN_FILENO);
    termios saved{};
    if (tty) {
        std::cerr << prompt << std::flush;
        if (!echo && ::tcgetattr(STDIN_FILENO, &saved) == 0) {
            termios quiet = saved;
            quiet.c_lflag &= ~tcflag_t(ECHO);
            ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
        }
    }
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (tty && !echo) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::cerr << '\n';
    }
    if (!got && line.empty())
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

struct Args
{
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    std::string error;
};

Args parse(const std::vector<std::string>& args, const std::set<std::string>& withValue,
           const std::set<std::string>& flags)
{
    Args out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            out.positional.push_back(a);
            continue;
        }
        std::string name = a, value;
        const size_t eq = a.find('=');
        const bool inlineValue = eq != std::string::npos;
        if (inlineValue) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        }
        if (withValue.count(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    out.error = name + " needs a value";
                    return out;
                }
                value = args[++i];
            }
            out.values[name] = value;
        } else if (flags.count(name) && !inlineValue) {
            out.flags.insert(name);
        } else {
            out.error = "unknown option " + name;
            return out;
        }
    }
    return out;
}

// HOST[:PORT]; IPv6 addresses in brackets.
bool splitHost(const std::string& hostArg, int defaultPort, std::string& host, int& port)
{
    host = hostArg;
    port = defaultPort;
    size_t colon = std::string::npos;
    if (!hostArg.empty() && hostArg.front() == '[') {
        const size_t close = hostArg.find(']');
        if (close == std::string::npos)
            return false;
        host = hostArg.substr(1, close - 1);
        if (close + 1 < hostArg.size()) {
            if (hostArg[close + 1] != ':')
                return false;
            colon = close + 1;
        }
    } else if (hostArg.find(':') != std::string::npos && hostArg.find(':') == hostArg.rfind(':')) {
        colon = hostArg.find(':');
        host = hostArg.substr(0, colon);
    }
    if (colon != std::string::npos) {
        bool ok = false;
        port = QString::fromStdString(hostArg.substr(colon + 1)).toInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return false;
    }
    return !host.empty();
}

// One line on standard error that the transfer's reports rewrite in place
// ("12/40 files, 1.2 MiB of 3.4 MiB  /etc/apache2/sites-enabled/a.conf"),
// only when standard error is a terminal: scripts see nothing of it.
class ProgressLine
{
public:
    ProgressLine() : m_enabled(::isatty(STDERR_FILENO) == 1) {}
    bool enabled() const { return m_enabled; }

    void show(const TransferProgress& p)
    {
        // Nothing before the first file: questions while connecting keep their line.
        if (!m_enabled || (p.filesDone == 0 && p.bytesDone == 0 && !p.finished))
            return;
        std::string line = text(p.summary());
        if (!p.currentFile.isEmpty()) {
            // The path came from the server: escaped, and its end kept when it is too long.
            std::string path = corvanectl::escapeForTerminal(text(p.currentFile));
            const size_t room = width() > line.size() + 8 ? width() - line.size() - 3 : 0;
            if (path.size() > room) {
                size_t cut = path.size() - std::min(path.size(), room > 3 ? room - 3 : 0);
                while (cut < path.size() && (static_cast<unsigned char>(path[cut]) & 0xC0) == 0x80)
                    ++cut; // never half a character
                path = room > 3 ? "..." + path.substr(cut) : std::string();
            }
            if (!path.empty())
                line += "  " + path;
        }
        write(line);
    }
    // Erases the line, so other output starts at the left margin.
    void clear()
    {
        if (m_shown > 0)
            write(std::string());
    }
    // The last state stays on a line of its own.
    void end()
    {
        if (m_shown > 0)
            std::cerr << '\n' << std::flush;
        m_shown = 0;
    }

private:
    static size_t width()
    {
        winsize size{};
        return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 10 ? size_t(size.ws_col) - 1
                                                                                  : 79;
    }
    void write(const std::string& line)
    {
        // Blanks over what the longer line before left (no terminal control codes).
        std::cerr << '\r' << line << std::string(m_shown > line.size() ? m_shown - line.size() : 0, ' ');
        if (m_shown > line.size())
            std::cerr << '\r' << line;
        std::cerr << std::flush;
        m_shown = line.size();
    }

    bool m_enabled;
    size_t m_shown = 0; // length of the line on the terminal now
};

// Ctrl-C while a transfer runs is its Cancel: it stops before the next file
// and puts back what it replaced. A second Ctrl-C ends the program at once.
std::atomic<ConfigTransfer*> interruptedTransfer{nullptr};

extern "C" void cancelOnInterrupt(int)
{
    // Only a lock-free flag is set here, which is safe in a signal handler.
    if (ConfigTransfer* transfer = interruptedTransfer.load())
        transfer->cancel();
    std::signal(SIGINT, SIG_DFL);
}

class InterruptCancels
{
public:
    explicit InterruptCancels(ConfigTransfer& transfer)
    {
        interruptedTransfer = &transfer;
        m_previous = std::signal(SIGINT, cancelOnInterrupt);
    }
    ~InterruptCancels()
    {
        std::signal(SIGINT, m_previous == SIG_ERR ? SIG_DFL : m_previous);
        interruptedTransfer = nullptr;
    }
    InterruptCancels(const InterruptCancels&) = delete;
    InterruptCancels& operator=(const InterruptCancels&) = delete;

private:
    void (*m_previous)(int) = SIG_DFL;
};

// What the connecting page would show, on the terminal: status lines on
// standard output with --verbose, questions on the terminal.
TransferCallbacks terminalCallbacks(bool verbose, bool acceptNewHostKey, QString* refusedKey)
{
    TransferCallbacks cb;
    if (verbose) {
        cb.status = [](const QString& t) { std::cout << text(t) << '\n' << std::flush; };
        cb.log = [](const QString& t) { std::cout << "  " << text(t) << '\n' << std::flush; };
    }
    cb.acceptHostKey = [acceptNewHostKey, refusedKey](const QString& host, const QString& fingerprint) {
        if (acceptNewHostKey) {
            std::cerr << "corvanectl: new host key of " << text(host) << " accepted: " << text(fingerprint)
                      << '\n';
            return true;
        }
        *refusedKey = QStringLiteral("the host key of %1 is not known yet (%2); check it and run again with "
                                     "--accept-new-host-key to trust it")
                          .arg(host, fingerprint);
        return false;
    };
    cb.prompt = [](const QString& question, bool echo) -> std::optional<QString> {
        if (!::isatty(STDIN_FILENO))
            return std::nullopt;
        const std::optional<std::string> answer = readSecret(text(question), echo);
        return answer ? std::optional<QString>(QString::fromStdString(*answer)) : std::nullopt;
    };
    cb.passphrase = [](const QString& keyFile) -> std::optional<QString> {
        if (!::isatty(STDIN_FILENO))
            return std::nullopt;
        const std::optional<std::string> answer = readSecret("Pass phrase for " + text(keyFile) + ": ");
        return answer ? std::optional<QString>(QString::fromStdString(*answer)) : std::nullopt;
    };
    return cb;
}

// Runs the transfer the state describes; on failure the status (and the log,
// which says why) go to standard error.
struct RunOptions
{
    bool verbose = false;
    bool acceptNewHostKey = false;
    int connectTimeout = 0; // --timeout; 0: the server's setting or the default
    bool acceptNewCertificate = false;
    std::string tls; // --tls required|optional|never; "" the server's setting
};

// --timeout S: whole seconds, at least 1.
bool parseTimeout(const Args& a, int& seconds)
{
    const auto it = a.values.find("--timeout");
    if (it == a.values.end())
        return true;
    bool ok = false;
    seconds = QString::fromStdString(it->second).toInt(&ok);
    return ok && seconds > 0;
}

RunOptions runOptions(const Args& a)
{
    RunOptions o;
    o.verbose = a.flags.count("--verbose") > 0;
    o.acceptNewHostKey = a.flags.count("--accept-new-host-key") > 0;
    parseTimeout(a, o.connectTimeout);
    o.acceptNewCertificate = a.flags.count("--accept-new-certificate") > 0;
    if (const auto it = a.values.find("--tls"); it != a.values.end())
        o.tls = it->second;
    return o;
}

int runTransfer(const AppFolder& folder, TransferState& state, const RunOptions& o, bool registerServer,
                const std::string& success, bool discardChanges = false)
{
    const bool verbose = o.verbose;
    QString refusedKey;
    QStringList logLines;
    TransferCallbacks cb = terminalCallbacks(verbose, o.acceptNewHostKey, &refusedKey);
    bool unsentRefused = false;
    cb.discardUnsentChanges = [discardChanges, &unsentRefused](const QString&) {
        unsentRefused = !discardChanges;
        return discardChanges;
    };
    auto shown = cb.log;
    cb.log = [shown, &logLines](const QString& line) {
        logLines << line;
        if (shown)
            shown(line);
    };
    QString authUsed;
    cb.authenticated = [&authUsed](const QString& how) { authUsed = how; };
    QString refusedCertificate;
    cb.acceptCertificate = [&o, &refusedCertificate](const QString& server, const QString& fingerprint) {
        if (o.acceptNewCertificate) {
            std::cerr << "corvanectl: new certificate of " << text(server) << " accepted: SHA-256 "
                      << text(fingerprint) << '\n';
            return true;
        }
        refusedCertificate =
            QStringLiteral("the TLS certificate of %1 is not verified by this system (SHA-256 %2); "
                           "check it and run again with --accept-new-certificate to trust it")
                .arg(server, fingerprint);
        return false;
    };
    if (verbose)
        cb.protection = [](const QString& t) { std::cout << text(t) << '\n' << std::flush; };
    ProgressLine progress;
    if (progress.enabled()) {
        cb.transferProgress = [&progress](const TransferProgress& p) { progress.show(p); };
        // Whatever else reaches the terminal meanwhile starts on a clean line.
        auto before = [&progress](auto f) {
            return [&progress, f](const auto&... args) {
                progress.clear();
                return f(args...);
            };
        };
        if (verbose) {
            cb.status = before(cb.status);
            cb.log = before(cb.log);
            cb.protection = before(cb.protection);
        }
        cb.prompt = before(cb.prompt);
        cb.passphrase = before(cb.passphrase);
        cb.acceptHostKey = before(cb.acceptHostKey);
        cb.acceptCertificate = before(cb.acceptCertificate);
    }
    ConfigTransfer transfer(folder, state, cb);
    transfer.setConnectTimeout(o.connectTimeout);
    transfer.setFtpTls(QString::fromStdString(o.tls));
    {
        InterruptCancels interrupt(transfer);
        transfer.StartTransfer();
    }
    progress.end();
    if (state.TransferFailed) {
        const QString status = transfer.lastStatus();
        // The page closes with "Connection To Server ... failed."; the cause came before it.
        const QString cause = transfer.failureCause();
        if (!cause.isEmpty() && cause != status)
            std::cerr << "corvanectl: "
                      << text(QString(cause).replace(QLatin1String(": \r\n"), QLatin1String(": "))) << '\n';
        transfer.Finish(); // registers nothing after a failure
        if (!verbose) {
            for (const QString& line : logLines)
                std::cerr << "  " << text(line) << '\n';
        }
        if (!refusedKey.isEmpty())
            std::cerr << "corvanectl: " << text(refusedKey) << '\n';
        if (unsentRefused)
            return fail(text(status) + " (corvanectl diff shows them; --discard-changes fetches anyway and "
                                       "keeps a dated copy of the working copy in Backup)");
        if (!refusedCertificate.isEmpty())
            std::cerr << "corvanectl: " << text(refusedCertificate) << '\n';
        for (const QString& line : transfer.uploadLines())
            std::cerr << "  " << text(line) << '\n';
        return fail(text(status));
    }
    for (const std::string& e : transfer.treeReport().errors)
        std::cerr << "corvanectl: error: " << e << '\n';
    for (const std::string& w : transfer.treeReport().warnings)
        std::cerr << "corvanectl: warning: " << w << '\n';
    for (const QString& line : transfer.uploadLines())
        std::cout << text(line) << '\n';
    const QString kept = transfer.keptUnsentCopy();
    if (!kept.isEmpty())
        std::cout << "The working copy with its unsent changes is kept as " << text(kept) << '\n';
    const QString dated = transfer.datedName();
    const bool saved = transfer.Finish();
    if (registerServer && !saved)
        return fail("the file was fetched but the server could not be registered in " +
                    text(folder.iniPath()));
    std::cout << success
              << (dated.isEmpty() ? std::string() : "; the server's previous file is now " + text(dated))
              << '\n';
    if (!authUsed.isEmpty())
        std::cout << "Authentication used: " << text(authUsed) << '\n';
    return 0;
}

// The registered spelling of `name` (the registry compares names without
// regard to case, so "web" finds the server "Web" and its folder).
std::string registeredName(const AppFolder& folder, const std::string& name)
{
    return text(folder.registeredSpelling(name));
}

int addServer(const std::vector<std::string>& argv, const corvanectl::Options& options)
{
    const Args a =
        parse(argv,
              {"--apache-version", "--os", "--local", "--ftp", "--sftp", "--user", "--folder", "--key",
               "--auth", "--timeout", "--tls", "--main-file", "--server-root", "--account-root"},
              {"--accept-new-host-key", "--accept-new-certificate", "--verbose", "--store-password-in-ini"});
    if (!a.error.empty())
        return fail(a.error);
    if (int seconds = 0; !parseTimeout(a, seconds))
        return fail("--timeout needs a whole number of seconds, at least 1");
    if (const auto tls = a.values.find("--tls"); tls != a.values.end() && tls->second != "required" &&
                                                 tls->second != "optional" && tls->second != "never")
        return fail("--tls must be required, optional or never");
    if (a.positional.size() != 1)
        return fail("add needs one server name");
    const AppFolder folder(QString::fromStdString(options.appDir));
    std::string prepared;
    if (!prepareApplicationFolder(folder.path().toStdString(), &prepared))
        return fail(prepared);
    QString why;

    TransferState s;
    s.WizardServerName = QString::fromStdString(a.positional[0]).trimmed();
    if (s.WizardServerName.toUpper() == QLatin1String("SAMPLE"))
        return fail("Sorry Server Name Sample Already Assigned By System");
    if (!folder.checkServerName(text(s.WizardServerName), &why))
        return fail(text(why));
    if (folder.serverNameTaken(text(s.WizardServerName)))
        return fail("Server name already exists.");
    auto value = [&](const char* name) {
        const auto it = a.values.find(name);
        return it == a.values.end() ? std::string() : it->second;
    };
    s.WizardApacheVersion = QString::fromStdString(value("--apache-version")).trimmed();
    if (s.WizardApacheVersion.isEmpty())
        return fail("--apache-version is needed");
    const std::string os = value("--os");
    if (os == "windows")
        s.WizardOsType = QStringLiteral("Windows");
    else if (os == "unix")
        s.WizardOsType = QStringLiteral("Linux / Unix");
    else
        return fail("--os must be windows or unix");

    const int kinds =
        int(a.values.count("--local")) + int(a.values.count("--ftp")) + int(a.values.count("--sftp"));
    if (kinds != 1)
        return fail("give exactly one of --local, --ftp and --sftp");
    s.WizardServerRoot = QString::fromStdString(value("--server-root")).trimmed();
    if (!s.WizardServerRoot.isEmpty() && !s.WizardServerRoot.startsWith(QLatin1Char('/')))
        return fail("--server-root must be an absolute path");
    s.WizardMainFile = QString::fromStdString(value("--main-file")).trimmed();
    if (s.WizardMainFile.contains(QLatin1Char('/')))
        return fail("--main-file is a file name, without a folder");
    if (a.values.count("--local")) {
        if (a.values.count("--account-root"))
            return fail("--account-root is for --ftp and --sftp");
        const QString conf =
            ServerWorkArea::localMainFile(QString::fromStdString(value("--local")), s.WizardMainFile);
        if (conf.isEmpty())
            return fail("File Not Found! Please verify the path you entered.");
        s.WizardLocalConf = conf;
        s.WizardMainFile = QFileInfo(conf).fileName();
    } else {
        s.WizardAccountRoot = QString::fromStdString(value("--account-root")).trimmed();
        if (!s.WizardAccountRoot.isEmpty() && !s.WizardAccountRoot.startsWith(QLatin1Char('/')))
            return fail("--account-root must be an absolute path");
        const bool sftp = a.values.count("--sftp") > 0;
        std::string host;
        int port = 0;
        // For SFTP the host may be an alias of ~/.ssh/config, which also
        // gives the port and user when they are not given here.
        if (!splitHost(value(sftp ? "--sftp" : "--ftp"), sftp ? 0 : 21, host, port))
            return fail("the host must be HOST or HOST:PORT");
        if ((!sftp && value("--user").empty()) || value("--folder").empty())
            return fail(sftp ? "--folder is needed" : "--user and --folder are needed");
        s.WizardIsRemote = true;
        s.WizardIsSftp = sftp;
        s.WizardRemoteHost = QString::fromStdString(host);
        s.WizardPort = port > 0 ? QString::number(port) : QString();
        s.WizardUserName = QString::fromStdString(value("--user"));
        s.WizardRemoteFolder = QString::fromStdString(value("--folder"));
        parseTimeout(a, s.WizardConnectTimeout);
        if (const auto tls = a.values.find("--tls"); tls != a.values.end())
            s.WizardFtpTls = QString::fromStdString(tls->second);
        std::string auth = value("--auth");
        if (sftp) {
            // Keys first (ssh-agent, --key, ~/.ssh/config's identity files),
            // then keyboard-interactive, then password; the others start later.
            if (auth.empty() || auth == "keys")
                auth = "publickey";
            if (auth == "password")
                s.WizardSftpAuthType = kSftpAuthPassword;
            else if (auth == "keyboard")
                s.WizardSftpAuthType = kSftpAuthKeyboard;
            else if (auth == "publickey")
                s.WizardSftpAuthType = kSftpAuthPublicKey;
            else
                return fail("--auth must be publickey (keys), keyboard or password");
            if (!value("--key").empty()) {
                if (s.WizardSftpAuthType != kSftpAuthPublicKey)
                    return fail("--key is for --auth publickey");
                s.WizardKeyFile = QFileInfo(QString::fromStdString(value("--key"))).absoluteFilePath();
                if (!QFileInfo(s.WizardKeyFile).isFile())
                    return fail("Please select a valid key file.");
            }
        } else if (!auth.empty() || a.values.count("--key")) {
            return fail("--auth and --key are for --sftp");
        }
        // The password (for a key: its pass phrase, may be empty) never comes
        // from the command line.
        const bool keyAuth = s.WizardSftpAuthType == kSftpAuthPublicKey;
        if (!keyAuth || !::isatty(STDIN_FILENO)) {
            const std::optional<std::string> pw =
                readSecret(keyAuth ? "Pass phrase of the key (empty for none): "
                                   : "Password for " + text(s.WizardUserName) + "@" + host + ": ");
            if (!pw && !keyAuth)
                return fail("no password on standard input");
            s.WizardPassword = QString::fromStdString(pw.value_or(std::string()));
        }
        s.WizardPasswordKnown = true;
        // With a keychain the password goes there; without one it is asked
        // for each time unless it may be kept in Corvane.ini.
        s.WizardStorePasswordInIni = a.flags.count("--store-password-in-ini") > 0;
    }
    return runTransfer(folder, s, runOptions(a), true,
                       "Server " + text(s.WizardServerName) + " added; its httpd.conf is in " +
                           text(folder.workingCopyPath(text(s.WizardServerName))));
}

// What fetch and upload check alike: the options parsed, --timeout and --tls
// well-formed, one server name; "" when all is well.
std::string transferArgsError(const Args& a, const char* command)
{
    if (!a.error.empty())
        return a.error;
    if (int seconds = 0; !parseTimeout(a, seconds))
        return "--timeout needs a whole number of seconds, at least 1";
    if (const auto tls = a.values.find("--tls"); tls != a.values.end() && tls->second != "required" &&
                                                 tls->second != "optional" && tls->second != "never")
        return "--tls must be required, optional or never";
    if (a.positional.size() != 1)
        return std::string(command) + " needs one server name";
    return {};
}

int fetchServer(const std::vector<std::string>& argv, const corvanectl::Options& options)
{
    const Args a =
        parse(argv, {"--timeout", "--tls"},
              {"--accept-new-host-key", "--accept-new-certificate", "--verbose", "--discard-changes"});
    if (const std::string why = transferArgsError(a, "fetch"); !why.empty())
        return fail(why);
    const AppFolder folder(QString::fromStdString(options.appDir));
    const std::string name = registeredName(folder, a.positional[0]);
    if (name.empty())
        return fail("no server named " + a.positional[0] + " is registered");
    TransferState s;
    ConfigTransfer::loadServerIntoState(folder, QString::fromStdString(name), s);
    s.GetConfigMode = true;
    s.UploadMode = false;
    return runTransfer(folder, s, runOptions(a), false,
                       "Fetched httpd.conf of " + name + " into " + text(folder.workingCopyPath(name)),
                       a.flags.count("--discard-changes") > 0);
}

// Runs the check; the checker's output (which quotes the fetched file) goes
// to standard output or error (`fd`) as it arrives.
bool syntaxCheck(const AppFolder& folder, const std::string& name, int fd)
{
    SyntaxCheck check(folder);
    DOSOutputs runner;
    QObject::connect(&runner, &DOSOutputs::ReceiveOutputs,
                     [fd](const QString& t) { corvanectl::writeFetchedText(fd, text(t)); });
    const QString output = check.run(QString::fromStdString(name), runner);
    if (!output.endsWith('\n'))
        corvanectl::writeFetchedText(fd, "\n");
    return SyntaxCheck::syntaxOk(output);
}

// The registered spelling of a server name (the name as given when none is
// registered); false when the server has no working copy to work on.
bool workingCopyOf(const AppFolder& folder, const std::string& given, std::string& name)
{
    const std::string registered = registeredName(folder, given);
    name = registered.empty() ? given : registered;
    const ServerWorkArea area(folder, QString::fromStdString(name));
    return area.isValid() && QFileInfo(area.workingCopy()).isFile();
}

int checkServer(const std::vector<std::string>& argv, const corvanectl::Options& options)
{
    if (argv.size() != 1)
        return fail("check needs one server name");
    const AppFolder folder(QString::fromStdString(options.appDir));
    std::string name;
    if (!workingCopyOf(folder, argv[0], name))
        return fail("Config file for the specified server has been moved/removed.");
    if (!syntaxCheck(folder, name, STDOUT_FILENO))
        return fail("the syntax check of " + name + " did not report Syntax OK");
    return 0;
}

int diffServer(const std::vector<std::string>& argv, const corvanectl::Options& options)
{
    if (argv.size() != 1)
        return fail("diff needs one server name");
    const AppFolder folder(QString::fromStdString(options.appDir));
    std::string name;
    if (!workingCopyOf(folder, argv[0], name))
        return fail("Config file for the specified server has been moved/removed.");
    const ServerWorkArea area(folder, QString::fromStdString(name));
    const QByteArray d = UnifiedDiff::diffTree(area, QString::fromStdString(name));
    corvanectl::writeFetchedText(STDOUT_FILENO, std::string_view(d.constData(), std::size_t(d.size())));
    return 0;
}

int revertServer(const std::vector<std::string>& argv, const corvanectl::Options& options)
{
    if (argv.size() != 1)
        return fail("revert needs one server name");
    const AppFolder folder(QString::fromStdString(options.appDir));
    std::string name;
    if (!workingCopyOf(folder, argv[0], name))
        return fail("Config file for the specified server has been moved/removed.");
    const ServerWorkArea area(folder, QString::fromStdString(name));
    QString kept;
    QString why;
    if (!area.revertChanges(&kept, &why))
        return fail("nothing was reverted: " + text(why));
    if (kept.isEmpty())
        std::cout << "The working copy of " << name << " has no changes to revert\n";
    else
        std::cout << "Reverted the working copy of " << name << "; the changes are kept as " << text(kept)
                  << '\n';
    return 0;
}

int uploadServer(const std::vector<std::string>& argv, const corvanectl::Options& options)
{
    const Args a = parse(argv, {"--timeout", "--tls"},
                         {"--no-check", "--verbose", "--accept-new-host-key", "--accept-new-certificate"});
    if (const std::string why = transferArgsError(a, "upload"); !why.empty())
        return fail(why);
    const AppFolder folder(QString::fromStdString(options.appDir));
    const std::string name = registeredName(folder, a.positional[0]);
    if (name.empty())
        return fail("no server named " + a.positional[0] + " is registered");
    if (!a.flags.count("--no-check") && !syntaxCheck(folder, name, STDERR_FILENO)) {
        std::cerr << "Uploading this conf file may render Apache Server Unstable\nContinue with Upload ?";
        std::optional<std::string> answer;
        if (::isatty(STDIN_FILENO))
            answer = readSecret(" [y/N] ", true);
        else
            std::cerr << '\n';
        if (!answer || (*answer != "y" && *answer != "Y" && *answer != "yes"))
            return fail("nothing was uploaded: the syntax check did not report Syntax OK (--no-check uploads "
                        "anyway)");
    }
    TransferState s;
    s.UploadMode = true;
    s.SyncServerName = QString::fromStdString(name);
    return runTransfer(folder, s, runOptions(a), false, "Uploaded the working copy of " + name);
}

corvanectl::CommandRegistrar addCommand{
    {"add",
     "NAME --apache-version V --os windows|unix (--local PATH | --ftp HOST[:PORT] --user U --folder DIR | "
     "--sftp HOST[:PORT] [--user U] --folder DIR [--key FILE] [--auth publickey|keyboard|password] "
     "[--account-root DIR]) [--main-file NAME] [--server-root DIR] [--tls required|optional|never] "
     "[--timeout S] [--store-password-in-ini] [--accept-new-host-key] [--accept-new-certificate] [--verbose]",
     "register a server and fetch its main file and every file it includes (password from standard input; "
     "kept in the desktop's keychain, or without one asked for when needed, or with --store-password-in-ini "
     "kept in Corvane.ini, obfuscated, not encrypted); --local takes the main file or a folder holding "
     "httpd.conf or apache2.conf; for SFTP the host may be an alias of ~/.ssh/config and keys come from "
     "ssh-agent, --key and ~/.ssh/config first",
     addServer}};
corvanectl::CommandRegistrar fetchCommand{
    {"fetch",
     "NAME [--discard-changes] [--tls MODE] [--timeout S] [--accept-new-host-key] [--accept-new-certificate] "
     "[--verbose]",
     "fetch the server's httpd.conf again (older ones kept); a working copy with unsent changes is only "
     "replaced with --discard-changes, and then kept in Backup under a dated name",
     fetchServer}};
corvanectl::CommandRegistrar checkCommand{
    {"check", "NAME", "check the working copy with a real Apache (-t)", checkServer}};
corvanectl::CommandRegistrar diffCommand{
    {"diff", "NAME",
     "show what the working copy changes against the server's files, one unified diff per changed file",
     diffServer}};
corvanectl::CommandRegistrar revertCommand{
    {"revert", "NAME",
     "put the working copy back to what the server has (as last sent, else as fetched); the changes are kept "
     "in Backup under a dated name",
     revertServer}};
corvanectl::CommandRegistrar uploadCommand{
    {"upload",
     "NAME [--no-check] [--tls MODE] [--timeout S] [--accept-new-host-key] [--accept-new-certificate] "
     "[--verbose]",
     "check and send the working copy; the server's file is kept under a dated name", uploadServer}};

} // namespace
