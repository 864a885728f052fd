#pragma once
// Recognises maps and curves by the header that many controllers keep in front
// of the values:
//  - 8-bit controllers of the older Motronic kind: per dimension an input byte,
//    a count n and n axis bytes that are steps for the lookup routine (it adds
//    them to the input until the sum overflows, so together they stay within
//    256); a map has two such blocks, the second one's dimension running fastest.
//  - 16-bit controllers: the dimensions (two bytes or two words; a curve's count
//    as a byte with a zero pad byte or as a word), the X axis, the Y axis and the
//    values; axis and value cells 8 or 16 bits wide each, in the processor's
//    byte order, which is the same throughout an image.
// A header is believed when its counts are plausible, its axes fit the rules
// above, the values behind it look like a table and, above all, when the
// entries it separates follow each other without gaps as in a calibration area.
#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "maps/MapFinder.h"

namespace orv {

// Byte range [from, to) of a recognised entry, header and axes included.
struct ByteSpan {
  std::int64_t from = 0;
  std::int64_t to = 0;
  std::int64_t values = 0;  // offset of its first value cell
  bool sure = true;         // false: a short curve vouched for by a neighbour only
};

enum class ByteOrder { Unknown, Little, Big };

// Candidates found by their headers (layout Header), best first, not
// overlapping each other. Scores are on the scale of FindMaps. `occupied`
// (optional) receives the ranges of all believed entries, also of those the
// options do not list, so that no other search reports their bytes again.
// Entries that are not sure give way to a table found by its values.
// `byteOrder` (optional) receives the order of the image's 16-bit headers when
// many of them agree on it.
std::vector<MapCandidate> FindHeaderMaps(std::span<const std::uint8_t> image, const FinderOptions& options,
                                         const std::atomic<bool>* cancel = nullptr,
                                         std::vector<ByteSpan>* occupied = nullptr,
                                         ByteOrder* byteOrder = nullptr);

// How much a block of values looks like a table rather than noise: 1 for a
// smooth table, about 0 for random bytes. Constant blocks give 0.4.
double TableQuality(const std::int32_t* values, int columns, int rows);

}  // namespace orv
