#pragma once
// The cell format marks a record may carry in its spare bytes (114-115, 136,
// 138-140): whether the map's cells are signed, and the cell type of each axis
// that is read from the image at its address. The marks count only behind the
// tag "OV" in 114-115 and the version byte 1 in 140; earlier writers left
// arbitrary bytes there, so a record without the tag reads exactly as before
// (unsigned cells, axes in the map's own type). Layout: docs/record-extension.md.
#include <cstdint>

#include "maps/CellCodec.h"
#include "project/Record.h"

namespace orv {

// Cell type of an axis read from the image; None: the map's own type.
struct AxisFormat {
  CellType type = CellType::None;
  bool isSigned = false;
  bool operator==(const AxisFormat&) const = default;
};

struct CellFormatMarks {
  bool signedCells = false;
  AxisFormat x, y;
  bool operator==(const CellFormatMarks&) const = default;
  bool IsDefault() const { return *this == CellFormatMarks{}; }
};

enum class MarksState {
  Absent,   // no tag: today's reading
  Valid,    // tag and known values
  Unknown,  // tag with values this program does not know: read as Absent
};

struct MarksReading {
  MarksState state = MarksState::Absent;
  CellFormatMarks marks;  // default unless state is Valid
};

MarksReading ReadCellFormatMarks(const TDatensatz& rec);

// Stores the marks. A record that already reads as these marks is left as it is:
// a record without the tag, or with marks this program does not know, when the
// marks are the default ones; so an unchanged save writes back every byte it
// read. Default marks over valid marks clear the six bytes.
void WriteCellFormatMarks(TDatensatz& rec, const CellFormatMarks& marks);

// The axis's type with None resolved to the map's own type.
inline AxisFormat ResolvedAxis(AxisFormat a, CellType mapType) {
  if (a.type == CellType::None) a.type = mapType;
  return a;
}

}  // namespace orv
