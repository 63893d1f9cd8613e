#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "si/descriptors.h"
#include "si/section.h"

namespace pelorus {

struct SdtService {
  uint16_t serviceId = 0;
  bool eitSchedule = false;
  bool eitPresentFollowing = false;
  uint8_t runningStatus = 0;
  bool freeCaMode = false;
  bool hasServiceDescriptor = false;
  uint8_t serviceType = 0;
  std::string provider;             // the service descriptor's texts, bytes as they came (the last
  std::string name;                 // service descriptor wins)
  std::vector<uint16_t> caSystems;  // CA identifier descriptors

  // free_CA_mode, or a CA identifier naming the systems that scramble it.
  bool Scrambled() const { return freeCaMode || !caSystems.empty(); }
};

// Service description table (PID 0x0011): of this multiplex (table 0x42) or another one
// (0x46). The bouquet association table shares the PID and is a table of its own (Bat). Parse
// reads one section; Append adds the next section of the same table.
struct Sdt {
  uint8_t tableId = 0;
  uint16_t transportStreamId = 0;
  uint16_t originalNetworkId = 0;
  uint8_t version = 0;
  std::vector<SdtService> services;

  bool Actual() const;
  static std::optional<Sdt> Parse(const Section& section);
  void Append(const Sdt& later);
};

struct BatTransportStream {
  uint16_t transportStreamId = 0;
  uint16_t originalNetworkId = 0;
  std::vector<ServiceListEntry> services;
};

// Bouquet association table (PID 0x0011, table 0x4A).
struct Bat {
  uint16_t bouquetId = 0;
  uint8_t version = 0;
  bool hasName = false;
  std::string bouquetName;  // the bouquet name descriptor's bytes
  std::vector<BatTransportStream> transportStreams;

  static std::optional<Bat> Parse(const Section& section);
  void Append(const Bat& later);
};

}  // namespace pelorus
