#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace sim {

// CRC-32/MPEG-2 (polynomial 0x04C11DB7, initial 0xFFFFFFFF, no reflection, no final XOR): the
// CRC every PSI/SI section ends with. A whole section including its CRC checks to zero.
inline uint32_t Crc32Mpeg(std::span<const uint8_t> bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> entries{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t value = i << 24;
      for (int bit = 0; bit < 8; ++bit) {
        value = (value & 0x80000000u) ? (value << 1) ^ 0x04C11DB7u : value << 1;
      }
      entries[i] = value;
    }
    return entries;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (uint8_t byte : bytes) crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xFF];
  return crc;
}

}  // namespace sim
