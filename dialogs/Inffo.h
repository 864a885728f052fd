#pragma once
// The about box: recommended screen resolution, where further information is
// found, and the credits. "OK" is the only way out.
#include "dialogs/FormBase.h"

class QLabel;
class QPushButton;

class TInfo : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TInfo(TMainM& main);

  QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr,
         *Label6 = nullptr, *Label7 = nullptr;
  QPushButton* Button1 = nullptr;  // "OK"

  void Button1Click();

 public slots:
  // Escape (and any other request to close) does nothing: the box has no close box.
  void reject() override;
};
