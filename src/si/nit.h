#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "si/descriptors.h"
#include "si/section.h"

namespace pelorus {

struct NitTransportStream {
  uint16_t transportStreamId = 0;
  uint16_t originalNetworkId = 0;
  std::vector<DeliveryEntry> satellite;    // satellite delivery system descriptors
  std::vector<ServiceListEntry> services;  // service list descriptors
};

// Network information table (PID 0x0010): of the network the multiplex belongs to (table 0x40)
// or of another one (0x41). Parse reads one section; Append adds the next section of the same
// table. Checking the CRC is the caller's business (Section::Usable).
struct Nit {
  uint8_t tableId = 0;
  uint16_t networkId = 0;
  uint8_t version = 0;
  bool hasName = false;
  std::string networkName;  // the last network name descriptor's bytes
  std::vector<NitTransportStream> transportStreams;

  bool Actual() const;
  // Every satellite delivery descriptor, in the order of the table: the SI browser's list.
  std::vector<DeliveryEntry> Deliveries() const;

  static std::optional<Nit> Parse(const Section& section);
  void Append(const Nit& later);
};

}  // namespace pelorus
