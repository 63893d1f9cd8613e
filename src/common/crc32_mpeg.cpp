#include "common/crc32_mpeg.h"

#include <array>
#include <cstring>

namespace pelorus {
namespace {

constexpr uint32_t kPolynomial = 0x04C11DB7u;

using Tables = std::array<std::array<uint32_t, 256>, 8>;

// tables[0] is the ordinary byte table; tables[k][i] is the CRC of byte i followed by k zero
// bytes, which lets eight input bytes be folded in with eight independent look-ups.
constexpr Tables MakeTables() {
  Tables tables{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t crc = i << 24;
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 0x80000000u) ? (crc << 1) ^ kPolynomial : crc << 1;
    tables[0][i] = crc;
  }
  for (uint32_t i = 0; i < 256; ++i) {
    for (size_t k = 1; k < 8; ++k) {
      const uint32_t previous = tables[k - 1][i];
      tables[k][i] = (previous << 8) ^ tables[0][previous >> 24];
    }
  }
  return tables;
}

constexpr Tables kTables = MakeTables();

inline uint32_t Step(uint32_t crc, uint8_t byte) {
  return (crc << 8) ^ kTables[0][(crc >> 24) ^ byte];
}

}  // namespace

uint32_t Crc32MpegBytewise(std::span<const uint8_t> bytes, uint32_t crc) {
  for (const uint8_t byte : bytes) crc = Step(crc, byte);
  return crc;
}

uint32_t Crc32Mpeg(std::span<const uint8_t> bytes, uint32_t crc) {
  const uint8_t* p = bytes.data();
  size_t left = bytes.size();
  while (left >= 8) {
    // The first four bytes meet the register, the last four enter as they are.
    const uint32_t high =
        crc ^ (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]});
    crc = kTables[7][high >> 24] ^ kTables[6][(high >> 16) & 0xFF] ^
          kTables[5][(high >> 8) & 0xFF] ^ kTables[4][high & 0xFF] ^ kTables[3][p[4]] ^
          kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]];
    p += 8;
    left -= 8;
  }
  while (left-- > 0) crc = Step(crc, *p++);
  return crc;
}

}  // namespace pelorus
