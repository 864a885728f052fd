#pragma once
// Checksums over the original and the tuning image, the texts the checksum
// dialog shows for them, and the correction of the tuning image so that its
// checksum equals the original's.
//
// Elements of each algorithm (offsets are image offsets, range inclusive):
//   Byte        "8Bit Normal"          every byte of the range
//   ByteEven    "8 Bit gerade"         the bytes at even image offsets
//   ByteOdd     "8 Bit ungerade"       the bytes at odd image offsets
//   WordHL      "16 Bit Normal H/L"    every 16-bit word from the range start,
//                                      first byte high
//   WordEvenHL  "16 Bit  gerade H/L"   words 0, 2, 4 ... counted from the start
//   WordOddHL   "16 Bit ungerade H/L"  words 1, 3, 5 ... counted from the start
//   WordLH, WordEvenLH, WordOddLH      the same with the first byte low
// A word range of odd length ends in half a word; that byte is left out and,
// when its word would have belonged to the chosen set, reported.
//
// Summing: Sum adds modulo 2^16 (also for byte elements); And and Xor combine
// the elements bitwise and keep the element's width (And starts from all ones).
// An empty range gives the neutral value (0, or all ones for And).
#include <cstdint>
#include <span>
#include <string>

namespace orv {

enum class ChecksumAlgorithm {
  None,  // "Keine"
  Byte,
  ByteEven,
  ByteOdd,
  WordHL,
  WordEvenHL,
  WordOddHL,
  WordLH,
  WordEvenLH,
  WordOddLH,
};

enum class SumMode {
  Sum,  // "Mathematisch UND"
  And,  // "Boolsches AND"
  Xor,  // "Boolsche XOR"
};

// Option captions as the dialog shows them.
const char* AlgorithmCaption(ChecksumAlgorithm algorithm);
const char* SumModeCaption(SumMode mode);

// 1 for byte algorithms, 2 for word algorithms, 0 for None.
int ElementSize(ChecksumAlgorithm algorithm);

// Width of a result in bits: 16 for Sum, the element width for And and Xor.
int ResultWidth(ChecksumAlgorithm algorithm, SumMode mode);

// Whole image, or Start..End inclusive (clipped to each image).
struct ChecksumRange {
  bool Whole = true;
  std::int64_t Start = 0;
  std::int64_t End = 0;

  static ChecksumRange All() { return {}; }
  static ChecksumRange Between(std::int64_t start, std::int64_t end) { return {false, start, end}; }
};

enum class RangeError {
  None,
  EndBeforeStart,   // End < Start
  NegativeAddress,  // Start < 0
};

// The bytes [First, Last] of one image a range covers; Empty when none.
struct ClippedRange {
  bool Empty = true;
  std::int64_t First = 0, Last = 0;
  std::int64_t Length() const { return Empty ? 0 : Last - First + 1; }
};

RangeError CheckRange(const ChecksumRange& range);
// Clips a (valid) range to an image of `size` bytes.
ClippedRange ClipRange(const ChecksumRange& range, std::int64_t size);

struct ChecksumResult {
  RangeError Error = RangeError::None;
  bool Loaded = false;        // false for an empty image span
  std::uint32_t Value = 0;    // within ResultWidth bits
  int Width = 16;             // ResultWidth(algorithm, mode)
  std::int64_t Elements = 0;  // number of elements combined
  bool OddByteLeftOut = false;
};

// Checksum of one image; an empty span counts as not loaded. None gives Loaded
// and Value 0 with no elements.
ChecksumResult ComputeChecksum(std::span<const std::uint8_t> image, ChecksumAlgorithm algorithm,
                               SumMode mode, const ChecksumRange& range);

// "0x1A2B (6699)"; two hex digits for width 8, four otherwise.
std::string FormatChecksum(std::uint32_t value, int width);

// (tuning - original) modulo 2^width.
std::uint32_t ChecksumDifference(std::uint32_t original, std::uint32_t tuning, int width);

// Number of bytes in the range (clipped to both images) that differ between them.
std::int64_t CountDifferentBytes(std::span<const std::uint8_t> original,
                                 std::span<const std::uint8_t> tuning, const ChecksumRange& range);

inline constexpr const char* kNotLoadedText = "nicht geladen";

// The four value texts of the checksum dialog. A missing image shows
// "nicht geladen" and leaves Differenz and Byte empty; None leaves the three
// checksum texts empty but still counts the differing bytes. On a range error
// all texts are empty and Error says why.
struct ChecksumReport {
  RangeError Error = RangeError::None;
  ChecksumResult Original, Tuning;
  std::string OriginalText, TuningText, DifferenzText, ByteText;
  bool OddByteLeftOut = false;  // in either image
};

ChecksumReport MakeChecksumReport(std::span<const std::uint8_t> original,
                                  std::span<const std::uint8_t> tuning, ChecksumAlgorithm algorithm,
                                  SumMode mode, const ChecksumRange& range);

// ---------------------------------------------------------------- correction

enum class CorrectionError {
  None,
  NotCorrectable,       // algorithm None or mode And
  RangeInvalid,         // end before start or negative start
  ImageNotLoaded,       // empty tuning span
  AddressOutside,       // not inside the range clipped to the image
  AddressNotElement,    // not the first byte of an element of the algorithm
  TargetNotReachable,   // no value of one element gives the target (byte sums,
                        // or a target wider than the element for Xor)
};

// What a correction changed: Count bytes at Offset (1 or 2).
struct CorrectionChange {
  std::int64_t Offset = 0;
  int Count = 0;
  std::uint8_t OldBytes[2] = {0, 0};
  std::uint8_t NewBytes[2] = {0, 0};
};

struct CorrectionResult {
  CorrectionError Error = CorrectionError::None;
  CorrectionChange Change;
  bool Ok() const { return Error == CorrectionError::None; }
};

// Writes at `address` of the tuning image the element (in the algorithm's
// byte order) that makes the tuning checksum equal `target`. Nothing is written
// on error.
CorrectionResult CorrectChecksum(std::uint32_t target, std::span<std::uint8_t> tuning,
                                 ChecksumAlgorithm algorithm, SumMode mode,
                                 const ChecksumRange& range, std::int64_t address);

// Puts the old bytes of a change back (undo).
void UndoCorrection(std::span<std::uint8_t> tuning, const CorrectionChange& change);

}  // namespace orv
