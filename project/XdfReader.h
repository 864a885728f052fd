#pragma once
// Reads an XDF definition file (the XML map definitions tuners share) into a
// plain model of its header and items, without applying any conversion rule.
// Decoding: a byte order mark chooses UTF-8 or UTF-16; without one the bytes are
// UTF-8 when they are valid UTF-8, else Windows-1252. Element and attribute names
// compare without regard to case; numbers are read leniently (ParseXdfInt). A file
// that cannot be read as a whole throws EXdfError with a German message; nothing
// in a file makes the reader recurse, and its memory is bounded.
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// Largest XDF file read (real files stay below 4 MiB).
inline constexpr std::int64_t kMaxXdfBytes = std::int64_t{64} << 20;
// Most items (tables, constants, ...) one file may hold.
inline constexpr std::size_t kMaxXdfItems = 100000;
// Labels kept per axis; an axis with more is marked as such.
inline constexpr std::size_t kMaxXdfLabels = 1024;

// A file that is no readable XDF as a whole (German text).
class EXdfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// EMBEDDEDDATA: where and how cells are stored. Attributes that are missing or
// not a number stay empty.
struct XdfData {
  bool present = false;
  std::optional<std::int64_t> address, sizeBits, typeFlags, rowCount, colCount, majorStride, minorStride;
};

struct XdfLabel {
  std::optional<std::int64_t> index;
  std::string value;  // UTF-8, as written
};

// The MATH of an axis or item (the one without row/col attributes).
struct XdfMath {
  bool present = false;
  std::string equation;        // UTF-8, as written; "X" when the element is missing
  std::string variable = "X";  // id of the VAR that stands for the raw value
  bool otherVariables = false; // further VARs (links, addresses elsewhere)
};

struct XdfAxis {
  bool present = false;
  XdfData data;
  std::string units;  // UTF-8
  std::optional<std::int64_t> indexCount;
  std::optional<std::int64_t> embedType;  // embedinfo type
  std::optional<std::int64_t> linkId;     // embedinfo linkobjid
  std::vector<XdfLabel> labels;           // at most kMaxXdfLabels
  bool tooManyLabels = false;
  XdfMath math;
};

enum class XdfItemKind { Table, Constant, Function, Flag, Checksum, Patch };

struct XdfItem {
  XdfItemKind kind = XdfItemKind::Table;
  std::string title;  // UTF-8, as written (very long titles are cut to 1000 bytes)
  std::optional<std::int64_t> uniqueId;
  // A table's three axes; a function's x (input) and y (values); a constant or
  // flag keeps its EMBEDDEDDATA, units and MATH in z.
  XdfAxis x, y, z;
};

struct XdfDocument {
  std::string version;  // XDFFORMAT version
  std::string title;    // header deftitle, UTF-8
  // File offset of an item = its address + baseOffset (BASEOFFSET with
  // subtract="1" gives a negative value; the old <baseoffset> is added).
  std::int64_t baseOffset = 0;
  std::optional<std::int64_t> defaultSizeBits;  // DEFAULTS datasizeinbits
  std::optional<std::int64_t> regionSize;       // REGION size (expected image size)
  std::vector<XdfItem> items;                   // in document order
};

// Parses the file's bytes; throws EXdfError.
XdfDocument ReadXdf(std::span<const std::uint8_t> bytes);

// The file's text as UTF-8 by the decoding rules above (BOM removed).
std::string DecodeXdfText(std::span<const std::uint8_t> bytes);

// Blanks trimmed, optional sign, "0x" hexadecimal else decimal; nothing for empty
// text, junk or a magnitude beyond 2^62.
std::optional<std::int64_t> ParseXdfInt(std::string_view text);

}  // namespace orv
