// Editing by clicks in the picture and in the table, the resets, undo/redo and
// saving, through the real main window.
#include <QComboBox>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QUndoStack>

#include "app/DrawingArea.h"
#include "app/SpeedButton.h"
#include "project/FileIo.h"
#include "ScriptedSeam.h"
#include "support/Fixtures.h"

using namespace orv;
using orv::fixtures::TempDir;

namespace {

const QString kSizeMessage = QStringLiteral(
    "Original- und Tuning-Datei  sind nicht gleich gross, deshalb kann die Datei   nicht  zurückgestzt werden!");

// A database of an 8-bit 16x16 map at 0x100, a 16x16 "I16" map at 0x1000, a 1x9
// line at 0x300 and an "M32" 4x4 map at 0x400, over a pair of 8 KiB images whose
// cells all hold 100, and a 65x2 map at 0x1400 too wide for the picture; the rev
// limiter is "M32" at 0x7F0 with system "N16".
struct Project {
  TempDir dir;
  std::string dbc = dir.File("p.dbc"), org = dir.File("p.org"), tun = dir.File("p.tun");
  std::vector<std::uint8_t> image = std::vector<std::uint8_t>(8192, 0);

  explicit Project(int tuningSize = 8192) {
    for (int i = 0; i < 256; ++i) image[0x100 + i] = 100;
    for (int i = 0; i < 256; ++i) image[0x1000 + 2 * i] = 100;  // I16, low byte first
    for (int i = 0; i < 9; ++i) image[0x300 + i] = 100;
    for (int i = 0; i < 16; ++i) image[0xFE0 + i] = static_cast<std::uint8_t>(0xA0 + i);
    fixtures::WriteDatabase(dbc, {fixtures::RevLimiterRecord("N8", "FE0", "M32", 1.0),
                                  fixtures::MapRecord(1, "Zündung", 16, 16, "100", "N"),
                                  fixtures::MapRecord(2, "Ladedruck", 16, 16, "1000", "I16"),
                                  fixtures::MapRecord(3, "Kennlinie", 1, 9, "300", "N"),
                                  fixtures::MapRecord(4, "Lang", 4, 4, "400", "M32"),
                                  fixtures::MapRecord(5, "Breit", 65, 2, "1400", "N")});
    fixtures::WriteBytes(org, image);
    std::vector<std::uint8_t> t = image;
    t.resize(static_cast<std::size_t>(tuningSize), 0);
    fixtures::WriteBytes(tun, t);
  }
};

struct Fixture {
  test::ScriptedSeam seam;
  Project p;
  std::unique_ptr<TMainM> m;

  explicit Fixture(int tuningSize = 8192) : p(tuningSize) {
    m = test::MakeMainWindow(1000, 700);
    m->OpenDatabase(QString::fromStdString(p.dbc));
    m->OpenImage(ImageKind::Original, QString::fromStdString(p.org));
    m->OpenImage(ImageKind::Tuning, QString::fromStdString(p.tun));
  }
  void select(int entry) {
    m->ComboBox5->setCurrentIndex(entry);
    m->ComboBox5Change();
  }
  std::uint8_t tun(int offset) const { return m->images.TuningPuffer[static_cast<std::size_t>(offset)]; }
  // Clicks the drawn tuning point of a cell.
  void clickCell(int cell, QPoint shift = {}) {
    const Point2i pt = m->view.scene->Tuning.Bildpunkte[static_cast<std::size_t>(cell)];
    QTest::mouseClick(m->area, Qt::LeftButton, Qt::NoModifier, QPoint(pt.x, pt.y) + shift);
  }
};

}  // namespace

class EditingWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void stepSignAndMode() {
    Fixture f;
    f.m->SpinEdit1->setValue(500);
    f.m->SpeedButton10->click();
    QCOMPARE(f.m->SpinEdit1->value(), -100);
    QCOMPARE(f.m->SpeedButton10->text(), QStringLiteral("-"));
    f.m->SpeedButton10->click();
    QCOMPARE(f.m->SpinEdit1->value(), 100);
    QCOMPARE(f.m->SpeedButton10->text(), QStringLiteral("+"));
    f.m->SpinEdit1->setValue(0);
    f.m->SpeedButton10->click();
    QCOMPARE(f.m->SpinEdit1->value(), 0);
    QCOMPARE(f.m->SpeedButton10->text(), QStringLiteral("+"));
    f.m->SpinEdit1->setValue(-5);
    QCOMPARE(f.m->SpeedButton10->text(), QStringLiteral("-"));
    f.m->SpeedButton11->click();
    QCOMPARE(f.m->SpeedButton11->text(), QStringLiteral("Bit"));
    f.m->SpeedButton11->click();
    QCOMPARE(f.m->SpeedButton11->text(), QStringLiteral("%"));
  }

  void scopeGroupsExcludeEachOther() {
    Fixture f;
    f.m->SpeedButton16->click();  // ZD
    QVERIFY(f.m->SpeedButton16->isChecked());
    QVERIFY(!f.m->SpeedButton12->isChecked() && !f.m->SpeedButton15->isChecked());
    f.m->SpeedButton16->click();  // the view modes may not all be up yet
    QVERIFY(f.m->SpeedButton16->isChecked());
    f.m->SpeedButton14->click();  // R1
    QVERIFY(f.m->SpeedButton14->isChecked());
    f.m->SpeedButton14->click();
    QVERIFY(!f.m->SpeedButton14->isChecked());
    f.m->SpeedButton14->click();
    f.m->SpeedButton15->click();  // AW releases R1 and the view modes
    QVERIFY(f.m->SpeedButton15->isChecked());
    QVERIFY(!f.m->SpeedButton14->isChecked() && !f.m->SpeedButton16->isChecked());
    f.m->SpeedButton12->click();
    QVERIFY(f.m->SpeedButton12->isChecked() && !f.m->SpeedButton15->isChecked());
    f.m->SpeedButton17->click();  // SR, and after 1W a second click lets it up
    f.m->SpeedButton17->click();
    QVERIFY(!f.m->SpeedButton17->isChecked());
  }

  void clickRaisesOneCellByPercent() {
    Fixture f;
    f.select(0);
    f.m->SpinEdit1->setValue(10);
    f.clickCell(19, QPoint(4, 9));  // inside the box
    const int cell = f.m->edit.SelectedCell;  // 19, or a lower cell whose point is as near
    QVERIFY(cell >= 1 && cell <= 19);
    const int at = 0x100 + cell - 1;
    QCOMPARE(int(f.tun(at)), 110);
    int changed = 0;
    for (int i = 0; i < 256; ++i) changed += f.tun(0x100 + i) != 100;
    QCOMPARE(changed, 1);
    // far away from every point: nothing is picked, nothing changes
    QTest::mouseClick(f.m->area, Qt::LeftButton, Qt::NoModifier, QPoint(2, f.m->area->height() - 2));
    QCOMPARE(f.m->edit.SelectedCell, 0);
    QCOMPARE(f.m->undoStack->count(), 1);
    // undo and redo restore exact bytes
    f.m->undoStack->undo();
    QCOMPARE(int(f.tun(at)), 100);
    f.m->Wiederholen1->trigger();
    QCOMPARE(int(f.tun(at)), 110);
    QCOMPARE(int(f.m->images.OriginalPuffer[static_cast<std::size_t>(at)]), 100);
  }

  void clicksOnTheToolBarEditNothing() {
    Fixture f;
    f.select(1);
    f.m->SpeedButton15->click();  // AW
    const auto before = f.m->images.TuningPuffer;
    const int lastX = f.m->view.params.MausLetztX;
    QTest::mouseClick(f.m->Panel1, Qt::LeftButton, Qt::NoModifier, QPoint(600, 2));  // free space
    QVERIFY(!f.m->SpeedButton13->isEnabled());
    QTest::mouseClick(f.m->SpeedButton13, Qt::LeftButton);  // "9W", disabled in this view
    QVERIFY(f.m->images.TuningPuffer == before);
    QCOMPARE(f.m->undoStack->count(), 0);
    QCOMPARE(f.m->view.params.MausLetztX, lastX);
  }

  void mapThatIsNotDrawnIsNotEditedByClicks() {
    Fixture f;
    f.select(0);
    f.select(4);  // 65 columns: loaded, but the picture still shows the first map
    QCOMPARE(f.m->Kf.KfXDim, 65);
    const auto before = f.m->images.TuningPuffer;
    f.clickCell(1);  // 1W on a point of the old picture
    f.m->SpeedButton15->click();  // AW
    f.clickCell(1);
    f.m->SpeedButton14->click();  // R1
    f.clickCell(1);
    QVERIFY(f.m->images.TuningPuffer == before);
    QCOMPARE(f.m->undoStack->count(), 0);
    QCOMPARE(f.m->edit.SelectedCell, 0);
  }

  void wholeMapAndNineValues() {
    Fixture f;
    f.select(1);  // I16
    f.m->SpeedButton11->click();  // Bit
    f.m->SpinEdit1->setValue(-5);
    f.m->SpeedButton15->click();  // AW
    QTest::mouseClick(f.m->area, Qt::LeftButton, Qt::NoModifier, QPoint(3, f.m->area->height() - 3));
    for (int i = 0; i < 256; ++i) QCOMPARE(int(f.tun(0x1000 + 2 * i)), 95);
    QCOMPARE(int(f.tun(0x1000 + 512)), 0);  // nothing behind the map
    QCOMPARE(f.m->undoStack->count(), 1);
    f.m->undoStack->undo();
    for (int i = 0; i < 256; ++i) QCOMPARE(int(f.tun(0x1000 + 2 * i)), 100);
    // "9W" at a corner changes the 2x2 block there
    f.m->N3DGrafik1->trigger();  // enables 9W
    QVERIFY(f.m->SpeedButton13->isEnabled());
    f.m->SpeedButton13->click();
    f.select(0);
    f.clickCell(1);
    QCOMPARE(int(f.tun(0x100 + 0)), 95);
    QCOMPARE(int(f.tun(0x100 + 1)), 95);
    QCOMPARE(int(f.tun(0x100 + 16)), 95);
    QCOMPARE(int(f.tun(0x100 + 17)), 95);
    QCOMPARE(int(f.tun(0x100 + 2)), 100);
    QCOMPARE(int(f.tun(0x100 + 32)), 100);
  }

  void singleValueResetAndThirtyTwoBitMapsStayUnchanged() {
    Fixture f;
    f.select(0);
    f.m->SpinEdit1->setValue(50);
    f.clickCell(5);
    QCOMPARE(int(f.tun(0x100 + 4)), 150);
    f.m->SpeedButton14->click();  // R1
    QVERIFY(!f.m->SpeedButton12->isChecked());
    f.clickCell(5);
    QCOMPARE(int(f.tun(0x100 + 4)), 100);
    // "M32" maps: edits and the single-value reset change nothing
    f.m->SpeedButton12->click();
    f.select(3);
    QCOMPARE(f.m->Kf.KfXDim, 4);
    const auto before = f.m->images.TuningPuffer;
    f.m->SpeedButton15->click();
    QTest::mouseClick(f.m->area, Qt::LeftButton, Qt::NoModifier, QPoint(200, 300));
    QVERIFY(f.m->images.TuningPuffer == before);
  }

  void chartPointsArePickable() {
    Fixture f;
    f.select(2);  // 1x9 line: drawn as a chart
    f.m->SpeedButton11->click();  // Bit
    f.m->SpinEdit1->setValue(7);
    f.clickCell(9);
    QCOMPARE(int(f.tun(0x300 + 8)), 107);
  }

  void tableView() {
    Fixture f;
    f.select(0);
    f.m->SpeedButton21->click();  // SG
    QVERIFY(f.m->StringGrid1->isVisible());
    QVERIFY(!f.m->SpeedButton16->isEnabled() && !f.m->OriginalBilddarstellung1->isEnabled());
    QCOMPARE(f.m->StringGrid1->rowCount(), 16);
    QCOMPARE(f.m->StringGrid1->columnCount(), 16);
    QCOMPARE(f.m->StringGrid1->item(1, 2)->text(), QStringLiteral("100"));
    f.m->SpinEdit1->setValue(3);
    f.m->SpeedButton11->click();  // Bit
    f.m->StringGrid1Click(1, 2);  // row 2, column 3 of a 16-wide map: cell 19
    QCOMPARE(f.m->edit.SelectedCell, 19);
    QCOMPARE(int(f.tun(0x100 + 18)), 103);
    QCOMPARE(f.m->StringGrid1->item(1, 2)->text(), QStringLiteral("103"));
    f.m->SpeedButton20->click();  // back to KF
    QVERIFY(f.m->SpeedButton16->isEnabled() && f.m->OriginalBilddarstellung1->isEnabled());
    QVERIFY(!f.m->StringGrid1->isVisible());
  }

  void activeMapReset() {
    Fixture f;
    f.select(1);
    f.m->SpeedButton15->click();
    QTest::mouseClick(f.m->area, Qt::LeftButton, Qt::NoModifier, QPoint(5, 300));
    QCOMPARE(int(f.tun(0x1000)), 103);
    f.m->images.TuningPuffer[0x0FFF] = 7;  // just before the map
    f.m->images.TuningPuffer[0x1200] = 9;  // just behind it
    f.m->SpeedButton14->click();
    // "No" changes nothing but releases R1
    f.seam.answers.enqueue(false);
    f.m->SpeedButton9->click();
    QVERIFY(!f.m->SpeedButton14->isChecked());
    QCOMPARE(int(f.tun(0x1000)), 103);
    QCOMPARE(f.seam.boxes.last().text, QStringLiteral("Wollten Sie das ganze aktive Kennfeld zurücksetzen?"));
    f.seam.answers.enqueue(true);
    f.m->AktivesKennfeldzurcksetzen1->trigger();
    for (int i = 0; i < 256; ++i) QCOMPARE(int(f.tun(0x1000 + 2 * i)), 100);
    QCOMPARE(int(f.tun(0x0FFF)), 7);
    QCOMPARE(int(f.tun(0x1200)), 9);
    f.m->undoStack->undo();
    QCOMPARE(int(f.tun(0x1000)), 103);
  }

  void resetsRefuseImagesOfDifferentSize() {
    Fixture f(16384);
    f.select(0);
    f.seam.answers.enqueue(true);
    f.m->AktivesKennfeldzurcksetzen1->trigger();
    f.seam.answers.enqueue(true);
    f.m->GanzeDateizurcksetzen1->trigger();
    QStringList sizeMessages = f.seam.texts().filter(kSizeMessage);
    QCOMPARE(sizeMessages.size(), 2);  // once per command
    QCOMPARE(f.m->undoStack->count(), 0);
  }

  void wholeFileResetNeedsBothSurfaces() {
    Fixture f;
    f.m->images.TuningPuffer[0] = 1;
    f.m->images.TuningPuffer[8191] = 2;
    f.m->view.flags.TuningZeigen = false;
    f.m->GanzeDateizurcksetzen1->trigger();
    QVERIFY(f.seam.boxes.isEmpty());  // asks nothing
    f.m->view.flags.TuningZeigen = true;
    f.seam.answers.enqueue(true);
    f.m->GanzeDateizurcksetzen1->trigger();
    QCOMPARE(int(f.tun(0)), 0);
    QCOMPARE(int(f.tun(8191)), 0);
  }

  void revLimiterReset() {
    Fixture f;
    f.m->db.Systemcode = "N16";  // address FE0 -> offset 1FC0: outside the 32-bit value at FE0
    for (int i = 0; i < 8; ++i) f.m->images.TuningPuffer[0xFE0 + i] = 0;
    f.m->images.TuningPuffer[0x1FC0] = 0x55;
    f.m->images.OriginalPuffer[0x1FC0] = 0x11;
    f.seam.answers.enqueue(true);
    f.m->Drehzahlbegrenzerzurcksetzen1->trigger();
    QCOMPARE(int(f.tun(0x1FC0)), 0x11);
    QCOMPARE(int(f.tun(0xFE0)), 0);  // not the unscaled address
    f.m->db.Systemcode = "N8";
    f.seam.answers.enqueue(true);
    f.m->Drehzahlbegrenzerzurcksetzen1->trigger();
    for (int i = 0; i < 4; ++i) QCOMPARE(int(f.tun(0xFE0 + i)), 0xA0 + i);
    QCOMPARE(int(f.tun(0xFE4)), 0);
  }

  void saveWritesTheBufferAndKeepsTheOldFileOnFailure() {
    Fixture f;
    f.m->images.TuningPuffer[10] = 42;
    f.m->Aenderungenspeichern1->trigger();
    auto disk = fixtures::ReadBytes(f.p.tun);
    QCOMPARE(disk.size(), std::size_t{8192});
    QCOMPARE(int(disk[10]), 42);
    // a failing write leaves the file as it was and reports it
    f.m->images.TuningPuffer[10] = 43;
    SetFaultHook([](std::string_view step) { return step == "write" ? 28 /* ENOSPC */ : 0; });
    f.m->Aenderungenspeichern1->trigger();
    SetFaultHook({});
    QCOMPARE(f.seam.boxes.last().caption, QStringLiteral("Orvanta 2000"));
    QCOMPARE(f.seam.boxes.last().text, QStringLiteral("Kapazität der Diskette/Festplatte erschöpft."));
    QCOMPARE(int(fixtures::ReadBytes(f.p.tun)[10]), 42);
    QCOMPARE(int(f.tun(10)), 43);  // the edit stays in memory
    // never onto the original
    f.m->images.TuningName = f.p.org;
    f.m->Aenderungenspeichern1->trigger();
    QCOMPARE(f.seam.boxes.last().kind, ui::BoxKind::Warning);
    QCOMPARE(fixtures::ReadBytes(f.p.org), f.p.image);
    // no name (e.g. the tuning file named no file on disk): asks for a path
    f.m->images.TuningName.clear();
    const QString other = QString::fromStdString(f.p.dir.File("neu.tun"));
    f.seam.files.enqueue(other);
    f.m->Aenderungenspeichern1->trigger();
    QCOMPARE(f.seam.dialogFilters.last(), QStringLiteral("Tuning-Datei (*.tun)|*.tun"));
    QCOMPARE(fixtures::ReadBytes(f.p.dir.File("neu.tun")).size(), std::size_t{8192});
  }

  void saveWithoutTuningImageSaysSo() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    m->Aenderungenspeichern1->trigger();
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Information);
  }

  void unsavedEditsAreNotLostWithoutAQuestion() {
    const QString question =
        QStringLiteral("Die Tuning-Datei wurde geändert.\nSollen die Änderungen gespeichert werden?");
    Fixture f;
    f.select(0);
    // Nothing changed: no question.
    f.seam.files.enqueue(QString());
    f.m->TuningEPROMDateiffnen1->trigger();
    QVERIFY(f.seam.boxes.isEmpty());
    QCOMPARE(f.m->images.TuningName, f.p.tun);  // a cancelled dialog keeps the name
    f.clickCell(3);
    const std::uint8_t edited = f.tun(0x100 + 2);
    QVERIFY(edited != 100);
    // "Abbrechen": no file dialog, the edit stays.
    const auto titles = f.seam.dialogTitles.size();
    f.seam.saveAnswers.enqueue(ui::SaveChoice::Cancel);
    f.m->TuningEPROMDateiffnen1->trigger();
    QCOMPARE(f.seam.texts(), QStringList{question});
    QCOMPARE(f.seam.dialogTitles.size(), titles);
    QCOMPARE(f.tun(0x100 + 2), edited);
    // The window stays open after "Abbrechen".
    f.seam.saveAnswers.enqueue(ui::SaveChoice::Cancel);
    QVERIFY(!f.m->close());
    QVERIFY(f.m->isVisible());
    QCOMPARE(f.m->images.TuningPuffer.size(), std::size_t{8193});
    // "&Ja": saved, then the file dialog.
    f.seam.saveAnswers.enqueue(ui::SaveChoice::Save);
    f.seam.files.enqueue(QString());
    f.m->TuningEPROMDateiffnen1->trigger();
    QCOMPARE(int(fixtures::ReadBytes(f.p.tun)[0x102]), int(edited));
    QVERIFY(f.m->undoStack->isClean());
    // Undone back to the saved state: nothing to ask.
    f.clickCell(3);
    f.m->undoStack->undo();
    const auto boxes = f.seam.boxes.size();
    f.seam.files.enqueue(QString());
    f.m->TuningEPROMDateiffnen1->trigger();
    QCOMPARE(f.seam.boxes.size(), boxes);
    // "&Nein" on closing: closed, the file as saved.
    f.clickCell(3);
    f.seam.saveAnswers.enqueue(ui::SaveChoice::Discard);
    QVERIFY(f.m->close());
    QCOMPARE(int(fixtures::ReadBytes(f.p.tun)[0x102]), int(edited));
  }

  void failedSaveOnClosingKeepsTheWindowOpen() {
    Fixture f;
    f.select(0);
    f.clickCell(3);
    f.seam.saveAnswers.enqueue(ui::SaveChoice::Save);
    SetFaultHook([](std::string_view step) { return step == "write" ? 28 /* ENOSPC */ : 0; });
    const bool closed = f.m->close();
    SetFaultHook({});
    QVERIFY(!closed);
    QCOMPARE(f.seam.boxes.last().text, QStringLiteral("Kapazität der Diskette/Festplatte erschöpft."));
    QVERIFY(!f.m->undoStack->isClean());
  }

  void loadingANewTuningImageClearsUndo() {
    Fixture f;
    f.select(0);
    f.clickCell(3);
    QCOMPARE(f.m->undoStack->count(), 1);
    f.m->OpenImage(ImageKind::Tuning, QString::fromStdString(f.p.tun));
    QCOMPARE(f.m->undoStack->count(), 0);
  }
};

QTEST_MAIN(EditingWindowTest)
#include "EditingWindowTest.moc"
