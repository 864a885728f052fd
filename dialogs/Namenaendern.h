#pragma once
// The map data form: shows one map definition record and writes it back.
#include <cstdint>

#include "dialogs/MapDefinitionForm.h"

class TKF_Namen : public orv::ui::MapFormBase {
  Q_OBJECT
 public:
  explicit TKF_Namen(TMainM& main);
  // Index of the record the form shows and writes; 0 becomes 1 on load and save.
  std::int32_t RecordNumber = 0;

  // Load: reads the record at RecordNumber into the controls (errors shown; while
  // the record could not be read, "Uebernehmen" is disabled and writes nothing).
  void FormShow();
  void Load();
  // "Uebernehmen": save, reset, close (a failed save leaves the form open).
  void Button1Click();
  // "Abbrechen": reset, close.
  void Button2Click();
  // Writes the controls into the record at RecordNumber (nothing without a
  // database); throws on a conversion or file error. False when expert mode
  // refused a value (after a warning) and nothing was written.
  bool Save();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  bool loaded_ = false;
};
