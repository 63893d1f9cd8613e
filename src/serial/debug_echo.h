#pragma once

#include <cstdint>
#include <string>

namespace pelorus {

// How the "Debug Seriale" window shows one received byte: printable bytes 32..124 and the
// carriage return as themselves, every other byte as "<0x%02x>".
std::string DebugEchoText(uint8_t byte);

}  // namespace pelorus
