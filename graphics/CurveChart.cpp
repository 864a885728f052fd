// The flat line chart of a map with one column or one row.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

#include "graphics/ViewModel.h"
#include "maps/CellCodec.h"

namespace orv {

namespace {

inline void Line(Canvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

// Height of the zero line of a signed chart above the baseline.
constexpr int kChartZero = 128;

inline int Clip(std::int64_t v) {
  return static_cast<int>(
      std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Chart value 0 to 255 of point i: a byte as it is, 16-bit values div 256,
// 32-bit values div 2^23. Codes we do not know read as two bytes, high first.
// Signed cells take the same 256 steps around zero, rounded down (a byte as it
// is, 16-bit values / 256, 32-bit values / 2^24: -128 to 127), lifted by 128
// so that zero stands on the chart's middle line. A cell outside the image
// reads as 0 and is not touched.
int ChartValue(std::span<const std::uint8_t> image, std::int64_t start, CellType type, bool isSigned, int i) {
  const int width = type == CellType::N ? 1 : type == CellType::M32 || type == CellType::I32 ? 4 : 2;
  const CellType read = width == 2 && type != CellType::I16 ? CellType::M16 : type;
  const std::int64_t v = ReadValue(image, start + width * std::int64_t{i}, read, isSigned).value_or(0);
  if (isSigned) return kChartZero + static_cast<int>(v >> (width == 1 ? 0 : width == 2 ? 8 : 24));
  switch (width) {
    case 1: return static_cast<int>(v);
    case 2: return static_cast<int>(v / 256);
    default: return static_cast<int>(std::clamp<std::int64_t>(v / (std::int64_t{1} << 23), 0, 255));
  }
}

}  // namespace

void DrawCurveChart(Scene& s, const SceneFlags& f, const ActiveMap& m, const ImageSet& img, const WindowColours& c,
                    Canvas& canvas) {
  // Sizes far beyond any screen are held at 2^24 so no sum below can overflow.
  constexpr std::int64_t kLimit = std::int64_t{1} << 24;
  const std::int64_t w = std::clamp<std::int64_t>(canvas.Width(), -kLimit, kLimit);
  const std::int64_t h = std::clamp<std::int64_t>(canvas.Height(), -kLimit, kLimit);
  const int B = Clip(h - 40);
  const int L = 70;
  const int Wd = Clip(w - 2 * 70);
  const int n = std::min<std::int32_t>(m.KfXDim == 1 ? m.KfYDim : m.KfXDim, 4096);
  // One point has no spacing and stands on the left edge; so do all points of
  // a curve with more points than the chart has pixels.
  const int step = n > 1 && Wd > 0 ? Wd / (n - 1) : 0;
  const int right = n > 1 ? Clip(L + std::int64_t{n - 1} * step) : L;
  const int top = Clip(std::int64_t{B} - 255);

  canvas.Erase(c.background);

  if (f.BodengitterZeigen && n >= 1) {
    canvas.SetPen(colours::Gray);
    for (int i = 0; i < n; ++i) Line(canvas, L + i * step, B, L + i * step, top);
    Line(canvas, L, B, right, B);
    Line(canvas, L, top, right, top);
    if (m.KfSigned) Line(canvas, L, B - kChartZero, right, B - kChartZero);  // the zero line
  }

  const CellType type = CellTypeFromCode(m.KfTyp);
  const std::int64_t start = m.KfAdresse;

  // The reference curves: their points are not kept.
  auto curve = [&](std::span<const std::uint8_t> image, Rgb pen) {
    canvas.SetPen(pen);
    for (int i = 0; i < n; ++i) {
      const int x = L + i * step, y = Clip(std::int64_t{B} - ChartValue(image, start, type, m.KfSigned, i));
      if (i == 0)
        canvas.MoveTo(x, y);
      else
        canvas.LineTo(x, y);
    }
  };
  // The comparison lies under the other curves.
  if (f.VergleichZeigen && img.VergleichLoaded()) curve(img.Vergleich(), colours::Fuchsia);

  if (f.TuningZeigen && img.TuningLoaded()) {
    canvas.SetPen(colours::White);
    const auto image = img.Tuning();
    for (int i = 0; i < n; ++i) {
      const Point2i p{L + i * step, Clip(std::int64_t{B} - ChartValue(image, start, type, m.KfSigned, i))};
      if (i == 0)
        canvas.MoveTo(p.x, p.y);
      else
        canvas.LineTo(p.x, p.y);
      s.Tuning.Bildpunkte[static_cast<std::size_t>(i) + 1] = p;
    }
  }

  if (f.OriginalZeigen && img.OriginalLoaded()) curve(img.Original(), colours::Lime);

  if (f.KreuzZeigen) {
    const int wd = Wd;
    if (m.KfKreuz == 1) {
      canvas.SetPen(colours::Yellow);
      Line(canvas, L - 5, B + 5, L + wd + 20, B + 5);
      Line(canvas, L - 5, B + 5, L - 5, B - 281);
      canvas.TextOut(L + wd, B + 15, m.KfXText);
      canvas.TextOut(L - 25, B - 300, m.KfYText);
    } else if (m.KfKreuz == 2) {
      canvas.SetPen(colours::Yellow);
      canvas.MoveTo(L - 20, B + 5);
      canvas.LineTo(L + wd + 5, B + 5);
      canvas.LineTo(L + wd + 3, B + 5);
      canvas.LineTo(L + wd + 3, B - 281);
      canvas.TextOut(L - 30, B + 15, m.KfXText);
      canvas.TextOut(L + wd - 10, B - 300, m.KfYText);
    }
  }
}

}  // namespace orv
