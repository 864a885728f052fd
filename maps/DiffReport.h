#pragma once
// The differences list as text lines, and the whole of the command-line tool
// orvanta-diff, so both are tested without a process.
#include <span>
#include <string>
#include <vector>

#include "maps/Compare.h"

namespace orv {

// Bytes of a run shown before and after the change, at most.
inline constexpr std::int64_t kShownRunBytes = 8;

// Tab-separated UTF-8 lines, addresses in hexadecimal, lengths and counts in decimal:
//   Größe     reference bytes, tuning bytes, compared bytes   (only when the sizes differ)
//   Kennfeld  Nummer, name, address, changed cells, compared cells, smallest and largest
//             change raw, smallest and largest change in percent (empty when unknown)
//   Bereich   address, length, the run's first bytes before and after
std::vector<std::string> DiffLines(const Comparison& c, std::span<const std::uint8_t> reference,
                                   std::span<const std::uint8_t> tuning);

// orvanta-diff ORIGINAL TUNING [DATABASE] (`args` without the program name):
// appends the lines to `out` and a German message to `err`. Returns 0 when the
// images are identical, 1 when they differ, 2 on an error.
int RunDiff(const std::vector<std::string>& args, std::string& out, std::string& err);

}  // namespace orv
