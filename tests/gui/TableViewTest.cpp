// The table view "SG" as a worksheet: selection by keys and mouse, typed values,
// the range commands with their shortcuts, copy and paste, the display modes,
// and the table following the active map, through the real main window.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QUndoStack>

#include "ScriptedSeam.h"
#include "app/DrawingArea.h"
#include "app/Guard.h"
#include "app/SpeedButton.h"
#include "app/TableView.h"
#include "maps/CellFormat.h"
#include "support/Fixtures.h"

using namespace orv;
using orv::fixtures::TempDir;

namespace {

// Record 1: an 8-bit 16x16 map at 0x100 whose cells hold 100, its X axis from
// 800 in steps of 400; record 2: a signed "I16" 8x4 map at 0x1000 holding 0;
// record 3: an "M32" 4x4 map at 0x400. 8 KiB images.
struct Project {
  TempDir dir;
  std::string dbc = dir.File("p.dbc"), org = dir.File("p.org"), tun = dir.File("p.tun");

  Project() {
    std::vector<std::uint8_t> image(8192, 0);
    for (int i = 0; i < 256; ++i) image[0x100 + i] = 100;
    TDatensatz axes = fixtures::MapRecord(1, "Zündung", 16, 16, "100", "N");
    axes.set(fld::XAnfangswert, 800);
    axes.set(fld::XFaktor, 400.0);
    TDatensatz signedMap = fixtures::MapRecord(2, "Korrektur", 8, 4, "1000", "I16");
    CellFormatMarks marks;
    marks.signedCells = true;
    WriteCellFormatMarks(signedMap, marks);
    fixtures::WriteDatabase(dbc, {fixtures::RevLimiterRecord("N8", "FE0", "M32", 1.0), axes, signedMap,
                                  fixtures::MapRecord(3, "Lang", 4, 4, "400", "M32")});
    fixtures::WriteBytes(org, image);
    fixtures::WriteBytes(tun, image);
  }
};

struct Fixture {
  test::ScriptedSeam seam;
  Project p;
  std::unique_ptr<TMainM> m = test::MakeMainWindow(1000, 700);
  ui::TableView* t = m->Table;

  Fixture() {
    m->OpenDatabase(QString::fromStdString(p.dbc));
    m->OpenImage(ImageKind::Original, QString::fromStdString(p.org));
    m->OpenImage(ImageKind::Tuning, QString::fromStdString(p.tun));
    m->activateWindow();
    m->SpeedButton21->click();  // SG
    select(0);
  }
  void select(int entry) {
    m->ComboBox5->setCurrentIndex(entry);
    m->ComboBox5Change();
  }
  int cell(int row, int col) const { return m->images.TuningPuffer[static_cast<std::size_t>(0x100 + row * 16 + col)]; }
  QString text(int row, int col) const { return t->Grid->model()->index(row, col).data().toString(); }
  QRect rectOf(int row, int col) const { return t->Grid->visualRect(t->Grid->model()->index(row, col)); }
  void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* w = QApplication::focusWidget();
    QTest::keyClick(w ? w : t->Grid, static_cast<Qt::Key>(k), mods);
  }
  // Each character to the widget that has the focus then, as typing does.
  void type(const QString& s) {
    for (QChar ch : s) {
      QWidget* w = QApplication::focusWidget();
      QTest::keyClicks(w ? w : t->Grid, QString(ch));
    }
  }
  // Cells of the 8-bit map other than 100, as "row,col=value".
  QStringList changed() const {
    QStringList out;
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 16; ++c)
        if (cell(r, c) != 100) out << QStringLiteral("%1,%2=%3").arg(r).arg(c).arg(cell(r, c));
    return out;
  }
};

}  // namespace

class TableViewTest : public QObject {
  Q_OBJECT

 private slots:
  void keysSelectAndATypedValueFillsTheSelection() {
    Fixture f;
    QVERIFY(QTest::qWaitForWindowActive(f.m.get()));
    QCOMPARE(QApplication::focusWidget(), f.t->Grid);
    f.key(Qt::Key_Right);
    f.key(Qt::Key_Down);
    f.key(Qt::Key_Right, Qt::ShiftModifier);
    f.key(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(f.t->Selection().rows, 2);
    QCOMPARE(f.t->Selection().cols, 2);
    f.type(QStringLiteral("42"));
    QVERIFY(f.t->Eingabe->isVisible());
    QCOMPARE(f.t->Eingabe->text(), QStringLiteral("42"));
    f.key(Qt::Key_Return);
    QVERIFY(!f.t->Eingabe->isVisible());
    QCOMPARE(f.changed(), (QStringList{"1,1=42", "1,2=42", "2,1=42", "2,2=42"}));
    QCOMPARE(f.text(2, 2), QStringLiteral("42"));
    QCOMPARE(f.m->undoStack->count(), 1);
    // Escape cancels; a minus does not start a value in an unsigned map.
    f.type(QStringLiteral("7"));
    f.key(Qt::Key_Escape);
    f.type(QStringLiteral("-"));
    QVERIFY(!f.t->Eingabe->isVisible());
    QCOMPARE(f.m->undoStack->count(), 1);
    // Beyond the range: clamped, and the status bar says so.
    f.type(QStringLiteral("9999999999"));
    f.key(Qt::Key_Enter);
    QCOMPARE(f.cell(1, 1), 255);
    QVERIFY(f.t->Statuszeile->currentMessage().contains(QStringLiteral("begrenzt")));
    f.m->Rueckgaengig1->trigger();
    f.m->Rueckgaengig1->trigger();
    QVERIFY(f.changed().isEmpty());
    QCOMPARE(f.text(1, 1), QStringLiteral("100"));
  }

  void aDragSelectsAndOnlyAPlainClickEdits() {
    Fixture f;
    f.m->SpinEdit1->setValue(10);
    QWidget* vp = f.t->Grid->viewport();
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, f.rectOf(0, 0).center());
    QTest::mouseMove(vp, f.rectOf(2, 3).center());
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, f.rectOf(2, 3).center());
    QCOMPARE(f.t->Selection().rows, 3);
    QCOMPARE(f.t->Selection().cols, 4);
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, f.rectOf(4, 4).center());
    QCOMPARE(f.t->Selection().rows, 5);
    QVERIFY(f.changed().isEmpty());
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, f.rectOf(5, 6).center());
    QCOMPARE(f.changed(), QStringList{"5,6=110"});  // "1W", 10 %
  }

  void commandsStepMultiplyAddAndInterpolateAsOneStepEach() {
    Fixture f;
    QVERIFY(QTest::qWaitForWindowActive(f.m.get()));
    QCOMPARE(f.t->Erhoehen1->shortcut().toString(), QStringLiteral("Ctrl++"));
    QVERIFY(f.m->findChild<QMenu*>(QStringLiteral("Bearbeiten1"))->actions().contains(f.t->Erhoehen1));
    f.t->Select({0, 0, 1, 4});
    f.m->SpeedButton11->click();  // Bit
    f.key(Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(f.changed(), (QStringList{"0,0=103", "0,1=103", "0,2=103", "0,3=103"}));
    f.key(Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    QVERIFY(f.changed().isEmpty());
    f.seam.inputs.enqueue(QStringLiteral("1,5"));
    f.t->Multiplizieren1->trigger();
    QCOMPARE(f.cell(0, 3), 150);
    f.seam.inputs.enqueue(QStringLiteral("-50.4"));
    f.t->Addieren1->trigger();
    QCOMPARE(f.cell(0, 3), 100);  // 99.6 rounded
    f.seam.inputs.enqueue(QStringLiteral("zwei"));
    f.t->Addieren1->trigger();
    QCOMPARE(f.seam.boxes.last().text, QStringLiteral("„zwei“ ist keine gültige Zahl."));
    f.t->Addieren1->trigger();  // cancelled: nothing asked of the image
    QCOMPARE(f.m->undoStack->count(), 4);
    f.m->images.TuningPuffer[0x100 + 3] = 130;
    f.t->InterpolierenZeilen1->trigger();
    QCOMPARE(f.changed(), (QStringList{"0,1=110", "0,2=120", "0,3=130"}));
    QCOMPARE(f.m->undoStack->count(), 5);
    // In the 3D view the commands are off, and so are their keys.
    f.m->SpeedButton20->click();
    QVERIFY(!f.t->Erhoehen1->isEnabled() && !f.t->Kopieren1->isEnabled());
    f.m->area->setFocus();
    f.key(Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(f.m->undoStack->count(), 5);
  }

  void pasteReadsSpreadsheetTextOrRefusesItWithoutAChange() {
    Fixture f;
    QVERIFY(QTest::qWaitForWindowActive(f.m.get()));
    f.t->Select({0, 0, 2, 2});
    f.key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("100\t100\n100\t100\n"));
    const auto before = f.m->images.TuningPuffer;
    f.t->Select({14, 14, 1, 1});
    f.t->Paste(QStringLiteral("1\t2\n3\t4\n"));  // fits
    f.t->Paste(QStringLiteral("1;2;3\n"));       // one column too many
    QCOMPARE(f.seam.boxes.last().text,
             QStringLiteral("Ein Block von 1 Zeilen × 3 Spalten passt ab Zeile 15, Spalte 15 nicht in das Kennfeld "
                            "(16 Zeilen × 16 Spalten)."));
    f.t->Select({0, 0, 1, 1});
    QGuiApplication::clipboard()->setText(QStringLiteral("5\t6\n7\tsieben\n"));
    f.key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.seam.boxes.last().text,
             QStringLiteral("Zeile 2, Spalte 2 des eingefügten Textes ist keine Zahl: „sieben“."));
    QCOMPARE(f.m->undoStack->count(), 1);
    f.m->undoStack->undo();
    QVERIFY(f.m->images.TuningPuffer == before);
    f.t->Paste(QStringLiteral("10,4;20.5\r\n300;-1\r\n"));
    QCOMPARE(f.changed(), (QStringList{"0,0=10", "0,1=21", "1,0=255", "1,1=0"}));
    QCOMPARE(f.t->Selection().rows, 2);  // the pasted block is selected
    QVERIFY(f.t->Statuszeile->currentMessage().contains(QStringLiteral("begrenzt")));
  }

  void signedAndThirtyTwoBitMaps() {
    Fixture f;
    QVERIFY(QTest::qWaitForWindowActive(f.m.get()));
    f.select(1);  // signed I16
    f.t->Select({0, 0, 1, 1});
    f.type(QStringLiteral("-40000"));
    QCOMPARE(f.t->Eingabe->text(), QStringLiteral("-40000"));
    f.key(Qt::Key_Return);
    QCOMPARE(f.text(0, 0), QStringLiteral("-32768"));
    QCOMPARE(int(f.m->images.TuningPuffer[0x1001]), 0x80);  // low byte first
    f.select(2);  // M32: shown, not edited
    QVERIFY(!f.t->Erhoehen1->isEnabled() && !f.t->Einfuegen1->isEnabled() && f.t->Kopieren1->isEnabled());
    f.type(QStringLiteral("5"));
    QVERIFY(!f.t->Eingabe->isVisible());
    QCOMPARE(f.m->undoStack->count(), 1);
  }

  void changedCellsAndTheDisplayModes() {
    Fixture f;
    f.m->images.TuningPuffer[0x100 + 17] = 103;
    f.m->images.TuningPuffer[0x100 + 18] = 200;
    f.m->FillTable();
    const QModelIndex changed = f.t->Grid->model()->index(1, 1), plain = f.t->Grid->model()->index(0, 0);
    QCOMPARE(changed.data(Qt::ToolTipRole).toString(), QStringLiteral("Original: 100"));
    QVERIFY(!plain.data(Qt::ToolTipRole).isValid());
    QVERIFY(changed.data(Qt::BackgroundRole) != plain.data(Qt::BackgroundRole));  // tinted by value
    f.t->Anzeige->setCurrentIndex(1);
    QCOMPARE(f.text(1, 1), QStringLiteral("+3"));
    QCOMPARE(f.text(0, 0), QStringLiteral("0"));
    f.t->Anzeige->setCurrentIndex(2);
    QCOMPARE(f.text(1, 2), QStringLiteral("+100,0 %"));
    // The pop-up of the table holds the window's own items too.
    emit f.t->Grid->customContextMenuRequested(f.rectOf(0, 0).center());
    auto* menu = f.t->findChild<QMenu*>(QStringLiteral("TabellenMenu"));
    QVERIFY(menu && menu->actions().contains(f.m->Kennfelddatenaedern1) && menu->actions().contains(f.t->Einfuegen1));
    menu->hide();
  }

  // The headers come from the active map's record, not from whatever record the
  // buffer held last.
  void headersFollowTheActiveMapsRecord() {
    Fixture f;
    QCOMPARE(f.t->Grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("1200"));
    f.seam.answers.enqueue(true);
    f.m->Drehzahlbegrenzerzurcksetzen1->trigger();  // reads record 0
    f.m->Tabelle1->trigger();
    QCOMPARE(f.t->Grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("1200"));
  }

  void withoutADatabaseTheTableLoadsNothingAndShowsNoBox() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    m->SpeedButton21->click();
    m->Bodengitter1->trigger();
    m->Schwarz1->trigger();
    ui::Guard(m.get(), [&] { m->Zugriffspfeil1Click(); });  // the item is disabled; its handler runs
    m->SpeedButton4->click();
    QCOMPARE(seam.texts(), QStringList{});
  }

  void backAndForwardRefillTheTable() {
    Fixture f;
    f.select(1);  // 8 x 4
    QCOMPARE(f.t->Grid->model()->columnCount(), 8);
    f.m->SpeedButton4->click();  // back to the first map
    QCOMPARE(f.m->ComboBox5->currentIndex(), 0);
    QCOMPARE(f.m->Kf.KfNummer, 1);
    QCOMPARE(f.t->Grid->model()->columnCount(), 16);
    f.m->SpeedButton5->click();
    QCOMPARE(f.t->Grid->model()->columnCount(), 8);
  }
};

QTEST_MAIN(TableViewTest)
#include "TableViewTest.moc"
