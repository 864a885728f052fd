#pragma once
// The original and the tuning image, each held whole in memory. A loaded buffer
// holds the file's bytes and one spare byte behind them; an image that is not
// loaded has an empty buffer and size 0.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orv {

inline constexpr std::int64_t kMaxImageSize = std::int64_t{1} << 30;  // 1 GiB

struct ImageSet {
  std::string OriginalName, TuningName;                 // paths, UTF-8
  std::vector<std::uint8_t> OriginalPuffer, TuningPuffer;  // size + 1 bytes, or empty
  std::int32_t OriginalGroesse = 0, TuningGroesse = 0;

  bool OriginalLoaded() const { return !OriginalPuffer.empty(); }
  bool TuningLoaded() const { return !TuningPuffer.empty(); }
  // The image bytes without the spare byte; empty when not loaded.
  std::span<const std::uint8_t> Original() const;
  std::span<const std::uint8_t> Tuning() const;
  std::span<std::uint8_t> TuningMutable();
};

enum class ImageKind { Original, Tuning };

// Result of the open steps after the dialog: what happened to the image.
enum class LoadOutcome { NoFile, Loaded };

// Sets the name to the chosen path and, when a file of that path exists, reads it
// whole as the image's new buffer. When reading fails the image counts as not
// loaded (no buffer, size 0) and the error is thrown on; the caller clears the
// image's surface flag then.
LoadOutcome LoadImage(ImageSet& images, ImageKind kind, const std::string& path);

}  // namespace orv
