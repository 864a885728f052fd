#pragma once
// Runtime errors of the editor. File failures carry the runtime's error code and
// its German text; a text that should be a number and is not raises a conversion
// error. Both end the running command and are shown in one central error box.
#include <stdexcept>
#include <string>

namespace orv {

// Runtime error codes of file operations.
enum IoCode : int {
  kFileNotFound = 2,
  kInvalidFileName = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kOutOfMemory = 8,
  kReadBeyondEof = 100,
  kDiskFull = 101,
  kFileNotOpen = 103,
};

// German text of an I/O error code, with a full stop added when the text ends in
// a letter or a digit ("Datei nicht gefunden.", "I/O-Fehler 103.").
std::string IoErrorText(int code);

// Maps an errno value to the runtime's error code.
int IoCodeFromErrno(int err);

class EInOutError : public std::runtime_error {
 public:
  explicit EInOutError(int code) : std::runtime_error(IoErrorText(code)), ErrorCode(code) {}
  int ErrorCode;
};

// "'%s' ist kein gültiger Integerwert" and relatives (UTF-8 text).
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  static EConvertError NotAnInteger(const std::string& textUtf8);
};

// Floating-point failures: overflow when encoding a 6-byte real, division by zero.
class EMathError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  static EMathError Overflow();
  static EMathError DivisionByZero();
  static EMathError InvalidOperation();
};

// A file that can be read but not used as it is (empty, too large); German text.
class EUnusableFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Running out of memory for an image buffer.
class EOutOfMemory : public std::runtime_error {
 public:
  EOutOfMemory();
};

}  // namespace orv
