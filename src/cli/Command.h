#pragma once
// Subcommands of corvanectl. Each source file of the tool registers its own
// commands with a static CommandRegistrar, so subsystems add commands without
// touching main.cpp.
#include <functional>
#include <string>
#include <vector>

namespace corvanectl {

struct Options
{
    std::string appDir; // --app-dir DIR, empty for the default application folder
};

struct Command
{
    std::string name;    // first word on the command line ("dump", "server")
    std::string usage;   // argument synopsis shown by --help
    std::string summary; // one line of what it does
    // Receives the arguments after the command name; returns the exit code.
    std::function<int(const std::vector<std::string>& args, const Options& options)> run;
};

std::vector<Command>& commands();

struct CommandRegistrar
{
    explicit CommandRegistrar(Command command) { commands().push_back(std::move(command)); }
};

// Prints "corvanectl: MESSAGE" on stderr and returns 1, for `return fail(...)`.
int fail(const std::string& message);

} // namespace corvanectl
