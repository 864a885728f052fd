#include "app/MapSearchView.h"

#include "app/Main.h"

namespace orv::ui {

MapSearchView::MapSearchView(TMainM& main, QWidget* parent) : QWidget(parent), main_(main) {
  setObjectName(QStringLiteral("MapSearchView"));
}

void MapSearchView::StartSearch(CellType) {}

}  // namespace orv::ui
