#pragma once

// Test-side readers of transport streams, written from the standards, independent of the
// simulator's writers.
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "sim/es_assets.h"
#include "sim/multiplex.h"
#include "sim/ts_crc.h"

namespace pelorus::testing {

inline uint16_t PidOf(std::span<const uint8_t> packet) {
  return static_cast<uint16_t>((packet[1] & 0x1F) << 8 | packet[2]);
}

// The packets `seconds` of a transponder's multiplex, nulls included.
inline std::vector<sim::Packet> Generate(const sim::StreamAssets& assets, int transponder,
                                         double seconds, uint64_t rate = 5000000,
                                         sim::TsFault fault = sim::TsFault::kNone,
                                         int64_t clockStart = 1'700'000'000) {
  sim::Multiplex multiplex(assets, transponder, rate, clockStart, 0, fault);
  std::vector<sim::Packet> packets;
  multiplex.Generate(
      static_cast<uint64_t>(seconds * static_cast<double>(rate) / 1504),
      [&](const sim::Packet& packet) { packets.push_back(packet); }, true);
  return packets;
}

// Every complete section of one PID, in order (a section starts at a payload_unit_start).
inline std::vector<std::vector<uint8_t>> Sections(const std::vector<sim::Packet>& packets,
                                                  uint16_t pid) {
  std::vector<std::vector<uint8_t>> sections;
  std::vector<uint8_t> buffer;
  bool collecting = false;
  auto flush = [&] {
    size_t at = 0;
    while (at + 3 <= buffer.size() && buffer[at] != 0xFF) {
      const size_t length = 3 + ((buffer[at + 1] & 0x0F) << 8 | buffer[at + 2]);
      if (at + length > buffer.size()) break;
      sections.emplace_back(buffer.begin() + static_cast<long>(at),
                            buffer.begin() + static_cast<long>(at + length));
      at += length;
    }
    buffer.clear();
  };
  for (const sim::Packet& packet : packets) {
    if (PidOf(packet) != pid || !(packet[3] & 0x10)) continue;
    const size_t start = (packet[3] & 0x20) ? 5 + packet[4] : 4;
    if (start >= 188) continue;
    if (packet[1] & 0x40) {
      if (collecting) {
        buffer.insert(buffer.end(), packet.begin() + static_cast<long>(start) + 1,
                      packet.begin() + static_cast<long>(start) + 1 + packet[start]);
        flush();
      }
      collecting = true;
      buffer.assign(packet.begin() + static_cast<long>(start) + 1 + packet[start], packet.end());
    } else if (collecting) {
      buffer.insert(buffer.end(), packet.begin() + static_cast<long>(start), packet.end());
    }
  }
  return sections;
}

inline uint16_t Word(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

// The PCR (in 27 MHz ticks) of a packet that carries one, else -1.
inline int64_t PcrOf(const sim::Packet& p) {
  if (!(p[3] & 0x20) || p[4] < 7 || !(p[5] & 0x10)) return -1;
  const int64_t base = int64_t{p[6]} << 25 | int64_t{p[7]} << 17 | int64_t{p[8]} << 9 |
                       int64_t{p[9]} << 1 | p[10] >> 7;
  return base * 300 + ((p[10] & 1) << 8 | p[11]);
}

// The PTS of a packet that starts a PES packet with one, else -1.
inline int64_t PtsOf(const sim::Packet& p) {
  if (!(p[1] & 0x40)) return -1;
  const size_t at = (p[3] & 0x20) ? 5 + p[4] : 4;
  if (at + 14 > 188 || p[at] != 0 || p[at + 1] != 0 || p[at + 2] != 1 || !(p[at + 7] & 0x80)) {
    return -1;
  }
  const uint8_t* t = p.data() + at + 9;
  return int64_t{(t[0] >> 1) & 7} << 30 | int64_t{t[1]} << 22 | int64_t{t[2] >> 1} << 15 |
         int64_t{t[3]} << 7 | t[4] >> 1;
}

inline const sim::StreamAssets& TestAssets() {
  static const sim::StreamAssets assets =
      sim::LoadAssets(std::string(PELORUS_SOURCE_DIR) + "/resources/streams");
  return assets;
}

}  // namespace pelorus::testing
