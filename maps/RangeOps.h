#pragma once
// Edits of a rectangle of cells of one map, as the table view offers them: set a
// value, step, multiply, add, interpolate, and the reading of pasted text.
// Only maps of the click-edit types ("N", "M16", "I16") change; cells whose bytes
// lie outside the image are skipped. Every write clamps to the cell type's range
// and says whether it had to.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "maps/CellCodec.h"
#include "maps/Editing.h"

namespace orv {

// Rows [top, top + rows) and columns [left, left + cols), counted from 0.
struct CellRect {
  std::int32_t top = 0, left = 0, rows = 0, cols = 0;
  bool empty() const { return rows <= 0 || cols <= 0; }
};

// The part of `r` that lies in the map.
CellRect ClipToMap(const CellRect& r, const MapLayout& m);

struct RangeOutcome {
  std::int64_t written = 0;  // cells written (also with their old value)
  bool clamped = false;      // some value lay beyond the type's range
};

// Every cell of the rectangle to `value`.
RangeOutcome SetRange(std::span<std::uint8_t> tuning, const MapLayout& m, const CellRect& r, std::int64_t value);
// Every cell stepped from its own value as a click edit steps it.
RangeOutcome StepRange(std::span<std::uint8_t> tuning, const MapLayout& m, const CellRect& r, int step,
                       EditMode mode);
// Every cell times `factor`, rounded to the nearest whole number (halves away from zero).
RangeOutcome MultiplyRange(std::span<std::uint8_t> tuning, const MapLayout& m, const CellRect& r, double factor);
// Every cell plus `amount`, rounded to the nearest whole number (halves away from zero).
RangeOutcome AddRange(std::span<std::uint8_t> tuning, const MapLayout& m, const CellRect& r, double amount);

// Rows: each row from its first to its last cell; Columns: each column from its
// top to its bottom cell; Both: bilinear between the four corners (a rectangle
// of one row or one column falls back to the line it is).
enum class InterpolateMode { Rows, Columns, Both };
// Fills the rectangle linearly between its edge (or corner) cells, rounded to
// the nearest whole number; a line whose end cell lies outside the image stays.
RangeOutcome InterpolateRange(std::span<std::uint8_t> tuning, const MapLayout& m, const CellRect& r,
                              InterpolateMode mode);

// A rectangle of numbers read from pasted text, row by row.
struct PastedBlock {
  std::int32_t rows = 0, cols = 0;
  std::vector<double> values;  // rows * cols
  double at(std::int32_t r, std::int32_t c) const { return values[static_cast<std::size_t>(r) * cols + c]; }
};

struct PasteReading {
  bool ok = false;
  PastedBlock block;
  std::string error;        // German, UTF-8; empty when ok
  std::int32_t row = 0;     // where the problem lies (1-based): in the text, or the map cell
  std::int32_t column = 0;  // the block would start at when it does not fit
};

// Reads lines of numbers separated by tabs or semicolons (as spreadsheets copy
// them; decimal comma or point, blanks around a number allowed; empty lines at
// the end ignored) and checks that the block fits into a map of `mapRows` x
// `mapCols` cells from row `atRow`, column `atCol` (0-based). Refuses text with
// an empty or non-numeric field, rows of unequal length, or a block that does
// not fit, naming the row and column. Linear in the text's length; the text is
// read whole only when it fits.
PasteReading ReadPastedBlock(std::string_view text, std::int32_t mapRows, std::int32_t mapCols, std::int32_t atRow,
                             std::int32_t atCol);

// Writes the block with its top left cell at (atRow, atCol), each value rounded
// to the nearest whole number.
RangeOutcome PasteRange(std::span<std::uint8_t> tuning, const MapLayout& m, std::int32_t atRow, std::int32_t atCol,
                        const PastedBlock& block);

// The rectangle's values as lines of tab-separated numbers, each line ended by
// "\n"; a cell outside the image gives an empty field.
std::string CopyRangeText(std::span<const std::uint8_t> image, const MapLayout& m, const CellRect& r);

}  // namespace orv
