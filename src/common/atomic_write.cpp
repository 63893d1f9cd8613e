// Saving a file so that the old one survives any failure.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/file_io.h"

namespace pelorus {
namespace {

bool Fail(WriteFailure* failure, const std::string& path, int error, const char* reason = "") {
  if (failure != nullptr) *failure = WriteFailure{path, error, reason};
  return false;
}

bool WriteAll(int fd, std::span<const uint8_t> bytes, off_t offset) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Rewrites a file with other hard links in place, so that every name keeps seeing one file.
// The space is reserved first: a disk that is full fails before the old bytes are touched.
bool RewriteInPlace(const std::string& target, const struct stat& expected,
                    std::span<const uint8_t> bytes) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info {};
  bool done = ::fstat(fd, &info) == 0 && info.st_ino == expected.st_ino &&
              info.st_dev == expected.st_dev && S_ISREG(info.st_mode);
  if (done && !bytes.empty()) {
    done = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size())) == 0;
  }
  done = done && WriteAll(fd, bytes, 0) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
         ::fsync(fd) == 0;
  return ::close(fd) == 0 && done;
}

}  // namespace

WriteResult WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                                WriteFailure* failure) {
  if (path.empty()) {
    Fail(failure, path, ENOENT);
    return WriteResult::kCannotCreate;
  }
  SaveTarget target;
  if (!ResolveSaveTarget(path, target, failure)) return WriteResult::kCannotCreate;

  std::string temp;
  const int fd = CreateTemporaryBeside(target.path, temp);
  if (fd < 0) {
    Fail(failure, target.path, errno);
    return WriteResult::kCannotCreate;
  }
  TakeOverOwnership(fd, target);

  bool written = WriteAll(fd, bytes, 0) && ::fsync(fd) == 0;
  int error = written ? 0 : errno;
  if (written && target.exists && target.info.st_nlink > 1 &&
      RewriteInPlace(target.path, target.info, bytes)) {
    ::unlink(temp.c_str());
    ForgetTemporary(temp);
    ::close(fd);
    return WriteResult::kDone;
  }
  // Renamed while still locked, so no other save can take it for a stale one.
  if (written && ::rename(temp.c_str(), target.path.c_str()) != 0) {
    written = false;
    error = errno;
  }
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    if (!written) ::unlink(temp.c_str());
    ForgetTemporary(temp);
    Fail(failure, written ? target.path : temp, written ? errno : error);
    return WriteResult::kWriteFailed;
  }
  ForgetTemporary(temp);
  return WriteResult::kDone;
}

}  // namespace pelorus
