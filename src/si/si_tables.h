#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "si/descriptors.h"
#include "si/nit.h"
#include "si/psi_tables.h"
#include "si/si_describe.h"

namespace pelorus {

// The network, programme-association and programme-map tables of one captured section, as the
// SI browser has always read them: the section from its table_id byte, read up to its own
// length or the captured bytes, whichever ends first, a loop whose length field points past
// that ending there; no CRC check. No value when the bytes are too short for the table's fixed
// fields.

// The network as the browser lists it.
struct NitInfo {
  uint16_t networkId = 0;
  std::string networkName;  // the last network name descriptor's bytes
  std::vector<DeliveryEntry> deliveries;
};

std::optional<NitInfo> ParseNit(std::span<const uint8_t> section);
std::optional<PatInfo> ParsePat(std::span<const uint8_t> section);
std::optional<PmtInfo> ParsePmt(std::span<const uint8_t> section);

}  // namespace pelorus
