#include "dialogs/Inffo.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Main.h"

TInfo::TInfo(TMainM& main)
    : FormBase(main, QStringLiteral("Info"), QStringLiteral("Infos Orvanta 2000"), orv::ui::BorderIcons::None) {
  Label1 = NewLabel("Label1", QStringLiteral("Empfohlene Bildschirmauslösung: 640 x 480"));
  Label2 = NewLabel("Label2", QStringLiteral("Weitere Infos: Klick mit rechter Maustaste"));
  Label3 = NewLabel("Label3", QStringLiteral("auf den Hintergrund"));
  Label4 = NewLabel("Label4", QStringLiteral("Development by:"));
  Label5 = NewLabel("Label5", QStringLiteral("Orvanta-Team"));
  Label6 = NewLabel("Label6", QStringLiteral("+"));
  Label7 = NewLabel("Label7", QStringLiteral("Open-Source-Gemeinschaft"));
  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setObjectName(QStringLiteral("Button1"));

  auto* names = new QHBoxLayout;
  names->addWidget(Label5);
  names->addWidget(Label6);
  names->addWidget(Label7);
  names->addStretch();
  auto* ok = new QHBoxLayout;
  ok->addStretch();
  ok->addWidget(Button1);
  ok->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addSpacing(8);
  layout->addWidget(Label2);
  layout->addWidget(Label3);
  layout->addSpacing(8);
  layout->addWidget(Label4);
  layout->addLayout(names);
  layout->addStretch();
  layout->addLayout(ok);

  connect(Button1, &QPushButton::clicked, this, &TInfo::Button1Click);
  resize(300, 200);
}

void TInfo::Button1Click() { accept(); }

void TInfo::reject() {}
