// Edits of a rectangle of cells and the reading of pasted text.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "maps/RangeOps.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Grid = std::vector<std::int64_t>;

// A map of `cols` x `rows` cells at offset 2 of an image with one spare byte
// behind it, filled with `values` row by row.
struct Map {
  MapLayout m;
  Bytes img;
  Map(CellType t, std::int32_t cols, std::int32_t rows, const Grid& values, bool isSigned = false)
      : m{2, cols, rows, t, isSigned}, img(static_cast<std::size_t>(2 + CellWidth(t) * cols * rows + 1), 0xEE) {
    for (std::size_t i = 0; i < values.size(); ++i) WriteCell(img, m, static_cast<std::int64_t>(i) + 1, values[i]);
  }
  Grid values() const {
    Grid g;
    for (std::int64_t i = 1; i <= m.cells(); ++i) g.push_back(ReadCell(img, m, i).value_or(-999));
    return g;
  }
};

TEST(RangeOps, OperationsChangeTheRectangleOnlyAndReportClamping) {
  using Op = std::function<RangeOutcome(Map&, const CellRect&)>;
  struct Row {
    const char* what;
    CellType type;
    bool isSigned;
    CellRect rect;
    Op op;
    Grid after;
    bool clamped;
  };
  // 3 columns, 2 rows: 10 20 30 / 40 50 60
  const Grid start = {10, 20, 30, 40, 50, 60};
  const Row rows[] = {
      {"set", CellType::N, false, {0, 1, 2, 2}, [](Map& x, const CellRect& r) { return SetRange(x.img, x.m, r, 7); },
       {10, 7, 7, 40, 7, 7}, false},
      {"set above the range", CellType::N, false, {1, 0, 1, 1},
       [](Map& x, const CellRect& r) { return SetRange(x.img, x.m, r, 300); }, {10, 20, 30, 255, 50, 60}, true},
      {"set below a signed range", CellType::M16, true, {0, 0, 1, 3},
       [](Map& x, const CellRect& r) { return SetRange(x.img, x.m, r, -40000); },
       {-32768, -32768, -32768, 40, 50, 60}, true},
      {"step percent as the clicks", CellType::N, false, {0, 0, 2, 3},
       [](Map& x, const CellRect& r) { return StepRange(x.img, x.m, r, 3, EditMode::Percent); },
       {10, 20, 30, 41, 51, 61}, false},
      {"step down in bits, clamped at 0", CellType::I16, false, {0, 0, 1, 3},
       [](Map& x, const CellRect& r) { return StepRange(x.img, x.m, r, -15, EditMode::Bit); },
       {0, 5, 15, 40, 50, 60}, true},
      {"multiply rounds halves away from zero", CellType::M16, false, {0, 0, 2, 3},
       [](Map& x, const CellRect& r) { return MultiplyRange(x.img, x.m, r, 1.05); },
       {11, 21, 32, 42, 53, 63}, false},
      {"multiply by a negative factor, signed", CellType::N, true, {1, 1, 1, 2},
       [](Map& x, const CellRect& r) { return MultiplyRange(x.img, x.m, r, -2.5); },
       {10, 20, 30, 40, -125, -128}, true},
      {"add a real", CellType::I16, false, {0, 2, 2, 1},
       [](Map& x, const CellRect& r) { return AddRange(x.img, x.m, r, 2.5); }, {10, 20, 33, 40, 50, 63}, false},
      {"add far beyond the range", CellType::N, false, {0, 0, 1, 1},
       [](Map& x, const CellRect& r) { return AddRange(x.img, x.m, r, 1e300); }, {255, 20, 30, 40, 50, 60}, true},
      {"rectangle partly outside the map", CellType::N, false, {1, 2, 5, 5},
       [](Map& x, const CellRect& r) { return SetRange(x.img, x.m, r, 1); }, {10, 20, 30, 40, 50, 1}, false},
      {"rectangle left of and above the map", CellType::N, false, {-3, -3, 4, 4},
       [](Map& x, const CellRect& r) { return SetRange(x.img, x.m, r, 1); }, {1, 20, 30, 40, 50, 60}, false},
      {"32-bit maps stay as they are", CellType::M32, false, {0, 0, 2, 3},
       [](Map& x, const CellRect& r) { return SetRange(x.img, x.m, r, 1); }, start, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Map x(row.type, 3, 2, start, row.isSigned);
    const RangeOutcome out = row.op(x, row.rect);
    EXPECT_EQ(x.values(), row.after);
    EXPECT_EQ(out.clamped, row.clamped);
    EXPECT_EQ(x.img.front(), 0xEE);  // nothing before the map
    EXPECT_EQ(x.img.back(), 0xEE);   // nothing behind it
  }
}

TEST(RangeOps, CellsOutsideTheImageAreSkipped) {
  Map x(CellType::M16, 4, 1, {1, 2, 3, 4});
  x.img.resize(2 + 2 * 2 + 1);  // cells 1 and 2 inside, cell 3 one byte short
  const RangeOutcome out = SetRange(x.img, x.m, {0, 0, 1, 4}, 9);
  EXPECT_EQ(out.written, 2);
  EXPECT_EQ(x.img.back(), 0);  // the first byte of cell 3 stays
  EXPECT_EQ(CopyRangeText(x.img, x.m, {0, 0, 1, 4}), "9\t9\t\t\n");
}

TEST(RangeOps, InterpolationBetweenEdgesAndCorners) {
  struct Row {
    const char* what;
    InterpolateMode mode;
    CellRect rect;
    Grid after;
  };
  // 4 columns, 3 rows
  const Grid start = {0, 9, 9, 30, 9, 9, 9, 9, 100, 9, 9, 131};
  const Row rows[] = {
      {"rows", InterpolateMode::Rows, {0, 0, 3, 4}, {0, 10, 20, 30, 9, 9, 9, 9, 100, 110, 121, 131}},
      {"columns", InterpolateMode::Columns, {0, 0, 3, 4}, {0, 9, 9, 30, 50, 9, 9, 81, 100, 9, 9, 131}},
      {"bilinear", InterpolateMode::Both, {0, 0, 3, 4}, {0, 10, 20, 30, 50, 60, 70, 81, 100, 110, 121, 131}},
      {"bilinear over one row is the row", InterpolateMode::Both, {2, 0, 1, 4},
       {0, 9, 9, 30, 9, 9, 9, 9, 100, 110, 121, 131}},
      {"bilinear over one column is the column", InterpolateMode::Both, {0, 3, 3, 1},
       {0, 9, 9, 30, 9, 9, 9, 81, 100, 9, 9, 131}},
      {"two cells have nothing between them", InterpolateMode::Rows, {0, 0, 1, 2}, start},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Map x(CellType::N, 4, 3, start);
    InterpolateRange(x.img, x.m, row.rect, row.mode);
    EXPECT_EQ(x.values(), row.after);
  }
  // negative values round halves away from zero as well
  Map s(CellType::N, 3, 1, {-3, 0, 0}, true);
  InterpolateRange(s.img, s.m, {0, 0, 1, 3}, InterpolateMode::Rows);
  EXPECT_EQ(s.values(), (Grid{-3, -2, 0}));
}

TEST(RangeOps, PastedTextIsReadOrRefusedWithRowAndColumn) {
  struct Row {
    const char* text;
    std::int32_t atRow, atCol;  // in a map of 4 rows x 3 columns
    std::vector<double> values;  // row by row when read
    std::int32_t rows, cols;
    std::string error;  // empty when read
    std::int32_t errRow = 0, errCol = 0;
  };
  const Row rows[] = {
      {"1\t2\t3\n4\t5\t6\n", 0, 0, {1, 2, 3, 4, 5, 6}, 2, 3, ""},
      {"1,5;-2.25\r\n 3 ; 4 \r\n\r\n\t\t\n", 2, 1, {1.5, -2.25, 3, 4}, 2, 2, ""},  // blank lines at the end
      {"7", 3, 2, {7}, 1, 1, ""},
      {"1\t2\n3\tx4\n", 0, 0, {}, 0, 0, "Zeile 2, Spalte 2 des eingefügten Textes ist keine Zahl: „x4“.", 2, 2},
      {"1\t\t3\n", 0, 0, {}, 0, 0, "Zeile 1, Spalte 2 des eingefügten Textes ist leer.", 1, 2},
      {"1\t2\n3\n", 0, 0, {}, 0, 0, "Zeile 2, Spalte 2 des eingefügten Textes ist leer.", 2, 2},
      {"1\n\n2\n", 0, 0, {}, 0, 0, "Zeile 2, Spalte 1 des eingefügten Textes ist leer.", 2, 1},
      {"1.234,5", 0, 0, {}, 0, 0, "Zeile 1, Spalte 1 des eingefügten Textes ist keine Zahl: „1.234,5“.", 1, 1},
      {"1\t2\n3\t4\n", 3, 1, {}, 0, 0,
       "Ein Block von 2 Zeilen × 2 Spalten passt ab Zeile 4, Spalte 2 nicht in das Kennfeld (4 Zeilen × 3 Spalten).",
       4, 2},
      {"1\t2\t3\t4", 0, 0, {}, 0, 0,
       "Ein Block von 1 Zeilen × 4 Spalten passt ab Zeile 1, Spalte 1 nicht in das Kennfeld (4 Zeilen × 3 Spalten).",
       1, 1},
      {"1", -1, 0, {}, 0, 0,
       "Ein Block von 1 Zeilen × 1 Spalten passt ab Zeile 0, Spalte 1 nicht in das Kennfeld (4 Zeilen × 3 Spalten).",
       0, 1},  // a start outside the map leaves no room
      {"", 0, 0, {}, 0, 0, "Der eingefügte Text enthält keine Zahlen."},
      {" \n\t\n", 0, 0, {}, 0, 0, "Der eingefügte Text enthält keine Zahlen."},
      {"1\tabcdefghijklmnopqrstuvwxyz\n", 0, 0, {}, 0, 0,
       "Zeile 1, Spalte 2 des eingefügten Textes ist keine Zahl: „abcdefghijklmnopqrst…“.", 1, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const PasteReading r = ReadPastedBlock(row.text, 4, 3, row.atRow, row.atCol);
    EXPECT_EQ(r.ok, row.error.empty());
    EXPECT_EQ(r.error, row.error);
    EXPECT_EQ(r.block.values, row.values);
    EXPECT_EQ(r.block.rows, row.rows);
    EXPECT_EQ(r.block.cols, row.cols);
    EXPECT_EQ(r.row, row.errRow);
    EXPECT_EQ(r.column, row.errCol);
  }
}

TEST(RangeOps, HugeOrWildPastesAreRefusedWithoutHarm) {
  const std::string lines(2'000'000, '\n');
  const std::string wide = std::string(1'000'000, '\t') + "1";
  std::string wild;
  for (int i = 0; i < 100000; ++i) wild += static_cast<char>((i * 7919) % 256);
  for (const std::string* text : std::initializer_list<const std::string*>{&lines, &wide, &wild}) {
    const PasteReading r = ReadPastedBlock(*text, 64, 64, 0, 0);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_TRUE(r.block.values.empty());
  }
}

TEST(RangeOps, CopiedTextPastesBackToTheSameCells) {
  Map from(CellType::I16, 3, 2, {-5, 0, 32767, 1, 2, 3}, true);
  const std::string text = CopyRangeText(from.img, from.m, {0, 0, 2, 3});
  EXPECT_EQ(text, "-5\t0\t32767\n1\t2\t3\n");
  Map to(CellType::I16, 3, 3, Grid(9, 0), true);
  const PasteReading r = ReadPastedBlock(text, 3, 3, 1, 0);
  ASSERT_TRUE(r.ok);
  EXPECT_FALSE(PasteRange(to.img, to.m, 1, 0, r.block).clamped);
  EXPECT_EQ(to.values(), (Grid{0, 0, 0, -5, 0, 32767, 1, 2, 3}));
  // the same block into an unsigned 8-bit map: clamped at both ends
  Map small(CellType::N, 3, 2, Grid(6, 9));
  EXPECT_TRUE(PasteRange(small.img, small.m, 0, 0, r.block).clamped);
  EXPECT_EQ(small.values(), (Grid{0, 0, 255, 1, 2, 3}));
}

}  // namespace
}  // namespace orv
