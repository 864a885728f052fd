#include "dialogs/MapDefinitionForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "app/QtText.h"

namespace orv::ui {

namespace {

const QString kAutomatisch = QStringLiteral("Automatisch");

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  l->move(x, y);
  l->adjustSize();
  return l;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, const QStringList& items, const QString& text, int maxLen,
                     int x, int y, int w) {
  auto* c = new QComboBox(parent);
  c->setObjectName(QString::fromLatin1(name));
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  c->addItems(items);
  c->setCurrentIndex(-1);
  if (maxLen > 0) c->lineEdit()->setMaxLength(maxLen);
  c->setEditText(text);
  c->setGeometry(x, y, w, 21);
  return c;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text, int maxLen, int x, int y, int w) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  if (maxLen > 0) e->setMaxLength(maxLen);
  e->setText(text);
  e->setGeometry(x, y, w, 21);
  return e;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* c = new QCheckBox(text, parent);
  c->setObjectName(QString::fromLatin1(name));
  c->move(x, y);
  c->adjustSize();
  return c;
}

QRadioButton* MakeCorner(QWidget* parent, const char* name, const QString& text, int x, int y, bool captionLeft) {
  auto* r = new QRadioButton(text, parent);
  r->setObjectName(QString::fromLatin1(name));
  if (captionLeft) r->setLayoutDirection(Qt::RightToLeft);
  r->setGeometry(x, y, 40, 17);
  return r;
}

QWidget* MakeSide(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* s = new QWidget(parent);
  s->setObjectName(QString::fromLatin1(name));
  s->setGeometry(x, y, w, h);
  s->setAutoFillBackground(true);
  QPalette p = s->palette();
  p.setColor(QPalette::Window, Qt::black);
  s->setPalette(p);
  return s;
}

// The text to store: the whole text shown by the load when the control still
// shows what its length limit left of it, else the control's own text.
std::string Unclipped(const QString& now, const std::string& shownCp1252, int maxLen) {
  const QString shown = FromCp1252(shownCp1252);
  if (maxLen > 0 && shown.size() > maxLen && now == shown.left(maxLen)) return shownCp1252;
  return ToCp1252(now);
}

}  // namespace

MapFormBase::MapFormBase(TMainM& main, const QString& objectName, const QString& caption, bool labelsFallBack)
    : FormBase(main, objectName, caption, BorderIcons::CloseOnly), labelsFallBack_(labelsFallBack) {
  resize(680, 380);
  const QStringList dims{QStringLiteral("1"),  QStringLiteral("2"),  QStringLiteral("4"),
                         QStringLiteral("8"),  QStringLiteral("16"), QStringLiteral("32"),
                         QStringLiteral("64"), QStringLiteral("128"), QStringLiteral("256")};
  const QStringList axes{QStringLiteral("Last"), QStringLiteral("Drehzahl"), QStringLiteral("Benzin"),
                         QStringLiteral("Winkel"), QStringLiteral("Druck")};

  Label1 = MakeLabel(this, "Label1", QStringLiteral("Kennfeldname:"), 16, 10);
  ComboBox1 = MakeCombo(this, "ComboBox1",
                        {QStringLiteral("Benzin"), QStringLiteral("Zündung"), QStringLiteral("Ladedruck"),
                         QStringLiteral("Diesel"), QStringLiteral("Standgas")},
                        kAutomatisch, 24, 16, 26, 200);
  Label2 = MakeLabel(this, "Label2", QStringLiteral("Anfangsadresse in Hex"), 232, 10);
  Edit1 = MakeEdit(this, "Edit1", QStringLiteral("0"), 6, 232, 26, 80);
  Label7 = MakeLabel(this, "Label7", QStringLiteral("Kennfeld-Typ"), 390, 10);
  ComboBox2 = new QComboBox(this);
  ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
  for (const TypeEntry& t : kMapTypes) ComboBox2->addItem(QString::fromUtf8(t.text.data(), static_cast<int>(t.text.size())));
  ComboBox2->setCurrentIndex(0);
  ComboBox2->setGeometry(390, 26, 120, 21);

  Label3 = MakeLabel(this, "Label3", QStringLiteral("X-Dimension:"), 16, 58);
  ComboBox3 = MakeCombo(this, "ComboBox3", dims, QStringLiteral("16"), 3, 16, 74, 70);
  Label4 = MakeLabel(this, "Label4", QStringLiteral("X-Beschriftung"), 100, 58);
  ComboBox4 = MakeCombo(this, "ComboBox4", axes, kAutomatisch, 15, 100, 74, 140);
  Label6 = MakeLabel(this, "Label6", QStringLiteral("Y-Dimension:"), 256, 58);
  ComboBox6 = MakeCombo(this, "ComboBox6", dims, QStringLiteral("16"), 3, 256, 74, 70);
  Label5 = MakeLabel(this, "Label5", QStringLiteral("Y-Beschriftung:"), 340, 58);
  ComboBox5 = MakeCombo(this, "ComboBox5", axes, kAutomatisch, 15, 340, 74, 140);

  // The two axis groups.
  auto axisGroup = [&](const char* name, const QString& title, int y) {
    auto* g = new QGroupBox(title, this);
    g->setObjectName(QString::fromLatin1(name));
    g->setGeometry(16, y, 280, 120);
    return g;
  };
  GroupBox1 = axisGroup("GroupBox1", QStringLiteral("X-Achsen Beschriftungswerte:"), 108);
  Label8 = MakeLabel(GroupBox1, "Label8", QStringLiteral("Anfangswert:"), 10, 24);
  Edit3 = MakeEdit(GroupBox1, "Edit3", QStringLiteral("1"), 0, 94, 20, 56);
  Label9 = MakeLabel(GroupBox1, "Label9", QStringLiteral("Faktor:"), 160, 24);
  Edit5 = MakeEdit(GroupBox1, "Edit5", QStringLiteral("1"), 3, 205, 20, 50);
  CheckBox1 = MakeCheck(GroupBox1, "CheckBox1", QStringLiteral("Addition"), 10, 50);
  CheckBox2 = MakeCheck(GroupBox1, "CheckBox2", QStringLiteral("Multiplikation"), 10, 70);
  CheckBox3 = MakeCheck(GroupBox1, "CheckBox3", QStringLiteral("Rückwärts"), 10, 90);
  CheckBox8 = MakeCheck(GroupBox1, "CheckBox8", QStringLiteral("Adressbeschriftung"), 130, 50);
  Label10 = MakeLabel(GroupBox1, "Label10", QStringLiteral("Hex- Adresse:"), 130, 72);
  Edit7 = MakeEdit(GroupBox1, "Edit7", QString(), 6, 205, 70, 60);
  CheckBox9 = MakeCheck(GroupBox1, "CheckBox9", QStringLiteral("rückwärts lesen"), 130, 92);

  GroupBox2 = axisGroup("GroupBox2", QStringLiteral("Y-Achsen Beschriftungswerte:"), 238);
  Label11 = MakeLabel(GroupBox2, "Label11", QStringLiteral("Anfangswert:"), 10, 24);
  Edit4 = MakeEdit(GroupBox2, "Edit4", QStringLiteral("1"), 0, 94, 20, 56);
  Label12 = MakeLabel(GroupBox2, "Label12", QStringLiteral("Faktor:"), 160, 24);
  Edit6 = MakeEdit(GroupBox2, "Edit6", QStringLiteral("1"), 3, 205, 20, 50);
  CheckBox4 = MakeCheck(GroupBox2, "CheckBox4", QStringLiteral("Addition"), 10, 50);
  CheckBox5 = MakeCheck(GroupBox2, "CheckBox5", QStringLiteral("Multiplikation"), 10, 70);
  CheckBox6 = MakeCheck(GroupBox2, "CheckBox6", QStringLiteral("Rückwärts"), 10, 90);
  CheckBox7 = MakeCheck(GroupBox2, "CheckBox7", QStringLiteral("Adressbeschriftung"), 130, 50);
  Label13 = MakeLabel(GroupBox2, "Label13", QStringLiteral("Hex.-Adresse:"), 130, 72);
  Edit8 = MakeEdit(GroupBox2, "Edit8", QString(), 6, 205, 70, 60);
  CheckBox10 = MakeCheck(GroupBox2, "CheckBox10", QStringLiteral("rückwärts lesen"), 130, 92);

  // The coordinate cross: a square of four 2-pixel sides, a button at each corner.
  GroupBox3 = new QGroupBox(QStringLiteral("Koordinaten-Kreuz"), this);
  GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
  GroupBox3->setGeometry(310, 108, 200, 199);
  Shape1 = MakeSide(GroupBox3, "Shape1", 50, 50, 2, 100);   // left
  Shape2 = MakeSide(GroupBox3, "Shape2", 50, 50, 100, 2);   // top
  Shape3 = MakeSide(GroupBox3, "Shape3", 150, 50, 2, 100);  // right
  Shape4 = MakeSide(GroupBox3, "Shape4", 50, 150, 102, 2);  // bottom
  RadioButton1 = MakeCorner(GroupBox3, "RadioButton1", QStringLiteral("K1"), 6, 28, true);
  RadioButton2 = MakeCorner(GroupBox3, "RadioButton2", QStringLiteral("K2"), 154, 28, false);
  RadioButton3 = MakeCorner(GroupBox3, "RadioButton3", QStringLiteral("K3"), 6, 154, true);
  RadioButton4 = MakeCorner(GroupBox3, "RadioButton4", QStringLiteral("K4"), 154, 154, false);

  Button1 = new QPushButton(this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(310, 330, 95, 25);
  Button1->setAutoDefault(false);
  Button2 = new QPushButton(this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(415, 330, 95, 25);
  Button2->setAutoDefault(false);

  // The cell format: the sign beside the type box, the axis cells' formats in a
  // group beside the cross, the note on unknown marks below it.
  CheckBoxVorzeichen = MakeCheck(this, "CheckBoxVorzeichen", QStringLiteral("Vorzeichen"), 524, 28);
  GroupBoxAchsTyp = new QGroupBox(QStringLiteral("Zellformat der Achsen"), this);
  GroupBoxAchsTyp->setObjectName(QStringLiteral("GroupBoxAchsTyp"));
  GroupBoxAchsTyp->setGeometry(524, 108, 144, 199);
  QStringList axisTypes;
  for (const AxisTypeEntry& t : kAxisTypes)
    axisTypes << QString::fromUtf8(t.text.data(), static_cast<int>(t.text.size()));
  auto axisType = [&](const char* name, int y) {
    auto* c = new QComboBox(GroupBoxAchsTyp);
    c->setObjectName(QString::fromLatin1(name));
    c->addItems(axisTypes);
    c->setCurrentIndex(0);
    c->setGeometry(10, y, 124, 21);
    return c;
  };
  LabelXAchsTyp = MakeLabel(GroupBoxAchsTyp, "LabelXAchsTyp", QStringLiteral("X-Achse:"), 10, 24);
  ComboBoxXAchsTyp = axisType("ComboBoxXAchsTyp", 40);
  CheckBoxXAchsVorzeichen = MakeCheck(GroupBoxAchsTyp, "CheckBoxXAchsVorzeichen", QStringLiteral("Vorzeichen"), 10, 66);
  LabelYAchsTyp = MakeLabel(GroupBoxAchsTyp, "LabelYAchsTyp", QStringLiteral("Y-Achse:"), 10, 104);
  ComboBoxYAchsTyp = axisType("ComboBoxYAchsTyp", 120);
  CheckBoxYAchsVorzeichen = MakeCheck(GroupBoxAchsTyp, "CheckBoxYAchsVorzeichen", QStringLiteral("Vorzeichen"), 10, 146);
  LabelXAchsTyp->setBuddy(ComboBoxXAchsTyp);
  LabelYAchsTyp->setBuddy(ComboBoxYAchsTyp);
  LabelZellformat = new QLabel(QStringLiteral("Unbekannte Zellformat-Angaben: als vorzeichenlos gelesen"), this);
  LabelZellformat->setObjectName(QStringLiteral("LabelZellformat"));
  LabelZellformat->setWordWrap(true);
  LabelZellformat->setGeometry(524, 312, 144, 64);
  LabelZellformat->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  LabelZellformat->setVisible(false);

  // States shared by both forms.
  Edit1->setVisible(false);
  Edit1->setEnabled(false);
  ComboBox2->setVisible(false);
  ComboBox2->setEnabled(false);
  ComboBox3->setEnabled(false);
  ComboBox6->setEnabled(false);
  for (QWidget* w : {static_cast<QWidget*>(Edit7), static_cast<QWidget*>(Edit8), static_cast<QWidget*>(CheckBox8),
                     static_cast<QWidget*>(CheckBox7), static_cast<QWidget*>(CheckBox9),
                     static_cast<QWidget*>(CheckBox10), static_cast<QWidget*>(Label10), static_cast<QWidget*>(Label13)})
    w->setVisible(false);

  // Control rules.
  connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { Run([&] { ComboBox1Change(); }); });
  connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { Run([&] { ComboBox2Change(); }); });
  connect(ComboBox3, &QComboBox::editTextChanged, this, [this] { Run([&] { ComboBox3Change(); }); });
  connect(ComboBox6, &QComboBox::editTextChanged, this, [this] { Run([&] { ComboBox6Change(); }); });
  connect(ComboBox4, &QComboBox::editTextChanged, this, [this] { Run([&] { ComboBox4Change(); }); });
  connect(ComboBox5, &QComboBox::editTextChanged, this, [this] { Run([&] { ComboBox5Change(); }); });
  connect(CheckBox2, &QCheckBox::clicked, this, [this] { Run([&] { CheckBox2Click(); }); });
  connect(CheckBox5, &QCheckBox::clicked, this, [this] { Run([&] { CheckBox5Click(); }); });
  connect(CheckBox8, &QCheckBox::toggled, this, [this] { Run([&] { CheckBox8Click(); }); });
  connect(CheckBox7, &QCheckBox::toggled, this, [this] { Run([&] { CheckBox7Click(); }); });
  connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) { if (on) Run([&] { RadioButton1Click(); }); });
  connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) { if (on) Run([&] { RadioButton2Click(); }); });
  connect(RadioButton3, &QRadioButton::toggled, this, [this](bool on) { if (on) Run([&] { RadioButton3Click(); }); });
  connect(RadioButton4, &QRadioButton::toggled, this, [this](bool on) { if (on) Run([&] { RadioButton4Click(); }); });
  SelectCorner(1);
}

void MapFormBase::ComboBox1Change() {
  if (ComboBox1->currentText().isEmpty()) ComboBox1->setEditText(kAutomatisch);
}

void MapFormBase::ComboBox2Change() {
  if (ComboBox2->currentIndex() < 0 || ComboBox2->currentIndex() >= static_cast<int>(kMapTypes.size()))
    ComboBox2->setCurrentIndex(0);
}

void MapFormBase::DimensionChange(QComboBox* box) {
  const QString now = box->currentText();
  const QString fixed = FromCp1252(orv::DimensionRule(ToCp1252(now)));
  if (fixed != now) box->setEditText(fixed);
}

void MapFormBase::ComboBox3Change() { DimensionChange(ComboBox3); }
void MapFormBase::ComboBox6Change() { DimensionChange(ComboBox6); }

void MapFormBase::ComboBox4Change() {
  if (labelsFallBack_ && ComboBox4->currentText().isEmpty()) ComboBox4->setEditText(kAutomatisch);
}

void MapFormBase::ComboBox5Change() {
  if (labelsFallBack_ && ComboBox5->currentText().isEmpty()) ComboBox5->setEditText(kAutomatisch);
}

void MapFormBase::CheckBox2Click() { CheckBox1->setChecked(true); }
void MapFormBase::CheckBox5Click() { CheckBox4->setChecked(true); }

void MapFormBase::CheckBox8Click() {
  if (CheckBox8->isChecked()) {
    Edit7->clear();
    Edit7->setVisible(true);
  } else {
    Edit7->setVisible(false);
  }
}

void MapFormBase::CheckBox7Click() {
  if (CheckBox7->isChecked()) {
    Edit8->clear();
    Edit8->setVisible(true);
  } else {
    Edit8->setVisible(false);
  }
}

void MapFormBase::ShowSides(bool left, bool top, bool right, bool bottom) {
  Shape1->setVisible(left);
  Shape2->setVisible(top);
  Shape3->setVisible(right);
  Shape4->setVisible(bottom);
}

void MapFormBase::RadioButton1Click() { ShowSides(true, true, false, false); }
void MapFormBase::RadioButton2Click() { ShowSides(false, true, true, false); }
void MapFormBase::RadioButton3Click() { ShowSides(true, false, false, true); }
void MapFormBase::RadioButton4Click() { ShowSides(false, false, true, true); }

int MapFormBase::Corner() const {
  if (RadioButton1->isChecked()) return 1;
  if (RadioButton2->isChecked()) return 2;
  if (RadioButton3->isChecked()) return 3;
  if (RadioButton4->isChecked()) return 4;
  return 0;
}

void MapFormBase::UncheckCorners() {
  // Buttons of one group cannot be unchecked all while they exclude each other.
  for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3, RadioButton4}) r->setAutoExclusive(false);
  for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3, RadioButton4}) r->setChecked(false);
  for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3, RadioButton4}) r->setAutoExclusive(true);
}

void MapFormBase::SelectCorner(int corner) {
  QRadioButton* buttons[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
  if (corner < 1 || corner > 4) return;
  QRadioButton* b = buttons[corner - 1];
  if (b->isChecked()) {
    // Already checked: no toggle, so the sides are set here.
    switch (corner) {
      case 1: RadioButton1Click(); break;
      case 2: RadioButton2Click(); break;
      case 3: RadioButton3Click(); break;
      default: RadioButton4Click(); break;
    }
  } else {
    b->setChecked(true);
  }
}

void MapFormBase::Reset() {
  Edit1->setText(QStringLiteral("0"));
  ComboBox1->setEditText(kAutomatisch);
  ComboBox2->setCurrentIndex(0);
  ComboBox3->setEditText(QStringLiteral("16"));
  ComboBox6->setEditText(QStringLiteral("16"));
  ComboBox4->setEditText(kAutomatisch);
  ComboBox5->setEditText(kAutomatisch);
  CheckBox8->setChecked(false);
  CheckBox7->setChecked(false);
  Edit7->clear();
  Edit7->setVisible(false);
  Edit8->clear();
  Edit8->setVisible(false);
  ShowMarks({}, false);
  // Nothing of a previous load is kept for unchanged long texts.
  shown_ = orv::MapDefinition{};
}

void MapFormBase::ShowValues(const orv::MapDefinition& d) {
  shown_ = d;
  const int typeIndex = orv::MapTypeIndexOfCode(orv::MapTypeCodeOfText(d.TypeText));
  ComboBox1->setEditText(FromCp1252(d.Name));
  // The dimension rule works on the whole text before the length limit cuts it.
  ComboBox3->setEditText(FromCp1252(orv::DimensionRule(d.XDimText)));
  ComboBox4->setEditText(FromCp1252(d.XLabel));
  ComboBox6->setEditText(FromCp1252(orv::DimensionRule(d.YDimText)));
  ComboBox5->setEditText(FromCp1252(d.YLabel));
  Edit3->setText(FromCp1252(d.XStartText));
  Edit4->setText(FromCp1252(d.YStartText));
  Edit5->setText(FromCp1252(d.XFactorText));
  Edit6->setText(FromCp1252(d.YFactorText));
  CheckBox3->setChecked(d.XRueckwaerts);
  CheckBox6->setChecked(d.YRueckwaerts);
  CheckBox1->setChecked(d.XAddition);
  CheckBox4->setChecked(d.YAddition);
  CheckBox2->setChecked(d.XMultiplikation);
  CheckBox5->setChecked(d.YMultiplikation);
  if (d.XAddressLabel) {
    CheckBox8->setChecked(true);
    CheckBox8Click();  // also when it was checked already: the field is shown
    Edit7->setText(FromCp1252(d.XAddress));
  } else {
    CheckBox8->setChecked(false);
    Edit7->clear();
    Edit7->setVisible(false);
  }
  if (d.YAddressLabel) {
    CheckBox7->setChecked(true);
    CheckBox7Click();
    Edit8->setText(FromCp1252(d.YAddress));
  } else {
    CheckBox7->setChecked(false);
    Edit8->clear();
    Edit8->setVisible(false);
  }
  Edit1->setText(FromCp1252(d.Address));
  ComboBox2->setCurrentIndex(typeIndex < 0 ? 0 : typeIndex);
  ShowMarks(d.Marks, d.UnknownMarks);
  SelectCorner(d.Corner);
}

void MapFormBase::ShowMarks(const orv::CellFormatMarks& marks, bool unknown) {
  CheckBoxVorzeichen->setChecked(marks.signedCells);
  ComboBoxXAchsTyp->setCurrentIndex(orv::AxisTypeIndex(marks.x.type));
  CheckBoxXAchsVorzeichen->setChecked(marks.x.isSigned);
  ComboBoxYAchsTyp->setCurrentIndex(orv::AxisTypeIndex(marks.y.type));
  CheckBoxYAchsVorzeichen->setChecked(marks.y.isSigned);
  LabelZellformat->setVisible(unknown);
}

orv::MapDefinition MapFormBase::ReadValues() const {
  orv::MapDefinition d;
  d.Name = Unclipped(ComboBox1->currentText(), shown_.Name, ComboBox1->lineEdit()->maxLength());
  d.Address = ToCp1252(Edit1->text());
  d.TypeText = ToCp1252(ComboBox2->currentText());
  // An unknown type code stays only as long as the type box still shows what the load put there.
  d.KeepRecordType = shown_.KeepRecordType && d.TypeText == shown_.TypeText;
  d.XDimText = ToCp1252(ComboBox3->currentText());
  d.YDimText = ToCp1252(ComboBox6->currentText());
  d.XLabel = Unclipped(ComboBox4->currentText(), shown_.XLabel, ComboBox4->lineEdit()->maxLength());
  d.YLabel = Unclipped(ComboBox5->currentText(), shown_.YLabel, ComboBox5->lineEdit()->maxLength());
  d.XStartText = ToCp1252(Edit3->text());
  d.YStartText = ToCp1252(Edit4->text());
  d.XFactorText = Unclipped(Edit5->text(), shown_.XFactorText, Edit5->maxLength());
  d.YFactorText = Unclipped(Edit6->text(), shown_.YFactorText, Edit6->maxLength());
  d.XAddition = CheckBox1->isChecked();
  d.YAddition = CheckBox4->isChecked();
  d.XMultiplikation = CheckBox2->isChecked();
  d.YMultiplikation = CheckBox5->isChecked();
  d.XRueckwaerts = CheckBox3->isChecked();
  d.YRueckwaerts = CheckBox6->isChecked();
  d.XAddressLabel = CheckBox8->isChecked();
  d.YAddressLabel = CheckBox7->isChecked();
  d.XAddress = ToCp1252(Edit7->text());
  d.YAddress = ToCp1252(Edit8->text());
  d.Corner = Corner();
  d.Marks.signedCells = CheckBoxVorzeichen->isChecked();
  d.Marks.x = {orv::AxisTypeOfIndex(ComboBoxXAchsTyp->currentIndex()), CheckBoxXAchsVorzeichen->isChecked()};
  d.Marks.y = {orv::AxisTypeOfIndex(ComboBoxYAchsTyp->currentIndex()), CheckBoxYAchsVorzeichen->isChecked()};
  d.UnknownMarks = shown_.UnknownMarks;
  return d;
}

}  // namespace orv::ui
