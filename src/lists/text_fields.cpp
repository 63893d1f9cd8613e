#include "lists/text_fields.h"

#include <algorithm>
#include <limits>

namespace pelorus {

LineCursor::LineCursor(std::span<const uint8_t> bytes)
    : text_(reinterpret_cast<const char*>(bytes.data()), bytes.size()) {
  if (text_.starts_with("\xEF\xBB\xBF")) position_ = 3;
}

bool LineCursor::Next(std::string_view& line) {
  if (position_ >= text_.size()) return false;
  // A plain loop: find_first_of with a set of two characters calls memchr once per byte.
  size_t stop = position_;
  while (stop < text_.size() && text_[stop] != '\n' && text_[stop] != '\r') ++stop;
  line = text_.substr(position_, stop - position_);
  position_ = stop;
  if (position_ < text_.size()) {
    const bool cr = text_[position_] == '\r';
    ++position_;
    if (cr && position_ < text_.size() && text_[position_] == '\n') ++position_;
  }
  ++lineNumber_;
  return true;
}

std::vector<std::string_view> SplitFields(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      fields.push_back(text.substr(start));
      return fields;
    }
    fields.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

namespace {

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

bool ParseBase(std::string_view text, int base, uint64_t& value) {
  // Twenty digits are more than any field holds; a longer run of digits is not a number here.
  if (text.empty() || text.size() > 20) return false;
  uint64_t result = 0;
  for (const char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return false;
    if (result > (std::numeric_limits<uint64_t>::max() - static_cast<uint64_t>(digit)) /
                     static_cast<uint64_t>(base)) {
      return false;
    }
    result = result * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  value = result;
  return true;
}

}  // namespace

bool ParseDecimal(std::string_view text, uint64_t& value) { return ParseBase(text, 10, value); }
bool ParseHex(std::string_view text, uint64_t& value) { return ParseBase(text, 16, value); }

bool ParseSignedDecimal(std::string_view text, int64_t& value) {
  const bool negative = text.starts_with('-');
  uint64_t magnitude = 0;
  if (!ParseDecimal(negative ? text.substr(1) : text, magnitude)) return false;
  if (magnitude > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return false;
  value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool LooksBinary(std::span<const uint8_t> bytes) {
  return std::find(bytes.begin(), bytes.end(), uint8_t{0}) != bytes.end();
}

}  // namespace pelorus
