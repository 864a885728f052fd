// Cell types, byte orders, clamped writes and safety at the image edges.
#include <gtest/gtest.h>

#include <vector>

#include "maps/CellCodec.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(CellType, CodesAreExact) {
  struct Row { const char* code; CellType type; int width; };
  const Row rows[] = {
      {"K", CellType::None, 0},  {"N", CellType::N, 1},      {"M16", CellType::M16, 2},
      {"I16", CellType::I16, 2}, {"M32", CellType::M32, 4},  {"I32", CellType::I32, 4},
      {"n", CellType::Unknown, 0}, {"m16", CellType::Unknown, 0}, {"N8", CellType::Unknown, 0},
      {"", CellType::Unknown, 0}, {"N ", CellType::Unknown, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CellTypeFromCode(row.code), row.type) << row.code;
    EXPECT_EQ(CellWidth(CellTypeFromCode(row.code)), row.width) << row.code;
  }
  EXPECT_TRUE(IsMapEditType(CellType::N));
  EXPECT_TRUE(IsMapEditType(CellType::M16));
  EXPECT_TRUE(IsMapEditType(CellType::I16));
  EXPECT_FALSE(IsMapEditType(CellType::M32));
  EXPECT_FALSE(IsMapEditType(CellType::I32));
  EXPECT_FALSE(IsMapEditType(CellType::None));
}

TEST(CellCodec, WritesClampAndReadBack) {
  struct Row { CellType type; std::int64_t value; Bytes stored; std::int64_t readBack; bool isSigned = false; };
  const Row rows[] = {
      {CellType::N, 0, {0x00}, 0},
      {CellType::N, 255, {0xFF}, 255},
      {CellType::N, 260, {0xFF}, 255},
      {CellType::N, -2, {0x00}, 0},
      {CellType::M16, 0x1234, {0x12, 0x34}, 0x1234},
      {CellType::I16, 0x1234, {0x34, 0x12}, 0x1234},
      {CellType::M16, 70000, {0xFF, 0xFF}, 65535},
      {CellType::I16, 70000, {0xFF, 0xFF}, 65535},
      {CellType::M16, -1, {0x00, 0x00}, 0},
      {CellType::I16, -1, {0x00, 0x00}, 0},
      {CellType::M32, 0x56781234, {0x12, 0x34, 0x56, 0x78}, 0x56781234},
      {CellType::I32, 0x78563412, {0x12, 0x34, 0x56, 0x78}, 0x78563412},
      {CellType::M32, -5, {0, 0, 0, 0}, 0},
      {CellType::I32, std::int64_t{1} << 32, {0xFF, 0xFF, 0xFF, 0x7F}, INT32_MAX},
      {CellType::M32, std::int64_t{1} << 32, {0xFF, 0xFF, 0x7F, 0xFF}, INT32_MAX},
      // Signed cells: two's complement of the width, clamped at both ends of the signed range.
      {CellType::N, -1, {0xFF}, -1, true},
      {CellType::N, -128, {0x80}, -128, true},
      {CellType::N, -129, {0x80}, -128, true},
      {CellType::N, 128, {0x7F}, 127, true},
      {CellType::M16, -2, {0xFF, 0xFE}, -2, true},
      {CellType::I16, -2, {0xFE, 0xFF}, -2, true},
      {CellType::M16, -40000, {0x80, 0x00}, -32768, true},
      {CellType::I16, 40000, {0xFF, 0x7F}, 32767, true},
      {CellType::M32, -(std::int64_t{1} << 40), {0x00, 0x00, 0x80, 0x00}, INT32_MIN, true},
      {CellType::I32, -(std::int64_t{1} << 40), {0x00, 0x00, 0x00, 0x80}, INT32_MIN, true},
      {CellType::I32, -2, {0xFE, 0xFF, 0xFF, 0xFF}, -2, true},
      {CellType::M32, std::int64_t{1} << 40, {0xFF, 0xFF, 0x7F, 0xFF}, INT32_MAX, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    Bytes img(200, 0xEE);
    ASSERT_TRUE(WriteValue(img, 100, row.type, row.value, row.isSigned));
    EXPECT_EQ(Bytes(img.begin() + 100, img.begin() + 100 + static_cast<long>(row.stored.size())), row.stored);
    EXPECT_EQ(img[99], 0xEE);
    EXPECT_EQ(img[100 + row.stored.size()], 0xEE);
    EXPECT_EQ(ReadValue(img, 100, row.type, row.isSigned), row.readBack);
  }
}

TEST(CellCodec, ThirtyTwoBitByteOrders) {
  const Bytes img = {0x12, 0x34, 0x56, 0x78};
  EXPECT_EQ(ReadValue(img, 0, CellType::M32), 0x56781234);
  EXPECT_EQ(ReadValue(img, 0, CellType::I32), 0x78563412);
  // A most significant byte of 80 hexadecimal or more reads negative.
  EXPECT_EQ(ReadValue(Bytes{0, 0, 0x80, 0}, 0, CellType::M32), INT32_MIN);
  EXPECT_EQ(ReadValue(Bytes{0xFF, 0xFF, 0xFF, 0xFF}, 0, CellType::I32), -1);
  EXPECT_EQ(ReadValue(Bytes{0x01, 0x02}, 0, CellType::M16), 0x0102);
  EXPECT_EQ(ReadValue(Bytes{0x01, 0x02}, 0, CellType::I16), 0x0201);
  EXPECT_EQ(ReadValue(Bytes{0xFF, 0xFE}, 0, CellType::M16), 0xFFFE);  // unsigned
}

TEST(CellCodec, NothingHappensOutsideTheImage) {
  for (CellType t : {CellType::N, CellType::M16, CellType::I16, CellType::M32, CellType::I32}) {
    SCOPED_TRACE(static_cast<int>(t));
    Bytes img(8, 0xEE);
    const Bytes before = img;
    const std::int64_t w = CellWidth(t);
    EXPECT_FALSE(ReadValue(img, -1, t));
    EXPECT_FALSE(ReadValue(img, 8 - w + 1, t));  // last byte would lie past the end
    EXPECT_TRUE(ReadValue(img, 8 - w, t));       // exactly at the end is fine
    EXPECT_FALSE(ReadValue(img, 1000, t));
    EXPECT_FALSE(ReadValue(std::span<const std::uint8_t>{}, 0, t));
    EXPECT_FALSE(WriteValue(img, -1, t, 7));
    EXPECT_FALSE(WriteValue(img, 8 - w + 1, t, 7));
    EXPECT_FALSE(WriteValue(std::span<std::uint8_t>{}, 0, t, 7));
    EXPECT_EQ(img, before);
    Bytes small(4, 0x11);
    EXPECT_FALSE(CopyValue(small, img, 6, t));  // outside the original
    EXPECT_EQ(img, before);
  }
}

TEST(CellCodec, NoneAndUnknownTypesDoNothing) {
  Bytes img(4, 0x33);
  for (CellType t : {CellType::None, CellType::Unknown}) {
    EXPECT_FALSE(ReadValue(img, 0, t));
    EXPECT_FALSE(WriteValue(img, 0, t, 1));
    EXPECT_FALSE(CopyValue(Bytes(4, 0), img, 0, t));
  }
  EXPECT_EQ(img, Bytes(4, 0x33));
}

TEST(CellCodec, CopyValueCoversTheTypeWidthOnly) {
  const Bytes orig = {1, 2, 3, 4, 5, 6};
  for (CellType t : {CellType::N, CellType::M16, CellType::M32}) {
    Bytes tun(6, 0);
    ASSERT_TRUE(CopyValue(orig, tun, 1, t));
    for (int i = 0; i < 6; ++i) {
      const bool inside = i >= 1 && i < 1 + CellWidth(t);
      EXPECT_EQ(tun[i], inside ? orig[i] : 0) << "width " << CellWidth(t) << " byte " << i;
    }
  }
}

TEST(CellCodec, CellIndexesRunRowByRow) {
  const MapLayout m{200, 16, 8, CellType::I16};
  EXPECT_EQ(m.cells(), 128);
  EXPECT_EQ(m.CellOffset(1), 200);
  EXPECT_EQ(m.CellOffset(17), 232);  // column 1 of row 2
  EXPECT_EQ(m.CellOffset(128), 200 + 2 * 127);
  Bytes img(600, 0);
  ASSERT_TRUE(WriteCell(img, m, 17, 0x0102));
  EXPECT_EQ(img[232], 0x02);
  EXPECT_EQ(img[233], 0x01);
  EXPECT_EQ(ReadCell(img, m, 17), 0x0102);
  // Index 0 and indexes beyond the map are no cell.
  EXPECT_FALSE(ReadCell(img, m, 0));
  EXPECT_FALSE(ReadCell(img, m, 129));
  EXPECT_FALSE(WriteCell(img, m, 0, 1));
  EXPECT_FALSE(WriteCell(img, m, 129, 1));
  EXPECT_FALSE(CopyCell(img, img, m, 129));
  EXPECT_EQ(MapLayout{}.cells(), 0);
  EXPECT_EQ((MapLayout{0, -3, 5, CellType::N}.cells()), 0);
}

TEST(CellCodec, CopyCellTakesTheOriginalBytes) {
  const MapLayout m{2, 2, 2, CellType::M16};
  const Bytes orig = {9, 9, 1, 2, 3, 4, 5, 6, 7, 8};
  Bytes tun(10, 0);
  ASSERT_TRUE(CopyCell(orig, tun, m, 3));
  EXPECT_EQ(tun, (Bytes{0, 0, 0, 0, 0, 0, 5, 6, 0, 0}));
}

}  // namespace
}  // namespace orv
