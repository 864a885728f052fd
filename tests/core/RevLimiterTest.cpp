// The rev limiter conversions: stored value <-> revolutions per minute, the
// limiter offset, the entered text and the definition dialog's parsing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "maps/CellFormat.h"
#include "maps/RevLimiter.h"
#include "project/Errors.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

TDatensatz Record0(const std::string& addr, const std::string& typ, double faktor) {
  TDatensatz r;
  r.set(fld::Kennfeldname, "Drehzahlbegrenzer");
  r.set(fld::Anfangsadresse, addr);
  r.set(fld::XBeschriftung, "N8");
  r.set(fld::KennfeldTyp, typ);
  r.set(fld::Faktor, faktor);
  return r;
}

TEST(RevLimiter, OffsetScaledBySystemCode) {
  struct Case { const char* code; const char* addr; std::int64_t offset; };
  const Case cases[] = {
      {"N8", "100", 0x100}, {"N16", "100", 0x200}, {"N32", "100", 0x400},
      {"XY", "100", 0x100}, {"N16", "7FF0", 0xFFE0}, {"N8", "1f", 0x1F},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RevLimiterFromRecord(Record0(c.addr, "N", 1.0), c.code).offset, c.offset) << c.code << " " << c.addr;
  }
  const RevLimiter l = RevLimiterFromRecord(Record0("0", "I16", 30.0), "N8");
  EXPECT_EQ(l.type, CellType::I16);
  EXPECT_DOUBLE_EQ(l.faktor, 30.0);
  EXPECT_EQ(RevLimiterFromRecord(Record0("0", "K", 1.0), "N8").type, CellType::None);
  // The value is signed only where the record's cell format marks say so.
  TDatensatz marked = Record0("0", "I16", 30.0);
  EXPECT_FALSE(RevLimiterFromRecord(marked, "N8").isSigned);
  WriteCellFormatMarks(marked, {true, {}, {}});
  EXPECT_TRUE(RevLimiterFromRecord(marked, "N8").isSigned);
}

TEST(RevLimiter, ShowTruncatesTowardZero) {
  struct Case { CellType type; Bytes bytes; double faktor; const char* shown; bool isSigned = false; };
  const Case cases[] = {
      {CellType::N, {0xC8}, 30.0, "6000"},
      {CellType::M16, {0x1F, 0x40}, 1.0, "8000"},
      {CellType::I16, {0x40, 0x1F}, 1.0, "8000"},
      {CellType::M16, {0x2E, 0xE1}, 0.5, "6000"},          // 12001 x 0.5 = 6000.5
      {CellType::M32, {0x12, 0x34, 0x56, 0x78}, 1.0, "1450709556"},  // 0x56781234
      {CellType::I32, {0xFF, 0xFF, 0xFF, 0xFF}, 10.0, "-10"},         // signed 32-bit
      {CellType::N, {0x03}, -2.5, "-7"},                  // -7.5 truncates toward zero
      {CellType::N, {0xFF}, 30.0, "-30", true},
      {CellType::N, {0x80}, 1.0, "-128", true},
      {CellType::M16, {0x80, 0x00}, 1.0, "-32768", true},
      {CellType::I16, {0x9C, 0xFF}, 2.5, "-250", true},    // -100
      {CellType::I16, {0x9C, 0xFF}, 2.5, "163590", false}, // 65436 unsigned
  };
  for (const Case& c : cases) {
    const RevLimiter l{0, c.type, c.faktor, c.isSigned};
    const auto text = LimitText(l, c.bytes);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, c.shown);
  }
}

TEST(RevLimiter, ShowKeinerUnknownAndOutside) {
  const Bytes img{1, 2, 3, 4};
  EXPECT_EQ(LimitText({0, CellType::None, 0.0}, img), std::optional<std::string>("Keiner"));
  EXPECT_FALSE(LimitText({0, CellType::Unknown, 1.0}, img).has_value());
  EXPECT_FALSE(LimitText({3, CellType::M16, 1.0}, img).has_value());  // second byte beyond the end
  EXPECT_FALSE(LimitText({-1, CellType::N, 1.0}, img).has_value());
  EXPECT_FALSE(LimitText({0, CellType::N, 1.0}, {}).has_value());     // no image
  EXPECT_THROW(ShownLimit(1e300, 2), EMathError);
}

TEST(RevLimiter, RawFromEntry) {
  struct Case { std::int32_t entry; double faktor; std::int32_t raw; };
  const Case cases[] = {
      {6100, 30.0, 203}, {6029, 30.0, 200}, {9000, 30.0, 300}, {-50, 30.0, -1},
      {-59, 30.0, -1},   {7000, 1.0, 7000}, {6000, 0.5, 12000}, {1, 3.0, 0},
      {2147483647, 1.0, 2147483647},
  };
  for (const Case& c : cases) EXPECT_EQ(RawFromEntry(c.entry, c.faktor), c.raw) << c.entry << " / " << c.faktor;
}

TEST(RevLimiter, FloatingPointErrors) {
  struct Case { std::int32_t entry; double faktor; const char* text; };
  const Case cases[] = {
      {6000, 0.0, "Gleitkommadivision durch Null"},
      {-1, 0.0, "Gleitkommadivision durch Null"},
      {0, 0.0, "Ungültige Gleitkommaoperation"},
      {2000000000, 0.5, "Ungültige Gleitkommaoperation"},   // 4e9: beyond 32 bits
      {-2000000000, 0.25, "Ungültige Gleitkommaoperation"},
  };
  for (const Case& c : cases) {
    try {
      RawFromEntry(c.entry, c.faktor);
      ADD_FAILURE() << c.entry << " / " << c.faktor << " did not fail";
    } catch (const EMathError& e) {
      EXPECT_STREQ(e.what(), c.text);
    }
  }
}

TEST(RevLimiter, StoreClampsByTypeAndByteOrder) {
  struct Case { CellType type; double faktor; const char* entry; Bytes stored; bool isSigned = false; };
  const Case cases[] = {
      {CellType::N, 30.0, "6100", {0xCB, 0xEE, 0xEE, 0xEE}},
      {CellType::N, 30.0, "9000", {0xFF, 0xEE, 0xEE, 0xEE}},
      {CellType::N, 30.0, "-50", {0x00, 0xEE, 0xEE, 0xEE}},
      {CellType::N, 30.0, "6029", {0xC8, 0xEE, 0xEE, 0xEE}},
      {CellType::M16, 1.0, "7000", {0x1B, 0x58, 0xEE, 0xEE}},
      {CellType::I16, 1.0, "7000", {0x58, 0x1B, 0xEE, 0xEE}},
      {CellType::M16, 1.0, "70000", {0xFF, 0xFF, 0xEE, 0xEE}},
      {CellType::I16, 1.0, "-1", {0x00, 0x00, 0xEE, 0xEE}},
      {CellType::M32, 1.0, "$56781234", {0x12, 0x34, 0x56, 0x78}},
      {CellType::I32, 1.0, "$56781234", {0x34, 0x12, 0x78, 0x56}},
      {CellType::I32, 1.0, "-5", {0x00, 0x00, 0x00, 0x00}},
      {CellType::N, 1.0, "61x5", {61, 0xEE, 0xEE, 0xEE}},
      {CellType::N, 1.0, "  +42", {42, 0xEE, 0xEE, 0xEE}},
      {CellType::N, 1.0, "$1F", {0x1F, 0xEE, 0xEE, 0xEE}},
      {CellType::N, 1.0, "", {0x00, 0xEE, 0xEE, 0xEE}},
      {CellType::N, 1.0, "abc", {0x00, 0xEE, 0xEE, 0xEE}},
      // Signed values clamp at the signed limits of their width.
      {CellType::N, 30.0, "-50", {0xFF, 0xEE, 0xEE, 0xEE}, true},
      {CellType::N, 1.0, "-200", {0x80, 0xEE, 0xEE, 0xEE}, true},
      {CellType::N, 1.0, "200", {0x7F, 0xEE, 0xEE, 0xEE}, true},
      {CellType::M16, 1.0, "-40000", {0x80, 0x00, 0xEE, 0xEE}, true},
      {CellType::I16, 1.0, "-2", {0xFE, 0xFF, 0xEE, 0xEE}, true},
      {CellType::I32, 1.0, "-5", {0xFB, 0xFF, 0xFF, 0xFF}, true},
  };
  for (const Case& c : cases) {
    Bytes img(4, 0xEE);
    EXPECT_TRUE(StoreLimit(img, {0, c.type, c.faktor, c.isSigned}, c.entry));
    EXPECT_EQ(img, c.stored) << c.entry;
  }
}

TEST(RevLimiter, StoreThenShowRoundTrips) {
  for (const CellType t : {CellType::M16, CellType::I16, CellType::M32, CellType::I32}) {
    Bytes img(8, 0);
    const RevLimiter l{2, t, 1.0};
    ASSERT_TRUE(StoreLimit(img, l, "7000"));
    EXPECT_EQ(LimitText(l, img), std::optional<std::string>("7000"));
  }
}

TEST(RevLimiter, StoreNothing) {
  Bytes img(4, 0xEE);
  const Bytes before = img;
  EXPECT_FALSE(StoreLimit(img, {0, CellType::None, 1.0}, "6000"));
  EXPECT_FALSE(StoreLimit(img, {0, CellType::Unknown, 1.0}, "6000"));
  EXPECT_FALSE(StoreLimit(img, {3, CellType::M16, 1.0}, "6000"));
  EXPECT_THROW(StoreLimit(img, {0, CellType::N, 0.0}, "6000"), EMathError);
  EXPECT_EQ(img, before);
}

TEST(RevLimiterDefinition, TypeTable) {
  const char* codes[] = {"K", "N", "M16", "I16", "M32", "I32"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(LimiterTypeIndex(codes[i]), i);
  EXPECT_EQ(LimiterTypeIndex("i16"), -1);
  EXPECT_EQ(LimiterTypeIndex(""), -1);
  EXPECT_STREQ(kLimiterTypes[3].text, "16 Bit Intel");
}

TEST(RevLimiterDefinition, FactorText) {
  struct Case { const char* text; double v; };
  const Case good[] = {{"1", 1.0}, {"30", 30.0}, {"0,5", 0.5}, {"0.5", 0.5}, {" 2,25 ", 2.25}, {"1E3", 1000.0}, {"+4", 4.0}};
  for (const Case& c : good) {
    const auto v = ParseFactorText(c.text);
    ASSERT_TRUE(v.has_value()) << c.text;
    EXPECT_DOUBLE_EQ(*v, c.v);
  }
  for (const char* bad : {"", " ", "0", "-1", "abc", "1,5,0", "1.5x", "inf", "nan", "0x10", "1e39", "1e-40", "1 000"})
    EXPECT_FALSE(ParseFactorText(bad).has_value()) << bad;
}

TEST(RevLimiterDefinition, HexAddressText) {
  for (const char* good : {"0", "1f", "00FFE0", " 7FF0 ", "abcdef"}) EXPECT_TRUE(IsHexAddressText(good)) << good;
  for (const char* bad : {"", " ", "1G", "$100", "0x10", "1234567", "-1", "12 34"})
    EXPECT_FALSE(IsHexAddressText(bad)) << bad;
}

}  // namespace
}  // namespace orv
