// Speed of the 3D view chain on the largest map: the point chain alone and a
// whole redraw into a canvas that only counts its calls.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/PointKernels.h"
#include "graphics/ViewModel.h"

namespace {

using namespace orv;

// Counts calls and keeps a running sum so nothing can be optimised away.
class CountingCanvas : public Canvas {
 public:
  int Width() const override { return 800; }
  int Height() const override { return 600; }
  void Erase(Rgb) override { ++calls; }
  void SetPen(Rgb) override { ++calls; }
  void MoveTo(int x, int y) override { sum += x ^ y; }
  void LineTo(int x, int y) override {
    sum += x ^ y;
    ++lines;
  }
  void TextOut(int x, int, std::string_view t) override { sum += x + static_cast<std::int64_t>(t.size()); }

  std::int64_t calls = 0, lines = 0, sum = 0;
};

// With repetitions, the fastest run is the figure least disturbed by other load.
double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

struct Setup {
  TrigTables trig;
  ViewParams view;
  SceneFlags flags;
  ImageSet images;
  ActiveMap map;
  WindowColours colours;
  std::unique_ptr<Scene> scene = std::make_unique<Scene>();

  Setup() {
    BuildTrigTables(trig);
    ViewStart(view, 800, 600);
    flags.OriginalZeigen = flags.TuningZeigen = true;
    map.KfXDim = map.KfYDim = 64;
    map.KfZellen = 4096;
    map.KfTyp = "I16";
    map.KfAdresse = 0x100;
    map.KfKreuz = 1;
    map.KfXText = "Drehzahl";
    map.KfYText = "Last";
    const std::size_t size = 0x100 + 2 * 4096 + 64;
    std::vector<std::uint8_t> org(size + 1), tun(size + 1);
    for (std::size_t i = 0; i < size; ++i) {
      org[i] = static_cast<std::uint8_t>(i * 7 + (i >> 7));
      tun[i] = static_cast<std::uint8_t>(i * 11 + (i >> 5));
    }
    images.OriginalPuffer = std::move(org);
    images.TuningPuffer = std::move(tun);
    images.OriginalGroesse = images.TuningGroesse = static_cast<std::int32_t>(size);
  }
};

const char* WidthName(kernels::Width w) {
  switch (w) {
    case kernels::Width::Avx512: return "avx512";
    case kernels::Width::Avx2: return "avx2";
    default: return "scalar";
  }
}

// Build, rotate, zoom, pan and project both surfaces of a 64 x 64 map, with the
// loops at the width of the first argument (0 one point at a time, 1 AVX2,
// 2 AVX-512; a width the processor lacks is skipped), of unsigned (second
// argument 0) or signed cells (1).
void BM_PointChain64x64(benchmark::State& state) {
  const auto wanted = static_cast<kernels::Width>(state.range(0));
  if (kernels::Use(wanted) != wanted) {
    state.SkipWithError("not available on this processor");
    kernels::Use(kernels::Widest());
    return;
  }
  Setup s;
  s.map.KfSigned = state.range(1) != 0;
  state.SetLabel(std::string(WidthName(wanted)) + (s.map.KfSigned ? " signed" : ""));
  s.flags.BodengitterZeigen = s.flags.KreuzZeigen = false;
  int turn = 0;
  for (auto _ : state) {
    s.view.Drehwinkel = 1 + (turn++ % 359);
    BuildModelPoints(*s.scene, s.view, s.flags, s.map, s.images);
    RotatePoints(*s.scene, s.trig, s.view, s.flags, s.map, s.images);
    ZoomPoints(*s.scene, s.view, s.flags, s.map, s.images);
    PanPoints(*s.scene, s.view, s.flags, s.map, s.images);
    ProjectPoints(*s.scene, s.view, s.flags, s.map, s.images);
    benchmark::DoNotOptimize(s.scene->Tuning.Bildpunkte[4096]);
    benchmark::DoNotOptimize(s.scene->Original.Bildpunkte[4096]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 2 * 4096);
  kernels::Use(kernels::Widest());
}
BENCHMARK(BM_PointChain64x64)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);

// The whole redraw with grid and cross; the canvas only counts.
void BM_RedrawView64x64(benchmark::State& state) {
  Setup s;
  CountingCanvas canvas;
  int turn = 0;
  for (auto _ : state) {
    s.view.Drehwinkel = 1 + (turn++ % 359);
    RedrawView(*s.scene, s.trig, s.view, s.flags, s.map, s.images, s.colours, canvas);
    benchmark::DoNotOptimize(canvas.sum);
  }
  state.counters["lines/redraw"] =
      benchmark::Counter(static_cast<double>(canvas.lines) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_RedrawView64x64)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Fastest);

}  // namespace

BENCHMARK_MAIN();
