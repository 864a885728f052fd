// Fuzzes the table view's range edits and the reading of pasted text: a map
// layout, a rectangle, an operation and text from the input. Invariants: pasted
// text is read into a block that fits from the given cell, or refused with a
// message and no block; no edit changes a byte outside the cells it was given,
// and none of a map whose type the edits leave alone.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "maps/RangeOps.h"

using namespace orv;

namespace {

// True for the bytes of the cells of `r` (clipped to the map).
std::vector<bool> CellBytes(std::size_t size, const MapLayout& m, const CellRect& r) {
  std::vector<bool> mine(size, false);
  const CellRect c = ClipToMap(r, m);
  const int w = CellWidth(m.type);
  for (std::int64_t row = c.top; row < c.top + c.rows; ++row)
    for (std::int64_t col = c.left; col < c.left + c.cols; ++col)
      for (int k = 0; k < w; ++k) {
        const std::int64_t at = m.CellOffset(row * m.xdim + col + 1) + k;
        if (at >= 0 && at < static_cast<std::int64_t>(size)) mine[static_cast<std::size_t>(at)] = true;
      }
  return mine;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  static const CellType kTypes[] = {CellType::N, CellType::M16, CellType::I16, CellType::M32, CellType::None};
  MapLayout m;
  m.type = kTypes[in.ConsumeIntegralInRange<int>(0, 4)];
  m.isSigned = in.ConsumeBool();
  m.xdim = in.ConsumeIntegralInRange<std::int32_t>(0, 20);
  m.ydim = in.ConsumeIntegralInRange<std::int32_t>(0, 20);
  m.start = in.ConsumeIntegralInRange<std::int64_t>(-8, 64);
  CellRect r;
  r.top = in.ConsumeIntegralInRange<std::int32_t>(-3, 22);
  r.left = in.ConsumeIntegralInRange<std::int32_t>(-3, 22);
  r.rows = in.ConsumeIntegralInRange<std::int32_t>(-1, 22);
  r.cols = in.ConsumeIntegralInRange<std::int32_t>(-1, 22);
  const int op = in.ConsumeIntegralInRange<int>(0, 7);
  const std::int64_t value = in.ConsumeIntegral<std::int32_t>();
  const double real = in.ConsumeFloatingPoint<double>();
  std::vector<std::uint8_t> image = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 2000));
  const std::string text = in.ConsumeRemainingBytesAsString();

  const std::vector<std::uint8_t> before = image;
  if (op == 7) {
    // Paste at the rectangle's top left cell.
    const PasteReading p = ReadPastedBlock(text, m.ydim, m.xdim, r.top, r.left);
    FUZZ_CHECK(p.ok == p.error.empty());
    FUZZ_CHECK(p.block.values.size() == static_cast<std::size_t>(p.block.rows) * static_cast<std::size_t>(p.block.cols));
    if (!p.ok) {
      FUZZ_CHECK(p.block.values.empty());
      return 0;
    }
    FUZZ_CHECK(p.block.rows >= 1 && p.block.cols >= 1);
    FUZZ_CHECK(r.top >= 0 && r.left >= 0);
    FUZZ_CHECK(std::int64_t{r.top} + p.block.rows <= m.ydim && std::int64_t{r.left} + p.block.cols <= m.xdim);
    for (double v : p.block.values) FUZZ_CHECK(std::isfinite(v));
    r.rows = p.block.rows;
    r.cols = p.block.cols;
    PasteRange(image, m, r.top, r.left, p.block);
  } else {
    switch (op) {
      case 0: SetRange(image, m, r, value); break;
      case 1: StepRange(image, m, r, static_cast<int>(value % 2000), value & 1 ? EditMode::Bit : EditMode::Percent); break;
      case 2: MultiplyRange(image, m, r, real); break;
      case 3: AddRange(image, m, r, real); break;
      case 4: InterpolateRange(image, m, r, InterpolateMode::Rows); break;
      case 5: InterpolateRange(image, m, r, InterpolateMode::Columns); break;
      default: InterpolateRange(image, m, r, InterpolateMode::Both); break;
    }
    (void)CopyRangeText(image, m, r);
  }
  const std::vector<bool> mine = CellBytes(image.size(), m, r);
  const bool editable = IsMapEditType(m.type);
  for (std::size_t i = 0; i < image.size(); ++i)
    if (!mine[i] || !editable) FUZZ_CHECK(image[i] == before[i]);
  return 0;
}
