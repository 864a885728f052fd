// Comparing two 4 MiB images with 1,000 defined maps against a plain memcmp of
// the two buffers (target: at most 2 x memcmp + 5 ms). The tuning image changes
// 40 of the maps and a few bytes outside them, as a tuning does.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "maps/Compare.h"
#include "support/MapImageGenerator.h"

namespace {

constexpr std::size_t kSize = std::size_t{4} << 20;
constexpr int kMaps = 1000;

struct Images {
  std::vector<std::uint8_t> original, copy, tuning, other;
  std::vector<orv::DefinedMap> maps;
};

const Images& Sample() {
  static const Images img = [] {
    Images s;
    orv::testsupport::Rng rng(2024);
    s.original.resize(kSize);
    for (auto& b : s.original) b = static_cast<std::uint8_t>(rng.Next() & 0xFF);
    s.tuning = s.copy = s.original;
    s.other.resize(kSize);
    for (auto& b : s.other) b = static_cast<std::uint8_t>(rng.Next() & 0xFF);
    // 1,000 maps of 16 x 16 cells, 8 and 16 bit, spread over the image.
    const std::int64_t stride = static_cast<std::int64_t>(kSize) / kMaps;
    for (int k = 0; k < kMaps; ++k) {
      orv::DefinedMap m;
      m.record = m.nummer = k + 1;
      m.name = "Kennfeld";
      m.layout = {k * stride, 16, 16, k % 2 ? orv::CellType::M16 : orv::CellType::N};
      s.maps.push_back(m);
      if (k % 25 == 0)  // every 25th map raised in a block of cells
        for (std::int64_t i = 0; i < 64; ++i) ++s.tuning[static_cast<std::size_t>(m.layout.start + 40 + i)];
    }
    for (std::size_t at : {std::size_t{1000}, kSize / 3 + 7, kSize - 1}) s.tuning[at] ^= 0x5A;
    return s;
  }();
  return img;
}

// The yardstick: memcmp over the whole length (equal buffers, so it cannot stop early).
void BM_Memcmp4MiB(benchmark::State& state) {
  const Images& s = Sample();
  for (auto _ : state) {
    int r = std::memcmp(s.original.data(), s.copy.data(), kSize);
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_Memcmp4MiB)->Unit(benchmark::kMicrosecond);

void BM_Compare4MiB1000Maps(benchmark::State& state) {
  const Images& s = Sample();
  std::size_t maps = 0, outside = 0;
  for (auto _ : state) {
    const orv::Comparison c = orv::Compare(s.original, s.tuning, s.maps);
    maps = c.maps.size();
    outside = c.outside.size();
    benchmark::DoNotOptimize(c);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
  state.counters["changed_maps"] = static_cast<double>(maps);
  state.counters["outside_runs"] = static_cast<double>(outside);
}
BENCHMARK(BM_Compare4MiB1000Maps)->Unit(benchmark::kMicrosecond);

// Identical images: the scan alone.
void BM_CompareIdentical4MiB(benchmark::State& state) {
  const Images& s = Sample();
  for (auto _ : state) benchmark::DoNotOptimize(orv::Compare(s.original, s.copy, s.maps));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_CompareIdentical4MiB)->Unit(benchmark::kMicrosecond);

// Not a tuning at all: two unrelated files, nearly every byte different.
void BM_CompareUnrelated4MiB(benchmark::State& state) {
  const Images& s = Sample();
  for (auto _ : state) benchmark::DoNotOptimize(orv::Compare(s.original, s.other, s.maps));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_CompareUnrelated4MiB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
