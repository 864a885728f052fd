#pragma once
#include "dialogs/FormBase.h"

class TKennfelder : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TKennfelder(TMainM& main);

};
