#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "common/ts_numbers.h"

namespace pelorus::ts {

// The fields of a 188-byte transport packet header that the stream features look at. Callers
// pass whole packets; every accessor reads inside the first six bytes only.

using Packet = std::span<const uint8_t, kPacketSize>;

inline bool HasSync(Packet packet) { return packet[0] == kSyncByte; }
inline bool UnitStart(Packet packet) { return (packet[1] & kPayloadUnitStartFlag) != 0; }
inline uint16_t Pid(Packet packet) {
  return static_cast<uint16_t>(((packet[1] << 8) | packet[2]) & kPidMask);
}
inline uint8_t AdaptationControl(Packet packet) { return packet[3] & 0x30; }
inline bool HasAdaptation(Packet packet) { return (packet[3] & 0x20) != 0; }
inline uint8_t Continuity(Packet packet) { return packet[3] & 0x0F; }
// An adaptation field of non-zero length whose PCR flag is set.
inline bool CarriesPcr(Packet packet) {
  return HasAdaptation(packet) && packet[4] != 0 && (packet[5] & 0x10) != 0;
}

// Packet `index` of a buffer holding whole packets.
inline Packet PacketAt(std::span<const uint8_t> bytes, size_t index) {
  return Packet(bytes.subspan(index * kPacketSize, kPacketSize));
}

}  // namespace pelorus::ts
