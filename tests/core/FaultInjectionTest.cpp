// Every file write under failure: whichever step breaks (the n-th call into the
// file layer, whatever it is) or however short a write comes out, the file on disk
// holds its old content or the complete new one, never half a record and never a
// cut image, and the caller gets the runtime's error with its German text.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "project/ChipDatabase.h"
#include "project/Errors.h"
#include "project/FileIo.h"
#include "project/Images.h"
#include "support/Fixtures.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;
using fixtures::MapRecord;
using fixtures::ReadBytes;
using fixtures::RevLimiterRecord;
using fixtures::TempDir;
using fixtures::WriteBytes;
using fixtures::WriteDatabase;

// Fails the n-th call into the file layer (counting every step) with `err`,
// and records the steps seen.
class NthCallFault {
 public:
  NthCallFault(int n, int err) {
    SetFaultHook([this, n, err](std::string_view step) {
      steps_.emplace_back(step);
      return static_cast<int>(steps_.size()) == n ? err : 0;
    });
  }
  ~NthCallFault() { SetFaultHook({}); }
  int Calls() const { return static_cast<int>(steps_.size()); }
  const std::vector<std::string>& Steps() const { return steps_; }

 private:
  std::vector<std::string> steps_;
};

struct ErrnoCase {
  int err;
  int code;
  const char* text;
};
const ErrnoCase kErrnos[] = {
    {ENOSPC, kDiskFull, "Kapazität der Diskette/Festplatte erschöpft."},
    {EACCES, kAccessDenied, "Dateizugriff verweigert."},
    {EIO, 1117, "I/O-Fehler 1117."},
};

std::vector<TDatensatz> ThreeRecords() {
  return {RevLimiterRecord("N8", "4500", "M16", 1.0), MapRecord(1, "Zündung", 16, 16, "4000", "N", '1'),
          MapRecord(2, "Benzin", 16, 12, "4100", "M16", '2')};
}

Bytes Concat(const std::vector<TDatensatz>& recs) {
  Bytes b;
  for (const TDatensatz& r : recs) b.insert(b.end(), r.bytes.begin(), r.bytes.end());
  return b;
}

// Runs `write` with the n-th file-layer call failing, for n = 1, 2, ... until a
// run sees no more calls than n - 1 (the write then went through untouched).
// After each failing run the file must be `before` or `after` exactly.
void EveryCallFails(const std::string& label, const std::function<void(const std::string& path)>& setUp,
                    const std::function<void(const std::string& path)>& write, const Bytes& before,
                    const Bytes& after) {
  for (const ErrnoCase& e : kErrnos) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE(label + ", call " + std::to_string(n) + ", errno " + std::to_string(e.err));
      TempDir dir;
      const std::string path = dir.File("f");
      setUp(path);
      bool failed = false;
      int calls = 0;
      {
        NthCallFault fault(n, e.err);
        try {
          write(path);
        } catch (const EInOutError& err) {
          failed = true;
          EXPECT_EQ(err.ErrorCode, e.code);
          EXPECT_EQ(std::string(err.what()), e.text);
        }
        calls = fault.Calls();
      }
      const Bytes now = std::filesystem::exists(path) ? ReadBytes(path) : Bytes{0xDE, 0xAD};
      if (!failed) {
        EXPECT_LT(calls, n);  // a fault that was injected must be reported
        EXPECT_EQ(now, after);
        break;
      }
      EXPECT_TRUE(now == before || now == after) << "file holds " << now.size() << " bytes";
      // Nothing else is left in the directory (no temporary file).
      int entries = 0;
      for (const auto& d : std::filesystem::directory_iterator(dir.path())) entries += d.path().filename() != "f";
      EXPECT_EQ(entries, 0);
      ASSERT_LT(n, 50) << "the write never goes through";
    }
  }
}

TEST(FaultInjection, RecordWriteAtEveryCall) {
  const auto recs = ThreeRecords();
  const TDatensatz neu = MapRecord(2, "Neu", 8, 8, "5000", "I16", '3');
  auto after = recs;
  after[2] = neu;
  EveryCallFails(
      "replace", [&](const std::string& p) { WriteDatabase(p, recs); },
      [&](const std::string& p) {
        ChipDatabase db;
        db.Open(p);
        TDatensatz r;
        db.SatzLesen(2, r);  // the writer reads the record first
        db.SatzSchreiben(2, neu);
        db.Close();
      },
      Concat(recs), Concat(after));
}

TEST(FaultInjection, RecordAppendAtEveryCall) {
  const auto recs = ThreeRecords();
  const TDatensatz neu = MapRecord(3, "Ladedruck", 8, 8, "4300", "I16", '3');
  auto after = recs;
  after.push_back(neu);
  EveryCallFails(
      "append", [&](const std::string& p) { WriteDatabase(p, recs); },
      [&](const std::string& p) {
        ChipDatabase db;
        db.Open(p);
        ASSERT_TRUE(db.AtEnd(3));
        db.SatzSchreiben(3, neu);
        db.Close();
      },
      Concat(recs), Concat(after));
}

TEST(FaultInjection, LastRecordDeleteAtEveryCall) {
  const auto recs = ThreeRecords();
  auto after = recs;
  after.pop_back();
  EveryCallFails(
      "delete", [&](const std::string& p) { WriteDatabase(p, recs); },
      [&](const std::string& p) {
        ChipDatabase db;
        db.Open(p);
        db.DeleteLast();
        db.Close();
      },
      Concat(recs), Concat(after));
}

TEST(FaultInjection, TuningImageSaveAtEveryCall) {
  Bytes old(3000), changed(3000);
  for (std::size_t i = 0; i < old.size(); ++i) {
    old[i] = static_cast<std::uint8_t>(i);
    changed[i] = static_cast<std::uint8_t>(i * 3);
  }
  // The save writes the image bytes without the spare byte.
  EveryCallFails(
      "save over an image", [&](const std::string& p) { WriteBytes(p, old); },
      [&](const std::string& p) {
        ImageSet img;
        LoadImage(img, ImageKind::Tuning, p);
        std::copy(changed.begin(), changed.end(), img.TuningMutable().begin());
        WriteFileAtomically(p, img.Tuning());
      },
      old, changed);
  // Saving under a name that has no file yet leaves no file behind on failure.
  EveryCallFails(
      "save as a new file", [](const std::string&) {},
      [&](const std::string& p) { WriteFileAtomically(p, changed); }, Bytes{0xDE, 0xAD}, changed);
}

// ---------------------------------------------------------------- short writes

// Limits the size of files this process may write (a full quota as the drive
// sees it): a write crossing the limit comes out short, the next one fails.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit lim = old_;
    lim.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &lim) != 0) ok_ = false;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  void (*old_handler_)(int) = nullptr;
  bool ok_ = true;
};

TEST(FaultInjection, ShortAppendIsCutOffAgain) {
  const auto recs = ThreeRecords();
  for (rlim_t room : {rlim_t{1}, rlim_t{100}, rlim_t{163}}) {
    SCOPED_TRACE(room);
    TempDir dir;
    const std::string path = dir.File("a.dbc");
    WriteDatabase(path, recs);
    ChipDatabase db;
    db.Open(path);
    {
      FileSizeLimit limit(3 * kRecordSize + room);
      ASSERT_TRUE(limit.ok());
      try {
        db.SatzSchreiben(3, MapRecord(3, "X", 2, 2, "0", "N"));
        ADD_FAILURE() << "no error";
      } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "Kapazität der Diskette/Festplatte erschöpft.");
      }
    }
    EXPECT_EQ(ReadBytes(path), Concat(recs));  // no part of the record stays behind
    EXPECT_EQ(db.RecordCount(), 3);
    db.SatzSchreiben(3, MapRecord(3, "X", 2, 2, "0", "N"));  // and the database goes on
    EXPECT_EQ(db.RecordCount(), 4);
  }
}

TEST(FaultInjection, ShortImageWriteKeepsTheOldImage) {
  TempDir dir;
  const std::string path = dir.File("a.tun");
  const Bytes old(4096, 0x11);
  WriteBytes(path, old);
  {
    FileSizeLimit limit(5000);
    ASSERT_TRUE(limit.ok());
    try {
      WriteFileAtomically(path, Bytes(8192, 0x22));
      ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
      EXPECT_EQ(std::string(e.what()), "Kapazität der Diskette/Festplatte erschöpft.");
    }
  }
  EXPECT_EQ(ReadBytes(path), old);
  int entries = 0;
  for ([[maybe_unused]] const auto& d : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);
  ImageSet img;
  ASSERT_EQ(LoadImage(img, ImageKind::Tuning, path), LoadOutcome::Loaded);
  EXPECT_EQ(img.TuningGroesse, 4096);
}

}  // namespace
}  // namespace orv
