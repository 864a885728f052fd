#pragma once
// Turns an XDF definition into chip database records: record 0 with the system
// code "N8" (so that addresses are file offsets) and, when the file has a
// constant titled "Drehzahlbegrenzer", the rev limiter; then one map record per
// table, function and constant the database can hold, in the file's order. What
// is left out or changed is reported with its reason. The rules are listed in
// docs/xdf.md.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "project/Record.h"
#include "project/XdfReader.h"
#include "project/XdfReport.h"

namespace orv {

struct XdfImport {
  std::vector<TDatensatz> records;  // record 0 first
  XdfReport report;
};

// Applies the conversion rules to a parsed file.
XdfImport ConvertXdf(const XdfDocument& doc);

// Reads and converts a file's bytes; throws EXdfError when the file as a whole
// cannot be read.
XdfImport ImportXdf(std::span<const std::uint8_t> bytes);

// Reads the XDF file, converts it and writes the records as a new database at
// dbcPath through a temporary file renamed at the end, so dbcPath is either
// untouched or complete. Throws EXdfError or EInOutError.
XdfImport ImportXdfFile(const std::string& xdfPath, const std::string& dbcPath);

// The records one after the other, 164 bytes each.
std::vector<std::uint8_t> DatabaseBytes(const std::vector<TDatensatz>& records);

}  // namespace orv
