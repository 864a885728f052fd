// The XDF commands of the file menu: an import opens the new database and shows
// the report, leaving the database that was open untouched; an export writes the
// open database as an XDF file.
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTest>

#include "ScriptedSeam.h"
#include "app/XdfReportView.h"
#include "support/Fixtures.h"

using namespace orv;
using orv::fixtures::TempDir;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

struct Project {
  TempDir dir;
  std::string dbc = dir.File("motor.dbc");
  std::string xdf = dir.File("fremd.xdf");
  Project() {
    fixtures::WriteDatabase(dbc, {fixtures::RevLimiterRecord("N8", "800", "M16", 1.0),
                                  fixtures::MapRecord(1, "Zündung", 16, 16, "100", "N", '4', "Drehzahl", "Last")});
    fixtures::WriteBytes(
        xdf, Bytes("<XDFFORMAT version=\"1.60\"><XDFHEADER><BASEOFFSET offset=\"32768\" subtract=\"1\" /></XDFHEADER>"
                   "<XDFTABLE><title>Basis</title><XDFAXIS id=\"z\"><EMBEDDEDDATA mmedaddress=\"0x9000\" "
                   "mmedrowcount=\"4\" mmedcolcount=\"6\" /></XDFAXIS></XDFTABLE>"
                   "<XDFTABLE><title>Warmlauf</title><XDFAXIS id=\"z\"><EMBEDDEDDATA mmedaddress=\"0x9020\" "
                   "mmedcolcount=\"8\" /></XDFAXIS></XDFTABLE>"
                   "<XDFCONSTANT><title>Lambda</title><EMBEDDEDDATA mmedaddress=\"0x9030\" "
                   "mmedelementsizebits=\"32\" mmedtypeflags=\"0x10002\" /></XDFCONSTANT></XDFFORMAT>"));
  }
};

QString Path(const std::string& p) { return QString::fromStdString(p); }

}  // namespace

class XdfCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void importOpensTheNewDatabaseAndShowsTheReport() {
    test::ScriptedSeam seam;
    Project p;
    auto m = test::MakeMainWindow();
    m->OpenDatabase(Path(p.dbc));
    const auto before = fixtures::ReadBytes(p.dbc);
    QCOMPARE(m->DatenbankausXDFerzeugen1->text(), QStringLiteral("Datenbank aus XDF erzeugen…"));

    // Choosing the open database as the target is refused.
    seam.files << Path(p.xdf) << Path(p.dbc);
    m->DatenbankausXDFerzeugen1->trigger();
    QCOMPARE(seam.boxes.size(), 1);
    QVERIFY(seam.boxes[0].text.contains(QStringLiteral("geöffnete Datenbank")));

    seam.files << Path(p.xdf) << Path(p.dir.File("neu"));
    m->DatenbankausXDFerzeugen1->trigger();
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.dialogTitles.last(), QStringLiteral("Datenbank aus XDF erzeugen"));
    const std::string created = p.dir.File("neu.dbc");
    QCOMPARE(m->db.Datenbankname, created);
    QVERIFY(m->windowTitle().endsWith(Path(created)));
    QCOMPARE(m->ComboBox5->count(), 2);
    QVERIFY(m->ComboBox5->itemText(0).contains(QStringLiteral("Basis")));
    QCOMPARE(fixtures::ReadBytes(created).size(), 3u * kRecordSize);
    QCOMPARE(fixtures::ReadBytes(p.dbc), before);

    auto* report = m->findChild<ui::XdfReportView*>(QStringLiteral("XdfBericht"));
    QVERIFY(report && report->isVisible());
    const QString text = report->Bericht->toPlainText();
    QVERIFY(report->Bericht->isReadOnly());
    QVERIFY(text.contains(QStringLiteral("Übernommen: 2 von 3 Einträgen")));
    QVERIFY(text.contains(QStringLiteral("Konstante 3 „Lambda“: Gleitkommazellen")));
  }

  void exportWritesTheOpenDatabase() {
    test::ScriptedSeam seam;
    Project p;
    auto m = test::MakeMainWindow();
    m->AlsXDFexportieren1->trigger();  // no database open
    QCOMPARE(seam.boxes.size(), 1);
    m->OpenDatabase(Path(p.dbc));
    seam.files << Path(p.dir.File("motor"));
    m->AlsXDFexportieren1->trigger();
    QCOMPARE(seam.boxes.size(), 1);
    const auto written = fixtures::ReadBytes(p.dir.File("motor.xdf"));
    const std::string text(written.begin(), written.end());
    QVERIFY(text.find("<title>Z&#252;ndung</title>") != std::string::npos);
    QVERIFY(text.find("<units>Drehzahl</units>") != std::string::npos);
    auto* report = m->findChild<ui::XdfReportView*>(QStringLiteral("XdfBericht"));
    QVERIFY(report && report->isVisible());
    QVERIFY(report->Bericht->toPlainText().contains(QStringLiteral("Übernommen: 2 von 2 Einträgen")));
  }
};

QTEST_MAIN(XdfCommandsTest)
#include "XdfCommandsTest.moc"
