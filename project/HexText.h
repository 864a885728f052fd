#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// Turns hexadecimal text into a signed 32-bit integer. The last character has
// weight 1 and each place to the left 16 times more; characters that are not
// hexadecimal digits add nothing but take their place. Arithmetic wraps on 32
// bits, so only the last eight characters count ("FFFFFFFF" gives -1).
std::int32_t ParseHex(std::string_view text);

// Upper-case hexadecimal with at least `digits` digits ("1f0" -> "0001F0").
// Negative values are written as their 32-bit two's complement.
std::string FormatHex(std::int32_t value, int digits = 6);

// Reads a whole number the way the runtime's Val does without complaint:
// leading blanks, one sign, "$" (or "0x") for hexadecimal, then digits up to the
// first unsuitable character; no digit gives 0. Saturates at the 32-bit range.
std::int32_t ParseLeadingInt(std::string_view text);

// Strict decimal whole number (blanks around allowed); false if the text is not one.
bool TryParseInt(std::string_view text, std::int32_t& out);

}  // namespace orv
