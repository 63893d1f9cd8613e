#include "common/number_parse.h"

#include <cmath>
#include <limits>

namespace pelorus {
namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The digits of `text` in `base`, or no value when one is not a digit or the value runs past
// what any caller's range could take.
std::optional<uint64_t> Digits(std::string_view text, int base) {
  if (text.empty()) return std::nullopt;
  constexpr uint64_t kLimit = uint64_t{1} << 62;
  uint64_t value = 0;
  for (const char c : text) {
    const int digit = DigitValue(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    // Checked before the step: past the limit, the product would wrap round to a small number.
    if (value > (kLimit - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base)) {
      return std::nullopt;
    }
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  return value;
}

}  // namespace

std::optional<int64_t> ParseNumber(std::string_view text, int64_t min, int64_t max,
                                   NumberBase base) {
  int radix = base == NumberBase::kHex ? 16 : 10;
  bool negative = false;
  if (base == NumberBase::kPrefixed) {
    if (text.starts_with("0x") || text.starts_with("0X")) {
      radix = 16;
      text.remove_prefix(2);
    } else if (text.starts_with("$")) {
      radix = 16;
      text.remove_prefix(1);
    }
  }
  if (radix == 10 && (text.starts_with('-') || text.starts_with('+'))) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const std::optional<uint64_t> digits = Digits(text, radix);
  if (!digits) return std::nullopt;
  const int64_t value = negative ? -static_cast<int64_t>(*digits) : static_cast<int64_t>(*digits);
  if (value < min || value > max) return std::nullopt;
  return value;
}

std::optional<double> ParseDecimal(std::string_view text, double min, double max) {
  const size_t point = text.find('.');
  std::string_view whole = text.substr(0, point);
  bool negative = false;
  if (whole.starts_with('-') || whole.starts_with('+')) {
    negative = whole.front() == '-';
    whole.remove_prefix(1);
  }
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  if (point != std::string_view::npos && fraction.empty()) return std::nullopt;
  double value = 0;
  if (!whole.empty()) {
    const std::optional<uint64_t> digits = Digits(whole, 10);
    if (!digits) return std::nullopt;
    value = static_cast<double>(*digits);
  }
  double scale = 0.1;
  for (const char c : fraction) {
    if (c < '0' || c > '9') return std::nullopt;
    value += (c - '0') * scale;
    scale /= 10;
  }
  if (negative) value = -value;
  if (!std::isfinite(value) || value < min || value > max) return std::nullopt;
  return value;
}

}  // namespace pelorus
