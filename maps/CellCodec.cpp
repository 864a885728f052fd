#include "maps/CellCodec.h"

#include <algorithm>

namespace orv {

CellType CellTypeFromCode(std::string_view c) {
  if (c == "K") return CellType::None;
  if (c == "N") return CellType::N;
  if (c == "M16") return CellType::M16;
  if (c == "I16") return CellType::I16;
  if (c == "M32") return CellType::M32;
  if (c == "I32") return CellType::I32;
  return CellType::Unknown;
}

int CellWidth(CellType t) {
  switch (t) {
    case CellType::N: return 1;
    case CellType::M16:
    case CellType::I16: return 2;
    case CellType::M32:
    case CellType::I32: return 4;
    default: return 0;
  }
}

namespace {
bool Inside(std::size_t size, std::int64_t offset, int width) {
  return width > 0 && offset >= 0 && offset + width <= static_cast<std::int64_t>(size);
}
}  // namespace

ValueRange CellRange(CellType t, bool isSigned) {
  switch (CellWidth(t)) {
    case 1: return isSigned ? ValueRange{-128, 127} : ValueRange{0, 255};
    case 2: return isSigned ? ValueRange{-32768, 32767} : ValueRange{0, 65535};
    case 4: return isSigned ? ValueRange{INT32_MIN, INT32_MAX} : ValueRange{0, INT32_MAX};
    default: return {};
  }
}

std::optional<std::int64_t> ReadValue(std::span<const std::uint8_t> img, std::int64_t off, CellType t,
                                      bool isSigned) {
  const int w = CellWidth(t);
  if (!Inside(img.size(), off, w)) return std::nullopt;
  const auto* b = img.data() + off;
  switch (t) {
    case CellType::N: return isSigned ? std::int64_t{static_cast<std::int8_t>(b[0])} : std::int64_t{b[0]};
    case CellType::M16:
    case CellType::I16: {
      const int u = t == CellType::M16 ? b[0] * 256 + b[1] : b[1] * 256 + b[0];
      return isSigned ? std::int64_t{static_cast<std::int16_t>(u)} : std::int64_t{u};
    }
    case CellType::M32: {
      const std::uint32_t u = (std::uint32_t{b[2]} << 24) | (std::uint32_t{b[3]} << 16) | (std::uint32_t{b[0]} << 8) | b[1];
      return static_cast<std::int32_t>(u);  // 32-bit cells read as signed either way
    }
    case CellType::I32: {
      const std::uint32_t u = (std::uint32_t{b[3]} << 24) | (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[1]} << 8) | b[0];
      return static_cast<std::int32_t>(u);
    }
    default: return std::nullopt;
  }
}

bool WriteValue(std::span<std::uint8_t> img, std::int64_t off, CellType t, std::int64_t value, bool isSigned) {
  const int w = CellWidth(t);
  if (!Inside(img.size(), off, w)) return false;
  auto* b = img.data() + off;
  const ValueRange range = CellRange(t, isSigned);
  // The clamped value's two's complement bits of the cell's width.
  const auto bits = static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::clamp(value, range.lo, range.hi)));
  switch (t) {
    case CellType::N: b[0] = static_cast<std::uint8_t>(bits & 0xFF); return true;
    case CellType::M16:
    case CellType::I16: {
      const std::uint32_t v = bits & 0xFFFF;
      const auto hi = static_cast<std::uint8_t>(v / 256), lo = static_cast<std::uint8_t>(v % 256);
      b[0] = t == CellType::M16 ? hi : lo;
      b[1] = t == CellType::M16 ? lo : hi;
      return true;
    }
    case CellType::M32:
    case CellType::I32: {
      const std::uint32_t v = bits;
      const std::uint8_t v0 = v & 0xFF, v1 = (v >> 8) & 0xFF, v2 = (v >> 16) & 0xFF, v3 = (v >> 24) & 0xFF;
      if (t == CellType::M32) {
        b[0] = v1; b[1] = v0; b[2] = v3; b[3] = v2;
      } else {
        b[0] = v0; b[1] = v1; b[2] = v2; b[3] = v3;
      }
      return true;
    }
    default: return false;
  }
}

bool CopyValue(std::span<const std::uint8_t> orig, std::span<std::uint8_t> tun, std::int64_t off, CellType t) {
  const int w = CellWidth(t);
  if (!Inside(orig.size(), off, w) || !Inside(tun.size(), off, w)) return false;
  std::copy_n(orig.data() + off, w, tun.data() + off);
  return true;
}

std::optional<std::int64_t> ReadCell(std::span<const std::uint8_t> img, const MapLayout& m, std::int64_t cell) {
  if (cell < 1 || cell > m.cells()) return std::nullopt;
  return ReadValue(img, m.CellOffset(cell), m.type, m.isSigned);
}

bool WriteCell(std::span<std::uint8_t> tun, const MapLayout& m, std::int64_t cell, std::int64_t value) {
  if (cell < 1 || cell > m.cells()) return false;
  return WriteValue(tun, m.CellOffset(cell), m.type, value, m.isSigned);
}

bool CopyCell(std::span<const std::uint8_t> orig, std::span<std::uint8_t> tun, const MapLayout& m, std::int64_t cell) {
  if (cell < 1 || cell > m.cells()) return false;
  return CopyValue(orig, tun, m.CellOffset(cell), m.type);
}

}  // namespace orv
