#pragma once
#include "dialogs/FormBase.h"

class TSytemdat : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TSytemdat(TMainM& main);

};
