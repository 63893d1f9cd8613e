#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "common/temporary_files.h"

namespace pelorus {

// Why a file could not be used, for the detail shown beside the message.
enum class FileProblem {
  kNone,
  kMissing,     // nothing at the path
  kCannotOpen,  // there is something, but it could not be opened (see `error`)
  kNotRegular,  // a folder, FIFO, device or socket
  kTooLarge,    // larger than the caller's bound
  kReadFailed,  // opened, but reading failed part-way (see `error`)
  kNoMemory,    // no memory to hold it
};

// The largest settings file accepted: the receiver holds 65,536 records of 64 bytes (4 MiB);
// the rest is a generous margin for records without the tag, which are dropped on load.
inline constexpr uint64_t kMaxSettingsFileBytes = uint64_t{64} << 20;
// The largest text file (channel lines, site lists) read as input.
inline constexpr uint64_t kMaxTextFileBytes = uint64_t{64} << 20;

// Reads a whole file. `opened` is false when it cannot be opened; `readFailed` tells a file
// that opened but could not be used: not a regular file, over `maxBytes`, or not readable to
// its end. `problem` and `error` (an errno value) say why. Never blocks on a FIFO or device.
struct FileContents {
  bool opened = false;
  bool readFailed = false;
  std::vector<uint8_t> bytes;
  FileProblem problem = FileProblem::kNone;
  int error = 0;
  uint64_t size = 0;   // the size found
  uint64_t limit = 0;  // the bound it was read under
};
FileContents ReadWholeFile(const std::string& path, uint64_t maxBytes = kMaxSettingsFileBytes);

// The same, into storage of the caller's: once the size is known, `place(size)` returns where
// the bytes go (at least `size` of them), so a large file is read where it is wanted without a
// copy. `bytes` stays empty; `size` is how many bytes were read.
FileContents ReadWholeFileInto(const std::string& path, uint64_t maxBytes,
                               const std::function<std::span<uint8_t>(uint64_t size)>& place);

// Opens a regular file for reading without ever blocking (a FIFO is opened non-blocking and then
// refused). Returns the descriptor, or -1 with `problem`, `error` and, for regular files over
// `maxBytes`, `size` filled in.
int OpenRegularFileForReading(const std::string& path, uint64_t maxBytes, FileContents& status);

// One line of a "what failed" detail: "PATH: reason".
std::string FileProblemText(const std::string& path, const FileContents& status);

// Where saving failed and why, for the detail beside the message.
struct WriteFailure {
  std::string path;  // the file that could not be written (a link's target, or the temporary)
  int error = 0;     // errno; 0 when the reason is told by `reason`
  std::string reason;
};
std::string WriteFailureText(const WriteFailure& failure);

enum class WriteResult { kDone, kCannotCreate, kWriteFailed };

// Writes a file atomically: a temporary file beside the target is written, flushed to disk and
// renamed over it, so the old file survives any failure. A symbolic link is followed and its
// target replaced; a file with other hard links is rewritten in place once the new contents
// are safely on disk, so every name keeps seeing it. Owner, group and mode are kept where the
// process may set them. Anything that is not a regular file is refused (kCannotCreate).
WriteResult WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                                WriteFailure* failure = nullptr);

// The folder part of a path, with its trailing separator ("/a/b/c.dvb" gives "/a/b/").
std::string FolderOf(const std::string& path);

}  // namespace pelorus
