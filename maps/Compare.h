#pragma once
// Comparing the tuning image with a reference image (the original or any other
// file): the runs of changed bytes, and for every defined map how its cells
// changed. Only the common length of the two images is compared; a map lying
// partly or wholly beyond it is compared over the cells inside.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "maps/CellCodec.h"
#include "project/Record.h"

namespace orv {

// Bytes [offset, offset + length).
struct ByteRun {
  std::int64_t offset = 0;
  std::int64_t length = 0;
  std::int64_t end() const { return offset + length; }
  bool operator==(const ByteRun&) const = default;
};

// The maximal runs of bytes that differ, over the common length, in address order.
std::vector<ByteRun> ChangedRuns(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> tuning);

// A map of the chip database as the comparison sees it.
struct DefinedMap {
  std::int32_t record = 0;  // record index (list entry + 1)
  std::int32_t nummer = 0;  // `Nummer`, as shown
  std::string name;         // `Kennfeldname`, Windows-1252
  MapLayout layout;
};

// The map of record `index`: its address scaled by the system code, dimensions,
// cell type and sign (from the record's cell format marks).
DefinedMap DefinedMapOf(std::int32_t index, const TDatensatz& rec, const std::string& systemcode);
// The maps of a whole database file's bytes: record 0 gives the system code, records
// 1..n the maps; a trailing partial record is not read.
std::vector<DefinedMap> DefinedMapsOfFile(std::span<const std::uint8_t> database);

// How one map's cells changed (tuning value minus reference value, raw).
struct MapChange {
  DefinedMap map;
  std::int64_t comparedCells = 0;  // cells wholly inside both images
  std::int64_t changedCells = 0;
  std::int64_t minChange = 0, maxChange = 0;
  // Relative to the reference value, over the changed cells whose reference is not 0;
  // nothing when every changed cell's reference is 0.
  std::optional<double> minPercent, maxPercent;
};

// The maps with at least one changed cell, in the order given. Cells are read with
// ReadCell; maps whose bytes meet no run are not read at all.
std::vector<MapChange> ChangedMaps(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> tuning,
                                   const std::vector<DefinedMap>& maps, const std::vector<ByteRun>& runs);

// The parts of the runs that lie in the bytes of no map, in address order.
std::vector<ByteRun> RunsOutsideMaps(const std::vector<ByteRun>& runs, const std::vector<DefinedMap>& maps);

// The whole comparison.
struct Comparison {
  std::int64_t referenceSize = 0, tuningSize = 0;
  std::int64_t commonSize() const { return referenceSize < tuningSize ? referenceSize : tuningSize; }
  bool sameSize() const { return referenceSize == tuningSize; }
  std::vector<ByteRun> runs;     // every changed run
  std::vector<MapChange> maps;   // maps with changed cells
  std::vector<ByteRun> outside;  // changed bytes in no map
  bool identical() const { return sameSize() && runs.empty(); }
};
Comparison Compare(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> tuning,
                   const std::vector<DefinedMap>& maps);

// Up to `count` bytes from `offset` as upper-case hex pairs separated by blanks ("0A FF").
std::string HexBytes(std::span<const std::uint8_t> image, std::int64_t offset, std::int64_t count);

}  // namespace orv
