// The about box (texts, no way out but "OK") and the hardware setup dialog
// (items, model defaults, applying, cancelling and keeping the settings).
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ScriptedSeam.h"
#include "dialogs/Inffo.h"
#include "dialogs/SetupFenster.h"

using namespace orv;

namespace {

QStringList Items(const QComboBox* c) {
  QStringList l;
  for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
  return l;
}

QSettings Stored() { return QSettings(QStringLiteral("Orvanta"), QStringLiteral("Orvanta 2000")); }

}  // namespace

class AuxDialogsTest : public QObject {
  Q_OBJECT

  QTemporaryDir config_;

 private slots:
  void initTestCase() {
    // Settings go to a directory of this test, never to the user's.
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(config_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
  }

  void init() {
    QSettings st = Stored();
    st.clear();
    st.sync();
  }

  // ------------------------------------------------------------ about box

  void aboutTexts() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    TInfo* d = m->forms.Info;
    QCOMPARE(d->objectName(), QStringLiteral("Info"));
    QCOMPARE(d->windowTitle(), QStringLiteral("Infos Orvanta 2000"));
    const QStringList texts{"Empfohlene Bildschirmauslösung: 640 x 480",
                            "Weitere Infos: Klick mit rechter Maustaste",
                            "auf den Hintergrund",
                            "Development by:",
                            "Orvanta-Team",
                            "+",
                            "Open-Source-Gemeinschaft"};
    const QLabel* labels[] = {d->Label1, d->Label2, d->Label3, d->Label4, d->Label5, d->Label6, d->Label7};
    for (int i = 0; i < texts.size(); ++i) QCOMPARE(labels[i]->text(), texts[i]);
    QCOMPARE(d->Button1->text(), QStringLiteral("OK"));

    d->show();
    QApplication::processEvents();
    // Top to bottom; the two names sit left and right of the "+" on one line.
    QVERIFY(d->Label1->y() < d->Label2->y());
    QVERIFY(d->Label2->y() < d->Label3->y());
    QVERIFY(d->Label3->y() < d->Label4->y());
    QVERIFY(d->Label4->y() < d->Label6->y());
    QCOMPARE(d->Label5->y(), d->Label7->y());
    QVERIFY(d->Label5->x() < d->Label6->x() && d->Label6->x() < d->Label7->x());
    QVERIFY(d->Label7->y() < d->Button1->y());
    d->Button1->click();
  }

  void aboutBorderAndWayOut() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    TInfo* d = m->forms.Info;
    const Qt::WindowFlags f = d->windowFlags();
    QVERIFY(!(f & Qt::WindowCloseButtonHint));
    QVERIFY(!(f & Qt::WindowSystemMenuHint));
    QVERIFY(!(f & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(f & Qt::WindowMaximizeButtonHint));

    d->show();
    QApplication::processEvents();
    QTest::keyClick(d, Qt::Key_Escape);
    QVERIFY(d->isVisible());
    d->close();
    QVERIFY(d->isVisible());
    d->reject();
    QVERIFY(d->isVisible());
    d->Button1Click();
    QVERIFY(!d->isVisible());
    QCOMPARE(d->result(), int(QDialog::Accepted));
  }

  void aboutThroughTheMenu() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    bool visibleAfterEscape = false;
    QTimer::singleShot(0, m.get(), [&] {
      TInfo* d = m->forms.Info;
      QTest::keyClick(d, Qt::Key_Escape);
      visibleAfterEscape = d->isVisible();
      d->Button1->click();
    });
    m->Info1Click();
    QVERIFY(visibleAfterEscape);
    QVERIFY(!m->forms.Info->isVisible());
  }

  // ------------------------------------------------------------ setup dialog

  void setupForm() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    TSetup* d = m->forms.Setup;
    QCOMPARE(d->objectName(), QStringLiteral("Setup"));
    QCOMPARE(d->windowTitle(), QStringLiteral("Hardware-Setup"));
    const Qt::WindowFlags f = d->windowFlags();
    QVERIFY(f & Qt::WindowCloseButtonHint);
    QVERIFY(!(f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(d->GroupBox1->title(), QStringLiteral("Emulator-Einstellungen"));
    QCOMPARE(d->Label1->text(), QStringLiteral("Emulator-Modell:"));
    QCOMPARE(d->Label2->text(), QStringLiteral("Port:"));
    QCOMPARE(d->Label3->text(), QStringLiteral("Baud:"));
    QCOMPARE(d->Button1->text(), QStringLiteral("OK"));
    QCOMPARE(d->Button2->text(), QStringLiteral("übernehmen"));
    QCOMPARE(d->Button3->text(), QStringLiteral("abbrechen"));

    QCOMPARE(Items(d->ComboBox2), (QStringList{"Ostrich 2.0", "EPROM-EMU-NG"}));
    QVERIFY(!d->ComboBox2->isEditable());
    QStringList ports{"LPT1", "LPT2", "LPT3"};
    for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts()) ports << p.systemLocation();
    QCOMPARE(Items(d->ComboBox1), ports);
    QVERIFY(d->ComboBox1->isEditable());
    // The parallel ports are listed but cannot be chosen for sending; typed, a note says so.
    for (int i = 0; i < ports.size(); ++i)
      QCOMPARE(bool(d->ComboBox1->model()->flags(d->ComboBox1->model()->index(i, 0)) & Qt::ItemIsEnabled), i >= 3);
    d->ComboBox1->setEditText(QStringLiteral("LPT2"));
    QVERIFY(!d->Label4->isHidden());
    QVERIFY(d->Label4->text().contains(QStringLiteral("nicht verfügbar")));
    d->ComboBox1->setEditText(QStringLiteral("/dev/ttyUSB0"));
    QVERIFY(d->Label4->isHidden());
    QCOMPARE(Items(d->ComboBox3),
             (QStringList{"9600", "19200", "38400", "57600", "115200", "230400", "460800", "921600"}));
    QVERIFY(!d->ComboBox3->isEditable());
  }

  void setupDefaultsAndModelBaud() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    TSetup* d = m->forms.Setup;
    QCOMPARE(d->ComboBox2->currentText(), QStringLiteral("Ostrich 2.0"));
    QCOMPARE(d->ComboBox3->currentText(), QStringLiteral("921600"));
    QCOMPARE(d->Settings().model, QStringLiteral("Ostrich 2.0"));
    QCOMPARE(d->Settings().baud, 921600);

    d->ComboBox2->setCurrentIndex(1);
    QCOMPARE(d->ComboBox3->currentText(), QStringLiteral("115200"));
    d->ComboBox3->setCurrentIndex(0);
    d->ComboBox2->setCurrentIndex(0);
    QCOMPARE(d->ComboBox3->currentText(), QStringLiteral("921600"));
    // Choosing only changes the boxes; nothing is applied or stored yet.
    QCOMPARE(d->Settings().baud, 921600);
    QVERIFY(!Stored().contains(QStringLiteral("emulator/model")));
  }

  void setupApplyPersistsAcrossRuns() {
    test::ScriptedSeam seam;
    const EmulatorSettings chosen{QStringLiteral("EPROM-EMU-NG"), QStringLiteral("/dev/ttyUSB7"), 57600};
    {
      auto m = test::MakeMainWindow();
      TSetup* d = m->forms.Setup;
      d->show();
      d->ComboBox2->setCurrentIndex(1);
      d->ComboBox1->setEditText(chosen.port);
      d->ComboBox3->setCurrentText(QStringLiteral("57600"));
      d->Button2Click();  // "übernehmen"
      QVERIFY(d->isVisible());
      QCOMPARE(d->Settings(), chosen);
      QSettings st = Stored();
      QCOMPARE(st.value(QStringLiteral("emulator/model")).toString(), chosen.model);
      QCOMPARE(st.value(QStringLiteral("emulator/port")).toString(), chosen.port);
      QCOMPARE(st.value(QStringLiteral("emulator/baud")).toInt(), chosen.baud);
      QCOMPARE(st.allKeys().size(), 3);
      d->Button1Click();
    }
    // The next run starts with what was applied.
    auto m = test::MakeMainWindow();
    TSetup* d = m->forms.Setup;
    QCOMPARE(d->Settings(), chosen);
    QCOMPARE(d->Shown(), chosen);
    QCOMPARE(d->ComboBox1->currentText(), chosen.port);
  }

  void setupOkAppliesAndCloses() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    QTimer::singleShot(0, m.get(), [&] {
      TSetup* d = m->forms.Setup;
      d->ComboBox1->setEditText(QStringLiteral("LPT2"));
      d->ComboBox3->setCurrentText(QStringLiteral("19200"));
      d->Button1->click();
    });
    m->Hardware1Click();
    TSetup* d = m->forms.Setup;
    QVERIFY(!d->isVisible());
    QCOMPARE(d->Settings(), (EmulatorSettings{QStringLiteral("Ostrich 2.0"), QStringLiteral("LPT2"), 19200}));
    QCOMPARE(Stored().value(QStringLiteral("emulator/port")).toString(), QStringLiteral("LPT2"));
  }

  void setupCancelRestoresLastApplied() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    TSetup* d = m->forms.Setup;
    d->show();
    d->ComboBox2->setCurrentIndex(1);
    d->ComboBox1->setEditText(QStringLiteral("/dev/ttyS3"));
    d->ComboBox3->setCurrentText(QStringLiteral("38400"));
    d->Button2Click();
    const EmulatorSettings applied = d->Settings();
    QCOMPARE(applied, (EmulatorSettings{QStringLiteral("EPROM-EMU-NG"), QStringLiteral("/dev/ttyS3"), 38400}));

    d->ComboBox2->setCurrentIndex(0);
    d->ComboBox1->setEditText(QStringLiteral("LPT3"));
    d->ComboBox3->setCurrentText(QStringLiteral("9600"));
    d->Button3Click();  // "abbrechen"
    QVERIFY(!d->isVisible());
    QCOMPARE(d->Shown(), applied);
    QCOMPARE(d->Settings(), applied);
    QCOMPARE(Stored().value(QStringLiteral("emulator/baud")).toInt(), 38400);

    // The close box (and Escape) cancel the same way.
    d->show();
    d->ComboBox3->setCurrentText(QStringLiteral("230400"));
    d->close();
    QVERIFY(!d->isVisible());
    QCOMPARE(d->Shown(), applied);
  }

  void setupUnknownStoredValuesFallBack() {
    test::ScriptedSeam seam;
    {
      QSettings st = Stored();
      st.setValue(QStringLiteral("emulator/model"), QStringLiteral("Brenner 3000"));
      st.setValue(QStringLiteral("emulator/port"), QStringLiteral("COM9"));
      st.setValue(QStringLiteral("emulator/baud"), 12345);
    }
    auto m = test::MakeMainWindow();
    TSetup* d = m->forms.Setup;
    QCOMPARE(d->Settings(), (EmulatorSettings{QStringLiteral("Ostrich 2.0"), QStringLiteral("COM9"), 921600}));
  }
};

QTEST_MAIN(AuxDialogsTest)
#include "AuxDialogsTest.moc"
