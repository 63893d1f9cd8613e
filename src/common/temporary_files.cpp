// Temporary files beside a save's target, and what happens to them when the process is told to
// end while one is being written.
#include "common/temporary_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <mutex>

#include "common/file_io.h"

namespace pelorus {
namespace {

constexpr char kTemporaryMark[] = ".pelorus-";
constexpr size_t kTemporaryMarkLength = sizeof kTemporaryMark - 1;
constexpr size_t kTemporarySuffixLength = 6;  // mkstemp's XXXXXX
constexpr int kMaxLinkHops = 40;

// The temporaries being written, for the signal handler: a long run may write two at once (a
// guide and its XMLTV file) while a save happens on another thread. The handler only reads the
// flags and names; a slot is filled before its flag is raised.
constexpr size_t kWatchedSlots = 8;
std::array<char[PATH_MAX], kWatchedSlots> watchedPaths;
std::array<volatile std::sig_atomic_t, kWatchedSlots> watchedInUse{};
std::mutex watchMutex;

std::atomic<int> stopScopes{0};
volatile std::sig_atomic_t stopSignal = 0;
volatile std::sig_atomic_t stopWakeFd = -1;

void WatchTemporary(const std::string& path) {
  if (path.size() >= PATH_MAX) return;
  std::lock_guard lock(watchMutex);
  for (size_t slot = 0; slot < kWatchedSlots; ++slot) {
    if (watchedInUse[slot]) continue;
    path.copy(watchedPaths[slot], path.size());
    watchedPaths[slot][path.size()] = '\0';
    std::atomic_signal_fence(std::memory_order_release);
    watchedInUse[slot] = 1;
    return;
  }
}

extern "C" void RemoveTemporariesAndEnd(int signal) {
  if (stopScopes.load() > 0 && stopSignal == 0) {
    // The running work sees this and stops as its Stop button would.
    stopSignal = signal;
    if (stopWakeFd >= 0) {
      const char byte = 1;
      [[maybe_unused]] const ssize_t ignored = ::write(stopWakeFd, &byte, 1);
    }
    return;
  }
  for (size_t slot = 0; slot < kWatchedSlots; ++slot) {
    if (watchedInUse[slot]) ::unlink(watchedPaths[slot]);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

bool Fail(WriteFailure* failure, const std::string& path, int error, const char* reason = "") {
  if (failure != nullptr) *failure = WriteFailure{path, error, reason};
  return false;
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

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool ResolveSaveTarget(const std::string& path, SaveTarget& target, WriteFailure* failure) {
  target.path = path;
  target.exists = false;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    if (::lstat(target.path.c_str(), &target.info) != 0) {
      // Nothing there yet: the file is created. Any other reason shows when it is created.
      return true;
    }
    if (!S_ISLNK(target.info.st_mode)) {
      target.exists = true;
      if (!S_ISREG(target.info.st_mode)) {
        return Fail(failure, target.path, 0, "not a regular file");
      }
      // A file the user may not write is not replaced behind its back through the folder.
      if (::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0) {
        return Fail(failure, target.path, errno);
      }
      return true;
    }
    char link[PATH_MAX];
    const ssize_t length = ::readlink(target.path.c_str(), link, sizeof link - 1);
    if (length < 0) return Fail(failure, target.path, errno);
    const std::string next(link, static_cast<size_t>(length));
    target.path = next.starts_with('/') ? next : FolderOf(target.path) + next;
  }
  return Fail(failure, path, ELOOP);
}

void TakeOverOwnership(int fd, const SaveTarget& target) {
  if (target.exists) {
    // Owner first: changing it clears the set-id bits, which the mode then puts back.
    [[maybe_unused]] const int owned = ::fchown(fd, target.info.st_uid, target.info.st_gid);
    ::fchmod(fd, target.info.st_mode & 07777);
  } else {
    ::fchmod(fd, NewFileMode());
  }
}

int CreateTemporaryBeside(const std::string& target, std::string& temporaryPath) {
  RemoveStaleTemporaryFiles(FolderOf(target));
  temporaryPath = target + kTemporaryMark + std::string(kTemporarySuffixLength, 'X');
  if (temporaryPath.size() >= PATH_MAX) {
    // The name could not be watched, and the system would refuse it anyway.
    errno = ENAMETOOLONG;
    return -1;
  }
  const int fd = ::mkostemp(temporaryPath.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  ::flock(fd, LOCK_EX);
  WatchTemporary(temporaryPath);
  if (testing_hooks::afterTemporaryCreated) testing_hooks::afterTemporaryCreated();
  return fd;
}

void ForgetTemporary(const std::string& temporaryPath) {
  std::lock_guard lock(watchMutex);
  for (size_t slot = 0; slot < kWatchedSlots; ++slot) {
    if (watchedInUse[slot] && temporaryPath == watchedPaths[slot]) {
      watchedInUse[slot] = 0;
      return;
    }
  }
}

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
    action.sa_handler = RemoveTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
  }
}

SignalStopScope::SignalStopScope() {
  stopSignal = 0;
  ++stopScopes;
}

SignalStopScope::~SignalStopScope() { --stopScopes; }

int SignalStopScope::StopSignal() { return stopSignal; }

void SignalStopScope::WakeOnSignal(int fd) { stopWakeFd = fd; }

namespace testing_hooks {
void (*afterTemporaryCreated)() = nullptr;
}

}  // namespace pelorus
