#pragma once

// Deterministic inputs for the coder tests: noise, and data shaped like the firmware images
// the coder is used for (instruction words, tables, strings, padding, repeated blocks).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace pelorus::testing {

inline std::vector<std::uint8_t> MakeNoise(std::size_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
  return bytes;
}

// Bytes from a small alphabet, so that matches of every length up to 18 and beyond occur.
inline std::vector<std::uint8_t> MakeSmallAlphabet(std::size_t size, std::uint32_t seed,
                                                   int letters) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>('a' + rng() % letters);
  return bytes;
}

inline std::vector<std::uint8_t> MakeFirmwareLike(std::size_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(size + 4096);
  const std::uint32_t opcodes[] = {0x3C000000, 0x24000000, 0x8C000000, 0xAC000000,
                                   0x0C000000, 0x10000000, 0x00000021, 0x27BD0000};
  const char* words[] = {"error ", "channel ", "tuner ", "%d ", "ok\n", "timeout ", "pid "};
  auto put32 = [&bytes](std::uint32_t word) {
    for (int k = 0; k < 4; ++k) bytes.push_back(static_cast<std::uint8_t>(word >> (8 * k)));
  };
  while (bytes.size() < size) {
    switch (rng() % 6) {
      case 0:
      case 1:  // instruction words: few opcodes, register fields and small immediates
        for (int n = 8 + static_cast<int>(rng() % 64); n > 0; --n) {
          put32(opcodes[rng() % 8] | ((rng() % 8) << 21) | ((rng() % 8) << 16) | (rng() % 64));
        }
        break;
      case 2:  // a block seen before, sometimes slightly changed
        if (bytes.size() > 64) {
          const std::size_t back = 16 + rng() % std::min<std::size_t>(bytes.size() - 16, 3500);
          const std::size_t from = bytes.size() - back;
          const std::size_t length = 8 + rng() % 200;
          for (std::size_t k = 0; k < length; ++k) bytes.push_back(bytes[from + k]);
          if (rng() % 2) bytes[bytes.size() - 1 - rng() % length] ^= 0x10;
        }
        break;
      case 3:  // a table of increasing values
        for (std::uint32_t v = rng() % 1000, n = 4 + rng() % 40; n > 0; --n, v += 3) put32(v);
        break;
      case 4:  // message text
        for (int n = 2 + static_cast<int>(rng() % 8); n > 0; --n) {
          for (const char* w = words[rng() % 7]; *w != '\0'; ++w) bytes.push_back(*w);
        }
        break;
      default:  // padding
        bytes.insert(bytes.end(), 16 + rng() % 300, (rng() % 2) ? 0xFF : 0x00);
        break;
    }
  }
  bytes.resize(size);
  return bytes;
}

}  // namespace pelorus::testing
