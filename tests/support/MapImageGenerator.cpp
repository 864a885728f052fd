#include "support/MapImageGenerator.h"

#include <algorithm>
#include <cmath>

namespace orv::testsupport {

const char* FamilyName(ImageFamily f) {
  switch (f) {
    case ImageFamily::Motronic8: return "Motronic8";
    case ImageFamily::C167: return "C167";
    case ImageFamily::M68k: return "M68k";
    case ImageFamily::PowerPC: return "PowerPC";
  }
  return "";
}

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

using Bytes = std::vector<std::uint8_t>;

// Opcodes of an 8051-type controller, the frequent ones listed more often.
constexpr std::uint8_t kOpcodes8051[] = {
    0x74, 0x74, 0x74, 0xE5, 0xE5, 0xE5, 0xF5, 0xF5, 0xF5, 0x90, 0x90, 0x12, 0x12, 0x12, 0x02, 0x80,
    0x80, 0x60, 0x70, 0xE0, 0xE0, 0xF0, 0xF0, 0xA3, 0xA3, 0x22, 0x22, 0x75, 0x75, 0x85, 0xC3, 0xD3,
    0x94, 0x24, 0x34, 0x40, 0x50, 0x30, 0x20, 0xB4, 0x78, 0x79, 0x08, 0x18, 0xE4, 0xE4, 0x93, 0xFF,
    0xFE, 0xEF, 0xEE, 0xC0, 0xD0, 0x54, 0x44, 0x64, 0x25, 0x35, 0x95, 0xA4, 0x84, 0x33, 0x13, 0x03};

// First bytes of frequent 16-bit controller instructions (C167 style: opcode byte
// first, then operand bytes) and their lengths.
struct Op { std::uint8_t code; int length; };
constexpr Op kOpsC167[] = {{0xE6, 4}, {0xE6, 4}, {0xF2, 4}, {0xF2, 4}, {0xF6, 4}, {0xDA, 4}, {0xDA, 4},
                           {0x0D, 2}, {0x2D, 2}, {0x3D, 2}, {0xCC, 2}, {0xF0, 2}, {0xF0, 2}, {0x00, 2},
                           {0x20, 2}, {0x40, 2}, {0x48, 2}, {0xDB, 2}, {0xEC, 2}, {0xFC, 2}, {0x88, 2},
                           {0xA8, 2}, {0x98, 2}, {0xB8, 2}, {0xC0, 2}, {0xD7, 4}, {0xE0, 2}, {0x06, 4}};
// 68k opcode words (big-endian) and their lengths in bytes.
struct Op16 { std::uint16_t code; int length; };
constexpr Op16 kOps68k[] = {{0x4E75, 2}, {0x4EB9, 6}, {0x4EB9, 6}, {0x3039, 6}, {0x33C0, 6}, {0x2079, 6},
                            {0x6600, 4}, {0x6700, 4}, {0x6000, 4}, {0x4A79, 6}, {0x0C40, 4}, {0x3200, 2},
                            {0x3010, 2}, {0x48E7, 4}, {0x4CDF, 4}, {0xD041, 2}, {0x9041, 2}, {0xC0C1, 2},
                            {0x7000, 2}, {0x7201, 2}, {0x41F9, 6}, {0x3028, 4}, {0x1039, 6}, {0x4240, 2}};
// PowerPC instruction words with their operand fields left open.
constexpr std::uint32_t kOpsPpc[] = {0x3C600000, 0x38630000, 0x7C0802A6, 0x4E800020, 0x9421FFF0, 0x80010000,
                                     0x90010000, 0x48000001, 0x41820000, 0x40820000, 0x2C030000, 0x7C632214,
                                     0x81230000, 0xA0030000, 0xB0030000, 0x7C0803A6, 0x38210010, 0x60000000,
                                     0x5463103A, 0x7D234B78, 0x88030000, 0x98030000, 0x3D200000, 0x39290000};

void PutCode8051(Rng& rng, Bytes& b, std::size_t& i, std::size_t end) {
  while (i < end) {
    b[i++] = kOpcodes8051[rng.Int(0, static_cast<int>(sizeof kOpcodes8051) - 1)];
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

void PutCodeC167(Rng& rng, Bytes& b, std::size_t& i, std::size_t end) {
  while (i + 4 <= end) {
    const Op op = kOpsC167[rng.Int(0, static_cast<int>(std::size(kOpsC167)) - 1)];
    b[i] = op.code;
    b[i + 1] = static_cast<std::uint8_t>(rng.Int(0, 3) == 0 ? rng.Int(0, 255) : rng.Int(0xF0, 0xFF));
    if (op.length == 4) {
      // A 16-bit address or constant, little-endian: mostly in a few pages.
      const int page = rng.Int(0, 3) == 0 ? rng.Int(0, 255) : 0xE0 + rng.Int(0, 8);
      b[i + 2] = static_cast<std::uint8_t>(rng.Int(0, 255) & ~1);
      b[i + 3] = static_cast<std::uint8_t>(page);
    }
    i += static_cast<std::size_t>(op.length);
  }
  while (i < end) b[i++] = 0xCC;
}

void PutCode68k(Rng& rng, Bytes& b, std::size_t& i, std::size_t end) {
  while (i + 6 <= end) {
    const Op16 op = kOps68k[rng.Int(0, static_cast<int>(std::size(kOps68k)) - 1)];
    const int low = op.code & 0xFF ? 0 : rng.Int(0, 15);
    b[i] = static_cast<std::uint8_t>(op.code >> 8);
    b[i + 1] = static_cast<std::uint8_t>((op.code & 0xFF) | low);
    for (int k = 2; k < op.length; k += 2) {
      const int w = k == 2 && op.length == 6 ? rng.Int(0, 0x1F) : rng.Int(0, 0xFFFF);
      b[i + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(w >> 8);
      b[i + static_cast<std::size_t>(k) + 1] = static_cast<std::uint8_t>(w & 0xFE);
    }
    i += static_cast<std::size_t>(op.length);
  }
  while (i + 1 < end) { b[i++] = 0x4E; b[i++] = 0x71; }
  while (i < end) b[i++] = 0x4E;
}

void PutCodePpc(Rng& rng, Bytes& b, std::size_t& i, std::size_t end) {
  while (i + 4 <= end) {
    std::uint32_t w = kOpsPpc[rng.Int(0, static_cast<int>(std::size(kOpsPpc)) - 1)];
    if ((w & 0xFFFF) == 0) w |= static_cast<std::uint32_t>(rng.Int(0, 3) == 0 ? rng.Int(0, 0xFFFF) : rng.Int(0, 0x7F) * 4);
    w ^= static_cast<std::uint32_t>(rng.Int(0, 31)) << 21;  // register fields
    for (int k = 0; k < 4; ++k) b[i + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(w >> (24 - 8 * k));
    i += 4;
  }
  while (i < end) b[i++] = 0x60;
}

void PutString(Rng& rng, Bytes& b, std::size_t& i, std::size_t end) {
  static constexpr char kText[] =
      "KENNFELD ZUENDUNG EINSPRITZUNG LAMBDA DREHZAHL LAST VERSION 1.2 (C) 1996 ROBERT BOSCH GMBH "
      "0261203xxx 1037359xxx MOTRONIC ECU EPROM HW SW DAMOS CAL ";
  int len = rng.Int(4, 40);
  int pos = rng.Int(0, static_cast<int>(sizeof kText) - 42);
  while (i < end && len-- > 0) b[i++] = static_cast<std::uint8_t>(kText[pos++]);
  if (i < end) b[i++] = 0;
}

void PutCode(Rng& rng, Bytes& b, std::size_t& i, std::size_t end, ImageFamily f) {
  switch (f) {
    case ImageFamily::Motronic8: PutCode8051(rng, b, i, end); break;
    case ImageFamily::C167: PutCodeC167(rng, b, i, end); break;
    case ImageFamily::M68k: PutCode68k(rng, b, i, end); break;
    case ImageFamily::PowerPC: PutCodePpc(rng, b, i, end); break;
  }
}

}  // namespace

void FillCodeLike(Rng& rng, Bytes& b, std::size_t from, std::size_t to, ImageFamily family) {
  to = std::min(to, b.size());
  std::size_t i = from;
  while (i < to) {
    const int kind = rng.Int(0, 99);
    const std::size_t end = std::min(to, i + static_cast<std::size_t>(rng.Int(64, 2048)));
    if (kind < 82) {
      PutCode(rng, b, i, end, family);
    } else if (kind < 90) {
      const std::size_t strings = static_cast<std::size_t>(rng.Int(1, 6));
      for (std::size_t s = 0; s < strings && i < to; ++s) PutString(rng, b, i, to);
    } else {
      const std::size_t e = std::min(to, i + static_cast<std::size_t>(rng.Int(16, 600)));
      const std::uint8_t fill = rng.Chance(0.7) ? 0xFF : 0x00;
      while (i < e) b[i++] = fill;
    }
    // Keep 16- and 32-bit code aligned after odd-length texts.
    if (family != ImageFamily::Motronic8) {
      while (i < to && i % 4 != 0) b[i++] = 0;
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

// Stores v (which may be negative: two's complement) in `bytes` cells at `off`.
void Put(Bytes& b, std::int64_t off, int bytes, bool bigEndian, std::int64_t v) {
  if (off < 0 || off + bytes > static_cast<std::int64_t>(b.size())) return;
  const auto u = static_cast<std::uint64_t>(v);
  for (int k = 0; k < bytes; ++k) {
    const int shift = 8 * (bigEndian ? bytes - 1 - k : k);
    b[static_cast<std::size_t>(off + k)] = static_cast<std::uint8_t>(u >> shift);
  }
}

CellType TypeOf(int bytes, bool bigEndian) {
  if (bytes == 1) return CellType::N;
  return bigEndian ? CellType::M16 : CellType::I16;
}

// Values of a table: smooth, with equal rows, mostly zero, or signed.
std::vector<std::int64_t> TableValues(Rng& rng, int cols, int rows, int cellBytes, bool* isSigned) {
  const bool wide = cellBytes == 2;
  const int kind = rng.Int(0, 99);
  *isSigned = kind >= 85;
  std::int64_t lo, hi;
  if (*isSigned) {
    const int span = wide ? rng.Int(2000, 30000) : rng.Int(20, 120);
    lo = -span;
    hi = rng.Int(span / 3, span);
  } else if (wide) {
    const int span = rng.Int(1500, 60000);
    lo = rng.Int(0, 65535 - span);
    hi = lo + span;
  } else {
    const int span = rng.Int(40, 220);
    lo = rng.Int(0, 255 - span);
    hi = lo + span;
  }
  const double noise = wide ? 0.003 * static_cast<double>(hi - lo) : 1.0;
  std::vector<std::int64_t> v;
  if (kind < 10 && rows > 1) {
    // Every row the same.
    const auto row = SmoothSurface(rng, cols, 1, lo, hi, noise);
    for (int r = 0; r < rows; ++r) v.insert(v.end(), row.begin(), row.end());
  } else if (kind < 20 && !*isSigned) {
    // Mostly zero: a bump in one corner.
    v = SmoothSurface(rng, cols, rows, -2 * (hi - lo), hi - lo, noise);
    for (auto& x : v) x = std::max<std::int64_t>(0, x);
  } else {
    v = SmoothSurface(rng, cols, rows, lo, hi, noise);
  }
  return v;
}

// n strictly increasing breakpoints within [lo, hi].
std::vector<std::int64_t> Breakpoints(Rng& rng, int n, std::int64_t lo, std::int64_t hi) {
  std::vector<std::int64_t> a(static_cast<std::size_t>(n));
  const std::int64_t span = hi - lo;
  const std::int64_t used = std::max<std::int64_t>(n, static_cast<std::int64_t>(span * (0.3 + 0.7 * rng.Real())));
  const std::int64_t start = lo + static_cast<std::int64_t>(static_cast<double>(span - used) * rng.Real());
  const double gamma = 0.7 + 0.8 * rng.Real();
  for (int k = 0; k < n; ++k) {
    const double t = n > 1 ? double(k) / (n - 1) : 0.0;
    const double curved = std::pow(t, gamma);
    a[static_cast<std::size_t>(k)] = start + static_cast<std::int64_t>(curved * static_cast<double>(used - n)) + k;
  }
  for (int k = 1; k < n; ++k)
    a[static_cast<std::size_t>(k)] = std::max(a[static_cast<std::size_t>(k)], a[static_cast<std::size_t>(k) - 1] + 1);
  return a;
}

struct Builder {
  Rng& rng;
  GeneratedImage& img;
  bool bigEndian = false;

  std::int64_t Size() const { return static_cast<std::int64_t>(img.bytes.size()); }

  void Plant(PlantedMap p) {
    p.counted = p.columns >= 4 && p.columns <= 32 && (p.rows == 1 || (p.rows >= 4 && p.rows <= 32));
    img.maps.push_back(p);
  }

  // Motronic 8-bit entry at `at`: input byte, count, delta-coded axis per
  // dimension, then the values (second dimension fast). Returns its end.
  std::int64_t Motronic8Entry(std::int64_t at, bool curve) {
    const auto dim = [&] { return rng.Chance(0.08) ? rng.Int(2, 3) : rng.Int(4, 16); };
    const int n1 = dim(), n2 = curve ? 1 : dim();
    const std::int64_t need = 2 + n1 + (curve ? 0 : 2 + n2) + std::int64_t{n1} * n2;
    if (at + need > Size()) return -1;
    PlantedMap p;
    p.layout = 1;
    p.headerFrom = at;
    p.type = CellType::N;
    auto block = [&](int n) {
      // The lookup routine adds the steps to the input until the sum overflows:
      // the first step is 256 minus the top breakpoint, the others the gaps
      // between falling breakpoints.
      const auto bp = Breakpoints(rng, n, 1, 255);
      img.bytes[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(rng.Int(0x20, 0x7F));
      img.bytes[static_cast<std::size_t>(at + 1)] = static_cast<std::uint8_t>(n);
      const std::int64_t axis = at + 2;
      img.bytes[static_cast<std::size_t>(axis)] = static_cast<std::uint8_t>(256 - bp.back());
      for (int k = 1; k < n; ++k)
        img.bytes[static_cast<std::size_t>(axis + k)] =
            static_cast<std::uint8_t>(bp[static_cast<std::size_t>(n - k)] - bp[static_cast<std::size_t>(n - k - 1)]);
      at += 2 + n;
      return axis;
    };
    const std::int64_t a1 = block(n1);
    if (curve) {
      p.columns = n1;
      p.rows = 1;
      p.xAxis = a1;
    } else {
      const std::int64_t a2 = block(n2);
      p.columns = n2;
      p.rows = n1;
      p.xAxis = a2;
      p.yAxis = a1;
    }
    p.offset = at;
    const auto v = TableValues(rng, p.columns, p.rows, 1, &p.isSigned);
    for (std::size_t k = 0; k < v.size(); ++k) Put(img.bytes, at + static_cast<std::int64_t>(k), 1, false, v[k]);
    Plant(p);
    return at + static_cast<std::int64_t>(v.size());
  }

  // 16-bit inline-header entry: dimensions (bytes or words), X axis, Y axis,
  // data; a curve has its count (byte and zero pad, or word), axis and values.
  std::int64_t HeaderEntry(std::int64_t at, bool curve, bool wordCounts, int axisBytes, int dataBytes) {
    int nx = rng.Int(curve ? 4 : 3, 16), ny = curve ? 1 : rng.Int(3, 16);
    const int countBytes = wordCounts ? 2 : (curve ? 2 : 1);
    const std::int64_t head = curve ? countBytes : 2 * countBytes;
    const std::int64_t axes = at + head;
    if (axisBytes == 2 && axes % 2) return -1;
    // 16-bit data must start at an even address: byte axes of an odd total length
    // do not occur in front of it.
    if (dataBytes == 2 && (axes + std::int64_t{nx + (curve ? 0 : ny)} * axisBytes) % 2) (curve ? nx : ny) += 1;
    const std::int64_t data = axes + std::int64_t{nx + (curve ? 0 : ny)} * axisBytes;
    const std::int64_t end = data + std::int64_t{nx} * ny * dataBytes;
    if (end > Size()) return -1;
    PlantedMap p;
    p.layout = 2;
    p.headerFrom = at;
    p.type = TypeOf(dataBytes, bigEndian);
    if (curve) {
      if (wordCounts) Put(img.bytes, at, 2, bigEndian, nx);
      else { Put(img.bytes, at, 1, false, nx); Put(img.bytes, at + 1, 1, false, 0); }
    } else {
      Put(img.bytes, at, countBytes, bigEndian, nx);
      Put(img.bytes, at + countBytes, countBytes, bigEndian, ny);
    }
    auto axis = [&](std::int64_t where, int n) {
      const bool signedAxis = rng.Chance(0.1);
      const std::int64_t top = axisBytes == 2 ? (signedAxis ? 30000 : 65000) : (signedAxis ? 120 : 255);
      const std::int64_t bottom = signedAxis ? -top / 2 : 0;
      const auto bp = Breakpoints(rng, n, bottom, top);
      for (int k = 0; k < n; ++k) Put(img.bytes, where + std::int64_t{k} * axisBytes, axisBytes, bigEndian, bp[static_cast<std::size_t>(k)]);
    };
    axis(axes, nx);
    if (!curve) axis(axes + std::int64_t{nx} * axisBytes, ny);
    p.offset = data;
    p.columns = nx;
    p.rows = ny;
    p.xAxis = axes;
    p.yAxis = curve ? -1 : axes + std::int64_t{nx} * axisBytes;
    const auto v = TableValues(rng, nx, ny, dataBytes, &p.isSigned);
    for (std::size_t k = 0; k < v.size(); ++k)
      Put(img.bytes, data + static_cast<std::int64_t>(k) * dataBytes, dataBytes, bigEndian, v[k]);
    Plant(p);
    return end;
  }

  // A table without header; stored column by column it is planted with the
  // column length as its width. Its axes are written elsewhere by the caller.
  std::int64_t PlainEntry(std::int64_t at, int dataBytes, int* nxOut, int* nyOut) {
    const int nx = rng.Int(4, 20), ny = rng.Int(4, 20);
    const std::int64_t end = at + std::int64_t{nx} * ny * dataBytes;
    if (end > Size()) return -1;
    PlantedMap p;
    p.layout = 3;
    p.headerFrom = at;
    p.offset = at;
    p.type = TypeOf(dataBytes, bigEndian);
    p.columns = nx;
    p.rows = ny;
    const auto v = TableValues(rng, nx, ny, dataBytes, &p.isSigned);
    for (std::size_t k = 0; k < v.size(); ++k)
      Put(img.bytes, at + static_cast<std::int64_t>(k) * dataBytes, dataBytes, bigEndian, v[k]);
    Plant(p);
    *nxOut = nx;
    *nyOut = ny;
    return end;
  }

  // Things that are no maps: scalar constants, a constant table, a lone axis, a
  // long monotonic lookup table, fill.
  std::int64_t Distractor(std::int64_t at, int cellBytes) {
    const int kind = rng.Int(0, 99);
    std::int64_t n;
    if (kind < 40) {
      n = rng.Int(1, 6) * cellBytes;
      for (std::int64_t k = 0; k < n && at + k < Size(); ++k) img.bytes[static_cast<std::size_t>(at + k)] = static_cast<std::uint8_t>(rng.Int(0, 255));
      return at + n;
    }
    if (kind < 55) {
      n = rng.Int(8, 48);
      const std::int64_t v = rng.Int(0, cellBytes == 2 ? 65535 : 255);
      for (std::int64_t k = 0; k < n; ++k) Put(img.bytes, at + k * cellBytes, cellBytes, bigEndian, v);
      return at + n * cellBytes;
    }
    if (kind < 75) {
      n = rng.Int(4, 16);
      const auto bp = Breakpoints(rng, static_cast<int>(n), 0, cellBytes == 2 ? 60000 : 250);
      for (std::int64_t k = 0; k < n; ++k) Put(img.bytes, at + k * cellBytes, cellBytes, bigEndian, bp[static_cast<std::size_t>(k)]);
      return at + n * cellBytes;
    }
    if (kind < 90) {
      n = cellBytes == 2 ? rng.Int(32, 256) : rng.Int(32, 128);
      const auto bp = Breakpoints(rng, static_cast<int>(n), 0, cellBytes == 2 ? 65000 : 255);
      for (std::int64_t k = 0; k < n; ++k) Put(img.bytes, at + k * cellBytes, cellBytes, bigEndian, bp[static_cast<std::size_t>(std::min<std::int64_t>(k, static_cast<std::int64_t>(bp.size()) - 1))]);
      return at + n * cellBytes;
    }
    n = rng.Int(8, 64);
    for (std::int64_t k = 0; k < n && at + k < Size(); ++k) img.bytes[static_cast<std::size_t>(at + k)] = 0xFF;
    return at + n;
  }

  // An identical copy of an earlier table (with its header) at `at`.
  std::int64_t Copy(std::int64_t at) {
    if (img.maps.empty()) return at;
    const PlantedMap src = img.maps[static_cast<std::size_t>(rng.Int(0, static_cast<int>(img.maps.size()) - 1))];
    const std::int64_t from = src.headerFrom, to = src.offset + src.ByteSize();
    if (at % 2 != from % 2) ++at;
    if (at + (to - from) > Size()) return -1;
    std::copy(img.bytes.begin() + from, img.bytes.begin() + to, img.bytes.begin() + at);
    PlantedMap p = src;
    const std::int64_t shift = at - from;
    p.headerFrom += shift;
    p.offset += shift;
    if (p.xAxis >= from && p.xAxis < to) p.xAxis += shift;
    if (p.yAxis >= from && p.yAxis < to) p.yAxis += shift;
    Plant(p);
    return at + (to - from);
  }
};

std::size_t DefaultSize(ImageFamily f) {
  switch (f) {
    case ImageFamily::Motronic8: return 64 * 1024;
    case ImageFamily::PowerPC: return 1024 * 1024;
    default: return 512 * 1024;
  }
}

}  // namespace

GeneratedImage GenerateMapImage(std::uint64_t seed, const GeneratorOptions& o) {
  Rng rng(seed);
  GeneratedImage img;
  img.family = o.family;
  const std::size_t size = o.size ? o.size : DefaultSize(o.family);
  img.bytes.assign(size, 0xFF);
  const std::int64_t n = static_cast<std::int64_t>(size);
  const bool eight = o.family == ImageFamily::Motronic8;
  const int want = o.mapCount > 0 ? o.mapCount
                                  : std::max(8, static_cast<int>(eight ? n / 400 : n / 2600));
  Builder bld{rng, img, o.family == ImageFamily::M68k || o.family == ImageFamily::PowerPC};

  // Code and texts first, then one or two calibration areas, the rest 0xFF.
  const std::int64_t codeEnd = n * (eight ? 55 : 60) / 100;
  FillCodeLike(rng, img.bytes, 0, static_cast<std::size_t>(codeEnd), o.family);
  std::int64_t at = codeEnd + rng.Int(0, 64) * 4;
  // 16- and 32-bit controllers keep their calibration data word aligned.
  if (!eight) at &= ~std::int64_t{1};
  std::vector<std::int64_t> axisSlots;  // where the axes of headerless maps go
  int planted = 0;
  const bool wordCounts = rng.Chance(0.5);
  while (planted < want && at < n - 64) {
    const int pick = rng.Int(0, 99);
    std::int64_t end = -1;
    if (eight) {
      if (pick < 8) end = bld.Distractor(at, 1);
      else if (pick < 10) end = bld.Copy(at);
      else end = bld.Motronic8Entry(at, rng.Chance(2.0 / 3.0));
    } else if (o.family == ImageFamily::PowerPC) {
      if (pick < 15) end = bld.Distractor(at, 2);
      else if (pick < 20) end = bld.Copy(at);
      else {
        int nx = 0, ny = 0;
        end = bld.PlainEntry(at, rng.Chance(0.85) ? 2 : 1, &nx, &ny);
        if (end > 0 && rng.Chance(0.5)) {
          // Axes in a table of their own further on.
          PlantedMap& p = img.maps.back();
          p.xAxis = p.yAxis = -2;
        }
      }
    } else {
      if (pick < 12) end = bld.Distractor(at, 2);
      else if (pick < 16) end = bld.Copy(at);
      else if (pick < 36) {
        int nx = 0, ny = 0;
        end = bld.PlainEntry(at, rng.Chance(0.6) ? 2 : 1, &nx, &ny);
        if (end > 0) img.maps.back().xAxis = img.maps.back().yAxis = -2;
      } else {
        const bool curve = rng.Chance(0.55);
        const bool words = rng.Chance(0.8) ? wordCounts : !wordCounts;
        const int axisBytes = rng.Chance(0.7) ? 2 : 1;
        const int dataBytes = rng.Chance(0.5) ? 2 : 1;
        end = bld.HeaderEntry(at, curve, words, axisBytes, dataBytes);
        if (end < 0 && at % 2) end = bld.HeaderEntry(at + 1, curve, words, axisBytes, dataBytes);
      }
    }
    if (end < 0) break;
    if (end > at && !img.maps.empty() && img.maps.back().headerFrom >= at) ++planted;
    at = end;
    // 16-bit calibration data stays word aligned, sometimes with a gap.
    if (!eight && at % 2) img.bytes[static_cast<std::size_t>(at++)] = 0;
    if (!eight && rng.Chance(0.15)) at += 2 * rng.Int(1, 4);
  }
  // Axes of headerless maps: arrays of breakpoints in an area of their own.
  at += 64;
  for (PlantedMap& p : img.maps) {
    if (p.xAxis != -2) continue;
    p.xAxis = p.yAxis = -1;
    const int ab = rng.Chance(0.7) ? 2 : 1;
    const std::int64_t need = std::int64_t{p.columns + p.rows} * ab + 4;
    if (at + need >= n) continue;
    const auto x = Breakpoints(rng, p.columns, 0, ab == 2 ? 60000 : 250);
    const auto y = Breakpoints(rng, p.rows, 0, ab == 2 ? 60000 : 250);
    p.xAxis = at;
    for (int k = 0; k < p.columns; ++k) Put(img.bytes, at + std::int64_t{k} * ab, ab, bld.bigEndian, x[static_cast<std::size_t>(k)]);
    at += std::int64_t{p.columns} * ab;
    p.yAxis = at;
    for (int k = 0; k < p.rows; ++k) Put(img.bytes, at + std::int64_t{k} * ab, ab, bld.bigEndian, y[static_cast<std::size_t>(k)]);
    at += std::int64_t{p.rows} * ab + 2 * rng.Int(0, 3);
  }
  // Some more code behind the calibration data, then fill.
  if (at < n) {
    const std::int64_t more = std::min<std::int64_t>(n - at, n / 10);
    FillCodeLike(rng, img.bytes, static_cast<std::size_t>(at + 16), static_cast<std::size_t>(at + more), o.family);
  }
  std::sort(img.maps.begin(), img.maps.end(), [](const PlantedMap& a, const PlantedMap& b) { return a.offset < b.offset; });
  return img;
}

void FinderScore::Add(const FinderScore& o) {
  for (int k = 0; k <= kLayoutKinds; ++k) {
    planted[k] += o.planted[k];
    exact[k] += o.exact[k];
    overlap[k] += o.overlap[k];
  }
  checked += o.checked;
  correct += o.correct;
  listed += o.listed;
  listedCorrect += o.listedCorrect;
  axesRight += o.axesRight;
}

FinderScore ScoreCandidates(const GeneratedImage& img, const std::vector<MapCandidate>& candidates) {
  FinderScore s;
  int count = 0;
  for (const PlantedMap& p : img.maps) count += p.counted;
  const std::size_t depth = std::min(candidates.size(), static_cast<std::size_t>(count) * 2);
  for (const PlantedMap& p : img.maps) {
    if (!p.counted) continue;
    ++s.planted[0];
    ++s.planted[p.layout];
    bool exact = false, overlap = false;
    for (std::size_t i = 0; i < depth; ++i) {
      const MapCandidate& c = candidates[i];
      const bool sameSize = CellWidth(c.type) == CellWidth(p.type) &&
                            ((c.columns == p.columns && c.rows == p.rows) || (c.columns == p.rows && c.rows == p.columns));
      if (c.offset == p.offset && sameSize) {
        if (!exact && c.layout == MapLayoutKind::Header && p.layout != 3 &&
            (p.xAxis < 0 || c.xAxis.offset == p.xAxis || c.xAxis.offset == p.yAxis))
          ++s.axesRight;
        exact = true;
      }
      if (c.offset < p.offset + p.ByteSize() && p.offset < c.offset + c.ByteSize()) overlap = true;
    }
    s.exact[0] += exact;
    s.exact[p.layout] += exact;
    s.overlap[0] += overlap;
    s.overlap[p.layout] += overlap;
  }
  auto onMap = [&](const MapCandidate& c) {
    const std::int64_t from = c.offset, to = c.offset + c.ByteSize();
    for (const PlantedMap& p : img.maps) {
      const std::int64_t a = std::max(from, p.headerFrom), b = std::min(to, p.offset + p.ByteSize());
      if (b > a && 2 * (b - a) >= to - from) return true;
    }
    return false;
  };
  s.checked = static_cast<int>(depth);
  for (std::size_t i = 0; i < depth; ++i) s.correct += onMap(candidates[i]);
  s.listed = static_cast<int>(candidates.size());
  for (const MapCandidate& c : candidates) s.listedCorrect += onMap(c);
  return s;
}

}  // namespace orv::testsupport
