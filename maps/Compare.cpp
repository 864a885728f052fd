#include "maps/Compare.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "maps/CellFormat.h"
#include "project/Catalogue.h"
#include "project/HexText.h"

namespace orv {

namespace {

// Bytes compared with one memcmp before the scan looks closer.
constexpr std::size_t kBlock = 4096;

// First index from i on where the bytes differ, or n.
std::size_t FirstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t i, std::size_t n) {
  while (i + kBlock <= n && std::memcmp(a + i, b + i, kBlock) == 0) i += kBlock;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t x = 0, y = 0;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) break;
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// The cells of a map whose bytes lie wholly inside [0, size): indices first..last
// (last < first when none does).
struct CellSpan {
  std::int64_t first = 1, last = 0;
};
CellSpan CellsInside(const MapLayout& m, std::int64_t size) {
  const std::int64_t w = CellWidth(m.type);
  const std::int64_t cells = m.cells();
  if (w == 0 || cells == 0) return {};
  CellSpan s;
  if (m.start < 0) s.first = 1 + (-m.start + w - 1) / w;
  const std::int64_t room = size - w - m.start;
  s.last = room < 0 ? 0 : std::min(cells, 1 + room / w);
  return s;
}

// The first run that ends after `offset` (runs in address order).
std::vector<ByteRun>::const_iterator RunEndingAfter(const std::vector<ByteRun>& runs, std::int64_t offset) {
  return std::upper_bound(runs.begin(), runs.end(), offset,
                          [](std::int64_t off, const ByteRun& r) { return off < r.end(); });
}

}  // namespace

std::vector<ByteRun> ChangedRuns(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> tuning) {
  const std::size_t n = std::min(reference.size(), tuning.size());
  const std::uint8_t* a = reference.data();
  const std::uint8_t* b = tuning.data();
  std::vector<ByteRun> runs;
  std::size_t i = FirstDifference(a, b, 0, n);
  while (i < n) {
    std::size_t j = i + 1;
    while (j < n && a[j] != b[j]) ++j;
    runs.push_back({static_cast<std::int64_t>(i), static_cast<std::int64_t>(j - i)});
    i = FirstDifference(a, b, j, n);
  }
  return runs;
}

DefinedMap DefinedMapOf(std::int32_t index, const TDatensatz& rec, const std::string& systemcode) {
  DefinedMap d;
  d.record = index;
  d.nummer = rec.get(fld::Nummer);
  d.name = rec.get(fld::Kennfeldname);
  d.layout.start = ScaleAddress(ParseHex(rec.get(fld::Anfangsadresse)), systemcode);
  d.layout.xdim = rec.get(fld::XDimension);
  d.layout.ydim = rec.get(fld::YDimension);
  d.layout.type = CellTypeFromCode(rec.get(fld::KennfeldTyp));
  d.layout.isSigned = ReadCellFormatMarks(rec).marks.signedCells;
  return d;
}

std::vector<DefinedMap> DefinedMapsOfFile(std::span<const std::uint8_t> database) {
  const std::size_t count = database.size() / kRecordSize;
  std::vector<DefinedMap> maps;
  if (count == 0) return maps;
  auto record = [&](std::size_t i) {
    TDatensatz rec;
    std::copy_n(database.begin() + static_cast<std::ptrdiff_t>(i * kRecordSize), kRecordSize, rec.bytes.begin());
    return rec;
  };
  const std::string systemcode = record(0).get(fld::XBeschriftung);
  maps.reserve(count - 1);
  for (std::size_t i = 1; i < count; ++i)
    maps.push_back(DefinedMapOf(static_cast<std::int32_t>(i), record(i), systemcode));
  return maps;
}

std::vector<MapChange> ChangedMaps(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> tuning,
                                   const std::vector<DefinedMap>& maps, const std::vector<ByteRun>& runs) {
  const std::int64_t common = static_cast<std::int64_t>(std::min(reference.size(), tuning.size()));
  std::vector<MapChange> changed;
  for (const DefinedMap& map : maps) {
    const MapLayout& m = map.layout;
    const CellSpan cells = CellsInside(m, common);
    if (cells.last < cells.first) continue;
    // Unchanged bytes hold unchanged cells: only a map that a run reaches is read.
    const std::int64_t lo = m.CellOffset(cells.first), hi = m.CellOffset(cells.last + 1);
    const auto run = RunEndingAfter(runs, lo);
    if (run == runs.end() || run->offset >= hi) continue;
    MapChange c;
    c.map = map;
    c.comparedCells = cells.last - cells.first + 1;
    for (std::int64_t k = cells.first; k <= cells.last; ++k) {
      const std::int64_t r = ReadCell(reference, m, k).value_or(0);
      const std::int64_t t = ReadCell(tuning, m, k).value_or(0);
      if (r == t) continue;
      const std::int64_t d = t - r;
      c.minChange = c.changedCells == 0 ? d : std::min(c.minChange, d);
      c.maxChange = c.changedCells == 0 ? d : std::max(c.maxChange, d);
      ++c.changedCells;
      if (r == 0) continue;
      const double p = static_cast<double>(d) * 100.0 / static_cast<double>(std::llabs(r));
      c.minPercent = c.minPercent ? std::min(*c.minPercent, p) : p;
      c.maxPercent = c.maxPercent ? std::max(*c.maxPercent, p) : p;
    }
    if (c.changedCells > 0) changed.push_back(std::move(c));
  }
  return changed;
}

std::vector<ByteRun> RunsOutsideMaps(const std::vector<ByteRun>& runs, const std::vector<DefinedMap>& maps) {
  // The bytes of the maps as sorted, merged ranges (each far beyond any image is cut).
  constexpr std::int64_t kFar = std::int64_t{1} << 40;
  std::vector<ByteRun> covered;
  for (const DefinedMap& map : maps) {
    const std::int64_t w = CellWidth(map.layout.type);
    const std::int64_t cells = std::min(map.layout.cells(), kFar);
    if (w > 0 && cells > 0) covered.push_back({map.layout.start, cells * w});
  }
  std::sort(covered.begin(), covered.end(), [](const ByteRun& a, const ByteRun& b) { return a.offset < b.offset; });
  std::vector<ByteRun> merged;
  for (const ByteRun& r : covered) {
    if (!merged.empty() && r.offset <= merged.back().end())
      merged.back().length = std::max(merged.back().end(), r.end()) - merged.back().offset;
    else
      merged.push_back(r);
  }

  std::vector<ByteRun> outside;
  auto cover = merged.begin();
  for (const ByteRun& run : runs) {
    std::int64_t pos = run.offset;
    while (cover != merged.end() && cover->end() <= pos) ++cover;
    for (auto c = cover; c != merged.end() && c->offset < run.end() && pos < run.end(); ++c) {
      if (c->offset > pos) outside.push_back({pos, c->offset - pos});
      pos = std::max(pos, c->end());
    }
    if (pos < run.end()) outside.push_back({pos, run.end() - pos});
  }
  return outside;
}

Comparison Compare(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> tuning,
                   const std::vector<DefinedMap>& maps) {
  Comparison c;
  c.referenceSize = static_cast<std::int64_t>(reference.size());
  c.tuningSize = static_cast<std::int64_t>(tuning.size());
  c.runs = ChangedRuns(reference, tuning);
  c.maps = ChangedMaps(reference, tuning, maps, c.runs);
  c.outside = RunsOutsideMaps(c.runs, maps);
  return c;
}

std::string HexBytes(std::span<const std::uint8_t> image, std::int64_t offset, std::int64_t count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string s;
  const std::int64_t size = static_cast<std::int64_t>(image.size());
  for (std::int64_t i = std::max<std::int64_t>(offset, 0); i < offset + count && i < size; ++i) {
    if (!s.empty()) s += ' ';
    s += kDigits[image[static_cast<std::size_t>(i)] >> 4];
    s += kDigits[image[static_cast<std::size_t>(i)] & 15];
  }
  return s;
}

}  // namespace orv
