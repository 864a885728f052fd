#include "maps/MapHeaderScan.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <unordered_map>

namespace orv {

namespace {

// Largest count a header may give; larger ones are not believed.
constexpr int kMaxCount = 64;
// Most entries collected before the search stops.
constexpr std::size_t kMaxEntries = 1'000'000;
// Bytes that may lie between a short curve and the entry that vouches for it.
constexpr std::int64_t kNeighbourGap = 16;

double Roughness(const std::int32_t* v, int cols, int rows) {
  std::int32_t lo = v[0], hi = v[0];
  const int cells = cols * rows;
  for (int k = 1; k < cells; ++k) {
    lo = std::min(lo, v[k]);
    hi = std::max(hi, v[k]);
  }
  if (hi == lo) return -1.0;
  const double inv = 1.0 / (double(hi) - double(lo));
  double along = 0, across = 0;
  int nAlong = 0, nAcross = 0;
  for (int r = 0; r < rows; ++r) {
    const std::int32_t* row = v + static_cast<std::ptrdiff_t>(r) * cols;
    for (int c = 2; c < cols; ++c) {
      along += std::abs(double(row[c]) - 2.0 * row[c - 1] + row[c - 2]);
      ++nAlong;
    }
    if (rows == 2 && r == 1) {
      for (int c = 0; c < cols; ++c) {
        across += std::abs(double(row[c]) - row[c - cols]);
        ++nAcross;
      }
    } else if (r >= 2) {
      for (int c = 0; c < cols; ++c) {
        across += std::abs(double(row[c]) - 2.0 * row[c - cols] + row[c - 2 * cols]);
        ++nAcross;
      }
    }
  }
  // Random values: mean |second difference| is about 0.56 of the range, mean
  // |difference| about 0.33; a smooth table stays far below both.
  double r = 0;
  int terms = 0;
  if (nAlong) { r += along * inv / nAlong / 0.56; ++terms; }
  if (nAcross) { r += across * inv / nAcross / (rows == 2 ? 0.33 : 0.56); ++terms; }
  if (!terms) {
    // Two cells in a row and one row: nothing to judge.
    return 0.5;
  }
  return r / terms;
}

}  // namespace

double TableQuality(const std::int32_t* values, int columns, int rows) {
  if (columns <= 0 || rows <= 0) return 0.0;
  const double r = Roughness(values, columns, rows);
  if (r < 0) return 0.4;
  double q = std::clamp(1.0 - 1.6 * r, 0.0, 1.0);
  if (rows > 1) {
    // Rising (or falling) all the way through, across the row ends too: a counter
    // or an address table, not a map, whose rows start low again.
    const int cells = columns * rows;
    int up = 0, down = 0;
    for (int k = 1; k < cells; ++k) {
      up += values[k] > values[k - 1];
      down += values[k] < values[k - 1];
    }
    if (std::min(up, down) * 20 <= cells) q *= 0.3;
  }
  return q;
}

namespace {

struct Reader {
  std::span<const std::uint8_t> b;
  std::int64_t n;
  bool be;

  std::int32_t Cell(std::int64_t at, int width, bool isSigned) const {
    if (width == 1) {
      const std::int32_t v = b[static_cast<std::size_t>(at)];
      return isSigned && v >= 128 ? v - 256 : v;
    }
    const std::int32_t hi = b[static_cast<std::size_t>(at + (be ? 0 : 1))];
    const std::int32_t lo = b[static_cast<std::size_t>(at + (be ? 1 : 0))];
    const std::int32_t v = hi * 256 + lo;
    return isSigned && v >= 32768 ? v - 65536 : v;
  }
  int Word(std::int64_t at) const { return Cell(at, 2, false); }
};

// A counter or address table read as header, axes and values: the cells after
// the last axis go on rising (or falling) in the axis's own steps.
bool ContinuesAxis(const Reader& rd, std::int64_t axisEnd, int width, int axisCount, std::int64_t valuesEnd) {
  if (axisCount < 2) return false;
  const std::int64_t first = axisEnd - std::int64_t{axisCount} * width;
  const double step = (double(rd.Cell(axisEnd - width, width, false)) - rd.Cell(first, width, false)) / (axisCount - 1);
  if (step == 0) return false;
  std::int32_t prev = rd.Cell(axisEnd - width, width, false);
  int checked = 0;
  for (std::int64_t at = axisEnd; at + width <= valuesEnd && checked < 8; at += width, ++checked) {
    const std::int32_t v = rd.Cell(at, width, false);
    const double d = double(v) - prev;
    if (d * step <= 0 || std::abs(d) < 0.5 * std::abs(step) || std::abs(d) > 2.0 * std::abs(step)) return false;
    prev = v;
  }
  return checked >= 4;
}

// The values of a block, unsigned and as two's complement; the better reading wins.
// Also what is left of the work allowed: an image that is nothing but headers
// must not cost more than a bounded multiple of its size.
struct Values {
  std::vector<std::int32_t> u, s;
  std::int64_t budget = 0;  // value cells that may still be judged
  bool Spent(std::size_t entries) const { return budget <= 0 || entries >= kMaxEntries; }
};

double BestQuality(const Reader& rd, std::int64_t at, int width, int cols, int rows, Values& scratch,
                   bool* isSigned) {
  const int cells = cols * rows;
  scratch.budget -= cells;
  scratch.u.resize(static_cast<std::size_t>(cells));
  scratch.s.resize(static_cast<std::size_t>(cells));
  bool anyHigh = false;
  int erased = 0;
  for (int k = 0; k < cells; ++k) {
    const std::int64_t p = at + std::int64_t{k} * width;
    scratch.u[static_cast<std::size_t>(k)] = rd.Cell(p, width, false);
    scratch.s[static_cast<std::size_t>(k)] = rd.Cell(p, width, true);
    anyHigh = anyHigh || scratch.u[static_cast<std::size_t>(k)] != scratch.s[static_cast<std::size_t>(k)];
    erased += scratch.u[static_cast<std::size_t>(k)] == (width == 1 ? 0xFF : 0xFFFF);
  }
  // Erased flash is no table.
  if (erased * 2 > cells) return 0.0;
  // A few values of a curve tell nothing about smoothness: they count as neutral.
  const double floor = rows == 1 && cols <= 6 ? 0.5 : 0.0;
  const double qu = std::max(floor, TableQuality(scratch.u.data(), cols, rows));
  *isSigned = false;
  if (!anyHigh) return qu;
  const double qs = std::max(floor, TableQuality(scratch.s.data(), cols, rows));
  if (qs > qu + 0.05) {
    *isSigned = true;
    return qs;
  }
  return qu;
}

// One recognised entry before the choice between overlapping ones.
struct Entry {
  std::int64_t from = 0;  // first header byte
  std::int64_t end = 0;   // one past the last value byte
  MapCandidate c;
  double quality = 0;
  int fwd = 1, bwd = 1;   // chain lengths from and to it
  bool strongNeighbour = false;  // next to an entry that is believed on its own
  bool listable = false;  // within the options' dimensions
};

// ---------------------------------------------------------------- 8-bit Motronic kind

// The steps of one axis: the first may be anything (256 minus the top
// breakpoint), the others are gaps between different breakpoints (not zero), and
// together they stay within the input's range.
bool DeltaAxis(std::span<const std::uint8_t> b, std::int64_t at, int n) {
  int sum = b[static_cast<std::size_t>(at)];
  for (int k = 1; k < n; ++k) {
    const int d = b[static_cast<std::size_t>(at + k)];
    if (d == 0) return false;
    sum += d;
    if (sum > 256) return false;
  }
  return true;
}

void ScanMotronic8(std::span<const std::uint8_t> b, std::vector<Entry>& out, Values& scratch,
                   const std::atomic<bool>* cancel) {
  const std::int64_t n = static_cast<std::int64_t>(b.size());
  const Reader rd{b, n, false};
  for (std::int64_t i = 0; i + 4 <= n; ++i) {
    if ((i & 0xFFFF) == 0 && cancel && cancel->load(std::memory_order_relaxed)) return;
    if (scratch.Spent(out.size())) return;
    const int n1 = b[static_cast<std::size_t>(i + 1)];
    if (n1 < 2 || n1 > kMaxCount) continue;
    const std::uint8_t input = b[static_cast<std::size_t>(i)];
    if (input == 0xFF || input == 0x00) continue;
    const std::int64_t a1 = i + 2;
    if (a1 + n1 > n || !DeltaAxis(b, a1, n1)) continue;
    const std::int64_t j = a1 + n1;
    auto emit = [&](std::int64_t data, int cols, int rows, std::int64_t xAxis, std::int64_t yAxis) {
      const std::int64_t end = data + std::int64_t{cols} * rows;
      if (end > n) return;
      if (ContinuesAxis(rd, data, 1, cols, end)) return;
      Entry e;
      e.from = i;
      e.end = end;
      e.c.offset = data;
      e.c.type = CellType::N;
      e.c.columns = cols;
      e.c.rows = rows;
      e.c.layout = MapLayoutKind::Header;
      e.quality = BestQuality(rd, data, 1, cols, rows, scratch, &e.c.isSigned);
      auto axis = [&](std::int64_t at, int count) {
        AxisRef a;
        a.offset = at;
        a.count = count;
        a.cellBytes = 1;
        a.deltaCoded = true;
        return a;
      };
      e.c.xAxis = axis(xAxis, cols);
      if (yAxis >= 0) e.c.yAxis = axis(yAxis, rows);
      out.push_back(e);
    };
    // A curve: its values follow the axis.
    emit(j, n1, 1, a1, -1);
    // A map: a second block, whose dimension runs fastest.
    if (j + 2 <= n) {
      const int n2 = b[static_cast<std::size_t>(j + 1)];
      const std::uint8_t input2 = b[static_cast<std::size_t>(j)];
      if (n2 >= 2 && n2 <= kMaxCount && input2 != 0xFF && input2 != 0x00 && j + 2 + n2 <= n &&
          DeltaAxis(b, j + 2, n2))
        emit(j + 2 + n2, n2, n1, j + 2, a1);
    }
  }
}

// ---------------------------------------------------------------- 16-bit inline headers

bool Rising(const Reader& rd, std::int64_t at, int count, int width, bool isSigned) {
  std::int32_t prev = rd.Cell(at, width, isSigned);
  for (int k = 1; k < count; ++k) {
    const std::int32_t v = rd.Cell(at + std::int64_t{k} * width, width, isSigned);
    if (v <= prev) return false;
    prev = v;
  }
  return true;
}

// 0: not an axis; otherwise rising, unsigned (1) or signed (2).
int AxisKind(const Reader& rd, std::int64_t at, int count, int width) {
  if (at < 0 || at + std::int64_t{count} * width > rd.n) return 0;
  if (Rising(rd, at, count, width, false)) return 1;
  if (Rising(rd, at, count, width, true)) return 2;
  return 0;
}

void Scan16(std::span<const std::uint8_t> b, bool be, std::vector<Entry>& out, Values& scratch,
            const std::atomic<bool>* cancel) {
  const std::int64_t n = static_cast<std::int64_t>(b.size());
  const Reader rd{b, n, be};
  auto axisRef = [&](std::int64_t at, int count, int width, int kind) {
    AxisRef a;
    a.offset = at;
    a.count = count;
    a.cellBytes = width;
    a.bigEndian = be && width == 2;
    a.isSigned = kind == 2;
    return a;
  };
  // Tries every value width behind axes that end at `data`, keeps the better.
  auto emit = [&](std::int64_t from, std::int64_t ax, int nx, int xKind, std::int64_t ay, int ny, int yKind, int aw,
                  std::int64_t data) {
    if (ContinuesAxis(rd, data, aw, ny > 1 ? ny : nx, std::min<std::int64_t>(n, data + std::int64_t{nx} * ny * aw))) return;
    // Both value widths stay candidates: which one is right shows best in the
    // chain of entries, whose next one begins where the right reading ends.
    for (int dw = 1; dw <= 2; ++dw) {
      if (dw == 2 && data % 2) continue;
      const std::int64_t end = data + std::int64_t{nx} * ny * dw;
      if (end > n) continue;
      Entry best;
      best.quality = -1;
      // The X axis normally runs fastest; the other order is tried too.
      for (int flip = 0; flip < (ny > 1 ? 2 : 1); ++flip) {
        const int cols = flip ? ny : nx, rows = flip ? nx : ny;
        bool isSigned = false;
        double q = BestQuality(rd, data, dw, cols, rows, scratch, &isSigned);
        if (flip) q -= 0.02;
        if (dw != aw) q -= 0.01;
        if (q <= best.quality) continue;
        best.quality = q;
        best.from = from;
        best.end = end;
        best.c = MapCandidate{};
        best.c.offset = data;
        best.c.type = dw == 1 ? CellType::N : (be ? CellType::M16 : CellType::I16);
        best.c.columns = cols;
        best.c.rows = rows;
        best.c.isSigned = isSigned;
        best.c.layout = MapLayoutKind::Header;
        const AxisRef x = axisRef(ax, nx, aw, xKind);
        const AxisRef y = ny > 1 ? axisRef(ay, ny, aw, yKind) : AxisRef{};
        best.c.xAxis = flip ? y : x;
        best.c.yAxis = flip ? x : y;
      }
      if (best.quality >= 0) out.push_back(best);
    }
  };
  for (std::int64_t i = 0; i + 4 <= n; ++i) {
    if ((i & 0xFFFF) == 0 && cancel && cancel->load(std::memory_order_relaxed)) return;
    if (scratch.Spent(out.size())) return;
    const bool even = i % 2 == 0;
    // Map, dimensions as two bytes; curve, count as a byte with a zero pad.
    const int b0 = b[static_cast<std::size_t>(i)], b1 = b[static_cast<std::size_t>(i + 1)];
    if (b0 >= 2 && b0 <= kMaxCount) {
      for (int aw = 1; aw <= 2; ++aw) {
        if (aw == 2 && !even) continue;
        const std::int64_t ax = i + 2;
        if (b1 >= 2 && b1 <= kMaxCount) {
          const int xk = AxisKind(rd, ax, b0, aw);
          if (xk) {
            const std::int64_t ay = ax + std::int64_t{b0} * aw;
            const int yk = AxisKind(rd, ay, b1, aw);
            if (yk) emit(i, ax, b0, xk, ay, b1, yk, aw, ay + std::int64_t{b1} * aw);
          }
        }
        // With an even offset in little-endian order this is also the word count.
        if (b1 == 0 && b0 >= 4) {
          const int xk = AxisKind(rd, ax, b0, aw);
          if (xk) emit(i, ax, b0, xk, -1, 1, 0, aw, ax + std::int64_t{b0} * aw);
        }
      }
    }
    if (!even || i + 4 > n) continue;
    // Dimensions as words; a curve's count as a word (big-endian: zero byte first).
    const int w0 = rd.Word(i);
    if (w0 < 2 || w0 > kMaxCount) continue;
    for (int aw = 1; aw <= 2; ++aw) {
      if (i + 8 <= n) {
        const int w1 = rd.Word(i + 2);
        if (w1 >= 2 && w1 <= kMaxCount) {
          const std::int64_t ax = i + 4;
          const int xk = AxisKind(rd, ax, w0, aw);
          if (xk) {
            const std::int64_t ay = ax + std::int64_t{w0} * aw;
            const int yk = AxisKind(rd, ay, w1, aw);
            if (yk) emit(i, ax, w0, xk, ay, w1, yk, aw, ay + std::int64_t{w1} * aw);
          }
        }
      }
      if (be && w0 >= 4) {
        const std::int64_t ax = i + 2;
        const int xk = AxisKind(rd, ax, w0, aw);
        if (xk) emit(i, ax, w0, xk, -1, 1, 0, aw, ax + std::int64_t{w0} * aw);
      }
    }
  }
}

// ---------------------------------------------------------------- choosing

bool Listable(const MapCandidate& c, const FinderOptions& o) {
  const int minDim = std::clamp(o.minDim, 2, kMapFinderMaxDim);
  const int maxDim = std::clamp(o.maxDim, minDim, kMapFinderMaxDim);
  switch (o.types) {
    case MapTypeFilter::N: if (c.type != CellType::N) return false; break;
    case MapTypeFilter::M16: if (c.type != CellType::M16) return false; break;
    case MapTypeFilter::I16: if (c.type != CellType::I16) return false; break;
    default: break;
  }
  if (c.rows == 1) return c.columns >= std::max(4, minDim) && c.columns <= maxDim;
  return c.columns >= minDim && c.columns <= maxDim && c.rows >= minDim && c.rows <= maxDim;
}

// Chains: the entries of a calibration area follow each other, at most a pad
// byte apart (to the next even address). fwd is the length of the longest chain
// of entries starting with an entry, bwd of the longest one ending with it.
void CountChains(std::vector<Entry>& all) {
  std::vector<std::size_t> order(all.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return all[a].from < all[b].from; });
  std::unordered_map<std::int64_t, int> bestFwdAt, bestBwdEndingAt;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    Entry& e = all[*it];
    int next = 0;
    for (std::int64_t at : {e.end, e.end + 1}) {
      if (at == e.end + 1 && e.end % 2 == 0) break;
      if (auto f = bestFwdAt.find(at); f != bestFwdAt.end()) next = std::max(next, f->second);
    }
    e.fwd = 1 + next;
    int& slot = bestFwdAt[e.from];
    slot = std::max(slot, e.fwd);
  }
  for (std::size_t i : order) {
    Entry& e = all[i];
    int prev = 0;
    if (auto f = bestBwdEndingAt.find(e.from); f != bestBwdEndingAt.end()) prev = f->second;
    if (e.from % 2 == 0) {
      if (auto f = bestBwdEndingAt.find(e.from - 1); f != bestBwdEndingAt.end()) prev = std::max(prev, f->second);
    }
    e.bwd = 1 + prev;
    int& slot = bestBwdEndingAt[e.end];
    slot = std::max(slot, e.bwd);
  }
}

// An entry is sure of itself with smooth values behind long axes.
bool Strong(const Entry& e) {
  const int axisCells = e.c.xAxis.count + (e.c.yAxis.Found() ? e.c.yAxis.count : 0);
  return e.quality >= 0.75 && axisCells >= 8;
}

void MarkStrongNeighbours(std::vector<Entry>& all) {
  // Entries sure of themselves, by start and by end; a short gap (a few scalar
  // values or a pad) may lie between neighbours of one calibration area.
  std::vector<std::int64_t> starts, ends;
  for (const Entry& e : all) {
    if (!Strong(e)) continue;
    starts.push_back(e.from);
    ends.push_back(e.end);
  }
  std::sort(starts.begin(), starts.end());
  std::sort(ends.begin(), ends.end());
  auto within = [](const std::vector<std::int64_t>& v, std::int64_t lo, std::int64_t hi) {
    const auto it = std::lower_bound(v.begin(), v.end(), lo);
    return it != v.end() && *it <= hi;
  };
  for (Entry& e : all) {
    e.strongNeighbour = within(starts, e.end, e.end + kNeighbourGap) || within(ends, e.from - kNeighbourGap, e.from);
  }
}

double EntryScore(const Entry& e) {
  // The header's own evidence grows with its axes: a chance header of two short
  // axes is far likelier than one of two long ones.
  const int axisCells = e.c.xAxis.count + (e.c.yAxis.Found() ? e.c.yAxis.count : 0);
  const double header = std::min(1.0, axisCells / 16.0);
  return 40.0 * e.quality + 15.0 * header + 8.0 * std::min(e.fwd - 1, 3) + 8.0 * std::min(e.bwd - 1, 3) +
         (e.c.rows > 1 ? 5.0 : 0.0);
}

// A header alone, without neighbours and with values that do not look like a
// table, is chance; inside a long chain even odd values are believed.
bool Believed(const Entry& e) {
  const int chain = e.fwd + e.bwd - 1;
  // A short curve: its values say little, and one neighbour may be chance unless
  // that one is sure of itself.
  if (e.c.rows == 1 && e.c.columns <= 6) return chain >= 3 || e.strongNeighbour;
  return e.quality >= 0.75 || (chain >= 2 && e.quality >= 0.45) || (chain >= 3 && e.quality >= 0.25) ||
         (e.fwd >= 3 && e.bwd >= 3);
}

}  // namespace

std::vector<MapCandidate> FindHeaderMaps(std::span<const std::uint8_t> image, const FinderOptions& options,
                                         const std::atomic<bool>* cancel, std::vector<ByteSpan>* occupied,
                                         ByteOrder* byteOrder) {
  std::vector<Entry> all;
  Values scratch;
  scratch.budget = 48 * static_cast<std::int64_t>(image.size()) + 4'000'000;
  // The 8-bit controllers that store such headers have images of 32 to 128 KiB;
  // in the far larger images of 16- and 32-bit controllers a few byte patterns
  // always read as such headers and would break up the tables they lie in.
  constexpr std::size_t kMotronicLargest = 256 * 1024;
  if (image.size() <= kMotronicLargest) ScanMotronic8(image, all, scratch, cancel);
  const std::size_t eightEnd = all.size();
  Scan16(image, false, all, scratch, cancel);
  const std::size_t leEnd = all.size();
  Scan16(image, true, all, scratch, cancel);
  CountChains(all);
  MarkStrongNeighbours(all);

  // One image keeps one byte order: entries of 16-bit cells in the order that
  // has fewer linked entries are dropped.
  auto linked = [&](std::size_t from, std::size_t to) {
    int k = 0;
    for (std::size_t i = from; i < to; ++i) {
      const bool wide = all[i].c.type != CellType::N || all[i].c.xAxis.cellBytes == 2;
      k += wide && all[i].fwd + all[i].bwd > 3 && all[i].quality >= 0.5;
    }
    return k;
  };
  const int little = linked(eightEnd, leEnd), big = linked(leEnd, all.size());
  const bool bigEndian = big > little;
  if (byteOrder) {
    // Sure only with many chained entries, nearly all in one order.
    const int most = std::max(little, big), least = std::min(little, big);
    *byteOrder = most >= 6 && least * 5 <= most ? (bigEndian ? ByteOrder::Big : ByteOrder::Little) : ByteOrder::Unknown;
  }
  std::vector<Entry> kept;
  for (std::size_t i = 0; i < all.size(); ++i) {
    Entry& e = all[i];
    const bool wide = e.c.type != CellType::N || e.c.xAxis.cellBytes == 2;
    if (i >= eightEnd && wide && (i >= leEnd) != bigEndian) continue;
    e.listable = Listable(e.c, options);
    if (!Believed(e)) continue;
    e.c.score = EntryScore(e);
    kept.push_back(e);
  }
  std::sort(kept.begin(), kept.end(), [](const Entry& a, const Entry& b) {
    if (a.c.score != b.c.score) return a.c.score > b.c.score;
    return a.from < b.from;
  });
  // The best of overlapping entries wins; an entry's header belongs to it too.
  std::map<std::int64_t, std::int64_t> taken;
  std::vector<MapCandidate> out;
  for (const Entry& e : kept) {
    auto it = taken.lower_bound(e.end);
    bool clash = false;
    if (it != taken.begin()) {
      --it;
      clash = it->second > e.from;
    }
    if (clash) continue;
    taken[e.from] = e.end;
    if (occupied) {
      const bool shortCurve = e.c.rows == 1 && e.c.columns <= 6;
      occupied->push_back({e.from, e.end, e.c.offset, !shortCurve || e.fwd + e.bwd - 1 >= 3});
    }
    if (e.listable) out.push_back(e.c);
  }
  return out;
}

}  // namespace orv
