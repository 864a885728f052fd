// Fuzzes the 3D view chain with any view parameters, map and image: the chain
// never reads outside the image, and every loop width this processor offers
// gives bit for bit the point sets of the one-point loops.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzCheck.h"
#include "graphics/PointKernels.h"
#include "graphics/ViewModel.h"

namespace {

using namespace orv;

bool SameBits(double a, double b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

void Chain(Scene& s, const TrigTables& t, const ViewParams& v, const SceneFlags& f, const ActiveMap& m,
           const ImageSet& img) {
  BuildModelPoints(s, v, f, m, img);
  RotatePoints(s, t, v, f, m, img);
  ZoomPoints(s, v, f, m, img);
  PanPoints(s, v, f, m, img);
  ProjectPoints(s, v, f, m, img);
}

template <int N>
void CheckSame(const PointSet<N>& a, const PointSet<N>& b, int used) {
  for (int k = 1; k <= used && k <= N; ++k) {
    const auto i = static_cast<std::size_t>(k);
    FUZZ_CHECK(a.Modellpunkte[i].x == b.Modellpunkte[i].x && a.Modellpunkte[i].y == b.Modellpunkte[i].y &&
               a.Modellpunkte[i].z == b.Modellpunkte[i].z);
    FUZZ_CHECK(SameBits(a.Drehpunkte[i].x, b.Drehpunkte[i].x) && SameBits(a.Drehpunkte[i].y, b.Drehpunkte[i].y) &&
               SameBits(a.Drehpunkte[i].z, b.Drehpunkte[i].z));
    FUZZ_CHECK(SameBits(a.Zoompunkte[i].x, b.Zoompunkte[i].x) && SameBits(a.Zoompunkte[i].y, b.Zoompunkte[i].y) &&
               SameBits(a.Zoompunkte[i].z, b.Zoompunkte[i].z));
    FUZZ_CHECK(a.Bildpunkte[i] == b.Bildpunkte[i]);
  }
}

const char* const kCodes[] = {"N", "M16", "I16", "M32", "I32", "X"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TrigTables trig;
  // Slots a run does not build keep what an earlier run left there, so every
  // width starts from the same scene.
  static auto start = std::make_unique<Scene>();
  static auto want = std::make_unique<Scene>();
  static auto got = std::make_unique<Scene>();
  static bool ready = false;
  if (!ready) {
    BuildTrigTables(trig);
    ready = true;
  }
  FuzzedDataProvider in(data, size);
  ViewParams v;
  ViewStart(v, in.ConsumeIntegralInRange<int>(0, 4000), in.ConsumeIntegralInRange<int>(0, 4000));
  v.Drehwinkel = in.ConsumeIntegral<int>();
  v.Schraegwinkel = in.ConsumeIntegral<int>();
  v.Zoomfaktor = in.ConsumeBool() ? in.ConsumeFloatingPoint<double>() : in.ConsumeFloatingPointInRange(0.2, 1.0);
  v.Hoehenfaktor = in.ConsumeBool() ? in.ConsumeFloatingPoint<double>() : in.ConsumeFloatingPointInRange(0.8, 1.5);
  v.Sichtabstand = in.ConsumeBool() ? in.ConsumeIntegral<int>() : 2500;
  v.VerschiebungX = in.ConsumeIntegralInRange<int>(-100000, 100000);
  v.VerschiebungY = in.ConsumeIntegralInRange<int>(-100000, 100000);
  v.Feldbreite = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-100000, 100000) : 640;
  v.Feldtiefe = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-100000, 100000) : 640;
  SceneFlags f;
  f.OriginalZeigen = in.ConsumeBool();
  f.TuningZeigen = in.ConsumeBool();
  f.BodengitterZeigen = in.ConsumeBool();
  f.KreuzZeigen = in.ConsumeBool();
  ActiveMap m;
  m.KfXDim = in.ConsumeIntegralInRange<int>(1, 64);
  m.KfYDim = in.ConsumeIntegralInRange<int>(1, 64);
  m.KfZellen = in.ConsumeBool() ? m.KfXDim * m.KfYDim : in.ConsumeIntegralInRange<int>(-5, 5000);
  m.KfTyp = kCodes[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kCodes) - 1)];
  m.KfSigned = in.ConsumeBool();
  m.KfKreuz = in.ConsumeIntegralInRange<int>(0, 5);
  m.KfAdresse = in.ConsumeIntegralInRange<std::int32_t>(-64, 9000);
  ImageSet img;
  std::vector<std::uint8_t> bytes = in.ConsumeRemainingBytes<std::uint8_t>();
  img.OriginalGroesse = img.TuningGroesse = static_cast<std::int32_t>(bytes.size());
  img.OriginalPuffer = bytes;
  img.OriginalPuffer.push_back(0);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(b ^ 0x5A);
  img.TuningPuffer = std::move(bytes);
  img.TuningPuffer.push_back(0);

  using kernels::Width;
  *want = *start;
  kernels::Use(Width::Scalar);
  Chain(*want, trig, v, f, m, img);
  for (Width w : {Width::Avx2, Width::Avx512}) {
    if (kernels::Use(w) != w) break;
    *got = *start;
    Chain(*got, trig, v, f, m, img);
    const int cells = m.KfZellen < 0 ? 0 : m.KfZellen;
    if (f.OriginalZeigen) CheckSame(got->Original, want->Original, cells);
    if (f.TuningZeigen) CheckSame(got->Tuning, want->Tuning, cells);
    if (f.BodengitterZeigen) CheckSame(got->Boden, want->Boden, 2 * (m.KfXDim + m.KfYDim));
    if (f.KreuzZeigen) CheckSame(got->Kreuz, want->Kreuz, 9);
  }
  kernels::Use(kernels::Widest());
  *start = *want;
  return 0;
}
