#pragma once
// Sending the tuning image to an EPROM emulator over a serial byte link.
//
// Two emulator models are known; the framing of each is ours, written from the
// devices' public descriptions.
//
// "Ostrich 2.0" (binary, default 921600 baud). Every command ends in a check
// byte: the sum of all preceding bytes of the command modulo 256. Addresses are
// three bytes, big-endian (A23..A16, A15..A8, A7..A0). N is one byte, the
// number of data bytes 1..256 with 0x00 meaning 256.
//   Version:  'V' 'V' cs                       -> L, L ASCII chars, cs(L + chars)
//   Write:    'Z' 'W' N A2 A1 A0 data[N] cs    -> 'O' (0x4F)
//   Read:     'Z' 'R' N A2 A1 A0 cs            -> data[N], cs(data)
// The image is written in 256-byte pages from address 0 (the last page may be
// shorter), then read back page by page and compared.
//
// "EPROM-EMU-NG" (ASCII lines, default 115200 baud). Every command is a line
// ending in '\n'; the device answers each with ">OK\r\n" (anything else is an
// error answer).
//   ":emuoff\n"                      stop emulation
//   ":chip <type>\n"                 select the emulated chip, e.g. "27256"
//   ":dataw <AAAAAA> <n>\n" data[n]  write n (1..128, decimal) raw bytes at the
//                                    address AAAAAA (six upper-case hex digits)
//   ":emuon\n"                       start emulation
// The chip is the smallest one that holds the image (see ChipForSize). This
// device offers no read-back, so nothing is verified.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace orv {

// ---------------------------------------------------------------- byte link

class ByteLink {
 public:
  virtual ~ByteLink() = default;
  // Writes all n bytes; false on error or when they could not go out in time.
  virtual bool Write(const std::uint8_t* data, std::size_t n, int timeoutMs) = 0;
  // Waits up to timeoutMs for input; returns the bytes read (at most max),
  // 0 on timeout, -1 on error.
  virtual int Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) = 0;
};

// A link over a POSIX file descriptor (serial device or pseudo-terminal).
class PosixSerialLink : public ByteLink {
 public:
  // Uses fd as it is; closes it on destruction when ownsFd.
  explicit PosixSerialLink(int fd, bool ownsFd = false);
  ~PosixSerialLink() override;
  PosixSerialLink(const PosixSerialLink&) = delete;
  PosixSerialLink& operator=(const PosixSerialLink&) = delete;

  // Opens a device path, sets raw mode 8N1 at the baud rate and returns the
  // owning link; null on failure with a German text in *error.
  static std::unique_ptr<PosixSerialLink> Open(const std::string& path, int baud,
                                               std::string* error = nullptr);
  // Raw mode, 8 data bits, no parity, one stop bit, no flow control, the baud
  // rate (one of kBaudRates). False when the fd refuses it or the rate is unknown.
  static bool MakeRaw(int fd, int baud);

  bool Write(const std::uint8_t* data, std::size_t n, int timeoutMs) override;
  int Read(std::uint8_t* buffer, std::size_t max, int timeoutMs) override;
  int Fd() const { return fd_; }

 private:
  int fd_;
  bool owns_;
};

// ---------------------------------------------------------------- settings

enum class EmulatorModel { Ostrich2, EpromEmuNg };

inline constexpr const char* kModelOstrich2 = "Ostrich 2.0";
inline constexpr const char* kModelEpromEmuNg = "EPROM-EMU-NG";
inline constexpr const char* kEmulatorModelNames[] = {kModelOstrich2, kModelEpromEmuNg};
inline constexpr int kBaudRates[] = {9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};

const char* ModelName(EmulatorModel model);
// False for an unknown name.
bool ModelFromName(const std::string& name, EmulatorModel& out);
int DefaultBaud(EmulatorModel model);  // 921600 / 115200

// EPROM-EMU-NG chip type for an image size: the smallest of 2716 (2 KiB), 2732,
// 2764, 27128, 27256, 27512, 27010, 27020, 27040, 27080 (1 MiB) that holds it;
// empty when none does.
std::string ChipForSize(std::int64_t size);

// Check byte of the Ostrich framing: sum of the bytes modulo 256.
std::uint8_t OstrichChecksum(const std::uint8_t* data, std::size_t n);

// ---------------------------------------------------------------- upload

enum class UploadStatus {
  Ok,
  Cancelled,      // "Übertragung abgebrochen"
  Timeout,        // "Zeitüberschreitung <step>"
  WrongAnswer,    // "Falsche Antwort des Emulators <step>"
  LinkError,      // "Übertragungsfehler <step>"
  VerifyFailed,   // "Prüfung fehlgeschlagen an Adresse 0x......"
  ImageUnfit,     // empty image or too large for the model
};

struct UploadResult {
  UploadStatus Status = UploadStatus::Ok;
  std::string Message;          // German, for a message box
  std::int64_t BytesWritten = 0;  // image bytes acknowledged by the device
  std::uint32_t Address = 0;    // where a failure happened
  std::string Version;          // Ostrich: the answer to the version command
  bool Ok() const { return Status == UploadStatus::Ok; }
};

// done / total: total counts the bytes written plus, where verified, the bytes
// read back (Ostrich: twice the image size).
using UploadProgress = std::function<void(std::int64_t done, std::int64_t total)>;

class Uploader {
 public:
  // timeoutMs bounds every wait for an answer.
  Uploader(ByteLink& link, EmulatorModel model, int timeoutMs = 1000);

  // Sends the image from address 0. The image is only read. The cancel flag is
  // tested before every block; progress is called after every block.
  UploadResult Upload(std::span<const std::uint8_t> image, const UploadProgress& progress = {},
                      const std::atomic<bool>* cancel = nullptr);

 private:
  UploadResult UploadOstrich(std::span<const std::uint8_t> image, const UploadProgress& progress,
                             const std::atomic<bool>* cancel);
  UploadResult UploadEmuNg(std::span<const std::uint8_t> image, const UploadProgress& progress,
                           const std::atomic<bool>* cancel);
  void DrainInput();
  // Reads exactly n bytes within the timeout: 1 done, 0 timeout, -1 error.
  int ReadExact(std::uint8_t* buffer, std::size_t n);
  // Reads one line up to and including '\n' (at most 200 characters).
  int ReadLine(std::string& line);

  ByteLink& link_;
  EmulatorModel model_;
  int timeoutMs_;
};

}  // namespace orv
