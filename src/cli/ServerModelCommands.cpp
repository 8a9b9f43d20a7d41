// corvanectl server tree | get | set | delete: the model of a server's whole
// configuration (the main file and every file it includes, from the work
// area), as the console shows and edits it. set and delete change only the
// lines they concern, in the file each line lives in; the upload sends them.
#include "ServerModelCommands.h"
#include "Command.h"
#include "ScopeArguments.h"

#include "model/ConfigFile.h"
#include "model/CorvaneError.h"
#include "model/DirectiveScop.h"
#include "model/ModelProcedures.h"
#include "registry/RegistryKeys.h"
#include "registry/RegistryProcedures.h"
#include "transfer/ApacheEnvironment.h"
#include "transfer/ServerModel.h"
#include "transfer/ServerWorkArea.h"
#include "transfer/TreeSources.h"

#include <QFile>
#include <QFileInfo>

#include <iostream>

using namespace corvane;

namespace corvanectl {

namespace {

// Scope types of DirectiveScop that the console shows as nodes.
constexpr int kDirectory = 0;
constexpr int kLocation = 4;
constexpr int kVirtualHost = 6;
constexpr int kIfModule = 9;

struct ServerModel
{
    ConfigFile cf;
    TreeManifest manifest;
    TreeReport report;
};

bool loadServer(const Servers& servers, const std::string& name, ServerModel& m, std::string& error)
{
    const AppFolder& folder = servers.appFolder();
    m.manifest = ServerWorkArea(folder, QString::fromStdString(name)).manifest();
    return ReadServerModel(folder, name, m.cf, m.report, error);
}

std::string underRoot(const std::string& path, const std::string& root)
{
    return path.empty() ? "httpd.conf" : PathBelowRoot(path, root);
}

std::string placeOf(ServerModel& m, const Directive* d)
{
    const ConfigFile::LinePlace place = m.cf.PlaceOf(d);
    return underRoot(place.file, m.manifest.serverRoot) + ":" + std::to_string(place.line);
}

std::string nodeName(const ConfigFile& cf, const Directive& d, const DirectiveScop& s)
{
    std::string name = TrimBlanks(s.GetParam(1));
    if (s.GetType() == kVirtualHost && name == "*") {
        const std::string serverName = cf.FindServerNameOfVirtualHost(d.DirectiveNo());
        if (serverName != "#NOTFOUND#")
            name = serverName;
    }
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return name;
}

// The section nodes below a scope, as the console's tree has them.
void printChildren(ServerModel& m, std::int32_t parentNo, int depth)
{
    for (const Directive* d : m.cf.GetScopeLines(parentNo)) {
        if (!d || d->GetType() != Directive::TypeSection || !d->ParentDirective() ||
            d->ParentDirective()->DirectiveNo() != parentNo)
            continue;
        const DirectiveScop* s = d->GetCurrentScopeDirective();
        if (!s || s->GetParamCount() <= 0 || s->GetSubType() != DirectiveScop::SubHead)
            continue;
        const int type = s->GetType();
        const bool shown = type == kDirectory || type == kLocation || type == kIfModule ||
                           (type == kVirtualHost && parentNo == -1);
        if (!shown)
            continue;
        std::cout << std::string(size_t(depth) * 2, ' ') << s->GetDirScopeName() << '\t'
                  << nodeName(m.cf, *d, *s) << '\t' << d->DirectiveNo() << '\t' << placeOf(m, d) << '\n';
        printChildren(m, d->DirectiveNo(), depth + 1);
    }
}

} // namespace

int serverTree(const Servers& servers, const std::string& name)
{
    ServerModel m;
    std::string error;
    if (!loadServer(servers, name, m, error))
        return fail(error);
    const std::string main = underRoot(m.manifest.files.front().serverPath, m.manifest.serverRoot);
    std::cout << "Server\t" << name << "\t-2\t" << main << ":0\n";
    std::cout << "  Main Server\tMain Server\t-1\t" << main << ":1\n";
    printChildren(m, -1, 2);
    for (const std::string& e : m.report.errors)
        std::cerr << "corvanectl: error: " << e << '\n';
    for (const std::string& w : m.report.warnings)
        std::cerr << "corvanectl: warning: " << w << '\n';
    return 0;
}

int serverGet(const Servers& servers, const std::vector<std::string>& args)
{
    if (args.size() != 3)
        return fail("usage: server get NAME SCOPE DIRECTIVE");
    ServerModel m;
    std::string error;
    std::int32_t scope = -1;
    if (!loadServer(servers, args[0], m, error) || !resolveScope(m.cf, args[1], scope, error))
        return fail(error);
    const auto found = m.cf.GetAllMatchingSubDirectives(args[2], scope);
    if (found.empty())
        return fail(args[2] + " is not set in scope " + args[1]);
    for (const Directive* d : found)
        std::cout << d->GetParamList() << '\t' << placeOf(m, d) << '\n';
    return 0;
}

int serverUpdate(const Servers& servers, const std::vector<std::string>& args, bool remove)
{
    if (args.size() < 3 || (remove && args.size() != 3))
        return fail(remove ? "usage: server delete NAME SCOPE DIRECTIVE"
                           : "usage: server set NAME SCOPE DIRECTIVE [VALUE...]");
    ServerModel m;
    std::string error;
    std::int32_t scope = -1;
    if (!loadServer(servers, args[0], m, error) || !resolveScope(m.cf, args[1], scope, error))
        return fail(error);
    if (scope != -1 && m.cf.FindDirective(scope)->ScopeSubType() != DirectiveScop::SubHead)
        return fail("scope " + args[1] + " is not a section head");
    std::string value;
    for (std::size_t i = 3; i < args.size(); ++i)
        value += (i > 3 ? " " : "") + quotedArgument(args[i]);
    if (remove && !m.cf.FindSubDirective(TrimBlanks(args[2]), scope))
        return fail(args[2] + " is not set in scope " + args[1]);
    if (!remove && TrimBlanks(value).empty())
        return fail("set needs a value (use delete to remove a directive)");
    int code = 0;
    try {
        code = m.cf.UpdateDirective(args[2], value, scope);
        if (const std::string refusal = m.cf.TakeRefusal(); !refusal.empty())
            return fail(refusal);
        if (code != 1)
            return fail("the directive was not changed (result " + std::to_string(code) + ")");
        // Only the files whose bytes change are written, each in place in the work area.
        if (!m.cf.WriteFile())
            return fail("the working copy could not be written");
    } catch (const CorvaneError& e) {
        return fail(e.description());
    }
    std::cout << code << '\n';
    return std::cout.flush() ? 0 : 1;
}

} // namespace corvanectl
