// Fuzzes the 6-byte real: every encoding with a non-zero exponent decodes to a
// number that encodes back to the same six bytes; any double either encodes to
// the nearest 6-byte real or fails with the overflow error for values beyond it.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "project/Errors.h"
#include "project/Real48.h"

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= 6) {
    Real48Bytes b;
    std::memcpy(b.data(), data, 6);
    const double v = DecodeReal48(b);
    FUZZ_CHECK(std::isfinite(v));
    if (b[0] == 0) {
      FUZZ_CHECK(v == 0.0);
    } else {
      Real48Bytes again{};
      try {
        again = EncodeReal48(v);
      } catch (const EMathError&) {
        FUZZ_CHECK(false);  // every stored value fits
      }
      FUZZ_CHECK(again == b);
      FUZZ_CHECK(DecodeReal48(again) == v);
    }
  }
  if (size >= 14) {
    double d;
    std::memcpy(&d, data + 6, sizeof d);
    // 1.7e38 is about the largest 6-byte real (exponent 255).
    const double largest = std::ldexp(2.0 - std::ldexp(1.0, -39), 126);
    try {
      const Real48Bytes e = EncodeReal48(d);
      FUZZ_CHECK(std::isfinite(d));
      const double back = DecodeReal48(e);
      if (e[0] == 0) {
        FUZZ_CHECK(std::fabs(d) < std::ldexp(1.0, -128));  // only values that vanish become 0
      } else {
        FUZZ_CHECK(std::signbit(back) == std::signbit(d));
        FUZZ_CHECK(std::fabs(back - d) <= std::fabs(d) * std::ldexp(1.0, -40));
        FUZZ_CHECK(std::fabs(back) <= largest);
      }
    } catch (const EMathError&) {
      FUZZ_CHECK(!std::isfinite(d) || std::fabs(d) >= largest);
    }
  }
  return 0;
}
