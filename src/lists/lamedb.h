#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "lists/foreign_list.h"

namespace pelorus {

// Where a transponder is in a service database: the DVB namespace (the orbital position in its
// upper half), the transport stream id and the original network id.
struct LamedbTransponderKey {
  uint32_t dvbNamespace = 0;
  uint16_t tsId = 0;
  uint16_t originalNetworkId = 0;

  bool operator==(const LamedbTransponderKey&) const = default;
  uint64_t Packed() const {
    return (uint64_t{dvbNamespace} << 32) | (uint64_t{tsId} << 16) | originalNetworkId;
  }
};

struct LamedbTransponder {
  DeliverySystem delivery = DeliverySystem::kSatellite;
  uint32_t frequencyKhz = 0;
  uint32_t symbolRate = 0;
  int polarisation = 0;  // 0 H, 1 V, 2 circular left, 3 circular right
  int fec = 0;           // the database's own code: 0 Auto, 1 1/2, 2 2/3, 3 3/4, 4 5/6, 5 7/8, ...
  int orbital = 0;       // tenths of a degree, east positive
  int inversion = 2;     // 0 off, 1 on, 2 unknown
  bool dvbS2 = false;
};

// The PIDs a service database remembers for a service ("c:" entries).
struct LamedbCachedPids {
  uint16_t video = kNoPid;
  uint16_t mpegAudio = kNoPid;
  uint16_t teletext = kNoPid;
  uint16_t pcr = kNoPid;
  uint16_t ac3 = kNoPid;
  int videoType = -1;  // 0 MPEG-2, 1 H.264, 7 HEVC
};

struct LamedbService {
  uint16_t serviceId = 0;
  LamedbTransponderKey transponder;
  int serviceType = 0;
  std::string name;  // record name text
  LamedbCachedPids pids;
  int line = 0;  // the line of its first entry
};

// A service database, version 4 ("eDVB services /4/", blocks of lines) or 5 ("eDVB services /5/",
// one "t:" or "s:" line each). Lines that cannot be read are in `badLines` (file index 0).
struct LamedbDatabase {
  int version = 0;
  std::unordered_map<uint64_t, LamedbTransponder> transponders;  // by LamedbTransponderKey::Packed
  std::vector<LamedbService> services;
  std::vector<BadLine> badLines;

  const LamedbTransponder* FindTransponder(const LamedbTransponderKey& key) const;
  // The service with this id on this transponder; when no transponder has exactly this
  // namespace, one whose namespace names the same orbital position. -1 when there is none.
  int FindService(uint16_t serviceId, const LamedbTransponderKey& key) const;

  // Built by ParseLamedb: services by id and transponder.
  std::unordered_map<uint64_t, std::vector<int>> servicesById;
};

// The version a database's first line names (4 or 5), or 0 when the bytes are not one.
int LamedbVersion(std::span<const uint8_t> bytes);

LamedbDatabase ParseLamedb(std::span<const uint8_t> bytes);

// A service as a channel, with what its transponder says; false when the transponder is not in
// the database.
bool LamedbChannel(const LamedbDatabase& database, const LamedbService& service,
                   ForeignChannel& channel);

// The orbital position a namespace holds in its upper half (3600 minus the west position for
// western satellites, or 0xFFFF and 0xEEEE for cable and terrestrial).
int OrbitalOfNamespace(uint32_t dvbNamespace);

}  // namespace pelorus
