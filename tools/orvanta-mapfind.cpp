// orvanta-mapfind IMAGE [--type N|M16|I16] [--min-dim N] [--max-dim N] [--top K]
// Lists likely maps in an EPROM image, best first, one per line:
// offset (hex), type code, columns, rows, score - separated by tabs.
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "maps/MapFinder.h"
#include "project/Errors.h"
#include "project/FileIo.h"

namespace {

constexpr std::int64_t kMaxImageBytes = std::int64_t{256} * 1024 * 1024;

int Usage(const std::string& problem) {
  std::fprintf(stderr, "%s\n", problem.c_str());
  std::fprintf(stderr,
               "Aufruf: orvanta-mapfind DATEI [--type N|M16|I16] [--min-dim N] [--max-dim N] [--top K]\n");
  return 1;
}

bool ParseInt(std::string_view text, int lo, int hi, int* out) {
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi) return false;
  *out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  orv::FinderOptions options;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool takesValue = arg == "--type" || arg == "--min-dim" || arg == "--max-dim" || arg == "--top";
    if (takesValue) {
      if (i + 1 >= argc) return Usage("Fehlender Wert für " + std::string(arg));
      const std::string_view value = argv[++i];
      bool ok = true;
      if (arg == "--type") {
        if (value == "N") options.types = orv::MapTypeFilter::N;
        else if (value == "M16") options.types = orv::MapTypeFilter::M16;
        else if (value == "I16") options.types = orv::MapTypeFilter::I16;
        else ok = false;
      } else if (arg == "--min-dim") {
        ok = ParseInt(value, 2, orv::kMapFinderMaxDim, &options.minDim);
      } else if (arg == "--max-dim") {
        ok = ParseInt(value, 2, orv::kMapFinderMaxDim, &options.maxDim);
      } else {
        ok = ParseInt(value, 0, 1'000'000'000, &options.topK);
      }
      if (!ok) return Usage("Ungültiger Wert für " + std::string(arg) + ": '" + std::string(value) + "'");
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("Unbekannte Option: " + std::string(arg));
    } else if (path.empty()) {
      path = arg;
    } else {
      return Usage("Mehr als eine Datei angegeben: " + std::string(arg));
    }
  }
  if (path.empty()) return Usage("Keine Datei angegeben.");
  if (options.minDim > options.maxDim) return Usage("--min-dim ist größer als --max-dim.");

  std::vector<std::uint8_t> buffer;
  try {
    buffer = orv::ReadWholeFile(path, kMaxImageBytes);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
    return 1;
  }
  // The buffer ends in a spare byte that is not part of the image.
  const std::span<const std::uint8_t> image(buffer.data(), buffer.empty() ? 0 : buffer.size() - 1);
  for (const orv::MapCandidate& c : orv::FindMaps(image, options)) {
    std::printf("0x%06llX\t%s\t%d\t%d\t%.3f\n", static_cast<unsigned long long>(c.offset), orv::MapTypeCode(c.type),
                c.columns, c.rows, c.score);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
