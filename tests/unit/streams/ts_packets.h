#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pelorus::testing {

// A 188-byte packet of `pid` built field by field. The adaptation field, when asked for, has
// `adaptationLength` bytes after its length byte; `pcr` sets its PCR flag and `discontinuity` its
// discontinuity_indicator.
struct PacketShape {
  uint16_t pid = 0x100;
  bool unitStart = false;
  uint8_t counter = 0;
  bool payload = true;
  bool adaptation = false;
  uint8_t adaptationLength = 1;
  bool pcr = false;
  bool discontinuity = false;
  uint8_t fill = 0xAB;
};

inline std::vector<uint8_t> MakePacket(const PacketShape& shape) {
  std::vector<uint8_t> packet(188, shape.fill);
  packet[0] = 0x47;
  packet[1] = static_cast<uint8_t>((shape.unitStart ? 0x40 : 0) | (shape.pid >> 8));
  packet[2] = static_cast<uint8_t>(shape.pid);
  packet[3] = static_cast<uint8_t>((shape.adaptation ? 0x20 : 0) | (shape.payload ? 0x10 : 0) |
                                   (shape.counter & 0x0F));
  if (shape.adaptation) {
    packet[4] = shape.adaptationLength;
    if (shape.adaptationLength > 0) {
      packet[5] =
          static_cast<uint8_t>((shape.pcr ? 0x10 : 0x00) | (shape.discontinuity ? 0x80 : 0));
    }
  }
  return packet;
}

inline void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

}  // namespace pelorus::testing
