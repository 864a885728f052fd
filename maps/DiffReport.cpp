#include "maps/DiffReport.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "project/Images.h"
#include "project/Text.h"

namespace orv {

namespace {

std::string Hex(std::int64_t v) {
  char b[32];
  std::snprintf(b, sizeof b, "0x%06llX", static_cast<unsigned long long>(v));
  return b;
}

std::string Percent(const std::optional<double>& p) {
  if (!p) return {};
  char b[64];
  std::snprintf(b, sizeof b, "%.1f", *p);
  return b;
}

// A name as one field: tabs and line breaks would split the line.
std::string Field(const std::string& cp1252) {
  std::string s = Cp1252ToUtf8(cp1252);
  for (char& ch : s)
    if (ch == '\t' || ch == '\n' || ch == '\r') ch = ' ';
  return s;
}

std::string Join(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string& f : fields) {
    if (!line.empty()) line += '\t';
    line += f;
  }
  return line;
}

}  // namespace

std::vector<std::string> DiffLines(const Comparison& c, std::span<const std::uint8_t> reference,
                                   std::span<const std::uint8_t> tuning) {
  using std::to_string;
  std::vector<std::string> lines;
  if (!c.sameSize())
    lines.push_back(Join({"Größe", to_string(c.referenceSize), to_string(c.tuningSize), to_string(c.commonSize())}));
  for (const MapChange& m : c.maps)
    lines.push_back(Join({"Kennfeld", to_string(m.map.nummer), Field(m.map.name), Hex(m.map.layout.start),
                          to_string(m.changedCells), to_string(m.comparedCells), to_string(m.minChange),
                          to_string(m.maxChange), Percent(m.minPercent), Percent(m.maxPercent)}));
  for (const ByteRun& r : c.outside) {
    const std::int64_t shown = std::min(r.length, kShownRunBytes);
    lines.push_back(Join({"Bereich", Hex(r.offset), to_string(r.length), HexBytes(reference, r.offset, shown),
                          HexBytes(tuning, r.offset, shown)}));
  }
  return lines;
}

int RunDiff(const std::vector<std::string>& args, std::string& out, std::string& err) {
  if (args.size() < 2 || args.size() > 3) {
    err += "Aufruf: orvanta-diff ORIGINAL TUNING [DATENBANK]\n";
    return 2;
  }
  std::vector<std::uint8_t> files[3];
  for (std::size_t i = 0; i < args.size(); ++i) {
    try {
      files[i] = ReadComparableFile(args[i]);
    } catch (const std::exception& e) {
      err += args[i] + ": " + e.what() + "\n";
      return 2;
    }
  }
  // Each buffer ends in a spare byte that is not part of the file.
  auto bytes = [&](int i) { return std::span<const std::uint8_t>(files[i].data(), files[i].size() - 1); };
  if (args.size() == 3 && bytes(2).size() < static_cast<std::size_t>(kRecordSize)) {
    err += args[2] + ": Die Datei ist keine Chip-Datenbank (kürzer als ein Datensatz).\n";
    return 2;
  }
  const std::vector<DefinedMap> maps = args.size() == 3 ? DefinedMapsOfFile(bytes(2)) : std::vector<DefinedMap>{};
  const Comparison c = Compare(bytes(0), bytes(1), maps);
  for (const std::string& line : DiffLines(c, bytes(0), bytes(1))) out += line + "\n";
  return c.identical() ? 0 : 1;
}

}  // namespace orv
