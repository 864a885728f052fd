#pragma once
#include "project/NumberText.h"
// The values of the map data form and of the new map definition form, without
// any widget: what a record shows in the form (load), how the form's texts are
// written back into a record (save), and the text <-> code tables of the type
// boxes and of the controller system box.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "maps/CellFormat.h"
#include "project/Record.h"

namespace orv {

// Entry text of a type box and the cell type code it stands for.
struct TypeEntry {
  std::string_view text;
  std::string_view code;
};

// Type box of the map forms: "8 Bit" -> "N", "16 Bit Motorola" -> "M16", ...
inline constexpr std::array<TypeEntry, 5> kMapTypes{{
    {"8 Bit", "N"},
    {"16 Bit Motorola", "M16"},
    {"16 Bit Intel", "I16"},
    {"32 Bit Motorola", "M32"},
    {"32 Bit Intel", "I32"},
}};

// Code of a map type box text; empty when the text is none of the five entries.
std::string MapTypeCodeOfText(std::string_view text);
// Entry index (0..4) of a cell type code by exact comparison; -1 for any other code.
int MapTypeIndexOfCode(std::string_view code);
// (The rev limiter's type box, with "Keiner" -> "K" first, is kLimiterTypes in maps/RevLimiter.h.)

// Type boxes of the axis cells: the map's own type first, then the five cell types.
struct AxisTypeEntry {
  std::string_view text;
  CellType type;
};
inline constexpr std::array<AxisTypeEntry, 6> kAxisTypes{{
    {"wie Kennfeld", CellType::None},
    {"8 Bit", CellType::N},
    {"16 Bit Motorola", CellType::M16},
    {"16 Bit Intel", CellType::I16},
    {"32 Bit Motorola", CellType::M32},
    {"32 Bit Intel", CellType::I32},
}};
// Entry index of an axis cell type; 0 ("wie Kennfeld") for a type not listed.
int AxisTypeIndex(CellType t);
// Cell type of an entry index; None (the map's own type) outside 0..5.
CellType AxisTypeOfIndex(int index);

// Controller system box: entry 0 "N8", 1 "N16", 2 "N32".
inline constexpr std::array<std::string_view, 3> kSystemCodes{"N8", "N16", "N32"};
// Entry index of a system code by exact comparison; -1 for any other code.
int SystemIndexOfCode(std::string_view code);
// System code of an entry index; empty for an index outside 0..2.
std::string SystemCodeOfIndex(int index);

// True when the text is not empty and every character is a hexadecimal digit.
bool IsHexText(std::string_view text);

// The dimension boxes' rule: the text read the way Val reads it (leading digits,
// "$" for hexadecimal, 0 without digits); below 1 gives "16", above 255 gives
// "256"; any other text is returned as it is.
std::string DimensionRule(std::string_view text);

// What the form shows or collects. Texts are Windows-1252 bytes, as in a record.
struct MapDefinition {
  std::string Name = "Automatisch";
  std::string Address = "0";  // hexadecimal text
  std::string TypeText = "8 Bit";
  // Set by the load when the record's type code matched no type text: the form
  // then shows "8 Bit" and the save leaves the record's own code in place.
  bool KeepRecordType = false;
  std::string XDimText = "16";
  std::string YDimText = "16";
  std::string XLabel = "Automatisch";
  std::string YLabel = "Automatisch";
  std::string XStartText = "1";
  std::string YStartText = "1";
  std::string XFactorText = "1";
  std::string YFactorText = "1";
  bool XAddition = false;
  bool YAddition = false;
  bool XMultiplikation = false;
  bool YMultiplikation = false;
  bool XRueckwaerts = false;
  bool YRueckwaerts = false;
  // "Adressbeschriftung" boxes and the address fields beside them.
  bool XAddressLabel = false;
  bool YAddressLabel = false;
  std::string XAddress;
  std::string YAddress;
  // Corner of the coordinate cross 1..4 ("K1".."K4"); 0: no corner chosen, the
  // save then leaves the record's `Kreuz` byte as it is.
  int Corner = 1;
  // The cell format marks: "Vorzeichen" and the type boxes of the axis cells.
  CellFormatMarks Marks;
  // Set by the load when the record's marks hold values this program does not
  // know: the form shows the default marks and says so; saving them unchanged
  // keeps the record's bytes.
  bool UnknownMarks = false;
};

// The form's values for a record: address as 6-digit upper-case hex, dimensions
// and start values in decimal, factors in general notation with the given
// decimal separator (the save reads "," and "." alike), the type text of
// the code ("8 Bit" and KeepRecordType for an unknown code), the corner of the
// `Kreuz` digit (0 if it is none of "1".."4"), the address label boxes checked
// when their address text is not empty, the cell format marks (the default ones
// and UnknownMarks for marks this program does not know). The form's control
// rules are not applied here.
MapDefinition LoadMapDefinition(const TDatensatz& rec, char decimalSeparator = ',');

// Writes the values into `rec` (which holds the record read before, so every
// byte the save does not own keeps its value): name, address normalised to six
// upper-case hex digits, dimensions, label texts, type code, `Nummer`, start
// values (leading digits, 0 without), factors (a text that is no number keeps
// the record's factor), flags, address texts (empty unless their box is
// checked), `Faktor` 1.0, `Kreuz`, `Kennung` "A", the cell format marks (a
// record that already reads as them keeps its spare bytes). Texts are cut to the
// fields' capacities. A dimension text that is no whole number throws
// EConvertError::NotAnInteger, and a factor beyond the 6-byte real's range
// throws EMathError; in both cases `rec` is left untouched.
void SaveMapDefinition(const MapDefinition& def, std::int32_t nummer, TDatensatz& rec);

// A new record built from a zeroed buffer by SaveMapDefinition.
TDatensatz NewMapRecord(const MapDefinition& def, std::int32_t nummer);

// Record 0 of a new database, from a zeroed buffer: "Drehzahlbegrenzer" at
// address "0", system code "N8", type "K" (no rev limiter), factor 1.0.
TDatensatz NewRevLimiterRecord();

}  // namespace orv
