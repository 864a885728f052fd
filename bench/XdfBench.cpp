// Import of an XDF definition with 3,000 tables (about 6 MB, written as the
// tuning editor writes its files): decoding, XML, conversion into records and
// the database bytes. Target: at most 0.2 s.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "project/XdfImport.h"

namespace {

std::string MakeXdf(int tables) {
  std::string s = "<!-- Written 07/31/2019 00:18:22 -->\r\n<XDFFORMAT version=\"1.60\">\r\n  <XDFHEADER>\r\n"
                  "    <flags>0x1</flags>\r\n    <deftitle>Bench</deftitle>\r\n"
                  "    <BASEOFFSET offset=\"0\" subtract=\"0\" />\r\n"
                  "    <DEFAULTS datasizeinbits=\"16\" sigdigits=\"2\" outputtype=\"1\" signed=\"0\" lsbfirst=\"0\" float=\"0\" />\r\n"
                  "    <REGION type=\"0xFFFFFFFF\" startaddress=\"0x0\" size=\"0x100000\" regionflags=\"0x0\" name=\"Binary File\" desc=\"\" />\r\n"
                  "  </XDFHEADER>\r\n";
  for (int t = 0; t < tables; ++t) {
    const unsigned base = 0x1000u + static_cast<unsigned>(t) * 0x140u;
    char buf[64];
    auto hex = [&buf](unsigned v) {
      std::snprintf(buf, sizeof buf, "0x%X", v);
      return std::string(buf);
    };
    s += "  <XDFTABLE uniqueid=\"" + hex(0x100u + static_cast<unsigned>(t)) + "\" flags=\"0x30\">\r\n";
    s += "    <title>Kennfeld " + std::to_string(t) + " Z&#252;ndwinkel Volllast</title>\r\n";
    s += "    <description>Zeile 1&#013;&#010;Zeile 2</description>\r\n";
    s += "    <CATEGORYMEM index=\"0\" category=\"3\" />\r\n";
    s += "    <XDFAXIS id=\"x\" uniqueid=\"0x0\">\r\n      <EMBEDDEDDATA mmedtypeflags=\"0x02\" mmedaddress=\"" + hex(base) +
         "\" mmedelementsizebits=\"16\" mmedcolcount=\"16\" mmedmajorstridebits=\"0\" mmedminorstridebits=\"0\" />\r\n"
         "      <units>U/min</units>\r\n      <indexcount>16</indexcount>\r\n      <embedinfo type=\"1\" />\r\n"
         "      <datatype>0</datatype>\r\n      <unittype>0</unittype>\r\n"
         "      <DALINK index=\"0\" />\r\n      <MATH equation=\"X*25\">\r\n        <VAR id=\"X\" />\r\n      </MATH>\r\n"
         "    </XDFAXIS>\r\n";
    s += "    <XDFAXIS id=\"y\" uniqueid=\"0x0\">\r\n      <EMBEDDEDDATA mmedelementsizebits=\"16\" mmedmajorstridebits=\"-32\" />\r\n"
         "      <units>kPa</units>\r\n      <indexcount>16</indexcount>\r\n";
    for (int i = 0; i < 16; ++i)
      s += "      <LABEL index=\"" + std::to_string(i) + "\" value=\"" + std::to_string(20 + 10 * i) + ".00\" />\r\n";
    s += "      <MATH equation=\"X\">\r\n        <VAR id=\"X\" />\r\n      </MATH>\r\n    </XDFAXIS>\r\n";
    s += "    <XDFAXIS id=\"z\">\r\n      <EMBEDDEDDATA mmedtypeflags=\"0x03\" mmedaddress=\"" + hex(base + 0x20) +
         "\" mmedelementsizebits=\"16\" mmedrowcount=\"16\" mmedcolcount=\"16\" mmedmajorstridebits=\"0\" "
         "mmedminorstridebits=\"0\" />\r\n      <units>Grad</units>\r\n      <decimalpl>1</decimalpl>\r\n"
         "      <min>-3276.800000</min>\r\n      <max>3276.700000</max>\r\n      <outputtype>1</outputtype>\r\n"
         "      <MATH equation=\"X*0.1-10\">\r\n        <VAR id=\"X\" />\r\n      </MATH>\r\n    </XDFAXIS>\r\n";
    s += "  </XDFTABLE>\r\n";
  }
  s += "</XDFFORMAT>\r\n";
  return s;
}

void BM_ImportXdf3000(benchmark::State& state) {
  static const std::string text = MakeXdf(3000);
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  for (auto _ : state) {
    const orv::XdfImport r = orv::ImportXdf(bytes);
    const std::vector<std::uint8_t> db = orv::DatabaseBytes(r.records);
    if (r.records.size() != 3001) state.SkipWithError("not every table was converted");
    benchmark::DoNotOptimize(db.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
  state.SetLabel(std::to_string(text.size() / 1024) + " KiB");
}

BENCHMARK(BM_ImportXdf3000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
