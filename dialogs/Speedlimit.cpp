#include "dialogs/Speedlimit.h"

#include "app/Main.h"

TSpeedlimiter::TSpeedlimiter(TMainM& main) : FormBase(main, QStringLiteral("Speedlimiter"), QStringLiteral("Drehzahlbegrenzer"), orv::ui::BorderIcons::SystemMenuOnly) {
  resize(260, 141);
}
