#include "dialogs/SetupFenster.h"

#include "app/Main.h"

TSetup::TSetup(TMainM& main) : FormBase(main, QStringLiteral("Setup"), QStringLiteral("Hardware-Setup"), orv::ui::BorderIcons::CloseOnly) {
  resize(330, 200);
}
