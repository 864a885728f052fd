#pragma once
#include "dialogs/FormBase.h"

class TSpeedlimitdef : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TSpeedlimitdef(TMainM& main);

};
