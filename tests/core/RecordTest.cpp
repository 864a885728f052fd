// Record layout, the 6-byte real and the Windows-1252 texts of database files.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "project/Errors.h"
#include "project/Real48.h"
#include "project/Record.h"
#include "project/Text.h"

namespace orv {
namespace {

std::vector<std::uint8_t> Slice(const TDatensatz& r, int offset, int n) {
  return {r.bytes.begin() + offset, r.bytes.begin() + offset + n};
}

TDatensatz Filled(std::uint8_t b) {
  TDatensatz r;
  r.bytes.fill(b);
  return r;
}

// ---------------------------------------------------------------- layout

TEST(RecordLayout, ShortStringFieldsSitAtTheirOffsets) {
  struct Row { const char* name; ShortStringField f; int offset; int capacity; };
  const Row rows[] = {
      {"Kennfeldname", fld::Kennfeldname, 0, 32},   {"Anfangsadresse", fld::Anfangsadresse, 33, 6},
      {"XBeschriftung", fld::XBeschriftung, 48, 25}, {"YBeschriftung", fld::YBeschriftung, 74, 25},
      {"KennfeldTyp", fld::KennfeldTyp, 100, 3},    {"XAdresse", fld::XAdresse, 147, 6},
      {"YAdresse", fld::YAdresse, 154, 6},          {"Kennung", fld::Kennung, 161, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.f.offset, row.offset);
    EXPECT_EQ(row.f.capacity, row.capacity);
    TDatensatz r = Filled(0xEE);
    r.set(row.f, "AB");
    EXPECT_EQ(r.bytes[row.offset], 2);
    EXPECT_EQ(r.bytes[row.offset + 1], 'A');
    EXPECT_EQ(r.bytes[row.offset + 2], 'B');
    // Bytes behind the text are left as they were, and nothing outside the field changes.
    for (int i = 0; i < kRecordSize; ++i) {
      if (i < row.offset || i > row.offset + 2) {
        EXPECT_EQ(r.bytes[i], 0xEE) << "byte " << i;
      }
    }
    EXPECT_EQ(r.get(row.f), "AB");
  }
}

TEST(RecordLayout, ShortStringReadsOnlyTheTextAndAtMostTheCapacity) {
  TDatensatz r = Filled('Z');
  r.bytes[33] = 3;  // Anfangsadresse "ZZZ", bytes behind hold more Z
  EXPECT_EQ(r.get(fld::Anfangsadresse), "ZZZ");
  r.bytes[33] = 0;
  EXPECT_EQ(r.get(fld::Anfangsadresse), "");
  r.bytes[33] = 200;  // a length above the capacity reads the capacity
  EXPECT_EQ(r.get(fld::Anfangsadresse), "ZZZZZZ");
  r.bytes[0] = 255;
  EXPECT_EQ(r.get(fld::Kennfeldname).size(), 32u);
  r.bytes[161] = 9;
  EXPECT_EQ(r.get(fld::Kennung), "ZZ");
}

TEST(RecordLayout, WritingCutsToTheCapacityAndKeepsTheNeighbour) {
  TDatensatz r = Filled(0x11);
  r.set(fld::KennfeldTyp, "M16X");
  EXPECT_EQ(r.bytes[100], 3);
  EXPECT_EQ(r.get(fld::KennfeldTyp), "M16");
  EXPECT_EQ(r.bytes[104], 0x11);  // Nummer untouched
  r.set(fld::Kennfeldname, std::string(40, 'n'));
  EXPECT_EQ(r.bytes[0], 32);
  EXPECT_EQ(r.bytes[33], 0x11);  // Anfangsadresse's length byte untouched
  // A shorter text written over a longer one leaves the old tail in place.
  r.set(fld::Kennfeldname, "ab");
  EXPECT_EQ(r.get(fld::Kennfeldname), "ab");
  EXPECT_EQ(r.bytes[3], 'n');
}

TEST(RecordLayout, Int32FieldsAreLittleEndianAtTheirOffsets) {
  struct Row { const char* name; Int32Field f; int offset; };
  const Row rows[] = {{"XDimension", fld::XDimension, 40},   {"YDimension", fld::YDimension, 44},
                      {"Nummer", fld::Nummer, 104},          {"XAnfangswert", fld::XAnfangswert, 116},
                      {"YAnfangswert", fld::YAnfangswert, 120}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.f.offset, row.offset);
    TDatensatz r = Filled(0xEE);
    r.set(row.f, 0x12345678);
    EXPECT_EQ(Slice(r, row.offset, 4), (std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(r.bytes[row.offset - 1], 0xEE);
    EXPECT_EQ(r.bytes[row.offset + 4], 0xEE);
    r.set(row.f, -2);
    EXPECT_EQ(Slice(r, row.offset, 4), (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(r.get(row.f), -2);
  }
}

TEST(RecordLayout, RealBoolAndCharFieldsSitAtTheirOffsets) {
  EXPECT_EQ(fld::Faktor.offset, 108);
  EXPECT_EQ(fld::XFaktor.offset, 124);
  EXPECT_EQ(fld::YFaktor.offset, 130);
  EXPECT_EQ(fld::Kreuz.offset, 137);
  const BoolField flags[] = {fld::XRueckwaerts, fld::YRueckwaerts, fld::XAddition,
                             fld::YAddition,    fld::XMultiplikation, fld::YMultiplikation};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(flags[k].offset, 141 + k);
    TDatensatz r = Filled(0xEE);
    r.set(flags[k], true);
    EXPECT_EQ(r.bytes[141 + k], 1);
    EXPECT_TRUE(r.get(flags[k]));
    r.set(flags[k], false);
    EXPECT_EQ(r.bytes[141 + k], 0);
    EXPECT_FALSE(r.get(flags[k]));
  }
  for (RealField f : {fld::Faktor, fld::XFaktor, fld::YFaktor}) {
    TDatensatz r = Filled(0xEE);
    r.set(f, 1.0);
    EXPECT_EQ(Slice(r, f.offset, 6), (std::vector<std::uint8_t>{0x81, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r.bytes[f.offset + 6], 0xEE);
    EXPECT_DOUBLE_EQ(r.get(f), 1.0);
  }
  TDatensatz r = Filled(0xEE);
  r.set(fld::Kreuz, '3');
  EXPECT_EQ(r.bytes[137], '3');
  EXPECT_EQ(r.get(fld::Kreuz), '3');
}

TEST(RecordLayout, EveryFieldTogetherCoversAllButTheReservedBytes) {
  TDatensatz r = Filled(0xEE);
  // Longest texts, so that every character byte is written.
  r.set(fld::Kennfeldname, std::string(32, 'a'));
  r.set(fld::Anfangsadresse, std::string(6, 'b'));
  r.set(fld::XBeschriftung, std::string(25, 'c'));
  r.set(fld::YBeschriftung, std::string(25, 'd'));
  r.set(fld::KennfeldTyp, "I32");
  r.set(fld::XAdresse, std::string(6, 'e'));
  r.set(fld::YAdresse, std::string(6, 'f'));
  r.set(fld::Kennung, "AA");
  for (Int32Field f : {fld::XDimension, fld::YDimension, fld::Nummer, fld::XAnfangswert, fld::YAnfangswert})
    r.set(f, 0x01010101);
  for (RealField f : {fld::Faktor, fld::XFaktor, fld::YFaktor}) r.set(f, -0.4);  // no 0xEE byte
  for (BoolField f : {fld::XRueckwaerts, fld::YRueckwaerts, fld::XAddition, fld::YAddition, fld::XMultiplikation,
                      fld::YMultiplikation})
    r.set(f, true);
  r.set(fld::Kreuz, '1');
  std::set<int> untouched;
  for (int i = 0; i < kRecordSize; ++i)
    if (r.bytes[i] == 0xEE) untouched.insert(i);
  EXPECT_EQ(untouched, (std::set<int>{114, 115, 136, 138, 139, 140}));
}

// ---------------------------------------------------------------- 6-byte real

TEST(Real48, KnownEncodings) {
  struct Row { double value; Real48Bytes bytes; };
  const Row rows[] = {
      {1.0, {0x81, 0, 0, 0, 0, 0}},
      {0.4, {0x7F, 0xCD, 0xCC, 0xCC, 0xCC, 0x4C}},
      {-0.4, {0x7F, 0xCD, 0xCC, 0xCC, 0xCC, 0xCC}},
      {-1.0, {0x81, 0, 0, 0, 0, 0x80}},
      {2.0, {0x82, 0, 0, 0, 0, 0}},
      {0.5, {0x80, 0, 0, 0, 0, 0}},
      {30.0, {0x85, 0, 0, 0, 0, 0x70}},   // 1.875 * 2^4
      {1.5, {0x81, 0, 0, 0, 0, 0x40}},
      {0.0, {0, 0, 0, 0, 0, 0}},
      {-0.0, {0, 0, 0, 0, 0, 0}},
      {std::ldexp(1.0, -128), {0x01, 0, 0, 0, 0, 0}},  // smallest exponent
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(EncodeReal48(row.value), row.bytes);
    EXPECT_NEAR(DecodeReal48(row.bytes), row.value, std::fabs(row.value) * 1e-11);  // 39 fraction bits
  }
}

TEST(Real48, ExponentZeroIsZeroWhateverTheRest) {
  EXPECT_EQ(DecodeReal48({0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), 0.0);
  EXPECT_EQ(DecodeReal48({0, 1, 2, 3, 4, 0x80}), 0.0);
}

TEST(Real48, RoundsByTheFirstDroppedBit) {
  // 1 + 2^-40: the dropped bit is 1 and adds one unit.
  EXPECT_EQ(EncodeReal48(1.0 + std::ldexp(1.0, -40)), (Real48Bytes{0x81, 1, 0, 0, 0, 0}));
  // 1 + 2^-41: the first dropped bit is 0.
  EXPECT_EQ(EncodeReal48(1.0 + std::ldexp(1.0, -41)), (Real48Bytes{0x81, 0, 0, 0, 0, 0}));
  // 2 - 2^-40: all 39 kept bits are 1 and the dropped one too; the carry reaches the exponent.
  EXPECT_EQ(EncodeReal48(2.0 - std::ldexp(1.0, -40)), (Real48Bytes{0x82, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeReal48(-(2.0 - std::ldexp(1.0, -40))), (Real48Bytes{0x82, 0, 0, 0, 0, 0x80}));
  // 2 - 2^-39 fits exactly.
  EXPECT_EQ(EncodeReal48(2.0 - std::ldexp(1.0, -39)), (Real48Bytes{0x81, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(Real48, UnderflowGivesZeroBytes) {
  const Real48Bytes zero{};
  EXPECT_EQ(EncodeReal48(std::ldexp(1.0, -129)), zero);
  EXPECT_EQ(EncodeReal48(1e-50), zero);
  EXPECT_EQ(EncodeReal48(-1e-50), zero);
  EXPECT_EQ(EncodeReal48(std::ldexp(1.5, -140)), zero);
  EXPECT_EQ(EncodeReal48(5e-324), zero);  // denormal double
}

TEST(Real48, OverflowThrows) {
  EXPECT_THROW(EncodeReal48(std::ldexp(1.0, 127)), EMathError);
  EXPECT_THROW(EncodeReal48(-std::ldexp(1.0, 127)), EMathError);
  EXPECT_THROW(EncodeReal48(1e300), EMathError);
  EXPECT_THROW(EncodeReal48(INFINITY), EMathError);
  EXPECT_THROW(EncodeReal48(NAN), EMathError);
  // The largest value still fits; rounding it up one more carries past exponent 255.
  const double largest = std::ldexp(2.0 - std::ldexp(1.0, -39), 126);
  EXPECT_EQ(EncodeReal48(largest), (Real48Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}));
  EXPECT_THROW(EncodeReal48(std::ldexp(2.0 - std::ldexp(1.0, -40), 126)), EMathError);
  try {
    EncodeReal48(1e300);
  } catch (const EMathError& e) {
    EXPECT_STREQ(e.what(), "Gleitkommaüberlauf");
  }
}

TEST(Real48, RandomBytePatternsSurviveDecodeEncode) {
  std::mt19937 rng(20000);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int n = 0; n < 20000; ++n) {
    Real48Bytes b;
    for (auto& x : b) x = static_cast<std::uint8_t>(byte(rng));
    if (b[0] == 0) b[0] = 1;
    const double v = DecodeReal48(b);
    const Real48Bytes again = EncodeReal48(v);
    ASSERT_EQ(again, b) << "pattern " << n;
    ASSERT_EQ(DecodeReal48(again), v);
  }
}

// ---------------------------------------------------------------- Windows-1252

TEST(Cp1252, UmlautsAreOneByteEach) {
  const std::string cp = Utf8ToCp1252("Zündung");
  EXPECT_EQ(cp, "Z\xFCndung");
  EXPECT_EQ(Cp1252ToUtf8(cp), "Zündung");
  EXPECT_EQ(Utf8ToCp1252("ÄÖÜäöüß"), "\xC4\xD6\xDC\xE4\xF6\xFC\xDF");
  EXPECT_EQ(Utf8ToCp1252("€"), "\x80");
  EXPECT_EQ(Cp1252ToUtf8("\x80\x9F"), "€Ÿ");
}

TEST(Cp1252, EveryUsedByteSurvivesTheRoundTrip) {
  const std::set<int> unused = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
  for (int b = 0; b < 256; ++b) {
    if (unused.count(b)) continue;
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << "byte " << b;
  }
}

TEST(Cp1252, CharactersWithoutAByteBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("aΩb"), "a?b");
  EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80"), "?");  // an emoji
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");            // cut-off sequence
}

}  // namespace
}  // namespace orv
