#include "app/SpeedButton.h"

#include <QPainter>
#include <QStyleOptionToolButton>

namespace orv::ui {

SpeedButtonGroup::SpeedButtonGroup(int index) : index_(index), group_(std::make_unique<QButtonGroup>()) {
  group_->setExclusive(true);
}

SpeedButtonGroup::~SpeedButtonGroup() = default;

void SpeedButtonGroup::add(SpeedButton* b) {
  buttons_.push_back(b);
  group_->addButton(b);
}

SpeedButton::SpeedButton(QWidget* parent, SpeedButtonGroup* group) : QToolButton(parent), group_(group) {
  if (group_) {
    setCheckable(true);
    group_->add(this);
  }
  setAutoRaise(false);
  setFocusPolicy(Qt::NoFocus);
  connect(this, &QToolButton::pressed, this, [this] { downAtPress_ = isChecked(); });
  connect(this, &QToolButton::clicked, this, &SpeedButton::onClicked);
}

void SpeedButton::setSpeedDown(bool down) {
  if (!group_ || down == isChecked()) return;
  if (down) {
    setChecked(true);  // the exclusive group releases the others
    return;
  }
  // The checked button of an exclusive group cannot be unchecked directly.
  QButtonGroup* g = group_->exclusive();
  g->setExclusive(false);
  setChecked(false);
  g->setExclusive(true);
}

void SpeedButton::onClicked() {
  // A click on the down button leaves it down, unless its group allows all up.
  if (group_ && downAtPress_ && isChecked() && group_->AllowAllUp) setSpeedDown(false);
  downAtPress_ = false;
  emit speedClicked();
}

void SpeedButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QStyleOptionToolButton opt;
  initStyleOption(&opt);
  if (isChecked()) {
    opt.state |= QStyle::State_Sunken | QStyle::State_On;
    opt.state &= ~QStyle::State_Raised;
  }
  style()->drawComplexControl(QStyle::CC_ToolButton, &opt, &p, this);
}

}  // namespace orv::ui
