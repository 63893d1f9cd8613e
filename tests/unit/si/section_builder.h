#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/crc32_mpeg.h"

namespace pelorus::testing {

using Bytes = std::vector<uint8_t>;

inline void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }
inline void U16(Bytes& to, unsigned value) {
  to.push_back(static_cast<uint8_t>(value >> 8));
  to.push_back(static_cast<uint8_t>(value));
}
inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline Bytes Descriptor(uint8_t tag, const Bytes& body) {
  Bytes out = {tag, static_cast<uint8_t>(body.size())};
  Append(out, body);
  return out;
}

inline void PutCrc(Bytes& section) {
  const uint32_t value = Crc32Mpeg(section);
  for (int shift = 24; shift >= 0; shift -= 8)
    section.push_back(static_cast<uint8_t>(value >> shift));
}

// Where a section sits in its table: version, section number, last section number.
struct SectionPlace {
  uint8_t version = 0;
  uint8_t number = 0;
  uint8_t last = 0;
  bool current = true;
};

// A long-form section: table id, length, extension, version/current, section numbers, then
// `payload`, then the CRC (computed unless `crc` is false, which leaves four zero bytes).
inline Bytes LongSection(uint8_t tableId, uint16_t extension, const Bytes& payload, bool crc,
                         SectionPlace place) {
  const size_t length = 5 + payload.size() + 4;
  Bytes section = {tableId, static_cast<uint8_t>(0xB0 | (length >> 8)),
                   static_cast<uint8_t>(length)};
  U16(section, extension);
  section.push_back(static_cast<uint8_t>(0xC0 | (place.version << 1) | (place.current ? 1 : 0)));
  section.push_back(place.number);
  section.push_back(place.last);
  Append(section, payload);
  if (crc) {
    PutCrc(section);
  } else {
    section.insert(section.end(), 4, 0);
  }
  return section;
}
inline Bytes LongSection(uint8_t tableId, uint16_t extension, const Bytes& payload,
                         bool crc = true) {
  return LongSection(tableId, extension, payload, crc, SectionPlace{});
}

// One packet of `pid`: the unit-start flag, continuity counter `counter`, payload only, the
// payload padded with 0xFF to 184 bytes (cut to 184 when longer).
inline Bytes TsPacket(uint16_t pid, bool unitStart, uint8_t counter, const Bytes& payload) {
  Bytes packet = {0x47, static_cast<uint8_t>((unitStart ? 0x40 : 0) | (pid >> 8)),
                  static_cast<uint8_t>(pid), static_cast<uint8_t>(0x10 | (counter & 0x0F))};
  for (size_t i = 0; i < 184; ++i) packet.push_back(i < payload.size() ? payload[i] : 0xFF);
  return packet;
}

// Packets carrying `sections` back to back from the first packet's pointer field, counting
// the continuity counter up from `counter`.
inline std::vector<Bytes> PacketiseCounted(uint16_t pid, const Bytes& sections,
                                           uint8_t counter = 0) {
  Bytes payload = {0x00};
  Append(payload, sections);
  std::vector<Bytes> packets;
  for (size_t at = 0; at < payload.size(); at += 184) {
    const Bytes piece(
        payload.begin() + static_cast<std::ptrdiff_t>(at),
        payload.begin() + static_cast<std::ptrdiff_t>(std::min(at + 184, payload.size())));
    packets.push_back(
        TsPacket(pid, at == 0, static_cast<uint8_t>(counter + packets.size()), piece));
  }
  return packets;
}

// SDT: transport stream `tsid`, network `onid`, one service per (id, provider, name).
struct SdtService {
  uint16_t id;
  std::string provider;
  std::string name;
};
inline Bytes BuildSdt(uint16_t tsid, uint16_t onid, const std::vector<SdtService>& services) {
  Bytes payload;
  U16(payload, onid);
  payload.push_back(0xFF);
  for (const SdtService& service : services) {
    Bytes body = {0x01, static_cast<uint8_t>(service.provider.size())};
    Append(body, Text(service.provider));
    body.push_back(static_cast<uint8_t>(service.name.size()));
    Append(body, Text(service.name));
    const Bytes descriptor = Descriptor(0x48, body);
    U16(payload, service.id);
    payload.push_back(0xFC);
    U16(payload, 0x8000 | descriptor.size());
    Append(payload, descriptor);
  }
  return LongSection(0x42, tsid, payload);
}

struct EitEvent {
  uint16_t id;
  uint16_t mjd;
  uint32_t startBcd;
  uint32_t durationBcd;
  std::string name;      // empty: no short event descriptor
  std::string extended;  // empty: no extended event descriptor
};
inline Bytes BuildEit(uint16_t serviceId, const std::vector<EitEvent>& events,
                      uint8_t table = 0x4E) {
  Bytes payload;
  U16(payload, 1);  // transport_stream_id
  U16(payload, 2);  // original_network_id
  payload.push_back(0);
  payload.push_back(table);
  for (const EitEvent& event : events) {
    Bytes descriptors;
    if (!event.name.empty()) {
      Bytes body = Text("eng");
      body.push_back(static_cast<uint8_t>(event.name.size()));
      Append(body, Text(event.name));
      body.push_back(0);
      Append(descriptors, Descriptor(0x4D, body));
    }
    if (!event.extended.empty()) {
      Bytes body = {0x00};
      Append(body, Text("eng"));
      body.push_back(0);  // no items
      body.push_back(static_cast<uint8_t>(event.extended.size()));
      Append(body, Text(event.extended));
      Append(descriptors, Descriptor(0x4E, body));
    }
    U16(payload, event.id);
    U16(payload, event.mjd);
    payload.push_back(static_cast<uint8_t>(event.startBcd >> 16));
    U16(payload, event.startBcd & 0xFFFF);
    payload.push_back(static_cast<uint8_t>(event.durationBcd >> 16));
    U16(payload, event.durationBcd & 0xFFFF);
    U16(payload, 0x8000 | descriptors.size());
    Append(payload, descriptors);
  }
  return LongSection(table, serviceId, payload);
}

// Whole 188-byte packets of `pid` carrying `sections` (one unit starting in the first packet),
// padded with 0xFF.
inline std::vector<Bytes> Packetise(uint16_t pid, const Bytes& sections, uint8_t pointer = 0,
                                    const Bytes& before = {}) {
  std::vector<Bytes> packets;
  Bytes payload = {pointer};
  Append(payload, before);
  Append(payload, sections);
  for (size_t at = 0; at < payload.size() || packets.empty(); at += 184) {
    Bytes packet = {0x47, static_cast<uint8_t>((packets.empty() ? 0x40 : 0) | (pid >> 8)),
                    static_cast<uint8_t>(pid), 0x10};
    for (size_t i = 0; i < 184; ++i) {
      packet.push_back(at + i < payload.size() ? payload[at + i] : 0xFF);
    }
    packets.push_back(packet);
  }
  return packets;
}

inline Bytes Concat(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& part : parts) Append(all, part);
  return all;
}

}  // namespace pelorus::testing
