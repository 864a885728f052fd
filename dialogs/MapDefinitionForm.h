#pragma once
// The controls that the map data form (TKF_Namen) and the new map definition
// form (TKennfdefinieren) share, with their control rules, the reset and the
// transfer of their contents to and from orv::MapDefinition.
#include <QString>

#include "dialogs/FormBase.h"
#include "project/MapDefinition.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orv::ui {

class MapFormBase : public FormBase {
  Q_OBJECT
 public:
  // `labelsFallBack`: the two label boxes, when emptied, are set back to "Automatisch".
  MapFormBase(TMainM& main, const QString& objectName, const QString& caption, bool labelsFallBack);

  // ---- controls
  QComboBox* ComboBox1 = nullptr;  // name
  QLineEdit* Edit1 = nullptr;      // start address (hex)
  QComboBox* ComboBox3 = nullptr;  // X dimension
  QComboBox* ComboBox4 = nullptr;  // X label
  QComboBox* ComboBox5 = nullptr;  // Y label
  QComboBox* ComboBox6 = nullptr;  // Y dimension
  QComboBox* ComboBox2 = nullptr;  // cell type
  QGroupBox* GroupBox1 = nullptr;  // "X-Achsen Beschriftungswerte:"
  QGroupBox* GroupBox2 = nullptr;  // "Y-Achsen Beschriftungswerte:"
  QGroupBox* GroupBox3 = nullptr;  // "Koordinaten-Kreuz"
  QLineEdit* Edit3 = nullptr;      // X start value
  QLineEdit* Edit5 = nullptr;      // X factor
  QLineEdit* Edit7 = nullptr;      // X address
  QLineEdit* Edit4 = nullptr;      // Y start value
  QLineEdit* Edit6 = nullptr;      // Y factor
  QLineEdit* Edit8 = nullptr;      // Y address
  QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr;  // X: Addition, Multiplikation, Rückwärts
  QCheckBox *CheckBox4 = nullptr, *CheckBox5 = nullptr, *CheckBox6 = nullptr;  // Y: Addition, Multiplikation, Rückwärts
  QCheckBox* CheckBox8 = nullptr;   // X "Adressbeschriftung"
  QCheckBox* CheckBox7 = nullptr;   // Y "Adressbeschriftung"
  QCheckBox* CheckBox9 = nullptr;   // X "rückwärts lesen"
  QCheckBox* CheckBox10 = nullptr;  // Y "rückwärts lesen"
  // Corners "K1" top left, "K2" top right, "K3" bottom left, "K4" bottom right.
  QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr, *RadioButton4 = nullptr;
  // Sides of the cross square: Shape1 left, Shape2 top, Shape3 right, Shape4 bottom.
  QWidget *Shape1 = nullptr, *Shape2 = nullptr, *Shape3 = nullptr, *Shape4 = nullptr;
  QLabel* Label1 = nullptr;   // "Kennfeldname:"
  QLabel* Label2 = nullptr;   // "Anfangsadresse in Hex"
  QLabel* Label3 = nullptr;   // "X-Dimension:"
  QLabel* Label4 = nullptr;   // "X-Beschriftung"
  QLabel* Label5 = nullptr;   // "Y-Beschriftung:"
  QLabel* Label6 = nullptr;   // "Y-Dimension:"
  QLabel* Label7 = nullptr;   // "Kennfeld-Typ"
  QLabel* Label8 = nullptr;   // X "Anfangswert:"
  QLabel* Label9 = nullptr;   // X "Faktor:"
  QLabel* Label10 = nullptr;  // "Hex- Adresse:"
  QLabel* Label11 = nullptr;  // Y "Anfangswert:"
  QLabel* Label12 = nullptr;  // Y "Faktor:"
  QLabel* Label13 = nullptr;  // "Hex.-Adresse:"
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  // ---- cell format, in a column of its own right of the controls above
  QCheckBox* CheckBoxVorzeichen = nullptr;       // "Vorzeichen": the map's cells are signed
  QGroupBox* GroupBoxAchsTyp = nullptr;           // "Zellformat der Achsen"
  QLabel* LabelXAchsTyp = nullptr;                // "X-Achse:"
  QComboBox* ComboBoxXAchsTyp = nullptr;          // "wie Kennfeld", "8 Bit", ... "32 Bit Intel"
  QCheckBox* CheckBoxXAchsVorzeichen = nullptr;   // "Vorzeichen" of the X axis cells
  QLabel* LabelYAchsTyp = nullptr;                // "Y-Achse:"
  QComboBox* ComboBoxYAchsTyp = nullptr;
  QCheckBox* CheckBoxYAchsVorzeichen = nullptr;
  QLabel* LabelZellformat = nullptr;              // shown for marks this program does not know

  // ---- control rules
  void ComboBox1Change();  // emptied name -> "Automatisch"
  void ComboBox2Change();  // no entry selected -> "8 Bit"
  void ComboBox3Change();  // X dimension kept within 1..256
  void ComboBox6Change();  // Y dimension kept within 1..256
  void ComboBox4Change();  // emptied X label -> "Automatisch" (where the form says so)
  void ComboBox5Change();  // emptied Y label -> "Automatisch" (where the form says so)
  void CheckBox2Click();   // X "Multiplikation" checks X "Addition"
  void CheckBox5Click();   // Y "Multiplikation" checks Y "Addition"
  void CheckBox8Click();   // X "Adressbeschriftung" shows / hides the X address field
  void CheckBox7Click();   // Y "Adressbeschriftung" shows / hides the Y address field
  void RadioButton1Click();
  void RadioButton2Click();
  void RadioButton3Click();
  void RadioButton4Click();

  // Address "0", name "Automatisch", type "8 Bit", dimensions "16", labels
  // "Automatisch", address fields emptied and hidden, "Adressbeschriftung" off;
  // with the type, the cell format: unsigned, axes "wie Kennfeld".
  void Reset();

  // Checked corner 1..4, 0 for none.
  int Corner() const;
  // Unchecks all four corner buttons (the sides stay as they are).
  void UncheckCorners();
  // Checks a corner (1..4) and shows its two sides; other values check none.
  void SelectCorner(int corner);

 protected:
  // Puts the values into the controls (as a load does: the flag boxes take their
  // own flags, the dimension and name rules apply to the texts set).
  void ShowValues(const orv::MapDefinition& d);
  // Collects the controls' values. A text that a control's length limit had to
  // cut when it was shown, and that is still unchanged, is taken whole from `shown_`.
  orv::MapDefinition ReadValues() const;
  orv::MapDefinition shown_;

 private:
  void ShowSides(bool left, bool top, bool right, bool bottom);
  // The cell format controls; `unknown` shows the note on unknown marks.
  void ShowMarks(const orv::CellFormatMarks& marks, bool unknown);
  void DimensionChange(QComboBox* box);
  bool labelsFallBack_;
};

}  // namespace orv::ui
