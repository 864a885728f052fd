#include "maps/Axes.h"

#include "project/Catalogue.h"
#include "project/HexText.h"

namespace orv {

AxisFormat AxisCellFormat(const TDatensatz& rec, AxisSide side) {
  const CellFormatMarks marks = ReadCellFormatMarks(rec).marks;
  return ResolvedAxis(side == AxisSide::X ? marks.x : marks.y, CellTypeFromCode(rec.get(fld::KennfeldTyp)));
}

std::optional<std::vector<double>> AxisLabelValues(const TDatensatz& rec, AxisSide side, int count,
                                                   std::span<const std::uint8_t> image,
                                                   const std::string& systemcode) {
  if (count <= 0) return std::nullopt;
  const bool x = side == AxisSide::X;
  const std::string address = rec.get(x ? fld::XAdresse : fld::YAdresse);
  std::vector<double> values(static_cast<std::size_t>(count));
  if (!address.empty()) {
    const AxisFormat f = AxisCellFormat(rec, side);
    const std::int64_t start = static_cast<std::uint32_t>(ScaleAddress(ParseHex(address), systemcode));
    const int width = CellWidth(f.type);
    bool inside = width > 0;
    for (int i = 0; i < count && inside; ++i) {
      const auto v = ReadValue(image, start + std::int64_t{width} * i, f.type, f.isSigned);
      inside = v.has_value();
      if (v) values[static_cast<std::size_t>(i)] = static_cast<double>(*v);
    }
    if (inside) return values;
  }
  const std::int32_t first = rec.get(x ? fld::XAnfangswert : fld::YAnfangswert);
  const double factor = rec.get(x ? fld::XFaktor : fld::YFaktor);
  if (factor == 0 || (factor == 1 && (first == 0 || first == 1))) return std::nullopt;
  for (int i = 0; i < count; ++i) values[static_cast<std::size_t>(i)] = first + i * factor;
  return values;
}

}  // namespace orv
