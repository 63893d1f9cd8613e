#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pelorus {

// Reads a whole file. No value when it cannot be opened; `readFailed` tells a file that opened
// but could not be read to its end.
struct FileContents {
  bool opened = false;
  bool readFailed = false;
  std::vector<uint8_t> bytes;
};
FileContents ReadWholeFile(const std::string& path);

enum class WriteResult { kDone, kCannotCreate, kWriteFailed };

// Writes a file atomically: a temporary file beside the target is written, flushed to disk and
// renamed over it, so the old file survives any failure. A replaced file keeps its permissions.
WriteResult WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

// The folder part of a path, with its trailing separator ("/a/b/c.dvb" gives "/a/b/").
std::string FolderOf(const std::string& path);

}  // namespace pelorus
