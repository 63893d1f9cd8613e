#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pelorus {

// The descriptors more than one table carries. Each parser takes the descriptor's body (after
// tag and length); a body shorter than its fields reads as zeros past its end, longer bodies
// keep their private tail to themselves.

// CA_descriptor (tag 0x09, in the CAT and the PMT): a conditional-access system and the PID of
// its EMM (in the CAT) or ECM (in the PMT) stream.
struct CaDescriptor {
  uint16_t systemId = 0;
  uint16_t pid = 0;
};
CaDescriptor ParseCaDescriptor(std::span<const uint8_t> body);

// satellite_delivery_system_descriptor (tag 0x43), its numbers as the descriptor holds them.
struct DeliveryEntry {
  int frequency = 0;        // units of 10 kHz
  int orbitalPosition = 0;  // units of 0.1 degree
  bool east = false;
  int polarisation = 0;  // 0 H, 1 V, 2 left circular, 3 right circular
  int symbolRate = 0;    // units of 100 symbols/s
  int fec = 0;           // FEC_inner
  bool dvbS2 = false;    // modulation_system: the second generation, which DVB-S tuners cannot take
  int frequencyMhz = 0;  // the first six digits: the list's text
};
// BCD digits are read as the receiver's tools always did: the bytes printed as hexadecimal and
// the text read as a decimal number, which stops at the first nibble that is not a digit.
DeliveryEntry ParseDeliveryDescriptor(std::span<const uint8_t> body);
int BcdDigits(std::span<const uint8_t> bytes, int digits);

// One entry of a service_list_descriptor (tag 0x41).
struct ServiceListEntry {
  uint16_t serviceId = 0;
  uint8_t serviceType = 0;
};
void ParseServiceList(std::span<const uint8_t> body, std::vector<ServiceListEntry>& into);

// A text field led by its 8-bit length, as the name descriptors have them; the bytes as they
// came (decode them with DecodeDvbText).
std::string LengthPrefixedText(std::span<const uint8_t> body);

}  // namespace pelorus
