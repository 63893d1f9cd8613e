#include "channels/pid_format.h"

#include "common/number_parse.h"
#include "common/ts_numbers.h"

namespace pelorus {

std::optional<uint16_t> ParsePidText(std::string_view text, PidMode mode) {
  std::optional<int64_t> value;
  if (mode == PidMode::kDecimal) {
    value = ParseNumber(text, 0, ts::kPidCount - 1, NumberBase::kDecimal);
  } else {
    // Shown without a prefix, so typed without one; "0x" is the usual way of writing hexadecimal
    // and is taken too.
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
      text.remove_prefix(2);
    }
    value = ParseNumber(text, 0, ts::kPidCount - 1, NumberBase::kHex);
  }
  if (!value) return std::nullopt;
  return static_cast<uint16_t>(*value);
}

}  // namespace pelorus
