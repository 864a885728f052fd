#include "dialogs/KFdefinieren.h"

#include <QLineEdit>
#include <QPushButton>

#include "app/Main.h"
#include "app/QtText.h"
#include "app/Seams.h"
#include "project/NumberText.h"

using orv::ui::BoxKind;

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
  if (!orv::IsHexText(def.Address)) {
    orv::ui::Ui().Message(this, BoxKind::Warning, orv::ui::CaptionOf(BoxKind::Warning),
                          QStringLiteral("Die Anfangsadresse ist keine gültige Hexadezimalzahl: ") + Edit1->text());
    return false;
  }
  // A factor that is no number would be stored as 0.
  const struct { const std::string& text; QLineEdit* field; const char* axis; } factors[] = {
      {def.XFactorText, Edit5, "X"}, {def.YFactorText, Edit6, "Y"}};
  for (const auto& f : factors) {
    double value = 0;
    if (orv::ParseDecimal(f.text, value)) continue;
    orv::ui::Ui().Message(this, BoxKind::Warning, orv::ui::CaptionOf(BoxKind::Warning),
                          QStringLiteral("Der Faktor der %1-Achse ist keine gültige Zahl: ").arg(QLatin1String(f.axis)) +
                              f.field->text());
    return false;
  }
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
