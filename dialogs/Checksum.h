#pragma once
#include "dialogs/FormBase.h"

class TChecksumme : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TChecksumme(TMainM& main);

};
