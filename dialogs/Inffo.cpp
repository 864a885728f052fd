#include "dialogs/Inffo.h"

#include "app/Main.h"

TInfo::TInfo(TMainM& main) : FormBase(main, QStringLiteral("Info"), QStringLiteral("Infos Orvanta 2000"), orv::ui::BorderIcons::None) {
  resize(300, 200);
}
