#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "common/file_io.h"

namespace pelorus {

// Splits text fed in pieces of any size into lines. A line ends at CR, at LF or at CR LF (also
// when the CR and the LF arrive in different pieces); Finish hands over a last line without a
// line end. Lines longer than `maxLine` are cut there and the rest of them skipped, so a file
// without line ends cannot grow one line without bound.
class LineSplitter {
 public:
  // Returns false to stop: nothing more is handed over.
  using LineHandler = std::function<bool(std::string_view line)>;

  static constexpr size_t kDefaultMaxLine = 64 * 1024;

  explicit LineSplitter(LineHandler handler, size_t maxLine = kDefaultMaxLine)
      : handler_(std::move(handler)), maxLine_(maxLine) {}

  void Feed(std::span<const uint8_t> bytes);
  void Finish();
  bool Stopped() const { return stopped_; }

 private:
  void EndLine();

  LineHandler handler_;
  size_t maxLine_;
  std::string line_;
  bool afterCr_ = false;  // the last byte fed ended a line with CR; an LF next belongs to it
  bool stopped_ = false;
};

// Reads a text file in pieces and hands over its lines, so that a large file is never held
// whole. The returned status is that of ReadWholeFile: `opened` false when it cannot be opened,
// `readFailed` for what is not a regular file, over `maxBytes` or unreadable.
FileContents ReadTextLines(const std::string& path, const LineSplitter::LineHandler& handler,
                           uint64_t maxBytes = kMaxTextFileBytes);

}  // namespace pelorus
