// "An Emulator senden" end to end: the checks before sending, and an upload to
// a fake EPROM-EMU-NG on a pseudo-terminal with its progress dialog, result
// boxes and cancelling.
#include <QComboBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "ScriptedSeam.h"
#include "app/EmulatorUpload.h"
#include "dialogs/SetupFenster.h"
#include "support/Fixtures.h"

using namespace orv;

namespace {

using Bytes = std::vector<std::uint8_t>;

// An EPROM-EMU-NG on the master side of a pseudo-terminal: answers every
// command line with ">OK", keeps what ":dataw" writes. `delayMs` slows each
// answer; `silent` answers nothing.
class FakeEmuNg {
 public:
  explicit FakeEmuNg(int delayMs = 0, bool silent = false) : delayMs_(delayMs), silent_(silent) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    if (const char* name = ::ptsname(master_)) path_ = name;
    // Hold the terminal side open so the master never sees a hang-up between opens.
    if (!path_.empty()) keep_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
    thread_ = std::thread([this] { Run(); });
  }
  ~FakeEmuNg() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (keep_ >= 0) ::close(keep_);
    if (master_ >= 0) ::close(master_);
  }
  const std::string& path() const { return path_; }
  Bytes memory = Bytes(0x10000, 0xFF);
  std::vector<std::string> commands;
  std::atomic<bool> emulating{false};

 private:
  // Reads one byte, waiting in short polls until stopped.
  bool Get(std::uint8_t& c) {
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
        if (::read(master_, &c, 1) == 1) return true;
      }
    }
    return false;
  }
  void Run() {
    std::string line;
    std::uint8_t c = 0;
    while (Get(c)) {
      if (c != '\n') {
        line += static_cast<char>(c);
        continue;
      }
      commands.push_back(line);
      if (line.rfind(":dataw ", 0) == 0) {
        const unsigned long address = std::stoul(line.substr(7, 6), nullptr, 16);
        const unsigned long n = std::stoul(line.substr(14));
        for (unsigned long i = 0; i < n; ++i) {
          if (!Get(c)) return;
          if (address + i < memory.size()) memory[address + i] = c;
        }
      }
      if (line == ":emuon") emulating = true;
      line.clear();
      if (silent_) continue;
      if (delayMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
      const char ok[] = ">OK\r\n";
      if (::write(master_, ok, sizeof ok - 1) < 0) return;
    }
  }
  int master_ = -1, keep_ = -1;
  std::string path_;
  int delayMs_;
  bool silent_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

Bytes Pattern(std::size_t n) {
  Bytes b(n);
  std::uint32_t s = 12345;
  for (auto& x : b) {
    s = s * 1664525u + 1013904223u;
    x = static_cast<std::uint8_t>(s >> 24);
  }
  return b;
}

// Applies model, port and baud in the setup dialog as the user would.
void Choose(TMainM& m, int model, const QString& port, const QString& baud) {
  TSetup* d = m.forms.Setup;
  d->ComboBox2->setCurrentIndex(model);
  d->ComboBox1->setEditText(port);
  d->ComboBox3->setCurrentText(baud);
  d->Button2Click();
}

void LoadTuning(TMainM& m, const fixtures::TempDir& dir, const Bytes& image) {
  const std::string path = dir.File("motor.tun");
  fixtures::WriteBytes(path, image);
  m.OpenImage(ImageKind::Tuning, QString::fromStdString(path));
}

}  // namespace

class EmulatorUploadTest : public QObject {
  Q_OBJECT

  QTemporaryDir config_;

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(config_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
  }

  void noTuningImage() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    QVERIFY(!SendTuningToEmulator(*m));
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Information);
    QVERIFY(seam.boxes[0].text.contains(QStringLiteral("keine Tuning-Datei")));
  }

  void parallelPortRefused() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    fixtures::TempDir dir;
    LoadTuning(*m, dir, Pattern(2048));
    Choose(*m, 0, QStringLiteral("LPT1"), QStringLiteral("921600"));
    m->AnEmulatorsenden1Click();
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Information);
    QCOMPARE(seam.boxes[0].text, QStringLiteral("Emulatoren am Parallelport werden nicht unterstützt. Bitte einen "
                                                "seriellen Port wählen."));
  }

  void missingDevice() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    fixtures::TempDir dir;
    LoadTuning(*m, dir, Pattern(2048));
    Choose(*m, 1, QString::fromStdString(dir.File("kein-tty")), QStringLiteral("115200"));
    QVERIFY(!SendTuningToEmulator(*m));
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Error);
    QVERIFY(seam.boxes[0].text.contains(QStringLiteral("kein-tty")));
  }

  void uploadsWholeImage() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    fixtures::TempDir dir;
    const Bytes image = Pattern(4096);
    LoadTuning(*m, dir, image);
    FakeEmuNg device;
    QVERIFY(!device.path().empty());
    Choose(*m, 1, QString::fromStdString(device.path()), QStringLiteral("115200"));
    bool progressSeen = false;
    QTimer probe;
    connect(&probe, &QTimer::timeout, m.get(), [&] {
      if (m->findChild<QProgressDialog*>(QStringLiteral("EmulatorProgress"))) progressSeen = true;
    });
    probe.start(5);
    m->AnEmulatorsenden1Click();
    probe.stop();
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Information);
    QCOMPARE(seam.boxes[0].text, QStringLiteral("Übertragung erfolgreich: 4096 Bytes"));
    QVERIFY(device.emulating);
    QVERIFY(std::equal(image.begin(), image.end(), device.memory.begin()));
    QCOMPARE(device.memory[4096], std::uint8_t{0xFF});
    QVERIFY(progressSeen);
    QVERIFY(!m->findChild<QProgressDialog*>(QStringLiteral("EmulatorProgress")));
  }

  void silentDeviceFails() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    fixtures::TempDir dir;
    LoadTuning(*m, dir, Pattern(2048));
    FakeEmuNg device(0, /*silent=*/true);
    Choose(*m, 1, QString::fromStdString(device.path()), QStringLiteral("115200"));
    QVERIFY(!SendTuningToEmulator(*m));
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Error);
    QVERIFY(seam.boxes[0].text.startsWith(QStringLiteral("Zeitüberschreitung")));
  }

  void cancelStopsTheUpload() {
    test::ScriptedSeam seam;
    auto m = test::MakeMainWindow();
    fixtures::TempDir dir;
    const Bytes image = Pattern(32768);  // 256 blocks, slowed to take seconds
    LoadTuning(*m, dir, image);
    FakeEmuNg device(/*delayMs=*/20);
    Choose(*m, 1, QString::fromStdString(device.path()), QStringLiteral("115200"));
    QTimer::singleShot(200, m.get(), [&] {
      if (auto* p = m->findChild<QProgressDialog*>(QStringLiteral("EmulatorProgress")))
        if (auto* b = p->findChild<QPushButton*>()) b->click();
    });
    QVERIFY(!SendTuningToEmulator(*m));
    QCOMPARE(seam.boxes.size(), 1);
    QCOMPARE(seam.boxes[0].kind, ui::BoxKind::Information);
    QCOMPARE(seam.boxes[0].text, QStringLiteral("Übertragung abgebrochen"));
    QVERIFY(!device.emulating);
  }
};

QTEST_MAIN(EmulatorUploadTest)
#include "EmulatorUploadTest.moc"
