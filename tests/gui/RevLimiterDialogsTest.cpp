// The rev limiter dialogs with a generated database and images: the value dialog
// shows and stores the limit (undoable), the definition dialog shows and stores
// record 0's address, factor and type.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include "ScriptedSeam.h"
#include "dialogs/Drehzdef.h"
#include "dialogs/Speedlimit.h"
#include "maps/CellFormat.h"
#include "maps/RevLimiter.h"
#include "project/ChipDatabase.h"
#include "support/Fixtures.h"

using namespace orv;
using orv::fixtures::TempDir;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A database whose record 0 defines the limiter, one map record behind it, and a
// pair of 4 KiB images with `value` at `at`.
struct Project {
  TempDir dir;
  std::string dbc = dir.File("motor.dbc");
  std::string org = dir.File("motor.org");
  std::string tun = dir.File("motor.tun");
  Bytes image = Bytes(4096, 0x11);

  Project(const std::string& code, const std::string& addr, const std::string& typ, double faktor,
          std::int64_t at = 0, const Bytes& value = {}) {
    std::copy(value.begin(), value.end(), image.begin() + at);
    fixtures::WriteDatabase(dbc, {fixtures::RevLimiterRecord(code, addr, typ, faktor),
                                  fixtures::MapRecord(1, "Zündung", 4, 4, "200", "N")});
    fixtures::WriteBytes(org, image);
    fixtures::WriteBytes(tun, image);
  }
  void Open(TMainM& m, bool withTuning = true) const {
    m.OpenDatabase(QString::fromStdString(dbc));
    m.OpenImage(ImageKind::Original, QString::fromStdString(org));
    if (withTuning) m.OpenImage(ImageKind::Tuning, QString::fromStdString(tun));
  }
};

Bytes TuningBytes(const TMainM& m, std::int64_t at, std::size_t n) {
  const auto t = m.images.Tuning();
  return Bytes(t.begin() + at, t.begin() + at + static_cast<std::int64_t>(n));
}

TSpeedlimiter* ShowLimiter(TMainM& m) {
  auto* d = m.forms.Speedlimiter;
  d->show();
  QApplication::processEvents();
  return d;
}

TSpeedlimitdef* ShowDefinition(TMainM& m) {
  auto* d = m.forms.Speedlimitdef;
  d->show();
  QApplication::processEvents();
  return d;
}

QStringList Items(const QComboBox* c) {
  QStringList l;
  for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
  return l;
}

}  // namespace

class RevLimiterDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  // ------------------------------------------------------------ value dialog

  void limiterForm() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    auto* d = m->forms.Speedlimiter;
    QCOMPARE(d->objectName(), QStringLiteral("Speedlimiter"));
    QCOMPARE(d->windowTitle(), QStringLiteral("Drehzahlbegrenzer"));
    QCOMPARE(d->size(), QSize(260, 141));
    QCOMPARE(d->pos(), QPoint(180, 104));
    QCOMPARE(d->palette().color(QPalette::Window), QColor(Qt::red));
    QVERIFY(d->windowFlags() & Qt::WindowSystemMenuHint);
    QVERIFY(!(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(d->Label1->text(), QStringLiteral("Aktuell Drehzahlgrenze 1/min.:"));
    QCOMPARE(d->Edit1->text(), QStringLiteral("0"));
    QCOMPARE(d->Button1->text(), QStringLiteral("OK"));
    QCOMPARE(d->Button2->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(d->Button3->text(), QStringLiteral("Uebernehmen"));
    QCOMPARE(d->findChild<QLineEdit*>(QStringLiteral("Edit1")), d->Edit1);
    QCOMPARE(d->findChild<QPushButton*>(QStringLiteral("Button3")), d->Button3);
    // Showing keeps the size: the layout fits into it.
    d->show();
    QApplication::processEvents();
    QCOMPARE(d->size(), QSize(260, 141));
    d->hide();
  }

  void limiterShowsAndStores8Bit() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N8", "100", "N", 30.0, 0x100, {0xC8});
    p.Open(*m);
    auto* d = ShowLimiter(*m);
    QCOMPARE(d->Edit1->text(), QStringLiteral("6000"));

    struct Step { const char* entry; std::uint8_t stored; const char* shown; };
    const Step steps[] = {{"6100", 203, "6090"}, {"9000", 255, "7650"}, {"-50", 0, "0"},
                          {"6029", 200, "6000"}, {"61x5", 2, "60"},     {"$12C", 10, "300"}};
    for (const Step& s : steps) {
      d->Edit1->setText(QString::fromLatin1(s.entry));
      d->Button3Click();
      QCOMPARE(TuningBytes(*m, 0x100, 1), Bytes{s.stored});
      QCOMPARE(d->Edit1->text(), QString::fromLatin1(s.shown));
      QVERIFY(d->isVisible());
    }
    QVERIFY(seam.boxes.isEmpty());
    // Only the limiter's byte changed, and the original image not at all.
    Bytes expected = p.image;
    expected[0x100] = 10;
    QVERIFY(std::equal(expected.begin(), expected.end(), m->images.Tuning().begin()));
    QVERIFY(std::equal(p.image.begin(), p.image.end(), m->images.Original().begin()));
    // Each store is one undoable step.
    m->undoStack->undo();
    QCOMPARE(TuningBytes(*m, 0x100, 1), Bytes{2});
    m->undoStack->undo();
    QCOMPARE(TuningBytes(*m, 0x100, 1), Bytes{200});

    d->Edit1->setText(QStringLiteral("6100"));
    d->Button1Click();
    QVERIFY(!d->isVisible());
    QCOMPARE(TuningBytes(*m, 0x100, 1), Bytes{203});
    // The file is untouched until the tuning image is saved.
    QCOMPARE(fixtures::ReadBytes(p.tun), p.image);
  }

  void limiterByteOrders_data() {
    QTest::addColumn<QString>("typ");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("M16") << "M16" << "N8" << QByteArray("\x1F\x40", 2) << "8000" << QByteArray("\x1B\x58", 2);
    QTest::newRow("I16") << "I16" << "N8" << QByteArray("\x40\x1F", 2) << "8000" << QByteArray("\x58\x1B", 2);
    QTest::newRow("M32") << "M32" << "N8" << QByteArray("\x1F\x40\x00\x00", 4) << "8000"
                         << QByteArray("\x1B\x58\x00\x00", 4);
    QTest::newRow("I32") << "I32" << "N8" << QByteArray("\x40\x1F\x00\x00", 4) << "8000"
                         << QByteArray("\x58\x1B\x00\x00", 4);
    // "N16" doubles the address: 100 hex is read at offset 200 hex.
    QTest::newRow("N16") << "M16" << "N16" << QByteArray("\x1F\x40", 2) << "8000" << QByteArray("\x1B\x58", 2);
  }
  void limiterByteOrders() {
    QFETCH(QString, typ);
    QFETCH(QString, code);
    QFETCH(QByteArray, before);
    QFETCH(QString, shown);
    QFETCH(QByteArray, after);
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const std::int64_t at = code == QStringLiteral("N16") ? 0x200 : 0x100;
    const Project p(code.toStdString(), "100", typ.toStdString(), 1.0, at, Bytes(before.begin(), before.end()));
    p.Open(*m);
    auto* d = ShowLimiter(*m);
    QCOMPARE(d->Edit1->text(), shown);
    d->Edit1->setText(QStringLiteral("7000"));
    d->Button3Click();
    QCOMPARE(TuningBytes(*m, at, static_cast<std::size_t>(after.size())), Bytes(after.begin(), after.end()));
    QCOMPARE(d->Edit1->text(), QStringLiteral("7000"));
    QVERIFY(seam.boxes.isEmpty());
  }

  // Record 0 marked signed: the value reads and clamps as two's complement.
  void limiterSignedValue() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N8", "100", "I16", 30.0, 0x100, {0x9C, 0xFF});  // -100, or 65436 unsigned
    p.Open(*m);
    auto* d = ShowLimiter(*m);
    QCOMPARE(d->Edit1->text(), QStringLiteral("1963080"));
    d->Button2Click();
    TDatensatz rec0 = fixtures::RevLimiterRecord("N8", "100", "I16", 30.0);
    WriteCellFormatMarks(rec0, {true, {}, {}});
    fixtures::WriteDatabase(p.dbc, {rec0, fixtures::MapRecord(1, "Zündung", 4, 4, "200", "N")});
    m->OpenDatabase(QString::fromStdString(p.dbc));
    d = ShowLimiter(*m);
    QCOMPARE(d->Edit1->text(), QStringLiteral("-3000"));
    d->Edit1->setText(QStringLiteral("-6000"));
    d->Button3Click();
    QCOMPARE(TuningBytes(*m, 0x100, 2), (Bytes{0x38, 0xFF}));  // -200
    QCOMPARE(d->Edit1->text(), QStringLiteral("-6000"));
    d->Edit1->setText(QStringLiteral("-2000000"));
    d->Button3Click();
    QCOMPARE(TuningBytes(*m, 0x100, 2), (Bytes{0x00, 0x80}));  // held at -32768
    QCOMPARE(d->Edit1->text(), QStringLiteral("-983040"));
    QVERIFY(seam.boxes.isEmpty());
    d->Button2Click();
  }

  void limiterHalfFactorTruncates() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N8", "10", "M16", 0.5, 0x10, {0x2E, 0xE1});  // 12001
    p.Open(*m);
    auto* d = ShowLimiter(*m);
    QCOMPARE(d->Edit1->text(), QStringLiteral("6000"));
  }

  void limiterActivationShowsStoredValue() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N8", "100", "N", 30.0, 0x100, {0xC8});
    p.Open(*m);
    auto* d = ShowLimiter(*m);
    d->Edit1->setText(QStringLiteral("1234"));
    d->FormActivate();
    QCOMPARE(d->Edit1->text(), QStringLiteral("6000"));
    QCOMPARE(TuningBytes(*m, 0x100, 1), Bytes{0xC8});
  }

  void limiterNone() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N8", "100", "K", 30.0, 0x100, {0xC8});
    p.Open(*m);
    auto* d = ShowLimiter(*m);
    QCOMPARE(d->Edit1->text(), QStringLiteral("Keiner"));
    d->Edit1->setText(QStringLiteral("5000"));
    d->Button1Click();
    QVERIFY(!d->isVisible());
    QVERIFY(std::equal(p.image.begin(), p.image.end(), m->images.Tuning().begin()));
    QCOMPARE(m->undoStack->count(), 0);
    QVERIFY(seam.boxes.isEmpty());
  }

  void limiterFactorZeroFails() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N8", "100", "N", 0.0, 0x100, {0xC8});
    p.Open(*m);
    auto* d = ShowLimiter(*m);
    QCOMPARE(d->Edit1->text(), QStringLiteral("0"));  // 0 x 200
    d->Edit1->setText(QStringLiteral("6000"));
    d->Button1Click();
    QVERIFY(d->isVisible());
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Error);
    QCOMPARE(seam.boxes[0].caption, QStringLiteral("Orvanta 2000"));
    QCOMPARE(seam.boxes[0].text, QStringLiteral("Gleitkommadivision durch Null"));
    d->Button3Click();
    QCOMPARE(seam.boxes.size(), 2);
    QCOMPARE(seam.boxes[1].text, QStringLiteral("Gleitkommadivision durch Null"));
    QVERIFY(d->isVisible());
    QCOMPARE(TuningBytes(*m, 0x100, 1), Bytes{0xC8});
    QCOMPARE(m->undoStack->count(), 0);
    d->Button2Click();
    QVERIFY(!d->isVisible());
  }

  void limiterWithoutDatabaseOrTuning() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    {  // nothing open at all
      auto* d = ShowLimiter(*m);
      QCOMPARE(d->Edit1->text(), QStringLiteral("0"));
      d->Edit1->setText(QStringLiteral("7000"));
      d->Button3Click();
      QVERIFY(d->isVisible());
      QCOMPARE(d->Edit1->text(), QStringLiteral("7000"));
      d->Button1Click();
      QVERIFY(!d->isVisible());
    }
    const Project p("N8", "100", "N", 30.0, 0x100, {0xC8});
    p.Open(*m, /*withTuning=*/false);  // database and original, no tuning image
    auto* d = ShowLimiter(*m);
    QCOMPARE(d->Edit1->text(), QStringLiteral("7000"));
    d->Button3Click();
    QVERIFY(d->isVisible());
    d->Button1Click();
    QVERIFY(!d->isVisible());
    QVERIFY(seam.boxes.isEmpty());
    QVERIFY(!m->images.TuningLoaded());
  }

  void limiterThroughTheMenu() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N8", "100", "N", 30.0, 0x100, {0xC8});
    p.Open(*m);
    QString shown;
    QTimer::singleShot(0, m.get(), [&] {
      auto* d = m->forms.Speedlimiter;
      shown = d->Edit1->text();
      d->Edit1->setText(QStringLiteral("6100"));
      d->Button1->click();
    });
    m->Drehzahlbegrenzer1Click();
    QCOMPARE(shown, QStringLiteral("6000"));
    QCOMPARE(TuningBytes(*m, 0x100, 1), Bytes{203});
    QVERIFY(seam.boxes.isEmpty());
  }

  // ------------------------------------------------------------ definition dialog

  void definitionForm() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    auto* d = m->forms.Speedlimitdef;
    QCOMPARE(d->objectName(), QStringLiteral("Speedlimitdef"));
    QCOMPARE(d->windowTitle(), QStringLiteral("Drehzahlbegrenzer definieren"));
    QCOMPARE(d->size(), QSize(331, 221));
    QCOMPARE(d->pos(), QPoint(157, 102));
    QCOMPARE(d->Label1->text(), QStringLiteral("Adresse in Hex:"));
    QCOMPARE(d->Label2->text(), QStringLiteral("Faktor:"));
    QCOMPARE(d->Label3->text(), QStringLiteral("Typ:"));
    QCOMPARE(d->Edit1->text(), QStringLiteral("0"));
    QCOMPARE(d->Edit1->maxLength(), 6);
    QCOMPARE(d->Edit2->text(), QStringLiteral("1"));
    QVERIFY(d->Edit2->isEnabled());
    QVERIFY(d->ComboBox2->isEnabled());
    QCOMPARE(Items(d->ComboBox2), (QStringList{"Keiner", "8 Bit", "16 Bit Motorola", "16 Bit Intel",
                                               "32 Bit Motorola", "32 Bit Intel"}));
    QCOMPARE(d->ComboBox2->currentText(), QStringLiteral("Keiner"));
    QCOMPARE(d->CheckBoxVorzeichen->text(), QStringLiteral("Vorzeichen"));
    QVERIFY(!d->CheckBoxVorzeichen->isChecked() && d->CheckBoxVorzeichen->isEnabled());
    QCOMPARE(d->Button1->text(), QStringLiteral("OK"));
    QCOMPARE(d->Button2->text(), QStringLiteral("Abbrechen"));
    d->show();
    QApplication::processEvents();
    QCOMPARE(d->size(), QSize(331, 221));
    d->hide();
  }

  void definitionNewDatabase() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    TempDir dir;
    m->CreateDatabase(QString::fromStdString(dir.File("neu.dbc")));
    auto* d = m->forms.Speedlimitdef;
    d->Edit2->setText(QStringLiteral("77"));
    d->ComboBox2->setCurrentIndex(3);
    ShowDefinition(*m);
    QCOMPARE(d->Edit2->text(), QStringLiteral("1"));
    QCOMPARE(d->ComboBox2->currentText(), QStringLiteral("Keiner"));
    QCOMPARE(d->Edit1->text(), QStringLiteral("0"));
    QVERIFY(seam.boxes.isEmpty());
    d->Button2Click();
  }

  void definitionShowsRecord0() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N16", "7FF0", "I16", 30.0);
    p.Open(*m);
    auto* d = ShowDefinition(*m);
    QCOMPARE(d->Edit2->text(), QStringLiteral("30"));
    QCOMPARE(d->ComboBox2->currentText(), QStringLiteral("16 Bit Intel"));
    QCOMPARE(d->ComboBox2->currentIndex(), 3);
    QCOMPARE(d->Edit1->text(), QStringLiteral("7FF0"));
    // Activation loads again over what was typed.
    d->Edit2->setText(QStringLiteral("12"));
    d->ComboBox2->setCurrentIndex(1);
    d->FormActivate();
    QCOMPARE(d->Edit2->text(), QStringLiteral("30"));
    QCOMPARE(d->ComboBox2->currentIndex(), 3);
    // The record buffer holds record 0 now.
    QCOMPARE(m->db.Datensatz.get(fld::KennfeldTyp), std::string("I16"));
    d->Button2Click();
  }

  void definitionCancelLeavesFile() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N8", "100", "N", 30.0);
    p.Open(*m);
    const Bytes file = fixtures::ReadBytes(p.dbc);
    auto* d = ShowDefinition(*m);
    d->Edit1->setText(QStringLiteral("ABC"));
    d->Edit2->setText(QStringLiteral("5"));
    d->ComboBox2->setCurrentIndex(5);
    d->Button2Click();
    QVERIFY(!d->isVisible());
    QCOMPARE(fixtures::ReadBytes(p.dbc), file);
  }

  void definitionOkStoresThreeFields_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("factor");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("storedAddress");
    QTest::addColumn<double>("storedFactor");
    QTest::addColumn<QString>("storedType");
    QTest::newRow("M16") << "1ab" << "2,5" << 2 << "0001AB" << 2.5 << "M16";
    QTest::newRow("I32") << " ffe0 " << "0.4" << 5 << "00FFE0" << 0.4 << "I32";
    QTest::newRow("K") << "0" << "1" << 0 << "000000" << 1.0 << "K";
    QTest::newRow("N") << "123456" << "30" << 1 << "123456" << 30.0 << "N";
  }
  void definitionOkStoresThreeFields() {
    QFETCH(QString, address);
    QFETCH(QString, factor);
    QFETCH(int, type);
    QFETCH(QString, storedAddress);
    QFETCH(double, storedFactor);
    QFETCH(QString, storedType);
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N16", "7FF0", "I16", 30.0);
    // Bytes no field owns, and bytes behind short texts, must survive the write.
    Bytes file = fixtures::ReadBytes(p.dbc);
    file[114] = 0xA5;
    file[136] = 0x5A;
    file[33 + 6] = 0x77;  // behind "7FF0" in `Anfangsadresse`
    file[100 + 3] = 0x66; // behind "I16" in `KennfeldTyp`
    fixtures::WriteBytes(p.dbc, file);
    p.Open(*m);
    auto* d = ShowDefinition(*m);
    d->Edit1->setText(address);
    d->Edit2->setText(factor);
    d->ComboBox2->setCurrentIndex(type);
    d->Button1Click();
    QVERIFY(seam.boxes.isEmpty());
    QVERIFY(!d->isVisible());

    TDatensatz expected;
    std::copy(file.begin(), file.begin() + kRecordSize, expected.bytes.begin());
    expected.set(fld::Anfangsadresse, storedAddress.toStdString());
    expected.set(fld::Faktor, storedFactor);
    expected.set(fld::KennfeldTyp, storedType.toStdString());
    const Bytes now = fixtures::ReadBytes(p.dbc);
    QCOMPARE(now.size(), file.size());
    QVERIFY(std::equal(expected.bytes.begin(), expected.bytes.end(), now.begin()));
    QVERIFY(std::equal(file.begin() + kRecordSize, file.end(), now.begin() + kRecordSize));
    // Shown again, the dialog reads what was stored.
    ShowDefinition(*m);
    QCOMPARE(d->Edit1->text(), storedAddress);
    QCOMPARE(d->ComboBox2->currentIndex(), type);
    d->Button2Click();
  }

  // The sign of the value is a cell format mark in record 0's spare bytes; an
  // unchanged sign keeps whatever those bytes held.
  void definitionStoresTheSign() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N8", "100", "I16", 30.0);
    Bytes file = fixtures::ReadBytes(p.dbc);
    const Bytes unknownMarks{'O', 'V', 0x80, 0, 0, 1};
    const int at[] = {114, 115, 136, 138, 139, 140};
    for (int i = 0; i < 6; ++i) file[static_cast<std::size_t>(at[i])] = unknownMarks[static_cast<std::size_t>(i)];
    fixtures::WriteBytes(p.dbc, file);
    p.Open(*m);
    auto* d = ShowDefinition(*m);
    QVERIFY(!d->CheckBoxVorzeichen->isChecked());
    d->Button1Click();
    for (int i : at) QCOMPARE(fixtures::ReadBytes(p.dbc)[static_cast<std::size_t>(i)], file[static_cast<std::size_t>(i)]);
    d = ShowDefinition(*m);
    d->CheckBoxVorzeichen->setChecked(true);
    d->Button1Click();
    TDatensatz rec0;
    std::copy_n(fixtures::ReadBytes(p.dbc).begin(), kRecordSize, rec0.bytes.begin());
    QVERIFY(ReadCellFormatMarks(rec0).marks == (CellFormatMarks{true, {}, {}}));
    QVERIFY(RevLimiterFromRecord(rec0, "N8").isSigned);
    d = ShowDefinition(*m);
    QVERIFY(d->CheckBoxVorzeichen->isChecked());
    d->CheckBoxVorzeichen->setChecked(false);
    d->Button1Click();
    std::copy_n(fixtures::ReadBytes(p.dbc).begin(), kRecordSize, rec0.bytes.begin());
    QCOMPARE(ReadCellFormatMarks(rec0).state, MarksState::Absent);
    QVERIFY(seam.boxes.isEmpty());
  }

  void definitionRefusesBadInput_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("factor");
    QTest::newRow("factor text") << "100" << "abc";
    QTest::newRow("factor 0") << "100" << "0";
    QTest::newRow("factor negative") << "100" << "-3";
    QTest::newRow("factor empty") << "100" << "";
    QTest::newRow("factor two separators") << "100" << "1,2.5";
    QTest::newRow("address not hex") << "12G" << "30";
    QTest::newRow("address empty") << "" << "30";
    QTest::newRow("address dollar") << "$100" << "30";
  }
  void definitionRefusesBadInput() {
    QFETCH(QString, address);
    QFETCH(QString, factor);
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N8", "100", "N", 30.0);
    p.Open(*m);
    const Bytes file = fixtures::ReadBytes(p.dbc);
    auto* d = ShowDefinition(*m);
    d->Edit1->setText(address);
    d->Edit2->setText(factor);
    d->Button1Click();
    QVERIFY(d->isVisible());
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Warning);
    QCOMPARE(seam.boxes[0].caption, QStringLiteral("Warnung"));
    QCOMPARE(fixtures::ReadBytes(p.dbc), file);
    // What was typed stays for correcting.
    QCOMPARE(d->Edit2->text(), factor);
    d->Button2Click();
  }

  void definitionTypedTypeFallsBack() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    auto* d = ShowDefinition(*m);
    d->ComboBox2->setCurrentIndex(4);
    d->ComboBox2->setEditText(QStringLiteral("16 Bit Intel"));
    QCOMPARE(d->ComboBox2->currentIndex(), 3);
    d->ComboBox2->setEditText(QStringLiteral("12 Bit"));
    QCOMPARE(d->ComboBox2->currentIndex(), 0);
    QCOMPARE(d->ComboBox2->currentText(), QStringLiteral("Keiner"));
    d->ComboBox2->setCurrentIndex(2);
    QTest::keyClicks(d->ComboBox2->lineEdit(), QStringLiteral("x"));
    QCOMPARE(d->ComboBox2->currentText(), QStringLiteral("Keiner"));
    QCOMPARE(d->ComboBox2->count(), 6);
    d->Button2Click();
  }

  void definitionWithoutDatabase() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    auto* d = ShowDefinition(*m);
    QCOMPARE(d->Edit1->text(), QStringLiteral("0"));
    QCOMPARE(d->Edit2->text(), QStringLiteral("1"));
    d->Button1Click();
    QVERIFY(!d->isVisible());
    QVERIFY(seam.boxes.isEmpty());
  }

  void definitionThroughTheMenu() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const Project p("N8", "100", "N", 30.0);
    p.Open(*m);
    QTimer::singleShot(0, m.get(), [&] {
      auto* d = m->forms.Speedlimitdef;
      d->Edit2->setText(QStringLiteral("40"));
      d->Button1->click();
    });
    m->Drehzahlbegrenzerdefinieren1Click();
    m->db.SatzLesen(0);
    QCOMPARE(m->db.Datensatz.get(fld::Faktor), 40.0);
    QCOMPARE(m->db.Datensatz.get(fld::KennfeldTyp), std::string("N"));
    QCOMPARE(m->db.Datensatz.get(fld::XBeschriftung), std::string("N8"));
    QVERIFY(seam.boxes.isEmpty());
  }
};

QTEST_MAIN(RevLimiterDialogsTest)
#include "RevLimiterDialogsTest.moc"
