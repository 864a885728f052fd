#pragma once
// Synthetic controller images for the map finder, built the way real EPROM and
// flash images of four controller families store their maps:
//  - Motronic8: 8-bit controller, 32/64 KiB; a calibration area of curves and
//    maps back to back, each with an input byte, a count and a delta-coded axis
//    per dimension in front of its values.
//  - C167 (little-endian) and M68k (big-endian): 16-bit controllers; maps and
//    curves with an inline header (dimensions, axes, data; 8- or 16-bit axis and
//    data cells independently), and maps without header whose axes lie elsewhere.
//  - PowerPC: headerless 16-bit big-endian tables, many stored column by column.
// Everywhere: program code of the family, texts, 0xFF fill, constant tables, lone
// axis arrays, monotonic lookup tables, identical copies of a map, maps with
// equal rows, mostly-zero maps and signed values. Deterministic for a seed (own
// generator, no std:: distributions whose results differ between libraries).
#include <cstdint>
#include <vector>

#include "maps/CellCodec.h"
#include "maps/MapFinder.h"

namespace orv::testsupport {

enum class ImageFamily { Motronic8, C167, M68k, PowerPC };
inline constexpr ImageFamily kAllFamilies[] = {ImageFamily::Motronic8, ImageFamily::C167, ImageFamily::M68k,
                                               ImageFamily::PowerPC};
const char* FamilyName(ImageFamily f);

// How a planted table is stored: 1 = 8-bit header with delta-coded axes,
// 2 = 16-bit inline header, 3 = no header.
inline constexpr int kLayoutKinds = 3;

struct PlantedMap {
  std::int64_t offset = 0;  // first value cell
  CellType type = CellType::N;
  int columns = 0;  // cells stored contiguously
  int rows = 0;     // 1 for a curve
  int layout = 3;
  bool isSigned = false;
  std::int64_t headerFrom = 0;   // first byte of its header and axes (offset when it has none)
  std::int64_t xAxis = -1;       // axis of the columns (-1: none in the image)
  std::int64_t yAxis = -1;       // axis of the rows
  bool counted = true;           // false: smaller than a map the finder lists (4 cells a side)
  std::int64_t ByteSize() const { return std::int64_t{columns} * rows * CellWidth(type); }
};

struct GeneratedImage {
  ImageFamily family = ImageFamily::Motronic8;
  std::vector<std::uint8_t> bytes;
  std::vector<PlantedMap> maps;  // sorted by offset
};

struct GeneratorOptions {
  ImageFamily family = ImageFamily::Motronic8;
  std::size_t size = 0;  // 0: the family's usual size (64 KiB, 512 KiB, 512 KiB, 1 MiB)
  int mapCount = 0;      // tables to plant; 0: the family's usual count for the size
};

// Small deterministic PRNG (splitmix64).
class Rng {
 public:
  // The seed is hashed first, so that neighbouring seeds give unrelated sequences.
  explicit Rng(std::uint64_t seed);
  std::uint64_t Next();
  // Uniform in [lo, hi] (inclusive).
  int Int(int lo, int hi);
  // Uniform in [0, 1).
  double Real();
  bool Chance(double p) { return Real() < p; }

 private:
  std::uint64_t state_;
};

// Program-code-like bytes of the family for [from, to), with texts and fills.
void FillCodeLike(Rng& rng, std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to,
                  ImageFamily family = ImageFamily::Motronic8);

// A smooth surface of columns x rows values within [lo, hi] with mild noise.
std::vector<std::int64_t> SmoothSurface(Rng& rng, int columns, int rows, std::int64_t lo, std::int64_t hi,
                                        double noise);

GeneratedImage GenerateMapImage(std::uint64_t seed, const GeneratorOptions& options = {});

// Finder quality against the planted tables that count, per layout kind.
struct FinderScore {
  int planted[kLayoutKinds + 1] = {};  // index 0: all kinds
  int exact[kLayoutKinds + 1] = {};    // exact offset and size (either orientation) in the top 2 x planted
  int overlap[kLayoutKinds + 1] = {};  // overlapped by one of the top 2 x planted
  int checked = 0;                     // candidates looked at for precision (top 2 x planted)
  int correct = 0;                     // of these, the ones overlapping a planted table or its header
  int listed = 0;                      // all candidates of the run
  int listedCorrect = 0;
  int axesRight = 0;                   // exact header finds whose reported axes are right
  void Add(const FinderScore& o);
  static double Share(int a, int b) { return b ? double(a) / b : 1.0; }
  double Recall(int kind = 0) const { return Share(exact[kind], planted[kind]); }
  double Overlap(int kind = 0) const { return Share(overlap[kind], planted[kind]); }
  double Precision() const { return Share(correct, checked); }
  double ListPrecision() const { return Share(listedCorrect, listed); }
};

FinderScore ScoreCandidates(const GeneratedImage& img, const std::vector<MapCandidate>& candidates);

}  // namespace orv::testsupport
