// Map list entry texts, address scaling, the active map and the selection record.
#include <gtest/gtest.h>

#include <string>

#include "project/Catalogue.h"
#include "project/Errors.h"
#include "support/Fixtures.h"

namespace orv {
namespace {

TEST(EntryText, NumberColumnNameAndDimensions) {
  struct Row { std::int32_t nummer; const char* name; std::int32_t x, y; std::string text; };
  const Row rows[] = {
      {7, "Benzin", 16, 8, "7      Benzin  16 x8"},
      {3, "Z\xFC" "ndung", 16, 12, "3      Z\xFC" "ndung  16 x12"},
      {12, "Benzin", 16, 8, "12    Benzin  16 x8"},
      {99, "A", 1, 16, "99    A  1 x16"},
      {100, "A", 12, 1, "100   A  12 x1"},
      {123, "Benzin", 16, 8, "123   Benzin  16 x8"},
      {1234, "B", 2, 2, "123   B  2 x2"},  // only the first three characters of the number
      {0, "", 0, 0, "0        0 x0"},
      {5, "Ein sehr langer Kennfeldname ohne Ende", 16, 16, "5      Ein sehr langer Kennfeldn"},
  };
  for (const Row& row : rows) EXPECT_EQ(EntryText(row.nummer, row.name, row.x, row.y), row.text) << row.nummer;
  EXPECT_EQ(EntryText(5, "Ein sehr langer Kennfeldname ohne Ende", 16, 16).size(), 32u);
}

TEST(EntryText, FromARecord) {
  const TDatensatz rec = fixtures::MapRecord(7, "Benzin", 16, 8, "1A00", "M16");
  EXPECT_EQ(EntryText(rec), "7      Benzin  16 x8");
  const TDatensatz umlaut = fixtures::MapRecord(3, "Zündung", 16, 12, "0", "N");
  EXPECT_EQ(EntryText(umlaut), "3      Z\xFC" "ndung  16 x12");
}

TEST(ScaleAddress, BySystemCode) {
  struct Row { std::int32_t address; const char* code; std::int32_t offset; };
  const Row rows[] = {
      {0x1A00, "N16", 13312}, {0x1A00, "N32", 26624}, {0x1A00, "N8", 6656}, {0x1A00, "", 6656},
      {0x1A00, "n16", 6656},  {0x1A00, "N16 ", 6656}, {0x1000, "N16", 0x2000},
      {INT32_MIN, "N16", 0},  {0x40000000, "N32", 0}, {-1, "N16", -2},
  };
  for (const Row& row : rows) EXPECT_EQ(ScaleAddress(row.address, row.code), row.offset) << row.code;
}

TEST(LoadActiveMap, FillsTheMembersFromTheRecord) {
  ActiveMap m;
  EXPECT_EQ(m.KfTyp, "N8");
  EXPECT_EQ(m.KfKreuz, 4);
  const TDatensatz rec = fixtures::MapRecord(9, "Ladedruck", 8, 6, "1A00", "I16", '2', "Drehzahl", "Last");
  LoadActiveMap(m, 3, rec, "N16");
  EXPECT_EQ(m.KfNummer, 3);  // the record index, not the record's Nummer
  EXPECT_EQ(m.KfXDim, 8);
  EXPECT_EQ(m.KfYDim, 6);
  EXPECT_EQ(m.KfZellen, 48);
  EXPECT_EQ(m.KfXText, "Drehzahl");
  EXPECT_EQ(m.KfYText, "Last");
  EXPECT_EQ(m.KfAdresse, 13312);
  EXPECT_EQ(m.KfTyp, "I16");
  EXPECT_EQ(m.KfKreuz, 2);
  EXPECT_EQ(m.KfSatz.bytes, rec.bytes);  // kept for the table's axes
  EXPECT_TRUE(DrawsAsSurface(m));
  EXPECT_FALSE(DrawsAsChart(m));
}

TEST(LoadActiveMap, NonDigitCrossCornerThrowsAfterTheOtherMembers) {
  ActiveMap m;
  m.KfKreuz = 3;
  const TDatensatz rec = fixtures::MapRecord(1, "Benzin", 16, 12, "200", "M16", 'x', "X", "Y");
  try {
    LoadActiveMap(m, 1, rec, "N8");
    FAIL() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'x' ist kein gültiger Integerwert");
  }
  EXPECT_EQ(m.KfNummer, 1);
  EXPECT_EQ(m.KfXDim, 16);
  EXPECT_EQ(m.KfYDim, 12);
  EXPECT_EQ(m.KfZellen, 192);
  EXPECT_EQ(m.KfXText, "X");
  EXPECT_EQ(m.KfYText, "Y");
  EXPECT_EQ(m.KfAdresse, 0x200);
  EXPECT_EQ(m.KfTyp, "M16");
  EXPECT_EQ(m.KfKreuz, 3);  // unchanged
  // A Windows-1252 byte shows as its character in the message.
  const TDatensatz umlaut = fixtures::MapRecord(1, "A", 2, 2, "0", "N", '\xFC');
  EXPECT_THROW(
      {
        try {
          LoadActiveMap(m, 1, umlaut, "N8");
        } catch (const EConvertError& e) {
          EXPECT_STREQ(e.what(), "'ü' ist kein gültiger Integerwert");
          throw;
        }
      },
      EConvertError);
  // Every decimal digit is accepted, also outside 1 to 4.
  LoadActiveMap(m, 1, fixtures::MapRecord(1, "A", 2, 2, "0", "N", '9'), "N8");
  EXPECT_EQ(m.KfKreuz, 9);
  EXPECT_THROW(LoadActiveMap(m, 1, fixtures::MapRecord(1, "A", 2, 2, "0", "N", ' '), "N8"), EConvertError);
}

TEST(ActiveMap, SurfaceOrChartByDimensions) {
  struct Row { std::int32_t x, y; bool surface, chart; };
  const Row rows[] = {{1, 16, false, true},  {16, 1, false, true}, {16, 65, false, false}, {64, 64, true, false},
                      {2, 2, true, false},   {0, 5, false, false}, {1, 1, false, true}};
  for (const Row& row : rows) {
    ActiveMap m;
    m.KfXDim = row.x;
    m.KfYDim = row.y;
    EXPECT_EQ(DrawsAsSurface(m), row.surface) << row.x << "x" << row.y;
    EXPECT_EQ(DrawsAsChart(m), row.chart) << row.x << "x" << row.y;
  }
}

TEST(SelectionHistory, RecordShiftsAndBackAndForwardStep) {
  SelectionHistory h;
  EXPECT_EQ(h.VerlaufPos, 0);
  EXPECT_FALSE(h.CanGoBack());
  EXPECT_FALSE(h.CanGoForward());
  EXPECT_EQ(h.Current(), 0);
  h.Record(5);
  EXPECT_EQ(h.VerlaufPos, 1);
  EXPECT_FALSE(h.CanGoBack());  // nothing older yet
  h.Record(6);
  h.Record(7);
  EXPECT_EQ(h.Verlauf[1], 7);
  EXPECT_EQ(h.Verlauf[2], 6);
  EXPECT_EQ(h.Verlauf[3], 5);
  EXPECT_EQ(h.Current(), 7);
  EXPECT_TRUE(h.CanGoBack());
  EXPECT_FALSE(h.CanGoForward());
  EXPECT_FALSE(h.Forward());

  EXPECT_TRUE(h.Back());
  EXPECT_EQ(h.Current(), 6);
  EXPECT_TRUE(h.CanGoForward());
  EXPECT_TRUE(h.Back());
  EXPECT_EQ(h.Current(), 5);
  EXPECT_FALSE(h.CanGoBack());
  EXPECT_FALSE(h.Back());
  EXPECT_EQ(h.Current(), 5);

  EXPECT_TRUE(h.Forward());
  EXPECT_EQ(h.Current(), 6);
  EXPECT_TRUE(h.Forward());
  EXPECT_EQ(h.Current(), 7);
  EXPECT_FALSE(h.CanGoForward());

  // A new selection after stepping back starts again at the newest position.
  h.Back();
  h.Record(8);
  EXPECT_EQ(h.VerlaufPos, 1);
  EXPECT_EQ(h.Current(), 8);
  EXPECT_EQ(h.Verlauf[2], 7);
}

TEST(SelectionHistory, KeepsTwentyAndWholeIndices) {
  SelectionHistory h;
  for (int i = 1; i <= 25; ++i) h.Record(300 + i);
  EXPECT_EQ(h.Verlauf[1], 325);
  EXPECT_EQ(h.Verlauf[20], 306);  // the five oldest dropped out
  int steps = 0;
  while (h.Back()) ++steps;
  EXPECT_EQ(steps, 19);
  EXPECT_EQ(h.VerlaufPos, 20);
  EXPECT_EQ(h.Current(), 306);
}

}  // namespace
}  // namespace orv
