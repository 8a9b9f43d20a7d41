// corvanectl servers | server show NAME | server remove NAME
#include "Command.h"
#include "ServerModelCommands.h"

#include "catalogue/ApplicationFolder.h"
#include "registry/AppFolder.h"
#include "registry/IniFile.h"
#include "registry/PasswordStore.h"
#include "registry/RegistryKeys.h"
#include "registry/RegistryProcedures.h"
#include "registry/Servers.h"
#include "transfer/ServerWorkArea.h"

#include <QFileInfo>

#include <algorithm>
#include <iostream>

using namespace corvane;

namespace {

// Opens the application folder, creating and filling it on first start
// (the Sample server and the directive catalogue), as the console does.
bool openFolder(const corvanectl::Options& options, AppFolder& folder, std::string& error)
{
    folder = AppFolder(QString::fromStdString(options.appDir));
    return prepareApplicationFolder(folder.path().toStdString(), &error);
}

std::string connectionType(const Servers& servers, const std::string& name)
{
    if (!servers.IsRemoteServer(name))
        return "local";
    return TrimBlanks(servers.GetDataFromInI(name, registry::IS_SFTP)) == "1" ? "SFTP" : "FTP";
}

std::string hostOf(const Servers& servers, const std::string& name)
{
    if (servers.IsRemoteServer(name)) {
        std::string host = servers.GetDataFromInI(name, registry::REMOTE_HOST);
        const std::string port = servers.GetDataFromInI(name, registry::PORT_NUMBER);
        if (!port.empty())
            host += ":" + port;
        return host.empty() ? "-" : host;
    }
    const std::string conf = servers.GetDataFromInI(name, registry::LOCAL_CONF);
    return conf.empty() ? "-" : conf;
}

int listServers(const std::vector<std::string>& args, const corvanectl::Options& options)
{
    if (!args.empty())
        return corvanectl::fail("servers takes no arguments");
    AppFolder folder;
    std::string error;
    if (!openFolder(options, folder, error))
        return corvanectl::fail(error);
    Servers servers{folder};
    if (!servers.FillServerListFromIni() || servers.ServerCount() == 0) {
        std::cout << "No servers registered in " << servers.appFolder().path().toStdString() << "\n";
        return 0;
    }
    struct Row
    {
        std::string name, version, type, host;
    };
    std::vector<Row> rows{{"NAME", "VERSION", "CONNECTION", "HOST"}};
    for (int i = 1; i <= servers.ServerCount(); ++i) {
        const std::string name = servers.GetServer(std::to_string(i));
        std::string version = GetServerApacheVersion(name, servers.iniFileName(), registry::APACHE_VERSION);
        rows.push_back(
            {name, version.empty() ? "-" : version, connectionType(servers, name), hostOf(servers, name)});
    }
    size_t w[3] = {0, 0, 0};
    for (const Row& r : rows) {
        w[0] = std::max(w[0], r.name.size());
        w[1] = std::max(w[1], r.version.size());
        w[2] = std::max(w[2], r.type.size());
    }
    for (const Row& r : rows) {
        std::cout << r.name << std::string(w[0] - r.name.size() + 2, ' ') << r.version
                  << std::string(w[1] - r.version.size() + 2, ' ') << r.type
                  << std::string(w[2] - r.type.size() + 2, ' ') << r.host << "\n";
    }
    return 0;
}

// The listed spelling of `name`, compared without regard to case as the
// registry compares names; "" when it is not listed.
std::string listedName(Servers& servers, const std::string& name)
{
    servers.FillServerListFromIni();
    const QString wanted = QString::fromStdString(TrimBlanks(name));
    for (const std::string& listed : servers.names()) {
        if (QString::fromStdString(listed).compare(wanted, Qt::CaseInsensitive) == 0)
            return listed;
    }
    return {};
}

int showServer(Servers& servers, const std::string& name)
{
    const AppFolder& folder = servers.appFolder();
    std::cout << "Server:        " << name << "\n"
              << "Version:       "
              << GetServerApacheVersion(name, servers.iniFileName(), registry::APACHE_VERSION) << "\n"
              << "Connection:    " << connectionType(servers, name) << "\n"
              << "Host:          " << hostOf(servers, name) << "\n";
    if (servers.IsRemoteServer(name)) {
        const char* where = "not stored (asked for when needed)";
        switch (PasswordStore(folder).location(name)) {
        case PasswordStore::Where::Keychain:
            where = "in the desktop's keychain";
            break;
        case PasswordStore::Where::Registry:
            where = "in Corvane.ini (obfuscated, not encrypted)";
            break;
        case PasswordStore::Where::NotStored:
            break;
        }
        std::cout << "Password:      " << where << "\n";
    }
    const QString copy = folder.workingCopyPath(name);
    std::cout << "Working copy:  " << copy.toStdString() << (QFileInfo(copy).isFile() ? "" : " (missing)")
              << "\n";
    const auto keys = IniFile(servers.iniFileName()).keys(name);
    if (!keys.empty())
        std::cout << "Registry keys:\n";
    for (const auto& [key, value] : keys) {
        // The password stays scrambled and unshown.
        const bool secret = TrimBlanks(key) == registry::PASSWORD;
        std::cout << "  " << key << "=" << (secret ? (value.empty() ? "" : "(set)") : value) << "\n";
    }
    return 0;
}

int removeServer(Servers& servers, const std::string& name)
{
    const AppFolder& folder = servers.appFolder();
    const bool hasFolder = QFileInfo(folder.serverFolder(name)).isDir();
    if (hasFolder) {
        if (!servers.DeleteServerFolders(name))
            return corvanectl::fail(servers.lastError().toStdString());
        std::cout << "Working copy kept as " << servers.lastBackupPath().toStdString() << "\n";
    }
    if (IniFile(servers.iniFileName()).hasSection(name) && !servers.DeleteServer(name))
        return corvanectl::fail("the folders are removed but the registry entry is not: " +
                                servers.lastError().toStdString());
    std::cout << "Removed server " << TrimBlanks(name) << "\n";
    return 0;
}

// Each file of the server's configuration: its path under the server root
// (absolute when outside it), whether the working copy changed it since the
// server last had it, and where a symbolic link leads.
int serverFiles(Servers& servers, const std::string& name)
{
    const ServerWorkArea area(servers.appFolder(), QString::fromStdString(name));
    if (!QFileInfo(area.workingCopy()).isFile())
        return corvanectl::fail("Config file for the specified server has been moved/removed.");
    const TreeManifest manifest = area.manifest();
    const std::vector<TreeEntry> changed = area.changedFiles(manifest);
    const std::string& root = manifest.serverRoot;
    for (const TreeEntry& e : manifest.files) {
        std::string shown = e.serverPath.empty() ? std::string("httpd.conf") : e.serverPath;
        if (!root.empty() && shown.size() > root.size() && shown.compare(0, root.size(), root) == 0 &&
            (root == "/" || shown[root.size()] == '/'))
            shown = shown.substr(root == "/" ? 1 : root.size() + 1);
        const bool isChanged = std::any_of(changed.begin(), changed.end(),
                                           [&](const TreeEntry& c) { return c.serverPath == e.serverPath; });
        std::cout << shown << '\t'
                  << (e.kind == "envvars" ? "envvars"
                      : isChanged         ? "changed"
                                          : "unchanged")
                  << '\t' << (e.realPath.empty() ? "-" : e.realPath) << '\n';
    }
    return 0;
}

int serverCommand(const std::vector<std::string>& args, const corvanectl::Options& options)
{
    const bool model =
        !args.empty() && (args[0] == "tree" || args[0] == "get" || args[0] == "set" || args[0] == "delete");
    if (args.size() < 2 ||
        (!model && (args.size() != 2 || (args[0] != "show" && args[0] != "remove" && args[0] != "files"))))
        return corvanectl::fail(
            "usage: server show NAME | server remove NAME | server files NAME | server tree "
            "NAME | server get|set|delete NAME SCOPE DIRECTIVE [VALUE...]");
    AppFolder folder;
    std::string why;
    if (!openFolder(options, folder, why))
        return corvanectl::fail(why);
    Servers servers{folder};
    QString error;
    if (!servers.appFolder().checkServerName(args[1], &error))
        return corvanectl::fail(error.toStdString());
    const std::string name = listedName(servers, args[1]);
    if (name.empty())
        return corvanectl::fail("no server named '" + TrimBlanks(args[1]) + "' in " +
                                servers.appFolder().path().toStdString());
    if (args[0] == "files")
        return serverFiles(servers, name);
    if (args[0] == "tree")
        return args.size() == 2 ? corvanectl::serverTree(servers, name)
                                : corvanectl::fail("usage: server tree NAME");
    if (model) {
        std::vector<std::string> rest(args.begin() + 1, args.end());
        rest[0] = name;
        return args[0] == "get" ? corvanectl::serverGet(servers, rest)
                                : corvanectl::serverUpdate(servers, rest, args[0] == "delete");
    }
    return args[0] == "show" ? showServer(servers, name) : removeServer(servers, name);
}

corvanectl::CommandRegistrar listReg{
    {"servers", "", "list the registered servers with version, connection and host", listServers}};
corvanectl::CommandRegistrar serverReg{
    {"server",
     "show NAME | remove NAME | files NAME | tree NAME | get|set|delete NAME SCOPE DIRECTIVE [VALUE...]",
     "show a server's registry entry, remove it with its folders (the working copy is kept in Backup), or "
     "list the files of its configuration (path under the server root, changed or unchanged, link target); "
     "tree prints the console's tree (indented by depth; kind, name, scope number, file:line), "
     "get/set/delete "
     "work on the server's whole model (SCOPE a number from tree, -1, or a section head) and change only the "
     "lines concerned, in their own files",
     serverCommand}};

} // namespace
