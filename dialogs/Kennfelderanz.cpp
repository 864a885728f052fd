#include "dialogs/Kennfelderanz.h"

#include "app/Main.h"

TKennfelder::TKennfelder(TMainM& main) : FormBase(main, QStringLiteral("Kennfelder"), QStringLiteral("Kennfelder"), orv::ui::BorderIcons::CloseOnly) {
  resize(660, 300);
}
