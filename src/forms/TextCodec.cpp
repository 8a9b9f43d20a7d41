#include "forms/TextCodec.h"

#include <QStringDecoder>

namespace corvane {

bool TextCodec::isUtf8(const std::string& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return !decoder.hasError();
}

QString TextCodec::toQ(const std::string& bytes)
{
    if (isUtf8(bytes))
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string TextCodec::fromQ(const QString& text, const std::string& original)
{
    QString clean = text;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    clean.replace(QChar(0), QLatin1Char(' '));
    bool latin1 = !original.empty() && !isUtf8(original);
    if (latin1)
        for (QChar c : clean)
            if (c.unicode() > 0xFF) {
                latin1 = false;
                break;
            }
    const QByteArray bytes = latin1 ? clean.toLatin1() : clean.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

} // namespace corvane
