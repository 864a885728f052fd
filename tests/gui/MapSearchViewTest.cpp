// The map search view behind "KS": scans in a worker thread, lists candidates
// with their database and change state, previews one and defines one through the
// new map definition form. Images are random bytes with smooth maps planted at
// known places, or the finder's test image generator.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "ScriptedSeam.h"
#include "app/MapSearchView.h"
#include "app/QtText.h"
#include "app/SpeedButton.h"
#include "dialogs/KFdefinieren.h"
#include "support/Fixtures.h"
#include "support/MapImageGenerator.h"

using namespace orv;
using orv::fixtures::TempDir;
using orv::ui::MapSearchView;

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kWait = 20000;

// Random filler bytes with an 8-bit 16 x 16 surface (20 to 226) planted at each offset.
Bytes ImageWithMaps(std::size_t size, const std::vector<std::int64_t>& offsets, std::uint64_t seed = 7) {
  testsupport::Rng rng(seed);
  Bytes b(size);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng.Next() & 0xFF);
  for (std::int64_t off : offsets)
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 16; ++c)
        b[static_cast<std::size_t>(off + r * 16 + c)] = static_cast<std::uint8_t>(20 + 6 * c + 4 * r + (c * r) / 4);
  return b;
}

int RowOf(QTableWidget* t, const QString& address) {
  for (int r = 0; r < t->rowCount(); ++r)
    if (t->item(r, MapSearchView::ColAdresse)->text() == address) return r;
  return -1;
}

QString Text(QTableWidget* t, int row, int col) { return t->item(row, col)->text(); }

struct Fixture {
  TempDir dir;
  std::unique_ptr<TMainM> main = test::MakeMainWindow();
  MapSearchView* view = main->SearchView;

  void LoadTuning(const Bytes& b) {
    fixtures::WriteBytes(dir.File("chip.tun"), b);
    main->OpenImage(ImageKind::Tuning, QString::fromStdString(dir.File("chip.tun")));
  }
  void LoadOriginal(const Bytes& b) {
    fixtures::WriteBytes(dir.File("chip.org"), b);
    main->OpenImage(ImageKind::Original, QString::fromStdString(dir.File("chip.org")));
  }
  std::string OpenDatabase(const std::string& system, const std::vector<TDatensatz>& maps) {
    std::vector<TDatensatz> recs{fixtures::RevLimiterRecord(system, "0", "N", 1.0)};
    recs.insert(recs.end(), maps.begin(), maps.end());
    const std::string path = dir.File("chip.dbc");
    fixtures::WriteDatabase(path, recs);
    main->OpenDatabase(QString::fromStdString(path));
    return path;
  }
  // Presses "KS" and "Suchen" and waits for the results.
  bool SearchAll() {
    QTest::mouseClick(main->SpeedButton22, Qt::LeftButton);
    QSignalSpy spy(view, &MapSearchView::searchFinished);
    QTest::mouseClick(view->Suchen, Qt::LeftButton);
    return spy.wait(kWait) || spy.count() > 0;
  }
};

TDatensatz ReadRecord(const std::string& path, std::int32_t i) {
  const Bytes all = fixtures::ReadBytes(path);
  TDatensatz r;
  std::copy_n(all.begin() + i * kRecordSize, kRecordSize, r.bytes.begin());
  return r;
}

}  // namespace

class MapSearchViewTest : public QObject {
  Q_OBJECT

 private slots:
  void ksShowsTheSearchChoices() {
    Fixture f;
    QVERIFY(!f.view->isVisible());
    QTest::mouseClick(f.main->SpeedButton22, Qt::LeftButton);
    QVERIFY(f.view->isVisible());
    QVERIFY(f.main->N3DGrafikTabelle1->isChecked());
    QCOMPARE(f.view->SuchTyp->count(), 4);
    const QStringList types{"Alle", "8 Bit", "16 Bit Motorola", "16 Bit Intel"};
    for (int i = 0; i < 4; ++i) QCOMPARE(f.view->SuchTyp->itemText(i), types[i]);
    QCOMPARE(f.view->MinDim->value(), 4);
    QCOMPARE(f.view->MaxDim->value(), 32);
    QCOMPARE(f.view->MinDim->minimum(), 2);
    QCOMPARE(f.view->MaxDim->maximum(), 64);
    QCOMPARE(f.view->Suchen->text(), QStringLiteral("Suchen"));
    QVERIFY(f.view->Suchen->isEnabled());
    QVERIFY(!f.view->Abbrechen->isEnabled());
    QCOMPARE(f.view->SuchErgebnis->rowCount(), 0);
    QCOMPARE(f.view->SuchErgebnis->horizontalHeaderItem(2)->text(), QStringLiteral("Spalten × Zeilen"));
    // "KF" takes the picture back.
    QTest::mouseClick(f.main->SpeedButton20, Qt::LeftButton);
    QVERIFY(!f.view->isVisible());
  }

  void noImageGivesTheInformationBox() {
    test::ScriptedSeam seam;
    Fixture f;
    QTest::mouseClick(f.main->SpeedButton22, Qt::LeftButton);
    QTest::mouseClick(f.view->Suchen, Qt::LeftButton);
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Information);
    QCOMPARE(seam.boxes[0].caption, QStringLiteral("Information"));
    QCOMPARE(seam.boxes[0].text, QStringLiteral("Es ist keine EPROM-Datei geladen."));
    QVERIFY(!f.view->Searching());
  }

  void searchListsThePlantedMapSortedByScore() {
    test::ScriptedSeam seam;
    Fixture f;
    f.LoadTuning(ImageWithMaps(32 * 1024, {0x4000}));
    QVERIFY(f.SearchAll());
    QVERIFY(seam.boxes.isEmpty());
    QTableWidget* t = f.view->SuchErgebnis;
    QCOMPARE(t->objectName(), QStringLiteral("SuchErgebnis"));
    const int row = RowOf(t, "0x004000");
    QVERIFY2(row >= 0, "planted map not listed");
    QCOMPARE(Text(t, row, MapSearchView::ColTyp), QStringLiteral("8 Bit"));
    QCOMPARE(Text(t, row, MapSearchView::ColDimension), QStringLiteral("16 × 16"));
    QCOMPARE(Text(t, row, MapSearchView::ColDatenbank), QStringLiteral("nein"));
    // Only a tuning image: nothing to compare with.
    QCOMPARE(Text(t, row, MapSearchView::ColGeaendert), QStringLiteral("nein"));
    QCOMPARE(t->rowCount(), static_cast<int>(f.view->Results().size()));
    for (int r = 0; r < t->rowCount(); ++r) {
      const QString score = Text(t, r, MapSearchView::ColBewertung);
      QCOMPARE(score, QString::number(f.view->Results()[static_cast<std::size_t>(r)].score, 'f', 1));
      QVERIFY(score.contains('.') && score.section('.', 1).size() == 1);
      if (r > 0) QVERIFY(f.view->Results()[r - 1].score >= f.view->Results()[r].score);
    }
    QCOMPARE(f.view->Fortschritt->value(), f.view->Fortschritt->maximum());
    QVERIFY(!f.view->Searching());
    QVERIFY(f.view->Suchen->isEnabled());
  }

  void originalIsScannedWithoutTuningImage() {
    Fixture f;
    f.LoadOriginal(ImageWithMaps(32 * 1024, {0x2A00}));
    QVERIFY(f.SearchAll());
    QVERIFY(RowOf(f.view->SuchErgebnis, "0x002A00") >= 0);
  }

  void menuItemStartsASearchOfItsType() {
    Fixture f;
    f.LoadTuning(ImageWithMaps(32 * 1024, {0x1000}));
    QVERIFY(f.main->KennfeldSuchenMenu->isEnabled());
    QSignalSpy spy(f.view, &MapSearchView::searchFinished);
    f.main->Bit81->trigger();
    QVERIFY(f.view->isVisible());
    QVERIFY(f.main->SpeedButton22->isChecked());
    QCOMPARE(f.view->SuchTyp->currentText(), QStringLiteral("8 Bit"));
    QVERIFY(spy.wait(kWait) || spy.count() > 0);
    QVERIFY(RowOf(f.view->SuchErgebnis, "0x001000") >= 0);
    for (const MapCandidate& c : f.view->Results()) QCOMPARE(c.type, CellType::N);

    // A 16-bit search does not list the 8-bit map as such.
    QSignalSpy spy2(f.view, &MapSearchView::searchFinished);
    f.main->BitIntel1->trigger();
    QCOMPARE(f.view->SuchTyp->currentText(), QStringLiteral("16 Bit Intel"));
    QVERIFY(spy2.wait(kWait) || spy2.count() > 0);
    for (const MapCandidate& c : f.view->Results()) QCOMPARE(c.type, CellType::I16);
  }

  void generatedImageMapsAreFound() {
    Fixture f;
    testsupport::GeneratorOptions o;
    o.size = 64 * 1024;
    o.mapCount = 8;
    const auto img = testsupport::GenerateMapImage(11, o);
    f.LoadTuning(img.bytes);
    QVERIFY(f.SearchAll());
    int listed = 0;
    for (const auto& m : img.maps) {
      const QString a = QStringLiteral("0x") + QStringLiteral("%1").arg(m.offset, 6, 16, QChar('0')).toUpper();
      if (RowOf(f.view->SuchErgebnis, a) >= 0) ++listed;
    }
    // The finder is a heuristic; most planted maps must show up in the list.
    QVERIFY2(listed * 4 >= static_cast<int>(img.maps.size()) * 3, qPrintable(QString::number(listed)));
  }

  void cancelStopsTheScan() {
    Fixture f;
    testsupport::GeneratorOptions o;
    o.size = 2 * 1024 * 1024;
    o.mapCount = 40;
    f.LoadTuning(testsupport::GenerateMapImage(3, o).bytes);
    QTest::mouseClick(f.main->SpeedButton22, Qt::LeftButton);
    QSignalSpy spy(f.view, &MapSearchView::searchFinished);
    QTest::mouseClick(f.view->Suchen, Qt::LeftButton);
    QVERIFY(f.view->Searching());
    QVERIFY(f.view->Abbrechen->isEnabled());
    QVERIFY(!f.view->Suchen->isEnabled());
    QTest::mouseClick(f.view->Abbrechen, Qt::LeftButton);
    QVERIFY(spy.wait(kWait) || spy.count() > 0);
    QVERIFY(!f.view->Searching());
    QVERIFY(f.view->Suchen->isEnabled());
    // A scan that had already ended when the click came reports itself complete.
    if (f.view->Status->text().contains(QStringLiteral("abgebrochen")))
      QCOMPARE(f.view->Fortschritt->value(), 0);
    else
      QCOMPARE(f.view->Fortschritt->value(), f.view->Fortschritt->maximum());
    const std::size_t partial = f.view->Results().size();
    // A new scan after the stop runs to the end.
    QSignalSpy full(f.view, &MapSearchView::searchFinished);
    QTest::mouseClick(f.view->Suchen, Qt::LeftButton);
    QVERIFY(full.wait(kWait) || full.count() > 0);
    QCOMPARE(f.view->Fortschritt->value(), f.view->Fortschritt->maximum());
    QVERIFY(!f.view->Status->text().contains(QStringLiteral("abgebrochen")));
    QVERIFY(f.view->Results().size() >= partial);
  }

  void closingDuringAScanJoinsTheWorker() {
    auto dir = std::make_unique<TempDir>();
    testsupport::GeneratorOptions o;
    o.size = 2 * 1024 * 1024;
    o.mapCount = 40;
    fixtures::WriteBytes(dir->File("big.tun"), testsupport::GenerateMapImage(5, o).bytes);
    auto main = test::MakeMainWindow();
    main->OpenImage(ImageKind::Tuning, QString::fromStdString(dir->File("big.tun")));
    main->BitMotorola1->trigger();
    QVERIFY(main->SearchView->Searching());
    // Let a few progress events arrive, then close and destroy the window mid-scan.
    QTest::qWait(50);
    main->close();
    main.reset();
    // Events the worker posted for the destroyed view must go nowhere.
    QTest::qWait(50);
  }

  void inDatenbankMarksDefinedMaps() {
    Fixture f;
    // 16-bit system: record address 2000 is byte offset 0x4000.
    f.OpenDatabase("N16", {fixtures::MapRecord(1, "Zündung", 16, 16, "2000", "N")});
    f.LoadTuning(ImageWithMaps(32 * 1024, {0x4000, 0x6000}));
    QVERIFY(f.SearchAll());
    QTableWidget* t = f.view->SuchErgebnis;
    const int defined = RowOf(t, "0x004000");
    const int other = RowOf(t, "0x006000");
    QVERIFY(defined >= 0 && other >= 0);
    QCOMPARE(Text(t, defined, MapSearchView::ColDatenbank), QStringLiteral("ja"));
    QCOMPARE(Text(t, other, MapSearchView::ColDatenbank), QStringLiteral("nein"));
    // The walk reads through the shared buffer: it holds the last record afterwards.
    QCOMPARE(f.main->db.Datensatz.get(fld::Kennfeldname), ToCp1252Test("Zündung"));
  }

  void databaseRangesFollowSystemAndCellWidth() {
    Fixture f;
    f.OpenDatabase("N32", {fixtures::MapRecord(1, "A", 4, 2, "100", "M16"),
                           fixtures::MapRecord(2, "B", 3, 3, "200", "N")});
    const auto ranges = ui::DatabaseMapRanges(*f.main);
    QCOMPARE(ranges.size(), std::size_t{2});
    QCOMPARE(ranges[0].first, std::int64_t{0x400});
    QCOMPARE(ranges[0].last, std::int64_t{0x400 + 16});
    QCOMPARE(ranges[1].first, std::int64_t{0x800});
    QCOMPARE(ranges[1].last, std::int64_t{0x800 + 9});
    struct Case {
      std::int64_t offset, size;
      bool hit;
    } cases[] = {{0x3F0, 16, false}, {0x3F1, 16, true}, {0x40F, 1, true}, {0x410, 8, false}, {0x808, 4, true}};
    for (const Case& c : cases) QCOMPARE(ui::Overlaps(ranges, c.offset, c.size), c.hit);
  }

  void geaendertComparesWithTheOriginal() {
    Fixture f;
    Bytes org = ImageWithMaps(32 * 1024, {0x1000, 0x5000});
    Bytes tun = org;
    tun[0x1000 + 3 * 16 + 5] = static_cast<std::uint8_t>(tun[0x1000 + 3 * 16 + 5] + 4);
    f.LoadOriginal(org);
    f.LoadTuning(tun);
    QVERIFY(f.SearchAll());
    QTableWidget* t = f.view->SuchErgebnis;
    const int changed = RowOf(t, "0x001000");
    const int same = RowOf(t, "0x005000");
    QVERIFY(changed >= 0 && same >= 0);
    QCOMPARE(Text(t, changed, MapSearchView::ColGeaendert), QStringLiteral("ja"));
    QCOMPARE(Text(t, same, MapSearchView::ColGeaendert), QStringLiteral("nein"));
  }

  void doubleClickDrawsThePreview() {
    Fixture f;
    f.LoadTuning(ImageWithMaps(32 * 1024, {0x4000}));
    QVERIFY(f.SearchAll());
    const ActiveMap before = f.main->Kf;
    const int row = RowOf(f.view->SuchErgebnis, "0x004000");
    QVERIFY(row >= 0);
    QTableWidget* t = f.view->SuchErgebnis;
    t->scrollToItem(t->item(row, 0));
    const QRect cell = t->visualItemRect(t->item(row, 0));
    // A double click is a press and release followed by the double click on the same cell.
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, cell.center());
    const QImage& img = f.view->Vorschau->buffer();
    QCOMPARE(img.size(), f.view->Vorschau->size());
    const QRgb bg = qRgb(0, 0, 0);
    int white = 0, other = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QRgb p = img.pixel(x, y) | 0xFF000000u;
        if (p == qRgb(255, 255, 255)) ++white;
        else if (p != bg) ++other;
      }
    QVERIFY2(white > 100, "no tuning surface drawn");
    QVERIFY(other > 0);  // floor grid and cross
    // The main window's active map is untouched.
    QCOMPARE(f.main->Kf.KfAdresse, before.KfAdresse);
    QCOMPARE(f.main->Kf.KfTyp, before.KfTyp);
    QCOMPARE(f.main->Kf.KfXDim, before.KfXDim);
  }

  void alsKennfeldDefinierenAppendsARecord() {
    test::ScriptedSeam seam;
    Fixture f;
    const std::string path = f.OpenDatabase("N16", {fixtures::MapRecord(1, "Zündung", 8, 8, "0100", "N")});
    f.LoadTuning(ImageWithMaps(32 * 1024, {0x4000}));
    QVERIFY(f.SearchAll());
    QTableWidget* t = f.view->SuchErgebnis;
    const int row = RowOf(t, "0x004000");
    QVERIFY(row >= 0);
    QCOMPARE(Text(t, row, MapSearchView::ColDatenbank), QStringLiteral("nein"));
    t->setCurrentCell(row, 0);
    QVERIFY(f.view->Definieren->isEnabled());
    QCOMPARE(f.view->Definieren->text(), QStringLiteral("Als Kennfeld definieren"));

    TKennfdefinieren* form = f.main->forms.Kennfdefinieren;
    QString shownAddress, shownName, shownType, shownX, shownY;
    QTimer::singleShot(0, form, [&] {
      shownAddress = form->Edit1->text();
      shownName = form->ComboBox1->currentText();
      shownType = form->ComboBox2->currentText();
      shownX = form->ComboBox3->currentText();
      shownY = form->ComboBox6->currentText();
      form->Button1Click();
    });
    QTest::mouseClick(f.view->Definieren, Qt::LeftButton);
    QVERIFY(seam.boxes.isEmpty());
    QCOMPARE(shownAddress, QStringLiteral("002000"));
    QCOMPARE(shownName, QStringLiteral("Gefunden 004000"));
    QCOMPARE(shownType, QStringLiteral("8 Bit"));
    QCOMPARE(shownX, QStringLiteral("16"));
    QCOMPARE(shownY, QStringLiteral("16"));

    const TDatensatz rec = ReadRecord(path, 2);
    QCOMPARE(rec.get(fld::Anfangsadresse), std::string("002000"));
    QCOMPARE(rec.get(fld::XDimension), 16);
    QCOMPARE(rec.get(fld::YDimension), 16);
    QCOMPARE(rec.get(fld::KennfeldTyp), std::string("N"));
    QCOMPARE(rec.get(fld::Kennfeldname), std::string("Gefunden 004000"));
    QCOMPARE(rec.get(fld::Nummer), 2);
    QCOMPARE(f.main->ComboBox5->count(), 2);
    QCOMPARE(Text(t, row, MapSearchView::ColDatenbank), QStringLiteral("ja"));
  }

  // A map found by its 16-bit header brings its axis addresses into the form;
  // one of the 8-bit kind, whose axes hold steps for the lookup routine, does not.
  void alsKennfeldDefinierenFillsPlainAxisAddresses() {
    test::ScriptedSeam seam;
    Fixture f;
    const std::string path = f.OpenDatabase("N16", {});
    Bytes b = ImageWithMaps(32 * 1024, {});
    auto word = [&](std::int64_t at, int v) {
      b[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(v & 0xFF);
      b[static_cast<std::size_t>(at + 1)] = static_cast<std::uint8_t>(v >> 8);
    };
    // Little-endian: dimensions 8 and 6, X axis at 0x4004, Y axis at 0x4014, values at 0x4020.
    word(0x4000, 8);
    word(0x4002, 6);
    for (int k = 0; k < 8; ++k) word(0x4004 + 2 * k, 600 + 450 * k + 20 * k * k);
    for (int k = 0; k < 6; ++k) word(0x4014 + 2 * k, 100 + 180 * k);
    for (int r = 0; r < 6; ++r)
      for (int c = 0; c < 8; ++c) word(0x4020 + 2 * (r * 8 + c), 3000 + 900 * c + 1300 * r + 40 * c * r);
    // 8-bit kind at 0x2000: input, 6, steps; input, 8, steps; 6 x 8 values at 0x2012.
    const std::uint8_t head[] = {0x3A, 6, 0x30, 20, 30, 25, 40, 30, 0x41, 8, 0x20, 10, 20, 30, 25, 30, 20, 15};
    std::copy(std::begin(head), std::end(head), b.begin() + 0x2000);
    for (int r = 0; r < 6; ++r)
      for (int c = 0; c < 8; ++c) b[static_cast<std::size_t>(0x2012 + r * 8 + c)] = static_cast<std::uint8_t>(30 + 14 * c + 9 * r);
    f.LoadTuning(b);
    QVERIFY(f.SearchAll());
    QTableWidget* t = f.view->SuchErgebnis;
    struct Case { const char* address; const char* x; const char* y; std::int32_t record; };
    const Case cases[] = {{"0x004020", "002002", "00200A", 1}, {"0x002012", "", "", 2}};
    for (const Case& c : cases) {
      const int row = RowOf(t, c.address);
      QVERIFY2(row >= 0, c.address);
      QCOMPARE(Text(t, row, MapSearchView::ColErkannt), QStringLiteral("Kopf"));
      t->setCurrentCell(row, 0);
      TKennfdefinieren* form = f.main->forms.Kennfdefinieren;
      QTimer::singleShot(0, form, [form] { form->Button1Click(); });
      f.view->DefinierenClick();
      QVERIFY(seam.boxes.isEmpty());
      const TDatensatz rec = ReadRecord(path, c.record);
      QCOMPARE(rec.get(fld::XAdresse), std::string(c.x));
      QCOMPARE(rec.get(fld::YAdresse), std::string(c.y));
    }
    QCOMPARE(Text(t, RowOf(t, "0x004020"), MapSearchView::ColXAchse), QStringLiteral("0x004004 (16 Bit Intel)"));
    QCOMPARE(Text(t, RowOf(t, "0x002012"), MapSearchView::ColXAchse), QStringLiteral("0x00200A (8 Bit, Schritte)"));
  }

  void definedTypeFollowsTheCandidate() {
    Fixture f;
    const std::string path = f.OpenDatabase("N8", {});
    f.LoadTuning(ImageWithMaps(32 * 1024, {0x4000}));
    QVERIFY(f.SearchAll());
    // The best candidate, whatever its type: in an 8-bit system the address is the offset.
    QTableWidget* t = f.view->SuchErgebnis;
    QVERIFY(t->rowCount() > 0);
    const int row = 0;
    const MapCandidate c = f.view->Results()[0];
    t->setCurrentCell(row, 0);
    TKennfdefinieren* form = f.main->forms.Kennfdefinieren;
    QTimer::singleShot(0, form, [form] { form->Button1Click(); });
    f.view->DefinierenClick();
    const TDatensatz rec = ReadRecord(path, 1);
    QCOMPARE(rec.get(fld::KennfeldTyp), std::string(MapTypeCode(c.type)));
    QCOMPARE(rec.get(fld::Anfangsadresse),
             QStringLiteral("%1").arg(c.offset, 6, 16, QChar('0')).toUpper().toStdString());
    QCOMPARE(rec.get(fld::XDimension), c.columns);
    QCOMPARE(rec.get(fld::YDimension), c.rows);
  }

  void oddOffsetInA16BitSystemIsRefused() {
    test::ScriptedSeam seam;
    Fixture f;
    const std::string path = f.OpenDatabase("N16", {});
    f.LoadTuning(ImageWithMaps(32 * 1024, {0x4001}));
    QVERIFY(f.SearchAll());
    const int row = RowOf(f.view->SuchErgebnis, "0x004001");
    QVERIFY(row >= 0);
    f.view->SuchErgebnis->setCurrentCell(row, 0);
    f.view->DefinierenClick();
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Information);
    QVERIFY(seam.boxes[0].text.contains(QStringLiteral("0x004001")));
    QCOMPARE(fixtures::ReadBytes(path).size(), std::size_t{kRecordSize});
  }

  void definingWithoutDatabaseGivesAnInformationBox() {
    test::ScriptedSeam seam;
    Fixture f;
    f.LoadTuning(ImageWithMaps(32 * 1024, {0x4000}));
    QVERIFY(f.SearchAll());
    f.view->SuchErgebnis->setCurrentCell(0, 0);
    f.view->DefinierenClick();
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Information);
    QVERIFY(seam.boxes[0].text.contains(QStringLiteral("keine Datenbank")));
    QVERIFY(!f.main->forms.Kennfdefinieren->isVisible());
  }

 private:
  static std::string ToCp1252Test(const char* utf8) { return ui::ToCp1252(QString::fromUtf8(utf8)); }
};

QTEST_MAIN(MapSearchViewTest)
#include "MapSearchViewTest.moc"
