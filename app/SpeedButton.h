#pragma once
// A tool bar button in the manner of a speed button: a plain button, or one of a
// group of which at most one is down. A group may allow all of its buttons to be
// up; then clicking the down button releases it.
#include <QToolButton>
#include <QVector>

namespace orv::ui {

class SpeedButton;

class SpeedButtonGroup {
 public:
  explicit SpeedButtonGroup(int index) : index_(index) {}
  int index() const { return index_; }
  bool AllowAllUp = false;
  const QVector<SpeedButton*>& buttons() const { return buttons_; }
  void add(SpeedButton* b) { buttons_.push_back(b); }

 private:
  int index_;
  QVector<SpeedButton*> buttons_;
};

class SpeedButton : public QToolButton {
  Q_OBJECT
 public:
  explicit SpeedButton(QWidget* parent, SpeedButtonGroup* group = nullptr);

  bool isDown() const { return down_; }
  // Puts the button down (releasing the others of its group) or up.
  void setDown(bool down);
  SpeedButtonGroup* group() const { return group_; }
  // The hint text, whether or not it is shown as a tool tip.
  QString hint;

 signals:
  // After the down state has changed by the click.
  void speedClicked();

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void onClicked();
  SpeedButtonGroup* group_;
  bool down_ = false;
};

}  // namespace orv::ui
