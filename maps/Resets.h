#pragma once
// Resets copy raw bytes from the original into the tuning image at the same
// offsets; bytes beyond the end of either image are skipped.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "maps/CellCodec.h"

namespace orv {

// Copies [offset, offset + count) clipped to both images; returns the bytes copied.
std::int64_t CopyRange(std::span<const std::uint8_t> original, std::span<std::uint8_t> tuning,
                       std::int64_t offset, std::int64_t count);

// Bytes the active-map reset covers: X*Y for "N", 2*X*Y for 16-bit, 4*X*Y for 32-bit, else 0.
std::int64_t MapResetByteCount(const MapLayout& m);

// A change of the tuning image that can be undone and redone: the bytes of one
// range before and after.
struct TuningPatch {
  std::int64_t offset = 0;
  std::vector<std::uint8_t> before, after;
};

// Takes the bytes of a range before a command runs and, afterwards, the smallest
// patch covering what changed (nothing when no byte changed).
class PatchRecorder {
 public:
  PatchRecorder(std::span<const std::uint8_t> tuning, std::int64_t offset, std::int64_t count);
  std::optional<TuningPatch> Finish(std::span<const std::uint8_t> tuning) const;

 private:
  std::int64_t offset_ = 0;
  std::vector<std::uint8_t> before_;
};

// Writes the patch's `after` (redo) or `before` (undo) bytes, clipped to the image.
void ApplyPatch(std::span<std::uint8_t> tuning, const TuningPatch& p, bool undo);

}  // namespace orv
