// Whole-file reading, image loading and the atomic file replacement.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "project/Errors.h"
#include "project/FileIo.h"
#include "project/Images.h"
#include "support/Fixtures.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;
using fixtures::ReadBytes;
using fixtures::TempDir;
using fixtures::WriteBytes;

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(ReadWholeFile, BufferHoldsTheBytesAndOneSpareByte) {
  TempDir dir;
  WriteBytes(dir.File("a.org"), {1, 2, 3});
  EXPECT_EQ(ReadWholeFile(dir.File("a.org"), 100), (Bytes{1, 2, 3, 0}));
  WriteBytes(dir.File("empty.org"), {});
  EXPECT_EQ(ReadWholeFile(dir.File("empty.org"), 100), Bytes{0});
  EXPECT_THROW(ReadWholeFile(dir.File("a.org"), 2), EOutOfMemory);
  try {
    ReadWholeFile(dir.File("missing.org"), 100);
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, kFileNotFound);
  }
  try {
    ReadWholeFile(dir.path(), 100);
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, kAccessDenied);
  }
}

TEST(LoadImage, LoadsWholeAndKeepsTheName) {
  TempDir dir;
  WriteBytes(dir.File("a.org"), Bytes(300, 7));
  ImageSet img;
  EXPECT_EQ(LoadImage(img, ImageKind::Original, dir.File("a.org")), LoadOutcome::Loaded);
  EXPECT_EQ(img.OriginalGroesse, 300);
  EXPECT_EQ(img.OriginalPuffer.size(), 301u);
  EXPECT_EQ(img.Original().size(), 300u);
  EXPECT_TRUE(img.OriginalLoaded());
  EXPECT_FALSE(img.TuningLoaded());
  EXPECT_TRUE(img.Tuning().empty());
  EXPECT_EQ(img.OriginalName, dir.File("a.org"));

  // A path that names no file sets the name and keeps the buffer.
  EXPECT_EQ(LoadImage(img, ImageKind::Original, dir.File("none.org")), LoadOutcome::NoFile);
  EXPECT_EQ(img.OriginalName, dir.File("none.org"));
  EXPECT_EQ(img.OriginalGroesse, 300);

  WriteBytes(dir.File("e.tun"), {});
  EXPECT_EQ(LoadImage(img, ImageKind::Tuning, dir.File("e.tun")), LoadOutcome::Loaded);
  EXPECT_EQ(img.TuningGroesse, 0);
  EXPECT_EQ(img.TuningPuffer.size(), 1u);
  EXPECT_TRUE(img.TuningLoaded());
  EXPECT_TRUE(img.TuningMutable().empty());
}

TEST(LoadImage, FailedReadLeavesTheImageNotLoaded) {
  TempDir dir;
  WriteBytes(dir.File("a.tun"), Bytes(10, 1));
  WriteBytes(dir.File("b.tun"), Bytes(20, 2));
  ImageSet img;
  LoadImage(img, ImageKind::Tuning, dir.File("a.tun"));
  SetFaultHook([](std::string_view s) { return s == "read" ? EIO : 0; });
  EXPECT_THROW(LoadImage(img, ImageKind::Tuning, dir.File("b.tun")), EInOutError);
  SetFaultHook({});
  EXPECT_FALSE(img.TuningLoaded());
  EXPECT_EQ(img.TuningGroesse, 0);
  EXPECT_EQ(img.TuningName, dir.File("b.tun"));
}

TEST(WriteFileAtomically, ReplacesTheContentAndKeepsPermissions) {
  TempDir dir;
  const std::string path = dir.File("a.tun");
  WriteBytes(path, Bytes(100, 1));
  ::chmod(path.c_str(), 0640);
  WriteFileAtomically(path, Bytes{9, 8, 7});
  EXPECT_EQ(ReadBytes(path), (Bytes{9, 8, 7}));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.tun"});
  WriteFileAtomically(dir.File("new.tun"), Bytes{});
  EXPECT_EQ(ReadBytes(dir.File("new.tun")), Bytes{});
}

TEST(WriteFileAtomically, FailureAtEachStepKeepsTheOldFile) {
  for (const char* step : {"create", "write", "sync", "close", "rename"}) {
    SCOPED_TRACE(step);
    TempDir dir;
    const std::string path = dir.File("a.tun");
    const Bytes old(1000, 0x42);
    WriteBytes(path, old);
    const std::string failing = step;
    SetFaultHook([failing](std::string_view s) { return s == failing ? ENOSPC : 0; });
    try {
      WriteFileAtomically(path, Bytes(2000, 0x17));
      ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.ErrorCode, kDiskFull);
    }
    SetFaultHook({});
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.tun"});
  }
}

TEST(FileExists, RegularFilesOnly) {
  TempDir dir;
  WriteBytes(dir.File("a"), {1});
  EXPECT_TRUE(FileExists(dir.File("a")));
  EXPECT_FALSE(FileExists(dir.File("b")));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_FALSE(FileExists(""));
  EXPECT_TRUE(SameFile(dir.File("a"), dir.path() + "/./a"));
  EXPECT_FALSE(SameFile(dir.File("a"), dir.File("b")));
}

}  // namespace
}  // namespace orv
