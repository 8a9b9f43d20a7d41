#pragma once
// Writes an Apache 2.4 configuration with N name-based virtual hosts, about
// 21 lines (580 bytes) per host, that Debian's apache2 accepts with
// `apache2 -t`. Used to measure the model on files of realistic shape and size.
#include <cstddef>
#include <string>

namespace corvanebench {

class ConfigGenerator
{
public:
    // root: an existing folder used for DocumentRoot, logs and the pid file.
    explicit ConfigGenerator(std::string root) : m_root(std::move(root)) {}

    std::string generate(std::size_t hosts) const;
    // Writes generate(hosts) to path; false when the file cannot be written.
    bool writeFile(std::size_t hosts, const std::string& path) const;

private:
    void appendHeader(std::string& out) const;
    void appendHost(std::string& out, std::size_t n, std::size_t total) const;

    std::string m_root;
};

} // namespace corvanebench
