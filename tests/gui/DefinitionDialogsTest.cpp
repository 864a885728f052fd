// The map definition dialogs with generated databases: the map data form loads
// and writes one record, the new map definition form appends one, the map list
// dialog shows, picks and removes records, and the controller system dialog
// stores the system code in record 0.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "ScriptedSeam.h"
#include "dialogs/KFdefinieren.h"
#include "dialogs/Kennfelderanz.h"
#include "dialogs/Namenaendern.h"
#include "dialogs/Sysdaten.h"
#include "app/SpeedButton.h"
#include "maps/CellFormat.h"
#include "project/ChipDatabase.h"
#include "support/Fixtures.h"

using namespace orv;
using orv::fixtures::TempDir;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A map record whose bytes outside the fields hold odd values, so that a writer
// that does not keep them is caught: reserved bytes and the bytes behind texts.
TDatensatz OddRecord(std::int32_t nummer) {
  TDatensatz r = fixtures::MapRecord(nummer, "Zündung", 16, 8, "1f0", "M16", '3', "Drehzahl (1/min) oben", "Last");
  for (int i : {114, 115, 136, 138, 139, 140}) r.bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xC0 + i % 16);
  // Behind the name's text (length 7 of 32) and behind the Y label.
  for (int i = 9; i < 33; ++i) r.bytes[static_cast<std::size_t>(i)] = 0xEE;
  for (int i = 80; i < 100; ++i) r.bytes[static_cast<std::size_t>(i)] = 0x5A;
  r.set(fld::XAnfangswert, -250);
  r.set(fld::YAnfangswert, 1000);
  r.set(fld::XFaktor, 0.4);
  r.set(fld::YFaktor, 12.5);
  r.set(fld::XRueckwaerts, true);
  r.set(fld::YAddition, true);
  r.set(fld::XMultiplikation, true);
  r.set(fld::XAdresse, "a0");
  r.set(fld::Faktor, 3.0);
  r.set(fld::Kennung, "Q");
  return r;
}

struct Db {
  TempDir dir;
  std::string path = dir.File("motor.dbc");
  explicit Db(const std::vector<TDatensatz>& records) { fixtures::WriteDatabase(path, records); }
  TDatensatz Record(std::int32_t i) const {
    const Bytes all = fixtures::ReadBytes(path);
    TDatensatz r;
    std::copy_n(all.begin() + i * kRecordSize, kRecordSize, r.bytes.begin());
    return r;
  }
  std::size_t Count() const { return fixtures::ReadBytes(path).size() / kRecordSize; }
  QString Q() const { return QString::fromStdString(path); }
};

std::vector<TDatensatz> Standard(const std::string& system = "N8") {
  return {fixtures::RevLimiterRecord(system, "7FF0", "N", 0.5), fixtures::MapRecord(1, "Benzin", 4, 4, "100", "N"),
          fixtures::MapRecord(2, "Zündung", 8, 8, "200", "I16", '2'), fixtures::MapRecord(3, "Ladedruck", 2, 2, "300", "N")};
}

QString Cell(const QTableWidget* g, int row, int col) {
  const QTableWidgetItem* it = g->item(row, col);
  return it ? it->text() : QString();
}

// Shows a dialog modelessly (as the modal show does, minus the wait).
template <typename T>
T* Show(T* form) {
  form->show();
  QApplication::processEvents();
  return form;
}

}  // namespace

class DefinitionDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  // ------------------------------------------------------------ map data form

  void mapFormLayout() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    TKF_Namen* f = m->forms.KF_Namen;
    QCOMPARE(f->windowTitle(), QStringLiteral("Kennfeld-Daten ändern"));
    QCOMPARE(f->ComboBox1->currentText(), QStringLiteral("Automatisch"));
    QCOMPARE(f->ComboBox1->lineEdit()->maxLength(), 24);
    QCOMPARE(f->ComboBox1->count(), 5);
    QCOMPARE(f->ComboBox1->itemText(1), QStringLiteral("Zündung"));
    QVERIFY(f->Edit1->isHidden());
    QVERIFY(!f->Edit1->isEnabled());
    QCOMPARE(f->Edit1->maxLength(), 6);
    QVERIFY(f->ComboBox2->isHidden());
    QCOMPARE(f->ComboBox2->currentText(), QStringLiteral("8 Bit"));
    QCOMPARE(f->ComboBox2->count(), 5);
    QVERIFY(!f->ComboBox3->isEnabled());
    QVERIFY(!f->ComboBox6->isEnabled());
    QCOMPARE(f->ComboBox3->currentText(), QStringLiteral("16"));
    QCOMPARE(f->ComboBox3->count(), 9);
    QCOMPARE(f->ComboBox3->itemText(8), QStringLiteral("256"));
    QCOMPARE(f->ComboBox4->lineEdit()->maxLength(), 15);
    QCOMPARE(f->ComboBox5->itemText(1), QStringLiteral("Drehzahl"));
    QVERIFY(!f->Edit3->isEnabled());
    QVERIFY(!f->Edit5->isEnabled());
    QCOMPARE(f->Edit5->maxLength(), 3);
    QVERIFY(!f->CheckBox2->isEnabled());
    QVERIFY(f->CheckBox8->isHidden());
    QVERIFY(f->CheckBox9->isHidden());
    QVERIFY(f->Edit7->isHidden());
    QCOMPARE(f->Button1->text(), QStringLiteral("Uebernehmen"));
    QCOMPARE(f->Button2->text(), QStringLiteral("Abbrechen"));
    QVERIFY(f->RadioButton1->isChecked());
    QVERIFY(!f->Shape1->isHidden() && !f->Shape2->isHidden() && f->Shape3->isHidden() && f->Shape4->isHidden());
    QCOMPARE(f->GroupBox3->size(), QSize(200, 199));
    QVERIFY(!(f->windowFlags() & Qt::WindowMinimizeButtonHint));
    // The cell format, enabled here as in the new map form.
    QCOMPARE(f->CheckBoxVorzeichen->text(), QStringLiteral("Vorzeichen"));
    QVERIFY(!f->CheckBoxVorzeichen->isChecked() && f->CheckBoxVorzeichen->isEnabled());
    for (QComboBox* c : {f->ComboBoxXAchsTyp, f->ComboBoxYAchsTyp}) {
      QCOMPARE(c->count(), 6);
      QCOMPARE(c->currentText(), QStringLiteral("wie Kennfeld"));
      QCOMPARE(c->itemText(5), QStringLiteral("32 Bit Intel"));
      QVERIFY(c->isEnabled() && !c->isEditable());
    }
    QVERIFY(!f->CheckBoxXAchsVorzeichen->isChecked() && !f->CheckBoxYAchsVorzeichen->isChecked());
    QVERIFY(f->LabelZellformat->isHidden());
    // They sit beside the controls of the form, overlapping none.
    const QRect type = f->ComboBox2->geometry(), sign = f->CheckBoxVorzeichen->geometry();
    QVERIFY(sign.left() > type.right() && sign.top() >= type.top() && sign.bottom() <= type.bottom() + 2);
    for (QWidget* w : f->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (w == f->CheckBoxVorzeichen || w == f->GroupBoxAchsTyp || w == f->LabelZellformat || w->isWindow()) continue;
      for (QWidget* added : {static_cast<QWidget*>(f->CheckBoxVorzeichen), static_cast<QWidget*>(f->GroupBoxAchsTyp),
                             static_cast<QWidget*>(f->LabelZellformat)})
        QVERIFY2(!w->geometry().intersects(added->geometry()), qPrintable(w->objectName()));
      QVERIFY2(f->rect().contains(w->geometry()), qPrintable(w->objectName()));
    }
  }

  // The marks as a record holds them: valid ones are shown and kept, unknown
  // ones are shown as the default with a note and kept by an unchanged save.
  void cellFormatMarksAreShownAndKept_data() {
    QTest::addColumn<QByteArray>("spare");  // bytes 114, 115, 136, 138, 139, 140
    QTest::addColumn<bool>("signedCells");
    QTest::addColumn<int>("xType");
    QTest::addColumn<bool>("xSigned");
    QTest::addColumn<int>("yType");
    QTest::addColumn<bool>("unknown");
    QTest::newRow("valid") << QByteArray("OV\x01\x12\x05\x01", 6) << true << 2 << true << 5 << false;
    QTest::newRow("unknown") << QByteArray("OV\x04\x00\x00\x01", 6) << false << 0 << false << 0 << true;
    QTest::newRow("leftovers") << QByteArray("\xC2\xC3\xC8\xCA\xCB\xCC", 6) << false << 0 << false << 0 << false;
  }
  void cellFormatMarksAreShownAndKept() {
    QFETCH(QByteArray, spare);
    QFETCH(bool, signedCells);
    QFETCH(int, xType);
    QFETCH(bool, xSigned);
    QFETCH(int, yType);
    QFETCH(bool, unknown);
    test::ScriptedSeam seam;
    TDatensatz before = OddRecord(1);
    const int at[] = {114, 115, 136, 138, 139, 140};
    for (int i = 0; i < 6; ++i) before.bytes[static_cast<std::size_t>(at[i])] = static_cast<std::uint8_t>(spare[i]);
    Db db({fixtures::RevLimiterRecord("N8", "0", "K", 1.0), before});
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TKF_Namen* f = m->forms.KF_Namen;
    f->RecordNumber = 1;
    Show(f);
    QCOMPARE(f->CheckBoxVorzeichen->isChecked(), signedCells);
    QCOMPARE(f->ComboBoxXAchsTyp->currentIndex(), xType);
    QCOMPARE(f->CheckBoxXAchsVorzeichen->isChecked(), xSigned);
    QCOMPARE(f->ComboBoxYAchsTyp->currentIndex(), yType);
    QVERIFY(!f->CheckBoxYAchsVorzeichen->isChecked());
    QCOMPARE(f->LabelZellformat->isHidden(), !unknown);
    f->Button1Click();
    QVERIFY(seam.boxes.isEmpty());
    const TDatensatz after = db.Record(1);
    for (int i : at) QCOMPARE(after.bytes[static_cast<std::size_t>(i)], before.bytes[static_cast<std::size_t>(i)]);
    // The reset clears the cell format with the type.
    QVERIFY(!f->CheckBoxVorzeichen->isChecked() && f->LabelZellformat->isHidden());
    QCOMPARE(f->ComboBoxXAchsTyp->currentIndex(), 0);

    // A changed choice is stored, and shown by the next load.
    Show(f);
    f->CheckBoxVorzeichen->setChecked(!signedCells);
    f->ComboBoxYAchsTyp->setCurrentIndex(1);
    f->CheckBoxYAchsVorzeichen->setChecked(true);
    f->Button1Click();
    const MarksReading stored = ReadCellFormatMarks(db.Record(1));
    QCOMPARE(stored.state, MarksState::Valid);
    QCOMPARE(stored.marks.signedCells, !signedCells);
    QVERIFY(stored.marks.y == (AxisFormat{CellType::N, true}));
    Show(f);
    QCOMPARE(f->CheckBoxVorzeichen->isChecked(), !signedCells);
    QCOMPARE(f->ComboBoxYAchsTyp->currentText(), QStringLiteral("8 Bit"));
    QVERIFY(f->LabelZellformat->isHidden());
    f->Button2Click();
  }

  void unchangedSaveKeepsTheRecord() {
    test::ScriptedSeam seam;
    const TDatensatz before = OddRecord(1);
    Db db({fixtures::RevLimiterRecord("N8", "0", "K", 1.0), before});
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TKF_Namen* f = m->forms.KF_Namen;
    f->RecordNumber = 0;
    Show(f);
    QCOMPARE(f->RecordNumber, 1);
    QCOMPARE(f->windowTitle(), QStringLiteral("Kennfeld-Daten ändern von Nr: 1"));
    QCOMPARE(f->Edit1->text(), QStringLiteral("0001F0"));
    QCOMPARE(f->ComboBox2->currentText(), QStringLiteral("16 Bit Motorola"));
    QCOMPARE(f->ComboBox1->currentText(), QStringLiteral("Zündung"));
    QCOMPARE(f->Edit3->text(), QStringLiteral("-250"));
    QVERIFY(f->CheckBox2->isChecked());
    QVERIFY(!f->CheckBox1->isChecked());  // loading does not apply the "Multiplikation" rule
    QVERIFY(f->RadioButton3->isChecked());
    QVERIFY(!f->Edit7->isHidden());
    QCOMPARE(f->Edit7->text(), QStringLiteral("a0"));
    QVERIFY(f->Edit8->isHidden());
    f->Button1Click();
    QVERIFY(!f->isVisible());
    QVERIFY(seam.boxes.isEmpty());

    TDatensatz expected = before;
    expected.set(fld::Faktor, 1.0);
    expected.set(fld::Kennung, "A");
    expected.set(fld::Nummer, 1);
    expected.set(fld::Anfangsadresse, "0001F0");
    const TDatensatz after = db.Record(1);
    for (int i = 0; i < kRecordSize; ++i)
      QVERIFY2(after.bytes[static_cast<std::size_t>(i)] == expected.bytes[static_cast<std::size_t>(i)],
               qPrintable(QStringLiteral("byte %1").arg(i)));
    QCOMPARE(after.get(fld::XAdresse), std::string("a0"));
    QCOMPARE(after.get(fld::YAdresse), std::string());
    // The reset after the save.
    QCOMPARE(f->Edit1->text(), QStringLiteral("0"));
    QCOMPARE(f->ComboBox1->currentText(), QStringLiteral("Automatisch"));
    QCOMPARE(f->ComboBox4->currentText(), QStringLiteral("Automatisch"));
    QVERIFY(f->Edit7->isHidden() && f->Edit7->text().isEmpty());
    QVERIFY(!f->CheckBox8->isChecked());
    QCOMPARE(f->Edit3->text(), QStringLiteral("-250"));  // not reset
  }

  void unknownTypeAndCornerAreKept() {
    test::ScriptedSeam seam;
    TDatensatz odd = OddRecord(1);
    odd.set(fld::KennfeldTyp, "K");
    odd.set(fld::Kreuz, 'z');
    Db db({fixtures::RevLimiterRecord("N8", "0", "K", 1.0), odd});
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TKF_Namen* f = m->forms.KF_Namen;
    f->RecordNumber = 1;
    Show(f);
    QCOMPARE(f->ComboBox2->currentText(), QStringLiteral("8 Bit"));
    QCOMPARE(f->Corner(), 0);
    f->Button1Click();
    QCOMPARE(db.Record(1).get(fld::KennfeldTyp), std::string("K"));
    QCOMPARE(db.Record(1).get(fld::Kreuz), 'z');
  }

  void controlRules() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    TKF_Namen* f = m->forms.KF_Namen;
    f->ComboBox1->setEditText(QString());
    QCOMPARE(f->ComboBox1->currentText(), QStringLiteral("Automatisch"));
    const struct { const char* typed; const char* shown; } dims[] = {
        {"0", "16"}, {"300", "256"}, {"256", "256"}, {"8", "8"}, {"", "16"}, {"-4", "16"}};
    for (const auto& d : dims) {
      f->ComboBox3->setEditText(QString::fromLatin1(d.typed));
      QCOMPARE(f->ComboBox3->currentText(), QString::fromLatin1(d.shown));
      f->ComboBox6->setEditText(QString::fromLatin1(d.typed));
      QCOMPARE(f->ComboBox6->currentText(), QString::fromLatin1(d.shown));
    }
    // Here an emptied label box stays empty.
    f->ComboBox4->setEditText(QString());
    QCOMPARE(f->ComboBox4->currentText(), QString());
    f->Reset();
    // Corner buttons show their two sides.
    const struct { QRadioButton* b; bool l, t, r, bo; } corners[] = {
        {f->RadioButton2, false, true, true, false}, {f->RadioButton3, true, false, false, true},
        {f->RadioButton4, false, false, true, true}, {f->RadioButton1, true, true, false, false}};
    for (const auto& c : corners) {
      c.b->click();
      QCOMPARE(f->Shape1->isHidden(), !c.l);
      QCOMPARE(f->Shape2->isHidden(), !c.t);
      QCOMPARE(f->Shape3->isHidden(), !c.r);
      QCOMPARE(f->Shape4->isHidden(), !c.bo);
    }
  }

  void cornerK4IsStoredAndShownAgain() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TKF_Namen* f = m->forms.KF_Namen;
    f->RecordNumber = 2;
    Show(f);
    QVERIFY(f->RadioButton2->isChecked());
    f->RadioButton4->click();
    f->ComboBox1->setEditText(QStringLiteral("Zündung neu"));
    f->Button1Click();
    QCOMPARE(db.Record(2).get(fld::Kreuz), '4');
    QCOMPARE(db.Record(2).get(fld::Kennfeldname), std::string("Z\xFCndung neu"));
    f->RadioButton1->click();
    Show(f);
    QVERIFY(f->RadioButton4->isChecked());
    QVERIFY(f->Shape1->isHidden() && f->Shape2->isHidden() && !f->Shape3->isHidden() && !f->Shape4->isHidden());
    f->Button2Click();
    QVERIFY(!f->isVisible());
  }

  void dimensionThatIsNoNumberStopsTheSave() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TKF_Namen* f = m->forms.KF_Namen;
    f->RecordNumber = 1;
    Show(f);
    const TDatensatz before = db.Record(1);
    f->ComboBox3->setEditText(QStringLiteral("12x"));
    f->Button1Click();
    QVERIFY(f->isVisible());
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].caption, QStringLiteral("Orvanta 2000"));
    QCOMPARE(seam.boxes[0].text, QStringLiteral("'12x' ist kein gültiger Integerwert"));
    QVERIFY(db.Record(1) == before);
    f->Button2Click();
  }

  void recordThatCannotBeReadIsNeverWritten() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    const Bytes before = fixtures::ReadBytes(db.path);
    TKF_Namen* f = m->forms.KF_Namen;
    f->RecordNumber = 7;  // behind the last record, e.g. after "Letzter Datensatz löschen"
    Show(f);
    QCOMPARE(seam.boxes.size(), 1);
    QVERIFY(!f->Button1->isEnabled());
    f->Button1Click();
    QVERIFY(fixtures::ReadBytes(db.path) == before);
    f->Button2Click();
    f->RecordNumber = 1;
    Show(f);
    QVERIFY(f->Button1->isEnabled());
    f->Button2Click();
  }

  void withoutDatabaseNothingIsReadOrWritten() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    TKF_Namen* f = m->forms.KF_Namen;
    f->RecordNumber = 0;
    Show(f);
    QCOMPARE(f->RecordNumber, 1);
    QCOMPARE(f->windowTitle(), QStringLiteral("Kennfeld-Daten ändern"));
    f->ComboBox1->setEditText(QStringLiteral("xyz"));
    f->Button1Click();
    QVERIFY(!f->isVisible());
    QVERIFY(seam.boxes.isEmpty());
    QCOMPARE(f->ComboBox1->currentText(), QStringLiteral("Automatisch"));
  }

  void mainListFollowsTheMapForm() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    m->ComboBox5->setCurrentIndex(1);
    m->ComboBox5Change();
    QCOMPARE(m->Kf.KfNummer, 2);
    TKF_Namen* f = m->forms.KF_Namen;
    QString caption;
    QTimer::singleShot(0, f, [&] {
      caption = f->windowTitle();
      f->ComboBox1->setEditText(QStringLiteral("Umbenannt"));
      f->Button1Click();
    });
    m->Kennfelddatenaedern1Click();
    QCOMPARE(caption, QStringLiteral("Kennfeld-Daten ändern von Nr: 2"));
    QCOMPARE(m->ComboBox5->currentIndex(), 1);
    QVERIFY(m->ComboBox5->currentText().contains(QStringLiteral("Umbenannt")));
    QCOMPARE(m->ComboBox5->count(), 3);
    QCOMPARE(m->Kf.KfNummer, 2);
    QVERIFY(seam.boxes.isEmpty());
  }

  // ------------------------------------------------------------ new map definition form

  void newFormRulesAndLayout() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    TKennfdefinieren* f = m->forms.Kennfdefinieren;
    QCOMPARE(f->windowTitle(), QStringLiteral("Kennfdefinieren"));
    QCOMPARE(f->Button1->text(), QStringLiteral("definieren"));
    QCOMPARE(f->Button2->text(), QStringLiteral("abbrechen"));
    QVERIFY(!f->Edit1->isHidden() && f->Edit1->isEnabled());
    QVERIFY(f->Edit3->isEnabled() && f->Edit6->isEnabled() && f->CheckBox5->isEnabled());
    QVERIFY(f->ComboBox2->isHidden() && !f->ComboBox3->isEnabled());
    Show(f);
    f->CheckBox2->click();
    QVERIFY(f->CheckBox1->isChecked());
    f->CheckBox2->click();
    QVERIFY(!f->CheckBox2->isChecked());
    QVERIFY(f->CheckBox1->isChecked());
    f->CheckBox4->setChecked(false);
    f->CheckBox5->click();
    QVERIFY(f->CheckBox4->isChecked());
    f->ComboBox4->setEditText(QString());
    QCOMPARE(f->ComboBox4->currentText(), QStringLiteral("Automatisch"));
    f->ComboBox5->setEditText(QString());
    QCOMPARE(f->ComboBox5->currentText(), QStringLiteral("Automatisch"));
    // "abbrechen" resets the texts but keeps start values and flags.
    f->Edit1->setText(QStringLiteral("abc"));
    f->ComboBox1->setEditText(QStringLiteral("Neu"));
    f->Edit3->setText(QStringLiteral("7"));
    f->Button2Click();
    QVERIFY(!f->isVisible());
    Show(f);
    QCOMPARE(f->Edit1->text(), QStringLiteral("0"));
    QCOMPARE(f->ComboBox1->currentText(), QStringLiteral("Automatisch"));
    QCOMPARE(f->Edit3->text(), QStringLiteral("7"));
    QVERIFY(f->CheckBox1->isChecked());
    f->Button2Click();
  }

  void definierenAppendsARecord() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    // Something else in the buffer must not leak into the new record.
    m->db.SatzLesen(2);
    TKennfdefinieren* f = Show(m->forms.Kennfdefinieren);
    f->Edit1->setText(QStringLiteral("1f0"));
    f->ComboBox1->setEditText(QStringLiteral("Standgas"));
    f->ComboBox4->setEditText(QStringLiteral("Winkel"));
    f->Edit3->setText(QStringLiteral("-5"));
    f->Edit5->setText(QStringLiteral("0,5"));
    f->CheckBox3->click();
    f->RadioButton2->click();
    f->CheckBoxVorzeichen->click();
    f->ComboBoxXAchsTyp->setCurrentIndex(3);
    f->Button1Click();
    QVERIFY(seam.boxes.isEmpty());
    QVERIFY(!f->isVisible());
    QCOMPARE(db.Count(), std::size_t{5});
    const TDatensatz r = db.Record(4);
    QCOMPARE(r.get(fld::Nummer), 4);
    QCOMPARE(r.get(fld::Kennfeldname), std::string("Standgas"));
    QCOMPARE(r.get(fld::Anfangsadresse), std::string("0001F0"));
    QCOMPARE(r.get(fld::XDimension), 16);
    QCOMPARE(r.get(fld::YDimension), 16);
    QCOMPARE(r.get(fld::XBeschriftung), std::string("Winkel"));
    QCOMPARE(r.get(fld::YBeschriftung), std::string("Automatisch"));
    QCOMPARE(r.get(fld::KennfeldTyp), std::string("N"));
    QCOMPARE(r.get(fld::XAnfangswert), -5);
    QCOMPARE(r.get(fld::XFaktor), 0.5);
    QCOMPARE(r.get(fld::YFaktor), 1.0);
    QVERIFY(r.get(fld::XRueckwaerts));
    QCOMPARE(r.get(fld::Kreuz), '2');
    QCOMPARE(r.get(fld::Faktor), 1.0);
    QCOMPARE(r.get(fld::Kennung), std::string("A"));
    QVERIFY(ReadCellFormatMarks(r).marks == (CellFormatMarks{true, {CellType::I16, false}, {}}));
    QCOMPARE(f->Edit1->text(), QStringLiteral("0"));  // reset after the append
    QVERIFY(!f->CheckBoxVorzeichen->isChecked());
    // Without a choice the spare bytes of a new record stay 0.
    Show(f);
    f->Button1Click();
    for (int i : {114, 115, 136, 138, 139, 140}) QCOMPARE(db.Record(5).bytes[static_cast<std::size_t>(i)], std::uint8_t{0});
  }

  void definierenRefusesAnAddressThatIsNotHex() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TKennfdefinieren* f = Show(m->forms.Kennfdefinieren);
    f->Edit1->setText(QStringLiteral("12G"));
    f->Button1Click();
    QVERIFY(f->isVisible());
    QCOMPARE(db.Count(), std::size_t{4});
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Warning);
    QCOMPARE(seam.boxes[0].caption, QStringLiteral("Warnung"));
    QVERIFY(seam.boxes[0].text.startsWith(QStringLiteral("Die Anfangsadresse ist keine gültige Hexadezimalzahl")));
    QVERIFY(seam.boxes[0].text.contains(QStringLiteral("12G")));
    f->Button2Click();
  }

  // ------------------------------------------------------------ map list dialog

  void gridOfTheLimiterRecordOnly() {
    test::ScriptedSeam seam;
    Db db({fixtures::RevLimiterRecord("N16", "7FF0", "K", 0.5)});
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TKennfelder* k = Show(m->forms.Kennfelder);
    QTableWidget* g = k->StringGrid1;
    QCOMPARE(g->columnCount(), 10);
    QCOMPARE(g->rowCount(), 2);
    const int widths[] = {32, 153, 80, 41, 39, 50, 32, 38, 100, 100};
    for (int c = 1; c < 10; ++c) QCOMPARE(g->columnWidth(c), widths[c]);
    // The heading row and the empty column 0 are the grid's fixed headers.
    QCOMPARE(g->verticalHeader()->width(), widths[0]);
    QVERIFY(g->isRowHidden(0) && g->isColumnHidden(0));
    QCOMPARE(g->horizontalHeaderItem(1)->text(), QStringLiteral("Kennfeldname"));
    QCOMPARE(g->verticalHeaderItem(1)->text(), QString());
    QCOMPARE(g->toolTip(), QStringLiteral("Markieren des Kennfelder das zu ändern ist"));
    const QStringList headings{QString(), "Kennfeldname", "Anfangsadresse", "X-Dim.", "Y-Dim", "KF-Typ",
                               "KF-Nr", "Faktor", "X-Funktion", "Y-Funktion"};
    for (int c = 0; c < 10; ++c) QCOMPARE(Cell(g, 0, c), headings[c]);
    const QStringList row1{QString(), "Drehzahlbegrenzer", "Geheim", "0", "0", "Geheim", "0", "0,5", "N16", QString()};
    for (int c = 0; c < 10; ++c) QCOMPARE(Cell(g, 1, c), row1[c]);
    QCOMPARE(k->windowTitle(), QStringLiteral("Kennfelder"));
    QCOMPARE(k->Button4->toolTip(), QStringLiteral("löscht das zuletzt definierte Kennfeld"));
    QVERIFY(!k->Button5->isHidden() && k->Button5->isEnabled());
    g->setCurrentCell(1, 1);
    k->StringGrid1Click();
    QCOMPARE(k->windowTitle(), QStringLiteral("gewähltes Kennfeld Nr: --"));
    // The only record cannot be removed.
    k->Button4Click();
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Information);
    QCOMPARE(db.Count(), std::size_t{1});
    k->close();
  }

  void pickingARowOpensThatRecord() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TKennfelder* k = Show(m->forms.Kennfelder);
    QTableWidget* g = k->StringGrid1;
    QCOMPARE(g->rowCount(), 5);
    for (int r = 0; r < 4; ++r) QCOMPARE(Cell(g, r + 1, 6), QString::number(r));  // row r + 1 shows record r
    QCOMPARE(Cell(g, 3, 1), QStringLiteral("Zündung"));
    QCOMPARE(Cell(g, 3, 7), QStringLiteral("1"));
    g->setCurrentCell(4, 2);
    k->StringGrid1Click();
    QCOMPARE(k->windowTitle(), QStringLiteral("gewähltes Kennfeld Nr: 3"));
    QCOMPARE(m->forms.KF_Namen->RecordNumber, 3);
    QString caption;
    TKF_Namen* f = m->forms.KF_Namen;
    QTimer::singleShot(0, f, [&] {
      caption = f->windowTitle();
      f->ComboBox1->setEditText(QStringLiteral("Turbo"));
      f->ComboBox5->setEditText(QStringLiteral("Ladedruck"));
      f->Button1Click();
    });
    k->Button3Click();
    QCOMPARE(caption, QStringLiteral("Kennfeld-Daten ändern von Nr: 3"));
    // The grid shows the change at once.
    QCOMPARE(Cell(g, 4, 1), QStringLiteral("Turbo"));
    QCOMPARE(Cell(g, 4, 9), QStringLiteral("Ladedruck"));
    QCOMPARE(k->windowTitle(), QStringLiteral("Kennfelder"));
    // A "KF-Nr" that is no whole number is a conversion error; nothing changes.
    g->item(2, 6)->setText(QStringLiteral("x1"));
    g->setCurrentCell(2, 1);
    k->StringGrid1Click();
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].text, QStringLiteral("'x1' ist kein gültiger Integerwert"));
    QCOMPARE(k->windowTitle(), QStringLiteral("Kennfelder"));
    QCOMPARE(m->forms.KF_Namen->RecordNumber, 3);
    k->close();
  }

  void deleteLastAsksFirst() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TKennfelder* k = Show(m->forms.Kennfelder);
    k->Button4Click();  // answered "&Nein"
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Confirmation);
    QCOMPARE(seam.boxes[0].caption, QStringLiteral("Bestätigen"));
    QVERIFY(seam.boxes[0].text.contains(QStringLiteral("Nr. 3")));
    QCOMPARE(db.Count(), std::size_t{4});
    seam.answers << true;
    k->Button4Click();
    QCOMPARE(db.Count(), std::size_t{3});
    QCOMPARE(k->StringGrid1->rowCount(), 4);
    QCOMPARE(m->ComboBox5->count(), 2);  // the main list no longer offers the removed map
    seam.answers << true << true;
    k->Button4Click();
    k->Button4Click();
    QCOMPARE(db.Count(), std::size_t{1});
    QCOMPARE(k->StringGrid1->rowCount(), 2);
    k->Button4Click();  // record 0 stays
    QCOMPARE(seam.boxes.last().kind, ui::BoxKind::Information);
    QCOMPARE(db.Count(), std::size_t{1});
    k->close();
  }

  void abbrechenRefillsTheMainList() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    m->EmptyMapList();
    TKennfelder* k = Show(m->forms.Kennfelder);
    k->Button2Click();
    QVERIFY(!k->isVisible());
    QCOMPARE(m->ComboBox5->count(), 3);
  }

  void definierenFromTheList() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TKennfelder* k = Show(m->forms.Kennfelder);
    TKennfdefinieren* f = m->forms.Kennfdefinieren;
    QTimer::singleShot(0, f, [&] {
      f->Edit1->setText(QStringLiteral("400"));
      f->ComboBox1->setEditText(QStringLiteral("Diesel"));
      f->Button1Click();
    });
    k->Button1Click();
    QCOMPARE(k->StringGrid1->rowCount(), 6);
    QCOMPARE(Cell(k->StringGrid1, 5, 1), QStringLiteral("Diesel"));
    QCOMPARE(Cell(k->StringGrid1, 5, 6), QStringLiteral("4"));
    k->close();
  }

  // ------------------------------------------------------------ controller system dialog

  void systemCodeRoundTrip() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TSytemdat* s = m->forms.Sytemdat;
    QCOMPARE(s->windowTitle(), QStringLiteral("Controller-Sytem"));
    QVERIFY(s->ComboBox1->isEnabled());
    QCOMPARE(s->ComboBox1->itemText(0), QStringLiteral("8   Bit System"));
    Show(s);
    QCOMPARE(s->ComboBox1->currentIndex(), 0);
    QCOMPARE(s->ComboBox1->currentText(), QStringLiteral("8   Bit System"));
    // OK without a change writes the same bytes.
    const Bytes before = fixtures::ReadBytes(db.path);
    s->Button1Click();
    QVERIFY(!s->isVisible());
    QVERIFY(fixtures::ReadBytes(db.path) == before);

    const struct { int index; const char* code; } rows[] = {{1, "N16"}, {2, "N32"}, {0, "N8"}};
    for (const auto& r : rows) {
      Show(s);
      s->ComboBox1->setCurrentIndex(r.index);
      QCOMPARE(m->db.Systemcode, std::string(r.code));
      // Only the code's bytes change; the bytes behind a shorter code stay.
      TDatensatz expected = db.Record(0);
      expected.set(fld::XBeschriftung, r.code);
      s->Button1Click();
      QCOMPARE(db.Record(0).get(fld::XBeschriftung), std::string(r.code));
      QVERIFY(db.Record(0) == expected);
      Show(s);
      QCOMPARE(s->ComboBox1->currentIndex(), r.index);
      s->Button2Click();
    }
    QVERIFY(seam.boxes.isEmpty());
  }

  void doubleClickSavesAndStaysOpen() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TSytemdat* s = Show(m->forms.Sytemdat);
    s->ComboBox1->setCurrentIndex(1);
    QTest::mouseDClick(s, Qt::LeftButton, Qt::NoModifier, QPoint(200, 80));
    QVERIFY(s->isVisible());
    QCOMPARE(db.Record(0).get(fld::XBeschriftung), std::string("N16"));
    s->Button2Click();
    // The next map load scales the address by the new code.
    m->ComboBox5->setCurrentIndex(0);
    m->LoadActiveMap();
    QCOMPARE(m->Kf.KfAdresse, 0x100 * 2);
  }

  void leavingWithoutSaveKeepsTheSavedCode() {
    test::ScriptedSeam seam;
    Db db(Standard());
    auto m = test::MakeMainWindow();
    m->OpenDatabase(db.Q());
    TSytemdat* s = Show(m->forms.Sytemdat);
    s->ComboBox1->setCurrentIndex(1);
    QCOMPARE(m->db.Systemcode, std::string("N16"));
    s->Button2Click();  // "Abbrechen"
    QCOMPARE(m->db.Systemcode, std::string("N8"));
    s = Show(m->forms.Sytemdat);
    s->ComboBox1->setCurrentIndex(2);
    QTest::keyClick(s, Qt::Key_Escape);
    QVERIFY(!s->isVisible());
    QCOMPARE(m->db.Systemcode, std::string("N8"));
    QCOMPARE(db.Record(0).get(fld::XBeschriftung), std::string("N8"));
    m->ComboBox5->setCurrentIndex(0);
    m->LoadActiveMap();
    QCOMPARE(m->Kf.KfAdresse, 0x100);
  }

  void systemDialogWithoutDatabaseFile() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    TSytemdat* s = Show(m->forms.Sytemdat);
    QCOMPARE(s->ComboBox1->currentText(), QStringLiteral("8 Bit System"));
    s->Button1Click();
    QVERIFY(!s->isVisible());
    QVERIFY(seam.boxes.isEmpty());
  }
};

QTEST_MAIN(DefinitionDialogsTest)
#include "DefinitionDialogsTest.moc"
