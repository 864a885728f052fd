#include "maps/RevLimiter.h"

#include <cctype>
#include <cmath>
#include <iterator>

#include "maps/CellFormat.h"
#include "project/Catalogue.h"
#include "project/Errors.h"
#include "project/HexText.h"
#include "project/NumberText.h"
#include "project/Real48.h"

namespace orv {

RevLimiter RevLimiterFromRecord(const TDatensatz& rec, const std::string& systemcode) {
  RevLimiter l;
  l.offset = ScaleAddress(ParseHex(rec.get(fld::Anfangsadresse)), systemcode);
  l.type = CellTypeFromCode(rec.get(fld::KennfeldTyp));
  l.faktor = rec.get(fld::Faktor);
  l.isSigned = ReadCellFormatMarks(rec).marks.signedCells;
  return l;
}

std::int64_t ShownLimit(double faktor, std::int64_t raw) {
  const double p = std::trunc(faktor * static_cast<double>(raw));
  // 2^63 is exactly representable; anything at or beyond it is no int64.
  if (!(p >= -9223372036854775808.0 && p < 9223372036854775808.0)) throw EMathError::InvalidOperation();
  return static_cast<std::int64_t>(p);
}

std::int32_t RawFromEntry(std::int32_t entry, double faktor) {
  if (std::isnan(faktor)) throw EMathError::InvalidOperation();
  if (faktor == 0.0) {
    if (entry == 0) throw EMathError::InvalidOperation();  // 0 / 0
    throw EMathError::DivisionByZero();
  }
  const double q = static_cast<double>(entry) / faktor;
  if (std::isinf(q)) throw EMathError::Overflow();
  const double t = std::trunc(q);
  if (t < -2147483648.0 || t > 2147483647.0) throw EMathError::InvalidOperation();
  return static_cast<std::int32_t>(t);
}

std::optional<std::string> LimitText(const RevLimiter& l, std::span<const std::uint8_t> tuning) {
  if (l.type == CellType::None) return std::string("Keiner");
  const auto raw = ReadValue(tuning, l.offset, l.type, l.isSigned);
  if (!raw) return std::nullopt;
  return std::to_string(ShownLimit(l.faktor, *raw));
}

bool StoreLimit(std::span<std::uint8_t> tuning, const RevLimiter& l, std::string_view entryText) {
  const std::int32_t raw = RawFromEntry(ParseLeadingInt(entryText), l.faktor);
  return WriteValue(tuning, l.offset, l.type, raw, l.isSigned);
}

int LimiterTypeIndex(std::string_view code) {
  for (int i = 0; i < static_cast<int>(std::size(kLimiterTypes)); ++i)
    if (code == kLimiterTypes[i].code) return i;
  return -1;
}

namespace {
std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}
}  // namespace

std::optional<double> ParseFactorText(std::string_view text) {
  double v = 0.0;
  if (!ParseDecimal(text, v) || !(v > 0.0)) return std::nullopt;
  try {
    if (DecodeReal48(EncodeReal48(v)) <= 0.0) return std::nullopt;  // too small: would be stored as 0
  } catch (const EMathError&) {
    return std::nullopt;  // too large for a 6-byte real
  }
  return v;
}

bool IsHexAddressText(std::string_view text) {
  const std::string_view s = TrimBlanks(text);
  if (s.empty() || s.size() > 6) return false;
  for (const char c : s)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace orv
