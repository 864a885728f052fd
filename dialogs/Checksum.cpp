#include "dialogs/Checksum.h"

#include "app/Main.h"

TChecksumme::TChecksumme(TMainM& main) : FormBase(main, QStringLiteral("Checksumme"), QStringLiteral("Checksumme"), orv::ui::BorderIcons::CloseOnly) {
  resize(520, 380);
}
