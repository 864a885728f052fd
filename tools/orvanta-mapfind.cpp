// orvanta-mapfind IMAGE [--type N|M16|I16] [--min-dim N] [--max-dim N] [--top K] [--min-score S] [--all]
// Lists likely maps and curves in an EPROM image, best first, one per line,
// separated by tabs: offset (hex), type code, columns, rows, score, X axis, Y axis,
// layout. See Usage() for the columns.
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

constexpr const char* kSynopsis =
    "Aufruf: orvanta-mapfind DATEI [--type N|M16|I16] [--min-dim N] [--max-dim N] [--top K] [--min-score S] "
    "[--all]\n";

constexpr const char* kHelp =
    "Sucht Kennfelder und Kennlinien in einer EPROM- oder Flash-Datei und listet sie, die besten zuerst,\n"
    "eine pro Zeile, durch Tabulatoren getrennt:\n"
    "  1 Adresse des ersten Werts (hex, Byte-Offset in der Datei)\n"
    "  2 Typ: N (8 Bit), M16 (16 Bit Motorola), I16 (16 Bit Intel)\n"
    "  3 Spalten: Werte, die hintereinander stehen (eine Zeile)\n"
    "  4 Zeilen (1 bei einer Kennlinie)\n"
    "  5 Bewertung (höher ist sicherer)\n"
    "  6 Adresse der X-Achse (hex) oder -\n"
    "  7 Adresse der Y-Achse (hex) oder -\n"
    "  8 Erkannt an: header (Kopf mit Dimensionen und Achsen vor den Werten) oder plain (nur an den Werten)\n"
    "Eine Achse wird mit Zellbreite, Bytefolge und Art angegeben: 0x00A010/2M = 16 Bit Motorola,\n"
    "/2I = 16 Bit Intel, /1 = 8 Bit; ein angehängtes s heißt vorzeichenbehaftet, d heißt\n"
    "Schrittweiten für die Suchroutine statt Stützstellen.\n"
    "Optionen:\n"
    "  --type N|M16|I16  nur diesen Zelltyp suchen\n"
    "  --min-dim N       kleinste Spalten- und Zeilenzahl eines Kennfelds, Länge einer Kennlinie (2..64, 4)\n"
    "  --max-dim N       größte Spalten- und Zeilenzahl (2..64, 32)\n"
    "  --top K           nur die K besten\n"
    "  --min-score S     nur Funde ab dieser Bewertung (3)\n"
    "  --all             auch unsichere Funde (wie --min-score 0)\n"
    "  --help            diese Hilfe\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "%s\n", problem.c_str());
  std::fputs(kSynopsis, stderr);
  return 1;
}

bool ParseInt(std::string_view text, int lo, int hi, int* out) {
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool ParseScore(std::string_view text, double* out) {
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !(v >= 0 && v <= 1e9)) return false;
  *out = v;
  return true;
}

std::string AxisText(const orv::AxisRef& a) {
  if (!a.Found()) return "-";
  char buf[48];
  std::snprintf(buf, sizeof buf, "0x%06llX/%d%s%s%s", static_cast<unsigned long long>(a.offset), a.cellBytes,
                a.cellBytes == 2 ? (a.bigEndian ? "M" : "I") : "", a.isSigned ? "s" : "", a.deltaCoded ? "d" : "");
  return buf;
}

}  // namespace

int main(int argc, char** argv) {
  orv::FinderOptions options;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool takesValue =
        arg == "--type" || arg == "--min-dim" || arg == "--max-dim" || arg == "--top" || arg == "--min-score";
    if (arg == "--help" || arg == "-h") {
      std::fputs(kSynopsis, stdout);
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (arg == "--all") {
      options.minScore = 0;
    } else if (takesValue) {
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
      } else if (arg == "--min-score") {
        ok = ParseScore(value, &options.minScore);
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
  std::vector<orv::MapCandidate> found;
  try {
    found = orv::FindMaps(image, options);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: Nicht genügend Arbeitsspeicher für die Suche.\n", path.c_str());
    return 1;
  }
  if (image.empty()) std::fprintf(stderr, "%s: Die Datei ist leer.\n", path.c_str());
  else if (found.empty()) std::fprintf(stderr, "%s: Keine Kennfelder gefunden.\n", path.c_str());
  for (const orv::MapCandidate& c : found) {
    std::printf("0x%06llX\t%s\t%d\t%d\t%.3f\t%s\t%s\t%s\n", static_cast<unsigned long long>(c.offset),
                orv::MapTypeCode(c.type), c.columns, c.rows, c.score, AxisText(c.xAxis).c_str(),
                AxisText(c.yAxis).c_str(), orv::LayoutName(c.layout));
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
