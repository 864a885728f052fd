#include "dialogs/Sysdaten.h"

#include "app/Main.h"

TSytemdat::TSytemdat(TMainM& main) : FormBase(main, QStringLiteral("Sytemdat"), QStringLiteral("Controller-Sytem"), orv::ui::BorderIcons::CloseOnly) {
  resize(260, 140);
}
