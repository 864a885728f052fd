// Malformed input end to end: databases, records and images as a careless tool or
// a damaged disk leaves them, each run through the same path the main window
// takes (open, read, load the active map, draw, edit, reset, rev limiter).
// Single-unit cases already covered beside their unit are not repeated here.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "graphics/ViewModel.h"
#include "maps/CellCodec.h"
#include "maps/Editing.h"
#include "maps/Resets.h"
#include "maps/RevLimiter.h"
#include "project/Catalogue.h"
#include "project/ChipDatabase.h"
#include "project/Errors.h"
#include "project/FileIo.h"
#include "project/HexText.h"
#include "project/Images.h"
#include "project/MapDefinition.h"
#include "project/Record.h"
#include "support/Fixtures.h"
#include "support/RecordingCanvas.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;
using fixtures::MapRecord;
using fixtures::ReadBytes;
using fixtures::RevLimiterRecord;
using fixtures::TempDir;
using fixtures::WriteBytes;
using fixtures::WriteDatabase;

Bytes Ramp(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return b;
}

// An image pair as LoadImage leaves it: the bytes plus one spare byte.
ImageSet Images(const Bytes& original, const Bytes& tuning) {
  ImageSet img;
  img.OriginalPuffer = original;
  img.OriginalPuffer.push_back(0);
  img.OriginalGroesse = static_cast<std::int32_t>(original.size());
  img.TuningPuffer = tuning;
  img.TuningPuffer.push_back(0);
  img.TuningGroesse = static_cast<std::int32_t>(tuning.size());
  return img;
}

MapLayout LayoutOf(const ActiveMap& m) {
  return MapLayout{m.KfAdresse, m.KfXDim, m.KfYDim, CellTypeFromCode(m.KfTyp)};
}

// What the selection sequence does after loading: draws by size, if at all.
// Returns the number of lines drawn (0 when the map is not drawn).
std::size_t DrawLikeTheWindow(const ActiveMap& m, const ImageSet& img) {
  static Scene scene;  // large; one per test binary is enough
  TrigTables trig;
  BuildTrigTables(trig);
  ViewParams view;
  ViewStart(view, 800, 600);
  SceneFlags flags;
  flags.OriginalZeigen = flags.TuningZeigen = true;
  RecordingCanvas canvas(800, 600);
  if (DrawsAsSurface(m))
    RedrawView(scene, trig, view, flags, m, img, WindowColours{}, canvas);
  else if (DrawsAsChart(m))
    DrawCurveChart(scene, flags, m, img, WindowColours{}, canvas);
  return canvas.Lines().size();
}

std::string IoTextOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EInOutError& e) {
    return e.what();
  }
  return "(kein Fehler)";
}

// ---------------------------------------------------------------- database shapes

TEST(MalformedDatabase, SizesAroundOneRecord) {
  const TDatensatz limiter = RevLimiterRecord("N16", "4500", "M16", 1.0);
  const Bytes record0(limiter.bytes.begin(), limiter.bytes.end());
  struct Case {
    const char* name;
    std::size_t size;
    std::int32_t records;
  };
  const Case cases[] = {
      {"empty", 0, 0},
      {"163 bytes", 163, 0},
      {"only record 0", 164, 1},
      {"165 bytes", 165, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    Bytes file = record0;
    file.resize(c.size, 0xEE);
    WriteBytes(dir.File("a.dbc"), file);
    ChipDatabase db;
    db.Open(dir.File("a.dbc"));
    EXPECT_EQ(db.RecordCount(), c.records);
    EXPECT_TRUE(db.AtEnd(c.records));
    TDatensatz rec;
    if (c.records == 0) {
      // Opening reads record 0: the command ends with the read error.
      EXPECT_EQ(IoTextOf([&] { db.SatzLesen(0, rec); }), "Lesen nach Dateiende (EOF)");
    } else {
      db.SatzLesen(0, rec);
      EXPECT_EQ(rec.get(fld::XBeschriftung), "N16");
      // The map list stays empty and nothing selected loads record 0: no map to draw.
      EXPECT_TRUE(db.AtEnd(1));
      // Record 0 does not use `Kreuz` (a 0 byte here): loading it as the active
      // map keeps the corner it had and draws nothing.
      ActiveMap m;
      m.KfKreuz = 2;
      EXPECT_NO_THROW(LoadActiveMap(m, 0, rec, "N16"));
      EXPECT_EQ(m.KfKreuz, 2);
      EXPECT_EQ(m.KfZellen, 0);
      EXPECT_FALSE(DrawsAsSurface(m));
      EXPECT_FALSE(DrawsAsChart(m));
      EXPECT_EQ(IoTextOf([&] { db.SatzLesen(1, rec); }), "Lesen nach Dateiende (EOF)");
    }
    // Nothing was written by reading.
    EXPECT_EQ(ReadBytes(dir.File("a.dbc")), file);
  }
}

TEST(MalformedDatabase, LengthBytesAboveTheCapacityReadAtMostTheCapacity) {
  TDatensatz rec = MapRecord(1, "Zündung", 2, 2, "10", "N", '1', "Drehzahl", "Last");
  // Fill every short string's characters and claim 255 characters.
  for (ShortStringField f : {fld::Kennfeldname, fld::Anfangsadresse, fld::XBeschriftung, fld::YBeschriftung,
                             fld::KennfeldTyp, fld::XAdresse, fld::YAdresse, fld::Kennung}) {
    rec.bytes[static_cast<std::size_t>(f.offset)] = 255;
    for (int i = 1; i <= f.capacity; ++i) rec.bytes[static_cast<std::size_t>(f.offset + i)] = 'A';
  }
  rec.set(fld::Kreuz, '2');
  TempDir dir;
  WriteDatabase(dir.File("a.dbc"), {RevLimiterRecord("N8", "0", "K", 1.0), rec});
  ChipDatabase db;
  db.Open(dir.File("a.dbc"));
  TDatensatz back;
  db.SatzLesen(1, back);
  EXPECT_EQ(back.get(fld::Kennfeldname), std::string(32, 'A'));
  EXPECT_EQ(back.get(fld::XBeschriftung), std::string(25, 'A'));
  EXPECT_EQ(back.get(fld::KennfeldTyp), "AAA");
  EXPECT_EQ(back.get(fld::XAdresse), "AAAAAA");
  EXPECT_EQ(back.get(fld::Kennung), "AA");
  // The list entry is cut to 32 characters.
  EXPECT_EQ(EntryText(back).size(), 32u);
  ActiveMap m;
  LoadActiveMap(m, 1, back, "N8");
  EXPECT_EQ(m.KfAdresse, 0xAAAAAA);  // "AAAAAA", the six characters the field holds
  EXPECT_EQ(m.KfXText, std::string(25, 'A'));
  EXPECT_EQ(m.KfTyp, "AAA");
  // The map data form saves it with proper length bytes.
  TDatensatz saved = back;
  SaveMapDefinition(LoadMapDefinition(back), 1, saved);
  EXPECT_EQ(saved.bytes[fld::Kennfeldname.offset], 32);
  EXPECT_EQ(saved.bytes[fld::Anfangsadresse.offset], 6);
  EXPECT_EQ(saved.bytes[fld::KennfeldTyp.offset], 255);  // unknown code: left as it was
  EXPECT_EQ(saved.get(fld::Kennung), "A");
}

// ---------------------------------------------------------------- dimensions

TEST(MalformedDatabase, DimensionsStayBoundedAllTheWay) {
  struct Case {
    const char* name;
    std::int32_t x, y;
    bool surface, chart;
    std::int32_t zellen;  // KfZellen, the 32-bit product
  };
  const Case cases[] = {
      {"0 x 5", 0, 5, false, false, 0},
      {"5 x 0", 5, 0, false, false, 0},
      {"negative", -3, 4, false, false, -12},
      {"negative chart", 1, -7, false, true, -7},
      {"65 columns", 65, 2, false, false, 130},
      {"64 x 64", 64, 64, true, false, 4096},
      {"1 x 1", 1, 1, false, true, 1},
      {"2^31-1 rows", 1, INT32_MAX, false, true, INT32_MAX},
      {"2^31-1 columns", INT32_MAX, 2, false, false, -2},
      {"product overflows 32 bits", 65536, 65536, false, false, 0},
      {"product overflows to negative", 0x10001, 0x8000, false, false, static_cast<std::int32_t>(0x80008000u)},
      {"most negative", INT32_MIN, 1, false, true, INT32_MIN},
  };
  const Bytes original = Ramp(4096);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteDatabase(dir.File("a.dbc"), {RevLimiterRecord("N8", "0", "K", 1.0),
                                      MapRecord(1, "Kaputt", c.x, c.y, "100", "M16", '1', "X", "Y")});
    ChipDatabase db;
    db.Open(dir.File("a.dbc"));
    TDatensatz rec;
    db.SatzLesen(1, rec);
    ActiveMap m;
    LoadActiveMap(m, 1, rec, "N8");
    EXPECT_EQ(m.KfXDim, c.x);
    EXPECT_EQ(m.KfYDim, c.y);
    EXPECT_EQ(m.KfZellen, c.zellen);
    EXPECT_EQ(DrawsAsSurface(m), c.surface);
    EXPECT_EQ(DrawsAsChart(m), c.chart);

    ImageSet img = Images(original, original);
    const std::size_t lines = DrawLikeTheWindow(m, img);
    if (!c.surface && !c.chart) {
      EXPECT_EQ(lines, 0u);
    }
    EXPECT_LE(lines, 20000u);  // a chart holds at most 4096 points, a surface 64 x 64 cells

    // Every edit and the reset byte count stay within the image.
    const MapLayout layout = LayoutOf(m);
    ChangeAll(img.TuningMutable(), layout, 10, EditMode::Bit);
    for (std::size_t i = 0; i < 0x100; ++i) ASSERT_EQ(img.Tuning()[i], original[i]) << "byte " << i;
    const std::int64_t count = MapResetByteCount(layout);
    EXPECT_GE(count, 0);
    EXPECT_EQ(CopyRange(img.Original(), img.TuningMutable(), layout.start, count),
              count == 0 ? 0 : std::min<std::int64_t>(count, 4096 - 0x100));
    EXPECT_TRUE(std::equal(original.begin(), original.end(), img.Tuning().begin()));
  }
}

// ---------------------------------------------------------------- addresses

TEST(MalformedDatabase, AddressesOutsideTheImage) {
  struct Case {
    const char* name;
    const char* address;  // as stored (at most six characters)
    const char* system;
    std::int64_t start;       // KfAdresse
    std::int64_t cellsInside;  // of the 4 x 4 "I16" map in a 1000-byte image
  };
  const Case cases[] = {
      {"inside", "000100", "N8", 0x100, 16},
      {"last cell ends at the end", "0003C8", "N8", 968, 16},
      {"reaching past the end", "0003D8", "N8", 984, 8},
      {"odd start, half a cell at the end", "0003D9", "N8", 985, 7},
      {"just past the end", "0003E8", "N8", 1000, 0},
      {"N32 scaled far past the end", "FFFFFF", "N32", 0x3FFFFFC, 0},
      {"N16 scaled", "0001F0", "N16", 0x3E0, 4},
      {"not hexadecimal", "zz", "N8", 0, 16},
  };
  const Bytes original = Ramp(1000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ActiveMap m;
    TDatensatz rec = MapRecord(1, "A", 4, 4, "0", "I16", '1');
    rec.set(fld::Anfangsadresse, c.address);
    LoadActiveMap(m, 1, rec, c.system);
    EXPECT_EQ(m.KfAdresse, c.start);

    ImageSet img = Images(original, original);
    const MapLayout layout = LayoutOf(m);
    std::int64_t readable = 0;
    for (std::int64_t k = 1; k <= 16; ++k) readable += ReadCell(img.Tuning(), layout, k).has_value();
    EXPECT_EQ(readable, c.cellsInside);
    EXPECT_GT(DrawLikeTheWindow(m, img), 0u);
    ChangeAll(img.TuningMutable(), layout, 1, EditMode::Bit);
    std::int64_t changedBytes = 0;
    for (std::size_t i = 0; i < original.size(); ++i) changedBytes += img.Tuning()[i] != original[i];
    EXPECT_LE(changedBytes, 2 * c.cellsInside);
    // The map reset puts back exactly what lies inside.
    CopyRange(img.Original(), img.TuningMutable(), layout.start, MapResetByteCount(layout));
    EXPECT_TRUE(std::equal(original.begin(), original.end(), img.Tuning().begin()));
  }
}

TEST(MalformedDatabase, OffsetMinusOneReadsAndWritesOnlyInside) {
  // "FFFFFFFF" is -1 for the hexadecimal reading; a map starting there has its
  // first 16-bit cell half before the image.
  ActiveMap m;
  m.KfXDim = 2;
  m.KfYDim = 2;
  m.KfZellen = 4;
  m.KfAdresse = ScaleAddress(ParseHex("FFFFFFFF"), "N8");
  m.KfTyp = "M16";
  ASSERT_EQ(m.KfAdresse, -1);
  const Bytes original = Ramp(16);
  ImageSet img = Images(original, original);
  const MapLayout layout = LayoutOf(m);
  EXPECT_FALSE(ReadCell(img.Tuning(), layout, 1).has_value());
  EXPECT_EQ(ReadCell(img.Tuning(), layout, 2), original[1] * 256 + original[2]);
  EXPECT_FALSE(WriteCell(img.TuningMutable(), layout, 1, 0));
  EXPECT_GT(DrawLikeTheWindow(m, img), 0u);
  ChangeAll(img.TuningMutable(), layout, 100, EditMode::Bit);
  EXPECT_EQ(img.Tuning()[0], original[0]);  // the straddling cell is left alone
  EXPECT_NE(img.Tuning()[2], original[2]);
  EXPECT_EQ(CopyRange(img.Original(), img.TuningMutable(), -1, MapResetByteCount(layout)), 7);
  EXPECT_TRUE(std::equal(original.begin(), original.end(), img.Tuning().begin()));
}

TEST(MalformedDatabase, HugeCopyCountsClipWithoutOverflow) {
  // Offsets near the end of the image with counts that do not fit beside them.
  const Bytes original = Ramp(32);
  struct Case { std::int64_t offset, count, copied; };
  const Case cases[] = {
      {11, INT64_MAX, 21}, {0, INT64_MAX, 32}, {-5, INT64_MAX, 32}, {31, INT64_MAX - 30, 1},
      {INT32_MAX, INT64_MAX, 0}, {-1, 2, 1}, {40, 5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    Bytes tuning(32, 0);
    EXPECT_EQ(CopyRange(original, tuning, c.offset, c.count), c.copied);
    const PatchRecorder rec(tuning, c.offset, c.count);
    tuning.assign(32, 1);
    const auto patch = rec.Finish(tuning);
    if (c.copied > 0) {
      ASSERT_TRUE(patch.has_value());
      ApplyPatch(tuning, *patch, true);
    }
  }
}

// ---------------------------------------------------------------- types and corners

TEST(MalformedDatabase, UnknownTypeCodesChangeNothing) {
  for (const char* code : {"X16", "n", "", "K", "N8", "m16"}) {
    SCOPED_TRACE(code);
    TDatensatz rec = MapRecord(1, "A", 4, 4, "10", "N", '1');
    rec.set(fld::KennfeldTyp, code);
    ActiveMap m;
    LoadActiveMap(m, 1, rec, "N8");
    const Bytes original = Ramp(256);
    ImageSet img = Images(original, original);
    const MapLayout layout = LayoutOf(m);
    EXPECT_GT(DrawLikeTheWindow(m, img), 0u);
    EXPECT_FALSE(ReadCell(img.Tuning(), layout, 1).has_value());
    EXPECT_FALSE(ChangeCell(img.Tuning(), img.TuningMutable(), layout, 1, 5, EditMode::Bit));
    ChangeAll(img.TuningMutable(), layout, 5, EditMode::Bit);
    EXPECT_EQ(MapResetByteCount(layout), 0);
    EXPECT_TRUE(std::equal(original.begin(), original.end(), img.Tuning().begin()));
    // The map data form keeps the unknown code when it saves.
    const MapDefinition def = LoadMapDefinition(rec);
    EXPECT_TRUE(def.KeepRecordType);
    TDatensatz saved = rec;
    SaveMapDefinition(def, 1, saved);
    EXPECT_EQ(saved.get(fld::KennfeldTyp), code);
  }
}

TEST(MalformedDatabase, CornerThatIsNoDigitEndsTheSelectionWithItsText) {
  TempDir dir;
  WriteDatabase(dir.File("a.dbc"), {RevLimiterRecord("N8", "0", "K", 1.0),
                                    MapRecord(1, "A", 4, 4, "10", "N", 'x'), MapRecord(2, "B", 4, 4, "10", "N", '2')});
  ChipDatabase db;
  db.Open(dir.File("a.dbc"));
  TDatensatz rec;
  db.SatzLesen(1, rec);
  ActiveMap m;
  try {
    LoadActiveMap(m, 1, rec, "N8");
    FAIL() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'x' ist kein gültiger Integerwert");
  }
  // The next entry loads normally.
  db.SatzLesen(2, rec);
  LoadActiveMap(m, 2, rec, "N8");
  EXPECT_EQ(m.KfKreuz, 2);
}

// ---------------------------------------------------------------- rev limiter record

TEST(MalformedDatabase, RevLimiterFactorsFromTheRecord) {
  struct Case {
    const char* name;
    std::array<std::uint8_t, 6> faktor;
    const char* shown;      // field text; nullptr: the show fails with `showError`
    const char* showError;
    const char* storeError;  // nullptr: entry 6000 is stored
    std::uint8_t storedByte;
  };
  const Case cases[] = {
      {"factor 0", {0, 0, 0, 0, 0, 0}, "0", nullptr, "Gleitkommadivision durch Null", 200},
      {"exponent 0, fraction set", {0, 1, 2, 3, 4, 5}, "0", nullptr, "Gleitkommadivision durch Null", 200},
      {"exponent 255", {0xFF, 0, 0, 0, 0, 0}, nullptr, "Ungültige Gleitkommaoperation", nullptr, 0},
      {"exponent 255 negative", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, nullptr, "Ungültige Gleitkommaoperation",
       nullptr, 0},
      {"factor 30", {0x85, 0, 0, 0, 0, 0x70}, "6000", nullptr, nullptr, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDatensatz rec = RevLimiterRecord("N8", "10", "N", 1.0);
    std::copy(c.faktor.begin(), c.faktor.end(), rec.bytes.begin() + fld::Faktor.offset);
    const RevLimiter l = RevLimiterFromRecord(rec, "N8");
    Bytes tuning(32, 0);
    tuning[0x10] = 200;
    if (c.shown) {
      EXPECT_EQ(LimitText(l, tuning), std::optional<std::string>(c.shown));
    } else {
      try {
        LimitText(l, tuning);
        ADD_FAILURE() << "no error";
      } catch (const EMathError& e) {
        EXPECT_STREQ(e.what(), c.showError);
      }
    }
    if (c.storeError) {
      try {
        StoreLimit(tuning, l, "6000");
        ADD_FAILURE() << "no error";
      } catch (const EMathError& e) {
        EXPECT_STREQ(e.what(), c.storeError);
      }
    } else {
      EXPECT_TRUE(StoreLimit(tuning, l, "6000"));
    }
    EXPECT_EQ(tuning[0x10], c.storedByte);
  }
}

// ---------------------------------------------------------------- image files

TEST(MalformedImage, DirectoryOrMissingPathLoadsNothing) {
  TempDir dir;
  WriteBytes(dir.File("a.org"), Ramp(100));
  std::filesystem::create_directory(dir.File("ordner.org"));
  ImageSet img;
  ASSERT_EQ(LoadImage(img, ImageKind::Original, dir.File("a.org")), LoadOutcome::Loaded);
  for (const std::string& path : {dir.File("ordner.org"), dir.File("fehlt.org"), dir.path()}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(LoadImage(img, ImageKind::Original, path), LoadOutcome::NoFile);
    EXPECT_EQ(img.OriginalName, path);
    EXPECT_EQ(img.OriginalGroesse, 100);  // the image loaded before stays
    EXPECT_EQ(img.OriginalPuffer.size(), 101u);
  }
  // A directory opened as a database is refused with its text.
  ChipDatabase db;
  EXPECT_EQ(IoTextOf([&] { db.Open(dir.File("ordner.org")); }), "Dateizugriff verweigert.");
  EXPECT_EQ(IoTextOf([&] { db.Open(dir.File("fehlt.dbc")); }), "Datei nicht gefunden.");
}

TEST(MalformedImage, EmptyAndSixteenMebibyteImages) {
  TempDir dir;
  const std::size_t big = std::size_t{16} << 20;
  Bytes large(big);
  for (std::size_t i = 0; i < big; i += 4096) large[i] = static_cast<std::uint8_t>(i >> 12);
  large[big - 1] = 0x77;
  WriteBytes(dir.File("gross.org"), large);
  WriteBytes(dir.File("leer.tun"), {});
  ImageSet img;
  ASSERT_EQ(LoadImage(img, ImageKind::Original, dir.File("gross.org")), LoadOutcome::Loaded);
  ASSERT_EQ(LoadImage(img, ImageKind::Tuning, dir.File("leer.tun")), LoadOutcome::Loaded);
  EXPECT_EQ(img.OriginalGroesse, static_cast<std::int32_t>(big));
  EXPECT_EQ(img.Original()[big - 1], 0x77);
  EXPECT_EQ(img.TuningGroesse, 0);

  // A map at the very end of the large image, drawn and edited against the empty tuning image.
  ActiveMap m;
  LoadActiveMap(m, 1, MapRecord(1, "Ende", 2, 2, "7FFFFE", "N", '1'), "N16");  // x2: the last 4 bytes
  EXPECT_EQ(m.KfAdresse, static_cast<std::int32_t>(big - 4));
  const MapLayout layout = LayoutOf(m);
  EXPECT_EQ(ReadCell(img.Original(), layout, 4), 0x77);
  EXPECT_FALSE(ReadCell(img.Tuning(), layout, 1).has_value());
  EXPECT_GT(DrawLikeTheWindow(m, img), 0u);
  ChangeAll(img.TuningMutable(), layout, 5, EditMode::Bit);
  // Different sizes: the copy clips to the shorter (empty) image.
  EXPECT_EQ(CopyRange(img.Original(), img.TuningMutable(), 0, img.OriginalGroesse), 0);
  EXPECT_EQ(CopyRange(img.Original(), img.TuningMutable(), layout.start, MapResetByteCount(layout)), 0);

  // The same large image as tuning image: the whole-image copy reaches its last byte.
  ASSERT_EQ(LoadImage(img, ImageKind::Tuning, dir.File("gross.org")), LoadOutcome::Loaded);
  img.TuningMutable()[big - 1] = 0;
  EXPECT_EQ(CopyRange(img.Original(), img.TuningMutable(), 0, img.OriginalGroesse), static_cast<std::int64_t>(big));
  EXPECT_EQ(img.Tuning()[big - 1], 0x77);
}

}  // namespace
}  // namespace orv
