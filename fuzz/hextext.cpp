// Fuzzes the text conversions: hexadecimal text both ways, the lenient and the
// strict whole-number readers, decimal numbers in general notation and the
// Windows-1252 <-> UTF-8 conversion.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "project/HexText.h"
#include "project/NumberText.h"
#include "project/Text.h"

using namespace orv;

namespace {

// The hexadecimal reading as the file format defines it, written out plainly.
std::int32_t ReferenceHex(const std::string& s) {
  std::uint32_t sum = 0, weight = 1;
  for (auto it = s.rbegin(); it != s.rend(); ++it) {
    const char c = *it;
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (d >= 0) sum += static_cast<std::uint32_t>(d) * weight;
    weight *= 16;
  }
  return static_cast<std::int32_t>(sum);
}

bool Unused1252(unsigned char b) { return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::int32_t value = in.ConsumeIntegral<std::int32_t>();
  const int digits = in.ConsumeIntegralInRange<int>(0, 12);
  const std::string text = in.ConsumeRemainingBytesAsString();

  // Hexadecimal text.
  FUZZ_CHECK(ParseHex(text) == ReferenceHex(text));
  const std::string hex = FormatHex(value, digits);
  FUZZ_CHECK(hex.size() >= static_cast<std::size_t>(digits));
  for (char c : hex) FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
  FUZZ_CHECK(ParseHex(hex) == value);

  // Whole numbers.
  (void)ParseLeadingInt(text);
  const std::string dec = std::to_string(value);
  FUZZ_CHECK(ParseLeadingInt(dec) == value);
  std::int32_t strict = 0;
  FUZZ_CHECK(TryParseInt(dec, strict) && strict == value);
  if (TryParseInt(text, strict)) FUZZ_CHECK(ParseLeadingInt(text) == strict);

  // Decimal numbers: what general notation writes reads back to 15 digits.
  double d = 0;
  if (ParseDecimal(text, d)) {
    FUZZ_CHECK(std::isfinite(d));
    for (char sep : {',', '.'}) {
      const std::string shown = FormatGeneral(d, sep);
      double back = 0;
      FUZZ_CHECK(ParseDecimal(shown, back));
      FUZZ_CHECK(std::fabs(back - d) <= std::fabs(d) * 1e-14);
    }
  }

  // Windows-1252: every used byte survives the way through UTF-8.
  const std::string utf8 = Cp1252ToUtf8(text);
  const std::string back = Utf8ToCp1252(utf8);
  FUZZ_CHECK(back.size() == text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!Unused1252(static_cast<unsigned char>(text[i]))) FUZZ_CHECK(back[i] == text[i]);
  // Any byte sequence read as UTF-8 gives at most one byte per input byte.
  FUZZ_CHECK(Utf8ToCp1252(text).size() <= text.size());
  return 0;
}
