#include "registry/RegistryProcedures.h"

#include "registry/IniFile.h"
#include "registry/RegistryKeys.h"

#include <QFileInfo>

#include <array>

namespace corvane {

std::string TrimBlanks(const std::string& text)
{
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos)
        return std::string();
    return text.substr(b, text.find_last_not_of(' ') - b + 1);
}

std::string ReadIniValue(const std::string& section, const std::string& key, const QString& iniPath)
{
    if (iniPath.isEmpty())
        return std::string();
    return IniFile(iniPath).readValue(section, key);
}

std::string GetServerApacheVersion(const std::string& server, const QString& iniPath, const std::string& key)
{
    const std::string name = TrimBlanks(server);
    if (name == registry::kSampleServerName)
        return registry::kSampleApacheVersion;
    QString path = iniPath;
    while (path.startsWith(QLatin1Char(' ')))
        path.remove(0, 1);
    while (path.endsWith(QLatin1Char(' ')))
        path.chop(1);
    return ReadIniValue(name, key, path);
}

std::string GetServerOsType(const AppFolder& folder, const std::string& server)
{
    return ReadIniValue(TrimBlanks(server), registry::OS_TYPE, folder.iniPath());
}

bool GetServerNormalizeLayout(const AppFolder& folder, const std::string& server)
{
    return TrimBlanks(ReadIniValue(TrimBlanks(server), registry::NORMALIZE_LAYOUT, folder.iniPath())) == "1";
}

bool NormalizeLayoutForWorkingCopy(const AppFolder& folder, const std::string& workingCopyPath)
{
    // <folder>/<server>/WorkArea/httpd.conf
    const std::string prefix = folder.path().toStdString() + "/";
    const std::string tail = std::string("/") + registry::kWorkAreaFolder + "/" + registry::kWorkingCopyName;
    if (workingCopyPath.size() <= prefix.size() + tail.size() || workingCopyPath.rfind(prefix, 0) != 0 ||
        workingCopyPath.compare(workingCopyPath.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    const std::string server =
        workingCopyPath.substr(prefix.size(), workingCopyPath.size() - prefix.size() - tail.size());
    return GetServerNormalizeLayout(folder, server);
}

bool HasServerSections(const AppFolder& folder)
{
    return !IniFile(folder.iniPath()).sectionNames().empty();
}

bool SampleServerExists(const AppFolder& folder)
{
    return QFileInfo(folder.workingCopyPath(registry::kSampleServerName)).isFile();
}

bool FolderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

namespace {

// The substitution table: byte b is stored as kFirst[v % 7], kSecond[(v / 7) % 7],
// kThird[v / 49] with v a fixed permutation of b. All three alphabets are
// printable characters an ini value keeps as they are.
constexpr char kFirst[] = "KqZ4wTe";
constexpr char kSecond[] = "m7RxbH2";
constexpr char kThird[] = "gPuN9sLd";

unsigned permute(unsigned b)
{
    return (b * 167u + 89u) & 0xFFu;
}

const std::array<int, 256>& inverse()
{
    static const std::array<int, 256> table = [] {
        std::array<int, 256> t{};
        for (unsigned b = 0; b < 256; ++b)
            t[permute(b)] = int(b);
        return t;
    }();
    return table;
}

int indexIn(const char* alphabet, char c)
{
    for (int i = 0; alphabet[i]; ++i) {
        if (alphabet[i] == c)
            return i;
    }
    return -1;
}

} // namespace

std::string EncodePassword(const std::string& password)
{
    std::string out;
    out.reserve(password.size() * 3);
    for (unsigned char c : password) {
        const unsigned v = permute(c);
        out += kFirst[v % 7];
        out += kSecond[(v / 7) % 7];
        out += kThird[v / 49];
    }
    return out;
}

std::string DecodePassword(const std::string& scrambled)
{
    std::string out;
    for (size_t i = 0; i + 3 <= scrambled.size(); i += 3) {
        const int a = indexIn(kFirst, scrambled[i]);
        const int b = indexIn(kSecond, scrambled[i + 1]);
        const int c = indexIn(kThird, scrambled[i + 2]);
        if (a < 0 || b < 0 || c < 0)
            continue;
        const int v = a + 7 * b + 49 * c;
        if (v > 255)
            continue;
        out += char(inverse()[size_t(v)]);
    }
    return out;
}

} // namespace corvane
