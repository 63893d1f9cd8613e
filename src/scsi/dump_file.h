#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pelorus {

// A file written piece by piece that takes the place of `path` only when committed: the
// pieces go to a temporary file beside it, which is flushed to disk and renamed over the target.
// Dropped without a commit, it leaves the target as it was.
class DumpFile {
 public:
  DumpFile() = default;
  ~DumpFile();
  DumpFile(const DumpFile&) = delete;
  DumpFile& operator=(const DumpFile&) = delete;

  bool Create(const std::string& path);
  bool Append(std::span<const uint8_t> bytes);
  bool Commit();
  // Why the last Create, Append or Commit failed: "PATH: reason", for the detail beside the
  // message.
  std::string FailureText() const;

 private:
  void Discard();

  std::string path_;
  std::string tempPath_;
  int fd_ = -1;
  std::string failedPath_;
  int error_ = 0;
};

}  // namespace pelorus
