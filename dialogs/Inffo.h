#pragma once
#include "dialogs/FormBase.h"

class TInfo : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TInfo(TMainM& main);

};
