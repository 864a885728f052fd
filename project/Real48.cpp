#include "project/Real48.h"

#include <cmath>

#include "project/Errors.h"

namespace orv {

namespace {
constexpr std::uint64_t kFractionBits = 39;
constexpr std::uint64_t kFractionOne = std::uint64_t{1} << kFractionBits;
}  // namespace

double DecodeReal48(const Real48Bytes& b) {
  const int e = b[0];
  if (e == 0) return 0.0;
  const std::uint64_t f = std::uint64_t{b[1]} | (std::uint64_t{b[2]} << 8) | (std::uint64_t{b[3]} << 16) |
                          (std::uint64_t{b[4]} << 24) | (std::uint64_t{b[5] & 0x7Fu} << 32);
  const double mantissa = 1.0 + static_cast<double>(f) / static_cast<double>(kFractionOne);
  const double v = std::ldexp(mantissa, e - 129);
  return (b[5] & 0x80u) ? -v : v;
}

Real48Bytes EncodeReal48(double value) {
  Real48Bytes out{};
  if (std::isnan(value) || std::isinf(value)) throw EMathError::Overflow();
  if (value == 0.0) return out;
  const bool negative = value < 0;
  int k = 0;
  const double m = std::frexp(std::fabs(value), &k);  // m in [0.5, 1)
  // value = (2m) * 2^(k-1) with 2m in [1, 2)
  int e = k - 1 + 129;
  // 40 bits below the leading one: 39 kept and the first one dropped.
  const double scaled = std::ldexp(2.0 * m - 1.0, kFractionBits + 1);
  std::uint64_t bits = static_cast<std::uint64_t>(scaled);  // exact floor, scaled < 2^40
  std::uint64_t f = bits >> 1;
  if (bits & 1u) ++f;
  if (f == kFractionOne) {
    f = 0;
    ++e;
  }
  if (e <= 0) return out;
  if (e > 255) throw EMathError::Overflow();
  out[0] = static_cast<std::uint8_t>(e);
  for (int i = 0; i < 5; ++i) out[1 + i] = static_cast<std::uint8_t>((f >> (8 * i)) & 0xFFu);
  out[5] = static_cast<std::uint8_t>((out[5] & 0x7Fu) | (negative ? 0x80u : 0u));
  return out;
}

}  // namespace orv
