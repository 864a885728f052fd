#include "graphics/ViewModel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>

#include "graphics/PointKernels.h"
#include "maps/CellCodec.h"

namespace orv {

namespace {

constexpr double kDegree = 0.017453292519943295;

using kernels::TruncToInt;

// A table index of a whole-degree angle, 0 to 360; angles outside wrap.
inline int AngleIndex(int a) {
  if (a >= 0 && a <= 360) return a;
  int r = a % 360;
  return r < 0 ? r + 360 : r;
}

bool DimsBuildable(const ActiveMap& m) {
  return m.KfXDim >= 1 && m.KfYDim >= 1 && m.KfXDim <= 64 && m.KfYDim <= 64;
}

bool FloorShown(const SceneFlags& f, const ActiveMap& m) {
  return f.BodengitterZeigen && m.KfXDim > 1 && m.KfYDim > 1 && m.KfXDim <= 64 && m.KfYDim <= 64;
}

int FloorSlots(const ActiveMap& m) { return std::min(2 * (m.KfXDim + m.KfYDim), 256); }

int SurfaceSlots(const ActiveMap& m) { return std::clamp<std::int32_t>(m.KfZellen, 0, 4096); }

constexpr int kCrossSlots = 9;

// How a surface cell turns into a raw height: 0 to 511 for unsigned cells,
// -256 to 255 for signed ones (zero on the floor, negative values below it).
enum class HeightKind { Byte, HighFirst16, LowFirst16, Wide32 };

HeightKind HeightKindOf(CellType t) {
  switch (t) {
    case CellType::N: return HeightKind::Byte;
    case CellType::I16: return HeightKind::LowFirst16;
    case CellType::M32:
    case CellType::I32: return HeightKind::Wide32;
    default: return HeightKind::HighFirst16;  // "M16" and every code we do not know
  }
}

constexpr kernels::CellBytes BytesOf(HeightKind k, bool isSigned) {
  using kernels::CellBytes;
  if (k == HeightKind::Byte) return isSigned ? CellBytes::SignedByte : CellBytes::Byte;
  if (k == HeightKind::HighFirst16) return isSigned ? CellBytes::SignedHighFirst16 : CellBytes::HighFirst16;
  return isSigned ? CellBytes::SignedLowFirst16 : CellBytes::LowFirst16;
}

// Raw height of a 32-bit value: unsigned div 2^22 held within 0..511 (the codec
// reads 32-bit cells as two's complement, so a set top bit holds at 0); signed
// divided by 2^23 and rounded down, -256 to 255.
inline int Wide32Height(std::int64_t v, bool isSigned) {
  if (isSigned) return static_cast<int>(v >> 23);
  return static_cast<int>(std::clamp<std::int64_t>(v / (std::int64_t{1} << 22), 0, 511));
}

// Model points of one surface from one image. A cell whose bytes are not all
// inside the image stands at height 0; its bytes are never touched.
template <HeightKind K>
void BuildSurface(PointSet<4096>& set, std::span<const std::uint8_t> image, const ActiveMap& m, CellType type,
                  double factor, const int* xs, const int* zs) {
  const std::int64_t size = static_cast<std::int64_t>(image.size());
  const std::uint8_t* bytes = image.data();
  constexpr std::int64_t width = K == HeightKind::Byte ? 1 : K == HeightKind::Wide32 ? 4 : 2;
  const int nx = m.KfXDim, ny = m.KfYDim;
  const std::int64_t first = m.KfAdresse;
  const bool isSigned = m.KfSigned;
  if constexpr (K != HeightKind::Wide32) {
    if (first >= 0 && first + width * nx * ny <= size) {  // the usual case: whole rows at once
      for (int r = 0; r < ny; ++r)
        kernels::SurfaceRow(bytes + first + width * nx * r, BytesOf(K, isSigned), static_cast<std::size_t>(nx), xs,
                            zs[r], factor, &set.Modellpunkte[static_cast<std::size_t>(nx * r + 1)]);
      return;
    }
  }
  std::int64_t offset = first;
  std::size_t k = 1;
  for (int r = 0; r < ny; ++r) {
    const int z = zs[r];
    for (int c = 0; c < nx; ++c, ++k, offset += width) {
      int h = 0;
      if constexpr (K == HeightKind::Wide32) {
        if (const auto v = ReadValue(image, offset, type, isSigned)) h = Wide32Height(*v, isSigned);
      } else if (offset >= 0 && offset + width <= size) {
        kernels::SurfaceRow(bytes + offset, BytesOf(K, isSigned), 1, &xs[c], z, factor, &set.Modellpunkte[k]);
        continue;
      }
      set.Modellpunkte[k] = Point3i{xs[c], TruncToInt(factor * h), z};
    }
  }
}

void BuildSurfaceOf(PointSet<4096>& set, std::span<const std::uint8_t> image, const ActiveMap& m, double factor,
                    const int* xs, const int* zs) {
  const CellType type = CellTypeFromCode(m.KfTyp);
  switch (HeightKindOf(type)) {
    case HeightKind::Byte: BuildSurface<HeightKind::Byte>(set, image, m, type, factor, xs, zs); break;
    case HeightKind::HighFirst16: BuildSurface<HeightKind::HighFirst16>(set, image, m, type, factor, xs, zs); break;
    case HeightKind::LowFirst16: BuildSurface<HeightKind::LowFirst16>(set, image, m, type, factor, xs, zs); break;
    case HeightKind::Wide32: BuildSurface<HeightKind::Wide32>(set, image, m, type, factor, xs, zs); break;
  }
}

// The nine cross points of each corner; a, b = half field + 25, a2, b2 = half field + 45.
void CrossPoints(std::array<Point3i, 16>& p, int corner, int a, int b, int a2, int b2) {
  switch (corner) {
    case 1:
      p[1] = {-a, -20, -b}; p[2] = {-a, -20, b};
      p[3] = {-a, -20, -b}; p[4] = {a, -20, -b};
      p[5] = {-a, -20, -b}; p[6] = {-a, 550, -b};
      p[7] = {-a, -50, b2}; p[8] = {a2, -50, -b}; p[9] = {-a, 600, -b};
      break;
    case 2:
      p[1] = {a, -20, -b}; p[2] = {a, -20, b};
      p[3] = {a, -20, -b}; p[4] = {-a, -20, -b};
      p[5] = {a, -20, -b}; p[6] = {a, 550, -b};
      p[7] = {a, -50, b2}; p[8] = {-a2, -50, -b}; p[9] = {a, 600, -b};
      break;
    case 3:
      p[1] = {-a, -20, b}; p[2] = {a, -20, b};
      p[3] = {-a, -20, b}; p[4] = {-a, -20, -b};
      p[5] = {-a, -20, b}; p[6] = {-a, 550, b};
      p[7] = {a2, -50, b}; p[8] = {-a, -50, -b2}; p[9] = {-a, 600, b};
      break;
    case 4:
      p[1] = {a, -20, b}; p[2] = {a, -20, -b};
      p[3] = {a, -20, b}; p[4] = {-a, -20, b};
      p[5] = {a, -20, b}; p[6] = {a, 550, b};
      p[7] = {a, -50, -b2}; p[8] = {-a2, -50, b}; p[9] = {a, 600, b};
      break;
    default:
      break;  // an unknown corner keeps the last cross
  }
}

inline void PanOne(Point3d& q, double dx, double dy) {
  q.x += dx;
  q.y += dy;
}

template <int N>
void Rotate(PointSet<N>& p, int count, const kernels::Turn& t) {
  kernels::Rotate(&p.Modellpunkte[1], &p.Drehpunkte[1], static_cast<std::size_t>(count), t);
}

template <int N>
void Zoom(PointSet<N>& p, int count, double f) {
  kernels::Zoom(&p.Drehpunkte[1], &p.Zoompunkte[1], static_cast<std::size_t>(count), f);
}

template <int N>
void Pan(PointSet<N>& p, int count, double dx, double dy) {
  for (std::size_t i = 1; i <= static_cast<std::size_t>(count); ++i) PanOne(p.Zoompunkte[i], dx, dy);
}

template <int N>
void Project(PointSet<N>& p, int count, double d, int mx, int my) {
  kernels::Project(&p.Zoompunkte[1], &p.Bildpunkte[1], static_cast<std::size_t>(count), d, mx, my);
}

kernels::Turn TurnOf(const TrigTables& t, const ViewParams& v) {
  const auto A = static_cast<std::size_t>(AngleIndex(v.Drehwinkel));
  const auto B = static_cast<std::size_t>(AngleIndex(v.Schraegwinkel));
  return kernels::Turn{t.SinTabelle[A], t.CosTabelle[A], t.SinTabelle[B], t.CosTabelle[B]};
}

// Calls fn(set, used slots) for every layer the chain works on this time.
template <typename Fn>
void ForEachShownLayer(Scene& s, const SceneFlags& f, const ActiveMap& m, const ImageSet& img, Fn&& fn) {
  if (f.KreuzZeigen) fn(s.Kreuz, kCrossSlots);
  if (FloorShown(f, m)) fn(s.Boden, FloorSlots(m));
  const int cells = SurfaceSlots(m);
  if (f.OriginalZeigen && img.OriginalLoaded()) fn(s.Original, cells);
  if (f.TuningZeigen && img.TuningLoaded()) fn(s.Tuning, cells);
  if (f.VergleichZeigen && img.VergleichLoaded()) fn(s.Vergleich, cells);
}

}  // namespace

void BuildTrigTables(TrigTables& t) {
  for (std::size_t i = 0; i <= 360; ++i) {
    t.SinTabelle[i] = std::sin(static_cast<double>(i) * kDegree);
    t.CosTabelle[i] = std::cos(static_cast<double>(i) * kDegree);
  }
}

void ViewStart(ViewParams& v, int clientWidth, int clientHeight) {
  v = ViewParams{};
  v.MitteX = clientWidth / 2;
  v.MitteY = clientHeight <= 480 ? (clientHeight / 14) * 12 : (clientHeight / 14) * 11;
}

void ResetViewAngles(ViewParams& v) {
  v.Zoomfaktor = 0.4;
  v.Schraegwinkel = 11;
  v.Hoehenfaktor = 1.0;
  v.Drehwinkel = 235;
}

void BuildModelPoints(Scene& s, const ViewParams& v, const SceneFlags& f, const ActiveMap& m, const ImageSet& img) {
  const int P = -(v.Feldbreite / 2);
  const int Q = -(v.Feldtiefe / 2);

  if (f.KreuzZeigen) {
    const int a = v.Feldbreite / 2 + 25, b = v.Feldtiefe / 2 + 25;
    const int a2 = v.Feldbreite / 2 + 45, b2 = v.Feldtiefe / 2 + 45;
    CrossPoints(s.Kreuz.Modellpunkte, m.KfKreuz, a, b, a2, b2);
  }

  if (!DimsBuildable(m)) return;
  const int nx = m.KfXDim, ny = m.KfYDim;
  // Column and row places, shared by the floor and both surfaces. A single
  // column or row has no spacing and stays at the near edge.
  const double dx = nx > 1 ? static_cast<double>(v.Feldbreite) / (nx - 1) : 0.0;
  const double dz = ny > 1 ? static_cast<double>(v.Feldtiefe) / (ny - 1) : 0.0;
  int xs[64];
  int zs[64];
  for (int c = 0; c < nx; ++c) xs[c] = TruncToInt(dx * c + P);
  for (int r = 0; r < ny; ++r) zs[r] = TruncToInt(dz * r + Q);

  if (FloorShown(f, m)) {
    auto& fp = s.Boden.Modellpunkte;
    std::size_t k = 1;
    for (int c = 0; c < nx; ++c) {
      fp[k++] = Point3i{xs[c], 0, Q};
      fp[k++] = Point3i{xs[c], 0, Q + v.Feldtiefe};
    }
    for (int r = 0; r < ny; ++r) {
      fp[k++] = Point3i{P, 0, zs[r]};
      fp[k++] = Point3i{P + v.Feldbreite, 0, zs[r]};
    }
  }

  if (m.KfZellen > 4096) return;
  const bool original = f.OriginalZeigen && img.OriginalLoaded();
  const bool tuning = f.TuningZeigen && img.TuningLoaded();
  const bool comparison = f.VergleichZeigen && img.VergleichLoaded();
  if (original) BuildSurfaceOf(s.Original, img.Original(), m, v.Hoehenfaktor, xs, zs);
  if (tuning) BuildSurfaceOf(s.Tuning, img.Tuning(), m, v.Hoehenfaktor, xs, zs);
  if (comparison) BuildSurfaceOf(s.Vergleich, img.Vergleich(), m, v.Hoehenfaktor, xs, zs);
}

void RotatePoints(Scene& s, const TrigTables& t, const ViewParams& v, const SceneFlags& f, const ActiveMap& m,
                  const ImageSet& img) {
  const kernels::Turn turn = TurnOf(t, v);
  ForEachShownLayer(s, f, m, img, [&](auto& set, int n) { Rotate(set, n, turn); });
}

void ZoomPoints(Scene& s, const ViewParams& v, const SceneFlags& f, const ActiveMap& m, const ImageSet& img) {
  ForEachShownLayer(s, f, m, img, [&](auto& set, int n) { Zoom(set, n, v.Zoomfaktor); });
}

void PanPoints(Scene& s, const ViewParams& v, const SceneFlags& f, const ActiveMap& m, const ImageSet& img) {
  const double dx = v.VerschiebungX, dy = v.VerschiebungY;
  // Adding zero changes no point (at most the sign of a zero, which no screen point shows).
  if (dx == 0 && dy == 0) return;
  ForEachShownLayer(s, f, m, img, [&](auto& set, int n) { Pan(set, n, dx, dy); });
}

void ProjectPoints(Scene& s, const ViewParams& v, const SceneFlags& f, const ActiveMap& m, const ImageSet& img) {
  const double d = v.Sichtabstand;
  ForEachShownLayer(s, f, m, img, [&](auto& set, int n) { Project(set, n, d, v.MitteX, v.MitteY); });
}

void RedrawView(Scene& s, const TrigTables& t, const ViewParams& v, const SceneFlags& f, const ActiveMap& m,
                const ImageSet& img, const WindowColours& c, Canvas& canvas) {
  if (m.KfXDim > 64 || m.KfYDim > 64) return;  // never built in 3D
  BuildModelPoints(s, v, f, m, img);
  RotatePoints(s, t, v, f, m, img);
  ZoomPoints(s, v, f, m, img);
  PanPoints(s, v, f, m, img);
  ProjectPoints(s, v, f, m, img);
  DrawScene(s, f, m, img, c, canvas);
}

bool DragStep(ViewParams& v, DragMode mode, int x, int y) {
  switch (mode) {
    case DragMode::None:
      return false;
    case DragMode::TurnZoom:
      if (x > v.MausLetztX) {
        v.Drehwinkel += 12;
        if (v.Drehwinkel > 359) v.Drehwinkel = 1;
      }
      if (x < v.MausLetztX) {
        v.Drehwinkel -= 12;
        if (v.Drehwinkel < 1) v.Drehwinkel = 359;
      }
      if (y > v.MausLetztY) {
        v.Zoomfaktor -= 0.01;
        if (v.Zoomfaktor < 0.2) v.Zoomfaktor = 0.2;
      }
      if (y < v.MausLetztY) {
        v.Zoomfaktor += 0.01;
        if (v.Zoomfaktor > 1.0) v.Zoomfaktor = 1.0;
      }
      break;
    case DragMode::Tilt:
      if (y > v.MausLetztY) {
        v.Schraegwinkel += 1;
        if (v.Schraegwinkel > 70) {
          v.Schraegwinkel = 70;
          v.MausLetztY = y;
        }
      }
      if (y < v.MausLetztY) {
        v.Schraegwinkel -= 1;
        if (v.Schraegwinkel < 1) {
          v.Schraegwinkel = 1;
          v.MausLetztY = y;
        }
      }
      break;
    case DragMode::Stretch:
      if (y < v.MausLetztY) {
        v.Hoehenfaktor += 0.02;
        if (v.Hoehenfaktor > 1.5) {
          v.Hoehenfaktor = 1.5;
          v.MausLetztY = y;
        }
      }
      if (y > v.MausLetztY) {
        v.Hoehenfaktor -= 0.02;
        if (v.Hoehenfaktor < 0.8) {
          v.Hoehenfaktor = 0.8;
          v.MausLetztY = y;
        }
      }
      break;
  }
  v.MausLetztX = x;
  v.MausLetztY = y;
  return true;
}

}  // namespace orv
