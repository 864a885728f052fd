#include "project/Text.h"

#include <array>
#include <cstdint>

namespace orv {
namespace {

// Code points of the bytes 0x80..0x9F; 0 where Windows-1252 leaves the byte unused
// (those bytes map to the C1 control of the same number).
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t CodePointOf(unsigned char b) {
  if (b >= 0x80 && b < 0xA0) {
    const char32_t c = kHigh[b - 0x80];
    return c ? c : b;
  }
  return b;
}


char ByteOf(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == c || (kHigh[i] == 0 && c == static_cast<char32_t>(0x80 + i)))
      return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (unsigned char b : bytes) AppendUtf8(out, CodePointOf(b));
  return out;
}

bool NextUtf8(std::string_view s, std::size_t& i, char32_t& c) {
  const auto b = static_cast<unsigned char>(s[i]);
  int extra = 0;
  if (b < 0x80) { c = b; }
  else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; extra = 1; }
  else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
  else if ((b & 0xF8) == 0xF0) { c = b & 0x07; extra = 3; }
  else { ++i; return false; }
  for (int k = 1; k <= extra; ++k) {
    const std::size_t at = i + static_cast<std::size_t>(k);
    if (at >= s.size() || (static_cast<unsigned char>(s[at]) & 0xC0) != 0x80) { ++i; return false; }
    c = (c << 6) | (static_cast<unsigned char>(s[at]) & 0x3F);
  }
  i += static_cast<std::size_t>(extra) + 1;
  return true;
}

std::string Utf8ToCp1252(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  char32_t c = 0;
  while (i < s.size()) out += NextUtf8(s, i, c) ? ByteOf(c) : '?';
  return out;
}

}  // namespace orv
