#include "project/Emulator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orv {
namespace {

constexpr int kTimeoutMs = 200;

// A pseudo-terminal pair: the uploader talks on the terminal side, a fake
// emulator sits on the master side.
struct PtyPair {
  int Master = -1;
  int Terminal = -1;

  PtyPair() {
    Master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (Master < 0 || ::grantpt(Master) != 0 || ::unlockpt(Master) != 0) return;
    const char* name = ::ptsname(Master);
    if (name == nullptr) return;
    Terminal = ::open(name, O_RDWR | O_NOCTTY);
    if (Terminal >= 0 && !PosixSerialLink::MakeRaw(Terminal, 115200)) {
      ::close(Terminal);
      Terminal = -1;
    }
  }
  bool Ok() const { return Master >= 0 && Terminal >= 0; }
};

std::vector<std::uint8_t> Pattern(std::size_t n, std::uint32_t seed) {
  std::vector<std::uint8_t> b(n);
  for (auto& x : b) {
    seed = seed * 1664525u + 1013904223u;
    x = static_cast<std::uint8_t>(seed >> 24);
  }
  return b;
}

// Base of the fake devices: a thread on the master side that reads with short
// polls so that Stop() always ends it.
class FakeDevice {
 public:
  explicit FakeDevice(int masterFd) : link_(masterFd, true) {}
  virtual ~FakeDevice() = default;
  void Start() { thread_ = std::thread([this] { Run(); }); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  // A copy of the emulated memory.
  std::vector<std::uint8_t> Memory() {
    std::lock_guard<std::mutex> lock(memoryMutex_);
    return memory_;
  }

 protected:
  std::mutex memoryMutex_;
  std::vector<std::uint8_t> memory_ = std::vector<std::uint8_t>(1 << 16, 0xFF);

  virtual void Run() = 0;
  // Reads exactly n bytes; false when stopped or the other side is gone.
  bool Get(std::uint8_t* buf, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
      if (stop_) return false;
      const int r = link_.Read(buf + got, n - got, 20);
      if (r < 0) return false;
      got += static_cast<std::size_t>(r);
    }
    return true;
  }
  void Put(const std::uint8_t* data, std::size_t n) { link_.Write(data, n, 1000); }
  void Put(const std::string& s) { Put(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

  std::atomic<bool> stop_{false};

 private:
  PosixSerialLink link_;
  std::thread thread_;
};

class FakeOstrich : public FakeDevice {
 public:
  using FakeDevice::FakeDevice;
  ~FakeOstrich() override { Stop(); }

  int SilentAfterWrites = -1;      // answer no write after this many
  std::int64_t BadReadAddress = -1;  // read answer with a wrong check byte
  std::int64_t CorruptAddress = -1;  // store this byte inverted
  std::atomic<int> Writes{0};
  std::atomic<int> BadFrames{0};

 protected:
  void Run() override {
    std::uint8_t cmd[2];
    while (Get(cmd, 2)) {
      if (cmd[0] == 'V' && cmd[1] == 'V') {
        std::uint8_t cs;
        if (!Get(&cs, 1)) return;
        if (cs != static_cast<std::uint8_t>('V' + 'V')) ++BadFrames;
        const std::string text = "OST2 fake";
        std::vector<std::uint8_t> answer{static_cast<std::uint8_t>(text.size())};
        answer.insert(answer.end(), text.begin(), text.end());
        answer.push_back(OstrichChecksum(answer.data(), answer.size()));
        Put(answer.data(), answer.size());
        continue;
      }
      if (cmd[0] != 'Z' || (cmd[1] != 'W' && cmd[1] != 'R')) {
        ++BadFrames;
        continue;
      }
      std::uint8_t frame[6 + 256 + 1] = {cmd[0], cmd[1]};
      if (!Get(frame + 2, 4)) return;
      const std::size_t n = frame[2] == 0 ? 256 : frame[2];
      const std::uint32_t address = (frame[3] << 16) | (frame[4] << 8) | frame[5];
      if (cmd[1] == 'W') {
        if (!Get(frame + 6, n + 1)) return;
        if (OstrichChecksum(frame, 6 + n) != frame[6 + n]) {
          ++BadFrames;
          Put(reinterpret_cast<const std::uint8_t*>("E"), 1);
          continue;
        }
        std::unique_lock<std::mutex> lock(memoryMutex_);
        for (std::size_t i = 0; i < n; ++i) {
          std::uint8_t v = frame[6 + i];
          if (static_cast<std::int64_t>(address + i) == CorruptAddress) v = static_cast<std::uint8_t>(~v);
          memory_[address + i] = v;
        }
        lock.unlock();
        if (SilentAfterWrites >= 0 && Writes >= SilentAfterWrites) continue;
        ++Writes;
        Put(reinterpret_cast<const std::uint8_t*>("O"), 1);
      } else {
        if (!Get(frame + 6, 1)) return;
        if (OstrichChecksum(frame, 6) != frame[6]) ++BadFrames;
        std::vector<std::uint8_t> answer;
        {
          std::lock_guard<std::mutex> lock(memoryMutex_);
          answer.assign(memory_.begin() + address, memory_.begin() + address + n);
        }
        std::uint8_t cs = OstrichChecksum(answer.data(), n);
        if (static_cast<std::int64_t>(address) == BadReadAddress) cs ^= 0x55;
        answer.push_back(cs);
        Put(answer.data(), answer.size());
      }
    }
  }
};

class FakeEmuNg : public FakeDevice {
 public:
  using FakeDevice::FakeDevice;
  ~FakeEmuNg() override { Stop(); }

  int SilentAfterBlocks = -1;
  // Answer ">ERR" to the command starting with this text.
  void SetErrorOn(const std::string& prefix) {
    std::lock_guard<std::mutex> lock(mutex_);
    errorOn_ = prefix;
  }
  std::vector<std::string> Commands() {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
  }

 protected:
  void Run() override {
    int blocks = 0;
    for (;;) {
      std::string line;
      std::uint8_t c = 0;
      while (c != '\n') {
        if (!Get(&c, 1)) return;
        line.push_back(static_cast<char>(c));
      }
      line.pop_back();
      std::string errorOn;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        commands_.push_back(line);
        errorOn = errorOn_;
      }
      bool silent = false;
      if (line.rfind(":dataw ", 0) == 0) {
        unsigned address = 0, count = 0;
        if (std::sscanf(line.c_str(), ":dataw %x %u", &address, &count) != 2 || count == 0 ||
            count > 128) {
          Put(">ERR\r\n");
          continue;
        }
        std::vector<std::uint8_t> data(count);
        if (!Get(data.data(), count)) return;
        {
          std::lock_guard<std::mutex> lock(memoryMutex_);
          std::memcpy(memory_.data() + address, data.data(), count);
        }
        silent = SilentAfterBlocks >= 0 && blocks >= SilentAfterBlocks;
        ++blocks;
      }
      if (silent) continue;
      Put(!errorOn.empty() && line.rfind(errorOn, 0) == 0 ? ">ERR\r\n" : ">OK\r\n");
    }
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> commands_;
  std::string errorOn_;
};

// ---------------------------------------------------------------- settings

TEST(EmulatorSettings, ModelsAndBaudRates) {
  EXPECT_STREQ(ModelName(EmulatorModel::Ostrich2), "Ostrich 2.0");
  EXPECT_STREQ(ModelName(EmulatorModel::EpromEmuNg), "EPROM-EMU-NG");
  EmulatorModel m{};
  ASSERT_TRUE(ModelFromName("EPROM-EMU-NG", m));
  EXPECT_EQ(m, EmulatorModel::EpromEmuNg);
  ASSERT_TRUE(ModelFromName("Ostrich 2.0", m));
  EXPECT_EQ(m, EmulatorModel::Ostrich2);
  EXPECT_FALSE(ModelFromName("XXXXXXXX", m));
  EXPECT_EQ(DefaultBaud(EmulatorModel::Ostrich2), 921600);
  EXPECT_EQ(DefaultBaud(EmulatorModel::EpromEmuNg), 115200);
  EXPECT_EQ(std::size(kBaudRates), 8u);
  EXPECT_EQ(kBaudRates[0], 9600);
  EXPECT_EQ(kBaudRates[std::size(kBaudRates) - 1], 921600);
  for (std::size_t i = 1; i < std::size(kBaudRates); ++i) EXPECT_LT(kBaudRates[i - 1], kBaudRates[i]);
}

TEST(EmulatorSettings, ChipBySize) {
  const std::pair<std::int64_t, const char*> rows[] = {
      {1, "2716"},         {2048, "2716"},      {2049, "2732"},    {8192, "2764"},
      {8193, "27128"},     {16384, "27128"},    {32768, "27256"},  {65536, "27512"},
      {131072, "27010"},   {262144, "27020"},   {524288, "27040"}, {1048576, "27080"},
      {1048577, ""},       {0, ""}};
  for (const auto& [size, chip] : rows) EXPECT_EQ(ChipForSize(size), chip) << size;
}

TEST(EmulatorSettings, OstrichCheckByteIsSumModulo256) {
  const std::uint8_t cmd[] = {'Z', 'R', 0x00, 0x01, 0x02, 0x03};  // 5A+52+0+1+2+3 = 0xB2
  EXPECT_EQ(OstrichChecksum(cmd, sizeof cmd), 0xB2);
  const std::uint8_t ff[] = {0xFF, 0xFF, 0xFF};
  EXPECT_EQ(OstrichChecksum(ff, 3), 0xFD);
}

TEST(SerialLink, RawModeAndTimeouts) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  EXPECT_FALSE(PosixSerialLink::MakeRaw(pty.Terminal, 12345));
  for (int baud : kBaudRates) EXPECT_TRUE(PosixSerialLink::MakeRaw(pty.Terminal, baud)) << baud;
  PosixSerialLink term(pty.Terminal, true);
  {
    PosixSerialLink master(pty.Master, true);
    std::uint8_t buf[8];
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(term.Read(buf, sizeof buf, 50), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(45));
    const std::uint8_t bytes[] = {0x00, 0x0D, 0x0A, 0x11, 0xFF};  // raw: nothing translated
    ASSERT_TRUE(master.Write(bytes, sizeof bytes, 100));
    std::size_t got = 0;
    while (got < sizeof bytes) {
      const int r = term.Read(buf + got, sizeof buf - got, 100);
      ASSERT_GT(r, 0);
      got += static_cast<std::size_t>(r);
    }
    EXPECT_EQ(std::memcmp(buf, bytes, sizeof bytes), 0);
  }
  std::uint8_t b;
  EXPECT_EQ(term.Read(&b, 1, 100), -1);  // master side closed
}

TEST(SerialLink, OpenFailsWithGermanText) {
  std::string error;
  EXPECT_EQ(PosixSerialLink::Open("/nonexistent/ttyUSB9", 115200, &error), nullptr);
  EXPECT_NE(error.find("lässt sich nicht öffnen"), std::string::npos) << error;
}

// ---------------------------------------------------------------- Ostrich

struct OstrichFixture : ::testing::Test {
  PtyPair pty;
  std::unique_ptr<FakeOstrich> device;
  std::unique_ptr<PosixSerialLink> link;
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    device = std::make_unique<FakeOstrich>(pty.Master);
    link = std::make_unique<PosixSerialLink>(pty.Terminal, true);
  }
  void TearDown() override {
    if (device) device->Stop();
  }
};

TEST_F(OstrichFixture, FullUploadIsVerifiedByteForByte) {
  device->Start();
  for (std::size_t size : {std::size_t{32768}, std::size_t{1000}}) {
    const auto image = Pattern(size, static_cast<std::uint32_t>(size));
    const auto copy = image;
    std::vector<std::pair<std::int64_t, std::int64_t>> steps;
    Uploader up(*link, EmulatorModel::Ostrich2, kTimeoutMs);
    const UploadResult r = up.Upload(image, [&](std::int64_t d, std::int64_t t) { steps.emplace_back(d, t); });
    ASSERT_TRUE(r.Ok()) << r.Message;
    EXPECT_EQ(r.Message, "Übertragung erfolgreich: " + std::to_string(size) + " Bytes");
    EXPECT_EQ(r.BytesWritten, static_cast<std::int64_t>(size));
    EXPECT_EQ(r.Version, "OST2 fake");
    EXPECT_TRUE(std::equal(image.begin(), image.end(), device->Memory().begin()));
    EXPECT_EQ(image, copy);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back().first, static_cast<std::int64_t>(2 * size));
    EXPECT_EQ(steps.back().second, static_cast<std::int64_t>(2 * size));
    for (std::size_t i = 1; i < steps.size(); ++i) EXPECT_GT(steps[i].first, steps[i - 1].first);
  }
  EXPECT_EQ(device->BadFrames, 0);
}

TEST_F(OstrichFixture, SilentDeviceGivesTimeoutWithAddress) {
  device->SilentAfterWrites = 18;
  device->Start();
  Uploader up(*link, EmulatorModel::Ostrich2, kTimeoutMs);
  const UploadResult r = up.Upload(Pattern(32768, 1));
  EXPECT_EQ(r.Status, UploadStatus::Timeout);
  EXPECT_EQ(r.Message, "Zeitüberschreitung beim Schreiben an Adresse 0x001200");
  EXPECT_EQ(r.BytesWritten, 18 * 256);
}

TEST_F(OstrichFixture, NoDeviceTimesOutAtVersionQuery) {
  Uploader up(*link, EmulatorModel::Ostrich2, kTimeoutMs);
  const UploadResult r = up.Upload(Pattern(512, 1));
  EXPECT_EQ(r.Status, UploadStatus::Timeout);
  EXPECT_EQ(r.Message, "Zeitüberschreitung bei der Versionsabfrage");
}

TEST_F(OstrichFixture, WrongReadAnswerIsAProtocolError) {
  device->BadReadAddress = 0x100;
  device->Start();
  Uploader up(*link, EmulatorModel::Ostrich2, kTimeoutMs);
  const UploadResult r = up.Upload(Pattern(4096, 2));
  EXPECT_EQ(r.Status, UploadStatus::WrongAnswer);
  EXPECT_EQ(r.Message, "Falsche Antwort des Emulators beim Lesen an Adresse 0x000100");
}

TEST_F(OstrichFixture, ChangedByteFailsTheCheck) {
  device->CorruptAddress = 0x1234;
  device->Start();
  Uploader up(*link, EmulatorModel::Ostrich2, kTimeoutMs);
  const UploadResult r = up.Upload(Pattern(8192, 3));
  EXPECT_EQ(r.Status, UploadStatus::VerifyFailed);
  EXPECT_EQ(r.Message, "Prüfung fehlgeschlagen an Adresse 0x001234");
  EXPECT_EQ(r.Address, 0x1234u);
}

TEST_F(OstrichFixture, CancelStopsAfterTheCurrentPage) {
  device->Start();
  std::atomic<bool> cancel{false};
  Uploader up(*link, EmulatorModel::Ostrich2, kTimeoutMs);
  const UploadResult r = up.Upload(
      Pattern(16384, 4), [&](std::int64_t done, std::int64_t) { if (done >= 1024) cancel = true; }, &cancel);
  EXPECT_EQ(r.Status, UploadStatus::Cancelled);
  EXPECT_EQ(r.Message, "Übertragung abgebrochen");
  EXPECT_EQ(r.BytesWritten, 1024);
  EXPECT_EQ(device->Writes, 4);
  // The link is still usable for the next try.
  cancel = false;
  EXPECT_TRUE(up.Upload(Pattern(600, 5), {}, &cancel).Ok());
}

TEST_F(OstrichFixture, EmptyImageIsRefused) {
  Uploader up(*link, EmulatorModel::Ostrich2, kTimeoutMs);
  EXPECT_EQ(up.Upload({}).Status, UploadStatus::ImageUnfit);
}

// ---------------------------------------------------------------- EPROM-EMU-NG

struct EmuNgFixture : ::testing::Test {
  PtyPair pty;
  std::unique_ptr<FakeEmuNg> device;
  std::unique_ptr<PosixSerialLink> link;
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    device = std::make_unique<FakeEmuNg>(pty.Master);
    link = std::make_unique<PosixSerialLink>(pty.Terminal, true);
  }
  void TearDown() override {
    if (device) device->Stop();
  }
};

TEST_F(EmuNgFixture, FullUploadSelectsChipAndSendsBlocks) {
  device->Start();
  const auto image = Pattern(32768, 9);
  std::int64_t lastDone = 0, lastTotal = 0;
  Uploader up(*link, EmulatorModel::EpromEmuNg, kTimeoutMs);
  const UploadResult r = up.Upload(image, [&](std::int64_t d, std::int64_t t) { lastDone = d, lastTotal = t; });
  ASSERT_TRUE(r.Ok()) << r.Message;
  EXPECT_EQ(r.Message, "Übertragung erfolgreich: 32768 Bytes");
  EXPECT_EQ(lastDone, 32768);
  EXPECT_EQ(lastTotal, 32768);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), device->Memory().begin()));
  const auto cmds = device->Commands();
  ASSERT_EQ(cmds.size(), 3u + 256u);
  EXPECT_EQ(cmds[0], ":emuoff");
  EXPECT_EQ(cmds[1], ":chip 27256");
  EXPECT_EQ(cmds[2], ":dataw 000000 128");
  EXPECT_EQ(cmds[3], ":dataw 000080 128");
  EXPECT_EQ(cmds[257], ":dataw 007F80 128");
  EXPECT_EQ(cmds.back(), ":emuon");
}

TEST_F(EmuNgFixture, ShortLastBlock) {
  device->Start();
  const auto image = Pattern(8200, 10);
  Uploader up(*link, EmulatorModel::EpromEmuNg, kTimeoutMs);
  ASSERT_TRUE(up.Upload(image).Ok());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), device->Memory().begin()));
  const auto cmds = device->Commands();
  EXPECT_EQ(cmds[1], ":chip 27128");
  EXPECT_EQ(cmds[cmds.size() - 2], ":dataw 002000 8");
}

TEST_F(EmuNgFixture, SilentDeviceGivesTimeoutWithAddress) {
  device->SilentAfterBlocks = 10;
  device->Start();
  Uploader up(*link, EmulatorModel::EpromEmuNg, kTimeoutMs);
  const UploadResult r = up.Upload(Pattern(4096, 11));
  EXPECT_EQ(r.Status, UploadStatus::Timeout);
  EXPECT_EQ(r.Message, "Zeitüberschreitung beim Schreiben an Adresse 0x000500");
  EXPECT_EQ(r.BytesWritten, 1280);
}

TEST_F(EmuNgFixture, ErrorAnswersNameTheStep) {
  const std::pair<const char*, const char*> rows[] = {
      {":chip", "Falsche Antwort des Emulators bei der Chipauswahl"},
      {":emuoff", "Falsche Antwort des Emulators beim Anhalten der Emulation"},
      {":emuon", "Falsche Antwort des Emulators beim Starten der Emulation"},
      {":dataw 000100", "Falsche Antwort des Emulators beim Schreiben an Adresse 0x000100"},
  };
  device->Start();
  Uploader up(*link, EmulatorModel::EpromEmuNg, kTimeoutMs);
  for (const auto& [command, message] : rows) {
    device->SetErrorOn(command);
    const UploadResult r = up.Upload(Pattern(1024, 12));
    EXPECT_EQ(r.Status, UploadStatus::WrongAnswer) << command;
    EXPECT_EQ(r.Message, message);
  }
}

TEST_F(EmuNgFixture, CancelStopsCleanly) {
  device->Start();
  std::atomic<bool> cancel{false};
  Uploader up(*link, EmulatorModel::EpromEmuNg, kTimeoutMs);
  const UploadResult r = up.Upload(
      Pattern(65536, 13), [&](std::int64_t done, std::int64_t) { if (done >= 384) cancel = true; }, &cancel);
  EXPECT_EQ(r.Status, UploadStatus::Cancelled);
  EXPECT_EQ(r.Message, "Übertragung abgebrochen");
  EXPECT_EQ(r.BytesWritten, 384);
  const auto cmds = device->Commands();
  EXPECT_EQ(cmds.size(), 2u + 3u);  // emuoff, chip, three blocks
}

TEST_F(EmuNgFixture, TooLargeImageIsRefused) {
  Uploader up(*link, EmulatorModel::EpromEmuNg, kTimeoutMs);
  const std::vector<std::uint8_t> big((1 << 20) + 1);
  const UploadResult r = up.Upload(big);
  EXPECT_EQ(r.Status, UploadStatus::ImageUnfit);
  EXPECT_EQ(r.Message, "Bild zu groß für den Emulator: 1048577 Bytes");
}

}  // namespace
}  // namespace orv
