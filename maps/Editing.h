#pragma once
// The edit arithmetic and cell picking of the click edits.
#include <cstdint>
#include <span>

#include "graphics/Geometry.h"
#include "maps/CellCodec.h"

namespace orv {

enum class EditMode { Percent, Bit };

// "Bit": v + step. "%": the whole-number product v * (100 + step) divided by 100,
// truncated toward zero. The caller's write clamps to the type's range.
std::int64_t SteppedValue(std::int64_t v, int step, EditMode mode);

// The first cell (lowest index) whose screen point lies strictly within 5 pixels
// sideways and 10 pixels up or down of (mx, my); 0 when none does.
// points[k] is the point of cell index k (slot 0 unused); `cells` slots are searched.
std::int32_t PickCell(std::span<const Point2i> points, std::int32_t cells, int mx, int my);

// Changes one cell from its own value (only "N", "M16", "I16"); false if nothing changed.
bool ChangeCell(std::span<const std::uint8_t> tuningRead, std::span<std::uint8_t> tuning, const MapLayout& m,
                std::int64_t cell, int step, EditMode mode);
// Every cell of the map, each from its own value.
void ChangeAll(std::span<std::uint8_t> tuning, const MapLayout& m, int step, EditMode mode);
// The cell and its up to eight neighbours (the 3x3 block clipped at the map's edges).
void ChangeNine(std::span<std::uint8_t> tuning, const MapLayout& m, std::int64_t cell, int step, EditMode mode);

}  // namespace orv
