#include "project/MapDefinition.h"

#include "project/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "project/Errors.h"
#include "project/HexText.h"
#include "project/Real48.h"
#include "project/Text.h"

namespace orv {

namespace {

template <std::size_t N>
std::string CodeOfText(const std::array<TypeEntry, N>& table, std::string_view text) {
  for (const TypeEntry& e : table)
    if (e.text == text) return std::string(e.code);
  return {};
}

template <std::size_t N>
int IndexOfCode(const std::array<TypeEntry, N>& table, std::string_view code) {
  for (std::size_t i = 0; i < N; ++i)
    if (table[i].code == code) return static_cast<int>(i);
  return -1;
}


bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::int32_t StrictInt(const std::string& cp1252) {
  std::int32_t v = 0;
  if (!TryParseInt(cp1252, v)) throw EConvertError::NotAnInteger(Cp1252ToUtf8(cp1252));
  return v;
}

}  // namespace

std::string MapTypeCodeOfText(std::string_view text) { return CodeOfText(kMapTypes, text); }
int MapTypeIndexOfCode(std::string_view code) { return IndexOfCode(kMapTypes, code); }

int AxisTypeIndex(CellType t) {
  for (std::size_t i = 0; i < kAxisTypes.size(); ++i)
    if (kAxisTypes[i].type == t) return static_cast<int>(i);
  return 0;
}

CellType AxisTypeOfIndex(int index) {
  if (index < 0 || index >= static_cast<int>(kAxisTypes.size())) return CellType::None;
  return kAxisTypes[static_cast<std::size_t>(index)].type;
}

int SystemIndexOfCode(std::string_view code) {
  for (std::size_t i = 0; i < kSystemCodes.size(); ++i)
    if (kSystemCodes[i] == code) return static_cast<int>(i);
  return -1;
}

std::string SystemCodeOfIndex(int index) {
  if (index < 0 || index >= static_cast<int>(kSystemCodes.size())) return {};
  return std::string(kSystemCodes[static_cast<std::size_t>(index)]);
}

bool IsHexText(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    const bool hex = IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

std::string DimensionRule(std::string_view text) {
  const std::int32_t v = ParseLeadingInt(text);
  if (v < 1) return "16";
  if (v > 255) return "256";
  return std::string(text);
}

MapDefinition LoadMapDefinition(const TDatensatz& rec, char decimalSeparator) {
  MapDefinition d;
  const int typeIndex = MapTypeIndexOfCode(rec.get(fld::KennfeldTyp));
  d.KeepRecordType = typeIndex < 0;
  d.TypeText = std::string(kMapTypes[static_cast<std::size_t>(typeIndex < 0 ? 0 : typeIndex)].text);
  d.Address = FormatHex(ParseHex(rec.get(fld::Anfangsadresse)), 6);
  d.Name = rec.get(fld::Kennfeldname);
  d.XDimText = std::to_string(rec.get(fld::XDimension));
  d.YDimText = std::to_string(rec.get(fld::YDimension));
  d.XLabel = rec.get(fld::XBeschriftung);
  d.YLabel = rec.get(fld::YBeschriftung);
  d.XStartText = std::to_string(rec.get(fld::XAnfangswert));
  d.YStartText = std::to_string(rec.get(fld::YAnfangswert));
  d.XFactorText = FormatGeneral(rec.get(fld::XFaktor), decimalSeparator);
  d.YFactorText = FormatGeneral(rec.get(fld::YFaktor), decimalSeparator);
  d.XRueckwaerts = rec.get(fld::XRueckwaerts);
  d.YRueckwaerts = rec.get(fld::YRueckwaerts);
  d.XAddition = rec.get(fld::XAddition);
  d.YAddition = rec.get(fld::YAddition);
  d.XMultiplikation = rec.get(fld::XMultiplikation);
  d.YMultiplikation = rec.get(fld::YMultiplikation);
  d.XAddress = rec.get(fld::XAdresse);
  d.YAddress = rec.get(fld::YAdresse);
  d.XAddressLabel = !d.XAddress.empty();
  d.YAddressLabel = !d.YAddress.empty();
  const char k = rec.get(fld::Kreuz);
  d.Corner = (k >= '1' && k <= '4') ? k - '0' : 0;
  const MarksReading marks = ReadCellFormatMarks(rec);
  d.Marks = marks.marks;
  d.UnknownMarks = marks.state == MarksState::Unknown;
  return d;
}

void SaveMapDefinition(const MapDefinition& def, std::int32_t nummer, TDatensatz& rec) {
  // Everything that can fail is worked out before the record is touched.
  const std::string address = FormatHex(ParseHex(def.Address), 6);
  const std::string typeCode = MapTypeCodeOfText(def.TypeText);
  const std::int32_t xStart = ParseLeadingInt(def.XStartText);
  const std::int32_t yStart = ParseLeadingInt(def.YStartText);
  double xFactor = 0;
  double yFactor = 0;
  const bool xFactorOk = ParseDecimal(def.XFactorText, xFactor);
  const bool yFactorOk = ParseDecimal(def.YFactorText, yFactor);
  const Real48Bytes xFactorBytes = xFactorOk ? EncodeReal48(xFactor) : Real48Bytes{};
  const Real48Bytes yFactorBytes = yFactorOk ? EncodeReal48(yFactor) : Real48Bytes{};
  const std::int32_t xDim = StrictInt(def.XDimText);
  const std::int32_t yDim = StrictInt(def.YDimText);

  rec.set(fld::Kennfeldname, def.Name);
  rec.set(fld::Anfangsadresse, address);
  rec.set(fld::XDimension, xDim);
  rec.set(fld::YDimension, yDim);
  rec.set(fld::XBeschriftung, def.XLabel);
  rec.set(fld::YBeschriftung, def.YLabel);
  if (!def.KeepRecordType) rec.set(fld::KennfeldTyp, typeCode);
  rec.set(fld::Nummer, nummer);
  rec.set(fld::XAnfangswert, xStart);
  rec.set(fld::YAnfangswert, yStart);
  if (xFactorOk) std::copy(xFactorBytes.begin(), xFactorBytes.end(), rec.bytes.begin() + fld::XFaktor.offset);
  if (yFactorOk) std::copy(yFactorBytes.begin(), yFactorBytes.end(), rec.bytes.begin() + fld::YFaktor.offset);
  rec.set(fld::XRueckwaerts, def.XRueckwaerts);
  rec.set(fld::YRueckwaerts, def.YRueckwaerts);
  rec.set(fld::XAddition, def.XAddition);
  rec.set(fld::YAddition, def.YAddition);
  rec.set(fld::XMultiplikation, def.XMultiplikation);
  rec.set(fld::YMultiplikation, def.YMultiplikation);
  rec.set(fld::XAdresse, def.XAddressLabel ? def.XAddress : std::string());
  rec.set(fld::YAdresse, def.YAddressLabel ? def.YAddress : std::string());
  rec.set(fld::Faktor, 1.0);
  if (def.Corner >= 1 && def.Corner <= 4) rec.set(fld::Kreuz, static_cast<char>('0' + def.Corner));
  rec.set(fld::Kennung, "A");
  WriteCellFormatMarks(rec, def.Marks);
}

TDatensatz NewMapRecord(const MapDefinition& def, std::int32_t nummer) {
  TDatensatz rec;
  SaveMapDefinition(def, nummer, rec);
  return rec;
}

TDatensatz NewRevLimiterRecord() {
  TDatensatz r;
  r.set(fld::Kennfeldname, "Drehzahlbegrenzer");
  r.set(fld::Anfangsadresse, "0");
  r.set(fld::XBeschriftung, "N8");
  r.set(fld::KennfeldTyp, "K");
  r.set(fld::Faktor, 1.0);
  r.set(fld::Kennung, "A");
  return r;
}

}  // namespace orv
