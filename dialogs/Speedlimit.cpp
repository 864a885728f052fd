#include "dialogs/Speedlimit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Main.h"
#include "app/QtText.h"
#include "maps/RevLimiter.h"

TSpeedlimiter::TSpeedlimiter(TMainM& main)
    : FormBase(main, QStringLiteral("Speedlimiter"), QStringLiteral("Drehzahlbegrenzer"),
               orv::ui::BorderIcons::SystemMenuOnly) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::red);
  setPalette(pal);
  setAutoFillBackground(true);

  Label1 = new QLabel(QStringLiteral("Aktuell Drehzahlgrenze 1/min.:"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Edit1 = new QLineEdit(QStringLiteral("0"), this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setAutoFillBackground(true);
  Button1 = NewButton("Button1", QStringLiteral("OK"));
  Button2 = NewButton("Button2", QStringLiteral("Abbrechen"));
  Button3 = NewButton("Button3", QStringLiteral("Uebernehmen"));
  for (QPushButton* b : {Button1, Button2, Button3}) b->setMinimumWidth(40);  // three share the narrow window

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(4);
  buttons->addWidget(Button1, 2);
  buttons->addWidget(Button2, 3);
  buttons->addWidget(Button3, 3);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(Label1);
  layout->addWidget(Edit1);
  layout->addLayout(buttons);

  connect(Button1, &QPushButton::clicked, this, &TSpeedlimiter::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TSpeedlimiter::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TSpeedlimiter::Button3Click);

  resize(260, 141);
  move(180, 104);
}

void TSpeedlimiter::changeEvent(QEvent* e) {
  FormBase::changeEvent(e);
  if (e->type() == QEvent::ActivationChange && gate_.Activated(isActiveWindow())) FormActivate();
}

void TSpeedlimiter::showEvent(QShowEvent* e) {
  FormBase::showEvent(e);
  gate_.Reset();
  FormActivate();
}

void TSpeedlimiter::FormActivate() {
  gate_.During([&] { Run([&] { ShowCurrentLimit(); }); });
}

void TSpeedlimiter::Button1Click() {
  bool stored = false;
  gate_.During([&] { stored = Run([&] { StoreLimit(); }); });
  if (stored) accept();
}

void TSpeedlimiter::Button2Click() { reject(); }

void TSpeedlimiter::Button3Click() {
  gate_.During([&] {
    Run([&] {
      StoreLimit();
      ShowCurrentLimit();
    });
  });
}

void TSpeedlimiter::ShowCurrentLimit() {
  if (Main.images.TuningName.empty() || Main.db.Datenbankname.empty()) return;
  Main.db.SatzLesen(0);
  const orv::RevLimiter l = orv::RevLimiterFromRecord(Main.db.Datensatz, Main.db.Systemcode);
  if (const auto text = orv::LimitText(l, Main.images.Tuning())) Edit1->setText(QString::fromStdString(*text));
}

void TSpeedlimiter::StoreLimit() {
  if (Main.images.TuningName.empty() || Main.db.Datenbankname.empty()) return;
  // `Datensatz` holds the rev limiter record the last show read.
  const orv::RevLimiter l = orv::RevLimiterFromRecord(Main.db.Datensatz, Main.db.Systemcode);
  const std::string entry = orv::ui::ToCp1252(Edit1->text());
  // One undoable step; a floating-point error is raised before any byte changes.
  Main.TuningEdit(QStringLiteral("Drehzahlbegrenzer ändern"), l.offset, orv::CellWidth(l.type),
                  [&] { orv::StoreLimit(Main.images.TuningMutable(), l, entry); });
}
