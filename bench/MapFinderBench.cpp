// Map finder speed on generated 1 MiB images of the 16- and 32-bit kinds
// (target: at most 0.5 s per MiB on one core) and its accuracy, per image family
// and per layout kind, over seeds it was not tuned on, as counters.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "maps/MapFinder.h"
#include "support/MapImageGenerator.h"

namespace {

using orv::testsupport::FamilyName;
using orv::testsupport::FinderScore;
using orv::testsupport::GenerateMapImage;
using orv::testsupport::GeneratorOptions;
using orv::testsupport::ImageFamily;

void BM_FindMaps1MiB(benchmark::State& state) {
  GeneratorOptions o;
  o.family = static_cast<ImageFamily>(state.range(0));
  o.size = 1024 * 1024;
  const auto img = GenerateMapImage(4242, o);
  std::size_t found = 0;
  for (auto _ : state) {
    auto c = orv::FindMaps(img.bytes, orv::FinderOptions{});
    found = c.size();
    benchmark::DoNotOptimize(c);
  }
  state.SetLabel(FamilyName(o.family));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * img.bytes.size()));
  state.counters["candidates"] = static_cast<double>(found);
}
BENCHMARK(BM_FindMaps1MiB)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

// 1 MiB of one small 16-bit table repeated (period in bytes): every table found
// occurs thousands of times, which must not make looking for copies slow.
void BM_FindMapsRepeated(benchmark::State& state) {
  const auto period = static_cast<std::size_t>(state.range(0));
  std::vector<std::uint8_t> image(1024 * 1024);
  for (std::size_t i = 0; i + 1 < image.size(); i += 2) {
    const std::size_t k = (i / 2) % (period / 2), r = k / 8, c = k % 8;
    const auto v = static_cast<unsigned>(10000 + 300 * r + 200 * c + 7 * r * c);
    image[i] = static_cast<std::uint8_t>(v >> 8);
    image[i + 1] = static_cast<std::uint8_t>(v);
  }
  std::size_t found = 0;
  for (auto _ : state) {
    auto c = orv::FindMaps(image, orv::FinderOptions{});
    found = c.size();
    benchmark::DoNotOptimize(c);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
  state.counters["candidates"] = static_cast<double>(found);
}
BENCHMARK(BM_FindMapsRepeated)->Arg(128)->Arg(200)->Unit(benchmark::kMillisecond);

// Exact: offset and size (either orientation) among the top 2 x planted
// candidates; overlap: overlapped by one of them; precision: share of those
// candidates that lie on a planted table; listed: the same over the whole list.
void BM_FinderAccuracy(benchmark::State& state) {
  const auto family = static_cast<ImageFamily>(state.range(0));
  FinderScore total;
  for (auto _ : state) {
    total = FinderScore{};
    for (std::uint64_t seed = 3001; seed <= 3008; ++seed) {
      GeneratorOptions o;
      o.family = family;
      if (family == ImageFamily::Motronic8) o.size = seed % 2 ? 32 * 1024 : 64 * 1024;
      const auto img = GenerateMapImage(seed, o);
      total.Add(orv::testsupport::ScoreCandidates(img, orv::FindMaps(img.bytes, orv::FinderOptions{})));
    }
  }
  state.SetLabel(FamilyName(family));
  state.counters["planted"] = total.planted[0];
  state.counters["exact"] = total.Recall();
  state.counters["overlap"] = total.Overlap();
  state.counters["precision"] = total.Precision();
  state.counters["listed_precision"] = total.ListPrecision();
  state.counters["listed"] = total.listed;
  for (int k = 1; k <= orv::testsupport::kLayoutKinds; ++k) {
    if (!total.planted[k]) continue;
    const std::string n = std::to_string(k);
    state.counters["exact_L" + n] = total.Recall(k);
    state.counters["planted_L" + n] = total.planted[k];
  }
}
BENCHMARK(BM_FinderAccuracy)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
