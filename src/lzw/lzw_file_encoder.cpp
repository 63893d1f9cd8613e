#include "lzw_file_encoder.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <new>

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

// Neither file may be shared while the call runs; on POSIX there is no such open mode and
// the same-file check below guards the one case that matters.
std::FILE* OpenExclusive(const char* path, const char* mode) {
#ifdef _WIN32
  return _fsopen(path, mode, _SH_DENYRW);
#else
  return std::fopen(path, mode);
#endif
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
    if (bytes.size() > maxResult_ - written_) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) return false;
    written_ += bytes.size();
    return true;
  }

 private:
  std::FILE* file_;
  std::uint64_t maxResult_;
  std::uint64_t written_ = 0;
};

bool IsDirectory(std::FILE* file) {
#ifdef _WIN32
  (void)file;
  return false;  // opening a folder as a file already fails there
#else
  struct stat info {};
  return fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode);
#endif
}

// True when outputPath names the file already open as input: creating the output would
// truncate the data about to be read.
bool IsSameFile(std::FILE* input, const char* outputPath) {
#ifdef _WIN32
  (void)input;
  (void)outputPath;
  return false;  // the input is open without sharing, so creating it as output fails
#else
  struct stat inputInfo {};
  struct stat outputInfo {};
  return fstat(fileno(input), &inputInfo) == 0 && stat(outputPath, &outputInfo) == 0 &&
         inputInfo.st_dev == outputInfo.st_dev && inputInfo.st_ino == outputInfo.st_ino;
#endif
}

void EmptyFile(const char* path) {
  if (std::FILE* file = OpenExclusive(path, "wb")) std::fclose(file);
}

std::int32_t EncodeOpenFiles(Workspace& workspace, std::FILE* input, std::FILE* output,
                             const char* outputPath, std::int32_t maxLength,
                             std::int32_t startOffset, std::uint64_t maxResult) {
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
  const bool encoded = workspace.encoder.Encode(source, sink) && !source.Failed();
  const bool closed = std::fclose(output) == 0;
  if (!encoded || !closed) {
    EmptyFile(outputPath);
    return 0;
  }
  return static_cast<std::int32_t>(workspace.encoder.BytesWritten());
}

}  // namespace

std::int32_t EncodeFileStretch(const char* outputPath, const char* inputPath,
                               std::int32_t maxLength, std::int32_t startOffset,
                               std::uint64_t maxResult) {
  if (outputPath == nullptr || inputPath == nullptr) return 0;
  Workspace* workspace = ThreadWorkspace();
  if (workspace == nullptr) return 0;
  maxResult = std::min(maxResult, kMaxEncodedSize);

  std::FILE* input = OpenExclusive(inputPath, "rb");
  if (input == nullptr) return 0;
  if (IsDirectory(input) || IsSameFile(input, outputPath)) {
    std::fclose(input);
    return 0;
  }
  std::FILE* output = OpenExclusive(outputPath, "wb");
  if (output == nullptr) {
    std::fclose(input);
    return 0;
  }
  const std::int32_t result =
      EncodeOpenFiles(*workspace, input, output, outputPath, maxLength, startOffset, maxResult);
  std::fclose(input);
  return result;
}

}  // namespace pelorus::lzw
