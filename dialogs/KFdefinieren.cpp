#include "dialogs/KFdefinieren.h"

#include <QLineEdit>
#include <QPushButton>

#include "app/Main.h"

TKennfdefinieren::TKennfdefinieren(TMainM& main)
    : MapFormBase(main, QStringLiteral("Kennfdefinieren"), QStringLiteral("Kennfdefinieren"), true) {
  Button1->setText(QStringLiteral("definieren"));
  Button2->setText(QStringLiteral("abbrechen"));
  // Here the address is typed in.
  Edit1->setVisible(true);
  Edit1->setEnabled(true);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

bool TKennfdefinieren::Append() {
  const orv::MapDefinition def = ReadValues();
  // A factor that is no number would be stored as 0; expert mode checks the rest too.
  if (!CheckBeforeWriting(def, ExpertMode() ? orv::DefinitionCheck::Everything
                                            : orv::DefinitionCheck::AddressAndFactors))
    return false;
  // The new record is built from a zeroed buffer, its number being its index.
  const std::int32_t index = Main.db.Datei.RecordCount();
  Main.db.Datensatz = orv::NewMapRecord(def, index);
  Main.db.SatzSchreiben(index);
  return true;
}

void TKennfdefinieren::Button1Click() {
  bool appended = false;
  if (!Run([&] { appended = Append(); }) || !appended) return;
  Reset();
  close();
}

void TKennfdefinieren::Button2Click() {
  Reset();
  close();
}
