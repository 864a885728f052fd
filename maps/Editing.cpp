#include "maps/Editing.h"

#include <algorithm>

namespace orv {

std::int64_t SteppedValue(std::int64_t v, int step, EditMode mode) {
  if (mode == EditMode::Bit) return v + step;
  return v * (100 + std::int64_t{step}) / 100;  // C++ division truncates toward zero
}

std::int32_t PickCell(std::span<const Point2i> points, std::int32_t cells, int mx, int my) {
  const std::int64_t last = std::min<std::int64_t>(cells, static_cast<std::int64_t>(points.size()) - 1);
  for (std::int64_t k = 1; k <= last; ++k) {
    const Point2i p = points[static_cast<std::size_t>(k)];
    if (mx - 5 < p.x && p.x < mx + 5 && my - 10 < p.y && p.y < my + 10) return static_cast<std::int32_t>(k);
  }
  return 0;
}

bool ChangeCell(std::span<const std::uint8_t> tuningRead, std::span<std::uint8_t> tuning, const MapLayout& m,
                std::int64_t cell, int step, EditMode mode) {
  if (!IsMapEditType(m.type)) return false;
  const auto v = ReadCell(tuningRead, m, cell);
  if (!v) return false;
  return WriteCell(tuning, m, cell, SteppedValue(*v, step, mode));
}

void ChangeAll(std::span<std::uint8_t> tuning, const MapLayout& m, int step, EditMode mode) {
  if (!IsMapEditType(m.type)) return;
  // Only cells whose bytes lie inside the image can change; the rest are skipped.
  const std::int64_t w = CellWidth(m.type);
  const auto size = static_cast<std::int64_t>(tuning.size());
  const std::int64_t first = m.start >= 0 ? 1 : (-m.start + w - 1) / w + 1;
  const std::int64_t last = std::min(m.cells(), m.start >= size ? 0 : (size - m.start) / w);
  for (std::int64_t i = first; i <= last; ++i) ChangeCell(tuning, tuning, m, i, step, mode);
}

void ChangeNine(std::span<std::uint8_t> tuning, const MapLayout& m, std::int64_t cell, int step, EditMode mode) {
  if (!IsMapEditType(m.type) || cell < 1 || cell > m.cells()) return;
  const std::int64_t row = (cell - 1) / m.xdim, col = (cell - 1) % m.xdim;
  for (std::int64_t r = std::max<std::int64_t>(0, row - 1); r <= std::min<std::int64_t>(m.ydim - 1, row + 1); ++r)
    for (std::int64_t c = std::max<std::int64_t>(0, col - 1); c <= std::min<std::int64_t>(m.xdim - 1, col + 1); ++c)
      ChangeCell(tuning, tuning, m, r * m.xdim + c + 1, step, mode);
}

}  // namespace orv
