#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "si/descriptors.h"
#include "si/nit.h"
#include "si/psi_tables.h"
#include "si/sdt.h"

namespace pelorus {

// The texts the SI browser and the console show for the tables, made in one place. Numbers in
// "%04x" and "%02x" fields are lower-case hexadecimal.

// One delivery line.
struct DeliveryTexts {
  std::string list;          // "11750"
  std::string frequency;     // "11750.00 MHz"
  std::string orbit;         // "19.2 E"
  std::string polarisation;  // "LHCP"
  std::string symbolRate;    // "27.50000 MSps"
  std::string fec;           // "3/4"
};
DeliveryTexts DescribeDelivery(const DeliveryEntry& entry);
const char* DeliveryFecText(int fec);

// The network: its id, its name (decoded to UTF-8) and every delivery line in table order.
struct NetworkTexts {
  std::string networkId;
  std::string name;
  std::vector<DeliveryTexts> deliveries;
};
NetworkTexts DescribeNetwork(const Nit& nit);

// The programmes of the multiplex.
struct ProgramTexts {
  std::string number;  // "%d"
  std::string pmtPid;  // "%04x"
};
struct TransportStreamTexts {
  std::string transportStreamId;
  std::vector<ProgramTexts> programs;
};
TransportStreamTexts DescribeTransportStream(const Pat& pat);

// One programme's streams.
struct StreamTexts {
  std::string type;  // "%02x" of stream_type
  std::string pid;   // "%04x"
};
struct ProgramMapTexts {
  std::string pcrPid;
  std::vector<StreamTexts> streams;
};
ProgramMapTexts DescribeProgramMap(const Pmt& pmt);

// One service of the SDT: id "%04x", type "%02x", provider and name decoded to UTF-8, and
// whether it is scrambled.
struct ServiceTexts {
  std::string serviceId;
  std::string type;
  std::string provider;
  std::string name;
  bool scrambled = false;
};
ServiceTexts DescribeService(const SdtService& service);

// What a stream type carries, in a few words ("MPEG-2 video", "AC-3 audio"); "" when unknown.
const char* StreamTypeName(uint8_t streamType);

}  // namespace pelorus
