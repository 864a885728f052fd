#pragma once
#include <cstdint>

#include "dialogs/FormBase.h"

class TKF_Namen : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TKF_Namen(TMainM& main);
  // Index of the record the form shows and writes; 0 becomes 1 on load and save.
  std::int32_t RecordNumber = 0;
};
