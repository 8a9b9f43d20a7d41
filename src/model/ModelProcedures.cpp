#include "model/ModelProcedures.h"

#include "model/ConfigFile.h"

namespace corvane {

std::string Trim(const std::string& s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    return s.substr(b, e - b);
}

std::string UCase(const std::string& s)
{
    std::string r = s;
    for (char& c : r) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return r;
}

std::string SplitArguments(const std::string& rest, std::vector<std::string>& out)
{
    std::size_t start = 0;
    bool inQuote = false;
    char prev = '#';
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == ' ' && !inQuote) {
            std::string token = Trim(rest.substr(start, i - start + 1));
            if (!token.empty())
                out.push_back(std::move(token));
            start = i + 1;
        }
        if (c == '"' && prev != '\\') {
            if (inQuote) {
                inQuote = false;
                std::string token = Trim(rest.substr(start, i - start + 1));
                if (!token.empty())
                    out.push_back(std::move(token));
                start = i + 1;
            } else {
                inQuote = true;
            }
        }
        prev = c;
    }
    return start < rest.size() ? Trim(rest.substr(start)) : std::string();
}

std::string GetServerNameFromConfigPath(const std::string& appFolder, const std::string& path)
{
    static const std::size_t kTail = std::string("/WorkArea/httpd.conf").size(); // 20
    const std::size_t from = appFolder.size() + 1;
    if (path.size() < from + kTail)
        return {};
    return Trim(path.substr(from, path.size() - from - kTail));
}

std::string GetPortFromAddress(const std::string& address)
{
    const std::string t = Trim(address);
    const std::size_t colon = t.find(':');
    if (colon == std::string::npos)
        return {};
    return Trim(t.substr(colon + 1));
}

std::string JoinListBoxItems(const std::vector<std::string>& items, const std::vector<bool>& selected,
                             bool selectedOnly)
{
    std::string joined;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (selectedOnly && !(i < selected.size() && selected[i]))
            continue;
        joined += items[i];
        joined += ' ';
    }
    return Trim(joined);
}

std::string JoinListViewItems(const ListRows& rows)
{
    std::string joined;
    for (const ListRow& row : rows) {
        if (!row.empty())
            joined += row.front();
        joined += ' ';
    }
    return Trim(joined);
}

namespace {

std::vector<Directive*> loadModuleLines(const ConfigFile& model, std::int32_t scopeNo)
{
    return model.GetAllMatchingSubDirectives("LoadModule", scopeNo);
}

// "/usr/lib/apache2/modules/mod_logio.so" -> "mod_logio": after the last "/"
// up to the next ".", so a full path names its module file like a short one.
std::string moduleFileBaseName(const std::string& file)
{
    const std::size_t slash = file.find_last_of("/\\");
    const std::size_t from = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = file.find('.', from);
    return file.substr(from, dot == std::string::npos ? std::string::npos : dot - from);
}

} // namespace

bool IsModuleLoaded(const ConfigFile& model, const std::string& module, std::int32_t scopeNo)
{
    const std::string wanted = UCase(Trim(module));
    for (Directive* d : loadModuleLines(model, scopeNo)) {
        const std::string name = Trim(d->GetParam(1));
        if (!name.empty() && UCase(name) == wanted)
            return true;
    }
    return false;
}

bool IsModuleFileLoaded(const ConfigFile& model, const std::string& name, std::int32_t scopeNo)
{
    const std::string wanted = UCase(Trim(name));
    for (Directive* d : loadModuleLines(model, scopeNo)) {
        if (Trim(d->GetParam(1)).empty())
            continue;
        // Quotes around the path are not part of the name.
        std::string file = Trim(d->GetParam(2));
        if (file.size() >= 2 && file.front() == '"' && file.back() == '"')
            file = file.substr(1, file.size() - 2);
        if (UCase(Trim(moduleFileBaseName(file))) == wanted)
            return true;
    }
    return false;
}

std::string ModuleLoadQuestion(const std::string& module)
{
    return UCase(module) + " is to be loaded, Do you wish to load it now ?";
}

bool EnsureModuleLoaded(ConfigFile& model, const std::string& module, std::int32_t scopeNo,
                        const std::function<bool(const std::string& question)>& ask,
                        const std::function<void()>& openModules)
{
    for (;;) {
        if (IsModuleLoaded(model, module, scopeNo))
            return true;
        if (!ask || !ask(ModuleLoadQuestion(module)))
            return false;
        if (openModules)
            openModules();
    }
}

} // namespace corvane
