#include "channels/number_scan.h"

namespace pelorus {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int DigitValue(char c, int base) {
  int digit = -1;
  if (c >= '0' && c <= '9') {
    digit = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    digit = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    digit = c - 'A' + 10;
  }
  return digit < base ? digit : -1;
}

bool Scan(std::string_view text, int base, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // "0x" counts as a prefix only when a hexadecimal digit follows; "0x" alone reads as 0.
  if (base == 16 && i + 2 < text.size() && text[i] == '0' &&
      (text[i + 1] == 'x' || text[i + 1] == 'X') && DigitValue(text[i + 2], 16) >= 0) {
    i += 2;
  }
  // Unsigned arithmetic wraps, which keeps the low bits of an over-long number without overflow.
  uint32_t magnitude = 0;
  size_t digits = 0;
  for (; i < text.size(); ++i, ++digits) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) break;
    magnitude = magnitude * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  if (digits == 0) return false;
  value = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
  return true;
}

}  // namespace

bool ScanDecimal(std::string_view text, int32_t& value) { return Scan(text, 10, value); }

bool ScanHex(std::string_view text, int32_t& value) { return Scan(text, 16, value); }

bool ScanPid(std::string_view text, bool decimal, int32_t& value) {
  return decimal ? ScanDecimal(text, value) : ScanHex(text, value);
}

}  // namespace pelorus
