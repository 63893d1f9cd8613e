#pragma once

#include <cstdint>
#include <span>

namespace pelorus {

// CRC-32/MPEG-2 as every PSI/SI section carries it: polynomial 0x04C11DB7, most significant bit
// first, initial value 0xFFFFFFFF, no final inversion. A section with its own CRC appended
// checks to 0.
inline constexpr uint32_t kCrc32MpegInitial = 0xFFFFFFFFu;

// Continues `crc` over `bytes` (slice-by-8: eight table look-ups per eight bytes).
uint32_t Crc32Mpeg(std::span<const uint8_t> bytes, uint32_t crc = kCrc32MpegInitial);

// The same, one table look-up per byte: the plain form the fast one is checked and measured
// against.
uint32_t Crc32MpegBytewise(std::span<const uint8_t> bytes, uint32_t crc = kCrc32MpegInitial);

}  // namespace pelorus
