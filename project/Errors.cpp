#include "project/Errors.h"

#include <cerrno>
#include <cctype>

namespace orv {

std::string IoErrorText(int code) {
  std::string text;
  switch (code) {
    case kFileNotFound: text = "Datei nicht gefunden"; break;
    case kInvalidFileName: text = "Ungültiger Dateiname"; break;
    case kTooManyOpenFiles: text = "Zu viele Dateien geöffnet"; break;
    case kAccessDenied: text = "Dateizugriff verweigert"; break;
    case kReadBeyondEof: text = "Lesen nach Dateiende (EOF)"; break;
    case kDiskFull: text = "Kapazität der Diskette/Festplatte erschöpft"; break;
    default: text = "I/O-Fehler " + std::to_string(code); break;
  }
  const unsigned char last = static_cast<unsigned char>(text.back());
  if (std::isalnum(last) || last >= 0x80) text += '.';
  return text;
}

int IoCodeFromErrno(int err) {
  switch (err) {
    case ENOENT: return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP: return kInvalidFileName;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return kAccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG: return kDiskFull;
    case ENOMEM: return kOutOfMemory;
    case EBADF: return kFileNotOpen;
    case EIO: return 1117;  // device I/O error
    default:
      // Keep other numbers apart from the codes that have texts of their own.
      switch (err) {
        case kFileNotFound: case kInvalidFileName: case kTooManyOpenFiles: case kAccessDenied:
        case kOutOfMemory: case kReadBeyondEof: case kDiskFull: case kFileNotOpen:
          return 1000 + err;
        default:
          return err > 0 ? err : 1000;
      }
  }
}

EConvertError EConvertError::NotAnInteger(const std::string& textUtf8) {
  return EConvertError("'" + textUtf8 + "' ist kein gültiger Integerwert");
}

EMathError EMathError::Overflow() { return EMathError("Gleitkommaüberlauf"); }
EMathError EMathError::DivisionByZero() { return EMathError("Gleitkommadivision durch Null"); }
EMathError EMathError::InvalidOperation() { return EMathError("Ungültige Gleitkommaoperation"); }

EOutOfMemory::EOutOfMemory() : std::runtime_error("Zu wenig Arbeitsspeicher") {}

}  // namespace orv
