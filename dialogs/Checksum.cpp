#include "dialogs/Checksum.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/EmulatorUpload.h"
#include "app/Main.h"
#include "app/Seams.h"
#include "project/HexText.h"

using orv::ChecksumAlgorithm;
using orv::SumMode;
using orv::ui::BoxKind;
using orv::ui::CaptionOf;
using orv::ui::Ui;

namespace {

const QString kPlaceholder = QStringLiteral("**********");

// A field that is to hold an address: blanks around are allowed, otherwise only
// hexadecimal digits, at least one.
bool IsHexText(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return false;
  for (const QChar c : t)
    if (!c.isDigit() && !(c >= QLatin1Char('a') && c <= QLatin1Char('f')) &&
        !(c >= QLatin1Char('A') && c <= QLatin1Char('F')))
      return false;
  return true;
}

std::int64_t HexValue(const QString& text) { return orv::ParseHex(text.trimmed().toStdString()); }

QString CorrectionMessage(orv::CorrectionError e) {
  switch (e) {
    case orv::CorrectionError::None:
      break;
    case orv::CorrectionError::NotCorrectable:
      return QStringLiteral("Diese Checksumme lässt sich nicht korrigieren.");
    case orv::CorrectionError::RangeInvalid:
      return QStringLiteral("Der Adressbereich ist ungültig.");
    case orv::CorrectionError::ImageNotLoaded:
      return QStringLiteral("Die Tuning-Datei ist nicht geladen.");
    case orv::CorrectionError::AddressOutside:
      return QStringLiteral("Die Korrektur-Adresse liegt außerhalb des Bereichs oder außerhalb der Tuning-Datei.");
    case orv::CorrectionError::AddressNotElement:
      return QStringLiteral(
          "An der Korrektur-Adresse beginnt kein Element dieser Checksumme (bei 16 Bit der Anfang eines "
          "Worts, bei gerade/ungerade eine passende Position).");
    case orv::CorrectionError::TargetNotReachable:
      return QStringLiteral(
          "Die Checksumme der Original-Datei lässt sich durch Ändern dieser einen Stelle nicht erreichen.");
  }
  return {};
}

}  // namespace

TChecksumme::TChecksumme(TMainM& main)
    : FormBase(main, QStringLiteral("Checksumme"), QStringLiteral("Checksumme"), orv::ui::BorderIcons::CloseOnly) {
  auto radio = [](QWidget* parent, const char* name, const QString& text) {
    auto* r = new QRadioButton(text, parent);
    r->setObjectName(QString::fromLatin1(name));
    return r;
  };
  auto group = [this](const char* name, const QString& title) {
    auto* g = new QGroupBox(title, this);
    g->setObjectName(QString::fromLatin1(name));
    return g;
  };
  auto hexField = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(8);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 16);
    return e;
  };

  // ---- results
  Label1 = NewLabel("Label1", QStringLiteral("Original-Datei:"));
  Label2 = NewLabel("Label2", QStringLiteral("Tuning-Datei:"));
  Label3 = NewLabel("Label3", QStringLiteral("Differenz:"));
  Label4 = NewLabel("Label4", QStringLiteral("Byte:"));
  Label5 = NewLabel("Label5", kPlaceholder);
  Label6 = NewLabel("Label6", kPlaceholder);
  Label7 = NewLabel("Label7", kPlaceholder);
  Label8 = NewLabel("Label8", kPlaceholder);
  Label10 = NewLabel("Label10", QStringLiteral("Hinweis: ein einzelnes Byte am Ende des Bereichs wurde nicht mitgezählt."));
  Label10->setWordWrap(true);
  Label10->hide();

  // ---- "Strategie"
  GroupBox1 = group("GroupBox1", QStringLiteral("Strategie"));
  RadioButton2 = radio(GroupBox1, "RadioButton2", QStringLiteral("manuell"));
  RadioButton1 = radio(GroupBox1, "RadioButton1", QStringLiteral("Automatisch"));
  RadioButton2->setChecked(true);
  auto* strategie = new QVBoxLayout(GroupBox1);
  strategie->addWidget(RadioButton2);
  strategie->addWidget(RadioButton1);
  strategie->addStretch();

  // ---- "Checksumme:"
  GroupBox2 = group("GroupBox2", QStringLiteral("Checksumme:"));
  RadioButton3 = radio(GroupBox2, "RadioButton3", QStringLiteral("Keine"));
  RadioButton10 = radio(GroupBox2, "RadioButton10", QStringLiteral("8Bit Normal"));
  RadioButton11 = radio(GroupBox2, "RadioButton11", QStringLiteral("8 Bit gerade"));
  RadioButton12 = radio(GroupBox2, "RadioButton12", QStringLiteral("8 Bit ungerade"));
  RadioButton4 = radio(GroupBox2, "RadioButton4", QStringLiteral("16 Bit Normal H/L"));
  RadioButton5 = radio(GroupBox2, "RadioButton5", QStringLiteral("16 Bit  gerade H/L"));
  RadioButton13 = radio(GroupBox2, "RadioButton13", QStringLiteral("16 Bit ungerade H/L"));
  RadioButton8 = radio(GroupBox2, "RadioButton8", QStringLiteral("16 Bit Normal L/H"));
  RadioButton14 = radio(GroupBox2, "RadioButton14", QStringLiteral("16 Bit  gerade L/H"));
  RadioButton15 = radio(GroupBox2, "RadioButton15", QStringLiteral("16 Bit ungerade L/H"));
  RadioButton9 = radio(GroupBox2, "RadioButton9", QStringLiteral("MSA15"));
  RadioButton9->setEnabled(false);
  RadioButton9->hide();
  RadioButton3->setChecked(true);
  Label9 = new QLabel(QStringLiteral("Auch andere Checksummenalgorithmen vorhanden"), GroupBox2);
  Label9->setObjectName(QStringLiteral("Label9"));
  Label9->setWordWrap(true);
  {
    QFont f = Label9->font();
    f.setPixelSize(15);
    Label9->setFont(f);
    QPalette pal = Label9->palette();
    pal.setColor(QPalette::WindowText, Qt::red);
    Label9->setPalette(pal);
  }
  auto* checksumme = new QGridLayout(GroupBox2);
  checksumme->addWidget(RadioButton3, 0, 0);
  checksumme->addWidget(RadioButton10, 1, 0);
  checksumme->addWidget(RadioButton11, 2, 0);
  checksumme->addWidget(RadioButton12, 3, 0);
  checksumme->addWidget(RadioButton9, 4, 0);
  checksumme->addWidget(RadioButton4, 0, 1);
  checksumme->addWidget(RadioButton5, 1, 1);
  checksumme->addWidget(RadioButton13, 2, 1);
  checksumme->addWidget(RadioButton8, 3, 1);
  checksumme->addWidget(RadioButton14, 4, 1);
  checksumme->addWidget(RadioButton15, 5, 1);
  checksumme->addWidget(Label9, 6, 0, 1, 2);

  // ---- "Alles / Teil"
  GroupBox3 = group("GroupBox3", QStringLiteral("Alles / Teil"));
  RadioButton6 = radio(GroupBox3, "RadioButton6", QStringLiteral("Alles (Ganze Datei)"));
  RadioButton7 = radio(GroupBox3, "RadioButton7", QStringLiteral("Start-End- Adresse"));
  RadioButton6->setChecked(true);
  Edit1 = hexField("Edit1");
  Edit2 = hexField("Edit2");
  Edit1->setParent(GroupBox3);
  Edit2->setParent(GroupBox3);
  Label12 = new QLabel(QStringLiteral("bis"), GroupBox3);
  Label12->setObjectName(QStringLiteral("Label12"));
  auto* teil = new QGridLayout(GroupBox3);
  teil->addWidget(RadioButton6, 0, 0, 1, 3);
  teil->addWidget(RadioButton7, 1, 0, 1, 3);
  teil->addWidget(Edit1, 2, 0);
  teil->addWidget(Label12, 2, 1);
  teil->addWidget(Edit2, 2, 2);

  // ---- "Summenbildung"
  GroupBox4 = group("GroupBox4", QStringLiteral("Summenbildung"));
  RadioButton16 = radio(GroupBox4, "RadioButton16", QStringLiteral("Mathematisch UND"));
  RadioButton17 = radio(GroupBox4, "RadioButton17", QStringLiteral("Boolsches AND"));
  RadioButton18 = radio(GroupBox4, "RadioButton18", QStringLiteral("Boolsche XOR"));
  RadioButton16->setChecked(true);
  auto* summen = new QVBoxLayout(GroupBox4);
  summen->addWidget(RadioButton16);
  summen->addWidget(RadioButton17);
  summen->addWidget(RadioButton18);

  // ---- correction
  Label11 = NewLabel("Label11", QStringLiteral("Korrektur-Adresse (Hex):"));
  Edit3 = hexField("Edit3");
  Button5 = NewButton("Button5", QStringLiteral("Korrigieren"));

  // ---- bottom row
  Button1 = NewButton("Button1", QStringLiteral("OK"));
  Button2 = NewButton("Button2", QStringLiteral("Abbrechen"));
  Button3 = NewButton("Button3", QStringLiteral("Refresh"));
  Button4 = NewButton("Button4", QStringLiteral("senden"));

  // ---- layout: results top left, options below, buttons along the bottom
  auto* results = new QGridLayout;
  results->addWidget(Label1, 0, 0);
  results->addWidget(Label5, 0, 1);
  results->addWidget(Label2, 1, 0);
  results->addWidget(Label6, 1, 1);
  results->addWidget(Label3, 2, 0);
  results->addWidget(Label7, 2, 1);
  results->addWidget(Label4, 3, 0);
  results->addWidget(Label8, 3, 1);
  results->addWidget(Label10, 4, 0, 1, 2);
  results->setColumnStretch(1, 1);

  auto* right = new QVBoxLayout;
  right->addWidget(GroupBox3);
  right->addWidget(GroupBox4);
  auto* options = new QHBoxLayout;
  options->addWidget(GroupBox1);
  options->addWidget(GroupBox2);
  options->addLayout(right);

  auto* correction = new QHBoxLayout;
  correction->addWidget(Label11);
  correction->addWidget(Edit3);
  correction->addWidget(Button5);
  correction->addStretch();

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  buttons->addWidget(Button3);
  buttons->addWidget(Button4);
  buttons->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(results);
  layout->addLayout(options);
  layout->addLayout(correction);
  layout->addStretch();
  layout->addLayout(buttons);

  // ---- events
  connect(Button1, &QPushButton::clicked, this, &TChecksumme::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TChecksumme::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TChecksumme::Button3Click);
  connect(Button4, &QPushButton::clicked, this, &TChecksumme::Button4Click);
  connect(Button5, &QPushButton::clicked, this, &TChecksumme::Button5Click);
  connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
    if (on) RadioButton1Click();
  });
  connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
    if (on) RadioButton2Click();
  });
  for (QRadioButton* r : {RadioButton3, RadioButton10, RadioButton11, RadioButton12, RadioButton4, RadioButton5,
                          RadioButton13, RadioButton8, RadioButton14, RadioButton15, RadioButton6, RadioButton7,
                          RadioButton16, RadioButton17, RadioButton18})
    connect(r, &QRadioButton::toggled, this, [this](bool on) {
      if (on) OptionChange();
    });
  connect(Edit1, &QLineEdit::editingFinished, this, &TChecksumme::OptionChange);
  connect(Edit2, &QLineEdit::editingFinished, this, &TChecksumme::OptionChange);

  UpdateEnabled();
  resize(600, 440);
}

// ------------------------------------------------------------------ choices

ChecksumAlgorithm TChecksumme::Algorithm() const {
  if (RadioButton10->isChecked()) return ChecksumAlgorithm::Byte;
  if (RadioButton11->isChecked()) return ChecksumAlgorithm::ByteEven;
  if (RadioButton12->isChecked()) return ChecksumAlgorithm::ByteOdd;
  if (RadioButton4->isChecked()) return ChecksumAlgorithm::WordHL;
  if (RadioButton5->isChecked()) return ChecksumAlgorithm::WordEvenHL;
  if (RadioButton13->isChecked()) return ChecksumAlgorithm::WordOddHL;
  if (RadioButton8->isChecked()) return ChecksumAlgorithm::WordLH;
  if (RadioButton14->isChecked()) return ChecksumAlgorithm::WordEvenLH;
  if (RadioButton15->isChecked()) return ChecksumAlgorithm::WordOddLH;
  return ChecksumAlgorithm::None;
}

SumMode TChecksumme::Mode() const {
  if (RadioButton17->isChecked()) return SumMode::And;
  if (RadioButton18->isChecked()) return SumMode::Xor;
  return SumMode::Sum;
}

bool TChecksumme::Automatic() const { return RadioButton1->isChecked(); }

void TChecksumme::UpdateEnabled() {
  const bool teil = RadioButton7->isChecked();
  Edit1->setEnabled(teil);
  Edit2->setEnabled(teil);
  Button5->setEnabled(Algorithm() != ChecksumAlgorithm::None && Mode() != SumMode::And);
}

void TChecksumme::Warn(const QString& text) {
  // While the box is up a field may lose focus and end its editing: no recomputing then.
  const bool was = refreshing_;
  refreshing_ = true;
  Ui().Message(this, BoxKind::Warning, CaptionOf(BoxKind::Warning), text);
  refreshing_ = was;
}

std::optional<orv::ChecksumRange> TChecksumme::ReadRange(bool quietWhileTyping) {
  if (!RadioButton7->isChecked()) return orv::ChecksumRange::All();
  const QString start = Edit1->text(), end = Edit2->text();
  if (quietWhileTyping && (start.trimmed().isEmpty() || end.trimmed().isEmpty())) return std::nullopt;
  if (!IsHexText(start)) {
    Warn(QStringLiteral("Die Start-Adresse ist keine Hexadezimalzahl."));
    return std::nullopt;
  }
  if (!IsHexText(end)) {
    Warn(QStringLiteral("Die End-Adresse ist keine Hexadezimalzahl."));
    return std::nullopt;
  }
  // Eight digits from 80000000 on read as negative: far beyond any image.
  const std::int64_t first = HexValue(start), last = HexValue(end);
  if (first < 0) {
    Warn(QStringLiteral("Die Start-Adresse ist zu groß."));
    return std::nullopt;
  }
  if (last < 0) {
    Warn(QStringLiteral("Die End-Adresse ist zu groß."));
    return std::nullopt;
  }
  const auto range = orv::ChecksumRange::Between(first, last);
  if (orv::CheckRange(range) != orv::RangeError::None) {
    Warn(QStringLiteral("Die End-Adresse liegt vor der Start-Adresse."));
    return std::nullopt;
  }
  return range;
}

// ------------------------------------------------------------------ results

void TChecksumme::ShowPlaceholders() {
  for (QLabel* l : {Label5, Label6, Label7, Label8}) l->setText(kPlaceholder);
  Label10->hide();
}

void TChecksumme::Refresh(bool quietWhileTyping) {
  if (refreshing_) return;  // a warning box may end a field's editing once more
  refreshing_ = true;
  Run([&] {
    const auto range = ReadRange(quietWhileTyping);
    if (!range) {
      ShowPlaceholders();
      return;
    }
    // Spans of images that are not loaded are empty: the report says "nicht geladen".
    const orv::ChecksumReport rep =
        orv::MakeChecksumReport(Main.images.Original(), Main.images.Tuning(), Algorithm(), Mode(), *range);
    Label5->setText(QString::fromStdString(rep.OriginalText));
    Label6->setText(QString::fromStdString(rep.TuningText));
    Label7->setText(QString::fromStdString(rep.DifferenzText));
    Label8->setText(QString::fromStdString(rep.ByteText));
    Label10->setVisible(rep.OddByteLeftOut);
  });
  refreshing_ = false;
}

// ------------------------------------------------------------------ handlers

void TChecksumme::showEvent(QShowEvent* e) {
  FormBase::showEvent(e);
  FormShow();
}

void TChecksumme::FormShow() {
  if (Automatic()) Refresh(true);
}

void TChecksumme::Button1Click() { accept(); }

void TChecksumme::Button2Click() { reject(); }

void TChecksumme::Button3Click() { Refresh(false); }

void TChecksumme::Button4Click() {
  Run([&] { SendTuningToEmulator(Main); });
}

void TChecksumme::RadioButton1Click() {
  Button4->hide();
  Refresh(true);
}

void TChecksumme::RadioButton2Click() { Button4->show(); }

void TChecksumme::OptionChange() {
  UpdateEnabled();
  if (Automatic()) Refresh(true);
}

void TChecksumme::Button5Click() {
  Run([&] {
    const ChecksumAlgorithm algorithm = Algorithm();
    const SumMode mode = Mode();
    if (algorithm == ChecksumAlgorithm::None || mode == SumMode::And) {
      Warn(CorrectionMessage(orv::CorrectionError::NotCorrectable));
      return;
    }
    const auto range = ReadRange(false);
    if (!range) return;
    if (!IsHexText(Edit3->text())) {
      Warn(QStringLiteral("Die Korrektur-Adresse ist keine Hexadezimalzahl."));
      return;
    }
    const std::int64_t address = HexValue(Edit3->text());
    if (!Main.images.OriginalLoaded()) {
      Warn(QStringLiteral("Die Original-Datei ist nicht geladen."));
      return;
    }
    if (!Main.images.TuningLoaded()) {
      Warn(CorrectionMessage(orv::CorrectionError::ImageNotLoaded));
      return;
    }
    const std::uint32_t target = orv::ComputeChecksum(Main.images.Original(), algorithm, mode, *range).Value;
    orv::CorrectionResult result;
    Main.TuningEdit(QStringLiteral("Checksumme korrigieren"), address, orv::ElementSize(algorithm), [&] {
      result = orv::CorrectChecksum(target, Main.images.TuningMutable(), algorithm, mode, *range, address);
    });
    if (!result.Ok()) {
      Warn(CorrectionMessage(result.Error));
      return;
    }
    Refresh(false);
  });
}
