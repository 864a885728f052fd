#pragma once
// The table view behind "SG": the active map's cells of the tuning image as a
// worksheet. A plain click edits a cell as the tool buttons say; besides that the
// tuner selects a rectangle (arrow keys, Shift, mouse) and types a value, steps,
// multiplies, adds, interpolates, copies or pastes it, each as one undoable step.
// Cells are tinted by value, changed cells framed with the original in their tip.
#include <QTableView>
#include <QWidget>
#include <functional>

#include "maps/RangeOps.h"

class TMainM;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;

namespace orv::ui {

class TableModel;

// The grid: keys and clicks as a worksheet takes them.
class TableGrid : public QTableView {
 public:
  explicit TableGrid(QWidget* parent);
  // A left click that began and ended on one cell without Shift or Ctrl.
  std::function<void(int row, int column)> onPlainClick;
  // A digit or minus typed without Ctrl or Alt: the start of a value.
  std::function<void(const QString& text)> onTyped;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QPersistentModelIndex pressed_;
  Qt::KeyboardModifiers pressMods_;
  bool left_ = false;
};

class TableView : public QWidget {
 public:
  TableView(TMainM& main, QWidget* parent);
  ~TableView() override;

  // What the cells show.
  enum class Shown { Values, Difference, Percent };

  // ---- controls
  TableGrid* Grid = nullptr;        // "StringGrid1"
  QLineEdit* Eingabe = nullptr;     // the value being typed, over the current cell
  QStatusBar* Statuszeile = nullptr;
  QLabel* Position = nullptr;       // current cell and size of the selection
  QComboBox* Anzeige = nullptr;     // "Werte", "Differenz", "Differenz in %"
  QAction *Kopieren1 = nullptr, *Einfuegen1 = nullptr, *Erhoehen1 = nullptr, *Vermindern1 = nullptr,
          *Multiplizieren1 = nullptr, *Addieren1 = nullptr, *InterpolierenZeilen1 = nullptr,
          *InterpolierenSpalten1 = nullptr, *InterpolierenBeide1 = nullptr;
  QMenu* InterpolierenMenu = nullptr;

  // Puts the copy and edit commands into a menu before `before`.
  void AddCommandsTo(QMenu* menu, QAction* before);

  // Shows the active map's cells and axes again.
  void Fill();
  // Loads the map chosen in the list (when a database is open: with none there
  // is nothing to load) and fills the table.
  void ShowListedMap();
  // A plain click on a cell: the click edits of "1W", "AW", "9W" and "R1".
  void CellClicked(int row, int column);

  // ---- selection (rows and columns counted from 0)
  CellRect Selection() const;
  void Select(const CellRect& r);

  // ---- the worksheet commands; each changes the tuning image as one undoable
  // step or, refused, changes nothing.
  void StartEntry(const QString& typed);
  void CommitEntry();
  void CancelEntry();
  void StepSelection(bool up);
  void MultiplyClick();
  void AddClick();
  void Interpolate(InterpolateMode mode);
  void CopySelection();
  void PasteClipboard();
  void Paste(const QString& text);
  void SetShown(Shown s);

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildCommands();
  void UpdateCommands();
  void UpdatePosition();
  void ShowContextMenu(const QPoint& at);
  bool Editable();
  // Runs `change` (returning its RangeOutcome) as one undoable edit of the map.
  void RunEdit(const QString& label, const std::function<RangeOutcome()>& change, const QString& clampNote);
  void Note(const QString& text);
  // A number asked for by `caption`; false when cancelled or not a number.
  bool AskNumber(const QString& caption, const QString& label, double& value);

  TMainM& main_;
  TableModel* model_ = nullptr;
  bool entering_ = false;
};

}  // namespace orv::ui
