#pragma once
// Text helpers of the console: the model keeps bytes, the widgets show
// QString. Bytes are shown as UTF-8 when they are valid UTF-8, otherwise as
// Latin-1, and what the user types is written back as UTF-8.
#include <QString>

#include <string>

namespace corvane::snapin {

QString toDisplay(const std::string& bytes);
std::string fromDisplay(const QString& text);

// Blanks (U+0020) removed from both ends; tabs are kept.
std::string trimBlanks(const std::string& text);
QString trimBlanks(const QString& text);
// Every double quote removed.
std::string removeQuotes(const std::string& text);
QString removeQuotes(const QString& text);

} // namespace corvane::snapin
