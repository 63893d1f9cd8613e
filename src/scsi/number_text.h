#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelorus {

// The number fields of the SCSI dialogs: a leading "$" or "0x" (in either case) means
// hexadecimal, anything else decimal. Blanks around the number are ignored; the rest of the text
// must be the number, so "ff", "12ab" and an empty field are not read as some number. The value
// is the 32-bit pattern the field stores (a negative number its two's complement); no value when
// the number does not fit in 32 bits.
std::optional<uint32_t> ParseNumberText(std::string_view text);

// A memory range as the dialog keeps it: two signed 32-bit numbers. Valid when the address is
// not negative and the length at least 1.
struct MemoryRange {
  int32_t address = 0;
  int32_t length = 0;
  bool Valid() const { return address >= 0 && length >= 1; }
};

// The texts the range fields open with: "0x%x" of each when the range is valid, else empty.
std::string RangeFieldText(const MemoryRange& range, int32_t value);

// The range the two field texts give; a field that does not fit in 32 bits makes it invalid.
MemoryRange ParseRangeFields(std::string_view addressText, std::string_view lengthText);

}  // namespace pelorus
