#include "dialogs/SetupFenster.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "app/Main.h"
#include "project/Emulator.h"

namespace {

const QString kParallelNote =
    QStringLiteral("Parallelports (LPT) sind zum Senden an den Emulator nicht verfügbar: bitte einen seriellen "
                   "Port wählen.");

QSettings Store() { return QSettings(QStringLiteral("Orvanta"), QStringLiteral("Orvanta 2000")); }

int DefaultBaudOf(const QString& model) {
  orv::EmulatorModel m;
  return orv::ModelFromName(model.toStdString(), m) ? orv::DefaultBaud(m) : orv::DefaultBaud(orv::EmulatorModel::Ostrich2);
}

}  // namespace

TSetup::TSetup(TMainM& main)
    : FormBase(main, QStringLiteral("Setup"), QStringLiteral("Hardware-Setup"), orv::ui::BorderIcons::CloseOnly) {
  GroupBox1 = new QGroupBox(QStringLiteral("Emulator-Einstellungen"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  Label1 = NewLabel("Label1", QStringLiteral("Emulator-Modell:"), GroupBox1);
  Label2 = NewLabel("Label2", QStringLiteral("Port:"), GroupBox1);
  Label3 = NewLabel("Label3", QStringLiteral("Baud:"), GroupBox1);

  ComboBox2 = new QComboBox(GroupBox1);
  ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
  for (const char* name : orv::kEmulatorModelNames) ComboBox2->addItem(QString::fromUtf8(name));

  ComboBox1 = new QComboBox(GroupBox1);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox1->addItems({QStringLiteral("LPT1"), QStringLiteral("LPT2"), QStringLiteral("LPT3")});
  // The parallel ports stay in the list but cannot be chosen: nothing is sent through them.
  if (auto* items = qobject_cast<QStandardItemModel*>(ComboBox1->model()))
    for (int i = 0; i < 3; ++i) {
      items->item(i)->setEnabled(false);
      items->item(i)->setToolTip(kParallelNote);
    }
  for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts())
    if (!p.systemLocation().isEmpty()) ComboBox1->addItem(p.systemLocation());

  ComboBox3 = new QComboBox(GroupBox1);
  ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
  for (const int baud : orv::kBaudRates) ComboBox3->addItem(QString::number(baud));

  Label4 = NewLabel("Label4", kParallelNote, GroupBox1);
  Label4->setWordWrap(true);
  Label4->setVisible(false);

  Label1->setBuddy(ComboBox2);
  Label2->setBuddy(ComboBox1);
  Label3->setBuddy(ComboBox3);

  Button1 = NewButton("Button1", QStringLiteral("OK"));
  Button2 = NewButton("Button2", QStringLiteral("übernehmen"));
  Button3 = NewButton("Button3", QStringLiteral("abbrechen"));

  auto* grid = new QGridLayout(GroupBox1);
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(ComboBox2, 0, 1);
  grid->addWidget(Label2, 1, 0);
  grid->addWidget(ComboBox1, 1, 1);
  grid->addWidget(Label3, 2, 0);
  grid->addWidget(ComboBox3, 2, 1);
  grid->addWidget(Label4, 3, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  buttons->addWidget(Button3);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupBox1);
  layout->addStretch();
  layout->addLayout(buttons);

  connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] { ComboBox2Change(); });
  connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { ComboBox1Change(); });
  connect(Button1, &QPushButton::clicked, this, &TSetup::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TSetup::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TSetup::Button3Click);

  LoadSettings();
  resize(330, 200);
}

EmulatorSettings TSetup::Shown() const {
  return EmulatorSettings{ComboBox2->currentText(), ComboBox1->currentText().trimmed(),
                          ComboBox3->currentText().toInt()};
}

void TSetup::ShowSettings(const EmulatorSettings& s) {
  {
    const QSignalBlocker block(ComboBox2);  // keep the baud rate given here
    const int m = ComboBox2->findText(s.model);
    ComboBox2->setCurrentIndex(m >= 0 ? m : 0);
  }
  ComboBox1->setCurrentText(s.port);  // editable: any text is taken as it is
  int b = ComboBox3->findText(QString::number(s.baud));
  if (b < 0) b = ComboBox3->findText(QString::number(DefaultBaudOf(ComboBox2->currentText())));
  ComboBox3->setCurrentIndex(b);
}

void TSetup::LoadSettings() {
  QSettings st = Store();
  EmulatorSettings s;
  s.model = st.value(QStringLiteral("emulator/model"), QString::fromUtf8(orv::kModelOstrich2)).toString();
  if (ComboBox2->findText(s.model) < 0) s.model = QString::fromUtf8(orv::kModelOstrich2);
  // Without a stored port the first serial port found (if any) is offered.
  const QString firstSerial = ComboBox1->count() > 3 ? ComboBox1->itemText(3) : QString();
  s.port = st.value(QStringLiteral("emulator/port"), firstSerial).toString();
  s.baud = st.value(QStringLiteral("emulator/baud"), DefaultBaudOf(s.model)).toInt();
  ShowSettings(s);
  applied_ = Shown();
}

void TSetup::ApplySettings() {
  applied_ = Shown();
  QSettings st = Store();
  st.setValue(QStringLiteral("emulator/model"), applied_.model);
  st.setValue(QStringLiteral("emulator/port"), applied_.port);
  st.setValue(QStringLiteral("emulator/baud"), applied_.baud);
  st.sync();
}

void TSetup::ComboBox1Change() {
  Label4->setVisible(ComboBox1->currentText().trimmed().startsWith(QStringLiteral("LPT"), Qt::CaseInsensitive));
}

void TSetup::ComboBox2Change() {
  const int b = ComboBox3->findText(QString::number(DefaultBaudOf(ComboBox2->currentText())));
  if (b >= 0) ComboBox3->setCurrentIndex(b);
}

void TSetup::Button1Click() {
  ApplySettings();
  accept();
}

void TSetup::Button2Click() { ApplySettings(); }

void TSetup::Button3Click() { reject(); }

void TSetup::reject() {
  ShowSettings(applied_);
  FormBase::reject();
}
