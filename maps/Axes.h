#pragma once
// The label values of a map's axes as its record defines them.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "maps/CellFormat.h"
#include "project/Record.h"

namespace orv {

enum class AxisSide { X, Y };

// The `count` label values of one axis, or nothing when the record sets none
// (the axis is then numbered from 1). An axis address (`XAdresse`/`YAdresse`,
// hexadecimal, scaled by the system code) reads `count` cells from the image in
// the axis's cell format (the marks; the map's own type by default); an axis
// whose cells do not all lie in the image falls back to the start value and
// factor, which give start + i * factor where they set more than a plain count
// (start 0 or 1 with factor 1, or factor 0).
std::optional<std::vector<double>> AxisLabelValues(const TDatensatz& rec, AxisSide side, int count,
                                                   std::span<const std::uint8_t> image,
                                                   const std::string& systemcode);

// The axis's cell format with the map's own type filled in.
AxisFormat AxisCellFormat(const TDatensatz& rec, AxisSide side);

}  // namespace orv
