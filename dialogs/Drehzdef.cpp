#include "dialogs/Drehzdef.h"

#include "app/Main.h"

TSpeedlimitdef::TSpeedlimitdef(TMainM& main) : FormBase(main, QStringLiteral("Speedlimitdef"), QStringLiteral("Drehzahlbegrenzer definieren"), orv::ui::BorderIcons::CloseOnly) {
  resize(331, 221);
}
