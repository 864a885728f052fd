// The checksum dialog with generated image pairs: the gate of the command, the
// placeholders, every algorithm through its radio button, the automatic strategy,
// the address range fields, and the correction of the tuning image with its undo.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include "ScriptedSeam.h"
#include "app/SpeedButton.h"
#include "dialogs/Checksum.h"
#include "project/Checksums.h"
#include "project/HexText.h"
#include "support/Fixtures.h"

using namespace orv;
using orv::fixtures::TempDir;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kOrgFive = {0x01, 0x02, 0x03, 0x04, 0x05};
const Bytes kTunFive = {0x01, 0x02, 0x03, 0x14, 0x05};

// An original and a tuning image written to files and loaded into a main window.
struct Images {
  TempDir dir;
  std::string org = dir.File("motor.org");
  std::string tun = dir.File("motor.tun");

  Images(const Bytes& o, const Bytes& t) {
    fixtures::WriteBytes(org, o);
    fixtures::WriteBytes(tun, t);
  }
  void Open(TMainM& m, bool original = true, bool tuning = true) const {
    if (original) m.OpenImage(ImageKind::Original, QString::fromStdString(org));
    if (tuning) m.OpenImage(ImageKind::Tuning, QString::fromStdString(tun));
  }
};

// 64 bytes of a varied pattern, and a copy with a few small raises.
Bytes Pattern() {
  Bytes b(64);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>((i * 37 + 11) & 0xFF);
  return b;
}
Bytes Tuned() {
  Bytes b = Pattern();
  b[20] = static_cast<std::uint8_t>(b[20] + 3);
  b[41] = static_cast<std::uint8_t>(b[41] + 1);
  return b;
}

TChecksumme* Show(TMainM& m) {
  auto* d = m.forms.Checksumme;
  d->show();
  QApplication::processEvents();
  return d;
}

QRadioButton* Radio(TChecksumme* d, const char* name) {
  auto* r = d->findChild<QRadioButton*>(QString::fromLatin1(name));
  if (!r) qFatal("no radio button %s", name);
  return r;
}

QStringList Values(const TChecksumme* d) {
  return {d->Label5->text(), d->Label6->text(), d->Label7->text(), d->Label8->text()};
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Opens the dialog through the command; reports whether it showed (and closes it).
bool OpensThroughCommand(TMainM& m) {
  bool shown = false;
  QTimer::singleShot(0, m.forms.Checksumme, [&] {
    shown = m.forms.Checksumme->isVisible();
    m.forms.Checksumme->reject();
  });
  m.Checksumme1Click();
  QApplication::processEvents();
  return shown;
}

Bytes TuningBytes(const TMainM& m) {
  const auto t = m.images.Tuning();
  return Bytes(t.begin(), t.end());
}

}  // namespace

class ChecksumDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // ------------------------------------------------------------------ gate
  void gateNeedsBothFlags() {
    test::ScriptedSeam seam;
    Images img(kOrgFive, kTunFive);

    auto onlyOriginal = test::MakeMainWindow();
    img.Open(*onlyOriginal, true, false);
    QVERIFY(!OpensThroughCommand(*onlyOriginal));

    auto both = test::MakeMainWindow();
    img.Open(*both);
    both->view.flags.TuningZeigen = false;  // surface switched off
    QVERIFY(!OpensThroughCommand(*both));
    both->view.flags.TuningZeigen = true;
    both->view.flags.OriginalZeigen = false;
    QVERIFY(!OpensThroughCommand(*both));
    both->view.flags.OriginalZeigen = true;
    QVERIFY(OpensThroughCommand(*both));
    // The tool button runs the same handler.
    bool shown = false;
    QTimer::singleShot(0, both->forms.Checksumme, [&] {
      shown = both->forms.Checksumme->isVisible();
      both->forms.Checksumme->reject();
    });
    both->SpeedButton8->click();
    QApplication::processEvents();
    QVERIFY(shown);
    QVERIFY(seam.boxes.isEmpty());
  }

  void flagsWithoutImagesShowNotLoaded() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    m->view.flags.OriginalZeigen = m->view.flags.TuningZeigen = true;  // by the view commands
    QVERIFY(OpensThroughCommand(*m));
    auto* d = Show(*m);
    Radio(d, "RadioButton4")->setChecked(true);
    d->Button3Click();
    QCOMPARE(Values(d), (QStringList{"nicht geladen", "nicht geladen", "", ""}));
    d->Button5->setEnabled(true);
    d->Edit3->setText("0");
    d->Button5Click();
    QCOMPARE(seam.texts(), QStringList{"Die Original-Datei ist nicht geladen."});
    // "senden" hands over to the emulator upload, which finds nothing to send.
    seam.boxes.clear();
    d->Button4Click();
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Information);
    QVERIFY(seam.boxes[0].text.contains("keine Tuning-Datei"));
  }

  // ------------------------------------------------------------------ form
  void initialFormAndPlaceholders() {
    test::ScriptedSeam seam;
    Images img(kOrgFive, kTunFive);
    auto m = test::MakeMainWindow();
    img.Open(*m);
    auto* d = Show(*m);
    QCOMPARE(d->windowTitle(), QString("Checksumme"));
    QVERIFY(d->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(d->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(d->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE((QStringList{d->Label1->text(), d->Label2->text(), d->Label3->text(), d->Label4->text()}),
             (QStringList{"Original-Datei:", "Tuning-Datei:", "Differenz:", "Byte:"}));
    QCOMPARE(Values(d), QStringList(4, "**********"));
    QVERIFY(d->RadioButton2->isChecked() && d->RadioButton3->isChecked() && d->RadioButton6->isChecked() &&
            d->RadioButton16->isChecked());
    QVERIFY(d->RadioButton1->isEnabled() && d->RadioButton7->isEnabled());
    QVERIFY(d->RadioButton9->isHidden() && !d->RadioButton9->isEnabled());
    QCOMPARE(d->RadioButton9->text(), QString("MSA15"));
    for (const char* n : {"RadioButton10", "RadioButton11", "RadioButton12", "RadioButton4", "RadioButton5",
                          "RadioButton13", "RadioButton8", "RadioButton14", "RadioButton15", "RadioButton16",
                          "RadioButton17", "RadioButton18"})
      QVERIFY2(Radio(d, n)->isVisible() && Radio(d, n)->isEnabled(), n);
    QCOMPARE(Radio(d, "RadioButton2")->text(), QString("manuell"));
    QCOMPARE(Radio(d, "RadioButton1")->text(), QString("Automatisch"));
    QCOMPARE(Radio(d, "RadioButton6")->text(), QString("Alles (Ganze Datei)"));
    QCOMPARE(Radio(d, "RadioButton7")->text(), QString("Start-End- Adresse"));
    QCOMPARE(Radio(d, "RadioButton16")->text(), QString("Mathematisch UND"));
    QCOMPARE(Radio(d, "RadioButton17")->text(), QString("Boolsches AND"));
    QCOMPARE(Radio(d, "RadioButton18")->text(), QString("Boolsche XOR"));
    QCOMPARE(d->Label9->text(), QString("Auch andere Checksummenalgorithmen vorhanden"));
    QCOMPARE(d->Label9->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(d->Label9->font().pixelSize(), 15);
    QCOMPARE((QStringList{d->Button1->text(), d->Button2->text(), d->Button3->text(), d->Button4->text(),
                          d->Button5->text()}),
             (QStringList{"OK", "Abbrechen", "Refresh", "senden", "Korrigieren"}));
    QVERIFY(d->Button4->isVisible());
    QVERIFY(!d->Button5->isEnabled());  // "Keine"
    QVERIFY(!d->Edit1->isEnabled() && !d->Edit2->isEnabled());
    QCOMPARE(d->Label11->text(), QString("Korrektur-Adresse (Hex):"));
    QVERIFY(d->Label10->isHidden());

    // Showing again in manual mode changes nothing, also after the tuning image changed.
    Radio(d, "RadioButton10")->setChecked(true);
    d->Button3Click();
    const QStringList shown = Values(d);
    d->hide();
    m->images.TuningMutable()[0] = 0x80;
    Show(*m);
    QCOMPARE(Values(d), shown);
    QVERIFY(seam.boxes.isEmpty());
  }

  // ------------------------------------------------------------------ algorithms
  void everyAlgorithm_data() {
    QTest::addColumn<QString>("radio");
    QTest::addColumn<int>("algorithm");
    QTest::addColumn<QString>("original");
    QTest::addColumn<QString>("tuning");
    QTest::addColumn<QString>("difference");
    QTest::addColumn<bool>("note");
    // Original 01 02 03 04 05, tuning 01 02 03 14 05; sums over 16 bits.
    auto row = [](const char* radio, ChecksumAlgorithm a, const char* o, const char* t, const char* diff, bool note) {
      QTest::newRow(radio) << QString(radio) << static_cast<int>(a) << QString(o) << QString(t) << QString(diff)
                           << note;
    };
    row("RadioButton10", ChecksumAlgorithm::Byte, "0x000F (15)", "0x001F (31)", "0x0010 (16)", false);
    row("RadioButton11", ChecksumAlgorithm::ByteEven, "0x0009 (9)", "0x0009 (9)", "0x0000 (0)", false);
    row("RadioButton12", ChecksumAlgorithm::ByteOdd, "0x0006 (6)", "0x0016 (22)", "0x0010 (16)", false);
    row("RadioButton4", ChecksumAlgorithm::WordHL, "0x0406 (1030)", "0x0416 (1046)", "0x0010 (16)", true);
    row("RadioButton5", ChecksumAlgorithm::WordEvenHL, "0x0102 (258)", "0x0102 (258)", "0x0000 (0)", true);
    row("RadioButton13", ChecksumAlgorithm::WordOddHL, "0x0304 (772)", "0x0314 (788)", "0x0010 (16)", false);
    row("RadioButton8", ChecksumAlgorithm::WordLH, "0x0604 (1540)", "0x1604 (5636)", "0x1000 (4096)", true);
    row("RadioButton14", ChecksumAlgorithm::WordEvenLH, "0x0201 (513)", "0x0201 (513)", "0x0000 (0)", true);
    row("RadioButton15", ChecksumAlgorithm::WordOddLH, "0x0403 (1027)", "0x1403 (5123)", "0x1000 (4096)", false);
  }

  void everyAlgorithm() {
    QFETCH(QString, radio);
    QFETCH(int, algorithm);
    QFETCH(QString, original);
    QFETCH(QString, tuning);
    QFETCH(QString, difference);
    QFETCH(bool, note);
    test::ScriptedSeam seam;
    Images img(kOrgFive, kTunFive);
    auto m = test::MakeMainWindow();
    img.Open(*m);
    auto* d = Show(*m);
    const auto a = static_cast<ChecksumAlgorithm>(algorithm);
    QRadioButton* r = Radio(d, radio.toLatin1().constData());
    QCOMPARE(r->text(), QString(AlgorithmCaption(a)));
    r->setChecked(true);
    QCOMPARE(Values(d), QStringList(4, "**********"));  // manual: nothing until Refresh
    QTest::mouseClick(d->Button3, Qt::LeftButton);
    QCOMPARE(Values(d), (QStringList{original, tuning, difference, "1"}));
    QCOMPARE(d->Label10->isVisible(), note);
    QVERIFY(d->Button5->isEnabled());

    // The other two ways of summing give what the core computes, in the element's width.
    for (const auto& [name, mode] : {std::pair{"RadioButton17", SumMode::And}, std::pair{"RadioButton18", SumMode::Xor}}) {
      Radio(d, name)->setChecked(true);
      QCOMPARE(d->Button5->isEnabled(), mode == SumMode::Xor);
      d->Button3Click();
      const auto o = ComputeChecksum(kOrgFive, a, mode, ChecksumRange::All());
      const auto t = ComputeChecksum(kTunFive, a, mode, ChecksumRange::All());
      QCOMPARE(o.Width, ElementSize(a) * 8);
      QCOMPARE(d->Label5->text(), Q(FormatChecksum(o.Value, o.Width)));
      QCOMPARE(d->Label6->text(), Q(FormatChecksum(t.Value, t.Width)));
      QCOMPARE(d->Label7->text(), Q(FormatChecksum(ChecksumDifference(o.Value, t.Value, o.Width), o.Width)));
    }
    QVERIFY(seam.boxes.isEmpty());
  }

  void keineCountsOnlyBytes() {
    test::ScriptedSeam seam;
    Images img(kOrgFive, kTunFive);
    auto m = test::MakeMainWindow();
    img.Open(*m);
    auto* d = Show(*m);
    d->Button3Click();
    QCOMPARE(Values(d), (QStringList{"", "", "", "1"}));
  }

  // ------------------------------------------------------------------ strategy
  void automaticHidesSendenAndRecomputes() {
    test::ScriptedSeam seam;
    Images img(kOrgFive, kTunFive);
    auto m = test::MakeMainWindow();
    img.Open(*m);
    auto* d = Show(*m);
    Radio(d, "RadioButton10")->setChecked(true);
    d->RadioButton1->click();
    QVERIFY(d->Automatic());
    QVERIFY(d->Button4->isHidden());
    QCOMPARE(Values(d), (QStringList{"0x000F (15)", "0x001F (31)", "0x0010 (16)", "1"}));
    // Every option change recomputes at once.
    Radio(d, "RadioButton12")->setChecked(true);
    QCOMPARE(d->Label6->text(), QString("0x0016 (22)"));
    Radio(d, "RadioButton18")->setChecked(true);
    QCOMPARE(d->Label5->text(), QString("0x06 (6)"));  // 02 ^ 04
    // Showing the dialog recomputes too.
    d->hide();
    m->images.TuningMutable()[1] = 0x00;
    Show(*m);
    QCOMPARE(d->Label6->text(), QString("0x14 (20)"));
    QCOMPARE(d->Label8->text(), QString("2"));
    // "manuell" brings "senden" back and stops recomputing.
    d->RadioButton2->click();
    QVERIFY(d->Button4->isVisible());
    Radio(d, "RadioButton16")->setChecked(true);
    QCOMPARE(d->Label5->text(), QString("0x06 (6)"));
    QVERIFY(seam.boxes.isEmpty());
  }

  // ------------------------------------------------------------------ range
  void rangeFields() {
    test::ScriptedSeam seam;
    Images img(kOrgFive, kTunFive);
    auto m = test::MakeMainWindow();
    img.Open(*m);
    auto* d = Show(*m);
    Radio(d, "RadioButton10")->setChecked(true);
    Radio(d, "RadioButton7")->setChecked(true);
    QVERIFY(d->Edit1->isEnabled() && d->Edit2->isEnabled());

    // Inclusive at both ends.
    d->Edit1->setText("1");
    d->Edit2->setText("3");
    d->Button3Click();
    QCOMPARE(Values(d), (QStringList{"0x0009 (9)", "0x0019 (25)", "0x0010 (16)", "1"}));
    // Clipped to the image.
    d->Edit1->setText("2");
    d->Edit2->setText("fFfF");
    d->Button3Click();
    QCOMPARE(d->Label5->text(), QString("0x000C (12)"));
    // An odd word range leaves its last byte out and says so.
    Radio(d, "RadioButton4")->setChecked(true);
    d->Edit1->setText("0");
    d->Edit2->setText("2");
    d->Button3Click();
    QCOMPARE(d->Label5->text(), QString("0x0102 (258)"));
    QVERIFY(d->Label10->isVisible());
    QVERIFY(seam.boxes.isEmpty());

    struct Bad {
      const char *start, *end, *message;
    };
    for (const Bad& b : {Bad{"3", "1", "Die End-Adresse liegt vor der Start-Adresse."},
                         Bad{"1G", "3", "Die Start-Adresse ist keine Hexadezimalzahl."},
                         Bad{"0x1", "3", "Die Start-Adresse ist keine Hexadezimalzahl."},
                         Bad{"1", "", "Die End-Adresse ist keine Hexadezimalzahl."},
                         Bad{"1", "1 2", "Die End-Adresse ist keine Hexadezimalzahl."},
                         Bad{"80000000", "80000001", "Die Start-Adresse ist zu groß."},
                         Bad{"1", "FFFFFFFF", "Die End-Adresse ist zu groß."}}) {
      seam.boxes.clear();
      d->Edit1->setText(b.start);
      d->Edit2->setText(b.end);
      d->Button3Click();
      QCOMPARE(seam.boxes.size(), 1);
      QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Warning);
      QCOMPARE(seam.boxes[0].caption, QString("Warnung"));
      QCOMPARE(seam.boxes[0].text, QString(b.message));
      QCOMPARE(Values(d), QStringList(4, "**********"));  // no result
      QVERIFY(d->Label10->isHidden());
    }

    // Automatic: a field still empty is passed over quietly; a filled bad one warns.
    seam.boxes.clear();
    d->Edit1->clear();
    d->Edit2->clear();
    d->RadioButton1->setChecked(true);
    QVERIFY(seam.boxes.isEmpty());
    d->Edit1->setText("3");
    d->Edit2->setText("4");
    d->OptionChange();
    QCOMPARE(d->Label5->text(), QString("0x0405 (1029)"));
    d->Edit2->setText("2");
    d->OptionChange();
    QCOMPARE(seam.texts(), QStringList{"Die End-Adresse liegt vor der Start-Adresse."});
  }

  // ------------------------------------------------------------------ correction
  void correctionMakesChecksumsEqual_data() {
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("range");
    QTest::newRow("8 bit sum") << "RadioButton10" << "RadioButton16" << "3" << false;
    QTest::newRow("8 bit xor") << "RadioButton10" << "RadioButton18" << "3f" << false;
    QTest::newRow("8 bit odd sum in range") << "RadioButton12" << "RadioButton16" << "13" << true;
    QTest::newRow("16 bit H/L sum") << "RadioButton4" << "RadioButton16" << "A" << false;
    QTest::newRow("16 bit L/H sum") << "RadioButton8" << "RadioButton16" << "3E" << false;
    QTest::newRow("16 bit H/L xor") << "RadioButton4" << "RadioButton18" << "0" << false;
    QTest::newRow("16 bit even L/H xor in range") << "RadioButton14" << "RadioButton18" << "14" << true;
    QTest::newRow("16 bit even H/L sum") << "RadioButton5" << "RadioButton16" << "4" << false;
  }

  void correctionMakesChecksumsEqual() {
    QFETCH(QString, radio);
    QFETCH(QString, mode);
    QFETCH(QString, address);
    QFETCH(bool, range);
    test::ScriptedSeam seam;
    Images img(Pattern(), Tuned());
    auto m = test::MakeMainWindow();
    img.Open(*m);
    auto* d = Show(*m);
    Radio(d, radio.toLatin1().constData())->setChecked(true);
    Radio(d, mode.toLatin1().constData())->setChecked(true);
    if (range) {
      d->RadioButton7->setChecked(true);
      d->Edit1->setText("10");  // 0x10..0x2F holds both raised bytes
      d->Edit2->setText("2F");
    }
    d->Button3Click();
    QVERIFY(d->Label5->text() != d->Label6->text());
    const Bytes before = TuningBytes(*m);
    const int steps = m->undoStack->count();

    d->Edit3->setText(address);
    QTest::mouseClick(d->Button5, Qt::LeftButton);
    QVERIFY2(seam.boxes.isEmpty(), qPrintable(seam.texts().join('|')));
    QCOMPARE(d->Label5->text(), d->Label6->text());
    QVERIFY(d->Label7->text().startsWith("0x00"));
    QVERIFY(d->Label7->text().endsWith(" (0)"));
    const Bytes after = TuningBytes(*m);
    const auto at = static_cast<std::size_t>(ParseHex(address.toStdString()));
    for (std::size_t i = 0; i < after.size(); ++i)
      if (i < at || i >= at + 2) QCOMPARE(after[i], before[i]);
    QVERIFY(after != before);

    // One undoable step, which puts the old bytes back.
    QCOMPARE(m->undoStack->count(), steps + 1);
    QCOMPARE(m->undoStack->undoText(), QString("Checksumme korrigieren"));
    m->undoStack->undo();
    QCOMPARE(TuningBytes(*m), before);
    m->undoStack->redo();
    QCOMPARE(TuningBytes(*m), after);
  }

  void correctionRefusals() {
    test::ScriptedSeam seam;
    Bytes tuned = Tuned();
    tuned[7] = static_cast<std::uint8_t>(tuned[7] + 200);  // 0x0E -> 0xD6
    Images img(Pattern(), tuned);
    auto m = test::MakeMainWindow();
    img.Open(*m);
    auto* d = Show(*m);
    const Bytes before = TuningBytes(*m);
    const int steps = m->undoStack->count();
    auto expectRefused = [&](const QString& address, const QString& startOfMessage) {
      seam.boxes.clear();
      d->Edit3->setText(address);
      d->Button5Click();
      QCOMPARE(seam.boxes.size(), 1);
      QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Warning);
      QVERIFY2(seam.boxes[0].text.startsWith(startOfMessage), qPrintable(seam.boxes[0].text));
      QCOMPARE(TuningBytes(*m), before);
      QCOMPARE(m->undoStack->count(), steps);
    };

    // Not offered for "Keine" and "Boolsches AND".
    QVERIFY(!d->Button5->isEnabled());
    Radio(d, "RadioButton4")->setChecked(true);
    QVERIFY(d->Button5->isEnabled());
    Radio(d, "RadioButton17")->setChecked(true);
    QVERIFY(!d->Button5->isEnabled());
    Radio(d, "RadioButton16")->setChecked(true);

    d->RadioButton7->setChecked(true);
    d->Edit1->setText("10");
    d->Edit2->setText("2F");
    expectRefused("5", "Die Korrektur-Adresse liegt außerhalb");   // before the range
    expectRefused("30", "Die Korrektur-Adresse liegt außerhalb");  // behind it
    expectRefused("11", "An der Korrektur-Adresse beginnt kein Element");  // mid-word
    expectRefused("", "Die Korrektur-Adresse ist keine Hexadezimalzahl.");
    expectRefused("1x", "Die Korrektur-Adresse ist keine Hexadezimalzahl.");
    d->Edit2->setText("F");
    expectRefused("10", "Die End-Adresse liegt vor der Start-Adresse.");

    d->RadioButton6->setChecked(true);
    expectRefused("40", "Die Korrektur-Adresse liegt außerhalb");  // behind the image
    Radio(d, "RadioButton5")->setChecked(true);
    expectRefused("2", "An der Korrektur-Adresse beginnt kein Element");  // odd word of "gerade"
    // Byte sums: the tuning image is 204 above the original; a byte of 0x0B would have to go negative.
    Radio(d, "RadioButton10")->setChecked(true);
    QCOMPARE(before[0], std::uint8_t{0x0B});
    expectRefused("0", "Die Checksumme der Original-Datei lässt sich");
  }
};

QTEST_MAIN(ChecksumDialogTest)
#include "ChecksumDialogTest.moc"
