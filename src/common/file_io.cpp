#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "common/strfmt.h"

namespace pelorus {

int OpenRegularFileForReading(const std::string& path, uint64_t maxBytes, FileContents& status) {
  // Without O_NONBLOCK a FIFO would wait for a writer for ever, before it could be refused.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    status.error = errno;
    status.problem = errno == ENOENT ? FileProblem::kMissing : FileProblem::kCannotOpen;
    return -1;
  }
  status.opened = true;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    status.readFailed = true;
    status.problem = FileProblem::kNotRegular;
    ::close(fd);
    return -1;
  }
  status.size = static_cast<uint64_t>(info.st_size);
  status.limit = maxBytes;
  if (status.size > maxBytes) {
    status.readFailed = true;
    status.problem = FileProblem::kTooLarge;
    ::close(fd);
    return -1;
  }
  // Regular files never block; reads go on in the ordinary way.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

FileContents ReadWholeFileInto(const std::string& path, uint64_t maxBytes,
                               const std::function<std::span<uint8_t>(uint64_t size)>& place) {
  FileContents result;
  const int fd = OpenRegularFileForReading(path, maxBytes, result);
  if (fd < 0) return result;
  std::span<uint8_t> storage;
  try {
    storage = place(result.size).first(static_cast<size_t>(result.size));
  } catch (const std::bad_alloc&) {
    result.readFailed = true;
    result.problem = FileProblem::kNoMemory;
    ::close(fd);
    return result;
  }
  size_t done = 0;
  while (done < storage.size()) {
    const ssize_t n = ::read(fd, storage.data() + done, storage.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) result.error = errno;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  // A file that shrank while we read it is taken as it was read; a read error is not.
  if (done < storage.size()) {
    struct stat after {};
    if (::fstat(fd, &after) != 0 || static_cast<size_t>(after.st_size) >= storage.size()) {
      result.readFailed = true;
      result.problem = FileProblem::kReadFailed;
    }
    result.size = done;
  }
  ::close(fd);
  return result;
}

FileContents ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  std::vector<uint8_t> bytes;
  FileContents result = ReadWholeFileInto(path, maxBytes, [&bytes](uint64_t size) {
    bytes.resize(static_cast<size_t>(size));
    return std::span<uint8_t>(bytes);
  });
  bytes.resize(std::min(bytes.size(), static_cast<size_t>(result.size)));
  result.bytes = std::move(bytes);
  return result;
}

std::string FileProblemText(const std::string& path, const FileContents& status) {
  switch (status.problem) {
    case FileProblem::kNone:
      return path;
    case FileProblem::kMissing:
    case FileProblem::kCannotOpen:
      return Format("%s: %s", path.c_str(), std::strerror(status.error));
    case FileProblem::kNotRegular:
      return Format("%s: not a regular file", path.c_str());
    case FileProblem::kTooLarge:
      return Format("%s: %llu bytes, larger than the %llu bytes accepted", path.c_str(),
                    static_cast<unsigned long long>(status.size),
                    static_cast<unsigned long long>(status.limit));
    case FileProblem::kReadFailed:
      return Format("%s: %s", path.c_str(),
                    status.error != 0 ? std::strerror(status.error) : "the file could not be read");
    case FileProblem::kNoMemory:
      return Format("%s: not enough memory", path.c_str());
  }
  return path;
}

std::string WriteFailureText(const WriteFailure& failure) {
  const char* reason = !failure.reason.empty() ? failure.reason.c_str()
                       : failure.error != 0    ? std::strerror(failure.error)
                                               : "the file could not be written";
  return failure.path.empty() ? std::string(reason)
                              : Format("%s: %s", failure.path.c_str(), reason);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace pelorus
