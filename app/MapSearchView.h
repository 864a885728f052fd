#pragma once
// The map search view behind "KS": finds maps the database does not define.
#include <QWidget>

#include "maps/CellCodec.h"

class TMainM;

namespace orv::ui {

class MapSearchView : public QWidget {
  Q_OBJECT
 public:
  MapSearchView(TMainM& main, QWidget* parent);
  // Starts a scan of the tuning image (or the original when none is loaded).
  void StartSearch(CellType type);

 private:
  TMainM& main_;
};

}  // namespace orv::ui
