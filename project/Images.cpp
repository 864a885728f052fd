#include "project/Images.h"

#include "project/FileIo.h"

namespace orv {

std::span<const std::uint8_t> ImageSet::Original() const {
  if (OriginalPuffer.empty()) return {};
  return {OriginalPuffer.data(), static_cast<std::size_t>(OriginalGroesse)};
}

std::span<const std::uint8_t> ImageSet::Tuning() const {
  if (TuningPuffer.empty()) return {};
  return {TuningPuffer.data(), static_cast<std::size_t>(TuningGroesse)};
}

std::span<std::uint8_t> ImageSet::TuningMutable() {
  if (TuningPuffer.empty()) return {};
  return {TuningPuffer.data(), static_cast<std::size_t>(TuningGroesse)};
}

LoadOutcome LoadImage(ImageSet& images, ImageKind kind, const std::string& path) {
  std::string& name = kind == ImageKind::Original ? images.OriginalName : images.TuningName;
  std::vector<std::uint8_t>& buffer = kind == ImageKind::Original ? images.OriginalPuffer : images.TuningPuffer;
  std::int32_t& size = kind == ImageKind::Original ? images.OriginalGroesse : images.TuningGroesse;
  name = path;
  if (!FileExists(path)) return LoadOutcome::NoFile;
  buffer.clear();
  buffer.shrink_to_fit();
  size = 0;
  std::vector<std::uint8_t> bytes = ReadWholeFile(path, kMaxImageSize);
  size = static_cast<std::int32_t>(bytes.size() - 1);
  buffer = std::move(bytes);
  return LoadOutcome::Loaded;
}

}  // namespace orv
