#pragma once
#include "project/NumberText.h"
// The rev limiter: one value in the tuning image whose place, encoding and factor
// stand in record 0 of the chip database. Shown in revolutions per minute as
// Faktor x stored value, entered the same way and divided back, both truncated
// toward zero.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "maps/CellCodec.h"
#include "project/Record.h"

namespace orv {

struct RevLimiter {
  std::int64_t offset = 0;             // byte offset in the images
  CellType type = CellType::Unknown;   // "K" is CellType::None
  double faktor = 0.0;                 // revolutions per minute per stored unit
  bool isSigned = false;               // the record marks the value as signed
};

// Reads address, type and factor of a rev limiter record; the address is the
// hexadecimal `Anfangsadresse` scaled by the system code (x2 "N16", x4 "N32").
// The value is signed when the record's cell format marks say so.
RevLimiter RevLimiterFromRecord(const TDatensatz& rec, const std::string& systemcode);

// trunc(faktor * raw); EMathError when the product is no 64-bit whole number.
std::int64_t ShownLimit(double faktor, std::int64_t raw);

// trunc(entry / faktor). A factor of 0 or a quotient outside the 32-bit range
// throws EMathError (division by zero, invalid operation, overflow).
std::int32_t RawFromEntry(std::int32_t entry, double faktor);

// What the limit field shows: "Keiner" for "K", the limit in revolutions per
// minute for a value type, nothing (the field keeps its text) for an unknown
// code or a value that does not lie inside the image.
std::optional<std::string> LimitText(const RevLimiter& l, std::span<const std::uint8_t> tuning);

// Reads the entered text like the runtime's Val (leading blanks, sign, "$" hex,
// stop at the first unsuitable character), divides by the factor and writes the
// value, clamped by its type and sign, at the limiter offset. Throws EMathError before
// anything is written; returns false when nothing was written ("K", unknown
// code, outside the image).
bool StoreLimit(std::span<std::uint8_t> tuning, const RevLimiter& l, std::string_view entryText);

// ---- the definition dialog's texts

struct LimiterTypeEntry {
  const char* text;  // as the type box lists it (UTF-8)
  const char* code;  // `KennfeldTyp`
};
inline constexpr LimiterTypeEntry kLimiterTypes[] = {
    {"Keiner", "K"},          {"8 Bit", "N"},         {"16 Bit Motorola", "M16"},
    {"16 Bit Intel", "I16"},  {"32 Bit Motorola", "M32"}, {"32 Bit Intel", "I32"},
};
// Index into kLimiterTypes of a code (exact match), -1 when none.
int LimiterTypeIndex(std::string_view code);

// A factor as typed: a decimal number (ParseDecimal: "," or "." as separator,
// blanks around allowed), greater than 0 and storable as a 6-byte real (neither
// overflowing nor vanishing to 0). Nothing when the text is not such a number.
std::optional<double> ParseFactorText(std::string_view text);

// True when the text (blanks around allowed) is 1 to 6 hexadecimal digits.
bool IsHexAddressText(std::string_view text);

}  // namespace orv
