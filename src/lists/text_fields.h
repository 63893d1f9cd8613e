#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace pelorus {

// Walks the lines of a text file held in memory, without copying them. A line ends at LF, CR LF
// or CR; a byte-order mark at the very start is skipped. Lines are numbered from 1, as an editor
// shows them.
class LineCursor {
 public:
  explicit LineCursor(std::span<const uint8_t> bytes);

  // The next line without its line end; false at the end of the text.
  bool Next(std::string_view& line);
  // The number of the line Next handed over last.
  int LineNumber() const { return lineNumber_; }

 private:
  std::string_view text_;
  size_t position_ = 0;
  int lineNumber_ = 0;
};

// The longest line a list from another receiver holds in practice is a few hundred bytes; a line
// longer than this is not one of theirs and is not read.
inline constexpr size_t kMaxListLine = 4096;

// The parts of `text` between `separator`s (an empty text gives one empty part).
std::vector<std::string_view> SplitFields(std::string_view text, char separator);

// Numbers written in the files: the whole text must be the number, with no sign, blanks or
// suffix, and it must fit. False otherwise.
bool ParseDecimal(std::string_view text, uint64_t& value);
bool ParseHex(std::string_view text, uint64_t& value);
// A decimal number with an optional leading minus.
bool ParseSignedDecimal(std::string_view text, int64_t& value);

// `text` without blanks and tabs at either end.
std::string_view TrimBlanks(std::string_view text);

// True when the bytes hold a zero byte: a binary file, not a channel list.
bool LooksBinary(std::span<const uint8_t> bytes);

}  // namespace pelorus
