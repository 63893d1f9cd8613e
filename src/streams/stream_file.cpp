#include "streams/stream_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace pelorus {

StreamFile::~StreamFile() { Close(); }

bool StreamFile::Create(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fd_ >= 0;
}

bool StreamFile::Write(std::span<const uint8_t> bytes, size_t* written) {
  size_t done = 0;
  while (fd_ >= 0 && done < bytes.size()) {
    const ssize_t count = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    done += static_cast<size_t>(count);
  }
  if (written != nullptr) *written = done;
  return done == bytes.size() && fd_ >= 0;
}

bool StreamFile::Truncate(uint64_t length) {
  return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
}

bool StreamFile::Close() {
  if (fd_ < 0) return true;
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  return closed;
}

}  // namespace pelorus
