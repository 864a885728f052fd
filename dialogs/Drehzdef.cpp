#include "dialogs/Drehzdef.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <iterator>

#include "app/Main.h"
#include "app/QtText.h"
#include "app/Seams.h"
#include "maps/CellFormat.h"
#include "maps/RevLimiter.h"
#include "project/HexText.h"
#include "project/NumberText.h"

using orv::ui::BoxKind;
using orv::ui::CaptionOf;
using orv::ui::Ui;

TSpeedlimitdef::TSpeedlimitdef(TMainM& main)
    : FormBase(main, QStringLiteral("Speedlimitdef"), QStringLiteral("Drehzahlbegrenzer definieren"),
               orv::ui::BorderIcons::CloseOnly) {
  Label1 = NewLabel("Label1", QStringLiteral("Adresse in Hex:"));
  Label2 = NewLabel("Label2", QStringLiteral("Faktor:"));
  Label3 = NewLabel("Label3", QStringLiteral("Typ:"));

  Edit1 = new QLineEdit(QStringLiteral("0"), this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setMaxLength(6);
  Edit2 = new QLineEdit(QStringLiteral("1"), this);
  Edit2->setObjectName(QStringLiteral("Edit2"));
  ComboBox2 = new QComboBox(this);
  ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
  ComboBox2->setEditable(true);
  ComboBox2->setInsertPolicy(QComboBox::NoInsert);
  for (const auto& t : orv::kLimiterTypes) ComboBox2->addItem(QString::fromUtf8(t.text));
  ComboBox2->setCurrentIndex(0);
  CheckBoxVorzeichen = new QCheckBox(QStringLiteral("Vorzeichen"), this);
  CheckBoxVorzeichen->setObjectName(QStringLiteral("CheckBoxVorzeichen"));
  Label1->setBuddy(Edit1);
  Label2->setBuddy(Edit2);
  Label3->setBuddy(ComboBox2);

  Button1 = NewButton("Button1", QStringLiteral("OK"));
  Button2 = NewButton("Button2", QStringLiteral("Abbrechen"));

  auto* grid = new QGridLayout;
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(Edit1, 0, 1);
  grid->addWidget(Label2, 1, 0);
  grid->addWidget(Edit2, 1, 1);
  grid->addWidget(Label3, 2, 0);
  grid->addWidget(ComboBox2, 2, 1);
  grid->addWidget(CheckBoxVorzeichen, 3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch();
  layout->addLayout(buttons);

  connect(ComboBox2, &QComboBox::editTextChanged, this, [this] { ComboBox2Change(); });
  connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { ComboBox2Change(); });
  connect(Button1, &QPushButton::clicked, this, &TSpeedlimitdef::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TSpeedlimitdef::Button2Click);

  resize(331, 221);
  move(157, 102);
}

void TSpeedlimitdef::changeEvent(QEvent* e) {
  FormBase::changeEvent(e);
  if (e->type() == QEvent::ActivationChange && gate_.Activated(isActiveWindow())) FormActivate();
}

void TSpeedlimitdef::showEvent(QShowEvent* e) {
  FormBase::showEvent(e);
  gate_.Reset();
  FormShow();
}

void TSpeedlimitdef::FormShow() {
  gate_.During([&] { Run([&] { Load(); }); });
}

void TSpeedlimitdef::FormActivate() {
  gate_.During([&] { Run([&] { Load(); }); });
}

void TSpeedlimitdef::ComboBox2Change() {
  const int i = ComboBox2->findText(ComboBox2->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (i < 0) {
    // A text that names no entry: back to "Keiner", text included.
    ComboBox2->setCurrentIndex(0);
    ComboBox2->setEditText(ComboBox2->itemText(0));
  } else if (i != ComboBox2->currentIndex()) {
    ComboBox2->setCurrentIndex(i);
  }
}

void TSpeedlimitdef::Button1Click() {
  bool stored = false;
  gate_.During([&] { Run([&] { stored = StoreDefinition(); }); });
  if (stored) accept();
}

void TSpeedlimitdef::Button2Click() { reject(); }

void TSpeedlimitdef::Load() {
  if (Main.db.Datenbankname.empty()) return;
  if (Main.db.Datei.AtEnd(0)) return;
  Main.db.SatzLesen(0);
  const orv::TDatensatz& r = Main.db.Datensatz;
  Edit1->setText(orv::ui::FromCp1252(r.get(orv::fld::Anfangsadresse)));
  const QString sep = QLocale().decimalPoint();
  Edit2->setText(QString::fromStdString(
      orv::FormatGeneral(r.get(orv::fld::Faktor), sep.size() == 1 ? sep.at(0).toLatin1() : '.')));
  const int i = orv::LimiterTypeIndex(r.get(orv::fld::KennfeldTyp));
  if (i >= 0) ComboBox2->setCurrentIndex(i);
  // Marks this program does not know read as unsigned.
  CheckBoxVorzeichen->setChecked(orv::ReadCellFormatMarks(r).marks.signedCells);
}

bool TSpeedlimitdef::StoreDefinition() {
  if (Main.db.Datenbankname.empty()) return true;  // nothing to store into
  const std::string address = orv::ui::ToCp1252(Edit1->text().trimmed());
  if (!orv::IsHexAddressText(address)) {
    Ui().Message(this, BoxKind::Warning, CaptionOf(BoxKind::Warning),
                 QStringLiteral("Die Adresse muss eine Hexadezimalzahl mit höchstens 6 Stellen sein."));
    return false;
  }
  const auto faktor = orv::ParseFactorText(orv::ui::ToCp1252(Edit2->text()));
  if (!faktor) {
    Ui().Message(this, BoxKind::Warning, CaptionOf(BoxKind::Warning),
                 QStringLiteral("Der Faktor muss eine Zahl größer als 0 sein."));
    return false;
  }
  int typ = ComboBox2->currentIndex();
  if (typ < 0 || typ >= static_cast<int>(std::size(orv::kLimiterTypes))) typ = 0;

  // Read record 0, change only the three fields and write it back.
  Main.db.SatzLesen(0);
  orv::TDatensatz& r = Main.db.Datensatz;
  r.set(orv::fld::Anfangsadresse, orv::FormatHex(orv::ParseHex(address)));
  r.set(orv::fld::Faktor, *faktor);
  r.set(orv::fld::KennfeldTyp, orv::kLimiterTypes[typ].code);
  orv::CellFormatMarks marks = orv::ReadCellFormatMarks(r).marks;
  marks.signedCells = CheckBoxVorzeichen->isChecked();
  orv::WriteCellFormatMarks(r, marks);  // an unchanged sign keeps the record's spare bytes
  Main.db.SatzSchreiben(0);
  return true;
}
