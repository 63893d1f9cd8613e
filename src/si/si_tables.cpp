#include "si/si_tables.h"

#include <algorithm>
#include <array>

#include "common/byte_reader.h"
#include "common/strfmt.h"
#include "common/ts_numbers.h"

namespace pelorus {
namespace {

constexpr size_t kSectionHeader = ts::kSectionHeaderSize;

// The section as far as its length says, never beyond what was captured.
std::span<const uint8_t> Bounded(std::span<const uint8_t> captured) {
  if (captured.size() < kSectionHeader) return captured;
  const size_t length = kSectionHeader + (((captured[1] & 0x0F) << 8) | captured[2]);
  return captured.first(std::min(length, captured.size()));
}

// A loop of `length` bytes starting at the reader's position, cut to what is there.
std::span<const uint8_t> Loop(std::span<const uint8_t> section, size_t from, size_t length) {
  if (from >= section.size()) return {};
  return section.subspan(from, std::min(length, section.size() - from));
}

// Calls `visit(tag, body)` for every descriptor of a loop; a descriptor whose length runs past
// the loop ends it.
template <typename Visit>
void ForEachDescriptor(std::span<const uint8_t> loop, Visit visit) {
  ByteReader reader(loop);
  while (reader.Remaining() >= 2) {
    const uint8_t tag = reader.U8();
    const uint8_t length = reader.U8();
    const std::span<const uint8_t> body = reader.Bytes(length);
    if (!reader.Ok()) return;
    visit(tag, body);
  }
}

}  // namespace

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
  // The body is the descriptor from its byte 2; shorter bodies read as zeros past their end.
  std::array<uint8_t, 11> bytes{};
  std::copy_n(body.begin(), std::min(body.size(), bytes.size()), bytes.begin());
  DeliveryEntry entry;
  entry.frequency = BcdDigits(std::span(bytes).first(4), 8);
  entry.frequencyMhz = BcdDigits(std::span(bytes).first(3), 6);
  entry.orbitalPosition = BcdDigits(std::span(bytes).subspan(4, 2), 4);
  entry.east = (bytes[6] & 0x80) != 0;
  entry.polarisation = (bytes[6] >> 5) & 0x03;
  entry.symbolRate = BcdDigits(std::span(bytes).subspan(7, 4), 7);
  entry.fec = bytes[10] & 0x0F;
  return entry;
}

std::optional<NitInfo> ParseNit(std::span<const uint8_t> captured) {
  const std::span<const uint8_t> section = Bounded(captured);
  ByteReader reader(section);
  reader.Skip(3);
  NitInfo nit;
  nit.networkId = reader.U16();
  reader.Skip(3);
  const size_t networkLength = reader.U16() & 0x0FFF;
  if (!reader.Ok()) return std::nullopt;
  const std::span<const uint8_t> network = Loop(section, reader.Position(), networkLength);
  ForEachDescriptor(network, [&](uint8_t tag, std::span<const uint8_t> body) {
    if (tag == ts::tag::kNetworkName) nit.networkName.assign(body.begin(), body.end());
  });
  ByteReader rest(section.subspan(reader.Position() + network.size()));
  const size_t streamsLength = rest.U16() & 0x0FFF;
  if (!rest.Ok()) return nit;
  ByteReader streams(Loop(section, reader.Position() + network.size() + 2, streamsLength));
  while (streams.Remaining() >= 6) {
    streams.Skip(4);  // transport_stream_id, original_network_id
    const size_t descriptorsLength = streams.U16() & 0x0FFF;
    const std::span<const uint8_t> descriptors =
        streams.Bytes(std::min(descriptorsLength, streams.Remaining()));
    ForEachDescriptor(descriptors, [&](uint8_t tag, std::span<const uint8_t> body) {
      if (tag == ts::tag::kSatelliteDelivery)
        nit.deliveries.push_back(ParseDeliveryDescriptor(body));
    });
  }
  return nit;
}

std::optional<PatInfo> ParsePat(std::span<const uint8_t> captured) {
  const std::span<const uint8_t> section = Bounded(captured);
  ByteReader reader(section);
  reader.Skip(1);
  const size_t sectionLength = reader.U16() & 0x0FFF;
  PatInfo pat;
  pat.transportStreamId = reader.U16();
  reader.Skip(3);
  if (!reader.Ok()) return std::nullopt;
  const size_t entries = sectionLength >= 8 ? (sectionLength - 8) / 4 : 0;
  for (size_t i = 0; i < entries; ++i) {
    const uint16_t program = reader.U16();
    const uint16_t pid = reader.U16() & ts::kPidMask;
    if (!reader.Ok()) break;
    if (program > 0) pat.programs.push_back({program, pid});
  }
  return pat;
}

std::optional<PmtInfo> ParsePmt(std::span<const uint8_t> captured) {
  const std::span<const uint8_t> section = Bounded(captured);
  ByteReader reader(section);
  reader.Skip(1);
  const size_t sectionLength = reader.U16() & 0x0FFF;
  reader.Skip(5);
  PmtInfo pmt;
  pmt.pcrPid = reader.U16() & ts::kPidMask;
  const size_t programInfoLength = reader.U16() & 0x0FFF;
  if (!reader.Ok()) return std::nullopt;
  reader.Skip(std::min(programInfoLength, reader.Remaining()));
  // The stream loop ends where the CRC begins.
  constexpr size_t kFixedAndCrc = 13;
  const size_t loopLength = sectionLength >= kFixedAndCrc + programInfoLength
                                ? sectionLength - kFixedAndCrc - programInfoLength
                                : 0;
  ByteReader loop(Loop(section, reader.Position(), loopLength));
  while (loop.Remaining() >= 5) {
    const uint8_t type = loop.U8();
    const uint16_t pid = loop.U16() & ts::kPidMask;
    const size_t infoLength = loop.U16() & 0x0FFF;
    pmt.streams.push_back({type, pid});
    loop.Skip(std::min(infoLength, loop.Remaining()));
  }
  return pmt;
}

const char* DeliveryFecText(int fec) {
  switch (fec) {
    case 1:
      return "1/2";
    case 2:
      return "2/3";
    case 3:
      return "3/4";
    case 4:
      return "5/6";
    case 5:
      return "7/8";
    case 15:
      return "None";
    default:
      return "Unknown";
  }
}

DeliveryTexts DescribeDelivery(const DeliveryEntry& entry) {
  static constexpr const char* kPolarisations[] = {"H", "V", "LHCP", "RHCP"};
  DeliveryTexts texts;
  texts.list = Format("%d", entry.frequencyMhz);
  texts.frequency = Format("%.2f MHz", entry.frequency * 0.01);
  texts.orbit = Format("%.1f", entry.orbitalPosition * 0.1) + (entry.east ? " E" : " W");
  texts.polarisation = kPolarisations[entry.polarisation & 0x03];
  texts.symbolRate = Format("%.5f MSps", entry.symbolRate * 0.0001);
  texts.fec = DeliveryFecText(entry.fec);
  return texts;
}

}  // namespace pelorus
