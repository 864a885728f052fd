#include "project/Checksums.h"

#include <algorithm>
#include <cstdio>

namespace orv {

namespace {

bool IsHighFirst(ChecksumAlgorithm a) {
  return a == ChecksumAlgorithm::WordHL || a == ChecksumAlgorithm::WordEvenHL ||
         a == ChecksumAlgorithm::WordOddHL;
}

// The element positions of an algorithm inside one clipped range: Count
// elements at First, First + Step, ...
struct Walk {
  std::int64_t First = 0, Step = 1, Count = 0;
  int Size = 1;
  bool HighFirst = false;
  bool OddByteLeftOut = false;
};

std::int64_t CountFrom(std::int64_t first, std::int64_t last, std::int64_t step) {
  return first > last ? 0 : (last - first) / step + 1;
}

Walk MakeWalk(ChecksumAlgorithm a, const ClippedRange& r) {
  Walk w;
  w.Size = ElementSize(a);
  w.HighFirst = IsHighFirst(a);
  if (r.Empty || a == ChecksumAlgorithm::None) return w;
  const std::int64_t f = r.First, l = r.Last;
  switch (a) {
    case ChecksumAlgorithm::None:
      break;
    case ChecksumAlgorithm::Byte:
      w.First = f, w.Step = 1;
      break;
    case ChecksumAlgorithm::ByteEven:
      w.First = f + (f & 1), w.Step = 2;
      break;
    case ChecksumAlgorithm::ByteOdd:
      w.First = f + ((f & 1) ^ 1), w.Step = 2;
      break;
    case ChecksumAlgorithm::WordHL:
    case ChecksumAlgorithm::WordLH:
      w.First = f, w.Step = 2;
      break;
    case ChecksumAlgorithm::WordEvenHL:
    case ChecksumAlgorithm::WordEvenLH:
      w.First = f, w.Step = 4;
      break;
    case ChecksumAlgorithm::WordOddHL:
    case ChecksumAlgorithm::WordOddLH:
      w.First = f + 2, w.Step = 4;
      break;
  }
  // A word needs its second byte inside the range too.
  w.Count = CountFrom(w.First, l - (w.Size - 1), w.Step);
  if (w.Size == 2 && (r.Length() & 1)) {
    // Half a word at l: index (l - f) / 2 from the start; left out, reported
    // when the chosen set holds that index.
    const std::int64_t tail = l;
    w.OddByteLeftOut = tail >= w.First && (tail - w.First) % w.Step == 0;
  }
  return w;
}

inline std::uint32_t ReadElement(const std::uint8_t* p, int size, bool highFirst) {
  if (size == 1) return p[0];
  return highFirst ? (std::uint32_t{p[0]} << 8) | p[1] : (std::uint32_t{p[1]} << 8) | p[0];
}

std::uint32_t Mask(int width) { return width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u; }

std::uint32_t Neutral(SumMode mode, int width) { return mode == SumMode::And ? Mask(width) : 0u; }

// Step is a template argument so that the compiler can unroll and vectorise.
template <int Size, bool HighFirst, int Step>
std::uint32_t Combine(const std::uint8_t* data, const Walk& w, SumMode mode) {
  const std::uint8_t* p = data + w.First;
  const std::int64_t n = w.Count;
  constexpr std::int64_t step = Step;
  std::uint32_t acc;
  switch (mode) {
    case SumMode::Sum:
      acc = 0;
      for (std::int64_t i = 0; i < n; ++i, p += step) acc += ReadElement(p, Size, HighFirst);
      return acc & 0xFFFFu;
    case SumMode::And:
      acc = Mask(Size * 8);
      for (std::int64_t i = 0; i < n; ++i, p += step) acc &= ReadElement(p, Size, HighFirst);
      return acc;
    case SumMode::Xor:
      acc = 0;
      for (std::int64_t i = 0; i < n; ++i, p += step) acc ^= ReadElement(p, Size, HighFirst);
      return acc;
  }
  return 0;
}

std::uint32_t CombineWalk(const std::uint8_t* data, const Walk& w, SumMode mode) {
  if (w.Count == 0) return Neutral(mode, mode == SumMode::Sum ? 16 : w.Size * 8);
  if (w.Size == 1)
    return w.Step == 1 ? Combine<1, false, 1>(data, w, mode) : Combine<1, false, 2>(data, w, mode);
  if (w.HighFirst)
    return w.Step == 2 ? Combine<2, true, 2>(data, w, mode) : Combine<2, true, 4>(data, w, mode);
  return w.Step == 2 ? Combine<2, false, 2>(data, w, mode) : Combine<2, false, 4>(data, w, mode);
}

}  // namespace

const char* AlgorithmCaption(ChecksumAlgorithm algorithm) {
  switch (algorithm) {
    case ChecksumAlgorithm::None: return "Keine";
    case ChecksumAlgorithm::Byte: return "8Bit Normal";
    case ChecksumAlgorithm::ByteEven: return "8 Bit gerade";
    case ChecksumAlgorithm::ByteOdd: return "8 Bit ungerade";
    case ChecksumAlgorithm::WordHL: return "16 Bit Normal H/L";
    case ChecksumAlgorithm::WordEvenHL: return "16 Bit  gerade H/L";
    case ChecksumAlgorithm::WordOddHL: return "16 Bit ungerade H/L";
    case ChecksumAlgorithm::WordLH: return "16 Bit Normal L/H";
    case ChecksumAlgorithm::WordEvenLH: return "16 Bit  gerade L/H";
    case ChecksumAlgorithm::WordOddLH: return "16 Bit ungerade L/H";
  }
  return "";
}

const char* SumModeCaption(SumMode mode) {
  switch (mode) {
    case SumMode::Sum: return "Mathematisch UND";
    case SumMode::And: return "Boolsches AND";
    case SumMode::Xor: return "Boolsche XOR";
  }
  return "";
}

int ElementSize(ChecksumAlgorithm algorithm) {
  switch (algorithm) {
    case ChecksumAlgorithm::None: return 0;
    case ChecksumAlgorithm::Byte:
    case ChecksumAlgorithm::ByteEven:
    case ChecksumAlgorithm::ByteOdd: return 1;
    default: return 2;
  }
}

int ResultWidth(ChecksumAlgorithm algorithm, SumMode mode) {
  if (mode == SumMode::Sum) return 16;
  return ElementSize(algorithm) == 1 ? 8 : 16;
}

RangeError CheckRange(const ChecksumRange& range) {
  if (range.Whole) return RangeError::None;
  if (range.Start < 0) return RangeError::NegativeAddress;
  if (range.End < range.Start) return RangeError::EndBeforeStart;
  return RangeError::None;
}

ClippedRange ClipRange(const ChecksumRange& range, std::int64_t size) {
  ClippedRange c;
  if (size <= 0) return c;
  if (range.Whole) return {false, 0, size - 1};
  if (range.Start >= size || range.End < range.Start || range.Start < 0) return c;
  return {false, range.Start, std::min(range.End, size - 1)};
}

ChecksumResult ComputeChecksum(std::span<const std::uint8_t> image, ChecksumAlgorithm algorithm,
                               SumMode mode, const ChecksumRange& range) {
  ChecksumResult r;
  r.Width = ResultWidth(algorithm, mode);
  r.Error = CheckRange(range);
  if (r.Error != RangeError::None) return r;
  r.Loaded = !image.empty();
  if (!r.Loaded || algorithm == ChecksumAlgorithm::None) return r;
  const Walk w = MakeWalk(algorithm, ClipRange(range, static_cast<std::int64_t>(image.size())));
  r.Value = CombineWalk(image.data(), w, mode);
  r.Elements = w.Count;
  r.OddByteLeftOut = w.OddByteLeftOut;
  return r;
}

std::string FormatChecksum(std::uint32_t value, int width) {
  char buf[40];
  value &= Mask(width);
  std::snprintf(buf, sizeof buf, width == 8 ? "0x%02X (%u)" : "0x%04X (%u)", value, value);
  return buf;
}

std::uint32_t ChecksumDifference(std::uint32_t original, std::uint32_t tuning, int width) {
  return (tuning - original) & Mask(width);
}

std::int64_t CountDifferentBytes(std::span<const std::uint8_t> original,
                                 std::span<const std::uint8_t> tuning, const ChecksumRange& range) {
  if (CheckRange(range) != RangeError::None) return 0;
  const auto common = static_cast<std::int64_t>(std::min(original.size(), tuning.size()));
  const ClippedRange c = ClipRange(range, common);
  std::int64_t n = 0;
  for (std::int64_t i = c.First; i < c.First + c.Length(); ++i) n += original[i] != tuning[i];
  return n;
}

ChecksumReport MakeChecksumReport(std::span<const std::uint8_t> original,
                                  std::span<const std::uint8_t> tuning, ChecksumAlgorithm algorithm,
                                  SumMode mode, const ChecksumRange& range) {
  ChecksumReport rep;
  rep.Error = CheckRange(range);
  if (rep.Error != RangeError::None) return rep;
  rep.Original = ComputeChecksum(original, algorithm, mode, range);
  rep.Tuning = ComputeChecksum(tuning, algorithm, mode, range);
  rep.OddByteLeftOut = rep.Original.OddByteLeftOut || rep.Tuning.OddByteLeftOut;
  const bool both = rep.Original.Loaded && rep.Tuning.Loaded;
  if (algorithm != ChecksumAlgorithm::None) {
    const int width = rep.Original.Width;
    rep.OriginalText = rep.Original.Loaded ? FormatChecksum(rep.Original.Value, width) : kNotLoadedText;
    rep.TuningText = rep.Tuning.Loaded ? FormatChecksum(rep.Tuning.Value, width) : kNotLoadedText;
    if (both)
      rep.DifferenzText =
          FormatChecksum(ChecksumDifference(rep.Original.Value, rep.Tuning.Value, width), width);
  }
  if (both) rep.ByteText = std::to_string(CountDifferentBytes(original, tuning, range));
  return rep;
}

CorrectionResult CorrectChecksum(std::uint32_t target, std::span<std::uint8_t> tuning,
                                 ChecksumAlgorithm algorithm, SumMode mode,
                                 const ChecksumRange& range, std::int64_t address) {
  CorrectionResult res;
  if (algorithm == ChecksumAlgorithm::None || mode == SumMode::And) {
    res.Error = CorrectionError::NotCorrectable;
    return res;
  }
  if (CheckRange(range) != RangeError::None) {
    res.Error = CorrectionError::RangeInvalid;
    return res;
  }
  if (tuning.empty()) {
    res.Error = CorrectionError::ImageNotLoaded;
    return res;
  }
  const ClippedRange c = ClipRange(range, static_cast<std::int64_t>(tuning.size()));
  if (c.Empty || address < c.First || address > c.Last) {
    res.Error = CorrectionError::AddressOutside;
    return res;
  }
  const Walk w = MakeWalk(algorithm, c);
  const std::int64_t rel = address - w.First;
  if (rel < 0 || rel % w.Step != 0 || rel / w.Step >= w.Count) {
    res.Error = CorrectionError::AddressNotElement;
    return res;
  }
  const int width = ResultWidth(algorithm, mode);
  const std::uint32_t elemMask = Mask(w.Size * 8);
  if (target > Mask(width)) {
    res.Error = CorrectionError::TargetNotReachable;
    return res;
  }
  std::uint8_t* p = tuning.data() + address;
  const std::uint32_t old = ReadElement(p, w.Size, w.HighFirst);
  const std::uint32_t all = CombineWalk(tuning.data(), w, mode);
  std::uint32_t need;
  if (mode == SumMode::Sum) {
    const std::uint32_t rest = (all - old) & 0xFFFFu;
    need = (target - rest) & 0xFFFFu;
  } else {
    need = target ^ all ^ old;
  }
  if (need > elemMask) {
    res.Error = CorrectionError::TargetNotReachable;
    return res;
  }
  CorrectionChange& ch = res.Change;
  ch.Offset = address;
  ch.Count = w.Size;
  for (int i = 0; i < w.Size; ++i) ch.OldBytes[i] = p[i];
  if (w.Size == 1) {
    ch.NewBytes[0] = static_cast<std::uint8_t>(need);
  } else if (w.HighFirst) {
    ch.NewBytes[0] = static_cast<std::uint8_t>(need >> 8);
    ch.NewBytes[1] = static_cast<std::uint8_t>(need);
  } else {
    ch.NewBytes[0] = static_cast<std::uint8_t>(need);
    ch.NewBytes[1] = static_cast<std::uint8_t>(need >> 8);
  }
  for (int i = 0; i < w.Size; ++i) p[i] = ch.NewBytes[i];
  return res;
}

void UndoCorrection(std::span<std::uint8_t> tuning, const CorrectionChange& change) {
  if (change.Offset < 0 || change.Offset + change.Count > static_cast<std::int64_t>(tuning.size()))
    return;
  for (int i = 0; i < change.Count; ++i) tuning[change.Offset + i] = change.OldBytes[i];
}

}  // namespace orv
