#pragma once
// The open chip database: a plain sequence of 164-byte records, opened for
// reading and writing and addressed by record index. Every failure throws
// EInOutError; an operation on a file that is not open fails with code 103.
#include <cstdint>
#include <string>

#include "project/Record.h"

namespace orv {

class ChipDatabase {
 public:
  ChipDatabase() = default;
  ~ChipDatabase();
  ChipDatabase(const ChipDatabase&) = delete;
  ChipDatabase& operator=(const ChipDatabase&) = delete;

  // Creates (or truncates) the file and keeps it open.
  void Create(const std::string& path);
  // Opens an existing file for reading and writing.
  void Open(const std::string& path);
  // Closes the file if one is open.
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Number of whole records; a trailing partial record does not count.
  std::int32_t RecordCount() const;
  // Positions at record i and tells whether i is the number of records.
  bool AtEnd(std::int32_t i) const;

  // Reads record i into rec (code 100 at or beyond the end).
  void SatzLesen(std::int32_t i, TDatensatz& rec) const;
  // Writes rec as record i; i == RecordCount() appends. A failed write puts the
  // record's old bytes back (or cuts an append off again), so the file never
  // keeps half a record.
  void SatzSchreiben(std::int32_t i, const TDatensatz& rec);
  // Removes the last record (cuts the file to the last whole record before it).
  void DeleteLast();

 private:
  void RequireOpen() const;
  std::int64_t FileSize() const;
  int fd_ = -1;
};

}  // namespace orv
