#include "maps/MapFinder.h"

#include "maps/MapHeaderScan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <numeric>
#include <iterator>
#include <map>
#include <set>
#include <unordered_set>

namespace orv {

const char* MapTypeCode(CellType t) {
  switch (t) {
    case CellType::N: return "N";
    case CellType::M16: return "M16";
    case CellType::I16: return "I16";
    default: return "";
  }
}

const char* LayoutName(MapLayoutKind k) { return k == MapLayoutKind::Header ? "header" : "plain"; }

namespace {

// Tuning constants (found on generated images, seeds 1 to 20).
struct Tuning {
  double alpha = 0.10;     // a row step counts as similar below alpha x local spread ...
  int slack8 = 2;          // ... plus this many raw units (8-bit cells)
  int slack16 = 24;        // ... or these (16-bit cells)
  int badStep = 3;         // run score: +1 for a similar cell, -badStep for a dissimilar one
  int chunkNeed = 15;      // similar cells among 32 that make a stretch worth following
  double tau = 0.20;       // a cell pays off when its relative neighbour difference is below tau
  double axisBonus = 0.20; // relative bonus for a monotonic axis table just before the map
  double diffBonus = 0.05; // relative bonus for differing from the original image
  double wrapWeight = 0.5; // weight of the jump at row ends ...
  double wrapCap = 0.5;    // ... counted up to this relative size
  double roughWeight = 0.5;
  double bendWeight = 0.7;
  double codeBend = 0.3;     // runs whose median bend along the storage order exceeds this share of their range are code
  double alignBonus = 0.10;  // relative bonus for 16-bit maps at even offsets
  double seamFactor = 2.5;   // a row step this many times the usual one may start another table
  double foreignFactor = 3.0;
  int runSlack = 1;          // rows a run's block may grow beyond the run's end ...
  int seamSlack = 0;         // ... or beyond a seam
  double edgeBend = 3.0;     // a row bending this many times the usual row bend leaves the table ...
  double edgeSpread = 0.05;  // ... or this share of its spread
  double edgeRough = 4.0;    // a row whose largest bend inside is this many times the usual one ...
  double edgeRoughSpread = 0.15;  // ... or this share of the spread belongs to another table
  double growStartBend = 0.4;  // the first rows of a table grown from a gap's edge bend less than this share of their spread
  double growMax = 2.0;      // rows an edge may grow by, as a share of the block's own
  double zeroNear = 0.3;     // a cell beside a zero in a row running down to zero lies this near the one before
  double exactLeast = 0.5;   // a table filling a gap between two others exactly needs only this score ...
  double exactBonus = 2.5;   // ... and gets this much more
  double planarLimit = 0.2;   // a table filling a gap exactly whose cells lie this near their plane (share of range) ...
  double planarMargin = 0.7;  // ... and at least this much nearer than at any other width; it
  double planarPay = 2.0;     // ... is listed with up to this much above the least score
  double edgeFit = 0.0;      // a row beyond the edge whose step ratio is within this of the usual one belongs to it
  double seamStep = 3.0;     // a row stepping this many times the median row step ...
  double seamShare = 0.2;    // ... and this share of the range starts another table (from seamRows rows on)
  int seamRows = 5;
};

// Marks the cells [from, n) that resemble the cell one row (uw cells) earlier:
// their difference lies within the threshold, or (steep tables) it differs from
// the row step before it by no more. Differences wrap around at the cell width
// (kShift = 32 - bits), so that a table of signed values crossing zero stays
// similar from row to row. Cells of fill never count.
template <int kShift>
void MarkSimilarRun(const std::int32_t* __restrict v0, const std::int32_t* __restrict v1, const std::int32_t* __restrict v2,
                    const std::int32_t* __restrict thr, const std::uint8_t* __restrict fill, std::uint8_t* __restrict sim,
                    std::size_t count) {
  for (std::size_t j = 0; j < count; ++j) {
    const std::int32_t d = static_cast<std::int32_t>(static_cast<std::uint32_t>(v0[j] - v1[j]) << kShift) >> kShift;
    const std::int32_t b = static_cast<std::int32_t>(static_cast<std::uint32_t>(d - v1[j] + v2[j]) << kShift) >> kShift;
    const auto t = static_cast<std::uint32_t>(thr[j]);
    const std::uint32_t near = (static_cast<std::uint32_t>(d) + t <= 2 * t) | (static_cast<std::uint32_t>(b) + t <= 2 * t);
    sim[j] = static_cast<std::uint8_t>(near & (fill[j] == 0));
  }
}

template <int kShift>
void MarkSimilar(const std::int32_t* v, const std::int32_t* thr, const std::uint8_t* fill, std::uint8_t* sim,
                 std::size_t from, std::size_t n, std::size_t uw) {
  // Blocks of a fixed length, which the compiler turns into vector code.
  constexpr std::size_t kBlock = 64;
  std::size_t k = from;
  for (; k + kBlock <= n; k += kBlock)
    MarkSimilarRun<kShift>(v + k, v + k - uw, v + k - 2 * uw, thr + k, fill + k, sim + k, kBlock);
  if (k < n) MarkSimilarRun<kShift>(v + k, v + k - uw, v + k - 2 * uw, thr + k, fill + k, sim + k, n - k);
}

// How well a hit's cells pay: its score, with a mild preference for the larger
// (a block of two tables read as one pays less per cell). Ranks hits that overlap.
double Rank(double score, int columns, int rows) { return score / std::sqrt(double(columns) * rows); }

// One way of reading the image as a sequence of cells.
struct Stream {
  CellType type = CellType::N;
  int phase = 0;      // byte offset of cell 0
  int cellBytes = 1;
  std::vector<std::int32_t> v;   // unsigned values
  std::vector<std::int32_t> vs;  // the same cells as two's complement
};

struct Found {
  std::int64_t offset;
  std::int64_t bytes;
  CellType type;
  int columns;
  int rows;
  double score;
  bool isSigned;
};

class Finder {
 public:
  Finder(std::span<const std::uint8_t> image, const FinderOptions& o, const std::atomic<bool>* cancel)
      : image_(image), cancel_(cancel) {
    minDim_ = std::clamp(o.minDim, 2, kMapFinderMaxDim);
    maxDim_ = std::clamp(o.maxDim, minDim_, kMapFinderMaxDim);
    // Refinement work is capped so that pathological (smooth everywhere) images
    // cost no more than a bounded multiple of their size.
    budget_ = 48 * static_cast<std::int64_t>(image.size()) + 4'000'000;
  }

  bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

  // Runs all widths over one stream; stops early when cancelled or out of budget.
  void Scan(const Stream& s, const std::function<void()>& widthDone) {
    const std::size_t n = s.v.size();
    if (n < static_cast<std::size_t>(minDim_) * minDim_) return;
    PrepareStream(s);
    scored_.clear();
    for (int w = minDim_; w <= maxDim_; ++w) {
      if (Cancelled()) return;
      ScanWidth(s, w);
      if (widthDone) widthDone();
    }
  }

  std::vector<Found>& found() { return found_; }

  // Gaps [from, to) in bytes that the tables found leave between them. Where
  // one table of w x h cells of this stream fills a gap exactly, the best
  // ranking one becomes the gap's `best` (the better of the streams read so far).
  struct Gap {
    std::int64_t from, to;
    Found best{}, bestEnd{};  // the table filling it or beginning it; the one ending it
    int open = 0;             // 1: its start, 2: its end is no table's edge; only tables at the other count
    bool exact = false;       // best fills it
    double planar = 1.0;      // below 1: best was taken for lying near its plane, this near
  };
  // A gap that holds nothing else is also read for a table with up to
  // junkCells cells of junk (scalars, padding) on either side.
  void FillGaps(const Stream& s, std::vector<Gap>& gaps, bool ends = false, int junkCells = 0) {
    if (s.v.empty()) return;
    cellBytes_ = s.cellBytes;
    // Between two tables a run of equal values is part of a table (a map that
    // is zero over much of its area), not fill: fill is no smooth table anyway.
    fill_.assign(s.v.size(), 0);
    const std::int64_t n = static_cast<std::int64_t>(s.v.size());
    const std::int32_t erased = s.cellBytes == 1 ? 0xFF : 0xFFFF;
    fixed_ = true;
    // Scores a block where it stands; the hit, or one of no columns.
    auto hit = [&](int w, std::int64_t start, int rows, double least, double bonus) {
      const std::size_t before = found_.size();
      budget_ -= std::int64_t{rows} * w;
      ScoreBlock(s, w, start, rows);
      Found f{0, 0, CellType::N, 0, 0, 0.0, false};
      if (found_.size() > before && found_.back().score >= least) {
        f = found_.back();
        f.score += bonus;
      }
      found_.resize(before);
      return f;
    };
    auto better = [](const Found& f, const Found& than) { return f.columns && (!than.columns || GapRank(f) > GapRank(than)); };
    for (Gap& g : gaps) {
      if (Cancelled() || budget_ <= 0) break;
      // Behind an 8-bit table of odd length a byte of padding aligns the next.
      std::int64_t gapFrom = g.from;
      if ((gapFrom - s.phase) % s.cellBytes && gapFrom < g.to && (image_[static_cast<std::size_t>(gapFrom)] == 0 || image_[static_cast<std::size_t>(gapFrom)] == 0xFF))
        ++gapFrom;
      if ((gapFrom - s.phase) % s.cellBytes || (g.to - s.phase) % s.cellBytes) continue;
      std::int64_t from = (gapFrom - s.phase) / s.cellBytes, to = (g.to - s.phase) / s.cellBytes;
      if (from < 2 || to > n) continue;
      // Tables are often padded to an even or a round address with erased bytes.
      std::int64_t inFrom = from, inTo = to;
      for (int k = 0; k < 16 / s.cellBytes && inFrom < inTo && s.v[static_cast<std::size_t>(inFrom)] == erased; ++k) ++inFrom;
      for (int k = 0; k < 16 / s.cellBytes && inFrom < inTo && s.v[static_cast<std::size_t>(inTo - 1)] == erased; ++k) --inTo;
      // One table filling the gap, with or without the padding; an 8-bit table
      // of odd length may be followed by a zero byte that aligns the next.
      std::pair<std::int64_t, std::int64_t> spans[3] = {{from, to}, {inFrom, inTo}, {inFrom, inTo}};
      if (s.cellBytes == 1 && inTo > inFrom && s.v[static_cast<std::size_t>(inTo - 1)] == 0 && (s.phase + inTo) % 2 == 0)
        --spans[2].second;
      for (int i = 0; i < 3 && !g.open; ++i) {
        if (i > 0 && spans[i] == spans[i - 1]) continue;
        const std::int64_t a = spans[i].first, b = spans[i].second;  // plain names: lambdas capture them
        const std::int64_t cells = b - a;
        ForEachShape(cells, [&](int w, int rows) {
          // Meeting both neighbours is evidence of its own: a small table scores low.
          const Found f = hit(w, a, rows, t_.exactLeast, t_.exactBonus);
          if (f.columns && (!g.exact || g.planar < 1.0 || better(f, g.best))) {
            g.best = f;
            g.exact = true;
            g.planar = 1.0;
          }
        });
      }
      if (!g.open && (!g.exact || g.planar < 1.0)) PlanarFill(s, g, std::span(spans).first(2));
      if (g.exact && !ends) continue;
      // Else a table may begin right after the one before or end right before
      // the one after, its other edge where its rows stop continuing each other.
      for (int w = minDim_; w <= maxDim_; ++w) {
        const int room = static_cast<int>(std::min<std::int64_t>(maxDim_, (inTo - inFrom) / w));
        if (room < minDim_) break;
        const std::int32_t* v = SignedReading(s, inFrom, inTo, w) ? s.vs.data() : s.v.data();
        for (int side = 0; side < 2; ++side) {
          if (g.open == side + 1) continue;
          const int rows = GrowRows(v, w, side == 0 ? inFrom : inTo - w, side == 0 ? 1 : -1, room, s.cellBytes);
          if (rows < minDim_) continue;
          const Found f = hit(w, side == 0 ? inFrom : inTo - std::int64_t{rows} * w, rows, kDefaultMinScore, 0.0);
          Found& best = side == 0 ? g.best : g.bestEnd;
          if (better(f, best)) best = f;
        }
      }
      if (junkCells > 0 && !g.open && !g.exact && !g.best.columns && !g.bestEnd.columns) {
        for (int ka = 0; ka <= junkCells; ++ka)
          for (int kb = ka == 0 ? 1 : 0; kb <= junkCells; ++kb) {
            const std::int64_t a = inFrom + ka;
            ForEachShape(inTo - kb - a, [&](int w, int rows) {
              const Found f = hit(w, a, rows, kDefaultMinScore, 0.0);
              if (better(f, g.best)) g.best = f;
            });
          }
      }
    }
    fixed_ = false;
  }

  static double GapRank(const Found& x) { return Rank(x.score, x.columns, x.rows); }

  // Calls f(columns, rows) for each shape of a table of `cells` cells.
  template <typename F>
  void ForEachShape(std::int64_t cells, F&& f) const {
    if (cells < std::int64_t{minDim_} * minDim_) return;
    for (int w = minDim_; w <= maxDim_; ++w)
      if (cells % w == 0 && cells / w >= minDim_ && cells / w <= maxDim_) f(w, static_cast<int>(cells / w));
  }

  // A gap that no table filling it passes the usual tests for: small and steep
  // tables, or mostly zero ones, are often such. The width at which its cells lie
  // clearly nearest their plane is taken, when they lie near it and no row
  // starts another table.
  void PlanarFill(const Stream& s, Gap& g, std::span<const std::pair<std::int64_t, std::int64_t>> spans) {
    double best = 1.0, second = 1.0;
    Found f{0, 0, CellType::N, 0, 0, 0.0, false};
    for (std::size_t i = 0; i < spans.size(); ++i) {
      if (i > 0 && spans[i] == spans[i - 1]) continue;
      const std::int64_t a = spans[i].first, b = spans[i].second;  // plain names: lambdas capture them
      const std::int64_t cells = b - a;
      ForEachShape(cells, [&](int w, int rows) {
        const bool sgn = SignedReading(s, a, b, w);
        const double fit = PlanarFit(sgn ? s.vs.data() : s.v.data(), w, a, rows);
        if (fit < best) {
          second = best;
          best = fit;
          f = {s.phase + a * s.cellBytes, cells * s.cellBytes, s.type, w, rows, 0.0, sgn};
        } else {
          second = std::min(second, fit);
        }
      });
    }
    if (best >= t_.planarLimit || best > t_.planarMargin * second || best >= g.planar) return;
    if (HoldsSeam(f.isSigned ? s.vs.data() : s.v.data(), f.columns, (f.offset - s.phase) / s.cellBytes, f.rows)) return;
    f.score = kDefaultMinScore + t_.planarPay * (1.0 - best / t_.planarLimit);
    g.best = f;
    g.exact = true;
    g.planar = best;
  }

  // Whether a row of the block steps from the one above far more than the
  // block's rows usually do: two tables of one width read as one. Blocks of a
  // few rows, or mostly zero ones, tell nothing by their median step.
  bool HoldsSeam(const std::int32_t* v, int w, std::int64_t start, int rows) {
    const std::int64_t cells = std::int64_t{rows} * w;
    if (rows < t_.seamRows || 2 * std::count(v + start, v + start + cells, 0) >= cells) return false;
    steps_.clear();
    for (int r = 1; r < rows; ++r) {
      double sum = 0;
      for (std::int64_t k = start + std::int64_t{r} * w; k < start + std::int64_t{r + 1} * w; ++k) sum += std::abs(double(v[k]) - v[k - w]);
      steps_.push_back(sum / w);
    }
    sortedSteps_ = steps_;
    std::nth_element(sortedSteps_.begin(), sortedSteps_.begin() + sortedSteps_.size() / 2, sortedSteps_.end());
    const double median = sortedSteps_[sortedSteps_.size() / 2];
    const auto [lo, hi] = std::minmax_element(v + start, v + start + cells);
    const double range = double(*hi) - *lo;
    return std::any_of(steps_.begin(), steps_.end(), [&](double x) { return x > t_.seamStep * median && x > t_.seamShare * range; });
  }

  // Rows of width w from the row at first on, going by `dir` (1: down, -1: up),
  // while each continues the course of the two before it as the first few do.
  int GrowRows(const std::int32_t* v, int w, std::int64_t first, int dir, int room, int cellBytes) {
    if (room < minDim_) return 0;
    auto row = [&](int r) { return first + std::int64_t{dir} * r * w; };
    // The first rows set the usual bend and roughness. Bends are taken as read
    // here (the reading suits the gap): taken around the range, the bends of
    // code would be small enough to start a table anywhere.
    double bend = 0, rough = 0, lo = v[first], hi = v[first];
    for (int r = 0; r < minDim_; ++r) {
      for (std::int64_t k = row(r); k < row(r) + w; ++k) {
        lo = std::min<double>(lo, v[k]);
        hi = std::max<double>(hi, v[k]);
      }
      rough = std::max(rough, RowRough(v, w, row(r), false));
      if (r >= 2) bend = std::max(bend, RowBend(v, w, row(r), row(r - 1), row(r - 2), false));
    }
    const double spread = hi - lo, slack = cellBytes == 1 ? 2.0 : 8.0;
    // Rows that do not continue each other to begin with hold no table of this width.
    if (spread <= 0 || bend > t_.growStartBend * spread + slack) return 0;
    const double bendLimit = std::max(t_.edgeBend * bend, t_.edgeSpread * spread) + slack;
    const double roughLimit = std::max(t_.edgeRough * rough, t_.edgeRoughSpread * spread) + slack;
    int rows = minDim_;
    while (rows < room && RowBend(v, w, row(rows), row(rows - 1), row(rows - 2), false) <= bendLimit &&
           RowRough(v, w, row(rows), false) <= roughLimit)
      ++rows;
    return rows;
  }

 private:
  // Local spread (max - min over a window of a few rows) and fill marks.
  void PrepareStream(const Stream& s) {
    cellBytes_ = s.cellBytes;
    const std::size_t n = s.v.size();
    const std::size_t block = static_cast<std::size_t>(maxDim_) * 2;
    const std::size_t blocks = (n + block - 1) / block;
    std::vector<std::int32_t> bmin(blocks), bmax(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
      std::int32_t lo = INT32_MAX, hi = INT32_MIN;
      for (std::size_t k = b * block; k < std::min(n, (b + 1) * block); ++k) {
        lo = std::min(lo, s.v[k]);
        hi = std::max(hi, s.v[k]);
      }
      bmin[b] = lo;
      bmax[b] = hi;
    }
    thr_.assign(n, 0);
    const int slack = s.cellBytes == 1 ? t_.slack8 : t_.slack16;
    for (std::size_t b = 0; b < blocks; ++b) {
      std::int32_t lo = INT32_MAX, hi = INT32_MIN;
      for (std::size_t j = b >= 1 ? b - 1 : 0; j <= std::min(blocks - 1, b + 1); ++j) {
        lo = std::min(lo, bmin[j]);
        hi = std::max(hi, bmax[j]);
      }
      const auto t = static_cast<std::int32_t>(t_.alpha * (hi - lo)) + slack;
      for (std::size_t k = b * block; k < std::min(n, (b + 1) * block); ++k) thr_[k] = t;
    }
    // A cell inside a long run of equal values is fill, not map (a map may hold a
    // few equal cells in a row). A map may be zero over much of its area, though:
    // a run of zeros is fill only when it is longer than a row of the widest map.
    fill_.assign(n, 0);
    const std::size_t minRun = s.cellBytes == 1 ? 12 : 10;
    const std::size_t zeroRun = static_cast<std::size_t>(maxDim_);
    for (std::size_t k = 0; k < n;) {
      std::size_t e = k + 1;
      while (e < n && s.v[e] == s.v[k]) ++e;
      if (e - k >= (s.v[k] == 0 ? zeroRun : minRun)) std::fill(fill_.begin() + static_cast<std::ptrdiff_t>(k), fill_.begin() + static_cast<std::ptrdiff_t>(e), 1);
      k = e;
    }
  }

  // Finds runs of cells that resemble the cell one row (w cells) earlier. The
  // similarity marks are computed for all cells in one tight loop; the run score
  // (+1 for a similar cell, -badStep otherwise, never below zero) is then only
  // followed through stretches where some 32 cells hold enough similar ones.
  void ScanWidth(const Stream& s, int w) {
    const std::int32_t* v = s.v.data();
    const std::int32_t* thr = thr_.data();
    const std::uint8_t* fill = fill_.data();
    const std::size_t n = s.v.size();
    const std::size_t uw = static_cast<std::size_t>(w);
    if (n <= uw) return;
    similar_.resize(n);
    std::uint8_t* sim = similar_.data();
    std::fill(sim, sim + uw, std::uint8_t{0});
    const std::size_t both = std::min(n, 2 * uw);
    std::fill(sim + uw, sim + both, std::uint8_t{0});
    if (s.cellBytes == 1) MarkSimilar<24>(v, thr, fill, sim, both, n, uw);
    else MarkSimilar<16>(v, thr, fill, sim, both, n, uw);
    constexpr std::size_t kChunk = 16;
    const std::size_t chunks = (n + kChunk - 1) / kChunk;
    counts_.assign(chunks + 1, 0);
    for (std::size_t c = 0; c < chunks; ++c) {
      int sum = 0;
      const std::size_t e = std::min(n, (c + 1) * kChunk);
      for (std::size_t k = c * kChunk; k < e; ++k) sum += sim[k];
      counts_[c] = static_cast<std::uint8_t>(sum);
    }
    const int need = std::max(8, static_cast<int>(0.75 * (minDim_ - 1) * w));
    std::size_t c = 0;
    while (c < chunks) {
      if (counts_[c] + counts_[c + 1] < t_.chunkNeed) {
        ++c;
        continue;
      }
      // A stretch of chunk pairs that look promising, with one chunk of margin.
      std::size_t e = c + 1;
      while (e < chunks && counts_[e] + counts_[e + 1] >= t_.chunkNeed) ++e;
      const std::size_t from = std::max(uw, (c >= 1 ? c - 1 : 0) * kChunk);
      const std::size_t to = std::min(n, (e + 2) * kChunk);
      c = e + 1;
      std::size_t k = from;
      while (k < to) {
        // The score is zero here: skip to the next similar cell.
        const void* next = std::memchr(sim + k, 1, to - k);
        if (!next) break;
        k = static_cast<std::size_t>(static_cast<const std::uint8_t*>(next) - sim);
        const std::size_t start = k;
        std::size_t peakPos = k;
        int score = 0, peak = 0;
        for (; k < to; ++k) {
          score += sim[k] ? 1 : -t_.badStep;
          if (score <= 0) break;
          if (score > peak) {
            peak = score;
            peakPos = k;
          }
        }
        if (peak >= need) {
          Segment(s, w, start, peakPos);
          if (Cancelled()) return;
        }
        ++k;
      }
    }
  }

  // Cells [first, last] resemble their upper neighbours: the map spans about
  // [first - w, last]. Long runs are cut into pieces of at most maxDim rows.
  void Segment(const Stream& s, int w, std::size_t first, std::size_t last) {
    const std::int64_t s0 = static_cast<std::int64_t>(first) - w;
    const std::int64_t len = static_cast<std::int64_t>(last) + 1 - s0;
    std::int64_t rows = (len + w - 1) / w;
    // Signed values read as unsigned jump between the top and the bottom of the
    // range where they cross zero: the reading that jumps less is taken.
    const std::int64_t from = std::max<std::int64_t>(0, s0), to = std::min<std::int64_t>(static_cast<std::int64_t>(s.v.size()), s0 + rows * w);
    useSigned_ = SignedReading(s, from, to, w);
    v_ = useSigned_ ? s.vs.data() : s.v.data();
    // Program code can repeat at a row's period, but along the "rows" it is far
    // rougher than any table: such runs are not refined at all. A run may also
    // reach from a table into rough bytes (another table of wider cells, read
    // byte by byte): it is code only where every stretch of a few rows is.
    {
      const std::int64_t window = std::max<std::int64_t>(6 * w, 48);
      bool smooth = to - from <= 2 || !Rough(from, to, 512);
      for (std::int64_t a = from; !smooth && a < to; a += window / 2) {
        const std::int64_t b = std::min(to, a + window);
        smooth = !Rough(a, b, 48);
        if (b == to) break;
      }
      if (!smooth) return;
    }
    // The run ends for this refinement where another table begins; the block
    // then grows no further than the seam.
    const std::int64_t seamRows = RefineSeams(s, w, s0, rows);
    const int slack = seamRows < rows ? t_.seamSlack : t_.runSlack;
    rows = std::min(rows, seamRows);
    if (rows <= maxDim_ + 1) {
      Refine(s, w, s0, static_cast<int>(rows), w + 3, slack);
      return;
    }
    for (std::int64_t r = 0; r < rows && !Cancelled(); r += maxDim_) {
      Refine(s, w, s0 + r * w, static_cast<int>(std::min<std::int64_t>(maxDim_, rows - r)), r == 0 ? w + 3 : 0);
    }
  }

  // Whether the cells [from, to) bend along their storage order as program code
  // does. The median bend is taken, not the mean: tables packed back to back
  // hold a few large jumps where one ends and the next begins.
  bool Rough(std::int64_t from, std::int64_t to, std::int64_t samples) {
    if (to - from <= 2) return false;
    std::int32_t lo = v_[from], hi = v_[from];
    const std::int64_t step = std::max<std::int64_t>(1, (to - from) / samples);
    bendSample_.clear();
    for (std::int64_t k = from + 1; k + 1 < to; ++k) {
      lo = std::min(lo, v_[k]);
      hi = std::max(hi, v_[k]);
      if ((k - from - 1) % step == 0) bendSample_.push_back(std::abs(v_[k + 1] - 2 * v_[k] + v_[k - 1]));
    }
    const auto mid = bendSample_.begin() + static_cast<std::ptrdiff_t>(bendSample_.size() / 2);
    std::nth_element(bendSample_.begin(), mid, bendSample_.end());
    return hi > lo && *mid > t_.codeBend * (hi - lo);
  }

  // Whether the cells [from, to) of a block w cells wide are read as two's
  // complement: the reading in which neighbours (along the rows and from row
  // to row) differ clearly less in sum. A table crossing zero jumps there when
  // read unsigned, one crossing the middle of the range when read signed;
  // other tables read the same either way. Counting only the jumps of half the
  // range or more misleads on steep tables, whose rows end in such jumps too.
  bool SignedReading(const Stream& s, std::int64_t from, std::int64_t to, int w) {
    if (to <= from) return false;
    constexpr double kClearlyLess = 0.7;
    std::int64_t asUnsigned = 0, asSigned = 0;
    for (std::int64_t k = std::max<std::int64_t>(from + 1, 1); k < to; ++k) {
      asUnsigned += std::abs(s.v[k] - s.v[k - 1]);
      asSigned += std::abs(s.vs[k] - s.vs[k - 1]);
      if (k - w >= from) {
        asUnsigned += std::abs(s.v[k] - s.v[k - w]);
        asSigned += std::abs(s.vs[k] - s.vs[k - w]);
      }
    }
    return double(asSigned) < kClearlyLess * double(asUnsigned);
  }

  // Two tables stored one after the other can form one run: the rows of each
  // resemble each other, and so may the two, read at this width. Where a row
  // differs from the one above far more than the run's rows usually do, another
  // table may begin: that start is refined on its own as well.
  // Returns the row of the first seam (rows when there is none). A row is a seam
  // when it differs from the one above far more than the run's rows usually do,
  // or when it breaks the run's smooth course: within a table each row is
  // nearly the straight continuation of the two above it.
  std::int64_t RefineSeams(const Stream& s, int w, std::int64_t s0, std::int64_t rows) {
    const std::int64_t n = static_cast<std::int64_t>(s.v.size());
    const std::int32_t* v = v_;
    steps_.clear();
    bends_.clear();
    for (std::int64_t r = 1; r < rows; ++r) {
      const std::int64_t from = std::max<std::int64_t>(s0 + r * w, w), to = std::min<std::int64_t>(n, s0 + (r + 1) * w);
      double sum = 0, bend = 0;
      for (std::int64_t k = from; k < to; ++k) {
        sum += std::abs(v[k] - v[k - w]);
        if (k >= 2 * w && r >= 2) bend += std::abs(v[k] - 2 * v[k - w] + v[k - 2 * w]);
      }
      steps_.push_back(to > from ? sum / double(to - from) : 0.0);
      bends_.push_back(to > from && r >= 2 ? bend / double(to - from) : 0.0);
    }
    if (steps_.size() < 3) return rows;
    auto median = [&](const std::vector<double>& x, std::size_t skip) {
      sortedSteps_.assign(x.begin() + static_cast<std::ptrdiff_t>(skip), x.end());
      std::nth_element(sortedSteps_.begin(), sortedSteps_.begin() + static_cast<std::ptrdiff_t>(sortedSteps_.size() / 2),
                       sortedSteps_.end());
      return sortedSteps_[sortedSteps_.size() / 2];
    };
    const double usual = median(steps_, 0);
    const double usualBend = median(bends_, 1);
    const double spread = Spread(v, std::max<std::int64_t>(0, s0), std::min<std::int64_t>(n, s0 + rows * w));
    auto seam = [&](std::size_t i) {
      if (steps_[i] > t_.seamFactor * usual + 1.0) return true;
      // A bend: this row and the next one both leave the straight course.
      const double limit = 3.0 * usualBend + 0.04 * spread + 1.0;
      return i >= 1 && i + 1 < bends_.size() && bends_[i] > limit && bends_[i + 1] > limit &&
             bends_[i] > 2.0 * std::max(bends_[i - 1], 1.0);
    };
    std::int64_t firstSeam = rows;
    for (std::size_t i = 0; i < steps_.size() && !Cancelled(); ++i) {
      const std::int64_t r = static_cast<std::int64_t>(i) + 1;
      if (!seam(i)) continue;
      // A table before the seam is refined as far as the seam (and a row more,
      // the rows need not line up with the tables).
      if (firstSeam == rows && r >= minDim_) firstSeam = r + 1;
      if (rows - r < minDim_) continue;
      std::int64_t end = r + 1;  // up to the next seam
      while (end < rows && !seam(static_cast<std::size_t>(end - 1))) ++end;
      // The run's rows need not line up with the tables': the new table starts
      // within a row of the first row whose step is large (a row that compares
      // only a few cells across the seam may already stand out).
      Refine(s, w, s0 + r * w, static_cast<int>(std::min<std::int64_t>(maxDim_, end - r + 1)), w + 1,
             end < rows ? t_.seamSlack : t_.runSlack);
    }
    return firstSeam;
  }

  // The first row (from minDim on) that seems to belong to a table of another
  // width, or `rows`. Within a table, the ratio of a row's step to the row above
  // and its step from cell to cell stays about the same; a table of another
  // width read at this one changes far more from "row" to "row" than along it.
  // The row found may be the mixed row where the next table begins: the caller
  // keeps it as the last one it may take.
  int ForeignRow(const std::int32_t* v, std::int64_t n, int w, std::int64_t s0, int rows, double spread) {
    if (rows <= minDim_) return rows;
    const double eps = 0.01 * spread + 1.0;
    ratios_.assign(static_cast<std::size_t>(rows), 0.0);
    int counted = 0;
    for (int r = 1; r < rows; ++r) {
      const std::int64_t a = s0 + std::int64_t{r} * w;
      if (a - w < 1 || a + w > n) break;
      double dv = 0, dh = 0;
      for (std::int64_t k = a; k < a + w; ++k) {
        dv += std::abs(v[k] - v[k - w]);
        dh += std::abs(v[k] - v[k - 1]);
      }
      ratios_[static_cast<std::size_t>(r)] = (dv / w + eps) / (dh / w + eps);
      counted = r;
    }
    if (counted < minDim_) return rows;
    sortedSteps_.assign(ratios_.begin() + 1, ratios_.begin() + minDim_);
    std::sort(sortedSteps_.begin(), sortedSteps_.end());
    const double usual = sortedSteps_[sortedSteps_.size() / 2];
    const double limit = t_.foreignFactor * usual + 1.0;
    for (int r = minDim_; r + 1 <= counted; ++r) {
      if (ratios_[static_cast<std::size_t>(r)] > limit && ratios_[static_cast<std::size_t>(r + 1)] > limit) return r + 1;
    }
    return rows;
  }

  // How far cell k is from what its predecessors at distance d predict: the
  // smaller of the step and the change of the step.
  static std::int32_t Step(const std::int32_t* v, std::int64_t k, std::int64_t d) {
    const std::int32_t one = std::abs(v[k] - v[k - d]);
    return k >= 2 * d ? std::min(one, std::abs(v[k] - 2 * v[k - d] + v[k - 2 * d])) : one;
  }

  // Cost of a cell: the mean relative difference to its upper and its left
  // neighbour. A cell of the first row is compared with the cell below instead,
  // one of the first column with the cell to its right, so that a foreign row at
  // either end of a block is paid for on both sides of the seam.
  double CellPay(const std::int32_t* v, std::int64_t k, bool firstRow, bool firstCol, int w, double invR) const {
    if (fill_[static_cast<std::size_t>(k)]) return -t_.tau;
    const std::int64_t up = firstRow ? k + w : k - w;
    const std::int64_t left = firstCol ? k + 1 : k - 1;
    const double cv = std::min(1.0, (firstRow ? std::abs(v[k] - v[up]) : Step(v, k, w)) * invR);
    const double ch = std::min(1.0, (firstCol ? std::abs(v[k] - v[left]) : Step(v, k, 1)) * invR);
    return t_.tau - 0.5 * (cv + ch);
  }

  // Robust spread of the values in [from, to): the range between the 5th and the
  // 95th percentile, stretched to the full range of evenly spread values. A few
  // stray bytes caught at the edge of a block must not make it look smoother.
  double Spread(const std::int32_t* v, std::int64_t from, std::int64_t to) {
    if (to <= from) return 0.0;
    // At most 96 evenly spaced samples: plenty for two percentiles.
    const std::int64_t count = to - from;
    const std::int64_t step = (count + 95) / 96;
    const std::size_t n = static_cast<std::size_t>((count + step - 1) / step);
    const std::size_t a = n / 20, b = n - 1 - n / 20;
    // The (a+1)-th smallest and largest samples, kept in two short sorted lists.
    std::int32_t low[8], high[8];
    std::size_t kept = 0;
    const std::size_t keep = a + 1;  // at most 5: n is at most 96
    for (std::int64_t k = from; k < to; k += step) {
      const std::int32_t x = v[k];
      if (kept < keep) {
        std::size_t i = kept;
        for (; i > 0 && low[i - 1] > x; --i) low[i] = low[i - 1];
        low[i] = x;
        std::size_t j = kept;
        for (; j > 0 && high[j - 1] < x; --j) high[j] = high[j - 1];
        high[j] = x;
        ++kept;
        continue;
      }
      if (x < low[keep - 1]) {
        std::size_t i = keep - 1;
        for (; i > 0 && low[i - 1] > x; --i) low[i] = low[i - 1];
        low[i] = x;
      }
      if (x > high[keep - 1]) {
        std::size_t j = keep - 1;
        for (; j > 0 && high[j - 1] < x; --j) high[j] = high[j - 1];
        high[j] = x;
      }
    }
    const std::int32_t lo = low[keep - 1], hi = high[keep - 1];
    const double fraction = n > 1 ? double(b - a) / double(n - 1) : 1.0;
    return (double(hi) - double(lo)) / fraction;
  }

  // Picks the exact start (within reach cells of s0) and the row count (up to
  // slack rows beyond the rough block) and scores it. The
  // pay of a block is a sum over its cells; the cells of the first row have no
  // upper and those of the first column no left neighbour, so the sum is kept as
  // prefix sums of the interior pay plus the corrections for the first row and
  // (with stride w) for the first column: every start and height costs O(1).
  void Refine(const Stream& s, int w, std::int64_t s0, int rowsGuess, std::int64_t reach, int slack = 3) {
    const std::int64_t n = static_cast<std::int64_t>(s.v.size());
    if (budget_ <= 0) return;
    const std::int64_t coreFrom = std::max<std::int64_t>(0, s0);
    const std::int64_t coreTo = std::min<std::int64_t>(n, s0 + std::int64_t{rowsGuess} * w);
    if (coreTo <= coreFrom) return;
    // A run over several tables may hold signed and unsigned ones: each block
    // is read the way that suits it.
    useSigned_ = SignedReading(s, coreFrom, coreTo, w);
    v_ = useSigned_ ? s.vs.data() : s.v.data();
    const std::int32_t* v = v_;
    const double coreSpread = Spread(v, coreFrom, coreTo);
    if (coreSpread <= 0) return;
    const double invR = 1.0 / coreSpread;
    const int maxRows = std::min(ForeignRow(v, n, w, s0, std::min(maxDim_, rowsGuess + slack), coreSpread),
                                 std::min(maxDim_, rowsGuess + slack));
    const std::int64_t stMin = std::max<std::int64_t>(0, s0 - reach);
    const std::int64_t stMax = std::min<std::int64_t>(n - std::int64_t{minDim_} * w, s0 + reach);
    if (stMax < stMin) return;
    const std::int64_t lo = stMin;
    const std::int64_t hi = std::min<std::int64_t>(n, stMax + std::int64_t{maxRows} * w);
    const std::size_t len = static_cast<std::size_t>(hi - lo);
    budget_ -= static_cast<std::int64_t>(len) + (stMax - stMin + 1) * maxRows;

    pb_.assign(len + 1, 0.0);
    pr_.assign(len + 1, 0.0);
    pc_.assign(len, 0.0);
    corner_.assign(len, 0.0);
    const double tau = t_.tau;
    // Relative differences to the upper and the left neighbour.
    cv_.assign(len, 0.0);
    ch_.assign(len, 0.0);
    for (std::size_t i = 0; i < len; ++i) {
      const std::int64_t k = lo + static_cast<std::int64_t>(i);
      cv_[i] = k >= w ? std::min(1.0, Step(v, k, w) * invR) : 0.0;
      ch_[i] = k >= 1 ? std::min(1.0, Step(v, k, 1) * invR) : 0.0;
    }
    const std::size_t uw = static_cast<std::size_t>(w);
    for (std::size_t i = 0; i < len; ++i) {
      const std::int64_t k = lo + static_cast<std::int64_t>(i);
      double base, rowFix = 0, colFix = 0, cornerPay;
      if (fill_[static_cast<std::size_t>(k)]) {
        base = -tau;
        cornerPay = -tau;
      } else {
        const double below = i + uw < len ? cv_[i + uw] : 1.0;
        const double right = i + 1 < len ? ch_[i + 1] : 1.0;
        base = tau - 0.5 * (cv_[i] + ch_[i]);
        rowFix = 0.5 * (cv_[i] - below);  // first row: compared with the cell below
        colFix = 0.5 * (ch_[i] - right);  // first column: compared with the right cell
        cornerPay = tau - 0.5 * (below + right);
      }
      pb_[i + 1] = pb_[i] + base;
      pr_[i + 1] = pr_[i] + rowFix;
      pc_[i] = colFix + (i >= uw ? pc_[i - uw] : 0.0);
      corner_[i] = cornerPay - base - rowFix - colFix;
    }

    // The best start and height go on to the full score, which also weighs the
    // jumps at the row ends and moves the edges.
    struct Pick { double pay; std::int64_t start; int rows; };
    Pick best{0, -1, 0};
    for (std::int64_t st = stMin; st <= stMax; ++st) {
      const std::size_t i0 = static_cast<std::size_t>(st - lo);
      const double firstRow = pr_[i0 + uw] - pr_[i0];
      const double colBefore = i0 >= uw ? pc_[i0 - uw] : 0.0;
      for (int h = minDim_; h <= maxRows; ++h) {
        const std::size_t end = i0 + static_cast<std::size_t>(h) * uw;
        if (end > len) break;
        const double pay = pb_[end] - pb_[i0] + firstRow + (pc_[end - uw] - colBefore) + corner_[i0];
        if (pay > best.pay) best = {pay, st, h};
      }
    }
    if (best.start >= 0) Score(s, w, best.start, best.rows);
  }

  // Step ratio (row step over cell step, see ForeignRow) of row r of a block.
  double RowRatio(const std::int32_t* v, int w, std::int64_t rowStart, double eps) const {
    double dv = 0, dh = 0;
    for (std::int64_t k = rowStart; k < rowStart + w; ++k) {
      dv += std::abs(v[k] - v[k - w]);
      dh += std::abs(v[k] - v[k - 1]);
    }
    return (dv / w + eps) / (dh / w + eps);
  }

  // Cuts a block where the next table begins inside it, then moves its first and
  // last row by one where the step ratios say
  // that the row belongs to a neighbour, or that the row beyond belongs to it.
  void AdjustEdges(const std::int32_t* v, std::int64_t n, int w, std::int64_t* start, int* rows, double spread) {
    if (*rows < 3 || *start < w + 1) return;
    const double eps = 0.01 * spread + 1.0;
    ratios_.clear();
    for (int r = 1; r < *rows; ++r) ratios_.push_back(RowRatio(v, w, *start + std::int64_t{r} * w, eps));
    sortedSteps_ = ratios_;
    std::nth_element(sortedSteps_.begin(), sortedSteps_.begin() + static_cast<std::ptrdiff_t>(sortedSteps_.size() / 2),
                     sortedSteps_.end());
    const double usual = sortedSteps_[sortedSteps_.size() / 2];
    const double limit = t_.foreignFactor * usual + 1.0, fits = t_.edgeFit * usual;
    // A row inside the block that differs from the row above as a foreign row
    // does, followed by rows that resemble each other again: the next table
    // begins there, on the block's rows (a seam between the rows would give two
    // such rows in a row and is left to the run's seams).
    for (int j = std::max(minDim_, 2); j + 1 < *rows; ++j) {
      if (ratios_[static_cast<std::size_t>(j - 1)] > limit && ratios_[static_cast<std::size_t>(j)] <= limit) {
        rest_ = {*start + std::int64_t{j} * w, *rows - j, true};
        *rows = j;
        ratios_.resize(static_cast<std::size_t>(j - 1));
        break;
      }
    }
    if (*rows > minDim_ && ratios_[0] > limit && (ratios_.size() < 2 || ratios_[1] <= limit)) {
      *start += w;
      --*rows;
    } else if (*rows < maxDim_ && *start >= 2 * w + 1 && RowRatio(v, w, *start, eps) <= fits) {
      *start -= w;
      ++*rows;
    }
    const std::int64_t end = *start + std::int64_t{*rows} * w;
    if (*rows > minDim_ && ratios_.back() > limit) {
      --*rows;
    } else if (*rows < maxDim_ && end + w <= n && RowRatio(v, w, end, eps) <= fits) {
      ++*rows;
    }
  }

  // How far the block's cells lie from the plane through their upper, left and
  // upper left neighbours, as a share of its range: small for a smooth surface
  // read at its own width, large at another width or for code. Runs monotonic
  // along their storage order (counters, lookup tables) are no table (1.0).
  static double PlanarFit(const std::int32_t* v, int w, std::int64_t start, int rows) {
    const std::int64_t end = start + std::int64_t{rows} * w;
    std::int32_t lo = v[start], hi = v[start];
    std::int64_t ups = 0, downs = 0;
    for (std::int64_t k = start + 1; k < end; ++k) {
      lo = std::min(lo, v[k]);
      hi = std::max(hi, v[k]);
      ups += v[k] > v[k - 1];
      downs += v[k] < v[k - 1];
    }
    // Steps between equal cells tell neither way: a mostly zero table has few others.
    if (hi <= lo || std::min(ups, downs) * 25 <= ups + downs) return 1.0;
    // Roughness along the rows tells the readings of the same bytes apart.
    double sum = 0, rough = 0;
    for (int r = 0; r < rows; ++r)
      for (int c = 1; c < w; ++c) {
        const std::int64_t k = start + std::int64_t{r} * w + c;
        if (r > 0) sum += std::abs(double(v[k]) - v[k - w] - v[k - 1] + v[k - w - 1]);
        if (c > 1) rough += std::abs(double(v[k]) - 2.0 * v[k - 1] + v[k - 2]);
      }
    return (sum / (double(rows - 1) * (w - 1)) + 0.25 * rough / (double(rows) * (w - 2))) / (double(hi) - lo);
  }

  // Mean bend of the row at a from the course of the rows at b and c: how far
  // it is from the straight continuation 2 b - c.
  // Bends are taken around the cell range: signed values read as unsigned (or
  // the other way round) jump by the whole range where they cross zero (or the
  // middle), which breaks no table's course.
  double RowBend(const std::int32_t* v, int w, std::int64_t a, std::int64_t b, std::int64_t c, bool around = true) const {
    if (!around) return RowBendAround<std::int32_t>(v, w, a, b, c);
    return cellBytes_ == 1 ? RowBendAround<std::int8_t>(v, w, a, b, c) : RowBendAround<std::int16_t>(v, w, a, b, c);
  }
  template <typename Cell>
  static double RowBendAround(const std::int32_t* v, int w, std::int64_t a, std::int64_t b, std::int64_t c) {
    std::int32_t sum = 0;
    for (int k = 0; k < w; ++k) sum += std::abs(static_cast<Cell>(v[a + k] - 2 * v[b + k] + v[c + k]));
    return double(sum) / w;
  }

  // The largest bend inside the row of w cells at a.
  double RowRough(const std::int32_t* v, int w, std::int64_t a, bool around = true) const {
    if (!around) return RowRoughAround<std::int32_t>(v, w, a);
    return cellBytes_ == 1 ? RowRoughAround<std::int8_t>(v, w, a) : RowRoughAround<std::int16_t>(v, w, a);
  }
  template <typename Cell>
  static double RowRoughAround(const std::int32_t* v, int w, std::int64_t a) {
    std::int32_t most = 0;
    for (std::int64_t k = a + 2; k < a + w; ++k) most = std::max<std::int32_t>(most, std::abs(static_cast<Cell>(v[k] - 2 * v[k - 1] + v[k - 2])));
    return most;
  }

  // Splits a block into the tables it holds and moves their edges to where
  // each ends. Within a table each row nearly continues the course of the two
  // before it; the first row of another table breaks it, and so does the row
  // after that (two breaks in a row, the next row keeping the new course). An
  // edge row that breaks the course is dropped, rows beyond an edge that keep
  // it are taken.
  void FitEdges(const std::int32_t* v, std::int64_t n, int w, std::int64_t start, int rows, double spread, int cellBytes) {
    pieces_.clear();
    if (rows < 3) {
      pieces_.push_back({start, rows, false});
      return;
    }
    auto rowAt = [&](std::int64_t first, int r) { return first + std::int64_t{r} * w; };
    edgeBends_.clear();  // edgeBends_[i]: bend of row i + 2
    for (int r = 2; r < rows; ++r) edgeBends_.push_back(RowBend(v, w, rowAt(start, r), rowAt(start, r - 1), rowAt(start, r - 2)));
    edgeSorted_ = edgeBends_;
    std::nth_element(edgeSorted_.begin(), edgeSorted_.begin() + static_cast<std::ptrdiff_t>(edgeSorted_.size() / 2),
                     edgeSorted_.end());
    const double usual = edgeSorted_[edgeSorted_.size() / 2];
    const double limit = std::max(t_.edgeBend * usual, t_.edgeSpread * spread) + (cellBytes == 1 ? 2.0 : 8.0);
    // A row of another table read at this width breaks inside, not only at its ends.
    rowRough_.clear();
    for (int r = 0; r < rows; ++r) rowRough_.push_back(RowRough(v, w, rowAt(start, r)));
    edgeSorted_ = rowRough_;
    std::nth_element(edgeSorted_.begin(), edgeSorted_.begin() + static_cast<std::ptrdiff_t>(edgeSorted_.size() / 2),
                     edgeSorted_.end());
    const double roughLimit = std::max(t_.edgeRough * edgeSorted_[edgeSorted_.size() / 2], t_.edgeRoughSpread * spread) + (cellBytes == 1 ? 2.0 : 8.0);
    auto bent = [&](int r) {
      return edgeBends_[static_cast<std::size_t>(r - 2)] > limit || rowRough_[static_cast<std::size_t>(r)] > roughLimit;
    };
    int from = 0;
    for (int r = 2; r <= rows; ++r) {
      const bool brk = r < rows - 1 && bent(r) && bent(r + 1);
      if (!brk && r < rows) continue;
      std::int64_t st = rowAt(start, from);
      int h = r - from;
      const bool afterBreak = from > 0;
      from = r;
      if (afterBreak) {
        // The block's rows need not line up with the next table's: its start
        // is looked for anew.
        if (h >= minDim_ - 1) pieces_.push_back({st, h, true});
        continue;
      }
      if (h >= 4 && RowBend(v, w, rowAt(st, 0), rowAt(st, 1), rowAt(st, 2)) > limit &&
          RowBend(v, w, rowAt(st, 1), rowAt(st, 2), rowAt(st, 3)) <= limit) {
        st += w;
        --h;
      } else if (h >= 2) {
        const int most = std::min(maxDim_, t_.growMax > 0 ? h + std::max(2, static_cast<int>(t_.growMax * h)) : maxDim_);
        while (h < most && st >= w + 2 && !fill_[static_cast<std::size_t>(st - w)] &&
               RowBend(v, w, rowAt(st, -1), rowAt(st, 0), rowAt(st, 1)) <= limit && RowRough(v, w, st - w) <= roughLimit) {
          st -= w;
          ++h;
        }
      }
      if (h >= 4 && RowBend(v, w, rowAt(st, h - 1), rowAt(st, h - 2), rowAt(st, h - 3)) > limit &&
          RowBend(v, w, rowAt(st, h - 2), rowAt(st, h - 3), rowAt(st, h - 4)) <= limit) {
        --h;
      } else if (h >= 2) {
        const int most = std::min(maxDim_, t_.growMax > 0 ? h + std::max(2, static_cast<int>(t_.growMax * h)) : maxDim_);
        while (h < most && rowAt(st, h) + w <= n && !fill_[static_cast<std::size_t>(rowAt(st, h))] &&
               RowBend(v, w, rowAt(st, h), rowAt(st, h - 1), rowAt(st, h - 2)) <= limit && RowRough(v, w, rowAt(st, h)) <= roughLimit) {
          ++h;
        }
      }
      if (h >= minDim_) pieces_.push_back({st, h, false});
    }
  }

  void Score(const Stream& s, int w, std::int64_t start, int rows) {
    const std::int32_t* v = v_;
    const double spread = Spread(v, start, start + std::int64_t{rows} * w);
    if (spread <= 0) return;
    rest_ = {0, 0, false};
    AdjustEdges(v, static_cast<std::int64_t>(s.v.size()), w, &start, &rows, spread);
    const Piece rest = rest_;
    FitEdges(v, static_cast<std::int64_t>(s.v.size()), w, start, rows, spread, s.cellBytes);
    const std::vector<Piece> pieces = pieces_;
    // The rows after a cut are another table's.
    if (rest.again && rest.rows >= minDim_ - 1) Refine(s, w, rest.start, rest.rows + 1, w + 1, 1);
    for (const Piece& p : pieces) {
      if (p.again) Refine(s, w, p.start, p.rows + 1, w + 1, 1);
      else ScoreBlock(s, w, p.start, p.rows);
    }
  }

  // Whether the rows of a block of width w break at a part p of w as they do
  // at their ends: the block then holds a table p cells wide, two or more of its
  // rows read as one.
  bool BreaksWithin(const std::int32_t* v, int w, std::int64_t start, int rows, double spread) {
    if (start < 2 || w < 2 * minDim_) return false;
    const std::int64_t end = start + std::int64_t{rows} * w;
    bendSample_.resize(static_cast<std::size_t>(end - start));
    for (std::int64_t k = start + 1; k < end; ++k) bendSample_[static_cast<std::size_t>(k - start)] = std::abs(v[k] - 2 * v[k - 1] + v[k - 2]);
    for (int p = minDim_; 2 * p <= w; ++p) {
      if (w % p) continue;
      double atWrap = 0, atPart = 0, inside = 0;
      std::int64_t nWrap = 0, nPart = 0, nInside = 0;
      for (std::int64_t k = start + 1; k < end; ++k) {
        const double e = bendSample_[static_cast<std::size_t>(k - start)];
        const std::int64_t c = k - start;
        if (c % w == 0) { atWrap += e; ++nWrap; }
        else if (c % p == 0) { atPart += e; ++nPart; }
        else if (c % w > 1 && c % p > 1) { inside += e; ++nInside; }
      }
      if (!nPart || !nInside) continue;
      atPart /= double(nPart);
      inside /= double(nInside);
      const double wrap = nWrap ? atWrap / double(nWrap) : 0.0;
      if (atPart > 4.0 * inside + 0.02 * spread && atPart > 0.4 * wrap) return true;
    }
    return false;
  }

  // A table that is zero over much of its area: the zeros at either end of
  // the block belong to it when they reach from there to a row boundary and
  // another table's values begin right there. Zeros that end between two rows
  // are fill or another table's, and stay outside.
  void ZeroRows(const Stream& s, int w, std::int64_t* start, int* rows, double spread) const {
    const std::int32_t* v = s.v.data();
    const std::int64_t n = static_cast<std::int64_t>(s.v.size());
    // Rows beyond the edge row at `edge`, going by dir, that run down to zero:
    // each holds a zero, and where it does not, a value near the one beside it
    // in the row before. They count when the last is all zero and a value other
    // than zero follows right after it.
    auto tail = [&](std::int64_t edge, int dir, int most) {
      int taken = 0, counted = 0;
      for (int r = 1; r <= most; ++r) {
        const std::int64_t a = edge + std::int64_t{dir} * r * w;
        if (a < 0 || a + w > n) break;
        int zeros = 0;
        bool near = true;
        for (std::int64_t k = a; k < a + w; ++k) {
          if (v[k] == 0) ++zeros;
          else near = near && std::abs(v[k] - v[k - std::int64_t{dir} * w]) <= t_.zeroNear * spread;
        }
        if (zeros == 0 || !near) break;
        ++taken;
        if (zeros == w) {
          const std::int64_t after = dir > 0 ? a + w : a - 1;
          if (after < 0 || after >= n || v[after] != 0) counted = taken;
        }
      }
      return counted;
    };
    const std::int64_t end = *start + std::int64_t{*rows} * w;
    bool edgeZero = false;
    for (std::int64_t k = end - w; k < end; ++k) edgeZero = edgeZero || v[k] == 0;
    if (edgeZero && *rows < maxDim_) *rows += tail(end - w, 1, maxDim_ - *rows);
    edgeZero = false;
    for (std::int64_t k = *start; k < *start + w; ++k) edgeZero = edgeZero || v[k] == 0;
    if (edgeZero && *rows < maxDim_) {
      const int more = tail(*start, -1, maxDim_ - *rows);
      *start -= std::int64_t{more} * w;
      *rows += more;
    }
  }

  // Whether the block's rows break somewhere inside far more than at their
  // ends: the block then starts in the middle of a table's row.
  bool ShiftedRows(const std::int32_t* v, int w, std::int64_t start, int rows, double spread) {
    if (rows < 2 || w < 4 || start < 1) return false;
    // Mean step into each column; a row's first cell is stepped into from the
    // row before (the first row's from outside the block is left out).
    colJumps_.assign(static_cast<std::size_t>(w), 0.0);
    for (int r = 0; r < rows; ++r) {
      for (int c = r == 0 ? 1 : 0; c < w; ++c) {
        const std::int64_t k = start + std::int64_t{r} * w + c;
        colJumps_[static_cast<std::size_t>(c)] += std::abs(v[k] - v[k - 1]);
      }
    }
    colJumps_[0] *= double(rows) / double(rows - 1);
    const double atEnds = colJumps_[0];
    double peak = 0;
    for (int c = 1; c < w; ++c) peak = std::max(peak, colJumps_[static_cast<std::size_t>(c)]);
    edgeSorted_.assign(colJumps_.begin() + 1, colJumps_.end());
    std::nth_element(edgeSorted_.begin(), edgeSorted_.begin() + static_cast<std::ptrdiff_t>(edgeSorted_.size() / 2), edgeSorted_.end());
    const double usual = edgeSorted_[edgeSorted_.size() / 2];
    return peak > 2.0 * atEnds && peak > 3.0 * usual + 0.02 * spread * rows;
  }

  void ScoreBlock(const Stream& s, int w, std::int64_t start, int rows) {
    // Neighbouring starts and runs often lead to the same block: it is scored once.
    if (!fixed_ && !scored_.insert((static_cast<std::uint64_t>(start) << 14) | (static_cast<std::uint64_t>(w) << 7) | static_cast<std::uint64_t>(rows)).second)
      return;
    // The block is read the way that suits it alone.
    const bool signedBefore = useSigned_;
    useSigned_ = SignedReading(s, start, start + std::int64_t{rows} * w, w);
    ScoreReading(s, w, start, rows, useSigned_ ? s.vs.data() : s.v.data());
    useSigned_ = signedBefore;
  }

  void ScoreReading(const Stream& s, int w, std::int64_t start, int rows, const std::int32_t* v) {
    const double spread = Spread(v, start, start + std::int64_t{rows} * w);
    if (spread <= 0) return;
    if (BreaksWithin(v, w, start, rows, spread) || ShiftedRows(v, w, start, rows, spread)) return;
    const std::int64_t end = start + std::int64_t{rows} * w;
    // A run that is (nearly) monotonic in storage order, across the row ends too,
    // is a counter or pointer table, not a two-dimensional map. A map rising along
    // its rows falls back at every row end instead.
    std::int64_t ups = 0, downs = 0, wrapUps = 0, wrapDowns = 0;
    int fills = 0;
    for (std::int64_t k = start; k < end; ++k) {
      if (k > start) {
        const bool wrapStep = (k - start) % w == 0;
        (wrapStep ? wrapUps : ups) += v[k] > v[k - 1];
        (wrapStep ? wrapDowns : downs) += v[k] < v[k - 1];
      }
      fills += fill_[static_cast<std::size_t>(k)];
    }
    const std::int64_t inRowSteps = std::int64_t{rows} * (w - 1);
    const bool rising = ups >= downs;
    const std::int64_t against = rising ? downs : ups, wrapAgainst = rising ? wrapDowns : wrapUps;
    if (against * 25 <= inRowSteps && wrapAgainst * 4 <= rows - 1) return;
    if (fills * 4 > rows * w) return;
    const double invR = 1.0 / spread;
    double score = 0, wrapSum = 0, inRowSum = 0, rough = 0, bend = 0;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < w; ++c) {
        const std::int64_t k = start + std::int64_t{r} * w + c;
        score += CellPay(v, k, r == 0, c == 0, w, invR);
        if (c == 0) {
          if (r > 0) wrapSum += std::abs(v[k] - v[k - 1]);
        } else {
          inRowSum += std::abs(v[k] - v[k - 1]);
          if (c + 1 < w) rough += std::abs(v[k + 1] - 2 * v[k] + v[k - 1]);
        }
        if (r >= 2) bend += std::abs(v[k] - 2 * v[k - w] + v[k - 2 * w]);
      }
    }
    const double cells = double(rows) * w;
    // Row ends: where a row ends and the next begins the values usually jump,
    // inside a row they do not. A jump at exactly this period is evidence for w.
    const double wrap = rows > 1 ? wrapSum / (rows - 1) * invR : 0.0;
    const double inRow = inRowSum / (double(rows) * (w - 1)) * invR;
    score += cells * t_.wrapWeight * std::clamp(wrap - inRow, 0.0, t_.wrapCap);
    // Fine roughness (second differences along the rows): tells a 16-bit map from
    // the same bytes read one byte off, which mixes neighbouring low bytes.
    if (w > 2) score -= cells * t_.roughWeight * std::min(1.0, rough / (double(rows) * (w - 2)) * invR);
    // The same down the columns: rows of a table of another width, read at this
    // one, do not follow a smooth course from row to row.
    if (rows > 2) score -= cells * t_.bendWeight * std::min(1.0, bend / (double(rows - 2) * w) * invR);
    if (score <= 0) return;
    // 16-bit controllers keep their words at even addresses: read one byte off,
    // a 16-bit map looks almost as smooth in the other byte order.
    if (s.cellBytes == 2 && (s.phase + start * 2) % 2 == 0) score *= 1.0 + t_.alignBonus;
    if (start >= w) {
      // An axis table of w strictly monotonic values right before the map.
      bool inc = true, dec = true;
      for (std::int64_t k = start - w + 1; k < start; ++k) {
        inc = inc && v[k] > v[k - 1];
        dec = dec && v[k] < v[k - 1];
      }
      // It must not simply continue the map: a row that fits as well as the
      // map's own rows do is more likely its first row than its axis.
      if (inc || dec) {
        double seam = 0, inner = 0;
        for (std::int64_t k = start; k < start + w; ++k) seam += std::abs(v[k] - v[k - w]);
        for (std::int64_t k = start + w; k < end; ++k) inner += std::abs(v[k] - v[k - w]);
        seam /= w;
        inner /= double(end - start - w);
        if (seam > 2.0 * inner + 0.02 * spread) score *= 1.0 + t_.axisBonus;
      }
    }
    if (!fixed_) ZeroRows(s, w, &start, &rows, spread);
    found_.push_back({s.phase + start * s.cellBytes, std::int64_t{rows} * w * s.cellBytes, s.type, w, rows, score, useSigned_});
    if (found_.size() > kMaxFound) budget_ = 0;
  }

  static constexpr std::size_t kMaxFound = 200'000;

  std::span<const std::uint8_t> image_;
  const std::atomic<bool>* cancel_;
  Tuning t_;
  int minDim_ = 4, maxDim_ = 32;
  std::int64_t budget_ = 0;
  std::vector<std::int32_t> thr_;
  std::vector<std::uint8_t> fill_;
  std::vector<std::uint8_t> similar_, counts_;
  std::vector<double> pb_, pr_, pc_, corner_, cv_, ch_;  // refinement scratch
  std::vector<std::int32_t> bendSample_;
  std::vector<double> ratios_;  // step ratios of the rows of a block, for its end
  std::vector<double> steps_, bends_, sortedSteps_;
  std::vector<double> edgeBends_, edgeSorted_;  // row bends of a block, for its edges
  struct Piece { std::int64_t start; int rows; bool again; };
  std::vector<Piece> pieces_;  // the tables a block holds
  Piece rest_{0, 0, false};     // the rows of a block after a cut
  std::vector<double> colJumps_, rowRough_;  // jumps per column of a block  // row steps and bends of a run, for its seams
  std::vector<Found> found_;
  const std::int32_t* v_ = nullptr;  // the reading of the run being refined
  bool useSigned_ = false;
  int cellBytes_ = 1;  // of the stream being read
  bool fixed_ = false;  // blocks are scored where they stand
  std::unordered_set<std::uint64_t> scored_;  // blocks of the stream scored so far
};

// Reads the image as cells of the type into s, reusing its buffers.
void Decode(std::span<const std::uint8_t> image, CellType type, int phase, Stream& s) {
  s.type = type;
  s.phase = phase;
  s.cellBytes = CellWidth(type);
  s.v.clear();
  s.vs.clear();
  if (image.size() <= static_cast<std::size_t>(phase)) return;
  const std::size_t n = (image.size() - static_cast<std::size_t>(phase)) / static_cast<std::size_t>(s.cellBytes);
  s.v.resize(n);
  s.vs.resize(n);
  const std::uint8_t* b = image.data() + phase;
  for (std::size_t k = 0; k < n; ++k) {
    switch (type) {
      case CellType::M16: s.v[k] = b[2 * k] * 256 + b[2 * k + 1]; break;
      case CellType::I16: s.v[k] = b[2 * k + 1] * 256 + b[2 * k]; break;
      default: s.v[k] = b[k]; break;
    }
    const std::int32_t half = s.cellBytes == 1 ? 128 : 32768;
    s.vs[k] = s.v[k] >= half ? s.v[k] - 2 * half : s.v[k];
  }
}

// A header entry whose values lie inside a hit at least four times its size.
bool ShortEntryInside(const ByteSpan& e, const Found& f) {
  return f.score >= kDefaultMinScore && e.values >= f.offset && e.to <= f.offset + f.bytes && (e.to - e.from) * 4 <= f.bytes;
}

// Keeps the best of overlapping hits: a hit is dropped when a better one already
// covers a quarter of it (or of itself), or when it lies on a header entry.
std::vector<Found> Merge(std::vector<Found> all, const std::vector<ByteSpan>& headers) {
  // Among overlapping hits the one whose cells pay best wins, with a mild
  // preference for the larger: a block of two tables read as one pays less per cell.
  auto rank = [](const Found& f) { return Rank(f.score, f.columns, f.rows); };
  std::sort(all.begin(), all.end(), [&](const Found& a, const Found& b) {
    const double ra = rank(a), rb = rank(b);
    if (ra != rb) return ra > rb;
    return a.offset < b.offset;
  });
  std::vector<Found> kept;
  std::map<std::int64_t, std::int64_t> taken;  // start -> end of kept hits
  constexpr std::int64_t kLongest = std::int64_t{kMapFinderMaxDim} * kMapFinderMaxDim * 2;
  std::map<std::int64_t, ByteSpan> entries;  // header entries, which never overlap each other
  for (const ByteSpan& h : headers) entries[h.from] = h;
  for (const Found& f : all) {
    {
      // Any real share of a header entry: the plain reading of its bytes is worse.
      const std::int64_t from = f.offset, to = f.offset + f.bytes;
      std::int64_t covered = 0;
      bool takesEntry = false;  // a quarter of an entry or more
      auto it = entries.lower_bound(from);
      if (it != entries.begin()) --it;
      for (; it != entries.end() && it->first < to; ++it) {
        const ByteSpan& e = it->second;
        // A short entry whose values lie inside a far larger smooth block is more
        // likely a few cells of a table that happen to read as a header than a real one.
        if (ShortEntryInside(e, f)) continue;
        const std::int64_t shared = std::max<std::int64_t>(0, std::min(to, e.to) - std::max(from, e.from));
        covered += shared;
        takesEntry = takesEntry || shared * 4 >= e.to - e.from;
      }
      if (covered * 8 >= f.bytes || takesEntry) continue;
    }
    const std::int64_t from = f.offset, to = f.offset + f.bytes;
    bool clash = false;
    for (auto it = taken.lower_bound(to); it != taken.begin();) {
      --it;
      if (it->first + kLongest <= from) break;
      const std::int64_t overlap = std::min(to, it->second) - std::max(from, it->first);
      const std::int64_t smaller = std::min(f.bytes, it->second - it->first);
      if (overlap > 0 && overlap * 4 >= smaller) {
        clash = true;
        break;
      }
    }
    if (clash) continue;
    taken[from] = std::max(taken[from], to);
    kept.push_back(f);
  }
  return kept;
}

// One way of reading the image: its cell type and the byte offset of cell 0.
struct Plan { CellType type; int phase; };

// An 8-bit map read two bytes at a time also looks like a smooth 16-bit one, but
// its two bytes are neighbouring cells and so nearly equal, which the high and
// low byte of a real 16-bit value seldom are: such hits lose weight, so the
// 8-bit reading of the same bytes wins the merge.
void PairPenalty(std::span<const std::uint8_t> image, Found& h) {
  if (h.type != CellType::M16 && h.type != CellType::I16) return;
  const std::int64_t end = std::min<std::int64_t>(h.offset + h.bytes, static_cast<std::int64_t>(image.size()) - 1);
  int lo = 255, hi = 0;
  for (std::int64_t i = h.offset; i <= end; ++i) {
    lo = std::min<int>(lo, image[static_cast<std::size_t>(i)]);
    hi = std::max<int>(hi, image[static_cast<std::size_t>(i)]);
  }
  const int near = std::max(6, (hi - lo) / 12);
  std::int64_t close = 0, pairs = 0;
  for (std::int64_t i = h.offset; i + 1 <= end; i += 2) {
    const int a = image[static_cast<std::size_t>(i)], b = image[static_cast<std::size_t>(i + 1)];
    if (a == 0 && b == 0) continue;  // a zero cell tells neither
    ++pairs;
    if (std::abs(a - b) <= near) ++close;
  }
  const double share = pairs > 0 ? static_cast<double>(close) / static_cast<double>(pairs) : 0.0;
  if (share > 0.3) h.score *= 1.0 - share;
}

// Tables packed back to back, as calibration areas hold them: the tables found
// by their values leave gaps between them, and their edges should meet.
struct Packing {
  std::span<const std::uint8_t> image;
  Finder& finder;
  std::vector<MapCandidate>& out;
  const std::map<std::int64_t, ByteSpan>& spanOf;
  const FinderOptions& options;
  Stream& stream;  // buffer for the image read one way
  std::vector<Stream>& kept;  // the image read every way, when it is small enough (else empty)
  double refitRank = 1.0;  // a table replacing one found ranks at least this share of it ...
  double shiftRank = 0.5;  // ... or this, when it is the same table moved by less than a row
  double courseBend = 0.06;  // a row continues the course of the two before it when it bends less than this share of the range ...
  double courseStep = 0.1;   // ... and steps less than this share
  int courseWidth = 6;       // rows this wide or wider also continue it when their course along
  double courseMatch = 0.9;  // ... themselves correlates this well with the row beside them
  double courseRatio = 4.0;  // ... and they step at most this many times as far as that row did
  double weakRank = 0.5;     // a table grows over tables ranking less than this share of it
  std::set<std::pair<std::int64_t, std::int64_t>> barren = {};  // gaps that held no table: they are not read again
  std::set<std::array<std::int64_t, 6>> settled = {};  // tables that kept their place in their space: not refitted again

  // Whether a table of these columns and cells has rows like c's.
  static bool SameRows(int columns, CellType type, const MapCandidate& c) {
    return columns == c.columns && CellWidth(type) == CellWidth(c.type);
  }

  std::int64_t Widest() const {
    const std::int64_t d = std::clamp(options.maxDim, 2, kMapFinderMaxDim);
    return d * d * 2;
  }

  // Byte spans of the candidates that count, a header entry with its header and
  // axes, sorted; the second of each pair is its index in out.
  std::vector<std::pair<std::pair<std::int64_t, std::int64_t>, std::size_t>> Spans() const {
    std::vector<std::pair<std::pair<std::int64_t, std::int64_t>, std::size_t>> spans;
    for (std::size_t i = 0; i < out.size(); ++i) {
      const MapCandidate& c = out[i];
      if (c.score < kDefaultMinScore) continue;
      const auto it = c.layout == MapLayoutKind::Header ? spanOf.find(c.offset) : spanOf.end();
      spans.push_back({{it != spanOf.end() ? it->second.from : c.offset, c.offset + c.ByteSize()}, i});
    }
    std::sort(spans.begin(), spans.end());
    return spans;
  }

  void Run(const std::vector<Plan>& plans, std::vector<Finder::Gap>& gaps, bool ends = false, int junkCells = 0) {
    for (std::size_t i = 0; i < plans.size(); ++i) {
      if (finder.Cancelled() || gaps.empty()) break;
      if (kept.empty()) Decode(image, plans[i].type, plans[i].phase, stream);
      finder.FillGaps(kept.empty() ? stream : kept[i], gaps, ends, junkCells);
    }
  }

  // The hit as a candidate, when it still scores once 8-bit pairs are weighed.
  bool Candidate(Found hit, MapCandidate* c) const {
    if (hit.columns == 0) return false;
    PairPenalty(image, hit);
    if (hit.score < kDefaultMinScore) return false;
    c->offset = hit.offset;
    c->type = hit.type;
    c->columns = hit.columns;
    c->rows = hit.rows;
    c->score = hit.score;
    c->isSigned = hit.isSigned;
    return true;
  }

  // Gaps between the tables found; a table found there may leave a smaller gap
  // for another round.
  void FillGaps(const std::vector<Plan>& plans, bool junk = false) {
    // Scalars between tables are at most a few words.
    constexpr int kJunkCells = 6;
    if (junk) barren.clear();
    for (int round = 0; round < 3 && !finder.Cancelled(); ++round) {
      const auto spans = Spans();
      std::vector<Finder::Gap> gaps;
      std::int64_t reach = spans.empty() ? 0 : spans[0].first.second;
      // Before the first table, behind the last and in spaces too wide for one
      // table, a table may still begin right behind one or end right before one.
      // The open end is kept even, so that 16-bit cells can be read up to it.
      auto beside = [&](std::int64_t from, std::int64_t to, int open) {
        if (open == 1) from = (std::max<std::int64_t>(from, 0) + 1) & ~std::int64_t{1};
        if (open == 2) to = std::min<std::int64_t>(to, static_cast<std::int64_t>(image.size())) & ~std::int64_t{1};
        if (to - from >= 16 && !barren.contains({from, to})) gaps.push_back({from, to, {}, {}, open});
      };
      if (!spans.empty()) beside(spans[0].first.first - Widest(), spans[0].first.first, 1);
      for (std::size_t i = 1; i < spans.size(); ++i) {
        const std::int64_t from = reach, to = spans[i].first.first;
        reach = std::max(reach, spans[i].first.second);
        if (to - from > Widest()) {
          beside(from, from + Widest(), 2);
          beside(to - Widest(), to, 1);
        } else if (to - from >= 4 && !barren.contains({from, to})) {
          gaps.push_back({from, to});
        }
      }
      if (!spans.empty()) beside(reach, reach + Widest(), 2);
      if (gaps.empty()) break;
      Run(plans, gaps, false, junk ? kJunkCells : 0);
      std::size_t added = 0;
      MapCandidate c;
      for (Finder::Gap& g : gaps) {
        const std::size_t before = added;
        if (Candidate(g.best, &c)) {
          out.push_back(c);
          ++added;
        }
        if (!g.exact && g.bestEnd.columns && (g.best.columns == 0 || g.best.offset + g.best.bytes <= g.bestEnd.offset) &&
            Candidate(g.bestEnd, &c)) {
          out.push_back(c);
          ++added;
        }
        if (added == before) barren.insert({g.from, g.to});
      }
      if (!added) break;
    }
  }

  // Candidates that gave way to others are marked by a negative score.
  void DropGivenWay() {
    std::erase_if(out, [](const MapCandidate& c) { return c.score < 0; });
  }

  // Cell k of a candidate, read as the candidate is.
  std::int32_t Cell(const MapCandidate& c, std::int64_t k) const {
    return static_cast<std::int32_t>(ReadValue(image, c.offset + k * CellWidth(c.type), c.type, c.isSigned).value_or(0));
  }

  // Whether row r of t continues the course of the two rows before it (dir 1)
  // or after it (dir -1): it bends and steps little for t's range, or it has
  // the shape of the row beside it.
  bool RowContinues(const MapCandidate& t, int r, int dir) const {
    const int w = t.columns;
    const std::int64_t cells = std::int64_t{w} * t.rows;
    std::int32_t lo = Cell(t, 0), hi = lo;
    for (std::int64_t k = 1; k < cells; ++k) {
      lo = std::min(lo, Cell(t, k));
      hi = std::max(hi, Cell(t, k));
    }
    const std::int64_t d = std::int64_t{dir} * w;
    double bend = 0, step = 0;
    for (std::int64_t k = std::int64_t{r} * w; k < std::int64_t{r + 1} * w; ++k) {
      bend += std::abs(double(Cell(t, k)) - 2.0 * Cell(t, k - d) + Cell(t, k - 2 * d));
      step += std::abs(double(Cell(t, k)) - Cell(t, k - d));
    }
    const double range = double(hi) - lo;
    if (range <= 0) return false;
    if (bend < courseBend * w * range && step < courseStep * w * range) return true;
    // Toward its edge a table may curve more: the row still belongs to it when
    // its course along itself follows that of the row beside it, and it steps
    // from that row not much further than that row steps from the next.
    if (w < courseWidth) return false;
    double before = 0, sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (std::int64_t k = std::int64_t{r} * w; k < std::int64_t{r + 1} * w; ++k) {
      before += std::abs(double(Cell(t, k - d)) - Cell(t, k - 2 * d));
      if (k == std::int64_t{r} * w) continue;
      const double a = double(Cell(t, k)) - Cell(t, k - 1), b = double(Cell(t, k - d)) - Cell(t, k - d - 1);
      sa += a;
      sb += b;
      saa += a * a;
      sbb += b * b;
      sab += a * b;
    }
    if (step > courseRatio * before + 0.01 * w * range) return false;
    const double m = w - 1, va = saa - sa * sa / m, vb = sbb - sb * sb / m, cov = sab - sa * sb / m;
    return va > 0 && vb > 0 && cov >= courseMatch * std::sqrt(va * vb);
  }

  // Two tables of one width back to back, the first row of the second
  // continuing the course of the first: one table, cut where its shape
  // changes. It is taken when it fills their space as one table of that width.
  void JoinSplit(const std::vector<Plan>& plans) {
    const auto spans = Spans();
    const int maxRows = std::clamp(options.maxDim, 2, kMapFinderMaxDim);
    std::vector<Finder::Gap> gaps;
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i + 1 < spans.size(); ++i) {
      const MapCandidate& a = out[spans[i].second];
      const MapCandidate& b = out[spans[i + 1].second];
      if (a.layout != MapLayoutKind::Plain || b.layout != MapLayoutKind::Plain || a.type != b.type || a.columns != b.columns) continue;
      if (a.offset + a.ByteSize() != b.offset || a.rows < 2 || a.rows + b.rows > maxRows) continue;
      MapCandidate both = a;
      both.rows = a.rows + b.rows;
      both.isSigned = a.isSigned || b.isSigned;
      if (!RowContinues(both, a.rows, 1)) continue;
      gaps.push_back({a.offset, b.offset + b.ByteSize()});
      pairs.push_back({spans[i].second, spans[i + 1].second});
    }
    if (gaps.empty()) return;
    Run(plans, gaps);
    MapCandidate c;
    for (std::size_t k = 0; k < gaps.size(); ++k) {
      MapCandidate& a = out[pairs[k].first];
      MapCandidate& b = out[pairs[k].second];
      const Finder::Gap& g = gaps[k];
      if (a.score < 0 || b.score < 0 || !g.exact || g.planar < 1.0 || !SameRows(g.best.columns, g.best.type, a) || !Candidate(g.best, &c))
        continue;
      a.score = b.score = -1;  // give way
      out.push_back(c);
    }
    DropGivenWay();
  }

  // Rows next to a table that continue its course belong to it: a table cut
  // short where its shape changes. They may be taken from tables ranking less
  // than half as well, which then give way.
  void Extend() {
    auto spans = Spans();
    const int maxRows = std::clamp(options.maxDim, 2, kMapFinderMaxDim);
    auto rank = [](const MapCandidate& k) { return Rank(k.score, k.columns, k.rows); };
    for (std::size_t i = 0; i < spans.size(); ++i) {
      MapCandidate& c = out[spans[i].second];
      if (c.layout != MapLayoutKind::Plain || c.rows < 3 || c.score < 0) continue;
      auto weak = [&](std::size_t j) {
        const MapCandidate& k = out[spans[j].second];
        return k.score < 0 || (k.layout == MapLayoutKind::Plain && rank(k) < weakRank * rank(c));
      };
      const std::int64_t row = std::int64_t{c.columns} * CellWidth(c.type);
      const std::int64_t reach = std::int64_t{maxRows} * row;  // the most a table can grow by
      std::size_t next = i + 1, prev = i;
      while (next < spans.size() && spans[next].first.first < c.offset + c.ByteSize() + reach && weak(next)) ++next;
      while (prev > 0 && spans[prev - 1].first.second > c.offset - reach && weak(prev - 1)) --prev;
      const std::int64_t after = next < spans.size() ? spans[next].first.first : static_cast<std::int64_t>(image.size());
      const std::int64_t before = prev > 0 ? spans[prev - 1].first.second : 0;
      MapCandidate t = c;
      for (++t.rows; t.rows <= maxRows && t.offset + t.ByteSize() <= after && RowContinues(t, t.rows - 1, 1); ++t.rows) c = t;
      t = c;
      for (++t.rows, t.offset -= row; t.rows <= maxRows && t.offset >= before && RowContinues(t, 0, -1); ++t.rows, t.offset -= row) c = t;
      spans[i].first = {c.offset, c.offset + c.ByteSize()};
      for (std::size_t j = prev; j < next; ++j) {
        MapCandidate& k = out[spans[j].second];
        if (j != i && k.offset < c.offset + c.ByteSize() && c.offset < k.offset + k.ByteSize()) k.score = -1;  // gives way
      }
    }
    DropGivenWay();
  }

  // Cells of t from cell `from` on, going by dir, that run on as a monotonic
  // lookup table: every step of one sign and within a factor of the one before.
  std::int64_t RampFrom(const MapCandidate& t, std::int64_t from, int dir) const {
    constexpr double kStepFactor = 4.0;
    const std::int64_t cells = std::int64_t{t.columns} * t.rows;
    std::int64_t k = from;
    double last = double(Cell(t, k + dir)) - Cell(t, k);
    if (last == 0) return 1;
    for (k += dir; k + dir >= 0 && k + dir < cells; k += dir) {
      const double d = double(Cell(t, k + dir)) - Cell(t, k);
      if (d == 0 || (d > 0) != (last > 0) || std::abs(d) > kStepFactor * std::abs(last) ||
          kStepFactor * std::abs(d) < std::abs(last))
        break;
      last = d;
    }
    return std::abs(k - from) + 1;
  }

  // Rows at a table's edge that run on as one monotonic lookup table, row end
  // into row start, and stop running on where a row of the table begins, are
  // the lookup table's: they are cut off.
  void TrimLookups() {
    const int minRows = std::clamp(options.minDim, 2, kMapFinderMaxDim);
    for (MapCandidate& c : out) {
      if (c.layout != MapLayoutKind::Plain || c.rows <= minRows) continue;
      const std::int64_t w = c.columns, cells = w * c.rows;
      auto rowsOf = [&](std::int64_t ramp) { return ramp % w == 0 && ramp >= 2 * w ? static_cast<int>(ramp / w) : 0; };
      const int lead = rowsOf(RampFrom(c, 0, 1)), trail = rowsOf(RampFrom(c, cells - 1, -1));
      if (lead + trail == 0 || lead + trail > c.rows - minRows) continue;
      const int rows = c.rows - lead - trail;
      c.score *= double(rows) / c.rows;
      c.offset += lead * w * CellWidth(c.type);
      c.rows = rows;
    }
  }

  // Identical copies of a table: the same bytes elsewhere hold the same table,
  // whatever was found there by its values, unless one found by its header
  // takes some of them, or a table ranking higher does where the bytes around
  // the copy repeat too (the table may then reach further).
  void Copies() {
    // A table whose bytes repeat more often than this is a pattern, not a table copied.
    constexpr std::size_t kMostCopies = 16;
    auto rankOf = [](const MapCandidate& c) { return Rank(c.score, c.columns, c.rows); };
    std::vector<std::size_t> order(out.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return rankOf(out[a]) > rankOf(out[b]); });
    // The candidates by their first byte, for finding those a copy overlaps;
    // copies placed are looked at one by one (a few per table at most).
    std::vector<std::pair<std::int64_t, std::size_t>> byStart;
    std::int64_t longest = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
      byStart.push_back({out[i].offset, i});
      longest = std::max(longest, out[i].ByteSize());
    }
    std::sort(byStart.begin(), byStart.end());
    const std::size_t listed = out.size();
    std::vector<std::size_t> near;
    auto overlapping = [&](std::int64_t at, std::int64_t bytes) {
      near.clear();
      auto it = std::lower_bound(byStart.begin(), byStart.end(), std::pair<std::int64_t, std::size_t>{at - longest, 0});
      for (; it != byStart.end() && it->first < at + bytes; ++it) near.push_back(it->second);
      for (std::size_t i = listed; i < out.size(); ++i) near.push_back(i);
      std::erase_if(near, [&](std::size_t i) { return out[i].score < 0 || out[i].offset + out[i].ByteSize() <= at || out[i].offset >= at + bytes; });
    };
    const std::int64_t size = static_cast<std::int64_t>(image.size());
    auto byte = [&](std::int64_t x) { return image[static_cast<std::size_t>(x)]; };
    std::vector<std::int64_t> places;
    for (const std::size_t i : order) {
      if (finder.Cancelled()) break;
      const MapCandidate c = out[i];
      const std::int64_t bytes = c.ByteSize();
      if (c.score < kDefaultMinScore || c.layout != MapLayoutKind::Plain || bytes < 16) continue;
      const auto first = image.begin() + c.offset, last = first + bytes;
      if (std::all_of(first, last, [&](std::uint8_t b) { return b == *first; })) continue;
      const std::boyer_moore_horspool_searcher searcher(first, last);
      places.clear();
      for (auto it = std::search(image.begin(), image.end(), searcher); it != image.end() && places.size() <= kMostCopies;
           it = std::search(it + 1, image.end(), searcher))
        places.push_back(it - image.begin());
      if (places.size() > kMostCopies) continue;  // the table itself is among them
      for (const std::int64_t at : places) {
        if (at < c.offset + bytes && c.offset < at + bytes) continue;
        if ((at - c.offset) % CellWidth(c.type)) continue;
        // Where the bytes around the two differ, the repeat ends where the table does.
        const bool ends = (c.offset == 0 || at == 0 || byte(c.offset - 1) != byte(at - 1)) &&
                          (c.offset + bytes >= size || at + bytes >= size || byte(c.offset + bytes) != byte(at + bytes));
        overlapping(at, bytes);
        bool same = false, stronger = false;
        for (const std::size_t j : near) {
          const MapCandidate& k = out[j];
          // Candidates scoring below the least are left out in the end anyway.
          if (k.score < kDefaultMinScore) continue;
          if (k.offset == at && SameRows(k.columns, k.type, c) && k.rows == c.rows) same = true;
          else if ((rankOf(k) > rankOf(c) && !ends) || k.layout != MapLayoutKind::Plain) stronger = true;
        }
        if (same || stronger) continue;
        for (const std::size_t j : near) out[j].score = -1;  // give way
        MapCandidate copy = c;
        copy.offset = at;
        out.push_back(copy);
      }
    }
    DropGivenWay();
  }

  // A table found by its values whose edges do not meet its neighbours' may be
  // two tables read as one, or one read a row too long or too short. Where the
  // space between its neighbours holds one table, or two, that meet them and
  // each other exactly, those are taken instead.
  void Refit(const std::vector<Plan>& plans) {
    const auto spans = Spans();
    const int minCells = std::clamp(options.minDim, 2, kMapFinderMaxDim) * std::clamp(options.minDim, 2, kMapFinderMaxDim);
    std::vector<Finder::Gap> gaps;
    std::vector<std::size_t> owner;
    std::vector<int> overlaps;  // bit 0: the table overlaps the one before, bit 1: the one after
    auto rank = [&](std::size_t i) {
      const MapCandidate& c = out[spans[i].second];
      return Rank(c.score, c.columns, c.rows);
    };
    for (std::size_t i = 1; i + 1 < spans.size(); ++i) {
      const MapCandidate& c = out[spans[i].second];
      if (c.layout != MapLayoutKind::Plain) continue;
      std::int64_t from = spans[i - 1].first.second, to = spans[i + 1].first.first;
      // Of two tables that overlap, the one that ranks lower gives way: a
      // weaker neighbour sets no edge.
      if (from > spans[i].first.first && rank(i - 1) <= rank(i)) from = spans[i].first.first;
      if (to < spans[i].first.second && rank(i + 1) <= rank(i)) to = spans[i].first.second;
      if (to - from < std::int64_t{minCells}) continue;
      if (from == spans[i].first.first && to == spans[i].first.second) continue;  // meets both
      if (to - from > 2 * Widest()) continue;
      if (settled.contains({from, to, c.offset, c.ByteSize(), c.columns, std::llround(c.score * 1024)})) continue;
      gaps.push_back({from, to});
      owner.push_back(spans[i].second);
      overlaps.push_back((from > spans[i].first.first ? 1 : 0) | (to < spans[i].first.second ? 2 : 0));
    }
    if (gaps.empty()) return;
    Run(plans, gaps, true);
    // Where no one table fills it: what is left beside the table found at one end.
    std::vector<Finder::Gap> rest;
    std::vector<std::pair<std::size_t, int>> restOf;  // gap, side (0: after best, 1: before bestEnd)
    for (std::size_t k = 0; k < gaps.size(); ++k) {
      const Finder::Gap& g = gaps[k];
      if (g.exact) continue;
      if (g.bestEnd.columns && g.bestEnd.offset - g.from >= 4) {
        rest.push_back({g.from, g.bestEnd.offset});
        restOf.push_back({k, 1});
      }
      if (g.best.columns && g.to - (g.best.offset + g.best.bytes) >= 4) {
        rest.push_back({g.best.offset + g.best.bytes, g.to});
        restOf.push_back({k, 0});
      }
    }
    Run(plans, rest);
    // What may replace each table, best first: one table or two that fill the
    // space exactly; then one that meets a neighbour and holds most of the
    // table, where the table overlaps that neighbour or this is the same table
    // moved.
    std::vector<std::vector<std::vector<Found>>> choices(gaps.size());
    for (std::size_t k = 0; k < gaps.size(); ++k)
      if (gaps[k].exact) choices[k].push_back({gaps[k].best});
    for (std::size_t j = 0; j < rest.size(); ++j) {
      const auto [k, side] = restOf[j];
      if (rest[j].exact)
        choices[k].push_back(side == 1 ? std::vector<Found>{rest[j].best, gaps[k].bestEnd}
                                       : std::vector<Found>{gaps[k].best, rest[j].best});
    }
    auto mostOf = [](const Found& f, const MapCandidate& c) {
      const std::int64_t shared = std::min(f.offset + f.bytes, c.offset + c.ByteSize()) - std::max(f.offset, c.offset);
      return 2 * shared >= std::min(f.bytes, c.ByteSize());
    };
    for (std::size_t k = 0; k < gaps.size(); ++k) {
      const MapCandidate& c = out[owner[k]];
      const std::size_t fills = choices[k].size();
      // The same table moved to meet a neighbour counts like one meeting the
      // neighbour it overlaps.
      auto moved = [&](const Found& f) { return SameRows(f.columns, f.type, c); };
      const bool endOk = gaps[k].bestEnd.columns && mostOf(gaps[k].bestEnd, c) && ((overlaps[k] & 2) || moved(gaps[k].bestEnd));
      const bool startOk = gaps[k].best.columns && !gaps[k].exact && mostOf(gaps[k].best, c) &&
                           ((overlaps[k] & 1) || moved(gaps[k].best));
      if (endOk) choices[k].push_back({gaps[k].bestEnd});
      if (startOk) choices[k].push_back({gaps[k].best});
      if (endOk && startOk && Finder::GapRank(gaps[k].best) > Finder::GapRank(gaps[k].bestEnd))
        std::swap(choices[k][fills], choices[k][fills + 1]);
    }
    for (std::size_t k = 0; k < gaps.size(); ++k) {
      const MapCandidate& was = out[owner[k]];
      const double wasRank = Rank(was.score, was.columns, was.rows);
      for (std::size_t option = 0; option < choices[k].size(); ++option) {
        const std::vector<Found>& tiling = choices[k][option];
        std::vector<MapCandidate> taken;
        MapCandidate c;
        for (const Found& f : tiling)
          if (Candidate(f, &c)) taken.push_back(c);
        if (taken.size() != tiling.size()) continue;
        // Each must rank about as well as the table it replaces. The same table
        // moved by less than a row to meet its neighbours may rank lower: read a
        // cell off, a table can rank higher when that puts the steepest step of
        // each row at the row ends. Merely cut short by its last row, it meets
        // nothing it did not meet before, unless it overlapped the next table.
        const bool shift = taken.size() == 1 && SameRows(taken[0].columns, taken[0].type, was) &&
                           std::abs(taken[0].rows - was.rows) <= 1 &&
                           std::abs(taken[0].offset - was.offset) < std::int64_t{was.columns} * CellWidth(was.type) &&
                           (taken[0].offset != was.offset || taken[0].rows > was.rows || (overlaps[k] & 2));
        const double least = (shift ? shiftRank : refitRank) * wasRank;
        if (std::any_of(taken.begin(), taken.end(), [&](const MapCandidate& t) { return Rank(t.score, t.columns, t.rows) < least; }))
          continue;
        out[owner[k]].score = -1;  // gives way
        out.insert(out.end(), taken.begin(), taken.end());
        break;
      }
      const MapCandidate& c = out[owner[k]];
      if (c.score >= 0) settled.insert({gaps[k].from, gaps[k].to, c.offset, c.ByteSize(), c.columns, std::llround(c.score * 1024)});
    }
    DropGivenWay();
  }
};

}  // namespace

std::vector<MapCandidate> FindMaps(std::span<const std::uint8_t> image, const FinderOptions& options,
                                   std::span<const std::uint8_t> original, ProgressFn progress,
                                   const std::atomic<bool>* cancel) {
  std::vector<Plan> plans;
  const MapTypeFilter f = options.types;
  if (f == MapTypeFilter::All || f == MapTypeFilter::N) plans.push_back({CellType::N, 0});
  // 16-bit controllers read their words at even addresses only.
  if (f == MapTypeFilter::All || f == MapTypeFilter::M16) plans.push_back({CellType::M16, 0});
  if (f == MapTypeFilter::All || f == MapTypeFilter::I16) plans.push_back({CellType::I16, 0});

  // Tables with a header in front are recognised exactly first.
  std::vector<ByteSpan> headerSpans;
  // The header search takes about a tenth of the time.
  constexpr double kHeaderShare = 0.1;
  if (progress) progress(0.0);
  ByteOrder order = ByteOrder::Unknown;
  std::vector<MapCandidate> headed = FindHeaderMaps(image, options, cancel, &headerSpans, &order);
  // An image keeps one byte order throughout: once its headers tell it, 16-bit
  // tables of the other order are not looked for.
  if (order != ByteOrder::Unknown) {
    const CellType other = order == ByteOrder::Little ? CellType::M16 : CellType::I16;
    plans.erase(std::remove_if(plans.begin(), plans.end(), [&](const Plan& p) { return p.type == other; }), plans.end());
  }

  Finder finder(image, options, cancel);
  Stream stream;
  const int minDim = std::clamp(options.minDim, 2, kMapFinderMaxDim);
  const int widths = std::clamp(options.maxDim, minDim, kMapFinderMaxDim) - minDim + 1;
  const double total = static_cast<double>(plans.size()) * widths + 1;
  double done = 0;
  auto report = [&] {
    done += 1;
    if (progress) progress(std::min(1.0, kHeaderShare + (1.0 - kHeaderShare) * done / total));
  };
  if (progress) progress(kHeaderShare);
  // Images of a usual size keep their readings for the passes over the gaps.
  constexpr std::size_t kKeepUpTo = 4u << 20;
  std::vector<Stream> readings(image.size() <= kKeepUpTo ? plans.size() : 0);
  for (std::size_t i = 0; i < plans.size(); ++i) {
    if (finder.Cancelled()) break;
    Stream& s = readings.empty() ? stream : readings[i];
    Decode(image, plans[i].type, plans[i].phase, s);
    finder.Scan(s, report);
  }

  std::vector<Found> all = std::move(finder.found());
  for (Found& h : all) PairPenalty(image, h);
  std::vector<ByteSpan> sureSpans;
  for (const ByteSpan& h : headerSpans)
    if (h.sure) sureSpans.push_back(h);
  std::vector<Found> kept = Merge(std::move(all), sureSpans);
  // A header candidate that is not sure of itself gives way to a table found by
  // its values that takes a quarter of it.
  auto shares = [](const Found& k, const MapCandidate& h) {
    const std::int64_t shared = std::min(k.offset + k.bytes, h.offset + h.ByteSize()) - std::max(k.offset, h.offset);
    return shared > 0 && shared * 4 >= std::min(k.bytes, h.ByteSize());
  };
  // A short header entry whose values lie inside a far larger table
  // found by its values is taken for a few of its cells: the table stays, the
  // entry goes.
  std::map<std::int64_t, ByteSpan> spanOf;
  for (const ByteSpan& h : headerSpans) spanOf[h.values] = h;
  auto swallows = [&](const Found& k, const MapCandidate& h) {
    const auto it = spanOf.find(h.offset);
    return it != spanOf.end() && ShortEntryInside(it->second, k);
  };
  std::vector<std::int64_t> unsure;
  for (const ByteSpan& h : headerSpans)
    if (!h.sure) unsure.push_back(h.values);
  std::sort(unsure.begin(), unsure.end());
  headed.erase(std::remove_if(headed.begin(), headed.end(),
                              [&](const MapCandidate& h) {
                                if (!std::binary_search(unsure.begin(), unsure.end(), h.offset)) return false;
                                return std::any_of(kept.begin(), kept.end(), [&](const Found& k) {
                                  return k.score >= kDefaultMinScore && shares(k, h);
                                });
                              }),
               headed.end());
  std::erase_if(headed, [&](const MapCandidate& h) {
    return std::any_of(kept.begin(), kept.end(), [&](const Found& k) { return swallows(k, h); });
  });
  std::vector<MapCandidate> out = headed;
  out.reserve(out.size() + kept.size());
  for (const Found& k : kept) {
    // Nor may it take a quarter of a header candidate's values.
    const bool clash = std::any_of(headed.begin(), headed.end(), [&](const MapCandidate& h) { return shares(k, h) && !swallows(k, h); });
    if (clash) continue;
    MapCandidate c;
    c.offset = k.offset;
    c.type = k.type;
    c.columns = k.columns;
    c.rows = k.rows;
    c.score = k.score;
    c.isSigned = k.isSigned;
    out.push_back(c);
  }
  if (!finder.Cancelled()) {
    Packing packing{image, finder, out, spanOf, options, stream, readings};
    packing.FillGaps(plans);
    packing.Refit(plans);
    // What a refit frees may be filled, and a table filling it may make its
    // neighbour's edges wrong.
    packing.FillGaps(plans);
    packing.Refit(plans);
    packing.JoinSplit(plans);
    packing.Extend();
    packing.TrimLookups();
    packing.Copies();
    // Last, the gaps that held nothing are read again for a table between junk.
    packing.FillGaps(plans, true);
  }
  for (MapCandidate& c : out) {
    const std::int64_t bytes = c.ByteSize();
    if (!original.empty()) {
      const std::int64_t end = c.offset + bytes;
      const std::int64_t common = std::min<std::int64_t>(end, static_cast<std::int64_t>(original.size()));
      bool differs = common < end;
      for (std::int64_t i = c.offset; i < common && !differs; ++i) {
        differs = image[static_cast<std::size_t>(i)] != original[static_cast<std::size_t>(i)];
      }
      c.differsFromOriginal = differs;
      if (differs) c.score *= 1.0 + Tuning{}.diffBonus;
    }
  }
  std::stable_sort(out.begin(), out.end(), [](const MapCandidate& a, const MapCandidate& b) { return a.score > b.score; });
  if (options.minScore > 0) {
    out.erase(std::find_if(out.begin(), out.end(), [&](const MapCandidate& c) { return c.score < options.minScore; }),
              out.end());
  }
  if (options.topK > 0 && out.size() > static_cast<std::size_t>(options.topK)) out.resize(static_cast<std::size_t>(options.topK));
  if (progress) progress(1.0);
  return out;
}

}  // namespace orv
