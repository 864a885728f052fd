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
  // The comparison image ("Vergleichen mit…"): any file the tuning image is
  // compared with instead of the original; never empty when loaded.
  std::string VergleichName;
  std::vector<std::uint8_t> VergleichPuffer;
  std::int32_t VergleichGroesse = 0;

  bool OriginalLoaded() const { return !OriginalPuffer.empty(); }
  bool TuningLoaded() const { return !TuningPuffer.empty(); }
  bool VergleichLoaded() const { return !VergleichPuffer.empty(); }
  // The image bytes without the spare byte; empty when not loaded.
  std::span<const std::uint8_t> Original() const;
  std::span<const std::uint8_t> Tuning() const;
  std::span<const std::uint8_t> Vergleich() const;
  std::span<std::uint8_t> TuningMutable();
  // What the tuning image is compared with: the comparison image when one is
  // loaded, else the original.
  std::span<const std::uint8_t> Reference() const { return VergleichLoaded() ? Vergleich() : Original(); }
};

enum class ImageKind { Original, Tuning };

// Result of the open steps after the dialog: what happened to the image.
enum class LoadOutcome { NoFile, Loaded };

// Sets the name to the chosen path and, when a file of that path exists, reads it
// whole as the image's new buffer. When reading fails the image counts as not
// loaded (no buffer, size 0) and the error is thrown on; the caller clears the
// image's surface flag then.
LoadOutcome LoadImage(ImageSet& images, ImageKind kind, const std::string& path);

// Reads a whole file that is to be compared (bytes plus one spare byte). Throws
// EInOutError when it cannot be read, EUnusableFile when it is empty or larger
// than kMaxImageSize.
std::vector<std::uint8_t> ReadComparableFile(const std::string& path);
// Makes the file the comparison image; on any failure the set stays as it was.
void LoadComparison(ImageSet& images, const std::string& path);
// Back to comparing with the original.
void DropComparison(ImageSet& images);

}  // namespace orv
