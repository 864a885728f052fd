#pragma once
// The map list dialog: every record of the open chip database in a grid, and the
// buttons that define, change and remove map definitions.
#include "dialogs/FormBase.h"

class QPushButton;
class QTableWidget;

class TKennfelder : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TKennfelder(TMainM& main);

  // Row 0 holds the headings, column 0 stays empty; row r + 1 shows record r.
  QTableWidget* StringGrid1 = nullptr;
  // Expert mode: the columns "Anfangsadresse" and "KF-Typ" show the start address
  // (six hexadecimal digits) and the cell type code instead of "Geheim".
  bool ExpertMode = false;
  QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr, *Button5 = nullptr;

  // Headings and fill, each time the dialog becomes the active window (errors shown).
  void FormActivate();
  // Writes the headings into row 0.
  void Headings();
  // Reads every record into the grid and sets the caption "Kennfelder".
  void Fill();
  // Picks the current row by its "KF-Nr" cell (once per row that becomes current).
  void StringGrid1Click();
  void Button1Click();  // "Definieren"
  void Button2Click();  // "Abbrechen"
  void Button3Click();  // "KF-Daten ändern"
  void Button4Click();  // "Letzter Datensatz löschen"
  void Button5Click();  // "Controller-Sytem"

 protected:
  void showEvent(QShowEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  // Runs the activation's work once per show when showing and activating come together,
  // and not again after a fill that failed (so an error box cannot start a loop).
  bool activatedByShow_ = false;
  bool fillFailed_ = false;
  // Grid row last picked (-1: none since the showing); no picks while filling.
  int pickedRow_ = -1;
  bool filling_ = false;
  void PickRow();
};
