#pragma once
// The map list's entry texts, the active map and the record of recent selections.
#include <array>
#include <cstdint>
#include <string>

#include "project/Record.h"

namespace orv {

// Entry text of a map record, Windows-1252 bytes, cut to 32 characters:
// number, blanks to a fixed column, name, two blanks, "X x Y".
std::string EntryText(std::int32_t nummer, const std::string& nameCp1252, std::int32_t x, std::int32_t y);
std::string EntryText(const TDatensatz& rec);

// Byte offset of a database address by the controller system code:
// times 2 for "N16", times 4 for "N32", else unchanged (32-bit wrap-around).
std::int32_t ScaleAddress(std::int32_t address, const std::string& systemcode);

struct ActiveMap {
  std::int32_t KfNummer = 0;
  std::int32_t KfXDim = 0;
  std::int32_t KfYDim = 0;
  std::int32_t KfZellen = 0;
  std::string KfXText;  // Windows-1252
  std::string KfYText;  // Windows-1252
  std::int32_t KfAdresse = 0;
  std::string KfTyp = "N8";  // matches no cell type until a map is loaded
  bool KfSigned = false;     // the record marks the cells as signed
  int KfKreuz = 4;
};

// Fills the active map from record `index` in `rec` in the fixed order (the
// sign from the record's cell format marks just before the corner); the
// cross corner comes last and a non-digit `Kreuz` throws EConvertError with the
// members before it already set.
void LoadActiveMap(ActiveMap& map, std::int32_t index, const TDatensatz& rec, const std::string& systemcode);

// A 3D surface needs 2 to 64 columns and rows; a chart one column or one row.
inline bool DrawsAsSurface(const ActiveMap& m) {
  return m.KfXDim >= 2 && m.KfXDim <= 64 && m.KfYDim >= 2 && m.KfYDim <= 64;
}
inline bool DrawsAsChart(const ActiveMap& m) { return m.KfXDim == 1 || m.KfYDim == 1; }

// The last 20 selected record indices, position 1 the newest. "Zurück" steps to
// an older selection (a higher position), "Vorwärts" back towards the newest.
// Indices are kept whole, so a database of more than 255 maps steps correctly.
struct SelectionHistory {
  std::array<std::int32_t, 21> Verlauf{};  // positions 1..20 used
  std::uint8_t VerlaufPos = 0;

  void Record(std::int32_t kfNummer);
  bool CanGoBack() const { return VerlaufPos >= 1 && VerlaufPos < filled_; }
  bool CanGoForward() const { return VerlaufPos > 1; }
  // Each moves one step if there is one; false when there is none.
  bool Back();
  bool Forward();
  std::int32_t Current() const { return VerlaufPos >= 1 && VerlaufPos <= 20 ? Verlauf[VerlaufPos] : 0; }

 private:
  int filled_ = 0;  // positions that hold a selection
};

}  // namespace orv
