#include "project/Images.h"

#include <filesystem>
#include <system_error>

#include "project/Errors.h"
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

std::span<const std::uint8_t> ImageSet::Vergleich() const {
  if (VergleichPuffer.empty()) return {};
  return {VergleichPuffer.data(), static_cast<std::size_t>(VergleichGroesse)};
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

std::vector<std::uint8_t> ReadComparableFile(const std::string& path) {
  // The size is looked at before anything is allocated; a file that cannot even
  // be looked at fails with its own error in the read below.
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec && size > static_cast<std::uintmax_t>(kMaxImageSize))
    throw EUnusableFile("Die Datei ist größer als 1 GiB und wird nicht gelesen.");
  std::vector<std::uint8_t> bytes = ReadWholeFile(path, kMaxImageSize);
  if (bytes.size() <= 1) throw EUnusableFile("Die Datei ist leer.");
  return bytes;
}

void LoadComparison(ImageSet& images, const std::string& path) {
  std::vector<std::uint8_t> bytes = ReadComparableFile(path);
  images.VergleichGroesse = static_cast<std::int32_t>(bytes.size() - 1);
  images.VergleichPuffer = std::move(bytes);
  images.VergleichName = path;
}

void DropComparison(ImageSet& images) {
  images.VergleichPuffer.clear();
  images.VergleichPuffer.shrink_to_fit();
  images.VergleichGroesse = 0;
  images.VergleichName.clear();
}

}  // namespace orv
