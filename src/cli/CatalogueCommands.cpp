// corvanectl catalogue DIRECTIVE [VERSION]
#include "Command.h"

#include "catalogue/ApplicationFolder.h"
#include "catalogue/CatalogueChecksum.h"
#include "catalogue/DirbaseParser.h"

#include <iostream>
#include <sstream>
#include <vector>

using namespace corvane;

namespace {

// "2.2.0|2.2.1|2.2.2|2.4.5" -> "2.2.0-2.2.2, 2.4.5": runs of consecutive
// releases of one branch are shown as ranges.
std::string summariseVersions(const std::string& versions)
{
    struct Release
    {
        std::string branch;
        int patch;
        std::string text;
    };
    std::vector<Release> releases;
    std::stringstream in(versions);
    for (std::string piece; std::getline(in, piece, '|');) {
        const size_t dot = piece.rfind('.');
        int patch = -1;
        if (dot != std::string::npos) {
            try {
                patch = std::stoi(piece.substr(dot + 1));
            } catch (...) {
                patch = -1;
            }
        }
        releases.push_back({dot == std::string::npos ? piece : piece.substr(0, dot), patch, piece});
    }
    std::string out;
    for (size_t i = 0; i < releases.size();) {
        size_t j = i;
        while (j + 1 < releases.size() && releases[i].patch >= 0 && releases[j + 1].branch == releases[i].branch &&
               releases[j + 1].patch == releases[j].patch + 1)
            ++j;
        if (!out.empty())
            out += ", ";
        out += releases[i].text;
        if (j > i)
            out += "-" + releases[j].text;
        i = j + 1;
    }
    return out;
}

std::string contexts(const xmldirective& d)
{
    std::string out;
    const auto add = [&out](bool on, const char* name) {
        if (on)
            out += (out.empty() ? "" : ", ") + std::string(name);
    };
    add(d.ServerScope(), "server");
    add(d.MainServerScope(), "main server");
    add(d.VirtualHostScope(), "virtual host");
    add(d.DirectoryScope(), "directory");
    return out.empty() ? "-" : out;
}

int showDirective(const std::vector<std::string>& args, const corvanectl::Options& options)
{
    if (args.empty() || args.size() > 2)
        return corvanectl::fail("usage: corvanectl catalogue DIRECTIVE [VERSION]");
    std::string error;
    std::string appDir;
    if (!prepareApplicationFolder(options.appDir, &error, &appDir))
        return corvanectl::fail(error);
    const std::string path = appDir + "/Corvane.dll";
    if (!CheckCatalogueChecksum(path))
        std::cerr << "corvanectl: " << kChecksumFailedMessage << " (" << path << ")\n";

    DirbaseParser parser;
    parser.setFileName(path);
    parser.setNeedNonSupportedDirectives(true);
    parser.GetDirectiveList();

    std::string name = args[0];
    const xmldirective* entry = parser.GetDirective(name);
    if (!entry) {
        std::cout << args[0] << ": not in the catalogue";
        if (args.size() == 2)
            std::cout << " (treated as known to every version)";
        std::cout << "\n";
        return 1;
    }
    const std::string versions = entry->Version();
    std::cout << "Directive:   " << entry->Name() << "\n"
              << "Module:      " << entry->ModuleName() << "\n"
              << "Description: " << entry->Description() << "\n"
              << "Syntax:      " << entry->Syntax() << "\n"
              << "Values:      " << (entry->Values().empty() ? "-" : entry->Values()) << "\n"
              << "Default:     " << (entry->DefaultValue().empty() ? "-" : entry->DefaultValue()) << "\n"
              << "Contexts:    " << contexts(*entry) << "\n"
              << "Supported:   " << (entry->Supported() ? "yes (own page or dialog)" : "no (Extended Properties)")
              << "\n"
              << "Versions:    " << (versions.empty() ? "every version" : summariseVersions(versions)) << "\n";
    if (args.size() == 2) {
        const bool known = parser.VersionCompatibility(entry->Name(), args[1], false);
        std::cout << "Known to " << args[1] << ": " << (known ? "yes" : "no") << "\n";
    }
    return 0;
}

corvanectl::CommandRegistrar reg{{"catalogue", "DIRECTIVE [VERSION]",
                                  "show a directive's catalogue entry and whether VERSION knows it", showDirective}};

} // namespace
