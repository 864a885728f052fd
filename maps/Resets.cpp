#include "maps/Resets.h"

#include <algorithm>
#include <cstdint>

namespace orv {

std::int64_t CopyRange(std::span<const std::uint8_t> orig, std::span<std::uint8_t> tun, std::int64_t offset,
                       std::int64_t count) {
  if (count <= 0) return 0;
  const std::int64_t lo = std::max<std::int64_t>(offset, 0);
  // offset + count may not fit in 64 bits for a huge count; the image ends long before.
  const std::int64_t end = offset > 0 && count > INT64_MAX - offset ? INT64_MAX : offset + count;
  const std::int64_t hi = std::min({end, static_cast<std::int64_t>(orig.size()),
                                    static_cast<std::int64_t>(tun.size())});
  if (hi <= lo) return 0;
  std::copy(orig.begin() + lo, orig.begin() + hi, tun.begin() + lo);
  return hi - lo;
}

std::int64_t MapResetByteCount(const MapLayout& m) {
  // No image reaches 2^40 bytes; capping keeps the product far from overflow.
  constexpr std::int64_t kCap = std::int64_t{1} << 40;
  return std::min(m.cells(), kCap) * CellWidth(m.type);
}

PatchRecorder::PatchRecorder(std::span<const std::uint8_t> tuning, std::int64_t offset, std::int64_t count) {
  const std::int64_t lo = std::clamp<std::int64_t>(offset, 0, static_cast<std::int64_t>(tuning.size()));
  const std::int64_t room = std::max<std::int64_t>(count, 0);
  const std::int64_t end = offset > 0 && room > INT64_MAX - offset ? INT64_MAX : offset + room;
  const std::int64_t hi = std::clamp<std::int64_t>(end, lo,
                                                   static_cast<std::int64_t>(tuning.size()));
  offset_ = lo;
  before_.assign(tuning.begin() + lo, tuning.begin() + hi);
}

std::optional<TuningPatch> PatchRecorder::Finish(std::span<const std::uint8_t> tuning) const {
  const auto n = static_cast<std::int64_t>(before_.size());
  if (offset_ + n > static_cast<std::int64_t>(tuning.size())) return std::nullopt;
  std::int64_t first = 0;
  while (first < n && before_[first] == tuning[offset_ + first]) ++first;
  if (first == n) return std::nullopt;
  std::int64_t last = n - 1;
  while (last > first && before_[last] == tuning[offset_ + last]) --last;
  TuningPatch p;
  p.offset = offset_ + first;
  p.before.assign(before_.begin() + first, before_.begin() + last + 1);
  p.after.assign(tuning.begin() + offset_ + first, tuning.begin() + offset_ + last + 1);
  return p;
}

void ApplyPatch(std::span<std::uint8_t> tuning, const TuningPatch& p, bool undo) {
  const auto& src = undo ? p.before : p.after;
  for (std::size_t i = 0; i < src.size(); ++i) {
    const std::int64_t at = p.offset + static_cast<std::int64_t>(i);
    if (at >= 0 && at < static_cast<std::int64_t>(tuning.size())) tuning[at] = src[i];
  }
}

}  // namespace orv
