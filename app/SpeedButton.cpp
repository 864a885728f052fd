#include "app/SpeedButton.h"

#include <QPainter>
#include <QStyleOptionToolButton>

namespace orv::ui {

SpeedButton::SpeedButton(QWidget* parent, SpeedButtonGroup* group) : QToolButton(parent), group_(group) {
  if (group_) group_->add(this);
  setAutoRaise(false);
  setFocusPolicy(Qt::NoFocus);
  connect(this, &QToolButton::clicked, this, &SpeedButton::onClicked);
}

void SpeedButton::setDown(bool down) {
  if (down && group_) {
    for (SpeedButton* other : group_->buttons())
      if (other != this && other->down_) {
        other->down_ = false;
        other->update();
      }
  }
  if (down_ != down) {
    down_ = down;
    update();
  }
}

void SpeedButton::onClicked() {
  if (group_) {
    if (!down_) setDown(true);
    else if (group_->AllowAllUp) setDown(false);
  }
  emit speedClicked();
}

void SpeedButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QStyleOptionToolButton opt;
  initStyleOption(&opt);
  if (down_) {
    opt.state |= QStyle::State_Sunken | QStyle::State_On;
    opt.state &= ~QStyle::State_Raised;
  }
  style()->drawComplexControl(QStyle::CC_ToolButton, &opt, &p, this);
}

}  // namespace orv::ui
