#include "lzw_file_encoder.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>

#ifndef _WIN32
#include <sys/file.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "lzw_coder.h"

#ifdef _WIN32
#include <share.h>
#endif

namespace pelorus::lzw {
namespace {

constexpr std::size_t kInputChunk = 1 << 16;

// Kept per thread and reused, so that a call allocates nothing once a thread has made one.
struct Workspace {
  LzwCoder encoder;
  std::array<std::uint8_t, kInputChunk> input{};
};

// Returns null when the first call on a thread finds no memory for the workspace.
Workspace* ThreadWorkspace() {
  thread_local std::unique_ptr<Workspace> workspace;
  if (!workspace) workspace.reset(new (std::nothrow) Workspace);
  return workspace.get();
}

class FileStretchSource final : public ByteSource {
 public:
  FileStretchSource(std::FILE* file, std::uint64_t remaining, std::span<std::uint8_t> buffer)
      : file_(file), remaining_(remaining), buffer_(buffer) {}

  std::span<const std::uint8_t> NextChunk() override {
    if (remaining_ == 0 || failed_) return {};
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), remaining_));
    const std::size_t got = std::fread(buffer_.data(), 1, want, file_);
    if (got == 0) {
      // A read error must not pass for the end of the file: it would code a shortened stretch.
      failed_ = std::ferror(file_) != 0;
      remaining_ = 0;
      return {};
    }
    remaining_ -= got;
    return buffer_.first(got);
  }

  bool Failed() const { return failed_; }

 private:
  std::FILE* file_;
  std::uint64_t remaining_;
  std::span<std::uint8_t> buffer_;
  bool failed_ = false;
};

class FileSink final : public ByteSink {
 public:
  FileSink(std::FILE* file, std::uint64_t maxResult) : file_(file), maxResult_(maxResult) {}

  bool Write(std::span<const std::uint8_t> bytes) override {
    if (bytes.size() > maxResult_ - written_) {
      full_ = true;
      return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) return false;
    written_ += bytes.size();
    return true;
  }

  bool Full() const { return full_; }

 private:
  std::FILE* file_;
  std::uint64_t maxResult_;
  std::uint64_t written_ = 0;
  bool full_ = false;
};

std::int32_t Fail(EncodeFailure* failure, EncodeProblem problem, int error = 0) {
  if (failure != nullptr) *failure = EncodeFailure{problem, error};
  return 0;
}

// Opens the input for reading. Only a regular file is taken: a FIFO would wait for a writer
// (so it is opened without blocking and then refused), and a folder or device has no stretch.
std::FILE* OpenInput(const char* path, struct stat& info, EncodeFailure* failure) {
#ifdef _WIN32
  // Not shared while the call runs.
  std::FILE* file = _fsopen(path, "rb", _SH_DENYRW);
  if (file == nullptr) Fail(failure, EncodeProblem::kInputUnusable, errno);
  if (file != nullptr && (fstat(fileno(file), &info) != 0 || (info.st_mode & S_IFREG) == 0)) {
    std::fclose(file);
    Fail(failure, EncodeProblem::kInputNotFile);
    return nullptr;
  }
  return file;
#else
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    Fail(failure, EncodeProblem::kInputUnusable, errno);
    return nullptr;
  }
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    Fail(failure, EncodeProblem::kInputNotFile);
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    Fail(failure, EncodeProblem::kInputUnusable, errno);
    ::close(fd);
  }
  return file;
#endif
}

// The file the output replaces: a symbolic link's target, so that the link stays a link.
std::string OutputTarget(const char* path) {
#ifdef _WIN32
  return path;
#else
  char resolved[PATH_MAX];
  return ::realpath(path, resolved) != nullptr ? std::string(resolved) : std::string(path);
#endif
}

// A temporary file beside the output, where the stream is written until it is whole.
struct Temporary {
  std::string path;
  std::FILE* file = nullptr;
};

bool CreateTemporary(const std::string& target, bool targetExists, const struct stat& targetInfo,
                     Temporary& temporary) {
#ifdef _WIN32
  (void)targetExists;
  (void)targetInfo;
  temporary.path = target + ".pelorus-tmp";
  temporary.file = _fsopen(temporary.path.c_str(), "wb", _SH_DENYRW);
  return temporary.file != nullptr;
#else
  temporary.path = target + ".pelorus-XXXXXX";
  const int fd = ::mkostemp(temporary.path.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // Locked while written, so that a save in the same folder never takes it for a stale one.
  ::flock(fd, LOCK_EX);
  if (targetExists) {
    [[maybe_unused]] const int owned = ::fchown(fd, targetInfo.st_uid, targetInfo.st_gid);
    ::fchmod(fd, targetInfo.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  temporary.file = ::fdopen(fd, "wb");
  if (temporary.file == nullptr) {
    ::close(fd);
    ::unlink(temporary.path.c_str());
  }
  return temporary.file != nullptr;
#endif
}

// Puts the whole temporary file in the output's place.
bool ReplaceOutput(const Temporary& temporary, const std::string& target) {
#ifdef _WIN32
  std::remove(target.c_str());
#endif
  return std::rename(temporary.path.c_str(), target.c_str()) == 0;
}

std::int32_t EncodeOpenFiles(Workspace& workspace, std::FILE* input, Temporary& temporary,
                             const std::string& target, std::int32_t maxLength,
                             std::int32_t startOffset, std::uint64_t maxResult,
                             EncodeFailure* failure) {
  std::FILE* output = temporary.file;
  // Both streams move whole 64 KiB chunks, so stdio's own buffers would only add a copy.
  std::setvbuf(input, nullptr, _IONBF, 0);
  std::setvbuf(output, nullptr, _IONBF, 0);

  // A negative offset names no byte of the file; it codes nothing rather than the start.
  std::uint64_t stretch = 0;
  if (maxLength > 0 && startOffset >= 0 && std::fseek(input, startOffset, SEEK_SET) == 0) {
    stretch = static_cast<std::uint64_t>(maxLength);
  }

  FileStretchSource source(input, stretch, workspace.input);
  FileSink sink(output, maxResult);
  errno = 0;
  const bool encoded = workspace.encoder.Encode(source, sink);
  const int codingError = errno;
  bool flushed = std::fflush(output) == 0;
#ifndef _WIN32
  flushed = flushed && ::fsync(fileno(output)) == 0;
#endif
  const int flushError = errno;
  const bool closed = std::fclose(output) == 0;
  temporary.file = nullptr;
  std::int32_t result = 0;
  if (source.Failed()) {
    Fail(failure, EncodeProblem::kReadFailed, codingError);
  } else if (!encoded) {
    Fail(failure, sink.Full() ? EncodeProblem::kResultTooLarge : EncodeProblem::kWriteFailed,
         codingError);
  } else if (!flushed || !closed) {
    Fail(failure, EncodeProblem::kWriteFailed, flushError);
  } else if (!ReplaceOutput(temporary, target)) {
    Fail(failure, EncodeProblem::kWriteFailed, errno);
  } else {
    return static_cast<std::int32_t>(workspace.encoder.BytesWritten());
  }
  std::remove(temporary.path.c_str());
  return result;
}

}  // namespace

std::int32_t EncodeFileStretch(const char* outputPath, const char* inputPath,
                               std::int32_t maxLength, std::int32_t startOffset,
                               std::uint64_t maxResult, EncodeFailure* failure) {
  if (failure != nullptr) *failure = EncodeFailure{};
  if (outputPath == nullptr || *outputPath == '\0') {
    return Fail(failure, EncodeProblem::kOutputUnusable, ENOENT);
  }
  if (inputPath == nullptr) return Fail(failure, EncodeProblem::kInputUnusable, ENOENT);
  Workspace* workspace = ThreadWorkspace();
  if (workspace == nullptr) return Fail(failure, EncodeProblem::kNoWorkspace, ENOMEM);
  maxResult = std::min(maxResult, kMaxEncodedSize);

  struct stat inputInfo {};
  std::FILE* input = OpenInput(inputPath, inputInfo, failure);
  if (input == nullptr) return 0;
  const std::string target = OutputTarget(outputPath);
  struct stat outputInfo {};
  const bool outputExists = stat(target.c_str(), &outputInfo) == 0;
  if (outputExists && (outputInfo.st_mode & S_IFMT) != S_IFREG) {
    std::fclose(input);
    return Fail(failure, EncodeProblem::kOutputNotFile);
  }
#ifndef _WIN32
  // A name that cannot be followed (a loop of links), or a file the caller may not write, is
  // not replaced through its folder.
  const int statError = errno;
  if ((!outputExists && statError != ENOENT) ||
      (outputExists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)) {
    const int reason = outputExists ? errno : statError;
    std::fclose(input);
    return Fail(failure, EncodeProblem::kOutputUnusable, reason);
  }
#endif
  // Replacing the input with its own compressed form would lose it.
  if (outputExists && outputInfo.st_dev == inputInfo.st_dev &&
      outputInfo.st_ino == inputInfo.st_ino) {
    std::fclose(input);
    return Fail(failure, EncodeProblem::kSameFile);
  }
  Temporary temporary;
  if (!CreateTemporary(target, outputExists, outputInfo, temporary)) {
    const int error = errno;
    std::fclose(input);
    return Fail(failure, EncodeProblem::kOutputUnusable, error);
  }
  const std::int32_t result = EncodeOpenFiles(*workspace, input, temporary, target, maxLength,
                                              startOffset, maxResult, failure);
  std::fclose(input);
  return result;
}

}  // namespace pelorus::lzw
