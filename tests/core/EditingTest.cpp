// Edit arithmetic, cell picking and the one / nine / all-cells edits.
#include <gtest/gtest.h>

#include <vector>

#include "maps/Editing.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Editing, StepArithmeticWithClampingWrite) {
  struct Row { CellType type; std::int64_t before; int step; EditMode mode; std::int64_t after; bool isSigned = false; };
  const Row rows[] = {
      {CellType::N, 3, 3, EditMode::Percent, 3},          // 309 / 100 truncates
      {CellType::N, 200, 3, EditMode::Percent, 206},
      {CellType::N, 3, -10, EditMode::Percent, 2},        // 270 / 100
      {CellType::N, 255, -100, EditMode::Percent, 0},
      {CellType::M16, 40000, -100, EditMode::Percent, 0},
      {CellType::N, 250, 10, EditMode::Percent, 255},     // 275 clamped
      {CellType::N, 3, -5, EditMode::Bit, 0},             // -2 clamped
      {CellType::N, 3, 5, EditMode::Bit, 8},
      {CellType::N, 254, 1000, EditMode::Bit, 255},
      {CellType::M16, 10000, 1000, EditMode::Percent, 65535},
      {CellType::I16, 10000, 1000, EditMode::Percent, 65535},
      {CellType::I16, 1000, 50, EditMode::Percent, 1500},
      {CellType::M16, 99, 1, EditMode::Percent, 99},      // 9999 / 100
      {CellType::M16, 65535, 1, EditMode::Bit, 65535},
      {CellType::I16, 7, -3, EditMode::Bit, 4},
      {CellType::N, 0, 1000, EditMode::Percent, 0},
      // Signed cells step across zero and clamp at the signed ends, never wrap.
      {CellType::N, 2, -5, EditMode::Bit, -3, true},
      {CellType::N, -120, -20, EditMode::Bit, -128, true},
      {CellType::N, 120, 20, EditMode::Bit, 127, true},
      {CellType::N, -50, 10, EditMode::Percent, -55, true},  // a percent step keeps the sign
      {CellType::M16, -32000, -10, EditMode::Percent, -28800, true},
      {CellType::I16, -1, -32768, EditMode::Bit, -32768, true},
      {CellType::I16, 32767, 1, EditMode::Bit, 32767, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.before << " step " << row.step
                                    << (row.mode == EditMode::Bit ? " Bit" : " %"));
    const MapLayout m{4, 1, 1, row.type, row.isSigned};
    Bytes img(8, 0);
    ASSERT_TRUE(WriteCell(img, m, 1, row.before));
    ChangeCell(img, img, m, 1, row.step, row.mode);
    EXPECT_EQ(ReadCell(img, m, 1), row.after);
  }
}

TEST(Editing, PercentTruncatesTowardZero) {
  EXPECT_EQ(SteppedValue(3, 3, EditMode::Percent), 3);
  EXPECT_EQ(SteppedValue(-3, 3, EditMode::Percent), -3);  // -309/100, not -4
  EXPECT_EQ(SteppedValue(199, -50, EditMode::Percent), 99);
  EXPECT_EQ(SteppedValue(65535, 1000, EditMode::Percent), 720885);
  EXPECT_EQ(SteppedValue(10, -15, EditMode::Bit), -5);
}

TEST(Editing, PickingBoxIsStrictOnAllFourSides) {
  std::vector<Point2i> pts(2);
  pts[1] = {100, 200};
  struct Row { int mx, my; std::int32_t picked; };
  // The mouse is where the user clicked; the point lies at (100, 200).
  const Row rows[] = {
      {100, 200, 1}, {104, 209, 1}, {96, 191, 1}, {104, 191, 1}, {96, 209, 1},
      {105, 200, 0}, {95, 200, 0},  {100, 210, 0}, {100, 190, 0}, {105, 210, 0},
  };
  for (const Row& row : rows)
    EXPECT_EQ(PickCell(pts, 1, row.mx, row.my), row.picked) << row.mx << "," << row.my;
}

TEST(Editing, PickingPrefersTheLowerIndexAndSearchesOnlyTheCells) {
  std::vector<Point2i> pts = {{0, 0}, {500, 500}, {52, 50}, {50, 51}, {50, 50}};
  EXPECT_EQ(PickCell(pts, 4, 50, 50), 2);
  EXPECT_EQ(PickCell(pts, 1, 50, 50), 0);   // slot 2 is not a cell of this map
  EXPECT_EQ(PickCell(pts, 99, 50, 50), 2);  // more cells than points: no overrun
  EXPECT_EQ(PickCell(pts, 4, 0, 0), 0);     // slot 0 is never a cell
  EXPECT_EQ(PickCell({}, 4, 0, 0), 0);
}

TEST(Editing, ChangeAllChangesEveryCellFromItsOwnValue) {
  const MapLayout m{2, 3, 2, CellType::N};
  Bytes img = {7, 7, 10, 20, 30, 40, 50, 60, 7};
  ChangeAll(img, m, 10, EditMode::Percent);
  EXPECT_EQ(img, (Bytes{7, 7, 11, 22, 33, 44, 55, 66, 7}));
  ChangeAll(img, m, -20, EditMode::Bit);
  EXPECT_EQ(img, (Bytes{7, 7, 0, 2, 13, 24, 35, 46, 7}));
}

TEST(Editing, ChangeAllOnAMapPastTheEndChangesTheCellsInside) {
  const MapLayout m{4, 4, 4, CellType::I16};  // 32 bytes from offset 4
  Bytes img(9, 0);                            // cells 1 and 2 are inside
  ChangeAll(img, m, 5, EditMode::Bit);
  EXPECT_EQ(img, (Bytes{0, 0, 0, 0, 5, 0, 5, 0, 0}));
}

std::vector<int> ChangedCells(const Bytes& before, const Bytes& after) {
  std::vector<int> out;
  for (std::size_t i = 0; i < before.size(); ++i)
    if (before[i] != after[i]) out.push_back(static_cast<int>(i) + 1);
  return out;
}

TEST(Editing, ChangeNineClipsTheBlockAtTheEdges) {
  const MapLayout m{0, 4, 3, CellType::N};  // 4 columns, 3 rows
  struct Row { std::int64_t cell; std::vector<int> changed; };
  const Row rows[] = {
      {1, {1, 2, 5, 6}},                        // top left corner
      {4, {3, 4, 7, 8}},                        // top right corner
      {12, {7, 8, 11, 12}},                     // bottom right corner
      {6, {1, 2, 3, 5, 6, 7, 9, 10, 11}},       // middle
      {5, {1, 2, 5, 6, 9, 10}},                 // left edge
      {0, {}},
      {13, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.cell);
    const Bytes before(12, 10);
    Bytes img = before;
    ChangeNine(img, m, row.cell, 1, EditMode::Bit);
    EXPECT_EQ(ChangedCells(before, img), row.changed);
    for (int c : row.changed) EXPECT_EQ(img[c - 1], 11);
  }
}

TEST(Editing, ThirtyTwoBitAndOtherMapsStayUnchanged) {
  for (CellType t : {CellType::M32, CellType::I32, CellType::None, CellType::Unknown}) {
    SCOPED_TRACE(static_cast<int>(t));
    const MapLayout m{0, 2, 2, t};
    Bytes img(16, 0x10);
    const Bytes before = img;
    EXPECT_FALSE(ChangeCell(img, img, m, 1, 50, EditMode::Bit));
    ChangeAll(img, m, 50, EditMode::Percent);
    ChangeNine(img, m, 1, 50, EditMode::Bit);
    EXPECT_EQ(img, before);
  }
}

TEST(Editing, NoPickedCellChangesNothing) {
  const MapLayout m{0, 2, 2, CellType::N};
  Bytes img(4, 9);
  EXPECT_FALSE(ChangeCell(img, img, m, 0, 50, EditMode::Bit));
  EXPECT_EQ(img, Bytes(4, 9));
}

}  // namespace
}  // namespace orv
