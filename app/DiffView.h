#pragma once
// The differences view "Unterschiede": what the tuning image changes against the
// original (or against a comparison file chosen by "Vergleichen mit…"): the
// changed maps of the open database and the changed byte ranges outside them.
// A map entry shows that map; a range can be defined as a new map.
#include <QWidget>

#include "maps/Compare.h"

class TMainM;
class QLabel;
class QPushButton;
class QTableWidget;

namespace orv::ui {

class DiffView : public QWidget {
  Q_OBJECT
 public:
  DiffView(TMainM& main, QWidget* parent);

  // Columns of the two lists.
  enum MapColumn { ColNummer, ColName, ColAdresse, ColZellen, ColMin, ColMax, ColMinProzent, ColMaxProzent,
                   MapColumnCount };
  enum RangeColumn { ColBereich, ColLaenge, ColVorher, ColNachher, RangeColumnCount };
  // Ranges listed at most; the status says how many more there are.
  static constexpr int kMaxRangeRows = 10000;

  // ---- controls
  QLabel* Status = nullptr;
  QPushButton* VergleichenMit = nullptr;  // "Vergleichen mit…"
  QPushButton* MitOriginal = nullptr;     // "Mit Original vergleichen"
  QTableWidget* Kennfelder = nullptr;     // changed maps
  QTableWidget* Bereiche = nullptr;       // changed ranges outside the maps
  QPushButton* Definieren = nullptr;      // "Als Kennfeld definieren"

  // Compares again and fills both lists.
  void Refresh();
  // ---- handlers
  // Chooses a file to compare the tuning image with instead of the original.
  void VergleichenMitClick();
  // Compares with the original again.
  void MitOriginalClick();
  // Shows the map of a row as the map list would, in the 3D view.
  void KennfelderClick(int row);
  // Opens the new map definition form pre-filled with the selected range.
  void DefinierenClick();

  const Comparison& Result() const { return result_; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  std::vector<DefinedMap> DatabaseMaps() const;
  void Fill();
  void UpdateButtons();

  TMainM& main_;
  Comparison result_;
};

}  // namespace orv::ui
