// Checksum of a whole 1 MiB image per algorithm and summing mode; the dialog
// recomputes both images on every "Refresh", so each run should stay far below
// a millisecond.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "project/Checksums.h"

namespace {

std::vector<std::uint8_t> MakeImage() {
  std::vector<std::uint8_t> img(std::size_t{1} << 20);
  std::uint32_t s = 1;
  for (auto& b : img) b = static_cast<std::uint8_t>((s = s * 1103515245u + 12345u) >> 16);
  return img;
}

void BM_Checksum(benchmark::State& state) {
  static const std::vector<std::uint8_t> img = MakeImage();
  const auto algorithm = static_cast<orv::ChecksumAlgorithm>(state.range(0));
  const auto mode = static_cast<orv::SumMode>(state.range(1));
  for (auto _ : state) {
    const auto r = orv::ComputeChecksum(img, algorithm, mode, orv::ChecksumRange::All());
    benchmark::DoNotOptimize(r.Value);
  }
  state.SetLabel(std::string(orv::AlgorithmCaption(algorithm)) + " / " + orv::SumModeCaption(mode));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(img.size()));
}

BENCHMARK(BM_Checksum)->ArgsProduct({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 1, 2}})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
