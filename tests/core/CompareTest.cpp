// Comparing the tuning image with a reference: changed runs, changed maps, runs
// outside the maps, the text lines and the exit status of orvanta-diff.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "maps/CellFormat.h"
#include "maps/DiffReport.h"
#include "project/Errors.h"
#include "project/Images.h"
#include "support/Fixtures.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Runs = std::vector<ByteRun>;

// `size` bytes of 0x11 with the given bytes set.
Bytes Image(std::size_t size, std::vector<std::pair<std::size_t, std::uint8_t>> set = {}) {
  Bytes b(size, 0x11);
  for (auto [at, v] : set) b[at] = v;
  return b;
}

DefinedMap Map(std::int64_t start, int x, int y, CellType t, std::int32_t nummer = 1, bool isSigned = false) {
  DefinedMap d;
  d.record = nummer;
  d.nummer = nummer;
  d.name = "K" + std::to_string(nummer);
  d.layout = MapLayout{start, x, y, t, isSigned};
  return d;
}

TEST(Compare, ChangedRunsAreMaximalOverTheCommonLength) {
  struct Row { const char* what; Bytes ref, tun; Runs want; };
  const Row rows[] = {
      {"identical", Image(100), Image(100), {}},
      {"empty", {}, {}, {}},
      {"first and last byte", Image(100), Image(100, {{0, 1}, {99, 1}}), {{0, 1}, {99, 1}}},
      {"adjacent bytes form one run", Image(100), Image(100, {{10, 1}, {11, 2}, {12, 3}, {14, 4}}), {{10, 3}, {14, 1}}},
      // Past the whole-block and whole-word steps of the scan.
      {"behind blocks and words", Image(9000), Image(9000, {{4095, 1}, {4096, 1}, {8199, 1}, {8999, 2}}),
       {{4095, 2}, {8199, 1}, {8999, 1}}},
      {"longer tuning: only the common length", Image(50), Image(60, {{49, 1}, {55, 1}}), {{49, 1}}},
      {"longer reference", Image(60, {{58, 1}}), Image(50), {}},
  };
  for (const Row& r : rows) EXPECT_EQ(ChangedRuns(r.ref, r.tun), r.want) << r.what;
}

TEST(Compare, MapStatisticsReadCellsByType) {
  struct Row {
    const char* what;
    DefinedMap map;
    Bytes ref, tun;
    std::int64_t compared, changed, minChange, maxChange;
    std::optional<double> minPercent, maxPercent;
  };
  const Row rows[] = {
      {"8 bit up and down", Map(2, 2, 2, CellType::N), Image(8, {{2, 100}, {3, 50}}), Image(8, {{2, 110}, {3, 40}}),
       4, 2, -10, 10, -20.0, 10.0},
      {"Motorola order", Map(0, 2, 1, CellType::M16), Bytes{0x01, 0x00, 0, 0}, Bytes{0x01, 0x80, 0, 0},
       2, 1, 128, 128, 50.0, 50.0},
      {"Intel order", Map(0, 2, 1, CellType::I16), Bytes{0x00, 0x01, 0, 0}, Bytes{0x00, 0x02, 0, 0},
       2, 1, 256, 256, 100.0, 100.0},
      // Signed cells: -2 to +2 is +4, +200 % of the reference's size.
      {"signed 8 bit", Map(0, 2, 1, CellType::N, 1, true), Bytes{0xFE, 0x80}, Bytes{0x02, 0x7F}, 2, 2, 4, 255,
       199.21875, 200.0},
      // A cell whose reference is 0 has no percentage; the others still count.
      {"reference 0 in part", Map(0, 3, 1, CellType::N), Bytes{0, 10, 7}, Bytes{5, 15, 7}, 3, 2, 5, 5, 50.0, 50.0},
      {"reference 0 only", Map(0, 2, 1, CellType::N), Bytes{0, 9}, Bytes{4, 9}, 2, 1, 4, 4, std::nullopt,
       std::nullopt},
      // Only the cells inside both images are compared.
      {"starts before the image", Map(-2, 2, 2, CellType::N), Bytes{1, 2, 3}, Bytes{9, 9, 3}, 2, 2, 7, 8, 350.0,
       800.0},
      {"ends past the shorter image", Map(2, 4, 1, CellType::M16), Image(7, {{3, 1}, {6, 0}}), Image(6, {{3, 2}}), 2,
       1, 1, 1, 100.0 / 0x1101, 100.0 / 0x1101},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const auto maps = ChangedMaps(r.ref, r.tun, {r.map}, ChangedRuns(r.ref, r.tun));
    ASSERT_EQ(maps.size(), 1u);
    EXPECT_EQ(maps[0].comparedCells, r.compared);
    EXPECT_EQ(maps[0].changedCells, r.changed);
    EXPECT_EQ(maps[0].minChange, r.minChange);
    EXPECT_EQ(maps[0].maxChange, r.maxChange);
    EXPECT_EQ(maps[0].minPercent, r.minPercent);
    EXPECT_EQ(maps[0].maxPercent, r.maxPercent);
  }
}

TEST(Compare, MapsWithoutChangedCellsAreLeftOut) {
  const Bytes ref = Image(64), tun = Image(64, {{20, 0}, {63, 0}});
  const std::vector<DefinedMap> maps = {
      Map(0, 4, 4, CellType::N, 1),       // changed bytes elsewhere
      Map(16, 4, 2, CellType::N, 2),      // holds byte 20
      Map(60, 4, 4, CellType::N, 3),      // byte 63 is its last cell inside the image
      Map(100, 2, 2, CellType::N, 4),     // wholly outside
      Map(-50, 2, 2, CellType::N, 5),     // wholly before the image
      Map(20, 1, 1, CellType::None, 6),   // "K": no cells
      Map(16, 0, 5, CellType::N, 7),      // no columns
  };
  const auto changed = ChangedMaps(ref, tun, maps, ChangedRuns(ref, tun));
  ASSERT_EQ(changed.size(), 2u);
  EXPECT_EQ(changed[0].map.nummer, 2);
  EXPECT_EQ(changed[1].map.nummer, 3);
  EXPECT_EQ(changed[1].comparedCells, 4);
}

TEST(Compare, RunsOutsideMapsKeepOnlyUncoveredBytes) {
  const std::vector<DefinedMap> maps = {Map(10, 5, 1, CellType::N), Map(13, 2, 2, CellType::M16),  // 10..21
                                        Map(30, 2, 1, CellType::N), Map(40, 3, 3, CellType::Unknown)};
  struct Row { const char* what; Runs runs; Runs want; };
  const Row rows[] = {
      {"inside overlapping maps", {{10, 11}}, {}},
      {"around a map", {{5, 30}}, {{5, 5}, {21, 9}, {32, 3}}},
      {"touching the ends", {{8, 2}, {21, 2}}, {{8, 2}, {21, 2}}},
      {"an unknown type covers nothing", {{40, 4}}, {{40, 4}}},
      {"several runs, one map", {{0, 1}, {11, 1}, {31, 4}}, {{0, 1}, {32, 3}}},
  };
  for (const Row& r : rows) EXPECT_EQ(RunsOutsideMaps(r.runs, maps), r.want) << r.what;
}

TEST(Compare, DatabaseFileGivesScaledMaps) {
  std::vector<TDatensatz> recs = {fixtures::RevLimiterRecord("N16", "0", "K", 1.0),
                                  fixtures::MapRecord(7, "Zündung", 16, 8, "100", "M16"),
                                  fixtures::MapRecord(3, "Benzin", 4, 4, "1f", "N")};
  CellFormatMarks signedCells;
  signedCells.signedCells = true;
  WriteCellFormatMarks(recs[2], signedCells);
  Bytes file;
  for (const TDatensatz& r : recs) file.insert(file.end(), r.bytes.begin(), r.bytes.end());
  file.resize(file.size() + 50);  // a partial record is not read
  const auto maps = DefinedMapsOfFile(file);
  ASSERT_EQ(maps.size(), 2u);
  EXPECT_EQ(maps[0].record, 1);
  EXPECT_EQ(maps[0].nummer, 7);
  EXPECT_EQ(maps[0].layout.start, 0x200);
  EXPECT_EQ(maps[0].layout.xdim, 16);
  EXPECT_EQ(maps[0].layout.ydim, 8);
  EXPECT_EQ(maps[0].layout.type, CellType::M16);
  EXPECT_FALSE(maps[0].layout.isSigned);
  EXPECT_EQ(maps[1].layout.start, 0x3E);
  EXPECT_TRUE(maps[1].layout.isSigned);
  EXPECT_TRUE(DefinedMapsOfFile(Bytes(100)).empty());
}

TEST(Compare, DiffLinesAndExitStatus) {
  fixtures::TempDir dir;
  const std::string org = dir.File("a.org"), tun = dir.File("a.tun"), db = dir.File("a.dbc");
  Bytes o = Image(64, {{4, 100}}), t = Image(64, {{4, 125}, {40, 0xAB}, {41, 0xCD}});
  fixtures::WriteBytes(org, o);
  fixtures::WriteBytes(tun, t);
  fixtures::WriteBytes(dir.File("same.tun"), o);
  fixtures::WriteBytes(dir.File("short.tun"), Bytes(o.begin(), o.begin() + 50));
  fixtures::WriteBytes(dir.File("empty"), {});
  fixtures::WriteBytes(dir.File("tiny.dbc"), Bytes(20));
  fixtures::WriteDatabase(db, {fixtures::RevLimiterRecord("N8", "0", "K", 1.0),
                               fixtures::MapRecord(5, "Zündung", 4, 2, "0", "N")});
  {  // larger than any image may be, without taking the room
    const std::string huge = dir.File("huge");
    const int fd = ::open(huge.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, kMaxImageSize + 1), 0);
    ::close(fd);
  }
  struct Row { std::vector<std::string> args; int status; std::string out; std::string err; };
  const Row rows[] = {
      {{org, dir.File("same.tun")}, 0, "", ""},
      {{org, tun}, 1, "Bereich\t0x000004\t1\t64\t7D\nBereich\t0x000028\t2\t11 11\tAB CD\n", ""},
      {{org, tun, db},
       1,
       "Kennfeld\t5\tZündung\t0x000000\t1\t8\t25\t25\t25.0\t25.0\nBereich\t0x000028\t2\t11 11\tAB CD\n",
       ""},
      {{org, dir.File("short.tun")}, 1, "Größe\t64\t50\t50\n", ""},
      {{org}, 2, "", "Aufruf: orvanta-diff ORIGINAL TUNING [DATENBANK]\n"},
      {{org, dir.File("missing")}, 2, "", dir.File("missing") + ": Datei nicht gefunden.\n"},
      {{dir.File("empty"), tun}, 2, "", dir.File("empty") + ": Die Datei ist leer.\n"},
      {{org, dir.File("huge")}, 2, "", dir.File("huge") + ": Die Datei ist größer als 1 GiB und wird nicht gelesen.\n"},
      {{org, tun, dir.File("tiny.dbc")},
       2,
       "",
       dir.File("tiny.dbc") + ": Die Datei ist keine Chip-Datenbank (kürzer als ein Datensatz).\n"},
  };
  for (const Row& r : rows) {
    std::string out, err;
    EXPECT_EQ(RunDiff(r.args, out, err), r.status) << r.args.back();
    EXPECT_EQ(out, r.out) << r.args.back();
    EXPECT_EQ(err, r.err) << r.args.back();
  }
}

TEST(Compare, FailedComparisonLoadKeepsTheImages) {
  fixtures::TempDir dir;
  fixtures::WriteBytes(dir.File("ok"), Bytes{1, 2, 3});
  fixtures::WriteBytes(dir.File("empty"), {});
  ImageSet images;
  LoadComparison(images, dir.File("ok"));
  EXPECT_EQ(images.Reference().size(), 3u);
  EXPECT_THROW(LoadComparison(images, dir.File("empty")), EUnusableFile);
  EXPECT_THROW(LoadComparison(images, dir.File("missing")), EInOutError);
  EXPECT_EQ(images.VergleichName, dir.File("ok"));
  EXPECT_EQ(images.Vergleich()[2], 3);
  DropComparison(images);
  EXPECT_FALSE(images.VergleichLoaded());
  EXPECT_TRUE(images.Reference().empty());  // no original either
}

}  // namespace
}  // namespace orv
