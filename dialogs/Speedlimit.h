#pragma once
#include "dialogs/FormBase.h"

class TSpeedlimiter : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TSpeedlimiter(TMainM& main);

};
