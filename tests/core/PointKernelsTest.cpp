// The wide loops of the view chain give bit for bit the numbers of the
// one-point loops, at every length (whole blocks and tails) and for values at
// the edges: NaN, infinities, signed zeros, exact halves, the +-2^30 hold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "graphics/PointKernels.h"
#include "graphics/ViewModel.h"

namespace orv::kernels {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Runs fn at width w and restores the widest width afterwards.
template <typename Fn>
void At(Width w, Fn&& fn) {
  Use(w);
  fn();
  Use(Widest());
}

std::vector<Width> WiderThanScalar() {
  std::vector<Width> v;
  for (Width w : {Width::Avx2, Width::Avx512})
    if (static_cast<int>(w) <= static_cast<int>(Widest())) v.push_back(w);
  return v;
}

bool SameBits(double a, double b) {
  if (std::isnan(a) && std::isnan(b)) return true;
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool Same(const Point3d& a, const Point3d& b) { return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z); }

// Values that test the edges, then random ones of every size.
std::vector<double> Reals(std::mt19937_64& rng, std::size_t n) {
  static const double kEdges[] = {0.0, -0.0, 0.5, -0.5, 1.5, 2.5, -2.5, 1e-310, -1e-310, 1073741823.5, 1073741824.0,
                                  -1073741825.0, 1e300, -1e300, kInf, -kInf, kNaN, -2500.0, 2500.0};
  std::uniform_real_distribution<double> small(-3000, 3000);
  std::uniform_int_distribution<int> exponent(-1100, 1100);
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; ++i) {
    switch (rng() % 4) {
      case 0: v[i] = kEdges[rng() % std::size(kEdges)]; break;
      case 1: v[i] = std::ldexp(small(rng), exponent(rng) / 4); break;
      case 2: v[i] = std::round(small(rng) * 2) / 2; break;  // halves
      default: v[i] = small(rng); break;
    }
  }
  return v;
}

TEST(PointKernels, WidthCanBeChosenUpToTheWidest) {
  EXPECT_EQ(Use(Width::Scalar), Width::Scalar);
  EXPECT_EQ(Current(), Width::Scalar);
  EXPECT_EQ(Use(Width::Avx512), Widest());
  EXPECT_EQ(Current(), Widest());
}

TEST(PointKernels, RotateMatchesOnePointLoop) {
  std::mt19937_64 rng(7);
  const int kEdgeInts[] = {0, 1, -1, 320, -320, 765, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()};
  for (std::size_t n = 0; n <= 40; ++n) {
    std::vector<Point3i> in(n);
    for (auto& p : in) {
      auto pick = [&] { return rng() % 3 ? static_cast<int>(rng() % 2000) - 1000 : kEdgeInts[rng() % 8]; };
      p = Point3i{pick(), pick(), pick()};
    }
    const int a = static_cast<int>(rng() % 361), b = static_cast<int>(rng() % 361);
    const double rad = 0.017453292519943295;
    const Turn t{std::sin(a * rad), std::cos(a * rad), std::sin(b * rad), std::cos(b * rad)};
    std::vector<Point3d> want(n), got(n);
    At(Width::Scalar, [&] { Rotate(in.data(), want.data(), n, t); });
    for (Width w : WiderThanScalar()) {
      At(w, [&] { Rotate(in.data(), got.data(), n, t); });
      for (std::size_t i = 0; i < n; ++i) ASSERT_TRUE(Same(got[i], want[i])) << "width " << int(w) << " n " << n << " i " << i;
    }
  }
}

TEST(PointKernels, ZoomMatchesOnePointLoop) {
  std::mt19937_64 rng(11);
  for (std::size_t n = 0; n <= 40; ++n) {
    const std::vector<double> r = Reals(rng, 3 * n + 1);
    std::vector<Point3d> in(n), want(n), got(n);
    for (std::size_t i = 0; i < n; ++i) in[i] = Point3d{r[3 * i], r[3 * i + 1], r[3 * i + 2]};
    const double f = r[3 * n];
    At(Width::Scalar, [&] { Zoom(in.data(), want.data(), n, f); });
    for (Width w : WiderThanScalar()) {
      At(w, [&] { Zoom(in.data(), got.data(), n, f); });
      for (std::size_t i = 0; i < n; ++i) ASSERT_TRUE(Same(got[i], want[i])) << "width " << int(w) << " n " << n;
    }
  }
}

TEST(PointKernels, ProjectMatchesOnePointLoop) {
  std::mt19937_64 rng(13);
  const double kDistances[] = {2500, 1, 0, -0.0, 1e-300, 7.5, kNaN, kInf};
  for (int round = 0; round < 20; ++round) {
    for (std::size_t n = 0; n <= 40; ++n) {
      const std::vector<double> r = Reals(rng, 3 * n);
      std::vector<Point3d> in(n);
      for (std::size_t i = 0; i < n; ++i) in[i] = Point3d{r[3 * i], r[3 * i + 1], r[3 * i + 2]};
      const double d = kDistances[rng() % std::size(kDistances)];
      const int mx = static_cast<int>(rng() % 2000), my = static_cast<int>(rng() % 2000);
      std::vector<Point2i> want(n), got(n);
      At(Width::Scalar, [&] { Project(in.data(), want.data(), n, d, mx, my); });
      for (Width w : WiderThanScalar()) {
        At(w, [&] { Project(in.data(), got.data(), n, d, mx, my); });
        ASSERT_EQ(got, want) << "width " << int(w) << " n " << n << " d " << d;
      }
    }
  }
}

TEST(PointKernels, ProjectHoldsAndRoundsHalvesToEven) {
  // At depth 0 and distance 1 a point projects onto its own x and -y.
  struct Case { double v; int x, y; };
  const Case cases[] = {{2.5, 2, -2},   {3.5, 4, -4},        {-0.5, 0, 0},       {1e12, 1073741824, -1073741824},
                        {kNaN, -1073741824, -1073741824},    {-kInf, -1073741824, 1073741824}};
  for (Width w : {Width::Scalar, Width::Avx2, Width::Avx512}) {
    At(w, [&] {
      std::vector<Point3d> in;
      for (int i = 0; i < 3; ++i)  // three times, so both blocks and tails see them
        for (const Case& c : cases) in.push_back(Point3d{c.v, c.v, 0});
      std::vector<Point2i> out(in.size());
      Project(in.data(), out.data(), in.size(), 1.0, 0, 0);
      for (std::size_t i = 0; i < in.size(); ++i) {
        const Case& c = cases[i % std::size(cases)];
        EXPECT_EQ(out[i], (Point2i{c.x, c.y})) << "width " << int(Current()) << " value " << c.v;
      }
    });
  }
}

TEST(PointKernels, SurfaceRowMatchesOnePointLoop) {
  std::mt19937_64 rng(17);
  const double kFactors[] = {1.0, 0.8, 1.5, 0.98, -1.0, 0.0, 3e7, kNaN, kInf, -kInf};
  for (CellBytes kind : {CellBytes::Byte, CellBytes::HighFirst16, CellBytes::LowFirst16, CellBytes::SignedByte,
                         CellBytes::SignedHighFirst16, CellBytes::SignedLowFirst16}) {
    for (std::size_t n = 0; n <= 70; ++n) {
      std::vector<std::uint8_t> cells(2 * n);
      for (auto& b : cells) b = static_cast<std::uint8_t>(rng() % 5 ? rng() : 255);
      std::vector<int> xs(n);
      for (auto& x : xs) x = static_cast<int>(rng() % 1000) - 500;
      const int z = static_cast<int>(rng() % 1000) - 500;
      const double f = kFactors[rng() % std::size(kFactors)];
      std::vector<Point3i> want(n), got(n);
      At(Width::Scalar, [&] { SurfaceRow(cells.data(), kind, n, xs.data(), z, f, want.data()); });
      for (Width w : WiderThanScalar()) {
        At(w, [&] { SurfaceRow(cells.data(), kind, n, xs.data(), z, f, got.data()); });
        for (std::size_t i = 0; i < n; ++i) {
          ASSERT_EQ(got[i].x, want[i].x) << n;
          ASSERT_EQ(got[i].y, want[i].y) << "kind " << int(kind) << " n " << n << " i " << i << " f " << f;
          ASSERT_EQ(got[i].z, want[i].z) << n;
        }
      }
    }
  }
}

// The whole chain of a 64 x 64 map, turned through every angle, gives the same
// four point sets at every width.
TEST(PointKernels, WholeChainIsTheSameAtEveryWidth) {
  TrigTables trig;
  BuildTrigTables(trig);
  ViewParams view;
  ViewStart(view, 1280, 800);
  view.VerschiebungX = 3;
  view.VerschiebungY = -7;
  SceneFlags flags;
  flags.OriginalZeigen = flags.TuningZeigen = true;
  ActiveMap m;
  m.KfXDim = 61;  // not a whole number of blocks
  m.KfYDim = 64;
  m.KfZellen = 61 * 64;
  m.KfKreuz = 3;
  ImageSet images;
  std::mt19937_64 rng(19);
  for (auto* buf : {&images.OriginalPuffer, &images.TuningPuffer}) {
    buf->resize(2 * 4096 + 1);
    for (auto& b : *buf) b = static_cast<std::uint8_t>(rng());
  }
  images.OriginalGroesse = images.TuningGroesse = 2 * 4096;
  auto want = std::make_unique<Scene>(), got = std::make_unique<Scene>();
  auto chain = [&](Scene& s) {
    BuildModelPoints(s, view, flags, m, images);
    RotatePoints(s, trig, view, flags, m, images);
    ZoomPoints(s, view, flags, m, images);
    PanPoints(s, view, flags, m, images);
    ProjectPoints(s, view, flags, m, images);
  };
  for (const char* typ : {"N", "M16", "I16", "-N", "-M16", "-I16"}) {
    m.KfSigned = typ[0] == '-';
    m.KfTyp = typ + (m.KfSigned ? 1 : 0);
    for (int a = 0; a <= 360; a += 13) {
      view.Drehwinkel = a;
      view.Schraegwinkel = 1 + a % 70;
      view.Hoehenfaktor = 0.8 + (a % 36) * 0.02;
      At(Width::Scalar, [&] { chain(*want); });
      for (Width w : WiderThanScalar()) {
        At(w, [&] { chain(*got); });
        for (PointSet<4096>* layer : {&got->Original, &got->Tuning}) {
          const PointSet<4096>& ref = layer == &got->Original ? want->Original : want->Tuning;
          for (std::size_t k = 1; k <= 61 * 64; ++k) {
            const Point3i& mg = layer->Modellpunkte[k];
            const Point3i& mw = ref.Modellpunkte[k];
            ASSERT_TRUE(mg.x == mw.x && mg.y == mw.y && mg.z == mw.z) << typ << " angle " << a << " slot " << k;
            ASSERT_TRUE(Same(layer->Drehpunkte[k], ref.Drehpunkte[k])) << typ << " angle " << a << " slot " << k;
            ASSERT_TRUE(Same(layer->Zoompunkte[k], ref.Zoompunkte[k])) << typ << " angle " << a << " slot " << k;
            ASSERT_EQ(layer->Bildpunkte[k], ref.Bildpunkte[k]) << typ << " angle " << a << " slot " << k;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace orv::kernels
