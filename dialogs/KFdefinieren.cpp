#include "dialogs/KFdefinieren.h"

#include "app/Main.h"

TKennfdefinieren::TKennfdefinieren(TMainM& main) : FormBase(main, QStringLiteral("Kennfdefinieren"), QStringLiteral("Kennfdefinieren"), orv::ui::BorderIcons::CloseOnly) {
  resize(560, 420);
}
