#include "serial_expand.h"

#include <array>

namespace sim {

std::vector<uint8_t> ExpandStep(std::span<const uint8_t> compressed, size_t limit) {
  constexpr size_t kRing = 4096;
  std::array<uint8_t, kRing> ring;
  ring.fill(0x20);
  size_t write = kRing - 18;
  std::vector<uint8_t> out;
  size_t in = 0;
  while (in < compressed.size() && out.size() < limit) {
    const uint8_t flags = compressed[in++];
    for (int bit = 0; bit < 8 && out.size() < limit; ++bit) {
      if (flags & (1u << bit)) {
        if (in >= compressed.size()) return out;
        const uint8_t literal = compressed[in++];
        out.push_back(literal);
        ring[write] = literal;
        write = (write + 1) % kRing;
      } else {
        if (in + 1 >= compressed.size()) return out;
        const uint8_t a = compressed[in];
        const uint8_t b = compressed[in + 1];
        in += 2;
        size_t from = a | ((b & 0xF0u) << 4);
        const int length = (b & 0x0F) + 5;
        for (int k = 0; k < length && out.size() < limit; ++k) {
          const uint8_t byte = ring[from];
          from = (from + 1) % kRing;
          out.push_back(byte);
          ring[write] = byte;
          write = (write + 1) % kRing;
        }
      }
    }
  }
  return out;
}

}  // namespace sim
