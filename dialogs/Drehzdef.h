#pragma once
// The rev limiter definition dialog: address, factor and type of the rev limiter,
// kept in record 0 of the chip database.
#include "dialogs/ActivationGate.h"
#include "dialogs/FormBase.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TSpeedlimitdef : public orv::ui::FormBase {
  Q_OBJECT
 public:
  explicit TSpeedlimitdef(TMainM& main);

  QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr;
  QLineEdit* Edit1 = nullptr;     // "Adresse in Hex:"
  QLineEdit* Edit2 = nullptr;     // "Faktor:"
  QComboBox* ComboBox2 = nullptr; // "Typ:"
  QCheckBox* CheckBoxVorzeichen = nullptr;  // "Vorzeichen": the value is signed
  QPushButton* Button1 = nullptr; // "OK"
  QPushButton* Button2 = nullptr; // "Abbrechen"

  void FormShow();
  void FormActivate();
  void ComboBox2Change();
  void Button1Click();
  void Button2Click();

  // Fills the fields from record 0 (nothing without a database or record).
  void Load();
  // Checks the fields and writes address, factor, type and sign into record 0;
  // false (after a warning) when a field cannot be stored.
  bool StoreDefinition();

 protected:
  void changeEvent(QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  orv::ui::ActivationGate gate_;
};
