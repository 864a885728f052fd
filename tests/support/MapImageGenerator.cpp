#include "support/MapImageGenerator.h"

#include <algorithm>
#include <cmath>

namespace orv::testsupport {

Rng::Rng(std::uint64_t seed) : state_(seed) {
  state_ = Next() ^ 0xD1B54A32D192ED03ull;
  state_ = Next();
}

std::uint64_t Rng::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int Rng::Int(int lo, int hi) {
  if (hi <= lo) return lo;
  const std::uint64_t span = static_cast<std::uint64_t>(hi - lo) + 1;
  return lo + static_cast<int>(Next() % span);
}

double Rng::Real() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

namespace {

// Opcodes of a typical 8-bit controller, the frequent ones listed more often.
constexpr std::uint8_t kOpcodes[] = {
    0x74, 0x74, 0x74, 0xE5, 0xE5, 0xE5, 0xF5, 0xF5, 0xF5, 0x90, 0x90, 0x12, 0x12, 0x12, 0x02, 0x80,
    0x80, 0x60, 0x70, 0xE0, 0xE0, 0xF0, 0xF0, 0xA3, 0xA3, 0x22, 0x22, 0x75, 0x75, 0x85, 0xC3, 0xD3,
    0x94, 0x24, 0x34, 0x40, 0x50, 0x30, 0x20, 0xB4, 0x78, 0x79, 0x08, 0x18, 0xE4, 0xE4, 0x93, 0xFF,
    0xFE, 0xEF, 0xEE, 0xC0, 0xD0, 0x54, 0x44, 0x64, 0x25, 0x35, 0x95, 0xA4, 0x84, 0x33, 0x13, 0x03,
    0xCE, 0xCC, 0x86, 0xB6, 0x97, 0xBD, 0x39, 0x26, 0x27, 0x7E, 0xDC, 0xDD, 0x4F, 0x5F, 0x3C, 0x38};

void PutCode(Rng& rng, std::vector<std::uint8_t>& b, std::size_t& i, std::size_t end) {
  while (i < end) {
    b[i++] = kOpcodes[rng.Int(0, static_cast<int>(sizeof kOpcodes) - 1)];
    const int operands = rng.Int(0, 9) < 3 ? 0 : (rng.Int(0, 9) < 6 ? 1 : 2);
    if (operands == 1 && i < end) {
      const int kind = rng.Int(0, 3);
      b[i++] = static_cast<std::uint8_t>(kind == 0 ? rng.Int(0, 15)
                                         : kind == 1 ? rng.Int(0x20, 0x7F)
                                         : kind == 2 ? rng.Int(0x80, 0xFF)
                                                     : rng.Int(0, 255));
    } else if (operands == 2 && i + 1 < end) {
      b[i++] = static_cast<std::uint8_t>(rng.Int(0, 0x3F));
      b[i++] = static_cast<std::uint8_t>(rng.Int(0, 255));
    }
  }
}

void PutString(Rng& rng, std::vector<std::uint8_t>& b, std::size_t& i, std::size_t end) {
  static constexpr char kText[] = "KENNFELD ZUENDUNG EINSPRITZUNG LAMBDA DREHZAHL LAST VERSION 1.2 (C) BOSCH ";
  int len = rng.Int(4, 24);
  int pos = rng.Int(0, static_cast<int>(sizeof kText) - 26);
  while (i < end && len-- > 0) b[i++] = static_cast<std::uint8_t>(kText[pos++]);
  if (i < end) b[i++] = 0;
}

void PutPointers(Rng& rng, std::vector<std::uint8_t>& b, std::size_t& i, std::size_t end) {
  const bool motorola = rng.Chance(0.5);
  int value = rng.Int(0x0100, 0x4000);
  const int count = rng.Int(4, 24);
  for (int k = 0; k < count && i + 1 < end; ++k) {
    value = std::min(0xFFFF, value + rng.Int(2, 120));
    const auto hi = static_cast<std::uint8_t>(value >> 8), lo = static_cast<std::uint8_t>(value & 0xFF);
    b[i++] = motorola ? hi : lo;
    b[i++] = motorola ? lo : hi;
  }
}

}  // namespace

void FillCodeLike(Rng& rng, std::vector<std::uint8_t>& b, std::size_t from, std::size_t to) {
  to = std::min(to, b.size());
  std::size_t i = from;
  while (i < to) {
    const int kind = rng.Int(0, 99);
    std::size_t end = std::min(to, i + static_cast<std::size_t>(rng.Int(32, 1024)));
    if (kind < 70) {
      PutCode(rng, b, i, end);
    } else if (kind < 78) {
      PutString(rng, b, i, to);
    } else if (kind < 85) {
      end = std::min(to, i + static_cast<std::size_t>(rng.Int(16, 400)));
      const std::uint8_t fill = rng.Chance(0.5) ? 0x00 : 0xFF;
      while (i < end) b[i++] = fill;
    } else if (kind < 90) {
      PutPointers(rng, b, i, to);
    } else {
      while (i < end) b[i++] = static_cast<std::uint8_t>(rng.Int(0, 255));
    }
  }
}

std::vector<std::int64_t> SmoothSurface(Rng& rng, int columns, int rows, std::int64_t lo, std::int64_t hi,
                                        double noise) {
  auto coef = [&](double minAbs) {
    const double m = minAbs + (1.0 - minAbs) * rng.Real();
    return rng.Chance(0.5) ? m : -m;
  };
  const double ax = coef(0.3), ay = coef(0.3), axy = coef(0.0), axx = coef(0.0) * 0.6, ayy = coef(0.0) * 0.6;
  const double bump = rng.Chance(0.5) ? coef(0.2) : 0.0;
  const double cx = rng.Real(), cy = rng.Real(), s = 0.15 + 0.3 * rng.Real();
  std::vector<double> f(static_cast<std::size_t>(columns) * rows);
  double fmin = 1e300, fmax = -1e300;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const double x = columns > 1 ? double(c) / (columns - 1) : 0.0;
      const double y = rows > 1 ? double(r) / (rows - 1) : 0.0;
      const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
      const double v = ax * x + ay * y + axy * x * y + axx * x * x + ayy * y * y + bump * std::exp(-d2 / (2 * s * s));
      f[static_cast<std::size_t>(r) * columns + c] = v;
      fmin = std::min(fmin, v);
      fmax = std::max(fmax, v);
    }
  }
  std::vector<std::int64_t> out(f.size());
  const double span = static_cast<double>(hi - lo);
  for (std::size_t k = 0; k < f.size(); ++k) {
    const double unit = fmax > fmin ? (f[k] - fmin) / (fmax - fmin) : 0.5;
    const double v = static_cast<double>(lo) + unit * span + noise * (2 * rng.Real() - 1);
    out[k] = std::clamp<std::int64_t>(std::llround(v), lo, hi);
  }
  return out;
}

namespace {

void Store(std::vector<std::uint8_t>& b, std::int64_t off, CellType t, std::int64_t v) {
  WriteValue(std::span<std::uint8_t>(b), off, t, v);
}

// A strictly increasing axis of n values of type t.
std::vector<std::int64_t> Axis(Rng& rng, int n, CellType t) {
  std::vector<std::int64_t> a(static_cast<std::size_t>(n));
  const bool wide = t != CellType::N;
  std::int64_t v = wide ? rng.Int(400, 1000) : rng.Int(0, 40);
  const std::int64_t top = wide ? 65535 : 255;
  const int maxStep = wide ? 600 : std::max(2, static_cast<int>((top - v) / n));
  for (int k = 0; k < n; ++k) {
    a[static_cast<std::size_t>(k)] = v;
    v = std::min(top - (n - k), v + rng.Int(1, maxStep));
  }
  return a;
}

}  // namespace

GeneratedImage GenerateMapImage(std::uint64_t seed, const GeneratorOptions& o) {
  Rng rng(seed);
  GeneratedImage img;
  img.bytes.assign(o.size, 0);
  FillCodeLike(rng, img.bytes, 0, o.size);

  std::vector<CellType> types;
  if (o.withN) types.push_back(CellType::N);
  if (o.withM16) types.push_back(CellType::M16);
  if (o.withI16) types.push_back(CellType::I16);
  if (types.empty()) return img;

  struct Used { std::int64_t from, to; };
  std::vector<Used> used;
  const std::int64_t size = static_cast<std::int64_t>(o.size);
  for (int m = 0; m < o.mapCount; ++m) {
    PlantedMap p;
    p.type = types[static_cast<std::size_t>(rng.Int(0, static_cast<int>(types.size()) - 1))];
    p.columns = rng.Int(o.minDim, o.maxDim);
    p.rows = rng.Int(o.minDim, o.maxDim);
    const int cw = CellWidth(p.type);
    const bool xAxis = rng.Chance(0.5);
    const bool yAxis = xAxis && rng.Chance(0.3);
    p.axisBytes = (xAxis ? p.columns * cw : 0) + (yAxis ? p.rows * cw : 0);
    const std::int64_t total = p.axisBytes + p.ByteSize();
    if (total + 64 > size) continue;
    bool placed = false;
    for (int attempt = 0; attempt < 200 && !placed; ++attempt) {
      std::int64_t from = rng.Int(16, static_cast<int>(size - total - 16));
      // 16-bit tables sit at even addresses, as 16-bit controllers need them.
      if (cw == 2) from &= ~std::int64_t{1};
      const std::int64_t to = from + total;
      bool clash = false;
      for (const Used& u : used) clash = clash || (from < u.to + 16 && u.from < to + 16);
      if (clash) continue;
      used.push_back({from, to});
      p.offset = from + p.axisBytes;
      placed = true;
    }
    if (!placed) continue;

    std::int64_t at = p.offset - p.axisBytes;
    if (yAxis) {
      for (std::int64_t v : Axis(rng, p.rows, p.type)) { Store(img.bytes, at, p.type, v); at += cw; }
    }
    if (xAxis) {
      for (std::int64_t v : Axis(rng, p.columns, p.type)) { Store(img.bytes, at, p.type, v); at += cw; }
    }
    std::int64_t lo, hi;
    double noise;
    if (p.type == CellType::N) {
      const int span = rng.Int(40, 220);
      lo = rng.Int(0, 255 - span);
      hi = lo + span;
      noise = 1.0;
    } else {
      const int span = rng.Int(1500, 60000);
      lo = rng.Int(0, 65535 - span);
      hi = lo + span;
      noise = 0.003 * span;
    }
    const auto cells = SmoothSurface(rng, p.columns, p.rows, lo, hi, noise);
    for (std::size_t k = 0; k < cells.size(); ++k) Store(img.bytes, p.offset + static_cast<std::int64_t>(k) * cw, p.type, cells[k]);
    img.maps.push_back(p);
  }
  std::sort(img.maps.begin(), img.maps.end(), [](const PlantedMap& a, const PlantedMap& b) { return a.offset < b.offset; });
  return img;
}

FinderScore ScoreCandidates(const GeneratedImage& img, const std::vector<MapCandidate>& candidates) {
  FinderScore s;
  s.planted = static_cast<int>(img.maps.size());
  const std::size_t recallDepth = std::min(candidates.size(), img.maps.size() * 2);
  for (const PlantedMap& p : img.maps) {
    for (std::size_t i = 0; i < recallDepth; ++i) {
      const MapCandidate& c = candidates[i];
      if (c.offset == p.offset && c.columns == p.columns) {
        ++s.found;
        if (c.type == p.type) ++s.foundTyped;
        break;
      }
    }
  }
  const std::size_t precisionDepth = std::min(candidates.size(), img.maps.size());
  s.topChecked = static_cast<int>(precisionDepth);
  for (std::size_t i = 0; i < precisionDepth; ++i) {
    const MapCandidate& c = candidates[i];
    const std::int64_t cFrom = c.offset, cTo = c.offset + c.ByteSize();
    for (const PlantedMap& p : img.maps) {
      const std::int64_t from = std::max(cFrom, p.offset - p.axisBytes), to = std::min(cTo, p.offset + p.ByteSize());
      if (to > from && 2 * (to - from) >= cTo - cFrom) {
        ++s.topCorrect;
        break;
      }
    }
  }
  return s;
}

}  // namespace orv::testsupport
