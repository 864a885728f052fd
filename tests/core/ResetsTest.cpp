// Resets copy exact byte ranges from the original; patches undo and redo edits.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "maps/Editing.h"
#include "maps/Resets.h"
#include "project/Catalogue.h"
#include "project/HexText.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Indexes of the bytes in which a and b differ.
std::vector<std::int64_t> Diff(const Bytes& a, const Bytes& b) {
  std::vector<std::int64_t> out;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) out.push_back(static_cast<std::int64_t>(i));
  return out;
}

TEST(Resets, ByteCountsByType) {
  EXPECT_EQ(MapResetByteCount({0, 16, 16, CellType::N}), 256);
  EXPECT_EQ(MapResetByteCount({0, 16, 16, CellType::I16}), 512);
  EXPECT_EQ(MapResetByteCount({0, 16, 16, CellType::M16}), 512);
  EXPECT_EQ(MapResetByteCount({0, 16, 16, CellType::M32}), 1024);
  EXPECT_EQ(MapResetByteCount({0, 16, 16, CellType::None}), 0);
  EXPECT_EQ(MapResetByteCount({0, 16, 16, CellType::Unknown}), 0);
  EXPECT_EQ(MapResetByteCount({0, 0, 16, CellType::N}), 0);
}

TEST(Resets, MapResetRestoresExactlyItsBytes) {
  const Bytes orig(0x2000, 0xAA);
  Bytes tun(0x2000, 0x55);
  const MapLayout m{0x1000, 16, 16, CellType::I16};
  EXPECT_EQ(CopyRange(orig, tun, m.start, MapResetByteCount(m)), 512);
  for (std::size_t i = 0; i < tun.size(); ++i) {
    const bool inMap = i >= 0x1000 && i <= 0x11FF;
    ASSERT_EQ(tun[i], inMap ? 0xAA : 0x55) << std::hex << i;
  }
}

TEST(Resets, MapReachingPastTheEndRestoresUpToTheEnd) {
  const Bytes orig(0x8000, 1);
  Bytes tun(0x8000, 2);
  const MapLayout m{0x7F00, 16, 32, CellType::N};  // 512 bytes, 256 of them inside
  EXPECT_EQ(CopyRange(orig, tun, m.start, MapResetByteCount(m)), 256);
  EXPECT_EQ(tun[0x7EFF], 2);
  EXPECT_EQ(tun[0x7F00], 1);
  EXPECT_EQ(tun[0x7FFF], 1);
  // A range that starts past the end copies nothing; one before 0 starts at 0.
  EXPECT_EQ(CopyRange(orig, tun, 0x9000, 10), 0);
  EXPECT_EQ(CopyRange(orig, tun, -2, 4), 2);
  EXPECT_EQ(tun[0], 1);
  EXPECT_EQ(tun[1], 1);
  EXPECT_EQ(tun[2], 2);
  EXPECT_EQ(CopyRange(orig, tun, 5, 0), 0);
  EXPECT_EQ(CopyRange(orig, tun, 5, -3), 0);
}

TEST(Resets, WholeFileResetRestoresFirstAndLastByte) {
  Bytes orig(1000);
  std::iota(orig.begin(), orig.end(), 0);
  Bytes tun(1000, 0xFF);
  EXPECT_EQ(CopyRange(orig, tun, 0, static_cast<std::int64_t>(orig.size())), 1000);
  EXPECT_EQ(tun, orig);
}

TEST(Resets, CopyIsClippedToTheShorterImage) {
  const Bytes orig(10, 1);
  Bytes tun(6, 0);
  EXPECT_EQ(CopyRange(orig, tun, 0, 10), 6);
  EXPECT_EQ(tun, Bytes(6, 1));
  EXPECT_EQ(CopyRange(Bytes{}, tun, 0, 10), 0);
}

TEST(Resets, RevLimiterResetCopiesItsTypeWidth) {
  struct Row { const char* typ; const char* addr; const char* system; std::int64_t from; int count; };
  const Row rows[] = {
      {"M32", "7FF0", "N16", 0xFFE0, 4}, {"N", "100", "N8", 0x100, 1},  {"I16", "100", "N32", 0x400, 2},
      {"M16", "100", "XX", 0x100, 2},    {"K", "100", "N8", 0x100, 0}, {"k", "100", "N8", 0x100, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typ);
    Bytes orig(0x10000);
    std::iota(orig.begin(), orig.end(), 1);
    Bytes tun(0x10000, 0);
    const std::int64_t off = ScaleAddress(ParseHex(row.addr), row.system);
    EXPECT_EQ(off, row.from);
    CopyValue(orig, tun, off, CellTypeFromCode(row.typ));
    std::vector<std::int64_t> expected;
    for (int k = 0; k < row.count; ++k) expected.push_back(row.from + k);
    EXPECT_EQ(Diff(Bytes(0x10000, 0), tun), expected);
  }
}

TEST(Resets, SingleValueResetRestoresOneCell) {
  const MapLayout m{10, 4, 4, CellType::M16};
  Bytes orig(64);
  std::iota(orig.begin(), orig.end(), 100);
  Bytes tun(64, 0);
  ASSERT_TRUE(CopyCell(orig, tun, m, 6));
  EXPECT_EQ(Diff(Bytes(64, 0), tun), (std::vector<std::int64_t>{20, 21}));
}

TEST(PatchRecorder, UndoAndRedoRestoreExactBytes) {
  Bytes tun(300);
  std::iota(tun.begin(), tun.end(), 0);
  const Bytes start = tun;
  const MapLayout m{100, 8, 8, CellType::N};
  PatchRecorder rec(tun, m.start, MapResetByteCount(m));
  WriteCell(tun, m, 3, 0);
  WriteCell(tun, m, 40, 255);
  const Bytes edited = tun;
  const auto patch = rec.Finish(tun);
  ASSERT_TRUE(patch);
  // The patch covers cells 3 to 40 only: offsets 102 to 139.
  EXPECT_EQ(patch->offset, 102);
  EXPECT_EQ(patch->before.size(), 38u);
  EXPECT_EQ(patch->after.size(), 38u);
  ApplyPatch(tun, *patch, /*undo=*/true);
  EXPECT_EQ(tun, start);
  ApplyPatch(tun, *patch, /*undo=*/false);
  EXPECT_EQ(tun, edited);
  ApplyPatch(tun, *patch, true);
  EXPECT_EQ(tun, start);
}

TEST(PatchRecorder, NoChangeGivesNoPatch) {
  Bytes tun(50, 7);
  PatchRecorder rec(tun, 10, 20);
  tun[5] = 0;   // outside the recorded range
  tun[35] = 0;  // outside as well
  EXPECT_FALSE(rec.Finish(tun));
  PatchRecorder none(tun, 10, 0);
  EXPECT_FALSE(none.Finish(tun));
}

TEST(PatchRecorder, RangeIsClippedToTheImage) {
  Bytes tun(20, 1);
  PatchRecorder rec(tun, 15, 100);
  tun[19] = 9;
  const auto patch = rec.Finish(tun);
  ASSERT_TRUE(patch);
  EXPECT_EQ(patch->offset, 19);
  EXPECT_EQ(patch->before, Bytes{1});
  EXPECT_EQ(patch->after, Bytes{9});
  // Applying to a shorter image writes only what fits.
  Bytes shorter(10, 0);
  ApplyPatch(shorter, *patch, false);
  EXPECT_EQ(shorter, Bytes(10, 0));
  // A recorder over a range before 0 starts at 0.
  PatchRecorder neg(tun, -5, 7);
  tun[0] = 3;
  const auto p2 = neg.Finish(tun);
  ASSERT_TRUE(p2);
  EXPECT_EQ(p2->offset, 0);
}

TEST(PatchRecorder, AllCellsEditUndoneByOnePatch) {
  Bytes tun(64);
  std::iota(tun.begin(), tun.end(), 50);
  const Bytes start = tun;
  const MapLayout m{8, 4, 4, CellType::I16};
  PatchRecorder rec(tun, m.start, MapResetByteCount(m));
  ChangeAll(tun, m, 3, EditMode::Percent);
  const auto patch = rec.Finish(tun);
  ASSERT_TRUE(patch);
  ApplyPatch(tun, *patch, true);
  EXPECT_EQ(tun, start);
}

}  // namespace
}  // namespace orv
