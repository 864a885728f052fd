#include "dialogs/FormBase.h"

#include "app/Main.h"

namespace orv::ui {

FormBase::FormBase(TMainM& main, const QString& objectName, const QString& caption, BorderIcons icons)
    : QDialog(&main), Main(main) {
  setObjectName(objectName);
  setWindowTitle(caption);
  setModal(true);
  Qt::WindowFlags f = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (icons == BorderIcons::CloseOnly || icons == BorderIcons::SystemMenuOnly)
    f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  setWindowFlags(f);
}

}  // namespace orv::ui
