// Fuzzes the XDF reader and import: the bytes are an XDF file. A file that cannot
// be read must end in EXdfError (a German message); one that can gives records
// the database can hold (type, dimensions, six-digit addresses, valid marks) and a
// report that accounts for every item. The records are then exported and the
// export imported again, which must give back the same records (factors within
// what the written labels can tell apart).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "maps/CellCodec.h"
#include "maps/CellFormat.h"
#include "project/HexText.h"
#include "project/MapDefinition.h"
#include "project/XdfExport.h"
#include "project/XdfImport.h"

namespace {

using namespace orv;

bool SixHexDigits(const std::string& s) { return s.size() == 6 && IsHexText(s); }

void CheckRecords(const XdfImport& r) {
  FUZZ_CHECK(!r.records.empty());
  const TDatensatz& r0 = r.records.front();
  FUZZ_CHECK(r0.get(fld::Kennfeldname) == "Drehzahlbegrenzer");
  FUZZ_CHECK(r0.get(fld::XBeschriftung) == "N8");
  const std::string limiter = r0.get(fld::KennfeldTyp);
  FUZZ_CHECK(limiter == "K" || (MapTypeIndexOfCode(limiter) >= 0 && limiter != "M32"));
  if (limiter != "K") FUZZ_CHECK(SixHexDigits(r0.get(fld::Anfangsadresse)) && r0.get(fld::Faktor) > 0);
  for (std::size_t i = 1; i < r.records.size(); ++i) {
    const TDatensatz& rec = r.records[i];
    FUZZ_CHECK(rec.get(fld::Nummer) == static_cast<std::int32_t>(i));
    const CellType t = CellTypeFromCode(rec.get(fld::KennfeldTyp));
    FUZZ_CHECK(t == CellType::N || t == CellType::M16 || t == CellType::I16 || t == CellType::I32);
    const std::int32_t x = rec.get(fld::XDimension), y = rec.get(fld::YDimension);
    FUZZ_CHECK(x >= 1 && x <= 255 && y >= 1 && y <= 255);
    FUZZ_CHECK(y == 1 || x > 1);  // a column is stored as a row
    FUZZ_CHECK(SixHexDigits(rec.get(fld::Anfangsadresse)));
    const std::string name = rec.get(fld::Kennfeldname);
    FUZZ_CHECK(!name.empty() && name.size() <= 32 && name.front() != ' ' && name.back() != ' ');
    FUZZ_CHECK(ReadCellFormatMarks(rec).state != MarksState::Unknown);
    for (ShortStringField f : {fld::XAdresse, fld::YAdresse}) {
      const std::string a = rec.get(f);
      FUZZ_CHECK(a.empty() || SixHexDigits(a));
    }
    FUZZ_CHECK(rec.get(fld::Kennung) == "A");
  }
  const XdfReport& rep = r.report;
  FUZZ_CHECK(rep.converted == static_cast<int>(r.records.size()) - 1 + (limiter != "K" ? 1 : 0));
  FUZZ_CHECK(rep.converted + static_cast<int>(rep.leftOut.size()) == rep.items);
}

// A factor read back from labels written with 15 significant digits.
bool CloseFactor(double a, double b, std::int32_t start, std::int32_t count) {
  if (a == b) return true;
  const double span = std::fabs(start) + std::fabs(a) * count;
  return std::fabs(a - b) <= 1e-9 * std::fabs(a) + 1e-12 * span;
}

void CheckRoundTrip(const XdfImport& first) {
  const XdfExport x = ExportXdf(first.records, {"fuzz", 0});
  FUZZ_CHECK(x.report.Complete());
  XdfImport again;
  try {
    again = ImportXdf(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(x.text.data()), x.text.size()));
  } catch (const EXdfError& e) {
    std::fprintf(stderr, "export not readable: %s\n", e.what());
    FUZZ_CHECK(false);
  }
  FUZZ_CHECK(again.report.Complete());
  FUZZ_CHECK(again.records.size() == first.records.size());
  FUZZ_CHECK(again.records.front() == first.records.front());
  for (std::size_t i = 1; i < first.records.size(); ++i) {
    TDatensatz a = first.records[i], b = again.records[i];
    for (const auto& [start, factor, dim] : {std::tuple{fld::XAnfangswert, fld::XFaktor, fld::XDimension},
                                             std::tuple{fld::YAnfangswert, fld::YFaktor, fld::YDimension}}) {
      // An axis whose step is tiny against its values may lose it in 15 digits.
      const double step = std::fabs(a.get(factor)) * (a.get(dim) - 1);
      if (step < 1e-6 * (std::fabs(a.get(start)) + step)) {
        b.set(start, a.get(start));
        std::copy_n(a.bytes.begin() + factor.offset, 6, b.bytes.begin() + factor.offset);
        continue;
      }
      FUZZ_CHECK(CloseFactor(a.get(factor), b.get(factor), a.get(start), a.get(dim)));
      std::copy_n(a.bytes.begin() + factor.offset, 6, b.bytes.begin() + factor.offset);
    }
    if (!(a == b)) {
      for (int k = 0; k < kRecordSize; ++k)
        if (a.bytes[k] != b.bytes[k]) std::fprintf(stderr, "record %zu byte %d: %d != %d\n", i, k, a.bytes[k], b.bytes[k]);
      FUZZ_CHECK(false);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  XdfImport r;
  try {
    r = ImportXdf(std::span<const std::uint8_t>(data, size));
  } catch (const EXdfError& e) {
    FUZZ_CHECK(e.what()[0] != 0);
    return 0;
  }
  CheckRecords(r);
  CheckRoundTrip(r);
  return 0;
}
