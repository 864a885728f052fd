// Fuzzes the map finder: the first bytes choose the options, the rest is the
// image (at most 64 KiB); an original that differs in a few bytes is given every
// other time. Every candidate and its axes must lie inside the image and obey
// the options.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "maps/MapFinder.h"

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  FinderOptions o;
  o.types = static_cast<MapTypeFilter>(in.ConsumeIntegralInRange<int>(0, 3));
  o.minDim = in.ConsumeIntegralInRange<int>(-2, 70);
  o.maxDim = in.ConsumeIntegralInRange<int>(-2, 70);
  o.topK = in.ConsumeIntegralInRange<int>(-1, 40);
  o.minScore = in.ConsumeIntegralInRange<int>(-1, 60);
  const bool withOriginal = in.ConsumeBool();
  std::vector<std::uint8_t> image = in.ConsumeRemainingBytes<std::uint8_t>();
  if (image.size() > 64 * 1024) image.resize(64 * 1024);
  std::vector<std::uint8_t> original;
  if (withOriginal) {
    original = image;
    for (std::size_t i = 0; i < original.size(); i += 97) original[i] ^= 0x11;
  }
  const auto found = FindMaps(image, o, original);

  const int minDim = std::clamp(o.minDim, 2, kMapFinderMaxDim);
  const int maxDim = std::clamp(o.maxDim, minDim, kMapFinderMaxDim);
  if (o.topK > 0) FUZZ_CHECK(found.size() <= static_cast<std::size_t>(o.topK));
  for (std::size_t i = 0; i < found.size(); ++i) {
    const MapCandidate& c = found[i];
    FUZZ_CHECK(c.type == CellType::N || c.type == CellType::M16 || c.type == CellType::I16);
    if (o.types == MapTypeFilter::N) FUZZ_CHECK(c.type == CellType::N);
    if (o.types == MapTypeFilter::M16) FUZZ_CHECK(c.type == CellType::M16);
    if (o.types == MapTypeFilter::I16) FUZZ_CHECK(c.type == CellType::I16);
    FUZZ_CHECK(c.columns >= minDim && c.columns <= maxDim);
    // A curve is one row of at least four cells; a map obeys the limits both ways.
    if (c.rows == 1) FUZZ_CHECK(c.columns >= 4);
    else FUZZ_CHECK(c.rows >= minDim && c.rows <= maxDim);
    FUZZ_CHECK(c.offset >= 0 && c.offset + c.ByteSize() <= static_cast<std::int64_t>(image.size()));
    if (o.minScore > 0) FUZZ_CHECK(c.score >= o.minScore);
    for (const AxisRef* a : {&c.xAxis, &c.yAxis}) {
      if (!a->Found()) continue;
      FUZZ_CHECK(a->cellBytes == 1 || a->cellBytes == 2);
      FUZZ_CHECK(a->offset + std::int64_t{a->count} * a->cellBytes <= static_cast<std::int64_t>(image.size()));
    }
    if (c.xAxis.Found()) FUZZ_CHECK(c.xAxis.count == c.columns);
    if (i > 0) FUZZ_CHECK(found[i - 1].score >= c.score);
    if (!withOriginal) FUZZ_CHECK(!c.differsFromOriginal);
  }
  return 0;
}
