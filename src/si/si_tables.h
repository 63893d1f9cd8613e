#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pelorus {

// The network, programme-association and programme-map tables as the SI browser shows them.
// Each parser takes a captured section from its table_id byte; the section is read only up to
// its own length or the captured bytes, whichever ends first, and a loop whose length field
// points past that ends there.

// One satellite delivery system descriptor (tag 0x43), its numbers as the descriptor holds them.
struct DeliveryEntry {
  int frequency = 0;        // units of 10 kHz
  int orbitalPosition = 0;  // units of 0.1 degree
  bool east = false;
  int polarisation = 0;  // 0 H, 1 V, 2 left circular, 3 right circular
  int symbolRate = 0;    // units of 100 symbols/s
  int fec = 0;           // FEC_inner
  int frequencyMhz = 0;  // the first six digits: the list's text
};

struct NitInfo {
  uint16_t networkId = 0;
  std::string networkName;  // the last network name descriptor's bytes
  std::vector<DeliveryEntry> deliveries;
};

struct PatProgram {
  uint16_t programNumber = 0;
  uint16_t pmtPid = 0;
};
struct PatInfo {
  uint16_t transportStreamId = 0;
  std::vector<PatProgram> programs;  // programme 0 (the network PID) is left out
};

struct PmtStream {
  uint8_t streamType = 0;
  uint16_t pid = 0;
};
struct PmtInfo {
  uint16_t pcrPid = 0;
  std::vector<PmtStream> streams;
};

// No value when the bytes are too short to hold the table's fixed header.
std::optional<NitInfo> ParseNit(std::span<const uint8_t> section);
std::optional<PatInfo> ParsePat(std::span<const uint8_t> section);
std::optional<PmtInfo> ParsePmt(std::span<const uint8_t> section);

// The descriptor body after tag and length. BCD digits are read as the receiver's tools always
// did: the bytes printed as hexadecimal and the text read as a decimal number, which stops at
// the first nibble that is not a digit.
DeliveryEntry ParseDeliveryDescriptor(std::span<const uint8_t> body);
int BcdDigits(std::span<const uint8_t> bytes, int digits);

// The six texts the browser shows for one delivery line.
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

}  // namespace pelorus
