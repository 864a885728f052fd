#pragma once
#include "dialogs/FormBase.h"

class TKennfdefinieren : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TKennfdefinieren(TMainM& main);

};
