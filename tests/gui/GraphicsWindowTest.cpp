// The picture in the window: dragging the view with the mouse, the view buttons,
// layer switches, background colours, the access arrow's timer and the pixels of
// a drawn surface.
#include <QComboBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "app/DrawingArea.h"
#include "app/SpeedButton.h"
#include "maps/CellFormat.h"
#include "ScriptedSeam.h"
#include "support/Fixtures.h"
#include "support/RecordingCanvas.h"

using namespace orv;
using orv::fixtures::TempDir;

namespace {

struct Fixture {
  test::ScriptedSeam seam;
  TempDir dir;
  std::unique_ptr<TMainM> m;

  Fixture() {
    std::vector<std::uint8_t> image(4096, 0);
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 16; ++c) image[0x100 + r * 16 + c] = static_cast<std::uint8_t>(40 + 8 * r + 4 * c);
    // Signed maps: bytes -128, then -72 to 67 rising; 16-bit words -16000 rising by 2000.
    for (int k = 0; k < 256; ++k) image[0x400 + k] = static_cast<std::uint8_t>(8 * (k / 16 - 8) + (k % 16 - 8));
    image[0x400] = 0x80;
    for (int i = 0; i < 16; ++i) {
      const auto w = static_cast<std::uint16_t>(-16000 + 2000 * i);
      image[0x600 + 2 * i] = static_cast<std::uint8_t>(w >> 8);
      image[0x601 + 2 * i] = static_cast<std::uint8_t>(w & 0xFF);
    }
    TDatensatz signedMap = fixtures::MapRecord(3, "Zündkorrektur", 16, 16, "400", "N", '1', "Drehzahl", "Last");
    TDatensatz signedLine = fixtures::MapRecord(4, "Lambda", 1, 16, "600", "M16", '1', "X", "Y");
    WriteCellFormatMarks(signedMap, {true, {}, {}});
    WriteCellFormatMarks(signedLine, {true, {}, {}});
    fixtures::WriteDatabase(dir.File("g.dbc"), {fixtures::RevLimiterRecord("N8", "0", "K", 1.0),
                                                fixtures::MapRecord(1, "Zündung", 16, 16, "100", "N", '4', "Drehzahl",
                                                                    "Last"),
                                                fixtures::MapRecord(2, "Linie", 1, 16, "100", "N", '1', "X", "Y"),
                                                signedMap, signedLine});
    fixtures::WriteBytes(dir.File("g.org"), image);
    image[0x100 + 5] = 250;
    fixtures::WriteBytes(dir.File("g.tun"), image);
    m = test::MakeMainWindow(900, 700);
    m->OpenDatabase(QString::fromStdString(dir.File("g.dbc")));
    m->OpenImage(ImageKind::Original, QString::fromStdString(dir.File("g.org")));
    m->OpenImage(ImageKind::Tuning, QString::fromStdString(dir.File("g.tun")));
    m->ComboBox5->setCurrentIndex(0);
    m->ComboBox5Change();
  }
  // One drag step: press, then a move by (dx, dy) with the given buttons and keys.
  void drag(int dx, int dy, Qt::MouseButtons buttons = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    const QPoint from(400, 400);
    m->FormMouseDown(Qt::LeftButton, from.x(), from.y());
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(dx, dy)), m->area->mapToGlobal(QPointF(from + QPoint(dx, dy))),
                     Qt::NoButton, buttons, keys);
    QApplication::sendEvent(m->area, &move);
  }
};

int CountPixels(const QImage& img, QColor c) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixelColor(x, y) == c) ++n;
  return n;
}

}  // namespace

class GraphicsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void surfaceColoursOnScreen() {
    Fixture f;
    const QImage img = f.m->area->buffer();
    QVERIFY(CountPixels(img, QColor(0, 255, 0)) > 200);      // original, lime
    QVERIFY(CountPixels(img, QColor(255, 255, 255)) > 20);   // the tuned cell stands out, white
    QVERIFY(CountPixels(img, QColor(128, 128, 128)) > 100);  // floor grid
    QVERIFY(CountPixels(img, QColor(255, 255, 0)) > 50);     // coordinate cross
    // the picture stays after the window is covered and shown again
    f.m->hide();
    f.m->show();
    QApplication::processEvents();
    QCOMPARE(f.m->area->buffer(), img);
  }

  void dragTurnsAndZoomsWithTheLeftButtonOnly() {
    Fixture f;
    f.m->SpeedButton16->click();  // ZD
    f.m->view.params.Drehwinkel = 355;
    f.drag(10, 0);
    QCOMPARE(f.m->view.params.Drehwinkel, 1);
    f.m->view.params.Drehwinkel = 5;
    f.drag(-10, 0);
    QCOMPARE(f.m->view.params.Drehwinkel, 359);
    f.m->view.params.Zoomfaktor = 0.99;
    f.drag(0, -3);
    f.drag(0, -3);
    QCOMPARE(f.m->view.params.Zoomfaktor, 1.0);
    // Ctrl held, or the right button: nothing changes
    f.drag(10, 10, Qt::LeftButton, Qt::ControlModifier);
    f.drag(10, 10, Qt::RightButton);
    f.drag(10, 10, Qt::LeftButton | Qt::RightButton);
    QCOMPARE(f.m->view.params.Drehwinkel, 359);
    QCOMPARE(f.m->view.params.Zoomfaktor, 1.0);
    QCOMPARE(f.m->view.params.MausX, 410);
  }

  void tiltAndStretchClamp() {
    Fixture f;
    f.m->SpeedButton17->click();  // SR
    f.m->view.params.Schraegwinkel = 70;
    f.drag(0, 5);
    QCOMPARE(f.m->view.params.Schraegwinkel, 70);
    f.m->view.params.Schraegwinkel = 1;
    f.drag(0, -5);
    QCOMPARE(f.m->view.params.Schraegwinkel, 1);
    f.m->SpeedButton19->click();  // ST
    f.m->view.params.Hoehenfaktor = 1.5;
    f.drag(0, -5);
    QCOMPARE(f.m->view.params.Hoehenfaktor, 1.5);
    f.m->view.params.Hoehenfaktor = 0.8;
    f.drag(0, 5);
    QCOMPARE(f.m->view.params.Hoehenfaktor, 0.8);
    // the view reset brings angles, zoom and heights back
    f.m->OriginalBilddarstellung1->trigger();
    QCOMPARE(f.m->view.params.Drehwinkel, 235);
    QCOMPARE(f.m->view.params.Schraegwinkel, 11);
    QCOMPARE(f.m->view.params.Zoomfaktor, 0.4);
    QCOMPARE(f.m->view.params.Hoehenfaktor, 1.0);
  }

  void layerSwitchesAndBackground() {
    Fixture f;
    RecordingCanvas canvas;
    f.m->RedirectDrawing(&canvas);
    f.m->Koordinatenkreuz1->trigger();
    QVERIFY(!f.m->Koordinatenkreuz1->isChecked());
    QCOMPARE(canvas.LineCount(colours::Yellow), std::size_t{0});
    QCOMPARE(canvas.Texts().size(), std::size_t{0});
    canvas.Clear();
    f.m->Koordinatenkreuz1->trigger();
    QCOMPARE(canvas.LineCount(colours::Yellow), std::size_t{3});
    QCOMPARE(canvas.Texts().size(), std::size_t{3});
    canvas.Clear();
    f.m->OrignalGrafik1->trigger();  // off
    QCOMPARE(canvas.LineCount(colours::Lime), std::size_t{0});
    QCOMPARE(canvas.LineCount(colours::White), std::size_t{480});
    canvas.Clear();
    f.m->Grau1->trigger();
    QCOMPARE(canvas.Erases().front(), colours::Silver);
    QCOMPARE(f.m->view.colours.font, colours::Black);
    f.m->Schwarz1->trigger();
    QCOMPARE(f.m->view.colours.font, colours::Red);
    QCOMPARE(f.m->SpeedButton8->palette().color(QPalette::Active, QPalette::ButtonText), QColor(255, 0, 0));
    f.m->RedirectDrawing(nullptr);
    QVERIFY(f.seam.boxes.isEmpty());
  }

  void viewButtons() {
    Fixture f;
    RecordingCanvas canvas;
    f.m->RedirectDrawing(&canvas);
    f.m->SpeedButton21->click();  // SG
    QVERIFY(f.m->Tabelle1->isChecked() && !f.m->N3DGrafik1->isChecked());
    QVERIFY(f.m->SpeedButton21->isChecked() && !f.m->SpeedButton20->isChecked());
    QCOMPARE(canvas.Erases().size(), std::size_t{1});
    canvas.Clear();
    f.m->SpeedButton22->click();  // KS: the window is not cleared
    QVERIFY(f.m->N3DGrafikTabelle1->isChecked() && !f.m->Tabelle1->isChecked());
    QCOMPARE(canvas.Erases().size(), std::size_t{0});
    // "KF" redraws without reading the database again
    f.m->db.Datei.Close();
    f.m->SpeedButton20->click();
    QVERIFY(f.m->N3DGrafik1->isChecked());
    QVERIFY(canvas.LineCount(colours::Lime) > 0);
    QCOMPARE(f.m->view.params.MitteX, f.m->area->width() / 2);
    QVERIFY(f.seam.boxes.isEmpty());
    f.m->RedirectDrawing(nullptr);
  }

  void oneColumnMapIsACharts() {
    Fixture f;
    RecordingCanvas canvas;
    f.m->RedirectDrawing(&canvas);
    f.m->ComboBox5->setCurrentIndex(1);
    f.m->ComboBox5Change();
    // grid: 16 uprights + baseline + top line; both curves of 15 segments; K1 axes
    QCOMPARE(canvas.LineCount(colours::Gray), std::size_t{18});
    QCOMPARE(canvas.LineCount(colours::White), std::size_t{15});
    QCOMPARE(canvas.LineCount(colours::Lime), std::size_t{15});
    QCOMPARE(canvas.LineCount(colours::Yellow), std::size_t{2});
    f.m->RedirectDrawing(nullptr);
  }

  // A signed map: below the floor in the surface, below the zero line in the
  // chart, negative numbers in the table.
  void signedMapInEveryView() {
    Fixture f;
    f.m->ComboBox5->setCurrentIndex(2);
    f.m->ComboBox5Change();
    QVERIFY(f.m->Kf.KfSigned);
    const Scene& s = *f.m->view.scene;
    // Cell 1 (-128) stands where the first floor line starts, 256 below it.
    QCOMPARE(s.Tuning.Modellpunkte[1].y, -256);
    QCOMPARE(s.Tuning.Modellpunkte[1].x, s.Boden.Modellpunkte[1].x);
    QCOMPARE(s.Tuning.Modellpunkte[1].z, s.Boden.Modellpunkte[1].z);
    QVERIFY(s.Tuning.Bildpunkte[1].y > s.Boden.Bildpunkte[1].y + 20);
    QCOMPARE(s.Original.Modellpunkte[8 * 16 + 8 + 1].y, 0);  // a zero cell lies on the floor
    QVERIFY(s.Tuning.Modellpunkte[256].y > 0);

    RecordingCanvas canvas;
    f.m->RedirectDrawing(&canvas);
    f.m->ComboBox5->setCurrentIndex(3);
    f.m->ComboBox5Change();
    const int B = canvas.Height() - 40;
    // grid with the zero line halfway up: 16 uprights, baseline, top line, zero line
    QCOMPARE(canvas.LineCount(colours::Gray), std::size_t{19});
    QCOMPARE(s.Tuning.Bildpunkte[1].y, B - 128 + 63);  // -16000 / 256 rounded down: -63
    QCOMPARE(s.Tuning.Bildpunkte[9].y, B - 128);       // 0 on the zero line
    QCOMPARE(s.Tuning.Bildpunkte[16].y, B - 128 - 54); // 14000 / 256: 54
    f.m->RedirectDrawing(nullptr);

    f.m->SpeedButton21->click();  // SG
    f.m->ComboBox5->setCurrentIndex(2);
    f.m->ComboBox5Change();
    QCOMPARE(f.m->StringGrid1->item(0, 0)->text(), QStringLiteral("-128"));
    QCOMPARE(f.m->StringGrid1->item(0, 1)->text(), QStringLiteral("-71"));
    QCOMPARE(f.m->StringGrid1->item(15, 15)->text(), QStringLiteral("63"));
    QVERIFY(f.seam.boxes.isEmpty());
  }

  void accessArrowTimer() {
    Fixture f;
    // the menu items are disabled; their handlers still work when called
    f.m->Pfeil1Click();
    QVERIFY(f.m->Timer1->isActive());
    QVERIFY(f.m->view.flags.PfeilZeigen);
    QVERIFY(f.m->Pfeil1->isChecked());
    RecordingCanvas canvas;
    f.m->RedirectDrawing(&canvas);
    for (int i = 0; i < 200; ++i) {
      f.m->Timer1Timer();
      QVERIFY(f.m->view.flags.PfeilZelle >= 1 && f.m->view.flags.PfeilZelle <= 256);
    }
    QCOMPARE(canvas.LineCount(colours::Red), std::size_t{600});
    f.m->SpeedButton21->click();  // "SG" stops the timer
    QVERIFY(!f.m->Timer1->isActive());
    f.m->RedirectDrawing(nullptr);
  }
};

QTEST_MAIN(GraphicsWindowTest)
#include "GraphicsWindowTest.moc"
