// orvanta-demo OUTDIR: writes a small demo project (demo.dbc, demo.org, demo.tun)
// made up entirely by this program, for trying out the editor.
//
// The original image is 32 KiB of an 8-bit controller: code-like filler bytes
// from a fixed seed, seven maps (the last one of signed cells) and the rev
// limiter value. The tuning image is the original with a few ignition cells
// raised, the boost map raised by 5 % and a few ignition correction cells
// lowered below zero.
// The database holds the rev limiter record and one record per map; its texts
// are Windows-1252.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "maps/CellCodec.h"
#include "maps/CellFormat.h"
#include "maps/Editing.h"
#include "project/Errors.h"
#include "project/FileIo.h"
#include "project/HexText.h"
#include "project/Record.h"
#include "project/Text.h"

namespace {

using orv::CellType;
using orv::TDatensatz;
namespace fld = orv::fld;

constexpr std::size_t kImageSize = 0x8000;

struct DemoMap {
  const char* name;  // UTF-8
  std::int32_t xdim, ydim;
  std::int32_t address;
  const char* typ;
  char kreuz;
  const char* xtext;  // UTF-8
  const char* ytext;  // UTF-8
  bool isSigned = false;  // cells in two's complement, marked in the record
};

// Record k is kMaps[k - 1].
const DemoMap kMaps[] = {
    {"Zündung", 16, 16, 0x4000, "N", '1', "Drehzahl", "Last"},
    {"Benzin", 16, 12, 0x4100, "M16", '2', "Drehzahl", "Last"},
    {"Ladedruck", 8, 8, 0x4300, "I16", '3', "Drehzahl", "Drosselklappe"},
    {"Warmlauf", 1, 16, 0x4400, "N", '4', "Anreicherung", "Temperatur"},
    {"Beschleunigung", 12, 1, 0x4420, "N", '1', "Drosselklappe", "Anreicherung"},
    {"Kaltstart", 16, 16, 0x7F80, "N", '2', "Drehzahl", "Temperatur"},  // only 8 rows lie inside
    {"Zündkorrektur", 12, 8, 0x7000, "N", '1', "Drehzahl", "Last", true},
};

// The ignition correction cells that the tuning image lowers (row, first and last column).
constexpr int kCorrectionRow = 3, kCorrectionFirst = 0, kCorrectionLast = 3, kCorrectionStep = -6;

constexpr std::int32_t kRevLimiterAddress = 0x4500;
constexpr std::int32_t kRevLimiterRpm = 6800;

// Code-like filler: a stream of 8051-style instructions with operands.
void FillWithCode(std::vector<std::uint8_t>& img, std::size_t from, std::size_t to, std::mt19937& rng) {
  struct Op { std::uint8_t code; int operands; };
  static const Op kOps[] = {
      {0x74, 1}, {0x90, 2}, {0xE0, 0}, {0xF0, 0}, {0x12, 2}, {0x02, 2}, {0x22, 0}, {0x80, 1},
      {0x60, 1}, {0x70, 1}, {0xE5, 1}, {0xF5, 1}, {0x24, 1}, {0xC3, 0}, {0x94, 1}, {0x40, 1},
      {0xA3, 0}, {0x08, 0}, {0x75, 2}, {0x85, 2}, {0xB4, 2}, {0xD2, 1}, {0xC2, 1}, {0x30, 2},
  };
  std::size_t at = from;
  while (at < to) {
    const Op& op = kOps[rng() % (sizeof kOps / sizeof kOps[0])];
    img[at++] = op.code;
    if (op.code == 0x12 || op.code == 0x02) {  // calls and jumps stay inside the code area
      const std::uint32_t target = rng() % 0x4000;
      if (at < to) img[at++] = static_cast<std::uint8_t>(target >> 8);
      if (at < to) img[at++] = static_cast<std::uint8_t>(target & 0xFF);
      continue;
    }
    for (int k = 0; k < op.operands && at < to; ++k) img[at++] = static_cast<std::uint8_t>(rng() & 0xFF);
  }
}

// The value of cell (c, r), both counted from 0, of map k.
std::int64_t CellValue(int k, int c, int r) {
  switch (k) {
    case 0: {  // ignition: more advance with speed, less with load, a ridge at part load
      const double ridge = 30.0 * std::exp(-((c - 10) * (c - 10) + (r - 5) * (r - 5)) / 20.0);
      const int v = 60 + 8 * c - 5 * r + static_cast<int>(ridge);
      return v < 10 ? 10 : v;
    }
    case 1: return 4000 + 1500 * c + 2000 * r + 40 * c * r;       // injection time
    case 2: return 12000 + 1500 * c + (c < 6 ? c : 6) * 600 * r;  // boost pressure
    case 3: return 128 + (15 - r) * 8;                            // warm-up enrichment by temperature
    case 4: return c * (c + 3) / 2;                               // acceleration enrichment
    case 6: {  // ignition correction: advance at light load, retard under load, most at the knock zone
      const double knock = 36.0 * std::exp(-((c - 8) * (c - 8) + (r - 6) * (r - 6)) / 6.0);
      return 40 + 3 * c - 14 * r - static_cast<int>(knock);
    }
    default: return 200 - 5 * c - 8 * r;                          // cold start
  }
}

orv::MapLayout LayoutOf(const DemoMap& m) {
  return {m.address, m.xdim, m.ydim, orv::CellTypeFromCode(m.typ), m.isSigned};
}

std::vector<std::uint8_t> BuildOriginal() {
  std::vector<std::uint8_t> img(kImageSize, 0xFF);
  std::mt19937 rng(2000);  // fixed seed: the demo is the same on every run
  FillWithCode(img, 0x0000, 0x3F00, rng);
  // A small table of constants before the maps, erased (FF) space after the code.
  for (std::size_t i = 0x3F00; i < 0x4000; ++i) img[i] = static_cast<std::uint8_t>((i * 37) & 0xFF);
  FillWithCode(img, 0x4600, 0x7000, rng);
  for (std::size_t i = 0x4440; i < 0x4500; ++i) img[i] = static_cast<std::uint8_t>(rng() & 0xFF);
  for (int k = 0; k < static_cast<int>(std::size(kMaps)); ++k) {
    const orv::MapLayout m = LayoutOf(kMaps[k]);
    for (int r = 0; r < m.ydim; ++r)
      for (int c = 0; c < m.xdim; ++c) orv::WriteCell(img, m, std::int64_t{r} * m.xdim + c + 1, CellValue(k, c, r));
  }
  orv::WriteValue(img, kRevLimiterAddress, CellType::M16, kRevLimiterRpm);  // factor 1
  return img;
}

std::vector<std::uint8_t> BuildTuning(const std::vector<std::uint8_t>& original) {
  std::vector<std::uint8_t> img = original;
  const orv::MapLayout ignition = LayoutOf(kMaps[0]);
  for (int r = 4; r <= 6; ++r)
    for (int c = 10; c <= 13; ++c)
      orv::ChangeCell(img, img, ignition, std::int64_t{r} * ignition.xdim + c + 1, 3, orv::EditMode::Bit);
  orv::ChangeAll(img, LayoutOf(kMaps[2]), 5, orv::EditMode::Percent);
  const orv::MapLayout correction = LayoutOf(kMaps[6]);
  for (int c = kCorrectionFirst; c <= kCorrectionLast; ++c)
    orv::ChangeCell(img, img, correction, std::int64_t{kCorrectionRow} * correction.xdim + c + 1, kCorrectionStep,
                    orv::EditMode::Bit);
  return img;
}

std::vector<std::uint8_t> BuildDatabase() {
  std::vector<TDatensatz> records;
  TDatensatz limiter;
  limiter.set(fld::Kennfeldname, "Drehzahlbegrenzer");
  limiter.set(fld::Anfangsadresse, orv::FormatHex(kRevLimiterAddress, 4));
  limiter.set(fld::XBeschriftung, "N8");
  limiter.set(fld::YBeschriftung, "");
  limiter.set(fld::KennfeldTyp, "M16");
  limiter.set(fld::Nummer, 0);
  limiter.set(fld::Faktor, 1.0);
  limiter.set(fld::Kennung, "A");
  records.push_back(limiter);
  std::int32_t nummer = 1;
  for (const DemoMap& m : kMaps) {
    // As the map data form writes a record.
    TDatensatz r;
    r.set(fld::Kennfeldname, orv::Utf8ToCp1252(m.name));
    r.set(fld::Anfangsadresse, orv::FormatHex(m.address, 6));
    r.set(fld::XDimension, m.xdim);
    r.set(fld::YDimension, m.ydim);
    r.set(fld::XBeschriftung, orv::Utf8ToCp1252(m.xtext));
    r.set(fld::YBeschriftung, orv::Utf8ToCp1252(m.ytext));
    r.set(fld::KennfeldTyp, m.typ);
    r.set(fld::Nummer, nummer++);
    r.set(fld::Faktor, 1.0);
    r.set(fld::XAnfangswert, 0);
    r.set(fld::YAnfangswert, 0);
    r.set(fld::XFaktor, 1.0);
    r.set(fld::YFaktor, 1.0);
    r.set(fld::Kreuz, m.kreuz);
    r.set(fld::Kennung, "A");
    orv::WriteCellFormatMarks(r, {m.isSigned, {}, {}});
    records.push_back(r);
  }
  std::vector<std::uint8_t> bytes;
  for (const TDatensatz& r : records) bytes.insert(bytes.end(), r.bytes.begin(), r.bytes.end());
  return bytes;
}

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  orv::WriteFileAtomically(path.string(), bytes);
  std::printf("geschrieben: %s (%zu Bytes)\n", path.string().c_str(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "Aufruf: orvanta-demo AUSGABEVERZEICHNIS\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  try {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir)) {
      std::fprintf(stderr, "Fehler: Das Verzeichnis %s kann nicht angelegt werden.\n", dir.string().c_str());
      return 1;
    }
    const std::vector<std::uint8_t> original = BuildOriginal();
    const std::vector<std::uint8_t> tuning = BuildTuning(original);
    Write(dir / "demo.dbc", BuildDatabase());
    Write(dir / "demo.org", original);
    Write(dir / "demo.tun", tuning);

    std::printf("\nSystem N8, Drehzahlbegrenzer M16 an %s, Faktor 1, Wert %d\n",
                orv::FormatHex(kRevLimiterAddress, 6).c_str(), kRevLimiterRpm);
    std::printf("Nr  Name            X x Y   Adresse  Typ  Kreuz\n");
    int nummer = 1;
    for (const DemoMap& m : kMaps) {
      const std::string dims = std::to_string(m.xdim) + " x " + std::to_string(m.ydim);
      const std::string name = m.name;
      // Pad by characters, not UTF-8 bytes.
      std::size_t chars = 0;
      for (unsigned char ch : name) chars += (ch & 0xC0) != 0x80;
      std::printf("%-3d %s%*s %-7s %s   %-4s K%c\n", nummer++, name.c_str(), static_cast<int>(15 - chars), "",
                  dims.c_str(), orv::FormatHex(m.address, 6).c_str(), m.typ, m.kreuz);
    }
    std::size_t changed = 0;
    for (std::size_t i = 0; i < original.size(); ++i) changed += original[i] != tuning[i];
    std::printf("\nTuning: %zu Bytes geändert (Zündung +3 in 12 Zellen, Ladedruck +5 %%)\n", changed);
    std::printf("        Zündkorrektur (mit Vorzeichen) %d in %d Zellen\n", kCorrectionStep,
                kCorrectionLast - kCorrectionFirst + 1);
  } catch (const orv::EInOutError& e) {
    std::fprintf(stderr, "Fehler: %s\n", e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Fehler: %s\n", e.what());
    return 1;
  }
  return 0;
}
