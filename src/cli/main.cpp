// corvanectl: Corvane without a window.
#include "Command.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace corvanectl {

std::vector<Command>& commands()
{
    static std::vector<Command> all;
    return all;
}

int fail(const std::string& message)
{
    std::cerr << "corvanectl: " << message << '\n';
    return 1;
}

} // namespace corvanectl

using namespace corvanectl;

static void printHelp()
{
    std::cout << "Usage: corvanectl [--app-dir DIR] COMMAND [ARGS...]\n\n"
                 "Corvane without a window: inspect and edit Apache httpd.conf files and\n"
                 "the servers registered in the Corvane application folder.\n\n"
                 "Options:\n"
                 "  --app-dir DIR   use DIR as the application folder\n"
                 "  -h, --help      show this help\n\n"
                 "Commands:\n";
    auto sorted = commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
    for (const Command& c : sorted) {
        std::cout << "  " << c.name << (c.usage.empty() ? "" : " ") << c.usage << "\n      " << c.summary
                  << "\n";
    }
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options options;
    std::vector<std::string> args(argv + 1, argv + argc);
    size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--app-dir") {
            if (i + 1 >= args.size())
                return fail("--app-dir needs a folder");
            options.appDir = args[++i];
        } else if (args[i].rfind("--app-dir=", 0) == 0) {
            options.appDir = args[i].substr(10);
        } else if (args[i] == "-h" || args[i] == "--help" || args[i] == "help") {
            printHelp();
            return 0;
        } else {
            break;
        }
    }
    if (i >= args.size()) {
        printHelp();
        return 2;
    }
    const std::string name = args[i];
    std::vector<std::string> rest(args.begin() + i + 1, args.end());
    // --app-dir may also follow the command.
    for (size_t k = 0; k < rest.size(); ++k) {
        if (rest[k] == "--app-dir" && k + 1 < rest.size()) {
            options.appDir = rest[k + 1];
            rest.erase(rest.begin() + k, rest.begin() + k + 2);
            --k;
        }
    }
    for (const Command& c : commands()) {
        if (c.name == name)
            return c.run(rest, options);
    }
    return fail("unknown command '" + name + "' (see corvanectl --help)");
}
