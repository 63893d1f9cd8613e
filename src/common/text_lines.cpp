#include "common/text_lines.h"

#include <unistd.h>

#include <array>
#include <cerrno>

namespace pelorus {

void LineSplitter::EndLine() {
  if (!stopped_ && !handler_(line_)) stopped_ = true;
  line_.clear();
}

void LineSplitter::Feed(std::span<const uint8_t> bytes) {
  for (const uint8_t byte : bytes) {
    if (stopped_) return;
    const bool lfOfCrLf = afterCr_ && byte == '\n';
    afterCr_ = byte == '\r';
    if (lfOfCrLf) continue;
    if (byte == '\r' || byte == '\n') {
      EndLine();
    } else if (line_.size() < maxLine_) {
      line_ += static_cast<char>(byte);
    }
  }
}

void LineSplitter::Finish() {
  if (!line_.empty()) EndLine();
  afterCr_ = false;
}

FileContents ReadTextLines(const std::string& path, const LineSplitter::LineHandler& handler,
                           uint64_t maxBytes) {
  FileContents status;
  const int fd = OpenRegularFileForReading(path, maxBytes, status);
  if (fd < 0) return status;
  LineSplitter splitter(handler);
  std::array<uint8_t, 64 * 1024> chunk;
  uint64_t total = 0;
  while (!splitter.Stopped()) {
    const ssize_t n = ::read(fd, chunk.data(), chunk.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      status.readFailed = true;
      status.problem = FileProblem::kReadFailed;
      status.error = errno;
      break;
    }
    if (n == 0) break;
    total += static_cast<uint64_t>(n);
    // A file that grows while it is read is still held to the bound.
    if (total > maxBytes) {
      status.readFailed = true;
      status.problem = FileProblem::kTooLarge;
      status.size = total;
      break;
    }
    splitter.Feed(std::span(chunk.data(), static_cast<size_t>(n)));
  }
  if (!status.readFailed) splitter.Finish();
  ::close(fd);
  return status;
}

}  // namespace pelorus
