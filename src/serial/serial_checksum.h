#pragma once

#include <cstdint>
#include <span>

namespace pelorus {

// The one-byte check of settings blocks and subroutines: 0x55 combined by exclusive-or with
// every byte. Pass the previous result as `seed` to run it over a block in pieces.
uint8_t SerialChecksum(std::span<const uint8_t> bytes, uint8_t seed = 0x55);

// CRC-16 with polynomial 0x1021, initial value 0, no reflection and no final exclusive-or
// (the XMODEM parameters): what the flash subroutine checks every firmware step with.
uint16_t Crc16Xmodem(std::span<const uint8_t> bytes);

}  // namespace pelorus
