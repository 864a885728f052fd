#include "dialogs/Namenaendern.h"

#include "app/Main.h"

TKF_Namen::TKF_Namen(TMainM& main) : FormBase(main, QStringLiteral("KF_Namen"), QStringLiteral("Kennfeld-Daten ändern"), orv::ui::BorderIcons::CloseOnly) {
  resize(560, 420);
}
