#include "scsi/number_text.h"

#include <cctype>

#include "common/number_parse.h"
#include "common/strfmt.h"

namespace pelorus {

std::optional<uint32_t> ParseNumberText(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  // A negative number is the 32-bit pattern of its two's complement, as the field stores it.
  if (text.starts_with('-')) {
    const std::optional<int64_t> negative = ParseNumber(text, -0x80000000LL, 0);
    if (!negative) return std::nullopt;
    return static_cast<uint32_t>(static_cast<int64_t>(0x100000000LL) + *negative);
  }
  const std::optional<int64_t> value = ParseNumber(text, 0, 0xFFFFFFFFLL, NumberBase::kPrefixed);
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
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
