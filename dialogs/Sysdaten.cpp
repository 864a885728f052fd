#include "dialogs/Sysdaten.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <filesystem>
#include <system_error>

#include "app/Main.h"
#include "project/MapDefinition.h"

TSytemdat::TSytemdat(TMainM& main)
    : FormBase(main, QStringLiteral("Sytemdat"), QStringLiteral("Controller-Sytem"), orv::ui::BorderIcons::CloseOnly) {
  resize(260, 140);
  Label1 = new QLabel(QStringLiteral("Steuergerätsystem:"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(16, 16);
  Label1->adjustSize();
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox1->addItems({QStringLiteral("8   Bit System"), QStringLiteral("16 Bit System"),
                       QStringLiteral("32 Bit System")});
  ComboBox1->setCurrentIndex(-1);
  ComboBox1->setEditText(QStringLiteral("8 Bit System"));
  ComboBox1->setGeometry(16, 36, 228, 21);
  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(16, 96, 100, 25);
  Button1->setAutoDefault(false);
  Button2 = new QPushButton(QStringLiteral("Abbrechen"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(144, 96, 100, 25);
  Button2->setAutoDefault(false);
  connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

bool TSytemdat::DatabaseFileExists() const {
  if (Main.db.Datenbankname.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(Main.db.Datenbankname, ec);
}

void TSytemdat::showEvent(QShowEvent* e) {
  FormBase::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TSytemdat::mouseDoubleClickEvent(QMouseEvent* e) {
  FormBase::mouseDoubleClickEvent(e);
  FormDblClick();
}

void TSytemdat::FormShow() {
  Run([&] { Load(); });
  committed_ = Main.db.Systemcode;
}

void TSytemdat::done(int result) {
  // Every way out (OK, Abbrechen, Escape, the close box) ends here: a choice that
  // was not saved must not go on steering the main window's addresses.
  Main.db.Systemcode = committed_;
  FormBase::done(result);
}

void TSytemdat::Load() {
  if (!DatabaseFileExists()) return;
  Main.db.SatzLesen(0);
  Main.db.Systemcode = Main.db.Datensatz.get(orv::fld::XBeschriftung);
  const int index = orv::SystemIndexOfCode(Main.db.Systemcode);
  if (index >= 0) ComboBox1->setCurrentIndex(index);
}

void TSytemdat::ComboBox1Change() {
  const std::string code = orv::SystemCodeOfIndex(ComboBox1->currentIndex());
  if (!code.empty()) Main.db.Systemcode = code;
}

void TSytemdat::Save() {
  if (!DatabaseFileExists()) return;
  Main.db.SatzLesen(0);
  Main.db.Datensatz.set(orv::fld::XBeschriftung, Main.db.Systemcode);
  Main.db.SatzSchreiben(0);
  committed_ = Main.db.Systemcode;
}

void TSytemdat::Button1Click() {
  if (Run([&] { Save(); })) close();
}

void TSytemdat::Button2Click() { close(); }

void TSytemdat::FormDblClick() { Run([&] { Save(); }); }
