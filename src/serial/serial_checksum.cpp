#include "serial/serial_checksum.h"

#include <array>

namespace pelorus {
namespace {

constexpr std::array<uint16_t, 256> MakeCrcTable() {
  std::array<uint16_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t crc = i << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    table[i] = static_cast<uint16_t>(crc);
  }
  return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

uint8_t SerialChecksum(std::span<const uint8_t> bytes, uint8_t seed) {
  uint8_t sum = seed;
  for (const uint8_t byte : bytes) sum ^= byte;
  return sum;
}

uint16_t Crc16Xmodem(std::span<const uint8_t> bytes) {
  uint16_t crc = 0;
  for (const uint8_t byte : bytes) {
    crc = static_cast<uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ byte) & 0xFF]);
  }
  return crc;
}

}  // namespace pelorus
