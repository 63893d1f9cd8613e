// Saving a file so that the old one survives any failure, and cleaning up after saves that
// were cut short.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <ctime>

#include "common/file_io.h"

namespace pelorus {
namespace {

constexpr char kTemporaryMark[] = ".pelorus-";
constexpr size_t kTemporaryMarkLength = sizeof kTemporaryMark - 1;
constexpr size_t kTemporarySuffixLength = 6;  // mkstemp's XXXXXX
constexpr int kMaxLinkHops = 40;

// The temporary file being written, for the signal handler; only touched in a signal-safe way.
char signalTemporary[PATH_MAX];
volatile std::sig_atomic_t signalTemporarySet = 0;

void WatchTemporary(const std::string& path) {
  signalTemporarySet = 0;
  if (path.size() >= sizeof signalTemporary) return;
  path.copy(signalTemporary, path.size());
  signalTemporary[path.size()] = '\0';
  signalTemporarySet = 1;
}

void ForgetTemporary() { signalTemporarySet = 0; }

extern "C" void RemoveTemporaryAndEnd(int signal) {
  if (signalTemporarySet) ::unlink(signalTemporary);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

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

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Follows symbolic links to the file that is to be replaced, so that a link stays a link.
// False (with the reason) when the chain loops or ends in something that is not a file.
bool ResolveTarget(const std::string& path, std::string& target, struct stat& info, bool& exists,
                   WriteFailure* failure) {
  target = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    if (::lstat(target.c_str(), &info) != 0) {
      exists = false;
      // Nothing there yet: the file is created. Any other reason shows when it is created.
      return true;
    }
    if (!S_ISLNK(info.st_mode)) {
      exists = true;
      if (!S_ISREG(info.st_mode)) return Fail(failure, target, 0, "not a regular file");
      // A file the user may not write is not replaced behind its back through the folder.
      if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return Fail(failure, target, errno);
      }
      return true;
    }
    char link[PATH_MAX];
    const ssize_t length = ::readlink(target.c_str(), link, sizeof link - 1);
    if (length < 0) return Fail(failure, target, errno);
    const std::string next(link, static_cast<size_t>(length));
    target = next.starts_with('/') ? next : FolderOf(target) + next;
  }
  return Fail(failure, path, ELOOP);
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

bool IsOurTemporaryName(std::string_view name) {
  const size_t mark = name.rfind(kTemporaryMark);
  if (mark == std::string_view::npos || mark == 0) return false;
  const std::string_view suffix = name.substr(mark + kTemporaryMarkLength);
  if (suffix.size() != kTemporarySuffixLength) return false;
  for (const char c : suffix) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace

int RemoveStaleTemporaryFiles(const std::string& folder, int minAgeSeconds) {
  const std::string where = folder.empty() ? std::string(".") : folder;
  DIR* dir = ::opendir(where.c_str());
  if (dir == nullptr) return 0;
  int removed = 0;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsOurTemporaryName(entry->d_name)) continue;
    const int fd = ::openat(::dirfd(dir), entry->d_name,
                            O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) continue;
    struct stat info {};
    // A live save holds its lock; the age covers the instant between creating and locking.
    const bool stale = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                       info.st_uid == ::geteuid() && now - info.st_mtime >= minAgeSeconds &&
                       ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (stale && ::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) ++removed;
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

void RemoveTemporaryFileOnSignals() {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndEnd;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
  }
}

namespace testing_hooks {
void (*afterTemporaryCreated)() = nullptr;
}

WriteResult WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                                WriteFailure* failure) {
  if (path.empty()) {
    Fail(failure, path, ENOENT);
    return WriteResult::kCannotCreate;
  }
  std::string target;
  struct stat existing {};
  bool exists = false;
  if (!ResolveTarget(path, target, existing, exists, failure)) return WriteResult::kCannotCreate;

  RemoveStaleTemporaryFiles(FolderOf(target));
  std::string temp = target + kTemporaryMark + std::string(kTemporarySuffixLength, 'X');
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    Fail(failure, target, errno);
    return WriteResult::kCannotCreate;
  }
  ::flock(fd, LOCK_EX);
  WatchTemporary(temp);
  if (testing_hooks::afterTemporaryCreated) testing_hooks::afterTemporaryCreated();

  if (exists) {
    // Owner first: changing it clears the set-id bits, which the mode then puts back.
    [[maybe_unused]] const int owned = ::fchown(fd, existing.st_uid, existing.st_gid);
    ::fchmod(fd, existing.st_mode & 07777);
  } else {
    ::fchmod(fd, NewFileMode());
  }

  bool written = WriteAll(fd, bytes, 0) && ::fsync(fd) == 0;
  int error = written ? 0 : errno;
  if (written && exists && existing.st_nlink > 1 && RewriteInPlace(target, existing, bytes)) {
    ::unlink(temp.c_str());
    ForgetTemporary();
    ::close(fd);
    return WriteResult::kDone;
  }
  // Renamed while still locked, so no other save can take it for a stale one.
  if (written && ::rename(temp.c_str(), target.c_str()) != 0) {
    written = false;
    error = errno;
  }
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    if (!written) ::unlink(temp.c_str());
    ForgetTemporary();
    Fail(failure, written ? target : temp, written ? errno : error);
    return WriteResult::kWriteFailed;
  }
  ForgetTemporary();
  return WriteResult::kDone;
}

}  // namespace pelorus
