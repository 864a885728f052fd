// German runtime error texts and the errno mapping.
#include <gtest/gtest.h>

#include <cerrno>

#include "project/Errors.h"

namespace orv {
namespace {

TEST(IoErrorText, EveryCodeWithItsFullStopRule) {
  struct Row { int code; const char* text; };
  const Row rows[] = {
      {kFileNotFound, "Datei nicht gefunden."},
      {kInvalidFileName, "Ungültiger Dateiname."},
      {kTooManyOpenFiles, "Zu viele Dateien geöffnet."},
      {kAccessDenied, "Dateizugriff verweigert."},
      {kReadBeyondEof, "Lesen nach Dateiende (EOF)"},  // ends in ")": no full stop
      {kDiskFull, "Kapazität der Diskette/Festplatte erschöpft."},
      {kFileNotOpen, "I/O-Fehler 103."},
      {kOutOfMemory, "I/O-Fehler 8."},
      {131, "I/O-Fehler 131."},
      {0, "I/O-Fehler 0."},
  };
  for (const Row& row : rows) EXPECT_EQ(IoErrorText(row.code), row.text) << row.code;
}

TEST(IoCodeFromErrno, MapsTheUsualCauses) {
  struct Row { int err; int code; };
  const Row rows[] = {
      {ENOENT, kFileNotFound}, {ENOTDIR, kInvalidFileName}, {ENAMETOOLONG, kInvalidFileName},
      {EMFILE, kTooManyOpenFiles}, {ENFILE, kTooManyOpenFiles}, {EACCES, kAccessDenied},
      {EPERM, kAccessDenied},  {EROFS, kAccessDenied},      {EISDIR, kAccessDenied},
      {ENOSPC, kDiskFull},     {EFBIG, kDiskFull},          {EBADF, kFileNotOpen},
      {ENOMEM, kOutOfMemory},
  };
  for (const Row& row : rows) EXPECT_EQ(IoCodeFromErrno(row.err), row.code) << row.err;
}

TEST(Errors, ExceptionsCarryTheirTexts) {
  const EInOutError io(kReadBeyondEof);
  EXPECT_EQ(io.ErrorCode, 100);
  EXPECT_STREQ(io.what(), "Lesen nach Dateiende (EOF)");
  EXPECT_STREQ(EConvertError::NotAnInteger("x").what(), "'x' ist kein gültiger Integerwert");
  EXPECT_STREQ(EMathError::Overflow().what(), "Gleitkommaüberlauf");
  EXPECT_STREQ(EMathError::DivisionByZero().what(), "Gleitkommadivision durch Null");
}

}  // namespace
}  // namespace orv
