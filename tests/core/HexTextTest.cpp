// Hexadecimal address text and the lenient whole-number reading of the forms.
#include <gtest/gtest.h>

#include <string>

#include "project/HexText.h"

namespace orv {
namespace {

TEST(ParseHex, Examples) {
  struct Row { const char* text; std::int32_t value; };
  const Row rows[] = {
      {"1A", 26},          {"1a", 26},          {"1 A", 266},         {"", 0},
      {"FFFFFFFF", -1},    {"0x10", 16},        {"7FFFFFFF", INT32_MAX}, {"80000000", INT32_MIN},
      {"0", 0},            {"0001F0", 0x1F0},   {"1f0", 0x1F0},       {"G", 0},
      {"g1", 1},           {"1g", 16},          {"  ", 0},            {"abcdef", 0xABCDEF},
      {"7FF0", 0x7FF0},    {"$1000", 0x1000},   {"-1", 1},
  };
  for (const Row& row : rows) EXPECT_EQ(ParseHex(row.text), row.value) << '"' << row.text << '"';
}

TEST(ParseHex, OnlyTheLastEightCharactersCount) {
  EXPECT_EQ(ParseHex("123456789"), ParseHex("23456789"));
  EXPECT_EQ(ParseHex("123456789"), 0x23456789);
  EXPECT_EQ(ParseHex("FFFFFFFF00000001"), 1);
  EXPECT_EQ(ParseHex("xxxxxxxxxxxxxxxxxxxx10"), 16);
}

TEST(FormatHex, UpperCaseWithAtLeastTheDigits) {
  EXPECT_EQ(FormatHex(ParseHex("1f0")), "0001F0");
  EXPECT_EQ(FormatHex(0), "000000");
  EXPECT_EQ(FormatHex(0xABCDEF), "ABCDEF");
  EXPECT_EQ(FormatHex(0x1234567), "1234567");
  EXPECT_EQ(FormatHex(-1), "FFFFFFFF");
  EXPECT_EQ(FormatHex(0x1A, 2), "1A");
  EXPECT_EQ(FormatHex(0x1A, 4), "001A");
}

TEST(ParseLeadingInt, ReadsUpToTheFirstUnsuitableCharacter) {
  struct Row { const char* text; std::int32_t value; };
  const Row rows[] = {
      {"61x5", 61},   {"  -50", -50},  {"$1F", 31},        {"", 0},           {"abc", 0},
      {"+7", 7},      {"-", 0},        {"  ", 0},          {"16", 16},        {"0x10", 16},
      {"$ff", 255},   {"-$10", -16},   {"12 34", 12},      {"256abc", 256},   {"$", 0},
      {"99999999999", INT32_MAX},      {"-99999999999", INT32_MIN},           {"$FFFFFFFF", -1},
  };
  for (const Row& row : rows) EXPECT_EQ(ParseLeadingInt(row.text), row.value) << '"' << row.text << '"';
}

TEST(TryParseInt, AcceptsOnlyWholeDecimalNumbers) {
  struct Row { const char* text; bool ok; std::int32_t value; };
  const Row rows[] = {
      {"12", true, 12},       {" 12 ", true, 12},  {"-7", true, -7},     {"+7", true, 7},
      {"-2147483648", true, INT32_MIN},            {"2147483647", true, INT32_MAX},
      {"2147483648", false, 0},                    {"12a", false, 0},    {"", false, 0},
      {"  ", false, 0},       {"-", false, 0},     {"1 2", false, 0},    {"$10", false, 0},
  };
  for (const Row& row : rows) {
    std::int32_t v = 12345;
    EXPECT_EQ(TryParseInt(row.text, v), row.ok) << '"' << row.text << '"';
    if (row.ok) {
      EXPECT_EQ(v, row.value) << '"' << row.text << '"';
    }
  }
}

}  // namespace
}  // namespace orv
