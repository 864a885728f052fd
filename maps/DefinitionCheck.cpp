#include "maps/DefinitionCheck.h"

#include "maps/CellCodec.h"
#include "project/Catalogue.h"
#include "project/HexText.h"
#include "project/NumberText.h"
#include "project/Text.h"

namespace orv {

namespace {

bool IsAddressText(const std::string& text) { return text.size() <= 6 && IsHexText(text); }

std::string Quoted(const std::string& what, const std::string& cp1252) { return what + Cp1252ToUtf8(cp1252); }

}  // namespace

std::optional<std::string> RefusedValue(const MapDefinition& d, DefinitionCheck scope) {
  if (!IsAddressText(d.Address))
    return Quoted("Die Anfangsadresse ist keine gültige Hexadezimalzahl: ", d.Address);
  const bool everything = scope == DefinitionCheck::Everything;
  if (everything) {
    std::int32_t dim = 0;
    if (!TryParseInt(d.XDimText, dim)) return Quoted("Die X-Dimension ist keine ganze Zahl: ", d.XDimText);
    if (!TryParseInt(d.YDimText, dim)) return Quoted("Die Y-Dimension ist keine ganze Zahl: ", d.YDimText);
  }
  double factor = 0;
  if (!ParseDecimal(d.XFactorText, factor))
    return Quoted("Der Faktor der X-Achse ist keine gültige Zahl: ", d.XFactorText);
  if (!ParseDecimal(d.YFactorText, factor))
    return Quoted("Der Faktor der Y-Achse ist keine gültige Zahl: ", d.YFactorText);
  if (everything) {
    if (d.XAddressLabel && !IsAddressText(d.XAddress))
      return Quoted("Die Adresse der X-Achse ist keine gültige Hexadezimalzahl: ", d.XAddress);
    if (d.YAddressLabel && !IsAddressText(d.YAddress))
      return Quoted("Die Adresse der Y-Achse ist keine gültige Hexadezimalzahl: ", d.YAddress);
  }
  return std::nullopt;
}

std::optional<std::int64_t> EndBeyondImage(const MapDefinition& d, const std::string& systemcode,
                                           std::int64_t imageSize) {
  std::int32_t x = 0, y = 0;
  if (d.KeepRecordType || !IsAddressText(d.Address) || !TryParseInt(d.XDimText, x) || !TryParseInt(d.YDimText, y) ||
      x <= 0 || y <= 0)
    return std::nullopt;
  const int width = CellWidth(CellTypeFromCode(MapTypeCodeOfText(d.TypeText)));
  if (width <= 0) return std::nullopt;
  const std::int64_t start = ScaleAddress(ParseHex(d.Address), systemcode);
  const std::int64_t end = start + std::int64_t{x} * y * width;
  if (end <= imageSize) return std::nullopt;
  return end;
}

}  // namespace orv
