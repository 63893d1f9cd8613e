#include "channels/pid_format.h"

#include "common/number_parse.h"
#include "common/ts_numbers.h"

namespace pelorus {

std::optional<uint16_t> ParsePidText(std::string_view text, PidMode mode) {
  // Hexadecimal PIDs are shown without a prefix, so typed without one; "0x", the usual way of
  // writing hexadecimal, is taken too.
  const bool prefixed = text.starts_with("0x") || text.starts_with("0X");
  const NumberBase base = mode == PidMode::kDecimal ? NumberBase::kDecimal
                          : prefixed                ? NumberBase::kPrefixed
                                                    : NumberBase::kHex;
  const std::optional<int64_t> value = ParseNumber(text, 0, ts::kPidCount - 1, base);
  if (!value) return std::nullopt;
  return static_cast<uint16_t>(*value);
}

}  // namespace pelorus
