#pragma once
#include "dialogs/FormBase.h"

class TSetup : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TSetup(TMainM& main);

};
