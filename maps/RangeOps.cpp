#include "maps/RangeOps.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "project/NumberText.h"

namespace orv {

namespace {

std::int64_t CellIndex(const MapLayout& m, std::int64_t row, std::int64_t col) { return row * m.xdim + col + 1; }

// Writes one value, clamped to the type's range, and notes the clamping.
void Store(std::span<std::uint8_t> tuning, const MapLayout& m, std::int64_t cell, std::int64_t value,
           RangeOutcome& out) {
  const ValueRange range = CellRange(m.type, m.isSigned);
  if (!WriteCell(tuning, m, cell, value)) return;
  ++out.written;
  if (value < range.lo || value > range.hi) out.clamped = true;
}

// A computed real as a whole number, halves away from zero; a value beyond the
// cell's range is pinned just outside it so Store clamps and notes it.
std::optional<std::int64_t> Rounded(double v, const MapLayout& m) {
  if (std::isnan(v)) return std::nullopt;
  const ValueRange range = CellRange(m.type, m.isSigned);
  const double r = std::round(v);
  if (r < static_cast<double>(range.lo)) return range.lo - 1;
  if (r > static_cast<double>(range.hi)) return range.hi + 1;
  return static_cast<std::int64_t>(r);
}

// Runs `f(cell, value)` over every cell of the clipped rectangle that can be read.
template <typename F>
RangeOutcome ForEachCell(std::span<std::uint8_t> tuning, const MapLayout& m, const CellRect& r, F&& f) {
  RangeOutcome out;
  if (!IsMapEditType(m.type)) return out;
  const CellRect c = ClipToMap(r, m);
  for (std::int64_t row = c.top; row < c.top + c.rows; ++row)
    for (std::int64_t col = c.left; col < c.left + c.cols; ++col) {
      const std::int64_t cell = CellIndex(m, row, col);
      const auto v = ReadCell(tuning, m, cell);
      if (!v) continue;
      if (const auto nv = f(*v)) Store(tuning, m, cell, *nv, out);
    }
  return out;
}

// n / d rounded to the nearest whole number, halves away from zero (d > 0).
std::int64_t DivRound(std::int64_t n, std::int64_t d) {
  return n >= 0 ? (2 * n + d) / (2 * d) : -((-2 * n + d) / (2 * d));
}

// A line from cell a to cell b (the cells between them, `count` steps apart).
void FillLine(std::span<std::uint8_t> tuning, const MapLayout& m, std::int64_t a, std::int64_t b,
              std::int64_t stride, std::int64_t count, RangeOutcome& out) {
  if (count < 2) return;
  const auto va = ReadCell(tuning, m, a), vb = ReadCell(tuning, m, b);
  if (!va || !vb) return;
  for (std::int64_t k = 1; k < count; ++k) {
    const std::int64_t cell = a + k * stride;
    if (!ReadCell(tuning, m, cell)) continue;
    Store(tuning, m, cell, DivRound(*va * (count - k) + *vb * k, count), out);
  }
}

std::string Num(std::int64_t v) { return std::to_string(v); }

// At most 20 characters of a field for a message, control characters as blanks.
std::string Excerpt(std::string_view s) {
  std::string out;
  int chars = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const bool continuation = (b & 0xC0) == 0x80;
    if (!continuation && ++chars > 20) {
      out += "…";
      break;
    }
    out += b < 0x20 || b == 0x7F ? ' ' : s[i];
  }
  return out;
}

bool IsSeparator(char c) { return c == '\t' || c == ';'; }
bool IsBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return IsSeparator(c) || c == ' '; });
}

// Calls f(line) for each line of the text, without its line end ("\n", "\r\n" or "\r").
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t i = std::min(text.find_first_of("\r\n", start), text.size());
    if (!f(text.substr(start, i - start))) return;
    start = i + (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n' ? 2 : 1);
  }
}

}  // namespace

CellRect ClipToMap(const CellRect& r, const MapLayout& m) {
  const std::int64_t top = std::max<std::int64_t>(r.top, 0), left = std::max<std::int64_t>(r.left, 0);
  const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{r.top} + r.rows, m.ydim);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{r.left} + r.cols, m.xdim);
  if (m.cells() == 0 || r.empty() || bottom <= top || right <= left) return {};
  return {static_cast<std::int32_t>(top), static_cast<std::int32_t>(left), static_cast<std::int32_t>(bottom - top),
          static_cast<std::int32_t>(right - left)};
}

RangeOutcome SetRange(std::span<std::uint8_t> tuning, const MapLayout& m, const CellRect& r, std::int64_t value) {
  return ForEachCell(tuning, m, r, [&](std::int64_t) { return std::optional<std::int64_t>(value); });
}

RangeOutcome StepRange(std::span<std::uint8_t> tuning, const MapLayout& m, const CellRect& r, int step,
                       EditMode mode) {
  return ForEachCell(tuning, m, r,
                     [&](std::int64_t v) { return std::optional<std::int64_t>(SteppedValue(v, step, mode)); });
}

RangeOutcome MultiplyRange(std::span<std::uint8_t> tuning, const MapLayout& m, const CellRect& r, double factor) {
  return ForEachCell(tuning, m, r, [&](std::int64_t v) { return Rounded(static_cast<double>(v) * factor, m); });
}

RangeOutcome AddRange(std::span<std::uint8_t> tuning, const MapLayout& m, const CellRect& r, double amount) {
  return ForEachCell(tuning, m, r, [&](std::int64_t v) { return Rounded(static_cast<double>(v) + amount, m); });
}

RangeOutcome InterpolateRange(std::span<std::uint8_t> tuning, const MapLayout& m, const CellRect& r,
                              InterpolateMode mode) {
  RangeOutcome out;
  const CellRect c = ClipToMap(r, m);
  if (!IsMapEditType(m.type) || c.empty()) return out;
  const std::int64_t x = m.xdim, top = c.top, left = c.left, rows = c.rows - 1, cols = c.cols - 1;
  if (mode == InterpolateMode::Both && rows == 0) mode = InterpolateMode::Rows;
  if (mode == InterpolateMode::Both && cols == 0) mode = InterpolateMode::Columns;
  switch (mode) {
    case InterpolateMode::Rows:
      for (std::int64_t row = top; row <= top + rows; ++row)
        FillLine(tuning, m, CellIndex(m, row, left), CellIndex(m, row, left + cols), 1, cols, out);
      break;
    case InterpolateMode::Columns:
      for (std::int64_t col = left; col <= left + cols; ++col)
        FillLine(tuning, m, CellIndex(m, top, col), CellIndex(m, top + rows, col), x, rows, out);
      break;
    case InterpolateMode::Both: {
      const auto q00 = ReadCell(tuning, m, CellIndex(m, top, left));
      const auto q01 = ReadCell(tuning, m, CellIndex(m, top, left + cols));
      const auto q10 = ReadCell(tuning, m, CellIndex(m, top + rows, left));
      const auto q11 = ReadCell(tuning, m, CellIndex(m, top + rows, left + cols));
      if (!q00 || !q01 || !q10 || !q11) break;
      for (std::int64_t dr = 0; dr <= rows; ++dr)
        for (std::int64_t dc = 0; dc <= cols; ++dc) {
          const std::int64_t cell = CellIndex(m, top + dr, left + dc);
          if (!ReadCell(tuning, m, cell)) continue;
          const std::int64_t n = *q00 * (rows - dr) * (cols - dc) + *q01 * (rows - dr) * dc +
                                 *q10 * dr * (cols - dc) + *q11 * dr * dc;
          Store(tuning, m, cell, DivRound(n, rows * cols), out);
        }
      break;
    }
  }
  return out;
}

PasteReading ReadPastedBlock(std::string_view text, std::int32_t mapRows, std::int32_t mapCols, std::int32_t atRow,
                             std::int32_t atCol) {
  PasteReading result;
  // First the block's size, without reading a number or keeping a line, so a
  // block too large is refused after one pass. Blank lines at the end (a
  // spreadsheet ends its copy with a line end) do not count.
  std::int64_t rows = 0, cols = 0, lineNo = 0, widest = 0;
  ForEachLine(text, [&](std::string_view line) {
    ++lineNo;
    widest = std::max<std::int64_t>(widest, 1 + std::count_if(line.begin(), line.end(), IsSeparator));
    if (!IsBlankLine(line)) {
      rows = lineNo;
      cols = widest;
    }
    return true;
  });
  if (rows == 0) {
    result.error = "Der eingefügte Text enthält keine Zahlen.";
    return result;
  }
  // A start outside the map leaves no room at all.
  const bool inside = atRow >= 0 && atCol >= 0;
  const std::int64_t roomRows = inside ? std::max<std::int64_t>(std::int64_t{mapRows} - atRow, 0) : 0;
  const std::int64_t roomCols = inside ? std::max<std::int64_t>(std::int64_t{mapCols} - atCol, 0) : 0;
  if (rows > roomRows || cols > roomCols) {
    result.row = atRow + 1;
    result.column = atCol + 1;
    result.error = "Ein Block von " + Num(rows) + " Zeilen × " + Num(cols) + " Spalten passt ab Zeile " +
                   Num(atRow + 1) + ", Spalte " + Num(atCol + 1) + " nicht in das Kennfeld (" + Num(mapRows) +
                   " Zeilen × " + Num(mapCols) + " Spalten).";
    return result;
  }
  PastedBlock& b = result.block;
  b.rows = static_cast<std::int32_t>(rows);
  b.cols = static_cast<std::int32_t>(cols);
  b.values.reserve(static_cast<std::size_t>(rows * cols));
  std::int32_t r = 0;
  ForEachLine(text, [&](std::string_view line) {
    std::int32_t c = 0;
    auto refuse = [&](const std::string& what) {
      result.row = r + 1;
      result.column = c + 1;
      result.error = "Zeile " + Num(r + 1) + ", Spalte " + Num(c + 1) + " des eingefügten Textes " + what;
      return false;
    };
    std::size_t from = 0;
    for (; c < b.cols; ++c) {
      if (from > line.size()) return refuse("ist leer.");  // the row ends early
      const std::size_t end = std::min(line.size(), line.find_first_of("\t;", from));
      const std::string_view field = line.substr(from, end - from);
      from = end + 1;
      double v = 0;
      if (field.find_first_not_of(' ') == std::string_view::npos) return refuse("ist leer.");
      if (!ParseDecimal(field, v)) return refuse("ist keine Zahl: „" + Excerpt(field) + "“.");
      b.values.push_back(v);
    }
    return ++r < b.rows;
  });
  if (!result.error.empty()) {
    result.block = {};
    return result;
  }
  result.ok = true;
  return result;
}

RangeOutcome PasteRange(std::span<std::uint8_t> tuning, const MapLayout& m, std::int32_t atRow, std::int32_t atCol,
                        const PastedBlock& block) {
  RangeOutcome out;
  if (!IsMapEditType(m.type)) return out;
  for (std::int32_t r = 0; r < block.rows; ++r)
    for (std::int32_t c = 0; c < block.cols; ++c) {
      const std::int64_t row = std::int64_t{atRow} + r, col = std::int64_t{atCol} + c;
      if (row < 0 || col < 0 || row >= m.ydim || col >= m.xdim) continue;
      const std::int64_t cell = CellIndex(m, row, col);
      if (!ReadCell(tuning, m, cell)) continue;
      if (const auto v = Rounded(block.at(r, c), m)) Store(tuning, m, cell, *v, out);
    }
  return out;
}

std::string CopyRangeText(std::span<const std::uint8_t> image, const MapLayout& m, const CellRect& r) {
  const CellRect c = ClipToMap(r, m);
  std::string out;
  for (std::int64_t row = c.top; row < c.top + c.rows; ++row) {
    for (std::int64_t col = c.left; col < c.left + c.cols; ++col) {
      if (col > c.left) out += '\t';
      if (const auto v = ReadCell(image, m, CellIndex(m, row, col))) out += Num(*v);
    }
    out += '\n';
  }
  return out;
}

}  // namespace orv
