#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pelorus {

// How a number is written where it is read.
enum class NumberBase {
  kDecimal,   // 27500, -5
  kPrefixed,  // "0x1ff" or "$1ff" hexadecimal (either case), anything else decimal
  kHex,       // 1ff, without a prefix
};

// The one reading of numbers from options, fields, files and the receiver: the whole text must be
// the number — no blanks, nothing after it, a sign only for decimal numbers — and it must lie in
// [min, max]. No value otherwise, so "abc", "0x", "12abc" and "99999999999" never pass as some
// other number.
std::optional<int64_t> ParseNumber(std::string_view text, int64_t min, int64_t max,
                                   NumberBase base = NumberBase::kDecimal);

// A decimal number with an optional fraction ("2.5"), whole text, within [min, max].
std::optional<double> ParseDecimal(std::string_view text, double min, double max);

}  // namespace pelorus
