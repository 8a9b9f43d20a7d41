// corvane_catgen: turns the readable directive table (one directive a line,
// tab-separated) into the XML catalogue Corvane.dll and a header holding its
// CRC-32. Runs at build time; any malformed line stops the build with its
// line number.
//
// Table lines:
//   # comment                       ignored, as are blank lines
//   %branch 2.2 0 34                the releases of a branch: 2.2.0 .. 2.2.34
//   Name Module Context Versions Supported Syntax Values Default Description
// Context: letters s (server config), v (virtual host), d (directory),
// h (.htaccess), or "-". Versions: blank-separated items, each a branch
// ("2.2": all its releases), a release ("2.0.49"), an open range ("2.2.15+":
// that release to the branch's last) or a closed range ("2.4.1-2.4.20").
#include "catalogue/Crc32.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Branch
{
    int first = 0;
    int last = 0;
};

struct Context
{
    std::string file;
    int line = 0;
    [[noreturn]] void fail(const std::string& message) const
    {
        std::cerr << file << ':' << line << ": " << message << '\n';
        std::exit(1);
    }
};

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

std::vector<std::string> words(const std::string& s)
{
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

int toInt(const std::string& s, const Context& where)
{
    if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos)
        where.fail("not a number: '" + s + "'");
    return std::stoi(s);
}

// "2.2.15" -> branch "2.2", patch 15.
std::pair<std::string, int> release(const std::string& s, const std::map<std::string, Branch>& branches,
                                    const Context& where)
{
    const size_t dot = s.rfind('.');
    if (dot == std::string::npos)
        where.fail("not a release: '" + s + "'");
    const std::string branch = s.substr(0, dot);
    const auto it = branches.find(branch);
    if (it == branches.end())
        where.fail("unknown branch in '" + s + "'");
    const int patch = toInt(s.substr(dot + 1), where);
    if (patch < it->second.first || patch > it->second.last)
        where.fail("release outside its branch: '" + s + "'");
    return {branch, patch};
}

std::string expandVersions(const std::string& spec, const std::map<std::string, Branch>& branches,
                           const Context& where)
{
    // Kept in branch order, each release once.
    std::map<std::string, std::set<int>> chosen;
    const auto items = words(spec);
    if (items.empty())
        where.fail("no versions");
    for (const std::string& item : items) {
        if (const auto b = branches.find(item); b != branches.end()) {
            for (int p = b->second.first; p <= b->second.last; ++p)
                chosen[item].insert(p);
        } else if (item.back() == '+') {
            const auto [branch, from] = release(item.substr(0, item.size() - 1), branches, where);
            for (int p = from; p <= branches.at(branch).last; ++p)
                chosen[branch].insert(p);
        } else if (const size_t dash = item.find('-'); dash != std::string::npos) {
            const auto [b1, from] = release(item.substr(0, dash), branches, where);
            const auto [b2, to] = release(item.substr(dash + 1), branches, where);
            if (b1 != b2 || to < from)
                where.fail("bad range '" + item + "'");
            for (int p = from; p <= to; ++p)
                chosen[b1].insert(p);
        } else {
            const auto [branch, patch] = release(item, branches, where);
            chosen[branch].insert(patch);
        }
    }
    std::string out;
    for (const auto& [branch, patches] : chosen) {
        for (int p : patches) {
            if (!out.empty())
                out += '|';
            out += branch + '.' + std::to_string(p);
        }
    }
    return out;
}

std::string escape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string upper(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

void element(std::string& out, const char* name, const std::string& text)
{
    out += "    <";
    out += name;
    out += '>';
    out += escape(text);
    out += "</";
    out += name;
    out += ">\n";
}

bool writeIfChanged(const std::string& path, const std::string& bytes)
{
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::ostringstream old;
            old << in.rdbuf();
            if (old.str() == bytes)
                return true;
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: corvane_catgen TABLE CATALOGUE_XML CHECKSUM_HEADER\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[1] << ": cannot read\n";
        return 1;
    }
    Context where{argv[1], 0};
    std::map<std::string, Branch> branches;
    std::set<std::string> seen;
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!-- Corvane directive catalogue, generated from data/catalogue/directives.tsv -->\n"
                      "<Corvane_Directives>\n";
    int count = 0;
    for (std::string line; std::getline(in, line);) {
        ++where.line;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '%') {
            const auto w = words(line);
            if (w.size() != 4 || w[0] != "%branch")
                where.fail("expected %branch NAME FIRST LAST");
            branches[w[1]] = Branch{toInt(w[2], where), toInt(w[3], where)};
            continue;
        }
        const auto f = split(line, '\t');
        if (f.size() != 9)
            where.fail("expected 9 tab-separated fields, found " + std::to_string(f.size()));
        const std::string& name = f[0];
        if (name.empty() || name.find(' ') != std::string::npos)
            where.fail("bad directive name '" + name + "'");
        if (!seen.insert(upper(name)).second)
            where.fail("directive listed twice: " + name);
        if (f[1].empty())
            where.fail("no module for " + name);
        const std::string& ctx = f[2];
        if (ctx != "-" && ctx.find_first_not_of("svdh") != std::string::npos)
            where.fail("bad context '" + ctx + "'");
        const bool s = ctx.find('s') != std::string::npos;
        const bool v = ctx.find('v') != std::string::npos;
        const bool dir = ctx.find('d') != std::string::npos || ctx.find('h') != std::string::npos;
        if (f[4] != "yes" && f[4] != "no")
            where.fail("supported must be yes or no");
        if (f[8].empty())
            where.fail("no description for " + name);
        const auto yes = [](bool b) { return std::string(b ? "Yes" : "No"); };
        xml += "  <Directive_Info>\n";
        element(xml, "Directive_Name", name);
        element(xml, "Directive_Description", f[8]);
        element(xml, "Directive_Compatibility", expandVersions(f[3], branches, where));
        element(xml, "Directive_Supported", f[4] == "yes" ? "True" : "False");
        element(xml, "Module_Name", f[1]);
        element(xml, "Directive_Context_ServerConfig", yes(s));
        // The main server holds the host-level settings: those a virtual host
        // may also carry.
        element(xml, "Directive_Context_MainConfig", yes(s && v));
        element(xml, "Directive_Context_VirtualHost", yes(v));
        element(xml, "Directive_Context_Directory", yes(dir));
        element(xml, "Directive_Syntax", f[5]);
        element(xml, "Directive_Values", f[6]);
        element(xml, "Directive_Default", f[7]);
        xml += "  </Directive_Info>\n";
        ++count;
    }
    xml += "</Corvane_Directives>\n";
    if (count == 0)
        where.fail("no directives");

    corvane::Crc32 crc;
    crc.update(xml.data(), xml.size());
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(crc.value()));
    const std::string header = "#pragma once\n// Generated by corvane_catgen: CRC-32 of the built catalogue.\n"
                               "namespace corvane {\ninline constexpr const char* kBuiltInCatalogueChecksum = \"" +
                               std::string(hex) + "\";\ninline constexpr int kBuiltInCatalogueEntries = " +
                               std::to_string(count) + ";\n}\n";
    if (!writeIfChanged(argv[2], xml) || !writeIfChanged(argv[3], header)) {
        std::cerr << "cannot write the generated catalogue\n";
        return 1;
    }
    return 0;
}
