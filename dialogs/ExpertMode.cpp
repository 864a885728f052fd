#include "dialogs/ExpertMode.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSettings>

#include "app/Main.h"
#include "dialogs/KFdefinieren.h"
#include "dialogs/Kennfelderanz.h"
#include "dialogs/Namenaendern.h"

namespace orv::ui {

namespace {
QSettings Store() { return QSettings(QStringLiteral("Orvanta"), QStringLiteral("Orvanta 2000")); }
const QString kKey = QStringLiteral("forms/expertMode");
}  // namespace

bool ExpertModeStored() { return Store().value(kKey, false).toBool(); }

void ApplyExpertMode(TMainM& main, bool on) {
  if (main.forms.Kennfelder) main.forms.Kennfelder->ExpertMode = on;
  if (main.forms.KF_Namen) main.forms.KF_Namen->SetExpertMode(on);
  if (main.forms.Kennfdefinieren) main.forms.Kennfdefinieren->SetExpertMode(on);
}

void SetExpertMode(TMainM& main, bool on) {
  QSettings st = Store();
  st.setValue(kKey, on);
  st.sync();
  ApplyExpertMode(main, on);
}

QList<QWidget*> ExpertModeControls(const MapFormBase& f) {
  return {
      f.Edit1,     f.ComboBox2,  // start address, cell type
      f.ComboBox3, f.ComboBox6,  // dimensions
      f.Edit3,     f.Edit5,     f.CheckBox1, f.CheckBox2, f.CheckBox3,   // X start value, factor, flags
      f.Edit4,     f.Edit6,     f.CheckBox4, f.CheckBox5, f.CheckBox6,   // Y start value, factor, flags
      f.CheckBox8, f.CheckBox9, f.CheckBox7, f.CheckBox10,              // axis address boxes, "rückwärts lesen"
      f.CheckBoxVorzeichen,                                             // signed cells
      f.GroupBoxAchsTyp, f.ComboBoxXAchsTyp, f.CheckBoxXAchsVorzeichen,  // cell format of the axes
      f.ComboBoxYAchsTyp, f.CheckBoxYAchsVorzeichen,
  };
}

}  // namespace orv::ui
