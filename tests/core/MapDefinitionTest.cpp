// The map forms' values: load from a record, save into a record, the type and
// system tables, factor texts and the dimension rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "project/Errors.h"
#include "project/MapDefinition.h"
#include "project/Real48.h"

namespace orv {
namespace {

TEST(MapTypes, TextsAndCodes) {
  struct Row { const char* text; const char* code; int mapIndex; };
  const Row rows[] = {
      {"8 Bit", "N", 0},           {"16 Bit Motorola", "M16", 1}, {"16 Bit Intel", "I16", 2},
      {"32 Bit Motorola", "M32", 3}, {"32 Bit Intel", "I32", 4},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(MapTypeCodeOfText(r.text), r.code) << r.text;
    EXPECT_EQ(MapTypeIndexOfCode(r.code), r.mapIndex) << r.code;
  }
  // Only exact texts and codes count.
  for (const char* other : {"", "Keiner", "8 bit", "8 Bit ", "16 Bit", "N8"}) EXPECT_EQ(MapTypeCodeOfText(other), "") << other;
  for (const char* other : {"", "K", "n", "N8", "M16 ", "I8"}) EXPECT_EQ(MapTypeIndexOfCode(other), -1) << other;
}

TEST(SystemCodes, IndexRoundTrip) {
  struct Row { const char* code; int index; };
  for (const Row& r : {Row{"N8", 0}, Row{"N16", 1}, Row{"N32", 2}}) {
    EXPECT_EQ(SystemIndexOfCode(r.code), r.index);
    EXPECT_EQ(SystemCodeOfIndex(r.index), r.code);
  }
  for (const char* other : {"", "N", "n8", "N64", "N8 "}) EXPECT_EQ(SystemIndexOfCode(other), -1) << other;
  for (int index : {-1, 3, 100}) EXPECT_EQ(SystemCodeOfIndex(index), "") << index;
}

TEST(FormatGeneral, FifteenSignificantDigits) {
  struct Row { double value; const char* text; };
  const Row rows[] = {
      {1.0, "1"},          {0.0, "0"},           {-0.0, "0"},          {0.4, "0,4"},
      {-2.5, "-2,5"},      {100.0, "100"},       {1e20, "1E20"},       {5e-5, "5E-5"},
      {1e-4, "0,0001"},    {123456789012345.0, "123456789012345"},
      {1234567890123456.0, "1,23456789012346E15"}, {1.0 / 3.0, "0,333333333333333"},
      {-1.5e-7, "-1,5E-7"},
  };
  for (const Row& r : rows) EXPECT_EQ(FormatGeneral(r.value), r.text) << r.value;
  EXPECT_EQ(FormatGeneral(0.4, '.'), "0.4");
}

TEST(ParseDecimal, AcceptsCommaOrPoint) {
  struct Row { const char* text; double value; };
  const Row rows[] = {
      {"1", 1.0},    {"0,4", 0.4},     {"0.4", 0.4},   {" 2 ", 2.0},   {"+3", 3.0},     {"-1,5", -1.5},
      {"1e3", 1e3},  {"1,5E-2", 0.015}, {",5", 0.5},   {"7.", 7.0},    {"1E20", 1e20},  {"5E-5", 5e-5},
  };
  for (const Row& r : rows) {
    double v = -99;
    EXPECT_TRUE(ParseDecimal(r.text, v)) << r.text;
    EXPECT_DOUBLE_EQ(v, r.value) << r.text;
  }
  for (const char* bad : {"", " ", "abc", "1,2,3", ",", "e5", "1e", "inf", "nan", "1 2", "1e400", "--1", "1x", "0x10"}) {
    double v = -99;
    EXPECT_FALSE(ParseDecimal(bad, v)) << bad;
    EXPECT_EQ(v, -99) << bad;
  }
}

TEST(ParseDecimal, ReadsBackWhatFormatGeneralWrote) {
  // Every 6-byte real survives being shown and read again.
  for (double v : {0.4, 1.0 / 3.0, 123.456, -0.001, 2.5e-9, 6.02e23, 1.1, 39.0625}) {
    const double stored = DecodeReal48(EncodeReal48(v));
    double back = 0;
    ASSERT_TRUE(ParseDecimal(FormatGeneral(stored), back)) << v;
    EXPECT_EQ(EncodeReal48(back), EncodeReal48(stored)) << v;
  }
}

TEST(IsHexText, DigitsOnly) {
  for (const char* ok : {"0", "1f0", "ABCDEF", "0001F0", "abcdef0123"}) EXPECT_TRUE(IsHexText(ok)) << ok;
  for (const char* bad : {"", " ", "1g0", "$10", "0x10", "-1", "1 0", "ä"}) EXPECT_FALSE(IsHexText(bad)) << bad;
}

TEST(DimensionRule, KeepsOneTo256) {
  struct Row { const char* text; const char* result; };
  const Row rows[] = {
      {"0", "16"},    {"300", "256"}, {"256", "256"}, {"255", "255"}, {"1", "1"},   {"", "16"},
      {"-5", "16"},   {"abc", "16"},  {"12x", "12x"}, {"$FF", "$FF"}, {"$100", "256"}, {" 8", " 8"},
      {"999", "256"}, {"16", "16"},
  };
  for (const Row& r : rows) EXPECT_EQ(DimensionRule(r.text), r.result) << '"' << r.text << '"';
}

// A map record with every byte the forms do not own set to something odd.
TDatensatz RichRecord() {
  TDatensatz r;
  for (std::size_t i = 0; i < r.bytes.size(); ++i) r.bytes[i] = static_cast<std::uint8_t>(0xA0 + i % 37);
  r.set(fld::Kennfeldname, "Z\xFC" "ndung Teillast");
  r.set(fld::Anfangsadresse, "1f0");
  r.set(fld::XDimension, 16);
  r.set(fld::YDimension, 8);
  r.set(fld::XBeschriftung, "Drehzahl");
  r.set(fld::YBeschriftung, "Last");
  r.set(fld::KennfeldTyp, "M16");
  r.set(fld::Nummer, 77);
  r.set(fld::Faktor, 0.4);
  r.set(fld::XAnfangswert, -250);
  r.set(fld::YAnfangswert, 1000);
  r.set(fld::XFaktor, 0.4);
  r.set(fld::YFaktor, 12.5);
  r.set(fld::Kreuz, '3');
  r.set(fld::XRueckwaerts, true);
  r.set(fld::YRueckwaerts, false);
  r.set(fld::XAddition, false);
  r.set(fld::YAddition, true);
  r.set(fld::XMultiplikation, true);
  r.set(fld::YMultiplikation, false);
  r.set(fld::XAdresse, "a0");
  r.set(fld::YAdresse, "");
  r.set(fld::Kennung, "Q");
  return r;
}

TEST(LoadMapDefinition, ShowsTheRecord) {
  const MapDefinition d = LoadMapDefinition(RichRecord());
  EXPECT_EQ(d.Name, "Z\xFC" "ndung Teillast");
  EXPECT_EQ(d.Address, "0001F0");
  EXPECT_EQ(d.TypeText, "16 Bit Motorola");
  EXPECT_FALSE(d.KeepRecordType);
  EXPECT_EQ(d.XDimText, "16");
  EXPECT_EQ(d.YDimText, "8");
  EXPECT_EQ(d.XLabel, "Drehzahl");
  EXPECT_EQ(d.YLabel, "Last");
  EXPECT_EQ(d.XStartText, "-250");
  EXPECT_EQ(d.YStartText, "1000");
  EXPECT_EQ(d.XFactorText, "0,400000000000091");  // 0.4 as a 6-byte real, 15 digits
  EXPECT_EQ(d.YFactorText, "12,5");
  EXPECT_TRUE(d.XRueckwaerts);
  EXPECT_FALSE(d.YRueckwaerts);
  EXPECT_FALSE(d.XAddition);
  EXPECT_TRUE(d.YAddition);
  EXPECT_TRUE(d.XMultiplikation);
  EXPECT_FALSE(d.YMultiplikation);
  EXPECT_TRUE(d.XAddressLabel);
  EXPECT_EQ(d.XAddress, "a0");
  EXPECT_FALSE(d.YAddressLabel);
  EXPECT_EQ(d.YAddress, "");
  EXPECT_EQ(d.Corner, 3);
  EXPECT_TRUE(d.Marks.IsDefault());  // leftovers in the spare bytes are no marks
  EXPECT_FALSE(d.UnknownMarks);
}

TEST(LoadMapDefinition, CellFormatMarksRoundTrip) {
  struct Row { std::uint8_t flags, x, y; CellFormatMarks marks; bool unknown; };
  const Row rows[] = {
      {0x01, 0x00, 0x00, {true, {}, {}}, false},
      {0x00, 0x12, 0x05, {false, {CellType::M16, true}, {CellType::I32, false}}, false},
      {0x03, 0x00, 0x00, {}, true},  // an unknown flag bit
      {0x01, 0x09, 0x00, {}, true},  // an unknown axis type
  };
  for (const Row& row : rows) {
    TDatensatz r = RichRecord();
    r.bytes[114] = 'O'; r.bytes[115] = 'V'; r.bytes[140] = 1;
    r.bytes[136] = row.flags; r.bytes[138] = row.x; r.bytes[139] = row.y;
    const MapDefinition d = LoadMapDefinition(r);
    EXPECT_EQ(d.Marks, row.marks) << int(row.flags);
    EXPECT_EQ(d.UnknownMarks, row.unknown);
    // Saved unchanged, the six bytes stay; a changed sign is stored.
    TDatensatz after = r;
    SaveMapDefinition(d, 77, after);
    for (int i : {114, 115, 136, 138, 139, 140}) EXPECT_EQ(after.bytes[i], r.bytes[i]) << i;
    MapDefinition changed = d;
    changed.Marks.signedCells = !d.Marks.signedCells;
    SaveMapDefinition(changed, 77, after);
    EXPECT_EQ(ReadCellFormatMarks(after).marks, changed.Marks);
    EXPECT_EQ(ReadCellFormatMarks(after).state, changed.Marks.IsDefault() ? MarksState::Absent : MarksState::Valid);
  }
  // A new record gets its marks; without any it keeps the spare bytes 0 (below).
  MapDefinition d;
  d.Marks = {true, {CellType::N, false}, {}};
  EXPECT_EQ(ReadCellFormatMarks(NewMapRecord(d, 4)).marks, d.Marks);
  EXPECT_EQ(AxisTypeOfIndex(AxisTypeIndex(CellType::I16)), CellType::I16);
  EXPECT_EQ(AxisTypeIndex(CellType::Unknown), 0);
  EXPECT_EQ(AxisTypeOfIndex(6), CellType::None);
}

TEST(LoadMapDefinition, UnknownTypeAndCorner) {
  TDatensatz r = RichRecord();
  r.set(fld::KennfeldTyp, "K");
  r.set(fld::Kreuz, '7');
  MapDefinition d = LoadMapDefinition(r);
  EXPECT_EQ(d.TypeText, "8 Bit");
  EXPECT_TRUE(d.KeepRecordType);
  EXPECT_EQ(d.Corner, 0);
  for (char k : {'1', '2', '3', '4'}) {
    r.set(fld::Kreuz, k);
    EXPECT_EQ(LoadMapDefinition(r).Corner, k - '0');
  }
  for (char k : {'0', '5', 'A', '\0'}) {
    r.set(fld::Kreuz, k);
    EXPECT_EQ(LoadMapDefinition(r).Corner, 0);
  }
}

TEST(SaveMapDefinition, UnchangedSaveKeepsAllButTheDocumentedFields) {
  const TDatensatz before = RichRecord();
  TDatensatz after = before;
  SaveMapDefinition(LoadMapDefinition(before), 5, after);

  EXPECT_EQ(after.get(fld::Faktor), 1.0);
  EXPECT_EQ(after.get(fld::Kennung), "A");
  EXPECT_EQ(after.get(fld::Nummer), 5);
  EXPECT_EQ(after.get(fld::Anfangsadresse), "0001F0");
  // Everything else, reserved bytes and bytes behind texts included, is as read.
  TDatensatz expected = before;
  expected.set(fld::Faktor, 1.0);
  expected.set(fld::Kennung, "A");
  expected.set(fld::Nummer, 5);
  expected.set(fld::Anfangsadresse, "0001F0");
  for (std::size_t i = 0; i < expected.bytes.size(); ++i)
    EXPECT_EQ(after.bytes[i], expected.bytes[i]) << "byte " << i;
}

TEST(SaveMapDefinition, UnknownTypeAndNoCornerKeepTheRecordBytes) {
  TDatensatz r = RichRecord();
  r.set(fld::KennfeldTyp, "K");
  r.set(fld::Kreuz, 'x');
  TDatensatz after = r;
  SaveMapDefinition(LoadMapDefinition(r), 1, after);
  EXPECT_EQ(after.get(fld::KennfeldTyp), "K");
  EXPECT_EQ(after.get(fld::Kreuz), 'x');

  // Once a type text is chosen it is stored, an unknown text as an empty code.
  MapDefinition d = LoadMapDefinition(r);
  d.KeepRecordType = false;
  SaveMapDefinition(d, 1, after);
  EXPECT_EQ(after.get(fld::KennfeldTyp), "N");
  d.TypeText = "9 Bit";
  SaveMapDefinition(d, 1, after);
  EXPECT_EQ(after.get(fld::KennfeldTyp), "");
}

TEST(SaveMapDefinition, FieldEncodings) {
  MapDefinition d;
  d.Address = "1g0";  // a non-hex character counts 0 but keeps its place
  d.Corner = 4;
  d.XStartText = "12abc";
  d.YStartText = "abc";
  d.XFactorText = "0,4";
  d.YFactorText = "2.5";
  d.XAddressLabel = false;
  d.XAddress = "123";  // not stored: its box is not checked
  d.YAddressLabel = true;
  d.YAddress = "BEEF";
  d.Name = std::string(40, 'n');
  d.XLabel = std::string(30, 'x');
  const TDatensatz r = NewMapRecord(d, 9);
  EXPECT_EQ(r.get(fld::Anfangsadresse), "000100");
  EXPECT_EQ(r.get(fld::Kreuz), '4');
  EXPECT_EQ(r.get(fld::XAnfangswert), 12);
  EXPECT_EQ(r.get(fld::YAnfangswert), 0);
  EXPECT_EQ(r.get(fld::XFaktor), DecodeReal48(EncodeReal48(0.4)));
  EXPECT_EQ(r.get(fld::YFaktor), 2.5);
  EXPECT_EQ(r.get(fld::XAdresse), "");
  EXPECT_EQ(r.get(fld::YAdresse), "BEEF");
  EXPECT_EQ(r.get(fld::Kennfeldname), std::string(32, 'n'));
  EXPECT_EQ(r.get(fld::XBeschriftung), std::string(25, 'x'));
  EXPECT_EQ(r.get(fld::YBeschriftung), "Automatisch");
  EXPECT_EQ(r.get(fld::KennfeldTyp), "N");
  EXPECT_EQ(r.get(fld::Nummer), 9);
  EXPECT_EQ(r.get(fld::XDimension), 16);
  EXPECT_EQ(r.get(fld::Kennung), "A");
  // The new record starts from zero: the reserved bytes are 0.
  for (int i : {114, 115, 136, 138, 139, 140}) EXPECT_EQ(r.bytes[static_cast<std::size_t>(i)], 0) << i;
  const std::uint8_t one[] = {0x81, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(one, one + 6, r.bytes.begin() + fld::Faktor.offset));
}

TEST(SaveMapDefinition, FactorThatIsNoNumberKeepsTheRecordFactor) {
  const TDatensatz before = RichRecord();
  MapDefinition d = LoadMapDefinition(before);
  d.XFactorText = "abc";
  d.YFactorText = "";
  TDatensatz after = before;
  SaveMapDefinition(d, 1, after);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(after.bytes[static_cast<std::size_t>(fld::XFaktor.offset + i)],
              before.bytes[static_cast<std::size_t>(fld::XFaktor.offset + i)]);
    EXPECT_EQ(after.bytes[static_cast<std::size_t>(fld::YFaktor.offset + i)],
              before.bytes[static_cast<std::size_t>(fld::YFaktor.offset + i)]);
  }
}

TEST(SaveMapDefinition, BadDimensionOrFactorLeavesTheRecordUntouched) {
  const TDatensatz before = RichRecord();
  struct Row { const char* xdim; const char* ydim; const char* factor; const char* message; };
  const Row rows[] = {
      {"1x", "16", "1", "'1x' ist kein gültiger Integerwert"},
      {"16", "", "1", "'' ist kein gültiger Integerwert"},
      {"16", "1 6", "1", "'1 6' ist kein gültiger Integerwert"},
  };
  for (const Row& row : rows) {
    MapDefinition d = LoadMapDefinition(before);
    d.XDimText = row.xdim;
    d.YDimText = row.ydim;
    d.XFactorText = row.factor;
    TDatensatz after = before;
    try {
      SaveMapDefinition(d, 3, after);
      ADD_FAILURE() << "no error for " << row.xdim << "/" << row.ydim;
    } catch (const EConvertError& e) {
      EXPECT_STREQ(e.what(), row.message);
    }
    EXPECT_EQ(after, before);
  }
  MapDefinition d = LoadMapDefinition(before);
  d.XFactorText = "1e300";
  TDatensatz after = before;
  EXPECT_THROW(SaveMapDefinition(d, 3, after), EMathError);
  EXPECT_EQ(after, before);
}

TEST(SaveMapDefinition, DimensionsAsWholeNumbers) {
  MapDefinition d;
  d.XDimText = " 64";
  d.YDimText = "-3";
  const TDatensatz r = NewMapRecord(d, 1);
  EXPECT_EQ(r.get(fld::XDimension), 64);
  EXPECT_EQ(r.get(fld::YDimension), -3);
}

}  // namespace
}  // namespace orv
