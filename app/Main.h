#pragma once
// The main window: owns every piece of state of a run (database, images, active
// map, view, scene, edit settings) and the handlers of its menus, tool bar, map
// list and mouse. Handlers stay thin: they read their controls, call the core and
// draw.
#include <QMainWindow>
#include <QString>
#include <memory>
#include <string>

#include "graphics/ViewModel.h"
#include "maps/Editing.h"
#include "maps/Resets.h"
#include "project/Catalogue.h"
#include "project/ChipDatabase.h"
#include "project/Images.h"
#include "project/Record.h"

class QAction;
class QComboBox;
class QMenu;
class QMouseEvent;
class QSpinBox;
class QTableWidget;
class QTimer;
class QUndoStack;

class TInfo;
class TSpeedlimitdef;
class TKennfelder;
class TKennfdefinieren;
class TKF_Namen;
class TSpeedlimiter;
class TChecksumme;
class TSetup;
class TSytemdat;

namespace orv::ui {
class DrawingArea;
class SpeedButton;
class SpeedButtonGroup;
class MapSearchView;
class DiffView;
}  // namespace orv::ui

// The open chip database, its path and the one record buffer every reader and
// writer goes through.
struct DatabaseState {
  std::string Datenbankname;  // UTF-8 path; empty: no database open
  orv::ChipDatabase Datei;
  orv::TDatensatz Datensatz;
  std::string Systemcode;  // "N8", "N16", "N32" (empty until a database is opened)

  void SatzLesen(std::int32_t i) { Datei.SatzLesen(i, Datensatz); }
  void SatzSchreiben(std::int32_t i) { Datei.SatzSchreiben(i, Datensatz); }
};

// The 3D view: tables, parameters, flags, colours and the point sets.
struct ViewState {
  orv::TrigTables trig;
  orv::ViewParams params;
  orv::SceneFlags flags;
  orv::WindowColours colours;
  std::unique_ptr<orv::Scene> scene = std::make_unique<orv::Scene>();
};

// What the next click does.
struct EditState {
  std::int32_t SelectedCell = 0;
};

class TMainM : public QMainWindow {
  Q_OBJECT

 public:
  TMainM();
  ~TMainM() override;

  // Creates the nine dialogs in their fixed order (after the main window).
  void CreateForms();

  // ---- state of the run
  DatabaseState db;
  orv::ImageSet images;
  orv::ActiveMap Kf;
  orv::SelectionHistory history;
  ViewState view;
  EditState edit;

  struct Forms {
    TInfo* Info = nullptr;
    TSpeedlimitdef* Speedlimitdef = nullptr;
    TKennfelder* Kennfelder = nullptr;
    TKennfdefinieren* Kennfdefinieren = nullptr;
    TKF_Namen* KF_Namen = nullptr;
    TSpeedlimiter* Speedlimiter = nullptr;
    TChecksumme* Checksumme = nullptr;
    TSetup* Setup = nullptr;
    TSytemdat* Sytemdat = nullptr;
  } forms;

  // ---- controls (object names as the handlers name them)
  orv::ui::DrawingArea* area = nullptr;
  QWidget* Panel1 = nullptr;
  orv::ui::SpeedButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr,
                       *SpeedButton4 = nullptr, *SpeedButton5 = nullptr, *SpeedButton7 = nullptr,
                       *SpeedButton8 = nullptr, *SpeedButton9 = nullptr, *SpeedButton10 = nullptr,
                       *SpeedButton11 = nullptr, *SpeedButton12 = nullptr, *SpeedButton13 = nullptr,
                       *SpeedButton14 = nullptr, *SpeedButton15 = nullptr, *SpeedButton16 = nullptr,
                       *SpeedButton17 = nullptr, *SpeedButton19 = nullptr, *SpeedButton20 = nullptr,
                       *SpeedButton21 = nullptr, *SpeedButton22 = nullptr;
  QSpinBox* SpinEdit1 = nullptr;
  QComboBox* ComboBox5 = nullptr;
  QTableWidget* StringGrid1 = nullptr;
  orv::ui::MapSearchView* SearchView = nullptr;
  orv::ui::DiffView* DiffView = nullptr;
  QTimer* Timer1 = nullptr;
  QUndoStack* undoStack = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QMenu* DefinierenMenu = nullptr;
  QMenu* KennfeldSuchenMenu = nullptr;
  QAction *Datenbankanlegen1 = nullptr, *Datenbankffnen1 = nullptr, *OriginaleEPROMDateiffnen1 = nullptr,
          *TuningEPROMDateiffnen1 = nullptr, *Aenderungenspeichern1 = nullptr, *AnEmulatorsenden1 = nullptr,
          *Beenden1 = nullptr, *Rueckgaengig1 = nullptr, *Wiederholen1 = nullptr,
          *AktivesKennfeldzurcksetzen1 = nullptr, *GanzeDateizurcksetzen1 = nullptr,
          *Drehzahlbegrenzerzurcksetzen1 = nullptr, *OriginalBilddarstellung1 = nullptr,
          *Kennfelderdefinieren1 = nullptr, *Drehzahlbegrenzerdefinieren1 = nullptr, *N3DGrafik1 = nullptr,
          *Tabelle1 = nullptr, *N3DGrafikTabelle1 = nullptr, *OrignalGrafik1 = nullptr, *TuningGrafik1 = nullptr,
          *Bodengitter1 = nullptr, *Koordinatenkreuz1 = nullptr, *Pfeil1 = nullptr, *Checksumme1 = nullptr,
          *Drehzahlbegrenzer1 = nullptr, *Schwarz1 = nullptr, *Weiss1 = nullptr, *Grau1 = nullptr,
          *Hardware1 = nullptr, *Info1 = nullptr, *Bit81 = nullptr, *BitMotorola1 = nullptr,
          *BitIntel1 = nullptr, *Infos1 = nullptr, *Zugriffspfeil1 = nullptr, *Kennfelddatenaedern1 = nullptr,
          *Unterschiede1 = nullptr, *VergleichGrafik1 = nullptr, *Vergleichenmit1 = nullptr;

  // ---- handlers
  void FormShow();
  void FormClose();
  void Datenbankanlegen1Click();
  void Datenbankffnen1Click();
  void OriginaleEPROMDateiffnen1Click();
  void TuningEPROMDateiffnen1Click();
  void Aenderungenspeichern1Click();
  void AnEmulatorsenden1Click();
  void Beenden1Click();
  void AktivesKennfeldzurcksetzen1Click();
  void GanzeDateizurcksetzen1Click();
  void Drehzahlbegrenzerzurcksetzen1Click();
  void OriginalBilddarstellung1Click();
  void Kennfelderdefinieren1Click();
  void Drehzahlbegrenzerdefinieren1Click();
  void N3DGrafik1Click();
  void Tabelle1Click();
  void N3DGrafikTabelle1Click();
  void OrignalGrafik1Click();
  void TuningGrafik1Click();
  void Bodengitter1Click();
  void Koordinatenkreuz1Click();
  void Pfeil1Click();
  void Zugriffspfeil1Click();
  void Checksumme1Click();
  void Drehzahlbegrenzer1Click();
  void Schwarz1Click();
  void Weiss1Click();
  void Grau1Click();
  void Hardware1Click();
  void Info1Click();
  void Infos1Click();
  void Kennfelddatenaedern1Click();
  void KennfeldSuchenClick(orv::CellType type);
  // The differences view, the choice of a comparison file and its layer switch.
  void Unterschiede1Click();
  void Vergleichenmit1Click();
  void VergleichGrafik1Click();
  void ComboBox5Change();
  // The tool buttons of the file commands, the checksum and the map reset call
  // their menu item's handler.
  void SpeedButton1Click() { Datenbankffnen1Click(); }
  void SpeedButton2Click() { OriginaleEPROMDateiffnen1Click(); }
  void SpeedButton3Click() { TuningEPROMDateiffnen1Click(); }
  void SpeedButton7Click() { Aenderungenspeichern1Click(); }
  void SpeedButton8Click() { Checksumme1Click(); }
  void SpeedButton9Click() { AktivesKennfeldzurcksetzen1Click(); }
  void SpeedButton4Click();
  void SpeedButton5Click();
  void SpeedButton10Click();
  void SpinEdit1Change();
  void SpeedButton11Click();
  void SpeedButton12Click();
  void SpeedButton13Click();
  void SpeedButton14Click();
  void SpeedButton15Click();
  void SpeedButton16Click();
  void SpeedButton17Click();
  void SpeedButton19Click();
  void SpeedButton20Click();
  void SpeedButton21Click();
  void SpeedButton22Click();
  void FormClick();
  void FormMouseDown(Qt::MouseButton button, int x, int y);
  void FormMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, int x, int y);
  void Timer1Timer();
  void StringGrid1Click(int row, int column);

  // ---- operations the handlers and the dialogs share
  // Creates / opens a database at a chosen path (the steps after the dialog).
  void CreateDatabase(const QString& path);
  void OpenDatabase(const QString& path);
  // Loads an image from a chosen path (the steps after the dialog).
  void OpenImage(orv::ImageKind kind, const QString& path);
  // Writes the tuning image to `path`; true on success.
  bool SaveTuningTo(const QString& path);
  // Saves the tuning image under its name (asking for one when it has none);
  // false when cancelled. Throws on a file error.
  bool SaveTuning();
  // Before unsaved tuning edits would be lost (closing, "&Beenden", loading another
  // tuning image): asks whether to save them. True when the caller may go on.
  bool MayDropTuningEdits();
  void FillMapList();
  void EmptyMapList();
  // Loads the active map from the list's selected entry.
  void LoadActiveMap();
  // The drawing entries, into the back buffer.
  void RedrawView();
  void DrawCurveChart();
  void DrawScene();
  // Draws the active map as surface or chart, whichever its size asks for.
  void DrawActiveMap();
  // A canvas onto the back buffer (or onto the redirected canvas) for one drawing.
  std::unique_ptr<orv::Canvas> OpenCanvas();
  // Sends every drawing to `canvas` instead of the back buffer (nullptr: back again).
  void RedirectDrawing(orv::Canvas* canvas) { redirect_ = canvas; }
  // Clears the picture to the window colour.
  void RefreshWindow();
  // After a modal dialog: the selection sequence when the list shows a map and "KF" is down.
  void AfterDialog();
  // The table view: one row per map row, one column per map column.
  void FillTable();
  // Runs an edit of the tuning image over [offset, offset + count) as one undoable step.
  template <typename F>
  void TuningEdit(const QString& label, std::int64_t offset, std::int64_t count, F&& change);
  void RedrawAfterEdit();
  // One click edit of the active map around edit.SelectedCell, as an undoable step:
  // the cell ("1W"), its 3x3 block ("9W"), the whole map ("AW") or the cell's
  // reset from the original ("R1").
  enum class ClickEdit { One, Nine, All, Reset };
  void ApplyClickEdit(ClickEdit what);

  // Edit settings read from the controls.
  int EditStep() const;
  orv::EditMode EditModeNow() const;
  orv::MapLayout ActiveLayout() const;
  orv::DragMode DragModeNow() const;

  // Working directory at start, the open dialogs' initial directory.
  QString StartDirectory;
  // Font the picture's texts are drawn in, and its colour.
  QFont WindowFont() const;

  // Shows a modal dialog; exceptions inside end up in the error box.
  int ShowModal(QWidget* form);

 signals:
  // The images, the database or its maps may have changed: every edit, reset,
  // undo and redo, every load and every closed dialog.
  void projectChanged();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  void PlaceMapList();
  // Shows one view over the picture (nullptr: the picture alone) and marks its menu item.
  void ShowOnly(QWidget* shown, QAction* item);
  void ApplyColours();
  void UpdateHistoryButtons();
  void ReleaseEditScope();
  void ReleaseViewModes();
  void PushPatch(const QString& label, const orv::TuningPatch& patch);
  void SelectListEntryQuietly(int index);
  // "Zurück" (back) or "Vorwärts": selects the stored map, then loads and draws it.
  void StepHistory(bool back);
  orv::Canvas* redirect_ = nullptr;
  bool shown_ = false;
  bool drawnSinceShow_ = false;
  std::unique_ptr<orv::ui::SpeedButtonGroup> group1_, group2_, group3_, group5_;
};

#include "app/MainEdit.h"
