#pragma once

#include <cstdint>
#include <string_view>

namespace pelorus {

// Numbers typed or pasted by the user, read the way the C library's "%d" and "%X" conversions
// read them: leading blanks skipped, an optional sign, the longest run of digits taken and the
// rest ignored. A value too wide for 32 bits keeps its low 32 bits, so storing the result in a
// narrower field keeps that field's low bits, as the receiver's own tools do.
// False (and `value` untouched) when the text does not begin with a number.
bool ScanDecimal(std::string_view text, int32_t& value);

// As ScanDecimal, in hexadecimal; an optional "0x" or "0X" prefix is accepted.
bool ScanHex(std::string_view text, int32_t& value);

// "%d" or "%X", after the PID mode's input format.
bool ScanPid(std::string_view text, bool decimal, int32_t& value);

}  // namespace pelorus
