#include "scsi/dump_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace pelorus {

DumpFile::~DumpFile() { Discard(); }

bool DumpFile::Create(const std::string& path) {
  Discard();
  path_ = path;
  failedPath_.clear();
  error_ = 0;
  tempPath_ = path + ".XXXXXX";
  fd_ = ::mkstemp(tempPath_.data());
  if (fd_ < 0) {
    // The temporary beside it could not be made: the folder is what refused.
    failedPath_ = path;
    error_ = errno;
    tempPath_.clear();
    return false;
  }
  // mkstemp makes the file private; a dump gets the usual permissions of a new file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd_, 0666 & ~mask);
  return true;
}

bool DumpFile::Append(std::span<const uint8_t> bytes) {
  if (fd_ < 0) return false;
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failedPath_ = tempPath_;
      error_ = written < 0 ? errno : ENOSPC;
      return false;
    }
    bytes = bytes.subspan(static_cast<size_t>(written));
  }
  return true;
}

bool DumpFile::Commit() {
  if (fd_ < 0) return false;
  const bool synced = ::fsync(fd_) == 0;
  int error = synced ? 0 : errno;
  const bool closed = ::close(fd_) == 0;
  if (error == 0 && !closed) error = errno;
  fd_ = -1;
  const bool renamed = synced && closed && ::rename(tempPath_.c_str(), path_.c_str()) == 0;
  if (!renamed) {
    failedPath_ = error != 0 ? tempPath_ : path_;
    error_ = error != 0 ? error : errno;
    Discard();
    return false;
  }
  tempPath_.clear();
  return true;
}

std::string DumpFile::FailureText() const {
  const std::string where = failedPath_.empty() ? path_ : failedPath_;
  return where + ": " + (error_ != 0 ? std::strerror(error_) : "the file could not be written");
}

void DumpFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

}  // namespace pelorus
