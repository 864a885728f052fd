#pragma once
// Texts in database files are single-byte Windows-1252; the program works in UTF-8.
#include <string>
#include <string_view>

namespace orv {

std::string Cp1252ToUtf8(std::string_view bytes);
// Characters with no Windows-1252 byte become '?'.
std::string Utf8ToCp1252(std::string_view utf8);
// Appends the UTF-8 bytes of one code point (at most 0x10FFFF).
void AppendUtf8(std::string& out, char32_t c);
// Reads the code point at s[i] into c and moves i past it. A byte that starts
// no well-formed sequence gives false; i then moves past that byte alone.
bool NextUtf8(std::string_view s, std::size_t& i, char32_t& c);

}  // namespace orv
