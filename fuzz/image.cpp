// Fuzzes everything that works on image bytes through a map definition: the
// first bytes choose a map (type, dimensions, start offset), the rest is the
// original image and, slightly changed, the tuning image. Runs the cell
// operations, the click edits (undone and redone by patches), picking, the
// resets, the rev limiter conversions and every checksum algorithm and sum mode
// with its correction.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "graphics/Geometry.h"
#include "maps/CellCodec.h"
#include "maps/Editing.h"
#include "maps/Resets.h"
#include "maps/RevLimiter.h"
#include "project/Checksums.h"
#include "project/Errors.h"
#include "project/Record.h"

namespace {

using namespace orv;
using Bytes = std::vector<std::uint8_t>;

constexpr std::int64_t kMaxCells = 4096;
const char* const kCodes[] = {"N", "M16", "I16", "M32", "I32", "K", "", "n", "M1"};

std::int32_t Dimension(FuzzedDataProvider& in) {
  static const std::int32_t kEdges[] = {0, 1, 2, 3, 16, 64, 65, -1, -5, 256, 65536, 0x7FFFFFFF,
                                        std::numeric_limits<std::int32_t>::min()};
  if (in.ConsumeBool()) return kEdges[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kEdges) - 1)];
  return in.ConsumeIntegralInRange<std::int32_t>(-4, 80);
}

std::int64_t Offset(FuzzedDataProvider& in, std::int64_t size) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return in.ConsumeIntegralInRange<std::int64_t>(-8, size + 8);
    case 1: return in.ConsumeIntegral<std::int32_t>();
    case 2: return size - in.ConsumeIntegralInRange<std::int64_t>(0, 8);
    default: return in.ConsumeBool() ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
  }
}

std::int64_t Clamp(std::int64_t v, CellType t) {
  switch (t) {
    case CellType::N: return std::clamp<std::int64_t>(v, 0, 255);
    case CellType::M16:
    case CellType::I16: return std::clamp<std::int64_t>(v, 0, 65535);
    default: return v;
  }
}

// Bytes outside [from, to) are the same in both.
void CheckOutsideUnchanged(const Bytes& a, const Bytes& b, std::int64_t from, std::int64_t to) {
  FUZZ_CHECK(a.size() == b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto p = static_cast<std::int64_t>(i);
    if (p < from || p >= to) FUZZ_CHECK(a[i] == b[i]);
  }
}

void CellOperations(FuzzedDataProvider& in, const Bytes& original, Bytes& tuning, const MapLayout& m) {
  const int w = CellWidth(m.type);
  const std::int64_t cells = std::min(m.cells(), kMaxCells);
  const Bytes before = tuning;
  const std::int64_t mapEnd = m.start + std::int64_t{w} * std::min(m.cells(), kMaxCells);
  for (std::int64_t c = 0; c <= cells + 1; ++c) {  // 0 and one past the end as well
    const auto vo = ReadCell(original, m, c);
    const auto vt = ReadCell(tuning, m, c);
    const std::int64_t off = m.CellOffset(c);
    const bool insideO = w > 0 && off >= 0 && off + w <= static_cast<std::int64_t>(original.size());
    const bool insideT = w > 0 && off >= 0 && off + w <= static_cast<std::int64_t>(tuning.size());
    FUZZ_CHECK(!vo || insideO);
    FUZZ_CHECK(!vt || insideT);
    if (vt && *vt >= 0) {
      // Writing back what was read changes no byte.
      const Bytes keep = tuning;
      FUZZ_CHECK(WriteCell(tuning, m, c, *vt));
      FUZZ_CHECK(tuning == keep);
    }
    if (CopyCell(original, tuning, m, c)) {
      FUZZ_CHECK(insideO && insideT);
      FUZZ_CHECK(ReadCell(tuning, m, c) == ReadCell(original, m, c));
    }
    if (vt) {
      const std::int64_t value = in.ConsumeIntegral<std::int64_t>();
      const bool wrote = WriteCell(tuning, m, c, value);
      FUZZ_CHECK(wrote);
      if (w <= 2) FUZZ_CHECK(ReadCell(tuning, m, c) == Clamp(value, m.type));
      if (w == 4 && value >= 0 && value <= 0x7FFFFFFF) FUZZ_CHECK(ReadCell(tuning, m, c) == value);
    }
  }
  CheckOutsideUnchanged(before, tuning, m.start, mapEnd);
}

void Edits(FuzzedDataProvider& in, Bytes& tuning, const MapLayout& m) {
  const int w = CellWidth(m.type);
  const std::int64_t span = std::int64_t{w} * std::min(m.cells(), kMaxCells);
  for (int round = 0; round < 3; ++round) {
    const int step = in.ConsumeIntegralInRange<int>(-100, 1000);
    const EditMode mode = in.ConsumeBool() ? EditMode::Bit : EditMode::Percent;
    const std::int64_t cell = in.ConsumeIntegralInRange<std::int64_t>(-1, std::min(m.cells(), kMaxCells) + 1);
    const Bytes before = tuning;
    const PatchRecorder rec(tuning, m.start, span);
    switch (in.ConsumeIntegralInRange<int>(0, 2)) {
      case 0: {
        const Bytes read = tuning;
        const auto old = ReadCell(read, m, cell);
        const bool changed = ChangeCell(read, tuning, m, cell, step, mode);
        if (changed) {
          FUZZ_CHECK(IsMapEditType(m.type) && old);
          FUZZ_CHECK(ReadCell(tuning, m, cell) == Clamp(SteppedValue(*old, step, mode), m.type));
        }
        break;
      }
      case 1:
        if (m.cells() > kMaxCells) continue;  // the window never edits a map that large
        ChangeAll(tuning, m, step, mode);
        if (IsMapEditType(m.type)) {
          for (std::int64_t c = 1; c <= m.cells(); ++c) {
            const auto old = ReadCell(before, m, c);
            if (old) FUZZ_CHECK(ReadCell(tuning, m, c) == Clamp(SteppedValue(*old, step, mode), m.type));
          }
        } else {
          FUZZ_CHECK(tuning == before);
        }
        break;
      default:
        ChangeNine(tuning, m, cell, step, mode);
        break;
    }
    if (!IsMapEditType(m.type)) FUZZ_CHECK(tuning == before);
    CheckOutsideUnchanged(before, tuning, m.start, m.start + span);
    const auto patch = rec.Finish(tuning);
    if (!patch) {
      FUZZ_CHECK(tuning == before);
      continue;
    }
    const Bytes after = tuning;
    ApplyPatch(tuning, *patch, true);
    FUZZ_CHECK(tuning == before);
    ApplyPatch(tuning, *patch, false);
    FUZZ_CHECK(tuning == after);
  }
}

void Picking(FuzzedDataProvider& in) {
  const std::int32_t cells = in.ConsumeIntegralInRange<std::int32_t>(-2, 64);
  std::vector<Point2i> points(static_cast<std::size_t>(in.ConsumeIntegralInRange<int>(0, 64)) + 1);
  for (auto& p : points) {
    p.x = in.ConsumeBool() ? in.ConsumeIntegral<int>() : in.ConsumeIntegralInRange<int>(-20, 20);
    p.y = in.ConsumeBool() ? in.ConsumeIntegral<int>() : in.ConsumeIntegralInRange<int>(-20, 20);
  }
  // Mouse positions lie on the window.
  const int mx = in.ConsumeIntegralInRange<int>(-100000, 100000);
  const int my = in.ConsumeIntegralInRange<int>(-100000, 100000);
  const std::int32_t k = PickCell(points, cells, mx, my);
  auto inside = [&](std::size_t i) {
    const Point2i p = points[i];
    return std::int64_t{mx} - 5 < p.x && p.x < std::int64_t{mx} + 5 && std::int64_t{my} - 10 < p.y &&
           p.y < std::int64_t{my} + 10;
  };
  const std::int64_t last = std::min<std::int64_t>(cells, static_cast<std::int64_t>(points.size()) - 1);
  FUZZ_CHECK(k >= 0 && k <= std::max<std::int64_t>(last, 0));
  for (std::int64_t i = 1; i <= (k == 0 ? last : k - 1); ++i) FUZZ_CHECK(!inside(static_cast<std::size_t>(i)));
  if (k > 0) FUZZ_CHECK(inside(static_cast<std::size_t>(k)));
}

void Resets(FuzzedDataProvider& in, const Bytes& original, Bytes& tuning, const MapLayout& m) {
  const std::int64_t count = MapResetByteCount(m);
  FUZZ_CHECK(count >= 0);
  FUZZ_CHECK(count == std::int64_t{CellWidth(m.type)} * std::min(m.cells(), std::int64_t{1} << 40));
  const std::int64_t offset = in.ConsumeBool() ? m.start : Offset(in, static_cast<std::int64_t>(tuning.size()));
  const std::int64_t n = in.ConsumeBool() ? count : in.ConsumeIntegral<std::int64_t>();
  const Bytes before = tuning;
  const std::int64_t copied = CopyRange(original, tuning, offset, n);
  const std::int64_t limit = std::min<std::int64_t>(original.size(), tuning.size());
  std::int64_t expect = 0;
  if (n > 0 && offset < limit) {
    const std::int64_t from = std::max<std::int64_t>(offset, 0);
    // offset + n may not fit: compare with the room left instead.
    const std::int64_t to = n >= limit - offset ? limit : offset + n;
    expect = std::max<std::int64_t>(to - from, 0);
    for (std::int64_t i = from; i < to; ++i) FUZZ_CHECK(tuning[static_cast<std::size_t>(i)] == original[static_cast<std::size_t>(i)]);
    CheckOutsideUnchanged(before, tuning, from, to);
  } else {
    FUZZ_CHECK(tuning == before);
  }
  FUZZ_CHECK(copied == expect);
}

void Limiter(FuzzedDataProvider& in, Bytes& tuning) {
  TDatensatz rec;
  rec.set(fld::Anfangsadresse, in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 8)));
  rec.set(fld::KennfeldTyp, kCodes[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kCodes) - 1)]);
  for (int i = 0; i < 6; ++i) rec.bytes[static_cast<std::size_t>(fld::Faktor.offset + i)] = in.ConsumeIntegral<std::uint8_t>();
  static const char* const kSystems[] = {"N8", "N16", "N32", "X"};
  const RevLimiter l = RevLimiterFromRecord(rec, kSystems[in.ConsumeIntegralInRange<int>(0, 3)]);
  try {
    (void)LimitText(l, tuning);
  } catch (const EMathError&) {
  }
  const std::string entry = in.ConsumeRandomLengthString(16);
  const Bytes before = tuning;
  bool stored = false;
  try {
    stored = StoreLimit(tuning, l, entry);
  } catch (const EMathError&) {
    FUZZ_CHECK(tuning == before);  // nothing is written before the error
  }
  const int w = CellWidth(l.type);
  if (stored) {
    FUZZ_CHECK(w > 0);
    CheckOutsideUnchanged(before, tuning, l.offset, l.offset + w);
  } else {
    FUZZ_CHECK(tuning == before);
  }
  const std::int32_t entryValue = in.ConsumeIntegral<std::int32_t>();
  try {
    const std::int32_t raw = RawFromEntry(entryValue, l.faktor);
    (void)ShownLimit(l.faktor, raw);
  } catch (const EMathError&) {
  }
  (void)ParseFactorText(in.ConsumeRandomLengthString(24));
  (void)IsHexAddressText(in.ConsumeRandomLengthString(10));
}

void Checksums(FuzzedDataProvider& in, const Bytes& original, Bytes& tuning) {
  static const ChecksumAlgorithm kAlgorithms[] = {
      ChecksumAlgorithm::None,       ChecksumAlgorithm::Byte,   ChecksumAlgorithm::ByteEven,
      ChecksumAlgorithm::ByteOdd,    ChecksumAlgorithm::WordHL, ChecksumAlgorithm::WordEvenHL,
      ChecksumAlgorithm::WordOddHL,  ChecksumAlgorithm::WordLH, ChecksumAlgorithm::WordEvenLH,
      ChecksumAlgorithm::WordOddLH};
  const std::int64_t size = static_cast<std::int64_t>(tuning.size());
  for (ChecksumAlgorithm a : kAlgorithms) {
    for (SumMode mode : {SumMode::Sum, SumMode::And, SumMode::Xor}) {
      ChecksumRange range = ChecksumRange::All();
      if (in.ConsumeBool()) range = ChecksumRange::Between(Offset(in, size), Offset(in, size));
      const ChecksumResult o = ComputeChecksum(original, a, mode, range);
      const ChecksumResult t = ComputeChecksum(tuning, a, mode, range);
      FUZZ_CHECK(t.Width == ResultWidth(a, mode));
      if (t.Width < 32) FUZZ_CHECK(t.Value < (std::uint32_t{1} << t.Width));
      const ChecksumReport report = MakeChecksumReport(original, tuning, a, mode, range);
      FUZZ_CHECK(report.Error == CheckRange(range));
      (void)CountDifferentBytes(original, tuning, range);
      const std::uint32_t target = in.ConsumeBool() ? o.Value : in.ConsumeIntegral<std::uint32_t>();
      const std::int64_t address = in.ConsumeBool() ? Offset(in, size) : (range.Whole ? 0 : range.Start);
      const Bytes before = tuning;
      const CorrectionResult r = CorrectChecksum(target, tuning, a, mode, range, address);
      if (!r.Ok()) {
        FUZZ_CHECK(tuning == before);
        continue;
      }
      FUZZ_CHECK(r.Change.Count == ElementSize(a));
      FUZZ_CHECK(r.Change.Offset >= 0 && r.Change.Offset + r.Change.Count <= size);
      CheckOutsideUnchanged(before, tuning, r.Change.Offset, r.Change.Offset + r.Change.Count);
      FUZZ_CHECK(ComputeChecksum(tuning, a, mode, range).Value == target);
      UndoCorrection(tuning, r.Change);
      FUZZ_CHECK(tuning == before);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  // The map, then the images from the tail of the input.
  MapLayout m;
  m.type = CellTypeFromCode(kCodes[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kCodes) - 1)]);
  m.xdim = Dimension(in);
  m.ydim = Dimension(in);
  const std::size_t imageSize = in.ConsumeIntegralInRange<std::size_t>(0, 4096);
  Bytes original = in.ConsumeBytes<std::uint8_t>(imageSize);
  Bytes tuning = original;
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: tuning.resize(tuning.size() / 2); break;           // shorter tuning image
    case 1: tuning.resize(tuning.size() + 7, 0xA5); break;     // longer tuning image
    default: break;
  }
  for (std::size_t i = 0; i < tuning.size(); i += 1 + in.ConsumeIntegralInRange<std::size_t>(0, 64))
    tuning[i] = static_cast<std::uint8_t>(tuning[i] ^ 0x5A);
  m.start = Offset(in, static_cast<std::int64_t>(original.size()));

  CellOperations(in, original, tuning, m);
  Edits(in, tuning, m);
  Picking(in);
  Resets(in, original, tuning, m);
  Limiter(in, tuning);
  Checksums(in, original, tuning);
  return 0;
}
