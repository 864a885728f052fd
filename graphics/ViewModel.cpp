#include "graphics/ViewModel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>

#include "maps/CellCodec.h"

namespace orv {

namespace {

constexpr double kDegree = 0.017453292519943295;

// Whole numbers of the chain stay within +-2^30, so a centre offset or an arrow
// length added later cannot overflow whatever the view parameters hold.
constexpr double kIntLimit = 1073741824.0;

// Holds a real within +-kIntLimit; NaN goes to the lower end. Written as two
// selects so the loops around it stay free of branches.
inline double Hold(double v) {
  v = v > -kIntLimit ? v : -kIntLimit;
  return v < kIntLimit ? v : kIntLimit;
}

// Real to int, cut toward zero; no parameter can make the conversion undefined.
inline int TruncToInt(double v) { return static_cast<int>(Hold(v)); }

// Real to the nearest whole number, halves to the even neighbour: adding and
// taking away 1.5 * 2^52 leaves a value below 2^51 rounded by the FPU's default
// mode (nearest, ties to even), much cheaper than a library call per point.
// Needs strict IEEE arithmetic (no -ffast-math), which the build uses.
constexpr double kRoundMagic = 6755399441055744.0;

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

// How a surface cell turns into a raw height (0 to 511).
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

// Raw height of the cell at b: 0 to 511.
template <HeightKind K>
inline int RawHeight(const std::uint8_t* b) {
  if constexpr (K == HeightKind::Byte) {
    return b[0] * 2;
  } else if constexpr (K == HeightKind::HighFirst16) {
    return (b[0] * 256 + b[1]) / 128;
  } else {
    return (b[1] * 256 + b[0]) / 128;
  }
}

// Model points of one surface from one image. A cell whose bytes are not all
// inside the image stands at height 0; its bytes are never touched. `heights`
// maps a raw height 0 to 511 to the stretched model height.
template <HeightKind K>
void BuildSurface(PointSet<4096>& set, std::span<const std::uint8_t> image, const ActiveMap& m, CellType type,
                  const int* heights, const int* xs, const int* zs) {
  const std::int64_t size = static_cast<std::int64_t>(image.size());
  const std::uint8_t* bytes = image.data();
  constexpr std::int64_t width = K == HeightKind::Byte ? 1 : K == HeightKind::Wide32 ? 4 : 2;
  const int nx = m.KfXDim, ny = m.KfYDim;
  const std::int64_t first = m.KfAdresse;
  const bool allInside = first >= 0 && first + width * nx * ny <= size;
  std::int64_t offset = first;
  std::size_t k = 1;
  for (int r = 0; r < ny; ++r) {
    const int z = zs[r];
    for (int c = 0; c < nx; ++c, ++k, offset += width) {
      int h = 0;
      if constexpr (K == HeightKind::Wide32) {
        const std::int64_t v = ReadValue(image, offset, type).value_or(0);
        h = static_cast<int>(std::clamp<std::int64_t>(v / (std::int64_t{1} << 22), 0, 511));
      } else if (allInside || (offset >= 0 && offset + width <= size)) {
        h = RawHeight<K>(bytes + offset);
      }
      set.Modellpunkte[k] = Point3i{xs[c], heights[h], z};
    }
  }
}

void BuildSurfaceOf(PointSet<4096>& set, std::span<const std::uint8_t> image, const ActiveMap& m,
                    const int* heights, const int* xs, const int* zs) {
  const CellType type = CellTypeFromCode(m.KfTyp);
  switch (HeightKindOf(type)) {
    case HeightKind::Byte: BuildSurface<HeightKind::Byte>(set, image, m, type, heights, xs, zs); break;
    case HeightKind::HighFirst16: BuildSurface<HeightKind::HighFirst16>(set, image, m, type, heights, xs, zs); break;
    case HeightKind::LowFirst16: BuildSurface<HeightKind::LowFirst16>(set, image, m, type, heights, xs, zs); break;
    case HeightKind::Wide32: BuildSurface<HeightKind::Wide32>(set, image, m, type, heights, xs, zs); break;
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

// The per-point arithmetic of the four steps after the build.
struct Turn {
  double sA, cA, sB, cB;
};

inline Point3d RotateOne(const Point3i& q, const Turn& t) {
  const double x = q.x, y = q.y, z = q.z;
  const double x1 = t.cA * x + t.sA * z;
  const double z1 = t.cA * z - t.sA * x;
  return Point3d{x1, t.cB * y - t.sB * z1, t.cB * z1 + t.sB * y};
}

inline Point3d ZoomOne(const Point3d& q, double f) { return Point3d{q.x * f, q.y * f, q.z * f}; }

inline void PanOne(Point3d& q, double dx, double dy) {
  q.x += dx;
  q.y += dy;
}

#if defined(__GNUC__)
// Screen x and y of a point go through the same steps, so they travel as one
// pair of lanes: one division instruction per point instead of two. Every lane
// computes exactly what the plain expression in the other branch does.
typedef double Lanes2d __attribute__((vector_size(16)));
typedef int Lanes2i __attribute__((vector_size(8)));

inline Point2i ProjectOne(const Point3d& q, double d, int mx, int my) {
  const Lanes2d lo = {-kIntLimit, -kIntLimit}, hi = {kIntLimit, kIntLimit};
  const Lanes2d magic = {kRoundMagic, kRoundMagic};
  const double w = q.z + d;
  const Lanes2d num = {q.x * d, -q.y * d};
  const Lanes2d den = {w, w};
  Lanes2d r = num / den;
  r = r > lo ? r : lo;  // NaN goes to the lower end, as in Hold
  r = r < hi ? r : hi;
  r = (r + magic) - magic;
  const Lanes2i n = __builtin_convertvector(r, Lanes2i);
  return Point2i{n[0] + mx, n[1] + my};
}
#else
inline int RoundToInt(double v) { return static_cast<int>((Hold(v) + kRoundMagic) - kRoundMagic); }

inline Point2i ProjectOne(const Point3d& q, double d, int mx, int my) {
  const double w = q.z + d;
  return Point2i{RoundToInt(q.x * d / w) + mx, RoundToInt(-q.y * d / w) + my};
}
#endif

template <int N>
void RotatePlain(PointSet<N>& p, int count, const Turn& t) {
  for (std::size_t i = 1; i <= static_cast<std::size_t>(count); ++i) p.Drehpunkte[i] = RotateOne(p.Modellpunkte[i], t);
}

#if defined(__GNUC__) && defined(__x86_64__)
template <int N>
__attribute__((target("avx2"))) void RotateWide(PointSet<N>& p, int count, const Turn& t) {
  for (std::size_t i = 1; i <= static_cast<std::size_t>(count); ++i) p.Drehpunkte[i] = RotateOne(p.Modellpunkte[i], t);
}
bool HasAvx2();
template <int N>
void Rotate(PointSet<N>& p, int count, const Turn& t) {
  if (HasAvx2()) RotateWide(p, count, t);
  else RotatePlain(p, count, t);
}
#else
template <int N>
void Rotate(PointSet<N>& p, int count, const Turn& t) {
  RotatePlain(p, count, t);
}
#endif

template <int N>
void Zoom(PointSet<N>& p, int count, double f) {
  for (std::size_t i = 1; i <= static_cast<std::size_t>(count); ++i) p.Zoompunkte[i] = ZoomOne(p.Drehpunkte[i], f);
}

template <int N>
void Pan(PointSet<N>& p, int count, double dx, double dy) {
  for (std::size_t i = 1; i <= static_cast<std::size_t>(count); ++i) PanOne(p.Zoompunkte[i], dx, dy);
}

template <int N>
void ProjectPlain(PointSet<N>& p, int count, double d, int mx, int my) {
  for (std::size_t i = 1; i <= static_cast<std::size_t>(count); ++i)
    p.Bildpunkte[i] = ProjectOne(p.Zoompunkte[i], d, mx, my);
}

#if defined(__GNUC__) && defined(__x86_64__)
// Where the processor has AVX2, two points share one four-lane division. Each lane
// computes exactly what ProjectOne does (the same correctly rounded operations).
typedef double Lanes4d __attribute__((vector_size(32)));
typedef int Lanes4i __attribute__((vector_size(16)));

template <int N>
__attribute__((target("avx2"))) void ProjectWide(PointSet<N>& p, int count, double d, int mx, int my) {
  const Lanes4d lo = {-kIntLimit, -kIntLimit, -kIntLimit, -kIntLimit};
  const Lanes4d hi = {kIntLimit, kIntLimit, kIntLimit, kIntLimit};
  const Lanes4d magic = {kRoundMagic, kRoundMagic, kRoundMagic, kRoundMagic};
  std::size_t i = 1;
  const auto last = static_cast<std::size_t>(count);
  for (; i + 1 <= last; i += 2) {
    const Point3d& a = p.Zoompunkte[i];
    const Point3d& b = p.Zoompunkte[i + 1];
    const double wa = a.z + d, wb = b.z + d;
    const Lanes4d num = {a.x * d, -a.y * d, b.x * d, -b.y * d};
    const Lanes4d den = {wa, wa, wb, wb};
    Lanes4d r = num / den;
    r = r > lo ? r : lo;
    r = r < hi ? r : hi;
    r = (r + magic) - magic;
    const Lanes4i n = __builtin_convertvector(r, Lanes4i);
    p.Bildpunkte[i] = Point2i{n[0] + mx, n[1] + my};
    p.Bildpunkte[i + 1] = Point2i{n[2] + mx, n[3] + my};
  }
  if (i == last) p.Bildpunkte[i] = ProjectOne(p.Zoompunkte[i], d, mx, my);
}

bool HasAvx2() {
  static const bool yes = __builtin_cpu_supports("avx2");
  return yes;
}

template <int N>
void Project(PointSet<N>& p, int count, double d, int mx, int my) {
  if (HasAvx2()) ProjectWide(p, count, d, mx, my);
  else ProjectPlain(p, count, d, mx, my);
}
#else
template <int N>
void Project(PointSet<N>& p, int count, double d, int mx, int my) {
  ProjectPlain(p, count, d, mx, my);
}
#endif

Turn TurnOf(const TrigTables& t, const ViewParams& v) {
  const auto A = static_cast<std::size_t>(AngleIndex(v.Drehwinkel));
  const auto B = static_cast<std::size_t>(AngleIndex(v.Schraegwinkel));
  return Turn{t.SinTabelle[A], t.CosTabelle[A], t.SinTabelle[B], t.CosTabelle[B]};
}

// Calls fn(set, used slots) for every layer the chain works on this time.
template <typename Fn>
void ForEachShownLayer(Scene& s, const SceneFlags& f, const ActiveMap& m, const ImageSet& img, Fn&& fn) {
  if (f.KreuzZeigen) fn(s.Kreuz, kCrossSlots);
  if (FloorShown(f, m)) fn(s.Boden, FloorSlots(m));
  const int cells = SurfaceSlots(m);
  if (f.OriginalZeigen && img.OriginalLoaded()) fn(s.Original, cells);
  if (f.TuningZeigen && img.TuningLoaded()) fn(s.Tuning, cells);
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
  if (!original && !tuning) return;
  // Every raw height is a whole number from 0 to 511: stretch each one once.
  int heights[512];
  for (int h = 0; h < 512; ++h) heights[h] = TruncToInt(v.Hoehenfaktor * h);
  if (original) BuildSurfaceOf(s.Original, img.Original(), m, heights, xs, zs);
  if (tuning) BuildSurfaceOf(s.Tuning, img.Tuning(), m, heights, xs, zs);
}

void RotatePoints(Scene& s, const TrigTables& t, const ViewParams& v, const SceneFlags& f, const ActiveMap& m,
                  const ImageSet& img) {
  const Turn turn = TurnOf(t, v);
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
