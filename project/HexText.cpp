#include "project/HexText.h"

#include <cstdio>

namespace orv {

std::int32_t ParseHex(std::string_view text) {
  std::uint32_t sum = 0;
  std::uint32_t weight = 1;
  for (std::size_t k = text.size(); k-- > 0;) {
    const char c = text[k];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (digit >= 0) sum += static_cast<std::uint32_t>(digit) * weight;
    weight *= 16u;
    if (weight == 0) break;  // nothing further left can count
  }
  return static_cast<std::int32_t>(sum);
}

std::string FormatHex(std::int32_t value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*X", digits, static_cast<unsigned>(static_cast<std::uint32_t>(value)));
  return buf;
}

std::int32_t ParseLeadingInt(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  std::int64_t v = 0;
  constexpr std::int64_t kLimit = std::int64_t{1} << 32;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (d < 0) break;
    v = v * (hex ? 16 : 10) + d;
    if (v > kLimit) v = kLimit;
  }
  if (hex && !negative && v <= 0xFFFFFFFFll) return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  if (negative) v = -v;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(v);
}

bool TryParseInt(std::string_view s, std::int32_t& out) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (s.empty()) return false;
  std::size_t i = 0;
  bool negative = false;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    i = 1;
  }
  if (i >= s.size()) return false;
  std::int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > std::int64_t{INT32_MAX} + 1) return false;
  }
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return false;
  out = static_cast<std::int32_t>(v);
  return true;
}

}  // namespace orv
