#include "project/Catalogue.h"

#include "maps/CellFormat.h"
#include "project/Errors.h"
#include "project/HexText.h"
#include "project/Text.h"

namespace orv {

std::string EntryText(std::int32_t nummer, const std::string& name, std::int32_t x, std::int32_t y) {
  std::string s = std::to_string(nummer).substr(0, 3);
  if (nummer < 10) s += "      ";
  else if (nummer <= 99) s += "    ";
  else s += "   ";
  s += name;
  s += "  ";
  s += std::to_string(x);
  s += " x";
  s += std::to_string(y);
  if (s.size() > 32) s.resize(32);
  return s;
}

std::string EntryText(const TDatensatz& rec) {
  return EntryText(rec.get(fld::Nummer), rec.get(fld::Kennfeldname), rec.get(fld::XDimension),
                   rec.get(fld::YDimension));
}

std::int32_t ScaleAddress(std::int32_t a, const std::string& systemcode) {
  auto u = static_cast<std::uint32_t>(a);
  if (systemcode == "N16") u *= 2u;
  else if (systemcode == "N32") u *= 4u;
  return static_cast<std::int32_t>(u);
}

void LoadActiveMap(ActiveMap& m, std::int32_t index, const TDatensatz& rec, const std::string& systemcode) {
  m.KfNummer = index;
  m.KfXDim = rec.get(fld::XDimension);
  m.KfYDim = rec.get(fld::YDimension);
  m.KfZellen = static_cast<std::int32_t>(static_cast<std::uint32_t>(m.KfXDim) * static_cast<std::uint32_t>(m.KfYDim));
  m.KfXText = rec.get(fld::XBeschriftung);
  m.KfYText = rec.get(fld::YBeschriftung);
  m.KfAdresse = ScaleAddress(ParseHex(rec.get(fld::Anfangsadresse)), systemcode);
  m.KfTyp = rec.get(fld::KennfeldTyp);
  m.KfSigned = ReadCellFormatMarks(rec).marks.signedCells;
  const char k = rec.get(fld::Kreuz);
  // A byte never written (record 0, a new record) names no corner: the last one stays.
  if (k == '\0') return;
  if (k < '0' || k > '9') throw EConvertError::NotAnInteger(Cp1252ToUtf8(std::string(1, k)));
  m.KfKreuz = k - '0';
}

void SelectionHistory::Record(std::int32_t kfNummer) {
  for (int p = 20; p >= 2; --p) Verlauf[p] = Verlauf[p - 1];
  Verlauf[1] = kfNummer;
  VerlaufPos = 1;
  if (filled_ < 20) ++filled_;
}

bool SelectionHistory::Back() {
  if (!CanGoBack()) return false;
  ++VerlaufPos;
  return true;
}

bool SelectionHistory::Forward() {
  if (!CanGoForward()) return false;
  --VerlaufPos;
  return true;
}

}  // namespace orv
