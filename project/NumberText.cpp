#include "project/NumberText.h"

#include <cmath>
#include <cstdio>
#include <charconv>
#include <cstdlib>
#include <system_error>

namespace orv {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}
}  // namespace

std::string FormatGeneral(double value, char decimalSeparator) {
  if (value == 0.0) return "0";  // also -0
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  // "%g" writes "1e+20" / "5e-05"; the program writes "1E20" / "5E-5".
  std::string out;
  std::string_view s(buf);
  const std::size_t e = s.find('e');
  std::string_view mant = s.substr(0, e);
  for (char c : mant) out += c == '.' ? decimalSeparator : c;
  if (e != std::string_view::npos) {
    std::string_view ex = s.substr(e + 1);
    out += 'E';
    if (!ex.empty() && (ex.front() == '+' || ex.front() == '-')) {
      if (ex.front() == '-') out += '-';
      ex.remove_prefix(1);
    }
    while (ex.size() > 1 && ex.front() == '0') ex.remove_prefix(1);
    out += ex;
  }
  return out;
}


bool ParseDecimal(std::string_view text, double& out) {
  const std::string_view s = Trim(text);
  std::string norm;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') norm += '-';
    ++i;
  }
  int digits = 0;
  while (i < s.size() && IsDigit(s[i])) {
    norm += s[i++];
    ++digits;
  }
  if (i < s.size() && (s[i] == ',' || s[i] == '.')) {
    norm += '.';
    ++i;
    while (i < s.size() && IsDigit(s[i])) {
      norm += s[i++];
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    norm += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) norm += s[i++];
    int expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) {
      norm += s[i++];
      ++expDigits;
    }
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;
  double v = 0;
  const auto r = std::from_chars(norm.data(), norm.data() + norm.size(), v);
  if (r.ec != std::errc() || r.ptr != norm.data() + norm.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}


}  // namespace orv
