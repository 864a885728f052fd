// Map finder speed on a generated 1 MiB image (target: at most 0.5 s per MiB on
// one core) and its recall / precision over several unseen seeds as counters.
#include <benchmark/benchmark.h>

#include "maps/MapFinder.h"
#include "support/MapImageGenerator.h"

namespace {

using orv::testsupport::GenerateMapImage;
using orv::testsupport::GeneratorOptions;

GeneratorOptions OneMiB() {
  GeneratorOptions o;
  o.size = 1024 * 1024;
  o.mapCount = 300;
  return o;
}

void BM_FindMaps1MiB(benchmark::State& state) {
  const auto img = GenerateMapImage(4242, OneMiB());
  std::size_t found = 0;
  for (auto _ : state) {
    auto c = orv::FindMaps(img.bytes, orv::FinderOptions{});
    found = c.size();
    benchmark::DoNotOptimize(c);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * img.bytes.size()));
  state.counters["candidates"] = static_cast<double>(found);
}
BENCHMARK(BM_FindMaps1MiB)->Unit(benchmark::kMillisecond);

// Accuracy over seeds the finder was not tuned on: recall is the share of planted
// maps found with exact offset and width among the top 2 x planted candidates,
// precision the share of the top `planted` candidates that lie on a planted map.
void BM_FinderAccuracy(benchmark::State& state) {
  int planted = 0, found = 0, typed = 0, checked = 0, correct = 0;
  for (auto _ : state) {
    planted = found = typed = checked = correct = 0;
    for (std::uint64_t seed = 3001; seed <= 3004; ++seed) {
      const auto img = GenerateMapImage(seed, OneMiB());
      const auto s = orv::testsupport::ScoreCandidates(img, orv::FindMaps(img.bytes, orv::FinderOptions{}));
      planted += s.planted;
      found += s.found;
      typed += s.foundTyped;
      checked += s.topChecked;
      correct += s.topCorrect;
    }
  }
  state.counters["recall"] = planted ? double(found) / planted : 0.0;
  state.counters["recall_typed"] = planted ? double(typed) / planted : 0.0;
  state.counters["precision"] = checked ? double(correct) / checked : 0.0;
  state.counters["planted"] = planted;
}
BENCHMARK(BM_FinderAccuracy)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
