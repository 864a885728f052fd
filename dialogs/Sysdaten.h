#pragma once
// The controller system dialog: shows and stores the system code of record 0.
#include <string>

#include "dialogs/FormBase.h"

class QComboBox;
class QLabel;
class QPushButton;

class TSytemdat : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TSytemdat(TMainM& main);

  QLabel* Label1 = nullptr;
  // Entries "8   Bit System" (N8), "16 Bit System" (N16), "32 Bit System" (N32).
  QComboBox* ComboBox1 = nullptr;
  QPushButton* Button1 = nullptr;  // "OK"
  QPushButton* Button2 = nullptr;  // "Abbrechen"

  // Load: reads record 0 and selects the entry of its system code (errors shown).
  void FormShow();
  void Load();
  // The selection sets the main window's system code (written by the save only;
  // closing without a save gives back the code the dialog found).
  void ComboBox1Change();
  // Save: rewrites record 0 with the current system code; throws on a file error.
  void Save();
  void Button1Click();  // save, close
  void Button2Click();  // close
  void FormDblClick();  // save, stay open

 protected:
  void showEvent(QShowEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void done(int result) override;

 private:
  bool DatabaseFileExists() const;
  std::string committed_;  // the system code as shown or last saved
};
