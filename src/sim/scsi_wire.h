#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

// Request statuses and data directions as the SCSI socket carries them.
inline constexpr uint8_t kOk = 1;
inline constexpr uint8_t kError = 4;
inline constexpr uint8_t kIn = 1;
inline constexpr uint8_t kOut = 2;

// `count` bytes from `at`, most significant first. The caller has checked the length.
inline uint32_t Big(const std::vector<uint8_t>& bytes, size_t at, size_t count) {
  uint32_t value = 0;
  for (size_t i = 0; i < count; ++i) value = (value << 8) | bytes[at + i];
  return value;
}

}  // namespace sim
