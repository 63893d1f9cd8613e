#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelorus {

// How PIDs are shown and typed: hexadecimal (the default) or decimal, after the "Decimal" option.
enum class PidMode { kHexadecimal, kDecimal };

struct PidFormats {
  const char* display;   // list columns, channel dialog, PID finder and monitor
  const char* input;     // parsing PIDs the user typed
  const char* prefixed;  // PID texts of the stream dialog
};

inline PidMode PidModeFromOption(uint32_t decimalOption) {
  return decimalOption != 0 ? PidMode::kDecimal : PidMode::kHexadecimal;
}

inline PidFormats PidFormatsFor(PidMode mode) {
  return mode == PidMode::kDecimal ? PidFormats{"%d", "%d", "%d"}
                                   : PidFormats{"%04X", "%X", "0x%04X"};
}

// The display format applied to a PID as an unsigned 16-bit number, without going through
// printf: the list builds tens of thousands of these at a time.
std::string FormatPidForDisplay(uint16_t pid, PidMode mode);

// A PID given on a command line, read as it is shown: hexadecimal (with or without "0x") or
// decimal, the whole text, 0 to 8191. No value for anything else.
std::optional<uint16_t> ParsePidText(std::string_view text, PidMode mode);

}  // namespace pelorus
