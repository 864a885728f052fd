// The chip database file: record access, error codes and failed writes.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <string>

#include "project/ChipDatabase.h"
#include "project/Errors.h"
#include "project/FileIo.h"
#include "support/Fixtures.h"

namespace orv {
namespace {

using fixtures::MapRecord;
using fixtures::ReadBytes;
using fixtures::RevLimiterRecord;
using fixtures::TempDir;
using fixtures::WriteDatabase;

// Runs f and returns the I/O error code it threw (-1 when it threw none).
template <class F>
int IoCodeOf(F&& f, std::string* text = nullptr) {
  try {
    f();
  } catch (const EInOutError& e) {
    if (text) *text = e.what();
    return e.ErrorCode;
  }
  return -1;
}

// Makes the first `times` calls of the step named `step` fail with `err` while
// the object lives (every call by default).
class FaultScope {
 public:
  FaultScope(std::string step, int err, int times = INT_MAX) {
    SetFaultHook([step, err, times, calls = 0](std::string_view s) mutable {
      if (s != step) return 0;
      return calls++ < times ? err : 0;
    });
  }
  ~FaultScope() { SetFaultHook({}); }
};

std::vector<TDatensatz> ThreeRecords() {
  return {RevLimiterRecord("N8", "7000", "M16", 1.0), MapRecord(1, "Zündung", 16, 16, "100", "N"),
          MapRecord(2, "Benzin", 16, 12, "200", "M16")};
}

TEST(ChipDatabase, NewDatabaseIsOneRecordLong) {
  TempDir dir;
  const std::string path = dir.File("motor.dbc");
  ChipDatabase db;
  db.Create(path);
  EXPECT_TRUE(db.IsOpen());
  EXPECT_EQ(db.RecordCount(), 0);
  TDatensatz rec;
  rec.set(fld::Kennfeldname, "Drehzahlbegrenzer");
  rec.set(fld::Anfangsadresse, "0");
  rec.set(fld::XBeschriftung, "N8");
  rec.set(fld::KennfeldTyp, "K");
  rec.set(fld::Faktor, 1.0);
  rec.set(fld::Kennung, "A");
  db.SatzSchreiben(0, rec);
  db.Close();
  const auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 164u);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 108, bytes.begin() + 114),
            (std::vector<std::uint8_t>{0x81, 0, 0, 0, 0, 0}));
  EXPECT_EQ(bytes[161], 0x01);
  EXPECT_EQ(bytes[162], 0x41);

  ChipDatabase again;
  again.Open(path);
  TDatensatz back;
  again.SatzLesen(0, back);
  EXPECT_EQ(back, rec);
  EXPECT_EQ(back.get(fld::XBeschriftung), "N8");
  EXPECT_TRUE(again.AtEnd(1));
}

TEST(ChipDatabase, CreateTruncatesAnExistingFile) {
  TempDir dir;
  const std::string path = dir.File("a.dbc");
  WriteDatabase(path, ThreeRecords());
  ChipDatabase db;
  db.Create(path);
  EXPECT_EQ(db.RecordCount(), 0);
  EXPECT_TRUE(db.AtEnd(0));
}

TEST(ChipDatabase, ReadWriteAppendAndEndTest) {
  TempDir dir;
  const std::string path = dir.File("a.dbc");
  const auto recs = ThreeRecords();
  WriteDatabase(path, recs);
  ChipDatabase db;
  db.Open(path);
  ASSERT_EQ(db.RecordCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(db.AtEnd(i));
    TDatensatz r;
    db.SatzLesen(i, r);
    EXPECT_EQ(r, recs[i]) << i;
  }
  EXPECT_TRUE(db.AtEnd(3));

  // Overwriting record 1 touches only its 164 bytes.
  auto expected = ReadBytes(path);
  TDatensatz changed = recs[1];
  changed.set(fld::XDimension, 8);
  db.SatzSchreiben(1, changed);
  const auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 3u * 164);
  for (int i = 0; i < 164; ++i) expected[164 + i] = changed.bytes[i];
  EXPECT_EQ(bytes, expected);

  // Writing at the record count appends.
  const TDatensatz extra = MapRecord(3, "Ladedruck", 8, 8, "400", "I16");
  db.SatzSchreiben(3, extra);
  EXPECT_EQ(db.RecordCount(), 4);
  EXPECT_FALSE(db.AtEnd(3));
  TDatensatz r;
  db.SatzLesen(3, r);
  EXPECT_EQ(r, extra);
  EXPECT_EQ(ReadBytes(path).size(), 4u * 164);
}

TEST(ChipDatabase, ReadingKeepsReservedBytesForTheWriter) {
  TempDir dir;
  const std::string path = dir.File("a.dbc");
  auto recs = ThreeRecords();
  recs[2].bytes[114] = 0xAB;
  recs[2].bytes[136] = 0xCD;
  recs[2].bytes[140] = 0xEF;
  recs[2].bytes[1 + 10] = 'q';  // behind the name's text
  WriteDatabase(path, recs);
  const auto before = ReadBytes(path);
  ChipDatabase db;
  db.Open(path);
  TDatensatz r;
  db.SatzLesen(2, r);
  r.set(fld::Kennfeldname, "Benzin");
  db.SatzSchreiben(2, r);
  EXPECT_EQ(ReadBytes(path), before);
}

TEST(ChipDatabase, TrailingPartialRecordIsIgnored) {
  TempDir dir;
  const std::string path = dir.File("a.dbc");
  auto bytes = std::vector<std::uint8_t>(2 * 164 + 50, 0);
  fixtures::WriteBytes(path, bytes);
  ChipDatabase db;
  db.Open(path);
  EXPECT_EQ(db.RecordCount(), 2);
  EXPECT_TRUE(db.AtEnd(2));
  TDatensatz r;
  std::string text;
  EXPECT_EQ(IoCodeOf([&] { db.SatzLesen(2, r); }, &text), 100);
  EXPECT_EQ(text, "Lesen nach Dateiende (EOF)");
}

TEST(ChipDatabase, ReadBeyondEndFailsAndLeavesTheBuffer) {
  TempDir dir;
  const std::string path = dir.File("a.dbc");
  WriteDatabase(path, ThreeRecords());
  ChipDatabase db;
  db.Open(path);
  TDatensatz r;
  r.bytes.fill(0x5A);
  const TDatensatz before = r;
  EXPECT_EQ(IoCodeOf([&] { db.SatzLesen(3, r); }), 100);
  EXPECT_EQ(IoCodeOf([&] { db.SatzLesen(1000, r); }), 100);
  EXPECT_EQ(r, before);
}

TEST(ChipDatabase, ClosedDatabaseFailsWith103) {
  ChipDatabase db;
  TDatensatz r;
  std::string text;
  EXPECT_EQ(IoCodeOf([&] { db.SatzLesen(0, r); }, &text), 103);
  EXPECT_EQ(text, "I/O-Fehler 103.");
  EXPECT_EQ(IoCodeOf([&] { db.SatzSchreiben(0, r); }), 103);
  EXPECT_EQ(IoCodeOf([&] { db.RecordCount(); }), 103);
  EXPECT_EQ(IoCodeOf([&] { db.AtEnd(0); }), 103);
  EXPECT_EQ(IoCodeOf([&] { db.DeleteLast(); }), 103);
  EXPECT_NO_THROW(db.Close());

  TempDir dir;
  WriteDatabase(dir.File("a.dbc"), ThreeRecords());
  db.Open(dir.File("a.dbc"));
  db.Close();
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(IoCodeOf([&] { db.SatzLesen(0, r); }), 103);
}

TEST(ChipDatabase, OpenFailuresAndTheirTexts) {
  TempDir dir;
  WriteDatabase(dir.File("a.dbc"), ThreeRecords());
  ChipDatabase db;
  db.Open(dir.File("a.dbc"));
  std::string text;
  // A failed open has already closed the previous database.
  EXPECT_EQ(IoCodeOf([&] { db.Open(dir.File("missing.dbc")); }, &text), 2);
  EXPECT_EQ(text, "Datei nicht gefunden.");
  EXPECT_FALSE(db.IsOpen());
  TDatensatz r;
  EXPECT_EQ(IoCodeOf([&] { db.SatzLesen(0, r); }), 103);

  EXPECT_EQ(IoCodeOf([&] { db.Open(dir.path()); }, &text), 5);
  EXPECT_EQ(text, "Dateizugriff verweigert.");
  EXPECT_FALSE(db.IsOpen());

  EXPECT_EQ(IoCodeOf([&] { db.Open(""); }), 3);
  EXPECT_EQ(IoCodeOf([&] { db.Create(""); }), 3);
  EXPECT_EQ(IoCodeOf([&] { db.Create(dir.File("no/such/dir.dbc")); }), 2);
}

TEST(ChipDatabase, DeleteLastCutsOneRecord) {
  TempDir dir;
  const std::string path = dir.File("a.dbc");
  WriteDatabase(path, ThreeRecords());
  ChipDatabase db;
  db.Open(path);
  db.DeleteLast();
  EXPECT_EQ(db.RecordCount(), 2);
  EXPECT_EQ(ReadBytes(path).size(), 2u * 164);
  db.DeleteLast();
  db.DeleteLast();
  EXPECT_EQ(db.RecordCount(), 0);
  EXPECT_NO_THROW(db.DeleteLast());  // nothing left to delete
  EXPECT_EQ(ReadBytes(path).size(), 0u);
}

TEST(ChipDatabase, DeleteLastDropsAPartialRecordToo) {
  TempDir dir;
  const std::string path = dir.File("a.dbc");
  fixtures::WriteBytes(path, std::vector<std::uint8_t>(2 * 164 + 10, 1));
  ChipDatabase db;
  db.Open(path);
  db.DeleteLast();
  EXPECT_EQ(ReadBytes(path).size(), 164u);
}

TEST(ChipDatabaseFaults, FailingRecordWriteKeepsTheOldRecord) {
  for (int times : {INT_MAX, 1}) {  // always failing, or failing the first write only
    SCOPED_TRACE(times);
    TempDir dir;
    const std::string path = dir.File("a.dbc");
    WriteDatabase(path, ThreeRecords());
    const auto before = ReadBytes(path);
    ChipDatabase db;
    db.Open(path);
    TDatensatz r = MapRecord(1, "Neu", 4, 4, "999", "I16");
    {
      FaultScope fault("write", ENOSPC, times);
      std::string text;
      EXPECT_EQ(IoCodeOf([&] { db.SatzSchreiben(1, r); }, &text), 101);
      EXPECT_EQ(text, "Kapazität der Diskette/Festplatte erschöpft.");
    }
    EXPECT_EQ(ReadBytes(path), before);
    // The database stays usable.
    db.SatzSchreiben(1, r);
    TDatensatz back;
    db.SatzLesen(1, back);
    EXPECT_EQ(back, r);
  }
}

TEST(ChipDatabaseFaults, FailingAppendKeepsTheOldSize) {
  TempDir dir;
  const std::string path = dir.File("a.dbc");
  WriteDatabase(path, ThreeRecords());
  const auto before = ReadBytes(path);
  ChipDatabase db;
  db.Open(path);
  {
    FaultScope fault("write", EIO);
    EXPECT_NE(IoCodeOf([&] { db.SatzSchreiben(3, MapRecord(3, "X", 2, 2, "0", "N")); }), -1);
  }
  EXPECT_EQ(db.RecordCount(), 3);
  EXPECT_EQ(ReadBytes(path), before);
}

TEST(ChipDatabaseFaults, FailingTruncateKeepsTheFile) {
  TempDir dir;
  const std::string path = dir.File("a.dbc");
  WriteDatabase(path, ThreeRecords());
  const auto before = ReadBytes(path);
  ChipDatabase db;
  db.Open(path);
  {
    FaultScope fault("truncate", EIO);
    EXPECT_NE(IoCodeOf([&] { db.DeleteLast(); }), -1);
  }
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(db.RecordCount(), 3);
}

TEST(ChipDatabaseFaults, FailingReadAndOpenReportTheirCode) {
  TempDir dir;
  const std::string path = dir.File("a.dbc");
  WriteDatabase(path, ThreeRecords());
  ChipDatabase db;
  {
    FaultScope fault("open", EACCES);
    EXPECT_EQ(IoCodeOf([&] { db.Open(path); }), 5);
  }
  EXPECT_FALSE(db.IsOpen());
  db.Open(path);
  TDatensatz r;
  r.bytes.fill(7);
  const TDatensatz before = r;
  {
    FaultScope fault("read", ENOENT);
    EXPECT_EQ(IoCodeOf([&] { db.SatzLesen(0, r); }), 2);
  }
  EXPECT_EQ(r, before);
  {
    FaultScope fault("close", EIO);
    EXPECT_NE(IoCodeOf([&] { db.Close(); }), -1);
  }
  EXPECT_FALSE(db.IsOpen());  // the handle is given up all the same
}

}  // namespace
}  // namespace orv
