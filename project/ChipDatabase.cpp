#include "project/ChipDatabase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "project/Errors.h"
#include "project/FileIo.h"

namespace orv {

namespace {
[[noreturn]] void Fail(int err) { throw EInOutError(IoCodeFromErrno(err)); }

// Writes all bytes at the offset or returns the errno that stopped it.
int WriteAt(int fd, const std::uint8_t* data, std::size_t n, std::int64_t offset) {
  std::size_t done = 0;
  while (done < n) {
    if (int e = InjectedFault("write")) return e;
    const ssize_t w = ::pwrite(fd, data + done, n - done, static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(w);
  }
  return 0;
}
}  // namespace

ChipDatabase::~ChipDatabase() {
  if (fd_ >= 0) ::close(fd_);
}

void ChipDatabase::Create(const std::string& path) {
  Close();
  if (path.empty()) throw EInOutError(kInvalidFileName);
  if (int e = InjectedFault("create")) Fail(e);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) Fail(errno);
  fd_ = fd;
}

void ChipDatabase::Open(const std::string& path) {
  Close();
  if (path.empty()) throw EInOutError(kInvalidFileName);
  if (int e = InjectedFault("open")) Fail(e);
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) Fail(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw EInOutError(kAccessDenied);
  }
  fd_ = fd;
}

void ChipDatabase::Close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  if (int e = InjectedFault("close")) {
    ::close(fd);
    Fail(e);
  }
  if (::close(fd) != 0) Fail(errno);
}

void ChipDatabase::RequireOpen() const {
  if (fd_ < 0) throw EInOutError(kFileNotOpen);
}

std::int64_t ChipDatabase::FileSize() const {
  RequireOpen();
  struct stat st {};
  if (::fstat(fd_, &st) != 0) Fail(errno);
  return st.st_size;
}

std::int32_t ChipDatabase::RecordCount() const {
  const std::int64_t n = FileSize() / kRecordSize;
  return n > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(n);
}

bool ChipDatabase::AtEnd(std::int32_t i) const {
  if (i < 0) throw EInOutError(131);  // negative seek
  return i >= RecordCount();
}

void ChipDatabase::SatzLesen(std::int32_t i, TDatensatz& rec) const {
  RequireOpen();
  if (i < 0) throw EInOutError(131);
  if (i >= RecordCount()) throw EInOutError(kReadBeyondEof);
  if (int e = InjectedFault("read")) Fail(e);
  TDatensatz fresh;
  std::size_t done = 0;
  while (done < fresh.bytes.size()) {
    const ssize_t n = ::pread(fd_, fresh.bytes.data() + done, fresh.bytes.size() - done,
                              static_cast<off_t>(std::int64_t{i} * kRecordSize + static_cast<std::int64_t>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    if (n == 0) throw EInOutError(kReadBeyondEof);
    done += static_cast<std::size_t>(n);
  }
  rec = fresh;
}

void ChipDatabase::SatzSchreiben(std::int32_t i, const TDatensatz& rec) {
  RequireOpen();
  if (i < 0) throw EInOutError(131);
  const std::int64_t size = FileSize();
  const std::int64_t offset = std::int64_t{i} * kRecordSize;
  // Keep what the record held, to put it back if the write breaks off.
  TDatensatz old;
  const bool replacing = offset + kRecordSize <= size;
  if (replacing) SatzLesen(i, old);
  const int err = WriteAt(fd_, rec.bytes.data(), rec.bytes.size(), offset);
  if (err == 0) return;
  if (replacing) {
    WriteAt(fd_, old.bytes.data(), old.bytes.size(), offset);
  } else {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) { /* reported below */ }
  }
  Fail(err);
}

void ChipDatabase::DeleteLast() {
  const std::int32_t n = RecordCount();
  if (n <= 0) return;
  if (int e = InjectedFault("truncate")) Fail(e);
  if (::ftruncate(fd_, static_cast<off_t>(std::int64_t{n - 1} * kRecordSize)) != 0) Fail(errno);
}

}  // namespace orv
