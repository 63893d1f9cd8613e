#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>

#include "serial_faults.h"
#include "serial_line.h"
#include "sim_state.h"

namespace sim {

// What every handler of the serial dialogue works with.
struct SerialContext {
  SimState& state;
  SerialLine& line;
  SerialFault fault;
  std::stop_token stop;
};

// How long the receiver waits for the next byte of a command or a transfer before it gives
// up on it and listens for "CBEG" again.
inline constexpr std::chrono::milliseconds kByteTimeout{10000};

// The receiver's checksum of a block: 0x55 exclusive-or every byte.
uint8_t BlockChecksum(std::span<const uint8_t> bytes);

// Reads `digits` hexadecimal (or decimal, with base 10) digits. No value on a time-out or a
// byte that is not a digit.
std::optional<uint32_t> ReadNumber(SerialContext& context, int digits, int base);

// "D": receives a subroutine of `length` bytes and runs it when it is one the receiver knows.
void ReceiveSubroutine(SerialContext& context, uint32_t length);

}  // namespace sim
