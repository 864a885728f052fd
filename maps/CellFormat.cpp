#include "maps/CellFormat.h"

namespace orv {

namespace {
constexpr int kTag0 = 114, kTag1 = 115, kFlags = 136, kXAxis = 138, kYAxis = 139, kVersion = 140;
constexpr std::uint8_t kTagBytes[2] = {'O', 'V'};
constexpr std::uint8_t kVersionByte = 1;
constexpr std::uint8_t kSignedBit = 0x10;

constexpr CellType kAxisTypes[] = {CellType::None, CellType::N, CellType::M16, CellType::I16, CellType::M32,
                                   CellType::I32};

bool DecodeAxis(std::uint8_t b, AxisFormat& a) {
  const int code = b & 0x0F;
  if ((b & ~(0x0F | kSignedBit)) != 0 || code >= static_cast<int>(std::size(kAxisTypes))) return false;
  a.type = kAxisTypes[code];
  a.isSigned = (b & kSignedBit) != 0;
  return true;
}

std::uint8_t EncodeAxis(const AxisFormat& a) {
  std::uint8_t code = 0;
  for (std::uint8_t i = 0; i < std::size(kAxisTypes); ++i)
    if (kAxisTypes[i] == a.type) code = i;
  return static_cast<std::uint8_t>(code | (a.isSigned ? kSignedBit : 0));
}
}  // namespace

MarksReading ReadCellFormatMarks(const TDatensatz& rec) {
  const auto& b = rec.bytes;
  if (b[kTag0] != kTagBytes[0] || b[kTag1] != kTagBytes[1] || b[kVersion] != kVersionByte) return {};
  MarksReading r;
  if ((b[kFlags] & ~1) != 0 || !DecodeAxis(b[kXAxis], r.marks.x) || !DecodeAxis(b[kYAxis], r.marks.y))
    return {MarksState::Unknown, {}};
  r.marks.signedCells = (b[kFlags] & 1) != 0;
  r.state = MarksState::Valid;
  return r;
}

void WriteCellFormatMarks(TDatensatz& rec, const CellFormatMarks& m) {
  // A record that already reads as these marks keeps its bytes: a tagged record
  // with the same marks, a record without the tag, or one whose marks this
  // program does not know, given the default marks.
  if (ReadCellFormatMarks(rec).marks == m) return;
  auto& b = rec.bytes;
  if (m.IsDefault()) {
    for (int i : {kTag0, kTag1, kFlags, kXAxis, kYAxis, kVersion}) b[i] = 0;
    return;
  }
  b[kTag0] = kTagBytes[0];
  b[kTag1] = kTagBytes[1];
  b[kFlags] = m.signedCells ? 1 : 0;
  b[kXAxis] = EncodeAxis(m.x);
  b[kYAxis] = EncodeAxis(m.y);
  b[kVersion] = kVersionByte;
}

}  // namespace orv
