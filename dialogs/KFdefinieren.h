#pragma once
// The new map definition form: collects a new map definition and appends it to
// the open chip database.
#include "dialogs/MapDefinitionForm.h"

class TKennfdefinieren : public orv::ui::MapFormBase {
  Q_OBJECT
 public:
  explicit TKennfdefinieren(TMainM& main);

  // "definieren": appends the record, then resets and closes. An address that is
  // not hexadecimal, or a factor that is no number, is refused with a warning and
  // the form stays open.
  void Button1Click();
  // "abbrechen": reset, close.
  void Button2Click();
  // Appends the controls' definition as a new record; false if a field was refused.
  bool Append();
};
