#include "snapin/NodeText.h"

#include <QStringDecoder>

namespace corvane::snapin {

QString toDisplay(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string fromDisplay(const QString& text)
{
    return text.toStdString();
}

std::string trimBlanks(const std::string& text)
{
    const auto b = text.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    const auto e = text.find_last_not_of(' ');
    return text.substr(b, e - b + 1);
}

QString trimBlanks(const QString& text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text.at(b) == u' ')
        ++b;
    while (e > b && text.at(e - 1) == u' ')
        --e;
    return text.mid(b, e - b);
}

std::string removeQuotes(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '"')
            out.push_back(c);
    }
    return out;
}

QString removeQuotes(const QString& text)
{
    QString out = text;
    out.remove(u'"');
    return out;
}

} // namespace corvane::snapin
