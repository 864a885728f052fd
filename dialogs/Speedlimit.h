#pragma once
// The rev limiter value dialog: shows the limit stored in the tuning image in
// revolutions per minute and writes a new one back (undoable).
#include "dialogs/ActivationGate.h"
#include "dialogs/FormBase.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TSpeedlimiter : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TSpeedlimiter(TMainM& main);

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button1 = nullptr;  // "OK"
  QPushButton* Button2 = nullptr;  // "Abbrechen"
  QPushButton* Button3 = nullptr;  // "Uebernehmen"

  // Shows the current limit; runs whenever the dialog becomes the active window.
  void FormActivate();
  void Button1Click();
  void Button2Click();
  void Button3Click();

  // The two steps the handlers are made of; both throw on failure.
  void ShowCurrentLimit();
  void StoreLimit();

 protected:
  void changeEvent(QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  orv::ui::ActivationGate gate_;
};
