// Drawing the 3D scene from the screen points of the last redraw.
#include <cstddef>

#include "graphics/ViewModel.h"

namespace orv {

namespace {

template <int N>
inline const Point2i& At(const PointSet<N>& p, int slot) {
  return p.Bildpunkte[static_cast<std::size_t>(slot)];
}

inline void Line(Canvas& canvas, const Point2i& a, const Point2i& b) {
  canvas.MoveTo(a.x, a.y);
  canvas.LineTo(b.x, b.y);
}

inline void Line(Canvas& canvas, int x1, int y1, int x2, int y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

// A grid that fits the arrays: 2 to 64 columns and rows.
inline bool GridSized(const ActiveMap& m) {
  return m.KfXDim > 1 && m.KfYDim > 1 && m.KfXDim <= 64 && m.KfYDim <= 64;
}

// Rows first, then columns; no diagonals.
void SurfaceLines(const PointSet<4096>& p, int nx, int ny, Canvas& canvas) {
  for (int r = 1; r <= ny; ++r) {
    const int row = (r - 1) * nx;
    for (int c = 1; c <= nx - 1; ++c) Line(canvas, At(p, row + c), At(p, row + c + 1));
  }
  for (int c = 1; c <= nx; ++c) {
    for (int r = 1; r <= ny - 1; ++r) Line(canvas, At(p, (r - 1) * nx + c), At(p, r * nx + c));
  }
}

}  // namespace

void DrawScene(const Scene& s, const SceneFlags& f, const ActiveMap& m, const ImageSet& img, const WindowColours& c,
               Canvas& canvas) {
  canvas.Erase(c.background);

  if (f.KreuzZeigen) {
    const auto& k = s.Kreuz;
    canvas.SetPen(colours::Yellow);
    Line(canvas, At(k, 1), At(k, 2));
    Line(canvas, At(k, 3), At(k, 4));
    Line(canvas, At(k, 5), At(k, 6));
    canvas.TextOut(At(k, 7).x, At(k, 7).y, m.KfYText);
    canvas.TextOut(At(k, 8).x, At(k, 8).y, m.KfXText);
    canvas.TextOut(At(k, 9).x, At(k, 9).y, "100%");
  }

  const bool grid = GridSized(m);
  const int nx = m.KfXDim, ny = m.KfYDim;

  if (f.BodengitterZeigen && grid) {
    canvas.SetPen(colours::Gray);
    for (int j = 1; j <= nx + ny; ++j) Line(canvas, At(s.Boden, 2 * j - 1), At(s.Boden, 2 * j));
  }

  // Under the tuning and the original: where they meet it, they are what is seen.
  if (f.VergleichZeigen && img.VergleichLoaded() && grid) {
    canvas.SetPen(colours::Fuchsia);
    SurfaceLines(s.Vergleich, nx, ny, canvas);
  }

  if (f.TuningZeigen && img.TuningLoaded() && grid) {
    canvas.SetPen(colours::White);
    SurfaceLines(s.Tuning, nx, ny, canvas);
  }

  if (f.OriginalZeigen && img.OriginalLoaded() && grid) {
    canvas.SetPen(colours::Lime);
    SurfaceLines(s.Original, nx, ny, canvas);
  }

  // The arrow stands on the tuning layer's point, drawn or not; a cell beyond
  // this map has no point and gets no arrow.
  if (f.PfeilZeigen && f.PfeilZelle >= 1 && f.PfeilZelle <= m.KfZellen && f.PfeilZelle <= 4096) {
    const Point2i& p = At(s.Tuning, f.PfeilZelle);
    canvas.SetPen(colours::Red);
    Line(canvas, p.x, p.y, p.x, p.y - 35);
    Line(canvas, p.x, p.y, p.x + 3, p.y - 15);
    Line(canvas, p.x, p.y, p.x - 3, p.y - 15);
  }
}

}  // namespace orv
