#pragma once
// Finds maps nobody has defined yet: two-dimensional tables of a smooth function
// hidden in an EPROM image. Neighbouring cells and neighbouring rows of such a
// table differ little compared with the spread of its values, while code and text
// do not. The finder tries the three map cell types ("N", "M16", "I16", 16-bit
// types at even addresses), estimates the row width from the similarity of rows,
// the extent from where that structure ends, scores each hit and merges
// overlapping hits. Calibration areas keep their tables back to back: the gaps
// the tables found leave are filled, and a table whose edges miss its
// neighbours' gives way to tables that meet them. Plain functions without
// globals: safe to run on a worker thread.
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "maps/CellCodec.h"

namespace orv {

// How a candidate was recognised: by the header in front of its values, or by
// the shape of its values alone.
enum class MapLayoutKind { Plain, Header };

// An axis the finder found for a candidate.
struct AxisRef {
  std::int64_t offset = -1;  // byte offset of its first cell; -1 when none was found
  int count = 0;
  int cellBytes = 0;         // 1 or 2
  bool bigEndian = false;
  bool isSigned = false;
  bool deltaCoded = false;   // holds steps for the lookup routine, not the breakpoints themselves
  bool Found() const { return offset >= 0; }
  bool PlainBreakpoints() const { return Found() && !deltaCoded; }
};

struct MapCandidate {
  std::int64_t offset = 0;          // byte offset of the first cell
  CellType type = CellType::N;      // N, M16 or I16
  int columns = 0;                  // cells stored contiguously (one row)
  int rows = 0;                     // 1 for a curve
  double score = 0.0;               // higher is better
  bool differsFromOriginal = false; // an original was given and differs inside the candidate
  bool isSigned = false;            // values read as two's complement
  MapLayoutKind layout = MapLayoutKind::Plain;
  AxisRef xAxis;                    // axis of the columns
  AxisRef yAxis;                    // axis of the rows

  std::int64_t ByteSize() const { return std::int64_t{columns} * rows * CellWidth(type); }
};

// Which cell types to look for.
enum class MapTypeFilter { All, N, M16, I16 };

// Candidates scoring below this are hardly ever maps; a default run leaves them out.
inline constexpr double kDefaultMinScore = 3.0;

struct FinderOptions {
  MapTypeFilter types = MapTypeFilter::All;
  int minDim = 4;   // smallest number of columns and rows of a map, cells of a curve (at least 2)
  int maxDim = 32;  // largest number of columns and rows (at most 64)
  int topK = 0;     // keep the K best candidates; 0 keeps all
  double minScore = kDefaultMinScore;  // leave out candidates scoring lower; 0 keeps all
};

// Largest dimension the finder accepts; larger requests are clamped to it.
inline constexpr int kMapFinderMaxDim = 64;

// fraction runs from 0 to 1; may be called from the thread running FindMaps.
using ProgressFn = std::function<void(double fraction)>;

// Candidates sorted by falling score: maps (columns and rows between minDim and
// maxDim) and curves (one row of at least max(4, minDim) cells, found by their
// headers). `original` (optional) is the untouched image
// of the same layout; candidates that differ from it get a small bonus and the flag.
// When *cancel becomes true the search stops soon and returns what it has found.
std::vector<MapCandidate> FindMaps(std::span<const std::uint8_t> image, const FinderOptions& options,
                                   std::span<const std::uint8_t> original = {}, ProgressFn progress = {},
                                   const std::atomic<bool>* cancel = nullptr);

// "N", "M16" or "I16" (empty for other types).
const char* MapTypeCode(CellType t);
// "header" or "plain".
const char* LayoutName(MapLayoutKind k);

}  // namespace orv
