#include "si/descriptors.h"

#include <algorithm>
#include <array>

#include "common/byte_reader.h"
#include "common/ts_numbers.h"

namespace pelorus {

CaDescriptor ParseCaDescriptor(std::span<const uint8_t> body) {
  std::array<uint8_t, 4> bytes{};
  std::copy_n(body.begin(), std::min(body.size(), bytes.size()), bytes.begin());
  ByteReader reader(bytes);
  CaDescriptor ca;
  ca.systemId = reader.U16();
  ca.pid = reader.U16() & ts::kPidMask;
  return ca;
}

int BcdDigits(std::span<const uint8_t> bytes, int digits) {
  int value = 0;
  for (int i = 0; i < digits; ++i) {
    const size_t byte = static_cast<size_t>(i / 2);
    if (byte >= bytes.size()) break;
    const int nibble = (i % 2 == 0) ? (bytes[byte] >> 4) : (bytes[byte] & 0x0F);
    if (nibble > 9) break;
    value = value * 10 + nibble;
  }
  return value;
}

DeliveryEntry ParseDeliveryDescriptor(std::span<const uint8_t> body) {
  std::array<uint8_t, 11> bytes{};
  std::copy_n(body.begin(), std::min(body.size(), bytes.size()), bytes.begin());
  DeliveryEntry entry;
  entry.frequency = BcdDigits(std::span(bytes).first(4), 8);
  entry.frequencyMhz = BcdDigits(std::span(bytes).first(3), 6);
  entry.orbitalPosition = BcdDigits(std::span(bytes).subspan(4, 2), 4);
  entry.east = (bytes[6] & 0x80) != 0;
  entry.polarisation = (bytes[6] >> 5) & 0x03;
  entry.dvbS2 = (bytes[6] & 0x04) != 0;
  entry.symbolRate = BcdDigits(std::span(bytes).subspan(7, 4), 7);
  entry.fec = bytes[10] & 0x0F;
  return entry;
}

void ParseServiceList(std::span<const uint8_t> body, std::vector<ServiceListEntry>& into) {
  ByteReader reader(body);
  while (reader.Remaining() >= 3) {
    ServiceListEntry entry;
    entry.serviceId = reader.U16();
    entry.serviceType = reader.U8();
    into.push_back(entry);
  }
}

std::string LengthPrefixedText(std::span<const uint8_t> body) {
  ByteReader reader(body);
  const std::span<const uint8_t> text = reader.Loop8().Rest();
  return std::string(text.begin(), text.end());
}

}  // namespace pelorus
