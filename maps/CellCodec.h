#pragma once
// How a value is stored in an image: the cell types, their byte orders and the
// read / clamped write / copy operations. Nothing is ever read or written outside
// an image: an operation on bytes beyond its end (or with no image) does nothing.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace orv {

enum class CellType { None, N, M16, I16, M32, I32, Unknown };

// Exact, case-sensitive: "K", "N", "M16", "I16", "M32", "I32"; anything else Unknown.
CellType CellTypeFromCode(std::string_view code);
// 1, 2 or 4 bytes; 0 for "K" and unknown codes.
int CellWidth(CellType t);
// Types the map functions (drawing, editing, single-value reset) work on.
inline bool IsMapEditType(CellType t) { return t == CellType::N || t == CellType::M16 || t == CellType::I16; }

// Smallest and largest value a cell holds: 0..255, 0..65535, 0..2147483647
// unsigned; -128..127, -32768..32767, -2^31..2^31-1 signed (two's complement of
// the same width). {0, 0} for types without cells.
struct ValueRange {
  std::int64_t lo = 0, hi = 0;
};
ValueRange CellRange(CellType t, bool isSigned = false);

// Value at a byte offset; nothing for "K", unknown types or bytes outside the image.
// Signed cells read as two's complement of their width.
std::optional<std::int64_t> ReadValue(std::span<const std::uint8_t> image, std::int64_t offset, CellType t,
                                      bool isSigned = false);
// Clamps to CellRange and stores in the type's byte order.
// Returns false when nothing was written.
bool WriteValue(std::span<std::uint8_t> image, std::int64_t offset, CellType t, std::int64_t value,
                bool isSigned = false);
// Copies the value's bytes from the original into the tuning image at the same offset.
bool CopyValue(std::span<const std::uint8_t> original, std::span<std::uint8_t> tuning, std::int64_t offset, CellType t);

// Where a map lies: start offset, columns, rows and cell type.
struct MapLayout {
  std::int64_t start = 0;
  std::int32_t xdim = 0;
  std::int32_t ydim = 0;
  CellType type = CellType::Unknown;
  bool isSigned = false;  // cells are two's complement of their width

  std::int64_t cells() const { return xdim > 0 && ydim > 0 ? std::int64_t{xdim} * ydim : 0; }
  // Offset of cell index i (1-based, row by row).
  std::int64_t CellOffset(std::int64_t i) const { return start + std::int64_t{CellWidth(type)} * (i - 1); }
};

std::optional<std::int64_t> ReadCell(std::span<const std::uint8_t> image, const MapLayout& m, std::int64_t cell);
bool WriteCell(std::span<std::uint8_t> tuning, const MapLayout& m, std::int64_t cell, std::int64_t value);
bool CopyCell(std::span<const std::uint8_t> original, std::span<std::uint8_t> tuning, const MapLayout& m,
              std::int64_t cell);

}  // namespace orv
