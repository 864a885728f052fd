// The main window as a user meets it: start state, database and image commands,
// the map list and its selection sequence, project information and error boxes.
#include <QAbstractItemView>
#include <QComboBox>
#include <QTableWidget>
#include <QTimer>
#include <QMenuBar>
#include <QSpinBox>
#include <QTest>

#include "app/DrawingArea.h"
#include "app/SpeedButton.h"
#include "project/Text.h"
#include "graphics/Canvas.h"
#include "support/RecordingCanvas.h"
#include "ScriptedSeam.h"
#include "support/Fixtures.h"

using namespace orv;
using orv::fixtures::TempDir;

namespace {

QAction* ActionByText(QWidget* w, const QString& text) {
  for (QAction* a : w->findChildren<QAction*>())
    if (a->text() == text) return a;
  return nullptr;
}

// A database with three maps and a matching pair of 4 KiB images.
struct Project {
  TempDir dir;
  std::string dbc = dir.File("motor.dbc");
  std::string org = dir.File("motor.org");
  std::string tun = dir.File("motor.tun");
  std::vector<std::uint8_t> image = std::vector<std::uint8_t>(4096, 0);

  Project() {
    for (int i = 0; i < 256; ++i) image[0x100 + i] = static_cast<std::uint8_t>(i);  // 16x16 "N" map
    fixtures::WriteDatabase(dbc, {fixtures::RevLimiterRecord("N8", "800", "M16", 1.0),
                                  fixtures::MapRecord(7, "Zündung", 16, 16, "100", "N", '4', "Drehzahl", "Last"),
                                  fixtures::MapRecord(2, "Kennlinie", 1, 16, "300", "N", '1'),
                                  fixtures::MapRecord(3, "Ladedruck", 8, 8, "400", "I16", '2')});
    fixtures::WriteBytes(org, image);
    fixtures::WriteBytes(tun, image);
  }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void startState() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    QCOMPARE(m->windowTitle(), QStringLiteral("Orvanta 2000"));
    QVERIFY(!m->SpeedButton4->isEnabled());
    QVERIFY(!m->SpeedButton5->isEnabled());
    QVERIFY(m->SpeedButton12->isChecked());
    QVERIFY(!m->SpeedButton13->isEnabled());
    QVERIFY(m->SpeedButton20->isChecked());
    for (auto* b : {m->SpeedButton14, m->SpeedButton15, m->SpeedButton16, m->SpeedButton17, m->SpeedButton19})
      QVERIFY(!b->isChecked());
    QCOMPARE(m->SpinEdit1->value(), 3);
    QCOMPARE(m->SpinEdit1->minimum(), -100);
    QCOMPARE(m->SpinEdit1->maximum(), 1000);
    QCOMPARE(m->SpeedButton11->text(), QStringLiteral("%"));
    QCOMPARE(m->SpeedButton10->text(), QStringLiteral("+"));
    QVERIFY(m->N3DGrafik1->isChecked());
    QVERIFY(!m->Tabelle1->isChecked());
    for (QAction* a : {m->OrignalGrafik1, m->TuningGrafik1, m->Bodengitter1, m->Koordinatenkreuz1})
      QVERIFY(a->isChecked());
    QVERIFY(!m->Pfeil1->isChecked() && !m->Pfeil1->isEnabled());
    QVERIFY(!m->Zugriffspfeil1->isEnabled());
    QVERIFY(!m->Weiss1->isEnabled());
    QVERIFY(!m->DefinierenMenu->isEnabled());
    QVERIFY(!m->KennfeldSuchenMenu->isEnabled());
    QVERIFY(!m->view.flags.OriginalZeigen && !m->view.flags.TuningZeigen);
    QVERIFY(m->view.flags.BodengitterZeigen && m->view.flags.KreuzZeigen && !m->view.flags.PfeilZeigen);
    QCOMPARE(m->view.flags.PfeilZelle, 23);
    QCOMPARE(m->Kf.KfKreuz, 4);
    QCOMPARE(QString::fromStdString(m->Kf.KfTyp), QStringLiteral("N8"));
    QCOMPARE(m->view.params.Drehwinkel, 235);
    QCOMPARE(m->view.params.MitteX, m->area->width() / 2);
    QVERIFY(!m->Timer1->isActive());
    QCOMPARE(m->Timer1->interval(), 1);
    QCOMPARE(m->view.colours.font, colours::Red);
  }

  void toolBarLayout() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    const struct { const char* name; int left, top, size; const char* caption; const char* hint; } expected[] = {
        {"SpeedButton4", 5, 2, 33, "", "Zurück"},
        {"SpeedButton5", 38, 2, 33, "", "Vorwärts"},
        {"SpeedButton1", 72, 6, 25, "", "Datenbank öffnen"},
        {"SpeedButton2", 96, 6, 25, "", "Original EPROM-Datei öffnen"},
        {"SpeedButton3", 120, 6, 25, "", "Tuning-EPROM-Datei öffnen"},
        {"SpeedButton7", 144, 6, 25, "", "Aenderungen speichern"},
        {"SpeedButton8", 184, 6, 25, "CS", "Checksumme"},
        {"SpeedButton9", 208, 6, 25, "RA", "Aktives Kennfeld Reset"},
        {"SpeedButton14", 232, 6, 25, "R1", "Nur 1 Wert zurücksetzen"},
        {"SpeedButton10", 257, 6, 25, "+", "Wert erhöhen \"+\" oder vermindern \"-\""},
        {"SpeedButton11", 281, 6, 25, "%", "Wert umd Bits oder % erhöhen"},
        {"SpeedButton12", 352, 8, 25, "1W", "Nur 1 Wert ändern"},
        {"SpeedButton15", 376, 8, 25, "AW", "Ganzes Kennfeld ändern"},
        {"SpeedButton13", 400, 8, 25, "9W", "9 Werte ändern"},
        {"SpeedButton16", 432, 8, 25, "ZD", "Drehen und Zoomen"},
        {"SpeedButton17", 456, 8, 25, "SR", "Schrägestellen"},
        {"SpeedButton19", 480, 8, 25, "ST", ""},
        {"SpeedButton20", 512, 8, 25, "KF", "Ansicht Kennfeldgrafik"},
        {"SpeedButton21", 536, 8, 25, "SG", "Ansicht Tabelle"},
        {"SpeedButton22", 560, 8, 25, "KS", "Kennfelder suchen"},
    };
    for (const auto& e : expected) {
      auto* b = m->findChild<ui::SpeedButton*>(QString::fromLatin1(e.name));
      QVERIFY2(b, e.name);
      QCOMPARE(b->geometry(), QRect(e.left, e.top, e.size, e.size));
      QCOMPARE(b->text(), QString::fromUtf8(e.caption));
      QCOMPARE(b->hint, QString::fromUtf8(e.hint));
    }
    // hints not shown
    QVERIFY(m->SpeedButton13->toolTip().isEmpty());
    QVERIFY(m->SpeedButton21->toolTip().isEmpty());
    QCOMPARE(m->SpinEdit1->geometry(), QRect(306, 8, 44, 22));
    QCOMPARE(m->Panel1->height(), 37);
    QCOMPARE(m->SpeedButton10->font().pixelSize(), 19);
    QVERIFY(m->SpeedButton10->font().bold());
  }

  void menuCaptions() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    QStringList titles;
    for (QAction* a : m->menuBar()->actions()) titles << a->text();
    QCOMPARE(titles, (QStringList{"&Datei", "&Bearbeiten", "De&finieren", "&Ansicht", "&Einstellungen",
                                  "Kennfeld &suchen", "&Hilfe"}));
    for (const char* t : {"Datenbank &anlegen", "Daten&bank öffnen", "&Originale EPROM-Datei öffnen",
                          "&Tuning EPROM-Datei öffnen", "Aen&derungen speichern", "&Beenden",
                          "Reset aktives &Kennfeld ", "Reset &Ganze Datei ", "Reset &Drehzahlbegrenzer",
                          "&Original Bilddarstellung", "&Kennfelder definieren", "&Drehzahlbegrenzer definieren",
                          "&3D Grafik", "&SG", "Kennfelder suchen", "&Orignal Grafik", "&Tuning Grafik",
                          "&Bodengitter", "&Koordinatenkreuz", "&Zugriffspfeil", "&Checksumme", "&Drehzahlbegrenzer",
                          "&Schwarz", "&Weiss", "S&ilver", "&Hardware", "8 &Bit", "16 Bit &Motorola",
                          "16 Bit &Intel", "&Info", "&Projekt-Infos", "Kennfelddaten ädern"})
      QVERIFY2(ActionByText(m.get(), QString::fromUtf8(t)), t);
    QStringList popup;
    for (QAction* a : m->PopupMenu1->actions()) popup << a->text();
    QCOMPARE(popup, (QStringList{"&Projekt-Infos", "&Zugriffspfeil", "Kennfelddaten ädern"}));
  }

  void mapListIsCentredBelowTheToolBar_data() {
    QTest::addColumn<int>("width");
    QTest::newRow("800") << 800;
    QTest::newRow("1024") << 1024;
    QTest::newRow("narrower than the list") << 200;
  }
  void mapListIsCentredBelowTheToolBar() {
    QFETCH(int, width);
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow(width, 500);
    QCOMPARE(m->ComboBox5->width(), 217);
    QCOMPARE(m->ComboBox5->y(), 40);
    QCOMPARE(m->ComboBox5->x(), (m->area->width() - 217) / 2);
    QCOMPARE(m->ComboBox5->maxVisibleItems(), 25);
  }

  void createDatabase() {
    test::ScriptedSeam seam;
    TempDir dir;
    auto m = test::MakeMainWindow();
    // cancelled: nothing changes
    seam.files.enqueue(QString());
    m->Datenbankanlegen1->trigger();
    QVERIFY(!m->DefinierenMenu->isEnabled());
    QCOMPARE(m->windowTitle(), QStringLiteral("Orvanta 2000"));
    // a name without extension gets ".dbc"
    const QString chosen = QString::fromStdString(dir.File("motor"));
    seam.files.enqueue(chosen);
    m->Datenbankanlegen1->trigger();
    QCOMPARE(seam.dialogFilters.last(), QStringLiteral("Chip-Datenbank (*.dbc)|*.dbc"));
    const std::string made = dir.File("motor.dbc");
    const auto bytes = fixtures::ReadBytes(made);
    QCOMPARE(bytes.size(), std::size_t{164});
    QCOMPARE(m->db.Datenbankname, made);
    QCOMPARE(m->windowTitle(), QStringLiteral("Orvanta 2000       ") + QString::fromStdString(made));
    QVERIFY(m->DefinierenMenu->isEnabled());
    QCOMPARE(QString::fromStdString(m->db.Systemcode), QStringLiteral("N8"));
    TDatensatz rec;
    std::copy(bytes.begin(), bytes.end(), rec.bytes.begin());
    QCOMPARE(rec.get(fld::Kennfeldname), std::string("Drehzahlbegrenzer"));
    QCOMPARE(rec.get(fld::KennfeldTyp), std::string("K"));
    QCOMPARE(rec.get(fld::XBeschriftung), std::string("N8"));
    QCOMPARE(rec.get(fld::Anfangsadresse), std::string("0"));
    QCOMPARE(int(bytes[108]), 0x81);
    QCOMPARE(int(bytes[161]), 1);
    QCOMPARE(int(bytes[162]), int('A'));
    // a name with an extension is kept as chosen
    seam.files.enqueue(QString::fromStdString(dir.File("other.dbc")));
    m->Datenbankanlegen1->trigger();
    QCOMPARE(fixtures::ReadBytes(dir.File("other.dbc")).size(), std::size_t{164});
    QVERIFY(seam.boxes.isEmpty());
  }

  void openDatabaseFillsTheList() {
    test::ScriptedSeam seam;
    Project p;
    auto m = test::MakeMainWindow();
    seam.files.enqueue(QString::fromStdString(p.dbc));
    m->Datenbankffnen1->trigger();
    QCOMPARE(seam.dialogTitles.last(), QStringLiteral("Kennfelddatenbank öffnen"));
    QCOMPARE(m->ComboBox5->count(), 3);
    QCOMPARE(m->ComboBox5->itemText(0), QStringLiteral("7      Zündung  16 x16"));
    QCOMPARE(m->ComboBox5->view()->sizeHintForRow(0), 13);
    QCOMPARE(m->ComboBox5->currentIndex(), -1);
    QCOMPARE(QString::fromStdString(m->db.Systemcode), QStringLiteral("N8"));
    QVERIFY(m->DefinierenMenu->isEnabled());
    QCOMPARE(m->windowTitle(), QStringLiteral("Orvanta 2000       ") + QString::fromStdString(p.dbc));
    // cancelling a second open changes nothing
    seam.files.enqueue(QString());
    m->Datenbankffnen1->trigger();
    QCOMPARE(m->ComboBox5->count(), 3);
    QCOMPARE(m->db.Datenbankname, p.dbc);
    QVERIFY(seam.boxes.isEmpty());
  }

  void failedOpenLeavesNoHalfOpenDatabase() {
    test::ScriptedSeam seam;
    Project p;
    TempDir dir;
    auto m = test::MakeMainWindow();
    m->OpenDatabase(QString::fromStdString(p.dbc));
    seam.files.enqueue(QString::fromStdString(dir.File("missing.dbc")));
    m->Datenbankffnen1->trigger();
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].caption, QStringLiteral("Orvanta 2000"));
    QCOMPARE(seam.boxes[0].text, QStringLiteral("Datei nicht gefunden."));
    QVERIFY(m->db.Datenbankname.empty());
    QVERIFY(!m->db.Datei.IsOpen());
    QCOMPARE(m->windowTitle(), QStringLiteral("Orvanta 2000"));
    // a directory given as the database
    seam.files.enqueue(QString::fromStdString(dir.path()));
    m->Datenbankffnen1->trigger();
    QCOMPARE(seam.boxes.last().text, QStringLiteral("Dateizugriff verweigert."));
  }

  void layerSwitchWithoutDatabaseReportsFileNotOpen() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    m->Bodengitter1->trigger();
    QVERIFY(!m->Bodengitter1->isChecked());
    QVERIFY(!m->view.flags.BodengitterZeigen);
    QCOMPARE(seam.texts(), QStringList{"I/O-Fehler 103."});
    m->Bodengitter1->trigger();
    QVERIFY(m->Bodengitter1->isChecked());
    QVERIFY(m->view.flags.BodengitterZeigen);
  }

  void imagesLoad() {
    test::ScriptedSeam seam;
    Project p;
    TempDir dir;
    auto m = test::MakeMainWindow();
    seam.files.enqueue(QString::fromStdString(p.org));
    m->OriginaleEPROMDateiffnen1->trigger();
    QCOMPARE(seam.dialogTitles.last(), QStringLiteral("Original-EPROM-Datei öffnen"));
    QCOMPARE(seam.dialogFilters.last(), QStringLiteral("Original-Datei (*.org)|*.org|Alle Dateien (*.*)|*.*"));
    QCOMPARE(m->images.OriginalGroesse, 4096);
    QCOMPARE(m->images.OriginalPuffer.size(), std::size_t{4097});
    QVERIFY(m->view.flags.OriginalZeigen);
    QVERIFY(m->KennfeldSuchenMenu->isEnabled());
    // cancelled: name and image stay
    seam.files.enqueue(QString());
    m->OriginaleEPROMDateiffnen1->trigger();
    QCOMPARE(m->images.OriginalName, p.org);
    QCOMPARE(m->images.OriginalGroesse, 4096);
    // a path that names no file: name set, nothing loaded
    seam.files.enqueue(QString::fromStdString(dir.File("none.tun")));
    m->TuningEPROMDateiffnen1->trigger();
    QCOMPARE(seam.dialogFilters.last(), QStringLiteral("Tuning-Datei (*.tun)|*.tun|Alle Dateien (*.*)|*.*"));
    QCOMPARE(m->images.TuningName, dir.File("none.tun"));
    QVERIFY(!m->images.TuningLoaded());
    QVERIFY(!m->view.flags.TuningZeigen);
    // an empty file loads as size 0 with a one-byte buffer
    fixtures::WriteBytes(dir.File("empty.tun"), {});
    m->OpenImage(ImageKind::Tuning, QString::fromStdString(dir.File("empty.tun")));
    QCOMPARE(m->images.TuningGroesse, 0);
    QCOMPARE(m->images.TuningPuffer.size(), std::size_t{1});
    QVERIFY(m->view.flags.TuningZeigen);
    QVERIFY(seam.boxes.isEmpty());
  }

  void selectionSequenceAndHistory() {
    test::ScriptedSeam seam;
    Project p;
    auto m = test::MakeMainWindow();
    m->OpenDatabase(QString::fromStdString(p.dbc));
    m->OpenImage(ImageKind::Original, QString::fromStdString(p.org));
    RecordingCanvas canvas;
    m->RedirectDrawing(&canvas);
    auto select = [&](int i) {
      m->ComboBox5->setCurrentIndex(i);
      m->ComboBox5Change();
    };
    select(0);
    QCOMPARE(m->Kf.KfNummer, 1);
    QCOMPARE(m->Kf.KfXDim, 16);
    QCOMPARE(m->Kf.KfAdresse, 0x100);
    QCOMPARE(QString::fromStdString(m->Kf.KfTyp), QStringLiteral("N"));
    QVERIFY(canvas.LineCount(colours::Lime) > 0);  // the original surface is drawn
    select(2);
    QCOMPARE(m->Kf.KfNummer, 3);
    QCOMPARE(m->history.Verlauf[1], 3);
    QCOMPARE(m->history.Verlauf[2], 1);
    QCOMPARE(int(m->history.VerlaufPos), 1);
    QVERIFY(m->SpeedButton4->isEnabled());
    QVERIFY(!m->SpeedButton5->isEnabled());
    // back to the map chosen before, forward again
    m->SpeedButton4Click();
    QCOMPARE(m->ComboBox5->currentIndex(), 0);
    QCOMPARE(m->Kf.KfNummer, 1);
    QVERIFY(!m->SpeedButton4->isEnabled());
    QVERIFY(m->SpeedButton5->isEnabled());
    m->SpeedButton5Click();
    QCOMPARE(m->Kf.KfNummer, 3);
    QCOMPARE(m->ComboBox5->currentIndex(), 2);
    QCOMPARE(int(m->history.VerlaufPos), 1);
    // while "SG" is down the list loads but draws nothing
    m->SpeedButton21->click();
    canvas.Clear();
    select(1);
    QCOMPARE(m->Kf.KfNummer, 2);
    QCOMPARE(canvas.Lines().size(), std::size_t{0});
    QCOMPARE(m->StringGrid1->rowCount(), 16);
    QCOMPARE(m->StringGrid1->columnCount(), 1);
    QVERIFY(seam.boxes.isEmpty());
    m->RedirectDrawing(nullptr);
  }

  void nonDigitCrossIsAConversionError() {
    test::ScriptedSeam seam;
    TempDir dir;
    auto m = test::MakeMainWindow();
    fixtures::WriteDatabase(dir.File("x.dbc"), {fixtures::RevLimiterRecord("N8", "0", "K", 1.0),
                                                fixtures::MapRecord(1, "Kaputt", 4, 4, "10", "N", 'x')});
    m->OpenDatabase(QString::fromStdString(dir.File("x.dbc")));
    m->ComboBox5->setCurrentIndex(0);
    m->ComboBox5->activated(0);
    QCOMPARE(seam.texts(), QStringList{"'x' ist kein gültiger Integerwert"});
    QCOMPARE(m->Kf.KfXDim, 4);                 // set before the failure
    QCOMPARE(int(m->history.VerlaufPos), 0);  // not recorded
  }

  void projectInformation() {
    test::ScriptedSeam seam;
    Project p;
    auto m = test::MakeMainWindow();
    RecordingCanvas canvas;
    m->RedirectDrawing(&canvas);
    m->Infos1->trigger();
    QCOMPARE(canvas.Texts().size(), std::size_t{5});
    QCOMPARE(canvas.Texts()[0].x, 25);
    QCOMPARE(canvas.Texts()[0].y, 145);
    QCOMPARE(canvas.Texts()[0].cp1252, std::string("Datenbank:                 "));
    QCOMPARE(canvas.Texts()[3].cp1252, Utf8ToCp1252("Tuning-Dateigrösse:     0"));
    QCOMPARE(canvas.Texts()[4].y, 225);
    QCOMPARE(canvas.Texts()[4].cp1252, Utf8ToCp1252("Original-Dateigrösse:    0"));
    m->OpenDatabase(QString::fromStdString(p.dbc));
    m->OpenImage(ImageKind::Original, QString::fromStdString(p.org));
    canvas.Clear();
    m->Infos1->trigger();
    QCOMPARE(canvas.Texts()[0].cp1252, "Datenbank:                 " + p.dbc);
    QCOMPARE(canvas.Texts()[1].cp1252, "Original-Datei:              " + p.org);
    QCOMPARE(canvas.Texts()[4].cp1252, Utf8ToCp1252("Original-Dateigrösse:    4096"));
    m->RedirectDrawing(nullptr);
  }

  void backBufferKeepsThePicture() {
    test::ScriptedSeam seam;
    Project p;
    auto m = test::MakeMainWindow();
    m->OpenDatabase(QString::fromStdString(p.dbc));
    m->OpenImage(ImageKind::Tuning, QString::fromStdString(p.tun));
    m->ComboBox5->setCurrentIndex(0);
    m->ComboBox5Change();
    const QImage before = m->area->grab().toImage();
    m->area->repaint();
    const QImage after = m->area->grab().toImage();
    QCOMPARE(before, after);
    int white = 0;
    for (int y = 0; y < after.height(); ++y)
      for (int x = 0; x < after.width(); ++x)
        if (after.pixelColor(x, y) == QColor(255, 255, 255)) ++white;
    QVERIFY(white > 100);
  }

  void beendenEndsTheLoop() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    QTimer::singleShot(0, m.get(), [&] { m->Beenden1->trigger(); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(seam.boxes.isEmpty());
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
