#pragma once
// The 6-byte real of the database records: byte 0 the exponent biased by 129
// (0 means the value 0), bytes 1..5 a 39-bit fraction least significant byte
// first, the sign in bit 7 of byte 5.
#include <array>
#include <cstdint>

namespace orv {

using Real48Bytes = std::array<std::uint8_t, 6>;

double DecodeReal48(const Real48Bytes& b);

// Keeps 39 fraction bits and rounds by the first bit dropped (carrying into the
// exponent). Values whose exponent would be 0 or less become six zero bytes;
// an exponent above 255 (or a NaN/infinity) throws EMathError::Overflow.
Real48Bytes EncodeReal48(double value);

}  // namespace orv
