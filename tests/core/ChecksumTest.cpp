#include "project/Checksums.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orv {
namespace {

using A = ChecksumAlgorithm;
using M = SumMode;
using Bytes = std::vector<std::uint8_t>;

// 12 34 56 78 9A: odd length.
const Bytes kFive = {0x12, 0x34, 0x56, 0x78, 0x9A};

struct Case {
  A Algorithm;
  M Mode;
  std::uint32_t Value;
  int Width;
  std::int64_t Elements;
  bool OddByteLeftOut;
};

void ExpectCases(const Bytes& image, const ChecksumRange& range, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(AlgorithmCaption(c.Algorithm)) + " / " + SumModeCaption(c.Mode));
    const ChecksumResult r = ComputeChecksum(image, c.Algorithm, c.Mode, range);
    EXPECT_EQ(r.Error, RangeError::None);
    EXPECT_TRUE(r.Loaded);
    EXPECT_EQ(r.Value, c.Value);
    EXPECT_EQ(r.Width, c.Width);
    EXPECT_EQ(r.Elements, c.Elements);
    EXPECT_EQ(r.OddByteLeftOut, c.OddByteLeftOut);
  }
}

TEST(Checksum, WholeOddImageEveryAlgorithmAndMode) {
  ExpectCases(kFive, ChecksumRange::All(),
              {
                  {A::Byte, M::Sum, 0x01AE, 16, 5, false},
                  {A::Byte, M::And, 0x10, 8, 5, false},
                  {A::Byte, M::Xor, 0x92, 8, 5, false},
                  {A::ByteEven, M::Sum, 0x0102, 16, 3, false},  // 12 56 9A
                  {A::ByteEven, M::And, 0x12, 8, 3, false},
                  {A::ByteEven, M::Xor, 0xDE, 8, 3, false},
                  {A::ByteOdd, M::Sum, 0x00AC, 16, 2, false},  // 34 78
                  {A::ByteOdd, M::And, 0x30, 8, 2, false},
                  {A::ByteOdd, M::Xor, 0x4C, 8, 2, false},
                  {A::WordHL, M::Sum, 0x68AC, 16, 2, true},  // 1234 5678, 9A left out
                  {A::WordHL, M::And, 0x1230, 16, 2, true},
                  {A::WordHL, M::Xor, 0x444C, 16, 2, true},
                  {A::WordEvenHL, M::Sum, 0x1234, 16, 1, true},  // word 2 would be half
                  {A::WordEvenHL, M::And, 0x1234, 16, 1, true},
                  {A::WordEvenHL, M::Xor, 0x1234, 16, 1, true},
                  {A::WordOddHL, M::Sum, 0x5678, 16, 1, false},  // half word is even
                  {A::WordOddHL, M::And, 0x5678, 16, 1, false},
                  {A::WordOddHL, M::Xor, 0x5678, 16, 1, false},
                  {A::WordLH, M::Sum, 0xAC68, 16, 2, true},  // 3412 7856
                  {A::WordLH, M::And, 0x3012, 16, 2, true},
                  {A::WordLH, M::Xor, 0x4C44, 16, 2, true},
                  {A::WordEvenLH, M::Sum, 0x3412, 16, 1, true},
                  {A::WordEvenLH, M::And, 0x3412, 16, 1, true},
                  {A::WordEvenLH, M::Xor, 0x3412, 16, 1, true},
                  {A::WordOddLH, M::Sum, 0x7856, 16, 1, false},
                  {A::WordOddLH, M::And, 0x7856, 16, 1, false},
                  {A::WordOddLH, M::Xor, 0x7856, 16, 1, false},
              });
}

TEST(Checksum, SumsWrapAtSixteenBits) {
  const Bytes ff(600, 0xFF);  // 600 * 255 = 153000 = 2 * 65536 + 21928
  EXPECT_EQ(ComputeChecksum(ff, A::Byte, M::Sum, ChecksumRange::All()).Value, 21928u);
  // 300 words of 0xFFFF: 300 * 65535 mod 65536 = 65536 - 300
  EXPECT_EQ(ComputeChecksum(ff, A::WordHL, M::Sum, ChecksumRange::All()).Value, 65236u);
  EXPECT_EQ(ComputeChecksum(ff, A::WordHL, M::And, ChecksumRange::All()).Value, 0xFFFFu);
  EXPECT_EQ(ComputeChecksum(ff, A::WordHL, M::Xor, ChecksumRange::All()).Value, 0u);  // even count
}

TEST(Checksum, EvenImageHasNoLeftOverByte) {
  const Bytes four = {0x01, 0x02, 0x03, 0x04};
  ExpectCases(four, ChecksumRange::All(),
              {
                  {A::WordHL, M::Sum, 0x0406, 16, 2, false},
                  {A::WordLH, M::Sum, 0x0604, 16, 2, false},
                  {A::WordEvenHL, M::Sum, 0x0102, 16, 1, false},
                  {A::WordOddLH, M::Xor, 0x0403, 16, 1, false},
                  {A::ByteOdd, M::Sum, 0x0006, 16, 2, false},
              });
}

TEST(Checksum, RangeInsideCountsWordsFromStartAndBytesByImageOffset) {
  // 1..3 = 34 56 78
  ExpectCases(kFive, ChecksumRange::Between(1, 3),
              {
                  {A::Byte, M::Sum, 0x0102, 16, 3, false},
                  {A::ByteEven, M::Sum, 0x0056, 16, 1, false},  // image offset 2
                  {A::ByteOdd, M::Sum, 0x00AC, 16, 2, false},   // offsets 1 and 3
                  {A::ByteOdd, M::Xor, 0x4C, 8, 2, false},
                  {A::WordHL, M::Sum, 0x3456, 16, 1, true},
                  {A::WordLH, M::Xor, 0x5634, 16, 1, true},
                  {A::WordEvenHL, M::Sum, 0x3456, 16, 1, false},
                  {A::WordOddHL, M::Sum, 0x0000, 16, 0, true},  // word 1 is only 78
                  {A::WordOddHL, M::And, 0xFFFF, 16, 0, true},
              });
}

TEST(Checksum, RangesAtBothEndsAreClipped) {
  ExpectCases(kFive, ChecksumRange::Between(0, 1),
              {{A::Byte, M::Sum, 0x0046, 16, 2, false}, {A::WordLH, M::Sum, 0x3412, 16, 1, false}});
  ExpectCases(kFive, ChecksumRange::Between(3, 1000),
              {
                  {A::Byte, M::Sum, 0x0112, 16, 2, false},
                  {A::WordHL, M::Sum, 0x789A, 16, 1, false},
                  {A::WordLH, M::Sum, 0x9A78, 16, 1, false},
                  {A::ByteEven, M::And, 0x9A, 8, 1, false},
              });
  ExpectCases(kFive, ChecksumRange::Between(4, 4),
              {{A::Byte, M::Xor, 0x9A, 8, 1, false}, {A::WordHL, M::Sum, 0, 16, 0, true}});
}

TEST(Checksum, EmptyRangeGivesNeutralValue) {
  // Starting behind the image leaves nothing.
  ExpectCases(kFive, ChecksumRange::Between(5, 9),
              {
                  {A::Byte, M::Sum, 0, 16, 0, false},
                  {A::Byte, M::And, 0xFF, 8, 0, false},
                  {A::Byte, M::Xor, 0, 8, 0, false},
                  {A::WordLH, M::And, 0xFFFF, 16, 0, false},
                  {A::WordEvenHL, M::Xor, 0, 16, 0, false},
              });
  // One odd-offset byte has no even byte.
  ExpectCases(kFive, ChecksumRange::Between(1, 1), {{A::ByteEven, M::And, 0xFF, 8, 0, false}});
}

TEST(Checksum, RangeErrorsAndMissingImage) {
  EXPECT_EQ(CheckRange(ChecksumRange::Between(4, 3)), RangeError::EndBeforeStart);
  EXPECT_EQ(CheckRange(ChecksumRange::Between(-1, 3)), RangeError::NegativeAddress);
  EXPECT_EQ(CheckRange(ChecksumRange::Between(3, 3)), RangeError::None);
  EXPECT_EQ(ComputeChecksum(kFive, A::Byte, M::Sum, ChecksumRange::Between(4, 3)).Error,
            RangeError::EndBeforeStart);
  const ChecksumResult none = ComputeChecksum({}, A::Byte, M::Sum, ChecksumRange::All());
  EXPECT_FALSE(none.Loaded);
  EXPECT_EQ(none.Error, RangeError::None);
}

TEST(Checksum, CaptionsAreTheDialogTexts) {
  EXPECT_STREQ(AlgorithmCaption(A::None), "Keine");
  EXPECT_STREQ(AlgorithmCaption(A::Byte), "8Bit Normal");
  EXPECT_STREQ(AlgorithmCaption(A::WordEvenHL), "16 Bit  gerade H/L");
  EXPECT_STREQ(AlgorithmCaption(A::WordEvenLH), "16 Bit  gerade L/H");
  EXPECT_STREQ(AlgorithmCaption(A::WordOddLH), "16 Bit ungerade L/H");
  EXPECT_STREQ(SumModeCaption(M::Sum), "Mathematisch UND");
  EXPECT_STREQ(SumModeCaption(M::And), "Boolsches AND");
  EXPECT_STREQ(SumModeCaption(M::Xor), "Boolsche XOR");
}

// Reference: element offsets found by testing every offset of the range.
std::vector<std::int64_t> ReferenceElements(A a, std::int64_t f, std::int64_t l) {
  std::vector<std::int64_t> out;
  for (std::int64_t o = f; o <= l; ++o) {
    const std::int64_t rel = o - f;
    switch (a) {
      case A::None: break;
      case A::Byte: out.push_back(o); break;
      case A::ByteEven: if (o % 2 == 0) out.push_back(o); break;
      case A::ByteOdd: if (o % 2 == 1) out.push_back(o); break;
      case A::WordHL: case A::WordLH:
        if (rel % 2 == 0 && o + 1 <= l) out.push_back(o);
        break;
      case A::WordEvenHL: case A::WordEvenLH:
        if (rel % 2 == 0 && (rel / 2) % 2 == 0 && o + 1 <= l) out.push_back(o);
        break;
      case A::WordOddHL: case A::WordOddLH:
        if (rel % 2 == 0 && (rel / 2) % 2 == 1 && o + 1 <= l) out.push_back(o);
        break;
    }
  }
  return out;
}

std::uint32_t ReferenceChecksum(const Bytes& img, A a, M m, std::int64_t f, std::int64_t l) {
  const int size = ElementSize(a);
  const bool hl = a == A::WordHL || a == A::WordEvenHL || a == A::WordOddHL;
  std::uint32_t acc = m == M::And ? (size == 1 ? 0xFFu : 0xFFFFu) : 0u;
  for (std::int64_t o : ReferenceElements(a, f, l)) {
    std::uint32_t e = img[o];
    if (size == 2) e = hl ? (img[o] << 8 | img[o + 1]) : (img[o + 1] << 8 | img[o]);
    if (m == M::Sum) acc = (acc + e) % 65536;
    if (m == M::And) acc &= e;
    if (m == M::Xor) acc ^= e;
  }
  return acc;
}

const A kAlgorithms[] = {A::Byte,   A::ByteEven,   A::ByteOdd,   A::WordHL,    A::WordEvenHL,
                         A::WordOddHL, A::WordLH, A::WordEvenLH, A::WordOddLH};

Bytes Pattern(std::size_t n, std::uint32_t seed, int lo = 0, int hi = 255) {
  Bytes b(n);
  for (auto& x : b) {
    seed = seed * 1103515245u + 12345u;
    x = static_cast<std::uint8_t>(lo + (seed >> 16) % static_cast<std::uint32_t>(hi - lo + 1));
  }
  return b;
}

TEST(Checksum, AgreesWithReferenceOnManyRanges) {
  const Bytes img = Pattern(37, 7);
  for (A a : kAlgorithms)
    for (M m : {M::Sum, M::And, M::Xor})
      for (std::int64_t s = 0; s < 37; s += 3)
        for (std::int64_t e = s; e < 45; e += 5) {
          const ChecksumResult r = ComputeChecksum(img, a, m, ChecksumRange::Between(s, e));
          const std::int64_t l = std::min<std::int64_t>(e, 36);
          ASSERT_EQ(r.Value, ReferenceChecksum(img, a, m, s, l))
              << AlgorithmCaption(a) << " " << SumModeCaption(m) << " " << s << ".." << e;
          ASSERT_EQ(r.Elements, static_cast<std::int64_t>(ReferenceElements(a, s, l).size()));
        }
}

TEST(ChecksumText, Formatting) {
  EXPECT_EQ(FormatChecksum(0x1A2B, 16), "0x1A2B (6699)");
  EXPECT_EQ(FormatChecksum(0, 16), "0x0000 (0)");
  EXPECT_EQ(FormatChecksum(0xFFFF, 16), "0xFFFF (65535)");
  EXPECT_EQ(FormatChecksum(0x0A, 8), "0x0A (10)");
  EXPECT_EQ(FormatChecksum(0xFF, 8), "0xFF (255)");
}

TEST(ChecksumText, DifferenceWrapsAtResultWidth) {
  EXPECT_EQ(ChecksumDifference(0x0010, 0x0015, 16), 0x0005u);
  EXPECT_EQ(ChecksumDifference(0x0015, 0x0010, 16), 0xFFFBu);
  EXPECT_EQ(ChecksumDifference(0xF0, 0x10, 8), 0x20u);
  EXPECT_EQ(ChecksumDifference(0x10, 0xF0, 8), 0xE0u);
}

TEST(ChecksumText, DifferentBytesCountedInsideBothImages) {
  const Bytes org = {1, 2, 3, 4, 5};
  const Bytes tun = {1, 9, 3, 8, 5, 6, 7};  // 5 and 6 lie behind the original
  EXPECT_EQ(CountDifferentBytes(org, tun, ChecksumRange::All()), 2);
  EXPECT_EQ(CountDifferentBytes(org, tun, ChecksumRange::Between(2, 100)), 1);
  EXPECT_EQ(CountDifferentBytes(org, tun, ChecksumRange::Between(2, 2)), 0);
  EXPECT_EQ(CountDifferentBytes(org, tun, ChecksumRange::Between(5, 6)), 0);
  EXPECT_EQ(CountDifferentBytes(org, {}, ChecksumRange::All()), 0);
}

TEST(ChecksumText, ReportWithBothImages) {
  const Bytes tun = {0x12, 0x35, 0x56, 0x70, 0x9A};  // +1 at 1, -8 at 3
  const ChecksumReport r = MakeChecksumReport(kFive, tun, A::Byte, M::Sum, ChecksumRange::All());
  EXPECT_EQ(r.Error, RangeError::None);
  EXPECT_EQ(r.OriginalText, "0x01AE (430)");
  EXPECT_EQ(r.TuningText, "0x01A7 (423)");
  EXPECT_EQ(r.DifferenzText, "0xFFF9 (65529)");
  EXPECT_EQ(r.ByteText, "2");
  EXPECT_FALSE(r.OddByteLeftOut);

  const ChecksumReport x = MakeChecksumReport(kFive, tun, A::ByteOdd, M::Xor, ChecksumRange::All());
  EXPECT_EQ(x.OriginalText, "0x4C (76)");
  EXPECT_EQ(x.TuningText, "0x45 (69)");  // 35 ^ 70
  EXPECT_EQ(x.DifferenzText, "0xF9 (249)");

  EXPECT_TRUE(MakeChecksumReport(kFive, tun, A::WordHL, M::Sum, ChecksumRange::All()).OddByteLeftOut);
}

TEST(ChecksumText, ReportWithMissingImageOrErrors) {
  const ChecksumReport r = MakeChecksumReport(kFive, {}, A::Byte, M::Sum, ChecksumRange::All());
  EXPECT_EQ(r.OriginalText, "0x01AE (430)");
  EXPECT_EQ(r.TuningText, "nicht geladen");
  EXPECT_EQ(r.DifferenzText, "");
  EXPECT_EQ(r.ByteText, "");
  const ChecksumReport o = MakeChecksumReport({}, kFive, A::Byte, M::Sum, ChecksumRange::All());
  EXPECT_EQ(o.OriginalText, "nicht geladen");

  const ChecksumReport bad =
      MakeChecksumReport(kFive, kFive, A::Byte, M::Sum, ChecksumRange::Between(3, 2));
  EXPECT_EQ(bad.Error, RangeError::EndBeforeStart);
  EXPECT_EQ(bad.OriginalText, "");

  const ChecksumReport none = MakeChecksumReport(kFive, kFive, A::None, M::Sum, ChecksumRange::All());
  EXPECT_EQ(none.OriginalText, "");
  EXPECT_EQ(none.DifferenzText, "");
  EXPECT_EQ(none.ByteText, "0");
}

// ---------------------------------------------------------------- correction

TEST(ChecksumCorrection, EveryCorrectableCombinationReachesTheOriginal) {
  const Bytes org = Pattern(64, 99, 16, 239);
  const ChecksumRange ranges[] = {ChecksumRange::All(), ChecksumRange::Between(3, 40),
                                  ChecksumRange::Between(1, 62), ChecksumRange::Between(10, 1000)};
  int corrected = 0;
  for (A a : kAlgorithms)
    for (M m : {M::Sum, M::Xor})
      for (const ChecksumRange& range : ranges) {
        SCOPED_TRACE(std::string(AlgorithmCaption(a)) + " / " + SumModeCaption(m) + " from " +
                     std::to_string(range.Start));
        Bytes tun = org;
        // Small edits, so that one byte can still balance a byte sum.
        tun[12] = static_cast<std::uint8_t>(tun[12] + 5);
        tun[13] = static_cast<std::uint8_t>(tun[13] - 2);
        tun[22] = static_cast<std::uint8_t>(tun[22] + 4);
        tun[35] = static_cast<std::uint8_t>(tun[35] + 3);
        const std::uint32_t target = ComputeChecksum(org, a, m, range).Value;
        const ClippedRange c = ClipRange(range, 64);
        const std::vector<std::int64_t> elements = ReferenceElements(a, c.First, c.Last);
        ASSERT_GE(elements.size(), 3u);
        for (std::int64_t address : {elements.front(), elements[elements.size() / 2], elements.back()}) {
          Bytes work = tun;
          const CorrectionResult res = CorrectChecksum(target, work, a, m, range, address);
          ASSERT_TRUE(res.Ok()) << "address " << address << " error " << static_cast<int>(res.Error);
          EXPECT_EQ(ComputeChecksum(work, a, m, range).Value, target);
          EXPECT_EQ(res.Change.Offset, address);
          EXPECT_EQ(res.Change.Count, ElementSize(a));
          for (int i = 0; i < res.Change.Count; ++i) {
            EXPECT_EQ(res.Change.OldBytes[i], tun[address + i]);
            EXPECT_EQ(res.Change.NewBytes[i], work[address + i]);
          }
          // Nothing else changed, and undo brings the tuning image back.
          for (std::int64_t i = 0; i < static_cast<std::int64_t>(work.size()); ++i) {
            if (i < address || i >= address + res.Change.Count) {
              ASSERT_EQ(work[i], tun[i]);
            }
          }
          UndoCorrection(work, res.Change);
          EXPECT_EQ(work, tun);
          ++corrected;
        }
      }
  EXPECT_EQ(corrected, 9 * 2 * 4 * 3);
}

TEST(ChecksumCorrection, WritesInTheAlgorithmsByteOrder) {
  struct Row {
    A Algorithm;
    M Mode;
    std::uint32_t Target;
    Bytes Expected;
  };
  const Row rows[] = {
      {A::WordHL, M::Sum, 0x1234, {0x12, 0x34, 0, 0}},
      {A::WordLH, M::Sum, 0x1234, {0x34, 0x12, 0, 0}},
      {A::WordHL, M::Xor, 0xBEEF, {0xBE, 0xEF, 0, 0}},
      {A::WordLH, M::Xor, 0xBEEF, {0xEF, 0xBE, 0, 0}},
      {A::Byte, M::Sum, 0x00C3, {0xC3, 0, 0, 0}},
      {A::Byte, M::Xor, 0x5A, {0x5A, 0, 0, 0}},
  };
  for (const Row& row : rows) {
    Bytes img(4, 0);
    const CorrectionResult r = CorrectChecksum(row.Target, img, row.Algorithm, row.Mode, ChecksumRange::All(), 0);
    ASSERT_TRUE(r.Ok()) << AlgorithmCaption(row.Algorithm);
    EXPECT_EQ(img, row.Expected) << AlgorithmCaption(row.Algorithm) << " " << SumModeCaption(row.Mode);
  }
}

TEST(ChecksumCorrection, RefusesWhatCannotBeCorrected) {
  struct Row {
    const char* What;
    std::uint32_t Target;
    Bytes Image;
    A Algorithm;
    M Mode;
    ChecksumRange Range;
    std::int64_t Address;
    CorrectionError Expected;
  };
  const Bytes img = Pattern(16, 3, 16, 200);
  const Row rows[] = {
      {"and", 0, img, A::Byte, M::And, ChecksumRange::All(), 0, CorrectionError::NotCorrectable},
      {"none", 0, img, A::None, M::Sum, ChecksumRange::All(), 0, CorrectionError::NotCorrectable},
      {"reversed", 0, img, A::Byte, M::Sum, ChecksumRange::Between(5, 4), 5, CorrectionError::RangeInvalid},
      {"negative", 0, img, A::Byte, M::Sum, ChecksumRange::Between(-2, 4), 0, CorrectionError::RangeInvalid},
      {"no image", 0, {}, A::Byte, M::Sum, ChecksumRange::All(), 0, CorrectionError::ImageNotLoaded},
      {"before range", 0, img, A::Byte, M::Sum, ChecksumRange::Between(4, 9), 3, CorrectionError::AddressOutside},
      {"after range", 0, img, A::Byte, M::Sum, ChecksumRange::Between(4, 9), 10, CorrectionError::AddressOutside},
      {"behind image", 0, img, A::Byte, M::Sum, ChecksumRange::All(), 16, CorrectionError::AddressOutside},
      {"range behind image", 0, img, A::Byte, M::Sum, ChecksumRange::Between(20, 30), 20, CorrectionError::AddressOutside},
      {"odd for even", 0, img, A::ByteEven, M::Xor, ChecksumRange::All(), 5, CorrectionError::AddressNotElement},
      {"even for odd", 0, img, A::ByteOdd, M::Xor, ChecksumRange::All(), 4, CorrectionError::AddressNotElement},
      {"mid word", 0, img, A::WordHL, M::Sum, ChecksumRange::Between(3, 12), 4, CorrectionError::AddressNotElement},
      {"odd word for even set", 0, img, A::WordEvenLH, M::Sum, ChecksumRange::Between(3, 12), 5, CorrectionError::AddressNotElement},
      {"even word for odd set", 0, img, A::WordOddHL, M::Sum, ChecksumRange::Between(3, 12), 3, CorrectionError::AddressNotElement},
      {"half word at end", 0, img, A::WordHL, M::Sum, ChecksumRange::Between(3, 11), 11, CorrectionError::AddressNotElement},
      {"half word at end of set", 0, img, A::WordEvenHL, M::Sum, ChecksumRange::Between(0, 8), 8, CorrectionError::AddressNotElement},
      {"byte sum out of reach", 0x0000, img, A::Byte, M::Sum, ChecksumRange::All(), 0, CorrectionError::TargetNotReachable},
      {"byte xor too wide", 0x100, img, A::Byte, M::Xor, ChecksumRange::All(), 0, CorrectionError::TargetNotReachable},
      {"word target too wide", 0x10000, img, A::WordHL, M::Sum, ChecksumRange::All(), 0, CorrectionError::TargetNotReachable},
  };
  for (const Row& row : rows) {
    Bytes work = row.Image;
    const CorrectionResult r = CorrectChecksum(row.Target, work, row.Algorithm, row.Mode, row.Range, row.Address);
    EXPECT_EQ(r.Error, row.Expected) << row.What;
    EXPECT_EQ(work, row.Image) << row.What << ": nothing may be written";
  }
}

}  // namespace
}  // namespace orv
