#pragma once
// Thin POSIX file helpers shared by the database and the image files. Every
// failure throws EInOutError with the runtime's code. A fault hook lets tests make
// any single step fail as a full disk or a dying drive would.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// Steps a fault hook can break: "open", "create", "read", "write", "truncate",
// "sync", "rename", "close". The hook returns an errno value to fail with, or 0.
using FaultHook = std::function<int(std::string_view step)>;
void SetFaultHook(FaultHook hook);  // empty hook: no faults

// Returns the hook's errno for this step (0 = go on).
int InjectedFault(std::string_view step);

// A regular file (not a directory) exists at the path.
bool FileExists(const std::string& path);

// Reads a whole file; throws EInOutError (or EOutOfMemory past maxBytes).
// The buffer holds the file's bytes and one spare zero byte behind them.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::int64_t maxBytes);

// Writes the bytes to a temporary file beside the target, flushes it and renames
// it over the target, so the target holds either its old or its new content.
void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data);

// The same file on disk (device and inode), false if either does not exist.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace orv
