#pragma once
// Synthetic EPROM images for the map finder: code-like filler bytes (opcode-ish
// byte mixes, short strings, 00/FF fills, ascending pointer tables) with smooth
// maps planted at random places, some with a monotonic axis table in front.
// Deterministic for a given seed (own generator, no std:: distributions whose
// results differ between standard libraries).
#include <cstdint>
#include <vector>

#include "maps/CellCodec.h"
#include "maps/MapFinder.h"

namespace orv::testsupport {

struct PlantedMap {
  std::int64_t offset = 0;  // first cell
  CellType type = CellType::N;
  int columns = 0;
  int rows = 0;
  std::int64_t axisBytes = 0;  // bytes of axis tables just before `offset`
  std::int64_t ByteSize() const { return std::int64_t{columns} * rows * CellWidth(type); }
};

struct GeneratedImage {
  std::vector<std::uint8_t> bytes;
  std::vector<PlantedMap> maps;  // sorted by offset
};

struct GeneratorOptions {
  std::size_t size = 64 * 1024;
  int mapCount = 20;
  int minDim = 4;
  int maxDim = 32;
  bool withN = true;
  bool withM16 = true;
  bool withI16 = true;
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

// Code-like filler bytes for [from, to).
void FillCodeLike(Rng& rng, std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to);

// A smooth surface of columns x rows values within [lo, hi] with mild noise.
std::vector<std::int64_t> SmoothSurface(Rng& rng, int columns, int rows, std::int64_t lo, std::int64_t hi,
                                        double noise);

GeneratedImage GenerateMapImage(std::uint64_t seed, const GeneratorOptions& options = {});

// Finder quality against the planted maps.
struct FinderScore {
  int planted = 0;
  int found = 0;         // planted maps with exact offset and width among the top 2 x planted
  int foundTyped = 0;    // ... also with the right type
  int topChecked = 0;    // candidates looked at for precision (top `planted`)
  int topCorrect = 0;    // of these, the ones lying mostly inside a planted map or its axes
  double Recall() const { return planted ? double(found) / planted : 1.0; }
  double Precision() const { return topChecked ? double(topCorrect) / topChecked : 1.0; }
};

FinderScore ScoreCandidates(const GeneratedImage& img, const std::vector<MapCandidate>& candidates);

}  // namespace orv::testsupport
