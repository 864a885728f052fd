#include "project/Emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "project/HexText.h"

namespace orv {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

speed_t SpeedConstant(int baud) {
  switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
  }
}

std::string AddressText(std::uint32_t address) {
  return "0x" + FormatHex(static_cast<std::int32_t>(address), 6);
}

std::string WriteStep(std::uint32_t a) { return "beim Schreiben an Adresse " + AddressText(a); }
std::string ReadStep(std::uint32_t a) { return "beim Lesen an Adresse " + AddressText(a); }

UploadResult Failure(UploadStatus status, const std::string& step, std::uint32_t address,
                     std::int64_t written) {
  UploadResult r;
  r.Status = status;
  r.Address = address;
  r.BytesWritten = written;
  switch (status) {
    case UploadStatus::Timeout: r.Message = "Zeitüberschreitung " + step; break;
    case UploadStatus::WrongAnswer: r.Message = "Falsche Antwort des Emulators " + step; break;
    case UploadStatus::LinkError: r.Message = "Übertragungsfehler " + step; break;
    case UploadStatus::VerifyFailed:
      r.Message = "Prüfung fehlgeschlagen an Adresse " + AddressText(address);
      break;
    case UploadStatus::Cancelled: r.Message = "Übertragung abgebrochen"; break;
    default: r.Message = step; break;
  }
  return r;
}

// Failure after a read: 0 is a timeout, -1 a link error.
UploadResult ReadFailure(int rc, const std::string& step, std::uint32_t address,
                         std::int64_t written) {
  return Failure(rc == 0 ? UploadStatus::Timeout : UploadStatus::LinkError, step, address, written);
}

bool Cancelled(const std::atomic<bool>* cancel) {
  return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

UploadResult Success(std::int64_t bytes) {
  UploadResult r;
  r.BytesWritten = bytes;
  r.Message = "Übertragung erfolgreich: " + std::to_string(bytes) + " Bytes";
  return r;
}

constexpr std::size_t kOstrichPage = 256;
constexpr std::int64_t kOstrichMaxSize = std::int64_t{1} << 24;
constexpr std::size_t kEmuNgBlock = 128;

}  // namespace

// ---------------------------------------------------------------- PosixSerialLink

PosixSerialLink::PosixSerialLink(int fd, bool ownsFd) : fd_(fd), owns_(ownsFd) {
  // Non-blocking, so that no single write or read can outlast its timeout.
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags >= 0) ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
}

PosixSerialLink::~PosixSerialLink() {
  if (owns_ && fd_ >= 0) ::close(fd_);
}

bool PosixSerialLink::MakeRaw(int fd, int baud) {
  const speed_t speed = SpeedConstant(baud);
  if (speed == B0) return false;
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return false;
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
  t.c_iflag &= ~(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0) return false;
  return ::tcsetattr(fd, TCSANOW, &t) == 0;
}

std::unique_ptr<PosixSerialLink> PosixSerialLink::Open(const std::string& path, int baud,
                                                       std::string* error) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = "Schnittstelle " + path + " lässt sich nicht öffnen: " + std::strerror(errno);
    return nullptr;
  }
  if (!MakeRaw(fd, baud)) {
    if (error) *error = "Schnittstelle " + path + " lässt sich nicht auf " + std::to_string(baud) +
                        " Baud einstellen";
    ::close(fd);
    return nullptr;
  }
  ::tcflush(fd, TCIOFLUSH);
  return std::make_unique<PosixSerialLink>(fd, true);
}

bool PosixSerialLink::Write(const std::uint8_t* data, std::size_t n, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::size_t done = 0;
  while (done < n) {
    const ssize_t w = ::write(fd_, data + done, n - done);
    if (w > 0) {
      done += static_cast<std::size_t>(w);
      continue;
    }
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    const int left = MsLeft(deadline);
    if (left <= 0) return false;
    pollfd p{fd_, POLLOUT, 0};
    const int rc = ::poll(&p, 1, left);
    if (rc < 0 && errno != EINTR) return false;
    if (rc > 0 && (p.revents & (POLLERR | POLLNVAL))) return false;
  }
  return true;
}

int PosixSerialLink::Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) {
  if (max == 0) return 0;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    const int rc = ::poll(&p, 1, MsLeft(deadline));
    if (rc < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (rc == 0) return 0;
    if (p.revents & (POLLERR | POLLNVAL)) return -1;
    if (p.revents & POLLIN) {
      const ssize_t r = ::read(fd_, buffer, max);
      if (r > 0) return static_cast<int>(r);
      if (r < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) return -1;
      // A terminal in raw mode reads 0 bytes when nothing is there.
      if (r == 0 && (p.revents & POLLHUP)) return -1;
    } else if (p.revents & POLLHUP) {
      return -1;  // the other side is gone
    }
    if (MsLeft(deadline) <= 0) return 0;
  }
}

// ---------------------------------------------------------------- settings

const char* ModelName(EmulatorModel model) {
  return model == EmulatorModel::Ostrich2 ? kModelOstrich2 : kModelEpromEmuNg;
}

bool ModelFromName(const std::string& name, EmulatorModel& out) {
  if (name == kModelOstrich2) {
    out = EmulatorModel::Ostrich2;
    return true;
  }
  if (name == kModelEpromEmuNg) {
    out = EmulatorModel::EpromEmuNg;
    return true;
  }
  return false;
}

int DefaultBaud(EmulatorModel model) { return model == EmulatorModel::Ostrich2 ? 921600 : 115200; }

std::string ChipForSize(std::int64_t size) {
  static const struct {
    std::int64_t Bytes;
    const char* Type;
  } kChips[] = {{2048, "2716"},     {4096, "2732"},     {8192, "2764"},      {16384, "27128"},
                {32768, "27256"},   {65536, "27512"},   {131072, "27010"},   {262144, "27020"},
                {524288, "27040"},  {1048576, "27080"}};
  if (size <= 0) return {};
  for (const auto& c : kChips)
    if (size <= c.Bytes) return c.Type;
  return {};
}

std::uint8_t OstrichChecksum(const std::uint8_t* data, std::size_t n) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum += data[i];
  return static_cast<std::uint8_t>(sum);
}

// ---------------------------------------------------------------- Uploader

Uploader::Uploader(ByteLink& link, EmulatorModel model, int timeoutMs)
    : link_(link), model_(model), timeoutMs_(timeoutMs) {}

void Uploader::DrainInput() {
  std::uint8_t buf[256];
  for (int i = 0; i < 64 && link_.Read(buf, sizeof buf, 0) > 0; ++i) {
  }
}

int Uploader::ReadExact(std::uint8_t* buffer, std::size_t n) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  std::size_t got = 0;
  while (got < n) {
    const int left = MsLeft(deadline);
    const int r = link_.Read(buffer + got, n - got, left);
    if (r < 0) return -1;
    if (r == 0) {
      if (left <= 0) return 0;
      continue;
    }
    got += static_cast<std::size_t>(r);
  }
  return 1;
}

int Uploader::ReadLine(std::string& line) {
  line.clear();
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  while (line.size() < 200) {
    std::uint8_t c;
    const int left = MsLeft(deadline);
    const int r = link_.Read(&c, 1, left);
    if (r < 0) return -1;
    if (r == 0) {
      if (left <= 0) return 0;
      continue;
    }
    line.push_back(static_cast<char>(c));
    if (c == '\n') return 1;
  }
  return 1;  // overlong: the caller sees a wrong answer
}

UploadResult Uploader::Upload(std::span<const std::uint8_t> image, const UploadProgress& progress,
                              const std::atomic<bool>* cancel) {
  if (image.empty()) {
    UploadResult r;
    r.Status = UploadStatus::ImageUnfit;
    r.Message = "Kein Tuning-Bild geladen";
    return r;
  }
  DrainInput();
  return model_ == EmulatorModel::Ostrich2 ? UploadOstrich(image, progress, cancel)
                                           : UploadEmuNg(image, progress, cancel);
}

UploadResult Uploader::UploadOstrich(std::span<const std::uint8_t> image,
                                     const UploadProgress& progress,
                                     const std::atomic<bool>* cancel) {
  const auto size = static_cast<std::int64_t>(image.size());
  if (size > kOstrichMaxSize) {
    UploadResult r;
    r.Status = UploadStatus::ImageUnfit;
    r.Message = "Bild zu groß für den Emulator: " + std::to_string(size) + " Bytes";
    return r;
  }
  const std::int64_t total = 2 * size;
  std::int64_t written = 0;

  if (Cancelled(cancel)) return Failure(UploadStatus::Cancelled, {}, 0, 0);
  // Version query: shows that a device is there before anything is written.
  const std::string versionStep = "bei der Versionsabfrage";
  std::string version;
  {
    const std::uint8_t cmd[3] = {'V', 'V', static_cast<std::uint8_t>('V' + 'V')};
    if (!link_.Write(cmd, 3, timeoutMs_)) return Failure(UploadStatus::LinkError, versionStep, 0, 0);
    std::uint8_t len;
    int rc = ReadExact(&len, 1);
    if (rc != 1) return ReadFailure(rc, versionStep, 0, 0);
    std::vector<std::uint8_t> text(std::size_t{len} + 1);
    rc = ReadExact(text.data(), text.size());
    if (rc != 1) return ReadFailure(rc, versionStep, 0, 0);
    if (static_cast<std::uint8_t>(len + OstrichChecksum(text.data(), len)) != text[len])
      return Failure(UploadStatus::WrongAnswer, versionStep, 0, 0);
    version.assign(text.begin(), text.begin() + len);
  }

  std::vector<std::uint8_t> frame(6 + kOstrichPage + 1);
  auto header = [&](char op, std::uint32_t address, std::size_t n) {
    frame[0] = 'Z';
    frame[1] = static_cast<std::uint8_t>(op);
    frame[2] = static_cast<std::uint8_t>(n & 0xFF);  // 256 -> 0
    frame[3] = static_cast<std::uint8_t>(address >> 16);
    frame[4] = static_cast<std::uint8_t>(address >> 8);
    frame[5] = static_cast<std::uint8_t>(address);
  };

  for (std::int64_t pos = 0; pos < size; pos += kOstrichPage) {
    const auto address = static_cast<std::uint32_t>(pos);
    if (Cancelled(cancel)) return Failure(UploadStatus::Cancelled, {}, address, written);
    const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(kOstrichPage, size - pos));
    header('W', address, n);
    std::memcpy(frame.data() + 6, image.data() + pos, n);
    frame[6 + n] = OstrichChecksum(frame.data(), 6 + n);
    if (!link_.Write(frame.data(), 7 + n, timeoutMs_))
      return Failure(UploadStatus::LinkError, WriteStep(address), address, written);
    std::uint8_t ack;
    const int rc = ReadExact(&ack, 1);
    if (rc != 1) return ReadFailure(rc, WriteStep(address), address, written);
    if (ack != 'O') return Failure(UploadStatus::WrongAnswer, WriteStep(address), address, written);
    written += static_cast<std::int64_t>(n);
    if (progress) progress(written, total);
  }

  std::vector<std::uint8_t> back(kOstrichPage + 1);
  for (std::int64_t pos = 0; pos < size; pos += kOstrichPage) {
    const auto address = static_cast<std::uint32_t>(pos);
    if (Cancelled(cancel)) return Failure(UploadStatus::Cancelled, {}, address, written);
    const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(kOstrichPage, size - pos));
    header('R', address, n);
    frame[6] = OstrichChecksum(frame.data(), 6);
    if (!link_.Write(frame.data(), 7, timeoutMs_))
      return Failure(UploadStatus::LinkError, ReadStep(address), address, written);
    const int rc = ReadExact(back.data(), n + 1);
    if (rc != 1) return ReadFailure(rc, ReadStep(address), address, written);
    if (OstrichChecksum(back.data(), n) != back[n])
      return Failure(UploadStatus::WrongAnswer, ReadStep(address), address, written);
    for (std::size_t i = 0; i < n; ++i)
      if (back[i] != image[static_cast<std::size_t>(pos) + i])
        return Failure(UploadStatus::VerifyFailed, {}, address + static_cast<std::uint32_t>(i),
                       written);
    if (progress) progress(size + pos + static_cast<std::int64_t>(n), total);
  }
  UploadResult ok = Success(size);
  ok.Version = version;
  return ok;
}

UploadResult Uploader::UploadEmuNg(std::span<const std::uint8_t> image,
                                   const UploadProgress& progress,
                                   const std::atomic<bool>* cancel) {
  const auto size = static_cast<std::int64_t>(image.size());
  const std::string chip = ChipForSize(size);
  if (chip.empty()) {
    UploadResult r;
    r.Status = UploadStatus::ImageUnfit;
    r.Message = "Bild zu groß für den Emulator: " + std::to_string(size) + " Bytes";
    return r;
  }
  std::int64_t written = 0;
  std::string line;

  // Sends one command (and its data) and waits for ">OK".
  auto command = [&](const std::string& text, const std::uint8_t* data, std::size_t n,
                     const std::string& step, std::uint32_t address) -> UploadResult {
    if (!link_.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), timeoutMs_) ||
        (n > 0 && !link_.Write(data, n, timeoutMs_)))
      return Failure(UploadStatus::LinkError, step, address, written);
    const int rc = ReadLine(line);
    if (rc != 1) return ReadFailure(rc, step, address, written);
    if (line != ">OK\r\n" && line != ">OK\n")
      return Failure(UploadStatus::WrongAnswer, step, address, written);
    return {};
  };

  if (Cancelled(cancel)) return Failure(UploadStatus::Cancelled, {}, 0, 0);
  UploadResult r = command(":emuoff\n", nullptr, 0, "beim Anhalten der Emulation", 0);
  if (!r.Ok()) return r;
  r = command(":chip " + chip + "\n", nullptr, 0, "bei der Chipauswahl", 0);
  if (!r.Ok()) return r;

  for (std::int64_t pos = 0; pos < size; pos += kEmuNgBlock) {
    const auto address = static_cast<std::uint32_t>(pos);
    if (Cancelled(cancel)) return Failure(UploadStatus::Cancelled, {}, address, written);
    const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(kEmuNgBlock, size - pos));
    const std::string head = ":dataw " + FormatHex(static_cast<std::int32_t>(address), 6) + " " +
                             std::to_string(n) + "\n";
    r = command(head, image.data() + pos, n, WriteStep(address), address);
    if (!r.Ok()) return r;
    written += static_cast<std::int64_t>(n);
    if (progress) progress(written, size);
  }

  r = command(":emuon\n", nullptr, 0, "beim Starten der Emulation", 0);
  if (!r.Ok()) return r;
  return Success(size);
}

}  // namespace orv
