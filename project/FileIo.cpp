#include "project/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>

#include "project/Errors.h"

namespace orv {

namespace {
FaultHook& Hook() {
  static FaultHook hook;
  return hook;
}

[[noreturn]] void Fail(int err) { throw EInOutError(IoCodeFromErrno(err)); }
}  // namespace

void SetFaultHook(FaultHook hook) { Hook() = std::move(hook); }

int InjectedFault(std::string_view step) {
  const FaultHook& h = Hook();
  return h ? h(step) : 0;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::int64_t maxBytes) {
  if (path.empty()) throw EInOutError(kFileNotFound);
  if (int e = InjectedFault("open")) Fail(e);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail(errno);
  struct Closer { int fd; ~Closer() { ::close(fd); } } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) Fail(errno);
  if (S_ISDIR(st.st_mode)) throw EInOutError(kAccessDenied);
  const std::int64_t size = st.st_size;
  if (size < 0 || size > maxBytes) throw EOutOfMemory();
  std::vector<std::uint8_t> buf;
  try {
    buf.assign(static_cast<std::size_t>(size) + 1, 0);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
  std::int64_t done = 0;
  while (done < size) {
    if (int e = InjectedFault("read")) Fail(e);
    const ssize_t n = ::read(fd, buf.data() + done, static_cast<std::size_t>(size - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    if (n == 0) throw EInOutError(kReadBeyondEof);  // the file shrank while reading
    done += n;
  }
  return buf;
}

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data) {
  if (path.empty()) throw EInOutError(kInvalidFileName);
  const std::string temp = path + ".orvanta-tmp";
  if (int e = InjectedFault("create")) Fail(e);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) Fail(errno);
  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    Fail(err);
  };
  std::size_t done = 0;
  while (done < data.size()) {
    if (int e = InjectedFault("write")) abandon(e);
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      abandon(errno);
    }
    done += static_cast<std::size_t>(n);
  }
  if (int e = InjectedFault("sync")) abandon(e);
  if (::fsync(fd) != 0) abandon(errno);
  // Keep the permissions of the file being replaced.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
  if (int e = InjectedFault("close")) abandon(e);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    Fail(err);
  }
  int err = InjectedFault("rename");
  if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    Fail(err);
  }
}

}  // namespace orv
