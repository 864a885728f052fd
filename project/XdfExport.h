#pragma once
// Writes chip database records as an XDF definition (version 1.60 layout, ASCII
// with numeric character references): every map record as a table with its
// address, cell type, dimensions, axes as labels or as axis data stored at their
// address, its name as title and the axis label texts as units; record 0's rev
// limiter, when defined, as a constant "Drehzahlbegrenzer". Addresses are written
// as file offsets (scaled by the system code) with a base offset of 0. What cannot
// be written is reported.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "project/Record.h"
#include "project/XdfReport.h"

namespace orv {

struct XdfExportOptions {
  std::string title;           // the definition's title (UTF-8)
  std::int64_t imageSize = 0;  // written as the expected image size; 0: unknown, not written
};

struct XdfExport {
  std::string text;  // the XDF file's content
  XdfReport report;
};

// The records, record 0 first.
XdfExport ExportXdf(const std::vector<TDatensatz>& records, const XdfExportOptions& options);

// The whole records of a database file's bytes (a trailing partial record is ignored).
std::vector<TDatensatz> RecordsOfDatabase(std::span<const std::uint8_t> bytes);

}  // namespace orv
