#include "ConfigGenerator.h"

#include <cstdio>
#include <fstream>

namespace corvanebench {

void ConfigGenerator::appendHeader(std::string& out) const
{
    const std::string& r = m_root;
    out += "# Generated hosting configuration for benchmarks.\n"
           "ServerRoot \"/usr/lib/apache2\"\n"
           "LoadModule mpm_event_module modules/mod_mpm_event.so\n"
           "LoadModule authz_core_module modules/mod_authz_core.so\n"
           "LoadModule authz_host_module modules/mod_authz_host.so\n"
           "LoadModule alias_module modules/mod_alias.so\n"
           "LoadModule headers_module modules/mod_headers.so\n"
           "LoadModule mime_module modules/mod_mime.so\n"
           "ServerName bench.example.com\n"
           "Listen 127.0.0.1:8080\n";
    out += "PidFile " + r + "/httpd.pid\n";
    out += "ErrorLog " + r + "/error.log\n";
    out += "DocumentRoot \"" + r + "\"\n";
    out += "LogFormat \"%h %l %u %t \\\"%r\\\" %>s %b\" common\n"
           "<Directory />\n"
           "    AllowOverride None\n"
           "    Require all denied\n"
           "</Directory>\n\n";
}

void ConfigGenerator::appendHost(std::string& out, std::size_t n, std::size_t total) const
{
    char id[32];
    std::snprintf(id, sizeof id, "site%05zu", n);
    const std::string h = id;
    const std::string& r = m_root;
    out += "<VirtualHost *:8080>\n";
    out += "  #CORVANE_VHOST_DESCRIPTION Site " + std::to_string(n) + "\n";
    out += "  ServerName " + h + ".example.com\n";
    out += "  ServerAlias www." + h + ".example.com\n";
    out += "  ServerAdmin admin@" + h + ".example.com\n";
    out += "  DocumentRoot \"" + r + "\"\n";
    out += "  CustomLog " + r + "/" + h + ".log common\n";
    out += "  Header set X-Site " + h + "\n";
    out += "  <Directory \"" + r + "/" + h + "\">\n";
    out += "    Options -Indexes +FollowSymLinks\n";
    out += "    AllowOverride None\n";
    out += "    Require all granted\n";
    out += "  </Directory>\n";
    out += "  <Location /private>\n";
    out += "    Require ip 10.0.0.0/8\n";
    out += "  </Location>\n";
    out += "  Alias /static \"" + r + "/" + h + "/static\"\n";
    out += "  Redirect /old /new\n";
    out += "  # host " + std::to_string(n) + " of " + std::to_string(total) + "\n";
    out += "</VirtualHost>\n\n";
}

std::string ConfigGenerator::generate(std::size_t hosts) const
{
    std::string out;
    out.reserve(hosts * 640 + 1024);
    appendHeader(out);
    for (std::size_t n = 1; n <= hosts; ++n)
        appendHost(out, n, hosts);
    return out;
}

bool ConfigGenerator::writeFile(std::size_t hosts, const std::string& path) const
{
    const std::string text = generate(hosts);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(f);
}

} // namespace corvanebench
