#include "dialogs/FormBase.h"

#include <QLabel>
#include <QPushButton>

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

QLabel* FormBase::NewLabel(const char* name, const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent ? parent : this);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}

QPushButton* FormBase::NewButton(const char* name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent ? parent : this);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

}  // namespace orv::ui
