// The differences view "Unterschiede": its lists follow edits, resets, undo and
// loads; a map entry shows the map, a range is defined as a map, and a chosen
// comparison file takes the original's place.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "ScriptedSeam.h"
#include "app/DiffView.h"
#include "app/SpeedButton.h"
#include "dialogs/KFdefinieren.h"
#include "support/Fixtures.h"

using namespace orv;
using orv::ui::DiffView;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Original: 256 bytes of 50. Tuning: the first cell of "Zündung" raised by 5 and
// byte 0x80, which no map holds.
Bytes Original() { return Bytes(256, 50); }
Bytes Tuning() {
  Bytes b = Original();
  b[0x10] = 55;
  b[0x80] = 0xAB;
  return b;
}

struct Fixture {
  test::ScriptedSeam seam;
  fixtures::TempDir dir;
  std::unique_ptr<TMainM> main = test::MakeMainWindow();
  DiffView* view = main->DiffView;
  std::string db = dir.File("chip.dbc");

  Fixture() {
    fixtures::WriteDatabase(db, {fixtures::RevLimiterRecord("N8", "0", "K", 1.0),
                                 fixtures::MapRecord(1, "Zündung", 4, 4, "10", "N"),
                                 fixtures::MapRecord(2, "Benzin", 2, 2, "40", "M16")});
    main->OpenDatabase(QString::fromStdString(db));
    Load(ImageKind::Original, "chip.org", Original());
    Load(ImageKind::Tuning, "chip.tun", Tuning());
    main->Unterschiede1->trigger();
  }
  void Load(ImageKind kind, const std::string& name, const Bytes& b) {
    fixtures::WriteBytes(dir.File(name), b);
    main->OpenImage(kind, QString::fromStdString(dir.File(name)));
  }
  QString Map(int col) const { return view->Kennfelder->item(0, col)->text(); }
};

}  // namespace

class DiffViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void listFollowsEditsResetsUndoAndLoads() {
    Fixture f;
    QVERIFY(f.view->isVisible());
    QVERIFY(f.main->Unterschiede1->isChecked());
    QCOMPARE(f.main->Unterschiede1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
    QVERIFY(!f.main->SpeedButton20->isChecked());  // the picture behind takes no edit clicks
    QCOMPARE(f.view->Kennfelder->rowCount(), 1);
    QCOMPARE(f.Map(DiffView::ColName), QStringLiteral("Zündung"));
    QCOMPARE(f.Map(DiffView::ColZellen), QStringLiteral("1 von 16"));
    QCOMPARE(f.Map(DiffView::ColMax), QStringLiteral("+5"));
    QCOMPARE(f.Map(DiffView::ColMaxProzent), QStringLiteral("+10,0 %"));
    QCOMPARE(f.view->Bereiche->rowCount(), 1);
    QCOMPARE(f.view->Bereiche->item(0, DiffView::ColBereich)->text(), QStringLiteral("0x000080"));
    QCOMPARE(f.view->Bereiche->item(0, DiffView::ColNachher)->text(), QStringLiteral("AB"));
    // Where a map lies shows only in expert mode, as in the map list.
    QVERIFY(f.view->Kennfelder->isColumnHidden(DiffView::ColAdresse));
    f.main->Expertenmodus1->trigger();
    QVERIFY(!f.view->Kennfelder->isColumnHidden(DiffView::ColAdresse));
    f.main->Expertenmodus1->trigger();

    f.seam.answers.enqueue(true);
    f.main->GanzeDateizurcksetzen1Click();
    QCOMPARE(f.view->Kennfelder->rowCount(), 0);
    QCOMPARE(f.view->Bereiche->rowCount(), 0);
    QVERIFY(f.view->Status->text().contains(QStringLiteral("Keine geänderten Bytes")));
    f.main->Rueckgaengig1->trigger();
    QCOMPARE(f.view->Kennfelder->rowCount(), 1);
    QCOMPARE(f.view->Bereiche->rowCount(), 1);

    f.Load(ImageKind::Tuning, "same.tun", Original());
    QCOMPARE(f.view->Kennfelder->rowCount(), 0);
  }

  void mapEntryShowsTheMapAndARangeBecomesAMap() {
    Fixture f;
    f.view->KennfelderClick(0);
    QVERIFY(!f.view->isVisible());
    QVERIFY(f.main->SpeedButton20->isChecked());
    QCOMPARE(f.main->ComboBox5->currentIndex(), 0);
    QCOMPARE(f.main->Kf.KfNummer, 1);

    f.main->Unterschiede1->trigger();
    QVERIFY(!f.view->Definieren->isEnabled());
    f.view->Bereiche->setCurrentCell(0, 0);
    QVERIFY(f.view->Definieren->isEnabled());
    TKennfdefinieren* form = f.main->forms.Kennfdefinieren;
    QString address, name, columns, rows;
    QTimer::singleShot(0, form, [&] {
      address = form->Edit1->text();
      name = form->ComboBox1->currentText();
      columns = form->ComboBox3->currentText();
      rows = form->ComboBox6->currentText();
      form->Button1Click();
    });
    QTest::mouseClick(f.view->Definieren, Qt::LeftButton);
    QCOMPARE(address, QStringLiteral("000080"));
    QCOMPARE(name, QStringLiteral("Geändert 0x000080"));
    QCOMPARE(columns, QStringLiteral("1"));
    QCOMPARE(rows, QStringLiteral("1"));
    QCOMPARE(f.main->ComboBox5->count(), 3);
    // The range now lies in a map: the list has followed the new definition.
    QCOMPARE(f.view->Bereiche->rowCount(), 0);
    QCOMPARE(f.view->Kennfelder->rowCount(), 2);
  }

  void comparisonFileTakesTheOriginalsPlace() {
    Fixture f;
    QVERIFY(!f.view->MitOriginal->isEnabled());
    Bytes other = Tuning();
    other[0x41] = 40;  // "Benzin" cell 1: 0x3228 in the other file, 0x3232 in the tuning image
    fixtures::WriteBytes(f.dir.File("other.bin"), other);
    fixtures::WriteBytes(f.dir.File("empty.bin"), {});
    fixtures::WriteBytes(f.dir.File("short.bin"), Bytes(100, 50));

    f.seam.files.enqueue(QString::fromStdString(f.dir.File("other.bin")));
    f.main->Vergleichenmit1->trigger();
    QVERIFY(f.view->Status->text().contains(QStringLiteral("„other.bin“")));
    QCOMPARE(f.view->Kennfelder->rowCount(), 1);
    QCOMPARE(f.Map(DiffView::ColName), QStringLiteral("Benzin"));
    QCOMPARE(f.Map(DiffView::ColMin), QStringLiteral("+10"));
    QCOMPARE(f.view->Bereiche->rowCount(), 0);
    QVERIFY(f.main->VergleichGrafik1->isChecked());
    f.main->VergleichGrafik1->trigger();
    QVERIFY(!f.main->view.flags.VergleichZeigen);
    QVERIFY(!f.main->VergleichGrafik1->isChecked());

    // An empty file is refused and changes nothing.
    f.seam.files.enqueue(QString::fromStdString(f.dir.File("empty.bin")));
    QTest::mouseClick(f.view->VergleichenMit, Qt::LeftButton);
    QCOMPARE(f.seam.boxes.size(), 1);
    QCOMPARE(f.seam.boxes[0].kind, ui::BoxKind::Error);
    QCOMPARE(f.seam.boxes[0].text, QStringLiteral("Die Datei ist leer."));
    QCOMPARE(f.main->images.VergleichName, f.dir.File("other.bin"));

    f.seam.files.enqueue(QString::fromStdString(f.dir.File("short.bin")));
    QTest::mouseClick(f.view->VergleichenMit, Qt::LeftButton);
    QVERIFY(f.view->Status->text().contains(QStringLiteral("verschieden groß (100 und 256 Bytes)")));
    QCOMPARE(f.view->Kennfelder->rowCount(), 1);  // "Zündung" lies within the first 100 bytes

    QTest::mouseClick(f.view->MitOriginal, Qt::LeftButton);
    QVERIFY(!f.main->images.VergleichLoaded());
    QVERIFY(f.view->Status->text().contains(QStringLiteral("Original-Datei")));
    QCOMPARE(f.view->Bereiche->rowCount(), 1);
  }
};

QTEST_MAIN(DiffViewTest)
#include "DiffViewTest.moc"
