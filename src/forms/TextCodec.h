#pragma once
// The GUI boundary of the model's bytes: values are shown decoded as UTF-8
// when they are valid UTF-8, otherwise as Latin-1, and what the user typed
// goes back in the encoding the value had.
#include <QString>
#include <string>

namespace corvane {

class TextCodec
{
public:
    static bool isUtf8(const std::string& bytes);
    static QString toQ(const std::string& bytes);
    // Text for the model. Line breaks become blanks (a directive is one
    // line). Written as Latin-1 when `original` was not UTF-8 and the text
    // fits Latin-1, else as UTF-8.
    static std::string fromQ(const QString& text, const std::string& original = {});
};

} // namespace corvane
