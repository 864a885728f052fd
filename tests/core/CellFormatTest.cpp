// Cell format marks in a record's spare bytes, and axis label values.
#include <gtest/gtest.h>

#include <vector>

#include "maps/Axes.h"
#include "maps/CellFormat.h"

namespace orv {
namespace {

TDatensatz WithSpareBytes(std::uint8_t b114, std::uint8_t b115, std::uint8_t b136, std::uint8_t b138,
                          std::uint8_t b139, std::uint8_t b140) {
  TDatensatz r;
  r.bytes.fill(0x5A);
  r.bytes[114] = b114; r.bytes[115] = b115; r.bytes[136] = b136;
  r.bytes[138] = b138; r.bytes[139] = b139; r.bytes[140] = b140;
  return r;
}

TEST(CellFormatMarks, ReadOnlyBehindTheTag) {
  struct Row { TDatensatz rec; MarksState state; CellFormatMarks marks; };
  const CellFormatMarks none;
  const Row rows[] = {
      {WithSpareBytes(0, 0, 1, 2, 3, 1), MarksState::Absent, none},         // leftovers, no tag
      {WithSpareBytes('O', 'V', 1, 0, 0, 2), MarksState::Absent, none},     // other version byte
      {WithSpareBytes('O', 'V', 1, 0, 0, 1), MarksState::Valid, {true, {}, {}}},
      {WithSpareBytes('O', 'V', 0, 0x12, 0x03, 1), MarksState::Valid,
       {false, {CellType::M16, true}, {CellType::I16, false}}},
      {WithSpareBytes('O', 'V', 2, 0, 0, 1), MarksState::Unknown, none},    // unknown flag bit
      {WithSpareBytes('O', 'V', 1, 0x07, 0, 1), MarksState::Unknown, none}, // unknown axis type
      {WithSpareBytes('O', 'V', 1, 0, 0x41, 1), MarksState::Unknown, none},
  };
  for (const Row& row : rows) {
    const MarksReading r = ReadCellFormatMarks(row.rec);
    EXPECT_EQ(r.state, row.state);
    EXPECT_EQ(r.marks, row.marks);
  }
}

TEST(CellFormatMarks, WritingKeepsForeignBytesAndRoundTrips) {
  // Default marks on a record without the tag: not a byte changes.
  TDatensatz leftovers = WithSpareBytes(9, 8, 7, 6, 5, 4);
  const TDatensatz before = leftovers;
  WriteCellFormatMarks(leftovers, {});
  EXPECT_EQ(leftovers, before);
  // Marks written over leftovers touch only the six spare bytes.
  TDatensatz rec = before;
  const CellFormatMarks marks{true, {CellType::N, false}, {CellType::I32, true}};
  WriteCellFormatMarks(rec, marks);
  EXPECT_EQ(ReadCellFormatMarks(rec).marks, marks);
  for (int i = 0; i < kRecordSize; ++i) {
    if (i != 114 && i != 115 && i != 136 && i != 138 && i != 139 && i != 140) {
      EXPECT_EQ(rec.bytes[i], before.bytes[i]) << i;
    }
  }
  // Default marks over marks this program does not know keep them.
  TDatensatz unknown = WithSpareBytes('O', 'V', 0x80, 0, 0, 1);
  const TDatensatz unknownBefore = unknown;
  WriteCellFormatMarks(unknown, {});
  EXPECT_EQ(unknown, unknownBefore);
  // Back to the default clears the six bytes.
  WriteCellFormatMarks(rec, {});
  EXPECT_EQ(ReadCellFormatMarks(rec).state, MarksState::Absent);
  EXPECT_EQ(rec.bytes[114], 0);
  EXPECT_EQ(rec.bytes[140], 0);
}

TEST(AxisLabels, FromTheImageInTheAxisTypeOrFromStartAndFactor) {
  std::vector<std::uint8_t> image(64, 0);
  image[0x10] = 0x03; image[0x11] = 0xE8; image[0x12] = 0x07; image[0x13] = 0xD0;  // 1000, 2000 big-endian
  image[0x20] = 0xF6; image[0x21] = 0x0A;                                           // -10, 10 signed bytes
  TDatensatz rec;
  rec.set(fld::KennfeldTyp, "N");
  rec.set(fld::XAdresse, "10");
  rec.set(fld::YAdresse, "20");
  rec.set(fld::XFaktor, 1.0);
  rec.set(fld::YFaktor, 1.0);
  // Without marks the axes read in the map's own (unsigned 8-bit) type.
  EXPECT_EQ(AxisLabelValues(rec, AxisSide::Y, 2, image, "N8"), (std::vector<double>{246, 10}));
  WriteCellFormatMarks(rec, {false, {CellType::M16, false}, {CellType::None, true}});
  EXPECT_EQ(AxisLabelValues(rec, AxisSide::X, 2, image, "N8"), (std::vector<double>{1000, 2000}));
  EXPECT_EQ(AxisLabelValues(rec, AxisSide::Y, 2, image, "N8"), (std::vector<double>{-10, 10}));
  // "N16" doubles the axis address as it does the map's: X now reads its words at 0x20.
  EXPECT_EQ(AxisLabelValues(rec, AxisSide::X, 2, image, "N16"), (std::vector<double>{0xF60A, 0}));
  // An axis reaching past the image falls back to start value and factor, else numbering.
  rec.set(fld::XAdresse, "3F");
  EXPECT_EQ(AxisLabelValues(rec, AxisSide::X, 2, image, "N8"), std::nullopt);
  rec.set(fld::XAnfangswert, 500);
  rec.set(fld::XFaktor, 250.0);
  EXPECT_EQ(AxisLabelValues(rec, AxisSide::X, 3, image, "N8"), (std::vector<double>{500, 750, 1000}));
}

}  // namespace
}  // namespace orv
