// Conversion between the program's UTF-8 text and the WIN1252 character set
// the database connection uses.
#pragma once

#include <string>
#include <string_view>

namespace db {

// Throws EDatabaseError naming the first character WIN1252 cannot hold, and
// for text that is not valid UTF-8.
std::string Utf8ToWin1252(std::string_view AText);
std::string Win1252ToUtf8(std::string_view AText);
// True when every character of the UTF-8 text exists in WIN1252.
bool FitsWin1252(std::string_view AText);

}  // namespace db
