#include "serial/size_answer.h"

namespace pelorus {
namespace {

int HexDigit(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsSpace(uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

uint64_t ParseSizeAnswer(std::span<const uint8_t> answer) {
  constexpr uint64_t kTooLarge = uint64_t{1} << 32;
  size_t i = 0;
  while (i < answer.size() && IsSpace(answer[i])) ++i;
  if (i + 2 < answer.size() && answer[i] == '0' && (answer[i + 1] | 0x20) == 'x' &&
      HexDigit(answer[i + 2]) >= 0) {
    i += 2;
  }
  uint64_t value = 0;
  for (; i < answer.size(); ++i) {
    const int digit = HexDigit(answer[i]);
    if (digit < 0) break;
    value = value * 16 + static_cast<uint64_t>(digit);
    if (value >= kTooLarge) value = kTooLarge;
  }
  return value;
}

}  // namespace pelorus
