// corvane_gen_config N OUT [ROOT]: writes an N-virtual-host Apache 2.4
// configuration to OUT. ROOT (default: the folder of OUT) must exist; it is
// used for DocumentRoot, logs and the pid file so `apache2 -t -f OUT` passes.
#include "ConfigGenerator.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: corvane_gen_config N OUT [ROOT]\n";
        return 2;
    }
    char* end = nullptr;
    const unsigned long long hosts = std::strtoull(argv[1], &end, 10);
    if (!end || *end != '\0' || hosts == 0) {
        std::cerr << "corvane_gen_config: N must be a positive number\n";
        return 2;
    }
    const std::filesystem::path out = std::filesystem::absolute(argv[2]);
    const std::string root =
        argc == 4 ? std::filesystem::absolute(argv[3]).string() : out.parent_path().string();
    if (!corvanebench::ConfigGenerator(root).writeFile(hosts, out.string())) {
        std::cerr << "corvane_gen_config: cannot write " << out << "\n";
        return 1;
    }
    return 0;
}
