#include "dialogs/Namenaendern.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "app/Main.h"
#include "app/QtText.h"

TKF_Namen::TKF_Namen(TMainM& main)
    : MapFormBase(main, QStringLiteral("KF_Namen"), QStringLiteral("Kennfeld-Daten ändern"), false) {
  Button1->setText(QStringLiteral("Uebernehmen"));
  Button2->setText(QStringLiteral("Abbrechen"));
  // Only the name, the two label texts and the cross corner are changed here.
  for (QWidget* w : {static_cast<QWidget*>(Edit3), static_cast<QWidget*>(Edit4), static_cast<QWidget*>(Edit5),
                     static_cast<QWidget*>(Edit6), static_cast<QWidget*>(CheckBox1), static_cast<QWidget*>(CheckBox2),
                     static_cast<QWidget*>(CheckBox3), static_cast<QWidget*>(CheckBox4),
                     static_cast<QWidget*>(CheckBox5), static_cast<QWidget*>(CheckBox6)})
    w->setEnabled(false);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TKF_Namen::showEvent(QShowEvent* e) {
  MapFormBase::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TKF_Namen::FormShow() { Run([&] { Load(); }); }

void TKF_Namen::Load() {
  if (RecordNumber == 0) RecordNumber = 1;
  // Without a database "Uebernehmen" resets and closes, whatever an earlier load left.
  Button1->setEnabled(true);
  if (Main.db.Datenbankname.empty()) return;
  // Until the record is read, the buffer holds another one: nothing may be written.
  loaded_ = false;
  Button1->setEnabled(false);
  UncheckCorners();
  Main.db.SatzLesen(RecordNumber);
  ShowValues(orv::LoadMapDefinition(Main.db.Datensatz, orv::ui::DecimalSeparator()));
  setWindowTitle(QStringLiteral("Kennfeld-Daten ändern von Nr: ") + QString::number(RecordNumber));
  loaded_ = true;
  Button1->setEnabled(true);
}

bool TKF_Namen::Save() {
  if (RecordNumber == 0) RecordNumber = 1;
  if (Main.db.Datenbankname.empty() || !loaded_) return true;
  const orv::MapDefinition def = ReadValues();
  // In expert mode every value the user could change is checked before anything is written.
  if (ExpertMode() && !CheckBeforeWriting(def, orv::DefinitionCheck::Everything)) return false;
  // The buffer still holds the record the load read: bytes the form does not own stay.
  orv::SaveMapDefinition(def, RecordNumber, Main.db.Datensatz);
  Main.db.SatzSchreiben(RecordNumber);
  return true;
}

void TKF_Namen::Button1Click() {
  if (!Main.db.Datenbankname.empty() && !loaded_) return;  // the record could not be read
  bool saved = false;
  if (!Run([&] { saved = Save(); }) || !saved) return;
  Reset();
  close();
}

void TKF_Namen::Button2Click() {
  Reset();
  close();
}
