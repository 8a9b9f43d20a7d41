#include "catalogue/CatalogueChecksum.h"

#include "catalogue/CatalogueText.h"
#include "catalogue/Crc32.h"
#include "catalogue/CatalogueChecksumValue.h" // generated at build time

#include <QFile>

#include <array>
#include <cstdio>

namespace corvane {

std::string catalogueCrc32Text(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    Crc32 crc;
    std::array<char, 8192> block;
    while (true) {
        const qint64 n = file.read(block.data(), static_cast<qint64>(block.size()));
        if (n < 0)
            return {};
        if (n == 0)
            break;
        crc.update(block.data(), static_cast<std::size_t>(n));
    }
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(crc.value()));
    return text;
}

bool CheckCatalogueChecksum(const std::string& path, const std::string& expected)
{
    const std::string actual = catalogueCrc32Text(path);
    return !actual.empty() && actual == cataloguetext::trimBlanks(expected);
}

std::string builtInCatalogueChecksum()
{
    return kBuiltInCatalogueChecksum;
}

bool CheckCatalogueChecksum(const std::string& path)
{
    return CheckCatalogueChecksum(path, builtInCatalogueChecksum());
}

} // namespace corvane
