#include "scsi/number_text.h"

#include <cctype>

#include "common/strfmt.h"

namespace pelorus {
namespace {

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::optional<uint32_t> ParseNumberText(std::string_view text) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string_view rest = lower;
  while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.front()))) {
    rest.remove_prefix(1);
  }
  int base = 10;
  bool negative = false;
  if (rest.starts_with("$")) {
    base = 16;
    rest.remove_prefix(1);
  } else if (rest.starts_with("0x")) {
    base = 16;
    rest.remove_prefix(2);
  } else if (rest.starts_with("-") || rest.starts_with("+")) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  uint64_t value = 0;
  for (char c : rest) {
    const int digit = DigitValue(c, base);
    if (digit < 0) break;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (negative) {
    if (value > 0x80000000ull) return std::nullopt;
    return static_cast<uint32_t>(0u - static_cast<uint32_t>(value));
  }
  return static_cast<uint32_t>(value);
}

std::string RangeFieldText(const MemoryRange& range, int32_t value) {
  if (!range.Valid()) return {};
  return Format("0x%x", static_cast<unsigned>(value));
}

MemoryRange ParseRangeFields(std::string_view addressText, std::string_view lengthText) {
  const std::optional<uint32_t> address = ParseNumberText(addressText);
  const std::optional<uint32_t> length = ParseNumberText(lengthText);
  MemoryRange range;
  range.address = address ? static_cast<int32_t>(*address) : -1;
  range.length = length ? static_cast<int32_t>(*length) : 0;
  return range;
}

}  // namespace pelorus
