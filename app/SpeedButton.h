#pragma once
// A tool bar button in the manner of a speed button: a plain button, or one of a
// group of which at most one is down. Group buttons are checkable and their
// group is an exclusive QButtonGroup, so the down state is the checked state that
// the platform (accessibility, automation) sees. A group may allow all of its
// buttons to be up; then clicking the down button releases it.
#include <QButtonGroup>
#include <QToolButton>
#include <QVector>
#include <memory>

namespace orv::ui {

class SpeedButton;

class SpeedButtonGroup {
 public:
  explicit SpeedButtonGroup(int index);
  ~SpeedButtonGroup();
  int index() const { return index_; }
  bool AllowAllUp = false;
  const QVector<SpeedButton*>& buttons() const { return buttons_; }
  void add(SpeedButton* b);
  QButtonGroup* exclusive() const { return group_.get(); }

 private:
  int index_;
  QVector<SpeedButton*> buttons_;
  std::unique_ptr<QButtonGroup> group_;
};

class SpeedButton : public QToolButton {
  Q_OBJECT
 public:
  explicit SpeedButton(QWidget* parent, SpeedButtonGroup* group = nullptr);

  // Puts a group button down (releasing the others of its group) or up; isChecked()
  // tells its state.
  void setSpeedDown(bool down);
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
  bool downAtPress_ = false;
};

}  // namespace orv::ui
