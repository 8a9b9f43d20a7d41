// corvanectl commands on a single configuration file: dump, rewrite, get,
// set, delete. Every command reads a private copy (the snapshot of rewrite
// --via-snapshot is written beside it); only set and delete replace FILE
// (keeping FILE.bak), changing only the lines the edit concerns.
#include "Command.h"
#include "ScopeArguments.h"

#include "model/AtomicFile.h"
#include "model/ConfigFile.h"
#include "model/CorvaneError.h"
#include "model/ModelProcedures.h"

#include <QTemporaryDir>

#include <charconv>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>

using namespace corvane;

namespace corvanectl {

std::string quotedArgument(const std::string& arg)
{
    const std::string v = Trim(arg);
    const bool quoted = v.size() >= 2 && v.front() == '"' && v.back() == '"';
    if (quoted || v.find_first_of(" \t") == std::string::npos)
        return v;
    return '"' + v + '"';
}

// SCOPE is a number (-1 the main server) or a section head such as "<VirtualHost *:80>".
bool resolveScope(const ConfigFile& cf, const std::string& text, std::int32_t& scope, std::string& error)
{
    const std::string t = Trim(text);
    std::int32_t n = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (ec == std::errc() && end == t.data() + t.size()) {
        if (n != -1 && !cf.FindDirective(n)) {
            error = "no line numbered " + t;
            return false;
        }
        scope = n;
        return true;
    }
    DirectiveScop wanted;
    wanted.SetDirScopeString(t);
    if (t.empty() || t.front() != '<' || wanted.GetSubType() != DirectiveScop::SubHead) {
        error = "scope must be a number or a section head such as \"<VirtualHost *:80>\": " + t;
        return false;
    }
    for (int i = 1; i <= cf.GetDirectiveCount(); ++i) {
        const Directive* d = cf.GetDirective(i);
        const DirectiveScop* s = d ? d->GetCurrentScopeDirective() : nullptr;
        if (s && s->GetSubType() == DirectiveScop::SubHead &&
            UCase(s->GetDirScopeName()) == UCase(wanted.GetDirScopeName()) &&
            s->GetParamList() == wanted.GetParamList()) {
            scope = d->DirectiveNo();
            return true;
        }
    }
    error = "no section " + t;
    return false;
}

namespace {

std::string errorText(const CorvaneError& e)
{
    std::ostringstream s;
    s << e.description() << " (" << e.source() << ", 0x" << std::hex << std::uppercase << e.number() << ")";
    return s.str();
}

// Loads FILE into cf. Reading never changes a file; the snapshot, when one
// is written, goes to a temporary folder.
bool load(const std::string& file, ConfigFile& cf, std::string& error)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        error = file + ": no such file";
        return false;
    }
    if (!std::filesystem::is_regular_file(file, ec)) {
        error = file + ": not a regular file";
        return false;
    }
    cf.SetFileName(file);
    try {
        if (!cf.ReadFile()) {
            error = file + ": could not be read";
            return false;
        }
    } catch (const CorvaneError& e) {
        error = file + ": " + errorText(e);
        return false;
    }
    return true;
}

int dump(const std::vector<std::string>& args, const Options&)
{
    if (args.size() != 1)
        return fail("usage: corvanectl dump FILE");
    ConfigFile cf;
    std::string error;
    if (!load(args[0], cf, error))
        return fail(error);
    std::string out;
    for (int i = 1; i <= cf.GetDirectiveCount(); ++i) {
        const Directive* d = cf.GetDirective(i);
        if (!d)
            continue;
        out += std::to_string(d->DirectiveNo()) + '\t';
        out += std::to_string(d->ParentDirective() ? d->ParentDirective()->DirectiveNo() : 0) + '\t';
        out += std::to_string(d->GetType()) + '\t';
        if (d->GetType() == Directive::TypeSection)
            out += std::to_string(d->ScopeType()) + '\t' + std::to_string(d->ScopeSubType()) + '\t';
        else
            out += "-\t-\t";
        out += d->GetDirectiveName();
        for (const std::string& p : d->params()) {
            out += '\t';
            out += p;
        }
        out += '\n';
    }
    std::cout.write(out.data(), static_cast<std::streamsize>(out.size()));
    return std::cout ? 0 : 1;
}

int rewrite(const std::vector<std::string>& args, const Options&)
{
    std::string file;
    std::string outFile;
    bool viaSnapshot = false;
    bool normalize = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size())
            outFile = args[++i];
        else if (args[i] == "--via-snapshot")
            viaSnapshot = true;
        else if (args[i] == "--normalize")
            normalize = true;
        else if (file.empty() && !args[i].empty() && args[i][0] != '-')
            file = args[i];
        else
            return fail("usage: corvanectl rewrite FILE [-o OUT] [--via-snapshot] [--normalize]");
    }
    if (file.empty())
        return fail("usage: corvanectl rewrite FILE [-o OUT] [--via-snapshot] [--normalize]");
    auto cf = std::make_unique<ConfigFile>();
    std::string error;
    if (!load(file, *cf, error))
        return fail(error);
    std::string bytes;
    try {
        if (viaSnapshot) {
            QTemporaryDir tmp;
            if (!tmp.isValid())
                return fail("cannot create a temporary folder");
            const std::string snapshot = tmp.filePath(QStringLiteral("Serialize.srl")).toStdString();
            cf->SetSnapshotPath(snapshot);
            cf->Serialize();
            cf = std::make_unique<ConfigFile>(); // a fresh model, from the snapshot only
            cf->SetFileName(file);
            cf->SetSnapshotPath(snapshot);
            cf->DeSerialize();
            cf->SetNormalizeLayout(normalize);
            bytes = cf->WriteToString();
        }
        if (!viaSnapshot) {
            cf->SetNormalizeLayout(normalize);
            bytes = cf->WriteToString();
        }
    } catch (const CorvaneError& e) {
        return fail(file + ": " + errorText(e));
    }
    if (outFile.empty()) {
        std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::cout.flush();
        return std::cout ? 0 : fail("cannot write to standard output");
    }
    if (!AtomicFile::write(outFile, bytes, &error))
        return fail(error);
    return 0;
}

int get(const std::vector<std::string>& args, const Options&)
{
    if (args.size() != 3)
        return fail("usage: corvanectl get FILE SCOPE NAME");
    ConfigFile cf;
    std::string error;
    std::int32_t scope = -1;
    if (!load(args[0], cf, error) || !resolveScope(cf, args[1], scope, error))
        return fail(error);
    const auto found = cf.GetAllMatchingSubDirectives(args[2], scope);
    if (found.empty())
        return fail(args[2] + " is not set in scope " + args[1]);
    for (const Directive* d : found)
        std::cout << d->GetParamList() << '\n';
    return 0;
}

// set and delete: change the model, then replace FILE keeping FILE.bak.
int update(const std::vector<std::string>& args, bool remove)
{
    const std::size_t needed = 3;
    if (args.size() < needed || (remove && args.size() != needed))
        return fail(remove ? "usage: corvanectl delete FILE SCOPE NAME"
                           : "usage: corvanectl set FILE SCOPE NAME [VALUE...]");
    const std::string& file = args[0];
    // The model goes before the files are written: a large file's model is
    // several times its size.
    auto model = std::make_unique<ConfigFile>();
    ConfigFile& cf = *model;
    std::string error;
    std::int32_t scope = -1;
    if (!load(file, cf, error) || !resolveScope(cf, args[1], scope, error))
        return fail(error);
    if (scope != -1 && cf.FindDirective(scope)->ScopeSubType() != DirectiveScop::SubHead)
        return fail("scope " + args[1] +
                    " is not a section head: give -1 for the main server, or the number or "
                    "head of a section such as \"<VirtualHost *:80>\"");
    // Each argument is one value; an argument holding blanks is written in
    // double quotes so that Apache reads it as one.
    std::string value;
    for (std::size_t i = needed; i < args.size(); ++i)
        value += (i > needed ? " " : "") + quotedArgument(args[i]);
    if (remove && !cf.FindSubDirective(Trim(args[2]), scope))
        return fail(args[2] + " is not set in scope " + args[1]);
    if (!remove && Trim(value).empty())
        return fail("set needs a value (use delete to remove a directive)");
    int code = 0;
    try {
        code = cf.UpdateDirective(args[2], value, scope);
        if (const std::string refusal = cf.TakeRefusal(); !refusal.empty())
            return fail(refusal);
    } catch (const CorvaneError& e) {
        return fail(file + ": " + errorText(e));
    }
    if (code != 1)
        return fail("the directive was not changed (result " + std::to_string(code) + ")");
    // The new content goes straight into the replacing file; the file it
    // replaces stays as FILE.bak (the same file under a second name, so as
    // private as it was).
    AtomicFile out(file);
    if (!out.open(&error))
        return fail(error);
    try {
        cf.WriteToSink(
            [&](std::string_view piece) { return out.append(piece.data(), piece.size(), &error); });
    } catch (const CorvaneError& e) {
        return fail(file + ": " + (error.empty() ? errorText(e) : error));
    }
    model.reset();
    std::error_code ec;
    std::filesystem::remove(file + ".bak", ec);
    if (ec)
        return fail("cannot replace " + file + ".bak: " + ec.message());
    if (!out.commitKeeping(file + ".bak", &error))
        return fail(error);
    std::cout << code << '\n';
    return std::cout.flush() ? 0 : 1;
}

int set(const std::vector<std::string>& args, const Options&)
{
    return update(args, false);
}

int remove(const std::vector<std::string>& args, const Options&)
{
    return update(args, true);
}

CommandRegistrar dumpCommand{{"dump", "FILE",
                              "print every directive of FILE: number, parent, type, scope type, sub type, "
                              "name, parameters (tab-separated)",
                              dump}};
CommandRegistrar rewriteCommand{{"rewrite", "FILE [-o OUT] [--via-snapshot] [--normalize]",
                                 "read FILE and write it back through the writer to OUT (default stdout), "
                                 "byte for byte; --via-snapshot passes the model through a snapshot first; "
                                 "--normalize regenerates the layout (every line in column 1, CR LF)",
                                 rewrite}};
CommandRegistrar getCommand{{"get", "FILE SCOPE NAME",
                             "print the parameters of directive NAME in SCOPE (a number, -1 for the main "
                             "server, or a section head such as \"<VirtualHost *:80>\")",
                             get}};
CommandRegistrar setCommand{{"set", "FILE SCOPE NAME [VALUE...]",
                             "set directive NAME in SCOPE to VALUE (each argument one value, quoted when it "
                             "holds blanks), change that line of FILE (previous content kept as FILE.bak) "
                             "and print the result code",
                             set}};
CommandRegistrar deleteCommand{{"delete", "FILE SCOPE NAME",
                                "remove directive NAME from SCOPE, rewrite FILE (previous content kept as "
                                "FILE.bak) and print the result code",
                                remove}};

} // namespace
} // namespace corvanectl
