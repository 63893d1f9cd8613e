#pragma once

#include <unistd.h>

namespace pelorus {

// Owns an open file descriptor and closes it on every way out of the scope that opened it.
// A negative descriptor (a failed open) owns nothing.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace pelorus
