#include "project/Record.h"

#include <algorithm>
#include <cstring>

#include "project/Real48.h"

namespace orv {

std::string TDatensatz::get(ShortStringField f) const {
  const int n = std::min<int>(bytes[f.offset], f.capacity);
  return std::string(reinterpret_cast<const char*>(bytes.data() + f.offset + 1), static_cast<std::size_t>(n));
}

void TDatensatz::set(ShortStringField f, std::string_view text) {
  const int n = std::min<int>(static_cast<int>(text.size()), f.capacity);
  bytes[f.offset] = static_cast<std::uint8_t>(n);
  std::memcpy(bytes.data() + f.offset + 1, text.data(), static_cast<std::size_t>(n));
}

std::int32_t TDatensatz::get(Int32Field f) const {
  const std::uint32_t u = std::uint32_t{bytes[f.offset]} | (std::uint32_t{bytes[f.offset + 1]} << 8) |
                          (std::uint32_t{bytes[f.offset + 2]} << 16) | (std::uint32_t{bytes[f.offset + 3]} << 24);
  return static_cast<std::int32_t>(u);
}

void TDatensatz::set(Int32Field f, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) bytes[f.offset + i] = static_cast<std::uint8_t>((u >> (8 * i)) & 0xFFu);
}

double TDatensatz::get(RealField f) const {
  Real48Bytes b;
  std::copy_n(bytes.begin() + f.offset, 6, b.begin());
  return DecodeReal48(b);
}

void TDatensatz::set(RealField f, double v) {
  const Real48Bytes b = EncodeReal48(v);
  std::copy(b.begin(), b.end(), bytes.begin() + f.offset);
}

}  // namespace orv
